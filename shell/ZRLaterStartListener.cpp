#include "shell/ZRLaterStartListener.h"

#include "toolkit/ZRLog.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr int Backlog = 16;
constexpr qint64 ReadChunkBytes = 64 * 1024;
// How soon a listener that could not be opened is tried again.
constexpr int RetryMilliseconds = 1000;
// What was dropped or refused is logged this long after the first of a burst, all of it in one line.
constexpr int LogDelayMilliseconds = 1000;

QString errnoText(int number) {
    return QString::fromLocal8Bit(std::strerror(number));
}

int openSpare() {
    return ::open("/dev/null", O_RDONLY | O_CLOEXEC);
}

// Notifiers go on the next turn: this may run inside the notifier's own signal.
void retire(std::unique_ptr<QSocketNotifier>& notifier) {
    if (!notifier)
        return;
    notifier->setEnabled(false);
    notifier.release()->deleteLater();
}

} // namespace

struct ZRLaterStartListener::Connection {
    int descriptor = -1;
    QByteArray request;
    QDeadlineTimer deadline{ConnectionMilliseconds};
    std::unique_ptr<QSocketNotifier> notifier;
};

ZRLaterStartListener::ZRLaterStartListener(QString path, Handler handler, QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_handler(std::move(handler)), m_spare(openSpare()),
      m_expiry(std::make_unique<QTimer>()), m_retry(std::make_unique<QTimer>()),
      m_resume(std::make_unique<QTimer>()), m_logFlush(std::make_unique<QTimer>()) {
    m_expiry->setInterval(ConnectionMilliseconds / 5);
    connect(m_expiry.get(), &QTimer::timeout, this, [this] { dropExpired(); });
    m_retry->setSingleShot(true);
    m_retry->setInterval(RetryMilliseconds);
    connect(m_retry.get(), &QTimer::timeout, this, [this] {
        QString error;
        if (!listen(&error))
            m_retry->start();
    });
    m_resume->setSingleShot(true);
    m_resume->setInterval(RetryMilliseconds);
    connect(m_resume.get(), &QTimer::timeout, this, [this] {
        if (m_spare < 0)
            m_spare = openSpare();
        if (m_notifier)
            m_notifier->setEnabled(true);
    });
    m_logFlush->setSingleShot(true);
    m_logFlush->setInterval(LogDelayMilliseconds);
    connect(m_logFlush.get(), &QTimer::timeout, this, [this] { flushLog(); });
}

ZRLaterStartListener::~ZRLaterStartListener() {
    flushLog();
    while (!m_connections.empty())
        drop(*m_connections.front());
    closeListener();
    ::unlink(QFile::encodeName(m_path).constData());
    if (m_spare >= 0)
        ::close(m_spare);
}

bool ZRLaterStartListener::listen(QString* error) {
    closeListener();
    const auto fail = [&](const QString& reason) {
        if (error)
            *error = reason;
        closeListener();
        return false;
    };
    const QByteArray path = QFile::encodeName(m_path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // The socket is bound in a folder of our own and then moved into place, so that nobody else can
    // connect before it is the user's alone.
    const int lastSlash = path.lastIndexOf('/');
    QByteArray folder = path.left(lastSlash + 1) + ".skaf-socket-XXXXXX";
    if (!::mkdtemp(folder.data()))
        return fail(QStringLiteral("cannot make a folder beside %1: %2").arg(m_path, errnoText(errno)));
    const QByteArray bound = folder + "/s";
    const auto cleanUp = [&] {
        ::unlink(bound.constData());
        ::rmdir(folder.constData());
    };
    if (std::size_t(bound.size()) >= sizeof address.sun_path ||
        std::size_t(path.size()) >= sizeof address.sun_path) {
        cleanUp();
        return fail(QStringLiteral("the path %1 is too long for a socket").arg(m_path));
    }
    std::memcpy(address.sun_path, bound.constData(), std::size_t(bound.size()) + 1);
    m_listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (m_listener < 0) {
        cleanUp();
        return fail(QStringLiteral("cannot make a socket: %1").arg(errnoText(errno)));
    }
    if (::bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::chmod(bound.constData(), S_IRUSR | S_IWUSR) != 0 || ::listen(m_listener, Backlog) != 0 ||
        ::rename(bound.constData(), path.constData()) != 0) {
        const int number = errno;
        cleanUp();
        return fail(QStringLiteral("cannot listen at %1: %2").arg(m_path, errnoText(number)));
    }
    cleanUp();
    m_notifier = std::make_unique<QSocketNotifier>(m_listener, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] { acceptPending(); });
    return true;
}

bool ZRLaterStartListener::isListening() const {
    return m_listener >= 0;
}

int ZRLaterStartListener::connectionCount() const {
    return int(m_connections.size());
}

void ZRLaterStartListener::closeListener() {
    retire(m_notifier);
    if (m_listener >= 0)
        ::close(m_listener);
    m_listener = -1;
}

void ZRLaterStartListener::acceptPending() {
    while (m_listener >= 0) {
        const int descriptor = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (descriptor < 0) {
            const int number = errno;
            if (number == EAGAIN || number == EWOULDBLOCK)
                return;
            if (number == EINTR || number == ECONNABORTED)
                continue;
            if (number == EMFILE || number == ENFILE || number == ENOBUFS || number == ENOMEM) {
                // With no descriptor to take a connection, it would stay pending and wake us for good (and
                // Qt's own server closes for good then): the spare one makes room to take it and close it.
                // The kernel says so before it looks for a connection, so there may be none.
                if (m_spare >= 0) {
                    ::close(m_spare);
                    const int taken = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
                    if (taken >= 0)
                        ::close(taken);
                    m_spare = openSpare();
                    if (taken >= 0) {
                        noteForLog(m_closedForWantOfDescriptors);
                        continue;
                    }
                    if (errno != EMFILE && errno != ENFILE)
                        return;
                }
                // Not even the spare one: a pause, rather than being woken again at once.
                m_notifier->setEnabled(false);
                m_resume->start();
                return;
            }
            reopen(errnoText(number));
            return;
        }
        // The oldest goes: a later start sends its request at once, and whoever holds on longest is
        // least likely one.
        if (int(m_connections.size()) >= MaximumConnections) {
            noteForLog(m_dropped);
            drop(*m_connections.front());
        }
        auto connection = std::make_unique<Connection>();
        connection->descriptor = descriptor;
        connection->notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        Connection* held = connection.get();
        connect(held->notifier.get(), &QSocketNotifier::activated, this, [this, held] { read(*held); });
        m_connections.push_back(std::move(connection));
        if (!m_expiry->isActive())
            m_expiry->start();
    }
}

void ZRLaterStartListener::read(Connection& connection) {
    while (true) {
        const qint64 room = MaximumRequestBytes + 1 - connection.request.size();
        const qint64 size = connection.request.size();
        connection.request.resize(size + std::min(ReadChunkBytes, room));
        const ssize_t got = ::read(connection.descriptor, connection.request.data() + size,
                                   std::size_t(connection.request.size() - size));
        connection.request.resize(size + std::max<ssize_t>(got, 0));
        if (got > 0) {
            if (connection.request.size() > MaximumRequestBytes) {
                noteForLog(m_refused);
                drop(connection);
                return;
            }
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // The later start hung up: its request is complete. A connection that broke is dropped unheard.
        const QByteArray request = got == 0 ? std::move(connection.request) : QByteArray();
        const bool complete = got == 0;
        drop(connection);
        if (complete)
            m_handler(request);
        return;
    }
}

void ZRLaterStartListener::drop(Connection& connection) {
    const auto found = std::find_if(m_connections.begin(), m_connections.end(),
                                    [&](const auto& held) { return held.get() == &connection; });
    if (found == m_connections.end())
        return;
    // The notifier is off first: its descriptor is closed next, and may be reused at once.
    std::unique_ptr<Connection> gone = std::move(*found);
    m_connections.erase(found);
    retire(gone->notifier);
    ::close(gone->descriptor);
    if (m_connections.empty())
        m_expiry->stop();
}

void ZRLaterStartListener::dropExpired() {
    for (std::size_t i = 0; i < m_connections.size();) {
        if (m_connections[i]->deadline.hasExpired()) {
            noteForLog(m_dropped);
            drop(*m_connections[i]);
        } else {
            ++i;
        }
    }
}

void ZRLaterStartListener::reopen(const QString& reason) {
    ZRLog("the socket for later starts failed (%@); opening it again", reason);
    QString error;
    if (!listen(&error)) {
        ZRLog("cannot listen for later starts: %@; trying again", error);
        m_retry->start();
    }
}

void ZRLaterStartListener::noteForLog(int& counter) {
    ++counter;
    if (!m_logFlush->isActive())
        m_logFlush->start();
}

void ZRLaterStartListener::flushLog() {
    m_logFlush->stop();
    QStringList parts;
    if (m_dropped)
        parts << QStringLiteral("dropped %1 connections that sent no request in time").arg(m_dropped);
    if (m_refused)
        parts << QStringLiteral("refused %1 requests larger than %2 bytes")
                     .arg(m_refused)
                     .arg(MaximumRequestBytes);
    if (m_closedForWantOfDescriptors)
        parts << QStringLiteral("closed %1 connections for want of file descriptors")
                     .arg(m_closedForWantOfDescriptors);
    m_dropped = m_refused = m_closedForWantOfDescriptors = 0;
    if (!parts.isEmpty())
        ZRLog("later starts: %@", parts.join(QStringLiteral("; ")));
}
