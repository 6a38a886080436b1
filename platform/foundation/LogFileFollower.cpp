#include "platform/foundation/LogFileFollower.h"

#include "platform/foundation/SystemLogFiles.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::size_t ReadBlockBytes = 64 * 1024;
// A "line" longer than this without a newline is no line of the program's: it goes out as it is.
constexpr qsizetype MaximumLineBytes = 1 << 20;
} // namespace

LogFileFollower::LogFileFollower(QString filePath) : m_filePath(std::move(filePath)) {}

LogFileFollower::~LogFileFollower() {
    close(m_file);
}

bool LogFileFollower::open(const QString& path, OpenFile& file) const {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return false;
    }
    file = OpenFile{descriptor, status.st_dev, status.st_ino, 0};
    return true;
}

void LogFileFollower::close(OpenFile& file) {
    if (file.descriptor >= 0)
        ::close(file.descriptor);
    file = OpenFile{};
}

void LogFileFollower::startAtEnd() {
    close(m_file);
    m_partial.clear();
    if (open(m_filePath, m_file))
        m_file.offset = ::lseek(m_file.descriptor, 0, SEEK_END);
}

void LogFileFollower::readToEnd(OpenFile& file, Poll& poll) {
    char block[ReadBlockBytes];
    for (;;) {
        const ssize_t count = ::pread(file.descriptor, block, sizeof block, file.offset);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        file.offset += count;
        qsizetype start = 0;
        for (qsizetype i = 0; i < count; ++i) {
            if (block[i] != '\n')
                continue;
            m_partial.append(block + start, i - start);
            poll.lines.append(std::exchange(m_partial, {}));
            start = i + 1;
        }
        m_partial.append(block + start, count - start);
        if (m_partial.size() > MaximumLineBytes)
            poll.lines.append(std::exchange(m_partial, {}));
    }
}

void LogFileFollower::flushPartialLine(Poll& poll) {
    if (!m_partial.isEmpty())
        poll.lines.append(std::exchange(m_partial, {}));
}

LogFileFollower::Poll LogFileFollower::poll() {
    Poll result;
    if (m_file.descriptor < 0) {
        if (open(m_filePath, m_file))
            readToEnd(m_file, result);
        return result;
    }
    readToEnd(m_file, result);

    struct stat current {};
    if (::stat(QFile::encodeName(m_filePath).constData(), &current) != 0)
        return result; // moved aside, and the next one not made yet
    if (current.st_dev == m_file.device && current.st_ino == m_file.inode) {
        if (current.st_size < m_file.offset) { // emptied in place
            m_file.offset = 0;
            m_partial.clear();
            readToEnd(m_file, result);
        }
        return result;
    }

    // Moved aside: what we hold is complete and read to its end. The new file is opened before the
    // moved-aside one is looked at, so a move in between costs nothing: the next poll finds it.
    flushPartialLine(result);
    OpenFile next;
    const bool hasNext = open(m_filePath, next);
    OpenFile previous;
    if (open(SystemLogFiles::previousFilePath(m_filePath), previous)) {
        const bool isOurs = previous.device == m_file.device && previous.inode == m_file.inode;
        const bool isNext = hasNext && previous.device == next.device && previous.inode == next.inode;
        if (!isOurs && !isNext) {
            // Ours was moved twice: the moved-aside file came after it, and more may have come between.
            result.possibleGapsBefore.append(result.lines.size());
            readToEnd(previous, result);
            flushPartialLine(result);
        }
        close(previous);
    }
    close(m_file);
    m_file = next;
    if (hasNext)
        readToEnd(m_file, result);
    return result;
}
