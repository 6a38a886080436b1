#include "SettingsBenchProgram.h"

#include "settings/ZRPaletteEditor.h"
#include "settings/ZRPaletteItemWell.h"

#include <benchmark/benchmark.h>
#include <chrono>

// A refresh of the palette editor's 66 wells, 20 of them holding actions, with 1,000 actions in the store: it
// runs after every drop and every change of the action tree. "goal_ratio" is the mean time over the goal of
// half a millisecond.
// Run: QT_QPA_PLATFORM=offscreen build/bin/skaf_settings_bench --benchmark_filter=PaletteWells
namespace {

constexpr int ActionWells = 20;
constexpr double GoalSeconds = 0.0005;

void BM_PaletteWellsRefresh(benchmark::State& state) {
    SettingsBenchProgram program;
    ZRPaletteEditor& editor = program.settings->paletteEditor();
    const auto actions = ZRActionManager::actionManager().allActions();
    for (int i = 0; i < ActionWells; ++i)
        editor.wells()[std::size_t(i)]->setPaletteAction(actions[std::size_t(i * 37) % actions.size()]);
    editor.updatePaletteItemWells();
    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        editor.updatePaletteItemWells();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    state.counters["actions"] = double(actions.size());
    state.counters["goal_ratio"] = state.iterations() ? total / double(state.iterations()) / GoalSeconds : 0;
}
BENCHMARK(BM_PaletteWellsRefresh)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace
