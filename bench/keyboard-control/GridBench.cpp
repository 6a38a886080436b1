#include "../BenchApplication.h"

#include "keyboard-control/ZRFullSizeGridOverlayWindow.h"
#include "keyboard-control/ZRFullSizeOverlayGrid.h"
#include "keyboard-control/ZROverlayGrid.h"
#include "mouse-control/ZRFocusWindow.h"
#include "platform/EventStream.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "window-access/WindowElements.h"
#include "window-access/WindowObserver.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <optional>

// The grids' two hot paths at their largest common size, 24 x 24 cells: laying a grid out (the counts, the
// cells on the screen and in the view), which the palette does each time it shows its grid; and the
// full-size grid following one mouse move over two displays, which happens for every move while it is
// open. Painting is left out: the focus window paints once per turn of the event loop, however many moves
// came.
namespace {

constexpr int Cells = 24;

// A simulated desktop of two displays with the settings of 24 x 24 grids, on the offscreen display.
struct GridDesktop {
    GridDesktop() {
        ensureBenchApplication();
        RunLoop::main().useManualClock();
        desktop.addScreen(Rect(0, 0, 1920, 1080));
        desktop.addScreen(Rect(1920, 0, 1920, 1080));
        Platform::setCurrent(&desktop);
        installation.emplace(context, nullptr);
        defaults.setInteger(Cells, ZRGridDimensionKey::MouseControlsGridColumns);
        defaults.setInteger(Cells, ZRGridDimensionKey::MouseControlsGridRows);
        defaults.setBool(true, ZRFullSizeGridOverlayWindow::CoverAllDisplaysKey);
    }
    ~GridDesktop() {
        installation.reset();
        Platform::setCurrent(nullptr);
        RunLoop::main().useRealClock();
    }

    QTemporaryDir folder;
    SimDesktop desktop;
    UserDefaults defaults{folder.filePath(QStringLiteral("Settings.plist"))};
    ZRWindowObserver observer;
    ZRFocusWindow::Installation focusWindows{defaults, RunLoop::main(), desktop.screens()};
    ZRKeyboardControlContext context{desktop, defaults, RunLoop::main(), &ZRFocusWindow::defaultFocusWindow,
                                     observer};
    std::optional<ZRFullSizeGridOverlayWindow::Installation> installation;
};

class StyledGrid : public ZROverlayGrid {
public:
    StyledGrid(const ZRKeyboardControlContext& context, ZRGridStyle style)
        : ZROverlayGrid(context), m_style(style) {}
    ZRGridStyle gridStyle() const override { return m_style; }

private:
    ZRGridStyle m_style;
};

void BM_GridLayout(benchmark::State& state) {
    GridDesktop desktop;
    StyledGrid grid(desktop.context, ZRGridStyle(state.range(0)));
    grid.setGeometry(0, 0, 300, 200);
    grid.setRepresentedSkafableFrame(Rect(0, 0, 1920, 1080));
    grid.setRepresentedWindowFrame(Rect(100, 100, 800, 600));
    for (auto _ : state) {
        Rect frame;
        grid.updateLayoutAfterAdjustingFrame(&frame);
        benchmark::DoNotOptimize(frame);
    }
    state.SetLabel(std::to_string(grid.numberOfColumns()) + " x " + std::to_string(grid.numberOfRows()));
}
BENCHMARK(BM_GridLayout)->ArgName("style")->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

// The pointer moves along a row of the left display's grid, a few points at a time (most moves stay in
// their cell), or by a cell each time.
void BM_FullSizeGridHover(benchmark::State& state) {
    GridDesktop grids;
    SimApplication& editor = grids.desktop.addApplication(QStringLiteral("com.example.editor"), "Editor");
    grids.desktop.addWindow(editor, Rect(100, 100, 800, 600));
    const AXElementRef window = ZRCopyFrontmostFocusedWindow();
    if (!window || !ZRFullSizeGridOverlayWindow::activateForWindow(window, Rect(100, 380, 800, 600),
                                                                   Rect(0, 0, 1920, 1080), {},
                                                                   [](ZRGridPrototype&) {})) {
        state.SkipWithError("the full-size grid did not open");
        return;
    }
    ZRFullSizeGridOverlayWindow* panel = ZRFullSizeGridOverlayWindow::sharedPanelByCreatingIfNecessary(false);
    if (panel->grids().size() != 2 || !panel->isActive()) {
        state.SkipWithError("the full-size grid covers the wrong displays");
        return;
    }
    const double step = double(state.range(0));
    TapEvent move;
    move.type = TapEventType::MouseMoved;
    move.location = Point(0, 500);
    for (auto _ : state) {
        move.location.x += step;
        if (move.location.x >= 1920)
            move.location.x -= 1920;
        panel->handlePointerEvent(move);
    }
    ZRFullSizeGridOverlayWindow::deactivate();
}
BENCHMARK(BM_FullSizeGridHover)->ArgName("points")->Arg(3)->Arg(80)->Unit(benchmark::kMicrosecond);

} // namespace
