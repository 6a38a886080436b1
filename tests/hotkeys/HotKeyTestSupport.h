#pragma once

#include "DesktopTest.h"
#include "TestApplication.h"

#include "hotkeys/ZRHotKey.h"
#include "hotkeys/ZRHotKeyDelegate.h"
#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "hotkeys/ZRHotKeyReferencePool.h"
#include "platform/sim/SimDesktop.h"

#include <memory>

// The simulated desktop's hot keys, counting what the program asks of them.
class CountingHotKeys : public SimGlobalHotKeys {
public:
    int registerCalls = 0;
    int unregisterCalls = 0;
    std::uint32_t lastIdentifier = 0;

    HotKeyRegistrationStatus registerHotKey(KeyCode keyCode, HotKeyModifierMask modifiers,
                                            std::uint32_t signature, std::uint32_t identifier,
                                            HotKeyReference& reference) override {
        ++registerCalls;
        lastIdentifier = identifier;
        return SimGlobalHotKeys::registerHotKey(keyCode, modifiers, signature, identifier, reference);
    }
    bool unregisterHotKey(HotKeyReference reference) override {
        ++unregisterCalls;
        return SimGlobalHotKeys::unregisterHotKey(reference);
    }
};

class CountingDesktop : public SimDesktop {
public:
    CountingHotKeys& globalHotKeys() override { return hotKeys; }
    CountingHotKeys hotKeys;
};

// An owner of hot keys whose answers a test sets.
class FakeOwner : public ZRHotKeyDelegate {
public:
    std::vector<std::shared_ptr<ZRHotKey>> inUse;
    std::optional<bool> canBeLocal = true;
    std::optional<bool> acceptsDuplicates;
    int duplicateQuestions = 0;

    std::vector<std::shared_ptr<ZRHotKey>> hotKeys() const override { return inUse; }
    std::uint32_t hotKeySignature() const override { return ZRHotKeySignature; }
    QString identifierForHotKeyTextView(const ZRHotKeyTextView*) const override {
        return QStringLiteral("owner");
    }
    bool shouldSetHotKey(const std::shared_ptr<ZRHotKey>&, const QString&) override { return true; }
    std::optional<bool> hotKeyCanBeLocal(const ZRHotKey&) override { return canBeLocal; }
    std::optional<bool> acceptNonUniqueHotKey(const ZRHotKey&,
                                              const std::vector<std::shared_ptr<ZRHotKey>>&) override {
        ++duplicateQuestions;
        return acceptsDuplicates;
    }
};

// Settings for one case of a table, taken out of the store again when the case is done.
class ScopedSettings {
public:
    ScopedSettings(UserDefaults& store, QVariantMap settings)
        : m_store(store), m_settings(std::move(settings)) {
        for (auto it = m_settings.begin(); it != m_settings.end(); ++it)
            m_store.setObject(it.value(), it.key());
    }
    ~ScopedSettings() {
        for (auto it = m_settings.begin(); it != m_settings.end(); ++it)
            m_store.removeObject(it.key());
    }

private:
    UserDefaults& m_store;
    QVariantMap m_settings;
};

// Every test: the program's application object, a desktop that counts registrations, and no hot key
// left behind in the reference pool.
class HotKeyTest : public DesktopTest {
protected:
    HotKeyTest() : DesktopTest(std::make_unique<CountingDesktop>()) {}

    void SetUp() override {
        testApplication<ZRHotKeyHandlerApplication>();
        DesktopTest::SetUp();
        // The action store registers this default; the hot keys of these tests stand in for its actions'.
        settings().registerDefaults({{QStringLiteral("Non-Modifier Hot Keys Are Local"), true}});
    }

    void TearDown() override {
        RunLoop::main().runPending();
        EXPECT_TRUE(ZRHotKeyReferencePool::defaultPool().countersByReference().empty());
        DesktopTest::TearDown();
    }

    // What the hot keys of a case are made with: the case's desktop and settings.
    ZRHotKeyContext hotKeyContext() const { return {desktop.globalHotKeys(), settings(), RunLoop::main()}; }

    std::shared_ptr<ZRHotKey> hotKey(KeyCode keyCode, ModifierFlags flags,
                                     const QString& identifier = QStringLiteral("owner")) const {
        return ZRHotKey::hotKeyWithIdentifer(identifier, QString(), keyCode, flags, hotKeyContext());
    }

    CountingHotKeys& hotKeys = static_cast<CountingDesktop&>(desktop).hotKeys;
};
