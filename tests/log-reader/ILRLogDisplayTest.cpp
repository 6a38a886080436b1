#include "TestApplication.h"

#include "log-reader/ILRLogDateFormatter.h"
#include "log-reader/ILRLogDisplay.h"
#include "log-reader/ILRLogTextLayout.h"
#include "platform/foundation/LogTimestamp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <random>

namespace {

constexpr qint64 Second = LogTimestamp::MicrosecondsPerSecond;

// The text as shown, its dim parts in ‹›, its paragraphs a line each (line separators stay).
QString shown(const ILRLogDisplay& display) {
    QStringList lines;
    for (QTextBlock block = display.document()->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        QString line;
        qsizetype at = 0;
        for (const auto& [start, length] : ILRLogTextLayout::dimParts(block)) {
            line += text.mid(at, start - at) + "‹" + text.mid(start, length) + "›";
            at = start + length;
        }
        lines << line + text.mid(at);
    }
    return lines.join(u'\n');
}

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
        return shown(ILRLogDisplay(entries, options));
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
        {"three repeats, one line", {a, a, a}, plain, "‹" + t + " | App: ›hello‹ (×3)›"},
        {"without coalescing",
         {a, a, a},
         uncoalesced,
         QString("‹" + t + " | App: ›hello\n").repeated(3).chopped(1)},
        {"a repeat at the insertion index",
         {a, a, a},
         withMarker,
         "‹" + t + " | App: ›hello‹ (×2)›\n‹👀›\n‹" + t + " | App: ›hello"},
        {"marker at the end", {a, a}, withMarker, "‹" + t + " | App: ›hello‹ (×2)›\n‹👀›"},
        {"two lines", {entry("one\ntwo", noon)}, plain, "‹" + t + " | App: ›one\u2028two"},
        {"other breaks stay within the line",
         {entry("one\r\ntwo\u2029three", noon)},
         plain,
         "‹" + t + " | App: ›one\u2028\u2028two\u2028three"},
        {"a library's message",
         {entry("x", noon, "/Apps/App", "/Libs/Lib")},
         plain,
         "‹" + t + " | App > Lib: ›x"},
        {"a sender alone", {entry("x", noon, "", "/Libs/Lib")}, plain, "‹" + t + " | Lib: ›x"},
        {"senders hidden", {entry("x", noon, "/Apps/App", "/Libs/Lib")}, noSenders, "‹" + t + ": ›x"},
        {"another day",
         {entry("x", lastYear)},
         noSenders,
         "‹" + ILRLogDateFormatter::shared().displayTime(lastYear) + ": ›x"},
        {"no date", {entry("x", ILRDistantPast)}, noSenders, "‹?: ›x"},
        {"empty messages are skipped but break no run",
         {a, entry("", noon), a},
         plain,
         "‹" + t + " | App: ›hello‹ (×2)›"},
        {"hidden prefixes", {entry("[Debug] hello there", noon)}, hiding, "‹" + t + " | App: ›lo there"},
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
    for (const auto& [days, expected] : cases) {
        EXPECT_EQ(ILRLogDisplay::headerText(days, "12:00"), expected);
    }
    ILRLogDisplay::Options options;
    options.header = ILRLogDisplay::headerText(-1, "12:00");
    EXPECT_EQ(text({entry("x", noon)}, options), "‹⇤ 12:00…›\n‹" + time(noon) + " | App: ›x");
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
        ASSERT_EQ(shown(grown), shown(whole)) << round;
        ASSERT_EQ(grown.document()->toHtml(), whole.document()->toHtml()) << round;
        ASSERT_EQ(grown.shownCount(), qsizetype(entries.size()));
    }
}

class ILRLogTextLayoutTest : public ILRLogDisplayTest {
protected:
    static ILRLogTextLayout& layoutOf(const ILRLogDisplay& display) {
        return *qobject_cast<ILRLogTextLayout*>(display.document()->documentLayout());
    }
    static void settle() {
        QApplication::processEvents();
        QApplication::processEvents();
    }
};

