#include "settings/ZRStandardPaletteItem.h"

#include "mouse-control/ZRPaletteLayout.h"

#include <QCoreApplication>

namespace ZRStandardPaletteItems {

QString label(std::int64_t item) {
    const auto tr = [](const char* text) { return QCoreApplication::translate("ZRPaletteItemWell", text); };
    switch (item) {
    case ZRStandardPaletteItemFull:
        return tr("Fill Screen / Center");
    case ZRStandardPaletteItemLeft:
        return tr("Left Half / Top Left Quarter");
    case ZRStandardPaletteItemRight:
        return tr("Right Half / Top Right Quarter");
    case ZRStandardPaletteItemTop:
        return tr("Top Half / Bottom Left Quarter");
    case ZRStandardPaletteItemBottom:
        return tr("Bottom Half / Bottom Right Quarter");
    default:
        return {};
    }
}

std::optional<std::int64_t> defaultItemAt(std::int64_t column, std::int64_t row) {
    const std::int64_t index = column - ZRPaletteLayout::DefaultFirstColumn;
    const auto& items = ZRPaletteLayout::StandardPaletteItems;
    if (row != ZRPaletteLayout::DefaultRow || index < 0 || index >= std::int64_t(items.size()))
        return std::nullopt;
    return items[std::size_t(index)];
}

} // namespace ZRStandardPaletteItems
