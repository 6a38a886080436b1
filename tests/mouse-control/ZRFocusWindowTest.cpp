#include "MouseControlTestSupport.h"
#include "ScreenPixels.h"

#include "mouse-control/ZRFocusPicture.h"
#include "mouse-control/ZRFocusView.h"
#include "mouse-control/ZRFocusWindow.h"
#include "toolkit/WindowExtensions.h"

#include <QPainter>
#include <QTest>

namespace {

namespace F = ZRFocusDefault;

const Rect Screen(0, 0, 1440, 900);
const Rect Aperture(200, 300, 400, 300);

// The focus window on a desktop of one screen, with a compositing manager unless a test takes it away.
class FocusWindowTest : public MouseControlTest {
protected:
    void SetUp() override {
        MouseControlTest::SetUp();
        desktop.addScreen(Screen);
        desktop.screens().setCompositingActive(true);
        set(F::Focus, 0.25);
        set(F::Animate, true);
        set(F::Shadow, true);
        window = ZRFocusWindow::focusWindowWithFrame(Rect(), settings(), RunLoop::main(), desktop.screens());
        setFadingDuration(window.get(), 0);
    }
    void TearDown() override {
        window.reset();
        MouseControlTest::TearDown();
    }

    // The window's picture as the screen would blend it, on clear pixels.
    QImage render() {
        QImage image(QSize(int(window->frame().width()), int(window->frame().height())),
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        window->updateLayer(painter, image.rect());
        return image;
    }
    // A pixel at a Cocoa screen point.
    static QColor at(const QImage& image, Point cocoa) {
        return image.pixelColor(int(cocoa.x), image.height() - 1 - int(cocoa.y));
    }

    std::unique_ptr<ZRFocusWindow> window;
};

// The outline of every style, with and without animation and shadow, and as an alert: its line width L,
// halo H (the soft edge on each side), dashes and how far they travel in a cycle.
TEST_F(FocusWindowTest, OutlineStyles) {
    const struct Case {
        std::int64_t style;
        bool animate;
        bool shadow;
        bool alert;
        double lineWidth; // the setting
        double L;
        double H;
        std::vector<double> dashes;
        double run;
    } cases[] = {
        {0, false, false, false, 0, 4, 1, {}, 0},
        {0, false, true, false, 0, 4, 0, {}, 0},
        {0, true, false, false, 0, 3, 1, {4, 1.5}, 5.5},
        {0, true, true, false, 0, 3, 0, {4, 1.5}, 5.5},
        {1, false, false, false, 0, 2, 2, {}, 0},
        {1, false, true, false, 0, 2, 2, {}, 0},
        {1, true, false, false, 0, 2, 2, {3.5, 2}, 5.5},
        {1, true, true, false, 0, 2, 2, {3.5, 2}, 5.5},
        {2, false, false, false, 0, 4, 0, {4, 4}, 0},
        {2, false, true, false, 0, 4, 0, {4, 4}, 0},
        {2, true, false, false, 0, 3, 0, {3, 3}, 6},
        {2, true, true, false, 0, 3, 0, {3, 3}, 6},
        // An alert is a still, dashed line of style 1, whatever the settings.
        {0, true, true, true, 0, 2, 2, {3.5, 2}, 0},
        {2, false, false, true, 0, 2, 2, {3.5, 2}, 0},
        // The setting is taken to half points and never beyond the corner radius.
        {0, true, false, false, 6.3, 6.5, 1, {6.5, 1.625}, 8.125},
        {0, false, false, false, 25, 10, 1, {}, 0},
        {1, true, false, false, 0.7, 2, 2, {3.5, 2}, 5.5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " animate " << c.animate << " shadow "
                                        << c.shadow << " alert " << c.alert << " width " << c.lineWidth);
        const ZRFocusSettings settings{0.25, c.style, c.animate, c.shadow, c.lineWidth};
        const auto o = ZRFocusOutlineStyle::forSettings(settings, c.alert, false);
        EXPECT_EQ(o.lineWidth, c.L);
        EXPECT_EQ(o.halo, c.H);
        EXPECT_EQ(o.dashPattern, c.dashes);
        EXPECT_EQ(o.dashPhaseRun, c.run);
    }
    // Retina displays get the finer halo.
    EXPECT_EQ(ZRFocusOutlineStyle::forSettings({0.25, 0, false, false, 0}, false, true).halo, 0.5);
    EXPECT_EQ(ZRFocusOutlineStyle::forSettings({0.25, 1, false, false, 0}, false, true).halo, 1.5);
}

// Two activations and one deactivation leave it shown; the second hides it, and it forgets the drop frames
// and displaying regardless. A third deactivation is logged and cannot hide the next activation, here one
// that ends by itself.
TEST_F(FocusWindowTest, ActivationIsCountedAndNeverBelowZero) {
    window->setDropFrameValues({Rect(10, 10, 100, 100)}, Aperture, Rect());
    window->setDisplayRegardless(true);
    window->setCoverAllScreens(true);
    window->setActive(true);
    window->setActive(true);
    window->setActive(false);
    EXPECT_TRUE(window->isActive());
    EXPECT_TRUE(window->isVisible());

    window->setActive(false);
    EXPECT_FALSE(window->isActive());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }));
    EXPECT_TRUE(window->dropFrameValues().empty());
    EXPECT_FALSE(window->displayRegardless());
    EXPECT_FALSE(window->coverAllScreens());
    EXPECT_EQ(window->apertureFrame(), Aperture) << "each user sets its own frames";

    window->setActive(false);
    EXPECT_TRUE(logged(QStringLiteral("focus window deactivated more often than activated")));
    EXPECT_EQ(window->activeCounter(), 0);
    window->activateTemporarily(2.0);
    EXPECT_TRUE(window->isActive());
    EXPECT_TRUE(window->isVisible());
    RunLoop::main().advance(1.9);
    EXPECT_TRUE(window->isActive());
    RunLoop::main().advance(0.1);
    EXPECT_FALSE(window->isActive());
}

