#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

// The palette layout, two settings rewritten as a whole from the palette editor's wells on every refresh:
// "Palette" maps the coordinates of a well ("3-2": column 3 of row 2) to the identifier of a custom action
// (text) or to a standard item (number); "Palette: Hidden Items" lists the standard items the user hid, which
// keep their wells. Empty wells have no entry; without "Palette" the editor seeds the layout.
namespace ZRPaletteLayout {
inline const QString PaletteUserDefaultName = QStringLiteral("Palette");
inline const QString HiddenItemsUserDefaultName = QStringLiteral("Palette: Hidden Items");

// The editor's grid.
inline constexpr std::int64_t NumberOfColumns = 11;
inline constexpr std::int64_t NumberOfRows = 6;

// "%lu-%lu" of the column and the row.
QString coordinatesIdentifier(std::int64_t column, std::int64_t row);
} // namespace ZRPaletteLayout

// The five fixed buttons of the palette, numbered by the position each stands for; -1 means none.
enum ZRStandardPaletteItem : std::int64_t {
    ZRStandardPaletteItemNone = -1,
    ZRStandardPaletteItemFull = 2,
    ZRStandardPaletteItemTop = 3,
    ZRStandardPaletteItemRight = 5,
    ZRStandardPaletteItemBottom = 7,
    ZRStandardPaletteItemLeft = 9,
};

namespace ZRStandardPaletteItems {
// In the order of their default wells, row 3 columns 3 to 7.
inline constexpr std::array<ZRStandardPaletteItem, 5> All{
    ZRStandardPaletteItemFull, ZRStandardPaletteItemLeft, ZRStandardPaletteItemRight,
    ZRStandardPaletteItemTop, ZRStandardPaletteItemBottom};
inline constexpr std::int64_t DefaultRow = 3;
inline constexpr std::int64_t FirstDefaultColumn = 3;

// A stored number that is one of the five; any other number is none.
std::optional<ZRStandardPaletteItem> standardPaletteItem(std::int64_t number);
// The tool tip and menu text; empty for a number that is no standard item.
QString label(std::int64_t item);
// The item whose default well lies at the coordinates, if any.
std::optional<ZRStandardPaletteItem> defaultItemAt(std::int64_t column, std::int64_t row);
} // namespace ZRStandardPaletteItems
