// Our frame setting side by side with xdotool and wmctrl on one Xvfb window, and the time from an
// XTest motion to the event stream's callback. Run without a display, it starts a private Xvfb
// with openbox for itself.
#include "platform/Accessibility.h"
#include "platform/EventStream.h"
#include "platform/x11/X11FakeInput.h"
#include "platform/x11/X11Platform.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>

namespace {

// One display frame at 60 Hz.
constexpr double FrameSeconds = 1.0 / 60;
constexpr double FrameSettingGoal = 5.0;
constexpr int WaitMilliseconds = 10000;

struct Setup {
    std::unique_ptr<QTemporaryDir> displayState;
    std::unique_ptr<QProcess> client;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<X11FakeInput> input;
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
        s.displayState = std::make_unique<QTemporaryDir>();
        const QString state = s.displayState->path();
        QProcess start;
        start.start(QStringLiteral(SKAF_X11_DISPLAY_SCRIPT), {QStringLiteral("start"), state});
        if (!start.waitForFinished(WaitMilliseconds) || start.exitCode() != 0) {
            std::fprintf(stderr, "cannot start a private display: %s\n",
                         start.readAllStandardError().constData());
            return false;
        }
        QFile file(state + QStringLiteral("/display"));
        if (!file.open(QIODevice::ReadOnly))
            return false;
        qputenv("DISPLAY", file.readAll().trimmed());
    }
    QString error;
    s.platform = createX11Platform(&error);
    s.input = X11FakeInput::open(&error);
    if (!s.platform || !s.input) {
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
    s.platform.reset();
    if (s.displayState)
        run(QStringLiteral(SKAF_X11_DISPLAY_SCRIPT), {QStringLiteral("stop"), s.displayState->path()});
}

// Alternates between two places across all runs, so that every request really moves something.
std::int64_t turns = 0;
Point place() {
    return ++turns % 2 ? Point{300, 200} : Point{100, 100};
}

void BM_FrameSettingInProcess(benchmark::State& state) {
    for (auto _ : state)
        if (setup->window->setAttributeValue(AX::Position, place()) != AXError::Success)
            state.SkipWithError("the window did not take the frame");
}
BENCHMARK(BM_FrameSettingInProcess)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_XdotoolWindowmove(benchmark::State& state) {
    for (auto _ : state) {
        const Point p = place();
        run(QStringLiteral("xdotool"),
            {QStringLiteral("windowmove"), QStringLiteral("--sync"), QString::number(setup->windowId),
             QString::number(p.x), QString::number(p.y)});
    }
}
BENCHMARK(BM_XdotoolWindowmove)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WmctrlMove(benchmark::State& state) {
    for (auto _ : state) {
        const Point p = place();
        run(QStringLiteral("wmctrl"),
            {QStringLiteral("-i"), QStringLiteral("-r"), QString::number(setup->windowId),
             QStringLiteral("-e"), QStringLiteral("0,%1,%2,-1,-1").arg(p.x).arg(p.y)});
    }
}
BENCHMARK(BM_WmctrlMove)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MotionToCallback(benchmark::State& state) {
    Point last;
    bool seen = false;
    auto tap = setup->platform->eventStream().install(tapEventMaskBit(TapEventType::MouseMoved),
                                                      [&](const TapEvent& e) {
                                                          last = e.location;
                                                          seen = true;
                                                      });
    if (!tap) {
        state.SkipWithError("no event stream");
        return;
    }
    for (auto _ : state) {
        const Point target{place().x + 400, 500};
        seen = false;
        setup->input->movePointer(target);
        QDeadlineTimer deadline(WaitMilliseconds);
        while (!(seen && last == target) && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}
BENCHMARK(BM_MotionToCallback)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A burst of motions that reaches the program while it is busy, as a fast mouse makes them: the
// stream's work for the burst, from the first motion to the callback of the last.
void BM_MotionBurstToCallback(benchmark::State& state) {
    constexpr int BurstLength = 10;
    Point last;
    auto tap = setup->platform->eventStream().install(tapEventMaskBit(TapEventType::MouseMoved),
                                                      [&](const TapEvent& e) { last = e.location; });
    if (!tap) {
        state.SkipWithError("no event stream");
        return;
    }
    for (auto _ : state) {
        const double y = place().y + 300;
        for (int step = 1; step <= BurstLength; ++step)
            setup->input->movePointer({400.0 + step, y});
        const Point target{400.0 + BurstLength, y};
        QDeadlineTimer deadline(WaitMilliseconds);
        while (last != target && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}
BENCHMARK(BM_MotionBurstToCallback)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Keeps each benchmark's mean time per iteration for the ratios at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred)
                seconds[run.run_name.function_name] = run.real_accumulated_time / double(run.iterations);
    }
    std::map<std::string, double> seconds;
};

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
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto& t = reporter.seconds;
    const double ours = t["BM_FrameSettingInProcess"];
    if (ours > 0) {
        for (const char* tool : {"BM_XdotoolWindowmove", "BM_WmctrlMove"})
            if (t[tool] > 0)
                std::printf("%s / in-process frame setting: %.1fx%s\n", tool, t[tool] / ours,
                            std::string(tool) == "BM_XdotoolWindowmove" && t[tool] / ours < FrameSettingGoal
                                ? " (goal: at least 5x)"
                                : "");
    }
    if (const double motion = t["BM_MotionToCallback"]; motion > 0)
        std::printf("motion to callback: %.3f ms, %.1f%% of a display frame\n", motion * 1000,
                    100 * motion / FrameSeconds);
    teardown(s);
    benchmark::Shutdown();
    return 0;
}
