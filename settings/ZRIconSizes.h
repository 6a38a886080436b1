#pragma once

#include "platform/Geometry.h"

#include <QString>
#include <QVariant>

// The size of an action's icon in the action editor's header, and the proportions of exported icons.
inline constexpr Size ZRClassicIconSize{23, 16};

inline const QString ZRMenuItemIconSizeUserDefaultName = QStringLiteral("Menu Item Icon Size");

// The size of action icons in menus from "Menu Item Icon Size", worked out once per process.
Size ZRMenuItemIconSize();
// The size a stored value gives: a size ("{19, 14}") with each side kept within 10 and 30; 19 by 14 for
// none.
Size ZRMenuItemIconSizeForValue(const QVariant& value);
