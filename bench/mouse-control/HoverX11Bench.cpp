// Hover on a real X server: XTest moves the pointer at 125 Hz for 2 s while the hover keys are held over an
// xterm, and the whole program's mouse control makes the xterm follow. Reported: the requests the worker
// ran (never two at once), how long each took, how far in time the window trailed each motion, and the
// retries. Run without a display, it starts a private Xvfb with openbox for itself.

#include "MouseControlContext.h"
#include "bench/PrivateDisplay.h"
#include "mouse-control/ZRHover.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/Accessibility.h"
#include "platform/EventStream.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/x11/X11FakeInput.h"
#include "platform/x11/X11Platform.h"
#include "window-access/WindowElements.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

namespace D = ZRMouseControlDefault;

constexpr int Motions = 250;
constexpr int MotionMilliseconds = 8; // 125 Hz
constexpr int WaitMilliseconds = 10000;
constexpr double MoveRequestGoal = 1.5e-3;
constexpr double ResizeRequestGoal = 4e-3;
const Point Grab(100, 50); // from the xterm's top left

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Runs the event loop for a while; a loop that has fallen behind its schedule (a negative wait) looks once.
void spinFor(int milliseconds) {
    QCoreApplication::processEvents();
    if (milliseconds <= 0)
        return;
    QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, static_cast<int>(deadline.remainingTime()));
}

QByteArray run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(WaitMilliseconds);
    return process.readAllStandardOutput();
}

double percentile(std::vector<double> values, double fraction) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<std::size_t>(fraction * values.size()))];
}

// The display, the desktop, an xterm, and mouse control with hover on; stickiness off, so the window's
// frame tells the pointer's offset exactly.
struct Setup {
    std::unique_ptr<PrivateDisplay> display;
    QTemporaryDir home;
    // The settings the parts are handed.
    std::unique_ptr<UserDefaults> store;
    UserDefaults& settings() const { return *store; }
    std::unique_ptr<QProcess> xterm;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<X11FakeInput> input;
    // Mouse control turns the desktop's own tiling off through them.
    std::optional<ZRSystemWindowSettings> windowSettings;
    std::optional<ZRSystemWindowSettings::Installation> installedWindowSettings;
    std::unique_ptr<ZRMouseController> controller;
    AXElementRef window;
    Rect start;

