#include "DesktopTest.h"

#include "actions/ZRSnapshotDrawing.h"
#include "toolkit/Appearance.h"
#include "toolkit/Drawing.h"
#include "window-access/WindowDescription.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>

namespace {

using SnapshotDrawingTest = DesktopTest;

// A window description as layouts store them; an empty rectangle leaves the key out.
QVariantMap window(const Rect& frame, const QString& screen, const Rect& usable = Rect(),
                   const QString& name = QStringLiteral("App")) {
    QVariantMap description = {{ZRWindowDescriptionKey::WindowFrame, stringFromRect(frame)},
                               {ZRWindowDescriptionKey::ScreenFrame, screen}};
    if (!usable.isZero())
        description.insert(ZRWindowDescriptionKey::AvailableScreenFrame, stringFromRect(usable));
    if (!name.isNull())
        description.insert(ZRWindowDescriptionKey::ApplicationName, name);
    return description;
}

const QString Main = QStringLiteral("{{0, 0}, {1200, 600}}");
// The same rectangle written another way is the same screen.
const QString MainRewritten = QStringLiteral("{{0,0},{1200,600}}");
const QString Side = QStringLiteral("{{1200, 0}, {800, 600}}");
const Rect Usable(100, 50, 1000, 500);
// Grown by half a point: 200 × 100 from (9.5, 19.5), a fifth of the usable frame.
const QRectF Target(10, 20, 199, 99);

using Windows = std::vector<ZRSnapshotScreenPicture::Window>;

TEST_F(SnapshotDrawingTest, WindowsMapFromTheScreensUsableFrameBackToFront) {
    struct Case {
        const char* name;
        QVariantList layout;
        std::size_t screenIndex;
        unsigned labelPriority;
        std::size_t screens;
        Windows windows;
    };
    const std::vector<Case> cases = {
        {"mapped y down, origin of the usable frame taken off",
         {window(Rect(200, 100, 500, 250), Main, Usable)},
         0,
         0,
         1,
         {{QRectF(29.5, 59.5, 100, 50), {}}}},
        {"front window drawn last, numbered 1; a sliver grows by a point on every side",
         {window(Rect(105, 55, 5, 5), Main, Usable), window(Rect(100, 50, 1000, 500), MainRewritten, Usable)},
         0,
         1,
         1,
         {{QRectF(9.5, 19.5, 200, 100), QStringLiteral("2")},
          {QRectF(9.5, 116.5, 3, 3), QStringLiteral("1")}}},
        {"a single window gets no number",
         {window(Rect(100, 50, 1000, 500), Main, Usable)},
         0,
         1,
         1,
         {{QRectF(9.5, 19.5, 200, 100), {}}}},
        {"names, and ? for a missing one; windows of no size are left out",
         {window(Rect(100, 50, 500, 500), Main, Usable, QString()),
          window(Rect(600, 50, 0, 500), Main, Usable),
          window(Rect(600, 50, 500, 500), Main, Usable, QStringLiteral("Mail"))},
         0,
         2,
         1,
         {{QRectF(109.5, 19.5, 100, 100), QStringLiteral("Mail")},
          {QRectF(9.5, 19.5, 100, 100), QStringLiteral("?")}}},
        {"the first recorded usable frame counts, later ones do not",
         {window(Rect(0, 0, 600, 300), Main), window(Rect(0, 0, 600, 300), Main, Usable),
          window(Rect(0, 0, 600, 300), Main, Rect(0, 0, 50, 50))},
         0,
         0,
         1,
         Windows(3, {QRectF(-10.5, 69.5, 120, 60), {}})},
        {"without any usable frame, the screen's frame",
         {window(Rect(0, 0, 600, 300), Main)},
         0,
         0,
         1,
         {{QRectF(9.5, 69.5, 100, 50), {}}}},
        {"the second screen by first appearance",
         {window(Rect(1200, 0, 400, 300), Side), window(Rect(0, 0, 600, 300), Main),
          window(Rect(1600, 300, 400, 300), Side)},
         0,
         0,
         2,
         {{QRectF(109.5, 19.5, 100, 50), {}}, {QRectF(9.5, 69.5, 100, 50), {}}}},
        {"and the screen after it",
         {window(Rect(1200, 0, 400, 300), Side), window(Rect(0, 0, 600, 300), Main)},
         1,
         0,
         2,
         {{QRectF(9.5, 69.5, 100, 50), {}}}},
        {"an index past the last screen draws nothing", {window(Rect(0, 0, 600, 300), Main)}, 3, 0, 1, {}},
        {"a screen recorded without any size draws nothing",
         {window(Rect(0, 0, 600, 300), QStringLiteral("{{0, 0}, {0, 0}}")),
          window(Rect(0, 0, 600, 300), QStringLiteral("{{5, 5}, {1200, 0}}"))},
         1,
         2,
         2,
         {}},
        {"a description that is no dictionary counts as a screen of no size", {QVariant(42)}, 0, 0, 1, {}},
        {"an empty layout", {}, 0, 2, 0, {}},
    };
    for (const Case& c : cases) {
        const ZRSnapshotScreenPicture picture =
            ZRSnapshotScreenPictureInRect(c.layout, c.screenIndex, Target, c.labelPriority);
        EXPECT_EQ(picture.numberOfScreens, c.screens) << c.name;
        EXPECT_EQ(numberOfScreensInSnapshot(c.layout), c.screens) << c.name;
        ASSERT_EQ(picture.windows.size(), c.windows.size()) << c.name;
        for (std::size_t i = 0; i < c.windows.size(); ++i) {
            EXPECT_EQ(picture.windows[i].frame, c.windows[i].frame) << c.name << ", window " << i;
            EXPECT_EQ(picture.windows[i].label, c.windows[i].label) << c.name << ", window " << i;
        }
    }
}

TEST_F(SnapshotDrawingTest, FramesFarOutOfProportionGiveNoEndlessRectangles) {
    const QVariantList layout = {window(Rect(0, 0, 1e300, 1e300), Main, Rect(0, 0, 1e-300, 1e-300))};
    for (const auto& w : ZRSnapshotScreenPictureInRect(layout, 0, Target, 0).windows) {
        const QRectF r = w.frame;
        EXPECT_TRUE(std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) &&
                    std::isfinite(r.height()));
    }
}

