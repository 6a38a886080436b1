#include "platform/sim/SimInputState.h"

namespace {

// The platform's usual settings.
constexpr double DefaultKeyRepeatDelay = 0.5;
constexpr double DefaultKeyRepeatInterval = 0.1;

struct ModifierKey {
    ModifierFlags flag;
    ModifierFlags left;
    ModifierFlags right;
};

constexpr ModifierKey modifierKeys[] = {
    {ModifierFlag::Shift, ModifierFlag::LeftShift, ModifierFlag::RightShift},
    {ModifierFlag::Control, ModifierFlag::LeftControl, ModifierFlag::RightControl},
    {ModifierFlag::Option, ModifierFlag::LeftOption, ModifierFlag::RightOption},
    {ModifierFlag::Command, ModifierFlag::LeftCommand, ModifierFlag::RightCommand},
};

// A held modifier always has the side bit of its key, and a side bit always its modifier.
ModifierFlags withSideBits(ModifierFlags flags) {
    for (const auto& key : modifierKeys) {
        if (flags & (key.left | key.right))
            flags |= key.flag;
        else if (flags & key.flag)
            flags |= key.left;
    }
    return flags;
}

} // namespace

SimInputState::SimInputState()
    : m_layout(SimKeyboardLayout::us()), m_keyRepeatDelay(DefaultKeyRepeatDelay),
      m_keyRepeatInterval(DefaultKeyRepeatInterval) {}

Point SimInputState::pointerLocation() const {
    std::lock_guard lock(m_mutex);
    return m_pointer;
}

ModifierFlags SimInputState::modifierFlags() const {
    std::lock_guard lock(m_mutex);
    return m_flags;
}

QString SimInputState::characterForKeyCode(KeyCode keyCode, ModifierFlags modifiers) const {
    std::lock_guard lock(m_mutex);
    return m_layout.character(keyCode, modifiers);
}

bool SimInputState::reportsFunctionModifier() const {
    std::lock_guard lock(m_mutex);
    return m_reportsFunctionModifier;
}

double SimInputState::keyRepeatDelay() const {
    std::lock_guard lock(m_mutex);
    return m_keyRepeatDelay;
}

double SimInputState::keyRepeatInterval() const {
    std::lock_guard lock(m_mutex);
    return m_keyRepeatInterval;
}

void SimInputState::setPointerLocation(Point quartz) {
    std::lock_guard lock(m_mutex);
    m_pointer = quartz;
}

void SimInputState::setModifierFlags(ModifierFlags flags) {
    std::lock_guard lock(m_mutex);
    m_flags = withSideBits(flags);
}

void SimInputState::setKeyboardLayout(SimKeyboardLayout layout) {
    std::lock_guard lock(m_mutex);
    m_layout = std::move(layout);
}

void SimInputState::setKeyRepeat(double delay, double interval) {
    std::lock_guard lock(m_mutex);
    m_keyRepeatDelay = delay;
    m_keyRepeatInterval = interval;
}

void SimInputState::setReportsFunctionModifier(bool reports) {
    std::lock_guard lock(m_mutex);
    m_reportsFunctionModifier = reports;
}

bool SimInputState::isLeftButtonDown() const {
    std::lock_guard lock(m_mutex);
    return m_leftButtonDown;
}

void SimInputState::setLeftButtonDown(bool down) {
    std::lock_guard lock(m_mutex);
    m_leftButtonDown = down;
}
