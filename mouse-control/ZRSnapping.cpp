#include "mouse-control/ZRSnapping.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "mouse-control/ZRFocusOutlineStyle.h"
#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlDropZones.h"
#include "mouse-control/ZRMouseControlKeyboardMenu.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRSnapZones.h"
#include "mouse-control/ZRWindowFilter.h"
#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/WindowServer.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRMainController.h"
#include "toolkit/MouseLocation.h"
#include "toolkit/ZRLog.h"
#include "window-access/Coordinates.h"
#include "window-access/GridGeometry.h"
#include "window-access/IgnoreList.h"
#include "window-access/Position.h"
#include "window-access/VirtualScreen.h"
#include "window-access/WindowElements.h"
#include "window-access/WindowFrameSetting.h"

#include <cmath>

namespace {

namespace D = ZRMouseControlDefault;

// Below this "Snap Delay" (seconds) a snap does not wait for the pointer to rest.
constexpr double LeastSnapDelay = 0.01;
// Seconds a target the window cannot take is shown in red.
constexpr double AlertSeconds = 2.0;
// The chooser's icons, in line heights of the keyboard menu.
constexpr double ChooserIconWidth = 0.9;
constexpr double ChooserIconHeight = 0.63;
// How far (points) a window may stray from the path of its drag and still count as placed by the program.
constexpr double DragPathTolerance = 2.0;
// Snap back also acts on frames set for positions above this, with "Snap Back: Scope" 1.
constexpr std::int64_t LeastScopePosition = 1;
constexpr std::int64_t WideSnapBackScope = 1;

QString windowTitle(const AXElementRef& window) {
    const AXValue title = ZRCopyAXAttribute(window, AX::Title);
    return std::holds_alternative<QString>(title) ? std::get<QString>(title) : QString();
}

std::shared_ptr<ZRAction> actionWithIdentifier(const ZRActionManager& store, const QString& identifier) {
    for (const auto& action : store.allActions())
        if (action->uniqueIdentifier() == identifier)
            return action;
    return nullptr;
}

bool sameSize(const Rect& a, const Rect& b) {
    return a.size == b.size;
}

// Whether the value lies between 0 and the travel, either way, within the tolerance.
bool withinTravel(double value, double travel) {
    return value >= std::min(0.0, travel) - DragPathTolerance &&
           value <= std::max(0.0, travel) + DragPathTolerance;
}

} // namespace

struct ZRSnapping::Target {
    // Cocoa.
    Rect frame;
    bool keepRightEdge = false;
    bool keepBottomEdge = false;
    // The window's frame (Quartz) when the target needed it already.
    std::optional<Rect> currentFrame;
};

ZRSnapping::ZRSnapping(ZRMouseController& controller, ZRMouseGestures& gestures)
    : m_controller(controller), m_context(controller.context()), m_gestures(gestures) {}

ZRSnapping::~ZRSnapping() {
    m_context.mainRunLoop.cancel(m_snapTimer);
    if (m_isReadyToSnap)
        setReadyForSnap(false);
}

ZRActionController& ZRSnapping::actions() const {
    return m_context.mainController().actions();
}

const std::vector<ZRVirtualScreen>& ZRSnapping::screens() {
    if (!m_screens) {
        m_screens = ZRVirtualScreen::screens(m_context.defaults);
        m_screensChanged = m_context.platform.screens().screensChanged.connect([this] { m_screens.reset(); });
    }
    return *m_screens;
}

const ZRSnapZoneSettings& ZRSnapping::zoneSettings() {
    if (!m_zoneSettings)
        m_zoneSettings = ZRSnapZoneSettings::read(m_context.defaults, false);
    return *m_zoneSettings;
}

// --- Tracking

