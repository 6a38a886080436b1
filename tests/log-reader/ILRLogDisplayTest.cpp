#include "TestApplication.h"

#include "log-reader/ILRLogDateFormatter.h"
#include "log-reader/ILRLogDisplay.h"
#include "platform/foundation/LogTimestamp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTextDocument>
#include <random>

namespace {

constexpr qint64 Second = LogTimestamp::MicrosecondsPerSecond;

class ILRLogDisplayTest : public ::testing::Test {
protected:
    ILRLogDisplayTest() { testApplication<QApplication>(); }

    ILRLogEntry entry(const QString& message, qint64 date, const QString& process = "/Apps/App",
                      const QString& sender = {}) const {
        ILRLogEntry e;
        e.eventMessage = message;
        e.date = date;
        e.processImagePath = process;
        e.senderImagePath = sender.isEmpty() ? process : sender;
        e.displayTime = ILRLogDateFormatter::shared().displayTime(date);
        return e;
    }
    QString text(const ILRLogDisplay::Entries& entries, ILRLogDisplay::Options options) const {
        options.todayPrefix = today;
        // The raw text keeps the line separator inside a message apart from the paragraphs.
        return ILRLogDisplay(entries, options)
            .document()
            ->toRawText()
            .replace(QChar::ParagraphSeparator, u'\n');
    }
    QString time(qint64 date) const {
        return ILRLogDateFormatter::shared().displayTime(date).mid(today.size());
    }

    const qint64 noon = LogTimestamp::now();
    const QString today = ILRLogDateFormatter::shared().dayPrefix(noon);
};

TEST_F(ILRLogDisplayTest, LinesShowTimeSenderMessageAndRepeats) {
    const auto a = entry("hello", noon);
    const QString t = time(noon);
    ILRLogDisplay::Options plain;
    ILRLogDisplay::Options withMarker;
    withMarker.archiveInsertionIndex = 2;
    ILRLogDisplay::Options uncoalesced;
    uncoalesced.coalesce = false;
    ILRLogDisplay::Options noSenders;
    noSenders.showSenders = false;
    ILRLogDisplay::Options hiding;
    hiding.hiddenPrefixes = {"[Debug] ", "hel"};
    const qint64 lastYear = noon - 400LL * 86400 * Second;
    struct Case {
        const char* name;
        ILRLogDisplay::Entries entries;
        ILRLogDisplay::Options options;
        QString expected;
    };
    const Case cases[] = {
        {"three repeats, one line", {a, a, a}, plain, t + " | App: hello (×3)"},
        {"without coalescing", {a, a, a}, uncoalesced, QString(t + " | App: hello\n").repeated(3).chopped(1)},
        {"a repeat at the insertion index",
         {a, a, a},
         withMarker,
         t + " | App: hello (×2)\n👀\n" + t + " | App: hello"},
        {"marker at the end", {a, a}, withMarker, t + " | App: hello (×2)\n👀"},
        {"two lines", {entry("one\ntwo", noon)}, plain, t + " | App: one\u2028two"},
        {"a library's message", {entry("x", noon, "/Apps/App", "/Libs/Lib")}, plain, t + " | App > Lib: x"},
        {"a sender alone", {entry("x", noon, "", "/Libs/Lib")}, plain, t + " | Lib: x"},
        {"senders hidden", {entry("x", noon, "/Apps/App", "/Libs/Lib")}, noSenders, t + ": x"},
        {"another day",
         {entry("x", lastYear)},
         noSenders,
         ILRLogDateFormatter::shared().displayTime(lastYear) + ": x"},
        {"no date", {entry("x", ILRDistantPast)}, noSenders, "?: x"},
        {"empty messages are skipped but break no run",
         {a, entry("", noon), a},
         plain,
         t + " | App: hello (×2)"},
        {"hidden prefixes", {entry("[Debug] hello there", noon)}, hiding, t + " | App: lo there"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(text(c.entries, c.options), c.expected);
    }
    EXPECT_TRUE(ILRLogDateFormatter::shared().displayTime(lastYear).contains(u" — "));
}

TEST_F(ILRLogDisplayTest, HeadersSayHowFarBackTheLogReaches) {
    const std::pair<int, QString> cases[] = {{-1, "⇤ 12:00…"},
                                             {0, "⇤ 1 hour before 12:00…"},
                                             {1, "⇤ 1 day before 12:00…"},
                                             {14, "⇤ 14 days before 12:00…"}};
    for (const auto& [days, expected] : cases)
        EXPECT_EQ(ILRLogDisplay::headerText(days, "12:00"), expected);
    ILRLogDisplay::Options options;
    options.header = ILRLogDisplay::headerText(-1, "12:00");
    EXPECT_EQ(text({entry("x", noon)}, options), "⇤ 12:00…\n" + time(noon) + " | App: x");
}

// Live entries are added to the shown text; the text must be the one a whole rebuild gives.
TEST_F(ILRLogDisplayTest, GrowingTheTextGivesWhatRebuildingItGives) {
    std::mt19937 random(11);
    const QStringList messages{"a", "b", "", "two\nlines"};
    const QStringList processes{"/p/App", "/p/Other"};
    for (int round = 0; round < 200; ++round) {
        ILRLogDisplay::Entries entries;
        const int count = int(random() % 12);
        for (int i = 0; i < count; ++i)
            entries.push_back(entry(messages[random() % messages.size()], noon + i,
                                    processes[random() % processes.size()],
                                    random() % 3 == 0 ? QString("/lib/Lib") : QString()));
        ILRLogDisplay::Options options;
        options.todayPrefix = today;
        options.coalesce = random() % 4 != 0;
        options.showSenders = random() % 4 != 0;
        options.header = random() % 2 ? QString("⇤ header…") : QString();
        const auto split = std::size_t(random() % (entries.size() + 1));
        ILRLogDisplay grown(ILRLogDisplay::Entries(entries.begin(), entries.begin() + std::ptrdiff_t(split)),
                            options);
        ASSERT_TRUE(grown.canAppend());
        for (std::size_t step = split; step < entries.size(); ++step)
            grown.append(ILRLogDisplay::Entries(entries.begin(), entries.begin() + std::ptrdiff_t(step + 1)));
        const ILRLogDisplay whole(entries, options);
        ASSERT_EQ(grown.document()->toHtml(), whole.document()->toHtml()) << round;
        ASSERT_EQ(grown.shownCount(), qsizetype(entries.size()));
    }
}

} // namespace
