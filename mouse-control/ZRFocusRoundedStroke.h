#pragma once

#include <QColor>
#include <QPainterPath>
#include <QPen>
#include <QRect>
#include <QRectF>
#include <vector>

class QPainter;

// A rectangle with corners of the radius, as far as the rectangle has room for them (half its shorter
// side, less a little); a plain rectangle when that room is under a point.
QPainterPath ZRFocusCreateRoundedPath(const QRectF& rect, double radius);

// A line along a rounded rectangle, centred on its edge, solid or dashed, with a soft shadow when asked.
// Painted edge by edge: each straight edge is one fill of a small repeating picture of its line, each corner
// a short stroke, so a frame of moving dashes costs little.
struct ZRFocusRoundedStroke {
    // The shadow reaches this far beyond the line (points).
    static constexpr double ShadowRadius = 1.5;

    QRectF rect;
    // As far as the rectangle has room for it (ZRFocusCreateRoundedPath).
    double radius = 0;
    double width = 0;
    QColor color;
    std::vector<double> dashPattern; // points; empty: solid
    bool shadow = false;

    QPainterPath path() const { return ZRFocusCreateRoundedPath(rect, radius); }
    // The radius the rectangle has room for.
    double effectiveRadius() const;

    // Paints what meets the clip: the dashes moved by the phase (points), the line widened by the pulse (0 to
    // 1, up to twice its width). The parts of the straight edges inside the excluded bands are left out.
    void paint(QPainter& painter, double dashPhase, double pulse, const QRectF& clip,
               const std::vector<QRect>& excluded = {}) const;
};

// A pen of the width whose dashes (points) begin the phase into their pattern.
QPen ZRFocusPen(const QColor& color, double width, const std::vector<double>& dashPattern, double dashPhase);

// Fills the part of a rounded rectangle that meets the clip: its straight middle and sides on whole pixels
// (under the line along its edge), its corners as paths of their own. Much less work than the whole path
// where only a strip of it is repainted.
void ZRFocusFillRoundedRect(QPainter& painter, const QRectF& rect, double radius, const QColor& color,
                            const QRectF& clip);
