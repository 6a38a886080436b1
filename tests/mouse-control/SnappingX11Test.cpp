// Snapping as a user meets it on the X11 test display: an xterm dragged by its title bar with XTest to the
// left edge, while openbox moves it. The preview shows our overlay, the mouse up gives the xterm the left
// half; auto-snap holds through openbox's move; a snapped xterm dragged to the middle gets its size back.
#include "MouseControlX11TestSupport.h"

#include "actions/ZRActionManager.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlState.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRSnapping.h"
#include "shell/ZRMainController.h"
#include "toolkit/WindowExtensions.h"

using namespace X11Test;

namespace {

namespace D = ZRMouseControlDefault;

// The test display is 1600 x 1000 without panels: the left half of its usable frame.
const Rect LeftHalf(0, 0, 800, 1000);
// xterm sizes itself in whole character cells, smaller than this.
constexpr double Cell = 20;

class SnappingX11 : public MouseControlX11Test {
protected:
    void SetUp() override {
        MouseControlX11Test::SetUp();
        ZRActionManager::setActionManager(std::make_unique<ZRActionManager>());
        ZRActionManager::registerDefaults();
        controller = std::make_unique<ZRMouseController>();
        controller->registerDefaults(UserDefaults::standard());
        set(D::Snap, true);
        set(QStringLiteral("Mouse Controls"), false);
        controller->updateFeatureFlagsAndTap();
        ASSERT_TRUE(ZRMouseControlState::shared().tap) << "the event tap";
        setFadingDuration(&ZRFocusWindow::defaultFocusWindow(), 0);
    }
    void TearDown() override {
        controller.reset();
        ZRMouseControlState::reset();
        ZRMainController::destroyMainController();
        ZRActionManager::setActionManager(nullptr);
        MouseControlX11Test::TearDown();
    }

    // A new xterm, and a point on its title bar away from the buttons.
    bool startXterm() {
        terminal = Client::start(QStringLiteral("xterm"), QStringLiteral("60x20+300+250"));
        std::optional<Rect> found;
        if (!terminal ||
            !waitUntil([&] { return (found = independentFrame(terminal->window())).has_value(); }))
            return false;
        frame = *found;
        const auto extents = xpropValues(terminal->window(), QStringLiteral("_NET_FRAME_EXTENTS"));
        if (extents.size() != 4)
            return false;
        titleBar = {std::floor(frame.x() + 80), std::floor(frame.y() + extents[2] / 2.0)};
        processEvents(200);
        return true;
    }

    void press(Point at) {
        ASSERT_TRUE(input->movePointer(at));
        pointer = at;
        processEvents(50);
        ASSERT_TRUE(input->button(1, true));
        processEvents(50);
    }
    // Moves the pointer as a hand does, in steps.
    void glide(double dx, double dy, int steps = 10) {
        const Point from = pointer;
        for (int step = 1; step <= steps; ++step) {
            pointer = {std::round(from.x + dx * step / steps), std::round(from.y + dy * step / steps)};
            ASSERT_TRUE(input->movePointer(pointer));
            processEvents(20);
        }
    }
    void release() {
        ASSERT_TRUE(input->button(1, false));
        processEvents(300);
    }
    std::optional<Rect> now() const { return independentFrame(terminal->window()); }
    // At the frame's place, its size within a cell.
    static bool near(const std::optional<Rect>& a, const Rect& b) {
        return a && std::abs(a->x() - b.x()) <= 1 && std::abs(a->y() - b.y()) <= 1 &&
               std::abs(a->width() - b.width()) <= Cell && std::abs(a->height() - b.height()) <= Cell;
    }

    // Drags the xterm to the left edge and lets it rest there.
    void dragToTheLeftEdge() {
        press(titleBar);
        glide(2 - titleBar.x, 0, 20);
        processEvents(400);
    }

    std::unique_ptr<ZRMouseController> controller;
    std::unique_ptr<Client> terminal;
    Rect frame;
    Point titleBar;
    Point pointer;
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
