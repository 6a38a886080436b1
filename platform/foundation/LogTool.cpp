#include "platform/foundation/LogTool.h"

#include "platform/foundation/LogTimestamp.h"
#include "platform/foundation/SystemLogFiles.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr auto DefaultEventType = "logEvent";
constexpr qint64 SecondsPerMinute = 60;
constexpr qint64 SecondsPerHour = 3600;
constexpr qint64 SecondsPerDay = 86400;

// "7d", "1h", "2m" in microseconds; empty for anything else.
std::optional<qint64> parseDuration(const QString& text) {
    if (text.size() < 2)
        return std::nullopt;
    bool ok = false;
    const qint64 count = text.left(text.size() - 1).toLongLong(&ok);
    if (!ok || count < 0 || !text.front().isDigit())
        return std::nullopt;
    qint64 unit = 0;
    switch (text.back().unicode()) {
    case u'd':
        unit = SecondsPerDay;
        break;
    case u'h':
        unit = SecondsPerHour;
        break;
    case u'm':
        unit = SecondsPerMinute;
        break;
    default:
        return std::nullopt;
    }
    // Anything beyond a hundred thousand years is all of the log.
    constexpr qint64 longest = 100000LL * 365 * SecondsPerDay;
    return std::min(count, longest / unit) * unit * LogTimestamp::MicrosecondsPerSecond;
}

std::optional<int> parseLevel(const QString& text) {
    if (text == u"default")
        return 0;
    if (text == u"info")
        return 1;
    if (text == u"debug")
        return 2;
    return std::nullopt;
}

// The level an entry needs to be shown: Info entries need info, Debug entries debug; the rest always show.
int levelOf(const QJsonObject& entry) {
    const QString type = entry.value(QLatin1String("messageType")).toString();
    if (type == u"Debug")
        return 2;
    if (type == u"Info")
        return 1;
    return 0;
}

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
};

// Opens the file for reading; -1 when it cannot be read.
int openForReading(const QString& path, FileIdentity& identity) {
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return -1;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return -1;
    }
    identity = {status.st_dev, status.st_ino};
    return descriptor;
}

QByteArray readAndClose(int descriptor) {
    QFile file;
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return {};
    }
    return file.readAll();
}

} // namespace

std::optional<LogToolCommand> LogToolCommand::parse(const QStringList& arguments, QString* error) {
    auto fail = [error](const QString& reason) -> std::optional<LogToolCommand> {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (arguments.isEmpty())
        return fail(QStringLiteral("missing command: show or stream"));
    LogToolCommand command;
    if (arguments.front() == u"show")
        command.mode = Mode::Show;
    else if (arguments.front() == u"stream")
        command.mode = Mode::Stream;
    else
        return fail(QStringLiteral("unknown command \"%1\": use show or stream").arg(arguments.front()));
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& option = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        const bool takesValue =
            option == u"--style" || option == u"--predicate" || option == u"--level" || option == u"--last";
        if (takesValue && !hasValue)
            return fail(QStringLiteral("%1 needs a value").arg(option));
        if (option == u"--style") {
            if (arguments[++i] != u"json")
                return fail(QStringLiteral("unknown style \"%1\": only json").arg(arguments[i]));
        } else if (option == u"--predicate") {
            command.predicateText = arguments[++i];
            QString reason;
            command.predicate = LogPredicate::parse(command.predicateText, &reason);
            if (!command.predicate)
                return fail(QStringLiteral("bad predicate: %1").arg(reason));
        } else if (option == u"--level") {
            const auto level = parseLevel(arguments[++i]);
            if (!level)
                return fail(
                    QStringLiteral("unknown level \"%1\": use default, info or debug").arg(arguments[i]));
            command.level = *level;
        } else if (option == u"--info") {
            command.level = std::max(command.level, 1);
        } else if (option == u"--debug") {
            command.level = 2;
        } else if (option == u"--last" && command.mode == Mode::Show) {
            command.lastMicroseconds = parseDuration(arguments[++i]);
            if (!command.lastMicroseconds)
                return fail(QStringLiteral("bad duration \"%1\": use Nd, Nh or Nm").arg(arguments[i]));
        } else {
            return fail(QStringLiteral("unknown option \"%1\"").arg(option));
        }
    }
    return command;
}

LogTool::LogTool(LogToolCommand command, QString filePath, Write standardOutput, Write standardError)
    : m_command(std::move(command)), m_filePath(std::move(filePath)), m_out(std::move(standardOutput)),
      m_err(std::move(standardError)) {
    if (m_command.lastMicroseconds)
        m_cutoff = LogTimestamp::now() - *m_command.lastMicroseconds;
}

