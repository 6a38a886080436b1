#include "mouse-control/ZRMouseController.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "mouse-control/ZRDropZoneManager.h"
#include "mouse-control/ZRHover.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlDropZones.h"
#include "mouse-control/ZRMouseControlHover.h"
#include "mouse-control/ZRMouseControlKeyboardMenu.h"
#include "mouse-control/ZRMouseControlPalette.h"
#include "mouse-control/ZRMouseControlSettingsControls.h"
#include "mouse-control/ZRMouseControlSnapping.h"
#include "mouse-control/ZRMouseEventTapCallback.h"
#include "mouse-control/ZRPalette.h"
#include "mouse-control/ZRSnapping.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/Platform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRKeyboardMenuLineHeight.h"
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

// Mouse control leaves the frontmost application alone while it is on the "Front" ignore list.
bool isIgnoredFrontmost(const std::optional<RunningApplication>& application) {
    return application &&
           ZRApplicationIsIgnored(application->bundleIdentifier.toLower(), ZRIgnoreListCategory::Front);
}

} // namespace

ZRMouseController::ZRMouseController(ZRMouseControlContext context)
    : m_context(std::move(context)),
      m_mouseMovedWait(m_context.mainRunLoop,
                       [this](const std::shared_ptr<ZRCGEventWrapper>& wrapper) {
                           palette().processTappedMouseMovedEvent(wrapper);
                       }),
      m_hover(&noHover), m_snapping(&noSnapping), m_palette(&noPalette), m_dropZones(&noDropZones),
      m_keyboardMenu(&noKeyboardMenu) {
    m_ownDropZones = std::make_unique<ZRDropZoneManager>(m_gestures, m_context);
    m_dropZones = m_ownDropZones.get();
    m_ownHover = std::make_unique<ZRHover>(*this, m_gestures.hover);
    m_hover = m_ownHover.get();
    m_ownSnapping = std::make_unique<ZRSnapping>(*this, m_gestures);
    m_snapping = m_ownSnapping.get();
    m_ownPalette = std::make_unique<ZRPalette>(*this, m_gestures);
    m_palette = m_ownPalette.get();
    setDelayReader(nullptr);
    followTappedEventSettings();
    // Whether drop snap is on depends on the layouts and their hot keys; a burst of changes (a store
    // loading, a sidebar edit) is decided once, on the next turn.
    m_actionsChanged = m_context.notifications.addObserver(
        ZRActionsDidChangeNotification, nullptr, [this](const Notification&) {
            if (m_terminated)
                return;
            m_updateAfterActionsChanged =
                m_context.mainRunLoop.performLater(0, [this] { updateFeatureFlagsAndTap(); });
        });
}

ZRMouseController::~ZRMouseController() {
    ZRScheduleTappedMouseMovedEvent(nullptr, *this);
    unregisterEventTapWithPort(m_tap);
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
        reader = [&defaults = m_context.defaults](const QString& name) {
            return defaults.doubleForKey(name);
        };
    m_delayReader = std::move(reader);
    m_tappedEventSettings = ZRReadTappedEventSettings(*this);
}

