#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

// Pictures of what the user sees, read in-process (no image tool is installed on the test machines).

// The pixels of the display the application shows its windows on, in Qt's global coordinates: on the X11
// test display, whatever lies there, other programs' windows included. A null image when unreadable.
QImage screenPixels(const QRect& rect);
QColor screenPixel(QPoint point);

// Saves the picture as build/screenshots/<name>.png, for a person to look at; answers the path.
QString saveScreenshot(const QImage& picture, const QString& name);
