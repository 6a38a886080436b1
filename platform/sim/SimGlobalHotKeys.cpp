#include "platform/sim/SimGlobalHotKeys.h"

#include "platform/foundation/RunLoop.h"

HotKeyRegistrationStatus SimGlobalHotKeys::registerHotKey(KeyCode keyCode, HotKeyModifierMask modifiers,
                                                          std::uint32_t signature, std::uint32_t identifier,
                                                          HotKeyReference& reference) {
    ++m_singleRequests;
    if (keyCode > Key::MaximumKeyCode)
        return HotKeyRegistrationStatus::InvalidKey;
    // The platform refuses a combination that is held already, by another program or by this one.
    if (m_taken.contains({keyCode, modifiers}) || find(keyCode, modifiers))
        return HotKeyRegistrationStatus::Taken;
    reference = m_nextReference++;
    m_registrations.emplace(reference, Registration{reference, keyCode, modifiers, signature, identifier});
    return HotKeyRegistrationStatus::Success;
}

void SimGlobalHotKeys::registerHotKeys(std::vector<HotKeyRegistrationRequest>& requests) {
    ++m_batchRequests;
    const int singles = m_singleRequests;
    GlobalHotKeys::registerHotKeys(requests);
    m_singleRequests = singles;
}

bool SimGlobalHotKeys::unregisterHotKey(HotKeyReference reference) {
    return m_registrations.erase(reference) > 0;
}

void SimGlobalHotKeys::markTaken(KeyCode keyCode, ModifierFlags modifiers) {
    m_taken.insert({keyCode, hotKeyModifierMask(modifiers)});
}

bool SimGlobalHotKeys::press(KeyCode keyCode, ModifierFlags modifiers) {
    return send(keyCode, modifiers, true);
}

bool SimGlobalHotKeys::release(KeyCode keyCode, ModifierFlags modifiers) {
    return send(keyCode, modifiers, false);
}

std::optional<HotKeyEvent> SimGlobalHotKeys::registeredHotKey(KeyCode keyCode,
                                                              ModifierFlags modifiers) const {
    const Registration* registration = find(keyCode, hotKeyModifierMask(modifiers));
    if (!registration)
        return std::nullopt;
    HotKeyEvent event = eventFor(*registration, true);
    event.modifierFlags = modifiers;
    return event;
}

HotKeyEvent SimGlobalHotKeys::eventFor(const Registration& registration, bool pressed) {
    HotKeyEvent event;
    event.reference = registration.reference;
    event.pressed = pressed;
    event.signature = registration.signature;
    event.identifier = registration.identifier;
    event.timestamp = RunLoop::main().now();
    return event;
}

bool SimGlobalHotKeys::send(KeyCode keyCode, ModifierFlags modifiers, bool pressed) {
    const Registration* registration = find(keyCode, hotKeyModifierMask(modifiers));
    if (!registration)
        return false;
    HotKeyEvent event = eventFor(*registration, pressed);
    event.modifierFlags = modifiers;
    hotKeyEvent.emit(event);
    return true;
}

const SimGlobalHotKeys::Registration* SimGlobalHotKeys::find(KeyCode keyCode,
                                                             HotKeyModifierMask modifiers) const {
    for (const auto& [reference, registration] : m_registrations) {
        if (registration.keyCode == keyCode && registration.modifiers == modifiers)
            return &registration;
    }
    return nullptr;
}

std::vector<SimGlobalHotKeys::Registration> SimGlobalHotKeys::registrations() const {
    std::vector<Registration> result;
    for (const auto& [reference, registration] : m_registrations)
        result.push_back(registration);
    return result;
}

bool SimGlobalHotKeys::isRegistered(KeyCode keyCode, ModifierFlags modifiers) const {
    return find(keyCode, hotKeyModifierMask(modifiers)) != nullptr;
}
