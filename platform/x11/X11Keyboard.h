#pragma once

#include "platform/Keys.h"
#include "platform/Signal.h"
#include "platform/x11/X11Connection.h"

#include <QString>
#include <array>
#include <cstdint>
#include <mutex>
#include <optional>

struct xkb_context;
struct xcb_xkb_state_notify_event_t;
struct xkb_keymap;

// The X modifier bits that stand for the keys the program knows, found in the live modifier map.
struct X11ModifierMasks {
    std::uint16_t shift = 1 << 0;
    std::uint16_t lock = 1 << 1;
    std::uint16_t control = 1 << 2;
    std::uint16_t alt = 0;   // Option
    std::uint16_t super = 0; // Command
    std::uint16_t numLock = 0;
    std::uint16_t scrollLock = 0;

    // The lock modifiers that must not change whether a hot key matches.
    std::uint16_t locks() const { return lock | numLock | scrollLock; }
};

// Which keys of the keyboard are down, one bit per key code (as QueryKeymap gives them).
using X11KeysDown = std::array<std::uint8_t, 32>;

// The keyboard of one connection, through XKB: the keymap, the modifier map, the table between
// virtual key codes and key codes, and the program's modifier flags with their side bits. Reloads
// itself when the keyboard or its mapping changes.
class X11Keyboard {
public:
    // With watchState, modifier state changes of the core keyboard reach the connection's events, and
    // the keyboard follows which modifier keys are down.
    X11Keyboard(X11Connection& connection, bool watchState);
    ~X11Keyboard();
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    bool isValid() const;
    std::uint8_t eventBase() const { return m_eventBase; }

    X11ModifierMasks masks() const;
    std::optional<std::uint32_t> keycodeForVirtualKey(KeyCode virtualKey) const;
    // The virtual key in the place of an X key code; none for keys the program has no code for.
    std::optional<KeyCode> virtualKeyForKeycode(std::uint32_t keycode) const;
    // The side bit a modifier key stands for; 0 for other keys.
    ModifierFlags sideBitForKeycode(std::uint32_t keycode) const;

    // The program's flags for an X modifier state and the keys down.
    ModifierFlags flags(std::uint16_t modifierState, const X11KeysDown& keysDown) const;
    // The flags of an event's state, with the sides of the modifier keys down as the modifier changes
    // before it told them (needs watchState): what the user held for that event, not what is held now.
    ModifierFlags flagsOfEventState(std::uint16_t state) const;
    // The X modifier bits of a hot key's modifier mask; none when this keyboard lacks one of them.
    std::optional<std::uint16_t> modifierStateForHotKeyMask(std::uint32_t hotKeyMask) const;

    // Read from the server now.
    ModifierFlags currentFlags() const;
    X11KeysDown keysDown() const;
    QString character(KeyCode virtualKey, ModifierFlags modifiers) const;
    double repeatDelay() const;
    double repeatInterval() const;

    // The keymap or the modifier map changed (main thread).
    Signal<> changed;

private:
    void reload();
    void handleEvent(const xcb_generic_event_t* event);
    void followModifierKeys(const xcb_xkb_state_notify_event_t& event);

    X11Connection& m_connection;
    std::uint8_t m_eventBase = 0;
    std::int32_t m_deviceId = -1;
    xkb_context* m_context = nullptr;
    Connection m_eventConnection;

    mutable std::mutex m_mutex;
    xkb_keymap* m_keymap = nullptr;
    X11ModifierMasks m_masks;
    std::array<ModifierFlags, 256> m_sideBits{};
    std::array<std::optional<KeyCode>, 256> m_virtualKeys{};
    X11KeysDown m_modifierKeysDown{}; // as the modifier changes tell them
};
