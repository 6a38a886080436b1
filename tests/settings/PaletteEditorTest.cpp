#include "MouseControlContext.h"
#include "SettingsTestSupport.h"

#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRPalette.h"
#include "mouse-control/ZRPaletteLayout.h"
#include "platform/foundation/PropertyList.h"
#include "settings/ZRPaletteEditor.h"
#include "settings/ZRPaletteItemButton.h"
#include "settings/ZRPaletteItemWell.h"
#include "settings/ZRSourceListPasteboard.h"
#include "settings/ZRStandardPaletteItem.h"

#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollArea>
#include <QTest>

namespace {

const QString PaletteKey = QStringLiteral("Palette");
const QString HiddenKey = QStringLiteral("Palette: Hidden Items");

class PaletteEditorTest : public SettingsTest {
protected:
    ZRPaletteEditor& editor() const { return settings().paletteEditor(); }
    ZRPaletteItemWell* well(int column, int row) const {
        return editor().wells()[std::size_t(row * ZRPaletteLayout::Columns + column)];
    }
    // What the wells hold, row by row: "." empty, a standard item's number, or an action's title; hidden
    // items in brackets.
    QStringList layout(int firstRow, int lastRow) const {
        QStringList rows;
        for (int row = firstRow; row <= lastRow; ++row) {
            QStringList cells;
            for (int column = 0; column < ZRPaletteLayout::Columns; ++column) {
                const ZRPaletteItemWell* w = well(column, row);
                QString cell = w->paletteAction()        ? w->paletteAction()->displayNameWithSuffixes()
                               : w->dummyPosition() >= 0 ? QString::number(w->dummyPosition())
                                                         : QStringLiteral(".");
                cells.append(w->hiddenByUser() ? u'[' + cell + u']' : cell);
            }
            rows.append(cells.join(u' '));
        }
        return rows;
    }
    QMimeData* sidebarDrag(const QStringList& titles) {
        auto* data = new QMimeData;
        ZRSourceListItems items;
        for (const QString& title : titles)
            items.push_back(row(title));
        EXPECT_TRUE(sidebar().writeItems(items, *data));
        return data;
    }
    // Drops the data on the well as a drag would; the operation the well took.
    static Qt::DropAction drop(ZRPaletteItemWell* target, QMimeData* data) {
        const QPointF centre = QRectF(target->rect()).center();
        QDragEnterEvent enter(centre.toPoint(), Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent dropped(centre, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
        const Qt::DropAction operation = dropped.isAccepted() ? dropped.dropAction() : Qt::IgnoreAction;
        RunLoop::main().runPending();
        return operation;
    }
    // Drags the item of one well onto another, as the editor's own drag does it.
    Qt::DropAction move(ZRPaletteItemWell* from, ZRPaletteItemWell* to) {
        std::unique_ptr<QMimeData> data(from->newDraggingPasteboard());
        const Qt::DropAction operation = drop(to, data.get());
        from->draggingSessionEnded(to->mapToGlobal(to->rect().center()), operation, true);
        RunLoop::main().runPending();
        return operation;
    }
    int logCount(const QString& text) const {
        const QStringList lines = log->lines();
        return int(std::count_if(lines.begin(), lines.end(),
                                 [&](const QString& line) { return line.contains(text); }));
    }
};

TEST_F(PaletteEditorTest, AFirstLaunchSeedsTheExamplesAboveTheStandardItems) {
    program.reset();
    controller();
    defaults().removeObject(PaletteKey);
    seedsPalette = true;
    log->clear();
    launch();

    const auto& top = program->loadedStore().topLevelActions();
    ASSERT_FALSE(top.empty());
    EXPECT_EQ(top.front()->displayNameWithSuffixes(), QStringLiteral("Examples"));
    const QString first = top.front()->children().front()->displayNameWithSuffixes();
    EXPECT_EQ(layout(2, 3),
              (QStringList{QStringLiteral(". . . ") + first +
                               QStringLiteral(" Sidebar Left & Right Top & Bottom More Examples . . ."),
                           QStringLiteral(". . . 2 9 5 3 7 . . .")}));
    EXPECT_EQ(storeTitles().mid(9, 4),
              (QStringList{QStringLiteral("  More Examples"), QStringLiteral("    Left Third"),
                           QStringLiteral("    Middle Third"), QStringLiteral("    Right Third")}));
    EXPECT_TRUE(rows().contains(QStringLiteral("Examples")));
    EXPECT_EQ(logCount(QStringLiteral("inserting missing palette item")), 5);
    EXPECT_TRUE(logged(QStringLiteral("inserting missing palette item 2 at 3-3")));
    // The seed is stored at once; what the wells hold, from the first refresh on.
    EXPECT_EQ(defaults().dictionaryForKey(PaletteKey).size(), 5);
    settings().updatePaletteItemWells();
    const QVariantMap stored = defaults().dictionaryForKey(PaletteKey);
    EXPECT_EQ(stored.value(QStringLiteral("4-2")).toString(), top.front()->children()[1]->uniqueIdentifier());
    EXPECT_EQ(stored.value(QStringLiteral("7-3")).toLongLong(), 7);
    EXPECT_EQ(stored.size(), 10);
    // The palette's box: columns 3 to 7, rows 2 and 3; mouse control reads it from the editor.
    EXPECT_EQ(editor().minimumPaletteItemColumn(), 3);
    EXPECT_EQ(editor().maximumPaletteItemColumn(), 7);
    EXPECT_EQ(editor().minimumPaletteItemRow(), 2);
    EXPECT_EQ(editor().maximumPaletteItemRow(), 3);
    EXPECT_TRUE(well(3, 2)->emphasized());
    EXPECT_FALSE(well(2, 2)->emphasized());
}

TEST_F(PaletteEditorTest, StoredLayoutsAreRepairedToHoldTheFiveStandardItems) {
    program.reset();
    controller();
    const auto action = namedAction(QStringLiteral("Kept"));
    const auto replaced = namedAction(QStringLiteral("Replaced"));
    program->loadedStore().insertAction(action);
    program->loadedStore().insertAction(replaced);
    set(PaletteKey, QVariantMap{{QStringLiteral("0-0"), 5},
                                {QStringLiteral("1-0"), 5},
                                {QStringLiteral("2-0"), action->uniqueIdentifier()},
                                {QStringLiteral("3-0"), QStringLiteral("gone")},
                                {QStringLiteral("4-0"), 4},
                                {QStringLiteral("5-0"), true},
                                {QStringLiteral("4-3"), replaced->uniqueIdentifier()},
                                {QStringLiteral("5-5"), 9}});
    log->clear();
    launch();
    EXPECT_EQ(layout(0, 0), QStringList{QStringLiteral(". . Kept . . . . . . . .")});
    EXPECT_EQ(layout(3, 3), QStringList{QStringLiteral(". . . 2 9 5 3 7 . . .")});
    EXPECT_EQ(well(5, 5)->dummyPosition(), -1);
    EXPECT_TRUE(logged(QStringLiteral("clearing stray palette item from 0-0")));
    EXPECT_TRUE(logged(QStringLiteral("clearing stray palette item from 5-5")));
    EXPECT_EQ(logCount(QStringLiteral("inserting missing palette item")), 5);
    // The layout written back at the next refresh holds what the wells hold.
    settings().updatePaletteItemWells();
    const QVariantMap stored = defaults().dictionaryForKey(PaletteKey);
    EXPECT_EQ(stored.size(), 6);
    EXPECT_FALSE(stored.contains(QStringLiteral("3-0")));
    EXPECT_EQ(stored.value(QStringLiteral("4-3")).toLongLong(), 9);
}

// A stealthy start builds the settings window only when it is first shown; the palette shows the user's
// items from the start all the same, and the window, once shown, holds those wells.
TEST_F(PaletteEditorTest, ThePaletteShowsTheUsersItemsBeforeTheWindowIsBuilt) {
    program.reset();
    controller();
    const auto action = namedAction(QStringLiteral("Kept"));
    program->loadedStore().insertAction(action);
    set(PaletteKey, QVariantMap{{QStringLiteral("2-1"), action->uniqueIdentifier()},
                                {QStringLiteral("3-3"), 2},
                                {QStringLiteral("4-3"), 9},
                                {QStringLiteral("5-3"), 5},
                                {QStringLiteral("6-3"), 3},
                                {QStringLiteral("7-3"), 7}});
    set(QStringLiteral("Stealth Mode"), true);
    set(QStringLiteral("Show Intro Popover"), false);
    controller().addArea(std::make_unique<ZRMouseController>(mouseControlContext(DesktopTest::settings())));
    launch();
    ASSERT_EQ(editor().mouseControlPaletteContainer(), nullptr) << "the window waits to be shown";

    ZRMouseControlPaletteLayout& palette =
        settings().controller().area<ZRMouseController>()->ownPalette().paletteLayout();
    const std::vector<ZRPaletteItemWellInterface*> wells = palette.paletteItemWells();
    ASSERT_EQ(wells.size(), std::size_t(ZRPaletteLayout::Columns * ZRPaletteLayout::Rows));
    const ZRPaletteItemWellInterface* kept = wells[std::size_t(1 * ZRPaletteLayout::Columns + 2)];
    EXPECT_EQ(kept->paletteAction(), action);
    EXPECT_EQ(palette.minimumPaletteItemColumn(), 2);
    EXPECT_EQ(palette.maximumPaletteItemColumn(), 7);
    EXPECT_EQ(palette.minimumPaletteItemRow(), 1);
    EXPECT_EQ(palette.maximumPaletteItemRow(), 3);

    // The window takes the wells made for the palette into its pane.
    ASSERT_TRUE(settings().showSettingsWindow());
    QWidget* container = editor().mouseControlPaletteContainer();
    ASSERT_NE(container, nullptr);
    EXPECT_EQ(well(2, 1), kept);
    EXPECT_EQ(well(2, 1)->parentWidget(), container);
    EXPECT_TRUE(well(2, 1)->isVisibleTo(container));
    EXPECT_EQ(well(2, 1)->geometry(), QRect(94, 47, 42, 42));
    EXPECT_EQ(container->size(), QSize(512, 277));
    EXPECT_EQ(layout(1, 1), QStringList{QStringLiteral(". . Kept . . . . . . . .")});
    QMainWindow* window = settings().preferencesWindow();
    window->resize(window->width(), 720);
    select({QStringLiteral("Palette")});
    QApplication::processEvents();
    saveScreenshot(window->grab().toImage(), QStringLiteral("palette-editor-after-stealthy-start"));
}

TEST_F(PaletteEditorTest, HidingItemsOneAfterAnotherEndsInShowAll) {
    const auto itemTitle = [this](int column) {
        std::unique_ptr<QMenu> menu(well(column, 3)->menuForEvent());
        return menu && menu->actions().size() == 1 ? menu->actions().front()->text() : QString();
    };
    EXPECT_EQ(itemTitle(3), QStringLiteral("Hide \"Fill Screen / Center\""));
    for (int column = 3; column < 7; ++column) {
        well(column, 3)->toggleHidden();
        RunLoop::main().runPending();
    }
    EXPECT_EQ(layout(3, 3), QStringList{QStringLiteral(". . . [2] [9] [5] [3] 7 . . .")});
    EXPECT_EQ(defaults().arrayForKey(HiddenKey), (QVariantList{2, 9, 5, 3}));
    EXPECT_EQ(itemTitle(4), QStringLiteral("Show \"Left Half / Top Left Quarter\""));
    EXPECT_EQ(itemTitle(7), QStringLiteral("Show All"));
    EXPECT_EQ(editor().minimumPaletteItemColumn(), 7);
    EXPECT_FALSE(well(3, 3)->emphasized());
    std::unique_ptr<QMenu> showAll(well(7, 3)->menuForEvent());
    showAll->actions().front()->trigger();
    RunLoop::main().runPending();
    EXPECT_EQ(layout(3, 3), QStringList{QStringLiteral(". . . 2 9 5 3 7 . . .")});
    settings().updatePaletteItemWells();
    EXPECT_TRUE(defaults().arrayForKey(HiddenKey).isEmpty());
    EXPECT_EQ(editor().minimumPaletteItemColumn(), 3);
    // Empty wells have no menu; actions' menus remove or edit them.
    EXPECT_EQ(well(0, 0)->menuForEvent(), nullptr);
}

TEST_F(PaletteEditorTest, DropsCopyFromTheSidebarAndMoveBetweenWells) {
    addActions({QStringLiteral("A"), QStringLiteral("B")});
    const auto separator = ZRAction::actionWithType(ZRActionTypeSeparator);
    sidebar().addActions({separator}, nullptr, std::nullopt, false);
    std::unique_ptr<QMimeData> a(sidebarDrag({QStringLiteral("A")}));
    std::unique_ptr<QMimeData> b(sidebarDrag({QStringLiteral("B")}));
    std::unique_ptr<QMimeData> both(sidebarDrag({QStringLiteral("A"), QStringLiteral("B")}));

    EXPECT_EQ(drop(well(0, 0), a.get()), Qt::CopyAction);
    EXPECT_EQ(drop(well(1, 0), a.get()), Qt::CopyAction) << "the same action may stand in two wells";
    EXPECT_EQ(drop(well(1, 0), a.get()), Qt::IgnoreAction) << "a well refuses its own action";
    EXPECT_EQ(drop(well(1, 0), b.get()), Qt::CopyAction) << "another action replaces it";
    EXPECT_EQ(drop(well(3, 3), b.get()), Qt::IgnoreAction) << "a standard item takes nothing";
    EXPECT_EQ(drop(well(2, 0), both.get()), Qt::IgnoreAction) << "one item at a time";
    EXPECT_EQ(layout(0, 0), QStringList{QStringLiteral("A B . . . . . . . . .")});

    EXPECT_EQ(move(well(0, 0), well(5, 0)), Qt::MoveAction);
    EXPECT_EQ(move(well(3, 3), well(1, 0)), Qt::MoveAction) << "a standard item replaces an action";
    EXPECT_EQ(layout(0, 0), QStringList{QStringLiteral(". 2 . . . A . . . . .")});
    EXPECT_EQ(layout(3, 3), QStringList{QStringLiteral(". . . . 9 5 3 7 . . .")});
    EXPECT_EQ(move(well(1, 0), well(3, 3)), Qt::MoveAction);

    // Palette items come only from this editor's wells, and only as one of the five.
    const auto foreign = [](const QVariant& item, const QByteArray& token) {
        auto* data = new QMimeData;
        data->setData(ZRPaletteItemPasteboardType, PropertyList::toData(QVariantList{item}));
        data->setData(QStringLiteral("application/x-skaf-palette-editor"), token);
        return std::unique_ptr<QMimeData>(data);
    };
    const QByteArray ours = editor().dragSourceToken();
    EXPECT_EQ(drop(well(6, 0), foreign(qint64(2), "another editor").get()), Qt::IgnoreAction);
    EXPECT_EQ(drop(well(6, 0), foreign(qint64(4), ours).get()), Qt::IgnoreAction);
    EXPECT_EQ(drop(well(6, 0), foreign(QStringLiteral("unknown"), ours).get()), Qt::IgnoreAction);
    EXPECT_EQ(drop(well(6, 0), foreign(separator->uniqueIdentifier(), ours).get()), Qt::IgnoreAction);
    EXPECT_EQ(
        layout(0, 3),
        (QStringList{QStringLiteral(". . . . . A . . . . ."), QStringLiteral(". . . . . . . . . . ."),
                     QStringLiteral(". . . . . . . . . . ."), QStringLiteral(". . . 2 9 5 3 7 . . .")}));
    EXPECT_EQ(defaults().dictionaryForKey(PaletteKey).size(), 6);
}

TEST_F(PaletteEditorTest, ItemsDraggedOutOfTheWindowLeaveOnlyWhenLetGo) {
    addActions({QStringLiteral("A")});
    std::unique_ptr<QMimeData> a(sidebarDrag({QStringLiteral("A")}));
    drop(well(0, 0), a.get());
    const QPoint outside = settings().preferencesWindow()->frameGeometry().bottomRight() + QPoint(50, 50);
    const QPoint inside = settings().preferencesWindow()->frameGeometry().center();
    well(0, 0)->draggingSessionEnded(outside, Qt::IgnoreAction, false);
    well(0, 0)->draggingSessionEnded(inside, Qt::IgnoreAction, true);
    well(3, 3)->draggingSessionEnded(outside, Qt::IgnoreAction, true);
    RunLoop::main().runPending();
    EXPECT_EQ(layout(0, 0), QStringList{QStringLiteral("A . . . . . . . . . .")})
        << "cancelled, or let go inside";
    EXPECT_EQ(well(3, 3)->dummyPosition(), 2) << "standard items stay";
    well(0, 0)->draggingSessionEnded(outside, Qt::IgnoreAction, true);
    RunLoop::main().runPending();
    EXPECT_EQ(well(0, 0)->paletteAction(), nullptr);
    EXPECT_FALSE(defaults().dictionaryForKey(PaletteKey).contains(QStringLiteral("0-0")));
    EXPECT_EQ(storeTitles(), QStringList{QStringLiteral("A")}) << "the action stays in the sidebar";
}

TEST_F(PaletteEditorTest, ActionsThatLeaveTheTreeLeaveThePalette) {
    const auto actions = addActions({QStringLiteral("A"), QStringLiteral("B")});
    std::unique_ptr<QMimeData> a(sidebarDrag({QStringLiteral("A")}));
    drop(well(0, 0), a.get());
    drop(well(0, 1), a.get());
    QWidget* button = well(0, 0)->paletteItemButton();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(well(0, 0)->paletteItemButton(), button) << "made once";
    EXPECT_EQ(well(3, 3)->paletteItemButton(), nullptr);
    QPointer<QWidget> watched = button;
    select({QStringLiteral("A")});
    sidebar().delete_();
    RunLoop::main().runPending();
    EXPECT_EQ(layout(0, 1), (QStringList{QStringLiteral(". . . . . . . . . . ."),
                                         QStringLiteral(". . . . . . . . . . .")}));
    EXPECT_TRUE(watched.isNull()) << "the button goes with the action";
    EXPECT_EQ(defaults().dictionaryForKey(PaletteKey).size(), 5);
}

TEST_F(PaletteEditorTest, WellsShareTheContainersWidthNeverVanishing) {
    struct Case {
        int width;
        int side;
        QSize grid;
    };
    const Case cases[] = {{500, 40, QSize(490, 265)},
                          {520, 42, QSize(512, 277)},
                          {60, 1, QSize(61, 31)},
                          {0, 1, QSize(61, 31)},
                          {-20, 1, QSize(61, 31)}};
    for (const Case& c : cases) {
        EXPECT_EQ(ZRPaletteEditor::wellSideForContainerWidth(c.width), c.side) << c.width;
        EXPECT_EQ(ZRPaletteEditor::gridSizeForWellSide(c.side), c.grid) << c.width;
    }
    // In the pane: 42-point wells 47 points apart, and the container as large as their grid.
    EXPECT_EQ(well(3, 2)->geometry(), QRect(141, 94, 42, 42));
    EXPECT_EQ(editor().mouseControlPaletteContainer()->size(), QSize(512, 277));
    const QWidget* document = settings().pane(ZRSettingsTab::Palette);
    EXPECT_GE(document->height(), editor().mouseControlPaletteContainer()->geometry().bottom());
}

TEST_F(PaletteEditorTest, AHeldWellShowsItsMenu) {
    addActions({QStringLiteral("A"), QStringLiteral("B")});
    std::unique_ptr<QMimeData> a(sidebarDrag({QStringLiteral("A")}));
    drop(well(0, 0), a.get());
    select({QStringLiteral("B")});
    QTest::mousePress(well(0, 0), Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(well(0, 0), Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(well(0, 0)->shownMenu(), nullptr) << "the menu waits for a drag first";
    RunLoop::main().advance(ZRPaletteItemWell::PressAndHoldDelay);
    QMenu* menu = well(0, 0)->shownMenu();
    ASSERT_NE(menu, nullptr);
    QStringList titles;
    for (const QAction* item : menu->actions())
        titles.append(item->isSeparator() ? QStringLiteral("-") : item->text());
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Remove \"A\" from Palette"), QStringLiteral("-"),
                                   QStringLiteral("Edit...")}));
    menu->actions().back()->trigger();
    EXPECT_EQ(selectedTitles(), QStringList{QStringLiteral("A")}) << "Edit shows the action in the sidebar";
    menu->actions().front()->trigger();
    RunLoop::main().runPending();
    EXPECT_EQ(well(0, 0)->paletteAction(), nullptr);
    menu->close();
    // An empty well answers no press.
    QTest::mousePress(well(1, 0), Qt::LeftButton, {}, QPoint(10, 10));
    RunLoop::main().advance(ZRPaletteItemWell::PressAndHoldDelay);
    EXPECT_EQ(well(1, 0)->shownMenu(), nullptr);
    QTest::mouseRelease(well(1, 0), Qt::LeftButton, {}, QPoint(10, 10));
}

TEST_F(PaletteEditorTest, PicturesOfTheEditorWithHiddenItemsEmphasisAndADropTarget) {
    addActions({QStringLiteral("Left Side"), QStringLiteral("Right Side")});
    std::unique_ptr<QMimeData> left(sidebarDrag({QStringLiteral("Left Side")}));
    std::unique_ptr<QMimeData> right(sidebarDrag({QStringLiteral("Right Side")}));
    drop(well(2, 2), left.get());
    drop(well(8, 3), right.get());
    well(4, 3)->toggleHidden();
    RunLoop::main().runPending();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, left.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(well(10, 0), &enter);
    ASSERT_TRUE(well(10, 0)->isDropTarget());
    QMainWindow* window = settings().preferencesWindow();
    window->resize(window->width(), 720);
    select({QStringLiteral("Palette")});
    for (const bool dark : {false, true}) {
        desktop.workspace().setDarkAppearance(dark);
        QApplication::setActiveWindow(window);
        QApplication::processEvents();
        const QImage picture = window->grab().toImage();
        saveScreenshot(picture,
                       dark ? QStringLiteral("palette-editor-dark") : QStringLiteral("palette-editor-light"));
        const auto at = [&](const ZRPaletteItemWell* w, QPoint point) {
            return picture.pixelColor(w->mapTo(window, point));
        };
        // The drop target has a border in the accent colour.
        const QColor border = at(well(10, 0), QPoint(well(10, 0)->width() / 2, 0));
        EXPECT_GT(border.blue(), border.red() + 60) << dark;
        // Wells in the box of the visible items are set off from those outside it.
        const QColor inside = at(well(5, 2), QPoint(6, 6)), outside = at(well(1, 1), QPoint(6, 6));
        EXPECT_NE(inside, outside) << dark;
        // A hidden item is fainter than the one beside it.
        const auto ink = [&](const ZRPaletteItemWell* w) {
            int strongest = 0;
            for (int y = 0; y < w->height(); ++y) {
                const QColor pixel = at(w, QPoint(w->width() / 2, y));
                const QColor base = at(w, QPoint(4, 4));
                strongest = std::max(strongest, std::abs(pixel.lightness() - base.lightness()));
            }
            return strongest;
        };
        EXPECT_LT(ink(well(4, 3)) * 2, ink(well(5, 3))) << dark;
        EXPECT_GT(ink(well(2, 2)), 40) << dark;
    }
    desktop.workspace().setDarkAppearance(false);
}

} // namespace
