#include "keyboard-control/ZRFullSizeGridOverlayWindow.h"

#include "hotkeys/KeyEvent.h"
#include "hotkeys/QtKeyEvents.h"
#include "keyboard-control/ZRFullSizeOverlayGrid.h"
#include "keyboard-control/ZRKeyboardControlContext.h"
#include "keyboard-control/ZRSettingsWindowOpener.h"
#include "mouse-control/ZRFocusWindow.h"
#include "platform/EventStream.h"
#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ArrowKeyForHJKL.h"
#include "toolkit/KeyStrings.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/WindowExtensions.h"
#include "toolkit/WindowInputGrab.h"
#include "toolkit/ZRLog.h"
#include "window-access/Coordinates.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>
#include <algorithm>

const QString ZRFullSizeGridOverlayWindow::CoverAllDisplaysKey =
    QStringLiteral("Mouse Controls Grid: Full Size: Cover All Displays");
const QString ZRFullSizeGridOverlayWindow::LoopKey =
    QStringLiteral("Keyboard Controls Grid: Full Size: Cover All Displays: Loop");
const QString ZRFullSizeGridOverlayWindow::NonModifierArrowKeysResetSelectionKey =
    QStringLiteral("Keyboard Controls Grid: Non-Modifier Arrow Keys Reset Selection");

namespace {

// The panel is a single point this far above and left of every screen: it takes the devices, and nothing
// of it shows.
constexpr int OffScreenDistance = 16;
constexpr std::uint64_t PointerEvents =
    tapEventMaskBit(TapEventType::MouseMoved) | tapEventMaskBit(TapEventType::LeftMouseDown) |
    tapEventMaskBit(TapEventType::LeftMouseDragged) | tapEventMaskBit(TapEventType::LeftMouseUp) |
    tapEventMaskBit(TapEventType::RightMouseDown);

QPointer<ZRFullSizeGridOverlayWindow> sharedPanel;
const ZRFullSizeGridOverlayWindow::Installation* installed = nullptr;

const ZRKeyboardControlContext& context() {
    // Keyboard control's controller installs it before anything can open the grid.
    Q_ASSERT(installed);
    return installed->m_context;
}

// Whether the event the program handles now is a click: a press or release of the left button seen since
// the last turn of the event loop. Either loop's next turn forgets it, whichever comes first.
class CurrentEventWatcher : public QObject {
public:
    // Made by the first call, on the run loop it is given then.
    static CurrentEventWatcher& shared(RunLoop& mainRunLoop) {
        static auto* watcher = [&mainRunLoop] {
            auto* w = new CurrentEventWatcher(mainRunLoop);
            QCoreApplication::instance()->installEventFilter(w);
            return w;
        }();
        return *watcher;
    }
    bool isClick() const { return m_click; }

private:
    explicit CurrentEventWatcher(RunLoop& mainRunLoop) : m_mainRunLoop(mainRunLoop) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
            note(static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton);
            break;
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
            note(false);
            break;
        default:
            break;
        }
        return false;
    }

private:
    void note(bool click) {
        m_click = click;
        if (!click)
            return;
        const QPointer<CurrentEventWatcher> self(this);
        const auto forget = [self] {
            if (self)
                self->m_click = false;
        };
        QTimer::singleShot(0, this, forget);
        m_mainRunLoop.performOnNextTurn(forget);
    }

    RunLoop& m_mainRunLoop;
    bool m_click = false;
};

bool isModifierKey(int key) {
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
        return true;
    default:
        return false;
    }
}

// The last column and row of a grid; -1 for a grid without cells.
ZRGridCoordinates lastCell(const ZRFullSizeOverlayGrid& grid) {
    const auto& cells = grid.representedCellFrame();
    return ZRGridCoordinatesMake(cells.numberOfColumns() - 1, cells.numberOfRows() - 1);
}

// The cell within a grid's cells; a grid without cells has none to hold it.
std::optional<ZRGridCoordinates> clampedInto(ZRGridCoordinates cell, ZRGridCoordinates last) {
    if (last.column < 0 || last.row < 0)
        return std::nullopt;
    return ZRGridCoordinatesMake(std::clamp<std::int64_t>(cell.column, 0, last.column),
                                 std::clamp<std::int64_t>(cell.row, 0, last.row));
}

// Above every screen and left of it, out of sight.
QRect offScreenFrame() {
    QRectF all;
    for (const QtScreenFrames& screen : currentScreenFrames())
        all |= screen.frame;
    return QRect(int(all.left()) - OffScreenDistance, int(all.top()) - OffScreenDistance, 1, 1);
}

} // namespace

