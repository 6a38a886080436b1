#include "HotKeyFieldTestSupport.h"
#include "ShellTestSupport.h"

#include "actions/ZRAction.h"
#include "keyboard-control/ZRHotKey.h"

namespace {

constexpr ModifierFlags ControlOption = ModifierFlag::Control | ModifierFlag::Option;
constexpr Qt::KeyboardModifiers ControlAlt = Qt::ControlModifier | Qt::AltModifier;

class SettingsHotKeyFieldsTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        auto scripted = std::make_unique<ScriptedFieldAlerts>();
        alerts = scripted.get();
        ZRHotKeyTextView::setAlerts(std::move(scripted));
    }
    void TearDown() override {
        menuView.reset();
        controlsView.reset();
        action.reset();
        ZRHotKeyTextView::setAlerts(nullptr);
        ShellTest::TearDown();
    }

    static void store(const QString& identifier, KeyCode keyCode) {
        UserDefaults::standard().setObject(
            ZRHotKey::hotKeyWithIdentifer(identifier, QString(), keyCode, ControlOption)
                ->dictionaryRepresentation(),
            identifier);
    }

    ScriptedFieldAlerts* alerts = nullptr;
    std::unique_ptr<FieldWindow> menuView;
    std::unique_ptr<FieldWindow> controlsView;
    std::shared_ptr<ZRAction> action;
};

TEST_F(SettingsHotKeyFieldsTest, TheFieldsEditTheControllersHotKeys) {
    // Another program holds the keyboard menu's keys at launch, and lets go of them later.
    HotKeyReference otherProgram = 0;
    ASSERT_EQ(
        desktop.globalHotKeys().registerHotKey(Key::K, hotKeyModifierMask(ControlOption), 1, 1, otherProgram),
        HotKeyRegistrationStatus::Success);
    store(QStringLiteral("Keyboard Menu"), Key::K);
    store(QStringLiteral("Keyboard Controls"), Key::M);
    QStringList calls;
    pendingAreas.push_back(std::make_unique<RecordingArea>(&calls));
    ZRMainController& controller = launch();
    action = ZRAction::actionWithType(ZRActionTypeCenter);
    action->setHotKey(
        ZRHotKey::hotKeyWithIdentifer(action->uniqueIdentifier(), QString(), Key::J, ControlOption));
    ZRActionManager::actionManager().insertAction(action);

    menuView = std::make_unique<FieldWindow>(controller.keyboardMenuHotKeyTextView());
    controlsView = std::make_unique<FieldWindow>(controller.keyboardControlHotKeyTextView());
    ZRHotKeyTextView* menuField = menuView->field;
    EXPECT_EQ(controller.identifierForHotKeyTextView(menuField), QStringLiteral("Keyboard Menu"));
    EXPECT_EQ(controller.identifierForHotKeyTextView(controlsView->field),
              QStringLiteral("Keyboard Controls"));
    ASSERT_EQ(menuField->hotKey(), controller.keyboardMenuHotKey());
    EXPECT_FALSE(menuField->hotKey()->isRegistered()) << "shown, not active";
    EXPECT_EQ(controlsView->field->hotKey(), controller.keyboardControlHotKey());

    // Entered again once the keys are free: the field's own hot key is no rival, registered or not.
    desktop.globalHotKeys().unregisterHotKey(otherProgram);
    ASSERT_TRUE(menuView->showActive());
    for (int time = 0; time < 2; ++time) {
        menuView->click();
        QTest::keyClick(menuField, Qt::Key_K, ControlAlt);
        EXPECT_EQ(alerts->beeps, 0);
        EXPECT_TRUE(controller.settingsHotKeyIsActive(QStringLiteral("Keyboard Menu")));
        EXPECT_EQ(menuField->hotKey(), controller.keyboardMenuHotKey());
        RunLoop::main().runPending();
    }
    const auto menuHotKey = controller.keyboardMenuHotKey();

    // The other field's keys and an action's are taken; a plain letter asks first, and is cancelled.
    menuView->click();
    QTest::keyClick(menuField, Qt::Key_M, ControlAlt);
    QTest::keyClick(menuField, Qt::Key_J, ControlAlt);
    EXPECT_EQ(alerts->beeps, 2);
    alerts->answer = false;
    QTest::keyClick(menuField, Qt::Key_K);
    EXPECT_EQ(alerts->questions.size(), 1);
    EXPECT_EQ(controller.keyboardMenuHotKey(), menuHotKey);
    EXPECT_TRUE(desktop.globalHotKeys().isRegistered(Key::K, ControlOption));

    // Clearing the keyboard controls' hot key takes it from the settings and the desktop.
    ASSERT_TRUE(controlsView->showActive());
    calls.clear();
    controlsView->clickClearButton();
    EXPECT_FALSE(UserDefaults::standard().hasValue(QStringLiteral("Keyboard Controls")));
    EXPECT_FALSE(desktop.globalHotKeys().isRegistered(Key::M, ControlOption));
    EXPECT_EQ(controlsView->field->hotKey(), nullptr);
    EXPECT_TRUE(calls.contains(QStringLiteral("settingsHotKeyDidChange Keyboard Controls none not active")))
        << calls.join(u'\n').toStdString();
}

} // namespace
