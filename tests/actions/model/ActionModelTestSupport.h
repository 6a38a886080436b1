#pragma once

#include "actions/ZRAction.h"
#include "actions/ZRActionHost.h"
#include "actions/ZRActionManager.h"
#include "keyboard-control/ZRHotKey.h"
#include "keyboard-control/ZRHotKeyReferencePool.h"
#include "platform/Platform.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "toolkit/ZRLog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <memory>
#include <mutex>

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

// Answers the question about a missing "Keyboard Controls" hot key as the test says, and counts.
class FakeKeyboardControlAlert : public ZRKeyboardControlHotKeyMissingAlert {
public:
    explicit FakeKeyboardControlAlert(int* asked, const Answer* answer) : m_asked(asked), m_answer(answer) {}
    Answer run(const ZRHotKey&) override {
        ++*m_asked;
        return *m_answer;
    }

private:
    int* m_asked;
    const Answer* m_answer;
};

class FakeHost : public ZRActionHost {
public:
    std::vector<std::shared_ptr<ZRHotKey>> settings;
    int didSetCount = 0;
    QString lastIdentifier;
    int assignRequests = 0;

    std::vector<std::shared_ptr<ZRHotKey>> settingsHotKeys() const override { return settings; }
    void didSetHotKey(const std::shared_ptr<ZRHotKey>&, const QString& identifier) override {
        ++didSetCount;
        lastIdentifier = identifier;
    }
    void assignKeyboardControlHotKey() override { ++assignRequests; }
};

inline void ensureTestApplication() {
    static int argc = 1;
    static char name[] = "skaf_action_model_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        new QApplication(argc, argv);
    }
}

// Every test: a fresh desktop, settings of their own, the manual clock, a fresh shared store, the log
// recorded, and the missing-hot-key question answered by the test. No hot key may stay registered.
class ActionModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureTestApplication();
        ASSERT_TRUE(folder.isValid());
        UserDefaults::setStandard(std::make_unique<UserDefaults>(settingsPath()));
        RunLoop::main().useManualClock(100);
        Platform::setCurrent(&desktop);
        ZRSetLogReaderFactory([this](const ZRLogReaderSettings&) { return log; });
        ZRActionManager::setActionManager(nullptr);
        ZRAction::setHost(nullptr);
        ZRAction::setKeyboardControlHotKeyMissingAlert(
            std::make_unique<FakeKeyboardControlAlert>(&alertsShown, &alertAnswer));
    }

    void TearDown() override {
        ZRActionManager::setActionManager(nullptr);
        RunLoop::main().runPending();
        EXPECT_TRUE(desktop.globalHotKeys().registrations().empty());
        EXPECT_TRUE(ZRHotKeyReferencePool::defaultPool().countersByReference().empty());
        ZRAction::setKeyboardControlHotKeyMissingAlert(nullptr);
        ZRAction::setHost(nullptr);
        ZRSetLogReaderFactory({});
        Platform::setCurrent(nullptr);
        UserDefaults::setStandard(nullptr);
    }

    QString settingsPath() const { return folder.filePath(QStringLiteral("Settings.plist")); }

    bool logged(const QString& text) const {
        std::lock_guard lock(log->mutex);
        return std::any_of(log->lines.begin(), log->lines.end(),
                           [&](const QString& line) { return line.contains(text); });
    }
    void clearLog() {
        std::lock_guard lock(log->mutex);
        log->lines.clear();
    }

    // A record through the XML form and back, as the settings file carries it.
    static QVariant throughXml(const QVariant& value) {
        const auto read = PropertyList::fromData(PropertyList::toData(value));
        EXPECT_TRUE(read.ok()) << read.error.toStdString();
        return read.value;
    }

    static std::shared_ptr<ZRHotKey> hotKey(KeyCode keyCode, ModifierFlags flags, const QString& identifier) {
        return ZRHotKey::hotKeyWithIdentifer(identifier, QString(), keyCode, flags);
    }

    bool isRegistered(KeyCode keyCode, ModifierFlags flags) const {
        return desktop.globalHotKeys().isRegistered(keyCode, flags);
    }

    QTemporaryDir folder;
    mutable SimDesktop desktop;
    std::shared_ptr<RecordingLogReader> log = std::make_shared<RecordingLogReader>();
    int alertsShown = 0;
    ZRKeyboardControlHotKeyMissingAlert::Answer alertAnswer =
        ZRKeyboardControlHotKeyMissingAlert::Answer::Cancel;
};
