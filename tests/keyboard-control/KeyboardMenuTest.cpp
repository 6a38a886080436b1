// The keyboard menu panel on the simulated desktop: its sizes, its navigation, its keys, clicks and
// wheel, and the keyboard it takes and gives back on every way out.
#include "KeyboardMenuTestSupport.h"

#include <QWheelEvent>
#include <cmath>

namespace {

TEST_F(KeyboardMenuTest, AStoredLineHeightIsEvenAtLeast20AndKeptWithinIntegerGeometry) {
    const std::pair<double, double> heights[] = {{31, 32}, {7, 20}, {250, 250}, {1e300, 4096}, {NAN, 20}};
    for (const auto& [stored, lineHeight] : heights) {
        ZRKeyboardMenu::setLineHeight(stored);
        EXPECT_EQ(ZRKeyboardMenu::lineHeightForScreen(nullptr), lineHeight) << stored;
    }
    EXPECT_EQ(ZRKeyboardMenu::paddingForLineHeight(40), Size(16, 10));
    ASSERT_TRUE(popUp(numbered(3)));
    EXPECT_GT(menu().height(), 0) << "a huge line height still makes a frame";
}

TEST_F(KeyboardMenuTest, TheFrameShowsAsManyLinesAsFitHighOnTheScreen) {
    const struct {
        int rows;
        bool staticSelection;
        qsizetype lines;
    } cases[] = {{20, false, 8}, {20, true, 8}, {3, false, 4}, {3, true, 6}, {1, false, 2}, {0, false, 2}};
    const ScreenInfo info = desktop.screens().screens().front();
    for (const auto& c : cases) {
        set(setting(ZRKeyboardMenuDefaults::StaticSelection), c.staticSelection);
        qsizetype lines = 0;
        const Rect frame = ZRKeyboardMenu::frameForScreen(&info, numbered(c.rows).get(), &lines);
        EXPECT_EQ(lines, c.lines) << c.rows << (c.staticSelection ? " static" : "");
        EXPECT_EQ(frame.height(), double(lines) * LineHeight + 4 * 10);
        EXPECT_NEAR(frame.midX(), VisibleFrame.midX(), 1) << "centred";
        EXPECT_GE(frame.minY() - (VisibleFrame.minY() + 50), 3 * (VisibleFrame.maxY() - 50 - frame.maxY()))
            << "three quarters of the free height lie below the panel";
    }
    desktop.removeScreen(screen);
    EXPECT_TRUE(ZRKeyboardMenu::frameForScreen(nullptr, numbered(3).get()).isZero());
    EXPECT_FALSE(ZRKeyboardMenu::popUpWithEntryItem(numbered(3), nullptr)) << "no screen shows nothing";
    EXPECT_FALSE(ZRKeyboardMenu::isVisible());
    EXPECT_EQ(keyboardHolder(), 0u);
}

TEST_F(KeyboardMenuTest, StepsPassOverSeparatorsAndLabelsAndWrapOnlyWhenAsked) {
    const auto root = tree({"A", "-", "#Header", "B", "C>", "C1", "<", "D"});
    ASSERT_TRUE(popUp(root, this));
    const struct {
        Qt::Key key;
        bool loop;
        const char* selected;
    } steps[] = {{Qt::Key_Down, false, "B"}, {Qt::Key_Up, false, "A"},       {Qt::Key_Up, false, "A"},
                 {Qt::Key_Up, true, "D"},    {Qt::Key_PageDown, false, "D"}, {Qt::Key_Down, true, "A"}};
    for (const auto& step : steps) {
        set(setting(ZRKeyboardMenuDefaults::Loop), step.loop);
        key(step.key);
        EXPECT_EQ(selectedTitle(), step.selected) << step.key;
    }
    set(setting(ZRKeyboardMenuDefaults::Loop), false);
    ZRKeyboardMenu::selectItemAtIndex(5);
    EXPECT_TRUE(ZRKeyboardMenu::cycleWithReference(this)) << "cycling wraps even without looping";
    EXPECT_EQ(selectedTitle(), "A");
    EXPECT_FALSE(ZRKeyboardMenu::cycleWithReference(&chosen));
    set(setting(ZRKeyboardMenuDefaults::DisableCycling), true);
    EXPECT_FALSE(ZRKeyboardMenu::cycleWithReference(this));
    for (const qsizetype index : {-1, 6, 1}) {
        EXPECT_FALSE(ZRKeyboardMenu::selectItemAtIndex(index)) << index;
    }
}

TEST_F(KeyboardMenuTest, FoldersOpenAndActionsRunOnlyWhenChosen) {
    const auto root = tree({"A", "C>", "C1", "C2"});
    ASSERT_TRUE(popUp(root));
    key(Qt::Key_Right);
    EXPECT_EQ(menu().currentParent(), root.get()) << "the right arrow never performs";
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_EQ(menu().currentParent()->title(), "C");
    key(Qt::Key_Left);
    EXPECT_EQ(selectedTitle(), "C") << "the level left is selected in its parent";
    key(Qt::Key_Space);
    key(Qt::Key_Down);
    key(Qt::Key_Space);
    EXPECT_EQ(chosen, QStringList{"C2"});
    EXPECT_FALSE(ZRKeyboardMenu::isVisible());
    ASSERT_TRUE(popUp(root->children()[1]->children()[0]));
    EXPECT_EQ(menu().currentParent()->title(), "C") << "an entry without children opens the level it is in";
}

TEST_F(KeyboardMenuTest, TypeSelectRefinesItsQueryUntilItMatchesNothingOrWaits) {
    const auto root = tree({"Move", "Mode", "Open Settings", "Zoom", "C>", "C1"});
    const struct {
        int mode;
        QString keys;
        double pause; // before the last key
        const char* selected;
        bool queryStays;
    } cases[] = {
        {2, "mo", 0, "Move", true},            // the earlier of two equal matches
        {2, "mod", 0, "Mode", true},           //
        {2, "mo", 2.5, "Open Settings", true}, // "o" alone after the query was discarded
        {2, "mx", 0, "Move", false},           // no match: the query goes, the selection stays
        {2, "zm", 0, "Zoom", true},            // characters in order with gaps
        {1, "zm", 0, "Zoom", false},           // ...only when fuzzy matching is allowed
        {0, "jjk", 0, "Mode", false},          // the vi keys steer
    };
    for (const auto& c : cases) {
        set(setting(ZRKeyboardMenuDefaults::TypeSelect), c.mode);
        ASSERT_TRUE(popUp(root));
        root->children()[0]->select();
        type(c.keys.chopped(1));
        RunLoop::main().advance(c.pause);
        type(c.keys.right(1));
        EXPECT_EQ(selectedTitle(), c.selected) << c.mode << " " << c.keys.toStdString();
        EXPECT_EQ(menu().typeSelectQuery().has_value(), c.queryStays) << c.keys.toStdString();
    }
    ZRKeyboardMenu::selectItemAtIndex(4);
    type("l");
    EXPECT_EQ(menu().currentParent()->title(), "C");
    type("h");
    EXPECT_EQ(menu().currentParent(), root.get());
    type("x");
    EXPECT_FALSE(ZRKeyboardMenu::isVisible()) << "with type-select off, other letters close the menu";
}

TEST_F(KeyboardMenuTest, TheQueryIsDiscardedAfterASensibleDelay) {
    const std::pair<double, double> delays[] = {{0.5, 0.5}, {0.05, 2.0}, {NAN, 2.0}, {1e300, 2.0}};
    for (const auto& [stored, delay] : delays) {
        set(setting(ZRKeyboardMenuDefaults::TypeSelectInvalidationDelay), stored);
        ASSERT_TRUE(popUp(numbered(3)));
        type("1");
        RunLoop::main().advance(delay - 0.01);
        EXPECT_TRUE(menu().typeSelectQuery()) << stored;
        RunLoop::main().advance(0.02);
        EXPECT_FALSE(menu().typeSelectQuery()) << stored;
    }
}

TEST_F(KeyboardMenuTest, ClicksHighlightRowsWhilePressedAndChooseOnRelease) {
    const auto row = [](int row) { return QPoint(100, int(3 * 10 + LineHeight * (row + 1.5))); };
    const auto root = tree({"A", "B", "C>", "C1"});
    ASSERT_TRUE(popUp(root));
    QTest::mousePress(&menu(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(menu().mouseHighlightIndex(), ZRKeyboardMenu::NoHighlight) << "no back arrow at the top";
    QTest::mouseRelease(&menu(), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mousePress(&menu(), Qt::LeftButton, {}, row(0));
    QMouseEvent drag(QEvent::MouseMove, row(2), menu().mapToGlobal(row(2)), Qt::NoButton, Qt::LeftButton, {});
    QCoreApplication::sendEvent(&menu(), &drag);
    EXPECT_EQ(menu().mouseHighlightIndex(), 2);
    QTest::mouseRelease(&menu(), Qt::LeftButton, {}, row(2));
    EXPECT_EQ(menu().currentParent()->title(), "C");
    QTest::mouseClick(&menu(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(menu().currentParent(), root.get()) << "the back arrow climbs";
    QTest::mouseClick(&menu(), Qt::LeftButton, {}, row(1));
    EXPECT_EQ(chosen, QStringList{"B"});

    set(setting(ZRKeyboardMenuDefaults::StaticSelection), true);
    ASSERT_TRUE(popUp(numbered(20)));
    ZRKeyboardMenu::selectItemAtIndex(1);
    QTest::mousePress(&menu(), Qt::LeftButton, {}, row(2));
    EXPECT_EQ(menu().mouseHighlightIndex(), 0) << "the selected row stands in the middle of eight lines";
    QTest::mousePress(&menu(), Qt::LeftButton, {}, row(1));
    EXPECT_EQ(menu().mouseHighlightIndex(), ZRKeyboardMenu::NoHighlight) << "rows above the first are empty";
}

TEST_F(KeyboardMenuTest, SmallScrollsAddUpToOneStep) {
    ASSERT_TRUE(popUp(numbered(5)));
    const auto scroll = [this](double lines, bool inverted) {
        const QPoint delta(0, int(std::lround(lines / QApplication::wheelScrollLines() * 120)));
        QWheelEvent wheel({10, 10}, {10, 10}, {}, delta, Qt::NoButton, {}, Qt::NoScrollPhase, inverted);
        QCoreApplication::sendEvent(&menu(), &wheel);
    };
    scroll(-1.5, false);
    scroll(-1.5, false);
    EXPECT_EQ(selectedTitle(), "0");
    scroll(-1.5, false);
    EXPECT_EQ(selectedTitle(), "1") << "down on the third";
    set(setting(ZRKeyboardMenuDefaults::ScrollingGestureMovesSelection), true);
    for (int i = 0; i < 3; ++i)
        scroll(-1.5, true);
    EXPECT_EQ(selectedTitle(), "0") << "natural scrolling moves the other way";
}

TEST_F(KeyboardMenuTest, EveryWayOutGivesTheKeyboardBackAndLateEventsFindNothingToDo) {
    QWidget otherWindow;
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Escape", [&] { key(Qt::Key_Escape); }},
        {"a choice", [&] { key(Qt::Key_Return); }},
        {"a click outside",
         [&] {
             desktop.movePointer(Point(5, 5));
             desktop.pressLeftButton();
         }},
        {"close", [] { ZRKeyboardMenu::close(); }},
        {"vanishAndClose", [] { ZRKeyboardMenu::vanishAndClose(); }},
        {"another window of the program",
         [&] {
             otherWindow.show();
             otherWindow.activateWindow();
             EXPECT_TRUE(QTest::qWaitFor([] { return !ZRKeyboardMenu::isVisible(); }, 1000));
         }},
        {"its end", [] { ZRKeyboardMenu::destroySharedMenu(); }},
    };
    for (const auto& [way, leave] : ways) {
        otherWindow.hide();
        desktop.releaseLeftButton();
        ASSERT_TRUE(popUp(numbered(3)));
        type("1");
        QTest::mousePress(&menu(), Qt::LeftButton, {}, QPoint(100, 90));
        ASSERT_EQ(keyboardHolder(), OwnWindowId(menu().winId())) << way;
        leave();
        EXPECT_FALSE(ZRKeyboardMenu::isVisible()) << way;
        EXPECT_EQ(keyboardHolder(), 0u) << way;
        QTest::mouseRelease(&menu(), Qt::LeftButton, {}, QPoint(100, 90));
        key(Qt::Key_Return);
        RunLoop::main().advance(3);
    }
    EXPECT_EQ(chosen, QStringList{"1"}) << "only the choice chose";
}

TEST_F(KeyboardMenuTest, TheFadeGivesTheKeysBackAtOnceAndAPopUpMeanwhileTakesThemAgain) {
    set(setting(ZRKeyboardMenuDefaults::DisableAnimation), false);
    const auto root = numbered(3);
    ASSERT_TRUE(popUp(root));
    ZRKeyboardMenu::vanishAndClose();
    EXPECT_EQ(keyboardHolder(), 0u);
    ASSERT_TRUE(popUp(root));
    EXPECT_TRUE(menu().holdsKeyboard());
    QTest::qWait(int(ZRKeyboardMenu::AnimationDuration * 1000) + 150);
    EXPECT_TRUE(ZRKeyboardMenu::isVisible()) << "the fade's end leaves a menu popped up again";
    ZRKeyboardMenu::vanishAndClose();
    EXPECT_TRUE(QTest::qWaitFor([] { return !ZRKeyboardMenu::isVisible(); }, 1000));
    EXPECT_EQ(menu().rootItem(), nullptr);
}

TEST_F(KeyboardMenuTest, AMenuThatCannotHaveTheKeyboardClosesAndBeeps) {
    desktop.overlayWindows().setGrabRefusal(GrabStatus::AlreadyGrabbed);
    ASSERT_TRUE(popUp(numbered(3)));
    EXPECT_TRUE(QTest::qWaitFor([] { return !ZRKeyboardMenu::isVisible(); }, 2000));
    EXPECT_EQ(beeps, 1);
    desktop.overlayWindows().setGrabRefusal(std::nullopt);
    ASSERT_TRUE(popUp(numbered(3)));
    type(",");
    EXPECT_EQ(beeps, 2) << "the comma without a settings window only beeps";
    EXPECT_TRUE(ZRKeyboardMenu::isVisible());
}

TEST(KeyboardMenuItemTest, ChildrenAndTheSelectionOfEachLevelKeepTheTreeWhole) {
    const auto root = ZRKeyboardMenuItem::item(QStringLiteral("Root"));
    EXPECT_FALSE(root->addChild(nullptr)) << "nothing to add";
    EXPECT_FALSE(root->addChild(root)) << "a node is never its own child";
    EXPECT_TRUE(root->children().empty()) << "a refused child leaves the level as it was";
    EXPECT_FALSE(root->select()) << "a root has no level to be selected in";
    EXPECT_FALSE(root->isSelected());

    const auto first = ZRKeyboardMenuItem::item(QStringLiteral("First"));
    const auto second = ZRKeyboardMenuItem::item(QStringLiteral("Second"));
    ASSERT_TRUE(root->addChild(first));
    ASSERT_TRUE(root->addSeparatorChild());
    ASSERT_TRUE(root->addChild(second));
    ASSERT_EQ(root->children().size(), 3u);
    EXPECT_TRUE(root->children()[1]->isSeparator());
    EXPECT_EQ(second->parent(), root.get());

    const auto elsewhere = ZRKeyboardMenuItem::item(QStringLiteral("Elsewhere"));
    EXPECT_FALSE(elsewhere->addChild(first)) << "a node belongs to one tree";
    EXPECT_EQ(first->parent(), root.get());

    EXPECT_TRUE(first->select());
    EXPECT_TRUE(second->select());
    EXPECT_EQ(root->selectedChild(), second.get()) << "a second selection replaces the first";
    EXPECT_FALSE(first->isSelected());
    EXPECT_TRUE(second->isSelected());
    root->setSelectedChild(elsewhere.get());
    EXPECT_EQ(root->selectedChild(), second.get()) << "only a child can be the selection";

    EXPECT_EQ(second->textColorForDarkTheme(false), QColor(Qt::white)) << "selected rows sit on the accent";
    EXPECT_EQ(first->textColorForDarkTheme(false), ZRKeyboardMenuItem::lightThemeTextColor());
    EXPECT_EQ(first->textColorForDarkTheme(true), QColor(Qt::white));
    EXPECT_EQ(second->topmostAncestor(), root);
}

} // namespace
