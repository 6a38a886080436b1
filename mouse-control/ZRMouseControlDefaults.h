#pragma once

#include "actions/ZRDropZoneActivation.h"

#include <QString>
#include <cstdint>

// The settings keys of mouse control that more than one of its parts reads. Their registered values
// come from the shell at launch.
namespace ZRMouseControlDefault {
// The palette pop-up.
inline const QString MouseControls = QStringLiteral("Mouse Controls");
// 0 the zoom button, 1 the minimise button, any other value the close button.
inline const QString Trigger = QStringLiteral("Mouse Controls Trigger");
// 0: the palette waits "Mouse Controls Delay" and obeys the desktop's zoom-button menu; otherwise the
// zoom-button overlay comes first.
inline const QString ZoomButtonBehavior = QStringLiteral("Mouse Controls: Zoom Button Behavior");
// Seconds the pointer rests before the palette looks at it.
inline const QString Delay = QStringLiteral("Mouse Controls Delay");
inline const QString Snap = QStringLiteral("Snap");
inline const QString AutoSnap = QStringLiteral("Snap: Auto-Snap");
// Seconds the pointer rests in a zone before it snaps or shows the snap.
inline const QString SnapDelay = QStringLiteral("Snap Delay");
// Points: the depth of the bands along the screen edges, and how far the corners reach along them.
inline const QString SnapDragZoneWidth = QStringLiteral("Snap: Drag Zone Width");
inline const QString SnapDragZoneWidthChooser = QStringLiteral("Snap: Drag Zone Width: Chooser");
inline const QString SnapIgnoreBorderingEdgesAndCorners =
    QStringLiteral("Snap: Ignore Bordering Edges And Corners");
// Windows dragged with Command held snap too.
inline const QString SnapMonitorCommandDragging = QStringLiteral("Snap: Monitor Command-Dragging");
// 1: a window snaps back also from a frame a keyboard action gave it at an edge or corner.
inline const QString SnapBackScope = QStringLiteral("Snap Back: Scope");
// A layout in a snap zone shows its drop zones instead of a snap.
inline const QString DropSnapActivateViaSnap = QStringLiteral("Drop Snap: Activate Via Snap");
inline const QString SnapBack = QStringLiteral("Snap Back");
inline const QString SnapBackUndeadExtendedScope = QStringLiteral("Snap Back: Undead Extended Scope");
inline const QString Hover = QStringLiteral("Hover");
inline const QString HoverMove = QStringLiteral("Hover Move");
inline const QString HoverResize = QStringLiteral("Hover Resize");
inline const QString HoverMoveSuppressImplicitDropSnap =
    QStringLiteral("Hover Move: Suppress Implicit Drop Snap");
// 1: a hover resize moves the corner nearest the pointer; other values: the bottom-right corner.
inline const QString HoverResizeCorner = QStringLiteral("Hover Resize: Corner");
// Above 0 a hover move keeps the window on its display's usable frame; from 0 a hover resize does too (0
// lets it grow across displays that share their workspaces); below 0 neither.
inline const QString HoverStickinessDisplayRestrictionPriority =
    QStringLiteral("Hover Stickiness: Display Restriction Priority");
// Within a few points a hovered window sticks to the usable frame's edges, to the centre, and to the size
// it had when the gesture began.
inline const QString HoverStickinessEdges = QStringLiteral("Hover Stickiness: Edges");
inline const QString HoverStickinessCenters = QStringLiteral("Hover Stickiness: Centers");
inline const QString HoverStickinessOriginalSize = QStringLiteral("Hover Stickiness: Original Size");
inline const QString DropSnap = ZRDropSnapUserDefaultName;
// 0 by the drop-snap modifier keys, 1 by the modifiers of a layout's hot key, 2 by a layout's hot key.
inline const QString DropSnapActivation = QStringLiteral("Drop Snap: Activation");
inline const QString DropSnapModifierKeysActivateHoverMove =
    QStringLiteral("Drop Snap: Modifier Keys Activate Hover Move");
inline const QString MouseDraggingThreshold = QStringLiteral("Mouse Dragging Threshold");

} // namespace ZRMouseControlDefault

// How drop zones are shown ("Drop Snap: Activation"); values other than these count as modifier keys.
enum ZRDropSnapActivation : std::int64_t {
    // By the modifier keys of "Drop Snap: Modifier: %ld".
    ZRDropSnapActivationModifierKeys = 0,
    // By the modifier keys of a layout's hot key.
    ZRDropSnapActivationHotKeyModifiers = 1,
    // By pressing a layout's hot key.
    ZRDropSnapActivationHotKey = 2,
};

// Snap positions from the top edge round to the top-left corner: edges on odd numbers, corners on even ones.
inline constexpr std::int64_t ZRFirstSnapZonePosition = 3;
inline constexpr std::int64_t ZRLastSnapZonePosition = 10;
// The action of a snap position: "Snap: 3" to "Snap: 10".
inline QString userDefaultNameForSnapPosition(std::int64_t position) {
    return QStringLiteral("Snap: %1").arg(position);
}
// The layout that a drop-snap modifier key shows: this, then the decimal value of the key's flag.
inline const QString DropSnapModifierUserDefaultPrefix = QStringLiteral("Drop Snap: Modifier: ");
inline QString userDefaultNameForDropSnapModifier(std::uint64_t flag) {
    return DropSnapModifierUserDefaultPrefix + QString::number(flag);
}
