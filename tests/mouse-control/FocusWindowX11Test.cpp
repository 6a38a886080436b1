// The focus window over an xterm on the X11 test display, with and without a compositing manager, as a user
// sees it: an unmanaged window that leaves the focus alone, an outline around part of the xterm, and the
// dimming around it only where translucency can be shown.
#include "MouseControlX11TestSupport.h"

#include "mouse-control/ZRFocusWindow.h"
#include "toolkit/WindowExtensions.h"
#include "window-access/Coordinates.h"

using namespace X11Test;

namespace {

bool near(const QColor& a, const QColor& b, int tolerance = 3) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// The screen's pixels there once nothing changes any more: a client draws a moment after it is framed, later
// on a busy machine.
QImage settledPixels(const QRect& area) {
    QImage last = screenPixels(area);
    waitUntil(
        [&] {
            processEvents(100);
            QImage now = screenPixels(area);
            const bool same = now == last;
            last = std::move(now);
            return same;
        },
        10000);
    return last;
}

class FocusWindowX11 : public MouseControlX11Test {
protected:
    // An xterm with the aperture around it and an outline inside it, the focus window shown over them.
    void showOverXterm() {
        terminal = Client::start(QStringLiteral("xterm"), QStringLiteral("80x24+200+150"));
        ASSERT_TRUE(terminal);
        const auto found = independentFrame(terminal->window());
        ASSERT_TRUE(found);
        frame = *found;
        outline = frame.insetBy(60, 60);
        before = settledPixels(area());
        activeBefore = activeWindow();

        window =
            ZRFocusWindow::focusWindowWithFrame(Rect(), settings(), RunLoop::main(), platform->screens());
        setFadingDuration(window.get(), 0);
        window->setDropFrameValues({}, ZRFlipRect(frame), ZRFlipRect(outline));
        window->setActive(true);
        ASSERT_TRUE(waitUntil([&] { return isViewable(window->winId()); }));
    }

    QRect area() const { return QRect(100, 50, 800, 600); }
    // A point of the area's picture at a root point.
    static QColor pixel(const QImage& image, Point root) {
        return image.pixelColor(int(root.x) - 100, int(root.y) - 50);
    }

    void hideAndExpectTheScreenAsBefore() {
        window->setActive(false);
        EXPECT_TRUE(waitUntil([&] { return !isViewable(window->winId()); }));
        EXPECT_TRUE(waitUntil([&] { return screenPixels(area()) == before; })) << "nothing left behind";
    }

    std::unique_ptr<Client> terminal;
    Rect frame;
    Rect outline;
    QImage before;
    std::uint32_t activeBefore = 0;
    std::unique_ptr<ZRFocusWindow> window;
};

} // namespace

// Without a compositor: no dimming, the outline opaque, the window cut to it; the rest shows the screen.
TEST_F(FocusWindowX11, WithoutACompositorTheOutlineAloneIsDrawn) {
    set(QStringLiteral("Focus: Shadow"), false);
    ASSERT_FALSE(platform->screens().compositingActive());
    showOverXterm();
    EXPECT_TRUE(xwininfoText(window->winId()).contains(QStringLiteral("Override Redirect State: yes")));
    EXPECT_EQ(activeWindow(), activeBefore);
    // The outline's edge is drawn once the window has painted (its dashes move, the picture never settles).
    EXPECT_TRUE(waitUntil([&] {
        return pixel(screenPixels(area()), Point(outline.x(), outline.midY())) == QColor(Qt::black);
    }));
    const QImage after = screenPixels(area());
    saveScreenshot(after, QStringLiteral("focus-x11-without-compositor"));

    const Point inside(outline.midX(), outline.midY());
    const Point outsideTheAperture(frame.x() - 40, frame.midY());
    EXPECT_EQ(pixel(after, inside), pixel(before, inside)) << "the outline's inside shows the xterm";
    EXPECT_EQ(pixel(after, outsideTheAperture), pixel(before, outsideTheAperture)) << "no dimming";
    // Style 0, animated, without shadow: white dashes 3 points wide, with a black point on each side and in
    // the gaps.
    EXPECT_EQ(pixel(after, Point(outline.x(), outline.midY())), QColor(Qt::black));
    int white = 0, black = 0;
    for (double x = outline.midX(); x < outline.midX() + 40; ++x) {
        const QColor line = pixel(after, Point(x, outline.y() + 2));
        white += line == QColor(Qt::white);
        black += line == QColor(Qt::black);
    }
    EXPECT_GT(white, 10);
    EXPECT_GT(black, 3);
    hideAndExpectTheScreenAsBefore();
}

// With a compositor: the screen around the xterm is dimmed at the "Focus" opacity, the xterm is not.
TEST_F(FocusWindowX11, WithACompositorTheScreenAroundTheApertureIsDimmed) {
    auto compositor = Compositor::start();
    ASSERT_TRUE(compositor);
    ASSERT_TRUE(waitUntil([&] { return platform->screens().compositingActive(); }));
    processEvents(300);
    showOverXterm();
    const Point outsideTheAperture(frame.x() - 40, frame.midY());
    const Point insideTheAperture(frame.x() + 30, frame.maxY() - 20);
    const QColor under = pixel(before, outsideTheAperture);
    const QColor dimmed(under.red() * 3 / 4, under.green() * 3 / 4, under.blue() * 3 / 4);
    EXPECT_TRUE(waitUntil([&] { return near(pixel(screenPixels(area()), outsideTheAperture), dimmed); }));
    const QImage after = screenPixels(area());
    saveScreenshot(after, QStringLiteral("focus-x11-with-compositor"));
    EXPECT_TRUE(near(pixel(after, insideTheAperture), pixel(before, insideTheAperture)));
    EXPECT_TRUE(window->mask().isEmpty()) << "unshaped: the compositor blends";
    hideAndExpectTheScreenAsBefore();
}
