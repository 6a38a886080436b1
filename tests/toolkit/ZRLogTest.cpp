#include "RecordingLogReader.h"

#include "toolkit/ZRLog.h"
#include "toolkit/ZRSystemLog.h"

#include "platform/PlatformLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <thread>

namespace {

class RecordingReader : public RecordingLogReader {
public:
    QList<QObject*> displayedFor;
    void displayLog(QObject* sender) override { displayedFor += sender; }
};

class ZRLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(directory.isValid());
        ZRSystemLog::shared().setEchoesToStandardError(false);
        ZRSystemLog::shared().setFilePath(directory.filePath("state/Skaf/Skaf.jsonl"));
        ZRSetLogReaderFactory({});
    }
    void TearDown() override { ZRSetLogReaderFactory({}); }

    QList<QJsonObject> records() const {
        QFile file(ZRSystemLog::shared().filePath());
        QList<QJsonObject> result;
        if (!file.open(QIODevice::ReadOnly))
            return result;
        while (!file.atEnd()) {
            const QJsonDocument document = QJsonDocument::fromJson(file.readLine());
            EXPECT_TRUE(document.isObject());
            result += document.object();
        }
        return result;
    }

    QTemporaryDir directory;
};

// The text ZRLog would write, through the same checked format.
template <class... Args>
QString formatted(ZRLogFormat<std::type_identity_t<Args>...> format, const Args&... args) {
    return zrlog_detail::formatMessage(format.text(), {ZRLogArgument(args)...});
}

TEST(ZRLogFormatting, Conversions) {
    const QVariant nested(QVariantList{1, "a", QVariantMap{{"k", true}}});
    struct Case {
        QString produced;
        QString expected;
    };
    const std::optional<int> none;
    const char* nullText = nullptr;
    const std::vector<Case> cases = {
        {formatted("plain"), "plain"},
        {formatted("cannot export to URL: %@", QStringLiteral("/tmp/a b.skaf")),
         "cannot export to URL: /tmp/a b.skaf"},
        {formatted("unexpected dummy: %ld", -7L), "unexpected dummy: -7"},
        {formatted("inserting missing palette item %lu at %@", std::size_t{3}, QStringLiteral("1-2")),
         "inserting missing palette item 3 at 1-2"},
        {formatted("%5d|%-5d|%05d|%+d", 42, 42, -42, 7), "   42|42   |-0042|+7"},
        {formatted("%.2f %g %.1e", 3.14159, 0.5, 1234.5), "3.14 0.5 1.2e+03"},
        {formatted("%x %X %o", 255, 255u, 8), "ff FF 10"},
        {formatted("100%% of %@", true), "100% of YES"},
        {formatted("%d", false), "0"},
        {formatted("%@", Rect(1, 2, 3, 4.5)), "{{1, 2}, {3, 4.5}}"},
        {formatted("%@", none), "(null)"},
        {formatted("%@", std::optional<int>(5)), "5"},
        {formatted("%s|%.3s", nullText, "abcdef"), "(null)|abc"},
        {formatted("%C", char16_t(0x2014)), "\u2014"},
        {formatted("%@", nested), "(1, a, {k = YES})"},
        {formatted("%@", QStringList{"a", "b"}), "(a, b)"},
        {formatted("%f", 2), "2.000000"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.produced, c.expected);
    }
}

TEST_F(ZRLogTest, WritesJsonRecordsUnderTheStateFolder) {
    ZRLog("cannot open help page: %@", QStringLiteral("missing.html"));
    const auto lines = records();
    ASSERT_EQ(lines.size(), 1);
    const QJsonObject& record = lines.first();
    EXPECT_EQ(record.value("eventMessage").toString(), "cannot open help page: missing.html");
    EXPECT_EQ(record.value("subsystem").toString(), "com.tallowin.Skaf");
    EXPECT_EQ(record.value("messageType").toString(), "Default");
    // The log reader's predicates select "logEvent" entries.
    EXPECT_EQ(record.value("eventType").toString(), "logEvent");
    EXPECT_TRUE(record.value("processImagePath").toString().endsWith("skaf_toolkit_tests"));
    EXPECT_EQ(record.value("senderImagePath"), record.value("processImagePath"));
    static const QRegularExpression stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{6}[+-]\d{4}$)");
    EXPECT_TRUE(stamp.match(record.value("timestamp").toString()).hasMatch())
        << record.value("timestamp").toString().toStdString();
}

