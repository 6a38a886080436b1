#include "ActionTestSupport.h"

#include "actions/ZRSnapshotFrameMapping.h"
#include "actions/ZRWindowMatching.h"
#include "window-access/WindowAccessClock.h"
#include "window-access/WindowDescription.h"

namespace {

QVariantMap description(const QString& bundle, const QString& name, const QString& title,
                        const Rect& frame = Rect(0, 0, 100, 100), const Rect& screen = Rect(0, 0, 1000, 800),
                        const Rect& usable = Rect(0, 0, 1000, 800)) {
    return ZRMakeWindowDescription({bundle, name, title, frame, screen, usable});
}

ZRRunningWindow running(const QString& bundle, const QString& name, const QString& title) {
    ZRRunningWindow window;
    window.bundleIdentifier = bundle;
    window.entry.ownerName = name;
    window.entry.title = title;
    return window;
}

class LayoutTest : public ActionEngineTest {
protected:
    void SetUp() override {
        ActionEngineTest::SetUp();
        terminal = &addWindowOf(QStringLiteral("com.example.terminal"), QStringLiteral("Terminal"),
                                QStringLiteral("Shell"), Rect(200, 500, 500, 300));
        two = &addWindowOf(QStringLiteral("com.example.editor"), QStringLiteral("Editor"),
                           QStringLiteral("Two"), Rect(700, 300, 500, 400));
        one = &addWindowOf(QStringLiteral("com.example.editor"), QStringLiteral("Editor"),
                           QStringLiteral("One"), Rect(50, 50, 600, 400));
        browser = &addWindowOf(QStringLiteral("com.example.browser"), QStringLiteral("Browser"),
                               QStringLiteral("Home"), Rect(1540, 280, 600, 400));
        layout = action(ZRActionTypeLayout);
        layout->saveSnapshot();
        DispatchQueue::drainForTesting();
        RunLoop::main().runPending();
    }

    SimWindow& addWindowOf(const QString& bundle, const QString& name, const QString& title,
                           const Rect& frame) {
        return desktop.addWindow(application(bundle, name), frame, title);
    }

    void scatter() {
        terminal->setFrame(Rect(10, 10, 300, 200));
        one->setFrame(Rect(700, 300, 500, 400));
        two->setFrame(Rect(50, 50, 600, 400));
        two->raise();
        browser->setFrame(Rect(100, 600, 640, 200));
    }

