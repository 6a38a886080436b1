#include "platform/foundation/RunLoop.h"

#include "TestApplication.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

class RunLoopTest : public ::testing::Test {
protected:
    void SetUp() override { loop().useManualClock(100); }
    void TearDown() override { loop().useManualClock(); }
    static RunLoop& loop() { return RunLoop::main(); }

    // Records what ran and when, on the loop's own clock.
    std::vector<std::pair<std::string, double>> log;
    RunLoop::Task record(std::string name) {
        return [this, name] { log.emplace_back(name, loop().now()); };
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : log)
            out.push_back(entry.first);
        return out;
    }
};

TEST_F(RunLoopTest, TimersRunInDueOrderEachAtItsOwnTime) {
    loop().schedule(0.3, record("c"));
    loop().schedule(0.1, record("a"));
    loop().schedule(0.3, record("d")); // same time as "c": scheduling order decides
    loop().schedule(0.2, [this] {
        record("b")();
        // Falls inside the advanced window, so it runs too, at its own time.
        loop().schedule(0.05, record("b+"));
    });
    loop().schedule(0.5, record("late"));

    loop().advance(0.3);

    using Entry = std::pair<std::string, double>;
    const std::vector<Entry> expected = {
        {"a", 100.1}, {"b", 100.2}, {"b+", 100.25}, {"c", 100.3}, {"d", 100.3}};
    ASSERT_EQ(log.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(log[i].first, expected[i].first);
        EXPECT_NEAR(log[i].second, expected[i].second, 1e-9) << log[i].first;
    }
    EXPECT_NEAR(loop().now(), 100.3, 1e-9);
    EXPECT_EQ(loop().pendingTimerCount(), 1u);
}

