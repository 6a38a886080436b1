#pragma once

#include "platform/Platform.h"

#include <QString>
#include <memory>
#include <optional>
#include <thread>

class X11Accessibility;
class X11Desktop;
class X11EventStream;
class X11GlobalHotKeys;
class X11InputState;
class X11Keyboard;
class X11OverlayWindows;
class X11Screens;
class X11SystemPreferences;
class X11Workspace;
class X11WindowServer;
class QtProcesses;
class X11PlatformPreparation;

// Every facility of the platform layer on the X server named by $DISPLAY.
class X11Platform : public Platform {
public:
    // Null with a reason when there is no display or no Qt application to read its events. What a preparation
    // begun earlier has made is taken over; without one it is all made here.
    static std::unique_ptr<Platform> create(QString* error,
                                            std::unique_ptr<X11PlatformPreparation> preparation = nullptr);
    ~X11Platform() override;

    QString name() const override { return QStringLiteral("x11"); }
    Accessibility& accessibility() override;
    WindowServer& windowServer() override;
    Screens& screens() override;
    InputState& inputState() override;
    Workspace& workspace() override;
    EventStream& eventStream() override;
    GlobalHotKeys& globalHotKeys() override;
    SystemPreferences& systemPreferences() override;
    Processes& processes() override;
    OverlayWindows& overlayWindows() override;

private:
    X11Platform() = default;

    std::shared_ptr<X11Desktop> m_desktop;
    std::shared_ptr<X11Keyboard> m_keyboard;
    std::unique_ptr<X11SystemPreferences> m_preferences;
    std::unique_ptr<X11Accessibility> m_accessibility;
    std::unique_ptr<X11WindowServer> m_windowServer;
    std::unique_ptr<X11Screens> m_screens;
    std::unique_ptr<X11InputState> m_inputState;
    std::unique_ptr<X11Workspace> m_workspace;
    std::unique_ptr<X11EventStream> m_eventStream;
    std::unique_ptr<X11GlobalHotKeys> m_globalHotKeys;
    std::unique_ptr<QtProcesses> m_processes;
    std::unique_ptr<X11OverlayWindows> m_overlayWindows;
    std::jthread m_sessionBusConnect;
};

std::unique_ptr<Platform> createX11Platform(QString* error,
                                            std::unique_ptr<X11PlatformPreparation> preparation = nullptr);

// The part of the backend that needs no Qt application, made on a thread of its own from the start of the
// program on: the connection to the display of $DISPLAY, the desktop's first reads, the keyboard's map and
// the screens. The Qt application makes its own round trips to the same display meanwhile, so that the two
// wait for the server together instead of one after the other, and the hot keys are grabbed that much
// sooner. Made on one thread and handed to X11Platform::create on that thread.
class X11PlatformPreparation {
public:
    // Begins at once.
    static std::unique_ptr<X11PlatformPreparation> begin();
    // Waits for what is being made, unless the display never took the connection.
    ~X11PlatformPreparation();
    X11PlatformPreparation(const X11PlatformPreparation&) = delete;
    X11PlatformPreparation& operator=(const X11PlatformPreparation&) = delete;

    // None once the display has taken the connection within the time; else why not, as x11DisplayProblem
    // tells it. A display that never answers leaves the thread waiting inside the X libraries.
    std::optional<QString> displayProblem(double seconds);

    struct State;

private:
    friend class X11Platform;
    X11PlatformPreparation() = default;

    std::shared_ptr<State> m_state;
};

// None when the X display of $DISPLAY answers a connection within the time; else why not. A server that
// accepts connections and never answers would keep the X library's connect (the toolkit's too) waiting
// for good.
std::optional<QString> x11DisplayProblem(double seconds);
