#include "LogReaderTestSupport.h"

#include "log-reader/ILRLogCommandLines.h"
#include "log-reader/ILRLogReaderDefaults.h"
#include "platform/foundation/SystemLogFiles.h"
#include "toolkit/ZRSystemLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using namespace LogReaderTest;

class ILRIntegratedLogReaderTest : public Fixture {
protected:
    // The tool answers "show" with the objects the test gives for it, and streams nothing by itself.
    void scriptTool(std::function<QList<QJsonObject>(const QStringList& arguments)> history) {
        desktop.processes().scriptChild(SimProcesses::LogToolPath,
                                        [history](const std::shared_ptr<SimChildProcess>& child) {
                                            if (child->arguments().front() != "show")
                                                return;
                                            child->write(toolAnswer(history(child->arguments())));
                                            child->exit(0);
                                        });
    }
    static QString lastArgument(const QStringList& arguments) { return arguments.last(); }
};

TEST_F(ILRIntegratedLogReaderTest, FindingEarlierReadsFurtherBackStepByStep) {
    scriptTool([](const QStringList&) { return QList<QJsonObject>{}; });
    reader->updateLogAfterIncreasingNumberOfDays(false);
    settle();
    QStringList lasts{lastArgument(toolRuns().back())};
    for (int step = 0; step < 4; ++step) {
        reader->findEarlierResults();
        settle();
        lasts << lastArgument(toolRuns().back());
    }
    EXPECT_EQ(lasts, (QStringList{"1h", "1d", "7d", "14d", "21d"}));
    EXPECT_EQ(reader->numberOfDays(), 21);

    // After a clear the next step reads the last hour again.
    reader->clear();
    settle();
    EXPECT_EQ(reader->numberOfDays(), -1);
    desktop.processes().clearRuns();
    reader->findEarlierResults();
    settle();
    ASSERT_FALSE(toolRuns().empty());
    EXPECT_EQ(lastArgument(toolRuns().back()), "1h");
}

