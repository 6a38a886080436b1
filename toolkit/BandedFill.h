#pragma once

class QColor;
class QPainter;
class QPainterPath;
class QRectF;

// Fills that give the pixels of one QPainter fill, cut into bands of device rows short enough that Qt's
// raster engine keeps them on the painting thread. It hands the spans of a fill to its thread pool, and waits
// for them, once a fill gives about a hundred spans, as any shape taller than some twenty rows does; for the
// small shapes of a layout picture the hand-over costs more than the fill (a preview of a hundred windows
// spent two thirds of its time waking threads). Each pixel lies in one band and is blended once, with the
// coverage the whole fill gives it, in the painter's composition mode.

// A rectangle, as QPainter::fillRect draws it with antialiasing.
void ZRFillRectInBands(QPainter& painter, const QRectF& rect, const QColor& color);
// A path, as QPainter::fillPath draws it. A rounded rectangle of ZRRectPathWithCornerRadius is cut into its
// corners and pieces of its straight sides, so that no row is rasterized twice; any other path is filled
// whole once per band.
void ZRFillPathInBands(QPainter& painter, const QPainterPath& path, const QColor& color);
