#pragma once

#include "platform/Accessibility.h"
#include "platform/Geometry.h"
#include "platform/WindowServer.h"

#include <optional>

class UserDefaults;

// Reading other applications' windows through the accessibility interface. Frames are in Quartz
// coordinates. Safe from the hover worker as well as the main thread.

// The attribute's value; empty (std::monostate) without an element or when the read fails.
AXValue ZRCopyAXAttribute(const AXElementRef& element, const QString& attribute);
// The attribute's value when it is an element, else null.
AXElementRef ZRCopyAXElementAttribute(const AXElementRef& element, const QString& attribute);

// The deepest element at the point, or null.
AXElementRef ZRCopyElementAtPosition(Point quartzPoint);

// The window of a window-list entry: among the owner's "AXWindows" the one with the entry's number,
// else one with the entry's bounds; else the window of the element at the point. With exactMatch and an
// entry, it never falls back to the point and matches by bounds only when exactly one window has them.
AXElementRef ZRWindowForWindowListEntry(Point quartzPoint, const WindowListEntry* entry, bool exactMatch);

// The window's zoom button (else its full-screen button), minimise button and close button, or null.
AXElementRef ZRCopyZoomButton(const AXElementRef& window);
AXElementRef ZRCopyMinimizeButton(const AXElementRef& window);
AXElementRef ZRCopyCloseButton(const AXElementRef& window);

// Whether the button is enabled, or belongs to an Electron application, whose buttons report themselves
// disabled while they work.
bool ZRZoomButtonIsUsable(const AXElementRef& button);

// The window's frame, united with its drawers when asked; none when its position or size cannot be read.
std::optional<Rect> ZRCopyWindowFrame(const AXElementRef& window, bool includeDrawers);

// The setting "Allow For Drawers": the drawers flag of frame reads and writes.
bool ZRAllowsForDrawers(const UserDefaults& defaults);

struct ZRStickyEdges {
    bool keepRightEdge = false;
    bool keepBottomEdge = false;
};
// Which edges of a frame (Cocoa coordinates) stay put when a window cannot take its size: the right
// (bottom) edge when it lies within 0.1 of the full frame's and the opposite edge does not, or always by
// "Sticky Edge Correction: Right" ("Sticky Edge Correction: Bottom").
ZRStickyEdges ZRStickyEdgeFlags(const Rect& frame, const Rect& fullFrame, const UserDefaults& defaults);

// Whether the window's size can be set: not in full screen; then a usable zoom button or a grow area; else
// a settable "AXSize" unless "Settable Size Strictness" is 1 or more. False for null.
bool ZRWindowIsResizable(const AXElementRef& window, const UserDefaults& defaults);
// True while "Control Full Screen Windows" is on or the window is not in full screen.
bool ZRWindowIsControllable(const AXElementRef& window, const UserDefaults& defaults);
// The window is in full screen and may leave it.
bool ZRWindowCanLeaveFullScreen(const AXElementRef& window);
// Takes the window out of full screen, waits "Control Full Screen Windows: Animation Interval" seconds
// and answers the frontmost application's focused window then; null when the window did not leave full
// screen or there is no such window.
AXElementRef ZRExitFullScreen(const AXElementRef& window, const UserDefaults& defaults);
// The focused window of the frontmost application, or null.
AXElementRef ZRCopyFrontmostFocusedWindow();
// Raises the window and activates its application.
void ZRRaiseWindow(const AXElementRef& window);
// The setting "Mouse Controls Auto-Activate Window", inverted while Shift is held when asked.
bool ZRMouseControlsShouldActivateWindow(bool shiftInverts, const UserDefaults& defaults);
