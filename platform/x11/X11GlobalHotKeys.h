#pragma once

#include "platform/GlobalHotKeys.h"

#include <xcb/xcb.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

class X11Desktop;
class X11Keyboard;

// Hot keys as passive key grabs on the root, one for every combination of the lock modifiers so
// that Caps Lock or Num Lock do not get in the way. A combination another client holds is
// refused (BadAccess) and nothing of it stays grabbed. The grabs follow changes of the keyboard
// mapping; a held hot key whose grab has to move is released first, so every press has its
// release. Auto-repeat is made detectable, so a held key is one press and one release.
class X11GlobalHotKeys : public GlobalHotKeys {
public:
    X11GlobalHotKeys(std::shared_ptr<X11Desktop> desktop, std::shared_ptr<X11Keyboard> keyboard);
    ~X11GlobalHotKeys() override;

    [[nodiscard]] HotKeyRegistrationStatus registerHotKey(KeyCode keyCode, HotKeyModifierMask modifiers,
                                                          std::uint32_t signature, std::uint32_t identifier,
                                                          HotKeyReference& reference) override;
    void registerHotKeys(std::vector<HotKeyRegistrationRequest>& requests) override;
    bool unregisterHotKey(HotKeyReference reference) override;
    // The registration whose grab the key and modifiers would set off.
    std::optional<HotKeyEvent> registeredHotKey(KeyCode keyCode, ModifierFlags modifiers) const override;

private:
    // The passive grabs of one registration on the current keyboard.
    struct Grab {
        std::uint32_t keycode = 0; // 0: nothing grabbed
        std::uint16_t state = 0;   // X modifiers, without the locks
        std::uint16_t locks = 0;   // the lock modifiers grabbed alongside
        friend bool operator==(const Grab&, const Grab&) = default;
    };
    struct Registration {
        KeyCode virtualKey = 0;
        HotKeyModifierMask modifiers = 0;
        std::uint32_t signature = 0;
        std::uint32_t identifier = 0;
        Grab grab; // empty while this keyboard cannot give the combination
        bool pressed = false;
    };

    // Where the registration's combination lies on the current keyboard.
    HotKeyRegistrationStatus locate(const Registration& registration, Grab& grab) const;
    // A registration's grabs, sent and not yet answered.
    struct PendingGrab {
        Grab wanted;
        std::vector<std::uint16_t> combinations;
        std::vector<xcb_void_cookie_t> cookies;
    };
    // Sends the grabs without waiting; anything but Success means none went out. Grabs of the others
    // alongside count as taken.
    HotKeyRegistrationStatus sendGrab(const Registration& registration, PendingGrab& pending,
                                      const std::vector<PendingGrab>& alongside);
    // Reads the answers: a refusal takes back what was granted and names the key in the log.
    HotKeyRegistrationStatus finishGrab(Registration& registration, const PendingGrab& pending);
    HotKeyRegistrationStatus grab(Registration& registration);
    void ungrab(Registration& registration);
    void keyboardChanged();
    void probeSuperKey();
    void handleEvent(const void* event);
    static HotKeyEvent eventFor(HotKeyReference reference, const Registration& registration, bool pressed);

    std::shared_ptr<X11Desktop> m_desktop;
    std::shared_ptr<X11Keyboard> m_keyboard;
    std::map<HotKeyReference, Registration> m_registrations;
    HotKeyReference m_nextReference = 1;
    bool m_superKeyTaken = false;
    std::vector<Connection> m_connections;
};
