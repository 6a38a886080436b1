#include "actions/ZRActionController.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionGeometry.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRDropZoneActivation.h"
#include "actions/ZRFullSizeGridOpener.h"
#include "actions/ZRKeyboardControlPanelInterface.h"
#include "actions/ZRKeyboardMenuPresenter.h"
#include "actions/ZRLayoutAutoTrigger.h"
#include "actions/ZRPaletteHiding.h"
#include "actions/ZRPaletteItemButtonInterface.h"
#include "actions/ZRSnapshotFrameMapping.h"
#include "actions/ZRWindowMatching.h"
#include "hotkeys/KeyEvent.h"
#include "hotkeys/ZRHotKey.h"
#include "platform/Platform.h"
#include "platform/SleepClock.h"
#include "platform/Workspace.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRLog.h"
#include "window-access/Coordinates.h"
#include "window-access/ExternalWindowMonitor.h"
#include "window-access/GridGeometry.h"
#include "window-access/VirtualScreen.h"
#include "window-access/WindowElements.h"
#include "window-access/WindowFrameSetting.h"
#include "window-access/WindowObserver.h"

#include <QApplication>
#include <algorithm>
#include <utility>

namespace {

const QString FrameStorageEnableKey = QString::fromUtf16(ZRFrameStorageEnableUserDefaultName);
const QString PreserveOriginalFramesForeverKey =
    QString::fromUtf16(ZRPreserveOriginalFramesForeverUserDefaultName);
const QString AnimationKey = QString::fromUtf16(ZRAnimationUserDefaultName);
const QString KeyboardControlsPreemptHotKeysKey = QStringLiteral("Keyboard Controls Preempt Hot Keys");
const QString KeyboardMenuHotKeyIdentifier = QString::fromUtf16(ZRKeyboardMenuHotKeyIdentifier);
const QString KeyboardControlsHotKeyIdentifier = QString::fromUtf16(ZRKeyboardControlsHotKeyIdentifier);
const QString KeyboardControlsGridKey = QString::fromUtf16(ZRKeyboardControlsGridUserDefaultName);

// The position under which a frame of no palette position is remembered, as the grids remember
// theirs: the palette then marks none of its buttons as the window's current place.
constexpr std::int64_t kArbitraryFramePosition = 1001;
// The position of a frame put back by revert.
constexpr std::int64_t kRevertPosition = 0;
// Frames read back from a window agree with the frame set to within this many points.
constexpr double kFrameTolerance = 1.0;

int screenDirectionOfPosition(std::int64_t position) {
    switch (position) {
    case ZRPositionTop:
    case ZRPositionTopCentered:
        return ZRScreenDirectionAbove;
    case ZRPositionRight:
    case ZRPositionRightCentered:
        return ZRScreenDirectionRight;
    case ZRPositionBottom:
    case ZRPositionBottomCentered:
        return ZRScreenDirectionBelow;
    case ZRPositionLeft:
    case ZRPositionLeftCentered:
        return ZRScreenDirectionLeft;
    default:
        return 0;
    }
}

bool isMove(std::int64_t type) {
    return type == ZRActionTypeMove || type == ZRActionTypeMoveConfined ||
           type == ZRActionTypeMoveToOtherDisplay;
}

// The "Dismiss After …" setting of the kind of action a key of the keyboard control panel performed.
QString dismissUserDefaultNameForType(std::int64_t type) {
    if (isMove(type) || type == ZRActionTypeMoveToEdgeOrCorner)
        return QString::fromUtf16(ZRDismissAfterMovingUserDefaultName);
    if (type == ZRActionTypeFill)
        return QString::fromUtf16(ZRDismissAfterFillingUserDefaultName);
    return QString::fromUtf16(ZRDismissAfterOtherUserDefaultName);
}

// The screen a generic layout is put on: that of the frontmost window, else the first.
std::optional<ZRVirtualScreen> activeScreen(const std::vector<ZRVirtualScreen>& screens) {
    if (const AXElementRef window = ZRCopyFrontmostFocusedWindow()) {
        if (const auto frame = ZRCopyWindowFrame(window, false))
            return ZRVirtualScreen::virtualScreenMostRelevantForFrame(ZRFlipRect(*frame), screens, true);
    }
    if (screens.empty())
        return std::nullopt;
    return screens.front();
}

} // namespace

