// Input of real devices, made up with XTest: the event stream, modifier flags, hot keys.
#include "X11TestSupport.h"
#include "platform/EventStream.h"
#include "platform/GlobalHotKeys.h"
#include "platform/InputState.h"
#include "platform/PlatformLog.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11FakeInput.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11Platform.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace X11Test;

namespace {

// Modifier bits of hot-key registrations.
constexpr HotKeyModifierMask HotKeyCommand = 256;
constexpr HotKeyModifierMask HotKeyShift = 512;
constexpr HotKeyModifierMask HotKeyOption = 2048;
constexpr HotKeyModifierMask HotKeyControl = 4096;
// The four-character code of the program's hot keys, "SKhk".
constexpr std::uint32_t Signature = 0x534B686B;
constexpr std::uint64_t AllTapEvents =
    tapEventMaskBit(TapEventType::LeftMouseDown) | tapEventMaskBit(TapEventType::LeftMouseUp) |
    tapEventMaskBit(TapEventType::RightMouseDown) | tapEventMaskBit(TapEventType::MouseMoved) |
    tapEventMaskBit(TapEventType::LeftMouseDragged) | tapEventMaskBit(TapEventType::FlagsChanged);

class X11Input : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        platform = createX11Platform(&error);
        ASSERT_TRUE(platform) << error.toStdString();
        input = X11FakeInput::open(&error);
        ASSERT_TRUE(input) << error.toStdString();
    }

    // A test that stops half way leaves no key or button down for the next one.
    void TearDown() override {
        if (!input)
            return;
        for (KeyCode key : {Key::Shift, Key::RightShift, Key::Control, Key::RightControl, Key::Option,
                            Key::RightOption, Key::Command, Key::RightCommand, Key::F5, Key::J, Key::K})
            input->key(key, false);
        for (int button : {1, 3})
            input->button(button, false);
    }

    std::unique_ptr<Platform> platform;
    std::unique_ptr<X11FakeInput> input;
};

} // namespace

TEST_F(X11Input, StreamsPointerEventsWithTheirPositions) {
    ASSERT_TRUE(input->movePointer({100, 100}));
    std::vector<TapEvent> events;
    auto tap = platform->eventStream().install(AllTapEvents,
                                               [&](const TapEvent& event) { events.push_back(event); });
    ASSERT_TRUE(tap);

    // Each input is read before the next: the stream pairs raw events with the pointer as it is.
    const std::function<bool()> inputs[] = {
        [&] { return input->movePointer({130, 110}); }, [&] { return input->button(1, true); },
        [&] { return input->movePointer({150, 140}); }, [&] { return input->button(1, false); },
        [&] { return input->button(3, true); },
    };
    for (const auto& send : inputs) {
        const std::size_t before = events.size();
        ASSERT_TRUE(send());
        ASSERT_TRUE(waitUntil([&] { return events.size() > before; }));
    }
    ASSERT_TRUE(input->button(3, false));
    processEvents(50);

    const struct {
        TapEventType type;
        Point location;
        double dx, dy;
    } expected[] = {
        {TapEventType::MouseMoved, {130, 110}, 30, 10},       {TapEventType::LeftMouseDown, {130, 110}, 0, 0},
        {TapEventType::LeftMouseDragged, {150, 140}, 20, 30}, {TapEventType::LeftMouseUp, {150, 140}, 0, 0},
        {TapEventType::RightMouseDown, {150, 140}, 0, 0},
    };
    ASSERT_EQ(events.size(), std::size(expected));
    for (std::size_t i = 0; i < events.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(events[i].type, expected[i].type);
        EXPECT_EQ(events[i].location, expected[i].location);
        EXPECT_DOUBLE_EQ(events[i].deltaX, expected[i].dx);
        EXPECT_DOUBLE_EQ(events[i].deltaY, expected[i].dy);
        EXPECT_EQ(events[i].flags, 0u);
    }
    EXPECT_EQ(platform->inputState().pointerLocation(), (Point{150, 140}));

    // Motions read together make one event that carries their whole movement, so that summed
    // deltas follow the pointer.
    events.clear();
    for (const Point point : {Point{155, 145}, Point{170, 150}, Point{190, 170}}) {
        ASSERT_TRUE(input->movePointer(point));
    }
    ASSERT_TRUE(waitUntil([&] { return !events.empty(); }));
    processEvents(50);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].type, TapEventType::MouseMoved);
    EXPECT_EQ(events[0].location, (Point{190, 170}));
    EXPECT_DOUBLE_EQ(events[0].deltaX, 40);
    EXPECT_DOUBLE_EQ(events[0].deltaY, 30);

    // A tap of moves alone hears nothing of buttons; a removed tap hears nothing at all.
    std::vector<TapEvent> moves;
    auto movesOnly = platform->eventStream().install(tapEventMaskBit(TapEventType::MouseMoved),
                                                     [&](const TapEvent& event) { moves.push_back(event); });
    tap.reset();
    events.clear();
    ASSERT_TRUE(input->button(1, true));
    ASSERT_TRUE(input->button(1, false));
    ASSERT_TRUE(input->movePointer({160, 150}));
    ASSERT_TRUE(waitUntil([&] { return !moves.empty(); }));
    processEvents(50);
    EXPECT_EQ(moves.size(), 1u);
    EXPECT_TRUE(events.empty());
}

