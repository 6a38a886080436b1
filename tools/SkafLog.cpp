#include "platform/foundation/LogTool.h"
#include "platform/foundation/SystemLogFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QStringList>
#include <QTimer>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// A stream looks at the file at least this often, should a change notification be missed.
constexpr int PollIntervalMs = 1000;

// Writes everything, or answers false once the reader is gone.
bool writeAll(int descriptor, const QByteArray& bytes) {
    const char* data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(descriptor, data, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        left -= written;
    }
    return true;
}

} // namespace

// skaf-log: the program's stand-in for the desktop's log tool, run by the log reader as a child process
// (platform/foundation/LogTool.h says what it takes and answers).
int main(int argc, char** argv) {
    // A stream must not outlive the program that reads it: it ends with its parent, and when a write
    // finds nobody reading.
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent)
        return 0;
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    QString error;
    auto command = LogToolCommand::parse(arguments, &error);
    if (!command) {
        std::fprintf(stderr,
                     "skaf-log: %s\nusage: skaf-log show|stream --style json [--predicate P] "
                     "[--level default|info|debug] [--info] [--debug] [--last Nd|Nh|Nm]\n",
                     qPrintable(error));
        return LogToolCommand::UsageExitStatus;
    }
    const QString filePath = SystemLogFiles::defaultFilePath();
    const bool streams = command->mode == LogToolCommand::Mode::Stream;
    LogTool tool(
        std::move(*command), filePath, [](const QByteArray& bytes) { return writeAll(STDOUT_FILENO, bytes); },
        [](const QByteArray& bytes) { return writeAll(STDERR_FILENO, bytes); });
    if (!streams)
        return tool.show();

    if (!tool.startStream())
        return 0;
    auto poll = [&tool] {
        if (!tool.pollStream())
            QCoreApplication::exit(0);
    };
    // The folder too: a moved-aside file is replaced by a new one, which a watch on the file misses.
    QFileSystemWatcher watcher;
    watcher.addPath(QFileInfo(filePath).absolutePath());
    auto watchFile = [&watcher, filePath] {
        if (!watcher.files().contains(filePath) && QFileInfo::exists(filePath))
            watcher.addPath(filePath);
    };
    watchFile();
    QObject::connect(&watcher, &QFileSystemWatcher::fileChanged, &application, poll);
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &application, [&] {
        watchFile();
        poll();
    });
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, &application, [&] {
        watchFile();
        poll();
    });
    timer.start(PollIntervalMs);
    return QCoreApplication::exec();
}