struct ZRActionController::Target {
    Rect frame; // Cocoa
    std::int64_t position = kArbitraryFramePosition;
    bool keepRightEdge = false;
    bool keepBottomEdge = false;
};

ZRActionController::ZRActionController(ZRActionManager& store, UserDefaults& defaults, Platform& platform,
                                       RunLoop& mainRunLoop, ZRWindowObserver& windowObserver)
    : m_store(store), m_defaults(defaults), m_platform(platform), m_mainRunLoop(mainRunLoop),
      m_windowObserver(windowObserver), m_windowMonitor(mainRunLoop) {
    ZRActionManager::registerDefaults(m_defaults);
    m_beep = [] {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()))
            QApplication::beep();
    };
    m_store.context().capturer = this;
    subscribeToWorkspace();
    m_layoutAutoTrigger = std::make_unique<ZRLayoutAutoTrigger>(
        [this](const std::shared_ptr<ZRAction>& layout) {
            return triggerAction(layout, nullptr, true, nullptr, false, false);
        },
        SleepClock::system(), m_store, m_defaults, m_platform, m_mainRunLoop);
}

ZRActionController::~ZRActionController() {
    if (m_store.context().capturer == this)
        m_store.context().capturer = nullptr;
}

void ZRActionController::subscribeToWorkspace() {
    if (m_applicationTerminated.isConnected())
        return;
    m_applicationTerminated = m_platform.workspace().applicationTerminated.connect(
        [this](pid_t processIdentifier) { forgetApplication(processIdentifier); });
}

void ZRActionController::forgetApplication(pid_t processIdentifier) {
    m_frameMemory.forgetProcess(processIdentifier);
    if (m_lastKeyActionWindow && m_lastKeyActionWindow->processIdentifier() == processIdentifier)
        m_lastKeyActionWindow = nullptr;
}

void ZRActionController::setBeepHandler(std::function<void()> beep) {
    m_beep = std::move(beep);
}

void ZRActionController::beep() const {
    if (m_beep)
        m_beep();
}

// --- Triggering

bool ZRActionController::triggerAction(const std::shared_ptr<ZRAction>& action,
                                       const KeyEvent* orKeyDownEvent, bool updateChains, bool* repeat,
                                       [[maybe_unused]] bool dismissLater,
                                       bool invertRaisingBehaviorViaShiftKey) {
    if (repeat)
        *repeat = false;
    if (action)
        return triggerActionAtDepth(action, updateChains, repeat, invertRaisingBehaviorViaShiftKey, 0);
    if (orKeyDownEvent)
        return triggerKeyDownEvent(*orKeyDownEvent, updateChains, repeat, invertRaisingBehaviorViaShiftKey);
    return false;
}

bool ZRActionController::handleKeyDownEvent(const KeyEvent& event, bool& repeat) {
    if (event.type != KeyEventType::SystemDefined && boolSetting(KeyboardControlsPreemptHotKeysKey))
        return false;
    m_performedKeyActionType = 0;
    const bool handled = triggerAction(nullptr, &event, true, &repeat, false, false);
    // A key handled here never reaches the keyboard control panel, yet the user is at work in it.
    if (handled && m_keyboardControlPanel && m_keyboardControlPanel->isActive())
        finishPanelKey(*m_keyboardControlPanel);
    return handled;
}

bool ZRActionController::triggerActionViaPaletteItemButton(const ZRPaletteItemButtonInterface& button) {
    const std::shared_ptr<ZRAction> action = button.paletteAction();
    if (!action)
        return false;
    const bool triggered = triggerAction(action, nullptr, true, nullptr, false, false);
    if (triggered && m_palette)
        m_palette->hideOverlayRegardless();
    return triggered;
}