    SimWindow* terminal = nullptr;
    SimWindow* one = nullptr;
    SimWindow* two = nullptr;
    SimWindow* browser = nullptr;
    std::shared_ptr<ZRAction> layout;
};

TEST_F(LayoutTest, CapturedFromThreeApplicationsOnTwoScreens) {
    const ZRSnapshot& snapshot = layout->snapshot();
    ASSERT_EQ(snapshot.windowDescriptions.size(), 4u);
    EXPECT_EQ(snapshot.windowDescriptions[0].value(ZRWindowDescriptionKey::WindowTitle).toString(),
              QStringLiteral("Home"))
        << "front to back";
    EXPECT_EQ(snapshot.screenFrames, (std::vector<Rect>{PrimaryScreen, SecondScreen}));
    EXPECT_EQ(snapshot.screenFramesOfWindows().size(), 2u);
    EXPECT_TRUE(layout->canUndo()) << "a capture can be undone";
    EXPECT_EQ(engine->pendingCaptureCount(), 0u);
    EXPECT_EQ(beeps, 0);
}

TEST_F(LayoutTest, RestoredAfterTheWindowsMoved) {
    scatter();
    auto& notes = desktop.addApplication(QStringLiteral("com.example.notes"), QStringLiteral("Notes"));
    desktop.addWindow(notes, Rect(300, 300, 200, 200), QStringLiteral("Note"));
    layout->setActivatesApplications(true);
    layout->setHidesOtherApplications(true);

    ASSERT_TRUE(trigger(layout));
    EXPECT_EQ(terminal->frame(), Rect(200, 500, 500, 300));
    EXPECT_EQ(one->frame(), Rect(50, 50, 600, 400)) << "matched by title, not by stacking";
    EXPECT_EQ(two->frame(), Rect(700, 300, 500, 400));
    EXPECT_EQ(browser->frame(), Rect(1540, 280, 600, 400));
    EXPECT_EQ(desktop.workspace().frontmostApplication()->bundleIdentifier,
              QStringLiteral("com.example.browser"));
    EXPECT_TRUE(desktop.workspace().applicationWithProcessIdentifier(notes.pid())->isHidden);
    EXPECT_FALSE(
        desktop.workspace().applicationWithProcessIdentifier(terminal->application().pid())->isHidden);

    // Each window can go back to where it stood before.
    Rect original;
    EXPECT_TRUE(engine->getOriginalFrame(original, elementOf(*browser), false));
    EXPECT_EQ(original, Rect(100, 600, 640, 200));
    EXPECT_EQ(beeps, 0);
}

TEST_F(LayoutTest, RestoredAfterTheSecondScreenChangedSize) {
    scatter();
    ASSERT_TRUE(desktop.setScreenFrame(secondScreen, Rect(1440, 0, 1920, 1080)));

    // As saved, the window keeps its distance from the screen's top left corner.
    ASSERT_TRUE(trigger(layout));
    EXPECT_EQ(browser->frame(), Rect(1540, -80, 600, 400));
    EXPECT_EQ(one->frame(), Rect(50, 50, 600, 400)) << "the primary screen did not change";

    // Adapting, it takes the same share of the larger screen.
    layout->setSnapshotAdapts(true);
    ASSERT_TRUE(trigger(layout));
    EXPECT_EQ(browser->frame(), Rect(1590, -30, 900, 600));
    EXPECT_EQ(terminal->frame(), Rect(200, 500, 500, 300));

    // On a screen too small for the window as saved, the window is still shown whole.
    layout->setSnapshotAdapts(false);
    ASSERT_TRUE(desktop.setScreenFrame(secondScreen, Rect(1440, 0, 640, 500)));
    ASSERT_TRUE(trigger(layout));
    EXPECT_EQ(browser->frame(), Rect(1480, 500, 600, 400));
}

TEST_F(LayoutTest, WindowsThatAreGoneAreLeftOut) {
    scatter();
    browser->application().terminate();
    one->close();
    ASSERT_TRUE(trigger(layout));
    EXPECT_EQ(two->frame(), Rect(700, 300, 500, 400)) << "the remaining editor window takes a description";
    EXPECT_EQ(terminal->frame(), Rect(200, 500, 500, 300));

    terminal->application().terminate();
    two->application().terminate();
    EXPECT_FALSE(trigger(layout));
    EXPECT_EQ(beeps, 1);
    EXPECT_FALSE(trigger(action(ZRActionTypeLayout)));
    EXPECT_EQ(beeps, 2) << "a layout without windows";
}

// With "Animation" on, a layout of 20 windows moves them on the run loop's timers: the hot key that
// restored it returns at the first of the frames between, a key comes through between every two steps,
// and nothing waits on the main thread.
TEST_F(LayoutTest, AnAnimatedLayoutLeavesTheRunLoopFreeForAKeyBetweenEveryStep) {
    std::vector<SimWindow*> windows = {terminal, one, two, browser};
    for (int i = 0; windows.size() < 20; ++i)
        windows.push_back(&addWindowOf(QStringLiteral("com.example.viewer"), QStringLiteral("Viewer"),
                                       QStringLiteral("Picture %1").arg(i), Rect(40 * i, 20 * i, 300, 200)));
    layout->saveSnapshot();
    DispatchQueue::drainForTesting();
    RunLoop::main().runPending();
    std::vector<Rect> targets;
    for (const SimWindow* window : windows)
        targets.push_back(window->frame());
    for (std::size_t i = 0; i < windows.size(); ++i)
        windows[i]->setFrame(Rect(900 - 30 * double(i), 600 - 10 * double(i), 400, 250));
    std::vector<Rect> starts;
    for (const SimWindow* window : windows)
        starts.push_back(window->frame());
    const auto frames = [&] {
        std::vector<Rect> now;
        for (const SimWindow* window : windows)
            now.push_back(window->frame());
        return now;
    };

    // The main thread must never wait; a key is a folder's hot key, which opens the keyboard menu.
    int waits = 0;
    WindowAccessClock::install([] { return RunLoop::main().now(); }, [&](double) { ++waits; });
    FakeKeyboardMenu menu;
    engine->setKeyboardMenu(&menu);
    const auto folder = actionWithHotKey(ZRActionTypeFolder, Key::F6, ModifierFlag::Control);
    set(QString::fromUtf16(ZRAnimationUserDefaultName), true);

    bool returned = false;
    std::vector<std::vector<Rect>> seenByKeys;
    // Between the steps, which come every 0.02 s from the press, and before the last frames at 0.08 s.
    for (const double at : {0.01, 0.03, 0.05, 0.07})
        RunLoop::main().schedule(at, [&] {
            EXPECT_TRUE(returned) << "the key comes from the run loop, not from inside the layout";
            bool repeat = false;
            EXPECT_TRUE(engine->handleKeyDownEvent(hotKeyPress(folder->hotKey()), repeat));
            seenByKeys.push_back(frames());
        });
    ASSERT_TRUE(trigger(layout));
    returned = true;
    const std::vector<Rect> first = frames();
    EXPECT_NE(first, starts) << "the first frames between went out at once";
    EXPECT_NE(first, targets);

    RunLoop::main().advance(0.1);
    ASSERT_EQ(seenByKeys.size(), 4u);
    EXPECT_EQ(menu.popUps.size(), 4u) << "every key was handled";
    EXPECT_EQ(seenByKeys[0], first) << "the first key came before the second step";
    for (std::size_t k = 1; k < seenByKeys.size(); ++k)
        EXPECT_NE(seenByKeys[k], seenByKeys[k - 1]) << "a step between keys " << k - 1 << " and " << k;
    EXPECT_NE(seenByKeys.back(), targets) << "the last key came before the windows were in place";
    EXPECT_EQ(frames(), targets);
    EXPECT_EQ(waits, 0);
    EXPECT_EQ(beeps, 0);
}

// Terminals of one program often share one title: each goes back to its own frame, however the stacking
// changed since the layout was taken.
TEST_F(LayoutTest, SameTitledWindowsOfOneApplicationEachTakeTheirOwnFrame) {
    const std::vector<Rect> frames = {Rect(0, 0, 720, 900), Rect(720, 0, 720, 450), Rect(400, 440, 300, 200)};
    std::vector<SimWindow*> terminals;
    for (const Rect& frame : frames)
        terminals.push_back(
            &addWindowOf(QStringLiteral("xterm"), QStringLiteral("XTerm"), QStringLiteral("xterm"), frame));
    auto terminalsLayout = action(ZRActionTypeLayout);
    terminalsLayout->saveSnapshot();
    DispatchQueue::drainForTesting();
    RunLoop::main().runPending();

    // Moved round, and the one that was behind brought to the front.
    terminals[0]->setFrame(frames[2]);
    terminals[1]->setFrame(frames[0]);
    terminals[2]->setFrame(frames[1]);
    terminals[0]->raise();
    ASSERT_TRUE(trigger(terminalsLayout));
    for (std::size_t i = 0; i < frames.size(); ++i)
        EXPECT_EQ(terminals[i]->frame(), frames[i]) << "terminal " << i;
}

TEST(WindowMatching, EqualTitlesFirstThenOrderWithinEachApplication) {
    const QVariantList descriptions = {
        description(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("x")),
        description(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("y")),
        description(QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("z")),
        description(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("x")),
        description(QString(), QStringLiteral("Plain"), QStringLiteral("p")),
        description(QStringLiteral("c"), QStringLiteral("C"), QStringLiteral("c")),
        QVariant(QStringLiteral("no description")),
    };
    const std::vector<ZRRunningWindow> windows = {
        running(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("y")),
        running(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("x")),
        running(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("w")),
        running(QStringLiteral("b"), QStringLiteral("B"), QStringLiteral("q")),
        running(QStringLiteral("d"), QStringLiteral("Plain"), QStringLiteral("p")),
        running(QString(), QStringLiteral("Plain"), QStringLiteral("other")),
    };
    const std::vector<std::optional<std::size_t>> expected = {1, 0, 3, 2, 5, std::nullopt, std::nullopt};
    EXPECT_EQ(ZRMatchWindowDescriptions(descriptions, windows), expected);

    // The window a description was taken of comes before a title; a number no window has any more, or
    // one of another application's window, counts for nothing.
    const auto numbered = [](QVariantMap described, qint64 number) {
        described.insert(ZRWindowDescriptionKey::WindowNumber, number);
        return described;
    };
    const QVariantList same = {
        numbered(description(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("t")), 12),
        numbered(description(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("t")), 99),
        numbered(description(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("t")), 11),
        numbered(description(QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("t")), 14),
    };
    std::vector<ZRRunningWindow> terminals;
    for (const WindowNumber number : {11u, 12u, 13u, 14u}) {
        terminals.push_back(running(number == 14 ? QStringLiteral("b") : QStringLiteral("a"),
                                    QStringLiteral("A"), QStringLiteral("t")));
        terminals.back().entry.number = number;
    }
    const std::vector<std::optional<std::size_t>> byNumber = {1, 2, 0, std::nullopt};
    EXPECT_EQ(ZRMatchWindowDescriptions(same, terminals), byNumber);
}

TEST(SnapshotFrameMapping, GroupsTakeTheMostLikeScreensThatRemain) {
    // Adapted frames lie in the grid of settings nobody changed.
    QTemporaryDir folder;
    const UserDefaults unchangedSettings(folder.filePath(QStringLiteral("Settings.plist")));
    const Rect left(0, 0, 1000, 800);
    const Rect right(1000, 0, 1000, 800);
    const Rect gone(2000, 0, 1000, 800);
    ScreenInfo first;
    first.frame = first.visibleFrame = left;
    ScreenInfo second;
    second.identifier = 2;
    second.frame = second.visibleFrame = Rect(1000, 0, 500, 400);
    // Whole displays: no layout splits them.
    const UserDefaults noLayout{QString()};
    const auto screens = ZRVirtualScreen::screensOfDisplays({first, second}, noLayout);

    const QVariantList descriptions = {
        description(QStringLiteral("a"), QStringLiteral("A"), QString(), Rect(1100, 100, 500, 400), right,
                    right),
        description(QStringLiteral("a"), QStringLiteral("A"), QString(), Rect(100, 100, 200, 200), left,
                    left),
        // An older record without its usable frame takes its neighbour's.
        description(QStringLiteral("b"), QStringLiteral("B"), QString(), Rect(1200, 200, 100, 100), right,
                    Rect()),
        description(QStringLiteral("c"), QStringLiteral("C"), QString(), Rect(2100, 100, 100, 100), gone,
                    gone),
        description(QStringLiteral("d"), QStringLiteral("D"), QString(), Rect(), left, left),
    };
    const auto adapted = ZRMapSnapshotFrames(descriptions, screens, {true, std::nullopt}, unchangedSettings);
    ASSERT_EQ(adapted.size(), 3u) << "no screen remains for the third, and one has no frame";
    EXPECT_EQ(adapted[0].windowFrame, Rect(1050, 50, 250, 200));
    EXPECT_EQ(adapted[1].windowFrame, Rect(1100, 100, 50, 50));
    EXPECT_EQ(adapted[1].originalSkafableFrame, right);
    EXPECT_EQ(adapted[2].windowFrame, Rect(100, 100, 200, 200)) << "its screen is unchanged";

    const auto kept = ZRMapSnapshotFrames(descriptions, screens, {false, std::nullopt}, unchangedSettings);
    ASSERT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept[0].windowFrame, Rect(1000, 0, 500, 400)) << "moved inside the smaller screen";

