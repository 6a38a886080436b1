#pragma once

#include "platform/Geometry.h"

#include <QString>

class UserDefaults;

// The setting that caps the size of the palette's icons.
inline const QString ZRPaletteIconSizeUserDefaultName = QStringLiteral("Palette Icon Size");

// The width and height of a palette icon for the requested width (negative: 100): the smaller of the request
// and "Palette Icon Size" of the settings, never below 18 by 14, in the proportions 18 : 14.
Size ZRPaletteIconMetrics(double requestedWidth, const UserDefaults& settings);
