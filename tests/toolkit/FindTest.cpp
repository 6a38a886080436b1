#include "toolkit/TextFinding.h"
#include "toolkit/ZRFindBar.h"
#include "toolkit/ZRFindPasteboard.h"

#include "WidgetTestSupport.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

class FindTest : public WidgetTest {
protected:
    ZRFindPasteboard findPasteboard;
};

TEST_F(FindTest, FindingWrapsBothWaysAndLeavesTheSelectionWhenTheTextIsAbsent) {
    QTextEdit view;
    view.setPlainText(QStringLiteral("alpha beta ALPHA gamma"));
    struct Case {
        int cursor;
        bool backwards;
        QString text;
        bool found;
        int selectionStart;
    };
    const Case cases[] = {
        {0, false, "alpha", true, 0},  // from the start
        {3, false, "alpha", true, 11}, // case ignored
        {15, false, "alpha", true, 0}, // past the last one: wraps to the first
        {15, true, "alpha", true, 11}, // backwards from inside the last one
        {2, true, "gamma", true, 17},  // backwards past the start: wraps to the end
        {4, false, "delta", false, 4}, // absent: nothing moves
        {4, false, "", false, 4},      // nothing to find
    };
    for (const Case& c : cases) {
        QTextCursor cursor(view.document());
        cursor.setPosition(c.cursor);
        view.setTextCursor(cursor);
        EXPECT_EQ(ZRFindInTextView(&view, c.text, c.backwards), c.found) << c.text.toStdString() << c.cursor;
        EXPECT_EQ(view.textCursor().selectionStart(), c.selectionStart) << c.text.toStdString() << c.cursor;
    }
}

TEST_F(FindTest, FindBarsShareTheFindStringAndAskTheirOwner) {
    findPasteboard.setString(QStringLiteral("before"));
    ZRFindBar first(findPasteboard);
    ZRFindBar second(findPasteboard);
    EXPECT_EQ(first.searchField()->text(), "before");

    QSignalSpy searches(&first, &ZRFindBar::searchRequested);
    QSignalSpy done(&first, &ZRFindBar::doneRequested);
    first.searchField()->clear();
    QTest::keyClicks(first.searchField(), "resiz");
    EXPECT_EQ(findPasteboard.string(), "resiz");
    EXPECT_EQ(second.searchField()->text(), "resiz") << "the other window's bar shows the new string";

    QTest::keyClick(first.searchField(), Qt::Key_Return);
    ASSERT_EQ(searches.size(), 1);
    EXPECT_EQ(searches.at(0).at(0).toString(), "resiz");
    QTest::keyClick(first.searchField(), Qt::Key_Escape);
    EXPECT_EQ(done.size(), 1);
    EXPECT_EQ(first.height(), ZRFindBar::Height);
}

} // namespace
