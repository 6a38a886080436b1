#pragma once

#include "actions/ZRActionHost.h"
#include "actions/ZRFrameMemory.h"
#include "actions/ZRKeyboardControlKeyMap.h"
#include "actions/ZRKeyboardControlPanelDelegate.h"
#include "hotkeys/ZRHotKeyHandler.h"
#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/Signal.h"
#include "window-access/ExternalWindowMonitor.h"

#include <QHash>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Platform;
class RunLoop;
class UserDefaults;
class ZRAction;
class ZRActionManager;
class ZRDropZoneActivation;
class ZRFullSizeGridOpener;
class ZRHotKey;
class ZRKeyboardControlPanelInterface;
class ZRKeyboardMenuPresenter;
class ZRLayoutAutoTrigger;
class ZRPaletteHiding;
class ZRPaletteItemButtonInterface;
class ZRVirtualScreen;
class ZRWindowObserver;
struct KeyEvent;

// Frames are set with an animation while it is on.
inline constexpr char16_t ZRAnimationUserDefaultName[] = u"Animation";
// The keyboard control panel closes after one of its keys moved the window, filled the screen with it, or
// ran any other action.
inline constexpr char16_t ZRDismissAfterMovingUserDefaultName[] = u"Dismiss After Moving";
inline constexpr char16_t ZRDismissAfterFillingUserDefaultName[] = u"Dismiss After Filling";
inline constexpr char16_t ZRDismissAfterOtherUserDefaultName[] = u"Dismiss After Other";
// The "Keyboard Controls" hot key opens the full-size grid on the frontmost window instead of the panel.
inline constexpr char16_t ZRKeyboardControlsGridUserDefaultName[] = u"Keyboard Controls Grid";

