#include "keyboard-control/ZRKeyboardControlPanel.h"

#include "actions/ZRKeyboardControlPanelDelegate.h"
#include "hotkeys/KeyEvent.h"
#include "hotkeys/QtKeyEvents.h"
#include "keyboard-control/ZRKeyboardControlContext.h"
#include "mouse-control/ZRAutoDeactivateInterval.h"
#include "mouse-control/ZRFocusWindow.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/MouseLocation.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/WindowExtensions.h"
#include "toolkit/ZRLog.h"
#include "window-access/Coordinates.h"
#include "window-access/VirtualScreen.h"
#include "window-access/WindowAccessDefaults.h"
#include "window-access/WindowElements.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <algorithm>
#include <cmath>

namespace {

const QString ShowCheatSheetKey = QStringLiteral("Show Cheat Sheet");
const QString HideLogoKey = QStringLiteral("Hide Keyboard Controls Logo");
const QString KeyboardControlsGridKey = QStringLiteral("Keyboard Controls Grid");
const QString CoverAllDisplaysKey = QStringLiteral("Mouse Controls Grid: Full Size: Cover All Displays");

// Frame: the usable area loses this much at top and bottom; below the logo comes this gap (the smaller
// one without the logo); the rows have margins on both sides of the sheet and inside it.
constexpr double AreaInset = 5;
constexpr double GapBelowLogo = 40;
constexpr double GapWithoutLogo = 20;
constexpr double SheetMargin = 20;
constexpr double ColumnGap = 40;
constexpr double MinimumHeight = 10;
constexpr double CheatSheetFontSize = 14;
constexpr double CheatSheetLineSpacing = 5;

// The texts of the two columns: every row's name (an empty line for a row without), and the keys of the
// rows that have a name.
QStringList namesOf(const std::vector<ZRKeyboardControlDescription>& rows) {
    QStringList names;
    for (const auto& row : rows)
        names << row.actionName.value_or(QString());
    return names;
}

QStringList shortcutsOf(const std::vector<ZRKeyboardControlDescription>& rows) {
    QStringList shortcuts;
    for (const auto& row : rows)
        if (row.actionName)
            shortcuts << row.keyboardShortcut;
    return shortcuts;
}

// The size of lines of text set one below the other by the attributes.
Size textSize(const QStringList& lines, const ZRCheatSheetTextAttributes& attributes) {
    if (lines.isEmpty())
        return {};
    const QFontMetricsF metrics(attributes.text.font);
    double width = 0;
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line));
    const double count = double(lines.size());
    return {width, count * metrics.height() + (count - 1) * attributes.lineSpacing};
}

double keptNamesWidth = 0;

// The screen the window lies on most; without a readable window the one under the pointer, else the first.
std::optional<ScreenInfo> screenForWindow(Platform& platform, const UserDefaults& defaults,
                                          const AXElementRef& window) {
    if (const auto frame = window ? ZRCopyWindowFrame(window, ZRAllowsForDrawers(defaults)) : std::nullopt) {
        if (const auto screen =
                ZRVirtualScreen::virtualScreenMostRelevantForFrame(ZRFlipRect(*frame), false, defaults))
            return screen->hostScreen();
    }
    const auto screens = platform.screens().screens();
    const Point pointer = zeroBasedMouseLocation();
    for (const ScreenInfo& screen : screens)
        if (screen.frame.contains(pointer))
            return screen;
    return screens.empty() ? std::nullopt : std::optional<ScreenInfo>(screens.front());
}

} // namespace

// --- Class side