void ZRSnapping::setSnapWindowFromTappedMouseEvent(const TapEvent* event) {
    endTracking(event == nullptr);
    if (!event)
        return;
    const bool hoverMove = m_gestures.hover.isMoveInProgress();
    std::optional<QString> bundleIdentifier;
    std::optional<WindowListEntry> description;
    AXElementRef window;
    if (hoverMove) {
        window = m_gestures.hover.window();
    } else {
        const bool commandDrag = (event->flags & ModifierFlag::Command) &&
                                 !m_context.defaults.boolForKey(D::SnapMonitorCommandDragging);
        if (!commandDrag &&
            shouldProcessTappedMouseEventAtLocation(event->location, false, &bundleIdentifier, &description,
                                                    nullptr, m_context.defaults)) {
            const bool byEntry = description && ZRApplicationIsIgnored(bundleIdentifier.value_or(QString()),
                                                                       ZRIgnoreListCategory::Position);
            window = ZRWindowForWindowListEntry(event->location, byEntry ? &*description : nullptr, false);
        }
    }
    if (!window)
        return;

    m_gestures.snap.beginTracking(window);
    m_windowManagerDrags = !hoverMove && event->type == TapEventType::LeftMouseDown;
    m_snapWindowNumber = description ? description->number : 0;
    if (m_snapWindowNumber > 0) {
        m_snapWindowDescriptionCGFrame = description->bounds;
        if (ZRDebugLogEnabled())
            ZRLog("[Debug] snap window \"%@\" presumed identical with window: %@ owned by %@",
                  windowTitle(window), zrLogDescription(*description), bundleIdentifier.value_or(QString()));
    }
    m_snapWindowOriginalCGFrame =
        ZRCopyWindowFrame(window, ZRAllowsForDrawers(m_context.defaults)).value_or(Rect());
    // Hover moves the window itself; the window list and the observer would only repeat it.
    if (!hoverMove)
        m_context.windowObserver.addObserverDelegate(this, window);
}

void ZRSnapping::endTracking(bool realEnd) {
    m_context.mainRunLoop.cancel(std::exchange(m_snapTimer, 0));
    if (const AXElementRef window = m_gestures.snap.trackedWindow()) {
        m_context.windowObserver.removeObserverDelegate(this, window);
        if (realEnd && !m_controller.features().previewBeforeSnap) {
            // The window may have been nudged off its snapped place on its way to the mouse up.
            const Rect confirm = m_snapWindowSnapCGFrameToConfirm;
            const auto current = ZRCopyWindowFrame(window, ZRAllowsForDrawers(m_context.defaults));
            if (!confirm.isEmpty() && ZRGridGeometry::appliesSpacingToEdges(m_context.defaults) && current &&
                sameSize(*current, confirm) && current->origin != confirm.origin)
                setWindowFrame(window, confirm, {.animate = false, .resume = false});
        } else if (realEnd && m_isReadyToSnap) {
            // The button is up: the window manager's move is over and is not resumed.
            m_buttonIsUp = true;
            snap();
            m_buttonIsUp = false;
        }
        if (m_snapChooserAction) {
            m_snapChooserAction = nullptr;
            m_controller.keyboardMenu().vanishAndClose();
        }
    }
    // Every end gives the preview back, also one that a lost mouse up left showing.
    setReadyForSnap(false);
    m_screens.reset();
    m_zoneSettings.reset();
    m_screensChanged.disconnect();
    m_gestures.snap.endTracking();
    m_snapWindowNumber = 0;
    m_snapWindowSnapCGFrameToConfirm = {};
    m_didAttemptSnapBack = false;
    m_windowManagerDrags = false;
}

void ZRSnapping::updateSnapWindowStatusWithTappedMouseDraggedEvent(const TapEvent& event) {
    m_snapWindowSnapCGFrameToConfirm = {};
    ZRSnapGesture& snap = m_gestures.snap;
    if (snap.isMoving() || !snap.trackedWindow() || m_snapWindowNumber == 0)
        return;
    std::optional<WindowListEntry> entry;
    if (!shouldProcessTappedMouseEventAtLocation(event.location, false, nullptr, &entry, nullptr,
                                                 m_context.defaults) ||
        !entry || entry->number != m_snapWindowNumber ||
        !sameSize(entry->bounds, m_snapWindowDescriptionCGFrame) ||
        entry->bounds.origin == m_snapWindowDescriptionCGFrame.origin)
        return;
    if (ZRDebugLogEnabled())
        ZRLog("[Debug] event tap: window \"%@\" is moving from %@ to %@ (window description: %@)",
              windowTitle(snap.trackedWindow()), stringFromRect(m_snapWindowDescriptionCGFrame),
              stringFromRect(entry->bounds), zrLogDescription(*entry));
    snap.noteMoved();
}

