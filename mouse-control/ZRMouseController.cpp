#include "mouse-control/ZRMouseController.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKey.h"
#include "mouse-control/ZRHover.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlDropZones.h"
#include "mouse-control/ZRMouseControlHover.h"
#include "mouse-control/ZRMouseControlKeyboardMenu.h"
#include "mouse-control/ZRMouseControlPalette.h"
#include "mouse-control/ZRMouseControlSettingsControls.h"
#include "mouse-control/ZRMouseControlSnapping.h"
#include "mouse-control/ZRMouseControlState.h"
#include "mouse-control/ZRMouseEventTapCallback.h"
#include "mouse-control/ZRPalette.h"
#include "mouse-control/ZRSnapping.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/Platform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRKeyboardMenuLineHeight.h"
#include "toolkit/ModifierFlagsMatching.h"
#include "toolkit/ZRLog.h"
#include "window-access/IgnoreList.h"

#include <algorithm>

namespace {

// Parts that are not there yet: their events do nothing.
class NoHover : public ZRMouseControlHover {
public:
    void moveOrResize(ZRHoverMode, const TapEvent*) override {}
    void updateHoverResizeModeSelector() override {}
};

class NoSnapping : public ZRMouseControlSnapping {
public:
    void setSnapWindowFromTappedMouseEvent(const TapEvent*) override {}
    void updateSnapWindowStatusWithTappedMouseDraggedEvent(const TapEvent&) override {}
    void prepareToSnap() override {}
    void snapBack() override {}
    void dropSnap() override {}
};

class NoPalette : public ZRMouseControlPalette {
public:
    bool shouldHideOverlayForTappedMouseEvent(const TapEvent&) override { return false; }
    void hideOverlayRegardless() override {}
    bool isShowingOverlay() const override { return false; }
    void processTappedMouseMovedEvent(const std::shared_ptr<ZRCGEventWrapper>&) override {}
};

class NoDropZones : public ZRMouseControlDropZones {
public:
    bool activateForAction(const std::shared_ptr<ZRAction>&) override { return false; }
    bool updateWithCGLocation(const Point&) override { return false; }
    bool isActive() const override { return false; }
    Rect dropFrame() const override { return {}; }
    bool deactivate() override { return false; }
};

class NoKeyboardMenu : public ZRMouseControlKeyboardMenu {
public:
    bool isVisible() const override { return false; }
    void close() override {}
    void vanishAndClose() override {}
    double lineHeightForScreen(const ScreenInfo& screen) const override {
        return ZRKeyboardMenuDefaultLineHeightForScreen(&screen);
    }
    bool popUpWithEntryItem(const EntryItem&, const ScreenInfo&, bool, const void*) override { return false; }
    bool selectItemAtIndex(std::int64_t) override { return false; }
};

NoHover noHover;
NoSnapping noSnapping;
NoPalette noPalette;
NoDropZones noDropZones;
NoKeyboardMenu noKeyboardMenu;

// An older setting whose value decides the zoom button's registered behaviour.
const QString MouseControlsDisableZoomButtonKey = QStringLiteral("Mouse Controls Disable Zoom Button");
// "Mouse Controls: Zoom Button Behavior" while that older setting is on.
constexpr qint64 ZoomButtonDisabledBehavior = -1;
constexpr double DefaultPaletteDelay = 0.1;
constexpr ModifierFlags DefaultHoverMoveModifiers = ModifierFlag::Control | ModifierFlag::Option;
constexpr ModifierFlags DefaultHoverResizeModifiers = DefaultHoverMoveModifiers | ModifierFlag::Command;

// Snap positions from the top edge round to the top-left corner: edges on odd numbers, corners on even ones.
constexpr std::int64_t FirstSnapPosition = 3;
constexpr std::int64_t LastSnapPosition = 10;

// The drop-snap modifier keys in the order the feature flags take them.
constexpr ModifierFlags DropSnapModifierOrder[] = {ModifierFlag::Shift, ModifierFlag::Function,
                                                   ModifierFlag::Control, ModifierFlag::Option,
                                                   ModifierFlag::Command};

// A snap position holds an action: text (a custom action) or a number other than 0.
bool snapPositionHasAction(const QVariant& value) {
    if (!value.isValid())
        return false;
    if (value.metaType().id() == QMetaType::QString)
        return true;
    bool ok = false;
    const double number = value.toDouble(&ok);
    return ok && static_cast<std::int64_t>(number) != 0;
}

bool anySnapPositionHasAction(const UserDefaults& defaults) {
    for (std::int64_t position = FirstSnapPosition; position <= LastSnapPosition; ++position)
        if (snapPositionHasAction(defaults.object(userDefaultNameForSnapPosition(position))))
            return true;
    return false;
}

// A layout with windows and a hot key that can show drop zones by this activation.
bool hasDropSnapLayoutWithHotKey(std::int64_t activation) {
    for (const auto& action : ZRActionManager::actionManager().allActions()) {
        if (action->actionType() != ZRActionTypeLayout || action->snapshot().isEmpty())
            continue;
        const auto hotKey = action->hotKey();
        if (hotKey && (activation == ZRDropSnapActivationHotKeyModifiers || !hotKey->isLocal()))
            return true;
    }
    return false;
}

// The hover keys of a setting, reduced to the keys the tap tells apart, so that a stored numeric-pad
// flag cannot make them unreachable.
ModifierFlags hoverModifiers(const UserDefaults& defaults, const QString& key) {
    return ZREventModifierMask(static_cast<ModifierFlags>(defaults.integerForKey(key))) & ZRTapModifierMask;
}

// Mouse control leaves the frontmost application alone while it is on the "Front" ignore list.
bool isIgnoredFrontmost(const std::optional<RunningApplication>& application) {
    return application &&
           ZRApplicationIsIgnored(application->bundleIdentifier.toLower(), ZRIgnoreListCategory::Front);
}

void computeFeatureFlags(ZRMouseControlState& state, const UserDefaults& defaults) {
    state.previewBeforeSnap = !defaults.boolForKey(ZRMouseControlDefault::AutoSnap);

    const bool snapBack = defaults.boolForKey(ZRMouseControlDefault::SnapBack);
    if (defaults.boolForKey(ZRMouseControlDefault::Snap)) {
        state.snapBackOn = snapBack;
        state.snapOn = anySnapPositionHasAction(defaults);
    } else {
        state.snapBackOn =
            defaults.boolForKey(ZRMouseControlDefault::SnapBackUndeadExtendedScope) && snapBack;
        state.snapOn = false;
    }

    const bool hover = defaults.boolForKey(ZRMouseControlDefault::Hover);
    state.dropSnapOn = false;
    state.dropSnapHoverModifiers = 0;
    if (defaults.boolForKey(ZRMouseControlDefault::DropSnap)) {
        const std::int64_t activation = defaults.integerForKey(ZRMouseControlDefault::DropSnapActivation);
        if (activation == ZRDropSnapActivationHotKeyModifiers || activation == ZRDropSnapActivationHotKey) {
            state.dropSnapOn = hasDropSnapLayoutWithHotKey(activation);
        } else {
            const bool keysHoverMove =
                hover && defaults.boolForKey(ZRMouseControlDefault::DropSnapModifierKeysActivateHoverMove);
            for (const ModifierFlags flag : DropSnapModifierOrder) {
                if (!defaults.hasValue(userDefaultNameForDropSnapModifier(flag)))
                    continue;
                state.dropSnapOn = true;
                if (!keysHoverMove)
                    break;
                state.dropSnapHoverModifiers |= flag;
            }
        }
    }

    if (hover) {
        state.hoverMoveModifiers = hoverModifiers(defaults, ZRMouseControlDefault::HoverMove);
        const ModifierFlags resize = hoverModifiers(defaults, ZRMouseControlDefault::HoverResize);
        state.hoverResizeModifiers = resize == state.hoverMoveModifiers ? 0 : resize;
    } else {
        state.hoverMoveModifiers = 0;
        state.hoverResizeModifiers = 0;
    }
}

} // namespace