Rect ZRKeyboardControlPanel::frameForScreen(const ScreenInfo* screen,
                                            const std::vector<ZRKeyboardControlDescription>& rows,
                                            bool canControlWindow, const UserDefaults& defaults) {
    if (!screen)
        return {};
    const Rect area = visibleFrameWithExtraDockSpacing(screen, defaults).insetBy(0, AreaInset);
    const bool hideLogo = defaults.boolForKey(HideLogoKey);
    const double logoHeight = canControlWindow && hideLogo ? 0 : LogoSide;
    double width = LogoSide;
    double height = logoHeight;
    if (!rows.empty()) {
        const Size names = textSize(namesOf(rows), cheatSheetAttributesForAction(true));
        keptNamesWidth = std::ceil(names.width);
        const double shortcutsWidth =
            std::ceil(textSize(shortcutsOf(rows), cheatSheetAttributesForAction(false)).width);
        width = std::max(LogoSide, shortcutsWidth + keptNamesWidth + IconWidth + 2 * SheetMargin + ColumnGap);
        height = logoHeight + (hideLogo ? GapWithoutLogo : GapBelowLogo) + names.height + 2 * SheetMargin;
    }
    height = std::max(height, MinimumHeight);
    const double x = area.x() + std::floor((area.width() - width) / 2);
    if (height < area.height())
        return {x, area.y() + std::floor((area.height() - height) / 2), width, height};
    return {x, area.y(), width, area.height()};
}

ZRKeyboardControlPanel*
ZRKeyboardControlPanel::overlayPanelWithFrame(const ZRKeyboardControlContext& context, const Rect& frame,
                                              const AXElementRef& controlledWindow,
                                              std::vector<ZRKeyboardControlDescription> descriptions) {
    return new ZRKeyboardControlPanel(context, frame, controlledWindow, std::move(descriptions));
}

const ZRCheatSheetTextAttributes& ZRKeyboardControlPanel::cheatSheetAttributesForAction(bool forAction) {
    static const auto make = [](Qt::Alignment alignment) {
        ZRCheatSheetTextAttributes attributes;
        attributes.text.font = QApplication::font();
        attributes.text.font.setPixelSize(int(CheatSheetFontSize));
        attributes.text.alignment = alignment | Qt::AlignTop;
        attributes.lineSpacing = CheatSheetLineSpacing;
        attributes.elideMode = Qt::ElideRight;
        return attributes;
    };
    static const ZRCheatSheetTextAttributes names = make(Qt::AlignLeft);
    static const ZRCheatSheetTextAttributes shortcuts = make(Qt::AlignRight);
    return forAction ? names : shortcuts;
}

double ZRKeyboardControlPanel::namesWidth() {
    return keptNamesWidth;
}

double ZRKeyboardControlPanel::iconRowPitch(double namesHeight, std::size_t numberOfRows) {
    if (numberOfRows == 0)
        return 0;
    return (namesHeight + CheatSheetLineSpacing) / double(numberOfRows);
}

double ZRKeyboardControlPanel::autoDeactivateIntervalForCheatSheet(bool cheatSheet,
                                                                   const UserDefaults& defaults) {
    return ::autoDeactivateIntervalForCheatSheet(cheatSheet, defaults);
}

void ZRKeyboardControlPanel::drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget* view,
                                                 QWidget* window) {
    if (auto* panel = qobject_cast<ZRKeyboardControlPanel*>(window))
        panel->drawOverlayInBounds(painter, bounds, view);
}

// --- The panel

ZRKeyboardControlPanel::ZRKeyboardControlPanel(const ZRKeyboardControlContext& context, const Rect& frame,
                                               const AXElementRef& controlledWindow,
                                               std::vector<ZRKeyboardControlDescription> descriptions)
    : ZRSelfDrawingOverlayPanel(frame, WindowLevel, true, false), m_context(context),
      m_keyboardControlDescriptions(std::move(descriptions)),
      m_keyboard(
          this, m_context.platform,
          [this] {
              // A panel that hears no keys would only stand in the way until it closed by itself.
              ZRLog("the keyboard controls close: they cannot have the keyboard");
              setActive(false);
              if (m_beep)
                  m_beep();
              else
                  QApplication::beep();
          },
          // The panel is never the active window, so it cannot hear that it lost the keys itself.
          [this] { resignKeyWindow(); }) {
    setWindowTitle(QString::fromLatin1(WindowTitle));
    setControlledWindow(controlledWindow);
    updateVisualEffectView();
}

