#pragma once

#include "actions/UnusableRecordEntries.h"
#include "actions/ZRActionContext.h"
#include "actions/ZRConfigurationCollectionViewDelegate.h"
#include "platform/foundation/RunLoop.h"

#include <QPointer>
#include <QString>
#include <QVariantList>
#include <memory>
#include <unordered_set>
#include <vector>

class GlobalHotKeys;
class NotificationCenter;
class QWidget;
class UserDefaults;
class ZRAction;
class ZRActionSourceListRow;

// The settings key of the action store, also the key of exported action files.
inline constexpr char16_t ZRCustomControlsUserDefaultName[] = u"Custom Controls (4001)";

// Posted on the default notification centre, on the main thread, after the tree or one of its actions
// changed (and after the store loaded): whoever derives state from the actions (which layouts have hot
// keys, for one) brings it up to date.
inline const QString ZRActionsDidChangeNotification = QStringLiteral("com.tallowin.Skaf: Actions Did Change");

// The shared store of the action tree, kept in the setting "Custom Controls (4001)" as an array of
// action records. Every structural change, and every change to an action of the tree, is saved soon
// after (coalesced, written atomically); a save that fails is logged and tried again later, and the
// file on disk stays as it was. A tree that did not change since it loaded is never written; records
// it could not use stay in their places. Before the first save that would lose stored data all the
// same, the settings file is copied aside. Main thread only.
class ZRActionManager : public ZRConfigurationCollectionViewDelegate {
public:
    // Seconds before a failed save is tried again.
    static constexpr double SaveRetryDelay = 5.0;

    // The store the program made and installed (see Installation); the launch loads its tree.
    static ZRActionManager& actionManager();
    // The installed store, or null while there is none.
    static ZRActionManager* actionManagerIfMade();
    // What every action reaches beyond itself: the host, the capture, the editor pane, the store's
    // change observer and the hot keys' surroundings. It is the installed store's; while none is installed,
    // an empty one that nothing fills in.
    static ZRActionContext& actionContext();
    // This store's context, which the parts around the store fill in while they live.
    ZRActionContext& context() { return m_actionContext; }
    // Makes a store the one that actionManager() answers for as long as it lives, and puts back the one
    // before when it goes. Only the installed store saves the changes of its actions and tells grids the
    // dimensions in use, and the hot keys of actions are made with its context.
    class Installation {
    public:
        explicit Installation(ZRActionManager& store);
        ~Installation();
        Installation(const Installation&) = delete;
        Installation& operator=(const Installation&) = delete;

    private:
        ZRActionManager* m_previous;
    };

    // An empty store that has not loaded, kept in the settings given. Its actions' hot keys register with
    // the desktop's hot keys and read the same settings; saves wait for the main run loop, and a change is
    // posted on the notification centre. Each outlives the store.
    ZRActionManager(UserDefaults& defaults, GlobalHotKeys& globalHotKeys, RunLoop& mainRunLoop,
                    NotificationCenter& notifications);
    ~ZRActionManager() override;
    ZRActionManager(const ZRActionManager&) = delete;
    ZRActionManager& operator=(const ZRActionManager&) = delete;

    // The store's defaults: "Configuration Grid: Columns" 6, "Configuration Grid: Rows" 4,
    // "Non-Modifier Hot Keys Are Local" YES and "Frame Storage: Enable" YES. The shell registers them
    // again at launch, before anything reads them.
    static void registerDefaults(UserDefaults& defaults);

    // Replaces the tree with the stored one; each action registers its hot key. Records that give no
    // action are kept aside with a log line, the rest loads. False when the stored value is there but
    // is no array (then the tree is empty and the stored value is left as it is until the tree changes).
    bool load();
    // Whether the tree has loaded since the store was made.
    bool hasLoaded() const { return m_loaded; }
    // The last load found a stored value that is no array: the tree is empty though the setting is not.
    bool storedValueIsUnreadable() const { return m_storedValueUnreadable; }
    // Writes the tree into the settings store and saves it now, when it changed since it loaded; false
    // (logged) when the file could not be written (tried again later), could not be copied aside, or would
    // be larger than the settings file may be (tried again at the next change).
    [[nodiscard]] bool save();
    // Whether new actions fit into the settings file beside what it holds; false with a log line when they
    // would make it larger than it may be, and the file would then be saved no more.
    bool hasRoomFor(const std::vector<std::shared_ptr<ZRAction>>& actions) const;
    // Saves on the next turn, once however often it is asked.
    void setNeedsSave();
    bool needsSave() const;

