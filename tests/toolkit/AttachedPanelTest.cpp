#include "toolkit/AttachedPanelGeometry.h"
#include "toolkit/KQAttachedNonActivatingPanel.h"

#include "WidgetTestSupport.h"

#include <QGuiApplication>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

using namespace AttachedPanelSide;

const QRectF screen(0, 0, 800, 600);
const QSizeF content(200, 100);
constexpr double distance = 8;
const AttachedPanelStyle style{7, 11, 8, 1};
// How far the arrow stays from the ends of its edge.
constexpr double arrowMargin = 8 + 11.0 / 2;

// The body's edge that carries the arrow, by side 0 to 11.
Qt::Edge expectedEdge(int side) {
    static const Qt::Edge edges[] = {Qt::RightEdge,  Qt::TopEdge,    Qt::LeftEdge, Qt::BottomEdge,
                                     Qt::RightEdge,  Qt::RightEdge,  Qt::LeftEdge, Qt::LeftEdge,
                                     Qt::BottomEdge, Qt::BottomEdge, Qt::TopEdge,  Qt::TopEdge};
    return edges[side];
}

QPointF expectedTip(QPointF point, Qt::Edge edge) {
    switch (edge) {
    case Qt::TopEdge:
        return point + QPointF(0, distance);
    case Qt::BottomEdge:
        return point - QPointF(0, distance);
    case Qt::LeftEdge:
        return point + QPointF(distance, 0);
    default:
        return point - QPointF(distance, 0);
    }
}

TEST(AttachedPanelGeometry, EverySideNearEveryEdgePointsAtThePoint) {
    const std::vector<QPointF> points = {{400, 300}, {5, 300}, {795, 300}, {400, 5},
                                         {400, 595}, {3, 3},   {797, 597}};
    for (int side = Left; side < Automatic; ++side) {
        for (const QPointF& point : points) {
            SCOPED_TRACE(testing::Message() << "side " << side << " at " << point.x() << "," << point.y());
            const auto layout = attachedPanelLayout(content, point, side, distance, style, screen);
            const Qt::Edge edge = expectedEdge(side);
            EXPECT_EQ(layout.side, side);
            EXPECT_EQ(layout.arrowEdge, edge);
            EXPECT_EQ(layout.frame.topLeft() + layout.arrowTip, expectedTip(point, edge));
            const bool vertical = edge == Qt::TopEdge || edge == Qt::BottomEdge;
            // Along the attached edge the panel stays on the screen, and the arrow clear of the corners.
            if (vertical) {
                EXPECT_GE(layout.frame.left(), screen.left() - (point.x() < arrowMargin ? arrowMargin : 0));
                EXPECT_LE(layout.frame.right(),
                          screen.right() + (point.x() > 800 - arrowMargin ? arrowMargin : 0));
                EXPECT_EQ(layout.frame.size(), QSizeF(202, 109));
            } else {
                EXPECT_GE(layout.frame.top(), screen.top() - (point.y() < arrowMargin ? arrowMargin : 0));
                EXPECT_LE(layout.frame.bottom(),
                          screen.bottom() + (point.y() > 600 - arrowMargin ? arrowMargin : 0));
                EXPECT_EQ(layout.frame.size(), QSizeF(209, 102));
            }
            const double length = vertical ? layout.bodyRect.width() : layout.bodyRect.height();
            EXPECT_GE(layout.arrowCenter, arrowMargin);
            EXPECT_LE(layout.arrowCenter, length - arrowMargin);
            EXPECT_EQ(layout.contentRect.size(), content);
            EXPECT_TRUE(QRectF(QPointF(), layout.frame.size()).contains(layout.bodyRect));
        }
    }
}

TEST(AttachedPanelGeometry, ExtendingSidesReachAwayFromTheirArrowWithRoomToSpare) {
    const QPointF point(400, 300);
    struct Case {
        int side;
        QRectF frame;
    };
    const std::vector<Case> cases = {
        {Bottom, {299, 308, 202, 109}},
        {BottomRight, {400 - arrowMargin, 308, 202, 109}},
        {BottomLeft, {400 - 202 + arrowMargin, 308, 202, 109}},
        {Top, {299, 292 - 109, 202, 109}},
        {TopRight, {400 - arrowMargin, 292 - 109, 202, 109}},
        {TopLeft, {400 - 202 + arrowMargin, 292 - 109, 202, 109}},
        {Left, {392 - 209, 249, 209, 102}},
        {LeftBottom, {392 - 209, 300 - arrowMargin, 209, 102}},
        {LeftTop, {392 - 209, 300 - 102 + arrowMargin, 209, 102}},
        {Right, {408, 249, 209, 102}},
        {RightBottom, {408, 300 - arrowMargin, 209, 102}},
        {RightTop, {408, 300 - 102 + arrowMargin, 209, 102}},
    };
    for (const auto& c : cases) {
        const auto layout = attachedPanelLayout(content, point, c.side, distance, style, screen);
        EXPECT_EQ(layout.frame, c.frame) << "side " << c.side;
    }
}

