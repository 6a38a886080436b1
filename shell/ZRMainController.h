#pragma once

#include "actions/ZRActionHost.h"
#include "hotkeys/ZRHotKey.h"
#include "hotkeys/ZRHotKeyDelegate.h"
#include "hotkeys/ZRHotKeyHandler.h"
#include "platform/Signal.h"
#include "platform/Workspace.h"
#include "shell/ZRApplicationArea.h"
#include "shell/ZRKeyboardControlDescription.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QWidget;
class Platform;
class RunLoop;
class UserDefaults;
class ZRAction;
class ZRActionController;
class ZRActionManager;
class ZRActionSourceListRow;
class ZRShellAlerts;
class ZRShellMenus;
class ZRSidebarMenuTarget;
class ZRStatusItemController;
class ZRWindowObserver;

// The application's one delegate. It owns one controller per area and hands it out: the actions area
// (triggering, performing, frame memory) as actions(), and the areas that lie above the shell (mouse
// control, keyboard control, the settings window), which plug in as ZRApplicationArea and are found by
// type with area<T>(). It runs the launch, the main loop's workspace and screen notifications, and the
// quit, in that order over its areas (see ZRApplicationArea.h), and keeps the status item, the shared
// menus (ZRShellMenus) and the two settings hot keys. Main thread only.
//
// The program's main makes the application object, hands the areas to addArea, and then calls
// applicationWillFinishLaunching and applicationDidFinishLaunching before it runs the event loop.
class ZRMainController : public QObject,
                         public ZRHotKeyHandler,
                         public ZRHotKeyDelegate,
                         public ZRActionHost {
    Q_OBJECT

public:
    // The one instance: the one the program's main made, while it lives.
    static ZRMainController& mainController();
    static bool exists();

    // The load hook: sets the process-wide flags that shared components read (ZRProcessFlags.h).
    // Runs once, before the first instance is made; calling it again does nothing.
    static void load();

    // The one instance, kept in the store and the settings given and acting on the platform's desktop;
    // load() runs first. When it goes, its areas, the status item and the actions area go, in that order.
    // The window observer is handed to the actions area.
    ZRMainController(ZRActionManager& store, UserDefaults& defaults, Platform& platform, RunLoop& mainRunLoop,
                     ZRWindowObserver& windowObserver);
    ZRMainController(const ZRMainController&) = delete;
    ZRMainController& operator=(const ZRMainController&) = delete;
    ~ZRMainController() override;

    // --- Areas

    // The actions area, made with the controller.
    ZRActionController& actions();
    // Takes an area of a subsystem above the shell; its hooks run from now on, in the order added.
    // An area added after the launch has run gets no launch hooks.
    void addArea(std::unique_ptr<ZRApplicationArea> area);
    // The area of that type, or null.
    template <class T> T* area() const {
        for (const auto& area : m_areas)
            if (auto* found = dynamic_cast<T*>(area.get()))
                return found;
        return nullptr;
    }
    const std::vector<std::unique_ptr<ZRApplicationArea>>& areas() const { return m_areas; }

    // --- Launch

    // Registers every default setting (the shell's, the action store's, the areas'), moves older keys
    // to their current ones and applies "Application Mode".
    void applicationWillFinishLaunching();
    // The launch in its order: the accessibility permission and timeout, the workspace and screen
    // notifications, the settings controls, the keyboard hot keys and the two settings hot keys, the
    // settings window (and with it the action store), the settings window shown unless in stealth mode,
    // the status item on the next turn, the layouts of the current display configuration; then the files
    // opened meanwhile.
    void applicationDidFinishLaunching();
    bool hasFinishedLaunching() const { return m_didFinishLaunching; }
    // Files handed to the program (by the command line, or by a second start): kept until the launch
    // has finished, then given to the first area that takes them.
    void openFiles(const QStringList& paths);

    // --- Running

    void activeApplicationDidChange(const std::optional<RunningApplication>& application);
    void activeSpaceDidChange();
    void willSleep();
    void didWake();
    void screenParametersDidChange();
    // The program's windows lost the keyboard to another application: the action store is saved.
    void applicationWillResignActive();
    // The user started the program again while it runs (or clicked its taskbar entry).
    void applicationShouldHandleReopen();

    // --- Quit

    enum class TerminateReply { TerminateNow, TerminateCancel };
    // Asks for confirmation unless "Quit Without Confirmation" is on; saves the action store (telling the
    // user when that fails, who may then stay) and runs the areas' quit steps. Without askUser (the
    // session ends, a signal asks the program to stop) nothing is asked and a failed save is logged.
    // Once it has answered TerminateNow, later calls answer the same at once.
    TerminateReply applicationShouldTerminate(bool askUser = true);
    bool isTerminating() const { return m_terminating; }
    // The "Quit" menu item: ends the event loop when applicationShouldTerminate allows it.
    void terminate();

    // --- Status item and menus

    // The menus: the status item's, the overlays' and the palette's, and the sidebar's (ZRShellMenus.h).
    void menuNeedsUpdate(QMenu* menu) override;
    bool answersMenuNeedsUpdate() const override { return true; }
    // Shows the status item when "Application Mode" asks for one (1 or 3), else removes it.
    void updateStatusItem();
    ZRStatusItemController& statusItemController();

    // The cheat sheet: the two settings hot keys, then the custom actions that have hot keys.
    std::vector<ZRKeyboardControlDescription> cheatSheetDescriptions() const;
    void populateMenu(QMenu* menu, const std::shared_ptr<ZRAction>& context, bool includeMetaItems,
                      bool includeActions, bool invertIconsForDarkMode);
    QMenu* menuForOverlayButton(QWidget* button);
    QMenu* contextMenuForOverlayHitView(QWidget* view);
    QMenu* menuForPaletteItemButton(QWidget* button);
    QMenu* sourceListContextMenuForItem(const ZRActionSourceListRow* row);
    void populateAddMenu(QMenu* menu);
    void setSidebarMenuTarget(ZRSidebarMenuTarget* target);
    // Whether the launch has loaded the action store; until then menus offer no custom actions, and
    // nothing that only reads them loads it early.
    bool hasLoadedActionStore() const { return m_actionStoreLoaded; }

    // The introduction popover shown at the first launch (made by the settings window); closed and
    // released by dismissIntroPopover.
    void setIntroPopover(QWidget* popover);
    void dismissIntroPopover();

    // --- The settings hot keys

    // The hot key of the keyboard menu / the keyboard control panel; null for none. A hot key that could
    // not be registered is kept (the user's setting stays), and reads as not active.
    std::shared_ptr<ZRHotKey> keyboardMenuHotKey() const { return m_keyboardMenuHotKey; }
    std::shared_ptr<ZRHotKey> keyboardControlHotKey() const { return m_keyboardControlHotKey; }
    bool settingsHotKeyIsActive(const QString& identifier) const;
    // Reads the two settings hot keys from their settings and registers them, keyboard menu first.
    void registerSettingsHotKeys();

    // ZRHotKeyDelegate, for the two settings hot keys.
    std::vector<std::shared_ptr<ZRHotKey>> hotKeys() const override;
    std::uint32_t hotKeySignature() const override;
    QString identifierForHotKeyTextView(const ZRHotKeyTextView* textView) const override;
    bool shouldSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) override;
    void didSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString& identifier) override;
    // The recorder fields of the two settings hot keys, made on first use with this controller as their
    // owner and showing its hot keys. The settings window places their containers; until one does, the
    // controller owns them.
    ZRHotKeyTextView* keyboardMenuHotKeyTextView();
    ZRHotKeyTextView* keyboardControlHotKeyTextView();

    // ZRActionHost.
    std::vector<std::shared_ptr<ZRHotKey>> settingsHotKeys() const override;
    void assignKeyboardControlHotKey() override;

    // ZRHotKeyHandler: hot-key presses and key presses of our own windows go to the actions area.
    bool handleKeyDownEvent(const KeyEvent& event, bool& repeat) override;

    // --- Alerts

    // Replaces the message boxes (tests); null restores them.
    void setAlerts(std::unique_ptr<ZRShellAlerts> alerts);
    ZRShellAlerts& alerts();

