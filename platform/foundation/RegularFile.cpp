#include "platform/foundation/RegularFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Reads in pieces of this size, so that a file that grows while it is read stops at the cap.
constexpr qint64 ChunkBytes = 16 * 1024;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes, QString* error) {
    const auto fail = [&](const QString& reason) -> std::optional<QByteArray> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    const auto systemError = [] { return QString::fromLocal8Bit(std::strerror(errno)); };

    // Without O_NONBLOCK, opening a FIFO waits for a writer that may never come.
    const FileDescriptor fd(
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        return fail(QStringLiteral("cannot open %1: %2").arg(path, systemError()));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return fail(QStringLiteral("cannot read %1: %2").arg(path, systemError()));
    if (!S_ISREG(info.st_mode))
        return fail(QStringLiteral("%1 is not a regular file").arg(path));
    const QString tooLarge = QStringLiteral("%1 is larger than %2 bytes").arg(path).arg(maxBytes);
    if (info.st_size > maxBytes)
        return fail(tooLarge);

    QByteArray contents;
    contents.reserve(qsizetype(info.st_size));
    char buffer[ChunkBytes];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return fail(QStringLiteral("cannot read %1: %2").arg(path, systemError()));
        }
        if (got == 0)
            break;
        if (contents.size() + got > maxBytes)
            return fail(tooLarge);
        contents.append(buffer, qsizetype(got));
    }
    return contents;
}
