// A hot key's action among many windows on a real X server: the left and right halves in turn for an
// xlogo in front of 0, 1,000 and 2,000 other windows that openbox manages. The window manager's lists
// grow with the windows; the action may cost more with them, but no faster than they grow.
// Run without a display, it starts a private Xvfb with openbox for itself:
//   build/bin/skaf_x11_crowd_bench
#include "bench/PrivateDisplay.h"
#include "bench/RatioReporter.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "platform/Platform.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/x11/X11BareClient.h"
#include "platform/x11/X11Platform.h"
#include "tests/support/TestActionStore.h"
#include "window-access/Position.h"
#include "window-access/WindowElements.h"
#include "window-access/WindowObserver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <set>

namespace {

constexpr int WaitMilliseconds = 60000;
constexpr int CrowdSteps[] = {0, 1000, 2000};

QByteArray run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(WaitMilliseconds);
    return process.readAllStandardOutput();
}

// The windows that the window manager manages.
std::set<std::uint32_t> managedWindowList() {
    const QString text = QString::fromUtf8(
        run(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")}));
    std::set<std::uint32_t> windows;
    auto matches = QRegularExpression(QStringLiteral("0x[0-9a-f]+")).globalMatch(text);
    while (matches.hasNext())
        windows.insert(matches.next().captured().toUInt(nullptr, 16));
    return windows;
}

int managedWindows() {
    return int(managedWindowList().size());
}

bool spinUntil(const std::function<bool()>& condition) {
    QDeadlineTimer deadline(WaitMilliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

struct Setup {
    std::unique_ptr<PrivateDisplay> display;
    QTemporaryDir home;
    std::optional<UserDefaults> settings;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<X11BareClient> crowd;
    int crowdSize = 0;
    std::unique_ptr<QProcess> target;
    std::uint32_t targetWindow = 0;
    std::optional<TestActionStore> store;
    std::unique_ptr<ZRActionController> engine;
    std::shared_ptr<ZRAction> halves[2];

    bool prepare() {
        if (!PrivateDisplay::startWhereThereIsNone(display, QStringLiteral(SKAF_X11_DISPLAY_SCRIPT)))
            return false;
        settings.emplace(home.filePath(QStringLiteral("Settings.plist")));
        QString error;
        platform = createX11Platform(&error);
        crowd = X11BareClient::open(&error);
        if (!platform || !crowd) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
        Platform::setCurrent(platform.get());
        target = std::make_unique<QProcess>();
        // The list before the start: a busy machine may have the xlogo managed before a list read after it.
        const std::set<std::uint32_t> before = managedWindowList();
        // xlogo takes any size; xterm rounds its size to character cells and misses the frame that is set.
        target->start(QStringLiteral("xlogo"),
                      {QStringLiteral("-geometry"), QStringLiteral("400x300+300+200")});
        const bool managed = spinUntil([&] {
            for (std::uint32_t window : managedWindowList())
                if (!before.contains(window))
                    targetWindow = window;
            return targetWindow != 0;
        });
        if (!managed) {
            std::fprintf(stderr, "the xlogo was not managed\n");
            return false;
        }
        store.emplace(*settings, platform->globalHotKeys());
        engine = std::make_unique<ZRActionController>(store->store(), *settings, *platform, RunLoop::main(),
                                                      ZRWindowObserver::defaultObserver());
        for (int i = 0; i < 2; ++i) {
            halves[i] = ZRAction::actionWithType(ZRActionTypeHalf);
            halves[i]->setMoveDirection(i == 0 ? ZRPositionLeft : ZRPositionRight);
        }
        return targetWindow != 0;
    }

    // More windows up to the size, then the xlogo in front of them again.
    bool growCrowd(int size) {
        if (size > crowdSize) {
            const int before = managedWindows();
            if (!crowd->mapWindows(size - crowdSize) ||
                !spinUntil([&] { return managedWindows() >= before + size - crowdSize; }))
                return false;
            crowdSize = size;
        }
        run(QStringLiteral("wmctrl"),
            {QStringLiteral("-i"), QStringLiteral("-a"), QString::number(targetWindow)});
        // The program hears of it through the events that its own connection brings.
        return spinUntil([&] {
            const AXElementRef focused = ZRCopyFrontmostFocusedWindow();
            return focused && focused->windowNumber() == targetWindow;
        });
    }

    ~Setup() {
        engine.reset();
        store.reset();
        if (target) {
            target->kill();
            target->waitForFinished(WaitMilliseconds);
        }
        Platform::setCurrent(nullptr);
        crowd.reset();
        platform.reset();
    }
};

Setup* setup = nullptr;

void BM_HalfAmongWindows(benchmark::State& state) {
    if (!setup->growCrowd(int(state.range(0)))) {
        state.SkipWithError("the windows were not managed, or the xlogo did not come to the front");
        return;
    }
    int turn = 0;
    bool performed = true;
    for (auto _ : state)
        performed =
            setup->engine->triggerAction(setup->halves[turn++ % 2], nullptr, true, nullptr, false, false) &&
            performed;
    if (!performed)
        state.SkipWithError("the action was not performed");
    state.counters["windows"] = double(setup->crowdSize);
}
BENCHMARK(BM_HalfAmongWindows)
    ->Arg(CrowdSteps[0])
    ->Arg(CrowdSteps[1])
    ->Arg(CrowdSteps[2])
    ->MinTime(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    Setup s;
    setup = &s;
    if (!s.prepare())
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("BM_HalfAmongWindows/2000/min_time:2.000/real_time",
                        "BM_HalfAmongWindows/1000/min_time:2.000/real_time",
                        "at most 2x: no faster than the windows grow");
    reporter.printRatio("BM_HalfAmongWindows/1000/min_time:2.000/real_time",
                        "BM_HalfAmongWindows/0/min_time:2.000/real_time");
    benchmark::Shutdown();
    return 0;
}