TEST_F(X11Input, ReportsModifierFlagsWithTheSideOfTheKeysThatAreDown) {
    std::vector<ModifierFlags> changes;
    auto tap =
        platform->eventStream().install(tapEventMaskBit(TapEventType::FlagsChanged),
                                        [&](const TapEvent& event) { changes.push_back(event.flags); });
    ASSERT_TRUE(tap);
    using namespace ModifierFlag;
    const struct {
        KeyCode key;
        bool down;
        ModifierFlags flags;
    } steps[] = {
        {Key::Shift, true, Shift | LeftShift},
        {Key::RightShift, true, Shift | LeftShift | RightShift},
        {Key::Shift, false, Shift | RightShift},
        {Key::RightShift, false, 0},
        {Key::RightControl, true, Control | RightControl},
        {Key::Option, true, Control | RightControl | Option | LeftOption},
        {Key::Command, true, Control | RightControl | Option | LeftOption | Command | LeftCommand},
        {Key::Option, false, Control | RightControl | Command | LeftCommand},
        {Key::Command, false, Control | RightControl},
        {Key::RightControl, false, 0},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.key);
        changes.clear();
        ASSERT_TRUE(input->key(step.key, step.down));
        ASSERT_TRUE(waitUntil([&] { return !changes.empty() && changes.back() == step.flags; }))
            << std::hex << (changes.empty() ? 0 : changes.back());
        EXPECT_EQ(platform->inputState().modifierFlags(), step.flags);
    }
}