ZRKeyboardControlPanel::~ZRKeyboardControlPanel() {
    m_keyboard.release();
    m_keyboard.watchForLoss(false);
    // Its owner closes it first; one destroyed open still leaves the focus window as it found it.
    if (m_active)
        m_context.focusWindow().setActive(false);
    if (m_controlledWindow)
        m_context.windowObserver.removeObserverDelegate(this, m_controlledWindow);
}

bool ZRKeyboardControlPanel::activateForWindow(const AXElementRef& window) {
    AXElementRef controlled;
    QString why;
    if (!window)
        why = QStringLiteral("no window to control: the frontmost application has no focused window");
    else if (!ZRWindowIsControllable(window, m_context.defaults))
        why = QStringLiteral("cannot control the window: it is in full screen and \"Control Full Screen "
                             "Windows\" is off");
    else
        controlled = window;
    // The cheat sheet lists what the keys do to a window; without one there is nothing to list.
    std::vector<ZRKeyboardControlDescription> rows;
    if (controlled && boolSetting(ShowCheatSheetKey) && m_cheatSheetSource)
        rows = m_cheatSheetSource();

    const std::optional<ScreenInfo> screen = screenForWindow(m_context.platform, m_context.defaults, window);
    const Rect frame =
        frameForScreen(screen ? &*screen : nullptr, rows, controlled != nullptr, m_context.defaults);
    if (frame.isZero()) {
        ZRLog("cannot show keyboard controls: there is no screen");
        return false;
    }
    if (!why.isEmpty() && boolSetting(QString::fromUtf16(ZRDebugLogUserDefaultName)))
        ZRLog("[Debug] keyboard controls: %@", why);
    setKeyboardControlDescriptions(std::move(rows));
    setUncontrollableWindowDescription(why);
    setControlledWindow(controlled);
    setCocoaFrame(frame);
    const bool wasActive = m_active;
    setActive(true);
    if (wasActive)
        m_context.focusWindow().updateApertureFrameForWindow(m_controlledWindow);
    return true;
}

bool ZRKeyboardControlPanel::logoShows() const {
    return !m_controlledWindow || !boolSetting(HideLogoKey);
}

void ZRKeyboardControlPanel::setActive(bool active) {
    if (active)
        contentView()->update();
    if (active != m_active) {
        m_active = active;
        ZRFocusWindow& focus = m_context.focusWindow();
        if (active) {
            if (!m_temporarilyHidden) {
                orderFrontAndFadeIn(this);
                m_keyboard.take();
            }
            m_keyboard.watchForLoss(true);
            if (boolSetting(KeyboardControlsGridKey) && boolSetting(CoverAllDisplaysKey))
                focus.setCoverAllScreens(true);
            focus.setOutlineFrame(Rect());
            focus.setDisplayRegardless(boolSetting(ShowCheatSheetKey) || logoShows());
            focus.setActive(true);
            focus.updateApertureFrameForWindow(m_controlledWindow);
        } else {
            m_keyboard.release();
            m_keyboard.watchForLoss(false);
            // A panel opened again during the fade controls a window of its own by then.
            const AXElementRef closing = m_controlledWindow;
            fadeOutAndCloseWithCompletionHandler(this, [this, closing] {
                if (m_controlledWindow == closing && !m_active)
                    setControlledWindow(nullptr);
            });
            focus.setActive(false);
        }
        if (m_delegate)
            m_delegate->keyboardControlPanelDidBecomeActive(*this, active);
    }
    scheduleAutoDeactivation();
}

bool ZRKeyboardControlPanel::boolSetting(const QString& key) const {
    return m_context.defaults.boolForKey(key);
}

