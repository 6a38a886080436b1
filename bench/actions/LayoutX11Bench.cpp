// Restoring a layout of 20 real windows on an X server through the action engine, side by side with
// the floor: the same 20 frames sent at once by a bare client, which then waits for each window's
// ConfigureNotify. The two alternate in one loop between two layouts, so every round moves every
// window and both meet the same load. Run without a display, it starts a private Xvfb with openbox.
#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "bench/PrivateDisplay.h"
#include "bench/Samples.h"
#include "platform/Platform.h"
#include "platform/WindowServer.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/x11/X11BareClient.h"
#include "platform/x11/X11Platform.h"
#include "tests/support/TestActionStore.h"
#include "window-access/WindowObserver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int Windows = 20;
constexpr int Columns = 5;
constexpr int Rounds = 30;
constexpr int WaitMilliseconds = 10000;

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
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The client frame of window i in layout 0 or 1: a grid of 5 by 4, the second smaller and shifted.
Rect frameOf(int i, int layout) {
    const double x = 20 + (i % Columns) * 310 + layout * 30;
    const double y = 40 + (i / Columns) * 240 + layout * 20;
    return layout ? Rect(x, y, 240, 170) : Rect(x, y, 270, 190);
}

struct Setup {
    std::unique_ptr<PrivateDisplay> display;
    QTemporaryDir home;
    std::vector<std::unique_ptr<QProcess>> clients;
    std::vector<std::uint32_t> windows;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<UserDefaults> settings;
    std::unique_ptr<X11BareClient> floor;
    std::optional<TestActionStore> store;
    std::unique_ptr<ZRActionController> engine;
    std::shared_ptr<ZRAction> layouts[2];
    std::map<QString, Rect> captured[2]; // each window's frame by title, as each layout was captured
    int misplaced = 0;

    std::map<QString, Rect> framesNow() const {
        std::map<QString, Rect> frames;
        for (const WindowListEntry& entry : platform->windowServer().windowList(true))
            frames[entry.title] = entry.bounds;
        return frames;
    }

    bool prepare() {
        if (!PrivateDisplay::startWhereThereIsNone(display, QStringLiteral(SKAF_X11_DISPLAY_SCRIPT)))
            return false;
        QString error;
        platform = createX11Platform(&error);
        if (platform)
            floor = X11BareClient::open(&error);
        if (!floor) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
        Platform::setCurrent(platform.get());
        settings = std::make_unique<UserDefaults>(home.filePath(QStringLiteral("Settings.plist")),
                                                  &platform->systemPreferences());
        store.emplace(*settings, platform->globalHotKeys());
        engine = std::make_unique<ZRActionController>(store->store(), *settings, *platform, RunLoop::main(),
                                                      ZRWindowObserver::defaultObserver());
        engine->setBeepHandler([] { std::fprintf(stderr, "beep\n"); });

        for (int i = 0; i < Windows; ++i) {
            const Rect frame = frameOf(i, 0);
            const QString title =
                QStringLiteral("skaf-layout-%1-%2").arg(QCoreApplication::applicationPid()).arg(i);
            auto client = std::make_unique<QProcess>();
            client->start(QStringLiteral("xlogo"),
                          {QStringLiteral("-title"), title, QStringLiteral("-geometry"),
                           QStringLiteral("%1x%2+%3+%4")
                               .arg(frame.width())
                               .arg(frame.height())
                               .arg(frame.x())
                               .arg(frame.y())});
            clients.push_back(std::move(client));
            const QByteArray id = run(QStringLiteral("xdotool"),
                                      {QStringLiteral("search"), QStringLiteral("--sync"),
                                       QStringLiteral("--onlyvisible"), QStringLiteral("--name"), title});
            windows.push_back(id.trimmed().split('\n').front().toUInt());
            if (!windows.back()) {
                std::fprintf(stderr, "window %d did not appear\n", i);
                return false;
            }
        }
        // The desktop learns of the new windows from its events.
        if (!spinUntil([&] { return platform->windowServer().windowList(true).size() >= Windows; })) {
            std::fprintf(stderr, "the desktop did not list the windows\n");
            return false;
        }
        // The windows start where layout 0 has them: layout 1 first, so that each placing moves them.
        for (int layout : {1, 0}) {
            if (!place(layout)) {
                std::fprintf(stderr, "the windows did not move to layout %d\n", layout);
                return false;
            }
            layouts[layout] = ZRAction::actionWithType(ZRActionTypeLayout);
            engine->saveSnapshot(*layouts[layout], {});
            if (!spinUntil(
                    [&] { return layouts[layout]->snapshot().windowDescriptions.size() >= Windows; })) {
                std::fprintf(stderr, "layout %d was not captured\n", layout);
                return false;
            }
            captured[layout] = framesNow();
        }
        return true;
    }

    // The floor's step: every window's request at once, then each window's ConfigureNotify.
    bool place(int layout) {
        std::vector<std::pair<std::uint32_t, Rect>> requests;
        for (int i = 0; i < Windows; ++i)
            requests.emplace_back(windows[static_cast<std::size_t>(i)], frameOf(i, layout));
        return floor->moveResize(requests, WaitMilliseconds);
    }

    ~Setup() {
        engine.reset();
        layouts[0].reset();
        layouts[1].reset();
        store.reset();
        for (auto& client : clients) {
            client->kill();
            client->waitForFinished(WaitMilliseconds);
        }
        settings.reset();
        Platform::setCurrent(nullptr);
        floor.reset();
        platform.reset();
        display.reset();
    }
};

Samples ours;
Samples floorSamples;
const char* const OursRow = "ours: layout of 20 windows restored by the action engine";
const char* const FloorRow = "floor: 20 _NET_MOVERESIZE_WINDOW at once, then each ConfigureNotify";

template <class Step> void measure(Samples& samples, Step step) {
    const auto start = Samples::Clock::now();
    step();
    samples.add(Samples::Clock::now() - start);
}

void layoutRestore(benchmark::State& state, Setup& s) {
    int round = 0;
    for (auto _ : state) {
        // Each row moves every window away from where the other row left it.
        const int layout = round++ % 2;
        measure(ours, [&] {
            if (!s.engine->restoreSnapshotForAction(*s.layouts[layout]))
                state.SkipWithError("the layout was not restored");
        });
        // Outside the timed step: every window is where the layout has it.
        const auto now = s.framesNow();
        for (const auto& [title, frame] : s.captured[layout])
            s.misplaced += !now.contains(title) || now.at(title) != frame;
        // Events the engine left for the main thread are handled outside the timed steps.
        QCoreApplication::processEvents();
        measure(floorSamples, [&] {
            if (!s.place(1 - layout))
                state.SkipWithError("no ConfigureNotify");
        });
        QCoreApplication::processEvents();
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    Setup s;
    if (!s.prepare())
        return 1;
    benchmark::RegisterBenchmark("BM_LayoutRestoreOf20Xlogos",
                                 [&s](benchmark::State& state) { layoutRestore(state, s); })
        ->Iterations(Rounds)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RunSpecifiedBenchmarks();
    std::printf("\n");
    ours.print(OursRow);
    floorSamples.print(FloorRow);
    std::printf("windows not where the layout has them after a restore: %d (goal: 0)\n", s.misplaced);
    if (floorSamples.p50() > 0)
        std::printf("ours / floor, p50: %.2fx (goal: at most 1.3x)\n", ours.p50() / floorSamples.p50());
    benchmark::Shutdown();
    return 0;
}
