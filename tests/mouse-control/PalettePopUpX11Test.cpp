// The palette as a user meets it on the X11 test display: the pointer comes to rest on an xterm's maximise
// button (moved there as a hand moves a mouse, through XTest), the palette hangs beside the button without
// taking the focus, its buttons move the xterm, and moving away takes it down.
#include "MouseControlContext.h"
#include "MouseControlX11TestSupport.h"
#include "TestProgram.h"

#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZROverlayButton.h"
#include "mouse-control/ZROverlayColorScheme.h"
#include "mouse-control/ZROverlayMenuButton.h"
#include "mouse-control/ZROverlayWindow.h"
#include "mouse-control/ZRPalette.h"
#include "mouse-control/ZRZoomButtonOverlayWindow.h"
#include "shell/ZRMainController.h"
#include "window-access/WindowElements.h"

#include <QTest>

using namespace X11Test;

namespace {

namespace D = ZRMouseControlDefault;

// The test display is 1600 × 1000 without panels. xterm sizes itself in whole character cells.
constexpr double Cell = 20;
// The rest before the palette looks ("Mouse Controls Delay"), and the time it may take past it.
constexpr int RestMilliseconds = 100;
constexpr int ShowMilliseconds = RestMilliseconds + 300;

// At the frame within a cell, its left or right edge and its top or bottom edge where the frame's are: a
// window of whole cells on the right half keeps its right edge.
bool near(const std::optional<Rect>& a, const Rect& b) {
    const auto close = [](double p, double q, double tolerance) { return std::abs(p - q) <= tolerance; };
    return a && close(a->width(), b.width(), Cell) && close(a->height(), b.height(), Cell) &&
           (close(a->minX(), b.minX(), 2) || close(a->maxX(), b.maxX(), 2)) &&
           (close(a->minY(), b.minY(), 2) || close(a->maxY(), b.maxY(), 2));
}

class PalettePopUpX11 : public MouseControlX11Test {
protected:
    std::optional<TestProgram> program;

    void SetUp() override {
        MouseControlX11Test::SetUp();
        program.emplace(settings(), Platform::current());
        ZRActionManager::registerDefaults(settings());
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        controller->registerDefaults(settings());
        ZRMainController::mainController().actions().setBeepHandler([this] { ++beeps; });
        controller->updateFeatureFlagsAndTap();
        ASSERT_TRUE(controller->hasEventTap()) << "the event tap";
        terminal = Client::start(QStringLiteral("xterm"), QStringLiteral("80x24+300+150"));
        ASSERT_TRUE(terminal);
        ASSERT_TRUE(waitUntil([&] { return activeWindow() == terminal->window(); }));
        ASSERT_TRUE(input->movePointer({200, 600}));
        pointer = {200, 600};
        processEvents(200);
    }
    void TearDown() override {
        if (input)
            input->key(Key::Option, false);
        controller.reset();
        program.reset();
        MouseControlX11Test::TearDown();
    }

    ZRPalette& palette() { return controller->ownPalette(); }
    std::optional<Rect> xterm() const { return independentFrame(terminal->window()); }

    // The xterm's maximise button in root coordinates, from its element.
    std::optional<Rect> zoomButton() {
        const auto frame = xterm();
        if (!frame)
            return std::nullopt;
        AXElementRef window = platform->accessibility().elementAtPosition({frame->midX(), frame->midY()});
        if (window && ZRCopyAXAttribute(window, AX::Role) != AXValue(AX::WindowRole))
            window = ZRCopyAXElementAttribute(window, AX::Window);
        const AXElementRef zoom = ZRCopyZoomButton(window);
        return zoom ? ZRCopyWindowFrame(zoom, false) : std::nullopt;
    }

