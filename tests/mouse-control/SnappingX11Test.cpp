// Snapping as a user meets it on the X11 test display: an xterm dragged by its title bar with XTest to the
// left edge, while openbox moves it. The preview shows our overlay, the mouse up gives the xterm the left
// half; auto-snap holds through openbox's move; a snapped xterm dragged to the middle gets its size back.
#include "MouseControlContext.h"
#include "MouseControlX11TestSupport.h"
#include "TestProgram.h"

#include "actions/ZRActionManager.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRSnapping.h"
#include "shell/ZRMainController.h"
#include "toolkit/WindowExtensions.h"

using namespace X11Test;

namespace {

namespace D = ZRMouseControlDefault;

// The test display is 1600 x 1000 without panels: the left half of its usable frame.
const Rect LeftHalf(0, 0, 800, 1000);

class SnappingX11 : public XtermDragX11Test {
protected:
    std::optional<TestProgram> program;

    void SetUp() override {
        XtermDragX11Test::SetUp();
        program.emplace(settings(), Platform::current());
        ZRActionManager::registerDefaults(settings());
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        controller->registerDefaults(settings());
        set(D::Snap, true);
        set(QStringLiteral("Mouse Controls"), false);
        controller->updateFeatureFlagsAndTap();
        ASSERT_TRUE(controller->hasEventTap()) << "the event tap";
        setFadingDuration(&ZRFocusWindow::defaultFocusWindow(), 0);
    }
    void TearDown() override {
        controller.reset();
        program.reset();
        XtermDragX11Test::TearDown();
    }

    // Drags the xterm to the left edge and lets it rest there.
    void dragToTheLeftEdge() {
        press(titleBar);
        glide(2 - titleBar.x, 0, 20);
        processEvents(400);
    }

    std::unique_ptr<ZRMouseController> controller;
};

} // namespace

TEST_F(SnappingX11, APreviewShowsOurOverlayAndTheMouseUpSnaps) {
    ASSERT_TRUE(startXterm());
    dragToTheLeftEdge();
    ZRFocusWindow& focus = ZRFocusWindow::defaultFocusWindow();
    ASSERT_TRUE(waitUntil([&] { return focus.isActive() && isViewable(focus.winId()); }));
    EXPECT_TRUE(xwininfoText(focus.winId()).contains(QStringLiteral("Override Redirect State: yes")));
    EXPECT_EQ(focus.outlineFrame(), LeftHalf);
    saveScreenshot(screenPixels(QRect(0, 0, 1600, 1000)), QStringLiteral("snap-x11-preview"));
    EXPECT_FALSE(near(now(), LeftHalf)) << "only shown while the button is down";
    release();
    EXPECT_TRUE(waitUntil([&] { return near(now(), LeftHalf); }))
        << stringFromRect(now().value_or(Rect())).toStdString();
    EXPECT_TRUE(waitUntil([&] { return !isViewable(focus.winId()); }));
}

TEST_F(SnappingX11, AutoSnapHoldsThroughTheWindowManagersMoveAndAJitter) {
    set(D::AutoSnap, true);
    controller->updateFeatureFlagsAndTap();
    ASSERT_TRUE(startXterm());
    dragToTheLeftEdge();
    ASSERT_TRUE(waitUntil([&] { return near(now(), LeftHalf); })) << "snapped with the button down";
    glide(1, 0, 1);
    processEvents(400);
    release();
    EXPECT_TRUE(near(now(), LeftHalf)) << stringFromRect(now().value_or(Rect())).toStdString();
}

TEST_F(SnappingX11, ASnappedXtermDraggedToTheMiddleGetsItsSizeBackAndFollowsThePointer) {
    ASSERT_TRUE(startXterm());
    dragToTheLeftEdge();
    release();
    ASSERT_TRUE(waitUntil([&] { return near(now(), LeftHalf); }));
    processEvents(300);

    const auto snapped = now();
    ASSERT_TRUE(snapped);
    press({snapped->x() + 400, titleBar.y - frame.y() + snapped->y()});
    glide(400, 200, 20);
    processEvents(300);
    const auto back = now();
    ASSERT_TRUE(back);
    EXPECT_NEAR(back->width(), frame.width(), Cell);
    EXPECT_NEAR(back->height(), frame.height(), Cell);
    EXPECT_TRUE(back->contains(pointer)) << "under the pointer";
    glide(-100, -50, 10);
    processEvents(300);
    const auto followed = now();
    release();
    ASSERT_TRUE(followed);
    EXPECT_NEAR(followed->x(), back->x() - 100, 2);
    EXPECT_NEAR(followed->y(), back->y() - 50, 2);
    EXPECT_NEAR(followed->width(), frame.width(), Cell);
}

