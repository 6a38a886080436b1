#pragma once

#include <QObject>
#include <memory>
#include <vector>

class QMenu;
class QWidget;
class ZRAction;
class ZRActionSourceListRow;
class RunLoop;
class ZRActionManager;
class ZRMainController;
class ZRSidebarMenuTarget;

// The program's shared menus: the status item's, the custom actions' menus of the overlays and the
// palette, and the sidebar's context and add menus. The main controller owns it and answers the menu
// methods by asking it; it reads the controller's areas, actions and hot keys. Main thread only.
class ZRShellMenus : public QObject {
    Q_OBJECT

public:
    ZRShellMenus(ZRMainController& controller, const ZRActionManager& store, RunLoop& mainRunLoop);

    // Rebuilds the status-item menu (the given one, or the status item's own when null): the custom
    // actions, the cheat sheet, the areas' items and the program's items.
    void menuNeedsUpdate(QMenu* menu);
    // Fills the menu with the custom actions and, when asked, the program's own items (settings, about,
    // quit). With a context action, the menu is that action's: its name first, then its items.
    void populateMenu(QMenu* menu, const std::shared_ptr<ZRAction>& context, bool includeMetaItems,
                      bool includeActions, bool invertIconsForDarkMode);
    // A new menu of the custom actions for an overlay's menu button, icons inverted in the dark
    // interface style; null when there are no actions. The caller owns the menu.
    QMenu* menuForOverlayButton(QWidget* button);
    // Null over an overlay button or a palette item button (they have menus of their own), else the
    // program's general context menu. The caller owns the menu.
    QMenu* contextMenuForOverlayHitView(QWidget* view);
    // The context menu of a palette item button's action; when one was made, the palette hides on the
    // next turn of the run loop. Null when the button has no action. The caller owns the menu.
    QMenu* menuForPaletteItemButton(QWidget* button);
    // The sidebar's context menu for an action row; null for a row without an action. The caller owns
    // the menu.
    QMenu* sourceListContextMenuForItem(const ZRActionSourceListRow* row);
    // Fills the sidebar's add menu: the action types, the recently deleted records and the merge and
    // extract entries, each handled by the sidebar's menu target (the settings window).
    void populateAddMenu(QMenu* menu);
    // The settings window's sidebar, which carries out what its menus offer; not owned, null for none.
    void setSidebarMenuTarget(ZRSidebarMenuTarget* target) { m_sidebarMenuTarget = target; }

private:
    void addActionItems(QMenu* menu, const std::vector<std::shared_ptr<ZRAction>>& actions, bool invertIcons);
    void addCheatSheet(QMenu* menu);
    void triggerActionFromMenu(const std::weak_ptr<ZRAction>& action);

    ZRMainController& m_controller;
    const ZRActionManager& m_store;
    RunLoop& m_mainRunLoop;
    ZRSidebarMenuTarget* m_sidebarMenuTarget = nullptr;
};
