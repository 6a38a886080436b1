// The palette window and the zoom-button overlay as widgets: the right click's context menu, the hover areas
// that follow click-through, the overlay's press and its disc.
#include "MouseControlContext.h"
#include "MouseControlTestSupport.h"
#include "PaletteTestSupport.h"
#include "ScreenPixels.h"

#include "mouse-control/ZROverlayWindow.h"
#include "mouse-control/ZROverlayWindowDelegate.h"
#include "mouse-control/ZRPaletteBeep.h"
#include "mouse-control/ZRZoomButtonOverlayWindow.h"
#include "toolkit/Appearance.h"
#include "toolkit/WindowExtensions.h"

#include <QApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

namespace {

const Rect Screen(0, 0, 1440, 900);
// A trigger button 14 points wide and 16 high, in Cocoa coordinates.
const Rect Trigger(600, 700, 14, 16);

// Offers a menu over anything but a palette button, as the main controller does.
struct ContextMenus : ZROverlayWindowDelegate {
    std::vector<QWidget*> asked;
    QPointer<QMenu> last;
    QMenu* contextMenuForOverlayHitView(QWidget* view) override {
        asked.push_back(view);
        if (dynamic_cast<ZROverlayButton*>(view))
            return nullptr;
        last = new QMenu;
        last->addAction(QStringLiteral("Quit"));
        return last;
    }
};

class PaletteWindowTest : public MouseControlTest {
protected:
    void SetUp() override {
        MouseControlTest::SetUp();
        desktop.addScreen(Screen);
        desktop.screens().setCompositingActive(true);
        ZRSetPaletteBeepHandler([this] { ++beeps; });
    }
    void TearDown() override {
        overlay.reset();
        ZRSetPaletteBeepHandler({});
        MouseControlTest::TearDown();
    }

    // The overlay over the trigger; with an action, counting what it sends.
    ZRZoomButtonOverlayWindow& makeOverlay(bool withAction, bool canRevert = false) {
        overlay = ZRZoomButtonOverlayWindow::overlayPanelWithFrame(Trigger, 100, true, false, settings());
        overlay->setCanRevert(canRevert);
        if (withAction) {
            overlay->setTarget(&target);
            overlay->setAction([this](ZRZoomButtonOverlayWindow&) { ++sent; });
        }
        return *overlay;
    }
    // The disc as the overlay draws it over a clear background.
    QImage disc(ZRZoomButtonOverlayWindow& window, const QSize& size) {
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        window.drawOverlayInBounds(painter, QRectF(QPointF(), QSizeF(size)), window.contentView());
        return image;
    }
    void mouse(QEvent::Type type, QPointF local, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QWidget* view = overlay->contentView();
        QMouseEvent event(type, local, view->mapToGlobal(local), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(view, &event);
    }

    QObject target;
    int sent = 0;
    int beeps = 0;
    std::unique_ptr<ZRZoomButtonOverlayWindow> overlay;
};

// How far along the row the dot reaches, counted in whole pixels of its colour over the white disc: its
// width where the row crosses it. The pixels next to the ring take some of the ring's edge and are left out.
double dotWidth(const QImage& image, int row) {
    int ringLeft = -1, ringRight = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (qAlpha(image.pixel(x, row)) > 0) {
            ringRight = x;
            if (ringLeft < 0)
                ringLeft = x;
        }
    }
    const double dot = image.pixelColor((ringLeft + ringRight) / 2, row).redF();
    if (dot > 0.99)
        return 0;
    double width = 0;
    for (int x = ringLeft + 2; x <= ringRight - 2; ++x)
        width += (1.0 - image.pixelColor(x, row).redF()) / (1.0 - dot);
    return width;
}

} // namespace

// A right click on the palette's background opens the delegate's menu, which is deleted once closed; one on
// a button goes on to the button. The window never takes the focus and shows on every desktop.
TEST_F(PaletteWindowTest, ContextMenuAndFlags) {
    PaletteButtons palette(mouseControlContext(settings()));
    ZROverlayWindow window(palette.view, Point(300, 600), nullptr, 11, 8);
    EXPECT_FALSE(window.canBecomeKeyWindow());
    EXPECT_FALSE(window.canBecomeMainWindow());
    EXPECT_EQ(window.collectionBehavior(), 0x111);
    ContextMenus menus;
    window.setDelegate(&menus);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const QPoint background = palette.view->mapTo(&window, QPoint(PaletteLayout::Width - 4, 2));
    QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, background);
    ASSERT_EQ(menus.asked.size(), 1u);
    EXPECT_EQ(menus.asked[0], palette.view.data());
    ASSERT_TRUE(menus.last);
    EXPECT_TRUE(menus.last->isVisible());
    menus.last->hide();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(menus.last);

    const QPoint onButton = palette.right->mapTo(&window, palette.right->rect().center());
    QTest::mouseClick(window.windowHandle(), Qt::RightButton, {}, onButton);
    ASSERT_EQ(menus.asked.size(), 2u);
    EXPECT_EQ(menus.asked[1], palette.right);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, onButton);
    EXPECT_EQ(menus.asked.size(), 2u) << "a left click is the button's";
    EXPECT_EQ(palette.sent.size(), 0u) << "no target";

    // The buttons' hover areas exist exactly while the window takes the mouse.
    window.setIgnoresMouseEvents(true);
    EXPECT_TRUE(window.ignoresMouseEvents());
    for (ZROverlayButton* button : palette.all()) {
        EXPECT_FALSE(button->trackingArea());
    }
    window.setIgnoresMouseEvents(false);
    for (ZROverlayButton* button : palette.all()) {
        EXPECT_TRUE(button->trackingArea());
    }
    EXPECT_TRUE(window.isVisible()) << "switched in place";
}