// The window takes the screens its frames reach into, or every screen when asked.
TEST_F(FocusWindowTest, TheWindowCoversTheScreensItsFramesTouch) {
    const Rect right(1440, 0, 1280, 1024);
    desktop.addScreen(right);
    window->setOutlineFrame(Rect(100, 100, 200, 200));
    EXPECT_EQ(window->frame(), Screen);
    window->setApertureFrame(Rect(1400, 100, 200, 200));
    EXPECT_EQ(window->frame(), Screen.united(right));
    window->setApertureFrame(Rect(1439.5, 100, 200, 200));
    EXPECT_EQ(window->frame(), Screen.united(right)) << "the aperture reaches far into the right screen";
    window->setApertureFrame(Rect(1000, 100, 440.5, 200));
    EXPECT_EQ(window->frame(), Screen) << "half a point into a screen does not count";
    window->setDropFrameValues({}, Rect(), Rect());
    EXPECT_TRUE(window->frame().isEmpty());
    set(F::AlwaysCoverAllScreens, true);
    window->setOutlineFrame(Rect(100, 100, 200, 200));
    EXPECT_EQ(window->frame(), Screen.united(right));
}

// With a compositing manager: clear in the aperture, dimmed around it at the "Focus" opacity, the outline in
// white; nothing at all at 0.1 unless displayed regardless, and no dimming when the aperture fills the
// window.
TEST_F(FocusWindowTest, DimmingAroundTheApertureAndTheOutline) {
    set(F::Animate, false);
    const Rect outline(800, 200, 300, 200);
    window->setDropFrameValues({}, Aperture, outline);
    QImage image = render();
    EXPECT_EQ(at(image, Point(400, 450)).alpha(), 0) << "the aperture is clear";
    EXPECT_EQ(at(image, Point(100, 100)).alpha(), 64) << "dimmed at 0.25";
    EXPECT_EQ(at(image, Point(100, 100)).red(), 0);
    // The outline's white line lies along the inside of the frame, 4 points wide (no halo with a shadow).
    EXPECT_EQ(at(image, Point(outline.midX(), outline.maxY() - 2)), QColor(Qt::white));

    set(F::Focus, 0.1);
    window->setNeedsDisplay();
    EXPECT_EQ(render(), [] {
        QImage clear(1440, 900, QImage::Format_ARGB32_Premultiplied);
        clear.fill(Qt::transparent);
        return clear;
    }());
    window->setDisplayRegardless(true);
    image = render();
    EXPECT_EQ(at(image, Point(outline.midX(), outline.maxY() - 2)), QColor(Qt::white));
    EXPECT_EQ(at(image, Point(100, 100)).alpha(), 0) << "no dimming at 0.1, even displayed regardless";

    set(F::Focus, 0.25);
    window->setApertureFrame(Screen.insetBy(0.05, 0.05));
    render();
    EXPECT_FALSE(window->picture().dimming);
}

