// The overlay bases on the simulated desktop: what the desktop learns of them, click-through switched
// in place, the drawing rule with and without compositing, and grabs that are never left behind.
#include "toolkit/OverlayWindow.h"
#include "toolkit/KQAttachedNonActivatingPanel.h"
#include "toolkit/WindowExtensions.h"
#include "toolkit/WindowInputGrab.h"
#include "toolkit/ZRSelfDrawingOverlayPanel.h"

#include "DesktopTest.h"
#include "ScreenPixels.h"
#include "SimOwnWindowInput.h"
#include "WidgetTestSupport.h"

#include <QPainter>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// A rounded card, three quarters opaque, in a faint dimming that covers the rest of the panel.
class CardOverlay : public ZRSelfDrawingOverlayPanel {
public:
    CardOverlay() : ZRSelfDrawingOverlayPanel(Rect(100, 100, 120, 80), 10, true, true) {}
    void drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget*) override {
        painter.fillRect(bounds, QColor(0, 0, 0, 40));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setBrush(QColor(0, 120, 255, 190));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(bounds.adjusted(20, 20, -20, -20), 8, 8);
    }
};

// Counts what the window system would do to a window.
class EventCounter : public QObject {
public:
    int hides = 0;
    int shows = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        hides += event->type() == QEvent::Hide;
        shows += event->type() == QEvent::Show;
        return false;
    }
};

class OverlayWindowTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        desktop.addScreen(Rect(0, 0, 1440, 900));
        input = std::make_unique<SimOwnWindowInput>(desktop);
    }
    void TearDown() override {
        input.reset();
        DesktopTest::TearDown();
    }

    SimOverlayWindows& overlays() { return desktop.overlayWindows(); }

    std::unique_ptr<SimOwnWindowInput> input;
};

TEST_F(OverlayWindowTest, TheDesktopFollowsAnOverlayAndItsClickThroughInPlace) {
    auto panel = std::make_unique<CardOverlay>();
    EXPECT_TRUE(isOverlayWindow(panel.get()));
    EXPECT_TRUE(panel->windowFlags().testFlag(Qt::X11BypassWindowManagerHint));
    EXPECT_TRUE(panel->testAttribute(Qt::WA_ShowWithoutActivating));
    panel->show();
    const OwnWindowId id = panel->winId();
    EXPECT_TRUE(overlays().isShown(id));

    int clicks = 0;
    const Connection clicked = overlays().leftMouseDown.connect([&](OwnWindowId, Point) { ++clicks; });
    const QPoint inside = panel->geometry().center();
    const Point quartzInside(inside.x() - QGuiApplication::primaryScreen()->geometry().left(),
                             inside.y() - QGuiApplication::primaryScreen()->geometry().top());
    desktop.movePointer(quartzInside);
    desktop.pressLeftButton();
    desktop.releaseLeftButton();
    EXPECT_EQ(clicks, 0) << "the panel lets clicks through from the start";

    EventCounter counter;
    panel->installEventFilter(&counter);
    const QRect before = panel->geometry();
    setIgnoresMouseEvents(panel.get(), false);
    EXPECT_FALSE(ignoresMouseEvents(panel.get()));
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->geometry(), before);
    EXPECT_EQ(counter.hides + counter.shows, 0) << "switched in place, never hidden";
    desktop.pressLeftButton();
    desktop.releaseLeftButton();
    EXPECT_EQ(clicks, 1);

    panel->hide();
    EXPECT_FALSE(overlays().isShown(id));
    panel->show();
    panel.reset();
    EXPECT_FALSE(overlays().isShown(id)) << "gone with the widget";
}

TEST_F(OverlayWindowTest, WithoutCompositingNoTranslucentPixelReachesTheScreen) {
    CardOverlay panel;
    panel.show();
    const struct {
        bool compositing;
        const char* screenshot;
    } cases[] = {{false, "overlay-without-compositing"}, {true, "overlay-with-compositing"}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.screenshot);
        desktop.screens().setCompositingActive(test.compositing);
        const QImage picture = renderedImage(panel);
        saveScreenshot(picture, QString::fromLatin1(test.screenshot));
        const QColor card = picture.pixelColor(60, 40);
        const QColor dimmed = picture.pixelColor(5, 5);
        if (test.compositing) {
            EXPECT_TRUE(panel.mask().isEmpty());
            EXPECT_NEAR(card.alpha(), 190, 2);
            EXPECT_NEAR(dimmed.alpha(), 40, 2);
        } else {
            EXPECT_EQ(card.alpha(), 255);
            EXPECT_EQ(card.blue(), 255);
            EXPECT_NEAR(card.green(), 120, 2);
            EXPECT_TRUE(panel.mask().contains(QPoint(60, 40)));
            EXPECT_FALSE(panel.mask().contains(QPoint(5, 5))) << "the faint dimming is cut away";
            EXPECT_FALSE(panel.mask().contains(QPoint(20, 20))) << "so is the rounded corner";
        }
    }

    // The attached panel keeps only its body and arrow.
    auto* view = new QWidget;
    view->resize(100, 60);
    KQAttachedNonActivatingPanel attached(view, Point(400, 400), nullptr, AttachedPanelSide::Bottom, 4);
    attached.show();
    desktop.screens().setCompositingActive(false);
    const QImage picture = renderedImage(attached);
    saveScreenshot(picture, QStringLiteral("attached-panel-without-compositing"));
    const QRectF body = attached.layout().bodyRect;
    EXPECT_TRUE(attached.mask().contains(body.center().toPoint()));
    EXPECT_FALSE(attached.mask().contains(body.topLeft().toPoint())) << "a rounded corner";
    EXPECT_FALSE(attached.mask().contains(QPoint(0, 0))) << "beside the arrow";

    // A borderless panel without a compositor, which draws it no shadow, keeps an edge of its own
    // against a window of its own colour; with a compositor its shadow does that.
    attached.setBorderWidth(0);
    for (const QColor background : {QColor(250, 250, 250), QColor(40, 40, 40)}) {
        attached.setBackgroundColor(background);
        for (const bool compositing : {false, true}) {
            desktop.screens().setCompositingActive(compositing);
            const QImage image = renderedImage(attached);
            const int x = static_cast<int>(body.center().x());
            const int bottom = std::min(static_cast<int>(body.bottom()), image.height()) - 1;
            const QColor edge = image.pixelColor(x, bottom);
            const QColor inside = image.pixelColor(x, bottom - 4);
            EXPECT_EQ(inside.rgb(), background.rgb());
            EXPECT_EQ(std::abs(edge.lightness() - inside.lightness()) > 40, !compositing)
                << background.name().toStdString() << (compositing ? " with" : " without") << " compositor";
        }
    }
}

