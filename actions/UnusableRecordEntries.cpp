#include "actions/UnusableRecordEntries.h"

#include "actions/ZRAction.h"

#include <QHash>
#include <algorithm>

void UnusableRecordEntries::keep(const QVariant& entry, const QString& afterIdentifier) {
    m_entries.push_back({afterIdentifier, entry});
}

QVariantList
UnusableRecordEntries::interleavedWith(const std::vector<std::shared_ptr<ZRAction>>& actions) const {
    QHash<QString, std::vector<std::size_t>> byAnchor;
    for (std::size_t i = 0; i < m_entries.size(); ++i)
        byAnchor[m_entries[i].afterIdentifier].push_back(i);
    QVariantList records;
    records.reserve(qsizetype(actions.size() + m_entries.size()));
    const auto placeAfter = [&](const QString& anchor) {
        const auto it = byAnchor.find(anchor);
        if (it == byAnchor.end())
            return;
        for (const std::size_t index : *it)
            records.append(m_entries[index].value);
        byAnchor.erase(it);
    };
    placeAfter(QString());
    for (const auto& action : actions) {
        records.append(action->dictionaryRepresentation());
        placeAfter(action->uniqueIdentifier());
    }
    // Their action left the array: they stay, at its end.
    std::vector<std::size_t> orphans;
    for (const auto& indexes : std::as_const(byAnchor))
        orphans.insert(orphans.end(), indexes.begin(), indexes.end());
    std::sort(orphans.begin(), orphans.end());
    for (const std::size_t index : orphans)
        records.append(m_entries[index].value);
    return records;
}
