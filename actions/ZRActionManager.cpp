#include "actions/ZRActionManager.h"
#include "actions/ZRActionHost.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionSourceListRow.h"
#include "actions/ZRFrameMemory.h"
#include "hotkeys/ZRHotKey.h"
#include "platform/foundation/AtomicFile.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRLog.h"
#include "window-access/GridGeometry.h"
#include "window-access/PropertyListSafeValue.h"

#include <QFile>
#include <QFileInfo>
#include <QWidget>
#include <algorithm>
#include <set>

namespace {

const QString StoreKey = QString::fromUtf16(ZRCustomControlsUserDefaultName);

// The configuration grid of a new move-and-resize action.
constexpr int DefaultConfigurationGridColumns = 6;
constexpr int DefaultConfigurationGridRows = 4;

ZRActionManager* installedStore = nullptr;

// Grids ask the installed store for the dimensions in use.
void installGridDimensionsProvider() {
    ZRGridGeometry::setGridDimensionsInUseProvider(
        [] { return installedStore ? installedStore->gridDimensionsInUse() : std::vector<std::int64_t>(); });
}

// Depth first, each action once, no deeper than folders may nest.
void walk(const std::vector<std::shared_ptr<ZRAction>>& actions, int depth,
          std::unordered_set<const ZRAction*>& visited, std::vector<std::shared_ptr<ZRAction>>& into) {
    if (depth > ZRAction::MaximumFolderDepth)
        return;
    for (const auto& action : actions) {
        if (!action || !visited.insert(action.get()).second)
            continue;
        into.push_back(action);
        if (action->actionType() == ZRActionTypeFolder)
            walk(action->children(), depth + 1, visited, into);
    }
}

bool isGridDimensionKey(const QString& key) {
    return key.endsWith(QStringLiteral(": Columns")) || key.endsWith(QStringLiteral(": Rows"));
}

} // namespace

ZRActionContext& ZRActionManager::actionContext() {
    if (installedStore)
        return installedStore->m_actionContext;
    // Actions read outside any store (a record checked before the launch) find no host, capture or pane.
    static ZRActionContext none;
    return none;
}

ZRActionManager* ZRActionManager::actionManagerIfMade() {
    return installedStore;
}

ZRActionManager& ZRActionManager::actionManager() {
    Q_ASSERT(installedStore);
    return *installedStore;
}

ZRActionManager::Installation::Installation(ZRActionManager& store)
    : m_previous(std::exchange(installedStore, &store)) {
    installGridDimensionsProvider();
}

ZRActionManager::Installation::~Installation() {
    installedStore = m_previous;
}

ZRActionManager::ZRActionManager(UserDefaults& defaults, GlobalHotKeys& globalHotKeys, RunLoop& mainRunLoop,
                                 NotificationCenter& notifications)
    : m_defaults(defaults), m_mainRunLoop(mainRunLoop),
      m_notifications(notifications), m_hotKeyContext{globalHotKeys, defaults, mainRunLoop} {
    m_actionContext.hotKeys = &m_hotKeyContext;
    // Only the installed store hears its actions change: actions reach the installed store's context.
    m_actionContext.changeObserver = [this](const ZRAction& action) { actionDidChange(action); };
}

ZRActionManager::~ZRActionManager() {
    // Actions that outlive the store (in a menu, say) must not keep its keys grabbed.
    replaceTree({});
}

void ZRActionManager::registerDefaults(UserDefaults& defaults) {
    defaults.registerDefaults({
        {ZRGridDimensionKey::ConfigurationGridColumns, DefaultConfigurationGridColumns},
        {ZRGridDimensionKey::ConfigurationGridRows, DefaultConfigurationGridRows},
        {QString::fromUtf16(ZRNonModifierHotKeysAreLocalUserDefaultName), true},
        // Without it, revert and snap back would find no frames to go back to.
        {QString::fromUtf16(ZRFrameStorageEnableUserDefaultName), true},
    });
}

