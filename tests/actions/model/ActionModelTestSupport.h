#pragma once

#include "../FakeActionHost.h"
#include "DesktopTest.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "keyboard-control/ZRHotKey.h"
#include "keyboard-control/ZRHotKeyReferencePool.h"
#include "platform/foundation/PropertyList.h"

#include <memory>

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

// Every test: a fresh shared store, and the missing-hot-key question answered by the test. No hot key
// may stay registered.
class ActionModelTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        ZRActionManager::setActionManager(nullptr);
        ZRAction::setHost(nullptr);
        ZRAction::setKeyboardControlHotKeyMissingAlert(
            std::make_unique<FakeKeyboardControlAlert>(&alertsShown, &alertAnswer));
    }

    void TearDown() override {
        ZRActionManager::setActionManager(nullptr);
        RunLoop::main().runPending();
        EXPECT_TRUE(ZRHotKeyReferencePool::defaultPool().countersByReference().empty());
        ZRAction::setKeyboardControlHotKeyMissingAlert(nullptr);
        ZRAction::setHost(nullptr);
        DesktopTest::TearDown();
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

    int alertsShown = 0;
    ZRKeyboardControlHotKeyMissingAlert::Answer alertAnswer =
        ZRKeyboardControlHotKeyMissingAlert::Answer::Cancel;
};
