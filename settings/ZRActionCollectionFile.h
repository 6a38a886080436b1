#pragma once

#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>
#include <memory>
#include <optional>
#include <vector>

class ZRAction;

// The exchange file of actions: a property-list dictionary whose key "Custom Controls (4001)" holds an
// array of action records, folders carrying their members. Written as XML with the extension "skaf";
// files with the extension "skaf" or "plist", in any case, XML or binary, are read.
class ZRActionCollectionFile {
public:
    static inline const QString Extension = QStringLiteral("skaf");
    static inline const QStringList ReadableExtensions = {QStringLiteral("skaf"), QStringLiteral("plist")};
    // A file larger than this holds no actions of ours; it is not read.
    static constexpr qint64 MaximumFileSize = 32LL * 1024 * 1024;

    static bool hasReadableExtension(const QString& path);

    // The dictionary the file holds. None, with the reason, for anything but a regular file within the
    // size cap (a pipe or device is never waited on) and for content that is no dictionary.
    static std::optional<QVariantMap> readWrapperDictionary(const QString& path, QString* error = nullptr);

    // The actions of the dictionary's collection, each with a new identifier; none when the key is missing
    // or holds no array.
    static std::vector<std::shared_ptr<ZRAction>> actionsFromWrapperDictionary(const QVariantMap& dictionary);

    static QVariantMap wrapperDictionary(const QVariantList& records);
    // Writes the records atomically; false (with the reason) when one of them cannot be written, and then
    // no file is made or changed.
    [[nodiscard]] static bool write(const QString& path, const QVariantList& records,
                                    QString* error = nullptr);
};
