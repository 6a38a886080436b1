#pragma once

#include "platform/Signal.h"
#include "platform/foundation/RunLoop.h"
#include "settings/ZRActionConfigurationCollectionView.h"
#include "settings/ZRGeneralSettingsPopover.h"
#include "settings/ZRSettingsContext.h"
#include "settings/ZRSettingsTabIdentifier.h"
#include "settings/ZRSettingsWindow.h"
#include "shell/ZRApplicationArea.h"

#include <QIcon>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QScrollArea;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QToolButton;
class Platform;
class UserDefaults;
class ZRActionManager;
class ZRGeneralSettingsControls;
class ZRMainController;
class ZRPaletteEditor;
class ZRSettingsPanels;
class ZRSidebarController;
class ZRSizeToFitControl;
class ZRSourceList;
class ZRSourceListAddButton;
class ZRSplitViewController;

// The settings area of the main controller: the settings window, with the sidebar on the left (see
// ZRSidebarController), one pane per settings tab on the right, a toolbar with the add pop-up and the help
// and general-settings buttons, and the general settings in a popover below the gear. The window is built
// the first time it is shown (at launch only when the palette is seeded) and only hidden when closed; until
// then the outlets below are null. The panes' controls join from their own areas of code through pane() and
// the hooks below. Main thread only.
class ZRSettingsController : public QObject, public ZRApplicationArea, public ZRSettingsWindow::Delegate {
    Q_OBJECT
public:
    // The help button flashes this many steps, one every interval, ending on its plain icon.
    static constexpr int HelpButtonFlashCount = 9;
    static constexpr double HelpButtonFlashInterval = 0.12;
    // A change of the desktop's sidebar size waits this long for the next one before the rows follow.
    static constexpr double SourceListTextSizeDelay = 1.0;
    // After the window closed, the taskbar entry it asked for goes after this delay.
    static constexpr double ApplicationModeDelay = 0.1;
    static constexpr int SidebarWidth = 200;
    // The panes' width, with the sidebar the window's minimum width; the window's minimum height.
    static constexpr int PaneWidth = 560;
    static constexpr int MinimumHeight = 150;
    static constexpr int MaximumSide = 10000;
    static constexpr int DefaultHeight = 520;
    // The general settings' width, and the room below their controls.
    static constexpr int GeneralSettingsWidth = 360;
    static constexpr int GeneralSettingsBottomMargin = 20;

    // The toolbar's items.
    static inline const QString AddItemIdentifier = QStringLiteral("Add");
    static inline const QString HelpGeneralItemIdentifier = QStringLiteral("Help/General");
    static inline const QString SpaceItemIdentifier = QStringLiteral("Space");
    static inline const QString FlexibleSpaceItemIdentifier = QStringLiteral("FlexibleSpace");
    static inline const QString ToolbarIdentifier = QStringLiteral("Settings Window Toolbar");
    static inline const QString FrameAutosaveName = QStringLiteral("Settings Window (4001)");
    // The settings menu item that, while the window has the keyboard, opens and closes the general settings.
    static inline const char MenuItemTagProperty[] = "ZRTag";

    struct SourceListMetrics {
        int rowHeight;
        int indentation;
        int verticalIntercellSpacing;
    };

    // The settings window of the program whose parts are given; its panes work with these.
    explicit ZRSettingsController(const ZRSettingsContext& context);
    ~ZRSettingsController() override;
    ZRSettingsController(const ZRSettingsController&) = delete;
    ZRSettingsController& operator=(const ZRSettingsController&) = delete;

    // --- ZRApplicationArea

    // Fills the controls from the settings, without widgets until the window is built; the action store
    // stays unloaded.
    void fillSettingsControls() override;
    // Loads the action store; builds the window only when the palette has never been laid out.
    void buildSettingsWindow() override;
    // Builds the window (once), fills its controls and loads the sidebar.
    void loadSettingsWindow();
    bool hasSettingsWindow() const override { return true; }
    // Opens the window on the pane it shows (the palette's at first) and brings the program forward.
    bool showSettingsWindow() override;
    bool openFiles(const QStringList& paths) override;
    // Opens the keyboard pane, where the field of the keyboard controls' hot key is.
    bool beginAssigningKeyboardControlHotKey() override;
    // Mouse control's features and tap follow, the sidebar redraws, and the keyboard controls' options are
    // shrouded while the keyboard controls have no hot key to open them.
    void settingsHotKeyDidChange(const QString& identifier, const std::shared_ptr<ZRHotKey>& hotKey,
                                 bool active) override;
    // A hot key of the settings or of an action was set or cleared through its field: mouse control's
    // features and tap follow it, the sidebar shows it, and so do the options it opens.
    void hotKeyDidChange(const QString& identifier);

