#pragma once

#include "platform/EventStream.h"
#include "platform/Keys.h"

#include <QString>

class ZRMouseController;

// Posted for every flags-changed event while the palette is on; its object is a new
// std::shared_ptr<ZRCGEventWrapper> around the event, from which observers read the modifier flags.
inline const QString ZRModifierFlagsChangedNotification =
    QStringLiteral("com.tallowin.Skaf: Modifier Flags Changed");

// The modifier keys the tap tells apart: Shift, Control, Option, Command and Fn.
inline constexpr ModifierFlags ZRTapModifierMask = 0x9E0000;

// The name of the delayed palette requests on the mouse controller, for cancelling them.
inline constexpr char ZRProcessTappedMouseMovedEventSelector[] = "processTappedMouseMovedEvent:";
inline constexpr char ZRHideOverlayRegardlessSelector[] = "hideOverlayRegardless";

// The palette waits at least this long (seconds) after a mouse move before it looks at the pointer.
inline constexpr double ZRMinimumTappedMouseMovedDelay = 0.02;

// Hands one tapped event to the parts of mouse control that want it. Never changes an event.
void ZRMouseEventTapCallback(ZRMouseController& controller, const TapEvent& event);

// Shows the drop zones of the layout that the held modifier keys select; with always, also hides them
// when none is selected. Answers whether zones were shown (or hidden).
bool ZRProcessDropSnapModifiers(ZRMouseController& controller, ModifierFlags flags, bool always);

// Restarts the palette's wait for the pointer to rest with this mouse move; null only cancels the wait.
void ZRScheduleTappedMouseMovedEvent(const TapEvent* event, ZRMouseController& controller);

// Whether the pointer moved further than "Mouse Dragging Threshold" on either axis.
bool ZRMouseMovedBeyondThreshold(const Point& point, const Point& previous);
