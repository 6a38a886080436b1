#pragma once

#include "platform/Geometry.h"

#include <QString>
#include <QVariant>

// The size of an action's icon in the action editor's header, and the proportions of exported icons.
inline constexpr Size ZRClassicIconSize{23, 16};

inline const QString ZRMenuItemIconSizeUserDefaultName = QStringLiteral("Menu Item Icon Size");

class UserDefaults;

// The size of action icons in menus from "Menu Item Icon Size" in the settings. The settings window works it
// out once, at the launch: menus made later keep the size the first ones had.
Size ZRMenuItemIconSize(const UserDefaults& defaults);
// The size a stored value gives: a size ("{19, 14}") with each side kept within 10 and 30; 19 by 14 for
// none.
Size ZRMenuItemIconSizeForValue(const QVariant& value);
