#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QVariantList>
#include <cstddef>
#include <vector>

class QPainter;

// The picture of one screen of a layout: each window of that screen as a rounded rectangle in its place,
// optionally numbered or named. The layout is its window descriptions, front to back; screens are numbered
// in the order their "Screen Frame" first appears.

// What labels the windows carry.
enum ZRSnapshotLabelPriority : unsigned {
    ZRSnapshotLabelNone = 0,
    // Numbers from the front, when more than one window is shown.
    ZRSnapshotLabelNumbers = 1,
    // Application names (this and anything higher).
    ZRSnapshotLabelNames = 2,
};

// One screen of a layout mapped into a rectangle (painter coordinates, y down).
struct ZRSnapshotScreenPicture {
    struct Window {
        QRectF frame;
        // Empty when the window carries none.
        QString label;
        friend bool operator==(const Window&, const Window&) = default;
    };
    std::size_t numberOfScreens = 0;
    // Back to front, as they are drawn. Empty when the screen has no windows, or its frame has no area.
    std::vector<Window> windows;
};

// The screen's windows mapped from the screen's usable frame (that of its first window that recorded one,
// else the screen's frame) onto the rectangle grown by half a point. Windows that map to nothing are left
// out; one thinner than 2 points grows by a point on every side so that it still shows.
ZRSnapshotScreenPicture ZRSnapshotScreenPictureInRect(const QVariantList& snapshot, std::size_t screenIndex,
                                                      const QRectF& rect, unsigned labelPriority);

struct ZRSnapshotDrawingOptions {
    QColor color;
    // A preview draws the windows in the colour alone; otherwise each is laid on white first (or, with
    // eraseBorder, cut out of whatever lies behind it, which needs a painter on an image with alpha), so
    // that a thin border parts it from the windows behind.
    bool asPreview = false;
    unsigned labelPriority = ZRSnapshotLabelNone;
    // The grey of the labels, which are first cut out of their windows.
    double emphasis = -1;
    bool eraseBorder = false;
    double radius = 0;
};

// Draws the screen of that index and answers the number of screens of the layout (0 for an empty one).
std::size_t numberOfScreensInSnapshot(const QVariantList& snapshot, QPainter& painter,
                                      std::size_t screenIndex, const QRectF& rect,
                                      const ZRSnapshotDrawingOptions& options);
// Counts only.
std::size_t numberOfScreensInSnapshot(const QVariantList& snapshot);
// The first screen, without labels, not as a preview.
std::size_t drawSnapshot(QPainter& painter, const QVariantList& snapshot, const QRectF& rect,
                         const QColor& color, bool eraseBorder, double radius);