TEST_F(X11Input, AHotKeyPressedOnceArrivesOnceWithItsHandle) {
    HotKeyReference reference = 0;
    ASSERT_EQ(platform->globalHotKeys().registerHotKey(Key::F5, HotKeyControl | HotKeyShift, Signature, 7,
                                                       reference),
              HotKeyRegistrationStatus::Success);
    EXPECT_NE(reference, 0u);
    std::vector<HotKeyEvent> events;
    auto connection =
        platform->globalHotKeys().hotKeyEvent.connect([&](const HotKeyEvent& e) { events.push_back(e); });

    auto press = [&](std::initializer_list<KeyCode> keys, int holdMilliseconds = 0) {
        for (KeyCode key : keys) {
            ASSERT_TRUE(input->key(key, true));
        }
        processEvents(holdMilliseconds);
        for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) {
            ASSERT_TRUE(input->key(*it, false));
        }
    };
    // Held past the key-repeat delay: still one press and one release. (Control-Option-F5 would not
    // do: X servers switch to a virtual terminal on it.)
    press({Key::Control, Key::Shift, Key::F5}, int(platform->inputState().keyRepeatDelay() * 1000) + 300);
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 2; }));
    processEvents(100);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_TRUE(events[0].pressed);
    EXPECT_FALSE(events[1].pressed);
    using namespace ModifierFlag;
    for (const HotKeyEvent& event : events) {
        EXPECT_EQ(event.reference, reference);
        EXPECT_EQ(event.signature, Signature);
        EXPECT_EQ(event.identifier, 7u);
    }
    EXPECT_EQ(events[0].modifierFlags, Control | LeftControl | Shift | LeftShift);

    // Caps Lock on does not hide the hot key; other modifiers do. Each press comes with the modifiers
    // held for it, though they were up again before it was read.
    events.clear();
    press({Key::CapsLock});
    press({Key::RightControl, Key::Shift, Key::F5});
    press({Key::CapsLock});
    press({Key::Control, Key::F5});
    press({Key::Control, Key::Option, Key::Shift, Key::F5});
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 2; }));
    processEvents(100);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].modifierFlags, CapsLock | Control | RightControl | Shift | LeftShift);

    // Unregistered, it is no longer grabbed.
    EXPECT_TRUE(platform->globalHotKeys().unregisterHotKey(reference));
    EXPECT_FALSE(platform->globalHotKeys().unregisterHotKey(reference));
    events.clear();
    press({Key::Control, Key::Shift, Key::F5});
    processEvents(100);
    EXPECT_TRUE(events.empty());
}

TEST_F(X11Input, AHotKeyHeldByAnotherClientIsRefusedAndLeavesNoGrab) {
    QString error;
    auto other = createX11Platform(&error);
    ASSERT_TRUE(other) << error.toStdString();
    HotKeyReference held = 0;
    ASSERT_EQ(other->globalHotKeys().registerHotKey(Key::K, HotKeyCommand | HotKeyShift, 1, 1, held),
              HotKeyRegistrationStatus::Success);

    HotKeyReference refused = 99;
    EXPECT_EQ(platform->globalHotKeys().registerHotKey(Key::K, HotKeyCommand | HotKeyShift, 1, 2, refused),
              HotKeyRegistrationStatus::Taken);
    EXPECT_EQ(refused, 0u);
    // In this process too, one combination is one registration.
    HotKeyReference again = 0;
    EXPECT_EQ(other->globalHotKeys().registerHotKey(Key::K, HotKeyCommand | HotKeyShift, 1, 3, again),
              HotKeyRegistrationStatus::Taken);

    // Registered together, each answer is its own: the held one refused and named in the log, a
    // duplicate within the batch refused, the rest granted.
    std::vector<HotKeyRegistrationRequest> together{
        {Key::L, HotKeyCommand | HotKeyShift, 1, 4},
        {Key::K, HotKeyCommand | HotKeyShift, 1, 5},
        {Key::L, HotKeyCommand | HotKeyShift, 1, 6},
        {Key::M, HotKeyCommand | HotKeyShift, 1, 7},
    };
    QStringList lines;
    setPlatformLogSink([&](const QString& line) { lines << line; });
    platform->globalHotKeys().registerHotKeys(together);
    setPlatformLogSink({});
    std::vector<HotKeyRegistrationStatus> statuses;
    for (const auto& request : together)
        statuses.push_back(request.status);
    EXPECT_EQ(statuses, (std::vector<HotKeyRegistrationStatus>{
                            HotKeyRegistrationStatus::Success, HotKeyRegistrationStatus::Taken,
                            HotKeyRegistrationStatus::Taken, HotKeyRegistrationStatus::Success}));
    EXPECT_EQ(together[1].reference, 0u);
    EXPECT_NE(together[0].reference, together[3].reference);
    EXPECT_EQ(lines.filter(QStringLiteral("holds the hot key with key code %1").arg(Key::K)).size(), 1)
        << lines.join(QLatin1Char('\n')).toStdString();
    for (const auto& request : together)
        if (request.reference) {
            EXPECT_TRUE(platform->globalHotKeys().unregisterHotKey(request.reference));
        }

    // Once the other lets go, the combination is free: the refused attempt left nothing behind.
    EXPECT_TRUE(other->globalHotKeys().unregisterHotKey(held));
    // (The other's release travels on its own connection, which the server may read after ours.)
    HotKeyReference now = 0;
    EXPECT_TRUE(waitUntil([&] {
        return platform->globalHotKeys().registerHotKey(Key::K, HotKeyCommand | HotKeyShift, 1, 2, now) ==
               HotKeyRegistrationStatus::Success;
    }));
    std::vector<HotKeyEvent> events;
    auto connection =
        platform->globalHotKeys().hotKeyEvent.connect([&](const HotKeyEvent& e) { events.push_back(e); });
    for (KeyCode key : {Key::Command, Key::Shift, Key::K}) {
        ASSERT_TRUE(input->key(key, true));
    }
    for (KeyCode key : {Key::K, Key::Shift, Key::Command}) {
        ASSERT_TRUE(input->key(key, false));
    }
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 2; }));
    EXPECT_EQ(events.front().reference, now);
    EXPECT_TRUE(platform->globalHotKeys().unregisterHotKey(now));
}