// --- The shared panel

ZRFullSizeGridOverlayWindow::Installation::Installation(const ZRKeyboardControlContext& context,
                                                        ZRSettingsWindowOpener* settingsWindow,
                                                        std::function<void()> beep)
    : m_context(context), m_settingsWindow(settingsWindow), m_beep(std::move(beep)),
      m_previous(std::exchange(installed, this)) {}

ZRFullSizeGridOverlayWindow::Installation::~Installation() {
    destroySharedPanel();
    installed = m_previous;
}

ZRFullSizeGridOverlayWindow* ZRFullSizeGridOverlayWindow::sharedPanelByCreatingIfNecessary(bool create) {
    if (!sharedPanel && create)
        sharedPanel = new ZRFullSizeGridOverlayWindow;
    return sharedPanel;
}

void ZRFullSizeGridOverlayWindow::destroySharedPanel() {
    delete sharedPanel.data();
}

ZRFullSizeGridOverlayWindow* ZRFullSizeGridOverlayWindow::overlayPanelWithFrame(const Rect&) {
    return new ZRFullSizeGridOverlayWindow;
}

bool ZRFullSizeGridOverlayWindow::activateForWindow(const AXElementRef& window, const Rect& withFrame,
                                                    const Rect& withinSkafableFrame,
                                                    const QVariantMap& preferredGridDimensionsDictionary,
                                                    Action action) {
    const std::vector<ZRVirtualScreen> screens = ZRVirtualScreen::screens(context().defaults);
    ZRFullSizeGridOverlayWindow* panel = sharedPanelByCreatingIfNecessary(true);
    const bool coverAll = screens.size() >= 2 && context().defaults.boolForKey(CoverAllDisplaysKey);
    return panel->activateForWindow(window, withFrame, withinSkafableFrame, coverAll ? &screens : nullptr,
                                    preferredGridDimensionsDictionary, std::move(action));
}

void ZRFullSizeGridOverlayWindow::deactivate() {
    if (ZRFullSizeGridOverlayWindow* panel = sharedPanelByCreatingIfNecessary(false))
        panel->deactivatePanel();
}

AXElementRef ZRFullSizeGridOverlayWindow::controlledWindow() {
    const ZRFullSizeGridOverlayWindow* panel = sharedPanelByCreatingIfNecessary(false);
    return panel ? panel->m_controlledWindow : nullptr;
}

void ZRFullSizeGridOverlayWindow::beep() {
    if (installed && installed->m_beep)
        installed->m_beep();
    else
        QApplication::beep();
}

void ZRFullSizeGridOverlayWindow::watchCurrentEvent(RunLoop& mainRunLoop) {
    CurrentEventWatcher::shared(mainRunLoop);
}

// --- The panel

ZRFullSizeGridOverlayWindow::ZRFullSizeGridOverlayWindow()
    : ZRSelfDrawingOverlayPanel(Rect(), WindowLevel, true, false) {
    setWindowTitle(QString::fromLatin1(WindowTitle));
    // It takes the devices, and with them every click; it lets none through to what lies below.
    setIgnoresMouseEvents(this, false);
    setGeometry(offScreenFrame());
}

ZRFullSizeGridOverlayWindow::~ZRFullSizeGridOverlayWindow() {
    deactivatePanel();
}

bool ZRFullSizeGridOverlayWindow::activateForWindow(const AXElementRef& window, const Rect& withFrame,
                                                    const Rect& withinSkafableFrame,
                                                    const std::vector<ZRVirtualScreen>* coverAllScreens,
                                                    const QVariantMap& preferredGridDimensionsDictionary,
                                                    Action action) {
    m_controlledWindow = nullptr;
    removeGrids();
    if (!window || !action) {
        deactivatePanel();
        return false;
    }
    m_controlledWindow = window;
    m_action = std::move(action);
    m_windowFrame = withFrame;

    m_coversAllScreens = coverAllScreens != nullptr;
    m_coveredScreens = coverAllScreens ? *coverAllScreens : ZRVirtualScreen::screens(context().defaults);
    if (coverAllScreens) {
        for (const ZRVirtualScreen& screen : *coverAllScreens)
            addGrid(screen, screen.skafableFrame(), withFrame, preferredGridDimensionsDictionary);
    } else {
        const auto sameFrame =
            std::find_if(m_coveredScreens.begin(), m_coveredScreens.end(),
                         [&](const auto& s) { return s.skafableFrame() == withinSkafableFrame; });
        const auto screen = sameFrame != m_coveredScreens.end()
                                ? std::optional<ZRVirtualScreen>(*sameFrame)
                                : ZRVirtualScreen::virtualScreenMostRelevantForFrame(
                                      withinSkafableFrame, true, context().defaults);
        addGrid(screen.value_or(ZRVirtualScreen()), withinSkafableFrame, withFrame,
                preferredGridDimensionsDictionary);
    }

    m_assumeKeyboardInteraction = !CurrentEventWatcher::shared(context().mainRunLoop).isClick();
    m_updateHover =
        context().mainRunLoop.performLater(0, [this] { updateHoverCoordinatesWithEvent(nullptr); });

    if (!m_active) {
        m_activating = true;
        m_refused = false;
        takeDevices();
        m_activating = false;
        if (m_refused) {
            deactivatePanel();
            return false;
        }
    }
    return true;
}

