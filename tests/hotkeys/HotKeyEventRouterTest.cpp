#include "HotKeyTestSupport.h"

#include "hotkeys/HotKeyEventRouter.h"
#include "hotkeys/KeyEvent.h"
#include "hotkeys/ZRHotKeyHandler.h"

namespace {

using namespace ModifierFlag;

constexpr ModifierFlags ControlOption = Control | Option;

// The application's delegate as far as hot keys go: it handles the presses that match one of its hot
// keys, and its action takes the time a test sets.
class RecordingHandler : public ZRHotKeyHandler {
public:
    std::vector<std::shared_ptr<ZRHotKey>> hotKeys;
    bool declines = false;
    bool repeats = true;
    double actionDuration = 0;
    double clockOffset = 0;
    std::vector<double> times;
    std::vector<KeyEvent> events;

    bool handleKeyDownEvent(const KeyEvent& event, bool& repeat) override {
        EXPECT_FALSE(repeat);
        times.push_back(RunLoop::main().now());
        events.push_back(event);
        clockOffset += actionDuration;
        const bool match = std::any_of(hotKeys.begin(), hotKeys.end(),
                                       [&](const auto& hotKey) { return hotKey->matchesEvent(event); });
        if (!match || declines)
            return false;
        repeat = repeats;
        return true;
    }
};

class HotKeyEventRouterTest : public HotKeyTest {
protected:
    void SetUp() override {
        HotKeyTest::SetUp();
        router.setHandler(&handler);
        listening = router.listenTo(desktop, settings());
        router.setClock([this] { return RunLoop::main().now() + handler.clockOffset; });
        desktop.inputState().setKeyRepeat(0.25, 0.03);
    }
    void TearDown() override {
        handler.hotKeys.clear();
        HotKeyTest::TearDown();
    }

    std::shared_ptr<ZRHotKey> registered(KeyCode keyCode, ModifierFlags flags) {
        auto key = hotKey(keyCode, flags);
        EXPECT_TRUE(key->registerForDelegate(owner, false));
        handler.hotKeys.push_back(key);
        return key;
    }
    // The user holds the modifiers and presses the key.
    void press(KeyCode keyCode, ModifierFlags flags) {
        desktop.setModifierFlags(flags);
        EXPECT_TRUE(hotKeys.press(keyCode, flags));
    }
    void release(KeyCode keyCode, ModifierFlags flags) { EXPECT_TRUE(hotKeys.release(keyCode, flags)); }
    std::size_t calls() const { return handler.times.size(); }

