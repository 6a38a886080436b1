#include "actions/ZRKeyboardControlKeyMap.h"

#include "actions/ZRAction.h"
#include "hotkeys/KeyEvent.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRLog.h"

#include <algorithm>

namespace {

constexpr std::size_t ArrowSelectorCount = 4;

const struct Arrow {
    KeyCode key;
    ZRPosition direction;
} Arrows[] = {
    {Key::LeftArrow, ZRPositionLeft},
    {Key::RightArrow, ZRPositionRight},
    {Key::UpArrow, ZRPositionTop},
    {Key::DownArrow, ZRPositionBottom},
};

// The modifiers of the arrow selectors, in the order of their settings.
constexpr ModifierFlags ArrowSelectorModifiers[ArrowSelectorCount] = {
    0, ModifierFlag::Command, ModifierFlag::Option, ModifierFlag::Control};
// The other selectors' keys with the index of their settings, Escape and Return closing the panel unless
// a type is chosen for them.
const struct OtherKey {
    KeyCode key;
    std::size_t selector;
    bool closes;
} OtherKeys[] = {
    {Key::Escape, 7, true},
    {Key::Return, 4, true},
    {Key::Space, 5, false},
    {Key::Tab, 6, false},
};

std::shared_ptr<ZRAction> arrowAction(ZRActionType type, ZRPosition direction) {
    auto action = ZRActionDummy::dummyWithType(type);
    if (type == ZRActionTypeMoveToEdgeOrCorner)
        action->setMoveToEdgeOrCornerPosition(direction);
    else
        action->setMoveDirection(direction);
    return action;
}

bool offers(const std::vector<ZRActionType>& types, std::int64_t type) {
    return std::find(types.begin(), types.end(), type) != types.end();
}

} // namespace

const std::array<QString, 8>& ZRKeyboardControlKeyMap::userDefaultNames() {
    static const std::array<QString, 8> names = {
        QStringLiteral("Key Control: Arrow"),         QStringLiteral("Key Control: Arrow: Command"),
        QStringLiteral("Key Control: Arrow: Option"), QStringLiteral("Key Control: Arrow: Control"),
        QStringLiteral("Key Control: Return"),        QStringLiteral("Key Control: Space"),
        QStringLiteral("Key Control: Tab"),           QStringLiteral("Key Control: Escape"),
    };
    return names;
}

const std::vector<ZRActionType>& ZRKeyboardControlKeyMap::arrowKeyActionTypes() {
    static const std::vector<ZRActionType> types = {ZRActionTypeMove,
                                                    ZRActionTypeMoveConfined,
                                                    ZRActionTypeMoveToEdgeOrCorner,
                                                    ZRActionTypeMoveToOtherDisplay,
                                                    ZRActionTypeGrow,
                                                    ZRActionTypeShrink,
                                                    ZRActionTypeHalf};
    return types;
}

const std::vector<ZRActionType>& ZRKeyboardControlKeyMap::otherKeyActionTypes() {
    static const std::vector<ZRActionType> types = {
        ZRActionTypeFill,   ZRActionTypeCenter,    ZRActionTypeCenterGeometrically,
        ZRActionTypeRevert, ZRActionTypeZoomToFit, ZRActionTypeUseGrid};
    return types;
}

std::array<std::int64_t, 8> ZRKeyboardControlKeyMap::chosenTypes(const UserDefaults& defaults) {
    std::array<std::int64_t, 8> types{};
    for (std::size_t i = 0; i < types.size(); ++i)
        types[i] = defaults.integerForKey(userDefaultNames()[i]);
    return types;
}

ZRKeyboardControlKeyMap::ZRKeyboardControlKeyMap() : ZRKeyboardControlKeyMap(std::array<std::int64_t, 8>{}) {}

ZRKeyboardControlKeyMap::ZRKeyboardControlKeyMap(const std::array<std::int64_t, 8>& chosenTypes) {
    // A type a key cannot take (from an edited or foreign settings file) leaves the key as built in.
    const auto chosen = [&](std::size_t selector, const std::vector<ZRActionType>& offered) -> std::int64_t {
        const std::int64_t type = chosenTypes[selector];
        if (type == 0 || offers(offered, type))
            return type;
        ZRLog("cannot give keyboard controls action type %ld of \"%@\": the key stays as built in",
              qint64(type), userDefaultNames()[selector]);
        return 0;
    };

    const std::int64_t plain = chosen(0, arrowKeyActionTypes());
    for (const Arrow& arrow : Arrows)
        m_entries.push_back(
            {arrow.key, 0, arrowAction(plain ? ZRActionType(plain) : ZRActionTypeMove, arrow.direction)});
    for (const Arrow& arrow : Arrows)
        m_entries.push_back(
            {arrow.key, ModifierFlag::Shift, arrowAction(ZRActionTypeMoveToOtherDisplay, arrow.direction)});
    for (std::size_t selector = 1; selector < ArrowSelectorCount; ++selector) {
        if (const std::int64_t type = chosen(selector, arrowKeyActionTypes()))
            for (const Arrow& arrow : Arrows)
                m_entries.push_back({arrow.key, ArrowSelectorModifiers[selector],
                                     arrowAction(ZRActionType(type), arrow.direction)});
    }

    for (const OtherKey& other : OtherKeys) {
        if (const std::int64_t type = chosen(other.selector, otherKeyActionTypes()))
            m_entries.push_back({other.key, 0, ZRActionDummy::dummyWithType(ZRActionType(type))});
        else if (other.closes)
            m_entries.push_back({other.key, 0, nullptr});
    }
    m_entries.push_back({Key::KeypadEnter, 0, nullptr});
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
