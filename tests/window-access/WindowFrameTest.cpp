#include "DesktopTest.h"
#include "Elements.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/RunLoop.h"
#include "window-access/WindowAccessDefaults.h"
#include "window-access/WindowElements.h"
#include "window-access/WindowFrameSetting.h"

#include <functional>
#include <limits>
#include <mutex>
#include <thread>
#include <vector>

namespace {

class WindowFrameTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 877));
    }

    SimApplication& application() {
        if (!m_application)
            m_application =
                &desktop.addApplication(QStringLiteral("com.example.editor"), QStringLiteral("Editor"));
        return *m_application;
    }

    SimWindow& addWindow(const Rect& frame = Rect(100, 100, 400, 300)) {
        return desktop.addWindow(application(), frame, QStringLiteral("Document"));
    }

private:
    SimApplication* m_application = nullptr;
};

const Rect FrameCaseStart(100, 100, 400, 300);

struct FrameCase {
    const char* name;
    std::function<void(SimWindow&)> setUp;
    bool setSize;
    bool keepRight;
    bool keepBottom;
    Rect target;
    bool succeeds;
    Rect obtained;
    int maximumFrameSets;
};

// Windows that obey, clamp, refuse and fail, each with what setting its frame must give.
std::vector<FrameCase> frameCases() {
    const Rect start = FrameCaseStart;
    const auto nothing = [](SimWindow&) {};
    const auto minimumSize = [](SimWindow& w) { w.setMinimumSize(Size{500, 400}); };
    // A window that keeps its own size and a kept edge: later attempts ask for the corrected place at
    // once instead of going back to the target's and being corrected again (five frame sets, not six).
    return {
        {"obeys", nothing, true, false, false, Rect(200, 150, 600, 400), true, Rect(200, 150, 600, 400), 2},
        {"moves without resizing", nothing, false, false, false, Rect(300, 250, 9, 9), true,
         Rect(300, 250, 400, 300), 1},
        {"already there", nothing, true, false, false, start, true, start, 2},
        {"clamps its size", minimumSize, true, false, false, Rect(600, 400, 300, 200), true,
         Rect(600, 400, 500, 400), 4},
        {"clamps, keeping right and bottom edges", minimumSize, true, true, true, Rect(600, 400, 300, 200),
         true, Rect(400, 200, 500, 400), 5},
        {"clamps, keeping the right edge", minimumSize, true, true, false, Rect(600, 400, 300, 200), true,
         Rect(400, 400, 500, 400), 5},
        {"ignores the first request", [](SimWindow& w) { w.ignoreFrameSets(1); }, true, false, false,
         Rect(200, 150, 600, 400), true, Rect(200, 150, 600, 400), 4},
        {"refuses silently", [](SimWindow& w) { w.setRefusesFrameChanges(true); }, true, false, false,
         Rect(200, 150, 600, 400), false, start, 4},
        {"cannot be resized", [](SimWindow& w) { w.setResizable(false); }, true, false, false,
         Rect(200, 150, 600, 400), false, Rect(200, 150, 400, 300), 2},
        {"cannot be resized, moved only", [](SimWindow& w) { w.setResizable(false); }, false, false, false,
         Rect(200, 150, 600, 400), true, Rect(200, 150, 400, 300), 1},
        {"cannot be moved", [](SimWindow& w) { w.setMovable(false); }, true, false, false,
         Rect(200, 150, 600, 400), false, start, 1},
    };
}

TEST_F(WindowFrameTest, SettingFramesOnWindowsThatObeyClampRefuseAndFail) {
    for (const FrameCase& c : frameCases()) {
        SimWindow& window = addWindow(FrameCaseStart);
        c.setUp(window);
        Rect obtained;
        EXPECT_EQ(ZRSetWindowFrame(
                      elementOf(window),
                      {.setSize = c.setSize, .keepRightEdge = c.keepRight, .keepBottomEdge = c.keepBottom},
                      c.target, &obtained),
                  c.succeeds)
            << c.name;
        EXPECT_EQ(obtained, c.obtained) << c.name;
        EXPECT_EQ(window.frame(), c.obtained) << c.name;
        EXPECT_LE(window.frameSetCount(), c.maximumFrameSets) << c.name;
    }
}

