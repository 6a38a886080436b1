#include "SimTestSupport.h"

#include <thread>

namespace {

std::vector<WindowNumber> numbers(const std::vector<WindowListEntry>& list) {
    std::vector<WindowNumber> result;
    for (const auto& entry : list)
        result.push_back(entry.number);
    return result;
}

TEST_F(SimDesktopTest, WindowListRunsFrontToBackByLayerThenStacking) {
    auto& editor = sim.addApplication("com.example.Editor", "Editor");
    auto& other = sim.addApplication("com.example.Other", "Other");
    auto& first = sim.addWindow(editor, Rect(0, 0, 100, 100), "First");
    auto& second = sim.addWindow(other, Rect(10, 10, 100, 100), "Second");
    auto& panel = sim.addWindow(other, Rect(20, 20, 50, 50), "Panel");
    panel.setLayer(3);
    panel.setAlpha(0.5);
    sim.addWindow(editor, Rect(30, 30, 100, 100), "Closed").close();
    const auto third = &sim.addWindow(editor, Rect(40, 40, 100, 100), "Third");

    auto list = sim.windowServer().windowList();
    EXPECT_EQ(numbers(list), (std::vector{panel.number(), third->number(), second.number(), first.number()}));
    EXPECT_EQ(list[0].ownerPID, other.pid());
    EXPECT_EQ(list[0].ownerName, QStringLiteral("Other"));
    EXPECT_EQ(list[0].title, QStringLiteral("Panel"));
    EXPECT_EQ(list[0].layer, 3);
    EXPECT_EQ(list[0].alpha, 0.5);
    EXPECT_EQ(list[3].bounds, Rect(0, 0, 100, 100));

    first.raise();
    second.setMinimized(true);
    EXPECT_EQ(numbers(sim.windowServer().windowList()),
              (std::vector{panel.number(), first.number(), third->number()}));
    const auto all = sim.windowServer().windowList(false);
    EXPECT_EQ(numbers(all), (std::vector{panel.number(), first.number(), third->number(), second.number()}));
    EXPECT_FALSE(all.back().onScreen);

    other.setHidden(true);
    EXPECT_EQ(numbers(sim.windowServer().windowList()), (std::vector{first.number(), third->number()}));
    other.activate();
    EXPECT_EQ(numbers(sim.windowServer().windowList()),
              (std::vector{panel.number(), first.number(), third->number()}));
}

TEST_F(SimDesktopTest, TitleBarDragMovesTheWindowListAtOnceAndTheAccessibilityFrameLater) {
    auto& app = sim.addApplication("com.example.Editor", "Editor");
    auto& window = sim.addWindow(app, Rect(100, 100, 400, 300));
    const auto element = elementOf(window, sim.accessibility());
    int moves = 0;
    auto observation =
        sim.accessibility().observeWindow(element, [&](const AXElementRef&, const QString&) { ++moves; });
    sim.setDragLag(2);

    sim.beginWindowDrag(window);
    EXPECT_EQ(sim.inputState().pointerLocation(), Point(300, 114));
    for (int step = 1; step <= 3; ++step) {
        sim.movePointerBy(10, 5);
        EXPECT_EQ(sim.windowServer().windowList().front().bounds,
                  Rect(100 + 10 * step, 100 + 5 * step, 400, 300));
    }
    EXPECT_EQ(window.frame(), Rect(110, 105, 400, 300));
    EXPECT_EQ(attribute<Point>(element, AX::Position), Point(110, 105));
    RunLoop::main().runPending();
    EXPECT_EQ(moves, 1);

    sim.releaseLeftButton();
    EXPECT_EQ(window.frame(), Rect(130, 115, 400, 300));
    RunLoop::main().runPending();
    EXPECT_EQ(moves, 3);

    // Pointer moves after the release leave the window alone.
    sim.movePointerBy(50, 50);
    EXPECT_EQ(window.serverFrame(), Rect(130, 115, 400, 300));
}

TEST_F(SimDesktopTest, AFrameSetDuringADragOverridesWhatLagsBehind) {
    auto& app = sim.addApplication("com.example.Editor", "Editor");
    auto& window = sim.addWindow(app, Rect(100, 100, 400, 300));
    sim.setDragLag(3);
    sim.beginWindowDrag(window);
    sim.movePointerBy(10, 0);
    elementOf(window, sim.accessibility())->setAttributeValue(AX::Position, Point(0, 25));
    EXPECT_EQ(window.serverFrame(), Rect(0, 25, 400, 300));
    sim.movePointerBy(10, 0);
    sim.releaseLeftButton();
    EXPECT_EQ(window.frame(), Rect(10, 25, 400, 300));
}

TEST_F(SimDesktopTest, PressingTheLeftButtonRaisesAndActivatesUnlessCommandIsHeld) {
    auto& back = sim.addApplication("com.example.Back", "Back");
    auto& front = sim.addApplication("com.example.Front", "Front");
    auto& backWindow = sim.addWindow(back, Rect(0, 0, 400, 400));
    sim.addWindow(front, Rect(200, 200, 400, 400));
    front.activate();
    std::vector<pid_t> activated;
    auto connection =
        sim.workspace().activeApplicationChanged.connect([&](const std::optional<RunningApplication>& app) {
            activated.push_back(app ? app->processIdentifier : 0);
        });

    sim.setModifierFlags(ModifierFlag::Command);
    sim.movePointer({100, 100});
    sim.pressLeftButton();
    sim.releaseLeftButton();
    EXPECT_TRUE(activated.empty());
    EXPECT_NE(sim.windowServer().windowList().front().number, backWindow.number());

    sim.setModifierFlags(0);
    sim.pressLeftButton();
    sim.releaseLeftButton();
    EXPECT_EQ(activated, std::vector<pid_t>{back.pid()});
    EXPECT_EQ(sim.windowServer().windowList().front().number, backWindow.number());
    EXPECT_EQ(sim.workspace().frontmostApplication()->processIdentifier, back.pid());
}

TEST_F(SimDesktopTest, TapsReceiveOnlyTheTypesOfTheirMask) {
    std::vector<TapEvent> moves;
    std::vector<TapEvent> buttonsAndFlags;
    RunLoop::main().advance(2.5);
    auto moveTap = sim.eventStream().install(tapEventMaskBit(TapEventType::MouseMoved),
                                             [&](const TapEvent& e) { moves.push_back(e); });
    auto otherTap = sim.eventStream().install(
        tapEventMaskBit(TapEventType::LeftMouseDown) | tapEventMaskBit(TapEventType::LeftMouseUp) |
            tapEventMaskBit(TapEventType::RightMouseDown) | tapEventMaskBit(TapEventType::LeftMouseDragged) |
            tapEventMaskBit(TapEventType::FlagsChanged),
        [&](const TapEvent& e) { buttonsAndFlags.push_back(e); });
    ASSERT_TRUE(moveTap && otherTap);

    sim.movePointer({10, 20});
    sim.movePointerBy(5, -3);
    sim.setModifierFlags(ModifierFlag::Shift | ModifierFlag::RightShift);
    sim.setModifierFlags(ModifierFlag::Shift | ModifierFlag::RightShift); // no change, no event
    sim.pressLeftButton();
    sim.movePointerBy(1, 1);
    sim.releaseLeftButton();
    sim.pressRightButton();

    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[1].location, Point(15, 17));
    EXPECT_EQ(moves[1].deltaX, 5);
    EXPECT_EQ(moves[1].deltaY, -3);
    EXPECT_EQ(moves[1].timestamp, 2.5);
    std::vector<TapEventType> types;
    for (const auto& e : buttonsAndFlags)
        types.push_back(e.type);
    EXPECT_EQ(types, (std::vector{TapEventType::FlagsChanged, TapEventType::LeftMouseDown,
                                  TapEventType::LeftMouseDragged, TapEventType::LeftMouseUp,
                                  TapEventType::RightMouseDown}));
    EXPECT_EQ(buttonsAndFlags[0].flags, ModifierFlag::Shift | ModifierFlag::RightShift);
    EXPECT_EQ(buttonsAndFlags[2].deltaX, 1);

