#pragma once

struct ScreenInfo;

// The keyboard menu's line height rules. The shell needs the default at launch, before the keyboard
// menu exists; the keyboard menu uses the same functions.

// The settings key of the keyboard menu's line height.
inline constexpr char16_t ZRKeyboardMenuLineHeightUserDefaultName[] = u"ZRKeyboardMenu: Line Height";

// An even number of points, at least 20; no upper limit.
double ZRKeyboardMenuCorrectedLineHeight(double lineHeight);
// From the height of the screen's visible frame (the first screen when none is given), corrected and
// at most 100; 64 when there are no screens at all.
double ZRKeyboardMenuDefaultLineHeightForScreen(const ScreenInfo* screen);