void ZRSnapping::observedWindow(const AXElementRef& window, const QString& notification) {
    if (notification != AX::MovedNotification || !AXElementsEqual(window, m_gestures.snap.trackedWindow()))
        return;
    if (ZRDebugLogEnabled())
        ZRLog("[Debug] window observer: window \"%@\" is moving", windowTitle(window));
    m_gestures.snap.noteMoved();
    const ZRMouseControlFeatures& features = m_controller.features();
    if (features.snapOn)
        prepareToSnap();
    if (features.snapBackOn)
        snapBack();
}

// --- Snapping

void ZRSnapping::prepareToSnap() {
    m_context.mainRunLoop.cancel(std::exchange(m_snapTimer, 0));
    if (!m_gestures.snap.isMoving())
        return;
    const double delay = m_controller.delayForUserDefaultName(D::SnapDelay);
    // A preview that shows follows the pointer at once.
    if (delay < LeastSnapDelay || (m_controller.features().previewBeforeSnap && m_isReadyToSnap)) {
        snapWhenReady();
        return;
    }
    m_snapTimer = m_context.mainRunLoop.schedule(
        delay,
        [this] {
            m_snapTimer = 0;
            snapWhenReady();
        },
        CommonRunLoopModes);
}

void ZRSnapping::snapWhenReady() {
    if (!m_gestures.snap.isMoving())
        return;
    if (!m_controller.features().previewBeforeSnap) {
        snap();
    } else {
        Rect screenFrame;
        const Rect frame = snapFrameAtCurrentMouseLocation(false, false, &screenFrame);
        ZRFocusWindow& focus = m_context.focusWindow();
        if (!frame.isEmpty() && !screenFrame.isEmpty()) {
            focus.setOutlineFrame(frame);
            const AXElementRef& window = m_gestures.snap.trackedWindow();
            const auto current = ZRCopyWindowFrame(window, ZRAllowsForDrawers(m_context.defaults));
            if ((current && current->size == frame.size) || ZRWindowIsResizable(window, m_context.defaults)) {
                setReadyForSnap(true);
                return;
            }
            // The window cannot take the target: it is shown in red for a moment.
            if (!focus.isActive()) {
                focus.setDisplayRegardless(
                    m_context.defaults.boolForKey(ZRFocusDefault::AlwaysEnableForSnap));
                focus.setApertureFrame({});
            }
            focus.setDrawOutlineAsAlert(true);
            focus.activateTemporarily(AlertSeconds);
        } else if (frame.isEmpty()) {
            m_snapChooserAction = nullptr;
        }
        setReadyForSnap(false);
    }
    m_controller.keyboardMenu().close();
}

void ZRSnapping::setReadyForSnap(bool ready) {
    if (ready == m_isReadyToSnap)
        return;
    m_isReadyToSnap = ready;
    ZRFocusWindow& focus = m_context.focusWindow();
    if (ready && !focus.isActive()) {
        focus.setDisplayRegardless(m_context.defaults.boolForKey(ZRFocusDefault::AlwaysEnableForSnap));
        focus.setApertureFrame({});
    }
    focus.setActive(ready);
}

void ZRSnapping::snap() {
    snapFrameAtCurrentMouseLocation(false, true, nullptr);
}

void ZRSnapping::snapBack() {
    snapFrameAtCurrentMouseLocation(true, true, nullptr);
}