// --- Closing by itself

void ZRKeyboardControlPanel::scheduleAutoDeactivation() {
    m_autoDeactivate.cancel();
    if (m_active)
        m_autoDeactivate =
            m_context.mainRunLoop.performLater(autoDeactivateInterval(), [this] { autoDeactivate(); });
}

double ZRKeyboardControlPanel::autoDeactivateInterval() const {
    if (!m_controlledWindow)
        return UncontrolledAutoDeactivateInterval;
    return autoDeactivateIntervalForCheatSheet(boolSetting(ShowCheatSheetKey), m_context.defaults);
}

void ZRKeyboardControlPanel::autoDeactivate() {
    if (m_delegate && !m_delegate->keyboardControlPanelShouldAutoDeactivate(*this)) {
        scheduleAutoDeactivation();
        return;
    }
    setActive(false);
}

// --- The window and the rows

void ZRKeyboardControlPanel::setControlledWindow(const AXElementRef& window) {
    if (window != m_controlledWindow) {
        ZRWindowObserver& observer = m_context.windowObserver;
        if (m_controlledWindow)
            observer.removeObserverDelegate(this, m_controlledWindow);
        m_controlledWindow = window;
        if (m_controlledWindow)
            observer.addObserverDelegate(this, m_controlledWindow);
    }
    m_canResizeControlledWindow = ZRWindowIsResizable(m_controlledWindow, m_context.defaults);
    updateVisualEffectView();
}

void ZRKeyboardControlPanel::setTemporarilyHidden(bool hidden) {
    if (hidden == m_temporarilyHidden)
        return;
    m_temporarilyHidden = hidden;
    if (!m_active)
        return;
    if (hidden) {
        m_keyboard.release();
        hide();
    } else {
        orderFrontWithAlphaValue(this, 1.0, false);
        m_keyboard.take();
    }
}

void ZRKeyboardControlPanel::setKeyboardControlDescriptions(std::vector<ZRKeyboardControlDescription> rows) {
    m_keyboardControlDescriptions = std::move(rows);
    updateVisualEffectView();
}

void ZRKeyboardControlPanel::setUncontrollableWindowDescription(const QString& description) {
    m_uncontrollableWindowDescription = description;
    contentView()->update();
}

void ZRKeyboardControlPanel::observedWindow(const AXElementRef& window, const QString&) {
    if (m_active && AXElementsEqual(window, m_controlledWindow))
        m_context.focusWindow().updateApertureFrameForWindow(window);
}

// --- Keys and losing them

bool ZRKeyboardControlPanel::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
        if (const auto key =
                keyEventFromQKeyEvent(*static_cast<QKeyEvent*>(event), &m_context.platform.inputState(),
                                      m_context.mainRunLoop.now()))
            sendEvent(*key);
        event->accept();
        return true;
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
        event->accept();
        return true;
    default:
        return ZRSelfDrawingOverlayPanel::event(event);
    }
}

void ZRKeyboardControlPanel::resizeEvent(QResizeEvent* event) {
    ZRSelfDrawingOverlayPanel::resizeEvent(event);
    updateVisualEffectView();
}

void ZRKeyboardControlPanel::sendEvent(const KeyEvent& event) {
    if (!m_active || !m_controlledWindow || event.type != KeyEventType::KeyDown)
        return;
    scheduleAutoDeactivation();
    // The delegate may close the panel; what it leaves is the panel's own to handle, and it has nothing
    // more to do with a key.
    if (m_delegate)
        m_delegate->keyboardControlPanelShouldIgnoreEvent(*this, event);
}

void ZRKeyboardControlPanel::resignKeyWindow() {
    if (m_active && !m_temporarilyHidden)
        setActive(false);
}

void ZRKeyboardControlPanel::overlayWindowDidDeactivate(QWidget*) {
    setActive(false);
}