// A compositing manager that starts or stops while the preview shows, or while it is hidden, changes how
// the preview reaches the screen at once: its outline stays drawn, the xterm shows through inside it, and
// the window is shaped to its outline only without the compositor.
TEST_F(SnappingX11, APreviewFollowsACompositorThatStartsAndStopsWhileItShowsAndWhileItIsHidden) {
    ASSERT_TRUE(startXterm());
    ZRFocusWindow& focus = ZRFocusWindow::defaultFocusWindow();
    const auto compositing = [&] { return platform->screens().compositingActive(); };
    // The outline's line runs down the inside of the half's far edge: white dashes on the dark screen.
    const auto shows = [&](const Rect& half, bool composited) {
        const double edge = half.x() > 0 ? half.x() : half.maxX() - 10;
        const QImage strip = screenPixels(QRect(int(edge), 300, 10, 400));
        int white = 0;
        for (int y = 0; y < strip.height(); ++y)
            for (int x = 0; x < strip.width(); ++x)
                white += qGray(strip.pixel(x, y)) > 200;
        // A point of the xterm on the screen, however far it was dragged off it.
        const auto terminalFrame = now();
        const QPoint inTerminal =
            terminalFrame ? QPoint(int(std::min(terminalFrame->midX(), 1590.0)), int(terminalFrame->midY()))
                          : QPoint();
        const bool xtermShows =
            terminalFrame && qGray(screenPixels(QRect(inTerminal, QSize(1, 1))).pixel(0, 0)) > 240;
        return focus.isActive() && isViewable(focus.winId()) && white > 40 && xtermShows &&
               focus.mask().isEmpty() == composited;
    };
    const auto preview = [&](const QString& name, const Rect& half, bool composited) {
        EXPECT_TRUE(waitUntil([&] { return shows(half, composited); })) << name.toStdString();
        saveScreenshot(screenPixels(QRect(0, 0, 1600, 1000)), name);
    };
    const Rect rightHalf(800, 0, 800, 1000);

    dragToTheLeftEdge();
    preview(QStringLiteral("snap-x11-preview-before-compositor"), LeftHalf, false);
    auto compositor = Compositor::start();
    ASSERT_TRUE(compositor);
    ASSERT_TRUE(waitUntil(compositing));
    preview(QStringLiteral("snap-x11-preview-compositor-started"), LeftHalf, true);
    EXPECT_TRUE(xwininfoText(focus.winId()).contains(QStringLiteral("Depth: 32"))) << "it can blend";
    compositor.reset();
    ASSERT_TRUE(waitUntil([&] { return !compositing(); }));
    preview(QStringLiteral("snap-x11-preview-compositor-stopped"), LeftHalf, false);
    release();
    ASSERT_TRUE(waitUntil([&] { return near(now(), LeftHalf); }));
    ASSERT_TRUE(waitUntil([&] { return !isViewable(focus.winId()); }));

    // While it is hidden: shown next, the preview follows the compositor as it is then.
    compositor = Compositor::start();
    ASSERT_TRUE(compositor);
    ASSERT_TRUE(waitUntil(compositing));
    const auto snapped = now();
    ASSERT_TRUE(snapped);
    press({snapped->x() + 80, titleBar.y - frame.y() + snapped->y()});
    glide(1598 - pointer.x, 500 - pointer.y, 30);
    processEvents(400);
    preview(QStringLiteral("snap-x11-preview-compositor-started-while-hidden"), rightHalf, true);
    release();
    ASSERT_TRUE(waitUntil([&] { return !isViewable(focus.winId()); }));
    compositor.reset();
    ASSERT_TRUE(waitUntil([&] { return !compositing(); }));
    const auto right = now();
    ASSERT_TRUE(right);
    press({right->x() + 80, titleBar.y - frame.y() + right->y()});
    glide(2 - pointer.x, 500 - pointer.y, 30);
    processEvents(400);
    preview(QStringLiteral("snap-x11-preview-compositor-stopped-while-hidden"), LeftHalf, false);
    release();
}

// The preview after the focus window outlined something else before a compositor started (a grid's choice)
// is not cut to that old outline: its line shows all around the half, the bottom edge too.
TEST_F(SnappingX11, APreviewAfterACompositorStartedIsNotCutToAnEarlierOutline) {
    ASSERT_TRUE(startXterm());
    ZRFocusWindow& focus = ZRFocusWindow::defaultFocusWindow();
    focus.setDropFrameValues({}, Rect(), Rect(267, 500, 533, 500));
    focus.setActive(true);
    ASSERT_TRUE(waitUntil([&] { return isViewable(focus.winId()); }));
    processEvents(300);
    focus.setActive(false);
    ASSERT_TRUE(waitUntil([&] { return !focus.isVisible(); }));
    processEvents(300);
    auto compositor = Compositor::start();
    ASSERT_TRUE(compositor);
    ASSERT_TRUE(waitUntil([&] { return platform->screens().compositingActive(); }));

    dragToTheLeftEdge();
    ASSERT_TRUE(waitUntil([&] { return focus.isActive() && isViewable(focus.winId()); }));
    // The line along the bottom of the half, left of the old outline: white dashes on the dark screen.
    const auto bottomShows = [&] {
        const QImage strip = screenPixels(QRect(20, 985, 200, 15));
        int white = 0;
        for (int y = 0; y < strip.height(); ++y)
            for (int x = 0; x < strip.width(); ++x)
                white += qGray(strip.pixel(x, y)) > 200;
        return white > 40;
    };
    EXPECT_TRUE(waitUntil(bottomShows));
    EXPECT_TRUE(run("xwininfo", {"-id", QString::number(focus.winId()), "-shape"})
                    .contains("No window shape defined"));
    saveScreenshot(screenPixels(QRect(0, 0, 1600, 1000)),
                   QStringLiteral("snap-x11-preview-compositor-started-after-another-outline"));
    release();
}
