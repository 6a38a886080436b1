#include "TestApplication.h"

#include "platform/foundation/LogTimestamp.h"
#include "platform/foundation/LogTool.h"
#include "platform/foundation/SystemLogFiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <unistd.h>

namespace {

constexpr qint64 Minute = 60 * LogTimestamp::MicrosecondsPerSecond;

// One line of the program's log, as the program writes it.
QByteArray recordLine(const QString& message, qint64 micros = LogTimestamp::now(),
                      const QString& type = QStringLiteral("Default"), QJsonObject extra = {}) {
    extra.insert("timestamp", LogTimestamp::format(micros, LogTimestamp::localOffsetSeconds(micros)));
    if (!extra.contains("processImagePath"))
        extra.insert("processImagePath", "/opt/Skaf/bin/skaf");
    if (!extra.contains("senderImagePath"))
        extra.insert("senderImagePath", "/opt/Skaf/bin/skaf");
    extra.insert("subsystem", extra.contains("subsystem") ? extra.value("subsystem") : "com.tallowin.Skaf");
    extra.insert("messageType", type);
    extra.insert("eventMessage", message);
    return QJsonDocument(extra).toJson(QJsonDocument::Compact) + '\n';
}

// The entries of one answer of the tool, and whether it has the form the log reader splits: objects
// that end with a brace at the start of a line, after an optional preamble.
QJsonArray entriesOf(QByteArray output, bool closed = true) {
    const qsizetype start = output.indexOf("\n[{") >= 0 ? output.indexOf("\n[{") + 1 : output.indexOf('[');
    if (start < 0)
        return {};
    output = output.mid(start).trimmed();
    if (!closed && output.size() > 1)
        output += ']';
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(output, &error);
    EXPECT_TRUE(document.isArray()) << error.errorString().toStdString() << "\n"
                                    << output.left(300).toStdString();
    return document.array();
}

QStringList messagesOf(const QJsonArray& entries) {
    QStringList messages;
    for (const auto& entry : entries)
        messages << entry.toObject().value("eventMessage").toString();
    return messages;
}

class LogToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        testApplication<QCoreApplication>();
        ASSERT_TRUE(folder.isValid());
        QDir().mkpath(QFileInfo(path()).absolutePath());
    }

    QString path() const { return folder.filePath("Skaf/Skaf.jsonl"); }

    void append(const QString& file, const QByteArray& lines) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::Append));
        out.write(lines);
    }

    struct Answer {
        int status = 0;
        QByteArray output;
        QByteArray errors;
    };
    Answer show(const QStringList& arguments) {
        Answer answer;
        QString error;
        auto command = LogToolCommand::parse(arguments, &error);
        if (!command) {
            answer.status = LogToolCommand::UsageExitStatus;
            answer.errors = error.toUtf8();
            return answer;
        }
        LogTool tool(
            std::move(*command), path(), [&](const QByteArray& b) { return answer.output += b, true; },
            [&](const QByteArray& b) { return answer.errors += b, true; });
        answer.status = tool.show();
        return answer;
    }

    QProcessEnvironment environment() const {
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_STATE_HOME", folder.path());
        return environment;
    }
    static QString toolPath() { return QCoreApplication::applicationDirPath() + "/skaf-log"; }

    QTemporaryDir folder;
};