    bool prepare() {
        if (!PrivateDisplay::startWhereThereIsNone(display, QStringLiteral(SKAF_X11_DISPLAY_SCRIPT)))
            return false;
        QString error;
        platform = createX11Platform(&error);
        input = X11FakeInput::open(&error);
        if (!platform || !input) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
        // A run that was cut short leaves its keys down.
        for (const KeyCode key : {Key::Control, Key::Option, Key::Command})
            input->key(key, false);
        Platform::setCurrent(platform.get());
        store = std::make_unique<UserDefaults>(home.filePath(QStringLiteral("Settings.plist")),
                                               &platform->systemPreferences());
        const QString title = QStringLiteral("skaf-hover-bench-%1").arg(QCoreApplication::applicationPid());
        xterm = std::make_unique<QProcess>();
        xterm->start(QStringLiteral("xterm"), {QStringLiteral("-geometry"), QStringLiteral("60x20+200+150"),
                                               QStringLiteral("-T"), title});
        run(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"), title});
        spinFor(300);
        window = ZRWindowForWindowListEntry(Point(300, 250), nullptr, false);
        const auto frame = ZRCopyWindowFrame(window, false);
        if (!frame) {
            std::fprintf(stderr, "the xterm did not appear\n");
            return false;
        }
        start = *frame;

        windowSettings.emplace(settings(), *platform);
        installedWindowSettings.emplace(*windowSettings);
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        UserDefaults& defaults = settings();
        controller->registerDefaults(defaults);
        defaults.setBool(true, D::Hover);
        for (const QString& key :
             {D::HoverStickinessEdges, D::HoverStickinessCenters, D::HoverStickinessOriginalSize})
            defaults.setBool(false, key);
        controller->updateFeatureFlagsAndTap();
        return true;
    }

    ~Setup() {
        controller.reset();
        installedWindowSettings.reset();
        windowSettings.reset();
        window.reset();
        if (xterm) {
            xterm->kill();
            xterm->waitForFinished(WaitMilliseconds);
        }
        Platform::setCurrent(nullptr);
        input.reset();
        platform.reset();
        display.reset();
    }
};

struct Motion {
    double time;
    Point offset;
};

// One gesture: the keys held, the pointer moved by the step at every motion, the keys let go.
void gesture(benchmark::State& state, Setup& s, ZRHoverMode mode, Point step) {
    s.window->setAttributeValue(AX::Position, s.start.origin);
    s.window->setAttributeValue(AX::SizeAttribute, s.start.size);
    const Point from(s.start.x() + Grab.x, s.start.y() + Grab.y);
    s.input->movePointer(from);
    spinFor(100);

    std::vector<ZRHover::Request> requests;
    auto& hover = static_cast<ZRHover&>(s.controller->hover());
    hover.setRequestObserver([&](const ZRHover::Request& request) { requests.push_back(request); });
    std::vector<KeyCode> keys{Key::Control, Key::Option};
    if (mode == ZRHoverModeResize)
        keys.push_back(Key::Command);
    for (const KeyCode key : keys)
        s.input->key(key, true);
    spinFor(50);

    // When each motion reached the program, apart from what hover made of it.
    std::vector<Motion> arrivals;
    const auto tap = s.platform->eventStream().install(
        tapEventMaskBit(TapEventType::MouseMoved), [&](const TapEvent& event) {
            arrivals.push_back(
                {steadySeconds(), Point(event.location.x - from.x, event.location.y - from.y)});
        });
    std::vector<Motion> motions;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 1; i <= Motions; ++i) {
            spinFor(static_cast<int>(i * MotionMilliseconds - clock.elapsed()));
            const Point offset(std::round(i * step.x), std::round(i * step.y));
            s.input->movePointer(Point(from.x + offset.x, from.y + offset.y));
            motions.push_back({steadySeconds(), offset});
        }
        spinFor(static_cast<int>(4 * ZRHover::RetryDelay * 1000));
    }
    for (const KeyCode key : keys)
        s.input->key(key, false);
    spinFor(50);
    hover.setRequestObserver(nullptr);
    const Rect end = ZRCopyWindowFrame(s.window, false).value_or(Rect());

    // Requests one at a time; the time each took; when the window first reached each motion's offset.
    int overlaps = 0;
    int retries = 0;
    std::vector<double> seconds;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        overlaps += i > 0 && requests[i].began < requests[i - 1].ended;
        retries += requests[i].retry;
        if (requests[i].set)
            seconds.push_back(requests[i].ended - requests[i].began);
    }
    const auto reached = [&](const Rect& frame, const Point& offset) {
        return mode == ZRHoverModeMove
                   ? frame.x() - s.start.x() >= offset.x && frame.y() - s.start.y() >= offset.y
                   : frame.width() - s.start.width() >= offset.x;
    };
    std::vector<double> deliveries;
    for (const Motion& motion : motions) {
        const auto arrival = std::find_if(arrivals.begin(), arrivals.end(), [&](const Motion& a) {
            return a.time >= motion.time && a.offset.x >= motion.offset.x && a.offset.y >= motion.offset.y;
        });
        if (arrival != arrivals.end())
            deliveries.push_back(arrival->time - motion.time);
    }
    std::vector<double> lags;
    int neverReached = 0;
    for (const Motion& motion : motions) {
        const auto request = std::find_if(requests.begin(), requests.end(), [&](const ZRHover::Request& r) {
            return r.set && r.ended >= motion.time && reached(r.frame, motion.offset);
        });
        if (request == requests.end())
            ++neverReached;
        else
            lags.push_back(request->ended - motion.time);
    }

    const double median = percentile(seconds, 0.5);
    const double goal = mode == ZRHoverModeMove ? MoveRequestGoal : ResizeRequestGoal;
    const Point total = motions.empty() ? Point() : motions.back().offset;
    const bool exact = mode == ZRHoverModeMove
                           ? end.origin == Point(s.start.x() + total.x, s.start.y() + total.y)
                           : std::abs(end.width() - s.start.width() - total.x) < 10;
    state.counters["requests"] = static_cast<double>(requests.size());
    state.counters["overlaps"] = overlaps;
    state.counters["retries"] = retries;
    state.counters["median_ms"] = median * 1000;
    state.counters["lag_p95_ms"] = percentile(lags, 0.95) * 1000;
    std::printf("\n%s: %zu motions, %zu requests (%d sent by a retry), %d overlapping\n",
                mode == ZRHoverModeMove ? "move" : "resize", motions.size(), requests.size(), retries,
                overlaps);
    std::printf(
        "  worker request: median %.2f ms, p90 %.2f ms, max %.2f ms (goal: median at most %.1f ms%s)\n",
        median * 1000, percentile(seconds, 0.9) * 1000, percentile(seconds, 1.0) * 1000, goal * 1000,
        median <= goal ? "" : ", MISSED");
    std::printf("  lag behind the pointer: p50 %.2f ms, p90 %.2f ms, p95 %.2f ms, p99 %.2f ms, max %.2f ms; "
                "%d motions never reached\n",
                percentile(lags, 0.5) * 1000, percentile(lags, 0.9) * 1000, percentile(lags, 0.95) * 1000,
                percentile(lags, 0.99) * 1000, percentile(lags, 1.0) * 1000, neverReached);
    std::printf("  motion to the tap: p50 %.2f ms, p95 %.2f ms, max %.2f ms (%zu of %zu motions arrived)\n",
                percentile(deliveries, 0.5) * 1000, percentile(deliveries, 0.95) * 1000,
                percentile(deliveries, 1.0) * 1000, arrivals.size(), motions.size());
    const double lagGoal = median + ZRHover::RetryDelay;
    std::printf("  lag p95 / (median request + retry delay): %.2f (goal: at most 1)\n",
                percentile(lags, 0.95) / lagGoal);
    std::printf("  final frame %s, the pointer moved by %s: %s\n", qPrintable(stringFromRect(end)),
                qPrintable(stringFromPoint(total)),
                exact ? (mode == ZRHoverModeMove ? "exact" : "within a cell") : "OFF");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    Setup s;
    if (!s.prepare())
        return 1;
    const auto measure = [&s](const char* name, ZRHoverMode mode, Point step) {
        benchmark::RegisterBenchmark(
            name, [&s, mode, step](benchmark::State& state) { gesture(state, s, mode, step); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    };
    measure("BM_HoverMoveOverXterm", ZRHoverModeMove, Point(1, 0.5));
    measure("BM_HoverResizeOverXterm", ZRHoverModeResize, Point(1, 0));
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
