#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>

class QMimeData;

// The sidebar's pasteboard types: the identifiers of dragged actions, and the records of copied or dragged
// actions (also on the clipboard). Each holds an XML property list whose root is an array.
inline const QString ZRSourceListIdentifierPasteboardType =
    QStringLiteral("com.tallowin.Skaf.SourceListIdentifierPasteboardType");
inline const QString ZRSourceListDictionaryPasteboardType =
    QStringLiteral("com.tallowin.Skaf.SourceListDictionaryPasteboardType");

namespace ZRSourceListPasteboard {

// Puts the records under the dictionary type, and the identifiers (when given) under the identifier type.
// False, with nothing put, when a record holds a value that cannot be written.
bool write(QMimeData& data, const QVariantList& records, const std::optional<QStringList>& identifiers);

// The records of the dictionary type; none when the type is missing or holds no array. Entries that are
// no dictionary are left out.
std::optional<QVariantList> readRecords(const QMimeData& data);

} // namespace ZRSourceListPasteboard