void ZRFullSizeGridOverlayWindow::addGrid(const ZRVirtualScreen& screen, const Rect& skafableFrame,
                                          const Rect& windowFrame, const QVariantMap& dimensions) {
    auto* grid = new ZRFullSizeOverlayGrid(context(), contentView());
    // The panel hears the pointer for its grids.
    grid->setAttribute(Qt::WA_TransparentForMouseEvents);
    grid->setGeometry(
        qtRectFromCocoaRect(skafableFrame).toAlignedRect().translated(-contentView()->mapToGlobal(QPoint())));
    grid->setRepresentedWindowFrame(windowFrame);
    grid->setRepresentedSkafableFrame(skafableFrame);
    grid->setPreferredGridDimensionsDictionary(dimensions);
    grid->updateLayoutAfterAdjustingFrame(nullptr);
    grid->setAction([this](ZRGridPrototype& sender) {
        if (m_action)
            m_action(sender);
    });
    grid->show();
    m_grids.push_back(grid);
    m_gridScreens.push_back(screen);
}

void ZRFullSizeGridOverlayWindow::removeGrids() {
    m_updateHover.cancel();
    // A drag in progress lets go of the focus window before its grid goes.
    if (ZRFullSizeOverlayGrid* grid = std::exchange(m_mouseGrid, nullptr))
        grid->cancelDragSelection();
    for (ZRFullSizeOverlayGrid* grid : std::exchange(m_grids, {}))
        delete grid;
    m_gridScreens.clear();
    m_gridAnchorCoordinates = ZRGridCoordinatesNone;
}

// --- The devices

bool ZRFullSizeGridOverlayWindow::holdsKeyboard() const {
    return m_keyboardGrab && m_keyboardGrab->isHeld();
}

bool ZRFullSizeGridOverlayWindow::holdsPointer() const {
    return m_pointerGrab && m_pointerGrab->isHeld();
}

void ZRFullSizeGridOverlayWindow::takeDevices() {
    setGeometry(offScreenFrame());
    orderFrontWithAlphaValue(this, 1.0, false);
    const auto finished = [this](bool granted) { grabFinished(granted); };
    // A grant may come at once, before the handle is stored: both are looked at once both are asked.
    if (!m_keyboardGrab)
        m_keyboardGrab = new WindowInputGrab(this, context().platform.overlayWindows(),
                                             WindowInputGrab::Device::Keyboard, finished);
    if (!m_pointerGrab && !m_refused)
        m_pointerGrab = new WindowInputGrab(this, context().platform.overlayWindows(),
                                            WindowInputGrab::Device::Pointer, finished);
    if (!m_refused && holdsKeyboard() && holdsPointer())
        becomeActive();
}

void ZRFullSizeGridOverlayWindow::grabFinished(bool granted) {
    if (!granted) {
        m_refused = true;
        if (m_activating)
            return;
        // A grid that hears neither keys nor clicks would leave the user stuck before it.
        ZRLog("the full-size grid closes: it cannot have the keyboard and the pointer");
        deactivatePanel();
        beep();
        return;
    }
    if (!m_activating && !m_active && holdsKeyboard() && holdsPointer())
        becomeActive();
}

void ZRFullSizeGridOverlayWindow::releaseDevices() {
    for (QPointer<WindowInputGrab>* grab : {&m_keyboardGrab, &m_pointerGrab}) {
        if (!*grab)
            continue;
        // Given back now; the object goes later, as this may run from its own report.
        (*grab)->release();
        (*grab)->deleteLater();
        *grab = nullptr;
    }
}

