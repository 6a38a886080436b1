#pragma once

#include "platform/EventStream.h"
#include "platform/Keys.h"

#include <QString>
#include <array>
#include <cstdint>
#include <utility>

class UserDefaults;
class ZRMouseController;

// Posted for every flags-changed event while the palette is on; its object is a new
// std::shared_ptr<ZRCGEventWrapper> around the event, from which observers read the modifier flags.
inline const QString ZRModifierFlagsChangedNotification =
    QStringLiteral("com.tallowin.Skaf: Modifier Flags Changed");

// The modifier keys the tap tells apart: Shift, Control, Option, Command and Fn.
inline constexpr ModifierFlags ZRTapModifierMask = 0x9E0000;

// The palette waits at least this long (seconds) after a mouse move before it looks at the pointer.
inline constexpr double ZRMinimumTappedMouseMovedDelay = 0.02;

// The drop-snap modifier keys in the order their layouts are looked up.
inline constexpr std::array<ModifierFlags, 5> ZRDropSnapModifierLookupOrder = {
    ModifierFlag::Function, ModifierFlag::Control, ModifierFlag::Option, ModifierFlag::Shift,
    ModifierFlag::Command};

// The settings that tapped events act on. The callback runs for every mouse move of every application, so
// the mouse controller keeps them, read again only when one of them changes.
struct ZRTappedEventSettings {
    // Seconds the palette waits for the pointer to rest, never below ZRMinimumTappedMouseMovedDelay.
    double paletteDelay = ZRMinimumTappedMouseMovedDelay;
    // Movement on either axis after which a drag counts.
    double draggingThreshold = 0;
    std::int64_t dropSnapActivation = 0;
    bool suppressImplicitDropSnap = false;
    // The layout that each drop-snap modifier key shows, in lookup order; empty: none.
    std::array<std::pair<ModifierFlags, QString>, ZRDropSnapModifierLookupOrder.size()>
        dropSnapModifierLayouts;
};

// Reads them from the settings, the palette's delay through the controller's delay reader.
ZRTappedEventSettings ZRReadTappedEventSettings(const ZRMouseController& controller);
// Whether the setting of that key is one of them.
bool ZRIsTappedEventSetting(const QString& key);

// Hands one tapped event to the parts of mouse control that want it. Never changes an event.
void ZRMouseEventTapCallback(ZRMouseController& controller, const TapEvent& event);

// Shows the drop zones of the layout that the held modifier keys select; with always, also hides them
// when none is selected. Answers whether zones were shown (or hidden).
bool ZRProcessDropSnapModifiers(ZRMouseController& controller, ModifierFlags flags, bool always);

// Restarts the palette's wait for the pointer to rest with this mouse move; null only cancels the wait.
void ZRScheduleTappedMouseMovedEvent(const TapEvent* event, ZRMouseController& controller);

// Whether the pointer moved further than "Mouse Dragging Threshold" on either axis.
bool ZRMouseMovedBeyondThreshold(const Point& point, const Point& previous, const UserDefaults& defaults);
// "Mouse Dragging Threshold", at least 0.01; 0.3 while it has no value.
double ZRMouseDraggingThreshold(const UserDefaults& defaults);