TEST_F(WindowFrameTest, SeveralWindowsAtOnceEndAsEachWouldAlone) {
    const auto cases = frameCases();
    std::vector<SimWindow*> windows;
    std::vector<ZRWindowFrameRequest> requests;
    for (const FrameCase& c : cases) {
        SimWindow& window = addWindow(FrameCaseStart);
        c.setUp(window);
        windows.push_back(&window);
        requests.push_back(
            {elementOf(window),
             c.target,
             {.setSize = c.setSize, .keepRightEdge = c.keepRight, .keepBottomEdge = c.keepBottom}});
    }
    // A window gone and a request of no window answer NO beside the others.
    SimWindow& gone = addWindow(FrameCaseStart);
    requests.push_back({elementOf(gone), Rect(0, 0, 500, 500), {}});
    gone.close();
    requests.push_back({nullptr, Rect(0, 0, 500, 500), {}});

    std::vector<std::optional<Rect>> obtained;
    const std::vector<bool> set = ZRSetWindowFrames(requests, &obtained);
    ASSERT_EQ(set.size(), cases.size() + 2);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const FrameCase& c = cases[i];
        EXPECT_EQ(set[i], c.succeeds) << c.name;
        EXPECT_EQ(obtained[i], c.obtained) << c.name;
        EXPECT_EQ(windows[i]->frame(), c.obtained) << c.name;
        EXPECT_LE(windows[i]->frameSetCount(), c.maximumFrameSets) << c.name;
    }
    EXPECT_FALSE(set[cases.size()]);
    EXPECT_FALSE(obtained[cases.size()]);
    EXPECT_FALSE(set[cases.size() + 1]);

    // Animated, all windows move together: the animation takes its time once, not once per window.
    std::vector<ZRWindowFrameRequest> moves;
    for (int i = 0; i < 3; ++i)
        moves.push_back(
            {elementOf(addWindow(FrameCaseStart)), Rect(300 + 100 * i, 200, 500, 400), {.animate = true}});
    const double before = RunLoop::main().now();
    EXPECT_EQ(ZRSetWindowFrames(moves), std::vector<bool>(3, true));
    EXPECT_NEAR(RunLoop::main().now() - before, 0.08, 1e-9);
}

TEST_F(WindowFrameTest, UnreadableWindowsAndBadTargetsChangeNothing) {
    SimWindow& unreadable = addWindow();
    unreadable.setFrameReadsFail(true);
    Rect obtained(1, 2, 3, 4);
    EXPECT_FALSE(ZRSetWindowFrame(elementOf(unreadable), {}, Rect(0, 0, 500, 500), &obtained));
    EXPECT_EQ(unreadable.frameSetCount(), 0);
    EXPECT_EQ(obtained, Rect(1, 2, 3, 4)) << "an unread frame is not reported";
    EXPECT_FALSE(ZRCopyWindowFrame(elementOf(unreadable), false));

    SimWindow& window = addWindow();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (const Rect& bad : {Rect(nan, 0, 500, 500), Rect(0, 0, 0, 500), Rect(0, 0, 500, -1)}) {
        EXPECT_FALSE(ZRSetWindowFrame(elementOf(window), {}, bad));
    }
    EXPECT_EQ(window.frameSetCount(), 0);
    EXPECT_FALSE(ZRSetWindowFrame(nullptr, {}, Rect(0, 0, 10, 10)));

    // A window that has gone.
    const AXElementRef element = elementOf(window);
    window.close();
    EXPECT_FALSE(ZRSetWindowFrame(element, {}, Rect(0, 0, 500, 500)));

    // The log says what went wrong, not its number.
    QStringList lines;
    setPlatformLogSink([&](const QString& line) { lines << line; });
    SimWindow& fixed = addWindow();
    fixed.setMovable(false);
    EXPECT_FALSE(ZRSetWindowFrame(elementOf(fixed), {}, Rect(0, 0, 500, 500)));
    setPlatformLogSink({});
    EXPECT_EQ(lines,
              QStringList{QStringLiteral("cannot set window frame: its position or size cannot be set")});
}

