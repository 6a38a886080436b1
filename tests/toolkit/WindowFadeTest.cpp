#include "toolkit/WindowExtensions.h"
#include "toolkit/ZRSelfDrawingOverlayPanel.h"

#include "DesktopTest.h"
#include "WidgetTestSupport.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr double shortFade = 0.05;
constexpr int waitLongerThanFade = 250;

class WindowFadeTest : public WidgetTest {
protected:
    void SetUp() override {
        window.resize(40, 30);
        setFadingDuration(&window, shortFade);
    }
    QWidget window;
};

TEST_F(WindowFadeTest, FadeInReachesTheAlphaThenCompletes) {
    int completed = 0;
    orderFrontWithAlphaValue(&window, 0.8, true, [&] { ++completed; });
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(completed, 0);
    QTRY_COMPARE_WITH_TIMEOUT(completed, 1, 1000);
    EXPECT_NEAR(window.windowOpacity(), 0.8, 0.01);

    window.hide();
    setFadingDuration(&window, 0);
    orderFrontAndFadeIn(&window);
    QTRY_COMPARE_WITH_TIMEOUT(window.windowOpacity(), 1.0, 1000);
}

TEST_F(WindowFadeTest, FadeOutClosesThenCompletesAndRestoresOpacity) {
    orderFrontWithAlphaValue(&window, 1.0, false);
    int completed = 0;
    fadeOutAndCloseWithCompletionHandler(&window, [&] { ++completed; });
    EXPECT_TRUE(window.isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(completed, 1, 1000);
    EXPECT_FALSE(window.isVisible());
    EXPECT_NEAR(window.windowOpacity(), 1.0, 0.01);
}

// A window brought back before its fade-out ends is never closed afterwards, however it came back.
TEST_F(WindowFadeTest, AFadeOutInterruptedByAShowLeavesTheWindowOpen) {
    const struct {
        const char* name;
        std::function<void(QWidget&)> bringBack;
    } cases[] = {
        {"shown", [](QWidget& w) { orderFrontWithAlphaValue(&w, 1.0, false); }},
        {"faded in", [](QWidget& w) { orderFrontWithAlphaValue(&w, 1.0, true); }},
        {"hidden and shown",
         [](QWidget& w) {
             w.hide();
             w.show();
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        orderFrontWithAlphaValue(&window, 1.0, false);
        int completed = 0;
        fadeOutAndCloseWithCompletionHandler(&window, [&] { ++completed; });
        QTest::qWait(10);
        c.bringBack(window);
        QTest::qWait(waitLongerThanFade);
        EXPECT_TRUE(window.isVisible());
        EXPECT_NEAR(window.windowOpacity(), 1.0, 0.01);
        EXPECT_EQ(completed, 0);
    }
}

TEST_F(WindowFadeTest, LettingClicksThroughDoesNotStopAFadeOut) {
    orderFrontWithAlphaValue(&window, 1.0, false);
    bool completed = false;
    fadeOutAndCloseWithCompletionHandler(&window, [&] { completed = true; });
    setIgnoresMouseEvents(&window, true);
    EXPECT_TRUE(ignoresMouseEvents(&window));
    QTRY_VERIFY_WITH_TIMEOUT(completed, 1000);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(WindowFadeTest, AFadeInCutShortByAFadeOutNeverCompletes) {
    int fadedIn = 0;
    orderFrontWithAlphaValue(&window, 1.0, true, [&] { ++fadedIn; });
    bool closed = false;
    fadeOutAndCloseWithCompletionHandler(&window, [&] { closed = true; });
    QTRY_VERIFY_WITH_TIMEOUT(closed, 1000);
    EXPECT_EQ(fadedIn, 0);
}

// Panels hold views: the fade's own helper is told apart from them.
TEST_F(WindowFadeTest, AWindowWithViewsFadesInAndOut) {
    auto* view = new QWidget(&window);
    view->resize(10, 10);
    int completed = 0;
    orderFrontWithAlphaValue(&window, 1.0, true, [&] { ++completed; });
    QTRY_COMPARE_WITH_TIMEOUT(completed, 1, 1000);
    fadeOutAndCloseWithCompletionHandler(&window, [&] { ++completed; });
    QTRY_COMPARE_WITH_TIMEOUT(completed, 2, 1000);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(view->parent(), &window);
}

TEST_F(WindowFadeTest, AHiddenWindowClosesAtOnce) {
    bool completed = false;
    fadeOutAndCloseWithCompletionHandler(&window, [&] { completed = true; });
    EXPECT_TRUE(completed);
}

class RecordingOverlay : public ZRSelfDrawingOverlayPanel {
public:
    using ZRSelfDrawingOverlayPanel::ZRSelfDrawingOverlayPanel;
    QList<QRectF> drawnBounds;
    QList<QWidget*> drawnViews;
    void drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget* view) override {
        drawnBounds += bounds;
        drawnViews += view;
        painter.fillRect(bounds, Qt::blue);
    }
};

TEST_F(WindowFadeTest, SelfDrawingOverlayPanel) {
    const int height = QGuiApplication::primaryScreen()->geometry().height();
    RecordingOverlay panel(Rect(100, 100, 50, 40), 100, true, false);
    EXPECT_EQ(panel.geometry(), QRect(100, height - 140, 50, 40));
    EXPECT_EQ(panel.cocoaFrame(), Rect(100, 100, 50, 40));
    EXPECT_TRUE(ignoresMouseEvents(&panel));
    EXPECT_TRUE(panel.isNonActivating());
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(windowLevel(&panel), 100);
    EXPECT_FALSE(panel.contentIsFlipped());

    const QImage image = renderedImage(panel);
    ASSERT_EQ(panel.drawnBounds.size(), 1);
    EXPECT_EQ(panel.drawnBounds.first(), QRectF(0, 0, 50, 40));
    EXPECT_EQ(panel.drawnViews.first(), panel.contentView());
    EXPECT_EQ(image.pixel(25, 20), QColor(Qt::blue).rgb());

    setIgnoresMouseEvents(&panel, false);
    EXPECT_FALSE(ignoresMouseEvents(&panel));
    ZRSelfDrawingOverlayPanel activating(Rect(0, 0, 10, 10), 0, false, true);
    EXPECT_FALSE(activating.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_TRUE(activating.contentIsFlipped());
}

// Our own windows on the virtual screens of the settings in use.
class OwnWindowScreenTest : public DesktopTest {
protected:
    OwnWindowScreenTest() { testApplication<QApplication>(); }
};

TEST_F(OwnWindowScreenTest, VirtualScreenOfAWindow) {
    QWidget window;
    window.resize(40, 30);
    EXPECT_FALSE(virtualScreen(&window, settings())) << "no screens";
    desktop.addScreen(Rect(0, 0, 1440, 900));
    desktop.addScreen(Rect(1440, 0, 1000, 800));
    const auto frameOn = [&](int x) {
        window.move(x, 10);
        const auto screen = virtualScreen(&window, settings());
        return screen ? screen->frame() : Rect();
    };
    EXPECT_EQ(frameOn(100), Rect(0, 0, 1440, 900));
    EXPECT_EQ(frameOn(1430), Rect(1440, 0, 1000, 800)) << "more of it on the right";
    EXPECT_EQ(frameOn(5000), Rect(0, 0, 1440, 900)) << "on none: the first";
    EXPECT_FALSE(virtualScreen(nullptr, settings()));
}

TEST_F(WindowFadeTest, BaseCoordinatesToScreen) {
    const int height = QGuiApplication::primaryScreen()->geometry().height();
    window.setGeometry(100, height - 200, 40, 30); // Cocoa frame (100, 170, 40, 30)
    EXPECT_EQ(deprecatedConvertBaseToScreen(&window, Point{5, 10}), (Point{105, 180}));
    EXPECT_FALSE(isOnRetinaDisplay(&window));
}

} // namespace
