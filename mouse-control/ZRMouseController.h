#pragma once

#include "actions/ZRPaletteHiding.h"
#include "mouse-control/ZRMouseControlContext.h"
#include "mouse-control/ZRMouseControlFeatures.h"
#include "mouse-control/ZRMouseEventTapCallback.h"
#include "mouse-control/ZRMouseGestures.h"
#include "mouse-control/ZRMouseMovedWait.h"
#include "mouse-control/ZROverlayGridInterface.h"
#include "platform/Accessibility.h"
#include "platform/EventStream.h"
#include "platform/Signal.h"
#include "platform/foundation/RunLoop.h"
#include "shell/ZRApplicationArea.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

class ZRDropZoneManager;
class ZRHover;
class ZRMouseControlDropZones;
class ZRMouseControlHover;
class ZRMouseControlKeyboardMenu;
class ZRMouseControlPalette;
class ZRMouseControlPaletteLayout;
class ZRMouseControlSettingsControls;
class ZRMouseControlSnapping;
class ZROverlayGridInterface;
class ZRPalette;
class ZRSettingsControlSender;
class ZRSnapping;

// The mouse-control area of the main controller: it decides from the settings which features are on
// (ZRMouseControlFeatures), installs the listen-only event tap while one is, and hands the tapped events to
// the parts that act on them: hover, snapping, the palette, the drop zones and the keyboard menu. A part
// not given yet leaves its events alone. It owns the state of the running gestures and hands it to the
// parts it makes. Delayed requests on behalf of the palette are made with this controller as their target.
// Main thread only.
class ZRMouseController : public ZRApplicationArea, public ZRPaletteHiding {
public:
    // Left mouse down and up, right mouse down, mouse moved, left mouse dragged and flags changed.
    static constexpr std::uint64_t EventMask =
        tapEventMaskBit(TapEventType::LeftMouseDown) | tapEventMaskBit(TapEventType::LeftMouseUp) |
        tapEventMaskBit(TapEventType::RightMouseDown) | tapEventMaskBit(TapEventType::MouseMoved) |
        tapEventMaskBit(TapEventType::LeftMouseDragged) | tapEventMaskBit(TapEventType::FlagsChanged);
    // Seconds before a tap that could not be installed, while one is wanted, is tried again; each failure
    // in a row doubles the wait, up to the maximum, so a desktop that keeps refusing does not fill the log.
    static constexpr double TapRetryDelay = 1.0;
    static constexpr double MaximumTapRetryDelay = 60.0;

    explicit ZRMouseController(ZRMouseControlContext context);
    ~ZRMouseController() override;
    ZRMouseController(const ZRMouseController&) = delete;
    ZRMouseController& operator=(const ZRMouseController&) = delete;

    const ZRMouseControlContext& context() const { return m_context; }

    // --- The parts that act on tapped events; null takes a part away again. The caller keeps them alive.
    // Hover, snapping, the palette and the drop zones are the controller's own until others are given.

    void setHover(ZRMouseControlHover* hover);
    void setSnapping(ZRMouseControlSnapping* snapping);
    void setPalette(ZRMouseControlPalette* palette);
    void setDropZones(ZRMouseControlDropZones* dropZones);
    void setKeyboardMenu(ZRMouseControlKeyboardMenu* keyboardMenu);
    ZRMouseControlHover& hover() const { return *m_hover; }
    ZRMouseControlSnapping& snapping() const { return *m_snapping; }
    ZRMouseControlPalette& palette() const { return *m_palette; }
    ZRMouseControlDropZones& dropZones() const { return *m_dropZones; }
    ZRMouseControlKeyboardMenu& keyboardMenu() const { return *m_keyboardMenu; }

    // The settings window's controls that show the palette's state; null for none.
    void setSettingsControls(ZRMouseControlSettingsControls* controls) { m_settingsControls = controls; }
    ZRMouseControlSettingsControls* settingsControls() const { return m_settingsControls; }
    // The settings' palette editor, whose cells the palette shows; null for none.
    void setPaletteLayout(ZRMouseControlPaletteLayout* layout) { m_paletteLayout = layout; }
    ZRMouseControlPaletteLayout* paletteLayout() const { return m_paletteLayout; }
    // Keyboard control's grid in the palette; without one "Mouse Controls Grid" counts as off.
    void setPaletteGridFactory(ZRPaletteGridFactory factory);

    // --- The palette's services to the parts above

