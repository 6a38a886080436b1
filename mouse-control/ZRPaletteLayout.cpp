#include "mouse-control/ZRPaletteLayout.h"

#include "platform/foundation/UserDefaults.h"

#include <QVariantList>
#include <QVariantMap>
#include <algorithm>

namespace {

// A stored number, or none for anything that is not an integer.
std::optional<std::int64_t> storedInteger(const QVariant& value) {
    if (value.metaType().id() == QMetaType::QString)
        return std::nullopt;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    return ok ? std::optional<std::int64_t>(number) : std::nullopt;
}

} // namespace

bool ZRPaletteLayout::isStandardPaletteItem(std::int64_t number) {
    return std::find(StandardPaletteItems.begin(), StandardPaletteItems.end(), number) !=
           StandardPaletteItems.end();
}

QString ZRPaletteLayout::coordinatesIdentifier(std::int64_t column, std::int64_t row) {
    return QStringLiteral("%1-%2").arg(column).arg(row);
}

ZRPaletteLayout::ZRPaletteLayout(UserDefaults& defaults) : m_defaults(defaults) {
    m_settingsChanged = m_defaults.changed.connect([this](const QString& key) {
        if (key == PaletteUserDefaultName || key == HiddenItemsUserDefaultName)
            m_stale = true;
    });
}

std::vector<ZRPaletteItemWellInterface*> ZRPaletteLayout::paletteItemWells() {
    readIfNeeded();
    std::vector<ZRPaletteItemWellInterface*> wells;
    wells.reserve(m_wells.size());
    for (Well& well : m_wells)
        wells.push_back(&well);
    return wells;
}

std::int64_t ZRPaletteLayout::minimumPaletteItemColumn() const {
    readIfNeeded();
    return m_minimumColumn;
}

std::int64_t ZRPaletteLayout::maximumPaletteItemColumn() const {
    readIfNeeded();
    return m_maximumColumn;
}

std::int64_t ZRPaletteLayout::minimumPaletteItemRow() const {
    readIfNeeded();
    return m_minimumRow;
}

std::int64_t ZRPaletteLayout::maximumPaletteItemRow() const {
    readIfNeeded();
    return m_maximumRow;
}

void ZRPaletteLayout::readIfNeeded() const {
    if (m_stale)
        read();
}

void ZRPaletteLayout::read() const {
    m_stale = false;
    const UserDefaults& defaults = m_defaults;
    const QVariantMap layout = defaults.dictionaryForKey(PaletteUserDefaultName);
    const QVariantList hiddenList = defaults.arrayForKey(HiddenItemsUserDefaultName);
    std::vector<std::int64_t> hidden;
    for (const QVariant& item : hiddenList)
        if (const auto number = storedInteger(item))
            hidden.push_back(*number);

    std::vector<std::int64_t> seen;
    for (std::int64_t row = 0; row < Rows; ++row) {
        for (std::int64_t column = 0; column < Columns; ++column) {
            Well& well = m_wells[std::size_t(row * Columns + column)];
            well = Well();
            well.m_column = column;
            well.m_row = row;
            const auto number = storedInteger(layout.value(coordinatesIdentifier(column, row)));
            if (!number || !isStandardPaletteItem(*number) ||
                std::find(seen.begin(), seen.end(), *number) != seen.end())
                continue;
            seen.push_back(*number);
            well.m_dummyPosition = *number;
            well.m_hidden = std::find(hidden.begin(), hidden.end(), *number) != hidden.end();
        }
    }
    if (seen.size() != StandardPaletteItems.size()) {
        for (Well& well : m_wells) {
            well.m_dummyPosition = NoStandardPaletteItem;
            well.m_hidden = false;
            const std::int64_t index = well.m_column - DefaultFirstColumn;
            if (well.m_row == DefaultRow && index >= 0 && index < std::int64_t(StandardPaletteItems.size()))
                well.m_dummyPosition = StandardPaletteItems[std::size_t(index)];
        }
    }

    const auto visible = [](const Well& well) {
        return well.m_dummyPosition != NoStandardPaletteItem && !well.m_hidden;
    };
    // The palette never ends up empty.
    if (std::none_of(m_wells.begin(), m_wells.end(), visible))
        for (Well& well : m_wells)
            well.m_hidden = false;
    m_minimumColumn = m_minimumRow = NoMinimum;
    m_maximumColumn = m_maximumRow = NoMaximum;
    for (const Well& well : m_wells) {
        if (!visible(well))
            continue;
        m_minimumColumn = std::min(m_minimumColumn, well.m_column);
        m_maximumColumn = std::max(m_maximumColumn, well.m_column);
        m_minimumRow = std::min(m_minimumRow, well.m_row);
        m_maximumRow = std::max(m_maximumRow, well.m_row);
    }
}