void ZRFullSizeGridOverlayWindow::becomeActive() {
    m_active = true;
    // The focus window shows with the grid's first cell outlined, not a turn later.
    m_updateHover.cancel();
    updateHoverCoordinatesWithEvent(nullptr);
    ZRFocusWindow& focus = context().focusWindow();
    focus.setCoverAllScreens(m_coversAllScreens);
    focus.setDisplayRegardless(true);
    focus.setApertureFrame(m_windowFrame);
    focus.setActive(true);
    m_globalMonitor = context().platform.eventStream().install(
        PointerEvents, [this](const TapEvent& event) { handlePointerEvent(event); });
    m_focusWindowChanged = connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
        if (window && window != windowHandle())
            resignKeyWindow();
    });
}

void ZRFullSizeGridOverlayWindow::deactivatePanel() {
    removeGrids();
    m_controlledWindow = nullptr;
    m_action = {};
    releaseDevices();
    QObject::disconnect(m_focusWindowChanged);
    m_globalMonitor.reset();
    if (std::exchange(m_active, false))
        context().focusWindow().setActive(false);
    hide();
}

void ZRFullSizeGridOverlayWindow::resignKeyWindow() {
    deactivatePanel();
}

void ZRFullSizeGridOverlayWindow::deactivateIfNotKeyWindow() {
    if (!isVisible() || !holdsKeyboard())
        deactivatePanel();
}

// --- Hover and clicks

const ZRVirtualScreen* ZRFullSizeGridOverlayWindow::screenOfGrid(const ZRFullSizeOverlayGrid& grid) const {
    const auto found = std::find(m_grids.begin(), m_grids.end(), &grid);
    return found == m_grids.end() ? nullptr : &m_gridScreens[std::size_t(found - m_grids.begin())];
}

ZRFullSizeOverlayGrid* ZRFullSizeGridOverlayWindow::currentGrid() const {
    for (ZRFullSizeOverlayGrid* grid : m_grids)
        if (ZRGridCoordinatesAreValid(grid->hoverCoordinates()))
            return grid;
    return m_grids.empty() ? nullptr : m_grids.front();
}

void ZRFullSizeGridOverlayWindow::updateHoverCoordinatesWithEvent(const ZRGridEvent* event) {
    if (m_grids.empty())
        return;
    m_gridAnchorCoordinates = ZRGridCoordinatesNone;
    ZRFullSizeOverlayGrid* current = nullptr;
    if (!event && m_assumeKeyboardInteraction) {
        for (ZRFullSizeOverlayGrid* grid : m_grids) {
            const ZRVirtualScreen* screen = screenOfGrid(*grid);
            if (!current && screen && grid->representedWindowFrame().intersects(screen->frame())) {
                current = grid;
                const ZRGridCoordinates start = grid->startingCoordinates();
                grid->setHoverCoordinates(start);
                grid->setDraggedToCoordinates(start);
                grid->setDragging(true);
            } else {
                grid->setHoverCoordinates(ZRGridCoordinatesNone);
                grid->setDraggedToCoordinates(ZRGridCoordinatesNone);
                grid->setDragging(false);
            }
        }
    }
    if (!current) {
        // As if the mouse had just been pressed where it is.
        const ZRGridEvent here{
            qtPointFromCocoaPoint(ZRFlipPoint(context().platform.inputState().pointerLocation()))};
        const ZRGridEvent& pointer = event ? *event : here;
        for (ZRFullSizeOverlayGrid* grid : m_grids) {
            grid->setDraggedToCoordinates(ZRGridCoordinatesNone);
            grid->updateHoverCoordinatesWithEvent(&pointer);
            grid->setDragging(false);
            if (ZRGridCoordinatesAreValid(grid->hoverCoordinates()))
                current = grid;
        }
        if (!current)
            current = m_grids.front();
    }
    current->updateFocusWindow();
    current->update();
}

ZRFullSizeOverlayGrid* ZRFullSizeGridOverlayWindow::gridAtGlobalPoint(const QPointF& point) const {
    ZRFullSizeOverlayGrid* found = nullptr;
    for (ZRFullSizeOverlayGrid* grid : m_grids)
        if (QRectF(grid->rect()).contains(grid->mapFromGlobal(point)))
            found = grid;
    return found;
}