ZRMouseController::ZRMouseController()
    : m_hover(&noHover), m_snapping(&noSnapping), m_palette(&noPalette), m_dropZones(&noDropZones),
      m_keyboardMenu(&noKeyboardMenu) {
    m_ownHover = std::make_unique<ZRHover>(*this);
    m_hover = m_ownHover.get();
    m_ownSnapping = std::make_unique<ZRSnapping>(*this);
    m_snapping = m_ownSnapping.get();
    m_ownPalette = std::make_unique<ZRPalette>(*this);
    m_palette = m_ownPalette.get();
    setDelayReader(nullptr);
    followTappedEventSettings();
    // Whether drop snap is on depends on the layouts and their hot keys; a burst of changes (a store
    // loading, a sidebar edit) is decided once, on the next turn.
    m_actionsChanged = NotificationCenter::defaultCenter().addObserver(
        ZRActionsDidChangeNotification, nullptr, [this](const Notification&) {
            if (m_terminated)
                return;
            m_updateAfterActionsChanged =
                RunLoop::main().performLater(0, [this] { updateFeatureFlagsAndTap(); });
        });
}

ZRMouseController::~ZRMouseController() {
    ZRScheduleTappedMouseMovedEvent(nullptr, *this);
    unregisterEventTapWithPort(ZRMouseControlState::shared().tap);
}