TEST_F(ZRLogTest, CallersTextIsNeverAFormat) {
    const QString hostile = QStringLiteral("100% %@ %s %n %d\n{\"eventMessage\": 1}");
    ZRLog("%@", hostile);
    const auto lines = records();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first().value("eventMessage").toString(), hostile);
}

TEST_F(ZRLogTest, LinesFromManyThreadsStayWhole) {
    constexpr int threads = 8;
    constexpr int linesPerThread = 200;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t] {
            for (int i = 0; i < linesPerThread; ++i)
                ZRLog("thread %d line %d %@", t, i, QString(64, u'x'));
        });
    }
    for (auto& worker : workers)
        worker.join();
    const auto lines = records();
    ASSERT_EQ(lines.size(), threads * linesPerThread);
    QSet<QString> messages;
    for (const auto& record : lines)
        messages.insert(record.value("eventMessage").toString());
    EXPECT_EQ(messages.size(), threads * linesPerThread);
}

TEST_F(ZRLogTest, TheReaderTakesOverOnFirstUse) {
    auto reader = std::make_shared<RecordingReader>();
    int made = 0;
    ZRLogReaderSettings given;
    ZRSetLogReaderFactory([&](const ZRLogReaderSettings& settings) {
        ++made;
        given = settings;
        return reader;
    });
    EXPECT_EQ(made, 0);
    ZRLog("[ILR] cannot save log: %@", QStringLiteral("no entries"));
    ZRLog("second");
    EXPECT_EQ(made, 1);
    EXPECT_EQ(given.debugLoggingUserDefaultName, "ZRDebugLog");
    EXPECT_TRUE(static_cast<bool>(given.menuItemActionImageSetter));
    EXPECT_EQ(reader->lines(), QStringList({"[ILR] cannot save log: no entries", "second"}));
    EXPECT_TRUE(records().isEmpty());

    EXPECT_TRUE(ZRDebugLogReaderExists());
    QObject sender;
    EXPECT_TRUE(ZRDisplayDebugLog(&sender));
    EXPECT_EQ(reader->displayedFor, QList<QObject*>{&sender});
}

TEST_F(ZRLogTest, TheReaderIsMadeOnTheMainThreadOnly) {
    auto reader = std::make_shared<RecordingReader>();
    int made = 0;
    ZRSetLogReaderFactory([&](const ZRLogReaderSettings&) {
        ++made;
        return reader;
    });
    std::thread([] {
        ZRLog("from a worker");
        EXPECT_FALSE(ZRDebugLogReaderExists());
    }).join();
    EXPECT_EQ(made, 0);
    ZRLog("from the main thread");
    EXPECT_EQ(made, 1);
    EXPECT_EQ(reader->lines(), QStringList{"from the main thread"});
    std::thread([] { ZRLog("from a worker again"); }).join();
    EXPECT_EQ(reader->lines(), QStringList({"from the main thread", "from a worker again"}));
    ASSERT_EQ(records().size(), 1);
    EXPECT_EQ(records().first().value("eventMessage").toString(), "from a worker");
}

TEST_F(ZRLogTest, AReaderThatLogsWhileItIsMadeDoesNotWaitOnItself) {
    auto reader = std::make_shared<RecordingReader>();
    ZRSetLogReaderFactory([&](const ZRLogReaderSettings&) {
        ZRLog("[ILR] starting");
        return reader;
    });
    ZRLog("first");
    const auto lines = records();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first().value("eventMessage").toString(), "[ILR] starting");
    EXPECT_EQ(reader->lines(), QStringList{"first"});
}

TEST_F(ZRLogTest, WithoutReaderLinesGoToTheSystemLog) {
    int made = 0;
    ZRSetLogReaderFactory([&](const ZRLogReaderSettings&) {
        ++made;
        return std::shared_ptr<ZRLogReader>();
    });
    EXPECT_FALSE(ZRDebugLogReaderExists());
    EXPECT_FALSE(ZRDisplayDebugLog(nullptr));
    ZRLog("still written");
    EXPECT_EQ(made, 1);
    const auto lines = records();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first().value("eventMessage").toString(), "still written");
}