QImage drawn(const QVariantList& layout, const ZRSnapshotDrawingOptions& options) {
    QImage image(60, 40, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    numberOfScreensInSnapshot(layout, painter, 0, QRectF(0, 0, 60, 40), options);
    return image;
}

TEST_F(SnapshotDrawingTest, FrontWindowsArePartedFromTheOnesBehind) {
    // The back window fills the screen; the front one covers its right half.
    const QVariantList layout = {window(Rect(600, 0, 600, 600), Main), window(Rect(0, 0, 1200, 600), Main)};
    const QColor blue(0, 0, 255);
    const int seam = 30; // the front window's left edge
    const int y = 20;

    const QImage erased = drawn(layout, {blue, false, 0, -1, true, 0});
    EXPECT_EQ(erased.pixel(10, y), blue.rgba());
    EXPECT_EQ(erased.pixel(40, y), blue.rgba());
    EXPECT_LT(qAlpha(erased.pixel(seam, y)), 160) << "the front window's border cuts through the back one";

    const QImage onWhite = drawn(layout, {blue, false, 0, -1, false, 0});
    EXPECT_GT(qRed(onWhite.pixel(seam, y)), 60) << "a white seam";
    EXPECT_EQ(qAlpha(onWhite.pixel(seam, y)), 255);

    const QImage preview = drawn(layout, {blue, true, 0, -1, false, 0});
    EXPECT_EQ(preview.pixel(seam, y), blue.rgba()) << "a preview draws the colour alone";
}

TEST_F(SnapshotDrawingTest, LabelsAreCutOutOfTheirWindows) {
    const QVariantList layout = {window(Rect(0, 0, 1200, 600), Main, Rect(), QStringLiteral("MMMM"))};
    const QColor opaque(0, 0, 255);
    const QImage unlabelled = drawn(layout, {opaque, true, 0, 0.0, false, 0});
    const QImage labelled = drawn(layout, {opaque, true, 2, 0.0, false, 0});
    int cut = 0;
    for (int y = 0; y < labelled.height(); ++y) {
        for (int x = 0; x < labelled.width(); ++x) {
            if (qAlpha(labelled.pixel(x, y)) < qAlpha(unlabelled.pixel(x, y)))
                ++cut;
        }
    }
    EXPECT_GT(cut, 20);
}

// The picture drawn one shape at a time straight through the painter, as the layout's windows are
// described: the drawing, however it goes about it, gives these pixels.
void drawPlainly(QPainter& painter, const QVariantList& layout, std::size_t screen, const QRectF& rect,
                 const ZRSnapshotDrawingOptions& options) {
    const ZRSnapshotScreenPicture picture =
        ZRSnapshotScreenPictureInRect(layout, screen, rect, options.labelPriority);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainter::CompositionMode mode = painter.compositionMode();
    const bool square = options.radius * painter.deviceTransform().m11() < 1;
    auto fill = [&](const QRectF& r, const QColor& color) {
        if (square)
            painter.fillRect(r, color);
        else
            ZRDrawRectWithBorder(painter, false, QColor(), color, r, options.radius, 0);
    };
    for (const auto& window : picture.windows) {
        if (!options.asPreview) {
            if (options.eraseBorder) {
                painter.setCompositionMode(QPainter::CompositionMode_Source);
                fill(window.frame, Qt::transparent);
                painter.setCompositionMode(mode);
            } else {
                fill(window.frame, Qt::white);
            }
        }
        fill(window.frame.adjusted(0.5, 0.5, -0.5, -0.5), options.color);
    }
    const ZRTextAttributes cutOut{QGuiApplication::font(), Qt::transparent};
    const ZRTextAttributes text{QGuiApplication::font(), calibratedWhite(options.emphasis, 0.2)};
    for (const auto& window : picture.windows) {
        if (window.label.isEmpty())
            continue;
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        ZRDrawAttributedStringInRect(painter, window.label, cutOut, window.frame);
        painter.setCompositionMode(mode);
        ZRDrawAttributedStringInRect(painter, window.label, text, window.frame);
    }
    painter.restore();
}

// Windows of every size on three screens, many overlapping, some reaching past their screen.
QVariantList largeLayout() {
    // Names short and long, with trailing and leading spaces, of other scripts, and with characters that
    // the text drawing treats apart.
    const QStringList names = {QStringLiteral("Application %1"),
                               QStringLiteral("A %1"),
                               QStringLiteral("A very long application name that no window holds %1"),
                               QStringLiteral(" Spaces %1 "),
                               QStringLiteral("Приложение %1"),
                               QStringLiteral("Two\nlines %1"),
                               QStringLiteral("Tab\t%1 & more")};
    QVariantList layout;
    for (int i = 0; i < 100; ++i) {
        const int screen = i % 3;
        const Rect frame(screen * 1920 + (i * 37) % 1300, (i * 23) % 600, 150 + (i * 53) % 900,
                         40 + (i * 31) % 700);
        layout.append(window(frame, stringFromRect(Rect(screen * 1920, 0, 1920, 1080)),
                             Rect(screen * 1920, 0, 1920, 1055), names[i % names.size()].arg(i)));
    }
    return layout;
}

TEST_F(SnapshotDrawingTest, TheDrawingGivesThePixelsOfItsShapesDrawnOneByOne) {
    const QVariantList layout = largeLayout();
    const struct Case {
        const char* name;
        QSize size;
        double ratio;
        ZRSnapshotDrawingOptions options;
    } cases[] = {
        {"preview, light, names", {400, 250}, 1, {QColor(255, 255, 255, 242), true, 2, 0.0, false, 5}},
        {"preview, dark, numbers", {400, 250}, 1, {QColor(0, 0, 0, 140), true, 1, 1.0, false, 5}},
        {"preview at twice the pixels", {400, 250}, 2, {QColor(255, 255, 255, 140), true, 2, 0.0, false, 5}},
        {"a tall preview", {300, 900}, 1, {QColor(40, 90, 200, 200), true, 0, 0.0, false, 5}},
        {"square windows on white", {400, 250}, 1, {QColor(40, 90, 200), false, 0, -1, false, 0}},
        {"cut out of what lies behind", {400, 250}, 1, {QColor(40, 90, 200), false, 0, -1, true, 3}},
        {"an icon", {23, 16}, 1, {Qt::black, false, 0, -1, true, 0.96}},
    };
    for (const Case& c : cases) {
        for (std::size_t screen : {0, 2}) {
            SCOPED_TRACE(testing::Message() << c.name << ", screen " << screen);
            QImage fast((QSizeF(c.size) * c.ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
            fast.setDevicePixelRatio(c.ratio);
            fast.fill(QColor(200, 30, 30, 128));
            const QImage background = fast;
            QImage plain = fast;
            const QRectF rect(QPointF(), QSizeF(c.size));
            {
                QPainter painter(&fast);
                EXPECT_EQ(numberOfScreensInSnapshot(layout, painter, screen, rect, c.options), 3u);
            }
            {
                QPainter painter(&plain);
                drawPlainly(painter, layout, screen, rect, c.options);
            }
            EXPECT_NE(fast, background) << "something drawn";
            EXPECT_TRUE(fast == plain);
        }
    }
}

} // namespace