    moveTap.reset();
    sim.movePointerBy(1, 0);
    EXPECT_EQ(moves.size(), 2u);
}

TEST_F(SimDesktopTest, TapsCanFailToInstallAndBeLost) {
    sim.eventStream().setInstallFails(true);
    EXPECT_EQ(sim.eventStream().install(~0ull, [](const TapEvent&) {}), nullptr);
    sim.eventStream().setInstallFails(false);

    int events = 0;
    int lost = 0;
    auto tap = sim.eventStream().install(~0ull, [&](const TapEvent&) { ++events; });
    auto connection = tap->lost.connect([&] { ++lost; });
    EXPECT_EQ(sim.eventStream().activeTapCount(), 1);
    sim.eventStream().loseTaps();
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(sim.eventStream().activeTapCount(), 0);
    sim.movePointer({1, 1});
    EXPECT_EQ(events, 0);

    tap = sim.eventStream().install(~0ull, [&](const TapEvent&) { ++events; });
    sim.movePointer({2, 2});
    EXPECT_EQ(events, 1);
}

TEST_F(SimDesktopTest, ModifiersCarryTheSideOfTheirKey) {
    struct Case {
        ModifierFlags given;
        ModifierFlags held;
    };
    const Case cases[] = {
        {ModifierFlag::Control, ModifierFlag::Control | ModifierFlag::LeftControl},
        {ModifierFlag::RightOption, ModifierFlag::Option | ModifierFlag::RightOption},
        {ModifierFlag::Command | ModifierFlag::Shift | ModifierFlag::RightShift,
         ModifierFlag::Command | ModifierFlag::LeftCommand | ModifierFlag::Shift | ModifierFlag::RightShift},
        {ModifierFlag::Function, ModifierFlag::Function},
        {0, 0},
    };
    for (const auto& c : cases) {
        sim.setModifierFlags(c.given);
        EXPECT_EQ(sim.inputState().modifierFlags(), c.held) << c.given;
    }
}