// --- Loading and saving

bool ZRActionManager::load() {
    const QVariant stored = m_defaults.object(StoreKey);
    m_loaded = true;
    m_storedValueUnreadable = false;
    m_changedSinceLoad = false;
    m_unusableRecords = {};
    if (stored.isValid() && stored.typeId() != QMetaType::QVariantList) {
        ZRLog("cannot load actions: \"%@\" holds %@, not an array; it is kept until the actions change",
              StoreKey, QString::fromLatin1(stored.metaType().name()));
        m_storedValueUnreadable = true;
        replaceTree({});
        return false;
    }
    m_loading = true;
    {
        // Every action's hot key is asked of the desktop at once, when all are read.
        ZRHotKeyRegistrationBatch hotKeys;
        replaceTree(
            ZRAction::actionsFromCollection(stored.toList(), true, &m_unusableRecords, &m_hotKeyContext));
    }
    m_loading = false;
    m_unusableRecordsAtLoad = unusableRecordCount();
    if (m_unusableRecordsAtLoad > 0)
        ZRLog("keeping %lld stored action records that this version cannot use as they are",
              qint64(m_unusableRecordsAtLoad));
    m_notifications.post(ZRActionsDidChangeNotification, this);
    return true;
}

bool ZRActionManager::save() {
    m_saveRequest.cancel();
    m_saveRetry.cancel();
    m_needsSave = false;
    // What loaded unchanged is on disk already, in the form it had there.
    if (!m_changedSinceLoad)
        return true;
    QVariant value = m_unusableRecords.interleavedWith(m_topLevelActions);
    bool losesData = m_storedValueUnreadable || unusableRecordCount() < m_unusableRecordsAtLoad;
    if (!PropertyList::isValid(value)) {
        ZRLog("actions hold values that cannot be saved as they are; saving them as text");
        value = ZRPropertyListSafeValue(value);
        losesData = true;
    }
    if (losesData && !copySettingsAsideBeforeLosingData())
        return false;
    m_storedValueUnreadable = false;
    UserDefaults& defaults = m_defaults;
    defaults.setObject(value, StoreKey);
    if (defaults.save())
        return true;
    // Another try would be as large; the next change, a deletion say, saves again.
    if (defaults.lastSaveWasTooLarge()) {
        ZRLog("cannot save actions: the settings file would be larger than %lld bytes; remove actions so "
              "that they can be saved",
              defaults.maximumFileBytes());
        return false;
    }
    ZRLog("cannot save actions: trying again in %g seconds", SaveRetryDelay);
    // Each try logs its own failure and schedules the next.
    m_saveRetry = m_mainRunLoop.performLater(SaveRetryDelay, [this] { (void)save(); });
    return false;
}

bool ZRActionManager::hasRoomFor(const std::vector<std::shared_ptr<ZRAction>>& actions) const {
    QVariantList records;
    for (const auto& action : actions)
        records.append(action->dictionaryRepresentation());
    const UserDefaults& defaults = m_defaults;
    const qint64 room = defaults.maximumFileBytes() - defaults.storedFileBytes();
    const QByteArray added = room > 0 ? PropertyList::toData(records, nullptr, room) : QByteArray();
    // In the file the records stand one level deeper than in a list of their own: a tab more per line.
    // Records with no written form are saved as text, however large they are.
    if ((!added.isEmpty() && added.size() + added.count('\n') <= room) ||
        (room > 0 && added.isEmpty() && !PropertyList::isValid(records)))
        return true;
    ZRLog("cannot add %lld actions: the settings file would be larger than %lld bytes",
          qint64(actions.size()), defaults.maximumFileBytes());
    return false;
}

