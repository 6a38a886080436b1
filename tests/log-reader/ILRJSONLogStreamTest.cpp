#include "LogReaderTestSupport.h"

#include "log-reader/ILRJSONLogStream.h"
#include "log-reader/ILRToolOutputReader.h"

#include <QJsonArray>

namespace {

using namespace LogReaderTest;

// Feeds the pieces to a stream and answers the messages of each batch it handed on.
std::vector<QStringList> batchesOf(const QList<QByteArray>& pieces) {
    std::vector<QStringList> batches;
    ILRJSONLogStream stream([&](std::vector<ILRLogEntry>& entries) {
        QStringList batch;
        for (const ILRLogEntry& entry : entries)
            batch << entry.eventMessage;
        batches.push_back(batch);
        return true;
    });
    for (const QByteArray& piece : pieces)
        stream.readabilityHandler(piece);
    return batches;
}

QJsonObject object(const QString& message) {
    return toolObject(message, ClockBase);
}

class ILRJSONLogStreamTest : public Fixture {};

// The fields of an entry as the reader read them, or as Qt's reader finds them in an object.
QStringList fieldsOf(const ILRLogEntry& entry) {
    return {entry.eventMessage, entry.processImagePath, entry.senderImagePath, entry.subsystem,
            entry.unreadableTimestamp};
}
QStringList fieldsOf(const QJsonObject& object) {
    return {object.value("eventMessage").toString(), object.value("processImagePath").toString(),
            object.value("senderImagePath").toString(), object.value("subsystem").toString(),
            object.value("timestamp").toString()};
}

// The reader stands in for QJsonDocument: whatever it takes, refuses and reads, Qt's reader does too.
TEST(ILRToolOutputReader, TakesAndReadsWhatQtsJsonReaderDoes) {
    const QByteArray deep = QByteArray(1023, '[') + QByteArray(1023, ']');
    const QByteArray tooDeep = QByteArray(1024, '[') + QByteArray(1024, ']');
    const QByteArray values[] = {
        R"("plain")",
        R"("escapes \u00e9\n\t\"\\\/ \ud83d\ude00 \ud800 \x")",
        "\"control \x01 and\nline\"",
        "\"\xc3\xa9 \xf0\x9f\x98\x80\"",
        "\"\xc3\x28\"",
        "\"\xc0\xaf\"",
        "\"\xed\xa0\x80\"",
        "\"\xf4\x90\x80\x80\"",
        "\"\\\xc3\xa9\"",
        R"("\u12")",
        ".5",
        "1.",
        "-",
        "1e999",
        "1e-999",
        "01",
        "-0",
        "123456789012345678901234567890",
        "1.000",
        "true",
        "tru",
        "null",
        "nul",
        "[1, {\"a\": [true]}]",
        "[1,]",
        "{\"a\":1,}",
        deep,
        tooDeep,
    };
    for (const QByteArray& value : values) {
        const QByteArray texts[] = {
            "{\"eventMessage\": " + value + ", \"subsystem\": \"s\"}",
            "{\"eventMessage\": \"first\", \"eventMessage\": " + value + "}",
            "{\"event\\u004dessage\": " + value + "}",
            "{\"timestamp\": " + value + "}",
            "{\"other\": " + value + ", \"processImagePath\": \"/p\"}",
        };
        for (const QByteArray& text : texts) {
            SCOPED_TRACE(text.toStdString());
            ILRToolOutputReader reader;
            std::vector<ILRLogEntry> entries;
            const QJsonDocument object = QJsonDocument::fromJson(text);
            ASSERT_EQ(reader.readObject(text, entries), object.isObject());
            if (object.isObject()) {
                EXPECT_EQ(fieldsOf(entries.at(0)), fieldsOf(object.object()));
            }
            // The same object among others, and the value itself as an element of the array; what was
            // there before stays, and nothing is added to it when the whole is refused.
            for (const QByteArray& elements : QByteArrayList{text + ",\n" + text + ", 7", value + ",{}"}) {
                std::vector<ILRLogEntry> read(1);
                const QJsonDocument array = QJsonDocument::fromJson("[" + elements + "]");
                ASSERT_EQ(reader.readElements(elements, read), array.isArray()) << elements.toStdString();
                std::size_t objects = 1;
                for (const QJsonValue& element : array.array())
                    objects += element.isObject() ? 1 : 0;
                EXPECT_EQ(read.size(), objects);
            }
        }
    }
}