// A tiny outline grows to three times its stroke so it can still be seen; the drop frame under the outline
// is left to the outline.
TEST_F(FocusWindowTest, TinyOutlinesGrowAndTheOutlinedDropIsNotDrawnTwice) {
    set(F::LineWidth, 4);
    set(F::Shadow, true);
    set(F::Animate, false);
    const Rect outline(100, 100, 5, 5);
    window->setDropFrameValues({outline, Rect(600, 600, 100, 100)}, Rect(), outline);
    render();
    const ZRFocusPicture& picture = window->picture();
    ASSERT_TRUE(picture.outerOutline);
    // 12 x 12 from (97, 97), inset by T/2 = 2: 8 x 8 from (99, 99), y measured from the top.
    EXPECT_EQ(picture.outerOutline->rect, QRectF(99, 900 - 107, 8, 8));
    EXPECT_EQ(picture.drops.size(), 2u) << "one fill and one stroke, of the other frame only";
}

// Without a compositing manager no translucent pixel may reach the screen: no dimming, the outline and the
// drop strokes opaque, and the window shaped to exactly them.
TEST_F(FocusWindowTest, WithoutACompositorOnlyOpaqueStrokesAndTheWindowShapedToThem) {
    desktop.screens().setCompositingActive(false);
    const Rect outline(800, 200, 300, 200);
    window->setDropFrameValues({Rect(100, 500, 300, 200)}, Aperture, outline);
    const QImage image = render();
    const ZRFocusPicture& picture = window->picture();
    EXPECT_TRUE(picture.opaque);
    EXPECT_FALSE(picture.dimming);
    const QRegion& shape = picture.opaqueShape;
    QImage shapeImage(image.size(), QImage::Format_ARGB32_Premultiplied);
    shapeImage.fill(Qt::transparent);
    {
        QPainter painter(&shapeImage);
        painter.setClipRegion(shape);
        painter.fillRect(shapeImage.rect(), Qt::black);
    }
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_EQ(qAlpha(image.pixel(x, y)), qAlpha(shapeImage.pixel(x, y))) << x << "," << y;
        }
    EXPECT_TRUE(shape.contains(QPoint(int(outline.midX()), int(900 - outline.maxY() + 2))));
    EXPECT_FALSE(shape.contains(QPoint(int(outline.midX()), int(900 - outline.midY()))));
    EXPECT_TRUE(shape.contains(QPoint(101, 900 - 600))) << "the drop frame's stroke";
}

// Shaped to nothing, the window has nothing to paint: an outline set afterwards shapes it at once, or it
// would never show.
TEST_F(FocusWindowTest, WithoutACompositorAnOutlineAfterAnEmptyPictureShapesTheWindowAtOnce) {
    desktop.screens().setCompositingActive(false);
    window->setApertureFrame(Aperture);
    window->setActive(true);
    render();
    ASSERT_FALSE(window->mask().intersects(window->rect())) << "nothing to show yet";
    const Rect outline(800, 200, 300, 200);
    window->setOutlineFrame(outline);
    EXPECT_TRUE(window->mask().contains(QPoint(int(outline.midX()), int(900 - outline.maxY() + 2))));
    window->setActive(false);
}

// Whatever asks the shown window to paint again (the toolkit unshapes a window shaped to nothing so that it
// can paint), the painting shapes it to its picture: an unshaped window without a compositor is a black
// screen. With and without an outline, shown for the first time and again.
TEST_F(FocusWindowTest, WithoutACompositorEveryPaintingLeavesTheWindowShapedToItsPicture) {
    desktop.screens().setCompositingActive(false);
    const Rect outline(800, 200, 300, 200);
    for (const Rect& shown : {Rect(), outline, Rect(), Rect(), outline}) {
        SCOPED_TRACE(stringFromRect(shown).toStdString());
        window->setDropFrameValues({}, Aperture, shown);
        window->setActive(true);
        QCoreApplication::processEvents();
        for (int repaint = 0; repaint < 2; ++repaint) {
            window->focusView()->update();
            QCoreApplication::processEvents();
            const QRegion mask = window->mask();
            ASSERT_FALSE(mask.isEmpty()) << "shaped";
            EXPECT_EQ(mask.intersects(window->rect()), !shown.isEmpty());
        }
        window->setActive(false);
        QCoreApplication::processEvents();
    }
}

