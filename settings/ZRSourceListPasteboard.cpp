#include "settings/ZRSourceListPasteboard.h"

#include "platform/foundation/PropertyList.h"
#include "toolkit/ZRLog.h"

#include <QMimeData>

namespace {

std::optional<QVariantList> readArray(const QMimeData& data, const QString& type) {
    if (!data.hasFormat(type))
        return std::nullopt;
    const auto read = PropertyList::fromData(data.data(type));
    if (!read.ok()) {
        ZRLog("cannot read the pasteboard type %@: %@", type, read.error);
        return std::nullopt;
    }
    if (read.value.typeId() != QMetaType::QVariantList) {
        ZRLog("cannot read the pasteboard type %@: it holds no array", type);
        return std::nullopt;
    }
    return read.value.toList();
}

} // namespace

namespace ZRSourceListPasteboard {

bool write(QMimeData& data, const QVariantList& records, const std::optional<QStringList>& identifiers) {
    QString error;
    const QByteArray recordData = PropertyList::toData(records, &error);
    if (recordData.isEmpty()) {
        ZRLog("cannot write actions to the pasteboard: %@", error);
        return false;
    }
    QByteArray identifierData;
    if (identifiers) {
        identifierData = PropertyList::toData(QVariant(*identifiers), &error);
        if (identifierData.isEmpty()) {
            ZRLog("cannot write action identifiers to the pasteboard: %@", error);
            return false;
        }
    }
    data.setData(ZRSourceListDictionaryPasteboardType, recordData);
    if (identifiers)
        data.setData(ZRSourceListIdentifierPasteboardType, identifierData);
    return true;
}

std::optional<QVariantList> readRecords(const QMimeData& data) {
    auto array = readArray(data, ZRSourceListDictionaryPasteboardType);
    if (array)
        array->removeIf([](const QVariant& value) { return value.typeId() != QMetaType::QVariantMap; });
    return array;
}

} // namespace ZRSourceListPasteboard