Rect ZRSnapping::snapFrameAtCurrentMouseLocation(bool forSnappingBack, bool performAction,
                                                 Rect* getScreenFrame) {
    const AXElementRef window = m_gestures.snap.trackedWindow();
    if (!window || !m_gestures.snap.isMoving() || (forSnappingBack && m_didAttemptSnapBack) ||
        m_controller.dropZones().isActive())
        return {};
    ZRSnapZoneSettings settings = zoneSettings();
    // A shown chooser deepens the bands, so the pointer can move along it.
    if (m_controller.keyboardMenu().isVisible())
        settings.bandDepth = settings.cornerReach;
    const Point location = zeroBasedMouseLocation();
    const auto zone = ZRSnapZoneAtLocation(location, screens(), settings, forSnappingBack);
    if (!zone)
        return {};
    if (getScreenFrame)
        *getScreenFrame = zone->screen.frame();
    if (zone->position == ZRPositionNone)
        return forSnappingBack ? snapBackFrame(window, location, performAction) : Rect();
    if (forSnappingBack)
        return {};
    const auto target = targetOfZone(zone->position, zone->screen, location, settings.cornerReach, window);
    if (!target)
        return {};
    if (performAction)
        apply(window, *target);
    return target->frame;
}

std::optional<ZRSnapping::Target> ZRSnapping::targetOfZone(std::int64_t position,
                                                           const ZRVirtualScreen& screen, Point location,
                                                           double cornerReach, const AXElementRef& window) {
    const UserDefaults& defaults = m_context.defaults;
    const QVariant value = defaults.object(userDefaultNameForSnapPosition(position));
    std::optional<Target> target;
    std::shared_ptr<ZRAction> chooser;
    std::int64_t chosen = -1;
    if (value.metaType().id() == QMetaType::QString) {
        // "=" and the unique identifier of a custom action.
        const QString text = value.toString();
        const auto action =
            text.size() >= 2 ? actionWithIdentifier(m_context.actionStore(), text.mid(1)) : nullptr;
        if (action && action->actionType() == ZRActionTypeLayout &&
            defaults.boolForKey(D::DropSnapActivateViaSnap) &&
            m_controller.dropZones().activateForAction(action)) {
            // The layout's drop zones take over.
            m_controller.keyboardMenu().close();
            m_snapChooserAction = nullptr;
            return std::nullopt;
        }
        std::shared_ptr<ZRAction> member = action;
        if (action && (action->actionType() == ZRActionTypeFolder ||
                       (action->actionType() == ZRActionTypeLayout && action->snapChildren().size() > 1))) {
            chooser = action;
            const auto children = action->snapChildren();
            chosen = ZRSnapChooserIndex(position, location, screen.frame(), cornerReach,
                                        std::int64_t(children.size()));
            member = chosen >= 0 ? children[std::size_t(chosen)] : nullptr;
        }
        if (member)
            target = targetOfAction(*member, screen);
    } else if (value.isValid()) {
        target = Target{};
        switch (value.toLongLong()) {
        case ZRActionTypeFill:
            target->frame = ZRGridGeometry::windowFrameAtPosition(ZRPositionFull, screen, m_context.defaults);
            break;
        case ZRActionTypeHalf:
        case ZRActionTypeQuarter:
            target->frame = ZRGridGeometry::windowFrameAtPosition(position, screen, m_context.defaults);
            target->keepRightEdge = ZRPositionIsRight(position);
            target->keepBottomEdge = ZRPositionIsBottom(position);
            break;
        case ZRActionTypeCenter:
        case ZRActionTypeCenterGeometrically:
            target->currentFrame = ZRCopyWindowFrame(window, ZRAllowsForDrawers(m_context.defaults));
            if (target->currentFrame)
                target->frame = ZRCenteredFrame(ZRFlipRect(*target->currentFrame), screen.skafableFrame(),
                                                value.toLongLong() == ZRActionTypeCenterGeometrically);
            break;
        default:
            break;
        }
    }

    if (chooser != m_snapChooserAction) {
        m_snapChooserAction = chooser;
        if (chooser)
            showChooser(*chooser, screen);
        else
            m_controller.keyboardMenu().vanishAndClose();
    }
    if (chosen >= 0)
        m_controller.keyboardMenu().selectItemAtIndex(chosen);
    if (!target || target->frame.isEmpty())
        return std::nullopt;
    return target;
}

