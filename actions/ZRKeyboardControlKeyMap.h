#pragma once

#include "platform/Keys.h"

#include <memory>
#include <vector>

class ZRAction;
struct KeyEvent;

// The keys of the keyboard control panel: the arrow keys move the controlled window by the move
// actions' standard step, with Shift to the neighbouring display that way; Escape, Return and Enter
// close the panel. Caps lock, the numeric pad and Fn (which arrow keys report) do not count.
class ZRKeyboardControlKeyMap {
public:
    struct Entry {
        KeyCode keyCode = 0;
        // Shift, Control, Option and Command as they must be held.
        ModifierFlags modifierFlags = 0;
        // Null for a key that closes the panel.
        std::shared_ptr<ZRAction> action;
    };

    ZRKeyboardControlKeyMap();

    const std::vector<Entry>& entries() const { return m_entries; }
    // The entry of the key press, or null.
    const Entry* entryForEvent(const KeyEvent& event) const;

private:
    std::vector<Entry> m_entries;
};