TEST_F(LogToolTest, CommandLinesThatAreRefusedExitWith64) {
    struct Case {
        QStringList arguments;
        bool accepted;
    };
    const Case cases[] = {
        {{"show", "--style", "json"}, true},
        {{"stream", "--style", "json", "--predicate", "a == \"b\"", "--level", "debug"}, true},
        {{"show", "--style", "json", "--info", "--last", "7d"}, true},
        {{"show", "--style", "json", "--debug", "--last", "1h"}, true},
        {{"show", "--style", "json", "--last", "2m"}, true},
        {{}, false},
        {{"tail"}, false},
        {{"show", "--style", "ndjson"}, false},
        {{"show", "--style"}, false},
        {{"show", "--last", "7w"}, false},
        {{"show", "--last", "d"}, false},
        {{"show", "--last", "-1d"}, false},
        {{"stream", "--level", "verbose"}, false},
        {{"stream", "--last", "1h"}, false},
        {{"show", "--predicate", "eventMessage == \"unterminated"}, false},
        {{"show", "--predicate", QString("(").repeated(65) + "a == \"b\"" + QString(")").repeated(65)},
         false},
        {{"show", "--predicate", QString("!").repeated(65) + "a == \"b\""}, false},
        {{"show", "--predicate", "(a == \"b\""}, false},
        {{"show", "--predicate", "a == b"}, false},
        {{"show", "--predicate", "a LIKE \"b\""}, false},
        {{"show", "--predicate", "a == \"b\" &&"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QString error;
        EXPECT_EQ(LogToolCommand::parse(c.arguments, &error).has_value(), c.accepted) << error.toStdString();
        EXPECT_EQ(error.isEmpty(), c.accepted);
    }
    // The tool itself says so with its exit status.
    for (const QStringList& arguments :
         {QStringList{"show", "--predicate", "(a == \"b\""}, QStringList{"tail"}}) {
        QProcess tool;
        tool.setProcessEnvironment(environment());
        tool.start(toolPath(), arguments);
        ASSERT_TRUE(tool.waitForFinished(10000));
        EXPECT_EQ(tool.exitCode(), LogToolCommand::UsageExitStatus);
        EXPECT_TRUE(tool.readAllStandardOutput().isEmpty());
    }
}

TEST_F(LogToolTest, PredicatesAndLevelsSelectEntries) {
    QByteArray lines;
    lines += recordLine("plain", LogTimestamp::now(), "Default");
    lines += recordLine("info", LogTimestamp::now(), "Info", {{"senderImagePath", "/usr/lib/libfoo.so"}});
    lines += recordLine("debug", LogTimestamp::now(), "Debug", {{"subsystem", "com.apple.network"}});
    lines += recordLine("error", LogTimestamp::now(), "Error", {{"processImagePath", "/usr/bin/other"}});
    lines += recordLine("typed", LogTimestamp::now(), "Default", {{"eventType", "activityCreateEvent"}});
    append(path(), lines);

    struct Case {
        QString predicate;
        QStringList atDefault, atInfo, atDebug;
    };
    const QStringList all{"plain", "info", "debug", "error", "typed"};
    const Case cases[] = {
        {"", {"plain", "error", "typed"}, {"plain", "info", "error", "typed"}, all},
        // Entries written without an event type are log events.
        {"eventType == \"logEvent\"",
         {"plain", "error"},
         {"plain", "info", "error"},
         {"plain", "info", "debug", "error"}},
        {"eventType != \"logEvent\"", {"typed"}, {"typed"}, {"typed"}},
        {"processImagePath CONTAINS \"/Skaf/\"",
         {"plain", "typed"},
         {"plain", "info", "typed"},
         {"plain", "info", "debug", "typed"}},
        {"subsystem BEGINSWITH \"com.apple\"", {}, {}, {"debug"}},
        {"!(subsystem BEGINSWITH \"com.apple\")",
         {"plain", "error", "typed"},
         {"plain", "info", "error", "typed"},
         {"plain", "info", "error", "typed"}},
        {"senderImagePath ENDSWITH 'libfoo.so'", {}, {"info"}, {"info"}},
        {"eventMessage == \"plain\" || eventMessage == \"debug\"", {"plain"}, {"plain"}, {"plain", "debug"}},
        {"(eventMessage CONTAINS \"e\") && !(eventMessage == \"debug\")",
         {"error", "typed"},
         {"error", "typed"},
         {"error", "typed"}},
        {"NOT eventMessage == \"plain\" AND messageType == \"Error\"", {"error"}, {"error"}, {"error"}},
        {"missingKey == \"x\"", {}, {}, {}},
        {"eventMessage == \"quo\\\"te\"", {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.predicate.toStdString());
        const std::pair<QStringList, QStringList> levels[] = {
            {{}, c.atDefault}, {{"--info"}, c.atInfo}, {{"--debug"}, c.atDebug}};
        for (const auto& [option, expected] : levels) {
            QStringList arguments{"show", "--style", "json"};
            if (!c.predicate.isEmpty())
                arguments << "--predicate" << c.predicate;
            const Answer answer = show(arguments + option);
            EXPECT_EQ(answer.status, 0);
            EXPECT_EQ(messagesOf(entriesOf(answer.output)), expected) << option.join(' ').toStdString();
            // The log reader finds the array after the preamble by the line that starts it.
            if (!c.predicate.isEmpty() && !expected.isEmpty()) {
                EXPECT_TRUE(answer.output.contains("\"\n[{\n")) << answer.output.left(200).toStdString();
            }
        }
    }
}

TEST_F(LogToolTest, ShowReadsThePreviousFileFirstAndOnlyWhatIsRecent) {
    const qint64 now = LogTimestamp::now();
    append(SystemLogFiles::previousFilePath(path()), recordLine("two days ago", now - 48 * 60 * Minute) +
                                                         recordLine("two hours ago", now - 120 * Minute));
    append(path(), recordLine("ten minutes ago", now - 10 * Minute) + "{\"broken\": \n" + "[1, 2]\n" +
                       recordLine("now", now) + "{\"eventMessage\": \"being writ");
    append(path() + ".2", recordLine("too old to keep", now - 72 * 60 * Minute));

    const std::pair<QString, QStringList> cases[] = {
        {"", {"two days ago", "two hours ago", "ten minutes ago", "now"}},
        {"7d", {"two days ago", "two hours ago", "ten minutes ago", "now"}},
        {"1d", {"two hours ago", "ten minutes ago", "now"}},
        {"1h", {"ten minutes ago", "now"}},
        {"2m", {"now"}},
        {"0m", {}},
    };
    for (const auto& [last, expected] : cases) {
        SCOPED_TRACE(last.toStdString());
        QStringList arguments{"show", "--style", "json"};
        if (!last.isEmpty())
            arguments << "--last" << last;
        const Answer answer = show(arguments);
        EXPECT_EQ(messagesOf(entriesOf(answer.output)), expected);
        // Lines that are no entry are skipped and counted; the unfinished last line is not yet one.
        EXPECT_EQ(answer.errors, "skaf-log: skipped 2 malformed lines\n");
    }
    EXPECT_EQ(show({"show", "--style", "json", "--last", "0m"}).output, "[]\n");
}

TEST_F(LogToolTest, ShowReadsAFileMovedAsideWhileItOpensItOnce) {
    append(path(), recordLine("one") + recordLine("two"));
    // The moved-aside name already names the current file: it was moved between the two opens.
    ASSERT_EQ(::link(QFile::encodeName(path()).constData(),
                     QFile::encodeName(SystemLogFiles::previousFilePath(path())).constData()),
              0);
    EXPECT_EQ(messagesOf(entriesOf(show({"show", "--style", "json"}).output)), (QStringList{"one", "two"}));
}

TEST_F(LogToolTest, StreamFollowsMovesAndSaysWhatItMayHaveMissed) {
    struct Stream {
        QByteArray output, errors;
        std::unique_ptr<LogTool> tool;
    } s;
    auto command = *LogToolCommand::parse({"stream", "--style", "json", "--level", "debug"}, nullptr);
    s.tool = std::make_unique<LogTool>(
        std::move(command), path(), [&](const QByteArray& b) { return s.output += b, true; },
        [&](const QByteArray& b) { return s.errors += b, true; });
    append(path(), recordLine("before the stream"));
    ASSERT_TRUE(s.tool->startStream());
    auto moveAside = [&] {
        QFile::remove(SystemLogFiles::previousFilePath(path()));
        ASSERT_TRUE(QFile::rename(path(), SystemLogFiles::previousFilePath(path())));
    };

    // A partial line waits for its newline.
    append(path(), recordLine("a1") + recordLine("a2").chopped(10));
    ASSERT_TRUE(s.tool->pollStream());
    EXPECT_EQ(messagesOf(entriesOf(s.output, false)), QStringList{"a1"});
    append(path(), recordLine("a2").right(10));
    // Moved once: the old file is read to its end, then the new one.
    append(path(), recordLine("a3"));
    moveAside();
    append(path(), recordLine("b1"));
    ASSERT_TRUE(s.tool->pollStream());
    EXPECT_EQ(messagesOf(entriesOf(s.output, false)), (QStringList{"a1", "a2", "a3", "b1"}));
    EXPECT_TRUE(s.errors.isEmpty()) << s.errors.toStdString();

    // Moved three times between two looks: the file in the middle is gone, and the tool says so.
    append(path(), recordLine("b2"));
    moveAside();
    append(path(), recordLine("c1 lost"));
    moveAside();
    append(path(), recordLine("d1"));
    moveAside();
    append(path(), recordLine("e1"));
    ASSERT_TRUE(s.tool->pollStream());
    EXPECT_EQ(messagesOf(entriesOf(s.output, false)),
              (QStringList{"a1", "a2", "a3", "b1", "b2", "d1", "e1"}));
    EXPECT_TRUE(s.errors.contains("may have been rotated away unread")) << s.errors.toStdString();

    // A refused output ends the stream.
    s.tool = std::make_unique<LogTool>(
        *LogToolCommand::parse({"stream"}, nullptr), path(), [](const QByteArray&) { return false; },
        [](const QByteArray&) { return true; });
    ASSERT_TRUE(s.tool->startStream());
    append(path(), recordLine("nobody reads this"));
    EXPECT_FALSE(s.tool->pollStream());
}

// The real tool against a writer that moves 8 MiB files aside as the program does.
TEST_F(LogToolTest, StreamGetsEveryLineOnceInOrderAcrossFullFiles) {
    constexpr qint64 MaximumFileSize = 8 * 1024 * 1024;
    constexpr int LineCount = 5000;
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start(toolPath(), {"stream", "--style", "json"});
    ASSERT_TRUE(tool.waitForStarted(10000));
    // The tool begins at the end of the file once it runs: lines of a probe go in until one comes out.
    const QString probe = QStringLiteral("the stream runs");
    QByteArray output;
    QElapsedTimer started;
    started.start();
    while (!output.contains(probe.toUtf8()) && started.elapsed() < 20000) {
        QFile out(path());
        if (out.open(QIODevice::Append))
            out.write(recordLine(probe));
        out.close();
        tool.waitForReadyRead(100);
        output += tool.readAllStandardOutput();
    }

    const QString padding(4000, u'.');
    std::thread writer([&] {
        qint64 size = 0;
        for (int i = 0; i < LineCount; ++i) {
            if (size > MaximumFileSize) {
                QFile::remove(SystemLogFiles::previousFilePath(path()));
                QFile::rename(path(), SystemLogFiles::previousFilePath(path()));
                size = 0;
            }
            const QByteArray line = recordLine(QString::number(i) + padding);
            QFile out(path());
            if (out.open(QIODevice::Append))
                out.write(line);
            size += line.size();
        }
    });
    QElapsedTimer clock;
    clock.start();
    const QByteArray quotedProbe = '"' + probe.toUtf8() + '"';
    while (output.count("\n}") - output.count(quotedProbe) < LineCount && clock.elapsed() < 60000) {
        tool.waitForReadyRead(100);
        output += tool.readAllStandardOutput();
    }
    writer.join();
    tool.kill();
    tool.waitForFinished();
    QStringList messages = messagesOf(entriesOf(output, false));
    messages.removeAll(probe);
    ASSERT_EQ(messages.size(), LineCount);
    for (int i = 0; i < LineCount; ++i) {
        ASSERT_EQ(messages[i], QString::number(i) + padding) << i;
    }
}

// A stream must not outlive the program that reads it.
TEST_F(LogToolTest, StreamEndsWithItsParentAndWithItsReader) {
    QProcess parent;
    parent.setProcessEnvironment(environment());
    parent.start("sh", {"-c", "\"$0\" stream --style json & echo $!; exec sleep 60", toolPath()});
    ASSERT_TRUE(parent.waitForReadyRead(10000));
    const pid_t child = parent.readLine().trimmed().toInt();
    ASSERT_GT(child, 0);
    QThread::msleep(200);
    parent.kill();
    parent.waitForFinished();
    auto gone = [](pid_t pid) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        return !status.open(QIODevice::ReadOnly) || status.readAll().contains("State:\tZ");
    };
    QElapsedTimer clock;
    clock.start();
    while (!gone(child) && clock.elapsed() < 1000)
        QThread::msleep(10);
    EXPECT_TRUE(gone(child));

    // Its reader takes one byte and goes: the next write finds nobody, and the pipeline ends.
    QProcess pipeline;
    pipeline.setProcessEnvironment(environment());
    pipeline.start("sh", {"-c", "\"$0\" stream --style json | head -c 1 >/dev/null", toolPath()});
    ASSERT_TRUE(pipeline.waitForStarted(10000));
    QThread::msleep(300);
    append(path(), recordLine("read by head"));
    QThread::msleep(300);
    append(path(), recordLine("written to nobody"));
    EXPECT_TRUE(pipeline.waitForFinished(5000));
}

} // namespace