bool ZRActionController::triggerActionAtDepth(const std::shared_ptr<ZRAction>& action, bool updateChains,
                                              bool* repeat, bool invertRaisingBehaviorViaShiftKey,
                                              int depth) {
    if (depth > ZRAction::MaximumFolderDepth) {
        ZRLog("cannot trigger action %@: chains nest too deep", action->uniqueIdentifier());
        return false;
    }
    const ZRActionType type = action->actionType();
    if (type == ZRActionTypeFolder) {
        if (action->chain())
            return triggerChain(action, updateChains, depth);
        return openKeyboardMenu(action, action.get(), nullptr, std::nullopt, repeat);
    }
    if (type == ZRActionTypeLayout) {
        const bool restored = restoreSnapshotForAction(*action);
        if (restored)
            m_performedKeyActionType = type;
        return restored;
    }
    if (!ZRActionTypeIsSingleWindow(type))
        return false;

    const AXElementRef window = mostRelevantWindow();
    const bool performed = performAction(*action, window, invertRaisingBehaviorViaShiftKey);
    if (m_keyboardControlPanel && m_keyboardControlPanel->isActive() &&
        AXElementsEqual(window, m_keyboardControlPanel->controlledWindow())) {
        m_lastKeyActionType = type;
        m_lastKeyActionWindow = window;
        if (performed)
            m_performedKeyActionType = type;
    }
    if (performed && repeat)
        *repeat = ZRActionTypeAllowsRepeat(type);
    return performed;
}

bool ZRActionController::triggerChain(const std::shared_ptr<ZRAction>& chain, bool updateChains, int depth) {
    const auto members = m_store.chainedActionsForAction(*chain);
    if (members.empty())
        return false;
    if (chain->chainMode() == ZRChainModeCycle) {
        const QString identifier = chain->uniqueIdentifier();
        const std::size_t index = m_chainPositions.value(identifier, 0) % members.size();
        if (updateChains)
            m_chainPositions.insert(identifier, (index + 1) % members.size());
        return triggerActionAtDepth(members[index], updateChains, nullptr, false, depth + 1);
    }
    bool triggered = false;
    for (const auto& member : members)
        triggered = triggerActionAtDepth(member, updateChains, nullptr, false, depth + 1) || triggered;
    return triggered;
}

void ZRActionController::openKeyboardControls() {
    const AXElementRef window = ZRCopyFrontmostFocusedWindow();
    // The grid holds the keys itself, so it stands in the panel's place; a window the panel could only
    // show as out of reach still gets the panel, which says why.
    if (boolSetting(KeyboardControlsGridKey) && m_fullSizeGrid && window &&
        ZRWindowIsControllable(window, m_defaults)) {
        performAction(*ZRActionDummy::dummyWithType(ZRActionTypeUseGrid), window, false);
        return;
    }
    if (!m_keyboardControlPanel->activateForWindow(window))
        beep();
}

bool ZRActionController::openKeyboardMenu(const std::shared_ptr<ZRAction>& control, const void* reference,
                                          const std::vector<std::shared_ptr<ZRAction>>* actions,
                                          const std::optional<QString>& rootTitle, bool* repeat) {
    if (!m_keyboardMenu)
        return false;
    return m_keyboardMenu->popUpKeyboardMenuForControl(control, reference, actions, rootTitle, repeat, true);
}

std::vector<std::shared_ptr<ZRAction>> ZRActionController::actionsMatchingEvent(const KeyEvent& event,
                                                                                bool includeLocal) const {
    std::vector<std::shared_ptr<ZRAction>> matches;
    // One press is matched against every action's hot key: the settings are read once for all.
    const auto options = ZRHotKey::currentMatchOptions(m_defaults);
    const auto localRules = ZRHotKey::currentLocalRules(m_defaults);
    for (const auto& action : m_store.allActions()) {
        const auto hotKey = action->hotKey();
        if (hotKey && action->actionType() >= ZRActionTypeRevert && hotKey->matchesEvent(event, options) &&
            (includeLocal || !hotKey->isLocal(localRules)))
            matches.push_back(action);
    }
    return matches;
}

