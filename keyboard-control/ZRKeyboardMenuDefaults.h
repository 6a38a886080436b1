#pragma once

#include "shell/ZRKeyboardMenuLineHeight.h"

// The keyboard menu's settings. The line height's key and rules are the shell's, which registers its
// default at launch (ZRKeyboardMenuLineHeight.h); "ZRKeyboardMenu: Type-Select" is registered there as 2.
namespace ZRKeyboardMenuDefaults {

inline constexpr const char16_t* LineHeight = ZRKeyboardMenuLineHeightUserDefaultName;
// 0 or less: no type-select (h, j, k and l steer, other keys close the menu); 1: the typed text as one
// run; 2 or more: then also its characters in order with gaps.
inline constexpr char16_t TypeSelect[] = u"ZRKeyboardMenu: Type-Select";
// Seconds after the last typed character until the query is discarded.
inline constexpr char16_t TypeSelectInvalidationDelay[] = u"ZRKeyboardMenu: Type-Select: Invalidation Delay";
// "dark" (any case) or any other text for light; unset follows the desktop.
inline constexpr char16_t Theme[] = u"ZRKeyboardMenu: Theme";
// Up and down wrap around at the ends of a level.
inline constexpr char16_t Loop[] = u"ZRKeyboardMenu: Loop";
// A second press of the hot key that opened the menu does not step the selection.
inline constexpr char16_t DisableCycling[] = u"ZRKeyboardMenu: Disable Cycling";
// The menu draws its own background always: no desktop offers the blurred one here. Kept for the
// settings files that carry it.
inline constexpr char16_t DisableBlur[] = u"ZRKeyboardMenu: Disable Blur";
// Read only with the blurred background, so it has no effect here; kept for the same files.
inline constexpr char16_t FullWidthSelection[] = u"ZRKeyboardMenu: Full-Width Selection";
// No fade-in, resize animation or fade-out.
inline constexpr char16_t DisableAnimation[] = u"ZRKeyboardMenu: Disable Animation";
// The selected row stays in the middle of the panel and the list moves around it.
inline constexpr char16_t StaticSelection[] = u"ZRKeyboardMenu: Static Selection";
// With natural scrolling and without static selection, the wheel moves the selection the other way.
inline constexpr char16_t ScrollingGestureMovesSelection[] =
    u"ZRKeyboardMenu: Scrolling Gesture Moves Selection";

} // namespace ZRKeyboardMenuDefaults
