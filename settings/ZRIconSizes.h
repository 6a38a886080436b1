#pragma once

#include "platform/Geometry.h"

// The size of an action's icon in the action editor's header, and the proportions of exported icons.
inline constexpr Size ZRClassicIconSize{23, 16};