    // --- Parts

    // Made on first use.
    const ZRSettingsContext& context() const { return m_context; }
    ZRMainController& controller() const { return m_controller; }
    ZRActionManager& store() const { return m_store; }
    // The store once the launch has loaded it, else null: what its tree chooses waits until then.
    ZRActionManager* loadedStore() const;
    UserDefaults& defaults() const { return m_defaults; }
    Platform& platform() const { return m_platform; }
    RunLoop& mainRunLoop() const { return m_context.mainRunLoop; }
    ZRSidebarController& sidebar() const;
    // The controls of the panes and the general settings.
    ZRGeneralSettingsControls& generalSettingsControls() const { return *m_generalSettingsControls; }
    ZRSettingsPanels& panels() const { return *m_panels; }
    // Replaces the open and save panels (tests); null restores the standard ones.
    void setPanels(std::unique_ptr<ZRSettingsPanels> panels);
    // The help manager's help, which the help segment asks; nothing until one is given.
    void setHelpHandler(std::function<void(QObject* sender)> handler) { m_help = std::move(handler); }
    void beep() const;

    // --- Outlets

    QMainWindow* preferencesWindow() const { return m_window.get(); }
    QSplitter* splitView() const { return m_splitView; }
    ZRSourceList* sourceList() const;
    QStackedWidget* preferencesTabView() const { return m_tabView; }
    // The content of each pane, in which its controls are placed by hand; the window-button controls
    // stand at the top of the palette's.
    QWidget* pane(const ZRSettingsTabIdentifier& tab) const;
    QWidget* generalSettingsView() const { return m_generalSettingsView; }
    QComboBox* mouseControlPrioritySelector() const;
    QLabel* mouseControlPriorityExplanationField() const { return m_priorityExplanation; }
    ZRSizeToFitControl* zoomButtonBehaviorSelector() const { return m_behaviorSelector; }
    QLabel* zoomButtonBehaviorSelectorLabel() const { return m_behaviorLabel; }
    ZRSourceListAddButton* addButton() const { return m_addButton; }
    QToolButton* helpButton() const { return m_helpButton; }
    QToolButton* generalSettingsButton() const { return m_generalButton; }
    ZRGeneralSettingsPopover* generalSettingsPopover() const { return m_popover; }
    QToolBar* toolbar() const { return m_toolbar; }
    const QImage& helpIcon() const { return m_helpIcon; }
    // Whether the help button shows its flash rather than its icon.
    bool helpButtonFlashes() const { return m_helpButtonFlashes; }
    // The field of the standard grid's columns among the general settings (customizeStandardGrid focuses it).
    void setStandardGridColumnsField(QWidget* field) { m_standardGridColumnsField = field; }

    // --- Opening

    // Opens the window on the tab (the current one without; the palette's on the first opening).
    void showPreferencesTab(const std::optional<ZRSettingsTabIdentifier>& tab, bool activate);
    // The settings menu item (tagged 1) toggles the general settings while the window has the keyboard;
    // anything else opens the window.
    void showPreferences(QObject* sender);
    void showGeneralSettings();
    void customizeStandardGrid();
    // Segment 0: help; segment 1: the general settings, shown or (when obtrusive and shown) closed.
    void helpOrShowGeneralSettingsPopover(int segment);
    void showAbout();
    // The sidebar selected a row: its pane shows, and the window too when it is open.
    void showSelectedRowTab(const ZRSettingsTabIdentifier& tab);
    void setTabViewHidden(bool hidden);

    // --- Help button

    // Flashes the help button: odd counts show the image (the help icon in green, made when null), even
    // ones the help icon; each step comes the interval later, down to 0.
    void animateHelpButton(int count, const QImage& image);

    // --- Window-button controls of the palette's pane

    void updateMouseControlPriorityExplanationField(bool applePrimary, bool updateSelector);
    static QString mouseControlPriorityExplanation(bool immutable, bool applePrimary);
    // Trigger 0 the zoom button, 1 the minimise button, 2 and more the close button.
    void updateWindowButtonSettingsControlsWithTrigger(qint64 trigger, qint64 behavior);