bool ZRActionController::triggerKeyDownEvent(const KeyEvent& event, bool updateChains, bool* repeat,
                                             bool invertRaisingBehaviorViaShiftKey) {
    const bool panelActive = m_keyboardControlPanel && m_keyboardControlPanel->isActive();
    const auto matches = actionsMatchingEvent(event, panelActive);

    if (m_dropZones) {
        if (m_dropZones->isDraggingWindow() && boolSetting(ZRDropSnapUserDefaultName)) {
            for (const auto& action : matches) {
                if (action->actionType() == ZRActionTypeLayout && m_dropZones->activateForAction(*action)) {
                    if (m_keyboardMenu)
                        m_keyboardMenu->close();
                    return true;
                }
            }
        }
        if (m_dropZones->isActive()) {
            m_dropZones->deactivate();
            return true;
        }
    }

    if (const ZRActionHost* host = m_store.context().host) {
        for (const auto& hotKey : host->settingsHotKeys()) {
            if (!hotKey || !hotKey->matchesEvent(event))
                continue;
            if (hotKey->identifier() == KeyboardMenuHotKeyIdentifier)
                return openKeyboardMenu(nullptr, hotKey.get(), nullptr, std::nullopt, repeat);
            if (hotKey->identifier() == KeyboardControlsHotKeyIdentifier && m_keyboardControlPanel) {
                openKeyboardControls();
                return true;
            }
        }
    }

    if (matches.empty())
        return false;
    if (matches.size() > 1) {
        const auto hotKey = matches.front()->hotKey();
        return openKeyboardMenu(nullptr, hotKey.get(), &matches, hotKey->displayString(), repeat);
    }
    return triggerActionAtDepth(matches.front(), updateChains, repeat, invertRaisingBehaviorViaShiftKey, 0);
}

// --- Performing

AXElementRef ZRActionController::mostRelevantWindow() const {
    if (m_keyboardControlPanel && m_keyboardControlPanel->isActive()) {
        if (AXElementRef window = m_keyboardControlPanel->controlledWindow())
            return window;
    }
    return ZRCopyFrontmostFocusedWindow();
}

struct ZRActionController::Placement {
    AXElementRef window;
    Rect currentFrame; // Quartz
    Target target;
};

bool ZRActionController::performAction(const ZRAction& action, const AXElementRef& forWindow,
                                       bool invertRaisingBehaviorViaShiftKey) {
    AXElementRef window = forWindow;
    if (window && ZRWindowCanLeaveFullScreen(window))
        window = ZRWindowIsControllable(window, m_defaults) ? ZRExitFullScreen(window, m_defaults) : nullptr;
    const bool drawers = ZRAllowsForDrawers(m_defaults);
    const std::optional<Rect> current = window ? ZRCopyWindowFrame(window, drawers) : std::nullopt;
    const Rect frame = current ? ZRFlipRect(*current) : Rect();
    const auto screen =
        current ? ZRVirtualScreen::virtualScreenMostRelevantForFrame(frame, true, m_defaults) : std::nullopt;
    if (!screen) {
        beep();
        return false;
    }

    const ZRActionType type = action.actionType();
    if (type == ZRActionTypeUseGrid) {
        if (!m_fullSizeGrid) {
            ZRLog("cannot use grid: the full-size grid is not available");
            return false;
        }
        if (m_fullSizeGrid->activateForWindow(window, frame, screen->skafableFrame(),
                                              action.gridDimensionsDictionary()))
            return true;
        beep();
        return false;
    }
    if (type == ZRActionTypeZoomToFit) {
        storeOriginalFrame(*current, window);
        if (pressZoomButton(ZRCopyZoomButton(window), window, true))
            return true;
    }

    const std::optional<Target> target = targetOfAction(action, window, frame, *screen);
    if (!target || target->frame.isEmpty() || !target->frame.isFinite()) {
        beep();
        return false;
    }
    storeOriginalFrame(*current, window);
    // An animation under way counts as performed; a window that refuses its frame beeps when it does.
    const auto set =
        setFrames({{window, *current, *target}},
                  ZRMouseControlsShouldActivateWindow(invertRaisingBehaviorViaShiftKey, m_defaults),
                  [this](const std::vector<bool>& set) {
                      if (!set.front())
                          beep();
                  });
    return !set || set->front();
}

