#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class ZRAction;
class ZRHotKey;

// What an action asks of the main controller, which lies above and installs itself at start
// (ZRActionContext::host). Without one, the settings hot keys are read from the settings store.
class ZRActionHost {
public:
    virtual ~ZRActionHost() = default;

    // The two settings hot keys ("Keyboard Menu", "Keyboard Controls") that exist.
    virtual std::vector<std::shared_ptr<ZRHotKey>> settingsHotKeys() const = 0;
    // An action's hot key was set or cleared through a recorder field.
    virtual void didSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) = 0;
    // The user chose to assign the "Keyboard Controls" hot key after setting a local hot key.
    virtual void assignKeyboardControlHotKey() = 0;
};

// Captures the current windows into an action (the engine installs it: ZRActionContext::capturer).
class ZRActionCapturer {
public:
    virtual ~ZRActionCapturer() = default;

    // The layout's save button: captures the windows, with alerts on failure. The windows are read off the
    // main thread: captured is called once the action holds them.
    virtual void saveSnapshot(ZRAction& action, std::function<void()> captured) = 0;
    // Takes the current window state into the action; layouts capture the windows, as above.
    virtual void reflectCurrentState(ZRAction& action, bool silently, std::function<void()> captured) = 0;
};

// Asks whether a local hot key may be set while no "Keyboard Controls" hot key exists to open the
// keyboard control panel, the only place where local hot keys work. Tests replace it.
class ZRKeyboardControlHotKeyMissingAlert {
public:
    enum class Answer { Assign, Cancel };

    virtual ~ZRKeyboardControlHotKeyMissingAlert() = default;
    virtual Answer run(const ZRHotKey& hotKey) = 0;

    // The message box; answers Cancel when there is no application to show it.
    static std::unique_ptr<ZRKeyboardControlHotKeyMissingAlert> standardAlert();
};
