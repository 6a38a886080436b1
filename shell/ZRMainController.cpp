#include "shell/ZRMainController.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRLayoutAutoTrigger.h"
#include "hotkeys/KeyEvent.h"
#include "hotkeys/ZRHotKey.h"
#include "hotkeys/ZRHotKeyContainerView.h"
#include "hotkeys/ZRHotKeyTextView.h"
#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRAboutPanelManager.h"
#include "shell/ZRApplicationMode.h"
#include "shell/ZRProcessFlags.h"
#include "shell/ZRShellAlerts.h"
#include "shell/ZRShellDefaults.h"
#include "shell/ZRShellMenus.h"
#include "shell/ZRStatusItemController.h"
#include "toolkit/KeyStrings.h"
#include "toolkit/ZRLog.h"

#include <QApplication>
#include <QGuiApplication>
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
    if (!sharedController)
        qFatal("the main controller is asked for before the program made it");
    return *sharedController;
}

bool ZRMainController::exists() {
    return sharedController != nullptr;
}

ZRMainController::ZRMainController(ZRActionManager& store, UserDefaults& defaults, Platform& platform,
                                   RunLoop& mainRunLoop, ZRWindowObserver& windowObserver)
    : m_store(store), m_defaults(defaults), m_platform(platform), m_mainRunLoop(mainRunLoop),
      m_actions(std::make_unique<ZRActionController>(store, defaults, platform, mainRunLoop, windowObserver)),
      m_menus(std::make_unique<ZRShellMenus>(*this, store, mainRunLoop)),
      m_statusItemController(
          std::make_unique<ZRStatusItemController>([this](QMenu* menu) { menuNeedsUpdate(menu); })),
      m_alerts(ZRShellAlerts::standardAlerts()) {
    load();
    if (sharedController)
        qFatal("a second main controller is made while the first lives");
    sharedController = this;
    m_store.context().host = this;
}

ZRMainController::~ZRMainController() {
    m_connections.clear();
    if (sharedController == this)
        sharedController = nullptr;
    if (m_store.context().host == this)
        m_store.context().host = nullptr;
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
    UserDefaults& defaults = m_defaults;
    ZRRegisterShellDefaults(defaults);
    // Registered again here, before anything reads them: the store loads later in the launch.
    ZRActionManager::registerDefaults(defaults);
    for (const auto& area : m_areas)
        area->registerDefaults(defaults);
    ZRMigrateShellDefaults(defaults);
    for (const auto& area : m_areas)
        area->migrateDefaults(defaults);
    ZRApplyAccessoryApplicationMode(ZRApplicationModeWantsAccessory(m_defaults), false);
}

void ZRMainController::applicationDidFinishLaunching() {
    applicationWillFinishLaunching();
    if (m_didFinishLaunching)
        return;

    {
        Accessibility& accessibility = m_platform.accessibility();
        if (!accessibility.isProcessTrusted(true))
            ZRLog("not trusted for accessibility: the windows of other applications cannot be moved");
        const double timeout =
            m_defaults.optionalDouble(AccessibilityTimeoutKey).value_or(DefaultAccessibilityTimeout);
        accessibility.setMessagingTimeout(timeout > 0 ? timeout : DefaultAccessibilityTimeout);
    }
    subscribeToNotifications();
    for (const auto& area : m_areas)
        area->fillSettingsControls();
    registerSettingsHotKeys();
    ensureActionStoreLoaded();
    for (const auto& area : m_areas)
        area->buildSettingsWindow();
    showSettingsWindowUnlessStealthy();
    m_mainRunLoop.performOnNextTurn([self = QPointer<ZRMainController>(this)] {
        if (self)
            self->updateStatusItem();
    });
    actions().layoutAutoTrigger().start();

    m_didFinishLaunching = true;
    for (const auto& area : m_areas)
        area->didFinishLaunching();
    if (!m_pendingFiles.isEmpty())
        openFiles(std::exchange(m_pendingFiles, {}));
}

void ZRMainController::ensureActionStoreLoaded() {
    // The settings window, built next, shows the tree; the store was made empty before the settings
    // had their defaults and older keys moved.
    if (!m_store.hasLoaded())
        m_store.load();
    m_actionStoreLoaded = true;
}

void ZRMainController::showSettingsWindowUnlessStealthy() {
    UserDefaults& defaults = m_defaults;
    const bool introShown = defaults.optionalBool(ShowIntroPopoverKey) == false;
    if (defaults.boolForKey(StealthModeKey) && introShown)
        return;
    for (const auto& area : m_areas) {
        if (area->showSettingsWindow()) {
            // The settings window opened at launch is the introduction this program gives: without this, a
            // user who turned "Open these settings when Skaf starts" off would still meet it at every start.
            if (!introShown)
                defaults.setBool(false, ShowIntroPopoverKey);
            return;
        }
    }
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
    Workspace& workspace = m_platform.workspace();
    m_connections.push_back(workspace.activeApplicationChanged.connect(
        [this](const std::optional<RunningApplication>& application) {
            activeApplicationDidChange(application);
        }));
    m_connections.push_back(workspace.activeSpaceChanged.connect([this] { activeSpaceDidChange(); }));
    m_connections.push_back(workspace.willSleep.connect([this] { willSleep(); }));
    m_connections.push_back(workspace.didWake.connect([this] { didWake(); }));
    m_connections.push_back(
        m_platform.screens().screensChanged.connect([this] { screenParametersDidChange(); }));
    m_connections.push_back(m_defaults.changed.connect([this](const QString& key) {
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
    // A failed save logs why and tries again by itself.
    if (m_actionStoreLoaded && !m_terminating)
        (void)m_store.save();
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
    ZRApplyAccessoryApplicationMode(ZRApplicationModeWantsAccessory(m_defaults), false);
    if (m_didFinishLaunching)
        updateStatusItem();
}

// --- Quit

ZRMainController::TerminateReply ZRMainController::applicationShouldTerminate(bool askUser) {
    if (m_terminating)
        return TerminateReply::TerminateNow;
    if (askUser && !m_defaults.boolForKey(QuitWithoutConfirmationKey) && !alerts().confirmQuit())
        return TerminateReply::TerminateCancel;
    if (!saveActionsForTermination(askUser))
        return TerminateReply::TerminateCancel;
    m_terminating = true;
    for (const auto& area : m_areas)
        area->applicationWillTerminate();
    // The areas' quit steps may have changed settings of their own. A failure is logged; the actions,
    // which could not be set up again, were saved above or the quit was cancelled.
    if (m_defaults.hasUnsavedChanges())
        (void)m_defaults.save();
    return TerminateReply::TerminateNow;
}

bool ZRMainController::saveActionsForTermination(bool askUser) {
    if (!m_actionStoreLoaded || m_store.save())
        return true;
    // The file on disk was left as it was: what was saved before is still there.
    const QString reason =
        QObject::tr("The settings file \"%1\" could not be written.").arg(m_defaults.filePath());
    ZRLog("cannot save the custom actions at quit: %@", m_defaults.filePath());
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
    m_statusItemController->setVisible(
        ZRApplicationModeShowsStatusItem(ZRCurrentApplicationMode(m_defaults)));
}

void ZRMainController::menuNeedsUpdate(QMenu* menu) {
    m_menus->menuNeedsUpdate(menu);
}

void ZRMainController::populateMenu(QMenu* menu, const std::shared_ptr<ZRAction>& context,
                                    bool includeMetaItems, bool includeActions, bool invertIconsForDarkMode) {
    m_menus->populateMenu(menu, context, includeMetaItems, includeActions, invertIconsForDarkMode);
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
    for (const auto& action : m_store.allActions()) {
        const auto hotKey = action->hotKey();
        if (!hotKey)
            continue;
        rows.push_back({action->displayNameWithSuffixes(), hotKey->displayString(), action, std::nullopt});
    }
    if (!rows.empty() && !rows.back().actionName)
        rows.pop_back();
    return rows;
}

QMenu* ZRMainController::menuForOverlayButton(QWidget* button) {
    return m_menus->menuForOverlayButton(button);
}

QMenu* ZRMainController::contextMenuForOverlayHitView(QWidget* view) {
    return m_menus->contextMenuForOverlayHitView(view);
}

QMenu* ZRMainController::menuForPaletteItemButton(QWidget* button) {
    return m_menus->menuForPaletteItemButton(button);
}

QMenu* ZRMainController::sourceListContextMenuForItem(const ZRActionSourceListRow* row) {
    return m_menus->sourceListContextMenuForItem(row);
}

void ZRMainController::populateAddMenu(QMenu* menu) {
    m_menus->populateAddMenu(menu);
}

void ZRMainController::setSidebarMenuTarget(ZRSidebarMenuTarget* target) {
    m_menus->setSidebarMenuTarget(target);
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
    UserDefaults& defaults = m_defaults;
    for (const QString& identifier : {KeyboardMenuHotKeyIdentifier, KeyboardControlsHotKeyIdentifier}) {
        std::shared_ptr<ZRHotKey>& slot = settingsHotKeySlot(identifier);
        if (slot)
            slot->unregister();
        slot = nullptr;
        if (defaults.hasValue(identifier)) {
            slot = ZRHotKey::hotKeyWithDictionaryRepresentation(defaults.dictionaryForKey(identifier),
                                                                identifier, m_store.hotKeyContext());
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
        field = new ZRHotKeyTextView(m_platform, m_defaults, m_mainRunLoop);
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
        for (const auto& action : m_store.allActions())
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
        m_defaults.removeObject(identifier);
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
    m_defaults.setObject(hotKey->dictionaryRepresentation(), identifier);
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