void ZRFullSizeGridOverlayWindow::handlePointerEvent(const TapEvent& event) {
    if (!m_active)
        return;
    const ZRGridEvent pointer{qtPointFromCocoaPoint(ZRFlipPoint(event.location))};
    switch (event.type) {
    case TapEventType::MouseMoved:
        if (!m_mouseGrid)
            updateHoverCoordinatesWithEvent(&pointer);
        break;
    case TapEventType::LeftMouseDown: {
        if (m_mouseGrid)
            break;
        ZRFullSizeOverlayGrid* grid = gridAtGlobalPoint(pointer.globalPosition);
        if (grid && grid->mouseDown(pointer)) {
            m_mouseGrid = grid;
            break;
        }
        // A click outside every cell ends the grid.
        deactivatePanel();
        break;
    }
    case TapEventType::LeftMouseDragged:
        if (m_mouseGrid)
            m_mouseGrid->mouseDragged(pointer);
        else
            updateHoverCoordinatesWithEvent(&pointer);
        break;
    case TapEventType::LeftMouseUp:
        // A release without a press of the grid's is the end of the click that opened it.
        if (const QPointer<ZRFullSizeOverlayGrid> grid = std::exchange(m_mouseGrid, nullptr)) {
            grid->mouseUp();
            deactivatePanel();
        }
        break;
    case TapEventType::RightMouseDown:
        deactivatePanel();
        break;
    default:
        break;
    }
}

// --- Keys

ZRFullSizeOverlayGrid*
ZRFullSizeGridOverlayWindow::gridAtPosition(int position, const ZRFullSizeOverlayGrid& relativeToGrid,
                                            bool loop, std::int64_t* updateMaximumColumn,
                                            std::int64_t* updateMaximumRow) const {
    const ZRVirtualScreen* screen = screenOfGrid(relativeToGrid);
    if (!screen)
        return nullptr;
    const auto neighbour = screen->virtualScreenAtRelativePosition(position, loop, m_coveredScreens);
    if (!neighbour)
        return nullptr;
    for (std::size_t i = 0; i < m_grids.size(); ++i) {
        if (m_grids[i] == &relativeToGrid || m_gridScreens[i].frame() != neighbour->frame())
            continue;
        const ZRGridCoordinates last = lastCell(*m_grids[i]);
        if (updateMaximumColumn)
            *updateMaximumColumn = last.column;
        if (updateMaximumRow)
            *updateMaximumRow = last.row;
        return m_grids[i];
    }
    return nullptr;
}

bool ZRFullSizeGridOverlayWindow::handleKeyDownEvent(const KeyEvent& event) {
    const QString characters = event.charactersIgnoringModifiers.toLower();
    if (characters.isEmpty())
        return false;
    if (characters == u",") {
        // The settings window takes the keys once the grid has let go of them.
        deactivatePanel();
        if (installed && installed->m_settingsWindow)
            installed->m_settingsWindow->openSettingsWindow();
        return true;
    }
    ZRFullSizeOverlayGrid* grid = currentGrid();
    if (!grid)
        return false;
    const bool extend = event.modifierFlags & ModifierFlag::Shift;
    switch (ZRArrowKeyForHJKL(characters.front().unicode(), event.keyCode, context().defaults)) {
    case FunctionKeyCharacter::UpArrow:
        return moveSelection(0, 1, extend);
    case FunctionKeyCharacter::DownArrow:
        return moveSelection(0, -1, extend);
    case FunctionKeyCharacter::LeftArrow:
        return moveSelection(-1, 0, extend);
    case FunctionKeyCharacter::RightArrow:
        return moveSelection(1, 0, extend);
    case KeyEquivalentCharacter::Enter:
    case KeyEquivalentCharacter::Return:
    case KeyEquivalentCharacter::Space:
        if (!ZRGridCoordinatesAreValid(grid->hoverCoordinates()) || !m_action)
            return false;
        sendAction(*grid);
        return true;
    default:
        return false;
    }
}

void ZRFullSizeGridOverlayWindow::sendAction(ZRFullSizeOverlayGrid& grid) {
    if (!ZRGridCoordinatesAreValid(grid.draggedToCoordinates()))
        grid.setDraggedToCoordinates(grid.hoverCoordinates());
    grid.gridWillSendActionWithSelectionBetweenCoordinates(grid.hoverCoordinates(),
                                                           grid.draggedToCoordinates());
    // The action reads the controlled window, which goes with the grid.
    const Action action = m_action;
    action(grid);
    deactivatePanel();
}

