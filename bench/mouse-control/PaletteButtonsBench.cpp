#include "../BenchApplication.h"
#include "MouseControlContext.h"

#include "actions/ZRStandardPaletteItemImage.h"
#include "mouse-control/ZROverlayButton.h"
#include "mouse-control/ZROverlayMenuButton.h"
#include "platform/Platform.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "shell/ZRShellDefaults.h"
#include "toolkit/ImageExtensions.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The palette's six buttons painted as the palette's content is, all at once (QWidget::grab): five
// standard items of 32 × 25 points in 34 × 31 cells and the revert button. Goal: 1 ms.
namespace {

struct Run {
    Run() {
        Platform::setCurrent(&desktop);
        desktop.addScreen(Rect(0, 0, 1440, 900));
        store = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist")));
        ZRRegisterShellDefaults(settings());
        view.resize(261, 47);
        const std::int64_t standards[][2] = {{2, 1}, {9, 10}, {5, 4}, {3, 8}, {7, 6}};
        int column = 0;
        for (const auto& [position, alternate] : standards) {
            auto* button = new ZROverlayButton(mouseControlContext(settings()), &view);
            button->setImage(ZRStandardPaletteItemImage(position, QColor(), 32, 25));
            button->setAlternateImage(ZRStandardPaletteItemImage(alternate, QColor(), 32, 25));
            button->setGeometry(45 + 43 * column++, 8, 34, 31);
            buttons.push_back(button);
        }
        auto* revert = new ZROverlayMenuButton(mouseControlContext(settings()), &view);
        revert->setImage(revertImage());
        revert->setGeometry(8, 10, 24, 24);
    }
    ~Run() {
        Platform::setCurrent(nullptr);
    }

    // The view is a widget: the application comes first.
    bool application = (ensureBenchApplication(), true);
    QTemporaryDir folder;
    // The settings the parts are handed.
    std::unique_ptr<UserDefaults> store;
    UserDefaults& settings() const { return *store; }
    SimDesktop desktop;
    QWidget view;
    std::vector<ZROverlayButton*> buttons;
};

void BM_PaintPaletteButtons(benchmark::State& state) {
    Run run;
    for (auto _ : state)
        benchmark::DoNotOptimize(run.view.grab());
}
BENCHMARK(BM_PaintPaletteButtons)->Unit(benchmark::kMicrosecond);

// The same while one button is hovered and another dragged towards the screen above: the arrow and its
// shadow are the costliest part.
void BM_PaintPaletteButtonsWhileDragging(benchmark::State& state) {
    Run run;
    run.buttons[1]->setHovered(true);
    run.buttons[2]->setSectionDragDirection(ZRSectionDragDirectionUp);
    run.buttons[2]->setScreenDragDirection(ZRScreenDragDirectionUp);
    for (auto _ : state)
        benchmark::DoNotOptimize(run.view.grab());
}
BENCHMARK(BM_PaintPaletteButtonsWhileDragging)->Unit(benchmark::kMicrosecond);

} // namespace
