// The palette and the zoom-button overlay over an xterm's maximise button on the X11 test display, as a
// user meets them: unmanaged windows where the button is, the focus left with the xterm, clicks (Alt+click
// too) reaching the buttons and the overlay instead of the window manager, and without a compositor the
// corners outside their shapes showing what lies beneath.
#include "MouseControlContext.h"
#include "MouseControlX11TestSupport.h"
#include "PaletteTestSupport.h"

#include "mouse-control/ZROverlayWindow.h"
#include "mouse-control/ZRZoomButtonOverlayWindow.h"
#include "platform/Accessibility.h"
#include "toolkit/Appearance.h"
#include "toolkit/WindowExtensions.h"
#include "window-access/Coordinates.h"
#include "window-access/WindowElements.h"

#include <QTest>

using namespace X11Test;

namespace {

// Within a point of each other, edge by edge.
bool near(const Rect& a, const Rect& b) {
    return std::abs(a.minX() - b.minX()) <= 1 && std::abs(a.minY() - b.minY()) <= 1 &&
           std::abs(a.maxX() - b.maxX()) <= 1 && std::abs(a.maxY() - b.maxY()) <= 1;
}

bool isOverrideRedirect(WId window) {
    return xwininfoText(std::uint32_t(window)).contains(QStringLiteral("Override Redirect State: yes"));
}

class PaletteX11 : public MouseControlX11Test {
protected:
    void TearDown() override {
        if (input)
            input->key(Key::Option, false);
        panel.reset();
        overlay.reset();
        MouseControlX11Test::TearDown();
    }

    // The xterm's maximise button in root coordinates, from its element.
    std::optional<Rect> zoomButtonOfXterm() {
        const auto found = independentFrame(terminal->window());
        if (!found)
            return std::nullopt;
        frame = *found;
        AXElementRef window;
        waitUntil([&] {
            window = platform->accessibility().elementAtPosition({frame.midX(), frame.midY()});
            return window != nullptr;
        });
        if (window && ZRCopyAXAttribute(window, AX::Role) != AXValue(AX::WindowRole))
            window = ZRCopyAXElementAttribute(window, AX::Window);
        const AXElementRef zoom = ZRCopyZoomButton(window);
        return zoom ? ZRCopyWindowFrame(zoom, false) : std::nullopt;
    }

    static bool show(QWidget& window) {
        window.show();
        return QTest::qWaitForWindowExposed(&window) && waitUntil([&] { return isViewable(window.winId()); });
    }

    void click(Point point) {
        ASSERT_TRUE(input->movePointer(point));
        ASSERT_TRUE(input->button(1, true));
        ASSERT_TRUE(input->button(1, false));
    }

    std::unique_ptr<Client> terminal;
    Rect frame;
    QObject target;
    // Made when first used, once the settings are open.
    PaletteButtons& palette() {
        if (!m_palette)
            m_palette.emplace(mouseControlContext(settings()));
        return *m_palette;
    }
    std::optional<PaletteButtons> m_palette;
    std::unique_ptr<ZRZoomButtonOverlayWindow> overlay;
    std::unique_ptr<ZROverlayWindow> panel;
};

} // namespace

