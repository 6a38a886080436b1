#include "shell/ZRSingleInstance.h"

#include "platform/foundation/AtomicFile.h"
#include "shell/ZRLaterStartListener.h"
#include "toolkit/ZRLog.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <memory>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Milliseconds a later start waits for the first to answer, and how often it tries while the first is
// still starting up.
constexpr int ConnectTimeout = 1000;
constexpr int WriteTimeout = 2000;
constexpr int ConnectAttempts = 10;
constexpr int ConnectRetryInterval = 100;
constexpr unsigned long FullQueueRetryMicroseconds = 1000;

constexpr const char LockSuffix[] = ".lock";
constexpr const char SocketSuffix[] = ".socket";
// Where the running program runs, for later starts to tell the user.
constexpr const char PlaceSuffix[] = ".display";
constexpr qint64 MaximumPlaceBytes = 1024;
// Hexadecimal digits of the settings file's hash in the name: short enough for a socket path, long enough
// never to meet another file's.
constexpr qsizetype NameHashLength = 16;

// File names may hold anything but a slash or a NUL; a display name holds a colon and a dot.
QString sanitized(QString name) {
    for (QChar& c : name)
        if (!c.isLetterOrNumber() && c != u'-' && c != u'_' && c != u'.')
            c = u'_';
    return name;
}

QString errnoText(int number) {
    return QString::fromLocal8Bit(std::strerror(number));
}

// Waits until the descriptor is ready for the events, at most the time; false with errno when it is not.
bool waitFor(int descriptor, short events, int milliseconds) {
    pollfd entry{descriptor, events, 0};
    for (;;) {
        const int ready = ::poll(&entry, 1, milliseconds);
        if (ready > 0)
            return true;
        if (ready == 0)
            errno = ETIMEDOUT;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// A connection to the running program's socket; -1 with errno when there is none. A program that is still
// starting up and has yet to listen is tried again a few times; one whose queue of connections is full
// answers at once, and is tried again until the time of an attempt is up, as it takes the waiting ones.
int connectToRunningProgram(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    if (std::size_t(name.size()) >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, name.constData(), std::size_t(name.size()) + 1);
    int number = 0;
    for (int attempt = 0; attempt < ConnectAttempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(ConnectRetryInterval);
        const QDeadlineTimer deadline(ConnectTimeout);
        do {
            const int descriptor = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (descriptor < 0)
                return -1;
            if (::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
                return descriptor;
            number = errno;
            ::close(descriptor);
            if (number != EAGAIN && number != EINTR)
                break;
            QThread::usleep(FullQueueRetryMicroseconds);
        } while (!deadline.hasExpired());
    }
    errno = number;
    return -1;
}

// Writes all of the data, waiting a while for room each time; false with errno when it cannot.
bool sendAll(int descriptor, const QByteArray& data) {
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t written =
            ::send(descriptor, data.constData() + sent, std::size_t(data.size() - sent), MSG_NOSIGNAL);
        if (written > 0) {
            sent += written;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            waitFor(descriptor, POLLOUT, WriteTimeout))
            continue;
        return false;
    }
    return true;
}

} // namespace

ZRSingleInstance::ZRSingleInstance(const QString& name, const QString& place, QObject* parent)
    : QObject(parent), m_name(sanitized(name)), m_place(place),
      m_directory(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation)) {
    // Without a runtime directory of the user's own, the names in the shared temporary folder carry the
    // user's number, so that the programs of two users never take each other for the running one.
    if (m_directory.isEmpty()) {
        m_directory = QDir::tempPath();
        m_name += QStringLiteral("-%1").arg(::getuid());
    }
}

ZRSingleInstance::~ZRSingleInstance() {
    m_listener.reset();
    if (m_wrotePlace)
        QFile::remove(path(PlaceSuffix));
}

QString ZRSingleInstance::nameForSettingsFile(const QString& settingsPath) {
    // The folder may not exist yet; where it does, links to it lead to one name.
    const QFileInfo file(settingsPath);
    const QString folder =
        file.absoluteDir().exists() ? file.absoluteDir().canonicalPath() : file.absolutePath();
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(folder + u'/' + file.fileName()),
                                                     QCryptographicHash::Sha256)
                                .toHex()
                                .left(NameHashLength);
    return QStringLiteral("skaf-") + QString::fromLatin1(hash);
}

QString ZRSingleInstance::path(const char* suffix) const {
    return QDir(m_directory).filePath(m_name + QLatin1String(suffix));
}

ZRSingleInstance::Role ZRSingleInstance::claim(const QStringList& files) {
    m_lock = std::make_unique<QLockFile>(path(LockSuffix));
    // A lock left by a program that crashed is taken over: the lock file names its process.
    if (m_lock->tryLock(0)) {
        // A place file left by a program that crashed is replaced.
        m_wrotePlace = writeFileAtomically(path(PlaceSuffix), m_place.toUtf8(), nullptr, false);
        listen();
        return Role::First;
    }
    m_lock.reset();
    QFile place(path(PlaceSuffix));
    if (place.open(QIODevice::ReadOnly))
        m_runningPlace = QString::fromUtf8(place.read(MaximumPlaceBytes)).trimmed();
    return handOver(files);
}

QStringList ZRSingleInstance::filePaths() const {
    QStringList paths;
    if (m_lock)
        paths << m_lock->fileName();
    if (m_listener && m_listener->isListening())
        paths << m_listener->path();
    if (m_wrotePlace)
        paths << path(PlaceSuffix);
    return paths;
}

std::optional<QString> ZRSingleInstance::runningPlace() const {
    return m_runningPlace;
}

bool ZRSingleInstance::listen() {
    // The request is the file paths, each ended by a NUL.
    m_listener =
        std::make_unique<ZRLaterStartListener>(path(SocketSuffix), [this](const QByteArray& request) {
            QStringList files;
            for (const QByteArray& path : request.split('\0')) {
                const QString file = QString::fromUtf8(path);
                if (!file.isEmpty() && QFileInfo(file).isAbsolute())
                    files.append(file);
            }
            Q_EMIT filesReceived(files);
        });
    QString error;
    if (!m_listener->listen(&error)) {
        ZRLog("cannot listen for later starts: %@", error);
        return false;
    }
    return true;
}

ZRSingleInstance::Role ZRSingleInstance::handOver(const QStringList& files) {
    QByteArray request;
    for (const QString& file : files)
        request += QFileInfo(file).absoluteFilePath().toUtf8() + '\0';
    // The running program would refuse it, and a refusal looks like a program that does not answer.
    if (request.size() > ZRLaterStartListener::MaximumRequestBytes)
        return Role::TooManyFiles;
    // A plain socket rather than Qt's: its network library alone would cost every start milliseconds of
    // loading before the hot keys work.
    const int descriptor = connectToRunningProgram(path(SocketSuffix));
    if (descriptor < 0) {
        ZRLog("cannot reach the running program: %@", errnoText(errno));
        return Role::Unreachable;
    }
    const bool sent = sendAll(descriptor, request);
    const int number = errno;
    // The running program takes the request as complete when we hang up.
    ::close(descriptor);
    if (!sent) {
        ZRLog("cannot reach the running program: %@", errnoText(number));
        return Role::Unreachable;
    }
    return Role::HandedOver;
}
