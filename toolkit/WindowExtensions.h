#pragma once

#include "platform/Geometry.h"
#include "window-access/VirtualScreen.h"

#include <functional>
#include <optional>

class QWidget;

// Extensions of top-level windows: fading, levels, click-through, and conversions.

using ZRCompletionHandler = std::function<void()>;

// Shows the window in front at the opacity, fading in from its current opacity (from clear when it was
// hidden) when asked, then calls the handler. A fade in progress is cancelled first and its handler is
// not called.
void orderFrontWithAlphaValue(QWidget* window, double alpha, bool fadeIn,
                              ZRCompletionHandler completion = {});
// Fades in to full opacity.
void orderFrontAndFadeIn(QWidget* window);

// Fades the window out over its fading duration, closes it (hides it: its native window stays for the next
// showing), restores its opacity, then calls the handler. A window shown again before the fade ends (by the
// functions above, or shown after being hidden) stays open, and the handler is not called. A hidden window
// is closed at once.
void fadeOutAndCloseWithCompletionHandler(QWidget* window, ZRCompletionHandler completion);
void fadeOutAndClose(QWidget* window);

// Seconds a fade takes; 0.2 unless set.
double fadingDuration(const QWidget* window);
void setFadingDuration(QWidget* window, double seconds);

// Whether the window is on a screen of more than 1.5 device pixels per point.
bool isOnRetinaDisplay(const QWidget* window);

// The virtual screen most relevant to the window's frame; the first screen when it lies on none, and
// none without a screen.
std::optional<ZRVirtualScreen> virtualScreen(const QWidget* window, const UserDefaults& defaults);

// A point in the window's base coordinates (from the bottom left of its content, y up) in Cocoa screen
// coordinates.
Point deprecatedConvertBaseToScreen(const QWidget* window, Point point);

// Overlay stacking by the program's own level numbers: a window is kept above every window of the
// program with a lower level whenever one of them is ordered front.
int windowLevel(const QWidget* window);
void setWindowLevel(QWidget* window, int level);
// Raises the window, then every visible window of a higher level, lowest first.
void orderFrontRespectingLevels(QWidget* window);

// Whether clicks pass through the window to what lies below it. Changed in place: a shown window is never
// hidden, moved or restacked by it.
bool ignoresMouseEvents(const QWidget* window);
void setIgnoresMouseEvents(QWidget* window, bool ignores);
