#include "ShellTestSupport.h"

#include "actions/ZRPaletteHiding.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionSourceListRow.h"
#include "actions/ZRPaletteItemButtonInterface.h"
#include "hotkeys/ZRHotKey.h"
#include "shell/ZRApplicationMode.h"
#include "shell/ZRMenuOpeningControl.h"
#include "shell/ZRSidebarMenuTarget.h"
#include "shell/ZRStatusItemController.h"

#include <QMenu>
#include <QWidget>

namespace {

// A menu's items as text: titles, "-" for separators, submenus as "title > item | item".
QStringList itemTexts(const QMenu* menu) {
    QStringList texts;
    for (const QAction* item : menu->actions()) {
        if (item->isSeparator() && item->text().isEmpty()) {
            texts += QStringLiteral("-");
        } else if (item->menu()) {
            texts +=
                item->text() + QStringLiteral(" > ") + itemTexts(item->menu()).join(QStringLiteral(" | "));
        } else {
            texts += item->text();
        }
    }
    return texts;
}

const QAction* itemTitled(const QMenu* menu, const QString& title) {
    for (const QAction* item : menu->actions())
        if (item->text() == title)
            return item;
    return nullptr;
}

class PaletteItemButton : public QWidget, public ZRPaletteItemButtonInterface {
public:
    std::shared_ptr<ZRAction> paletteAction() const override { return action; }
    std::shared_ptr<ZRAction> action;
};

class OverlayButton : public QWidget, public ZRMenuOpeningControl {};

class RecordingSidebar : public ZRSidebarMenuTarget {
public:
    QVariantList deletedDictionaryRepresentations() const override { return deleted; }
    std::shared_ptr<ZRAction> mergedLayoutActionFromSelection() const override { return nullptr; }
    std::vector<std::shared_ptr<ZRAction>> extractedMoveAndResizeActionsFromSelection() const override {
        return {};
    }
    void addActionViaMenuItem(QAction* item) override { added.append(item->data()); }
    void addMergedLayoutActionViaMenuItem(QAction*) override {}
    void addExtractedMoveAndResizeActionsViaMenuItem(QAction*) override {}
    void performSidebarCommand(ZRSidebarCommand command, const ZRActionSourceListRow*) override {
        commands.push_back(command);
    }

    QVariantList deleted;
    QVariantList added;
    std::vector<ZRSidebarCommand> commands;
};

class Row : public ZRActionSourceListRow {
public:
    explicit Row(std::shared_ptr<ZRAction> action) : m_action(std::move(action)) {}
    std::shared_ptr<ZRAction> action() const override { return m_action; }
    std::vector<const ZRActionSourceListRow*> childRows() const override { return {}; }

private:
    std::shared_ptr<ZRAction> m_action;
};

} // namespace

class MenusTest : public ShellTest {
protected:
    // The store's action goes with the store, taking its hot key with it.
    void TearDown() override {
        center.reset();
        ShellTest::TearDown();
    }

    // The store: a centre action with a hot key, a separator, and a folder holding a fill action.
    void fillStore() {
        center = ZRAction::actionWithType(ZRActionTypeCenter);
        center->setName(QStringLiteral("Middle"));
        center->setHotKey(ZRHotKey::hotKeyWithIdentifer(
            center->uniqueIdentifier(), QString(), 8, 0x40000 | 0x80000,
            ZRHotKeyContext{desktop.globalHotKeys(), settings(), RunLoop::main()}));
        auto folder = ZRAction::actionWithType(ZRActionTypeFolder);
        folder->setName(QStringLiteral("More"));
        auto fill = ZRAction::actionWithType(ZRActionTypeFill);
        fill->setName(QStringLiteral("Everything"));
        folder->setChildren({fill});
        auto& store = ZRActionManager::actionManager();
        store.insertAction(folder);
        store.insertAction(ZRAction::actionWithType(ZRActionTypeSeparator));
        store.insertAction(center);
    }

    std::shared_ptr<ZRAction> center;
};

TEST_F(MenusTest, StatusMenuListsTheActionsTheCheatSheetAndTheProgramsItems) {
    QStringList calls;
    pendingAreas.push_back(std::make_unique<RecordingArea>(&calls));
    ZRMainController& controller = launch();
    fillStore();
    controller.menuNeedsUpdate(nullptr);
    const QStringList texts = itemTexts(controller.statusItemController().menu());
    ASSERT_GE(texts.size(), 6);
    EXPECT_EQ(texts.mid(0, 4), (QStringList{QStringLiteral("Middle"), QStringLiteral("-"),
                                            QStringLiteral("More > Everything"), QStringLiteral("-")}));
    const QString cheatSheet = texts.value(4);
    EXPECT_TRUE(cheatSheet.startsWith(QStringLiteral("Cheat Sheet > "))) << cheatSheet.toStdString();
    const QString hotKeyText = center->hotKey()->displayString();
    ASSERT_FALSE(hotKeyText.isEmpty());
    EXPECT_TRUE(cheatSheet.contains(QStringLiteral("Middle\t") + hotKeyText)) << cheatSheet.toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("Settings...")));
    EXPECT_TRUE(texts.contains(QStringLiteral("About Skaf")));
    EXPECT_EQ(texts.constLast(), QStringLiteral("Quit"));

    // The cheat sheet's rows: the keyboard control keys, then the hot keys of the actions.
    const auto rows = controller.cheatSheetDescriptions();
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back().customControl, center);
    EXPECT_EQ(rows.back().keyboardShortcut, hotKeyText);
    const auto keyRows =
        std::count_if(rows.begin(), rows.end(), [](const auto& row) { return row.action.has_value(); });
    EXPECT_GT(keyRows, 0);
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const auto& row) { return !row.actionName; }), 1);

    // Rebuilt on each opening: a deleted action is gone, and no stale submenu is left behind.
    ZRActionManager::actionManager().populateWithSourceListItems({});
    controller.menuNeedsUpdate(nullptr);
    const QStringList after = itemTexts(controller.statusItemController().menu());
    EXPECT_FALSE(after.contains(QStringLiteral("Middle")));
    EXPECT_TRUE(
        controller.statusItemController().menu()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly).size() <=
        1);
}

TEST_F(MenusTest, AnActionChosenFromTheMenuRunsAfterTheMenuClosed) {
    auto& editor = desktop.addApplication(QStringLiteral("org.example.Editor"), QStringLiteral("Editor"));
    SimWindow& window = desktop.addWindow(editor, Rect(10, 30, 400, 300));
    ZRMainController& controller = launch();
    fillStore();
    controller.menuNeedsUpdate(nullptr);
    const QAction* item = itemTitled(controller.statusItemController().menu(), QStringLiteral("Middle"));
    ASSERT_NE(item, nullptr);
    const Rect before = window.frame();
    const_cast<QAction*>(item)->trigger();
    EXPECT_EQ(window.frame(), before);
    RunLoop::main().runPending();
    EXPECT_NE(window.frame(), before);
}

TEST_F(MenusTest, StatusItemAndTaskbarEntryFollowTheApplicationMode) {
    ZRMainController& controller = launch();
    RunLoop::main().runPending();
    const struct {
        qint64 mode;
        bool temporaryDockIcon;
        bool statusItem;
        bool accessory;
    } cases[] = {
        {0, false, false, false}, {1, false, true, true},  {2, false, false, true}, {3, false, true, false},
        {1, true, true, false},   {2, true, false, false}, {7, false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mode << " " << c.temporaryDockIcon);
        settings().setBool(c.temporaryDockIcon, QStringLiteral("Application Mode: Temporary Dock Icon"));
        settings().setInteger(c.mode, QStringLiteral("Application Mode"));
        EXPECT_EQ(controller.statusItemController().isRequested(), c.statusItem);
        EXPECT_EQ(ZRIsAccessoryApplicationMode(), c.accessory);
    }
    // Without a system tray (this offscreen desktop has none) that is logged and the program carries on.
    EXPECT_FALSE(controller.statusItemController().isShown());
    EXPECT_TRUE(logged(QStringLiteral("no system tray")));
}

