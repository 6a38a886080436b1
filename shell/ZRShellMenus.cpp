#include "shell/ZRShellMenus.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRActionSourceListRow.h"
#include "actions/ZRPaletteHiding.h"
#include "actions/ZRPaletteItemButtonInterface.h"
#include "hotkeys/MenuItemKeyEquivalents.h"
#include "platform/foundation/RunLoop.h"
#include "shell/ZRAboutPanelManager.h"
#include "shell/ZRMainController.h"
#include "shell/ZRMenuOpeningControl.h"
#include "shell/ZRSidebarMenuTarget.h"
#include "shell/ZRStatusItemController.h"
#include "toolkit/Appearance.h"
#include "toolkit/ImageExtensions.h"

#include <QGuiApplication>
#include <QMenu>
#include <QWidget>
#include <algorithm>

namespace {

// The types the sidebar's add menu offers, in its order; 0 stands for a separator between groups.
constexpr ZRActionType AddMenuTypes[] = {
    ZRActionTypeMoveAndResize,
    ZRActionTypeFill,
    ZRActionTypeHalf,
    ZRActionTypeQuarter,
    ZRActionTypeCenter,
    ZRActionTypeMove,
    ZRActionTypeMoveToEdgeOrCorner,
    ZRActionTypeMoveToOtherDisplay,
    ZRActionTypeResize,
    ZRActionTypeGrow,
    ZRActionTypeShrink,
    ZRActionTypeZoomToFit,
    ZRActionTypeUseGrid,
    ZRActionTypeRevert,
    ZRActionTypeSeparator,
    ZRActionTypeLayout,
    ZRActionTypeFolder,
};
// The types of the add menu's last group, which add structure rather than act.
constexpr ZRActionType AddMenuStructureTypes[] = {ZRActionTypeSeparator, ZRActionTypeMenuHeader};

QColor menuIconColor(bool invertForDarkMode) {
    if (invertForDarkMode && ZRIsDarkInterfaceStyleEnabled())
        return Qt::white;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return QGuiApplication::palette().color(QPalette::Text);
    return Qt::black;
}

// Menus are rebuilt in place; their submenus are their children.
void clearMenu(QMenu* menu) {
    menu->clear();
    const auto submenus = menu->findChildren<QMenu*>(Qt::FindDirectChildrenOnly);
    for (QMenu* submenu : submenus)
        delete submenu;
}

template <class T> T* enclosingWidgetOfType(QWidget* widget) {
    for (; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget())
        if (auto* found = dynamic_cast<T*>(widget))
            return found;
    return nullptr;
}

} // namespace

ZRShellMenus::ZRShellMenus(ZRMainController& controller, const ZRActionManager& store, RunLoop& mainRunLoop)
    : m_controller(controller), m_store(store), m_mainRunLoop(mainRunLoop) {}

void ZRShellMenus::menuNeedsUpdate(QMenu* menu) {
    if (!menu)
        menu = m_controller.statusItemController().menu();
    clearMenu(menu);
    populateMenu(menu, nullptr, false, true, false);
    addCheatSheet(menu);
    for (const auto& area : m_controller.areas())
        area->populateStatusMenu(menu);
    populateMenu(menu, nullptr, true, false, false);
}

void ZRShellMenus::populateMenu(QMenu* menu, const std::shared_ptr<ZRAction>& context, bool includeMetaItems,
                                bool includeActions, bool invertIconsForDarkMode) {
    if (!menu)
        return;
    if (includeActions) {
        std::vector<std::shared_ptr<ZRAction>> actions;
        if (context) {
            menu->addSection(context->displayNameWithSuffixes());
            if (context->actionType() == ZRActionTypeFolder && !context->chain())
                actions = context->children();
            else
                actions = {context};
        } else if (m_controller.hasLoadedActionStore()) {
            actions = m_store.topLevelActions();
        }
        if (!actions.empty()) {
            addActionItems(menu, actions, invertIconsForDarkMode);
            menu->addSeparator();
        }
    }
    if (!includeMetaItems)
        return;
    if (!menu->isEmpty() && !menu->actions().constLast()->isSeparator())
        menu->addSeparator();
    const auto& areas = m_controller.areas();
    const bool hasSettingsWindow =
        std::any_of(areas.begin(), areas.end(), [](const auto& area) { return area->hasSettingsWindow(); });
    if (hasSettingsWindow) {
        menu->addAction(QObject::tr("Settings..."), this, [this] {
            for (const auto& area : m_controller.areas())
                if (area->showSettingsWindow())
                    return;
        });
    }
    menu->addAction(QObject::tr("About Skaf"), this, [this] {
        ZRAboutPanelManager::aboutPanelManager().orderFrontStandardAboutPanel(&m_controller);
    });
    menu->addSeparator();
    menu->addAction(QObject::tr("Quit"), this, [this] { m_controller.terminate(); });
}

