#include "settings/ZRActionCollectionFile.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RegularFile.h"

#include <QFileInfo>

namespace {

const QString CollectionKey = QString::fromUtf16(ZRCustomControlsUserDefaultName);

void setError(QString* error, const QString& reason) {
    if (error)
        *error = reason;
}

} // namespace

bool ZRActionCollectionFile::hasReadableExtension(const QString& path) {
    return ReadableExtensions.contains(QFileInfo(path).suffix().toLower());
}

std::optional<QVariantMap> ZRActionCollectionFile::readWrapperDictionary(const QString& path,
                                                                         QString* error) {
    const auto data = readRegularFile(path, MaximumFileSize, error);
    if (!data)
        return std::nullopt;
    const auto read = PropertyList::fromData(*data);
    if (!read.ok()) {
        setError(error, QStringLiteral("%1: %2").arg(path, read.error));
        return std::nullopt;
    }
    if (read.value.typeId() != QMetaType::QVariantMap) {
        setError(error, QStringLiteral("%1 holds no dictionary").arg(path));
        return std::nullopt;
    }
    return read.value.toMap();
}

std::vector<std::shared_ptr<ZRAction>>
ZRActionCollectionFile::actionsFromWrapperDictionary(const QVariantMap& dictionary) {
    const QVariant collection = dictionary.value(CollectionKey);
    if (collection.typeId() != QMetaType::QVariantList)
        return {};
    return ZRAction::actionsFromCollection(collection.toList(), false);
}

QVariantMap ZRActionCollectionFile::wrapperDictionary(const QVariantList& records) {
    return {{CollectionKey, records}};
}

bool ZRActionCollectionFile::write(const QString& path, const QVariantList& records, QString* error) {
    return PropertyList::writeFile(path, wrapperDictionary(records), error, MaximumFileSize);
}