bool ZRFullSizeGridOverlayWindow::moveSelection(int columnStep, int rowStep, bool extend) {
    ZRFullSizeOverlayGrid* grid = currentGrid();
    if (!ZRGridCoordinatesAreValid(grid->hoverCoordinates()))
        grid->setHoverCoordinates(ZRGridCoordinatesMake(0, 0));
    grid->setDragging(true);

    ZRGridCoordinates base;
    if (extend) {
        if (!ZRGridCoordinatesAreValid(m_gridAnchorCoordinates))
            m_gridAnchorCoordinates = grid->hoverCoordinates();
        // A selection that the mouse left at a single cell extends from that cell.
        base = ZRGridCoordinatesAreValid(grid->draggedToCoordinates()) ? grid->draggedToCoordinates()
                                                                       : grid->hoverCoordinates();
    } else if (context().defaults.boolForKey(NonModifierArrowKeysResetSelectionKey)) {
        base = grid->hoverCoordinates();
        m_gridAnchorCoordinates = ZRGridCoordinatesNone;
    } else {
        base = ZRGridCoordinatesAreValid(m_gridAnchorCoordinates) ? m_gridAnchorCoordinates
                                                                  : grid->hoverCoordinates();
    }

    ZRGridCoordinates target = ZRGridCoordinatesMake(base.column + columnStep, base.row + rowStep);
    ZRFullSizeOverlayGrid* targetGrid = grid;
    const ZRGridCoordinates last = lastCell(*grid);
    const bool outside =
        target.column < 0 || target.row < 0 || target.column > last.column || target.row > last.row;
    if (outside && !extend && m_grids.size() > 1) {
        const int direction = target.column < 0             ? ZRScreenDirectionLeft
                              : target.column > last.column ? ZRScreenDirectionRight
                              : target.row < 0              ? ZRScreenDirectionBelow
                                                            : ZRScreenDirectionAbove;
        std::int64_t maximumColumn = -1;
        std::int64_t maximumRow = -1;
        ZRFullSizeOverlayGrid* neighbour = gridAtPosition(
            direction, *grid, context().defaults.boolForKey(LoopKey), &maximumColumn, &maximumRow);
        if (neighbour && maximumColumn >= 0 && maximumRow >= 0) {
            switch (direction) {
            case ZRScreenDirectionLeft:
                target.column = maximumColumn;
                break;
            case ZRScreenDirectionRight:
                target.column = 0;
                break;
            case ZRScreenDirectionBelow:
                target.row = maximumRow;
                break;
            default:
                target.row = 0;
                break;
            }
            target = *clampedInto(target, ZRGridCoordinatesMake(maximumColumn, maximumRow));
            m_gridAnchorCoordinates = ZRGridCoordinatesNone;
            grid->setHoverCoordinates(ZRGridCoordinatesNone);
            grid->setDraggedToCoordinates(ZRGridCoordinatesNone);
            grid->setDragging(false);
            grid->update();
            neighbour->setDragging(true);
            targetGrid = neighbour;
        }
    }
    if (targetGrid == grid) {
        const auto within = clampedInto(target, last);
        if (!within)
            return true;
        target = *within;
    }

    if (extend) {
        grid->setDraggedToCoordinates(target);
    } else {
        targetGrid->setHoverCoordinates(target);
        if (ZRGridCoordinatesAreValid(m_gridAnchorCoordinates))
            m_gridAnchorCoordinates = target;
        else
            targetGrid->setDraggedToCoordinates(target);
    }
    targetGrid->updateFocusWindow();
    targetGrid->update();
    return true;
}

// --- Events

bool ZRFullSizeGridOverlayWindow::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto* key = static_cast<QKeyEvent*>(event);
        event->accept();
        if (isModifierKey(key->key()))
            return true;
        // A key during a drag selection ends it without the action, and the grid with it.
        if (const QPointer<ZRFullSizeOverlayGrid> grid = std::exchange(m_mouseGrid, nullptr)) {
            grid->cancelDragSelection();
            deactivatePanel();
            return true;
        }
        const std::optional<KeyEvent> keyDown =
            keyEventFromQKeyEvent(*key, &context().platform.inputState(), context().mainRunLoop.now());
        if (!keyDown || !handleKeyDownEvent(*keyDown))
            deactivatePanel();
        return true;
    }
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
        event->accept();
        return true;
    default:
        return ZRSelfDrawingOverlayPanel::event(event);
    }
}

void ZRFullSizeGridOverlayWindow::drawOverlayInBounds(QPainter&, const QRectF&, QWidget*) {}