TEST_F(SimDesktopTest, KeyboardLayoutGivesCharactersAndCanBeReplaced) {
    EXPECT_EQ(sim.inputState().characterForKeyCode(Key::A), QStringLiteral("a"));
    EXPECT_EQ(sim.inputState().characterForKeyCode(Key::Digit2, ModifierFlag::Shift), QStringLiteral("@"));
    EXPECT_EQ(sim.inputState().characterForKeyCode(Key::F5), QString());
    SimKeyboardLayout german = SimKeyboardLayout::us();
    german.setCharacters(Key::Y, "z", "Z");
    sim.inputState().setKeyboardLayout(german);
    EXPECT_EQ(sim.inputState().characterForKeyCode(Key::Y), QStringLiteral("z"));
    sim.inputState().setKeyRepeat(0.25, 0.03);
    EXPECT_EQ(sim.inputState().keyRepeatDelay(), 0.25);
    EXPECT_EQ(sim.inputState().keyRepeatInterval(), 0.03);
}

TEST_F(SimDesktopTest, ScreensKeepThePrimaryAtTheOriginAndReportChanges) {
    int changes = 0;
    auto connection = sim.screens().screensChanged.connect([&] { ++changes; });
    const auto right = sim.addScreen(Rect(1440, 0, 1920, 1080), std::nullopt, 2);
    EXPECT_NE(right, 0u);
    EXPECT_EQ(sim.addScreen(Rect(0, 0, 0, 100)), 0u);
    EXPECT_EQ(sim.addScreen(Rect(0, 0, 100, 100), Rect(50, 50, 100, 100)), 0u);
    EXPECT_EQ(changes, 1);

    const auto screens = sim.screens().screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[1].visibleFrame, Rect(1440, 0, 1920, 1080));
    EXPECT_EQ(screens[1].backingScaleFactor, 2);

    EXPECT_FALSE(sim.setScreenFrame(screens[0].identifier, Rect(10, 0, 1440, 900)));
    EXPECT_TRUE(sim.setScreenFrame(right, Rect(1440, 100, 1280, 800)));
    EXPECT_TRUE(sim.removeScreen(screens[0].identifier));
    EXPECT_EQ(sim.screens().screens().front().frame, Rect(0, 0, 1280, 800));
    EXPECT_FALSE(sim.removeScreen(screens[0].identifier));
    sim.setSeparateSpaces(false);
    EXPECT_FALSE(sim.screens().screensHaveSeparateSpaces());
    EXPECT_EQ(changes, 4);
}