// A window manager that grabs the Super key alone (icewm) takes every key pressed while it is held:
// hot keys with Command are refused instead of registering and never firing.
TEST_F(X11Input, HotKeysWithCommandAreRefusedWhileAnotherProgramTakesTheSuperKey) {
    QString error;
    auto holder = X11Connection::open({}, &error);
    ASSERT_TRUE(holder) << error.toStdString();
    X11Keyboard keyboard(*holder, false);
    const auto super = keyboard.keycodeForVirtualKey(Key::Command);
    ASSERT_TRUE(super);
    const auto code = static_cast<xcb_keycode_t>(*super);
    xcb_grab_key(holder->xcb(), 1, holder->root(), XCB_MOD_MASK_ANY, code, XCB_GRAB_MODE_ASYNC,
                 XCB_GRAB_MODE_ASYNC);
    X11Reply<xcb_get_input_focus_reply_t> synced(
        xcb_get_input_focus_reply(holder->xcb(), xcb_get_input_focus(holder->xcb()), nullptr));

    QStringList lines;
    setPlatformLogSink([&](const QString& line) { lines << line; });
    auto taken = createX11Platform(&error);
    ASSERT_TRUE(taken) << error.toStdString();
    HotKeyReference reference = 0;
    EXPECT_EQ(taken->globalHotKeys().registerHotKey(Key::K, HotKeyCommand | HotKeyShift, 1, 1, reference),
              HotKeyRegistrationStatus::Taken);
    EXPECT_EQ(taken->globalHotKeys().registerHotKey(Key::K, HotKeyControl | HotKeyShift, 1, 2, reference),
              HotKeyRegistrationStatus::Success);
    EXPECT_TRUE(taken->globalHotKeys().unregisterHotKey(reference));
    setPlatformLogSink({});
    EXPECT_EQ(lines.filter(QStringLiteral("takes the super key")).size(), 1)
        << lines.join(QLatin1Char('\n')).toStdString();

    // Given back, the Super key is free for the next start.
    holder.reset();
    EXPECT_TRUE(waitUntil([&] {
        auto again = createX11Platform(&error);
        return again && again->globalHotKeys().registerHotKey(Key::K, HotKeyCommand | HotKeyShift, 1, 3,
                                                              reference) == HotKeyRegistrationStatus::Success;
    }));
}

