#include "platform/foundation/UserDefaults.h"

#include "platform/PlatformLog.h"
#include "platform/SystemPreferences.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/PlistRead.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RegularFile.h"
#include "platform/foundation/RunLoop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <mutex>
#include <thread>

namespace {

// Changes made in one go (a settings pane filling in, an import) are saved once.
constexpr double SaveDelaySeconds = 0.25;

} // namespace

struct UserDefaults::Private {
    // The thread that owns the store; it alone changes it, and reads there take no lock.
    std::thread::id owner = std::this_thread::get_id();
    // Guards persistent and registered against the owner's changes while a worker reads them.
    mutable std::mutex mutex;
    QString filePath;
    PendingPerform saveRequest;
    SystemPreferences* systemPreferences = nullptr;
    QVariantMap registered;
    QVariantMap persistent;
    QString setAsidePath;
    qint64 maximumFileBytes = PropertyList::MaxInputBytes;
    qint64 storedFileBytes = 0;
    bool lastSaveWasTooLarge = false;
    bool dirty = false;
    // A file that could be neither read nor moved aside is left alone: saving would destroy it.
    bool keepOffFile = false;

    QVariant globalValue(const QString& key) const {
        if (!systemPreferences)
            return {};
        return systemPreferences->value(SystemPreferences::GlobalDomain, key);
    }
};

UserDefaults::UserDefaults(QString filePath, SystemPreferences* systemPreferences)
    : d(std::make_unique<Private>()) {
    d->filePath = std::move(filePath);
    d->systemPreferences = systemPreferences;
}

UserDefaults::~UserDefaults() {
    d->saveRequest.cancel();
    // A failure is logged by save(); nothing more can be done on the way out.
    if (d->dirty)
        (void)save();
}

QString UserDefaults::defaultFilePath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    // The XDG rules ignore a relative path.
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QLatin1String("/.config");
    return config + QLatin1String("/Skaf/Settings.plist");
}

UserDefaults::LoadResult UserDefaults::load() {
    {
        std::lock_guard lock(d->mutex);
        d->persistent.clear();
    }
    d->dirty = false;
    d->keepOffFile = false;
    d->saveRequest.cancel();

    // A save that was cut short (the process killed) leaves its temporary file behind; no later one would.
    for (const QString& stale : removeStaleTemporaryFiles(QFileInfo(d->filePath).absolutePath()))
        platformLog(QStringLiteral("removed the temporary file %1 of a save that did not finish").arg(stale));

    if (!QFileInfo::exists(d->filePath))
        return LoadResult::NoFile;
    QString readError;
    const auto data = readRegularFile(d->filePath, d->maximumFileBytes, &readError);
    if (!data) {
        // Not known to be broken, only unusable now: keep it and never save over it.
        d->keepOffFile = true;
        platformLog(QStringLiteral("cannot read settings file %1: %2; starting without saved settings, which "
                                   "will not be saved over it")
                        .arg(d->filePath, readError));
        return LoadResult::Broken;
    }

    const auto result = PropertyList::fromData(*data);
    if (result.ok() && result.value.metaType().id() == QMetaType::QVariantMap) {
        std::lock_guard lock(d->mutex);
        d->persistent = result.value.toMap();
        d->storedFileBytes = data->size();
        return LoadResult::Loaded;
    }
    const QString reason = result.ok() ? QStringLiteral("it holds no dictionary") : result.error;

    const QString aside = siblingPathWithTimeStamp(d->filePath, QStringLiteral("broken"));
    if (!QFile::rename(d->filePath, aside)) {
        d->keepOffFile = true;
        platformLog(
            QStringLiteral("settings file %1 is broken (%2) and cannot be moved aside; starting without "
                           "saved settings, which will not be saved over it")
                .arg(d->filePath, reason));
        return LoadResult::Broken;
    }
    d->setAsidePath = aside;
    platformLog(
        QStringLiteral("settings file %1 is broken (%2); moved it to %3 and starting without saved settings")
            .arg(d->filePath, reason, aside));
    return LoadResult::SetAside;
}

QString UserDefaults::filePath() const {
    return d->filePath;
}

QString UserDefaults::setAsidePath() const {
    return d->setAsidePath;
}

void UserDefaults::registerDefaults(const QVariantMap& defaults) {
    QStringList changedKeys;
    std::unique_lock lock(d->mutex);
    for (auto it = defaults.cbegin(); it != defaults.cend(); ++it) {
        const auto old = d->registered.constFind(it.key());
        if (old == d->registered.cend() || *old != it.value())
            changedKeys.append(it.key());
        d->registered.insert(it.key(), it.value());
    }
    lock.unlock();
    for (const QString& key : changedKeys)
        changed.emit(key);
}

