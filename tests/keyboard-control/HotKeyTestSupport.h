#pragma once

#include "keyboard-control/ZRHotKey.h"
#include "keyboard-control/ZRHotKeyDelegate.h"
#include "keyboard-control/ZRHotKeyHandlerApplication.h"
#include "keyboard-control/ZRHotKeyReferencePool.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "toolkit/ZRLog.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <mutex>

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

class RecordingLogReader : public ZRLogReader {
public:
    void logMessage(const QString& message) override {
        std::lock_guard lock(mutex);
        lines += message;
    }
    void displayLog(QObject*) override {}

    std::mutex mutex;
    QStringList lines;
};

// Settings for one case of a table, taken out again when the case is done.
class ScopedSettings {
public:
    explicit ScopedSettings(QVariantMap settings) : m_settings(std::move(settings)) {
        for (auto it = m_settings.begin(); it != m_settings.end(); ++it)
            UserDefaults::standard().setObject(it.value(), it.key());
    }
    ~ScopedSettings() {
        for (auto it = m_settings.begin(); it != m_settings.end(); ++it)
            UserDefaults::standard().removeObject(it.key());
    }

private:
    QVariantMap m_settings;
};

// The test program's one application object, the program's own, on the offscreen display.
inline ZRHotKeyHandlerApplication& testApplication() {
    static int argc = 1;
    static char name[] = "skaf_hotkey_tests";
    static char* argv[] = {name, nullptr};
    if (!ZRHotKeyHandlerApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new ZRHotKeyHandlerApplication(argc, argv);
    }
    return *ZRHotKeyHandlerApplication::instance();
}

// Every test: a fresh desktop installed as the platform, settings in a folder of their own, the manual
// clock, and the log recorded.
class HotKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication();
        ASSERT_TRUE(folder.isValid());
        UserDefaults::setStandard(
            std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist"))));
        // The action store registers this default; the hot keys of these tests stand in for its actions'.
        UserDefaults::standard().registerDefaults(
            {{QStringLiteral("Non-Modifier Hot Keys Are Local"), true}});
        RunLoop::main().useManualClock(100);
        Platform::setCurrent(&desktop);
        ZRSetLogReaderFactory([this](const ZRLogReaderSettings&) { return log; });
    }

    void TearDown() override {
        RunLoop::main().runPending();
        // Every hot key of the test is gone: no registration may outlive them.
        EXPECT_TRUE(ZRHotKeyReferencePool::defaultPool().countersByReference().empty());
        EXPECT_TRUE(desktop.hotKeys.registrations().empty());
        ZRSetLogReaderFactory({});
        Platform::setCurrent(nullptr);
        UserDefaults::setStandard(nullptr);
    }

    static void set(const QString& key, const QVariant& value) {
        UserDefaults::standard().setObject(value, key);
    }

    static std::shared_ptr<ZRHotKey> hotKey(KeyCode keyCode, ModifierFlags flags,
                                            const QString& identifier = QStringLiteral("owner")) {
        return ZRHotKey::hotKeyWithIdentifer(identifier, QString(), keyCode, flags);
    }

    bool logged(const QString& text) const {
        std::lock_guard lock(log->mutex);
        return std::any_of(log->lines.begin(), log->lines.end(),
                           [&](const QString& line) { return line.contains(text); });
    }

    QTemporaryDir folder;
    CountingDesktop desktop;
    std::shared_ptr<RecordingLogReader> log = std::make_shared<RecordingLogReader>();
};