    FakeOwner owner;
    RecordingHandler handler;
    HotKeyEventRouter router{RunLoop::main()};
    Connection listening;
};

TEST_F(HotKeyEventRouterTest, AHeldHotKeyRepeatsAfterTheDelayThenAtTheIntervalLessTheActionsTime) {
    const auto key = registered(Key::F5, ControlOption);
    handler.actionDuration = 0.1;
    press(Key::F5, ControlOption);
    ASSERT_EQ(calls(), 1u);
    EXPECT_TRUE(key->matchesEvent(handler.events.front()));

    RunLoop::main().advance(0.149);
    EXPECT_EQ(calls(), 1u);
    RunLoop::main().advance(0.001);
    ASSERT_EQ(calls(), 2u);
    RunLoop::main().advance(0.0305);
    ASSERT_EQ(calls(), 5u);
    // 0.25 s less 0.1 s, then 0.03 s less 0.1 s held at the floor of 0.01 s.
    EXPECT_NEAR(handler.times[1] - handler.times[0], 0.15, 1e-9);
    EXPECT_NEAR(handler.times[2] - handler.times[1], 0.01, 1e-9);
    EXPECT_NEAR(handler.times[4] - handler.times[3], 0.01, 1e-9);
    EXPECT_EQ(handler.events[3].data1, handler.events[0].data1);

    release(Key::F5, ControlOption);
    RunLoop::main().advance(1);
    EXPECT_EQ(calls(), 5u);
    EXPECT_FALSE(router.eventToRepeat());
}

TEST_F(HotKeyEventRouterTest, RepeatPaceFallsBackWhenTheDesktopGivesNoneThatCanBeUsed) {
    struct Case {
        double delay;
        double interval;
        double first;
        double next;
    };
    const Case cases[] = {
        {0.25, 0.03, 0.25, 0.03}, {0.25, 0.005, 0.25, 0.25}, {0.005, 0.005, 0.5, 0.5},
        {0.005, 0.05, 0.5, 0.05}, {0, 0, 0.5, 0.5},
    };
    const auto key = registered(Key::F6, Command);
    for (const auto& c : cases) {
        desktop.inputState().setKeyRepeat(c.delay, c.interval);
        handler.times.clear();
        press(Key::F6, Command);
        RunLoop::main().advance(c.first + c.next + 0.001);
        ASSERT_EQ(calls(), 3u) << c.delay << " " << c.interval;
        EXPECT_NEAR(handler.times[1] - handler.times[0], c.first, 1e-9) << c.delay << " " << c.interval;
        EXPECT_NEAR(handler.times[2] - handler.times[1], c.next, 1e-9) << c.delay << " " << c.interval;
        release(Key::F6, Command);
    }
}

TEST_F(HotKeyEventRouterTest, OnlyHandledPressesThatAskForItRepeat) {
    const auto key = registered(Key::F7, Command);
    handler.repeats = false;
    press(Key::F7, Command);
    EXPECT_FALSE(router.eventToRepeat());
    RunLoop::main().advance(1);
    EXPECT_EQ(calls(), 1u);

    // A press of a key nobody handles is passed on.
    auto unknown =
        std::make_shared<const KeyEvent>(keyEventFromHotKeyEvent({12345, true, ZRHotKeySignature, 0, 0}, 0));
    EXPECT_FALSE(router.sendEvent(unknown));
    KeyEvent otherSubtype = *unknown;
    otherSubtype.subtype = 7;
    EXPECT_FALSE(router.sendEvent(std::make_shared<const KeyEvent>(otherSubtype)));
    EXPECT_EQ(calls(), 2u);
}

TEST_F(HotKeyEventRouterTest, AnotherPressOrAHandledKeyDownEndsRepetition) {
    const auto first = registered(Key::F8, Command);
    const auto second = registered(Key::F9, Command);
    press(Key::F8, Command);
    press(Key::F9, Command);
    ASSERT_EQ(calls(), 2u);
    EXPECT_TRUE(second->matchesEvent(*router.eventToRepeat()));
    RunLoop::main().advance(0.26);
    EXPECT_EQ(calls(), 3u);
    EXPECT_TRUE(second->matchesEvent(handler.events.back()));

    // A key-down of our own windows that is handled stops the repetition too.
    const auto letter = hotKey(Key::A, 0);
    handler.hotKeys.push_back(letter);
    KeyEvent keyDown;
    keyDown.keyCode = Key::A;
    EXPECT_TRUE(router.sendEvent(std::make_shared<const KeyEvent>(keyDown)));
    EXPECT_FALSE(router.eventToRepeat());
    RunLoop::main().advance(1);
    EXPECT_EQ(calls(), 4u);
    // One that is not handled goes on to the window.
    keyDown.keyCode = Key::B;
    EXPECT_FALSE(router.sendEvent(std::make_shared<const KeyEvent>(keyDown)));
}

TEST_F(HotKeyEventRouterTest, WithToggleRepeatableHotKeysAPressStartsAndTheNextStops) {
    set(QStringLiteral("Toggle Repeatable Hot Keys"), true);
    const auto key = registered(Key::F10, ControlOption);
    const auto other = registered(Key::F11, ControlOption);
    press(Key::F10, ControlOption);
    release(Key::F10, ControlOption);
    desktop.setModifierFlags(0);
    RunLoop::main().advance(0.25 + 0.03 * 2);
    EXPECT_EQ(calls(), 4u);

    // Pressing it again only stops it.
    press(Key::F10, ControlOption);
    EXPECT_EQ(calls(), 4u);
    EXPECT_FALSE(router.eventToRepeat());
    RunLoop::main().advance(1);
    EXPECT_EQ(calls(), 4u);

    // Pressing another hot key stops the first and runs the other.
    press(Key::F10, ControlOption);
    press(Key::F11, ControlOption);
    EXPECT_EQ(calls(), 6u);
    EXPECT_TRUE(other->matchesEvent(*router.eventToRepeat()));
}

TEST_F(HotKeyEventRouterTest, ADeclinedRepetitionLeavesNothingToSwallowTheNextPress) {
    set(QStringLiteral("Toggle Repeatable Hot Keys"), true);
    const auto key = registered(Key::F12, Command);
    press(Key::F12, Command);
    handler.declines = true;
    RunLoop::main().advance(0.25);
    ASSERT_EQ(calls(), 2u);
    EXPECT_FALSE(router.eventToRepeat());

    handler.declines = false;
    release(Key::F12, Command);
    press(Key::F12, Command);
    EXPECT_EQ(calls(), 3u);
}

TEST_F(HotKeyEventRouterTest, RepetitionEndsWhenTheReleaseCannotComeAnyMore) {
    // The hot key is unregistered while held: no release will follow.
    auto key = registered(Key::F13, Command);
    press(Key::F13, Command);
    key->unregister();
    EXPECT_FALSE(router.eventToRepeat());
    RunLoop::main().advance(1);
    EXPECT_EQ(calls(), 1u);

    // The release got lost, but the modifier keys have been let go.
    const auto other = registered(Key::F14, Command);
    press(Key::F14, Command);
    RunLoop::main().advance(0.25);
    EXPECT_EQ(calls(), 3u);
    desktop.setModifierFlags(0);
    RunLoop::main().advance(1);
    EXPECT_EQ(calls(), 3u);
    EXPECT_FALSE(router.eventToRepeat());
}

TEST_F(HotKeyEventRouterTest, HotKeyEventsCarryTheModifiersHeldForThem) {
    set(QStringLiteral("Hot Keys Require Exact Modifier Key Matches"), true);
    const auto key = ZRHotKey::hotKeyWithIdentifer(QStringLiteral("owner"), QString(), Key::F15,
                                                   Command | LeftCommand, hotKeyContext());
    ASSERT_TRUE(key->registerForDelegate(owner, false));
    handler.hotKeys.push_back(key);
    // The desktop grabs the key whichever command key is held; only the left one is this hot key. The
    // modifiers are up again by the time the press is handled: those of the press count.
    desktop.setModifierFlags(0);
    EXPECT_TRUE(hotKeys.press(Key::F15, Command | RightCommand));
    ASSERT_EQ(calls(), 1u);
    EXPECT_EQ(handler.events[0].modifierFlags & RightCommand, RightCommand);
    EXPECT_FALSE(router.eventToRepeat());
    EXPECT_TRUE(hotKeys.press(Key::F15, Command | LeftCommand));
    ASSERT_EQ(calls(), 2u);
    EXPECT_EQ(handler.events[1].modifierFlags, Command | LeftCommand);
    EXPECT_TRUE(router.eventToRepeat());
}

} // namespace

TEST_F(HotKeyEventRouterTest, TwoReleasesWithNoPressBetweenEndTheHeldKeyOnce) {
    // Desktops that repeat a held key as release and press can lose the press of a pair: the key is
    // then let go once, and the next press starts afresh.
    registered(Key::F16, ControlOption);
    press(Key::F16, ControlOption);
    ASSERT_EQ(calls(), 1u);
    hotKeys.release(Key::F16, ControlOption);
    hotKeys.release(Key::F16, ControlOption);
    RunLoop::main().advance(1);
    EXPECT_EQ(calls(), 1u);
    EXPECT_FALSE(router.eventToRepeat());
    press(Key::F16, ControlOption);
    EXPECT_EQ(calls(), 2u);
    release(Key::F16, ControlOption);
    RunLoop::main().advance(1);
    EXPECT_EQ(calls(), 2u);
}
