#pragma once

#include "platform/Geometry.h"

// The pointer in Cocoa screen coordinates with y reduced by 1, so the top row of the primary screen is at
// its height minus 1 and a point probe lands inside the screen. The origin without a platform.
Point zeroBasedMouseLocation();
