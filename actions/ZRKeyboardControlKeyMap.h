#pragma once

#include "actions/ZRActionType.h"
#include "platform/Keys.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class ZRAction;
struct KeyEvent;
class UserDefaults;

// The keys of the keyboard control panel. Built in, the arrow keys move the controlled window by the
// move actions' standard step, with Shift to the neighbouring display that way; Escape, Return and Enter
// close the panel. The "Key Control: …" settings put an action type on the plain arrows, on the arrows
// with Command, Option or Control (each in the arrow's direction), and on Return, Space, Tab and Escape;
// 0 keeps the key as built in. Caps lock, the numeric pad and Fn (which arrow keys report) do not count.
class ZRKeyboardControlKeyMap {
public:
    struct Entry {
        KeyCode keyCode = 0;
        // Shift, Control, Option and Command as they must be held.
        ModifierFlags modifierFlags = 0;
        // Null for a key that closes the panel.
        std::shared_ptr<ZRAction> action;
    };

    // The settings of the arrow selectors (plain, Command, Option, Control), then of Return, Space, Tab and
    // Escape; each holds an action type, 0 for the built-in key.
    static const std::array<QString, 8>& userDefaultNames();
    // The types the arrows and the four other keys may take.
    static const std::vector<ZRActionType>& arrowKeyActionTypes();
    static const std::vector<ZRActionType>& otherKeyActionTypes();

    // The built-in map.
    ZRKeyboardControlKeyMap();
    // The map of the types chosen in the order of userDefaultNames. A type the key cannot take is logged
    // and the key stays as built in.
    explicit ZRKeyboardControlKeyMap(const std::array<std::int64_t, 8>& chosenTypes);
    // The types the settings choose now.
    static std::array<std::int64_t, 8> chosenTypes(const UserDefaults& defaults);

    const std::vector<Entry>& entries() const { return m_entries; }
    // The entry of the key press, or null.
    const Entry* entryForEvent(const KeyEvent& event) const;

private:
    std::vector<Entry> m_entries;
};