// The actions area of the main controller: triggering actions by themselves or by their hot keys,
// performing them on the most relevant window (the window the keyboard control panel controls, else
// the frontmost application's focused window), chains, folders, layouts captured and restored, and
// the memory of windows' original and last frames. The main controller owns it and hands it out; the
// parts above that it opens (keyboard menu, keyboard control panel, drop zones, full-size grid,
// palette) plug in through small interfaces and are absent while null. Main thread only.
class ZRActionController : public ZRHotKeyHandler,
                           public ZRKeyboardControlPanelDelegate,
                           public ZRActionCapturer {
public:
    // Seconds within which an original frame counts as recent.
    static constexpr double RecentOriginalFrameInterval = 1.0;

    // Registers the action store's defaults (which the frame memory reads), installs itself as the
    // actions' window capturer and forgets the frames of applications that quit on the desktop given. The
    // window observer is paused while the engine sets frames, so that snapping does not take them for drags.
    ZRActionController(ZRActionManager& store, UserDefaults& defaults, Platform& platform,
                       RunLoop& mainRunLoop, ZRWindowObserver& windowObserver);
    ~ZRActionController() override;
    ZRActionController(const ZRActionController&) = delete;
    ZRActionController& operator=(const ZRActionController&) = delete;

    // --- The parts above (not owned)

    void setKeyboardMenu(ZRKeyboardMenuPresenter* keyboardMenu) { m_keyboardMenu = keyboardMenu; }
    void setKeyboardControlPanel(ZRKeyboardControlPanelInterface* panel) { m_keyboardControlPanel = panel; }
    void setDropZones(ZRDropZoneActivation* dropZones) { m_dropZones = dropZones; }
    void setFullSizeGrid(ZRFullSizeGridOpener* grid) { m_fullSizeGrid = grid; }
    void setPalette(ZRPaletteHiding* palette) { m_palette = palette; }
    ZRKeyboardControlPanelInterface* keyboardControlPanel() const { return m_keyboardControlPanel; }
    ZRFullSizeGridOpener* fullSizeGrid() const { return m_fullSizeGrid; }
    // What tells the user an action failed; by default the application's beep.
    void setBeepHandler(std::function<void()> beep);
    // The program's beep, through the handler; the settings window beeps through it too.
    void beep() const;

    // --- Triggering

    // With an action: performs it on the most relevant window (folders open the keyboard menu, chains
    // run their members, layouts are restored). With a key press instead: runs the action whose hot key
    // it is; several such actions, and a folder's hot key, open the keyboard menu; the settings hot keys
    // open the keyboard menu or the keyboard control panel; during a window drag with "Drop Snap" a
    // layout's hot key shows its drop zones, and any other key closes them. Cycling chains move on to
    // their next member when chains are updated. Repeat, when given, tells whether the action may run
    // again while its key is held. Callers pass dismissLater false; the raising of the window follows
    // "Mouse Controls Auto-Activate Window", inverted by Shift when asked. Answers whether it was
    // handled.
    bool triggerAction(const std::shared_ptr<ZRAction>& action, const KeyEvent* orKeyDownEvent,
                       bool updateChains, bool* repeat, bool dismissLater,
                       bool invertRaisingBehaviorViaShiftKey);
    // ZRHotKeyHandler: with "Keyboard Controls Preempt Hot Keys", key presses of the program's own
    // windows are left to the keyboard control panel. A press handled while the panel is open pushes
    // its closing back.
    bool handleKeyDownEvent(const KeyEvent& event, bool& repeat) override;
    // Triggers the palette item's action and, when it ran, closes the palette.
    bool triggerActionViaPaletteItemButton(const ZRPaletteItemButtonInterface& button);

    // --- Performing

    // The window the keyboard control panel controls while it is open, else the frontmost
    // application's focused window; null when there is none.
    AXElementRef mostRelevantWindow() const;
    // Performs a single-window action on the window; false (after a beep) when it could not.
    bool performAction(const ZRAction& action, const AXElementRef& forWindow,
                       bool invertRaisingBehaviorViaShiftKey);
    // Puts the layout's windows where it says; false (after a beep) when no window was placed.
    bool restoreSnapshotForAction(const ZRAction& action);
    // Presses the window's zoom button (its zoom action first when filling the screen); on success the
    // window's last frame is forgotten.
    bool pressZoomButton(const AXElementRef& button, const AXElementRef& forWindow, bool tryToFillScreen);

    // --- Frame memory (frames in Quartz coordinates)

    // With deleteUnlessRecent, an original frame older than RecentOriginalFrameInterval is forgotten
    // and not answered.
    bool getOriginalFrame(Rect& frame, const AXElementRef& forWindow, bool deleteUnlessRecent);
    // Under "Frame Storage: Enable". An earlier original frame stays while the window still stands
    // where the program last put it, so a series of actions reverts to where the window stood before
    // the first; once the window was moved by other means its frame becomes the new original.
    bool storeOriginalFrame(const Rect& frame, const AXElementRef& forWindow);
    void removeOriginalFrameForWindow(const AXElementRef& window);
    // False with the zero rectangle and position -1 when there is none.
    bool getLastSkafFrame(Rect& frame, std::int64_t& atPosition, const AXElementRef& forWindow) const;
    // Under "Frame Storage: Enable".
    bool storeLastSkafFrame(const Rect& frame, std::int64_t atPosition, const AXElementRef& forWindow);
    void removeLastSkafFrameForWindow(const AXElementRef& window);
    const ZRFrameMemory& frameMemory() const { return m_frameMemory; }

    // --- Keyboard control panel

    // The panel's keys as the "Key Control: …" settings have them now.
    const ZRKeyboardControlKeyMap& keyboardControlKeyMap() const;
    // With "Keyboard Controls Preempt Hot Keys", the actions' global hot keys let go of their
    // registrations while the panel is open and take them again when it closes, those of actions that
    // are still in the store with the same hot key.
    void keyboardControlPanelDidBecomeActive(ZRKeyboardControlPanelInterface& panel, bool active) override;
    // The panel's keys and the hot keys (local ones included), in the order "Keyboard Controls Preempt
    // Hot Keys" sets: the panel's keys first when it is on. A key that performed an action on the window
    // closes the panel when the "Dismiss After …" setting of the action's kind is on.
    bool keyboardControlPanelShouldIgnoreEvent(ZRKeyboardControlPanelInterface& panel,
                                               const KeyEvent& event) override;
    bool keyboardControlPanelTriggerAction(ZRKeyboardControlPanelInterface& panel,
                                           const std::shared_ptr<ZRAction>& action) override;
    // A window last moved by the panel's keys has its original frame forgotten when the panel closes by
    // itself, unless "Preserve Original Frames Forever" is on.
    bool keyboardControlPanelShouldAutoDeactivate(ZRKeyboardControlPanelInterface& panel) override;

    // --- Layout capture (ZRActionCapturer)

    // Capture runs on the background worker; the layout takes the windows once they are listed.
    void saveSnapshot(ZRAction& action, std::function<void()> captured) override;
    void reflectCurrentState(ZRAction& action, bool silently, std::function<void()> captured) override;
    // Captures running or waiting to hand over their windows.
    std::size_t pendingCaptureCount() const { return m_captures.size(); }

    // --- Layouts that apply by themselves

    // Triggers layouts as the user would when the displays change or the machine wakes; the launch
    // starts it.
    ZRLayoutAutoTrigger& layoutAutoTrigger() { return *m_layoutAutoTrigger; }

private:
    struct Target;

    bool triggerKeyDownEvent(const KeyEvent& event, bool updateChains, bool* repeat,
                             bool invertRaisingBehaviorViaShiftKey);
    bool triggerChain(const std::shared_ptr<ZRAction>& chain, bool updateChains, int depth);
    bool triggerActionAtDepth(const std::shared_ptr<ZRAction>& action, bool updateChains, bool* repeat,
                              bool invertRaisingBehaviorViaShiftKey, int depth);
    // The keyboard control panel over the frontmost window, or with "Keyboard Controls Grid" the
    // full-size grid on it.
    void openKeyboardControls();
    // After a key the panel saw or the hot-key path took while it is open: the panel closes when the
    // action the key performed asks for it, else its closing by itself waits again.
    void finishPanelKey(ZRKeyboardControlPanelInterface& panel);
    bool openKeyboardMenu(const std::shared_ptr<ZRAction>& control, const void* reference,
                          const std::vector<std::shared_ptr<ZRAction>>* actions,
                          const std::optional<QString>& rootTitle, bool* repeat);
    std::vector<std::shared_ptr<ZRAction>> actionsMatchingEvent(const KeyEvent& event,
                                                                bool includeLocal) const;
    std::optional<Target> targetOfAction(const ZRAction& action, const AXElementRef& window,
                                         const Rect& frame, const ZRVirtualScreen& screen);
    struct Placement;
    using FramesHandler = std::function<void(const std::vector<bool>& set)>;
    // Sets every window's frame at once, remembers the frames they took and raises them when asked; then
    // hands on whether each took its frame. With "Animation" on the frames come on the run loop: the
    // answer is nothing and the handler runs when they are there; without, the handler runs before the
    // answer, which is the same.
    std::optional<std::vector<bool>> setFrames(const std::vector<Placement>& placements, bool raise,
                                               FramesHandler then = {});
    // After a layout's windows are in place: its applications brought forward, and the others hidden.
    void bringLayoutForward(const std::vector<AXElementRef>& placed, bool activates, bool hidesOthers);
    void capture(ZRAction& action, bool silently, std::function<void()> captured);
    void forgetApplication(pid_t processIdentifier);
    void subscribeToWorkspace();

    bool boolSetting(const QString& key) const;
    bool frameStorageEnabled() const;

    ZRActionManager& m_store;
    UserDefaults& m_defaults;
    Platform& m_platform;
    RunLoop& m_mainRunLoop;
    ZRWindowObserver& m_windowObserver;
    ZRFrameMemory m_frameMemory;
    // Made again when the settings choose other types.
    mutable ZRKeyboardControlKeyMap m_keyMap;
    mutable std::array<std::int64_t, 8> m_keyMapTypes{};
    std::function<void()> m_beep;
    // What an animation that ends after the controller asks about before it acts.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);

    ZRKeyboardMenuPresenter* m_keyboardMenu = nullptr;
    ZRKeyboardControlPanelInterface* m_keyboardControlPanel = nullptr;
    ZRDropZoneActivation* m_dropZones = nullptr;
    ZRFullSizeGridOpener* m_fullSizeGrid = nullptr;
    ZRPaletteHiding* m_palette = nullptr;

    // The next member of each cycling chain, by the chain's identifier.
    QHash<QString, std::size_t> m_chainPositions;
    // The hot keys that let go of their registrations while the keyboard control panel is open.
    std::vector<std::pair<std::weak_ptr<ZRAction>, std::shared_ptr<ZRHotKey>>> m_preemptedHotKeys;
    // The type of the last action a key of the panel ran, and on which window.
    std::int64_t m_lastKeyActionType = 0;
    AXElementRef m_lastKeyActionWindow;
    // The type of the action the key being handled performed on the panel's window; 0 for none.
    std::int64_t m_performedKeyActionType = 0;

    // Lists the windows a layout captures.
    ZRExternalWindowMonitor m_windowMonitor;
    std::vector<std::pair<std::uint64_t, Connection>> m_captures;
    std::uint64_t m_nextCapture = 0;
    Connection m_applicationTerminated;
    std::unique_ptr<ZRLayoutAutoTrigger> m_layoutAutoTrigger;
};