std::optional<ZRActionController::Target> ZRActionController::targetOfAction(const ZRAction& action,
                                                                             const AXElementRef& window,
                                                                             const Rect& frame,
                                                                             const ZRVirtualScreen& screen) {
    const Rect usable = screen.skafableFrame();
    const ZRActionDelta delta{static_cast<double>(action.moveDelta()),
                              action.moveDeltaUnit() == ZRMeasurementUnit::Percent};
    const auto atGridPosition = [&](std::int64_t position) {
        Target target{ZRGridGeometry::windowFrameAtPosition(position, screen, m_defaults), position};
        const ZRStickyEdges sticky = ZRStickyEdgeFlags(
            target.frame, ZRGridGeometry::windowFrameAtPosition(ZRPositionFull, screen, m_defaults),
            m_defaults);
        target.keepRightEdge = sticky.keepRightEdge;
        target.keepBottomEdge = sticky.keepBottomEdge;
        return target;
    };

    switch (action.actionType()) {
    case ZRActionTypeRevert: {
        Rect original;
        if (!getOriginalFrame(original, window, false))
            return std::nullopt;
        return Target{ZRFlipRect(original), kRevertPosition};
    }
    case ZRActionTypeFill:
    case ZRActionTypeZoomToFit:
        return atGridPosition(ZRPositionFull);
    case ZRActionTypeHalf:
    case ZRActionTypeQuarter:
        return atGridPosition(action.moveDirection());
    case ZRActionTypeMoveAndResize: {
        Target target{ZRGridGeometry::windowFrameFromRelativeFrame(
            action.relativeFrame(), ZRGridGeometry::innerFrameOfSkafableFrame(usable, m_defaults))};
        ZRGridGeometry::innerFrame(target.frame, &target.keepRightEdge, &target.keepBottomEdge, usable,
                                   m_defaults);
        return target;
    }
    case ZRActionTypeCenter:
    case ZRActionTypeCenterGeometrically: {
        const bool geometric = action.actionType() == ZRActionTypeCenterGeometrically ||
                               action.centerMode() == ZRCenterModeGeometric;
        return Target{ZRCenteredFrame(
                          frame, ZRGridGeometry::windowFrameAtPosition(ZRPositionCenter, screen, m_defaults),
                          geometric),
                      ZRPositionCenter};
    }
    case ZRActionTypeMove:
    case ZRActionTypeMoveConfined:
        return Target{
            ZRMovedFrame(frame, usable, action.moveDirection(), delta,
                         action.confinedToDisplay() || action.actionType() == ZRActionTypeMoveConfined)};
    case ZRActionTypeMoveToEdgeOrCorner:
        return Target{ZRFrameFlushAtPosition(frame, usable, action.moveToEdgeOrCornerPosition())};
    case ZRActionTypeMoveToOtherDisplay: {
        const int direction = screenDirectionOfPosition(action.moveDirection());
        const auto neighbour = direction ? screen.virtualScreenAtRelativePosition(
                                               direction, action.moveToOtherDisplayLoop(), m_defaults)
                                         : std::nullopt;
        if (!neighbour)
            return std::nullopt;
        return Target{ZRFrameMovedToUsableFrame(frame, usable, neighbour->skafableFrame(),
                                                action.moveToOtherDisplayResize())};
    }
    case ZRActionTypeResize:
        return Target{
            ZRResizedFrame(frame, usable,
                           {action.resizeSize(), action.resizeWidthUnit() == ZRMeasurementUnit::Percent,
                            action.resizeHeightUnit() == ZRMeasurementUnit::Percent},
                           action.resizeAnchorPosition())};
    case ZRActionTypeGrow:
    case ZRActionTypeShrink:
        return Target{ZRGrownFrame(frame, usable, action.moveDirection(), delta,
                                   action.actionType() == ZRActionTypeShrink)};
    default:
        return std::nullopt;
    }
}