TEST_F(WindowFrameTest, FramesAreLoggedAsProposedAndObtainedWhileDebugging) {
    QStringList lines;
    setPlatformLogSink([&](const QString& line) { lines << line; });
    SimWindow& window = addWindow();
    window.setMinimumSize(Size{500, 400});
    EXPECT_TRUE(ZRSetWindowFrame(elementOf(window), {}, Rect(10, 20, 300, 200)));
    EXPECT_TRUE(lines.isEmpty()) << lines.join(QLatin1Char('\n')).toStdString();

    set(QStringLiteral("ZRDebugLog"), true);
    EXPECT_TRUE(ZRSetWindowFrame(elementOf(window), {}, Rect(30, 40, 300, 200)));
    setPlatformLogSink({});
    EXPECT_EQ(lines,
              (QStringList{QStringLiteral("[Debug] set window frame: proposed {{30, 40}, {300, 200}}"),
                           QStringLiteral("[Debug] set window frame: obtained {{30, 40}, {500, 400}} after 2 "
                                          "attempts")}));
}

TEST_F(WindowFrameTest, AWorkerReadsTheSettingsAsTheMainThreadWould) {
    std::mutex mutex;
    QStringList lines;
    setPlatformLogSink([&](const QString& line) {
        std::lock_guard lock(mutex);
        lines << line;
    });
    SimWindow& window = addWindow();
    // Turned on in the file, never read on the main thread.
    set(QStringLiteral("ZRDebugLog"), true);
    std::thread worker([&] { EXPECT_TRUE(ZRSetWindowFrame(elementOf(window), {}, Rect(30, 40, 300, 200))); });
    worker.join();
    setPlatformLogSink({});
    EXPECT_EQ(lines.value(0), QStringLiteral("[Debug] set window frame: proposed {{30, 40}, {300, 200}}"));
}

// The switch follows the store the program runs on: a store opened later takes over, and dropping the
// earlier follower then neither turns the switch off nor lets the earlier store turn it back.
TEST_F(WindowFrameTest, DebugLoggingFollowsTheLatestStoreItIsHanded) {
    UserDefaults earlier(folder.filePath(QStringLiteral("Earlier.plist")));
    UserDefaults later(folder.filePath(QStringLiteral("Later.plist")));
    earlier.setBool(true, QStringLiteral("ZRDebugLog"));
    Connection followingEarlier = WindowAccessDefaults::followDebugLogSetting(earlier);
    EXPECT_TRUE(WindowAccessDefaults::debugLogEnabled());
    earlier.setBool(false, QStringLiteral("ZRDebugLog"));
    EXPECT_FALSE(WindowAccessDefaults::debugLogEnabled());

    later.setBool(true, QStringLiteral("ZRDebugLog"));
    Connection followingLater = WindowAccessDefaults::followDebugLogSetting(later);
    EXPECT_TRUE(WindowAccessDefaults::debugLogEnabled());
    earlier.setBool(false, QStringLiteral("ZRDebugLog"));
    EXPECT_TRUE(WindowAccessDefaults::debugLogEnabled()) << "the earlier store no longer has a say";
    followingEarlier.disconnect();
    EXPECT_TRUE(WindowAccessDefaults::debugLogEnabled());
    bool onWorker = false;
    std::thread([&] { onWorker = WindowAccessDefaults::debugLogEnabled(); }).join();
    EXPECT_TRUE(onWorker);

    followingLater.disconnect();
    EXPECT_FALSE(WindowAccessDefaults::debugLogEnabled()) << "nothing follows a store: off";
    later.setBool(true, QStringLiteral("ZRDebugLog"));
    EXPECT_FALSE(WindowAccessDefaults::debugLogEnabled());
}

TEST_F(WindowFrameTest, AnimationTakesItsTimeOnTheClock) {
    SimWindow& window = addWindow();
    const double before = RunLoop::main().now();
    EXPECT_TRUE(ZRSetWindowFrame(elementOf(window), {.animate = true}, Rect(500, 300, 600, 400)));
    EXPECT_NEAR(RunLoop::main().now() - before, 0.08, 1e-9);
    EXPECT_EQ(window.frame(), Rect(500, 300, 600, 400));
    EXPECT_GT(window.frameSetCount(), 2) << "frames between were shown";

    // Nothing to animate: no time passes.
    const double again = RunLoop::main().now();
    EXPECT_TRUE(ZRSetWindowFrame(elementOf(window), {.animate = true}, Rect(500, 300, 600, 400)));
    EXPECT_EQ(RunLoop::main().now(), again);
    SimWindow& plain = addWindow();
    EXPECT_TRUE(ZRSetWindowFrame(elementOf(plain), {}, Rect(500, 300, 600, 400)));
    EXPECT_EQ(RunLoop::main().now(), again);
}