TEST_F(PaletteX11, ThePaletteAndTheOverlayOverTheMaximiseButton) {
    ASSERT_FALSE(platform->screens().compositingActive());
    terminal = Client::start(QStringLiteral("xterm"), QStringLiteral("80x24+300+150"));
    ASSERT_TRUE(terminal);
    const std::optional<Rect> button = zoomButtonOfXterm();
    ASSERT_TRUE(button);
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == terminal->window(); }));
    processEvents(300);
    const QRect area(int(frame.x()) - 20, int(frame.y()) - 20, int(frame.width()) + 40, 140);
    const QImage before = screenPixels(area);
    const auto pixel = [&](const QImage& image, QPoint root) { return image.pixel(root - area.topLeft()); };

    int clicks = 0;
    overlay =
        ZRZoomButtonOverlayWindow::overlayPanelWithFrame(ZRFlipRect(*button), 100, true, false, settings());
    overlay->setWindowTitle(QStringLiteral("Zoom Button"));
    overlay->setTarget(&target);
    overlay->setAction([&](ZRZoomButtonOverlayWindow&) { ++clicks; });
    ASSERT_TRUE(show(*overlay));

    const Point buttonCenter(button->midX(), button->midY());
    palette().setTarget(&target);
    panel = std::make_unique<ZROverlayWindow>(palette().view, ZRFlipPoint(buttonCenter), nullptr,
                                              AttachedPanelSide::BottomLeft, 8);
    panel->setArrowHeight(7);
    panel->setArrowBaseWidth(11);
    panel->setBorderWidth(0);
    panel->setBackgroundColor(lightModeOverlayBackgroundColor());
    setWindowLevel(panel.get(), 100);
    ASSERT_TRUE(show(*panel));
    processEvents(300);
    const QImage shown = screenPixels(area);
    saveScreenshot(shown, QStringLiteral("palette-x11-over-xterm"));
    // The button and the palette's arrow three times their size.
    const QRect detail(QPoint(int(button->x()) - 60, int(button->y()) - 10) - area.topLeft(), QSize(90, 60));
    saveScreenshot(shown.copy(detail).scaled(detail.size() * 3),
                   QStringLiteral("palette-x11-over-xterm-detail"));

    // Unmanaged windows where the button is; the xterm keeps the focus.
    EXPECT_TRUE(isOverrideRedirect(overlay->winId()));
    EXPECT_TRUE(isOverrideRedirect(panel->winId()));
    const auto overlayGeometry = xwininfoGeometry(std::uint32_t(overlay->winId()));
    ASSERT_TRUE(overlayGeometry);
    EXPECT_TRUE(near(*overlayGeometry, *button)) << stringFromRect(*overlayGeometry).toStdString() << " over "
                                                 << stringFromRect(*button).toStdString();
    const auto panelGeometry = xwininfoGeometry(std::uint32_t(panel->winId()));
    ASSERT_TRUE(panelGeometry);
    const QPointF tip = panel->layout().arrowTip + QPointF(panelGeometry->x(), panelGeometry->y());
    EXPECT_NEAR(tip.x(), buttonCenter.x, 1) << "the arrow points at the button";
    EXPECT_NEAR(tip.y(), buttonCenter.y + 8, 1);
    EXPECT_EQ(activeWindow(), terminal->window());

    // The shapes: the corners outside the palette's rounded body and the overlay's disc show what was there.
    const QPoint panelCorner(int(panelGeometry->x() + panel->layout().bodyRect.x()) + 1,
                             int(panelGeometry->y() + panel->layout().bodyRect.y()) + 1);
    EXPECT_EQ(pixel(shown, panelCorner), pixel(before, panelCorner))
        << "the xterm under the palette's corner";
    const QPoint inButton = palette().full->mapToGlobal(palette().full->rect().center());
    EXPECT_NE(pixel(shown, inButton), pixel(before, inButton));
    const QPoint overlayCorner(int(overlayGeometry->x()), int(overlayGeometry->y()));
    EXPECT_EQ(pixel(shown, overlayCorner), pixel(before, overlayCorner)) << "the title bar under the corner";
    const QPoint overlayCenter(int(buttonCenter.x), int(buttonCenter.y));
    EXPECT_NE(pixel(shown, overlayCenter), pixel(before, overlayCenter)) << "the disc over the button";

    // The pointer lights a button, which openbox's Alt+click reaches; the overlay catches the click that
    // would have maximised the xterm.
    const QPoint right = palette().right->mapToGlobal(palette().right->rect().center());
    ASSERT_TRUE(input->movePointer(Point(right.x(), right.y())));
    EXPECT_TRUE(waitUntil([&] { return palette().right->hovered(); }));
    ASSERT_TRUE(input->key(Key::Option, true));
    click(Point(right.x(), right.y()));
    ASSERT_TRUE(input->key(Key::Option, false));
    ASSERT_TRUE(waitUntil([&] { return palette().sent.size() == 1; }));
    EXPECT_EQ(palette().sent[0].button, palette().right);
    click(buttonCenter);
    EXPECT_TRUE(waitUntil([&] { return clicks == 1; }));
    processEvents(300);
    EXPECT_FALSE(
        xpropText(terminal->window(), QStringLiteral("_NET_WM_STATE")).contains(QStringLiteral("MAXIMIZED")));
    EXPECT_EQ(activeWindow(), terminal->window()) << "shown and clicked, they took no focus";

    // Letting clicks through, the palette passes them to the xterm below, in place.
    panel->setIgnoresMouseEvents(true);
    processEvents(200);
    EXPECT_FALSE(palette().right->trackingArea());
    click(Point(right.x(), right.y()));
    processEvents(300);
    EXPECT_EQ(palette().sent.size(), 1u);
    EXPECT_TRUE(isViewable(std::uint32_t(panel->winId())));
}

// With a compositing manager the windows are not shaped: their clear corners blend with the xterm.
TEST_F(PaletteX11, WithACompositorTheCornersBlend) {
    auto compositor = Compositor::start();
    ASSERT_TRUE(compositor);
    ASSERT_TRUE(waitUntil([&] { return platform->screens().compositingActive(); }));
    terminal = Client::start(QStringLiteral("xterm"), QStringLiteral("80x24+300+150"));
    ASSERT_TRUE(terminal);
    const std::optional<Rect> button = zoomButtonOfXterm();
    ASSERT_TRUE(button);
    processEvents(300);
    const QRect area(int(frame.x()), int(frame.y()), int(frame.width()), 140);
    const QImage before = screenPixels(area);
    panel =
        std::make_unique<ZROverlayWindow>(palette().view, ZRFlipPoint(Point(button->midX(), button->midY())),
                                          nullptr, AttachedPanelSide::BottomLeft, 8);
    panel->setBackgroundColor(lightModeOverlayBackgroundColor());
    ASSERT_TRUE(show(*panel));
    const QPoint corner = panel->mapToGlobal(panel->layout().bodyRect.topLeft().toPoint() + QPoint(1, 1));
    EXPECT_TRUE(waitUntil([&] {
        return screenPixels(area).pixel(corner - area.topLeft()) == before.pixel(corner - area.topLeft());
    }));
    EXPECT_TRUE(panel->mask().isEmpty());
    saveScreenshot(screenPixels(area), QStringLiteral("palette-x11-with-compositor"));
}