// A frame of the moving dashes repaints the rectangles along the outline, one by one, and leaves the picture
// as a whole repaint at that phase would: the tall sides, painted lying down and turned upright, too.
TEST_F(FocusWindowTest, ADashFrameRepaintsTheOutlineAsAWholeRepaintWould) {
    ZRFocusScene scene;
    scene.bounds = Size(1440, 900);
    scene.apertureFrame = Rect(100, 100, 500, 400);
    scene.outlineFrame = Rect(720, 0, 720, 900);
    const ZRFocusPicture picture = ZRFocusPicture::forScene(scene, ZRFocusSettings::read(settings()));
    const auto paint = [&](QImage& image, const QRect& rect, double phase) {
        QPainter painter(&image);
        painter.setClipRect(rect);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(rect, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        picture.paint(painter, rect, phase);
    };
    QImage frames(1440, 900, QImage::Format_ARGB32_Premultiplied);
    paint(frames, frames.rect(), 0);
    const std::vector<QRect> rects = picture.outlineDirtyRects();
    ASSERT_EQ(rects.size(), 4u);
    int area = 0;
    for (const QRect& rect : rects) {
        area += rect.width() * rect.height();
        paint(frames, rect, 2.5);
    }
    EXPECT_LT(area, 1440 * 900 / 20) << "the outline's rectangles, not the window";
    QImage whole(1440, 900, QImage::Format_ARGB32_Premultiplied);
    paint(whole, whole.rect(), 2.5);
    int worst = 0;
    for (int y = 0; y < 900; ++y)
        for (int x = 0; x < 1440; ++x) {
            const QRgb a = frames.pixel(x, y), b = whole.pixel(x, y);
            worst = std::max({worst, std::abs(qAlpha(a) - qAlpha(b)), std::abs(qRed(a) - qRed(b)),
                              std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b))});
        }
    EXPECT_LE(worst, 8);
}

// The aperture follows a window while active and is nothing when the window cannot be read.
TEST_F(FocusWindowTest, TheApertureFollowsAWindowWhileActive) {
    auto& editor = desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
    SimWindow& simWindow = desktop.addWindow(editor, Rect(100, 50, 400, 300));
    const AXElementRef element = desktop.accessibility().elementAtPosition(Point(300, 200));
    window->updateApertureFrameForWindow(element);
    EXPECT_TRUE(window->apertureFrame().isZero()) << "inactive";
    window->setActive(true);
    window->updateApertureFrameForWindow(element);
    EXPECT_EQ(window->apertureFrame(), Rect(100, 550, 400, 300));
    simWindow.close();
    window->updateApertureFrameForWindow(element);
    EXPECT_TRUE(window->apertureFrame().isZero());
}

// The pictures a user sees, over a desktop with a window: every style, the alert and overlapping drop
// frames.
TEST_F(FocusWindowTest, Pictures) {
    const auto backdrop = [] {
        QImage image(1440, 900, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&image);
        QLinearGradient sky(0, 0, 0, 900);
        sky.setColorAt(0, QColor(120, 160, 210));
        sky.setColorAt(1, QColor(90, 140, 90));
        painter.fillRect(image.rect(), sky);
        painter.fillRect(QRect(200, 300, 400, 300), QColor(245, 245, 245));
        painter.fillRect(QRect(200, 300, 400, 22), QColor(210, 210, 210));
        return image;
    }();
    const auto save = [&](const QString& name) {
        QImage image = backdrop;
        QPainter painter(&image);
        painter.drawImage(0, 0, render());
        painter.end();
        saveScreenshot(image, QStringLiteral("focus-") + name);
    };
    // The aperture around the window (Cocoa), the outline on the right half.
    const Rect aperture(200, 300, 400, 300);
    const Rect rightHalf(720, 0, 720, 900);
    for (const std::int64_t style : {0, 1, 2}) {
        set(F::Style, QVariant::fromValue(style));
        window->setDropFrameValues({}, aperture, rightHalf);
        window->setNeedsDisplay();
        save(QStringLiteral("style-%1").arg(style));
    }
    set(F::Style, 0);
    window->setDropFrameValues({}, Rect(), Rect(720, 450, 720, 450));
    window->setDrawOutlineAsAlert(true);
    save(QStringLiteral("alert"));
    window->setDrawOutlineAsAlert(false);

    window->setDropFrameValuesOverlap(true);
    window->setDropFrameValues({Rect(40, 40, 700, 500), Rect(500, 300, 700, 500), Rect(900, 100, 500, 700)},
                               Rect(), Rect(500, 300, 700, 500));
    save(QStringLiteral("overlapping-drops"));
    desktop.screens().setCompositingActive(false);
    window->setNeedsDisplay();
    save(QStringLiteral("overlapping-drops-without-compositor"));
}

} // namespace
