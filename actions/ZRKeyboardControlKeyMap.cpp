#include "actions/ZRKeyboardControlKeyMap.h"

#include "actions/ZRAction.h"
#include "keyboard-control/KeyEvent.h"

ZRKeyboardControlKeyMap::ZRKeyboardControlKeyMap() {
    const struct {
        KeyCode key;
        ZRPosition direction;
    } arrows[] = {
        {Key::LeftArrow, ZRPositionLeft},
        {Key::RightArrow, ZRPositionRight},
        {Key::UpArrow, ZRPositionTop},
        {Key::DownArrow, ZRPositionBottom},
    };
    for (const auto& arrow : arrows) {
        auto move = ZRActionDummy::dummyWithType(ZRActionTypeMove);
        move->setMoveDirection(arrow.direction);
        m_entries.push_back({arrow.key, 0, move});
    }
    for (const auto& arrow : arrows) {
        auto other = ZRActionDummy::dummyWithType(ZRActionTypeMoveToOtherDisplay);
        other->setMoveDirection(arrow.direction);
        m_entries.push_back({arrow.key, ModifierFlag::Shift, other});
    }
    for (const KeyCode key : {Key::Escape, Key::Return, Key::KeypadEnter})
        m_entries.push_back({key, 0, nullptr});
}

const ZRKeyboardControlKeyMap::Entry* ZRKeyboardControlKeyMap::entryForEvent(const KeyEvent& event) const {
    if (event.type != KeyEventType::KeyDown)
        return nullptr;
    const ModifierFlags held = event.modifierFlags & ModifierFlag::ShiftControlOptionCommand;
    for (const Entry& entry : m_entries) {
        if (entry.keyCode == event.keyCode && entry.modifierFlags == held)
            return &entry;
    }
    return nullptr;
}