void ZRShellMenus::addActionItems(QMenu* menu, const std::vector<std::shared_ptr<ZRAction>>& actions,
                                  bool invertIcons) {
    const QColor iconColor = menuIconColor(invertIcons);
    for (const auto& action : actions) {
        switch (action->actionType()) {
        case ZRActionTypeSeparator:
            menu->addSeparator();
            continue;
        case ZRActionTypeMenuHeader:
            menu->addSection(action->displayNameWithSuffixes());
            continue;
        default:
            break;
        }
        const QIcon icon(QPixmap::fromImage(tintedImage(action->menuTemplateIcon(), iconColor)));
        if (action->actionType() == ZRActionTypeFolder && !action->chain()) {
            auto* submenu = new QMenu(action->displayNameWithSuffixes(), menu);
            submenu->setIcon(icon);
            addActionItems(submenu, action->children(), invertIcons);
            menu->addMenu(submenu);
            continue;
        }
        QAction* item = menu->addAction(icon, action->displayNameWithSuffixes());
        if (const auto hotKey = action->hotKey())
            setKeyEquivalentFromHotKey(item, *hotKey);
        connect(item, &QAction::triggered, this,
                [this, weak = std::weak_ptr<ZRAction>(action)] { triggerActionFromMenu(weak); });
    }
}

void ZRShellMenus::triggerActionFromMenu(const std::weak_ptr<ZRAction>& action) {
    // The menu closes first, so the window the action works on is in front again.
    m_mainRunLoop.performOnNextTurn([self = QPointer<ZRShellMenus>(this), action] {
        if (const auto strong = action.lock(); strong && self)
            self->m_controller.actions().triggerAction(strong, nullptr, true, nullptr, false, false);
    });
}

void ZRShellMenus::addCheatSheet(QMenu* menu) {
    const auto rows = m_controller.cheatSheetDescriptions();
    if (rows.empty())
        return;
    auto* cheatSheet = new QMenu(QObject::tr("Cheat Sheet"), menu);
    const QColor iconColor = menuIconColor(false);
    for (const auto& row : rows) {
        if (!row.actionName) {
            cheatSheet->addSeparator();
            continue;
        }
        // A tab puts the keys in the menu's shortcut column without making them a shortcut of ours.
        QAction* item = cheatSheet->addAction(*row.actionName + u'\t' + row.keyboardShortcut);
        if (row.customControl)
            item->setIcon(QPixmap::fromImage(tintedImage(row.customControl->menuTemplateIcon(), iconColor)));
        item->setEnabled(false);
    }
    menu->addMenu(cheatSheet);
    menu->addSeparator();
}

QMenu* ZRShellMenus::menuForOverlayButton(QWidget* button) {
    if (!m_controller.hasLoadedActionStore() || m_store.topLevelActions().empty())
        return nullptr;
    auto* menu = new QMenu(button);
    addActionItems(menu, m_store.topLevelActions(), true);
    return menu;
}

QMenu* ZRShellMenus::contextMenuForOverlayHitView(QWidget* view) {
    if (enclosingWidgetOfType<ZRMenuOpeningControl>(view) ||
        enclosingWidgetOfType<ZRPaletteItemButtonInterface>(view))
        return nullptr;
    auto* menu = new QMenu(view);
    menuNeedsUpdate(menu);
    return menu;
}

QMenu* ZRShellMenus::menuForPaletteItemButton(QWidget* button) {
    auto* item = enclosingWidgetOfType<ZRPaletteItemButtonInterface>(button);
    const auto action = item ? item->paletteAction() : nullptr;
    if (!action)
        return nullptr;
    auto* menu = new QMenu(button);
    const bool fullyInvertedDarkLook = ZRIsDarkInterfaceStyleEnabled();
    populateMenu(menu, action, false, true, fullyInvertedDarkLook);
    if (menu->isEmpty()) {
        delete menu;
        return nullptr;
    }
    // The palette stays under the menu while it shows, and goes once it has closed, chosen from or not.
    QObject::connect(menu, &QMenu::aboutToHide, this, [self = QPointer<ZRShellMenus>(this)] {
        self->m_mainRunLoop.performOnNextTurn([self] {
            if (!self)
                return;
            for (const auto& area : self->m_controller.areas())
                if (auto* palette = dynamic_cast<ZRPaletteHiding*>(area.get()))
                    palette->hideOverlayRegardless();
        });
    });
    return menu;
}

