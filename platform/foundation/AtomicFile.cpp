#include "platform/foundation/AtomicFile.h"

#include "platform/PlatformLog.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t NewFileMode = 0644;

// A temporary file is the target's name behind a dot, then this and six characters of mkostemp.
const QString TemporarySuffix = QStringLiteral(".tmp-");
constexpr int TemporaryUniqueLength = 6;

std::atomic<AtomicFileTesting::FailAt> injectedFailure{AtomicFileTesting::FailAt::Nothing};

// Consumes the injected failure when it is for this step.
bool injected(AtomicFileTesting::FailAt step) {
    auto expected = step;
    return injectedFailure.compare_exchange_strong(expected, AtomicFileTesting::FailAt::Nothing);
}

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

bool writeAll(int fd, const QByteArray& contents) {
    const char* data = contents.constData();
    qsizetype left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// Where a chain of symbolic links ends, written or not; empty for a chain that goes round.
QString finalLinkTarget(const QString& link) {
    constexpr int MaximumLinks = 40;
    QString path = link;
    for (int i = 0; i < MaximumLinks; ++i) {
        const QFileInfo info(path);
        if (!info.isSymLink())
            return path;
        path = info.symLinkTarget();
    }
    return {};
}

} // namespace

bool writeFileAtomically(const QString& requestedPath, const QByteArray& contents, QString* error,
                         bool durable) {
    const auto failWith = [&](const QString& message) {
        if (error)
            *error = message;
        return false;
    };

    // Through a symbolic link to its target, so that a settings file kept elsewhere stays linked; also to a
    // target not written yet, in a folder that is there.
    QString path = requestedPath;
    const QFileInfo requested(requestedPath);
    if (requested.isSymLink() && requested.exists()) {
        path = requested.canonicalFilePath();
    } else if (requested.isSymLink()) {
        const QString target = finalLinkTarget(requestedPath);
        if (!target.isEmpty() && QFileInfo(QFileInfo(target).absolutePath()).isDir())
            path = target;
        else
            platformLog(
                QStringLiteral("%1 is a link to %2, which cannot be written: the link gives way to the "
                               "file")
                    .arg(requestedPath, target.isEmpty() ? requested.symLinkTarget() : target));
    }
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    if (!QDir().mkpath(folder))
        return failWith(QStringLiteral("cannot create folder %1").arg(folder));

    QByteArray temporary =
        QFile::encodeName(folder + QLatin1String("/.") + info.fileName() + TemporarySuffix +
                          QString(TemporaryUniqueLength, QLatin1Char('X')));
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0)
        return failWith(
            QStringLiteral("cannot create a temporary file in %1: %2").arg(folder, systemError(errno)));
    // Locked until it has its final name: whoever cleans up stale temporary files leaves it alone.
    ::flock(fd, LOCK_EX);

    const auto abandon = [&](const QString& step, int errorNumber) {
        ::close(fd);
        ::unlink(temporary.constData());
        return failWith(
            QStringLiteral("cannot write %1: %2 failed: %3").arg(path, step, systemError(errorNumber)));
    };

    // Keep the permissions of the file being replaced.
    struct stat old {};
    const mode_t mode =
        ::stat(QFile::encodeName(path).constData(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode;
    if (::fchmod(fd, mode) != 0)
        return abandon(QStringLiteral("setting permissions"), errno);

    if (injected(AtomicFileTesting::FailAt::Writing))
        return abandon(QStringLiteral("writing"), EIO);
    if (!writeAll(fd, contents))
        return abandon(QStringLiteral("writing"), errno);
    if (injected(AtomicFileTesting::FailAt::Syncing))
        return abandon(QStringLiteral("syncing"), EIO);
    if (durable && ::fsync(fd) != 0)
        return abandon(QStringLiteral("syncing"), errno);

    int renameError = 0;
    if (injected(AtomicFileTesting::FailAt::Renaming))
        renameError = EIO;
    else if (::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0)
        renameError = errno;
    if (renameError != 0)
        return abandon(QStringLiteral("renaming"), renameError);
    // Written (and synced when durable) already: a failing close loses nothing.
    ::close(fd);

    // The rename itself reaches the disk only when the folder does. The file is in place either
    // way, so a folder that cannot be synced is no failure.
    if (!durable)
        return true;
    const int folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return true;
}

QString siblingPathWithTimeStamp(const QString& path, const QString& label) {
    const QString base = path + QLatin1Char('.') + label + QLatin1Char('-') +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString sibling = base;
    for (int n = 2; QFileInfo::exists(sibling) || QFileInfo(sibling).isSymLink(); ++n)
        sibling = base + QLatin1Char('-') + QString::number(n);
    return sibling;
}

QStringList removeStaleTemporaryFiles(const QString& folder) {
    QStringList removed;
    const QStringList candidates =
        QDir(folder).entryList({QLatin1String(".*") + TemporarySuffix + QString(TemporaryUniqueLength, u'?')},
                               QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : candidates) {
        const QString path = folder + QLatin1Char('/') + name;
        const QByteArray encoded = QFile::encodeName(path);
        const int fd = ::open(encoded.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
        if (fd < 0)
            continue;
        struct stat info {};
        const bool stale =
            ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (stale && ::unlink(encoded.constData()) == 0)
            removed.append(path);
        ::close(fd);
    }
    return removed;
}

namespace AtomicFileTesting {
void failNextWriteAt(FailAt step) {
    injectedFailure = step;
}
} // namespace AtomicFileTesting
