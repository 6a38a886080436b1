#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

// The symbols of the settings window's toolbar: the theme's icon where the desktop has one, else a drawn
// template image.
namespace ZRSettingsSymbols {

enum class Symbol { Plus, QuestionMark, Gear };

// A template image of the symbol (only its alpha counts), the point size high.
QImage templateImage(Symbol symbol, double pointSize);
// The symbol as an icon for a control: the theme's icon, or the template tinted in the colour.
QIcon icon(Symbol symbol, double pointSize, const QColor& color);

} // namespace ZRSettingsSymbols