void ZRMouseController::followTappedEventSettings() {
    m_tappedEventSettingsChanged = m_context.defaults.changed.connect([this](const QString& key) {
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
    UserDefaults& defaults = m_context.defaults;
    ZRMouseControlFeatures features = ZRMouseControlFeatures::fromSettings(
        defaults, [this]() -> const ZRActionManager& { return m_context.actionStore(); });
    features.frontmostIgnored = m_features.frontmostIgnored;
    followTappedEventSettings();

    const std::optional<int> senderState = sender ? sender->state() : std::nullopt;
    features.paletteOn =
        senderState ? *senderState == 1 : defaults.boolForKey(ZRMouseControlDefault::MouseControls);
    m_features = features;
    if (sender)
        defaults.setBool(features.paletteOn, ZRMouseControlDefault::MouseControls);
    if (m_settingsControls) {
        if (updateSwitch)
            m_settingsControls->setMouseControlSwitchState(features.paletteOn);
        if (updateSecondaryControls) {
            m_settingsControls->setMouseControlTriggerSelectorEnabled(features.paletteOn);
            m_settingsControls->setMouseControlDelayShrouded(!features.paletteOn);
        }
    }

    updateListeningEventTapForTerminatingApplication(false);
    return features.paletteOn;
}

void ZRMouseController::updateListeningEventTapForTerminatingApplication(bool terminating) {
    updateEventTap(terminating);
    const UserDefaults& defaults = m_context.defaults;
    if (!terminating) {
        if (!defaults.boolForKey(ZRSystemWindowSettings::DisabledTemporarilyUserDefaultName))
            m_context.systemWindowSettings().updateZoomButtonMenuOption(
                !defaults.boolForKey(ZRSystemWindowSettings::ApplePrimaryUserDefaultName));
        return;
    }
    m_terminated = true;
    m_context.systemWindowSettings().restoreForTermination();
}

void ZRMouseController::updateEventTap(bool terminating) {
    m_tapRetry.cancel();
    const bool wanted =
        m_features.anyFeatureOn() && !m_features.frontmostIgnored && !terminating && !m_terminated;
    if (m_tap && !wanted) {
        if (ZRDebugLogEnabled())
            ZRLog("[Debug] disable event tap");
        unregisterEventTapWithPort(m_tap);
    } else if (wanted && !m_tap) {
        if (ZRDebugLogEnabled())
            ZRLog("[Debug] enable event tap");
        m_tap = registerListeningTapForEvents(
            EventMask, [this](const TapEvent& event) { ZRMouseEventTapCallback(*this, event); });
        if (m_tap) {
            m_tapLost = m_tap->lost.connect([this] { eventTapWasLost(); });
            m_tapRetryDelay = TapRetryDelay;
        } else {
            // Mouse control must not stay dead until a setting changes.
            m_tapRetry =
                m_context.mainRunLoop.performLater(m_tapRetryDelay, [this] { updateEventTap(false); });
            m_tapRetryDelay = std::min(2 * m_tapRetryDelay, MaximumTapRetryDelay);
        }
    }
}

void ZRMouseController::eventTapWasLost() {
    ZRLog("the desktop stopped the event tap; installing it again");
    // Not from inside the lost tap's own signal.
    m_tapReinstall = m_context.mainRunLoop.performLater(0, [this] {
        unregisterEventTapWithPort(m_tap);
        updateEventTap(false);
    });
}

std::unique_ptr<EventTap> ZRMouseController::registerListeningTapForEvents(std::uint64_t eventMask,
                                                                           EventStream::Callback callback) {
    auto tap = m_context.platform.eventStream().install(eventMask, std::move(callback));
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
    for (std::int64_t position = ZRFirstSnapZonePosition; position <= ZRLastSnapZonePosition; ++position)
        registered.insert(userDefaultNameForSnapPosition(position),
                          integer(position % 2 == 1 ? ZRActionTypeHalf : ZRActionTypeQuarter));
    defaults.registerDefaults(registered);
}

void ZRMouseController::fillSettingsControls() {
    ZRSystemWindowSettings& systemSettings = m_context.systemWindowSettings();
    const UserDefaults& defaults = m_context.defaults;
    if (defaults.hasValue(ZRSystemWindowSettings::RecordUserDefaultName)) {
        ZRLog("putting back the desktop's window settings that an earlier run left changed");
        systemSettings.restoreRecordedValues();
    }
    if (defaults.boolForKey(ZRMouseControlDefault::Snap))
        systemSettings.setTilingDefault(ZRSystemWindowSettings::TilingByEdgeDragKey, false);
    if (defaults.boolForKey(ZRMouseControlDefault::DropSnap))
        systemSettings.setTilingDefault(ZRSystemWindowSettings::TilingOptionAcceleratorKey, false);
    // The application in front at launch counts as much as the next one.
    m_features.frontmostIgnored = isIgnoredFrontmost(m_context.platform.workspace().frontmostApplication());
    updateMouseControlUserDefaultForSender(nullptr, true, true);
}

void ZRMouseController::activeApplicationDidChange(const std::optional<RunningApplication>& application) {
    m_features.frontmostIgnored = isIgnoredFrontmost(application);
    updateListeningEventTapForTerminatingApplication(false);
}

void ZRMouseController::hideOverlayRegardlessOnNextTurn() {
    m_hideOverlayRegardless.add(
        m_context.mainRunLoop.performLater(0, [this] { palette().hideOverlayRegardless(); }));
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
