#include "ActionTestSupport.h"

#include "window-access/Position.h"

namespace {

using namespace ModifierFlag;

const QString PreemptKey = QStringLiteral("Keyboard Controls Preempt Hot Keys");

void moveRight(ZRAction& a) {
    a.setMoveDirection(ZRPositionRight);
    a.setMoveDelta(10);
}

TEST_F(ActionEngineTest, HotKeysTriggerTheirActionAndTellWhetherItRepeats) {
    SimWindow& window = addWindow(Rect(100, 100, 400, 300));
    const auto move = actionWithHotKey(ZRActionTypeMove, Key::F5, Control, moveRight);
    const auto fill = actionWithHotKey(ZRActionTypeFill, Key::F6, Control);

    bool repeat = false;
    EXPECT_TRUE(engine->handleKeyDownEvent(hotKeyPress(move->hotKey()), repeat));
    EXPECT_TRUE(repeat) << "moves repeat while the key is held";
    EXPECT_EQ(window.frame(), Rect(110, 100, 400, 300));

    // The same keys pressed in one of the program's own windows.
    EXPECT_TRUE(engine->handleKeyDownEvent(keyDown(Key::F5, Control), repeat));
    EXPECT_EQ(window.frame(), Rect(120, 100, 400, 300));

    EXPECT_TRUE(engine->handleKeyDownEvent(hotKeyPress(fill->hotKey()), repeat));
    EXPECT_FALSE(repeat);
    EXPECT_EQ(window.frame(), Rect(0, 0, 1440, 900));

    EXPECT_FALSE(engine->handleKeyDownEvent(keyDown(Key::F7, Control), repeat)) << "no action has it";
    EXPECT_FALSE(engine->handleKeyDownEvent(keyDown(Key::F5, Option), repeat)) << "other modifiers";

    // With the keyboard controls first, our own windows' keys are left to the panel.
    set(PreemptKey, true);
    EXPECT_FALSE(engine->handleKeyDownEvent(keyDown(Key::F5, Control), repeat));
    EXPECT_TRUE(engine->handleKeyDownEvent(hotKeyPress(move->hotKey()), repeat));
    EXPECT_EQ(window.frame(), Rect(10, 0, 1440, 900));
}

TEST_F(ActionEngineTest, SharedHotKeysAndFolderHotKeysOpenTheKeyboardMenu) {
    SimWindow& window = addWindow(Rect(100, 100, 400, 300));
    FakeKeyboardMenu menu;
    engine->setKeyboardMenu(&menu);
    const auto first = actionWithHotKey(ZRActionTypeFill, Key::F5, Control);
    const auto second = actionWithHotKey(ZRActionTypeCenter, Key::F5, Control);
    const auto folder = actionWithHotKey(ZRActionTypeFolder, Key::F6, Control, [](ZRAction& a) {
        a.setChildren({ZRAction::actionWithType(ZRActionTypeFill)});
    });

    bool repeat = false;
    ASSERT_TRUE(engine->handleKeyDownEvent(keyDown(Key::F5, Control), repeat));
    ASSERT_EQ(menu.popUps.size(), 1u);
    EXPECT_EQ(menu.popUps[0].actions.size(), 2u);
    EXPECT_FALSE(menu.popUps[0].control);
    EXPECT_TRUE(menu.popUps[0].title.has_value()) << "titled with the hot key's text";
    EXPECT_TRUE(repeat) << "pressing again moves the selection";
    EXPECT_EQ(window.frame(), Rect(100, 100, 400, 300)) << "nothing runs until chosen";

    ASSERT_TRUE(engine->handleKeyDownEvent(hotKeyPress(folder->hotKey()), repeat));
    ASSERT_EQ(menu.popUps.size(), 2u);
    EXPECT_EQ(menu.popUps[1].control, folder);
    EXPECT_TRUE(menu.popUps[1].topLevel);
}

TEST_F(ActionEngineTest, TheSettingsHotKeysOpenTheKeyboardMenuAndTheKeyboardControlPanel) {
    SimWindow& window = addWindow(Rect(100, 100, 400, 300));
    FakeKeyboardMenu menu;
    FakeKeyboardControlPanel panel;
    engine->setKeyboardMenu(&menu);
    engine->setKeyboardControlPanel(&panel);
    const auto menuKey = ZRHotKey::hotKeyWithIdentifer(QStringLiteral("Keyboard Menu"), QString(), Key::K,
                                                       Command | Option, hotKeyContext());
    const auto panelKey = ZRHotKey::hotKeyWithIdentifer(QStringLiteral("Keyboard Controls"), QString(),
                                                        Key::L, Command | Option, hotKeyContext());
    host.settings = {menuKey, panelKey};

    bool repeat = false;
    ASSERT_TRUE(engine->handleKeyDownEvent(keyDown(Key::K, Command | Option), repeat));
    ASSERT_EQ(menu.popUps.size(), 1u);
    EXPECT_TRUE(menu.popUps[0].topLevel);
    EXPECT_EQ(menu.popUps[0].reference, menuKey.get());

    ASSERT_TRUE(engine->handleKeyDownEvent(keyDown(Key::L, Command | Option), repeat));
    ASSERT_EQ(panel.opened.size(), 1u);
    EXPECT_TRUE(AXElementsEqual(panel.opened[0], elementOf(window)));
    EXPECT_EQ(beeps, 0);

    panel.hasFrame = false;
    ASSERT_TRUE(engine->handleKeyDownEvent(keyDown(Key::L, Command | Option), repeat));
    EXPECT_EQ(beeps, 1) << "no frame to show the panel on";
}

TEST_F(ActionEngineTest, LocalHotKeysWorkOnlyWhileTheKeyboardControlPanelIsOpen) {
    SimWindow& front = addWindow(Rect(100, 100, 400, 300), QStringLiteral("Front"));
    SimWindow& controlled = desktop.addWindow(
        application(QStringLiteral("com.example.other"), QStringLiteral("Other")), Rect(600, 400, 300, 200));
    front.raise();
    application().activate();
    auto local = action(ZRActionTypeMove, moveRight);
    const auto hotKey =
        ZRHotKey::hotKeyWithIdentifer(local->uniqueIdentifier(), QString(), Key::A, 0, hotKeyContext());
    hotKey->setCanBeLocal(true);
    local->setHotKey(hotKey);
    store().insertAction(local);
    ASSERT_TRUE(hotKey->isLocal());

    bool repeat = false;
    EXPECT_FALSE(engine->handleKeyDownEvent(keyDown(Key::A), repeat));

    FakeKeyboardControlPanel panel;
    engine->setKeyboardControlPanel(&panel);
    panel.active = true;
    panel.window = elementOf(controlled);
    EXPECT_TRUE(engine->handleKeyDownEvent(keyDown(Key::A), repeat));
    EXPECT_EQ(controlled.frame(), Rect(610, 400, 300, 200)) << "the panel's window, not the frontmost";
    EXPECT_EQ(front.frame(), Rect(100, 100, 400, 300));
    EXPECT_EQ(panel.rescheduled, 1) << "a key the panel never saw still pushes its closing back";
}

TEST_F(ActionEngineTest, ALayoutHotKeyDuringADragShowsItsDropZones) {
    SimWindow& window = addWindow(Rect(100, 100, 400, 300));
    FakeDropZones zones;
    FakeKeyboardMenu menu;
    engine->setDropZones(&zones);
    engine->setKeyboardMenu(&menu);
    const auto layout = actionWithHotKey(ZRActionTypeLayout, Key::F5, Control);
    const auto fill = actionWithHotKey(ZRActionTypeFill, Key::F6, Control);
    set(QStringLiteral("Drop Snap"), true);
    zones.dragging = true;

    bool repeat = false;
    ASSERT_TRUE(engine->handleKeyDownEvent(hotKeyPress(layout->hotKey()), repeat));
    ASSERT_EQ(zones.activations.size(), 1u);
    EXPECT_EQ(zones.activations[0], layout.get());
    EXPECT_EQ(menu.closed, 1);

    // Any other key closes the zones, and that is all it does.
    EXPECT_TRUE(engine->handleKeyDownEvent(hotKeyPress(fill->hotKey()), repeat));
    EXPECT_FALSE(zones.active);
    EXPECT_EQ(window.frame(), Rect(100, 100, 400, 300));

    // Without "Drop Snap" a layout's hot key restores the layout instead (this one has no windows).
    set(QStringLiteral("Drop Snap"), false);
    EXPECT_FALSE(engine->handleKeyDownEvent(hotKeyPress(layout->hotKey()), repeat));
    EXPECT_EQ(zones.activations.size(), 1u);
}

TEST_F(ActionEngineTest, KeyboardControlPanelKeysMoveTheControlledWindow) {
    SimWindow& window = addWindow(Rect(100, 100, 400, 300));
    FakeKeyboardControlPanel panel;
    engine->setKeyboardControlPanel(&panel);
    ASSERT_TRUE(panel.activateForWindow(elementOf(window)));
    engine->keyboardControlPanelDidBecomeActive(panel, true);

    EXPECT_TRUE(engine->keyboardControlPanelShouldIgnoreEvent(panel, keyDown(Key::RightArrow)));
    EXPECT_EQ(window.frame(), Rect(110, 100, 400, 300));
    EXPECT_TRUE(engine->keyboardControlPanelShouldIgnoreEvent(panel, keyDown(Key::DownArrow)));
    EXPECT_EQ(window.frame(), Rect(110, 110, 400, 300));
    EXPECT_TRUE(engine->keyboardControlPanelShouldIgnoreEvent(panel, keyDown(Key::RightArrow, Shift)));
    EXPECT_EQ(window.frame().x(), 1440 + 98) << "to the display on the right";
    EXPECT_FALSE(engine->keyboardControlPanelShouldIgnoreEvent(panel, keyDown(Key::Q)));
    EXPECT_EQ(panel.rescheduled, 4) << "every key pushes the closing back";

    // Closing by itself after moves forgets the original frame, unless it is kept for good.
    Rect original;
    const AXElementRef element = elementOf(window);
    set(QStringLiteral("Preserve Original Frames Forever"), true);
    EXPECT_TRUE(engine->keyboardControlPanelShouldAutoDeactivate(panel));
    EXPECT_TRUE(engine->getOriginalFrame(original, element, false));
    set(QStringLiteral("Preserve Original Frames Forever"), false);
    EXPECT_TRUE(engine->keyboardControlPanelShouldAutoDeactivate(panel));
    EXPECT_FALSE(engine->getOriginalFrame(original, element, false));

    EXPECT_TRUE(engine->keyboardControlPanelShouldIgnoreEvent(panel, keyDown(Key::Escape)));
    EXPECT_FALSE(panel.active);
}

TEST_F(ActionEngineTest, KeyboardControlsPreemptGlobalHotKeysWhileThePanelIsOpen) {
    const auto fill = actionWithHotKey(ZRActionTypeFill, Key::F5, Control);
    FakeKeyboardControlPanel panel;
    engine->setKeyboardControlPanel(&panel);

    engine->keyboardControlPanelDidBecomeActive(panel, true);
    EXPECT_TRUE(desktop.globalHotKeys().isRegistered(Key::F5, Control)) << "only when asked";
    engine->keyboardControlPanelDidBecomeActive(panel, false);

    set(PreemptKey, true);
    engine->keyboardControlPanelDidBecomeActive(panel, true);
    EXPECT_FALSE(isRegistered(Key::F5, Control));
    engine->keyboardControlPanelDidBecomeActive(panel, false);
    EXPECT_TRUE(isRegistered(Key::F5, Control));
    EXPECT_TRUE(fill->hotKey()->isRegistered());

    // Actions that share their keys take them again as one registration; one deleted while the panel
    // was open, though something still holds it, does not take its keys again.
    const auto center = actionWithHotKey(ZRActionTypeCenter, Key::F5, Control);
    const auto deleted = actionWithHotKey(ZRActionTypeRevert, Key::F6, Control);
    ASSERT_EQ(center->hotKey()->hotKeyReference(), fill->hotKey()->hotKeyReference());
    engine->keyboardControlPanelDidBecomeActive(panel, true);
    EXPECT_TRUE(desktop.globalHotKeys().registrations().empty());
    const Row fillRow(fill), centerRow(center);
    store().populateWithSourceListItems({&fillRow, &centerRow});
    engine->keyboardControlPanelDidBecomeActive(panel, false);
    EXPECT_EQ(desktop.globalHotKeys().registrations().size(), 1u);
    EXPECT_NE(fill->hotKey()->hotKeyReference(), 0u);
    EXPECT_EQ(center->hotKey()->hotKeyReference(), fill->hotKey()->hotKeyReference());
    EXPECT_FALSE(deleted->hotKey()->isRegistered());
}

} // namespace
