#include "SettingsTestSupport.h"

#include "platform/SystemPreferences.h"
#include "settings/ZRSourceListCell.h"

#include <QApplication>
#include <QTest>

namespace {

const QString Palette = QStringLiteral("Palette");
const QString Hover = QStringLiteral("Hover");
const QString Snap = QStringLiteral("Snap");
const QString Keyboard = QStringLiteral("Keyboard");
const QStringList Sections = {Palette, Hover, Snap, Keyboard};

class SidebarModelTest : public SettingsTest {
protected:
    void reload() { sidebar().reloadSourceListWithSelectedItems(std::nullopt); }
    void selectProposed(const QStringList& titles) {
        QItemSelection proposal;
        for (const QString& title : titles) {
            const QModelIndex index = indexOf(title);
            proposal.select(index, index);
        }
        sourceList().selectionModel()->select(proposal, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
    }
};

TEST_F(SidebarModelTest, TheTopLevelRowsFollowTheStoreAndTheHeaderSetting) {
    EXPECT_EQ(rows(), Sections);
    set(QStringLiteral("Show Skaf Header"), true);
    reload();
    EXPECT_EQ(rows(), QStringList({QStringLiteral("Skaf")}) + Sections);
    set(QStringLiteral("Show Skaf Header"), false);
    addActions({QStringLiteral("A")});
    addFolder(QStringLiteral("F"), {QStringLiteral("B")});
    addFolder(QStringLiteral("Closed"), {QStringLiteral("Hidden")}, false);
    EXPECT_EQ(rows(),
              Sections + QStringList({QString(), QStringLiteral("Custom"), QStringLiteral("A"),
                                      QStringLiteral("F"), QStringLiteral("  B"), QStringLiteral("Closed")}));
    EXPECT_EQ(storeTitles(), QStringList({QStringLiteral("A"), QStringLiteral("F"), QStringLiteral("  B"),
                                          QStringLiteral("Closed"), QStringLiteral("  Hidden")}));
}

TEST_F(SidebarModelTest, AReloadKeepsEachRowAndOpensTheFoldersOfTheRowsToSelect) {
    addActions({QStringLiteral("A")});
    const auto folder = addFolder(QStringLiteral("F"), {QStringLiteral("B")}, false);
    const ZRSourceListItemRef section = row(Palette), a = row(QStringLiteral("A")),
                              f = row(QStringLiteral("F"));
    const ZRSourceListItemRef b = f->children().front();

    sidebar().reloadSourceListWithSelectedItems(ZRSourceListItems{b});
    EXPECT_EQ(row(Palette), section);
    EXPECT_EQ(row(QStringLiteral("A")), a);
    EXPECT_EQ(row(QStringLiteral("F")), f);
    EXPECT_EQ(row(QStringLiteral("B")), b);
    EXPECT_EQ(b->parent(), f);
    EXPECT_TRUE(folder->expanded());
    EXPECT_TRUE(sourceList().isExpanded(indexOf(QStringLiteral("F"))));
    EXPECT_EQ(selectedTitles(), QStringList{QStringLiteral("B")});

    // Collapsing in the outline is the folder's own state from then on.
    sourceList().collapse(indexOf(QStringLiteral("F")));
    EXPECT_FALSE(folder->expanded());
}

TEST_F(SidebarModelTest, ThePoolHandsOutEachRowOnceAndOnlyForItsOwnAction) {
    const auto record = namedAction(QStringLiteral("A"))->dictionaryRepresentation();
    const auto first = ZRAction::actionWithDictionaryRepresentation(record, true);
    const auto twin = ZRAction::actionWithDictionaryRepresentation(record, true);
    ASSERT_EQ(first->uniqueIdentifier(), twin->uniqueIdentifier());

    ZRSourceListItem::Pool pool;
    const auto row =
        ZRSourceListItem::sourceListItemWithAction(first, std::nullopt, QStringLiteral("Custom"), nullptr);
    pool.add(row);
    EXPECT_EQ(pool.take(twin, {}), nullptr) << "a row for another action under the same identifier";
    pool.add(row);
    EXPECT_EQ(pool.take(first, {}), row);
    EXPECT_EQ(pool.take(first, {}), nullptr) << "a row handed out twice";

    // A tab's name never finds an action's row.
    const auto section = ZRSourceListItem::sourceListItemWithAction(nullptr, std::nullopt, Palette, nullptr);
    pool.add(section);
    EXPECT_EQ(pool.take(nullptr, Palette), section);
}

TEST_F(SidebarModelTest, TheSelectionRuleKeepsOneParentOrOneSectionAndNeverNothing) {
    addActions({QStringLiteral("A"), QStringLiteral("C")});
    addFolder(QStringLiteral("F"), {QStringLiteral("B1"), QStringLiteral("B2")});
    struct Case {
        QStringList proposed;
        QStringList selected;
    };
    const Case cases[] = {
        {{QStringLiteral("A"), QStringLiteral("B1")}, {QStringLiteral("A")}},
        {{QStringLiteral("B2"), QStringLiteral("A"), QStringLiteral("B1")}, {QStringLiteral("A")}},
        {{QStringLiteral("B1"), QStringLiteral("B2")}, {QStringLiteral("B1"), QStringLiteral("B2")}},
        {{Palette, QStringLiteral("C")}, {QStringLiteral("C")}},
        {{Snap, Hover}, {Hover}},
        {{QStringLiteral("Custom")}, {Palette}},
        {{}, {Palette}},
    };
    for (const Case& c : cases) {
        selectProposed(c.proposed);
        EXPECT_EQ(selectedTitles(), c.selected) << c.proposed.join(u',').toStdString();
    }

    // A click into the empty area below the rows leaves the first section selected.
    select({QStringLiteral("C")});
    QApplication::processEvents();
    QTest::mouseClick(sourceList().viewport(), Qt::LeftButton, {},
                      QPoint(10, sourceList().viewport()->height() - 2));
    EXPECT_EQ(selectedTitles(), QStringList{Palette});
    // Select All with a sender: the members of the first selected action's folder.
    select({QStringLiteral("B1")});
    sidebar().selectAll(&sourceList());
    EXPECT_EQ(selectedTitles(), QStringList({QStringLiteral("B1"), QStringLiteral("B2")}));
    select({QStringLiteral("A")});
    sidebar().selectAll(&sourceList());
    EXPECT_EQ(selectedTitles(), QStringList({QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("F")}));
}

TEST_F(SidebarModelTest, NewActionsGoWhereTheSelectionSays) {
    struct Case {
        const char* name;
        QStringList selected;
        bool folderOpen;
        bool windowShown;
        QStringList expected;
    };
    const QString a = QStringLiteral("A"), f = QStringLiteral("F"), b = QStringLiteral("B"),
                  n = QStringLiteral("N");
    const Case cases[] = {
        {"a section", {Palette}, true, true, {a, f, QStringLiteral("  B"), n}},
        {"an action", {a}, true, true, {a, n, f, QStringLiteral("  B")}},
        {"an open folder", {f}, true, true, {a, f, QStringLiteral("  N"), QStringLiteral("  B")}},
        {"a closed folder", {f}, false, true, {a, f, QStringLiteral("  B"), n}},
        {"a member", {b}, true, true, {a, f, QStringLiteral("  B"), QStringLiteral("  N")}},
        {"the window closed", {a}, true, false, {a, f, QStringLiteral("  B"), n}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store().populateWithSourceListItems({});
        reload();
        addActions({a});
        addFolder(f, {b}, c.folderOpen);
        settings().preferencesWindow()->setVisible(c.windowShown);
        select(c.selected);
        sidebar().addActions({namedAction(n)}, false);
        EXPECT_EQ(storeTitles(), c.expected);
        if (c.expected.contains(n)) {
            EXPECT_EQ(selectedTitles(), QStringList{n});
        }
    }
    // A place beyond the end appends.
    sidebar().addActions({namedAction(QStringLiteral("Last"))}, nullptr, 99, false);
    EXPECT_EQ(storeTitles().back(), QStringLiteral("Last"));
}

TEST_F(SidebarModelTest, RenamingToTheDefaultNameOrToSpacesClearsTheName) {
    const auto action = addActions({QStringLiteral("A")}).front();
    const QString defaultName = action->defaultNameWithSuffixes();
    struct Case {
        QString typed;
        std::optional<QString> stored;
    };
    const Case cases[] = {
        {QStringLiteral("Mine"), QStringLiteral("Mine")},
        {QStringLiteral(" Mine "), QStringLiteral(" Mine ")},
        {defaultName, std::nullopt},
        {QStringLiteral("   "), std::nullopt},
        {QString(), std::nullopt},
    };
    for (const Case& c : cases) {
        action->setName(QStringLiteral("Before"));
        const QModelIndex index = sidebar().model().indexForItem(row(QStringLiteral("Before")).get());
        EXPECT_TRUE(sourceList().model()->setData(index, c.typed));
        EXPECT_EQ(action->userDefinedName(), c.stored) << c.typed.toStdString();
    }
    // Sections and separators take no name.
    EXPECT_FALSE(sourceList().model()->flags(indexOf(Palette)) & Qt::ItemIsEditable);
}

TEST_F(SidebarModelTest, TheSizeModeSetsRowsFontsAndIconsASecondAfterItsLastChange) {
    struct Case {
        qint64 mode;
        int rowHeight, indentation, spacing, gap;
        double fontSize, iconHeight;
    };
    const Case cases[] = {
        {1, 15, 13, 10, 3, 11, 13},
        {3, 20, 18, 10, 4, 16, 18},
        {0, 20, 15, 6, 4, 13, 15},
    };
    addActions({QStringLiteral("A")});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        desktop.systemPreferences().setValue(SystemPreferences::GlobalDomain,
                                             QStringLiteral("NSTableViewDefaultSizeMode"), c.mode);
        RunLoop::main().advance(ZRSettingsController::SourceListTextSizeDelay / 2);
        desktop.systemPreferences().setValue(SystemPreferences::GlobalDomain,
                                             QStringLiteral("NSTableViewDefaultSizeMode"), c.mode);
        RunLoop::main().advance(ZRSettingsController::SourceListTextSizeDelay * 0.9);
        EXPECT_NE(sourceList().indentation(), c.indentation) << "applied before the changes settled";
        RunLoop::main().advance(ZRSettingsController::SourceListTextSizeDelay * 0.2);
        EXPECT_EQ(sourceList().rowHeight(), c.rowHeight);
        EXPECT_EQ(sourceList().indentation(), c.indentation);
        QApplication::processEvents();
        EXPECT_EQ(sourceList().visualRect(indexOf(QStringLiteral("A"))).height(), c.rowHeight + c.spacing);
        EXPECT_EQ(sourceList().visualRect(indexOf(QString())).height(), c.gap + c.spacing);
        EXPECT_EQ(ZRSidebarController::fontSizeForSizeMode(c.mode), c.fontSize);
        EXPECT_EQ(ZRSidebarController::iconHeightForFontSize(c.fontSize), c.iconHeight);
        EXPECT_EQ(ZRSourceListCell::iconSlotWidth(c.mode), c.mode == 1 ? 24 : c.mode == 3 ? 32 : 28);
    }
}

TEST_F(SidebarModelTest, TheCellLeavesRoomForTheHotKeyAndTheIconButNeverLessThanTenPointsForTheTitle) {
    ZRSourceListCell cell(sidebar());
    cell.setFont(QApplication::font());
    const QRectF frame(10, 0, 200, 26);
    ZRSourceListCell::setHotKeysShown(true);
    EXPECT_EQ(cell.hotKeyRepresentationWidth(), -1) << "no hot key";
    EXPECT_EQ(cell.textFrameForCellFrame(frame, false), frame);

    cell.setHotKeyRepresentation(QStringLiteral("⌃⌥A"));
    const double width = cell.hotKeyRepresentationWidth();
    EXPECT_GT(width, 0);
    EXPECT_EQ(cell.textFrameForCellFrame(frame, false).width(), 200 - width - ZRSourceListCell::HotKeyGap);
    ZRSourceListCell::setHotKeysShown(false);
    EXPECT_EQ(cell.hotKeyRepresentationWidth(), -1);
    ZRSourceListCell::setHotKeysShown(true);

    cell.setIcon(QImage(20, 15, QImage::Format_ARGB32_Premultiplied));
    for (const qint64 mode : {0, 1, 3}) {
        cell.setSizeMode(mode);
        const QRectF text = cell.textFrameForCellFrame(frame, true);
        EXPECT_EQ(text.left(), frame.left() + ZRSourceListCell::iconSlotWidth(mode));
        EXPECT_EQ(cell.cellSize(QSizeF(50, 20)).width(),
                  50 + 4 + width + ZRSourceListCell::HotKeyGap + ZRSourceListCell::iconSlotWidth(mode));
    }
    EXPECT_EQ(cell.textFrameForCellFrame(QRectF(0, 0, 30, 20), false).width(),
              ZRSourceListCell::MinimumTextWidth);
    EXPECT_TRUE(cell.expansionFrameWithFrame(frame, QStringLiteral("A")).isEmpty());
    EXPECT_FALSE(
        cell.expansionFrameWithFrame(QRectF(0, 0, 80, 20), QStringLiteral("A rather long name")).isEmpty());

    struct Rule {
        qint64 priority;
        double width;
        bool shown;
    };
    const Rule rules[] = {
        {1, 700, true}, {0, 700.2, true}, {0, 700.05, false}, {0, 700, false}, {-1, 900, false}};
    for (const Rule& rule : rules) {
        EXPECT_EQ(ZRSourceListCell::hotKeysShownFor(rule.priority, rule.width, 700), rule.shown)
            << rule.priority;
    }
}

TEST_F(SidebarModelTest, TheSelectionCacheDiesWithTheSelectionAndWithTheTree) {
    addActions({QStringLiteral("A"), QStringLiteral("B")});
    select({QStringLiteral("A")});
    ASSERT_EQ(sidebar().selectedActions().size(), 1u);
    select({QStringLiteral("B")});
    EXPECT_EQ(sidebar().selectedActions().front()->displayNameWithSuffixes(), QStringLiteral("B"));
    EXPECT_TRUE(sidebar().deleteSelectedSourceListItems());
    // The same turn of the run loop: the deleted row is gone from the cache as well.
    for (const auto& item : sidebar().selectedActionSourceListItems()) {
        EXPECT_NE(sidebar().objectValueForItem(*item), QStringLiteral("B"));
    }
    select({Hover});
    EXPECT_TRUE(sidebar().selectedActionSourceListItems().empty());
}

} // namespace
