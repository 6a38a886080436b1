#include "platform/PlatformLog.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/QtProcesses.h"
#include "platform/foundation/RunLoop.h"

#include "TestApplication.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QStandardPaths>

#include <atomic>
#include <future>
#include <optional>
#include <string>
#include <thread>

namespace {

TEST(NotificationCenter, DeliversByNameAndSenderUntilTheConnectionEnds) {
    NotificationCenter center;
    int fromA = 0, anyName = 0;
    const int senderA = 0, senderB = 0;
    QString seenObject;
    auto byName = center.addObserver(QStringLiteral("Flags Changed"), &senderA, [&](const Notification& n) {
        ++fromA;
        seenObject = std::any_cast<QString>(n.object);
    });
    auto all = center.addObserver(QString(), nullptr, [&](const Notification&) { ++anyName; });

    center.post(QStringLiteral("Flags Changed"), &senderA, QStringLiteral("payload"));
    center.post(QStringLiteral("Flags Changed"), &senderB, QStringLiteral("other sender"));
    center.post(QStringLiteral("Other"), &senderA, QString());
    EXPECT_EQ(fromA, 1);
    EXPECT_EQ(seenObject, QStringLiteral("payload"));
    EXPECT_EQ(anyName, 3);

    byName.disconnect();
    center.post(QStringLiteral("Flags Changed"), &senderA, QString());
    EXPECT_EQ(fromA, 1);
}

TEST(DispatchQueue, ManualModeRunsTasksInOrderWhenDrained) {
    RunLoop::main().useManualClock();
    DispatchQueue::setManualForTesting(true);
    std::vector<int> order;
    DispatchQueue::global(QueuePriority::Background).async([&] { order.push_back(1); });
    DispatchQueue::global(QueuePriority::High).async([&] {
        order.push_back(2);
        DispatchQueue::global(QueuePriority::Default).async([&] { order.push_back(4); });
        // Results go back to the main thread through the run loop.
        RunLoop::main().performOnMainThread([&] { order.push_back(5); });
    });
    DispatchQueue::global(QueuePriority::Default).async([&] { order.push_back(3); });
    EXPECT_TRUE(order.empty());

    EXPECT_EQ(DispatchQueue::drainForTesting(), 4);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4}));
    RunLoop::main().runPending();
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4, 5}));
    DispatchQueue::setManualForTesting(false);
}

TEST(DispatchQueue, WorkersRunOffTheMainThread) {
    DispatchQueue::setManualForTesting(false);
    const auto mainThread = std::this_thread::get_id();
    std::atomic<int> offMain{0};
    for (auto priority : {QueuePriority::High, QueuePriority::Default, QueuePriority::Background}) {
        DispatchQueue::global(priority).async([&] {
            if (std::this_thread::get_id() != mainThread)
                ++offMain;
        });
    }
    DispatchQueue::waitForIdle();
    EXPECT_EQ(offMain, 3);
}

// A task's hand-overs to the main thread wait for its end, in order and on its thread, on workers and when
// drained alike; outside a task nothing is put off.
TEST(DispatchQueue, CallsPutOffToTheEndOfATaskRunAfterIt) {
    EXPECT_FALSE(DispatchQueue::atEndOfCurrentTask([] {})) << "no task runs on the main thread";
    for (const bool manual : {true, false}) {
        SCOPED_TRACE(manual ? "drained" : "on a worker");
        DispatchQueue::setManualForTesting(manual);
        std::vector<std::string> order;
        std::thread::id taskThread, endThread;
        DispatchQueue::global(QueuePriority::High).async([&] {
            taskThread = std::this_thread::get_id();
            EXPECT_TRUE(DispatchQueue::atEndOfCurrentTask([&] { order.push_back("first put off"); }));
            EXPECT_TRUE(DispatchQueue::atEndOfCurrentTask([&] {
                order.push_back("second put off");
                endThread = std::this_thread::get_id();
            }));
            order.push_back("task");
        });
        if (manual) {
            EXPECT_EQ(DispatchQueue::drainForTesting(), 1);
        } else {
            DispatchQueue::waitForIdle();
        }
        EXPECT_EQ(order, (std::vector<std::string>{"task", "first put off", "second put off"}));
        EXPECT_EQ(endThread, taskThread);
        EXPECT_FALSE(DispatchQueue::atEndOfCurrentTask([] {}));
    }
    DispatchQueue::setManualForTesting(false);
}

class ProcessesTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication<QCoreApplication>();
        setPlatformLogSink([this](const QString& line) { logged.append(line); });
    }
    void TearDown() override { setPlatformLogSink({}); }

    static QString shell() { return QStandardPaths::findExecutable(QStringLiteral("sh")); }

    QtProcesses processes;
    QStringList logged;
};

TEST_F(ProcessesTest, RunReportsExitCodesCrashesAndTimeOuts) {
    struct Case {
        const char* name;
        QString program;
        QStringList arguments;
        double timeout;
        bool started, timedOut, crashed;
        int exitCode;
        QByteArray output;
    };
    const QString sh = shell();
    const std::vector<Case> cases = {
        {"succeeds",
         sh,
         {QStringLiteral("-c"), QStringLiteral("printf 'out'; printf 'err' >&2")},
         5,
         true,
         false,
         false,
         0,
         "out"},
        // Arguments reach the child as they are, with no shell in between.
        {"arguments are not expanded",
         QStandardPaths::findExecutable(QStringLiteral("echo")),
         {QStringLiteral("$HOME; *")},
         5,
         true,
         false,
         false,
         0,
         "$HOME; *\n"},
        {"exit code", sh, {QStringLiteral("-c"), QStringLiteral("exit 3")}, 5, true, false, false, 3, ""},
        {"dies", sh, {QStringLiteral("-c"), QStringLiteral("kill -KILL $$")}, 5, true, false, true, -1, ""},
        {"hangs",
         sh,
         {QStringLiteral("-c"), QStringLiteral("printf 'partial'; exec sleep 30")},
         0.3,
         true,
         true,
         false,
         -1,
         "partial"},
        {"missing program", QStringLiteral("/nonexistent/program"), {}, 5, false, false, false, -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QElapsedTimer clock;
        clock.start();
        const ProcessResult result = processes.run(c.program, c.arguments, c.timeout);
        EXPECT_LT(clock.elapsed(), 10000);
        EXPECT_EQ(result.started, c.started);
        EXPECT_EQ(result.timedOut, c.timedOut);
        EXPECT_EQ(result.crashed, c.crashed);
        EXPECT_EQ(result.exitCode, c.exitCode);
        EXPECT_EQ(result.standardOutput, c.output);
        EXPECT_EQ(result.succeeded(), c.started && !c.timedOut && !c.crashed && c.exitCode == 0);
    }
    EXPECT_EQ(processes.run(sh, {QStringLiteral("-c"), QStringLiteral("printf 'err' >&2")}, 5).standardError,
              "err");
    // Failing to start, hanging and dying are logged; a plain exit code is not.
    EXPECT_EQ(logged.size(), 3) << logged.join(QLatin1Char('\n')).toStdString();
}

TEST_F(ProcessesTest, StreamingDeliversLinesThenTheEndOnTheMainThread) {
    const auto mainThread = std::this_thread::get_id();
    QList<QByteArray> lines;
    std::optional<ProcessResult> finished;
    bool allOnMain = true;
    auto process = processes.start(
        shell(),
        {QStringLiteral("-c"), QStringLiteral("printf 'one\\ntwo\\n'; sleep 0.1; printf 'three'; exit 4")},
        [&](const QByteArray& line) {
            lines.append(line);
            allOnMain = allOnMain && std::this_thread::get_id() == mainThread;
        },
        [&](const ProcessResult& result) { finished = result; });
    ASSERT_NE(process, nullptr);

    QElapsedTimer clock;
    clock.start();
    while (!finished && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    ASSERT_TRUE(finished.has_value());
    EXPECT_EQ(lines, (QList<QByteArray>{"one", "two", "three"}));
    EXPECT_TRUE(allOnMain);
    EXPECT_EQ(finished->exitCode, 4);
    EXPECT_FALSE(process->isRunning());

    EXPECT_EQ(processes.start(QStringLiteral("/nonexistent/program"), {}, {}, {}), nullptr);
}

TEST_F(ProcessesTest, EndingAStreamKillsTheChildAndCallsNothingMore) {
    int calls = 0;
    auto process = processes.start(
        shell(), {QStringLiteral("-c"), QStringLiteral("while :; do echo tick; sleep 0.01; done")},
        [&](const QByteArray&) { ++calls; }, [&](const ProcessResult&) { ++calls; });
    ASSERT_NE(process, nullptr);
    QElapsedTimer clock;
    clock.start();
    while (calls == 0 && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_TRUE(process->isRunning());
    process.reset();
    const int callsAtEnd = calls;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(calls, callsAtEnd);
}

} // namespace

namespace {

// Reads the program on a thread of its own, as the program's workers do.
struct ReadOnWorker {
    QList<QByteArray> pieces;
    ProcessResult result;
    bool allOnWorker = true;
    qint64 milliseconds = 0;

    ReadOnWorker(QtProcesses& processes, const QStringList& script, double silence,
                 std::function<bool(const QList<QByteArray>&)> goOn = {}) {
        // Qt starts a child as vfork does, sharing the starting thread's memory until the child runs the
        // program; ThreadSanitizer then no longer sees the thread's end come before the join. The worker
        // hands its results over through a promise, which orders them for the sanitizer as for the program.
        std::promise<void> handedOver;
        std::thread worker([&] {
            const auto self = std::this_thread::get_id();
            QElapsedTimer clock;
            clock.start();
            result = processes.read(
                QStandardPaths::findExecutable(QStringLiteral("sh")), script,
                [&](const QByteArray& piece) {
                    pieces << piece;
                    allOnWorker = allOnWorker && std::this_thread::get_id() == self;
                    return !goOn || goOn(pieces);
                },
                silence);
            milliseconds = clock.elapsed();
            handedOver.set_value();
        });
        handedOver.get_future().get();
        worker.join();
    }
    QByteArray joined() const { return pieces.join(); }
};

} // namespace

TEST_F(ProcessesTest, ReadingDeliversOutputInOrderToTheEndOnTheAskingThread) {
    // A child that writes a lot and ends at once still delivers all of it.
    const ReadOnWorker burst(processes, {"-c", "head -c 300000 /dev/zero | tr '\\0' x; exit 2"}, 5);
    EXPECT_TRUE(burst.allOnWorker);
    EXPECT_EQ(burst.joined(), QByteArray(300000, 'x'));
    EXPECT_EQ(burst.result.exitCode, 2);

    const ReadOnWorker paced(processes, {"-c", "printf a; sleep 0.05; printf b; sleep 0.05; printf c"}, 5);
    EXPECT_EQ(paced.joined(), "abc");
    EXPECT_GE(paced.pieces.size(), 2);
    EXPECT_TRUE(paced.result.succeeded());

    // The reader's "no more" ends an endless child.
    const ReadOnWorker stopped(processes, {"-c", "while :; do echo tick; sleep 0.01; done"}, 5,
                               [](const QList<QByteArray>& pieces) { return pieces.size() < 3; });
    EXPECT_EQ(stopped.pieces.size(), 3);
    EXPECT_TRUE(stopped.result.stopped);
    EXPECT_LT(stopped.milliseconds, 5000);

    // Only silence times a child out: one that keeps writing may take longer than the time-out.
    const ReadOnWorker silent(processes, {"-c", "printf x; exec sleep 30"}, 0.3);
    EXPECT_EQ(silent.joined(), "x");
    EXPECT_TRUE(silent.result.timedOut);
    EXPECT_LT(silent.milliseconds, 5000);
    const ReadOnWorker busy(processes, {"-c", "for i in 1 2 3 4 5 6; do printf .; sleep 0.1; done"}, 0.3);
    EXPECT_EQ(busy.joined(), "......");
    EXPECT_FALSE(busy.result.timedOut);
}
