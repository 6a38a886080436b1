#include "SettingsBenchProgram.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "settings/ZRSettingsController.h"
#include "settings/ZRSidebarController.h"
#include "settings/ZRSourceList.h"
#include "shell/ZRMainController.h"

#include <QImage>
#include <QMainWindow>
#include <QStandardItemModel>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <chrono>
#include <functional>

// A reload of the settings sidebar over 1,000 actions (50 folders of 19, half of them open), with one paint
// of the rows in view, beside the same tree in a standard item model and a plain tree view.
// Run: QT_QPA_PLATFORM=offscreen build/bin/skaf_settings_bench
namespace {

// The same tree in a standard item model and a plain tree view: a reset, the same folders opened, one paint.
class StandIn {
public:
    explicit StandIn(QSize size) : m_image(size, QImage::Format_ARGB32_Premultiplied) {
        m_view.setHeaderHidden(true);
        m_view.setModel(&m_model);
        m_view.resize(size);
    }
    void reload() {
        m_model.clear();
        QStandardItem* root = m_model.invisibleRootItem();
        for (const auto& folderAction : ZRActionManager::actionManager().topLevelActions()) {
            auto* row = new QStandardItem(folderAction->displayNameWithSuffixes());
            for (const auto& member : folderAction->children())
                row->appendRow(new QStandardItem(member->displayNameWithSuffixes()));
            root->appendRow(row);
        }
        for (int r = 0; r < m_model.rowCount(); r += 2)
            m_view.expand(m_model.index(r, 0));
        m_view.viewport()->render(&m_image);
    }

private:
    QStandardItemModel m_model;
    QTreeView m_view;
    QImage m_image;
};

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Each iteration times the sidebar (the reported time) and then the stand-in; "ratio" is sidebar over
// stand-in for the whole run.
void BM_SidebarReload(benchmark::State& state) {
    SettingsBenchProgram program;
    ZRSourceList* list = program.settings->sourceList();
    QImage image(list->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    StandIn standIn(list->size());
    double sidebar = 0, standard = 0;
    for (auto _ : state) {
        const double seconds = secondsOf([&] {
            program.settings->sidebar().reloadSourceListWithSelectedItems(std::nullopt);
            list->viewport()->render(&image);
        });
        state.SetIterationTime(seconds);
        sidebar += seconds;
        standard += secondsOf([&] { standIn.reload(); });
    }
    state.counters["standin_ms"] = benchmark::Counter(standard * 1000, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = standard > 0 ? sidebar / standard : 0;
}
BENCHMARK(BM_SidebarReload)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace
