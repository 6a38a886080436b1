#include "shell/ZRMainController.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRActionSourceListRow.h"
#include "actions/ZRPaletteHiding.h"
#include "actions/ZRPaletteItemButtonInterface.h"
#include "keyboard-control/KeyEvent.h"
#include "keyboard-control/MenuItemKeyEquivalents.h"
#include "keyboard-control/ZRHotKey.h"
#include "keyboard-control/ZRHotKeyContainerView.h"
#include "keyboard-control/ZRHotKeyHandlerApplication.h"
#include "keyboard-control/ZRHotKeyTextView.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRAboutPanelManager.h"
#include "shell/ZRApplicationMode.h"
#include "shell/ZRMenuOpeningControl.h"
#include "shell/ZRProcessFlags.h"
#include "shell/ZRShellAlerts.h"
#include "shell/ZRShellDefaults.h"
#include "shell/ZRSidebarMenuTarget.h"
#include "shell/ZRStatusItemController.h"
#include "toolkit/Appearance.h"
#include "toolkit/ImageExtensions.h"
#include "toolkit/KeyStrings.h"
#include "toolkit/ZRLog.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMenu>
#include <QWidget>
#include <algorithm>

namespace {

ZRMainController* sharedController = nullptr;
bool didLoad = false;

const QString QuitWithoutConfirmationKey = QStringLiteral("Quit Without Confirmation");
const QString StealthModeKey = QStringLiteral("Stealth Mode");
// Holds NO once the introduction has been shown.
const QString ShowIntroPopoverKey = QStringLiteral("Show Intro Popover");
const QString AccessibilityTimeoutKey = QStringLiteral("Accessibility API Timeout");
constexpr double DefaultAccessibilityTimeout = 1.0;

const QString KeyboardMenuHotKeyIdentifier = QString::fromUtf16(ZRKeyboardMenuHotKeyIdentifier);
const QString KeyboardControlsHotKeyIdentifier = QString::fromUtf16(ZRKeyboardControlsHotKeyIdentifier);

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

// --- The one instance

void ZRMainController::load() {
    if (didLoad)
        return;
    didLoad = true;
    ZRProcessFlags& flags = ZRSharedProcessFlags();
    flags.screenBackgroundViewsDrawMenuBarAndDock = true;
    flags.helpManagerIndexesPages = false;
}

ZRMainController& ZRMainController::mainController() {
    if (!sharedController) {
        load();
        sharedController = new ZRMainController;
    }
    return *sharedController;
}

bool ZRMainController::exists() {
    return sharedController != nullptr;
}

void ZRMainController::destroyMainController() {
    delete std::exchange(sharedController, nullptr);
}

ZRMainController::ZRMainController()
    : m_actions(std::make_unique<ZRActionController>()),
      m_statusItemController(
          std::make_unique<ZRStatusItemController>([this](QMenu* menu) { menuNeedsUpdate(menu); })),
      m_alerts(ZRShellAlerts::standardAlerts()) {
    ZRAction::setHost(this);
}

ZRMainController::~ZRMainController() {
    m_connections.clear();
    if (ZRAction::host() == this)
        ZRAction::setHost(nullptr);
    if (auto* application = ZRHotKeyHandlerApplication::instance();
        application && application->hotKeyHandler() == this)
        application->setHotKeyHandler(nullptr);
    // Areas lean on what was there before them: the last added goes first.
    while (!m_areas.empty())
        m_areas.pop_back();
    m_statusItemController.reset();
    dismissIntroPopover();
    for (ZRHotKeyTextView* field :
         {m_keyboardMenuHotKeyTextView.data(), m_keyboardControlHotKeyTextView.data()}) {
        if (!field)
            continue;
        field->setHotKeyDelegate(nullptr);
        if (!field->containerView()->parent())
            delete field->containerView();
    }
    for (auto* hotKey : {&m_keyboardMenuHotKey, &m_keyboardControlHotKey})
        if (*hotKey)
            (*hotKey)->unregister();
    m_actions.reset();
}

ZRActionController& ZRMainController::actions() {
    return *m_actions;
}

void ZRMainController::addArea(std::unique_ptr<ZRApplicationArea> area) {
    if (area)
        m_areas.push_back(std::move(area));
}

// --- Launch

void ZRMainController::applicationWillFinishLaunching() {
    if (m_didWillFinishLaunching)
        return;
    m_didWillFinishLaunching = true;
    UserDefaults& defaults = UserDefaults::standard();
    ZRRegisterShellDefaults(defaults);
    // Registered again here, before anything reads them: the store's first use may come late.
    ZRActionManager::registerDefaults();
    for (const auto& area : m_areas)
        area->registerDefaults(defaults);
    ZRMigrateShellDefaults(defaults);
    for (const auto& area : m_areas)
        area->migrateDefaults(defaults);
    ZRApplyAccessoryApplicationMode(ZRApplicationModeWantsAccessory(), false);
}

void ZRMainController::applicationDidFinishLaunching() {
    applicationWillFinishLaunching();
    if (m_didFinishLaunching)
        return;

    if (Platform::hasCurrent()) {
        Accessibility& accessibility = Platform::current().accessibility();
        if (!accessibility.isProcessTrusted(true))
            ZRLog("not trusted for accessibility: the windows of other applications cannot be moved");
        const double timeout = UserDefaults::standard()
                                   .optionalDouble(AccessibilityTimeoutKey)
                                   .value_or(DefaultAccessibilityTimeout);
        accessibility.setMessagingTimeout(timeout > 0 ? timeout : DefaultAccessibilityTimeout);
    }
    subscribeToNotifications();
    for (const auto& area : m_areas)
        area->fillSettingsControls();
    registerSettingsHotKeys();
    for (const auto& area : m_areas)
        area->buildSettingsWindow();
    ensureActionStoreLoaded();
    showSettingsWindowUnlessStealthy();
    RunLoop::main().performOnNextTurn([self = QPointer<ZRMainController>(this)] {
        if (self)
            self->updateStatusItem();
    });
    // Here the layouts that trigger by themselves for the current display configuration would be
    // applied, and the snapshot for waking scheduled; the actions area keeps their settings only.

    m_didFinishLaunching = true;
    for (const auto& area : m_areas)
        area->didFinishLaunching();
    if (!m_pendingFiles.isEmpty())
        openFiles(std::exchange(m_pendingFiles, {}));
}

void ZRMainController::ensureActionStoreLoaded() {
    // The store loads on its first use; the settings window normally is that use.
    ZRActionManager::actionManager();
    m_actionStoreLoaded = true;
}

void ZRMainController::showSettingsWindowUnlessStealthy() {
    const UserDefaults& defaults = UserDefaults::standard();
    const bool introShown = defaults.optionalBool(ShowIntroPopoverKey) == false;
    if (defaults.boolForKey(StealthModeKey) && introShown)
        return;
    for (const auto& area : m_areas)
        if (area->showSettingsWindow())
            return;
}

void ZRMainController::openFiles(const QStringList& paths) {
    if (paths.isEmpty())
        return;
    if (!m_didFinishLaunching) {
        m_pendingFiles += paths;
        return;
    }
    for (const auto& area : m_areas)
        if (area->openFiles(paths))
            return;
    ZRLog("cannot open files: nothing in this program imports them: %@", paths.join(QStringLiteral(", ")));
}

void ZRMainController::subscribeToNotifications() {
    if (Platform::hasCurrent()) {
        Workspace& workspace = Platform::current().workspace();
        m_connections.push_back(workspace.activeApplicationChanged.connect(
            [this](const std::optional<RunningApplication>& application) {
                activeApplicationDidChange(application);
            }));
        m_connections.push_back(workspace.activeSpaceChanged.connect([this] { activeSpaceDidChange(); }));
        m_connections.push_back(workspace.willSleep.connect([this] { willSleep(); }));
        m_connections.push_back(workspace.didWake.connect([this] { didWake(); }));
        m_connections.push_back(
            Platform::current().screens().screensChanged.connect([this] { screenParametersDidChange(); }));
    }
    m_connections.push_back(UserDefaults::standard().changed.connect([this](const QString& key) {
        if (key == QString::fromUtf16(ZRApplicationModeUserDefaultName) ||
            key == QString::fromUtf16(ZRApplicationModeTemporaryDockIconUserDefaultName))
            applyApplicationMode();
    }));
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        m_wasActive = application->applicationState() == Qt::ApplicationActive;
        connect(application, &QGuiApplication::applicationStateChanged, this,
                [this](Qt::ApplicationState state) {
                    const bool active = state == Qt::ApplicationActive;
                    if (m_wasActive && !active)
                        applicationWillResignActive();
                    m_wasActive = active;
                });
    }
}

// --- Running

void ZRMainController::activeApplicationDidChange(const std::optional<RunningApplication>& application) {
    for (const auto& area : m_areas)
        area->activeApplicationDidChange(application);
}

void ZRMainController::activeSpaceDidChange() {
    for (const auto& area : m_areas)
        area->activeSpaceDidChange();
}

void ZRMainController::willSleep() {
    for (const auto& area : m_areas)
        area->willSleep();
}

void ZRMainController::didWake() {
    for (const auto& area : m_areas)
        area->didWake();
}

void ZRMainController::screenParametersDidChange() {
    for (const auto& area : m_areas)
        area->screenParametersDidChange();
}

void ZRMainController::applicationWillResignActive() {
    if (m_actionStoreLoaded && !m_terminating)
        ZRActionManager::actionManager().save();
}

void ZRMainController::applicationShouldHandleReopen() {
    bool shown = false;
    for (const auto& area : m_areas)
        if ((shown = area->showSettingsWindow()))
            break;
    if (!shown)
        ZRAboutPanelManager::aboutPanelManager().orderFrontStandardAboutPanel(this);
}

void ZRMainController::applyApplicationMode() {
    ZRApplyAccessoryApplicationMode(ZRApplicationModeWantsAccessory(), false);
    if (m_didFinishLaunching)
        updateStatusItem();
}

// --- Quit

ZRMainController::TerminateReply ZRMainController::applicationShouldTerminate(bool askUser) {
    if (m_terminating)
        return TerminateReply::TerminateNow;
    if (askUser && !UserDefaults::standard().boolForKey(QuitWithoutConfirmationKey) &&
        !alerts().confirmQuit())
        return TerminateReply::TerminateCancel;
    if (!saveActionsForTermination(askUser))
        return TerminateReply::TerminateCancel;
    m_terminating = true;
    for (const auto& area : m_areas)
        area->applicationWillTerminate();
    // The areas' quit steps may have changed settings of their own.
    if (UserDefaults::standard().hasUnsavedChanges())
        UserDefaults::standard().save();
    return TerminateReply::TerminateNow;
}

bool ZRMainController::saveActionsForTermination(bool askUser) {
    if (!m_actionStoreLoaded || ZRActionManager::actionManager().save())
        return true;
    // The file on disk was left as it was: what was saved before is still there.
    const QString reason = QObject::tr("The settings file \"%1\" could not be written.")
                               .arg(UserDefaults::standard().filePath());
    ZRLog("cannot save the custom actions at quit: %@", UserDefaults::standard().filePath());
    if (!askUser)
        return true;
    return alerts().actionsCouldNotBeSaved(reason) == ZRShellAlerts::SaveFailureAnswer::QuitAnyway;
}

void ZRMainController::terminate() {
    if (applicationShouldTerminate() == TerminateReply::TerminateNow && QCoreApplication::instance())
        QCoreApplication::quit();
}

// --- Status item and menus

ZRStatusItemController& ZRMainController::statusItemController() {
    return *m_statusItemController;
}

void ZRMainController::updateStatusItem() {
    m_statusItemController->setVisible(ZRApplicationModeShowsStatusItem(ZRCurrentApplicationMode()));
}

void ZRMainController::menuNeedsUpdate(QMenu* menu) {
    if (!menu)
        menu = m_statusItemController->menu();
    clearMenu(menu);
    populateMenu(menu, nullptr, false, true, false);
    addCheatSheet(menu);
    for (const auto& area : m_areas)
        area->populateStatusMenu(menu);
    populateMenu(menu, nullptr, true, false, false);
}

void ZRMainController::populateMenu(QMenu* menu, const std::shared_ptr<ZRAction>& context,
                                    bool includeMetaItems, bool includeActions, bool invertIconsForDarkMode) {
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
        } else if (m_actionStoreLoaded) {
            actions = ZRActionManager::actionManager().topLevelActions();
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
    const bool hasSettingsWindow = std::any_of(m_areas.begin(), m_areas.end(),
                                               [](const auto& area) { return area->hasSettingsWindow(); });
    if (hasSettingsWindow) {
        menu->addAction(QObject::tr("Settings..."), this, [this] {
            for (const auto& area : m_areas)
                if (area->showSettingsWindow())
                    return;
        });
    }
    menu->addAction(QObject::tr("About Skaf"), this,
                    [this] { ZRAboutPanelManager::aboutPanelManager().orderFrontStandardAboutPanel(this); });
    menu->addSeparator();
    menu->addAction(QObject::tr("Quit Skaf"), this, [this] { terminate(); });
}

void ZRMainController::addActionItems(QMenu* menu, const std::vector<std::shared_ptr<ZRAction>>& actions,
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

void ZRMainController::triggerActionFromMenu(const std::weak_ptr<ZRAction>& action) {
    // The menu closes first, so the window the action works on is in front again.
    RunLoop::main().performOnNextTurn([self = QPointer<ZRMainController>(this), action] {
        if (const auto strong = action.lock(); strong && self)
            self->m_actions->triggerAction(strong, nullptr, true, nullptr, false, false);
    });
}

std::vector<ZRKeyboardControlDescription> ZRMainController::cheatSheetDescriptions() const {
    std::vector<ZRKeyboardControlDescription> rows;
    const auto addGroupSeparator = [&rows] {
        if (!rows.empty() && rows.back().actionName)
            rows.push_back({});
    };
    for (const auto& entry : m_actions->keyboardControlKeyMap().entries()) {
        const QString keys = stringRepresentingKeys(entry.keyCode, entry.modifierFlags, false);
        if (entry.action)
            rows.push_back(
                {entry.action->displayNameWithSuffixes(), keys, nullptr, entry.action->actionType()});
        else
            rows.push_back({QObject::tr("Close Keyboard Controls"), keys, nullptr, std::nullopt});
    }
    addGroupSeparator();
    const std::pair<const std::shared_ptr<ZRHotKey>*, QString> settingsHotKeys[] = {
        {&m_keyboardMenuHotKey, QObject::tr("Keyboard Menu")},
        {&m_keyboardControlHotKey, QObject::tr("Keyboard Controls")},
    };
    for (const auto& [hotKey, name] : settingsHotKeys)
        if (*hotKey)
            rows.push_back({name, (*hotKey)->displayString(), nullptr, std::nullopt});
    addGroupSeparator();
    if (!m_actionStoreLoaded)
        return rows;
    for (const auto& action : ZRActionManager::actionManager().allActions()) {
        const auto hotKey = action->hotKey();
        if (!hotKey)
            continue;
        rows.push_back({action->displayNameWithSuffixes(), hotKey->displayString(), action, std::nullopt});
    }
    if (!rows.empty() && !rows.back().actionName)
        rows.pop_back();
    return rows;
}

void ZRMainController::addCheatSheet(QMenu* menu) {
    const auto rows = cheatSheetDescriptions();
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

QMenu* ZRMainController::menuForOverlayButton(QWidget* button) {
    if (!m_actionStoreLoaded || ZRActionManager::actionManager().topLevelActions().empty())
        return nullptr;
    auto* menu = new QMenu(button);
    addActionItems(menu, ZRActionManager::actionManager().topLevelActions(), true);
    return menu;
}

QMenu* ZRMainController::contextMenuForOverlayHitView(QWidget* view) {
    if (enclosingWidgetOfType<ZRMenuOpeningControl>(view) ||
        enclosingWidgetOfType<ZRPaletteItemButtonInterface>(view))
        return nullptr;
    auto* menu = new QMenu(view);
    menuNeedsUpdate(menu);
    return menu;
}

QMenu* ZRMainController::menuForPaletteItemButton(QWidget* button) {
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
    RunLoop::main().performOnNextTurn([self = QPointer<ZRMainController>(this)] {
        if (!self)
            return;
        for (const auto& area : self->m_areas)
            if (auto* palette = dynamic_cast<ZRPaletteHiding*>(area.get()))
                palette->hideOverlayRegardless();
    });
    return menu;
}

QMenu* ZRMainController::sourceListContextMenuForItem(const ZRActionSourceListRow* row) {
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

void ZRMainController::populateAddMenu(QMenu* menu) {
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

void ZRMainController::setIntroPopover(QWidget* popover) {
    if (m_introPopover && m_introPopover != popover)
        dismissIntroPopover();
    m_introPopover = popover;
}

void ZRMainController::dismissIntroPopover() {
    if (QWidget* popover = m_introPopover.data()) {
        m_introPopover = nullptr;
        popover->close();
        popover->deleteLater();
    }
}

// --- The settings hot keys

std::shared_ptr<ZRHotKey>& ZRMainController::settingsHotKeySlot(const QString& identifier) {
    return identifier == KeyboardMenuHotKeyIdentifier ? m_keyboardMenuHotKey : m_keyboardControlHotKey;
}

bool ZRMainController::settingsHotKeyIsActive(const QString& identifier) const {
    const auto& hotKey =
        identifier == KeyboardMenuHotKeyIdentifier ? m_keyboardMenuHotKey : m_keyboardControlHotKey;
    return hotKey && hotKey->isRegistered();
}

void ZRMainController::registerSettingsHotKeys() {
    UserDefaults& defaults = UserDefaults::standard();
    for (const QString& identifier : {KeyboardMenuHotKeyIdentifier, KeyboardControlsHotKeyIdentifier}) {
        std::shared_ptr<ZRHotKey>& slot = settingsHotKeySlot(identifier);
        if (slot)
            slot->unregister();
        slot = nullptr;
        if (defaults.hasValue(identifier)) {
            slot = ZRHotKey::hotKeyWithDictionaryRepresentation(defaults.dictionaryForKey(identifier),
                                                                identifier);
            // A record that cannot be read stays as it is; the user sees no hot key and may set one.
            if (!slot)
                ZRLog("cannot read the hot key of \"%@\"", identifier);
        }
        // A hot key that another program holds right now stays the user's setting: it is kept, shown as
        // not active, and registered again at the next launch.
        if (slot && !slot->registerForDelegate(*this))
            ZRLog("cannot register the hot key %@ of \"%@\": kept, not active",
                  slot->visualRepresentation().value_or(QString()), identifier);
        showSettingsHotKey(identifier);
    }
}

// The field tells the areas through didSetHotKey; without a field the controller tells them itself.
void ZRMainController::showSettingsHotKey(const QString& identifier) {
    ZRHotKeyTextView* field = identifier == KeyboardMenuHotKeyIdentifier
                                  ? m_keyboardMenuHotKeyTextView.data()
                                  : m_keyboardControlHotKeyTextView.data();
    if (field)
        field->setHotKey(settingsHotKeySlot(identifier));
    else
        tellAreasSettingsHotKeyDidChange(identifier);
}

ZRHotKeyTextView* ZRMainController::keyboardMenuHotKeyTextView() {
    return settingsHotKeyTextView(m_keyboardMenuHotKeyTextView, KeyboardMenuHotKeyIdentifier);
}

ZRHotKeyTextView* ZRMainController::keyboardControlHotKeyTextView() {
    return settingsHotKeyTextView(m_keyboardControlHotKeyTextView, KeyboardControlsHotKeyIdentifier);
}

ZRHotKeyTextView* ZRMainController::settingsHotKeyTextView(QPointer<ZRHotKeyTextView>& field,
                                                           const QString& identifier) {
    if (!field) {
        field = new ZRHotKeyTextView;
        field->setObjectName(identifier);
        field->setHotKeyDelegate(this);
        field->setHotKey(settingsHotKeySlot(identifier));
    }
    return field;
}

void ZRMainController::tellAreasSettingsHotKeyDidChange(const QString& identifier) {
    const auto& hotKey = settingsHotKeySlot(identifier);
    const bool active = settingsHotKeyIsActive(identifier);
    for (const auto& area : m_areas)
        area->settingsHotKeyDidChange(identifier, hotKey, active);
}

std::vector<std::shared_ptr<ZRHotKey>> ZRMainController::hotKeys() const {
    std::vector<std::shared_ptr<ZRHotKey>> hotKeys = settingsHotKeys();
    std::erase_if(hotKeys, [this](const auto& hotKey) { return hotKey.get() == m_hotKeyBeingReplaced; });
    // Before the store has loaded its actions hold no hot keys yet; asking would load it early.
    if (m_actionStoreLoaded)
        for (const auto& action : ZRActionManager::actionManager().allActions())
            if (auto hotKey = action->hotKey())
                hotKeys.push_back(std::move(hotKey));
    return hotKeys;
}

std::uint32_t ZRMainController::hotKeySignature() const {
    return ZRHotKeySignature;
}

QString ZRMainController::identifierForHotKeyTextView(const ZRHotKeyTextView* textView) const {
    return textView && textView == m_keyboardMenuHotKeyTextView.data() ? KeyboardMenuHotKeyIdentifier
                                                                       : KeyboardControlsHotKeyIdentifier;
}

bool ZRMainController::shouldSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) {
    if (identifier != KeyboardMenuHotKeyIdentifier && identifier != KeyboardControlsHotKeyIdentifier)
        return false;
    std::shared_ptr<ZRHotKey>& slot = settingsHotKeySlot(identifier);
    if (!hotKey) {
        UserDefaults::standard().removeObject(identifier);
        if (slot)
            slot->unregister();
        slot = nullptr;
        return true;
    }
    // The hot key it replaces neither counts as taken nor keeps its keys from the new one, so the same
    // combination can be entered again (also one that launch could not register).
    const std::shared_ptr<ZRHotKey> previous = slot != hotKey ? slot : nullptr;
    const bool previousWasRegistered = previous && previous->hotKeyReference() != 0;
    if (previous)
        previous->unregister();
    m_hotKeyBeingReplaced = previous.get();
    const bool registered = hotKey->registerForDelegate(*this);
    m_hotKeyBeingReplaced = nullptr;
    if (!registered) {
        // Nothing changes: the previous hot key takes its keys back.
        if (previousWasRegistered && !previous->registerForDelegate(*this))
            ZRLog("cannot register the hot key %@ of \"%@\" again",
                  previous->visualRepresentation().value_or(QString()), identifier);
        return false;
    }
    UserDefaults::standard().setObject(hotKey->dictionaryRepresentation(), identifier);
    slot = hotKey;
    return true;
}

void ZRMainController::didSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) {
    if (identifier == KeyboardMenuHotKeyIdentifier || identifier == KeyboardControlsHotKeyIdentifier)
        tellAreasSettingsHotKeyDidChange(identifier);
}

std::vector<std::shared_ptr<ZRHotKey>> ZRMainController::settingsHotKeys() const {
    std::vector<std::shared_ptr<ZRHotKey>> hotKeys;
    for (const auto* hotKey : {&m_keyboardMenuHotKey, &m_keyboardControlHotKey})
        if (*hotKey)
            hotKeys.push_back(*hotKey);
    return hotKeys;
}

void ZRMainController::assignKeyboardControlHotKey() {
    for (const auto& area : m_areas)
        if (area->beginAssigningKeyboardControlHotKey())
            return;
    ZRLog("cannot assign the keyboard controls hot key: no settings window");
}

bool ZRMainController::handleKeyDownEvent(const KeyEvent& event, bool& repeat) {
    return m_actions->handleKeyDownEvent(event, repeat);
}

// --- Alerts

void ZRMainController::setAlerts(std::unique_ptr<ZRShellAlerts> alerts) {
    m_alerts = alerts ? std::move(alerts) : ZRShellAlerts::standardAlerts();
}

ZRShellAlerts& ZRMainController::alerts() {
    return *m_alerts;
}
