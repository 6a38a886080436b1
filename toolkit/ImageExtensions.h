#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

// Template images are shapes: only their alpha counts, and they are drawn in whatever colour the control
// needs.

// Draws the template image into the rectangle, tinted with the colour at the opacity (0 to 1).
void drawInRect(QPainter& painter, const QImage& templateImage, const QRectF& rect, const QColor& color,
                double fraction);

// The template image in the colour, at its own size; a null image for a null one.
QImage tintedImage(const QImage& templateImage, const QColor& color);

// A grey copy of the image, its alpha kept.
QImage grayScaleImage(const QImage& image);

// The revert arrow of the palette, a template image 16 points square.
QImage revertImage();

// The program's logo, a template image: a rounded square with four arrow heads pointing outwards.
inline constexpr char16_t ZRStatusItemImageName[] = u"ZRStatusItem";
// Draws the logo, square, centred in the rectangle.
void ZRDrawStatusItemLogo(QPainter& painter, const QRectF& rect, const QColor& color);

// The image of that name: the toolkit's own ("ZRStatusItem"), else a picture compiled into the program
// (resources/); a null image when there is none.
QImage ZRImageNamed(const QString& name);
