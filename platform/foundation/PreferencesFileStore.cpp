#include "platform/foundation/PreferencesFileStore.h"

#include "platform/PlatformLog.h"
#include "platform/SystemPreferences.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/UserDefaults.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QHash>
#include <atomic>
#include <mutex>
#include <optional>
#include <sys/stat.h>

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

// What tells one version of a file from the next: a write replaces the file, so its inode changes.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    qint64 modifiedNanoseconds = 0;
    qint64 size = 0;

    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

FileStamp stampOf(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    constexpr qint64 NanosecondsPerSecond = 1'000'000'000;
    return {true, info.st_dev, info.st_ino,
            qint64(info.st_mtim.tv_sec) * NanosecondsPerSecond + info.st_mtim.tv_nsec, qint64(info.st_size)};
}

// Turns of the main thread's event loop, counted from the first read that could use them; 0 while
// nothing counts them (no application yet, a tool without a loop), and then every read checks.
std::atomic<std::uint64_t> loopTurns{0};

std::uint64_t currentLoopTurn() {
    static std::once_flag counting;
    if (loopTurns.load(std::memory_order_relaxed) == 0) {
        auto* application = QCoreApplication::instance();
        auto* dispatcher = application ? QAbstractEventDispatcher::instance(application->thread()) : nullptr;
        if (!dispatcher)
            return 0;
        std::call_once(counting, [dispatcher] {
            loopTurns = 1;
            const auto next = [] { loopTurns.fetch_add(1, std::memory_order_relaxed); };
            QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, next);
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, next);
        });
    }
    return loopTurns.load(std::memory_order_relaxed);
}

bool failWith(QString* error, const QString& message) {
    if (error)
        *error = message;
    return false;
}

} // namespace

struct PreferencesFileStore::ReadCache {
    struct Entry {
        FileStamp stamp;
        QVariantMap map;
        std::uint64_t checkedInTurn = 0;
    };
    std::mutex mutex;
    QHash<QString, Entry> entries;
    std::atomic<std::uint64_t> fileChecks{0};

    FileStamp check(const QString& path) {
        ++fileChecks;
        return stampOf(path);
    }
};

PreferencesFileStore::PreferencesFileStore(QString folder)
    : m_folder(std::move(folder)), m_readCache(std::make_shared<ReadCache>()) {}

QString PreferencesFileStore::defaultFolder() {
    return QFileInfo(UserDefaults::defaultFilePath()).absolutePath() + QLatin1String("/Preferences");
}

std::uint64_t PreferencesFileStore::fileChecks() const {
    return m_readCache->fileChecks;
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
    // Settings are read many times per event (every hot key's match reads four), so a file is looked
    // at once per turn of the event loop: a change made by another program, an edit in place or a
    // new file renamed over the old one, is seen from the next turn on. A missing file stays missing
    // until a look finds it.
    const std::uint64_t turn = currentLoopTurn();
    std::lock_guard lock(m_readCache->mutex);
    const auto cached = m_readCache->entries.find(path);
    if (cached != m_readCache->entries.end() && turn != 0 && cached->checkedInTurn == turn)
        return cached->map.value(key);
    const FileStamp stamp = m_readCache->check(path);
    if (cached != m_readCache->entries.end() && cached->stamp == stamp) {
        cached->checkedInTurn = turn;
        return cached->map.value(key);
    }
    QString error;
    auto map = readDomain(path, &error);
    // A file that cannot be used reads as empty until it changes, so it is parsed and logged once.
    if (!map)
        platformLog(QStringLiteral("cannot read preferences: %1").arg(error));
    m_readCache->entries.insert(path, {stamp, map.value_or(QVariantMap()), turn});
    return map ? map->value(key) : QVariant();
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
    const bool written = PropertyList::writeFile(path, *map, error);
    // Reads in this turn see the change too.
    std::lock_guard lock(m_readCache->mutex);
    m_readCache->entries.remove(path);
    return written;
}