TEST(ILRJSONLogStream, CutsTheToolsAnswerIntoBatchesOfWholeEntries) {
    const QByteArray two = toolAnswer({object("one"), object("two")});
    const qsizetype middleOfSecond = two.indexOf("two") - 10;
    QJsonObject braced = object("preamble");
    struct Case {
        const char* name;
        QList<QByteArray> pieces;
        std::vector<QStringList> batches;
    };
    const Case cases[] = {
        {"one chunk", {two}, {{"one", "two"}}},
        {"split in the second object",
         {two.left(middleOfSecond), two.mid(middleOfSecond)},
         {{"one"}, {"two"}}},
        {"no object end", {"Filtering the log data\n[{\n  \"eventMessage\" : \"x\""}, {}},
        {"a preamble with braces", {"Filtering {\"a\":1\n}\n" + two}, {{"one", "two"}}},
        {"an empty answer", {"Filtering the log data\n[]\n"}, {}},
        {"a malformed object between good ones",
         {toolAnswer({object("good"), QJsonObject{{"eventMessage", "bad"}}}).replace("\"bad\"", "bad"),
          ",{\n  \"eventMessage\" : \"later\"\n}"},
         {{"good"}, {"later"}}},
        {"a malformed object first", {"[{\n  broken\n},{\n  \"eventMessage\" : \"after\"\n}"}, {{"after"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(batchesOf(c.pieces), c.batches);
    }

    // After the first batch the header step no longer runs: an array start in a message stays.
    const auto later = batchesOf({two, ",{\n  \"eventMessage\" : \"x\\n[{\"\n}"});
    ASSERT_EQ(later.size(), 2u);
    EXPECT_EQ(later[1], QStringList{"x\n[{"});
}

TEST(ILRJSONLogStream, AnyCutGivesTheSameEntriesInOrder) {
    QList<QJsonObject> objects;
    for (int i = 0; i < 5; ++i)
        objects << toolObject(QStringLiteral("message %1 with \"quotes\" and {braces}\n}").arg(i),
                              ClockBase + i);
    const QByteArray answer = toolAnswer(objects);
    const QStringList expected{
        "message 0 with \"quotes\" and {braces}\n}", "message 1 with \"quotes\" and {braces}\n}",
        "message 2 with \"quotes\" and {braces}\n}", "message 3 with \"quotes\" and {braces}\n}",
        "message 4 with \"quotes\" and {braces}\n}"};
    for (qsizetype cut = 0; cut <= answer.size(); ++cut) {
        for (qsizetype second = cut; second <= answer.size(); second += 37) {
            QStringList all;
            for (const QStringList& batch :
                 batchesOf({answer.left(cut), answer.mid(cut, second - cut), answer.mid(second)}))
                all += batch;
            ASSERT_EQ(all, expected) << cut << " " << second;
        }
    }
}

TEST(ILRJSONLogStream, OutputThatNeverEndsAnObjectIsDroppedBeyondTheLimit) {
    std::vector<QStringList> batches;
    ILRJSONLogStream stream([&](std::vector<ILRLogEntry>& entries) {
        batches.push_back({entries.front().eventMessage});
        return true;
    });
    stream.readabilityHandler("[{\n  \"eventMessage\" : \"" +
                              QByteArray(ILRJSONLogStream::MaximumDataStoreBytes, 'x'));
    stream.readabilityHandler("\"\n},{\n  \"eventMessage\" : \"next\"\n}");
    EXPECT_EQ(batches, (std::vector<QStringList>{{"next"}}));
}

TEST_F(ILRJSONLogStreamTest, AWaitingStreamStopsTheToolOnNoAndReadsAQuickOneToTheEnd) {
    // The tool writes one object at a time, as the reader takes them.
    desktop.processes().scriptChild(
        SimProcesses::LogToolPath, [](const std::shared_ptr<SimChildProcess>& child) {
            auto written = std::make_shared<int>(0);
            child->setWhenDrained([written](SimChildProcess& child) {
                child.write((*written == 0 ? "[" : ",") + QJsonDocument(object(QString::number(*written)))
                                                              .toJson(QJsonDocument::Indented)
                                                              .chopped(1));
                ++*written;
            });
        });
    QStringList seen;
    ILRJSONLogStream::waitForStreamWithArguments(desktop.processes(), {"show"},
                                                 [&](std::vector<ILRLogEntry>& entries) {
                                                     seen << entries.front().eventMessage;
                                                     return seen.size() < 3;
                                                 });
    EXPECT_EQ(seen, (QStringList{"0", "1", "2"}));
    EXPECT_TRUE(desktop.processes().children(SimProcesses::LogToolPath).back()->wasStopped());

    // A tool that writes everything and ends at once: its last batch is not lost.
    desktop.processes().scriptChild(SimProcesses::LogToolPath,
                                    [](const std::shared_ptr<SimChildProcess>& child) {
                                        child->write(toolAnswer({object("first"), object("last")}));
                                        child->exit(0);
                                    });
    seen.clear();
    ILRJSONLogStream::waitForStreamWithArguments(desktop.processes(), {"show"},
                                                 [&](std::vector<ILRLogEntry>& entries) {
                                                     for (const auto& entry : entries)
                                                         seen << entry.eventMessage;
                                                     return true;
                                                 });
    EXPECT_EQ(seen, (QStringList{"first", "last"}));

    // A handler may end and release the live stream it is called from; the rest is not delivered.
    desktop.processes().scriptChild(SimProcesses::LogToolPath,
                                    [](const std::shared_ptr<SimChildProcess>&) {});
    std::shared_ptr<ILRJSONLogStream> live;
    int batches = 0;
    live = ILRJSONLogStream::initWithArguments(
        desktop.processes(), {"stream"},
        [&](std::vector<ILRLogEntry>&) {
            ++batches;
            live->terminate();
            live.reset();
            return true;
        },
        false);
    ASSERT_NE(live, nullptr);
    desktop.processes()
        .children(SimProcesses::LogToolPath)
        .back()
        ->write(toolAnswer({object("one"), object("two"), object("three")}, false));
    RunLoop::main().runPending();
    EXPECT_EQ(batches, 1);

    desktop.processes().script(SimProcesses::LogToolPath, SimProgramBehaviour{0, {}, {}, true, false, false});
    EXPECT_EQ(ILRJSONLogStream::initWithArguments(
                  desktop.processes(), {"stream"}, [](auto&) { return true; }, false),
              nullptr);
}

} // namespace