TEST(AttachedPanelGeometry, AutomaticSideFindsRoom) {
    struct Case {
        QPointF point;
        int side;
    };
    const std::vector<Case> cases = {
        {{400, 300}, Bottom},
        {{400, 590}, Top},   // no room below
        {{20, 300}, Bottom}, // the panel slides right, the arrow follows the point
        {{400, 0}, Bottom},
    };
    for (const auto& c : cases) {
        const auto layout = attachedPanelLayout(content, c.point, Automatic, distance, style, screen);
        EXPECT_EQ(layout.side, c.side) << c.point.x() << "," << c.point.y();
        EXPECT_TRUE(screen.contains(layout.frame));
    }
    // A panel too tall for above or below goes beside the point.
    const auto tall = attachedPanelLayout(QSizeF(100, 400), {400, 300}, Automatic, distance, style, screen);
    EXPECT_EQ(tall.side, Right);
}

class AttachedPanelWidgetTest : public WidgetTest {};

TEST_F(AttachedPanelWidgetTest, HangsBesideThePointWithItsArrowDrawn) {
    auto* view = new QWidget;
    view->resize(200, 100);
    // Near the right edge of the offscreen screen, halfway up.
    const QRect screenGeometry = QGuiApplication::primaryScreen()->geometry();
    const double pointX = screenGeometry.width() - 20;
    const double pointY = screenGeometry.height() / 2.0; // the same in Cocoa and Qt coordinates
    KQAttachedNonActivatingPanel panel(view, Point{pointX, pointY}, nullptr, BottomRight, distance);
    panel.setArrowHeight(7);
    panel.setArrowBaseWidth(11);
    panel.setBorderWidth(0);
    panel.setBackgroundColor(Qt::red);

    EXPECT_EQ(view->parentWidget(), &panel);
    EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_TRUE(panel.windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_FALSE(KQAttachedNonActivatingPanel::setUsesMaterial(true));
    // Crowded at the right edge, the panel slides left and its arrow moves to stay under the point.
    const QRect frame = panel.geometry();
    EXPECT_EQ(frame.right() + 1, screenGeometry.width());
    EXPECT_EQ(frame.top(), pointY + distance);
    const QPointF tip = QPointF(frame.topLeft()) + panel.layout().arrowTip;
    EXPECT_EQ(tip, QPointF(pointX, pointY + distance));
    EXPECT_EQ(view->geometry(), panel.layout().contentRect.toRect());

    const QImage image = renderedImage(panel);
    const int tipX = static_cast<int>(panel.layout().arrowTip.x());
    EXPECT_GT(alphaAt(image, tipX, 5), 200) << "inside the arrow near its tip";
    EXPECT_EQ(alphaAt(image, 2, 2), 0) << "beside the arrow, above the body";
    EXPECT_EQ(alphaAt(image, 0, 7), 0) << "the body's rounded corner";
    EXPECT_GT(alphaAt(image, 100, 60), 200) << "the body";
    EXPECT_EQ(QColor(image.pixel(100, 60)).red(), 255);
}

TEST_F(AttachedPanelWidgetTest, StyleChangesPlaceThePanelAgain) {
    auto* view = new QWidget;
    view->resize(100, 50);
    const int height = QGuiApplication::primaryScreen()->geometry().height();
    KQAttachedNonActivatingPanel panel(view, Point{400, 300}, nullptr, Top, 5);
    const int pointY = height - 300;
    panel.setBorderWidth(0);
    panel.setArrowHeight(10);
    EXPECT_EQ(panel.geometry(), QRect(350, pointY - 5 - 60, 100, 60));
    panel.setArrowHeight(20);
    EXPECT_EQ(panel.geometry(), QRect(350, pointY - 5 - 70, 100, 70));
    view->resize(120, 50);
    panel.updateLayout();
    EXPECT_EQ(panel.geometry(), QRect(340, pointY - 5 - 70, 120, 70));
}

} // namespace