TEST_F(RunLoopTest, CancellingPerformsByTargetSelectorAndArgument) {
    int targetA = 0, targetB = 0, argument1 = 0, argument2 = 0;
    // The selector is compared by its text, not by the pointer that names it.
    const std::string sameSelector = "update";

    struct Case {
        const char* name;
        std::function<void()> cancel;
        std::vector<std::string> survivors;
    };
    const std::vector<Case> cases = {
        {"nothing", [] {}, {"A.update(1)", "A.update(2)", "A.other(1)", "B.update(1)"}},
        {"by target", [&] { loop().cancelPreviousPerformRequests(&targetA); }, {"B.update(1)"}},
        {"by target, selector and argument",
         [&] { loop().cancelPreviousPerformRequests(&targetA, sameSelector.c_str(), &argument1); },
         {"A.update(2)", "A.other(1)", "B.update(1)"}},
        {"argument must match",
         [&] { loop().cancelPreviousPerformRequests(&targetA, "update", nullptr); },
         {"A.update(1)", "A.update(2)", "A.other(1)", "B.update(1)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        loop().perform(&targetA, "update", &argument1, 1, record("A.update(1)"));
        loop().perform(&targetA, "update", &argument2, 1, record("A.update(2)"));
        loop().perform(&targetA, "other", &argument1, 1, record("A.other(1)"));
        loop().perform(&targetB, "update", &argument1, 1, record("B.update(1)"));
        c.cancel();
        loop().advance(1);
        EXPECT_EQ(names(), c.survivors);
        EXPECT_FALSE(loop().hasPendingPerform(&targetA, "update"));
    }
}

TEST_F(RunLoopTest, CancelPreviousRequestsKeepsOnlyTheLatest) {
    int target = 0;
    for (int i = 0; i < 3; ++i) {
        loop().cancelPreviousPerformRequests(&target, "refresh", nullptr);
        loop().perform(&target, "refresh", nullptr, 0.5, record("refresh " + std::to_string(i)));
        loop().advance(0.2);
    }
    EXPECT_TRUE(loop().hasPendingPerform(&target, "refresh"));
    loop().advance(1);
    EXPECT_EQ(names(), std::vector<std::string>{"refresh 2"});
    EXPECT_NEAR(log[0].second, 100.4 + 0.5, 1e-9);
}

TEST_F(RunLoopTest, APendingPerformLivesAsLongAsItsHandle) {
    struct Case {
        const char* name;
        std::function<void()> act;
        std::vector<std::string> ran;
    };
    PendingPerform kept;
    PendingPerforms many;
    const std::vector<Case> cases = {
        {"kept", [&] { kept = loop().performLater(0.5, record("kept")); }, {"kept"}},
        {"dropped", [&] { (void)loop().performLater(0.5, record("dropped")); }, {}},
        {"replaced",
         [&] {
             kept = loop().performLater(0.5, record("first"));
             kept = loop().performLater(0.7, record("second"));
         },
         {"second"}},
        {"moved on",
         [&] {
             PendingPerform local = loop().performLater(0.5, record("moved"));
             kept = std::move(local);
         },
         {"moved"}},
        {"cancelled",
         [&] {
             kept = loop().performLater(0.5, record("cancelled"));
             kept.cancel();
         },
         {}},
        {"a destroyed owner",
         [&] {
             auto owner = std::make_unique<PendingPerform>(loop().performLater(0.5, record("owner")));
             owner.reset();
         },
         {}},
        {"several, each at its time",
         [&] {
             many.add(loop().performLater(0.5, record("one")));
             many.add(loop().performLater(0.2, record("two")));
         },
         {"two", "one"}},
        {"several, cancelled together",
         [&] {
             many.add(loop().performLater(0.5, record("one")));
             many.add(loop().performLater(0.2, record("two")));
             many.cancel();
         },
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        log.clear();
        c.act();
        loop().advance(1);
        EXPECT_EQ(names(), c.ran);
        EXPECT_FALSE(kept.isPending());
        EXPECT_FALSE(many.isPending());
        EXPECT_EQ(loop().pendingTimerCount(), 0u);
    }
}

TEST_F(RunLoopTest, APendingPerformMayReplaceItselfFromItsOwnTask) {
    PendingPerform retry;
    int runs = 0;
    std::function<void()> again = [&] {
        if (++runs < 3)
            retry = loop().performLater(0.1, again);
    };
    retry = loop().performLater(0.1, again);
    EXPECT_TRUE(retry.isPending());
    loop().advance(1);
    EXPECT_EQ(runs, 3);
    EXPECT_FALSE(retry.isPending());
}

TEST_F(RunLoopTest, TasksOfOtherModesWaitForTheirMode) {
    loop().schedule(0.1, record("default"));
    loop().schedule(0.1, record("common"), CommonRunLoopModes);
    loop().schedule(0.2, record("tracking"), EventTrackingRunLoopMode);

    loop().setCurrentMode(EventTrackingRunLoopMode);
    loop().advance(0.5);
    EXPECT_EQ(names(), (std::vector<std::string>{"common", "tracking"}));

    loop().setCurrentMode(DefaultRunLoopMode);
    loop().runPending();
    EXPECT_EQ(names(), (std::vector<std::string>{"common", "tracking", "default"}));
    // It ran late, when its mode came back, as it would on a real loop.
    EXPECT_NEAR(log.back().second, 100.5, 1e-9);
}

TEST_F(RunLoopTest, AfterThisTurnRunsBeforeTheNextTurn) {
    loop().performOnNextTurn([this] {
        record("turn 1")();
        loop().performOnNextTurn(record("turn 2"));
        loop().performAfterThisTurn(record("after turn 1"));
    });
    loop().performOnNextTurn(record("turn 1, second task"));
    loop().runPending();
    EXPECT_EQ(names(), (std::vector<std::string>{"turn 1", "turn 1, second task", "after turn 1", "turn 2"}));
}

TEST_F(RunLoopTest, CancelAndSwitchingClocksDropTimers) {
    const auto kept = loop().schedule(1, record("kept"));
    const auto cancelled = loop().schedule(1, record("cancelled"));
    loop().cancel(cancelled);
    EXPECT_TRUE(loop().isScheduled(kept));
    EXPECT_FALSE(loop().isScheduled(cancelled));

    loop().useManualClock(5);
    EXPECT_EQ(loop().pendingTimerCount(), 0u);
    EXPECT_FALSE(loop().isScheduled(kept));
    loop().advance(10);
    EXPECT_TRUE(log.empty());
}

TEST_F(RunLoopTest, WorkFromOtherThreadsRunsOnTheMainThread) {
    const auto mainThread = std::this_thread::get_id();
    std::thread::id ranOn;
    std::thread worker([&] { loop().performOnMainThread([&] { ranOn = std::this_thread::get_id(); }); });
    worker.join();
    EXPECT_EQ(ranOn, std::thread::id()); // waits for the loop to turn
    loop().runPending();
    EXPECT_EQ(ranOn, mainThread);
}

TEST_F(RunLoopTest, RealClockRunsTimersAndHandedOverWorkOnQtsLoop) {
    testApplication<QCoreApplication>();
    loop().useRealClock();
    const double start = loop().now();
    bool timerRan = false, handedOverRan = false;
    double timerRanAt = 0;
    loop().schedule(0.02, [&] {
        timerRan = true;
        timerRanAt = loop().now();
    });
    std::thread worker([&] { loop().performOnMainThread([&] { handedOverRan = true; }); });
    worker.join();

    QElapsedTimer waited;
    waited.start();
    while (!(timerRan && handedOverRan) && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    EXPECT_TRUE(timerRan);
    EXPECT_TRUE(handedOverRan);
    EXPECT_GE(timerRanAt - start, 0.02);
}

} // namespace
