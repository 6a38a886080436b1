#pragma once

#include "mouse-control/ZRFocusOutlineStyle.h"
#include "mouse-control/ZRFocusRoundedStroke.h"
#include "platform/Geometry.h"

#include <QColor>
#include <QPainterPath>
#include <QRect>
#include <QRectF>
#include <QRegion>
#include <optional>
#include <utility>
#include <vector>

class QPainter;

// What the focus window shows, in its own coordinates (points, from its bottom left, y up, as the frames
// are given in screen coordinates of that orientation).
struct ZRFocusScene {
    Size bounds;
    Rect apertureFrame;
    Rect outlineFrame;
    std::vector<Rect> dropFrames;
    bool dropFramesOverlap = false;
    bool alert = false;
    bool displayRegardless = false;
    bool retina = false;
    // A compositing manager blends translucent pixels; without one the picture is drawn opaque and the
    // window shaped to it, with no dimming.
    bool translucency = true;
};

// A path filled and stroked, in the window's drawing coordinates (y down).
struct ZRFocusShape {
    QPainterPath path;
    QColor fill;   // invalid: no fill
    QColor stroke; // invalid: no stroke
    double width = 0;
    std::vector<double> dashPattern; // points; empty: solid
};

// The picture of one scene, as layers from the back: the dimming, the drop frames, the outline's wide soft
// stroke and its thin line, which the animations change (dash phase, pulse).
//
// Drawing is built for the moving dashes: the lines along the outline are painted edge by edge (straight
// edges with a small picture of the dashes, corners as short strokes), and the tall bands of the outline's
// left and right edges are painted lying down and turned upright, since the painter spends most of its time
// on rows there.
class ZRFocusPicture {
public:
    static ZRFocusPicture forScene(const ZRFocusScene& scene, const ZRFocusSettings& settings);

    std::optional<ZRFocusShape> dimming;
    // The aperture's rectangle in the dimming; empty when the dimming has none.
    QRectF dimmingAperture;
    std::vector<ZRFocusShape> drops;
    // The outline's inside is lightened where it lies on the dimming; invalid when it does not.
    QColor outlineFillColor;
    std::optional<ZRFocusRoundedStroke> outerOutline;
    std::optional<ZRFocusRoundedStroke> innerOutline;
    ZRFocusOutlineStyle outlineStyle;
    // Without translucency: the wide strokes in their opaque colours, and the window's shape, all of them.
    bool opaque = false;
    std::vector<std::pair<QRegion, QColor>> opaqueBands;
    QRegion opaqueShape;

    // Where the outline's animations draw (drawing coordinates): the rectangles along the outline (top,
    // bottom, left, right) that a dash or pulse frame repaints, one after the other.
    std::vector<QRect> outlineDirtyRects() const;

    // Paints the part of the picture in the dirty rectangle, onto pixels cleared to transparent: the inner
    // line's dashes moved by the phase (points) and widened by the pulse (0 to 1, up to twice its width).
    void paint(QPainter& painter, const QRect& dirty, double dashPhase = 0, double pulse = 0) const;

private:
    void paintLayers(QPainter& painter, const QRectF& clip, double dashPhase, double pulse,
                     bool outlineSides) const;
    // The outline's left and right edges without their corners; empty without an outline.
    QRect leftBand() const;
    QRect rightBand() const;
    double outlineReach() const;
};
