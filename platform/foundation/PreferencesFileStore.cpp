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
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

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

// What the watch tells the reads on every thread: how many changes it has seen, and whether it sees them
// at all.
struct WatchState {
    std::atomic<std::uint64_t> changes{0};
    std::atomic<bool> watching{false};
};

// The folder of the files, watched on the main thread's loop: every change made in it, by us or another
// program, in place or by a rename, counts once, and reads look at a file again only after one. While the
// folder does not exist yet, its parent is watched for it to appear.
class FolderWatch : public QObject {
public:
    static constexpr std::uint32_t FolderEvents = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM |
                                                  IN_MOVED_TO | IN_CREATE | IN_DELETE | IN_DELETE_SELF |
                                                  IN_MOVE_SELF | IN_ONLYDIR;
    static constexpr std::uint32_t ParentEvents =
        IN_CREATE | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

    FolderWatch(QString folder, std::shared_ptr<WatchState> state)
        : m_folder(std::move(folder)), m_state(std::move(state)),
          m_descriptor(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
        if (m_descriptor < 0) {
            reportUnwatched();
            return;
        }
        m_notifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, this);
        QObject::connect(m_notifier, &QSocketNotifier::activated, this, [this] { readChanges(); });
        attach();
    }
    ~FolderWatch() override {
        m_state->watching = false;
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

private:
    // Watches the folder, or else its parent; without either, reads go back to looking at the files.
    void attach() {
        const QByteArray folder = QFile::encodeName(m_folder);
        m_folderWatch = inotify_add_watch(m_descriptor, folder.constData(), FolderEvents);
        if (m_folderWatch >= 0 && m_parentWatch >= 0) {
            // The parent holds the program's own settings file, whose saves would count as changes here.
            inotify_rm_watch(m_descriptor, m_parentWatch);
            m_parentWatch = -1;
        } else if (m_folderWatch < 0 && m_parentWatch < 0) {
            const QByteArray parent = QFile::encodeName(QFileInfo(m_folder).absolutePath());
            m_parentWatch = inotify_add_watch(m_descriptor, parent.constData(), ParentEvents);
        }
        const bool watching = m_folderWatch >= 0 || m_parentWatch >= 0;
        if (!watching)
            reportUnwatched();
        // Whatever changed before the watch began is seen by the next read.
        ++m_state->changes;
        m_state->watching = watching;
    }

    void readChanges() {
        alignas(inotify_event) std::array<char, 4096> buffer{};
        bool folderGone = false;
        bool parentChanged = false;
        while (true) {
            const ssize_t length = ::read(m_descriptor, buffer.data(), buffer.size());
            if (length <= 0)
                break;
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                if (event->wd == m_folderWatch &&
                    (event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)))
                    folderGone = true;
                if (event->wd == m_parentWatch)
                    parentChanged = true;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
        ++m_state->changes;
        if (folderGone) {
            if (m_folderWatch >= 0)
                inotify_rm_watch(m_descriptor, m_folderWatch);
            m_folderWatch = -1;
        }
        if (m_folderWatch < 0 && (folderGone || parentChanged))
            attach();
    }

    void reportUnwatched() const {
        platformLog(
            QStringLiteral("cannot watch the preferences in %1: %2; their files are looked at on every "
                           "turn instead")
                .arg(m_folder, QString::fromLocal8Bit(std::strerror(errno))));
    }

    QString m_folder;
    std::shared_ptr<WatchState> m_state;
    int m_descriptor = -1;
    int m_folderWatch = -1;
    int m_parentWatch = -1;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace

struct PreferencesFileStore::ReadCache {
    struct Entry {
        FileStamp stamp;
        QVariantMap map;
        std::uint64_t checkedInTurn = 0;
        std::uint64_t checkedAtChange = 0;
    };
    std::mutex mutex;
    QHash<QString, Entry> entries;
    std::atomic<std::uint64_t> fileChecks{0};
    std::shared_ptr<WatchState> watchState = std::make_shared<WatchState>();
    QPointer<FolderWatch> watch;
    std::once_flag watchStarted;

    ~ReadCache() {
        // The watch belongs to the main thread's loop, which may be reading its descriptor right now.
        if (FolderWatch* folderWatch = watch.data()) {
            if (QThread::currentThread() == folderWatch->thread())
                delete folderWatch;
            else
                folderWatch->deleteLater();
        }
    }

    FileStamp check(const QString& path) {
        ++fileChecks;
        return stampOf(path);
    }

    // Begins once, from a read on the main thread with its loop running: the watch reads its changes there.
    void startWatching(const QString& folder) {
        auto* application = QCoreApplication::instance();
        if (!application || QThread::currentThread() != application->thread() ||
            !QAbstractEventDispatcher::instance(application->thread()))
            return;
        std::call_once(watchStarted, [&] { watch = new FolderWatch(folder, watchState); });
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
    // Settings are read many times per event (every hot key's match reads four, hover reads some on
    // every mouse move), so a file is looked at again only once the watch of its folder saw a change: a
    // change made by another program, an edit in place or a new file renamed over the old one, is seen
    // from the next turn of the main loop on. Where there is no watch, a file is looked at once per turn.
    // A missing file stays missing until a look finds it.
    m_readCache->startWatching(m_folder);
    const std::uint64_t turn = currentLoopTurn();
    const bool watching = m_readCache->watchState->watching;
    const std::uint64_t change = m_readCache->watchState->changes;
    std::lock_guard lock(m_readCache->mutex);
    const auto cached = m_readCache->entries.find(path);
    if (cached != m_readCache->entries.end()) {
        if (watching && cached->checkedAtChange == change)
            return cached->map.value(key);
        if (!watching && turn != 0 && cached->checkedInTurn == turn)
            return cached->map.value(key);
    }
    const FileStamp stamp = m_readCache->check(path);
    if (cached != m_readCache->entries.end() && cached->stamp == stamp) {
        cached->checkedInTurn = turn;
        cached->checkedAtChange = change;
        return cached->map.value(key);
    }
    QString error;
    auto map = readDomain(path, &error);
    // A file that cannot be used reads as empty until it changes, so it is parsed and logged once.
    if (!map)
        platformLog(QStringLiteral("cannot read preferences: %1").arg(error));
    m_readCache->entries.insert(path, {stamp, map.value_or(QVariantMap()), turn, change});
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