// The overlay of a 14 × 16 trigger: a square of 14 one point down, a ring 13 across, a dot of 9, or 7 when
// the click reverts; without an action, the ring alone.
TEST_F(PaletteWindowTest, DiscOfATriggerButton) {
    for (const bool canRevert : {false, true}) {
        ZRZoomButtonOverlayWindow& window = makeOverlay(true, canRevert);
        EXPECT_FALSE(ignoresMouseEvents(&window)) << "it takes the click";
        EXPECT_EQ(window.cocoaFrame(), Trigger);
        const QImage image = disc(window, QSize(14, 16));
        QRect drawn;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 0)
                    drawn |= QRect(x, y, 1, 1);
        EXPECT_EQ(drawn, QRect(0, 1, 14, 14));
        // The ring's line runs through the middle of the first and the last column: 13 points apart.
        EXPECT_GT(qAlpha(image.pixel(0, 8)), 150);
        EXPECT_GT(qAlpha(image.pixel(13, 8)), 150);
        EXPECT_GT(image.pixelColor(1, 8).red(), 200) << "white inside the ring";
        EXPECT_NEAR(dotWidth(image, 7), canRevert ? 7 : 9, 0.3);
    }
    makeOverlay(false);
    EXPECT_NEAR(dotWidth(disc(*overlay, QSize(14, 16)), 7), 0, 0.01) << "an empty ring";
}

// Out and back in before the release sends the action once; a release outside sends nothing; without an
// action the click beeps, by the setting; the press shows green, or the accent with the graphite look.
TEST_F(PaletteWindowTest, PressOnTheOverlay) {
    makeOverlay(true);
    const QPointF inside(7, 8), outside(40, 8);
    mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    EXPECT_TRUE(overlay->highlighted());
    EXPECT_EQ(disc(*overlay, QSize(14, 16)).pixel(7, 8), qRgb(52, 199, 89));
    mouse(QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
    EXPECT_FALSE(overlay->highlighted());
    mouse(QEvent::MouseMove, inside, Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(overlay->highlighted());
    mouse(QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(sent, 1);
    EXPECT_FALSE(overlay->highlighted());

    mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, outside, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(sent, 1);

    desktop.systemPreferences().setValue(SystemPreferences::GlobalDomain,
                                         ZRZoomButtonOverlayWindow::aquaColorVariantKey(), 6);
    mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(disc(*overlay, QSize(14, 16)).pixel(7, 8), overlaySelectedControlColor().rgba());
    mouse(QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(sent, 2);
    EXPECT_EQ(beeps, 0);

    // Without an action, or once its target has gone, a click only beeps, and only with the setting.
    for (const bool targetGone : {false, true}) {
        auto gone = std::make_unique<QObject>();
        makeOverlay(targetGone);
        if (targetGone) {
            overlay->setTarget(gone.get());
            gone.reset();
        }
        for (const bool beep : {false, true}) {
            set(ZRZoomButtonOverlayWindow::beepKey(), beep);
            mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
            EXPECT_FALSE(overlay->highlighted());
            mouse(QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
        }
    }
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(sent, 2);
}

// The four looks of the overlay (no action, an action, a revert, pressed), light and dark, four times their
// size on a title bar's grey.
TEST_F(PaletteWindowTest, DiscPictures) {
    constexpr int Scale = 4;
    for (const bool dark : {false, true}) {
        QImage sheet(4 * 24 * Scale, 24 * Scale, QImage::Format_ARGB32_Premultiplied);
        sheet.fill(dark ? QColor(45, 45, 45) : QColor(225, 225, 225));
        QPainter painter(&sheet);
        for (int look = 0; look < 4; ++look) {
            ZRZoomButtonOverlayWindow& window = makeOverlay(look > 0, look == 2);
            if (dark) {
                QPalette darkPalette = window.contentView()->palette();
                darkPalette.setColor(QPalette::Window, QColor(30, 30, 30));
                window.contentView()->setPalette(darkPalette);
            }
            window.setHighlighted(look == 3);
            QImage image(QSize(14, 16) * Scale, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(Scale);
            image.fill(Qt::transparent);
            QPainter discPainter(&image);
            window.drawOverlayInBounds(discPainter, QRectF(0, 0, 14, 16), window.contentView());
            discPainter.end();
            painter.drawImage(QRectF(QPointF((look * 24 + 5) * Scale, 4 * Scale), QSizeF(14, 16) * Scale),
                              image);
        }
        painter.end();
        // The pressed dot is green in either style.
        const QColor pressed = sheet.pixelColor((3 * 24 + 5 + 7) * Scale, (4 + 8) * Scale);
        EXPECT_GT(pressed.green(), 190);
        EXPECT_LT(pressed.red(), 60);
        saveScreenshot(sheet, dark ? QStringLiteral("zoom-button-overlay-dark")
                                   : QStringLiteral("zoom-button-overlay-light"));
    }
}