TEST_F(MenusTest, AccessoryWindowsStayOutOfTheTaskbarAndComeBack) {
    launch();
    ZRApplyAccessoryApplicationMode(false, false);
    QWidget window;
    window.show();
    ZRApplyAccessoryApplicationMode(true, false);
    EXPECT_EQ(window.windowType(), Qt::Tool);
    EXPECT_TRUE(window.isVisible());
    bool changed = true;
    ZRApplyAccessoryApplicationMode(true, false, &changed);
    EXPECT_FALSE(changed);
    int completions = 0;
    ZRSetAccessoryApplicationMode(
        false, true, &changed, [&] { ++completions; }, RunLoop::main());
    EXPECT_TRUE(changed);
    EXPECT_EQ(window.windowType(), Qt::Window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(completions, 0);
    RunLoop::main().runPending();
    EXPECT_EQ(completions, 1);
}

TEST_F(MenusTest, OverlayAndPaletteMenus) {
    struct PaletteArea : ZRApplicationArea, ZRPaletteHiding {
        void hideOverlayRegardless() override { ++hides; }
        int hides = 0;
    };
    auto area = std::make_unique<PaletteArea>();
    PaletteArea* paletteArea = area.get();
    pendingAreas.push_back(std::move(area));
    ZRMainController& controller = launch();
    OverlayButton overlayButton;
    PaletteItemButton paletteButton;
    QWidget palette;
    auto* insideButton = new QWidget(&paletteButton);

    // No actions: the overlay button has no menu.
    EXPECT_EQ(controller.menuForOverlayButton(&overlayButton), nullptr);
    fillStore();
    std::unique_ptr<QMenu> actionsMenu(controller.menuForOverlayButton(&overlayButton));
    ASSERT_NE(actionsMenu, nullptr);
    EXPECT_EQ(itemTexts(actionsMenu.get()).constFirst(), QStringLiteral("Middle"));

    // Buttons have menus of their own; the rest of the palette has the general one.
    EXPECT_EQ(controller.contextMenuForOverlayHitView(&overlayButton), nullptr);
    EXPECT_EQ(controller.contextMenuForOverlayHitView(insideButton), nullptr);
    std::unique_ptr<QMenu> general(controller.contextMenuForOverlayHitView(&palette));
    ASSERT_NE(general, nullptr);
    EXPECT_TRUE(itemTexts(general.get()).contains(QStringLiteral("Quit")));

    // A palette item: its action's menu, and none without an action.
    EXPECT_EQ(controller.menuForPaletteItemButton(&paletteButton), nullptr);
    paletteButton.action = ZRActionManager::actionManager().topLevelActions().back();
    std::unique_ptr<QMenu> folderMenu(controller.menuForPaletteItemButton(&paletteButton));
    ASSERT_NE(folderMenu, nullptr);
    EXPECT_TRUE(itemTexts(folderMenu.get()).contains(QStringLiteral("Everything")));
    EXPECT_FALSE(itemTexts(folderMenu.get()).contains(QStringLiteral("Quit")));

    // The palette stays while the menu shows (a held button's menu among them), and goes once it closed.
    folderMenu->popup(QPoint(100, 100));
    RunLoop::main().runPending();
    EXPECT_EQ(paletteArea->hides, 0);
    folderMenu->close();
    RunLoop::main().runPending();
    EXPECT_EQ(paletteArea->hides, 1);
}

TEST_F(MenusTest, SidebarMenusGoToTheirTarget) {
    ZRMainController& controller = launch();
    fillStore();
    RecordingSidebar sidebar;
    Row centerRow(center);
    Row sectionRow(nullptr);

    // Without a sidebar, or for a row without an action, there is no context menu.
    EXPECT_EQ(controller.sourceListContextMenuForItem(&centerRow), nullptr);
    controller.setSidebarMenuTarget(&sidebar);
    EXPECT_EQ(controller.sourceListContextMenuForItem(&sectionRow), nullptr);
    EXPECT_EQ(controller.sourceListContextMenuForItem(nullptr), nullptr);
    std::unique_ptr<QMenu> context(controller.sourceListContextMenuForItem(&centerRow));
    ASSERT_NE(context, nullptr);
    const_cast<QAction*>(itemTitled(context.get(), QStringLiteral("Delete")))->trigger();
    EXPECT_EQ(sidebar.commands, std::vector<ZRSidebarCommand>{ZRSidebarCommand::Delete});

    // The add menu offers the recently deleted records as they were.
    const QVariantMap deleted = center->dictionaryRepresentation();
    sidebar.deleted = {deleted};
    QMenu addMenu;
    controller.populateAddMenu(&addMenu);
    const QStringList texts = itemTexts(&addMenu);
    EXPECT_TRUE(texts.contains(QStringLiteral("Recently Deleted")));
    const QAction* again = itemTitled(&addMenu, QStringLiteral("Middle"));
    ASSERT_NE(again, nullptr);
    const_cast<QAction*>(again)->trigger();
    ASSERT_EQ(sidebar.added.size(), 1);
    EXPECT_EQ(sidebar.added.front().toMap(), deleted);
    // Rebuilding leaves no item of the last build.
    controller.populateAddMenu(&addMenu);
    EXPECT_EQ(itemTexts(&addMenu), texts);
    controller.setSidebarMenuTarget(nullptr);
}