    // The top-level actions in sidebar order.
    const std::vector<std::shared_ptr<ZRAction>>& topLevelActions() const { return m_topLevelActions; }
    // Every action of the tree, depth first, folders' members after their folder.
    std::vector<std::shared_ptr<ZRAction>> allActions() const;
    // Whether the action is one of the tree, at any depth.
    bool contains(const ZRAction& action) const { return m_members.contains(&action); }
    // Inserts at the front of the top-level actions.
    void insertAction(const std::shared_ptr<ZRAction>& action);
    // The action with the identifier, also among the ephemeral ones when asked; null for an empty
    // identifier or no match.
    std::shared_ptr<ZRAction> actionWithIdentifier(const QString& identifier, bool ephemeral) const;
    // Actions that are no part of the tree but may be looked up for a while (the single-window
    // layouts of a snap chooser, the actions of the keyboard control panel's keys); held weakly.
    void addEphemeralAction(const std::shared_ptr<ZRAction>& action);
    // The actions a chain runs, in order: its members that act (no separators or headers), with the
    // members of plain subfolders in their place; empty for anything but a chain.
    std::vector<std::shared_ptr<ZRAction>> chainedActionsForAction(const ZRAction& action) const;

    // Rebuilds the tree from the sidebar's top-level rows. An action met twice is kept once; actions
    // that left the tree let go of their hot keys. Saved soon after.
    void populateWithSourceListItems(const std::vector<const ZRActionSourceListRow*>& rows);

    // The action whose editor pane is shown; null for none.
    std::shared_ptr<ZRAction> focusAction() const { return m_focusAction; }
    void setFocusAction(const std::shared_ptr<ZRAction>& action);

    // The configuration collection view that shows the focus action's pane.
    QWidget* collectionView() const;
    void setCollectionView(QWidget* collectionView);
    // The focus action's pane, or nothing.
    QList<QWidget*> configurationViewsInCollectionView(QWidget* collectionView) override;
    // One pane only: there is nothing to order or delete.
    void sortConfigurationsByViewYCoordinatesInCollectionView(QWidget* collectionView) override {}
    void sortConfigurationsByViewIndexInArray(const QList<QWidget*>& views) override {}
    void deleteSelectedConfigurations() override {}

    // The grid dimensions that the actions of the tree use, each once, ascending.
    std::vector<std::int64_t> gridDimensionsInUse() const;

    // A stored property of some action changed: saved soon when the action is in the tree.
    void actionDidChange(const ZRAction& action);

    // What the hot keys of the store's actions are made with.
    const ZRHotKeyContext& hotKeyContext() const { return m_hotKeyContext; }

private:
    // Actions that enter the tree register their hot keys, those that leave it let go of them.
    void replaceTree(std::vector<std::shared_ptr<ZRAction>> topLevelActions);
    // The stored records of the tree that gave no action, its folders' included.
    std::size_t unusableRecordCount() const;
    // Copies the settings file aside once, before a save that would lose some of it; false when it
    // could not be copied.
    bool copySettingsAsideBeforeLosingData();

    UserDefaults& m_defaults;
    RunLoop& m_mainRunLoop;
    NotificationCenter& m_notifications;
    const ZRHotKeyContext m_hotKeyContext;
    ZRActionContext m_actionContext;
    std::vector<std::shared_ptr<ZRAction>> m_topLevelActions;
    // The actions of the tree, for telling whether a changed action is one of them.
    std::unordered_set<const ZRAction*> m_members;
    std::vector<std::weak_ptr<ZRAction>> m_memberActions;
    mutable std::vector<std::weak_ptr<ZRAction>> m_ephemeralActions;
    std::shared_ptr<ZRAction> m_focusAction;
    QPointer<QWidget> m_collectionView;
    bool m_needsSave = false;
    bool m_loading = false;
    bool m_loaded = false;
    bool m_rebuilding = false;
    // The stored value could not be read: it is not saved over until the tree changes.
    bool m_storedValueUnreadable = false;
    bool m_changedSinceLoad = false;
    UnusableRecordEntries m_unusableRecords;
    PendingPerform m_saveRequest;
    PendingPerform m_saveRetry;
    std::size_t m_unusableRecordsAtLoad = 0;
    bool m_copiedAside = false;
};