bool ZRActionManager::copySettingsAsideBeforeLosingData() {
    if (m_copiedAside)
        return true;
    const QString path = m_defaults.filePath();
    if (!QFileInfo::exists(path)) {
        m_copiedAside = true;
        return true;
    }
    const QString copy = siblingPathWithTimeStamp(path, QStringLiteral("before-actions-changed"));
    if (!QFile::copy(path, copy)) {
        ZRLog("cannot save actions: some stored ones cannot be kept, and %@ cannot be copied to %@ first",
              path, copy);
        return false;
    }
    m_copiedAside = true;
    ZRLog("some stored actions cannot be kept as they were; the settings file before this save is %@", copy);
    return true;
}

std::size_t ZRActionManager::unusableRecordCount() const {
    std::size_t count = m_unusableRecords.size();
    for (const auto& action : allActions())
        if (action->actionType() == ZRActionTypeFolder)
            count += action->unusableMembers().size();
    return count;
}

void ZRActionManager::setNeedsSave() {
    m_needsSave = true;
    m_changedSinceLoad = true;
    m_notifications.post(ZRActionsDidChangeNotification, this);
    // A failed save logs why and tries again when it can.
    m_saveRequest = m_mainRunLoop.performLater(0, [this] { (void)save(); });
}

bool ZRActionManager::needsSave() const {
    return m_needsSave;
}

void ZRActionManager::actionDidChange(const ZRAction& action) {
    if (m_loading || m_rebuilding || !m_members.contains(&action))
        return;
    // A folder may have taken new members or dropped its members, also by becoming another type.
    replaceTree(m_topLevelActions);
    setNeedsSave();
}

// --- The tree

void ZRActionManager::replaceTree(std::vector<std::shared_ptr<ZRAction>> topLevelActions) {
    // The members as they were: a folder's members may have changed already, so they are not walked again.
    const std::vector<std::weak_ptr<ZRAction>> before = std::move(m_memberActions);
    const std::unordered_set<const ZRAction*> previous = std::move(m_members);
    m_topLevelActions = std::move(topLevelActions);
    m_members.clear();
    std::vector<std::shared_ptr<ZRAction>> all;
    walk(m_topLevelActions, 0, m_members, all);
    m_memberActions.assign(all.begin(), all.end());
    // An action that comes back into the tree takes up its hot key again (a loading tree registers its
    // own as it is made).
    for (const auto& action : all) {
        const auto hotKey = action->hotKey();
        if (!hotKey || m_loading || previous.contains(action.get()) || hotKey->isRegistered())
            continue;
        if (!hotKey->registerForDelegate(*action))
            ZRLog("cannot register hot key <%@> of action %@",
                  hotKey->visualRepresentation().value_or(QString()), action->uniqueIdentifier());
    }
    // One that left must not keep its keys grabbed while something else (a menu, an undo record) holds it.
    for (const auto& weak : before) {
        const auto action = weak.lock();
        if (action && !m_members.contains(action.get()) && action->hotKey())
            action->hotKey()->unregister();
    }
}

std::vector<std::shared_ptr<ZRAction>> ZRActionManager::allActions() const {
    std::vector<std::shared_ptr<ZRAction>> all;
    std::unordered_set<const ZRAction*> visited;
    walk(m_topLevelActions, 0, visited, all);
    return all;
}

void ZRActionManager::insertAction(const std::shared_ptr<ZRAction>& action) {
    if (!action || m_members.contains(action.get()))
        return;
    auto actions = m_topLevelActions;
    actions.insert(actions.begin(), action);
    replaceTree(std::move(actions));
    setNeedsSave();
}

