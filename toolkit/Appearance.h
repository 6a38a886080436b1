#pragma once

#include <QColor>

// The desktop's appearance, from the platform's workspace when one is installed, else from the
// application's palette.

// The accessibility setting to increase contrast; false where the desktop has none.
bool ZRIncreaseContrastEnabled();
// Whether the desktop uses a dark style.
bool ZRIsDarkInterfaceStyleEnabled();
// The same; kept apart for callers that ask whether the dark style can apply at all.
bool ZRIsDarkInterfaceStyleSince1014();

// Named colours of overlays and controls.
QColor overlaySelectedControlColor();           // the accent colour
QColor brighterOverlaySelectedControlColor();   // the accent colour blended 0.2 towards white
QColor darkModeOverlayControlColor();           // white at alpha 0.9
QColor lightModeOverlayControlColor();          // black at alpha 0.65
QColor lightModeOverlayBackgroundColor();       // white 0.99 at alpha 0.98
QColor backwardsCompatibleControlAccentColor(); // the accent colour

// The colour a fraction of the way towards another, every component including alpha.
QColor blendedColor(const QColor& color, double fraction, const QColor& other);

// A grey from black (0) to white (1) at the opacity; values outside 0 to 1 are clamped.
QColor calibratedWhite(double white, double alpha);
