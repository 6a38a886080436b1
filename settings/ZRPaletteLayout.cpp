#include "settings/ZRPaletteLayout.h"

#include <QCoreApplication>
#include <algorithm>

namespace ZRPaletteLayout {

QString coordinatesIdentifier(std::int64_t column, std::int64_t row) {
    return QStringLiteral("%1-%2").arg(column).arg(row);
}

} // namespace ZRPaletteLayout

namespace ZRStandardPaletteItems {

std::optional<ZRStandardPaletteItem> standardPaletteItem(std::int64_t number) {
    const auto found = std::find(All.begin(), All.end(), number);
    return found == All.end() ? std::nullopt : std::optional(*found);
}

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

std::optional<ZRStandardPaletteItem> defaultItemAt(std::int64_t column, std::int64_t row) {
    const std::int64_t index = column - FirstDefaultColumn;
    if (row != DefaultRow || index < 0 || index >= std::int64_t(All.size()))
        return std::nullopt;
    return All[std::size_t(index)];
}

} // namespace ZRStandardPaletteItems