    // A layout of one screen put on another screen, proportionally.
    const QVariantList single = {descriptions[1]};
    const auto generic = ZRMapSnapshotFrames(single, screens, {false, screens[1]}, unchangedSettings);
    ASSERT_EQ(generic.size(), 1u);
    EXPECT_EQ(generic[0].windowFrame, Rect(1050, 50, 100, 100));

    // A record that writes its screen's frame otherwise is on the same screen; an older record alone on
    // its screen takes the screen's frame for the usable frame it lacks.
    QVariantMap otherwiseWritten = descriptions[2].toMap();
    otherwiseWritten.insert(ZRWindowDescriptionKey::ScreenFrame, QStringLiteral("{{1000,0},{1000,800}}"));
    const auto sameScreen =
        ZRMapSnapshotFrames({descriptions[0], otherwiseWritten}, screens, {true, {}}, unchangedSettings);
    ASSERT_EQ(sameScreen.size(), 2u);
    EXPECT_EQ(sameScreen[1].windowFrame, Rect(1100, 100, 50, 50));
    const auto alone =
        ZRMapSnapshotFrames({descriptions[2]}, screens, {true, std::nullopt}, unchangedSettings);
    ASSERT_EQ(alone.size(), 1u);
    EXPECT_EQ(alone[0].originalSkafableFrame, right);
}

} // namespace