std::optional<std::vector<bool>> ZRActionController::setFrames(const std::vector<Placement>& placements,
                                                               bool raise, FramesHandler then) {
    std::vector<ZRWindowFrameRequest> requests;
    const bool drawers = ZRAllowsForDrawers(m_defaults);
    const bool animate = boolSetting(AnimationKey);
    for (const Placement& placement : placements) {
        const Rect frame = ZRFlipRect(placement.target.frame);
        requests.push_back({placement.window,
                            frame,
                            {.includeDrawers = drawers,
                             .setSize = frame.size != placement.currentFrame.size,
                             .keepRightEdge = placement.target.keepRightEdge,
                             .keepBottomEdge = placement.target.keepBottomEdge,
                             .animate = animate}});
    }
    m_windowObserver.setPaused(true);
    const auto finish = [this, placements, raise](const ZRWindowFramesResult& result) {
        for (std::size_t i = 0; i < placements.size(); ++i) {
            if (!result.set[i])
                continue;
            if (result.obtained[i])
                storeLastSkafFrame(*result.obtained[i], placements[i].target.position, placements[i].window);
            if (raise)
                ZRRaiseWindow(placements[i].window);
        }
        m_windowObserver.setPaused(false);
    };
    // Animated, the frames between come from the run loop's timers: hot keys, menus and overlays are
    // served between them, and what follows the frames waits for the last.
    if (animate) {
        ZRSetWindowFramesAnimated(std::move(requests),
                                  [finish, then, alive = std::weak_ptr<int>(m_alive),
                                   observer = &m_windowObserver](const ZRWindowFramesResult& result) {
                                      if (alive.expired()) {
                                          observer->setPaused(false);
                                          return;
                                      }
                                      finish(result);
                                      if (then)
                                          then(result.set);
                                  });
        return std::nullopt;
    }
    ZRWindowFramesResult result;
    result.set = ZRSetWindowFrames(requests, &result.obtained);
    finish(result);
    if (then)
        then(result.set);
    return result.set;
}

bool ZRActionController::pressZoomButton(const AXElementRef& button, const AXElementRef& forWindow,
                                         bool tryToFillScreen) {
    if (!button)
        return false;
    bool pressed = false;
    if (tryToFillScreen && button->actionNames().contains(AX::ZoomWindow)) {
        const AXError error = button->performAction(AX::ZoomWindow);
        pressed = error == AXError::Success || error == AXError::AttributeUnsupported;
    }
    if (!pressed)
        pressed = button->performAction(AX::Press) == AXError::Success;
    if (pressed)
        removeLastSkafFrameForWindow(forWindow);
    return pressed;
}

bool ZRActionController::restoreSnapshotForAction(const ZRAction& action) {
    const QVariantList descriptions = action.accessibleSnapshotHasObstructedWindows(nullptr);
    if (descriptions.isEmpty()) {
        ZRLog("cannot restore layout %@: it has no windows", action.uniqueIdentifier());
        beep();
        return false;
    }
    const std::vector<ZRVirtualScreen> screens = ZRVirtualScreen::screens(m_defaults);
    ZRSnapshotMappingOptions options;
    options.adapts = action.snapshotAdapts();
    if (action.snapshotGeneric())
        options.genericScreen = activeScreen(screens);
    const auto mapped = ZRMapSnapshotFrames(descriptions, screens, options, m_defaults);
    const auto running = ZRRunningWindows();
    const auto matches = ZRMatchWindowDescriptions(descriptions, running);

    const bool drawers = ZRAllowsForDrawers(m_defaults);
    std::vector<Placement> placements;
    for (const ZRMappedSnapshotFrame& frame : mapped) {
        const auto& match = matches[static_cast<std::size_t>(frame.descriptionIndex)];
        if (!match)
            continue;
        const WindowListEntry& entry = running[*match].entry;
        const AXElementRef window =
            ZRWindowForWindowListEntry(Point{entry.bounds.midX(), entry.bounds.midY()}, &entry, true);
        const auto current = window ? ZRCopyWindowFrame(window, drawers) : std::nullopt;
        if (!current)
            continue;
        storeOriginalFrame(*current, window);
        placements.push_back({window, *current, Target{frame.windowFrame}});
    }
    // Every window's request goes out before any is awaited: a layout costs about one window's wait. The
    // layout's applications come forward once its windows are in place.
    const bool activates = action.activatesApplications();
    const bool hidesOthers = action.hidesOtherApplications();
    const auto set = setFrames(placements, false,
                               [this, placements, activates, hidesOthers](const std::vector<bool>& set) {
                                   std::vector<AXElementRef> placed;
                                   for (std::size_t i = 0; i < placements.size(); ++i)
                                       if (set[i])
                                           placed.push_back(placements[i].window);
                                   if (placed.empty())
                                       beep();
                                   else
                                       bringLayoutForward(placed, activates, hidesOthers);
                               });
    return !set || std::find(set->begin(), set->end(), true) != set->end();
}