// On the run loop: the frames between come on its timers, and a window that a second animation takes
// over (a hot key held down) ends where the second one puts it; the first lets it be without a failure.
TEST_F(WindowFrameTest, AnimationOnTheRunLoopEndsWhereTheLastRequestPutsTheWindow) {
    SimWindow& window = addWindow();
    SimWindow& other = addWindow(Rect(0, 0, 300, 200));
    std::vector<ZRWindowFramesResult> results;
    const auto record = [&](const ZRWindowFramesResult& result) { results.push_back(result); };
    const double start = RunLoop::main().now();
    ZRSetWindowFramesAnimated({{elementOf(window), Rect(500, 300, 600, 400), {.animate = true}},
                               {elementOf(other), Rect(10, 10, 300, 200), {.animate = true}}},
                              record);
    EXPECT_EQ(RunLoop::main().now(), start) << "nothing waits";
    const Rect firstStep = window.frame();
    EXPECT_NE(firstStep, Rect(100, 100, 400, 300)) << "the first frame between at once";
    EXPECT_NE(firstStep, Rect(500, 300, 600, 400));

    RunLoop::main().advance(0.03);
    ZRSetWindowFramesAnimated({{elementOf(window), Rect(700, 100, 300, 300), {.animate = true}}}, record);
    RunLoop::main().advance(0.2);
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].set, (std::vector<bool>{true, true}));
    EXPECT_FALSE(results[0].obtained[0]) << "the window it let go of";
    EXPECT_EQ(results[0].obtained[1], Rect(10, 10, 300, 200));
    EXPECT_EQ(results[1].set, std::vector<bool>{true});
    EXPECT_EQ(results[1].obtained[0], Rect(700, 100, 300, 300));
    EXPECT_EQ(window.frame(), Rect(700, 100, 300, 300));
    EXPECT_EQ(other.frame(), Rect(10, 10, 300, 200));
}

TEST_F(WindowFrameTest, DrawersAndNearZeroOrigins) {
    SimWindow& window = addWindow();
    window.addDrawer(Rect(400, 20, 100, 200));
    const AXElementRef element = elementOf(window);
    EXPECT_EQ(ZRCopyWindowFrame(element, false), Rect(100, 100, 400, 300));
    EXPECT_EQ(ZRCopyWindowFrame(element, true), Rect(100, 100, 500, 300));

    Rect obtained;
    EXPECT_TRUE(ZRSetWindowFrame(element, {.includeDrawers = true}, Rect(200, 200, 600, 300), &obtained));
    EXPECT_EQ(window.frame(), Rect(200, 200, 500, 300));
    EXPECT_EQ(obtained, Rect(200, 200, 600, 300));

    window.setFrame(Rect(0.004, -0.003, 400, 300));
    EXPECT_EQ(ZRCopyWindowFrame(element, false), Rect(0, 0, 400, 300));

    set(QStringLiteral("Allow For Drawers"), true);
    EXPECT_TRUE(ZRAllowsForDrawers(settings()));
}

TEST_F(WindowFrameTest, WindowsStickingOutOfTheVisibleFrameAreMovedInFirst) {
    SimWindow& inside = addWindow(Rect(100, 100, 400, 300));
    EXPECT_TRUE(ZRSetWindowFrameViaVisibleFrame(elementOf(inside), {}, Rect(100, 100, 500, 400)));
    EXPECT_EQ(inside.frameSetCount(), 2);

    SimWindow& outside = addWindow(Rect(1300, 100, 400, 300));
    Rect obtained;
    EXPECT_TRUE(ZRSetWindowFrameViaVisibleFrame(elementOf(outside), {}, Rect(100, 100, 500, 400), &obtained));
    EXPECT_EQ(outside.frameSetCount(), 3) << "one move inside, then the frame";
    EXPECT_EQ(obtained, Rect(100, 100, 500, 400));
}

