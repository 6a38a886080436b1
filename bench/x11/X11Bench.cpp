// Our frame setting side by side with the floor (one request and its ConfigureNotify), xdotool and
// wmctrl on one Xvfb window, and the time from an XTest motion to the event stream's callback side
// by side with the raw XInput 2 floor; each pair alternates in one loop, so both meet the same load.
// Run without a display, it starts a private Xvfb with openbox for itself.
#include "bench/PrivateDisplay.h"
#include "bench/Samples.h"
#include "platform/Accessibility.h"
#include "platform/EventStream.h"
#include "platform/x11/X11BareClient.h"
#include "platform/x11/X11FakeInput.h"
#include "platform/x11/X11Platform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <new>

// Allocations of the main thread while counting is on: a delivered motion should make none.
namespace {
thread_local bool countAllocations = false;
std::atomic<long> allocations{0};
} // namespace

void* operator new(std::size_t size) {
    if (countAllocations)
        ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

constexpr int WaitMilliseconds = 10000;
constexpr int FrameRounds = 40;
constexpr int MotionRounds = 600;

struct Setup {
    std::unique_ptr<PrivateDisplay> display;
    std::unique_ptr<QProcess> client;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<X11FakeInput> input;
    std::unique_ptr<X11BareClient> frameFloor;
    std::unique_ptr<X11BareClient> motionFloor;
    AXElementRef window;
    std::uint32_t windowId = 0;
};
Setup* setup = nullptr;

QByteArray run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(WaitMilliseconds);
    return process.readAllStandardOutput();
}