void ZRActionController::bringLayoutForward(const std::vector<AXElementRef>& placed, bool activates,
                                            bool hidesOthers) {
    if (activates) {
        // Back to front, so that the layout's front window ends in front.
        for (auto window = placed.rbegin(); window != placed.rend(); ++window)
            ZRRaiseWindow(*window);
    }
    if (hidesOthers) {
        std::vector<pid_t> applications;
        for (const AXElementRef& window : placed) {
            if (std::find(applications.begin(), applications.end(), window->processIdentifier()) ==
                applications.end())
                applications.push_back(window->processIdentifier());
        }
        // The desktop hides all applications but one; the layout's others come back by activation.
        Workspace& workspace = m_platform.workspace();
        workspace.hideOtherApplications(applications.front());
        for (auto application = applications.rbegin(); application != applications.rend(); ++application)
            workspace.activateApplication(*application, false);
    }
}

// --- Frame memory

bool ZRActionController::boolSetting(const QString& key) const {
    return m_defaults.boolForKey(key);
}

bool ZRActionController::frameStorageEnabled() const {
    return boolSetting(FrameStorageEnableKey);
}

bool ZRActionController::getOriginalFrame(Rect& frame, const AXElementRef& forWindow,
                                          bool deleteUnlessRecent) {
    const auto original = m_frameMemory.originalFrame(forWindow);
    if (!original)
        return false;
    if (deleteUnlessRecent && m_mainRunLoop.now() - original->timestamp() > RecentOriginalFrameInterval) {
        m_frameMemory.removeOriginalFrame(forWindow);
        return false;
    }
    frame = original->frame();
    return true;
}

bool ZRActionController::storeOriginalFrame(const Rect& frame, const AXElementRef& forWindow) {
    if (!frameStorageEnabled() || frame.isEmpty() || !frame.isFinite())
        return false;
    subscribeToWorkspace();
    const auto last = m_frameMemory.lastFrame(forWindow);
    if (last && m_frameMemory.originalFrame(forWindow) &&
        rectsAreNearlyEqual(last->frame(), frame, kFrameTolerance))
        return true;
    return m_frameMemory.setOriginalFrame(forWindow, frame, m_mainRunLoop.now());
}

void ZRActionController::removeOriginalFrameForWindow(const AXElementRef& window) {
    m_frameMemory.removeOriginalFrame(window);
}

bool ZRActionController::getLastSkafFrame(Rect& frame, std::int64_t& atPosition,
                                          const AXElementRef& forWindow) const {
    const auto last = m_frameMemory.lastFrame(forWindow);
    frame = last ? last->frame() : Rect();
    atPosition = last ? last->position() : -1;
    return last.has_value();
}

bool ZRActionController::storeLastSkafFrame(const Rect& frame, std::int64_t atPosition,
                                            const AXElementRef& forWindow) {
    if (!frameStorageEnabled() || !frame.isFinite())
        return false;
    subscribeToWorkspace();
    return m_frameMemory.setLastFrame(forWindow, frame, atPosition);
}

void ZRActionController::removeLastSkafFrameForWindow(const AXElementRef& window) {
    m_frameMemory.removeLastFrame(window);
}

// --- Keyboard control panel

void ZRActionController::keyboardControlPanelDidBecomeActive(ZRKeyboardControlPanelInterface& panel,
                                                             bool active) {
    if (!active) {
        // Only what is still in use takes its keys again: an action may have left the store, or
        // changed its hot key, while the panel was open.
        const ZRActionManager& store = m_store;
        for (const auto& [weakAction, hotKey] : m_preemptedHotKeys) {
            const auto action = weakAction.lock();
            if (action && store.contains(*action) && action->hotKey() == hotKey &&
                !hotKey->registerForDelegate(*action))
                ZRLog("cannot register hot key %@ again after keyboard control",
                      hotKey->visualRepresentation().value_or(QString()));
        }
        m_preemptedHotKeys.clear();
        m_lastKeyActionType = 0;
        m_lastKeyActionWindow = nullptr;
        return;
    }
    if (!boolSetting(KeyboardControlsPreemptHotKeysKey) || !m_preemptedHotKeys.empty())
        return;
    for (const auto& action : m_store.allActions()) {
        const auto hotKey = action->hotKey();
        if (hotKey && !hotKey->isLocal() && hotKey->isRegistered()) {
            hotKey->unregister();
            m_preemptedHotKeys.emplace_back(action, hotKey);
        }
    }
}