void ZRActionManager::populateWithSourceListItems(const std::vector<const ZRActionSourceListRow*>& rows) {
    std::unordered_set<const ZRAction*> seen;
    const auto build = [&](const auto& self, const std::vector<const ZRActionSourceListRow*>& level,
                           int depth) -> std::vector<std::shared_ptr<ZRAction>> {
        std::vector<std::shared_ptr<ZRAction>> actions;
        for (const ZRActionSourceListRow* row : level) {
            std::shared_ptr<ZRAction> action = row ? row->action() : nullptr;
            if (!action)
                continue;
            if (!seen.insert(action.get()).second) {
                ZRLog("action %@ is in the sidebar twice; keeping its first place",
                      action->uniqueIdentifier());
                continue;
            }
            if (action->actionType() == ZRActionTypeFolder) {
                if (depth + 1 > ZRAction::MaximumFolderDepth) {
                    ZRLog("folder %@ nests deeper than %d; its members are left out",
                          action->uniqueIdentifier(), ZRAction::MaximumFolderDepth);
                    action->setChildren({});
                } else {
                    action->setChildren(self(self, row->childRows(), depth + 1));
                }
            }
            actions.push_back(std::move(action));
        }
        return actions;
    };
    // Folders get their new members one by one; the tree is taken as a whole once they all have them, so
    // that an action moving between folders keeps its hot key registered throughout.
    m_rebuilding = true;
    auto topLevel = build(build, rows, 0);
    m_rebuilding = false;
    replaceTree(std::move(topLevel));
    setNeedsSave();
}

std::shared_ptr<ZRAction> ZRActionManager::actionWithIdentifier(const QString& identifier,
                                                                bool ephemeral) const {
    if (identifier.isEmpty())
        return nullptr;
    for (const auto& action : allActions()) {
        if (action->uniqueIdentifier() == identifier)
            return action;
    }
    if (!ephemeral)
        return nullptr;
    std::erase_if(m_ephemeralActions, [](const std::weak_ptr<ZRAction>& action) { return action.expired(); });
    for (const auto& weak : m_ephemeralActions) {
        if (auto action = weak.lock(); action && action->uniqueIdentifier() == identifier)
            return action;
    }
    return nullptr;
}

void ZRActionManager::addEphemeralAction(const std::shared_ptr<ZRAction>& action) {
    if (!action)
        return;
    std::erase_if(m_ephemeralActions, [](const std::weak_ptr<ZRAction>& weak) { return weak.expired(); });
    m_ephemeralActions.push_back(action);
}

std::vector<std::shared_ptr<ZRAction>>
ZRActionManager::chainedActionsForAction(const ZRAction& action) const {
    std::vector<std::shared_ptr<ZRAction>> chained;
    if (action.actionType() != ZRActionTypeFolder || !action.chain())
        return chained;
    std::unordered_set<const ZRAction*> visited{&action};
    const auto collect = [&](const auto& self, const ZRAction& folder, int depth) -> void {
        for (const auto& child : folder.children()) {
            if (!child || child->actionType() < ZRActionTypeRevert || !visited.insert(child.get()).second)
                continue;
            if (child->actionType() == ZRActionTypeFolder && !child->chain()) {
                if (depth < ZRAction::MaximumFolderDepth)
                    self(self, *child, depth + 1);
            } else {
                chained.push_back(child);
            }
        }
    };
    collect(collect, action, 0);
    return chained;
}

// --- Focus and the configuration collection view

void ZRActionManager::setFocusAction(const std::shared_ptr<ZRAction>& action) {
    m_focusAction = action;
}

QWidget* ZRActionManager::collectionView() const {
    return m_collectionView;
}

void ZRActionManager::setCollectionView(QWidget* collectionView) {
    m_collectionView = collectionView;
}

QList<QWidget*> ZRActionManager::configurationViewsInCollectionView(QWidget*) {
    if (!m_focusAction)
        return {};
    if (QWidget* view = m_focusAction->configurationView())
        return {view};
    return {};
}

std::vector<std::int64_t> ZRActionManager::gridDimensionsInUse() const {
    std::set<std::int64_t> dimensions;
    for (const auto& action : allActions()) {
        const QVariantMap grid = action->gridDimensionsDictionary();
        for (auto it = grid.begin(); it != grid.end(); ++it) {
            const qint64 value = it.value().toLongLong();
            if (isGridDimensionKey(it.key()) && value >= 1)
                dimensions.insert(value);
        }
    }
    return {dimensions.begin(), dimensions.end()};
}