bool spinUntil(const std::function<bool()>& condition) {
    QDeadlineTimer deadline(WaitMilliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

bool displayWorks() {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    QProcess probe;
    probe.start(QStringLiteral("xprop"),
                {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")});
    return probe.waitForFinished(WaitMilliseconds) && probe.exitCode() == 0;
}

bool prepare(Setup& s) {
    if (!displayWorks()) {
        s.display = PrivateDisplay::start(QStringLiteral(SKAF_X11_DISPLAY_SCRIPT));
        if (!s.display)
            return false;
    }
    QString error;
    s.platform = createX11Platform(&error);
    s.input = X11FakeInput::open(&error);
    if (s.input)
        s.frameFloor = X11BareClient::open(&error);
    if (s.frameFloor)
        s.motionFloor = X11BareClient::open(&error);
    if (!s.platform || !s.input || !s.motionFloor || !s.motionFloor->listenToRawMotion()) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    s.client = std::make_unique<QProcess>();
    s.client->start(QStringLiteral("xlogo"),
                    {QStringLiteral("-name"), QStringLiteral("skafbench"), QStringLiteral("-geometry"),
                     QStringLiteral("200x150+100+100")});
    const bool found = spinUntil([&] {
        const QByteArray id =
            run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                            QStringLiteral("--classname"), QStringLiteral("^skafbench$")});
        s.windowId = id.trimmed().split('\n').front().toUInt();
        if (!s.windowId)
            return false;
        s.window = s.platform->accessibility().elementAtPosition({200, 175});
        return s.window && s.window->windowNumber() == s.windowId;
    });
    if (!found)
        std::fprintf(stderr, "the benchmark window did not appear\n");
    return found;
}

void teardown(Setup& s) {
    s.window.reset();
    if (s.client) {
        s.client->kill();
        s.client->waitForFinished(WaitMilliseconds);
    }
    s.input.reset();
    s.frameFloor.reset();
    s.motionFloor.reset();
    s.platform.reset();
    s.display.reset();
}

// Alternates between two places across all runs, so that every request really moves something.
std::int64_t turns = 0;
Point place() {
    return ++turns % 2 ? Point{300, 200} : Point{100, 100};
}

struct Results {
    std::map<std::string, Samples> rows;
    std::map<std::string, std::string> commands;
    double allocationsPerMotion = -1;
};
Results results;

template <class Step> void measure(const std::string& row, Step step) {
    const auto start = Samples::Clock::now();
    step();
    results.rows[row].add(Samples::Clock::now() - start);
}

QStringList command(const std::string& row, const QString& program, const QStringList& arguments) {
    results.commands[row] =
        QString(program + QLatin1Char(' ') + arguments.join(QLatin1Char(' '))).toStdString();
    return arguments;
}

// Each round moves the window once by every way, so that every request really moves it.
void BM_FrameSetting(benchmark::State& state) {
    const QString id = QString::number(setup->windowId);
    for (auto _ : state) {
        measure("ours: confirmed frame set in process", [&] {
            if (setup->window->setAttributeValue(AX::Position, place()) != AXError::Success)
                state.SkipWithError("the window did not take the frame");
        });
        measure("floor: _NET_MOVERESIZE_WINDOW, then its ConfigureNotify", [&] {
            const Point p = place();
            if (!setup->frameFloor->moveResize({{setup->windowId, Rect(p, Size())}}, WaitMilliseconds))
                state.SkipWithError("no ConfigureNotify");
        });
        for (const bool sync : {false, true}) {
            const Point p = place();
            QStringList arguments{QStringLiteral("windowmove"), id, QString::number(p.x),
                                  QString::number(p.y)};
            if (sync)
                arguments.insert(1, QStringLiteral("--sync"));
            const std::string row = sync ? "xdotool windowmove --sync" : "xdotool windowmove";
            measure(row, [&] {
                run(QStringLiteral("xdotool"), command(row, QStringLiteral("xdotool"), arguments));
            });
        }
        const Point p = place();
        measure("wmctrl -e", [&] {
            run(QStringLiteral("wmctrl"),
                command("wmctrl -e", QStringLiteral("wmctrl"),
                        {QStringLiteral("-i"), QStringLiteral("-r"), id, QStringLiteral("-e"),
                         QStringLiteral("0,%1,%2,-1,-1").arg(p.x).arg(p.y)}));
        });
    }
}
BENCHMARK(BM_FrameSetting)->Iterations(FrameRounds)->Unit(benchmark::kMillisecond)->UseRealTime();

// Waits for the callback to have seen the target; a timer wakes the loop now and then, so a lost
// event ends in the deadline rather than in a hang.
bool waitForMotionTo(const Point& target, const Point& last) {
    QDeadlineTimer deadline(WaitMilliseconds);
    while (last != target && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return last == target;
}

void BM_MotionToCallback(benchmark::State& state) {
    Point last;
    auto tap = setup->platform->eventStream().install(tapEventMaskBit(TapEventType::MouseMoved),
                                                      [&](const TapEvent& e) { last = e.location; });
    if (!tap) {
        state.SkipWithError("no event stream");
        return;
    }
    QTimer watchdog;
    watchdog.start(100);
    long counted = 0;
    int round = 0;
    for (auto _ : state) {
        ++round;
        // Two places that differ from each other and from the round before.
        const Point floorTarget{300.0 + round % 200, 400};
        const Point ourTarget{300.0 + round % 200, 600};
        measure("floor: XTest motion to a raw XInput 2 event", [&] {
            setup->input->movePointer(floorTarget);
            if (!setup->motionFloor->waitForRawMotion(WaitMilliseconds))
                state.SkipWithError("no raw motion");
        });
        // The stream heard that motion too; it is delivered before ours is timed.
        waitForMotionTo(floorTarget, last);
        measure("ours: XTest motion to the event stream's callback", [&] {
            const long before = allocations;
            countAllocations = true;
            setup->input->movePointer(ourTarget);
            const bool arrived = waitForMotionTo(ourTarget, last);
            countAllocations = false;
            counted += allocations - before;
            if (!arrived)
                state.SkipWithError("the motion did not arrive");
        });
    }
    results.allocationsPerMotion = double(counted) / std::max(1, round);
}
BENCHMARK(BM_MotionToCallback)->Iterations(MotionRounds)->Unit(benchmark::kMicrosecond)->UseRealTime();

void printRatio(const char* what, const std::string& a, const std::string& b,
                double (Samples::*statistic)() const, const char* goal) {
    const auto x = results.rows.find(a);
    const auto y = results.rows.find(b);
    if (x == results.rows.end() || y == results.rows.end() || (y->second.*statistic)() <= 0)
        return;
    std::printf("%s: %.2fx (goal: %s)\n", what, (x->second.*statistic)() / (y->second.*statistic)(), goal);
}

void printResults() {
    std::printf("\n");
    for (const auto& [row, samples] : results.rows) {
        const auto command = results.commands.find(row);
        samples.print(command == results.commands.end() ? row : row + " [" + command->second + "]");
    }
    const std::string ours = "ours: confirmed frame set in process";
    printRatio("ours / floor, p50", ours, "floor: _NET_MOVERESIZE_WINDOW, then its ConfigureNotify",
               &Samples::p50, "at most 1.3x");
    printRatio("xdotool windowmove / ours, p50", "xdotool windowmove", ours, &Samples::p50, "at least 8x");
    if (results.rows.contains("xdotool windowmove --sync") && results.rows.contains(ours))
        std::printf("xdotool windowmove --sync (mean) / ours (p50): %.1fx (goal: at least 50x)\n",
                    results.rows["xdotool windowmove --sync"].mean() / results.rows[ours].p50());
    printRatio("wmctrl -e / ours, p50", "wmctrl -e", ours, &Samples::p50, "none");
    printRatio("motion: ours / floor, p50", "ours: XTest motion to the event stream's callback",
               "floor: XTest motion to a raw XInput 2 event", &Samples::p50, "at most 1.3x");
    if (results.allocationsPerMotion >= 0)
        std::printf("allocations per delivered motion (operator new, main thread): %.2f (goal: 0)\n",
                    results.allocationsPerMotion);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    Setup s;
    setup = &s;
    if (!prepare(s)) {
        teardown(s);
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    printResults();
    teardown(s);
    benchmark::Shutdown();
    return 0;
}
