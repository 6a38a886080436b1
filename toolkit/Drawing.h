#pragma once

#include "toolkit/ZRTextAttributes.h"

#include <QColor>
#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;

// Drawing helpers of overlays and controls. Coordinates are the painter's (y down).

// Fills and strokes a rectangle: plain when the radius is below 0.1, else rounded with the radius capped at
// half the shorter side. An invalid colour leaves out the fill or the stroke; the stroke is dashed when
// asked.
void ZRDrawRectWithBorder(QPainter& painter, bool dashed, const QColor& strokeColor, const QColor& fillColor,
                          const QRectF& rect, double cornerRadius, double lineWidth);
// The outline that ZRDrawRectWithBorder fills and strokes.
QPainterPath ZRRectPathWithCornerRadius(const QRectF& rect, double cornerRadius);

// An arrow across the rectangle, pointing right at 0 degrees and turned clockwise by the angle about the
// rectangle's centre (90 points down); with rounded ends and corners when asked.
void ZRDrawArrowGlyph(QPainter& painter, const QColor& color, double angleDegrees, const QRectF& rect,
                      bool rounded);

// Draws the text centred in the rectangle on whole points, kept inside it.
void ZRDrawAttributedStringInRect(QPainter& painter, const QString& text, const ZRTextAttributes& attributes,
                                  const QRectF& rect);

// How far a curved corner of radius r reaches along each edge, in multiples of r.
double curvedRectCornerRadiusFactor();
// A rounded rectangle whose corners ease into the edges (continuous curvature) rather than meeting them as
// circular arcs; the corners reach curvedRectCornerRadiusFactor() × radius along the edges, capped at half
// the shorter side.
QPainterPath bezierPathWithCurvedRect(const QRectF& rect, double radius);
