// Layouts that apply by themselves when the displays change, at launch and after a sleep.
#include "ActionTestSupport.h"

#include "actions/ZRLayoutAutoTrigger.h"
#include "platform/SleepClock.h"
#include "window-access/WindowDescription.h"

namespace {

class InjectedSleepClock : public SleepClock {
public:
    double suspended = 1000;
    double suspendedSeconds() const override { return suspended; }
};

constexpr Rect OtherScreen{1440, 0, 1920, 1080};
constexpr Rect LayoutFrame{100, 200, 640, 480}; // Cocoa, on the primary screen

// How a layout is set to apply by itself, and the screens it was saved on.
struct LayoutSetup {
    const char* name;
    bool display;
    std::int64_t count;
    bool wake;
    std::vector<Rect> screenFrames; // none: only its window tells its screen
    bool saved = true;
};

class LayoutAutoTriggerTest : public ActionEngineTest {
protected:
    void SetUp() override {
        ActionEngineTest::SetUp();
        window = &addWindow(Rect(300, 300, 500, 300));
    }

    void TearDown() override {
        trigger.reset();
        ActionEngineTest::TearDown();
    }

    // The layouts into an emptied store in the order given, then the launch.
    void start(const std::vector<LayoutSetup>& setups) {
        store().populateWithSourceListItems({});
        for (auto setup = setups.rbegin(); setup != setups.rend(); ++setup) {
            auto layout = action(ZRActionTypeLayout);
            layout->setName(QString::fromLatin1(setup->name));
            const ZRWindowDescription description = ZRMakeWindowDescription(
                {QStringLiteral("com.example.editor"), QStringLiteral("Editor"), QStringLiteral("Document"),
                 LayoutFrame, PrimaryScreen, PrimaryScreen});
            if (setup->saved)
                layout->setSnapshot(ZRSnapshot{{description}, setup->screenFrames});
            layout->setSnapshotDisplayAutoTriggerEnabled(setup->display);
            layout->setSnapshotAutoDisplayCount(setup->count);
            layout->setSnapshotWakeAutoTriggerEnabled(setup->wake);
            store().insertAction(layout);
        }
        trigger = std::make_unique<ZRLayoutAutoTrigger>(
            [this](const std::shared_ptr<ZRAction>& layout) {
                applied << *layout->userDefinedName();
                return engine->triggerAction(layout, nullptr, true, nullptr, false, false);
            },
            clock, store(), settings(), desktop, RunLoop::main());
        trigger->start();
    }

    // Layouts saved on the two screens the test starts with, or on the primary one alone.
    static std::vector<LayoutSetup> layouts() {
        const std::vector<Rect> primary{PrimaryScreen};
        const std::vector<Rect> both{PrimaryScreen, SecondScreen};
        return {
            {"one display", true, 1, false, primary},
            {"two displays", true, 2, false, both},
            {"switched off", false, 1, false, primary},
            {"saved on two", true, 1, false, both},
            {"window's screen only", true, 1, false, {}},
            {"two and wake", true, 2, true, both},
            {"wake without display", false, 2, true, both},
            {"one and wake", true, 1, true, primary},
            {"other second screen", true, 2, false, {PrimaryScreen, OtherScreen}},
            {"never saved", true, 1, true, {}, false},
        };
    }

