#pragma once

#include <QString>

class QAction;

// Gives the item a system symbol image. Symbol images of that kind exist on no desktop this program runs
// on, so this does nothing; callers keep calling it where the item would have one.
void setMacOS26ImageWithSystemSymbolName(QAction* item, const QString& symbolName, bool ornamental,
                                         bool replaceExistingImage);
// The same, ornamental and keeping an existing image.
void setMacOS26ImageWithSystemSymbolName(QAction* item, const QString& symbolName);

// The size that stands for "the menu's own size".
inline constexpr double ZRMenuFontSize = -1;

// Appends the suffix to the item's title, dimmed where the menu can draw it so (menus of this toolkit
// read the suffix back with titleSuffix). Setting a suffix again replaces the previous one.
void setTitleSuffix(QAction* item, const QString& suffix, double size = ZRMenuFontSize);
// The suffix set on the item, and its title without it.
QString titleSuffix(const QAction* item);
QString titleWithoutSuffix(const QAction* item);
