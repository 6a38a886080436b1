#include "HotKeyFieldTestSupport.h"
#include "ShellTestSupport.h"

#include "hotkeys/ZRHotKey.h"

namespace {

constexpr ModifierFlags ControlOption = ModifierFlag::Control | ModifierFlag::Option;

TEST_F(ShellTest, TheSettingsFieldsTakeTheirOwnKeysAgainAndClearOnlyThroughTheController) {
    auto scripted = std::make_unique<ScriptedFieldAlerts>();
    ScriptedFieldAlerts& fieldAlerts = *scripted;
    ZRHotKeyTextView::setAlerts(std::move(scripted));
    for (const auto& [identifier, keyCode] :
         {std::pair{"Keyboard Menu", Key::K}, {"Keyboard Controls", Key::M}})
        set(identifier, ZRHotKey::hotKeyWithIdentifer(
                            identifier, QString(), keyCode, ControlOption,
                            ZRHotKeyContext{desktop.globalHotKeys(), settings(), RunLoop::main()})
                            ->dictionaryRepresentation());
    // Another program holds the keyboard menu's keys at launch, and lets go of them later.
    HotKeyReference otherProgram = 0;
    desktop.globalHotKeys().registerHotKey(Key::K, hotKeyModifierMask(ControlOption), 1, 1, otherProgram);
    QStringList calls;
    pendingAreas.push_back(std::make_unique<RecordingArea>(&calls));
    ZRMainController& controller = launch();
    FieldWindow menu(controller.keyboardMenuHotKeyTextView());
    FieldWindow controls(controller.keyboardControlHotKeyTextView());
    EXPECT_EQ(controller.identifierForHotKeyTextView(menu.field), QStringLiteral("Keyboard Menu"));
    EXPECT_EQ(controller.identifierForHotKeyTextView(controls.field), QStringLiteral("Keyboard Controls"));
    ASSERT_EQ(menu.field->hotKey(), controller.keyboardMenuHotKey());
    EXPECT_FALSE(menu.field->hotKey()->isRegistered()) << "shown, not active";

    // Entered again once the keys are free, and again while registered: no rival of itself.
    desktop.globalHotKeys().unregisterHotKey(otherProgram);
    ASSERT_TRUE(menu.showActive());
    for (int time = 0; time < 2; ++time) {
        menu.click();
        QTest::keyClick(menu.field, Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_TRUE(controller.settingsHotKeyIsActive(QStringLiteral("Keyboard Menu")));
        RunLoop::main().runPending();
    }
    // The other field's keys are taken.
    menu.click();
    QTest::keyClick(menu.field, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(fieldAlerts.beeps, 1);

    ASSERT_TRUE(controls.showActive());
    calls.clear();
    controls.clickClearButton();
    EXPECT_FALSE(settings().hasValue(QStringLiteral("Keyboard Controls")));
    EXPECT_FALSE(desktop.globalHotKeys().isRegistered(Key::M, ControlOption));
    EXPECT_EQ(calls,
              QStringList{QStringLiteral("settingsHotKeyDidChange Keyboard Controls none not active")});
    ZRHotKeyTextView::setAlerts(nullptr);
}

} // namespace
