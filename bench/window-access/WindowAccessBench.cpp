#include "platform/Platform.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "window-access/GridGeometry.h"
#include "window-access/Position.h"
#include "window-access/VirtualScreen.h"
#include "window-access/WindowElements.h"
#include "window-access/WindowFrameSetting.h"
#include "window-access/WindowRelevance.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <memory>

// The palette compares a window with every position on each pop-up, snapping asks for positions and
// screens on every drag step, and the window filter walks the whole window list on every rested mouse
// move, so these run on the main thread at event rate.
namespace {

constexpr int WindowCount = 200;
constexpr int ApplicationCount = 20;

// Settings in a throw-away folder, given as registered values so nothing is ever saved.
class Settings {
public:
    explicit Settings(const QVariantMap& values)
        : m_store(m_folder.filePath(QStringLiteral("Settings.plist"))) {
        m_store.registerDefaults(values);
    }

    const UserDefaults& store() const { return m_store; }

private:
    QTemporaryDir m_folder;
    UserDefaults m_store;
};

// A simulated desktop with one screen, installed as the platform while it lives.
struct Desktop {
    explicit Desktop(const QVariantMap& values, const Rect& screen = Rect(0, 0, 2560, 1440))
        : settings(values) {
        sim.addScreen(screen);
        Platform::setCurrent(&sim);
    }
    ~Desktop() { Platform::setCurrent(nullptr); }

    Settings settings;
    SimDesktop sim;
};

void BM_WindowFrameAtEveryPosition(benchmark::State& state) {
    const bool spacing = state.range(0) != 0;
    Settings settings({{QStringLiteral("Grid Spacing"), spacing},
                       {QStringLiteral("Grid Spacing: Gap"), 7},
                       {QStringLiteral("Grid Spacing: Apply To Edges"), spacing}});
    const Rect usable(0, 0, 2560, 1415);
    const Rect screen(0, 0, 2560, 1440);
    for (auto _ : state) {
        for (std::int64_t position = ZRPositionNone; position <= ZRPositionLeftCentered; ++position)
            benchmark::DoNotOptimize(
                ZRGridGeometry::windowFrameAtPosition(position, usable, screen, settings.store()));
    }
    state.SetItemsProcessed(state.iterations() * (ZRPositionLeftCentered + 1));
}
BENCHMARK(BM_WindowFrameAtEveryPosition)->Arg(0)->Arg(1);

void BM_VirtualScreensOfSplitDisplaysWithUnion(benchmark::State& state) {
    Desktop desktop({{QStringLiteral("Virtual Screen Layout: 1"),
                      QVariantMap{{QStringLiteral("Columns"), 3}, {QStringLiteral("Rows"), 2}}},
                     {QStringLiteral("Virtual Screen Layout: Union"), true}},
                    Rect(0, 0, 1440, 900));
    desktop.sim.addScreen(Rect(1440, 0, 3840, 2160));
    const Point trigger{3000, 1000};
    for (auto _ : state)
        benchmark::DoNotOptimize(ZRGridGeometry::windowFrameAtPosition(
            ZRPositionLeft, trigger, ZRPositionRight, desktop.settings.store()));
}
BENCHMARK(BM_VirtualScreensOfSplitDisplaysWithUnion);

void BM_RelevanceOfAWindowList(benchmark::State& state) {
    Desktop desktop({});
    SimDesktop& sim = desktop.sim;
    std::vector<SimApplication*> applications;
    for (int i = 0; i < ApplicationCount; ++i)
        applications.push_back(
            &sim.addApplication(QStringLiteral("com.example.App%1").arg(i), QStringLiteral("App")));
    for (int i = 0; i < WindowCount; ++i) {
        auto& window =
            sim.addWindow(*applications[static_cast<std::size_t>(i % ApplicationCount)],
                          Rect(10 * (i % 50), 8 * (i % 40), 800, 600), QStringLiteral("Window %1").arg(i));
        if (i % 10 == 0)
            window.setLayer(25);
    }
    const auto entries = sim.windowServer().windowList();
    for (auto _ : state) {
        int relevant = 0;
        for (const WindowListEntry& entry : entries)
            relevant +=
                relevantLowercaseBundleIdentifierOrNullWithWindowFrame(entry, entry.bounds).has_value();
        benchmark::DoNotOptimize(relevant);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(entries.size()));
}
BENCHMARK(BM_RelevanceOfAWindowList);

// One verified frame change in process: the cost the program adds to what the window itself takes.
void BM_SetWindowFrame(benchmark::State& state) {
    Desktop desktop({});
    auto& application =
        desktop.sim.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
    desktop.sim.addWindow(application, Rect(100, 100, 800, 600), QStringLiteral("Document"));
    const AXElementRef window = ZRWindowForWindowListEntry(Point{500, 400}, nullptr, false);
    bool toggle = false;
    for (auto _ : state) {
        toggle = !toggle;
        benchmark::DoNotOptimize(
            ZRSetWindowFrame(window, {}, toggle ? Rect(0, 0, 1280, 1440) : Rect(1280, 0, 1280, 720)));
    }
}
BENCHMARK(BM_SetWindowFrame);

} // namespace