    // The controller's own palette, which also closes after a palette item's action.
    ZRPalette& ownPalette() const { return *m_ownPalette; }
    // The controller's own drop zones, which the action engine also shows.
    ZRDropZoneManager& ownDropZones() const { return *m_ownDropZones; }
    // The palette's action with a grid as sender: the full-size grid's chosen cell sets the frame of the
    // window it controls.
    void skaf(ZROverlayGridInterface& grid);
    // The window the focus window follows: the one dragged for snapping, the hovered one, the keyboard
    // control panel's, the palette's, the full-size grid's; null for none.
    AXElementRef focusReferenceWindow() const;
    // ZRPaletteHiding: the palette closes at once, after a palette item's action and from its menus.
    void hideOverlayRegardless() override;
    // How the settings window reads a delay setting (seconds); until one is given, the stored value.
    using DelayReader = std::function<double(const QString& userDefaultName)>;
    void setDelayReader(DelayReader reader);
    double delayForUserDefaultName(const QString& userDefaultName) const {
        return m_delayReader(userDefaultName);
    }
    // The settings that tapped events act on, as they were when one of them last changed.
    const ZRTappedEventSettings& tappedEventSettings() const { return m_tappedEventSettings; }

    // --- Feature flags, gestures and the tap

    const ZRMouseControlFeatures& features() const { return m_features; }
    // Replaces the features as a whole; the tap follows at the next decision.
    void setFeatures(const ZRMouseControlFeatures& features) { m_features = features; }
    ZRMouseGestures& gestures() { return m_gestures; }
    const ZRMouseGestures& gestures() const { return m_gestures; }
    // The palette's wait for the pointer to rest (ZRScheduleTappedMouseMovedEvent).
    ZRMouseMovedWait& mouseMovedWait() { return m_mouseMovedWait; }
    bool hasEventTap() const { return m_tap != nullptr; }
    // Recomputes the features from the settings and installs or removes the tap.
    void updateFeatureFlagsAndTap();
    // The same; with a sender (the palette switch) the palette follows the sender's state and the setting
    // "Mouse Controls" is written. Updates the palette's switch and the controls that depend on it when
    // asked. Answers whether the palette is on.
    bool updateMouseControlUserDefaultForSender(const ZRSettingsControlSender* sender, bool updateSwitch,
                                                bool updateSecondaryControls);
    // Installs the tap while a feature wants it, removes it otherwise. Terminating removes it for good and
    // gives the desktop back its own window settings.
    void updateListeningEventTapForTerminatingApplication(bool terminating);
    // A listen-only tap for the events of the mask; null (logged) when the desktop refuses one.
    std::unique_ptr<EventTap> registerListeningTapForEvents(std::uint64_t eventMask,
                                                            EventStream::Callback callback);
    // Removes the tap (the desktop's port and source of it are one object here); nothing for none.
    void unregisterEventTapWithPort(std::unique_ptr<EventTap>& tap);

    // --- ZRApplicationArea

    // The defaults of mouse control's own settings: the palette, snap back and drop snap on, the palette's
    // delay, halves on the screen edges and quarters in the corners, and the hover keys.
    void registerDefaults(UserDefaults& defaults) override;
    // Puts back desktop settings that an earlier run left changed, turns the desktop's tiling off for the
    // features that are on, and computes the feature flags.
    void fillSettingsControls() override;
    void activeApplicationDidChange(const std::optional<RunningApplication>& application) override;
    void applicationWillTerminate() override;

    // A click outside the palette hides it once the tap's event is done with.
    void hideOverlayRegardlessOnNextTurn();
    void cancelHideOverlayRegardlessOnNextTurn();

private:
    // Steps 1 and 2 of the tap decision: install or remove.
    void updateEventTap(bool terminating);
    void eventTapWasLost();
    // Reads the tapped events' settings now, and again whenever one of them changes.
    void followTappedEventSettings();

    const ZRMouseControlContext m_context;
    ZRMouseControlFeatures m_features;
    // Before the parts, which read them until they go.
    ZRMouseGestures m_gestures;
    ZRMouseMovedWait m_mouseMovedWait;
    std::unique_ptr<EventTap> m_tap;
    ZRMouseControlHover* m_hover;
    ZRMouseControlSnapping* m_snapping;
    ZRMouseControlPalette* m_palette;
    ZRMouseControlDropZones* m_dropZones;
    ZRMouseControlKeyboardMenu* m_keyboardMenu;
    ZRMouseControlSettingsControls* m_settingsControls = nullptr;
    ZRMouseControlPaletteLayout* m_paletteLayout = nullptr;
    DelayReader m_delayReader;
    ZRTappedEventSettings m_tappedEventSettings;
    Connection m_tappedEventSettingsChanged;
    Connection m_tapLost;
    Connection m_actionsChanged;
    PendingPerform m_updateAfterActionsChanged;
    PendingPerform m_tapRetry;
    PendingPerform m_tapReinstall;
    PendingPerforms m_hideOverlayRegardless;
    double m_tapRetryDelay = TapRetryDelay;
    bool m_terminated = false;
    // Last: they go first, while the rest of the controller is still there.
    std::unique_ptr<ZRDropZoneManager> m_ownDropZones;
    std::unique_ptr<ZRPalette> m_ownPalette;
    std::unique_ptr<ZRSnapping> m_ownSnapping;
    std::unique_ptr<ZRHover> m_ownHover;
};