std::optional<ZRSnapping::Target> ZRSnapping::targetOfAction(const ZRAction& action,
                                                             const ZRVirtualScreen& screen) const {
    Target target;
    if (action.actionType() == ZRActionTypeMoveAndResize) {
        const Rect full = ZRGridGeometry::windowFrameAtPosition(ZRPositionFull, screen, m_context.defaults);
        target.frame = ZRGridGeometry::windowFrameFromRelativeFrame(action.relativeFrame(), full);
        const ZRStickyEdges edges = ZRStickyEdgeFlags(target.frame, full, m_context.defaults);
        target.keepRightEdge = edges.keepRightEdge;
        target.keepBottomEdge = edges.keepBottomEdge;
        return target;
    }
    if (action.actionType() == ZRActionTypeLayout) {
        const auto frame = action.firstSnapshotFrameOnScreen(screen, m_context.defaults);
        if (!frame || !frame->intersects(screen.frame()))
            return std::nullopt;
        target.frame = *frame;
        return target;
    }
    return std::nullopt;
}

void ZRSnapping::showChooser(const ZRAction& chooser, const ZRVirtualScreen& screen) {
    ZRMouseControlKeyboardMenu& menu = m_controller.keyboardMenu();
    const bool wasVisible = menu.isVisible();
    if (wasVisible)
        menu.close();
    const double lineHeight = menu.lineHeightForScreen(screen.hostScreen());
    const Size iconSize(std::floor(ChooserIconWidth * lineHeight),
                        std::floor(ChooserIconHeight * lineHeight));
    ZRMouseControlKeyboardMenu::EntryItem entry;
    entry.title = chooser.displayNameWithSuffixes();
    for (const auto& child : chooser.snapChildren())
        entry.children.push_back(
            {child->displayNameWithSuffixes(), child->strongReferenceTemplateIconWithSize(iconSize)});
    menu.popUpWithEntryItem(entry, screen.hostScreen(), !wasVisible, nullptr);
}

bool ZRSnapping::apply(const AXElementRef& window, const Target& target) {
    const auto current = target.currentFrame
                             ? target.currentFrame
                             : ZRCopyWindowFrame(window, ZRAllowsForDrawers(m_context.defaults));
    if (!current)
        return false;
    const Rect frame = ZRFlipRect(target.frame);
    const bool resize = !sameSize(frame, *current);
    if (frame == *current || (resize && !ZRWindowIsResizable(window, m_context.defaults)))
        return false;
    actions().storeOriginalFrame(
        m_snapWindowOriginalCGFrame.isEmpty() ? *current : m_snapWindowOriginalCGFrame, window);
    Rect obtained = frame;
    if (!setWindowFrame(window, frame,
                        {.setSize = resize,
                         .keepRightEdge = target.keepRightEdge,
                         .keepBottomEdge = target.keepBottomEdge,
                         .resume = !m_buttonIsUp},
                        &obtained))
        return false;
    // What the window took: some windows size themselves in steps of their own.
    actions().storeLastSkafFrame(obtained, ZRLastSnapPosition, window);
    m_snapWindowSnapCGFrameToConfirm = m_snapWindowOriginalCGFrame = obtained;
    m_didAttemptSnapBack = false;
    return true;
}

bool ZRSnapping::setWindowFrame(const AXElementRef& window, const Rect& frame, const FrameSetting& how,
                                Rect* obtainedFrame) {
    // 0: the window manager does not move the window.
    const WindowNumber number = m_windowManagerDrags ? window->windowNumber().value_or(0) : 0;
    WindowServer& server = m_context.platform.windowServer();
    if (number != 0)
        server.endWindowManagerMove(number);
    const bool animate =
        how.animate && m_context.defaults.boolForKey(QString::fromUtf16(ZRAnimationUserDefaultName));
    const auto set = how.viaVisibleFrame ? ZRSetWindowFrameViaVisibleFrame : ZRSetWindowFrame;
    const bool took = set(window,
                          {.includeDrawers = ZRAllowsForDrawers(m_context.defaults),
                           .setSize = how.setSize,
                           .keepRightEdge = how.keepRightEdge,
                           .keepBottomEdge = how.keepBottomEdge,
                           .animate = animate},
                          frame, obtainedFrame);
    if (number != 0 && how.resume)
        server.resumeWindowManagerMove(number, m_context.platform.inputState().pointerLocation());
    return took;
}

