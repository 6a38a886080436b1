#include "../BenchApplication.h"

#include "mouse-control/ZRFocusPicture.h"
#include "mouse-control/ZRFocusWindow.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "shell/ZRShellDefaults.h"

#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The focus window on a 2560 x 1440 screen while a snap is previewed: the screen dimmed around a window, the
// right half outlined with moving dashes. A full repaint draws all of it; a frame of the dashes repaints only
// the ring along the outline. Both paint as the window's backing store does: the dirty pixels cleared, then
// the picture drawn into them.
namespace {

const Rect Screen(0, 0, 2560, 1440);

struct Run {
    explicit Run(bool compositing) {
        ensureBenchApplication();
        RunLoop::main().useManualClock();
        Platform::setCurrent(&desktop);
        desktop.addScreen(Screen);
        desktop.screens().setCompositingActive(compositing);
        store = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist")));
        ZRRegisterShellDefaults(settings());
        window = ZRFocusWindow::focusWindowWithFrame(Rect(), settings(), RunLoop::main(), desktop.screens());
        window->setDropFrameValues({}, Rect(600, 400, 900, 600), Rect(1280, 0, 1280, 1440));
        canvas = QImage(2560, 1440, QImage::Format_ARGB32_Premultiplied);
    }
    ~Run() {
        window.reset();
        Platform::setCurrent(nullptr);
        RunLoop::main().useRealClock();
    }

    // As a paint event of the rectangle does.
    void paint(const QRect& dirty) {
        QPainter painter(&canvas);
        painter.setClipRect(dirty);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(dirty, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        window->updateLayer(painter, dirty);
    }

    QTemporaryDir folder;
    // The settings the parts are handed.
    std::unique_ptr<UserDefaults> store;
    UserDefaults& settings() const { return *store; }
    SimDesktop desktop;
    std::unique_ptr<ZRFocusWindow> window;
    QImage canvas;
};

// The whole window: the picture made again from the frames and settings, then drawn.
void fullRepaint(benchmark::State& state, bool compositing) {
    Run run(compositing);
    for (auto _ : state) {
        run.window->setNeedsDisplay();
        run.paint(run.canvas.rect());
    }
    state.counters["pixels"] = double(run.canvas.width()) * run.canvas.height();
}

void BM_FocusFullRepaint(benchmark::State& state) {
    fullRepaint(state, true);
}
BENCHMARK(BM_FocusFullRepaint)->Unit(benchmark::kMillisecond);

// Without a compositor there is no dimming, but the window's shape is worked out from the strokes.
void BM_FocusFullRepaintWithoutCompositor(benchmark::State& state) {
    fullRepaint(state, false);
}
BENCHMARK(BM_FocusFullRepaintWithoutCompositor)->Unit(benchmark::kMillisecond);

// One frame of the dash animation: the ring along the outline only.
void BM_FocusDashFrame(benchmark::State& state) {
    Run run(true);
    run.paint(run.canvas.rect());
    const std::vector<QRect> ring = run.window->picture().outlineDirtyRects();
    for (auto _ : state)
        for (const QRect& rect : ring)
            run.paint(rect);
    double pixels = 0;
    for (const QRect& rect : ring)
        pixels += double(rect.width()) * rect.height();
    state.counters["pixels"] = pixels;
}
BENCHMARK(BM_FocusDashFrame)->Unit(benchmark::kMicrosecond);

} // namespace