    // --- Sidebar metrics

    static SourceListMetrics sourceListMetricsForSizeMode(qint64 sizeMode);
    void updateSourceListTextSize();
    // The desktop's sidebar size changed (reschedules itself, coalesced), or its time came.
    void sourceListTextSizeChanged(bool fromNotification);
    // An action's icon or title changed: the sidebar redraws.
    void reflectVisualActionChange();

    // --- Toolbar

    QStringList toolbarAllowedItemIdentifiers() const;
    QStringList toolbarDefaultItemIdentifiers() const;
    QStringList toolbarSelectableItemIdentifiers() const { return {}; }
    QWidget* toolbarItemForItemIdentifier(const QString& identifier);

    // --- What depends on the action tree, of the panes that join later

    // The palette editor's wells: built on the first call, rewritten into the layout on every later one.
    void updatePaletteItemWells();
    void updatePaletteItemWellsAfterDelay();
    bool canHidePaletteItemWell() const;
    ZRPaletteEditor& paletteEditor() const { return *m_paletteEditor; }
    // The snap and drop-snap selectors, now or on the next turn.
    void updateSnapActionSelectors();
    void updateSnapActionSelectorsSoon();
    // The focused action's editor pane: filled again, and placed in the "Custom" pane (or taken out of it
    // when no action has the focus).
    void updateConfigurationView();
    ZRActionConfigurationCollectionView* configurationCollectionView() const { return m_collectionView; }
    // The action panes' view when it has the keyboard, which takes the Edit menu's Select All and Delete.
    ZRConfigurationCollectionView* focusedCollectionView() const;
    // After the sidebar changed the action tree: the wells, the selectors, and mouse control's features.
    void refreshAfterActionTreeChange();

    // --- Window delegate

    bool windowShouldClose() override;
    void windowDidBecomeKey() override;
    void windowDidResignKey() override;

private:
    // The window and its widgets, without loading the sidebar.
    void buildWindowWidgets();
    void buildPanes();
    void buildPalettePane(QWidget* document);
    void buildCustomPane(QWidget* document);
    void buildToolbar();
    void buildMenus();
    void applyInterfaceStyle();
    void updateToolbarIcons();
    void updateApplicationModeTitle();

    ZRSettingsContext m_context;
    ZRMainController& m_controller;
    ZRActionManager& m_store;
    UserDefaults& m_defaults;
    Platform& m_platform;
    std::unique_ptr<ZRSettingsPanels> m_panels;
    mutable std::unique_ptr<ZRSidebarController> m_sidebar;
    std::unique_ptr<ZRPaletteEditor> m_paletteEditor;
    std::unique_ptr<ZRGeneralSettingsControls> m_generalSettingsControls;
    // Declared after the sidebar: the window and the views in it go first.
    std::unique_ptr<ZRSettingsWindow> m_window;
    std::unique_ptr<ZRSplitViewController> m_splitViewController;
    QSplitter* m_splitView = nullptr;
    QWidget* m_tabViewContainer = nullptr;
    QStackedWidget* m_tabView = nullptr;
    std::map<ZRSettingsTabIdentifier, QWidget*> m_panes;
    QToolBar* m_toolbar = nullptr;
    ZRSourceListAddButton* m_addButton = nullptr;
    QWidget* m_helpAndSettingsControl = nullptr;
    QToolButton* m_helpButton = nullptr;
    QToolButton* m_generalButton = nullptr;
    QImage m_helpIcon;
    QPointer<QWidget> m_generalSettingsView;
    QPointer<ZRGeneralSettingsPopover> m_popover;
    QPointer<QWidget> m_standardGridColumnsField;
    QWidget* m_priorityRow = nullptr;
    QComboBox* m_prioritySelector = nullptr;
    QLabel* m_priorityExplanation = nullptr;
    ZRSizeToFitControl* m_behaviorSelector = nullptr;
    QPointer<ZRActionConfigurationCollectionView> m_collectionView;
    QLabel* m_behaviorLabel = nullptr;
    std::function<void(QObject*)> m_help;
    bool m_shownOnce = false;
    bool m_sidebarLoaded = false;
    bool m_helpButtonFlashes = false;
    Connection m_systemPreferencesChanged;
    Connection m_appearanceChanged;
    PendingPerform m_animateHelpButton;
    PendingPerform m_sourceListTextSize;
    PendingPerform m_applyApplicationMode;
};