// --- Snap back and drop snap

Rect ZRSnapping::snapBackFrame(const AXElementRef& window, Point location, bool performAction) {
    m_didAttemptSnapBack = true;
    const auto current = ZRCopyWindowFrame(window, ZRAllowsForDrawers(m_context.defaults));
    // A window of no width has no place for the pointer to keep.
    if (!current || !(current->width() > 0))
        return {};
    Rect last;
    std::int64_t position = -1;
    ZRActionController& memory = actions();
    if (!memory.getLastSkafFrame(last, position, window))
        return {};
    const bool scope = position == ZRLastSnapPosition ||
                       (position > LeastScopePosition &&
                        m_context.defaults.integerForKey(D::SnapBackScope) == WideSnapBackScope);
    // The pointer's travel since the button went down, in Quartz coordinates; the mouse-down location is
    // taken to the pointer's own convention (Cocoa, one point down) once.
    const Point down = ZRFlipPoint(m_gestures.snap.mouseDownLocation());
    const double travelX = location.x - down.x;
    const double travelUp = location.y - (down.y - 1);
    // The window is where it was put, or on its way from there with this drag: not resized or moved since.
    const bool placedHere = sameSize(last, *current) && withinTravel(current->x() - last.x(), travelX) &&
                            withinTravel(current->y() - last.y(), -travelUp);
    Rect original;
    if (!scope || !placedHere || !memory.getOriginalFrame(original, window, false) ||
        sameSize(original, *current))
        return {};
    const Rect frame(
        std::floor(location.x - (location.x - current->x()) * original.width() / current->width()),
        last.y() - std::floor(travelUp), original.width(), original.height());
    if (performAction && setWindowFrame(window, frame, {.setSize = true, .viaVisibleFrame = true})) {
        memory.removeLastSkafFrameForWindow(window);
        m_snapWindowSnapCGFrameToConfirm = {};
    }
    return ZRFlipRect(frame);
}

void ZRSnapping::dropSnap() {
    ZRMouseControlDropZones& dropZones = m_controller.dropZones();
    if (!dropZones.isActive())
        return;
    const Rect dropFrame = dropZones.dropFrame();
    const AXElementRef window = m_gestures.snap.trackedWindow();
    const auto current =
        window ? ZRCopyWindowFrame(window, ZRAllowsForDrawers(m_context.defaults)) : std::nullopt;
    // The drop frame is in Cocoa coordinates, the window's in Quartz ones: compared in one of them.
    const Rect frame = ZRFlipRect(dropFrame);
    if (!dropFrame.isEmpty() && current && *current != frame &&
        (sameSize(*current, frame) || ZRWindowIsResizable(window, m_context.defaults))) {
        ZRActionController& memory = actions();
        memory.storeOriginalFrame(
            m_snapWindowOriginalCGFrame.isEmpty() ? *current : m_snapWindowOriginalCGFrame, window);
        const auto screen =
            ZRVirtualScreen::virtualScreenMostRelevantForFrame(dropFrame, true, m_context.defaults);
        const ZRStickyEdges edges = ZRStickyEdgeFlags(
            dropFrame,
            screen ? ZRGridGeometry::windowFrameAtPosition(ZRPositionFull, *screen, m_context.defaults)
                   : Rect(),
            m_context.defaults);
        Rect obtained = frame;
        if (setWindowFrame(window, frame,
                           {.setSize = !sameSize(*current, frame),
                            .keepRightEdge = edges.keepRightEdge,
                            .keepBottomEdge = edges.keepBottomEdge,
                            .resume = false},
                           &obtained)) {
            memory.storeLastSkafFrame(obtained, ZRLastSnapPosition, window);
            m_snapWindowSnapCGFrameToConfirm = m_snapWindowOriginalCGFrame = obtained;
            m_didAttemptSnapBack = false;
        }
    }
    dropZones.deactivate();
}