private:
    void subscribeToNotifications();
    void ensureActionStoreLoaded();
    void showSettingsWindowUnlessStealthy();
    std::shared_ptr<ZRHotKey>& settingsHotKeySlot(const QString& identifier);
    ZRHotKeyTextView* settingsHotKeyTextView(QPointer<ZRHotKeyTextView>& field, const QString& identifier);
    void showSettingsHotKey(const QString& identifier);
    void tellAreasSettingsHotKeyDidChange(const QString& identifier);
    bool saveActionsForTermination(bool askUser);
    void applyApplicationMode();

    ZRActionManager& m_store;
    UserDefaults& m_defaults;
    Platform& m_platform;
    RunLoop& m_mainRunLoop;
    std::unique_ptr<ZRActionController> m_actions;
    std::vector<std::unique_ptr<ZRApplicationArea>> m_areas;
    std::unique_ptr<ZRShellMenus> m_menus;
    std::unique_ptr<ZRStatusItemController> m_statusItemController;
    std::unique_ptr<ZRShellAlerts> m_alerts;
    QPointer<QWidget> m_introPopover;
    QPointer<ZRHotKeyTextView> m_keyboardMenuHotKeyTextView;
    QPointer<ZRHotKeyTextView> m_keyboardControlHotKeyTextView;
    // The settings hot key a new one is about to replace: no rival of it.
    const ZRHotKey* m_hotKeyBeingReplaced = nullptr;

    std::shared_ptr<ZRHotKey> m_keyboardMenuHotKey;
    std::shared_ptr<ZRHotKey> m_keyboardControlHotKey;

    std::vector<Connection> m_connections;
    QStringList m_pendingFiles;
    bool m_didWillFinishLaunching = false;
    bool m_actionStoreLoaded = false;
    bool m_wasActive = false;
    bool m_didFinishLaunching = false;
    bool m_terminating = false;
};