    // Moves the pointer to the point in small steps, each relative to the last, as a hand does.
    void glideTo(Point to, int steps = 8) {
        const Point from = pointer;
        for (int step = 1; step <= steps; ++step) {
            const Point next(std::round(from.x + (to.x - from.x) * step / steps),
                             std::round(from.y + (to.y - from.y) * step / steps));
            ASSERT_TRUE(input->movePointerBy(int(next.x - pointer.x), int(next.y - pointer.y)));
            pointer = next;
            processEvents(10);
        }
    }
    void click() {
        ASSERT_TRUE(input->button(1, true));
        processEvents(30);
        ASSERT_TRUE(input->button(1, false));
    }
    // The palette shown and mapped by the X server.
    bool paletteMapped() {
        ZROverlayWindow* window = palette().overlayWindow();
        return window && window->isVisible() && isViewable(std::uint32_t(window->winId()));
    }
    bool restOnZoomButton() {
        const auto button = zoomButton();
        if (!button)
            return false;
        glideTo({std::floor(button->midX()), std::floor(button->midY())});
        return waitUntil([&] { return paletteMapped(); }, ShowMilliseconds);
    }
    Point centreOf(const QWidget* widget) const {
        const QPoint centre = widget->mapToGlobal(widget->rect().center());
        return {double(centre.x()), double(centre.y())};
    }

    std::unique_ptr<ZRMouseController> controller;
    std::unique_ptr<Client> terminal;
    Point pointer;
    int beeps = 0;
};

} // namespace

TEST_F(PalettePopUpX11, RestingOnTheMaximiseButtonShowsThePaletteBesideItWithoutTheFocus) {
    const auto button = zoomButton();
    ASSERT_TRUE(button);
    ASSERT_TRUE(restOnZoomButton()) << "within the delay and 0.3 s";
    ZROverlayWindow* window = palette().overlayWindow();
    const auto id = std::uint32_t(window->winId());
    EXPECT_TRUE(xwininfoText(id).contains(QStringLiteral("Override Redirect State: yes")));
    const auto geometry = xwininfoGeometry(id);
    ASSERT_TRUE(geometry);
    const QPointF tip = window->layout().arrowTip + QPointF(geometry->x(), geometry->y());
    EXPECT_NEAR(tip.x(), std::floor(button->midX()), 1.5) << "the arrow points at the button";
    EXPECT_NEAR(tip.y(), std::floor(button->midY()) + 8, 1.5);
    EXPECT_GT(geometry->y(), button->y()) << "below it";
    EXPECT_EQ(activeWindow(), terminal->window());

    // Away from the button and the palette, it goes within half a second and its fade.
    glideTo({pointer.x, pointer.y + 300});
    EXPECT_TRUE(waitUntil([&] { return !palette().overlayWindow(); }, 500 + RestMilliseconds + 300));
    EXPECT_TRUE(waitUntil([&] { return !isViewable(id); }, 500)) << "unmapped after the fade";
    EXPECT_EQ(activeWindow(), terminal->window());
}

TEST_F(PalettePopUpX11, ClicksOnItsButtonsMoveTheXterm) {
    ASSERT_TRUE(restOnZoomButton());
    glideTo(centreOf(palette().leftButton()));
    processEvents(RestMilliseconds + 100);
    ASSERT_TRUE(paletteMapped()) << "kept while the pointer rests on it";
    click();
    EXPECT_TRUE(waitUntil([&] { return near(xterm(), Rect(0, 0, 800, 1000)); }))
        << "the left half: " << stringFromRect(xterm().value_or(Rect())).toStdString();
    EXPECT_TRUE(waitUntil([&] { return !palette().overlayWindow(); }));

    // The palette again, over the moved xterm's button.
    ASSERT_TRUE(restOnZoomButton());

    // Option held: the right button stands for the top-right quarter.
    ASSERT_TRUE(input->key(Key::Option, true));
    glideTo(centreOf(palette().rightButton()));
    EXPECT_TRUE(waitUntil([&] { return palette().rightButton()->alternateMode(); }));
    click();
    // Held until the palette has the click: the program hears keys and clicks on separate connections.
    EXPECT_TRUE(waitUntil([&] { return near(xterm(), Rect(800, 0, 800, 500)); }))
        << "the top-right quarter: " << stringFromRect(xterm().value_or(Rect())).toStdString();
    ASSERT_TRUE(input->key(Key::Option, false));
    EXPECT_EQ(activeWindow(), terminal->window());
    EXPECT_EQ(beeps, 0);
}