TEST_F(WindowFrameTest, WindowOfAWindowListEntry) {
    const Rect shared(100, 100, 400, 300);
    SimWindow& first = addWindow(shared);
    SimWindow& second = addWindow(shared);
    SimWindow& other = addWindow(Rect(700, 100, 400, 300));
    other.addStandardButtons();

    WindowListEntry entry;
    for (const WindowListEntry& listed : desktop.windowServer().windowList())
        if (listed.number == first.number())
            entry = listed;
    const Point nowhere{1400, 850};
    EXPECT_EQ(ZRWindowForWindowListEntry(nowhere, &entry, true)->windowNumber(), first.number())
        << "by number";

    WindowListEntry byFrame = entry;
    byFrame.number = 0;
    EXPECT_FALSE(ZRWindowForWindowListEntry(nowhere, &byFrame, true)) << "two windows have these bounds";
    const AXElementRef loose = ZRWindowForWindowListEntry(nowhere, &byFrame, false);
    ASSERT_TRUE(loose);
    EXPECT_TRUE(loose->windowNumber() == first.number() || loose->windowNumber() == second.number());

    byFrame.bounds = other.frame();
    EXPECT_EQ(ZRWindowForWindowListEntry(nowhere, &byFrame, true)->windowNumber(), other.number())
        << "unique bounds";

    // No match: only a loose look-up falls back to the point.
    byFrame.bounds = Rect(5, 5, 5, 5);
    const Point onOther{900, 300};
    EXPECT_FALSE(ZRWindowForWindowListEntry(onOther, &byFrame, true));
    EXPECT_EQ(ZRWindowForWindowListEntry(onOther, &byFrame, false)->windowNumber(), other.number());

    // Without an entry: the window of whatever is at the point, a title-bar button included.
    const Rect zoom = *ZRCopyWindowFrame(ZRCopyZoomButton(elementOf(other)), false);
    EXPECT_EQ(ZRWindowForWindowListEntry(Point{zoom.midX(), zoom.midY()}, nullptr, false)->windowNumber(),
              other.number());
    EXPECT_FALSE(ZRWindowForWindowListEntry(nowhere, nullptr, false));
}

TEST_F(WindowFrameTest, TitleBarButtonsAndTheirUse) {
    SimWindow& window = addWindow();
    const AXElementRef element = elementOf(window);
    EXPECT_FALSE(ZRCopyZoomButton(element));
    window.addStandardButtons();
    EXPECT_EQ(std::get<QString>(ZRCopyAXAttribute(ZRCopyMinimizeButton(element), AX::Subrole)),
              AX::MinimizeButton);
    window.removeButton(SimButton::Zoom);
    window.addButton(SimButton::FullScreen, Rect(50, 5, 12, 12));
    EXPECT_EQ(std::get<QString>(ZRCopyAXAttribute(ZRCopyZoomButton(element), AX::Subrole)),
              AX::FullScreenButton);

    EXPECT_TRUE(ZRZoomButtonIsUsable(ZRCopyZoomButton(element)));
    window.setButtonEnabled(SimButton::FullScreen, false);
    EXPECT_FALSE(ZRZoomButtonIsUsable(ZRCopyZoomButton(element)));
    EXPECT_FALSE(ZRZoomButtonIsUsable(nullptr));

    auto& electron = desktop.addApplication(QStringLiteral("com.example.electron"), QStringLiteral("Chat"));
    electron.setElectron(true);
    SimWindow& chat = desktop.addWindow(electron, Rect(100, 100, 400, 300), QStringLiteral("Chat"));
    chat.addStandardButtons();
    chat.setButtonEnabled(SimButton::Zoom, false);
    EXPECT_TRUE(ZRZoomButtonIsUsable(ZRCopyZoomButton(elementOf(chat))));
    EXPECT_TRUE(ZRZoomButtonIsUsable(ZRCopyZoomButton(elementOf(chat)))) << "from the cache";

    EXPECT_TRUE(std::holds_alternative<std::monostate>(ZRCopyAXAttribute(nullptr, AX::Title)));
    EXPECT_TRUE(
        std::holds_alternative<std::monostate>(ZRCopyAXAttribute(element, QStringLiteral("AXNoSuch"))));
}

