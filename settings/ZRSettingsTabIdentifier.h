#pragma once

#include <QString>
#include <array>

// The identifier of a settings pane, and of the pane a sidebar row opens.
using ZRSettingsTabIdentifier = QString;

namespace ZRSettingsTab {
inline const ZRSettingsTabIdentifier Palette = QStringLiteral("Palette");
inline const ZRSettingsTabIdentifier Hover = QStringLiteral("Hover");
inline const ZRSettingsTabIdentifier Snap = QStringLiteral("Snap");
inline const ZRSettingsTabIdentifier Keyboard = QStringLiteral("Keyboard");
inline const ZRSettingsTabIdentifier Custom = QStringLiteral("Custom");

// The sections of the sidebar, in their order.
inline const std::array<ZRSettingsTabIdentifier, 4> Sections = {Palette, Hover, Snap, Keyboard};
// Every pane, in the order of the tab view.
inline const std::array<ZRSettingsTabIdentifier, 5> All = {Palette, Hover, Snap, Keyboard, Custom};
} // namespace ZRSettingsTab