const ZRKeyboardControlKeyMap& ZRActionController::keyboardControlKeyMap() const {
    const auto types = ZRKeyboardControlKeyMap::chosenTypes(m_defaults);
    if (types != m_keyMapTypes) {
        m_keyMap = ZRKeyboardControlKeyMap(types);
        m_keyMapTypes = types;
    }
    return m_keyMap;
}

bool ZRActionController::keyboardControlPanelShouldIgnoreEvent(ZRKeyboardControlPanelInterface& panel,
                                                               const KeyEvent& event) {
    const auto runKeyMap = [&] {
        const ZRKeyboardControlKeyMap::Entry* entry = keyboardControlKeyMap().entryForEvent(event);
        if (!entry)
            return false;
        if (!entry->action) {
            panel.setActive(false);
            return true;
        }
        // The entry's map may be made again while its action runs.
        const std::shared_ptr<ZRAction> action = entry->action;
        triggerAction(action, nullptr, true, nullptr, false, false);
        return true;
    };
    const auto runHotKeys = [&] { return triggerAction(nullptr, &event, true, nullptr, false, false); };

    m_performedKeyActionType = 0;
    const bool consumed = boolSetting(KeyboardControlsPreemptHotKeysKey) ? runKeyMap() || runHotKeys()
                                                                         : runHotKeys() || runKeyMap();
    finishPanelKey(panel);
    return consumed;
}

void ZRActionController::finishPanelKey(ZRKeyboardControlPanelInterface& panel) {
    const std::int64_t performed = std::exchange(m_performedKeyActionType, 0);
    if (performed && panel.isActive() && boolSetting(dismissUserDefaultNameForType(performed)))
        panel.setActive(false);
    if (panel.isActive())
        panel.scheduleAutoDeactivation();
}

bool ZRActionController::keyboardControlPanelTriggerAction(ZRKeyboardControlPanelInterface& panel,
                                                           const std::shared_ptr<ZRAction>& action) {
    return triggerAction(action, nullptr, true, nullptr, false, false);
}

bool ZRActionController::keyboardControlPanelShouldAutoDeactivate(ZRKeyboardControlPanelInterface& panel) {
    const AXElementRef window = panel.controlledWindow();
    if (window && isMove(m_lastKeyActionType) && AXElementsEqual(window, m_lastKeyActionWindow) &&
        !boolSetting(PreserveOriginalFramesForeverKey))
        removeOriginalFrameForWindow(window);
    return true;
}

// --- Layout capture

void ZRActionController::saveSnapshot(ZRAction& action, std::function<void()> captured) {
    capture(action, false, std::move(captured));
}

void ZRActionController::reflectCurrentState(ZRAction& action, bool silently,
                                             std::function<void()> captured) {
    capture(action, silently, std::move(captured));
}

void ZRActionController::capture(ZRAction& action, bool silently, std::function<void()> captured) {
    if (action.actionType() != ZRActionTypeLayout)
        return;
    const std::weak_ptr<ZRAction> weakAction = action.weak_from_this();
    const std::uint64_t identifier = ++m_nextCapture;
    Connection connection = m_windowMonitor.enumerateWindows(
        [this, weakAction, identifier, silently,
         captured = std::move(captured)](const QVariantList& descriptions) {
            std::erase_if(m_captures,
                          [identifier](const auto& capture) { return capture.first == identifier; });
            const auto action = weakAction.lock();
            if (!action)
                return;
            if (descriptions.isEmpty()) {
                ZRLog("cannot save layout %@: no windows found", action->uniqueIdentifier());
                if (!silently)
                    beep();
                return;
            }
            ZRSnapshot snapshot;
            for (const QVariant& description : descriptions)
                snapshot.windowDescriptions.push_back(description.toMap());
            for (const ZRVirtualScreen& screen : ZRVirtualScreen::screens(m_defaults)) {
                if (!screen.isUnion())
                    snapshot.screenFrames.push_back(screen.frame());
            }
            action->applyStateChange([&] { action->setSnapshot(snapshot); }, true);
            if (captured)
                captured();
        },
        m_defaults);
    m_captures.emplace_back(identifier, std::move(connection));
}