LogTool::~LogTool() = default;

bool LogTool::takeLine(const QByteArray& line) {
    if (line.trimmed().isEmpty())
        return true;
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &parseError);
    if (!document.isObject()) {
        ++m_malformedLines;
        return true;
    }
    QJsonObject entry = document.object();
    if (!entry.contains(QLatin1String("eventType")))
        entry.insert(QLatin1String("eventType"), QLatin1String(DefaultEventType));
    const QString timestamp = entry.value(QLatin1String("timestamp")).toString();
    if (m_gapPending) {
        m_gapPending = false;
        m_err(QStringLiteral(
                  "skaf-log: lines logged after %1 and before %2 may have been rotated away unread\n")
                  .arg(m_lastTimestamp.isEmpty() ? QStringLiteral("the start") : m_lastTimestamp, timestamp)
                  .toUtf8());
    }
    if (!timestamp.isEmpty())
        m_lastTimestamp = timestamp;
    if (levelOf(entry) > m_command.level)
        return true;
    if (m_command.lastMicroseconds) {
        const auto time = LogTimestamp::parse(timestamp);
        if (!time || *time < m_cutoff)
            return true;
    }
    if (m_command.predicate && !m_command.predicate->matches(entry))
        return true;
    QByteArray text = QJsonDocument(entry).toJson(QJsonDocument::Indented);
    text.chop(1); // the newline after the closing brace
    m_batch += (m_arrayOpen ? "," : "[") + text;
    m_arrayOpen = true;
    if (++m_batchCount >= BatchSize)
        return writeBatch();
    return true;
}

bool LogTool::writeBatch() {
    if (m_batch.isEmpty())
        return true;
    m_batchCount = 0;
    // The line ends with the batch: readers that take whole lines get its last object at once.
    return m_out(std::exchange(m_batch, {}) + '\n');
}

bool LogTool::reportMalformedLines() {
    if (m_malformedLines == 0)
        return true;
    const int count = std::exchange(m_malformedLines, 0);
    return m_err(QStringLiteral("skaf-log: skipped %1 malformed line%2\n")
                     .arg(count)
                     .arg(count == 1 ? QString() : QStringLiteral("s"))
                     .toUtf8());
}

int LogTool::show() {
    if (!m_command.predicateText.isEmpty() &&
        !m_out(QStringLiteral("Filtering the log data using \"%1\"\n").arg(m_command.predicateText).toUtf8()))
        return 0;
    // The current file first: should it be moved aside meanwhile, the moved-aside one is the same file
    // and is read once.
    FileIdentity current, previous;
    const int currentFile = openForReading(m_filePath, current);
    int previousFile = openForReading(SystemLogFiles::previousFilePath(m_filePath), previous);
    if (previousFile >= 0 && currentFile >= 0 && previous.device == current.device &&
        previous.inode == current.inode) {
        ::close(previousFile);
        previousFile = -1;
    }
    for (const int file : {previousFile, currentFile}) {
        if (file < 0)
            continue;
        const QByteArray contents = readAndClose(file);
        qsizetype start = 0;
        while (start < contents.size()) {
            qsizetype end = contents.indexOf('\n', start);
            // The current file's unfinished last line is still being written.
            if (end < 0 && file == currentFile)
                break;
            if (end < 0)
                end = contents.size();
            if (!takeLine(QByteArray::fromRawData(contents.constData() + start, end - start)))
                return 0;
            start = end + 1;
        }
    }
    if (!writeBatch())
        return 0;
    m_out(m_arrayOpen ? QByteArrayLiteral("]\n") : QByteArrayLiteral("[]\n"));
    reportMalformedLines();
    return 0;
}

bool LogTool::startStream() {
    m_follower = std::make_unique<LogFileFollower>(m_filePath);
    m_follower->startAtEnd();
    if (!m_command.predicateText.isEmpty())
        return m_out(
            QStringLiteral("Filtering the log data using \"%1\"\n").arg(m_command.predicateText).toUtf8());
    return true;
}

bool LogTool::pollStream() {
    if (!m_follower)
        return false;
    const LogFileFollower::Poll poll = m_follower->poll();
    qsizetype nextGap = 0;
    for (qsizetype i = 0; i < poll.lines.size(); ++i) {
        while (nextGap < poll.possibleGapsBefore.size() && poll.possibleGapsBefore[nextGap] <= i) {
            m_gapPending = true;
            ++nextGap;
        }
        if (!takeLine(poll.lines[i]))
            return false;
    }
    if (nextGap < poll.possibleGapsBefore.size())
        m_gapPending = true;
    return writeBatch() && reportMalformedLines();
}