// A long log costs only what is seen; a view kept at its end shows its last line, a live one too, and
// what is found far back is shown where the pointer finds it.
TEST_F(ILRLogTextLayoutTest, ALongLogIsLaidOutWhereItIsSeen) {
    ILRLogDisplay::Entries entries;
    // Wide letters: lines out of sight are taken to be narrower than they are.
    for (int i = 0; i < 20000; ++i)
        entries.push_back(entry(
            i % 7 ? QString("message %1").arg(i) : QString("WMW WMW %1 ").arg(i).repeated(12), noon + i));
    ILRLogDisplay::Options options;
    options.todayPrefix = today;
    ILRLogDisplay display(entries, options);
    QTextDocument& document = *display.document();
    const ILRLogTextLayout& layout = layoutOf(display);
    QTextEdit view;
    view.resize(500, 300);
    view.setDocument(&document);
    view.show();
    settle();
    QScrollBar& bar = *view.verticalScrollBar();
    bar.setValue(bar.maximum());
    settle();
    EXPECT_LT(layout.laidOutBlockCount(), 400);
    const QPoint bottom(20, view.viewport()->height() - 8);
    EXPECT_EQ(bar.value(), bar.maximum());
    EXPECT_EQ(layout.blockBoundingRect(document.lastBlock()).bottom() + document.documentMargin(),
              layout.documentSize().height());
    EXPECT_EQ(view.cursorForPosition(bottom).block(), document.lastBlock());

    const int laidOut = layout.laidOutBlockCount();
    entries.push_back(entry("live", noon + 20000));
    display.append(entries);
    bar.setValue(bar.maximum());
    settle();
    EXPECT_LE(layout.laidOutBlockCount(), laidOut + 1);
    EXPECT_TRUE(view.cursorForPosition(bottom).block().text().endsWith(": live"));

    ASSERT_TRUE(view.find("message 9001"));
    settle();
    const QRect found = view.cursorRect();
    EXPECT_TRUE(view.viewport()->rect().contains(found.center()));
    EXPECT_EQ(view.cursorForPosition(found.center()).position(), view.textCursor().position());
}

// Lines after the first of a paragraph hang from the head indent, paragraphs stand apart, and times are
// drawn dim beside the message.
TEST_F(ILRLogTextLayoutTest, ParagraphsHangTheirIndentAndDrawTheirPartsDim) {
    ILRLogDisplay::Options options;
    options.todayPrefix = today;
    options.normalColor = Qt::black;
    options.dimColor = QColor(160, 160, 160);
    ILRLogDisplay display({entry(QString("words that wrap, ").repeated(8), noon), entry("x", noon)}, options);
    QTextDocument& document = *display.document();
    QTextEdit view;
    view.resize(240, 200);
    view.setDocument(&document);
    view.show();
    settle();
    const QTextBlock first = document.begin();
    const QRectF bounds = layoutOf(display).blockBoundingRect(first);
    const QTextLayout& lines = *first.layout();
    ASSERT_GT(lines.lineCount(), 1);
    const qreal margin = document.documentMargin();
    EXPECT_EQ(lines.lineAt(0).x(), margin);
    EXPECT_EQ(lines.lineAt(1).x(), margin + 20);
    qreal height = 5;
    for (int i = 0; i < lines.lineCount(); ++i)
        height += lines.lineAt(i).height();
    EXPECT_EQ(bounds.height(), height);
    EXPECT_EQ(layoutOf(display).blockBoundingRect(first.next()).top(), bounds.bottom());

    // A place on a later line is found again where it is drawn.
    QTextCursor place(first);
    place.setPosition(first.position() + lines.lineAt(1).textStart() + 2);
    view.setTextCursor(place);
    const QRect drawn = view.cursorRect();
    for (const int y : {drawn.top() + 1, drawn.center().y(), drawn.bottom() - 1}) {
        EXPECT_EQ(view.cursorForPosition(QPoint(drawn.center().x(), y)).position(), place.position()) << y;
    }

    // The darkest pixel of the time is the dim colour's, of the message the normal one's.
    const QImage image = view.viewport()->grab().toImage();
    const int split = int(lines.lineAt(0).cursorToX(ILRLogTextLayout::dimParts(first).at(0).second));
    const auto darkest = [&](int left, int right) {
        int value = 255;
        for (int y = int(bounds.top()); y < int(bounds.top() + lines.lineAt(0).height()); ++y)
            for (int x = left; x < right; ++x)
                value = std::min(value, qGray(image.pixel(x, y)));
        return value;
    };
    EXPECT_GE(darkest(int(margin), split - 2), 150);
    EXPECT_LE(darkest(split + 2, int(lines.lineAt(0).naturalTextWidth())), 40);
}

} // namespace
