#include "platform/foundation/PreferencesFileStore.h"

#include "platform/PlatformLog.h"
#include "platform/SystemPreferences.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace {

const QString GlobalDomainFileName = QStringLiteral("GlobalPreferences.plist");

// A domain names one file in the folder, never a path.
bool isUsableDomain(const QString& domain) {
    return !domain.isEmpty() && !domain.contains(QLatin1Char('/')) && !domain.contains(QChar(0)) &&
           domain != QLatin1String(".") && domain != QLatin1String("..");
}

// The domain's dictionary: empty when there is no file, nothing when the file cannot be used.
std::optional<QVariantMap> readDomain(const QString& path, QString* error) {
    if (!QFileInfo::exists(path))
        return QVariantMap();
    const auto result = PropertyList::readFile(path);
    if (!result.ok()) {
        *error = result.error;
        return std::nullopt;
    }
    if (result.value.metaType().id() != QMetaType::QVariantMap) {
        *error = QStringLiteral("%1 holds no dictionary").arg(path);
        return std::nullopt;
    }
    return result.value.toMap();
}

bool failWith(QString* error, const QString& message) {
    if (error)
        *error = message;
    return false;
}

} // namespace

PreferencesFileStore::PreferencesFileStore(QString folder) : m_folder(std::move(folder)) {}

QString PreferencesFileStore::defaultFolder() {
    return QFileInfo(UserDefaults::defaultFilePath()).absolutePath() + QLatin1String("/Preferences");
}

QString PreferencesFileStore::pathForDomain(const QString& domain) const {
    if (domain == SystemPreferences::GlobalDomain)
        return m_folder + QLatin1Char('/') + GlobalDomainFileName;
    if (!isUsableDomain(domain))
        return {};
    return m_folder + QLatin1Char('/') + domain + QLatin1String(".plist");
}

QVariant PreferencesFileStore::value(const QString& domain, const QString& key) const {
    const QString path = pathForDomain(domain);
    if (path.isEmpty())
        return {};
    QString error;
    const auto map = readDomain(path, &error);
    if (!map) {
        platformLog(QStringLiteral("cannot read preferences: %1").arg(error));
        return {};
    }
    return map->value(key);
}

bool PreferencesFileStore::setValue(const QString& domain, const QString& key, const QVariant& value,
                                    QString* error) {
    if (!value.isValid())
        return removeValue(domain, key, error);
    if (!PropertyList::isValid(value))
        return failWith(error, QStringLiteral("a value of type %1 is no property list")
                                   .arg(QString::fromLatin1(value.typeName())));
    return editDomain(domain, error, [&](QVariantMap& map) {
        map.insert(key, value);
        return true;
    });
}

bool PreferencesFileStore::removeValue(const QString& domain, const QString& key, QString* error) {
    return editDomain(domain, error, [&](QVariantMap& map) { return map.remove(key) > 0; });
}

bool PreferencesFileStore::editDomain(const QString& domain, QString* error,
                                      const std::function<bool(QVariantMap&)>& edit) {
    const QString path = pathForDomain(domain);
    if (path.isEmpty())
        return failWith(error, QStringLiteral("\"%1\" is no preferences domain").arg(domain));
    QString reason;
    auto map = readDomain(path, &reason);
    // Writing over a file we cannot read would lose every other key in it.
    if (!map)
        return failWith(error, reason);
    if (!edit(*map))
        return true;
    return PropertyList::writeFile(path, *map, error);
}