void ZRMouseController::setHover(ZRMouseControlHover* hover) {
    m_hover = hover ? hover : &noHover;
}

void ZRMouseController::setSnapping(ZRMouseControlSnapping* snapping) {
    m_snapping = snapping ? snapping : &noSnapping;
}

void ZRMouseController::setPalette(ZRMouseControlPalette* palette) {
    m_palette = palette ? palette : &noPalette;
}

void ZRMouseController::setPaletteGridFactory(ZRPaletteGridFactory factory) {
    m_ownPalette->setPaletteGridFactory(std::move(factory));
}

void ZRMouseController::skaf(ZROverlayGridInterface& grid) {
    m_ownPalette->skaf(grid);
}

void ZRMouseController::hideOverlayRegardless() {
    m_palette->hideOverlayRegardless();
}

AXElementRef ZRMouseController::focusReferenceWindow() const {
    return m_ownPalette->focusReferenceWindow();
}

void ZRMouseController::setDropZones(ZRMouseControlDropZones* dropZones) {
    m_dropZones = dropZones ? dropZones : &noDropZones;
}

void ZRMouseController::setKeyboardMenu(ZRMouseControlKeyboardMenu* keyboardMenu) {
    m_keyboardMenu = keyboardMenu ? keyboardMenu : &noKeyboardMenu;
}

void ZRMouseController::setDelayReader(DelayReader reader) {
    if (!reader)
        reader = [](const QString& name) { return UserDefaults::standard().doubleForKey(name); };
    m_delayReader = std::move(reader);
    m_tappedEventSettings = ZRReadTappedEventSettings(*this);
}

void ZRMouseController::followTappedEventSettings() {
    m_tappedEventSettingsChanged = UserDefaults::standard().changed.connect([this](const QString& key) {
        if (ZRIsTappedEventSetting(key))
            m_tappedEventSettings = ZRReadTappedEventSettings(*this);
    });
    m_tappedEventSettings = ZRReadTappedEventSettings(*this);
}

void ZRMouseController::updateFeatureFlagsAndTap() {
    updateMouseControlUserDefaultForSender(nullptr, false, false);
}

bool ZRMouseController::updateMouseControlUserDefaultForSender(const ZRSettingsControlSender* sender,
                                                               bool updateSwitch,
                                                               bool updateSecondaryControls) {
    ZRMouseControlState& state = ZRMouseControlState::shared();
    UserDefaults& defaults = UserDefaults::standard();
    computeFeatureFlags(state, defaults);
    followTappedEventSettings();

    const std::optional<int> senderState = sender ? sender->state() : std::nullopt;
    state.paletteOn =
        senderState ? *senderState == 1 : defaults.boolForKey(ZRMouseControlDefault::MouseControls);
    if (sender)
        defaults.setBool(state.paletteOn, ZRMouseControlDefault::MouseControls);
    if (m_settingsControls) {
        if (updateSwitch)
            m_settingsControls->setMouseControlSwitchState(state.paletteOn);
        if (updateSecondaryControls) {
            m_settingsControls->setMouseControlTriggerSelectorEnabled(state.paletteOn);
            m_settingsControls->setMouseControlDelayShrouded(!state.paletteOn);
        }
    }

    updateListeningEventTapForTerminatingApplication(false);
    return state.paletteOn;
}

void ZRMouseController::updateListeningEventTapForTerminatingApplication(bool terminating) {
    updateEventTap(terminating);
    const UserDefaults& defaults = UserDefaults::standard();
    if (!terminating) {
        if (!defaults.boolForKey(ZRSystemWindowSettings::DisabledTemporarilyUserDefaultName))
            ZRUpdateSystemZoomButtonMenuOption(
                !defaults.boolForKey(ZRSystemWindowSettings::ApplePrimaryUserDefaultName));
        return;
    }
    m_terminated = true;
    ZRSystemWindowSettings::shared().restoreForTermination();
}

void ZRMouseController::updateEventTap(bool terminating) {
    ZRMouseControlState& state = ZRMouseControlState::shared();
    m_tapRetry.cancel();
    const bool wanted = state.anyFeatureOn() && !state.frontmostIgnored && !terminating && !m_terminated;
    if (state.tap && !wanted) {
        if (ZRDebugLogEnabled())
            ZRLog("[Debug] disable event tap");
        unregisterEventTapWithPort(state.tap);
    } else if (wanted && !state.tap) {
        if (ZRDebugLogEnabled())
            ZRLog("[Debug] enable event tap");
        state.tap = registerListeningTapForEvents(
            EventMask, [this](const TapEvent& event) { ZRMouseEventTapCallback(*this, event); });
        if (state.tap) {
            m_tapLost = state.tap->lost.connect([this] { eventTapWasLost(); });
            m_tapRetryDelay = TapRetryDelay;
        } else {
            // Mouse control must not stay dead until a setting changes.
            m_tapRetry = RunLoop::main().performLater(m_tapRetryDelay, [this] { updateEventTap(false); });
            m_tapRetryDelay = std::min(2 * m_tapRetryDelay, MaximumTapRetryDelay);
        }
    }
}