    InjectedSleepClock clock;
    std::unique_ptr<ZRLayoutAutoTrigger> trigger;
    QStringList applied;
    SimWindow* window = nullptr;
};

TEST_F(LayoutAutoTriggerTest, LayoutsApplyByTheirSwitchesCountAndScreens) {
    struct Case {
        const char* what;
        bool ignoringScreenFrames;
        std::function<void()> event;
        QStringList expected;
    };
    const auto removeSecond = [&] { desktop.removeScreen(secondScreen); };
    const auto settle = [] { RunLoop::main().advance(ZRLayoutAutoTrigger::SettleDelay + 0.1); };
    const Case cases[] = {
        {"the second display removed",
         false,
         removeSecond,
         {"one display", "window's screen only", "one and wake"}},
        {"the same, ignoring screen frames",
         true,
         removeSecond,
         {"one display", "saved on two", "window's screen only", "one and wake"}},
        {"the second display removed and back again before the displays settled",
         false,
         [&] {
             removeSecond();
             RunLoop::main().advance(ZRLayoutAutoTrigger::SettleDelay / 2);
             secondScreen = desktop.addScreen(SecondScreen);
         },
         {}},
        {"the second display back after the first had settled without it",
         false,
         [&] {
             removeSecond();
             settle();
             applied.clear();
             secondScreen = desktop.addScreen(SecondScreen);
         },
         {"two displays", "two and wake"}},
        {"the second display resized to the one a layout was saved on",
         false,
         [&] { desktop.setScreenFrame(secondScreen, OtherScreen); },
         {"other second screen"}},
        {"a wake told by the clock", false, [&] { clock.suspended += 3600; }, {"two and wake"}},
        {"a jump of the clock too small for a sleep",
         false,
         [&] { clock.suspended += ZRLayoutAutoTrigger::SleepThreshold / 2; },
         {}},
        {"a wake told by the desktop and the clock",
         false,
         [&] {
             clock.suspended += 3600;
             desktop.workspace().simulateWake();
         },
         {"two and wake"}},
        {"a wake with the second display gone",
         false,
         [&] {
             clock.suspended += 3600;
             removeSecond();
         },
         {"one display", "window's screen only", "one and wake"}},
    };
    for (const Case& c : cases) {
        set(QString::fromUtf16(ZRAutoTriggerSnapshotsIgnoringScreenFramesUserDefaultName),
            c.ignoringScreenFrames);
        if (desktop.screens().screens().size() < 2)
            secondScreen = desktop.addScreen(SecondScreen);
        desktop.setScreenFrame(secondScreen, SecondScreen);
        applied.clear();
        start(layouts());
        QStringList atLaunch{"two displays", "two and wake"};
        if (c.ignoringScreenFrames)
            atLaunch << "other second screen";
        EXPECT_EQ(applied, atLaunch) << c.what << ": the launch";
        applied.clear();

        c.event();
        // Long enough for the clock to be looked at, and for what it found to settle.
        RunLoop::main().advance(ZRLayoutAutoTrigger::WakeCheckInterval + ZRLayoutAutoTrigger::SettleDelay +
                                0.1);
        EXPECT_EQ(applied, c.expected) << c.what;
        trigger.reset();
    }
    EXPECT_EQ(beeps, 0) << "a layout never saved stays silent";
    EXPECT_TRUE(logged(QStringLiteral("layout \"saved on two\" does not apply by itself: it was saved on "
                                      "other screens than those there are now")));
}

TEST_F(LayoutAutoTriggerTest, QuickChangesApplyOnceWhenTheDisplaysSettle) {
    start(layouts());
    applied.clear();
    const double step = ZRLayoutAutoTrigger::SettleDelay * 0.75;
    desktop.removeScreen(secondScreen);
    RunLoop::main().advance(step);
    secondScreen = desktop.addScreen(SecondScreen);
    RunLoop::main().advance(step);
    desktop.removeScreen(secondScreen);
    RunLoop::main().advance(step);
    EXPECT_TRUE(applied.isEmpty()) << "the displays have not settled yet";
    RunLoop::main().advance(step);
    EXPECT_EQ(applied, QStringList({"one display", "window's screen only", "one and wake"}));
    RunLoop::main().advance(ZRLayoutAutoTrigger::WakeCheckInterval * 3);
    EXPECT_EQ(applied.size(), 3) << "once per change";
}

TEST_F(LayoutAutoTriggerTest, AnAppliedLayoutMovesItsWindowAndSaysWhy) {
    start({{"Desk", true, 1, true, {PrimaryScreen}}});
    EXPECT_TRUE(applied.isEmpty()) << "two displays at launch";
    EXPECT_EQ(window->frame(), Rect(300, 300, 500, 300));

    desktop.removeScreen(secondScreen);
    RunLoop::main().advance(ZRLayoutAutoTrigger::SettleDelay + 0.1);
    EXPECT_EQ(window->frame(), Rect(100, 900 - 200 - 480, 640, 480));
    EXPECT_TRUE(
        logged(QStringLiteral("layout \"Desk\" applies by itself: the displays changed to 1 display")));

    window->setFrame(Rect(300, 300, 500, 300));
    clock.suspended += 600;
    RunLoop::main().advance(ZRLayoutAutoTrigger::WakeCheckInterval + ZRLayoutAutoTrigger::SettleDelay + 0.1);
    EXPECT_EQ(window->frame(), Rect(100, 900 - 200 - 480, 640, 480));
    EXPECT_TRUE(logged(QStringLiteral("layout \"Desk\" applies by itself: the machine woke with 1 display")));
    EXPECT_EQ(beeps, 0);
}

} // namespace
