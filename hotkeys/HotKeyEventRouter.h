#pragma once

#include "hotkeys/KeyEvent.h"
#include "platform/Signal.h"
#include "platform/foundation/RunLoop.h"

#include <functional>
#include <memory>
#include <optional>

class InputState;
class Platform;
class UserDefaults;
class ZRHotKeyHandler;

// The application object's routing of key presses, apart from any widget so that it can be driven on
// its own: key-downs of our own windows and the desktop's hot-key presses go to the handler before
// normal dispatch, and a held hot key repeats at the desktop's key-repeat pace. Main thread only.
//
// Events are shared so that a repetition is the very event that started it: the handler may keep one,
// and a repeat is told from a new press of the same hot key by identity.
class HotKeyEventRouter {
public:
    // Repeats and delayed releases run on the run loop given, which outlives the router.
    explicit HotKeyEventRouter(RunLoop& mainRunLoop);
    ~HotKeyEventRouter();
    HotKeyEventRouter(const HotKeyEventRouter&) = delete;
    HotKeyEventRouter& operator=(const HotKeyEventRouter&) = delete;

    // Not owned; null routes nothing.
    void setHandler(ZRHotKeyHandler* handler) { m_handler = handler; }
    ZRHotKeyHandler* handler() const { return m_handler; }

    // Takes the presses and releases of the desktop's hot keys, each with the modifier keys held for it,
    // repeats a held one at the desktop's key-repeat pace, and reads "Toggle Repeatable Hot Keys" from the
    // settings, until the answer is dropped; listening again replaces the previous desktop. Until then it
    // knows no hot keys of the desktop, repeats at a fallback pace and takes the toggle setting as off.
    [[nodiscard]] Connection listenTo(Platform& desktop, const UserDefaults& defaults);

    // The keyboard state of the desktop listened to; null while listening to none.
    const InputState* inputState() const;

    // True when the event was consumed; false passes it on to normal dispatch.
    bool sendEvent(const std::shared_ptr<const KeyEvent>& event);
    // A key of one of our own windows that is a hot key registered with the installed desktop: while
    // the program holds the keyboard, the desktop hands those to its window as plain keys. The press goes
    // on as that hot key's press, the release as its release a moment later; the window's own repeats of
    // the held key are dropped, as a held hot key repeats here. True when the key was such a hot key.
    bool sendKeyOfRegisteredHotKey(KeyCode keyCode, ModifierFlags modifierFlags, bool pressed,
                                   bool autoRepeat);
    // The status item was clicked: its menu is rebuilt before it opens.
    void statusItemClicked();

    // Offers the event to the handler and starts or stops repetition; true when it was handled.
    bool handleKeyDownEvent(const std::shared_ptr<const KeyEvent>& event, bool triggerRepetition);
    // Schedules the next repetition of the event, less the time since the reference timestamp; null
    // stops repetition.
    void triggerRepetitionForSystemDefinedEvent(const std::shared_ptr<const KeyEvent>& event,
                                                double referenceTimestamp);
    void repeatSystemDefinedEvent();

    std::shared_ptr<const KeyEvent> eventToRepeat() const { return m_eventToRepeat; }
    void setEventToRepeat(const std::shared_ptr<const KeyEvent>& event) { m_eventToRepeat = event; }

    // The clock against which the time an action takes is measured; the main run loop's by default.
    void setClock(std::function<double()> clock);

private:
    void stopRepetition();
    double now() const;
    void stopListening();
    bool toggleRepeatableHotKeys() const;
    double keyRepeatDelay() const;
    double keyRepeatInterval() const;
    bool modifiersStillHeld(const KeyEvent& event) const;

    RunLoop& m_mainRunLoop;
    Platform* m_desktop = nullptr;
    const UserDefaults* m_defaults = nullptr;
    // Which listening the desktop belongs to: an older answer dropped late leaves a newer one alone.
    unsigned m_listening = 0;
    ZRHotKeyHandler* m_handler = nullptr;
    // The registered hot key whose key is held down in one of our windows.
    struct HeldHotKey {
        KeyCode keyCode = 0;
        HotKeyEvent event;
    };
    std::optional<HeldHotKey> m_heldHotKey;
    std::shared_ptr<const KeyEvent> m_eventToRepeat;
    std::function<double()> m_clock;
    Connection m_hotKeyEvents;
    Connection m_unregistrations;
    // One release stands for a key let go twice with no press between, so nothing releases a key twice.
    PendingPerform m_releaseHeldHotKey;
    PendingPerform m_repeat;
};
