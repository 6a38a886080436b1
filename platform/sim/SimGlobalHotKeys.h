#pragma once

#include "platform/GlobalHotKeys.h"

#include <map>
#include <set>
#include <utility>
#include <vector>

// Global hot keys of the simulated desktop. Tests press and release keys with Cocoa modifier
// flags; a registration whose key code and modifiers match hears of it.
class SimGlobalHotKeys : public GlobalHotKeys {
public:
    struct Registration {
        HotKeyReference reference = 0;
        KeyCode keyCode = 0;
        HotKeyModifierMask modifiers = 0;
        std::uint32_t signature = 0;
        std::uint32_t identifier = 0;
    };

    [[nodiscard]] HotKeyRegistrationStatus registerHotKey(KeyCode keyCode, HotKeyModifierMask modifiers,
                                                          std::uint32_t signature, std::uint32_t identifier,
                                                          HotKeyReference& reference) override;
    void registerHotKeys(std::vector<HotKeyRegistrationRequest>& requests) override;
    bool unregisterHotKey(HotKeyReference reference) override;
    std::optional<HotKeyEvent> registeredHotKey(KeyCode keyCode, ModifierFlags modifiers) const override;

    // Another program holds the combination: registering it answers Taken.
    void markTaken(KeyCode keyCode, ModifierFlags modifiers);
    // Each answers whether a registered hot key heard it.
    bool press(KeyCode keyCode, ModifierFlags modifiers);
    bool release(KeyCode keyCode, ModifierFlags modifiers);
    // Current registrations, oldest first.
    std::vector<Registration> registrations() const;
    bool isRegistered(KeyCode keyCode, ModifierFlags modifiers) const;
    // How often the program asked: for one hot key, and for several together.
    int singleRequests() const { return m_singleRequests; }
    int batchRequests() const { return m_batchRequests; }

private:
    static HotKeyEvent eventFor(const Registration& registration, bool pressed);
    bool send(KeyCode keyCode, ModifierFlags modifiers, bool pressed);
    const Registration* find(KeyCode keyCode, HotKeyModifierMask modifiers) const;

    std::map<HotKeyReference, Registration> m_registrations;
    std::set<std::pair<KeyCode, HotKeyModifierMask>> m_taken;
    HotKeyReference m_nextReference = 1;
    int m_singleRequests = 0;
    int m_batchRequests = 0;
};
