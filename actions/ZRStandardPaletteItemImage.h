#pragma once

#include <QColor>
#include <QImage>
#include <cstdint>

// The glyph of a palette position (window-access/Position.h) as a template image of the size in points: 1
// the centre, 3 to 10 the halves and quarters, any other position the whole screen. An invalid colour draws
// black, for tinting later. The pixel ratio makes the image sharp on dense screens.
QImage ZRStandardPaletteItemImage(std::int64_t position, const QColor& color, double width, double height,
                                  double devicePixelRatio = 1);
