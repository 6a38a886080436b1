#include "../BenchApplication.h"
#include "actions/ZRSnapshotDrawing.h"
#include "window-access/WindowDescription.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QPainter>

// A layout's preview is drawn on every repaint of its settings pane, and the sidebar draws one layout
// icon per layout row: both must stay cheap for a large layout.
namespace {

constexpr int WindowCount = 100;
constexpr int ScreenCount = 3;

QVariantList largeLayout() {
    QVariantList layout;
    for (int i = 0; i < WindowCount; ++i) {
        const int screen = i % ScreenCount;
        ZRWindowDescriptionFields fields;
        fields.applicationName = QStringLiteral("Application %1").arg(i);
        fields.screenFrame = Rect(screen * 1920, 0, 1920, 1080);
        fields.availableScreenFrame = Rect(screen * 1920, 0, 1920, 1055);
        fields.windowFrame = Rect(screen * 1920 + (i * 37) % 1200, (i * 23) % 500, 700, 500);
        layout.append(ZRMakeWindowDescription(fields));
    }
    return layout;
}

void drawInto(benchmark::State& state, QSize size, const ZRSnapshotDrawingOptions& options) {
    // Fonts need the application.
    ensureBenchApplication();
    const QVariantList layout = largeLayout();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        benchmark::DoNotOptimize(
            numberOfScreensInSnapshot(layout, painter, 0, QRectF(QPointF(), size), options));
    }
}

void BM_PreviewOfALargeLayout(benchmark::State& state) {
    drawInto(state, QSize(400, 250), {QColor(255, 255, 255, 242), true, ZRSnapshotLabelNames, 0.0, false, 5});
}
BENCHMARK(BM_PreviewOfALargeLayout)->Unit(benchmark::kMicrosecond);

// The same without labels: the fills alone.
void BM_PreviewOfALargeLayoutWithoutLabels(benchmark::State& state) {
    drawInto(state, QSize(400, 250), {QColor(255, 255, 255, 242), true, ZRSnapshotLabelNone, 0.0, false, 5});
}
BENCHMARK(BM_PreviewOfALargeLayoutWithoutLabels)->Unit(benchmark::kMicrosecond);

// As the layout icon draws it at the sidebar's size, corners rounded by less than a pixel.
void BM_IconOfALargeLayout(benchmark::State& state) {
    drawInto(state, QSize(23, 16), {Qt::black, false, ZRSnapshotLabelNone, -1, true, 0.96});
}
BENCHMARK(BM_IconOfALargeLayout)->Unit(benchmark::kMicrosecond);

} // namespace