TEST_F(X11Input, KnowsTheKeysAndTheirCharactersOnThisKeyboard) {
    const struct {
        KeyCode key;
        ModifierFlags modifiers;
        QString character;
    } cases[] = {
        {Key::A, 0, QStringLiteral("a")},
        {Key::A, ModifierFlag::Shift, QStringLiteral("A")},
        {Key::Digit1, ModifierFlag::Shift, QStringLiteral("!")},
        {Key::Slash, 0, QStringLiteral("/")},
        {Key::Space, 0, QStringLiteral(" ")},
        {Key::F5, 0, QString()},
        {Key::LeftArrow, 0, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(platform->inputState().characterForKeyCode(c.key, c.modifiers), c.character);
    }
    HotKeyReference reference = 0;
    EXPECT_EQ(platform->globalHotKeys().registerHotKey(Key::Function, HotKeyControl, 1, 1, reference),
              HotKeyRegistrationStatus::InvalidKey);
    EXPECT_GT(platform->inputState().keyRepeatDelay(), 0.0);
    EXPECT_GT(platform->inputState().keyRepeatInterval(), 0.0);
}

TEST_F(X11Input, HotKeysFollowChangesOfTheKeyboardAndAHeldOneKeepsItsRelease) {
    HotKeyReference reference = 0;
    ASSERT_EQ(platform->globalHotKeys().registerHotKey(Key::J, HotKeyCommand, 1, 1, reference),
              HotKeyRegistrationStatus::Success);
    std::vector<HotKeyEvent> events;
    auto connection =
        platform->globalHotKeys().hotKeyEvent.connect([&](const HotKeyEvent& e) { events.push_back(e); });
    auto pressCommandJ = [&] {
        for (KeyCode key : {Key::Command, Key::J}) {
            ASSERT_TRUE(input->key(key, true));
        }
        for (KeyCode key : {Key::J, Key::Command}) {
            ASSERT_TRUE(input->key(key, false));
        }
    };

    // The server reports a change of the keyboard also when every key stays where it was (as on
    // each switch between two keyboards): the held hot key still comes up once.
    for (KeyCode key : {Key::Command, Key::J}) {
        ASSERT_TRUE(input->key(key, true));
    }
    ASSERT_TRUE(waitUntil([&] { return events.size() == 1; }));
    run(QStringLiteral("xmodmap"), {QStringLiteral("-e"), QStringLiteral("keysym x = x X x X")});
    for (KeyCode key : {Key::J, Key::Command}) {
        ASSERT_TRUE(input->key(key, false));
    }
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 2; }));
    EXPECT_FALSE(events[1].pressed);
    events.clear();
    pressCommandJ();
    ASSERT_TRUE(waitUntil([&] { return events.size() >= 2; }));
    EXPECT_TRUE(events[0].pressed);
    EXPECT_FALSE(events[1].pressed);

    // Super moves from Mod4 to Mod3: the grab must follow, or Command-J would stop working.
    const QStringList toMod3 = {QStringLiteral("-e"), QStringLiteral("remove mod4 = Super_L Super_R"),
                                QStringLiteral("-e"), QStringLiteral("add mod3 = Super_L Super_R")};
    const QStringList back = {QStringLiteral("-e"), QStringLiteral("remove mod3 = Super_L Super_R"),
                              QStringLiteral("-e"), QStringLiteral("add mod4 = Super_L Super_R")};
    run(QStringLiteral("xmodmap"), toMod3);
    struct Restore {
        QStringList arguments;
        ~Restore() { run(QStringLiteral("xmodmap"), arguments); }
    } restore{back};
    // Presses made before the backend has seen the change go past it; the next ones reach it.
    events.clear();
    EXPECT_TRUE(waitUntil([&] {
        pressCommandJ();
        return events.size() >= 2;
    }));
    EXPECT_TRUE(platform->globalHotKeys().unregisterHotKey(reference));
}

