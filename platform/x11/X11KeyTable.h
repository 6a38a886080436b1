#pragma once

#include "platform/Keys.h"

#include <cstdint>
#include <optional>
#include <span>

struct xkb_keymap;

// The table between the program's virtual key codes and the keys of an X keyboard. Virtual key
// codes name places on the keyboard, so each one is found by the XKB name of the key in that place
// (AC01 is the key right of Caps Lock, whatever letter the layout puts there); a keyboard whose
// keymap has no such name is searched for the key's symbol instead.
struct X11KeyTableEntry {
    KeyCode virtualKey;
    const char* keyName;  // XKB key name; empty for keys that an X keyboard does not have
    std::uint32_t keysym; // the symbol of the key on a US layout
};

class X11KeyTable {
public:
    static std::span<const X11KeyTableEntry> entries();
    static const X11KeyTableEntry* entryForVirtualKey(KeyCode virtualKey);

    // The X key code of a virtual key on this keymap.
    static std::optional<std::uint32_t> keycodeForVirtualKey(xkb_keymap* keymap, KeyCode virtualKey);
};