TEST_F(ILRIntegratedLogReaderTest, CommandLinesCarryThePredicateAndLevel) {
    const QString p = "P";
    struct Case {
        QStringList arguments, expected;
    };
    const Case cases[] = {
        {ILRLogCommandLines::live(p, 0, true),
         {"stream", "--style", "json", "--predicate", "P", "--level", "default"}},
        {ILRLogCommandLines::live(p, 1, true),
         {"stream", "--style", "json", "--predicate", "P", "--level", "info"}},
        {ILRLogCommandLines::live({}, 2, true), {"stream", "--style", "json", "--level", "debug"}},
        {ILRLogCommandLines::history(p, 0, 0, true),
         {"show", "--style", "json", "--predicate", "P && !(subsystem BEGINSWITH \"com.apple\")", "--last",
          "1h"}},
        {ILRLogCommandLines::history(p, 2, 7, true),
         {"show", "--style", "json", "--predicate", "(P) && !(subsystem BEGINSWITH \"com.apple\")", "--debug",
          "--last", "7d"}},
        {ILRLogCommandLines::history(p, 1, 1, false),
         {"show", "--style", "json", "--predicate", "P", "--info", "--last", "1d"}},
        {ILRLogCommandLines::lastMinutes(ILRLogCommandLines::history({}, 0, 0, true), 3),
         {"show", "--style", "json", "--last", "3m"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.arguments, c.expected);
    }
    EXPECT_EQ(ILRLogCommandLines::defaultPredicate("bin", 2, true),
              "(processImagePath CONTAINS \"/bin/\") || (senderImagePath CONTAINS \"/bin/\")");
    EXPECT_EQ(
        ILRLogCommandLines::defaultPredicate("bin", 0, true),
        "(eventType == \"logEvent\") && ((processImagePath CONTAINS \"/bin/\") || (senderImagePath CONTAINS "
        "\"/bin/\")) && !(senderImagePath ENDSWITH \"AggregateDictionary\") && !(senderImagePath ENDSWITH "
        "\"/CFNetwork\")");
    EXPECT_TRUE(ILRLogCommandLines::defaultPredicate("bin", 1, false)
                    .contains("!(subsystem BEGINSWITH \"com.apple\") && ("));
}

TEST_F(ILRIntegratedLogReaderTest, FindingEarlierInsertsOnlyOlderEntriesAndStopsTheTool) {
    const qint64 start = now();
    scriptTool([start](const QStringList& arguments) {
        if (arguments.last() == "1h")
            return QList<QJsonObject>{toolObject("recent", start - 60 * Second),
                                      toolObject("newest", start - 10 * Second)};
        return QList<QJsonObject>{toolObject("yesterday", start - 20 * 3600 * Second),
                                  toolObject("an hour ago", start - 3600 * Second),
                                  toolObject("recent", start - 60 * Second),
                                  toolObject("newest", start - 10 * Second)};
    });
    reader->updateLogAfterIncreasingNumberOfDays(false);
    settle();
    EXPECT_EQ(messages(), (QStringList{"recent", "newest"}));
    // One object at a time, so the tool can be seen to stop at the first that is not older.
    desktop.processes().scriptChild(
        SimProcesses::LogToolPath, [start](const std::shared_ptr<SimChildProcess>& child) {
            if (child->arguments().front() != "show")
                return;
            auto objects = std::make_shared<QList<QJsonObject>>(QList<QJsonObject>{
                toolObject("yesterday", start - 20 * 3600 * Second),
                toolObject("an hour ago", start - 3600 * Second), toolObject("recent", start - 60 * Second),
                toolObject("newest", start - 10 * Second)});
            auto index = std::make_shared<int>(0);
            child->setWhenDrained([objects, index](SimChildProcess& child) {
                if (*index == objects->size())
                    return child.exit(0);
                const QByteArray object =
                    QJsonDocument(objects->at(*index)).toJson(QJsonDocument::Indented).chopped(1);
                child.write((*index == 0 ? "[" : ",") + object);
                ++*index;
            });
        });
    reader->findEarlierResults();
    settle();
    EXPECT_EQ(messages(), (QStringList{"yesterday", "an hour ago", "recent", "newest"}));
    EXPECT_TRUE(desktop.processes().children(SimProcesses::LogToolPath).back()->wasStopped());
    EXPECT_FALSE(reader->isSpinning());
    EXPECT_EQ(reader->archiveInsertionIndex(), ILRIntegratedLogReader::NotFound);
}

TEST_F(ILRIntegratedLogReaderTest, ClearingEndsAHistoryRead) {
    const qint64 start = now();
    std::weak_ptr<ILRIntegratedLogReader> weak = reader;
    desktop.processes().scriptChild(
        SimProcesses::LogToolPath, [start, weak](const std::shared_ptr<SimChildProcess>& child) {
            if (child->arguments().front() != "show")
                return;
            auto step = std::make_shared<int>(0);
            child->setWhenDrained([start, weak, step](SimChildProcess& child) {
                // The user clears between the first and the second batch.
                if (*step == 1)
                    weak.lock()->clear();
                child.write((*step == 0 ? "[" : ",") +
                            QJsonDocument(toolObject(QString::number(*step), start - Second))
                                .toJson(QJsonDocument::Indented)
                                .chopped(1));
                ++*step;
            });
        });
    reader->updateLogAfterIncreasingNumberOfDays(false);
    settle();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(desktop.processes().children(SimProcesses::LogToolPath).size() >= 2);
    bool stoppedShow = false;
    for (const auto& child : desktop.processes().children(SimProcesses::LogToolPath))
        stoppedShow = stoppedShow || (child->arguments().front() == "show" && child->wasStopped());
    EXPECT_TRUE(stoppedShow);
    EXPECT_EQ(reader->numberOfDays(), -1);
    EXPECT_TRUE(reader->displayedText().startsWith("⇤ ")) << reader->displayedText().toStdString();
}

TEST_F(ILRIntegratedLogReaderTest, TheGapFillReadsTheMinutesSinceTheRequest) {
    for (const auto& [seconds, expected] : std::vector<std::pair<qint64, QString>>{{10, "2m"}, {61, "3m"}}) {
        SCOPED_TRACE(expected.toStdString());
        qint64 clock = ClockBase;
        reader->setClock([&clock] { return clock; });
        // The history read takes its time; the gap fill counts from the request.
        scriptTool([&clock, seconds = seconds](const QStringList&) {
            clock += seconds * Second;
            return QList<QJsonObject>{};
        });
        reader->updateLogAfterIncreasingNumberOfDays(false);
        settle();
        desktop.processes().clearRuns();
        RunLoop::main().advance(ILRIntegratedLogReader::GapFillDelaySeconds - 0.01);
        settle();
        EXPECT_TRUE(toolRuns().empty());
        RunLoop::main().advance(0.01);
        settle();
        ASSERT_FALSE(toolRuns().empty());
        EXPECT_EQ(lastArgument(toolRuns().front()), expected);
    }
}

TEST_F(ILRIntegratedLogReaderTest, TheGapFillAddsWhatNeitherReadDeliveredOnce) {
    const qint64 start = now();
    int shows = 0;
    scriptTool([&](const QStringList&) {
        ++shows;
        if (shows == 1)
            return QList<QJsonObject>{toolObject("history", start - 30 * Second)};
        // The gap fill sees the history, a message of the gap, and what came after the request.
        return QList<QJsonObject>{toolObject("history", start - 30 * Second),
                                  toolObject("in the gap", start - Second),
                                  toolObject("after the request", start + Second)};
    });
    reader->updateLogAfterIncreasingNumberOfDays(false);
    settle();
    RunLoop::main().advance(ILRIntegratedLogReader::GapFillDelaySeconds);
    settle();
    EXPECT_EQ(shows, 2);
    EXPECT_EQ(messages(), (QStringList{"history", "in the gap"}));
}

TEST_F(ILRIntegratedLogReaderTest, LiveEntriesArriveFromTheProgramsLog) {
    ZRSystemLog::shared().setFilePath(SystemLogFiles::defaultFilePath());
    ZRSystemLog::shared().setEchoesToStandardError(false);
    reader->updateLogAfterIncreasingNumberOfDays(false);
    settle();
    EXPECT_TRUE(reader->hasLiveStream());
    reader->logMessage("first line");
    reader->logMessage("second line");
    reader->logMessage("second line");
    RunLoop::main().advance(1);
    settle();
    EXPECT_EQ(messages(), (QStringList{"first line", "second line", "second line"}));
    EXPECT_TRUE(reader->displayedText().endsWith("second line (×2)"))
        << reader->displayedText().toStdString();

    ZRSystemLog::shared().setFilePath(ZRSystemLog::defaultFilePath());
}

TEST_F(ILRIntegratedLogReaderTest, TheLiveStreamLeavesOutTheSystemsOwnSubsystems) {
    desktop.processes().scriptChild(SimProcesses::LogToolPath,
                                    [](const std::shared_ptr<SimChildProcess>& child) {
                                        if (child->arguments().front() == "show")
                                            child->exit(0);
                                    });
    reader->updateLogAfterIncreasingNumberOfDays(false);
    settle();
    const auto live = desktop.processes().children(SimProcesses::LogToolPath).front();
    ASSERT_EQ(live->arguments().front(), "stream");
    EXPECT_FALSE(live->arguments().contains("!(subsystem BEGINSWITH \"com.apple\")"));
    live->write(toolAnswer(
        {toolObject("ours", now()), toolObject("theirs", now(), "/usr/bin/x", {}, "com.apple.x")}, false));
    settle();
    EXPECT_EQ(messages(), QStringList{"ours"});
}

TEST_F(ILRIntegratedLogReaderTest, TheCacheKeepsMessagesWhileTheWindowIsOpenOrWhenAskedTo) {
    flags.macOS26OrLater = true;
    set("ZRDebugLog", true);
    ASSERT_TRUE(reader->cacheLogMessages());
    // Closed window, not kept silently: the system log only.
    reader->logMessage("unseen");
    settle();
    EXPECT_FALSE(reader->cachedLogMessages().has_value());

    set(QString::fromUtf16(ILRLogReaderDefaults::CacheDebugLogSilently), true);
    reader->logMessage("kept");
    settle();
    ASSERT_TRUE(reader->cachedLogMessages().has_value());
    ASSERT_EQ(reader->cachedLogMessages()->size(), 1u);
    EXPECT_TRUE(reader->cachedLogMessages()->front().cached);
    EXPECT_EQ(reader->cachedLogMessages()->front().date, now());
    EXPECT_TRUE(toolRuns().empty());

    // Turning debug logging off leaves cache mode for the tool.
    reader->toggleDebugLogging(false);
    settle();
    EXPECT_FALSE(reader->cachedLogMessages().has_value());
    EXPECT_FALSE(toolRuns().empty());
}

// A reader made on settings of its own reads and writes the debug-logging switch and the display options
// there, never in the program's.
TEST_F(ILRIntegratedLogReaderTest, AReaderKeepsToTheSettingsItIsHanded) {
    UserDefaults own(folder.filePath(QStringLiteral("Own Settings.plist")));
    ILRLogReaderContext context = readerContext(desktop, settings(), findPasteboard);
    const auto ownReader = ILRIntegratedLogReader::make(
        {context.processes, own, context.mainRunLoop, context.workers, context.notifications,
         context.systemLog, context.findPasteboard, context.flags},
        ZRLogReaderSettings{QStringLiteral("ZRDebugLog"), {}});
    set("ZRDebugLog", true);
    EXPECT_FALSE(ownReader->isDebugLoggingEnabledAndSettable(nullptr)) << "the program's switch is not its";
    ownReader->toggleDebugLogging(true);
    EXPECT_TRUE(own.boolForKey("ZRDebugLog"));
    EXPECT_TRUE(ownReader->isDebugLoggingEnabledAndSettable(nullptr));
    set("ZRDebugLog", false);
    EXPECT_TRUE(ownReader->isDebugLoggingEnabledAndSettable(nullptr));

    const QString hideSender = QString::fromUtf16(ILRLogReaderDefaults::HideSender);
    ownReader->toggleMessageSender();
    EXPECT_TRUE(own.boolForKey(hideSender));
    EXPECT_FALSE(settings().hasValue(hideSender));
}

TEST_F(ILRIntegratedLogReaderTest, EntriesAreCappedDroppingTheOldest) {
    const qint64 start = now();
    scriptTool([start](const QStringList&) {
        QList<QJsonObject> objects;
        for (std::size_t i = 0; i <= ILRIntegratedLogReader::MaximumEntries; ++i)
            objects << toolObject(QString::number(i), start - 3600 * Second + qint64(i));
        return objects;
    });
    reader->updateLogAfterIncreasingNumberOfDays(false);
    settle();
    const auto entries = reader->logEntries();
    EXPECT_LE(entries.size(), ILRIntegratedLogReader::MaximumEntries);
    EXPECT_EQ(entries.back().eventMessage, QString::number(ILRIntegratedLogReader::MaximumEntries));
}

} // namespace
