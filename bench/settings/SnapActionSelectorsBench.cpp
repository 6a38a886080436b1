#include "SettingsBenchProgram.h"

#include "settings/ZRGeneralSettingsControls.h"
#include "settings/ZRSnapActionSelectors.h"
#include "toolkit/ImageExtensions.h"
#include "window-access/WindowDescription.h"

#include <QComboBox>
#include <benchmark/benchmark.h>
#include <chrono>

// A rebuild of the eight snap selectors and the five drop-snap selectors from a store of 300 move-and-resize
// actions in 10 folders and 20 layouts: it runs after every change of the action tree. Beside it, in the same
// run, the peer: 13 plain pop-ups filled with as many items and icons through QComboBox::addItem.
// "goal_ratio" is our mean time over the goal of 16 ms, "peer_ratio" our mean time over the peer's.
// Run: QT_QPA_PLATFORM=offscreen build/bin/skaf_settings_bench --benchmark_filter=SnapActionSelectors
namespace {

constexpr int Folders = 10;
constexpr int MovesPerFolder = 30;
constexpr int Layouts = 20;
constexpr int PeerRounds = 5;
constexpr double GoalSeconds = 0.016;

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_SnapActionSelectors(benchmark::State& state) {
    SettingsBenchProgram program(false);
    std::vector<std::shared_ptr<ZRAction>> actions;
    for (int f = 0; f < Folders; ++f) {
        auto folder = ZRAction::actionWithType(ZRActionTypeFolder);
        folder->setName(QStringLiteral("Folder %1").arg(f));
        std::vector<std::shared_ptr<ZRAction>> moves;
        for (int m = 0; m < MovesPerFolder; ++m) {
            auto move = ZRAction::actionWithType(ZRActionTypeMoveAndResize);
            move->setName(QStringLiteral("Move %1.%2").arg(f).arg(m));
            move->setRelativeFrame(Rect(0.01 * m, 0.02 * f, 0.5, 0.5));
            moves.push_back(std::move(move));
        }
        folder->setChildren(moves);
        actions.push_back(std::move(folder));
    }
    for (int l = 0; l < Layouts; ++l) {
        auto layout = ZRAction::actionWithType(ZRActionTypeLayout);
        layout->setName(QStringLiteral("Layout %1").arg(l));
        ZRSnapshot snapshot;
        snapshot.windowDescriptions.push_back(
            ZRMakeWindowDescription({QStringLiteral("com.example.Editor"), QStringLiteral("Editor"),
                                     layout->displayNameWithSuffixes(), Rect(10 * l, 0, 400, 300),
                                     Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875)}));
        layout->setSnapshot(snapshot);
        actions.push_back(std::move(layout));
    }
    program.settings->sidebar().addActions(actions, nullptr, std::nullopt, false);
    ZRGeneralSettingsControls& controls = program.settings->generalSettingsControls();
    controls.updateSnapActionSelectors();
    const int items = controls.snapActionSelectors().snapSelector(3)->count();

    double total = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        controls.updateSnapActionSelectors();
        const double seconds = secondsSince(start);
        state.SetIterationTime(seconds);
        total += seconds;
    }

    // The peer: the same number of items and icons, filled the plain way.
    const auto all = ZRActionManager::actionManager().allActions();
    std::vector<QIcon> icons;
    for (const auto& action : all)
        icons.emplace_back(QPixmap::fromImage(tintedImage(action->menuTemplateIcon(), Qt::black)));
    double peer = 0;
    for (int round = 0; round < PeerRounds; ++round) {
        std::vector<std::unique_ptr<QComboBox>> popUps;
        const auto start = std::chrono::steady_clock::now();
        for (int selector = 0; selector < 13; ++selector) {
            auto popUp = std::make_unique<QComboBox>();
            for (int item = 0; item < items; ++item)
                popUp->addItem(icons[std::size_t(item) % icons.size()],
                               all[std::size_t(item) % all.size()]->displayNameWithSuffixes());
            popUps.push_back(std::move(popUp));
        }
        peer += secondsSince(start);
    }
    const double mean = state.iterations() ? total / double(state.iterations()) : 0;
    state.counters["items"] = items;
    state.counters["goal_ratio"] = mean / GoalSeconds;
    state.counters["peer_ratio"] = peer > 0 ? mean / (peer / PeerRounds) : 0;
}
BENCHMARK(BM_SnapActionSelectors)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
