#include "SettingsTestSupport.h"

#include "settings/ZRSourceListPasteboard.h"

#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

namespace {

class SidebarDragAndDropTest : public SettingsTest {
protected:
    void SetUp() override {
        SettingsTest::SetUp();
        settings().preferencesWindow()->resize(700, 700);
        QApplication::processEvents();
    }

    // Starts a drag of the rows as the outline does: they are held and put on the pasteboard.
    std::unique_ptr<QMimeData> drag(const QStringList& titles) {
        auto data = std::make_unique<QMimeData>();
        ZRSourceListItems items;
        for (const QString& title : titles)
            items.push_back(row(title));
        EXPECT_TRUE(sidebar().writeItems(items, *data));
        return data;
    }

    enum class Place { Above, On, Below };
    QPoint pointAt(const QString& title, Place place) const {
        const QRect rect = sourceList().visualRect(indexOf(title));
        switch (place) {
        case Place::Above:
            return {rect.center().x(), rect.top() + 1};
        case Place::On:
            return rect.center();
        case Place::Below:
            return {rect.center().x(), rect.bottom() - 1};
        }
        return {};
    }

    // The answer to a move of the drag over the point, after it entered the sidebar (which makes the
    // sidebar the target of the moves and the drop).
    Qt::DropAction hover(const QMimeData& data, QPoint point, Qt::KeyboardModifiers modifiers = {}) {
        QDragEnterEvent enter(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(sourceList().viewport(), &enter);
        QDragMoveEvent move(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(sourceList().viewport(), &move);
        return move.isAccepted() ? move.dropAction() : Qt::IgnoreAction;
    }

    bool drop(const QMimeData& data, QPoint point, Qt::KeyboardModifiers modifiers = {}) {
        hover(data, point, modifiers);
        QDropEvent event(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(sourceList().viewport(), &event);
        return event.isAccepted();
    }
};

TEST_F(SidebarDragAndDropTest, ARowDraggedBelowAnotherLandsThereWithNoRowLost) {
    addActions({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"),
                QStringLiteral("E")});
    select({QStringLiteral("A")});
    const auto data = drag({QStringLiteral("A")});
    EXPECT_EQ(hover(*data, pointAt(QStringLiteral("C"), Place::Below)), Qt::MoveAction);
    EXPECT_TRUE(drop(*data, pointAt(QStringLiteral("C"), Place::Below)));
    sidebar().draggingSessionEnded(sourceList().mapToGlobal(QPoint(5, 5)), Qt::MoveAction, true);
    EXPECT_EQ(storeTitles(), QStringList({QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A"),
                                          QStringLiteral("D"), QStringLiteral("E")}));
    EXPECT_EQ(selectedTitles(), QStringList{QStringLiteral("A")});

    // Just below its own place: nothing changes.
    const auto again = drag({QStringLiteral("A")});
    EXPECT_TRUE(drop(*again, pointAt(QStringLiteral("A"), Place::Below)));
    EXPECT_EQ(storeTitles(), QStringList({QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A"),
                                          QStringLiteral("D"), QStringLiteral("E")}));
}

TEST_F(SidebarDragAndDropTest, WhereADropMayLand) {
    addActions({QStringLiteral("A"), QStringLiteral("B")});
    addFolder(QStringLiteral("F"), {QStringLiteral("M")});
    addFolder(QStringLiteral("G"), {QStringLiteral("N")});
    struct Case {
        const char* name;
        QStringList dragged;
        QString over;
        Place place;
        Qt::KeyboardModifiers modifiers;
        Qt::DropAction answer;
    };
    const Case cases[] = {
        {"between actions", {QStringLiteral("A")}, QStringLiteral("B"), Place::Below, {}, Qt::MoveAction},
        {"onto an action", {QStringLiteral("A")}, QStringLiteral("B"), Place::On, {}, Qt::MoveAction},
        {"into a folder", {QStringLiteral("A")}, QStringLiteral("F"), Place::On, {}, Qt::MoveAction},
        {"among a folder's members",
         {QStringLiteral("A")},
         QStringLiteral("M"),
         Place::Above,
         {},
         Qt::MoveAction},
        {"a folder into itself", {QStringLiteral("F")}, QStringLiteral("F"), Place::On, {}, Qt::IgnoreAction},
        {"a folder among its members",
         {QStringLiteral("F")},
         QStringLiteral("M"),
         Place::Below,
         {},
         Qt::IgnoreAction},
        {"among the sections",
         {QStringLiteral("A")},
         QStringLiteral("Hover"),
         Place::Below,
         {},
         Qt::IgnoreAction},
        {"onto a section", {QStringLiteral("A")}, QStringLiteral("Snap"), Place::On, {}, Qt::IgnoreAction},
        {"a copy with Control",
         {QStringLiteral("A")},
         QStringLiteral("B"),
         Place::Below,
         Qt::ControlModifier,
         Qt::CopyAction},
        {"a copy with Alt",
         {QStringLiteral("F")},
         QStringLiteral("F"),
         Place::On,
         Qt::AltModifier,
         Qt::CopyAction},
    };
    for (const Case& c : cases) {
        const auto data = drag(c.dragged);
        EXPECT_EQ(hover(*data, pointAt(c.over, c.place), c.modifiers), c.answer) << c.name;
        sidebar().draggingSessionEnded({}, Qt::IgnoreAction, false);
    }

    // The rule is asked again at the drop: a cycle never enters the tree.
    const auto data = drag({QStringLiteral("F")});
    EXPECT_FALSE(drop(*data, pointAt(QStringLiteral("M"), Place::Below)));
    EXPECT_FALSE(sidebar().acceptDrop(*data, row(QStringLiteral("F")), 0, false));
    EXPECT_EQ(storeTitles(),
              QStringList({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("F"),
                           QStringLiteral("  M"), QStringLiteral("G"), QStringLiteral("  N")}));
    EXPECT_EQ(sidebar().validateDrop(*data, nullptr, -1, false), Qt::IgnoreAction) << "onto the root itself";

    // Moved into a folder, and out again to the end of the list.
    EXPECT_TRUE(sidebar().acceptDrop(*data, row(QStringLiteral("G")), -1, false));
    EXPECT_EQ(storeTitles(),
              QStringList({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("G"),
                           QStringLiteral("  N"), QStringLiteral("  F"), QStringLiteral("    M")}));
    EXPECT_TRUE(sidebar().acceptDrop(*data, nullptr, 99, false));
    EXPECT_EQ(storeTitles().back(), QStringLiteral("  M"));
}

TEST_F(SidebarDragAndDropTest, OneActionHeldOverThePaletteSelectsItAndDropsNothing) {
    addActions({QStringLiteral("A"), QStringLiteral("B")});
    select({QStringLiteral("A"), QStringLiteral("B")});
    const auto two = drag({QStringLiteral("A"), QStringLiteral("B")});
    EXPECT_EQ(hover(*two, pointAt(QStringLiteral("Palette"), Place::On)), Qt::IgnoreAction);
    EXPECT_EQ(selectedTitles(), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
    const auto one = drag({QStringLiteral("A")});
    EXPECT_EQ(hover(*one, pointAt(QStringLiteral("Palette"), Place::On)), Qt::IgnoreAction);
    EXPECT_EQ(selectedTitles(), QStringList{QStringLiteral("Palette")});
    EXPECT_FALSE(drop(*one, pointAt(QStringLiteral("Palette"), Place::On)));
    EXPECT_EQ(storeTitles(), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
}

TEST_F(SidebarDragAndDropTest, RecordsFromAnotherProgramAreCopiedWithNewIdentifiers) {
    EXPECT_EQ(hover(QMimeData(), pointAt(QStringLiteral("Keyboard"), Place::Below)), Qt::IgnoreAction);
    const auto original = namedAction(QStringLiteral("From Elsewhere"));
    QMimeData data;
    ASSERT_TRUE(ZRSourceListPasteboard::write(data, {original->dictionaryRepresentation()},
                                              QStringList{original->uniqueIdentifier()}));
    // Without custom actions there is nowhere to drop.
    EXPECT_EQ(hover(data, QPoint(5, sourceList().viewport()->height() - 5)), Qt::IgnoreAction);

    addActions({QStringLiteral("A")});
    EXPECT_EQ(hover(data, pointAt(QStringLiteral("A"), Place::Below)), Qt::CopyAction);
    EXPECT_TRUE(drop(data, pointAt(QStringLiteral("A"), Place::Below)));
    EXPECT_TRUE(drop(data, QPoint(5, sourceList().viewport()->height() - 5)));
    EXPECT_EQ(storeTitles(), QStringList({QStringLiteral("A"), QStringLiteral("From Elsewhere"),
                                          QStringLiteral("From Elsewhere")}));
    EXPECT_EQ(selectedTitles(), QStringList{QStringLiteral("From Elsewhere")});
    for (const auto& action : store().allActions()) {
        EXPECT_NE(action->uniqueIdentifier(), original->uniqueIdentifier());
    }
}

TEST_F(SidebarDragAndDropTest, OnlyAReleaseOverNothingOutsideTheWindowDeletes) {
    addActions({QStringLiteral("A"), QStringLiteral("B")});
    const QRect frame = settings().preferencesWindow()->frameGeometry();
    const QPoint outside = frame.bottomRight() + QPoint(50, 50);
    struct Case {
        const char* name;
        QPoint end;
        Qt::DropAction operation;
        bool leftMouseUp;
        bool deletes;
    };
    const Case cases[] = {
        {"another program took a copy", outside, Qt::CopyAction, true, false},
        {"another program took a move", outside, Qt::MoveAction, true, false},
        {"cancelled", outside, Qt::IgnoreAction, false, false},
        {"over the window", frame.center(), Qt::IgnoreAction, true, false},
        {"over the desktop", outside, Qt::IgnoreAction, true, true},
    };
    for (const Case& c : cases) {
        const auto data = drag({QStringLiteral("A")});
        sidebar().draggingSessionEnded(c.end, c.operation, c.leftMouseUp);
        EXPECT_EQ(!storeTitles().contains(QStringLiteral("A")), c.deletes) << c.name;
        EXPECT_TRUE(sidebar().draggedSourceListItems().empty());
    }
    EXPECT_EQ(sidebar().deletedDictionaryRepresentations().front().toMap().value(ZRActionKey::Title),
              QStringLiteral("A"));
    // Sections are never dragged.
    QMimeData data;
    EXPECT_FALSE(sidebar().writeItems({row(QStringLiteral("B")), row(QStringLiteral("Hover"))}, data));
    EXPECT_FALSE(data.hasFormat(ZRSourceListIdentifierPasteboardType));
}

} // namespace