QMenu* ZRShellMenus::sourceListContextMenuForItem(const ZRActionSourceListRow* row) {
    const auto action = row ? row->action() : nullptr;
    if (!action || !m_sidebarMenuTarget)
        return nullptr;
    auto* menu = new QMenu;
    const auto addCommand = [this, menu, row](const QString& title, ZRSidebarCommand command) {
        menu->addAction(title, this, [this, command, row] {
            if (m_sidebarMenuTarget)
                m_sidebarMenuTarget->performSidebarCommand(command, row);
        });
    };
    if (action->acceptsUserDefinedName())
        addCommand(QObject::tr("Rename"), ZRSidebarCommand::Rename);
    addCommand(QObject::tr("Duplicate"), ZRSidebarCommand::Duplicate);
    addCommand(QObject::tr("Copy"), ZRSidebarCommand::Copy);
    addCommand(QObject::tr("Wrap in Folder"), ZRSidebarCommand::WrapInFolder);
    if (action->actionType() == ZRActionTypeLayout)
        addCommand(QObject::tr("Extract Move and Resize Actions"),
                   ZRSidebarCommand::ExtractMoveAndResizeActions);
    menu->addSeparator();
    addCommand(QObject::tr("Export..."), ZRSidebarCommand::Export);
    addCommand(QObject::tr("Export Icon..."), ZRSidebarCommand::ExportIcon);
    menu->addSeparator();
    addCommand(QObject::tr("Delete"), ZRSidebarCommand::Delete);
    return menu;
}

void ZRShellMenus::populateAddMenu(QMenu* menu) {
    if (!menu)
        return;
    clearMenu(menu);
    // The menu hangs from the settings window and takes its style.
    const QColor iconColor = menu->palette().color(QPalette::Text);
    const auto addTypeItem = [&](ZRActionType type, const QVariantMap* record) {
        QString title;
        const QImage icon = ZRActionDummy::genericMenuTemplateIconForActionType(type, record, &title);
        // A deleted action comes back under the name it had.
        if (record)
            if (const auto dummy = ZRActionDummy::actionWithDictionaryRepresentation(record))
                title = dummy->displayNameWithSuffixes();
        QAction* item = menu->addAction(QPixmap::fromImage(tintedImage(icon, iconColor)), title);
        item->setProperty(ZRAddMenuActionTypeProperty, QVariant::fromValue(static_cast<qint64>(type)));
        if (record)
            item->setData(*record);
        connect(item, &QAction::triggered, this, [this, item] {
            if (m_sidebarMenuTarget)
                m_sidebarMenuTarget->addActionViaMenuItem(item);
        });
        item->setEnabled(m_sidebarMenuTarget != nullptr);
    };
    for (ZRActionType type : AddMenuTypes) {
        if (type == ZRActionTypeSeparator)
            menu->addSeparator();
        else
            addTypeItem(type, nullptr);
    }
    menu->addSeparator();
    for (ZRActionType type : AddMenuStructureTypes)
        addTypeItem(type, nullptr);

    if (!m_sidebarMenuTarget)
        return;
    const QVariantList deleted = m_sidebarMenuTarget->deletedDictionaryRepresentations();
    if (!deleted.isEmpty()) {
        menu->addSection(QObject::tr("Recently Deleted"));
        for (const QVariant& value : deleted) {
            const QVariantMap record = value.toMap();
            bool known = false;
            const qint64 type = record.value(ZRActionKey::Action).toLongLong(&known);
            if (known && ZRActionTypeIsKnown(type))
                addTypeItem(static_cast<ZRActionType>(type), &record);
        }
    }
    menu->addSeparator();
    QAction* merge = menu->addAction(QObject::tr("Merge Selected into One Layout"));
    merge->setEnabled(m_sidebarMenuTarget->mergedLayoutActionFromSelection() != nullptr);
    connect(merge, &QAction::triggered, this, [this, merge] {
        if (m_sidebarMenuTarget)
            m_sidebarMenuTarget->addMergedLayoutActionViaMenuItem(merge);
    });
    QAction* extract = menu->addAction(QObject::tr("Extract Move and Resize Actions"));
    extract->setEnabled(!m_sidebarMenuTarget->extractedMoveAndResizeActionsFromSelection().empty());
    connect(extract, &QAction::triggered, this, [this, extract] {
        if (m_sidebarMenuTarget)
            m_sidebarMenuTarget->addExtractedMoveAndResizeActionsViaMenuItem(extract);
    });
}