QVariant UserDefaults::object(const QString& key) const {
    const bool worker = std::this_thread::get_id() != d->owner;
    const auto lookUp = [&](const QVariantMap& domain) {
        std::unique_lock lock(d->mutex, std::defer_lock);
        if (worker)
            lock.lock();
        return domain.value(key);
    };
    if (QVariant value = lookUp(d->persistent); value.isValid())
        return value;
    if (QVariant global = d->globalValue(key); global.isValid())
        return global;
    return lookUp(d->registered);
}

bool UserDefaults::hasValue(const QString& key) const {
    return object(key).isValid();
}

QVariant UserDefaults::persistentObject(const QString& key) const {
    std::unique_lock lock(d->mutex, std::defer_lock);
    if (std::this_thread::get_id() != d->owner)
        lock.lock();
    return d->persistent.value(key);
}

bool UserDefaults::boolForKey(const QString& key) const {
    return optionalBool(key).value_or(false);
}

qint64 UserDefaults::integerForKey(const QString& key) const {
    return optionalInteger(key).value_or(0);
}

double UserDefaults::doubleForKey(const QString& key) const {
    return optionalDouble(key).value_or(0.0);
}

QString UserDefaults::stringForKey(const QString& key) const {
    return Plist::coerceString(object(key)).value_or(QString());
}

QVariantMap UserDefaults::dictionaryForKey(const QString& key) const {
    return Plist::readDictionary({{key, object(key)}}, key).value;
}

QVariantList UserDefaults::arrayForKey(const QString& key) const {
    return Plist::readArray({{key, object(key)}}, key).value;
}

std::optional<bool> UserDefaults::optionalBool(const QString& key) const {
    return Plist::coerceBool(object(key));
}

std::optional<qint64> UserDefaults::optionalInteger(const QString& key) const {
    return Plist::coerceInteger(object(key));
}

std::optional<double> UserDefaults::optionalDouble(const QString& key) const {
    return Plist::coerceDouble(object(key));
}

void UserDefaults::setObject(const QVariant& value, const QString& key) {
    if (!value.isValid()) {
        removeObject(key);
        return;
    }
    if (!PropertyList::isValid(value)) {
        platformLog(QStringLiteral("cannot store a value of type %1 for \"%2\": it is no property list")
                        .arg(QString::fromLatin1(value.typeName()), key));
        return;
    }
    const auto old = d->persistent.constFind(key);
    if (old != d->persistent.cend() && *old == value && old->metaType() == value.metaType())
        return;
    {
        std::lock_guard lock(d->mutex);
        d->persistent.insert(key, value);
    }
    d->dirty = true;
    scheduleSave();
    changed.emit(key);
}

void UserDefaults::removeObject(const QString& key) {
    {
        std::lock_guard lock(d->mutex);
        if (d->persistent.remove(key) == 0)
            return;
    }
    d->dirty = true;
    scheduleSave();
    changed.emit(key);
}

void UserDefaults::scheduleSave() {
    if (d->saveRequest.isPending())
        return;
    // A failure is logged by save(), and the values stay unsaved for the next change to try again.
    d->saveRequest = RunLoop::main().performLater(
        SaveDelaySeconds, [this] { (void)save(); }, CommonRunLoopModes);
}

bool UserDefaults::save() {
    d->saveRequest.cancel();
    if (d->keepOffFile) {
        platformLog(QStringLiteral("not saving settings: %1 could not be read and is left as it is")
                        .arg(d->filePath));
        return false;
    }
    if (!d->dirty)
        return true;
    QString error;
    const QByteArray data = PropertyList::toData(d->persistent, &error, d->maximumFileBytes);
    d->lastSaveWasTooLarge = data.isEmpty() && PropertyList::isValid(d->persistent);
    // The values stay in memory and unsaved, so the next change or save tries again.
    if (data.isEmpty() || !writeFileAtomically(d->filePath, data, &error)) {
        platformLog(QStringLiteral("cannot save settings to %1: %2").arg(d->filePath, error));
        return false;
    }
    d->storedFileBytes = data.size();
    d->dirty = false;
    return true;
}

qint64 UserDefaults::maximumFileBytes() const {
    return d->maximumFileBytes;
}

void UserDefaults::setMaximumFileBytes(qint64 bytes) {
    d->maximumFileBytes = bytes;
}

qint64 UserDefaults::storedFileBytes() const {
    return d->storedFileBytes;
}

bool UserDefaults::lastSaveWasTooLarge() const {
    return d->lastSaveWasTooLarge;
}

bool UserDefaults::hasUnsavedChanges() const {
    return d->dirty;
}

QVariantMap UserDefaults::persistentDomain() const {
    return d->persistent;
}

QVariantMap UserDefaults::registeredDomain() const {
    return d->registered;
}