TEST_F(SimDesktopTest, WorkspaceActivatesHidesAndTerminates) {
    auto& editor = sim.addApplication("com.example.Editor", "Editor");
    auto& browser = sim.addApplication("", "Browser");
    auto& page = sim.addWindow(browser, Rect(0, 0, 100, 100));
    const auto pageElement = elementOf(page, sim.accessibility());
    std::vector<pid_t> activations;
    std::vector<pid_t> terminations;
    auto activated =
        sim.workspace().activeApplicationChanged.connect([&](const std::optional<RunningApplication>& app) {
            activations.push_back(app ? app->processIdentifier : 0);
        });
    auto terminated =
        sim.workspace().applicationTerminated.connect([&](pid_t pid) { terminations.push_back(pid); });

    EXPECT_EQ(sim.workspace().frontmostApplication()->processIdentifier, editor.pid());
    EXPECT_TRUE(sim.workspace().activateApplication(browser.pid(), true));
    EXPECT_TRUE(sim.workspace().applicationWithProcessIdentifier(browser.pid())->bundleIdentifier.isEmpty());
    EXPECT_TRUE(sim.workspace().hideOtherApplications(browser.pid()));
    EXPECT_TRUE(editor.info().isHidden);

    const pid_t mail = sim.addApplication("com.example.Mail", "Mail").pid();
    EXPECT_TRUE(sim.workspace().activateApplication(mail, false));
    EXPECT_EQ(sim.workspace().frontmostApplication()->localizedName, QStringLiteral("Mail"));

    browser.terminate();
    EXPECT_EQ(sim.workspace().runningApplications().size(), 2u);
    AXValue value;
    EXPECT_EQ(pageElement->copyAttributeValue(AX::Title, value), AXError::InvalidElement);
    EXPECT_TRUE(sim.windowServer().windowList().empty());
    EXPECT_EQ(activations, (std::vector<pid_t>{browser.pid(), mail}));
    EXPECT_EQ(terminations, std::vector<pid_t>{browser.pid()});

    // Quitting the frontmost application brings the one active before it forward.
    sim.workspace().activateApplication(editor.pid(), false);
    editor.terminate();
    EXPECT_EQ(sim.workspace().frontmostApplication()->processIdentifier, mail);
}

TEST_F(SimDesktopTest, WorkspaceNotificationsFireWhenScripted) {
    QStringList heard;
    std::vector<Connection> connections;
    connections.push_back(sim.workspace().willSleep.connect([&] { heard << "sleep"; }));
    connections.push_back(sim.workspace().didWake.connect([&] { heard << "wake"; }));
    connections.push_back(sim.workspace().activeSpaceChanged.connect([&] { heard << "space"; }));
    connections.push_back(sim.workspace().appearanceChanged.connect([&] { heard << "appearance"; }));
    sim.workspace().simulateSleep();
    sim.workspace().simulateWake();
    sim.workspace().simulateSpaceChange();
    sim.workspace().setDarkAppearance(true);
    sim.workspace().setAccentColor(Color{1, 0, 0, 1});
    EXPECT_EQ(heard, (QStringList{"sleep", "wake", "space", "appearance", "appearance"}));
    EXPECT_TRUE(sim.workspace().isDarkAppearance());
    EXPECT_EQ(sim.workspace().accentColor(), (Color{1, 0, 0, 1}));
}

TEST_F(SimDesktopTest, FramesSetFromAWorkerThreadStayConsistentAndNotifyOnTheMainThread) {
    auto& app = sim.addApplication("com.example.Editor", "Editor");
    auto& window = sim.addWindow(app, Rect(0, 0, 400, 300));
    const auto element = elementOf(window, sim.accessibility());
    const auto mainThread = std::this_thread::get_id();
    int notifications = 0;
    bool offMainThread = false;
    auto observation = sim.accessibility().observeWindow(element, [&](const AXElementRef&, const QString&) {
        ++notifications;
        offMainThread |= std::this_thread::get_id() != mainThread;
    });

    constexpr int steps = 500;
    std::thread worker([&] {
        for (int i = 1; i <= steps; ++i) {
            element->setAttributeValue(AX::Position, Point(i, i));
            element->setAttributeValue(AX::SizeAttribute, Size(400 + i, 300));
        }
    });
    for (int i = 0; i < steps; ++i) {
        const auto list = sim.windowServer().windowList();
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list.front().bounds.x(), list.front().bounds.y());
        sim.accessibility().elementAtPosition({1, 1});
    }
    worker.join();
    RunLoop::main().runPending();
    EXPECT_EQ(window.frame(), Rect(steps, steps, 400 + steps, 300));
    EXPECT_EQ(notifications, 2 * steps);
    EXPECT_FALSE(offMainThread);
}

} // namespace