void ZRMouseController::eventTapWasLost() {
    ZRLog("the desktop stopped the event tap; installing it again");
    // Not from inside the lost tap's own signal.
    m_tapReinstall = RunLoop::main().performLater(0, [this] {
        unregisterEventTapWithPort(ZRMouseControlState::shared().tap);
        updateEventTap(false);
    });
}

std::unique_ptr<EventTap> ZRMouseController::registerListeningTapForEvents(std::uint64_t eventMask,
                                                                           EventStream::Callback callback) {
    auto tap = Platform::current().eventStream().install(eventMask, std::move(callback));
    if (!tap)
        ZRLog("invalid port");
    return tap;
}

void ZRMouseController::unregisterEventTapWithPort(std::unique_ptr<EventTap>& tap) {
    m_tapLost.disconnect();
    tap.reset();
}

void ZRMouseController::registerDefaults(UserDefaults& defaults) {
    namespace D = ZRMouseControlDefault;
    const auto integer = [](qint64 value) { return QVariant::fromValue(value); };
    QVariantMap registered{
        {D::MouseControls, true},
        {D::SnapBack, true},
        {D::DropSnap, true},
        {D::Delay, DefaultPaletteDelay},
        {D::ZoomButtonBehavior,
         integer(defaults.boolForKey(MouseControlsDisableZoomButtonKey) ? ZoomButtonDisabledBehavior : 0)},
        {D::HoverMove, integer(static_cast<qint64>(DefaultHoverMoveModifiers))},
        {D::HoverResize, integer(static_cast<qint64>(DefaultHoverResizeModifiers))},
        {D::HoverStickinessEdges, true},
        {D::HoverStickinessCenters, true},
        {D::HoverStickinessOriginalSize, true},
    };
    for (std::int64_t position = FirstSnapPosition; position <= LastSnapPosition; ++position)
        registered.insert(userDefaultNameForSnapPosition(position),
                          integer(position % 2 == 1 ? ZRActionTypeHalf : ZRActionTypeQuarter));
    defaults.registerDefaults(registered);
}

void ZRMouseController::fillSettingsControls() {
    ZRSystemWindowSettings& systemSettings = ZRSystemWindowSettings::shared();
    if (UserDefaults::standard().hasValue(ZRSystemWindowSettings::RecordUserDefaultName)) {
        ZRLog("putting back the desktop's window settings that an earlier run left changed");
        systemSettings.restoreRecordedValues();
    }
    const UserDefaults& defaults = UserDefaults::standard();
    if (defaults.boolForKey(ZRMouseControlDefault::Snap))
        ZRSetSystemTilingDefault(ZRSystemWindowSettings::TilingByEdgeDragKey, false);
    if (defaults.boolForKey(ZRMouseControlDefault::DropSnap))
        ZRSetSystemTilingDefault(ZRSystemWindowSettings::TilingOptionAcceleratorKey, false);
    // The application in front at launch counts as much as the next one.
    ZRMouseControlState::shared().frontmostIgnored =
        isIgnoredFrontmost(Platform::current().workspace().frontmostApplication());
    updateMouseControlUserDefaultForSender(nullptr, true, true);
}

void ZRMouseController::activeApplicationDidChange(const std::optional<RunningApplication>& application) {
    ZRMouseControlState::shared().frontmostIgnored = isIgnoredFrontmost(application);
    updateListeningEventTapForTerminatingApplication(false);
}

void ZRMouseController::hideOverlayRegardlessOnNextTurn() {
    m_hideOverlayRegardless.add(
        RunLoop::main().performLater(0, [this] { palette().hideOverlayRegardless(); }));
}

void ZRMouseController::cancelHideOverlayRegardlessOnNextTurn() {
    m_hideOverlayRegardless.cancel();
}

void ZRMouseController::applicationWillTerminate() {
    m_updateAfterActionsChanged.cancel();
    m_tapRetry.cancel();
    m_tapReinstall.cancel();
    m_hideOverlayRegardless.cancel();
    m_ownPalette->cancelPendingOverlayRequests();
    // Their Escape hot key must not outlive the program.
    m_dropZones->deactivate();
    ZRScheduleTappedMouseMovedEvent(nullptr, *this);
    updateListeningEventTapForTerminatingApplication(true);
}
