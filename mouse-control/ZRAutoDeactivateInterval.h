#pragma once

#include <QString>

class UserDefaults;

// Seconds an overlay driven by the keys (drop zones, the keyboard control panel) stays without input.
inline const QString ZRAutoDeactivateIntervalUserDefaultName = QStringLiteral("Auto-Deactivate Interval");

// The pause before such an overlay closes by itself: "Auto-Deactivate Interval" when it holds a finite
// number, but at least half a second; else longer when a cheat sheet is there to be read.
double autoDeactivateIntervalForCheatSheet(bool cheatSheet, const UserDefaults& defaults);