// The picture the palette is known by: five buttons, the right one marked, the revert button shown.
TEST_F(PalettePopUpX11, PictureOfThePaletteWithTheRightHalfMarked) {
    ASSERT_TRUE(restOnZoomButton());
    glideTo(centreOf(palette().rightButton()));
    processEvents(RestMilliseconds + 100);
    click();
    ASSERT_TRUE(waitUntil([&] { return near(xterm(), Rect(800, 0, 800, 1000)); }));
    ASSERT_TRUE(waitUntil([&] { return !palette().overlayWindow(); }));
    // In the light look and the dark one, twice their size.
    for (const bool light : {true, false}) {
        set(ZROverlayColorScheme::colorInversionKey(), light);
        ASSERT_TRUE(restOnZoomButton());
        processEvents(400);
        EXPECT_TRUE(palette().rightButton()->representsCurrentWindowFrame());
        EXPECT_TRUE(palette().revertButton()->isVisible());
        EXPECT_FALSE(palette().grid());
        const QRect frame = palette().overlayWindow()->frameGeometry().adjusted(-40, -30, 40, 30);
        saveScreenshot(screenPixels(frame).scaled(frame.size() * 2),
                       light ? QStringLiteral("palette-popup-right-half-marked")
                             : QStringLiteral("palette-popup-right-half-marked-dark"));
        palette().hideOverlayRegardless();
        glideTo({pointer.x, pointer.y + 200});
        ASSERT_TRUE(waitUntil([&] { return !palette().overlayWindow(); }));
    }
}

// With the zoom button's behaviour 1 the overlay on the button comes first; a click on it fills the screen,
// and a click on the filled xterm's button puts it back, though its character cells keep it short of the
// screen.
TEST_F(PalettePopUpX11, WithBehaviourOneAClickOnTheOverlayFillsTheScreenAndTheNextReverts) {
    set(D::ZoomButtonBehavior, 1);
    controller->updateFeatureFlagsAndTap();
    const auto before = xterm();
    ASSERT_TRUE(before);
    const auto clickOverlay = [&] {
        const auto button = zoomButton();
        ASSERT_TRUE(button);
        glideTo({std::floor(button->midX()), std::floor(button->midY())});
        ASSERT_TRUE(waitUntil([&] {
            ZRZoomButtonOverlayWindow* overlay = palette().zoomButtonOverlayWindow();
            return overlay && isViewable(std::uint32_t(overlay->winId()));
        }));
        EXPECT_TRUE(xwininfoText(std::uint32_t(palette().zoomButtonOverlayWindow()->winId()))
                        .contains(QStringLiteral("Override Redirect State: yes")));
        processEvents(50);
        click();
    };
    clickOverlay();
    EXPECT_TRUE(waitUntil([&] { return near(xterm(), Rect(0, 0, 1600, 1000)); }))
        << stringFromRect(xterm().value_or(Rect())).toStdString();
    EXPECT_NE(xterm(), std::optional<Rect>(Rect(0, 0, 1600, 1000))) << "short of the screen by its cells";
    EXPECT_FALSE(
        xpropText(terminal->window(), QStringLiteral("_NET_WM_STATE")).contains(QStringLiteral("MAXIMIZED")))
        << "our fill, not the window manager's maximise";
    EXPECT_EQ(activeWindow(), terminal->window());

    glideTo({pointer.x, pointer.y + 300});
    ASSERT_TRUE(waitUntil([&] { return !palette().zoomButtonOverlayWindow(); }));
    clickOverlay();
    EXPECT_TRUE(waitUntil([&] { return xterm() == before; }))
        << stringFromRect(xterm().value_or(Rect())).toStdString();
    EXPECT_EQ(beeps, 0);
}

// The palette's preview finds the settings window's own title-bar buttons, as the window manager draws them.
TEST_F(PalettePopUpX11, TheProgramsOwnWindowHasItsTitleBarButtons) {
    QWidget own;
    own.setWindowTitle(QStringLiteral("Skaf"));
    own.resize(400, 300);
    own.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&own));
    const auto id = std::uint32_t(own.winId());
    ASSERT_TRUE(waitUntil([&] { return independentFrame(id).has_value(); }));
    const Rect frame = *independentFrame(id);
    const AXElementRef element = platform->accessibility().elementForOwnWindow(own.winId());
    ASSERT_NE(element, nullptr);
    const auto zoom = ZRCopyWindowFrame(ZRCopyZoomButton(element), false);
    ASSERT_TRUE(zoom);
    EXPECT_TRUE(frame.contains(*zoom))
        << stringFromRect(*zoom).toStdString() << " in " << stringFromRect(frame).toStdString();
    EXPECT_LT(zoom->y(), frame.y() + 30) << "in the title bar";
    EXPECT_EQ(platform->accessibility().elementForOwnWindow(0), nullptr);
}
