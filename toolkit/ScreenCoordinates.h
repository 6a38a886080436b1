#pragma once

#include "platform/Geometry.h"

#include <QPointF>
#include <QRectF>
#include <vector>

// Widgets live in Qt's global coordinates (y down, the virtual desktop's origin); the rest of the program
// speaks Cocoa coordinates (y up from the bottom left of the primary screen). These convert at that edge,
// by the primary screen's place and height.
QRectF qtRectFromCocoaRect(const Rect& rect);
Rect cocoaRectFromQtRect(const QRectF& rect);
QPointF qtPointFromCocoaPoint(Point point);
Point cocoaPointFromQtPoint(const QPointF& point);
// Quartz coordinates share Qt's direction and differ only by the primary screen's top left.
Rect quartzRectFromQtRect(const QRectF& rect);

// A screen in Qt's coordinates: its whole frame and the part docks and panels leave usable.
struct QtScreenFrames {
    QRectF frame;
    QRectF usable;
};
// The screens, the primary one first: the platform's when one is installed (they know the docks and
// panels), else Qt's.
std::vector<QtScreenFrames> currentScreenFrames();
