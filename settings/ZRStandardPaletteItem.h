#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The five fixed buttons of the palette, numbered by the position each stands for (mouse-control's
// ZRPaletteLayout lists them); -1 means none.
enum ZRStandardPaletteItem : std::int64_t {
    ZRStandardPaletteItemNone = -1,
    ZRStandardPaletteItemFull = 2,
    ZRStandardPaletteItemTop = 3,
    ZRStandardPaletteItemRight = 5,
    ZRStandardPaletteItemBottom = 7,
    ZRStandardPaletteItemLeft = 9,
};

namespace ZRStandardPaletteItems {
// The tool tip and menu text; empty for a number that is no standard item.
QString label(std::int64_t item);
// The item whose default well lies at the coordinates, if any.
std::optional<std::int64_t> defaultItemAt(std::int64_t column, std::int64_t row);
} // namespace ZRStandardPaletteItems
