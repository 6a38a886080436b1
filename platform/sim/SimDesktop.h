#pragma once

#include "platform/Platform.h"
#include "platform/sim/SimAccessibility.h"
#include "platform/sim/SimApplication.h"
#include "platform/sim/SimEventStream.h"
#include "platform/sim/SimGlobalHotKeys.h"
#include "platform/sim/SimInputState.h"
#include "platform/sim/SimOverlayWindows.h"
#include "platform/sim/SimProcesses.h"
#include "platform/sim/SimScreens.h"
#include "platform/sim/SimSystemPreferences.h"
#include "platform/sim/SimWindow.h"
#include "platform/sim/SimWindowServer.h"
#include "platform/sim/SimWorkspace.h"

#include <memory>
#include <optional>

class SimWorld;

// A whole desktop in memory that implements every platform facility, deterministic and scriptable:
//     SimDesktop sim;
//     sim.addScreen(Rect(0, 0, 1440, 900));
//     auto& editor = sim.addApplication("com.example.Editor", "Editor");
//     auto& w = sim.addWindow(editor, Rect(100, 100, 800, 600));
//     w.setResizable(false);
// Time comes from RunLoop::main(); observers hear of frame changes when it runs its pending work.
// The facilities come back as their simulated classes, which carry their own scripting.
class SimDesktop : public Platform {
public:
    SimDesktop();
    ~SimDesktop() override;

    QString name() const override;
    SimAccessibility& accessibility() override { return m_accessibility; }
    SimWindowServer& windowServer() override { return m_windowServer; }
    SimScreens& screens() override { return m_screens; }
    SimInputState& inputState() override { return m_inputState; }
    SimWorkspace& workspace() override { return m_workspace; }
    SimEventStream& eventStream() override { return m_eventStream; }
    SimGlobalHotKeys& globalHotKeys() override { return m_globalHotKeys; }
    SimSystemPreferences& systemPreferences() override { return m_systemPreferences; }
    SimProcesses& processes() override { return m_processes; }
    SimOverlayWindows& overlayWindows() override { return m_overlayWindows; }

    // Screens, in Cocoa coordinates. The first is the primary one and starts at (0, 0); the visible
    // frame is the whole frame unless given. Each change emits screensChanged; bad frames are
    // logged and change nothing (0 or false).
    std::uint32_t addScreen(const Rect& frame, std::optional<Rect> visibleFrame = {}, double scale = 1.0);
    bool removeScreen(std::uint32_t identifier);
    bool setScreenFrame(std::uint32_t identifier, const Rect& frame, std::optional<Rect> visibleFrame = {});
    void setSeparateSpaces(bool separate);

    // An empty bundle identifier is an application without one. The first application added
    // becomes frontmost.
    SimApplication& addApplication(const QString& bundleIdentifier, const QString& name);
    // The program itself, with the test's own process, for the windows the program shows.
    SimApplication& addOwnApplication(const QString& name);
    // A new window in front of the others, frame in Quartz coordinates.
    SimWindow& addWindow(SimApplication& application, const Rect& frame, const QString& title = {});
    SimWindow* window(WindowNumber number) const;

    // The pointer and the buttons, each reaching the taps as the matching event. Pressing the left
    // button raises the window under the pointer and activates its application (not while Command
    // is held); on a title bar it starts a drag that moves the window with the pointer, by the window
    // manager, which holds the keyboard meanwhile. A press on an overlay of the program that takes
    // clicks, or anywhere while the program holds the pointer, reaches the program's window instead.
    void movePointer(Point quartz);
    void movePointerBy(double dx, double dy);
    void pressLeftButton();
    void releaseLeftButton();
    void pressRightButton();
    // Moves the pointer to the middle of the window's title bar and presses the left button there.
    void beginWindowDrag(SimWindow& window);
    // Steps of a drag by which the accessibility frame trails the window list (0 by default).
    void setDragLag(int steps);
    // With restores, each step of a title-bar drag puts back the frame the drag gives the window, as a
    // window manager does with a frame set while it moves the window.
    void setDragRestoresFrames(bool restores);
    // The modifier keys held; a change reaches the taps as flags changed.
    void setModifierFlags(ModifierFlags flags);
    // A key pressed and released with the modifier keys held. The taps see it always; then it goes to
    // the program's window that holds the keyboard, else to the hot key registered for it, except while
    // the window manager holds the keyboard. Pressing answers whether a hot key or a window of the
    // program took it.
    bool pressKey(KeyCode keyCode);
    void releaseKey(KeyCode keyCode);

private:
    void postPointerEvent(TapEventType type, double dx = 0, double dy = 0);
    bool sendKey(KeyCode keyCode, bool pressed);

    std::shared_ptr<SimWorld> m_world;
    SimAccessibility m_accessibility;
    SimWindowServer m_windowServer;
    SimScreens m_screens;
    SimInputState m_inputState;
    SimWorkspace m_workspace;
    SimEventStream m_eventStream;
    SimGlobalHotKeys m_globalHotKeys;
    SimSystemPreferences m_systemPreferences;
    SimProcesses m_processes;
    SimOverlayWindows m_overlayWindows;
};
