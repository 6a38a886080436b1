#pragma once

#include "platform/foundation/LogFileFollower.h"
#include "platform/foundation/LogPredicate.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

// The log tool: shows or streams the program's own log (SystemLogFiles.h) as JSON, for the log reader.
// Its command lines:
//     show   --style json [--predicate P] [--info | --debug] [--last Nd|Nh|Nm]
//     stream --style json [--predicate P] [--level default|info|debug]
// Its answer: an optional preamble line, then a JSON array whose objects each end with a "}" at the
// start of a line, joined by ","; "show" closes the array with "]". Entries without an "eventType" are
// "logEvent"; lines of the file that are no JSON object are skipped and counted on standard error.
//
// The program's log is a file of its own rather than the desktop's journal: the program never logs to
// the journal, which runs neither on the test machines nor in CI, and which offers neither a JSON array
// nor these predicates.
struct LogToolCommand {
    enum class Mode { Show, Stream };
    // Exit status of a command line that cannot be run.
    static constexpr int UsageExitStatus = 64;

    Mode mode = Mode::Show;
    QString predicateText;
    std::optional<LogPredicate> predicate;
    int level = 0; // 0 default, 1 info, 2 debug
    std::optional<qint64> lastMicroseconds;

    // Empty, with the reason, for a command line the tool does not take.
    static std::optional<LogToolCommand> parse(const QStringList& arguments, QString* error);
};

class LogTool {
public:
    // Writes a piece of the answer, or of the diagnostics; false when nobody reads it any more.
    using Write = std::function<bool(const QByteArray& bytes)>;

    LogTool(LogToolCommand command, QString filePath, Write standardOutput, Write standardError);
    ~LogTool();

    // "show": the previous file, then the current one, whole. Answers the exit status.
    int show();
    // "stream": the preamble, then what the file gains from now on, at each poll (whenever the file
    // changes, and every second). False once the output is refused: the tool ends.
    bool startStream();
    bool pollStream();

    // Entries of one answer written at a time.
    static constexpr int BatchSize = 256;

private:
    bool takeLine(const QByteArray& line);
    bool writeBatch();
    bool reportMalformedLines();

    LogToolCommand m_command;
    QString m_filePath;
    Write m_out;
    Write m_err;
    std::unique_ptr<LogFileFollower> m_follower;
    QByteArray m_batch;
    int m_batchCount = 0;
    bool m_arrayOpen = false;
    qint64 m_cutoff = 0;
    int m_malformedLines = 0;
    QString m_lastTimestamp;
    bool m_gapPending = false;
};