TEST_F(WindowFrameTest, ResizableWindows) {
    const QString strictness = QStringLiteral("Settable Size Strictness");
    struct Case {
        const char* name;
        std::function<void(SimWindow&)> setUp;
        qint64 strictness;
        bool resizable;
    };
    const std::vector<Case> cases = {
        {"settable size", [](SimWindow&) {}, 0, true},
        {"settable size, strict", [](SimWindow&) {}, 1, false},
        {"usable zoom button, strict", [](SimWindow& w) { w.addStandardButtons(); }, 1, true},
        {"disabled zoom button, strict",
         [](SimWindow& w) {
             w.addStandardButtons();
             w.setButtonEnabled(SimButton::Zoom, false);
         },
         1, false},
        {"grow area, strict", [](SimWindow& w) { w.setGrowArea(Rect(380, 280, 20, 20)); }, 1, true},
        {"fixed size", [](SimWindow& w) { w.setResizable(false); }, 0, false},
        {"full screen",
         [](SimWindow& w) {
             w.addStandardButtons();
             w.setFullScreen(true);
         },
         0, false},
    };
    for (const Case& c : cases) {
        SimWindow& window = addWindow();
        c.setUp(window);
        set(strictness, c.strictness);
        EXPECT_EQ(ZRWindowIsResizable(elementOf(window), settings()), c.resizable) << c.name;
    }
    EXPECT_FALSE(ZRWindowIsResizable(nullptr, settings()));
}

TEST_F(WindowFrameTest, FullScreenWindows) {
    SimWindow& window = addWindow();
    const AXElementRef element = elementOf(window);
    EXPECT_TRUE(ZRWindowIsControllable(element, settings()));
    EXPECT_FALSE(ZRWindowCanLeaveFullScreen(element));

    window.setFullScreen(true);
    EXPECT_FALSE(ZRWindowIsControllable(element, settings()));
    EXPECT_TRUE(ZRWindowCanLeaveFullScreen(element));
    set(QStringLiteral("Control Full Screen Windows"), true);
    EXPECT_TRUE(ZRWindowIsControllable(element, settings()));

    set(QStringLiteral("Control Full Screen Windows: Animation Interval"), 0.5);
    const double before = RunLoop::main().now();
    const AXElementRef after = ZRExitFullScreen(element, settings());
    EXPECT_NEAR(RunLoop::main().now() - before, 0.5, 1e-9);
    EXPECT_FALSE(window.isFullScreen());
    ASSERT_TRUE(after);
    EXPECT_EQ(after->windowNumber(), window.number());

    // A window that may not leave full screen stays, and nobody waits for it.
    window.setFullScreen(true);
    window.setFullScreenSettable(false);
    EXPECT_FALSE(ZRWindowCanLeaveFullScreen(element));
    const double stuck = RunLoop::main().now();
    EXPECT_FALSE(ZRExitFullScreen(element, settings()));
    EXPECT_EQ(RunLoop::main().now(), stuck);

    // An absurd interval does not freeze the program.
    window.setFullScreenSettable(true);
    set(QStringLiteral("Control Full Screen Windows: Animation Interval"), 1e9);
    const double absurd = RunLoop::main().now();
    EXPECT_TRUE(ZRExitFullScreen(element, settings()));
    EXPECT_LE(RunLoop::main().now() - absurd, 5.0);
}

TEST_F(WindowFrameTest, RaisingAndActivating) {
    SimWindow& window = addWindow();
    auto& other = desktop.addApplication(QStringLiteral("com.example.other"), QStringLiteral("Other"));
    desktop.addWindow(other, Rect(0, 0, 800, 600), QStringLiteral("Front"));
    other.activate();
    ZRRaiseWindow(elementOf(window));
    EXPECT_TRUE(window.performedActions().contains(AX::Raise));
    EXPECT_EQ(desktop.workspace().frontmostApplication()->processIdentifier, window.application().pid());

    const struct {
        bool setting;
        bool shift;
        bool shiftInverts;
        bool activates;
    } cases[] = {{false, false, true, false}, {true, false, true, true}, {true, true, true, false},
                 {false, true, true, true},   {true, true, false, true}, {false, true, false, false}};
    for (const auto& c : cases) {
        set(QStringLiteral("Mouse Controls Auto-Activate Window"), c.setting);
        desktop.setModifierFlags(c.shift ? ModifierFlag::Shift : 0);
        EXPECT_EQ(ZRMouseControlsShouldActivateWindow(c.shiftInverts, settings()), c.activates)
            << c.setting << c.shift << c.shiftInverts;
    }
}

} // namespace
