#include "toolkit/Drawing.h"
#include "toolkit/Appearance.h"
#include "toolkit/ImageExtensions.h"
#include "toolkit/MouseLocation.h"
#include "toolkit/RunLoopExtensions.h"

#include "FakePlatform.h"
#include "WidgetTestSupport.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace {

QImage clearImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The painted pixels of a column or row: how many are not clear.
int paintedInColumn(const QImage& image, int x) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        count += alphaAt(image, x, y) > 128;
    return count;
}

int paintedInRow(const QImage& image, int y) {
    int count = 0;
    for (int x = 0; x < image.width(); ++x)
        count += alphaAt(image, x, y) > 128;
    return count;
}

QRect paintedBounds(const QImage& image) {
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (alphaAt(image, x, y) > 128)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

class DrawingTest : public WidgetTest {};

TEST_F(DrawingTest, RectWithBorder) {
    struct Case {
        double radius;
        bool cornerPainted;
    };
    for (const Case c : {Case{0, true}, Case{0.05, true}, Case{8, false}, Case{1000, false}}) {
        QImage image = clearImage(40, 20);
        QPainter painter(&image);
        ZRDrawRectWithBorder(painter, false, Qt::blue, Qt::red, QRectF(0, 0, 40, 20), c.radius, 2);
        painter.end();
        EXPECT_EQ(alphaAt(image, 0, 0) > 128, c.cornerPainted) << c.radius;
        EXPECT_EQ(image.pixel(20, 10), QColor(Qt::red).rgb()) << c.radius;
        EXPECT_EQ(QColor(image.pixel(20, 0)).blue(), 255) << "the stroke, radius " << c.radius;
    }
    // Capped at half the shorter side: the ends are half circles, so the middle of each end is painted.
    QImage capped = clearImage(40, 20);
    QPainter painter(&capped);
    ZRDrawRectWithBorder(painter, false, QColor(), Qt::red, QRectF(0, 0, 40, 20), 1000, 0);
    painter.end();
    EXPECT_GT(alphaAt(capped, 1, 10), 128);
    EXPECT_LT(alphaAt(capped, 1, 1), 32);
}

TEST_F(DrawingTest, DashedBorderLeavesGaps) {
    QImage solid = clearImage(60, 20);
    QImage dashed = clearImage(60, 20);
    QPainter solidPainter(&solid);
    ZRDrawRectWithBorder(solidPainter, false, Qt::black, QColor(), QRectF(2, 2, 56, 16), 0, 2);
    solidPainter.end();
    QPainter dashedPainter(&dashed);
    ZRDrawRectWithBorder(dashedPainter, true, Qt::black, QColor(), QRectF(2, 2, 56, 16), 0, 2);
    dashedPainter.end();
    EXPECT_EQ(alphaAt(solid, 30, 10), 0) << "no fill";
    EXPECT_GT(paintedInRow(solid, 2), paintedInRow(dashed, 2) + 10);
    EXPECT_GT(paintedInRow(dashed, 2), 10);
}

TEST_F(DrawingTest, ArrowGlyphPointsWhereItsAngleSays) {
    struct Case {
        double angle;
        // The arrow's head is wider than its shaft: which end shows more paint across.
        bool headRight, headLeft, headDown, headUp;
    };
    const std::vector<Case> cases = {
        {0, true, false, false, false},
        {90, false, false, true, false},
        {180, false, true, false, false},
        {270, false, false, false, true},
    };
    for (const auto& c : cases) {
        QImage image = clearImage(40, 40);
        QPainter painter(&image);
        ZRDrawArrowGlyph(painter, Qt::black, c.angle, QRectF(0, 0, 40, 40), true);
        painter.end();
        const bool horizontal = c.headRight || c.headLeft;
        const int nearLow = horizontal ? paintedInColumn(image, 12) : paintedInRow(image, 12);
        const int nearHigh = horizontal ? paintedInColumn(image, 28) : paintedInRow(image, 28);
        EXPECT_EQ(nearHigh > nearLow, c.headRight || c.headDown) << c.angle;
        EXPECT_EQ(nearLow > nearHigh, c.headLeft || c.headUp) << c.angle;
        EXPECT_GT(alphaAt(image, 20, 20), 128) << "the shaft crosses the centre";
    }
}

TEST_F(DrawingTest, TextIsCentredAndKeptInside) {
    ZRTextAttributes attributes;
    attributes.font.setPixelSize(20);
    attributes.color = Qt::black;
    QImage image = clearImage(200, 60);
    QPainter painter(&image);
    ZRDrawAttributedStringInRect(painter, QStringLiteral("MMMM"), attributes, QRectF(0, 0, 200, 60));
    painter.end();
    const QRect bounds = paintedBounds(image);
    ASSERT_FALSE(bounds.isEmpty());
    EXPECT_NEAR(bounds.center().x(), 100, 4);
    EXPECT_NEAR(bounds.center().y(), 30, 6);

    QImage narrow = clearImage(200, 60);
    QPainter narrowPainter(&narrow);
    const QRectF box(50, 20, 30, 20);
    ZRDrawAttributedStringInRect(narrowPainter, QStringLiteral("MMMMMMMMMM"), attributes, box);
    narrowPainter.end();
    const QRect narrowBounds = paintedBounds(narrow);
    ASSERT_FALSE(narrowBounds.isEmpty());
    EXPECT_TRUE(box.toRect().contains(narrowBounds));
}

TEST_F(DrawingTest, CurvedRectangle) {
    EXPECT_DOUBLE_EQ(curvedRectCornerRadiusFactor(), 1.14);
    const QRectF rect(0, 0, 100, 60);
    const QPainterPath curved = bezierPathWithCurvedRect(rect, 10);
    EXPECT_EQ(curved.boundingRect(), rect);
    EXPECT_TRUE(curved.contains(QPointF(50, 30)));
    EXPECT_FALSE(curved.contains(QPointF(1, 1)));
    // The corner eases in from 11.4 points along each edge and passes the diagonal about where a
    // circular corner of that radius would (2.9 points in).
    EXPECT_TRUE(curved.contains(QPointF(11.6, 0.2)));
    EXPECT_TRUE(curved.contains(QPointF(3.5, 3.5)));
    EXPECT_FALSE(curved.contains(QPointF(2, 2)));
    EXPECT_FALSE(curved.contains(QPointF(98, 58)));
    const QPainterPath capped = bezierPathWithCurvedRect(rect, 1000);
    EXPECT_EQ(capped.boundingRect(), rect);
    EXPECT_TRUE(capped.contains(QPointF(50, 30)));
    EXPECT_EQ(bezierPathWithCurvedRect(rect, 0).boundingRect(), rect);
}

TEST_F(DrawingTest, TintedTemplatesAndGreyCopies) {
    QImage shape = clearImage(10, 10);
    shape.fill(Qt::black);
    QImage target = clearImage(10, 10);
    QPainter painter(&target);
    drawInRect(painter, shape, QRectF(0, 0, 10, 10), Qt::red, 0.5);
    painter.end();
    const QRgb tinted = target.pixel(5, 5);
    EXPECT_NEAR(qAlpha(tinted), 128, 2);
    EXPECT_GT(qRed(tinted), 100);
    EXPECT_EQ(qGreen(tinted), 0);

    QImage colour(2, 1, QImage::Format_ARGB32);
    colour.setPixel(0, 0, qRgba(255, 0, 0, 100));
    colour.setPixel(1, 0, qRgba(0, 200, 0, 255));
    const QImage grey = grayScaleImage(colour);
    for (int x = 0; x < 2; ++x) {
        const QRgb pixel = grey.pixel(x, 0);
        EXPECT_EQ(qRed(pixel), qGreen(pixel));
        EXPECT_EQ(qGreen(pixel), qBlue(pixel));
        EXPECT_EQ(qAlpha(pixel), qAlpha(colour.pixel(x, 0)));
    }
}

TEST_F(DrawingTest, RevertArrowAndLogo) {
    const QImage revert = revertImage();
    ASSERT_FALSE(revert.isNull());
    EXPECT_EQ(revert.deviceIndependentSize(), QSizeF(16, 16));
    const QRect revertBounds = paintedBounds(revert);
    EXPECT_GT(revertBounds.width(), revert.width() / 2);
    EXPECT_EQ(alphaAt(revert, revert.width() / 2, revert.height() / 2), 0) << "a ring, open in the middle";

    const QImage logo = ZRImageNamed(QStringLiteral("ZRStatusItem"));
    ASSERT_FALSE(logo.isNull());
    const int size = logo.width();
    EXPECT_GT(alphaAt(logo, size / 2, size / 2), 200);
    EXPECT_EQ(alphaAt(logo, 2, 2), 0);
    // Four arrow heads: just inside each edge's middle.
    EXPECT_GT(alphaAt(logo, size / 2, size * 6 / 100), 200);
    EXPECT_GT(alphaAt(logo, size / 2, size * 94 / 100), 200);
    EXPECT_GT(alphaAt(logo, size * 6 / 100, size / 2), 200);
    EXPECT_GT(alphaAt(logo, size * 94 / 100, size / 2), 200);
    EXPECT_TRUE(ZRImageNamed(QStringLiteral("ZRNoSuchPicture")).isNull());
}

TEST(Appearance, FromTheWorkspace) {
    {
        FakePlatform platform;
        platform.workspaceState.dark = true;
        platform.workspaceState.increaseContrast = true;
        platform.workspaceState.accent = Color{0.0, 0.5, 1.0, 1.0};
        EXPECT_TRUE(ZRIsDarkInterfaceStyleEnabled());
        EXPECT_TRUE(ZRIsDarkInterfaceStyleSince1014());
        EXPECT_TRUE(ZRIncreaseContrastEnabled());
        const QColor accent = overlaySelectedControlColor();
        EXPECT_EQ(accent, backwardsCompatibleControlAccentColor());
        EXPECT_NEAR(accent.greenF(), 0.5, 0.01);
        const QColor brighter = brighterOverlaySelectedControlColor();
        EXPECT_NEAR(brighter.redF(), 0.2, 0.01);
        EXPECT_NEAR(brighter.greenF(), 0.6, 0.01);
        EXPECT_NEAR(brighter.blueF(), 1.0, 0.01);
        platform.workspaceState.dark = false;
        EXPECT_FALSE(ZRIsDarkInterfaceStyleEnabled());
    }
    EXPECT_FALSE(ZRIncreaseContrastEnabled()) << "no such setting without a desktop";
}

TEST(MouseLocation, ZeroBasedInCocoaCoordinates) {
    EXPECT_EQ(zeroBasedMouseLocation(), (Point{0, 0}));
    FakePlatform platform;
    platform.input.pointer = Point{10, 0};
    EXPECT_EQ(zeroBasedMouseLocation(), (Point{10, 899}));
    platform.input.pointer = Point{-300, 899};
    EXPECT_EQ(zeroBasedMouseLocation(), (Point{-300, 0}));
}

TEST(RunLoopExtensions, CommonModesRunWhileMenusTrack) {
    RunLoop& loop = RunLoop::main();
    loop.useManualClock();
    loop.setCurrentMode(EventTrackingRunLoopMode);
    int target = 0;
    int performed = 0;
    performSelectorInCommonModesAfterDelay(
        &target, "showOverlay", nullptr, 0.3, [&] { ++performed; }, RunLoop::main());
    loop.perform(&target, "defaultOnly", nullptr, 0.3, [&] { performed += 10; });
    loop.advance(0.2);
    EXPECT_EQ(performed, 0);
    loop.advance(0.2);
    EXPECT_EQ(performed, 1) << "the common-modes request ran during tracking, the default-mode one waits";
    performSelectorInCommonModesAfterDelay(
        &target, "showOverlay", nullptr, 0.3, [&] { performed += 100; }, RunLoop::main());
    loop.cancelPreviousPerformRequests(&target, "showOverlay", nullptr);
    loop.advance(1);
    EXPECT_EQ(performed, 1);
    loop.setCurrentMode(DefaultRunLoopMode);
    loop.advance(0.1);
    EXPECT_EQ(performed, 11);
    loop.useRealClock();
}

} // namespace