// A gesture's motions followed on a worker: each reaches the handler there with its movement while the main
// thread, running its loop all along, hears of none; the first key ends the following, and the taps then hear
// where the motions led and the key, and every motion after it themselves.
TEST_F(X11Input, MotionsFollowedOnAWorkerReachTheMainThreadOnlyWhenTheyEnd) {
    ASSERT_TRUE(input->movePointer({100, 100}));
    std::vector<TapEvent> heard;
    auto tap = platform->eventStream().install(tapEventMaskBit(TapEventType::MouseMoved) |
                                                   tapEventMaskBit(TapEventType::FlagsChanged),
                                               [&](const TapEvent& event) { heard.push_back(event); });
    ASSERT_TRUE(tap);
    ASSERT_TRUE(input->movePointerBy(1, 0));
    ASSERT_TRUE(waitUntil([&] { return !heard.empty(); }));

    std::mutex mutex;
    double followedX = 0;
    int followed = 0;
    bool onTheMainThread = false;
    const std::thread::id mainThread = std::this_thread::get_id();
    std::unique_ptr<MotionFollowing> following;
    // A following ended hands reading back to the main thread a moment later.
    const auto follow = [&](double restSeconds) {
        return waitUntil([&] {
            following = platform->eventStream().followMotion(
                [&](const TapEvent& event) {
                    std::lock_guard lock(mutex);
                    followedX += event.deltaX;
                    ++followed;
                    onTheMainThread |= std::this_thread::get_id() == mainThread;
                },
                restSeconds);
            return following != nullptr;
        });
    };
    ASSERT_TRUE(follow(0));
    auto second = platform->eventStream().install(tapEventMaskBit(TapEventType::MouseMoved), [](auto&) {});
    processEvents(50);
    EXPECT_FALSE(platform->eventStream().followMotion([](auto&) {}, 0)) << "two taps take motions";
    second.reset();
    ASSERT_TRUE(follow(0)) << "a tap installed meanwhile ends a following";
    heard.clear();

    constexpr int Motions = 40;
    for (int i = 1; i <= Motions; ++i) {
        ASSERT_TRUE(input->movePointerBy(1, 0));
        ASSERT_TRUE(waitUntil([&] {
            std::lock_guard lock(mutex);
            return followedX == i;
        })) << "motion "
            << i;
    }
    processEvents(50);
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(followed, Motions);
        EXPECT_FALSE(onTheMainThread);
    }
    EXPECT_TRUE(heard.empty()) << "the main thread heard " << heard.size() << " events of the following";

    ASSERT_TRUE(input->key(Key::Shift, true));
    ASSERT_TRUE(waitUntil([&] { return heard.size() >= 2; }));
    EXPECT_EQ(heard[0].type, TapEventType::MouseMoved);
    EXPECT_EQ(heard[0].location, Point(100 + 1 + Motions, 100));
    EXPECT_EQ(heard[0].deltaX, 0);
    EXPECT_EQ(heard[1].type, TapEventType::FlagsChanged);
    ASSERT_TRUE(input->movePointerBy(2, 0));
    ASSERT_TRUE(waitUntil([&] { return heard.size() >= 3; }));
    EXPECT_EQ(heard[2].deltaX, 2);
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(followed, Motions) << "the worker followed after the key";
    }
    ASSERT_TRUE(input->key(Key::Shift, false));

    // Dropped: the main thread hears the motions again, and a rest ends a following by itself.
    ASSERT_TRUE(follow(0.05));
    processEvents(50);
    heard.clear();
    ASSERT_TRUE(input->movePointerBy(3, 0));
    ASSERT_TRUE(waitUntil([&] { return !heard.empty(); }));
    EXPECT_EQ(heard[0].deltaX, 0) << "the rest hands back where the motion led";
    following.reset();
    ASSERT_TRUE(input->movePointerBy(4, 0));
    ASSERT_TRUE(waitUntil([&] { return heard.size() >= 2; }));
    EXPECT_EQ(heard[1].deltaX, 4);
}