// A compositor that starts while the overlay is closed unshapes it: shown again, it is not cut to the picture
// it had before, which would hide most of what it then draws.
TEST_F(OverlayWindowTest, ACompositorThatStartsWhileItIsClosedLeavesNoOldShape) {
    desktop.screens().setCompositingActive(false);
    CardOverlay panel;
    panel.show();
    renderedImage(panel);
    ASSERT_FALSE(panel.mask().isEmpty());
    panel.close();
    desktop.screens().setCompositingActive(true);
    panel.show();
    ASSERT_TRUE(panel.windowHandle());
    EXPECT_TRUE(panel.windowHandle()->mask().isEmpty()) << "what the new native window is given";
    EXPECT_TRUE(panel.mask().isEmpty());
}

TEST_F(OverlayWindowTest, AGrabIsGivenBackOnEveryWayOut) {
    const struct {
        const char* way;
        std::function<void(std::unique_ptr<QWidget>&, std::unique_ptr<WindowInputGrab>&)> leave;
    } ways[] = {
        {"the grab destroyed", [](auto&, auto& grab) { grab.reset(); }},
        {"released", [](auto&, auto& grab) { grab->release(); }},
        {"the window hidden", [](auto& window, auto&) { window->hide(); }},
        {"the window destroyed",
         [](auto& window, auto& grab) {
             grab.release(); // owned by the window, as its child
             window.reset();
         }},
        {"an exception",
         [](auto& window, auto& grab) {
             try {
                 const std::unique_ptr<WindowInputGrab> held = std::move(grab);
                 throw std::runtime_error("a handler failed");
             } catch (const std::runtime_error&) {
             }
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        auto window = std::make_unique<QWidget>();
        makeOverlayWindow(window.get());
        window->show();
        std::optional<bool> granted;
        auto grab = std::make_unique<WindowInputGrab>(
            window.get(), overlays(), WindowInputGrab::Device::Keyboard, [&](bool ok) { granted = ok; });
        auto pointer =
            std::make_unique<WindowInputGrab>(window.get(), overlays(), WindowInputGrab::Device::Pointer);
        EXPECT_EQ(granted, true);
        EXPECT_TRUE(grab->isHeld());
        EXPECT_EQ(overlays().keyboardHolder(), window->winId());
        EXPECT_EQ(overlays().pointerHolder(), window->winId());
        pointer.reset();
        way.leave(window, grab);
        EXPECT_EQ(overlays().keyboardHolder(), 0u);
    }
}

TEST_F(OverlayWindowTest, AGrabWaitsForItsWindowAndReportsARefusal) {
    QWidget window;
    makeOverlayWindow(&window);
    std::optional<bool> granted;
    WindowInputGrab early(&window, overlays(), WindowInputGrab::Device::Keyboard,
                          [&](bool ok) { granted = ok; });
    EXPECT_TRUE(early.isPending()) << "not on the screen yet";
    QTest::qWait(50);
    window.show();
    QTRY_VERIFY_WITH_TIMEOUT(granted.has_value(), 1000);
    EXPECT_TRUE(*granted);
    early.release();

    overlays().setGrabRefusal(GrabStatus::AlreadyGrabbed);
    granted.reset();
    WindowInputGrab refused(&window, overlays(), WindowInputGrab::Device::Keyboard,
                            [&](bool ok) { granted = ok; });
    QTRY_VERIFY_WITH_TIMEOUT(granted.has_value(), 2000);
    EXPECT_FALSE(*granted);
    EXPECT_FALSE(refused.isHeld());
    EXPECT_TRUE(logged(
        QStringLiteral("cannot take the keyboard for a window of the program: another client holds it")));
}

TEST_F(OverlayWindowTest, WhileHeldTheKeysOfOurOtherWindowsComeToTheGrabbingOne) {
    class KeyWindow : public QWidget {
    public:
        QList<int> keys;
        void keyPressEvent(QKeyEvent* event) override { keys += event->key(); }
    };
    KeyWindow overlay;
    KeyWindow settings;
    makeOverlayWindow(&overlay);
    overlay.show();
    settings.show();
    WindowInputGrab grab(&overlay, overlays(), WindowInputGrab::Device::Keyboard);
    ASSERT_TRUE(grab.isHeld());
    QTest::keyClick(&settings, Qt::Key_Escape);
    desktop.pressKey(Key::J);
    desktop.releaseKey(Key::J);
    EXPECT_EQ(overlay.keys, (QList<int>{Qt::Key_Escape, Qt::Key_J}));
    EXPECT_TRUE(settings.keys.isEmpty());
    grab.release();
    QTest::keyClick(&settings, Qt::Key_Escape);
    EXPECT_EQ(settings.keys, QList<int>{Qt::Key_Escape});
}

} // namespace
