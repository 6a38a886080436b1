#pragma once

#include <QPointF>
#include <QRectF>

// Where a panel that hangs beside a point with an arrow goes. All in top-down screen coordinates.

// The side of the point the panel lies on; a side named with two words extends along the first towards the
// second (BottomRight: below the point, reaching to the right, its arrow near its left end).
namespace AttachedPanelSide {
inline constexpr int Left = 0;
inline constexpr int Bottom = 1;
inline constexpr int Right = 2;
inline constexpr int Top = 3;
inline constexpr int LeftTop = 4;
inline constexpr int LeftBottom = 5;
inline constexpr int RightTop = 6;
inline constexpr int RightBottom = 7;
inline constexpr int TopLeft = 8;
inline constexpr int TopRight = 9;
inline constexpr int BottomLeft = 10;
inline constexpr int BottomRight = 11;
// The first side on which the panel fits on the screen.
inline constexpr int Automatic = 12;
} // namespace AttachedPanelSide

struct AttachedPanelStyle {
    double arrowHeight = 0;
    double arrowBaseWidth = 0;
    double cornerRadius = 0;
    double borderWidth = 0;
};

struct AttachedPanelLayout {
    int side = AttachedPanelSide::Bottom; // never Automatic
    QRectF frame;                         // the panel on the screen, arrow included
    QRectF bodyRect;                      // the rounded body, in the panel's coordinates
    QRectF contentRect;                   // the content view, in the panel's coordinates
    Qt::Edge arrowEdge = Qt::TopEdge;     // the body's edge that carries the arrow
    QPointF arrowTip;                     // in the panel's coordinates
    double arrowCenter = 0;               // where the arrow's base is centred along its edge
};

// The layout of a panel of the content size beside the point, the arrow's tip at the distance from the
// point. Along its attached edge the panel is moved back onto the screen's usable frame where it fits,
// the arrow sliding along so it still points at the point, never into the rounded corners.
AttachedPanelLayout attachedPanelLayout(QSizeF contentSize, QPointF point, int side, double distance,
                                        const AttachedPanelStyle& style, const QRectF& screenFrame);