TEST_F(ZRLogTest, PlatformLinesJoinTheLog) {
    ZRInstallPlatformLogSink();
    platformLog(QStringLiteral("cannot grab key 5%"));
    const auto lines = records();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first().value("eventMessage").toString(), "cannot grab key 5%");
}

TEST_F(ZRLogTest, AnUnwritableFolderLosesLinesQuietly) {
    QFile blocker(directory.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ZRSystemLog::shared().setFilePath(directory.filePath("blocker/Skaf/Skaf.jsonl"));
    ZRLog("nowhere to go");
    EXPECT_FALSE(QFile::exists(ZRSystemLog::shared().filePath()));
}

TEST_F(ZRLogTest, AFullLogIsMovedAsideWhileTheProgramRuns) {
    const QString path = ZRSystemLog::shared().filePath();
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile full(path);
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    ASSERT_TRUE(full.resize(ZRSystemLog::MaximumFileSize - 1));
    full.close();

    ZRLog("fills the log");
    ZRLog("starts a new one");
    const auto lines = records();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_EQ(lines.first().value("eventMessage").toString(), "starts a new one");
    EXPECT_GT(QFileInfo(path + ".1").size(), ZRSystemLog::MaximumFileSize);
}

TEST_F(ZRLogTest, AVeryLongMessageKeepsItsEndsAndLeavesTheLogInPlace) {
    constexpr qsizetype limit = ZRSystemLog::MaximumMessageLength;
    const QString emoji = QStringLiteral("\U0001F600");
    const struct {
        const char* what;
        QString message;
        QString start, end;
    } cases[] = {
        {"at the limit", QString(limit, u'a'), QString(limit, u'a'), QString(limit, u'a')},
        {"a megabyte", QString(limit / 2, u'a') + QString(1 << 20, u'/') + QString(limit / 2, u'z'),
         QString(limit / 2, u'a'), QString(limit / 2, u'z')},
        // The cuts fall inside a character of two code units: it is kept whole or left out whole.
        {"cut inside characters",
         QString(limit / 2 - 1, u'a') + emoji + QString(limit, u'/') + emoji + QString(limit / 2 - 1, u'z'),
         QString(limit / 2 - 1, u'a'), QString(limit / 2 - 1, u'z')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ZRSystemLog::shared().setFilePath(directory.filePath(QString::fromLatin1(c.what) + "/Skaf.jsonl"));
        // More than enough to fill the log, were the messages kept whole.
        for (int i = 0; i < 10 && c.message.size() > limit; ++i)
            ZRSystemLog::shared().write(c.message);
        ZRSystemLog::shared().write(c.message);
        EXPECT_FALSE(QFile::exists(ZRSystemLog::shared().filePath() + ".1"));
        const auto lines = records();
        ASSERT_FALSE(lines.isEmpty());
        const QString written = lines.last().value("eventMessage").toString();
        EXPECT_LE(written.size(), limit + 64);
        EXPECT_TRUE(written.startsWith(c.start));
        EXPECT_TRUE(written.endsWith(c.end));
        if (c.message.size() > limit) {
            EXPECT_TRUE(written.contains(QStringLiteral(" characters left out] ")));
            EXPECT_FALSE(written.contains(QChar(QChar::ReplacementCharacter)));
        } else {
            EXPECT_EQ(written, c.message);
        }
    }
}

TEST(ZRSystemLogPath, FollowsXdgStateHome) {
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    qputenv("XDG_STATE_HOME", "/tmp/state-home");
    EXPECT_EQ(ZRSystemLog::defaultFilePath(), "/tmp/state-home/Skaf/Skaf.jsonl");
    qputenv("XDG_STATE_HOME", "relative/path");
    EXPECT_TRUE(ZRSystemLog::defaultFilePath().endsWith("/.local/state/Skaf/Skaf.jsonl"));
    qputenv("XDG_STATE_HOME", saved);
}

} // namespace
