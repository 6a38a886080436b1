#include "ActionTestSupport.h"

#include "platform/Keys.h"

namespace {

using namespace ModifierFlag;
using Answer = ZRKeyboardControlHotKeyMissingAlert::Answer;

const QString KeyboardMenu = QStringLiteral("Keyboard Menu");
const QString KeyboardControls = QStringLiteral("Keyboard Controls");

std::shared_ptr<ZRAction> actionInStore(ZRActionManager& store, ZRActionType type = ZRActionTypeFill) {
    auto action = ZRAction::actionWithType(type);
    store.insertAction(action);
    return action;
}

TEST_F(ActionModelTest, SettingOrClearingAHotKeyLetsGoOfTheOneItReplaces) {
    auto action = actionInStore(store());
    const QString id = action->uniqueIdentifier();
    ASSERT_TRUE(action->shouldSetHotKey(hotKey(Key::A, Command | Option, id), id));
    EXPECT_TRUE(isRegistered(Key::A, Command | Option));

    // The recorder field still holds the old hot key: only the action can let go of it.
    const auto old = action->hotKey();
    ASSERT_TRUE(action->shouldSetHotKey(hotKey(Key::B, Command | Option, id), id));
    EXPECT_FALSE(isRegistered(Key::A, Command | Option));
    EXPECT_TRUE(isRegistered(Key::B, Command | Option));
    EXPECT_FALSE(old->isRegistered());

    ASSERT_TRUE(action->shouldSetHotKey(nullptr, id));
    EXPECT_FALSE(action->hotKey());
    EXPECT_TRUE(desktop.globalHotKeys().registrations().empty());
}

TEST_F(ActionModelTest, HotKeysAreRefusedWhereTheyCannotWork) {
    struct Case {
        const char* what;
        ZRActionType type;
        QString identifier;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"no identifier", ZRActionTypeFill, QString(), [] {}},
        {"a separator", ZRActionTypeSeparator, QStringLiteral("x"), [] {}},
        {"a menu header", ZRActionTypeMenuHeader, QStringLiteral("x"), [] {}},
        {"the keyboard menu's keys", ZRActionTypeFill, QStringLiteral("x"),
         [this] {
             settings().setObject(ZRHotKey::hotKeyWithIdentifer(KeyboardMenu, QString(), Key::A,
                                                                Command | Option, hotKeyContext())
                                      ->dictionaryRepresentation(),
                                  KeyboardMenu);
         }},
        {"keys another program holds", ZRActionTypeFill, QStringLiteral("x"),
         [this] { desktop.globalHotKeys().markTaken(Key::A, Command | Option); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        auto action = actionInStore(store(), c.type);
        const auto previous = hotKey(Key::Z, Command, action->uniqueIdentifier());
        if (c.type >= ZRActionTypeRevert) {
            ASSERT_TRUE(action->shouldSetHotKey(previous, action->uniqueIdentifier()));
        }
        EXPECT_FALSE(action->shouldSetHotKey(hotKey(Key::A, Command | Option, c.identifier), c.identifier));
        EXPECT_FALSE(isRegistered(Key::A, Command | Option));
        if (c.type >= ZRActionTypeRevert) {
            EXPECT_EQ(action->hotKey(), previous) << "a refusal keeps the old hot key";
            EXPECT_TRUE(isRegistered(Key::Z, Command));
        }
        actionStore.reset();
        settings().removeObject(KeyboardMenu);
    }
}

TEST_F(ActionModelTest, ALocalHotKeyWithoutKeyboardControlsAsksFirst) {
    struct Case {
        const char* what;
        bool keyboardControlsExist;
        Answer answer;
        bool accepted;
        int alerts;
        int assignRequests;
    };
    const Case cases[] = {
        {"cancelled", false, Answer::Cancel, false, 1, 0},
        {"assign chosen", false, Answer::Assign, true, 1, 1},
        {"keyboard controls exist", true, Answer::Cancel, true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeActionHost host;
        if (c.keyboardControlsExist)
            host.settings = {hotKey(Key::K, Command | Control, KeyboardControls)};
        store().context().host = &host;
        alertsShown = 0;
        alertAnswer = c.answer;
        auto action = actionInStore(store());
        const QString id = action->uniqueIdentifier();
        const auto local = hotKey(Key::L, 0, id);

        EXPECT_EQ(action->shouldSetHotKey(local, id), c.accepted);
        RunLoop::main().runPending();
        EXPECT_TRUE(local->isLocal());
        EXPECT_EQ(action->hotKey() == local, c.accepted);
        EXPECT_EQ(alertsShown, c.alerts);
        EXPECT_EQ(host.assignRequests, c.assignRequests);
        EXPECT_TRUE(desktop.globalHotKeys().registrations().empty()) << "local hot keys are never registered";
        actionStore.reset();
    }
}

TEST_F(ActionModelTest, DuplicatesAreSharedExceptWithTheSettingsHotKeys) {
    auto action = ZRAction::actionWithType(ZRActionTypeFill);
    const auto other = hotKey(Key::D, Command, QStringLiteral("other"));
    EXPECT_EQ(action->acceptNonUniqueHotKey(*other, {other}), true);
    EXPECT_TRUE(logged(QStringLiteral("duplicate hot key assigned: will offer choice")));
    for (const QString& identifier : {KeyboardMenu, KeyboardControls}) {
        EXPECT_EQ(action->acceptNonUniqueHotKey(*other, {other, hotKey(Key::D, Command, identifier)}), false);
    }
}

TEST_F(ActionModelTest, ActionsLoadedWithTheSameHotKeyShareItsRegistration) {
    auto first = ZRAction::actionWithType(ZRActionTypeFill);
    first->setHotKey(hotKey(Key::F5, Control, first->uniqueIdentifier()));
    auto second = ZRAction::actionWithType(ZRActionTypeCenter);
    second->setHotKey(hotKey(Key::F5, Control, second->uniqueIdentifier()));
    auto refused = ZRAction::actionWithType(ZRActionTypeRevert);
    refused->setHotKey(hotKey(Key::F6, Control, refused->uniqueIdentifier()));
    auto third = ZRAction::actionWithType(ZRActionTypeFill);
    third->setHotKey(hotKey(Key::F7, Control, third->uniqueIdentifier()));
    const QVariantList records = {first->dictionaryRepresentation(), second->dictionaryRepresentation(),
                                  refused->dictionaryRepresentation(), third->dictionaryRepresentation()};
    first.reset();
    second.reset();
    refused.reset();
    third.reset();
    settings().setObject(records, QString::fromUtf16(ZRCustomControlsUserDefaultName));
    desktop.globalHotKeys().markTaken(Key::F6, Control);
    ZRHotKey::setRegistrationCounter(0);

    auto& store = this->store();
    ASSERT_EQ(store.topLevelActions().size(), 4u);
    EXPECT_EQ(ZRHotKey::registrationCounter(), 3u) << "each hot key is tried once, the refused one too";
    // The desktop is asked for hot keys together, not one at a time: the first alone, as its equal
    // shares its registration, then the rest at once; the refused one is still named.
    EXPECT_EQ(desktop.globalHotKeys().singleRequests(), 0);
    EXPECT_EQ(desktop.globalHotKeys().batchRequests(), 2);
    EXPECT_EQ(log->lines().filter(QStringLiteral("cannot register hot key <")).size(), 1);
    EXPECT_TRUE(store.topLevelActions()[3]->hotKey()->isRegistered());
    EXPECT_FALSE(store.topLevelActions()[2]->hotKey()->isRegistered());
    const auto loadedFirst = store.topLevelActions()[0];
    const auto loadedSecond = store.topLevelActions()[1];
    EXPECT_TRUE(loadedFirst->hotKey()->isRegistered());
    EXPECT_TRUE(loadedSecond->hotKey()->isRegistered());
    EXPECT_EQ(loadedFirst->hotKey()->hotKeyReference(), loadedSecond->hotKey()->hotKeyReference());
    EXPECT_EQ(desktop.globalHotKeys().registrations().size(), 2u);
    EXPECT_EQ(loadedFirst->hotKey()->identifier(), loadedFirst->uniqueIdentifier());
}

} // namespace
