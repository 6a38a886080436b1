#include "toolkit/AttachedPanelGeometry.h"

#include <algorithm>
#include <array>

namespace {

using namespace AttachedPanelSide;

// Sides tried by the automatic choice, in order.
constexpr std::array automaticOrder{Bottom,   Top,     Right,       Left,     BottomRight, BottomLeft,
                                    TopRight, TopLeft, RightBottom, RightTop, LeftBottom,  LeftTop};

Qt::Edge arrowEdgeForSide(int side) {
    switch (side) {
    case Left:
    case LeftTop:
    case LeftBottom:
        return Qt::RightEdge;
    case Right:
    case RightTop:
    case RightBottom:
        return Qt::LeftEdge;
    case Top:
    case TopLeft:
    case TopRight:
        return Qt::BottomEdge;
    default:
        return Qt::TopEdge;
    }
}

// -1: the panel reaches towards lower coordinates from the arrow, 1: towards higher ones, 0: centred.
int extension(int side) {
    switch (side) {
    case LeftTop:
    case RightTop:
    case TopLeft:
    case BottomLeft:
        return -1;
    case LeftBottom:
    case RightBottom:
    case TopRight:
    case BottomRight:
        return 1;
    default:
        return 0;
    }
}

AttachedPanelLayout layoutForSide(QSizeF contentSize, QPointF point, int side, double distance,
                                  const AttachedPanelStyle& style, const QRectF& screen) {
    AttachedPanelLayout layout;
    layout.side = side;
    layout.arrowEdge = arrowEdgeForSide(side);
    const bool vertical = layout.arrowEdge == Qt::TopEdge || layout.arrowEdge == Qt::BottomEdge;
    const QSizeF body(contentSize.width() + 2 * style.borderWidth,
                      contentSize.height() + 2 * style.borderWidth);
    const QSizeF frameSize = vertical ? QSizeF(body.width(), body.height() + style.arrowHeight)
                                      : QSizeF(body.width() + style.arrowHeight, body.height());

    // Along the attached edge: the arrow's place from the panel's low end, and how far it may slide.
    const double length = vertical ? body.width() : body.height();
    const double margin = std::min(length / 2, std::max(0.0, style.cornerRadius) + style.arrowBaseWidth / 2);
    double arrow = length / 2;
    if (extension(side) < 0)
        arrow = length - margin;
    else if (extension(side) > 0)
        arrow = margin;

    const double along = vertical ? point.x() : point.y();
    double low = along - arrow;
    const double screenLow = vertical ? screen.left() : screen.top();
    const double screenHigh = vertical ? screen.right() : screen.bottom();
    if (screen.isValid() && length <= screenHigh - screenLow) {
        const double shifted = std::clamp(low, screenLow, screenHigh - length);
        // The arrow must stay between the corners; beyond that the panel leaves the screen rather than the
        // point.
        low = std::clamp(shifted, along - (length - margin), along - margin);
    }
    arrow = along - low;

    QPointF tip = point;
    QPointF origin;
    switch (layout.arrowEdge) {
    case Qt::TopEdge:
        tip.ry() += distance;
        origin = QPointF(low, tip.y());
        layout.bodyRect = QRectF(QPointF(0, style.arrowHeight), body);
        break;
    case Qt::BottomEdge:
        tip.ry() -= distance;
        origin = QPointF(low, tip.y() - frameSize.height());
        layout.bodyRect = QRectF(QPointF(0, 0), body);
        break;
    case Qt::LeftEdge:
        tip.rx() += distance;
        origin = QPointF(tip.x(), low);
        layout.bodyRect = QRectF(QPointF(style.arrowHeight, 0), body);
        break;
    case Qt::RightEdge:
        tip.rx() -= distance;
        origin = QPointF(tip.x() - frameSize.width(), low);
        layout.bodyRect = QRectF(QPointF(0, 0), body);
        break;
    }
    layout.frame = QRectF(origin, frameSize);
    layout.arrowTip = tip - origin;
    layout.arrowCenter = arrow;
    layout.contentRect = layout.bodyRect.adjusted(style.borderWidth, style.borderWidth, -style.borderWidth,
                                                  -style.borderWidth);
    return layout;
}

double visibleArea(const QRectF& frame, const QRectF& screen) {
    const QRectF visible = frame.intersected(screen);
    return visible.width() * visible.height();
}

} // namespace

AttachedPanelLayout attachedPanelLayout(QSizeF contentSize, QPointF point, int side, double distance,
                                        const AttachedPanelStyle& style, const QRectF& screenFrame) {
    if (side >= Left && side < Automatic)
        return layoutForSide(contentSize, point, side, distance, style, screenFrame);
    AttachedPanelLayout best;
    double bestArea = -1;
    for (const int candidate : automaticOrder) {
        const AttachedPanelLayout layout =
            layoutForSide(contentSize, point, candidate, distance, style, screenFrame);
        if (!screenFrame.isValid() || screenFrame.contains(layout.frame))
            return layout;
        if (const double area = visibleArea(layout.frame, screenFrame); area > bestArea) {
            bestArea = area;
            best = layout;
        }
    }
    return best;
}
