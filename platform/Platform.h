#pragma once

#include <QString>
#include <memory>

class Accessibility;
class WindowServer;
class Screens;
class InputState;
class Workspace;
class EventStream;
class GlobalHotKeys;
class SystemPreferences;
class Processes;
class OverlayWindows;

// Everything the program needs of the desktop, one facility each. A backend (the simulated desktop,
// X11) provides all of them; the program uses the one installed at start.
class Platform {
public:
    virtual ~Platform() = default;

    virtual QString name() const = 0;

    virtual Accessibility& accessibility() = 0;
    virtual WindowServer& windowServer() = 0;
    virtual Screens& screens() = 0;
    virtual InputState& inputState() = 0;
    virtual Workspace& workspace() = 0;
    virtual EventStream& eventStream() = 0;
    virtual GlobalHotKeys& globalHotKeys() = 0;
    virtual SystemPreferences& systemPreferences() = 0;
    virtual Processes& processes() = 0;
    virtual OverlayWindows& overlayWindows() = 0;

    // The installed backend. Using it before one is installed is a programming error.
    static Platform& current();
    static bool hasCurrent();
    // Installs a backend, which the caller keeps alive; null uninstalls.
    static void setCurrent(Platform* platform);
    // At quit: the workers, which may be reading the desktop, take no new work and get at most `seconds`
    // to finish; only then is the installed backend uninstalled and destroyed. When some are still
    // busy it stays installed and alive for them until the process ends. Answers whether it went.
    static bool shutDown(std::unique_ptr<Platform> platform, double seconds);
};
