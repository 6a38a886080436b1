#include "settings/ZRSettingsController.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRPaletteLayout.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/Platform.h"
#include "platform/SystemPreferences.h"
#include "platform/Workspace.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "settings/ZRActionConfigurationCollectionView.h"
#include "settings/ZRActionEditor.h"
#include "settings/ZRActionScrollView.h"
#include "settings/ZRGeneralSettingsControls.h"
#include "settings/ZRGeneralSettingsPopover.h"
#include "settings/ZRIconSizes.h"
#include "settings/ZRPaletteEditor.h"
#include "settings/ZRSettingsPanels.h"
#include "settings/ZRSettingsSymbols.h"
#include "settings/ZRSidebarController.h"
#include "settings/ZRSourceList.h"
#include "settings/ZRSourceListAddButton.h"
#include "settings/ZRSplitViewController.h"
#include "shell/ZRAboutPanelManager.h"
#include "shell/ZRApplicationMode.h"
#include "shell/ZRMainController.h"
#include "toolkit/Appearance.h"
#include "toolkit/ImageExtensions.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/WindowFrameAutosave.h"
#include "toolkit/ZRLog.h"
#include "toolkit/ZRSizeToFitControl.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString ApplePrimaryKey = ZRSystemWindowSettings::ApplePrimaryUserDefaultName;
const QString AppleImmutableKey = QStringLiteral("Mouse Controls Trigger: Apple: Immutable");
const QString SuppressHelpAnimationKey = QStringLiteral("Suppress Help Button Animation");
const QString ObtrusiveGeneralSettingsKey = QStringLiteral("Obtrusive General Settings");
const QString TableViewSizeModeKey = QStringLiteral("NSTableViewDefaultSizeMode");
const QString TemporaryDockIconKey = QString::fromUtf16(ZRApplicationModeTemporaryDockIconUserDefaultName);

// The zoom-button option from which the desktop's menu is the user's own choice, left alone.
constexpr qint64 UserOwnedZoomButtonMenuOption = 3;

// Sizes of the toolbar's symbols, and the room the help symbol leaves below itself.
constexpr double PlusPointSize = 13;
constexpr double GearPointSize = 14;
constexpr double HelpPointSize = 13;
constexpr int HelpIconBottomMargin = 4;
constexpr int AddButtonWidth = 36;
constexpr int SegmentSpacing = 6;
constexpr int FixedSpaceWidth = 8;
// The flash of the help button: its icon in green, moved this far right.
constexpr int HelpFlashOffset = 2;
const QColor SystemGreen(52, 199, 89);

// The palette pane's controls placed by hand.
constexpr int PaneMargin = 20;
constexpr int ControlRowHeight = 28;
constexpr int LabelGap = 8;
constexpr int PriorityRowHeight = 56;
constexpr int ExplanationHeight = 22;

QPalette darkPalette() {
    QPalette palette;
    const QColor window(50, 50, 50), base(36, 36, 36), text(230, 230, 230), button(62, 62, 62);
    const QColor dimmed(128, 128, 128);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const bool disabled = group == QPalette::Disabled;
        palette.setColor(group, QPalette::Window, window);
        palette.setColor(group, QPalette::WindowText, disabled ? dimmed : text);
        palette.setColor(group, QPalette::Base, base);
        palette.setColor(group, QPalette::AlternateBase, window.darker(110));
        palette.setColor(group, QPalette::Text, disabled ? dimmed : text);
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::ButtonText, disabled ? dimmed : text);
        palette.setColor(group, QPalette::BrightText, Qt::white);
        palette.setColor(group, QPalette::Light, button.lighter(150));
        palette.setColor(group, QPalette::Midlight, button.lighter(120));
        palette.setColor(group, QPalette::Mid, button.darker(120));
        palette.setColor(group, QPalette::Dark, button.darker(160));
        palette.setColor(group, QPalette::Shadow, Qt::black);
        palette.setColor(group, QPalette::Highlight, overlaySelectedControlColor());
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::ToolTipBase, window);
        palette.setColor(group, QPalette::ToolTipText, text);
        palette.setColor(group, QPalette::PlaceholderText, dimmed);
        palette.setColor(group, QPalette::Link, overlaySelectedControlColor().lighter(130));
    }
    return palette;
}

} // namespace

ZRSettingsController::ZRSettingsController(const ZRSettingsContext& context)
    : m_context(context), m_controller(context.controller), m_store(context.store),
      m_defaults(context.defaults), m_platform(context.platform),
      m_panels(ZRSettingsPanels::standardPanels()),
      m_paletteEditor(std::make_unique<ZRPaletteEditor>(context)),
      m_generalSettingsControls(std::make_unique<ZRGeneralSettingsControls>(*this)) {}

ZRActionManager* ZRSettingsController::loadedStore() const {
    return m_store.hasLoaded() ? &m_store : nullptr;
}

ZRSettingsController::~ZRSettingsController() {
    m_controller.setSidebarMenuTarget(nullptr);
    if (auto* mouseControl = m_controller.area<ZRMouseController>();
        mouseControl && mouseControl->paletteLayout() == m_paletteEditor.get())
        mouseControl->setPaletteLayout(nullptr);
    m_systemPreferencesChanged.disconnect();
    if (m_window) {
        ZRActionEditor::uninstall(*this);
        if (ZRActionManager* store = loadedStore(); store && store->collectionView() == m_collectionView)
            store->setCollectionView(nullptr);
    }
    // The wells go before the window that holds them.
    m_paletteEditor.reset();
    m_appearanceChanged.disconnect();
    // The controls let go of mouse control before their widgets go; the window and the views in it go
    // before the sidebar they draw.
    m_generalSettingsControls.reset();
    m_window.reset();
}

void ZRSettingsController::setPanels(std::unique_ptr<ZRSettingsPanels> panels) {
    m_panels = panels ? std::move(panels) : ZRSettingsPanels::standardPanels();
}

void ZRSettingsController::beep() const {
    m_controller.actions().beep();
}

ZRSidebarController& ZRSettingsController::sidebar() const {
    // Its source list is a widget: made with the window, or before it for whoever asks first.
    if (!m_sidebar)
        m_sidebar = std::make_unique<ZRSidebarController>(const_cast<ZRSettingsController&>(*this));
    return *m_sidebar;
}

ZRSourceList* ZRSettingsController::sourceList() const {
    return m_sidebar ? m_sidebar->sourceList() : nullptr;
}

QWidget* ZRSettingsController::pane(const ZRSettingsTabIdentifier& tab) const {
    const auto found = m_panes.find(tab);
    return found == m_panes.end() ? nullptr : found->second;
}

QComboBox* ZRSettingsController::mouseControlPrioritySelector() const {
    return m_prioritySelector;
}

// --- Building

void ZRSettingsController::fillSettingsControls() {
    ZRAction::setMenuTemplateIconSize(ZRMenuItemIconSize(m_defaults));
    // Until the window is first shown the controls have no widgets: mouse control gets its state and delays,
    // and the widgets are filled when they are made.
    m_generalSettingsControls->fillSettingsControls();
    // The palette shows the editor's items from the start, also before the window is first shown: the editor
    // makes its wells when the palette first asks for them.
    if (auto* mouseControl = m_controller.area<ZRMouseController>())
        mouseControl->setPaletteLayout(m_paletteEditor.get());
}

void ZRSettingsController::buildSettingsWindow() {
    // The window waits until it is first shown, so that hot keys work before anything is drawn; a palette
    // never laid out is seeded from the wells now, which adds their examples to the action store.
    if (!m_defaults.hasValue(ZRPaletteLayout::PaletteUserDefaultName)) {
        loadSettingsWindow();
        return;
    }
    m_generalSettingsControls->updateSnapActionSelectors();
}

void ZRSettingsController::loadSettingsWindow() {
    if (m_sidebarLoaded)
        return;
    m_sidebarLoaded = true;
    buildWindowWidgets();
    m_generalSettingsControls->fillSettingsControls();
    // The wells come first: seeding the palette on first use adds its examples to the sidebar.
    m_paletteEditor->setActionRevealer(
        [this](const std::shared_ptr<ZRAction>& action) { sidebar().revealAction(action); });
    m_paletteEditor->updatePaletteItemWells();
    if (auto* mouseControl = m_controller.area<ZRMouseController>())
        mouseControl->setPaletteLayout(m_paletteEditor.get());
    ZRActionManager& store = m_store;
    store.setCollectionView(m_collectionView);
    m_collectionView->setDelegate(&store);
    // The sidebar shows the action store, which the wells or the sidebar load.
    sidebar().reloadSourceListWithSelectedItems(ZRSourceListItems());
    m_generalSettingsControls->updateSnapActionSelectors();
}

void ZRSettingsController::buildWindowWidgets() {
    if (m_window)
        return;
    ZRActionEditor::install(*this);
    m_window = std::make_unique<ZRSettingsWindow>(*this);
    m_window->setWindowTitle(tr("Settings"));
    ZRApplyApplicationModeToWindow(m_window.get());

    m_splitView = new QSplitter(Qt::Horizontal);
    m_splitView->setObjectName(QStringLiteral("splitView"));
    m_splitView->setHandleWidth(1);
    m_splitView->addWidget(sidebar().sourceList());
    m_tabViewContainer = new QWidget;
    auto* containerLayout = new QVBoxLayout(m_tabViewContainer);
    containerLayout->setContentsMargins(0, 0, 0, 0);
    m_tabView = new QStackedWidget;
    m_tabView->setObjectName(QStringLiteral("preferencesTabView"));
    containerLayout->addWidget(m_tabView);
    buildPanes();
    m_tabViewContainer->setMinimumWidth(PaneWidth);
    m_splitView->addWidget(m_tabViewContainer);
    m_splitViewController = std::make_unique<ZRSplitViewController>(m_splitView, SidebarWidth);
    m_window->setCentralWidget(m_splitView);

    m_generalSettingsView = new QWidget;
    m_generalSettingsView->setObjectName(QStringLiteral("generalSettingsView"));
    auto* heading = new QLabel(tr("General Settings"), m_generalSettingsView);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);
    heading->adjustSize();
    heading->move(PaneMargin, PaneMargin);
    m_generalSettingsView->resize(GeneralSettingsWidth, heading->geometry().bottom());
    const int generalBottom = m_generalSettingsControls->placeGeneralSettings(
        m_generalSettingsView, heading->geometry().bottom() + LabelGap, PaneMargin, GeneralSettingsWidth);
    m_generalSettingsView->resize(GeneralSettingsWidth, generalBottom + GeneralSettingsBottomMargin);

    buildToolbar();
    buildMenus();
    const int minimumWidth = SidebarWidth + m_splitView->handleWidth() + PaneWidth;
    m_window->setMinimumSize(minimumWidth, MinimumHeight);
    m_window->setMaximumSize(MaximumSide, MaximumSide);
    m_window->resize(minimumWidth, DefaultHeight);
    restoreFrameAndAutosave(m_window.get(), FrameAutosaveName, m_defaults);
    applyInterfaceStyle();

    updateSourceListTextSize();
    sourceList()->updateFocusPolicy();

    m_controller.setSidebarMenuTarget(&sidebar());
    m_appearanceChanged = m_platform.workspace().appearanceChanged.connect([this] { applyInterfaceStyle(); });
    m_systemPreferencesChanged =
        m_platform.systemPreferences().changed.connect([this](const QString& domain, const QString& key) {
            if (domain == SystemPreferences::GlobalDomain && (key.isEmpty() || key == TableViewSizeModeKey))
                sourceListTextSizeChanged(true);
        });
}

void ZRSettingsController::buildPanes() {
    for (const ZRSettingsTabIdentifier& tab : ZRSettingsTab::All) {
        auto* scroll = new QScrollArea;
        scroll->setObjectName(tab);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidgetResizable(false);
        scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        auto* document = new QWidget;
        document->setObjectName(tab + QStringLiteral(" Pane"));
        document->resize(PaneWidth, PaneMargin);
        if (tab == ZRSettingsTab::Palette)
            buildPalettePane(document);
        else if (tab == ZRSettingsTab::Custom)
            buildCustomPane(document);
        else if (const int bottom = m_generalSettingsControls->placeControlsInPane(tab, document, PaneMargin,
                                                                                   PaneMargin, PaneWidth);
                 bottom > PaneMargin)
            document->resize(PaneWidth, bottom + PaneMargin);
        scroll->setWidget(document);
        m_panes[tab] = document;
        m_tabView->addWidget(scroll);
    }
}

void ZRSettingsController::buildPalettePane(QWidget* document) {
    int y =
        m_generalSettingsControls->placePaletteControlsAbove(document, PaneMargin, PaneMargin, PaneWidth) +
        LabelGap;
    m_behaviorSelector = new ZRSizeToFitControl(document);
    m_behaviorSelector->setObjectName(QStringLiteral("zoomButtonBehaviorSelector"));
    m_behaviorSelector->addItem(tr("Maximize or restore"), 0);
    // Past 0 the palette's overlay over the button comes first, and a click on it acts by these: Skaf's
    // own fill, the window's maximizing by the window manager, or the button's own press.
    m_behaviorSelector->addItem(tr("Fill the screen or revert"), 1);
    m_behaviorSelector->addItem(tr("Maximize the window"), 2);
    m_behaviorSelector->addItem(tr("Press the maximize button"), 3);
    m_behaviorSelector->move(PaneMargin, y);
    m_behaviorSelector->resize(m_behaviorSelector->sizeHint());
    m_behaviorLabel = new QLabel(tr("when clicking a maximize button"), document);
    m_behaviorLabel->setObjectName(QStringLiteral("zoomButtonBehaviorSelectorLabel"));
    m_behaviorLabel->setGeometry(m_behaviorSelector->geometry().right() + LabelGap, y,
                                 PaneWidth - m_behaviorSelector->geometry().right() - LabelGap - PaneMargin,
                                 m_behaviorSelector->height());
    m_behaviorSelector->setChainedNeighbors({m_behaviorLabel});
    y += std::max(ControlRowHeight, m_behaviorSelector->height()) + LabelGap;

    // The row of the desktop's own zoom-button menu, shown only where it competes with the palette.
    m_priorityRow = new QWidget(document);
    m_priorityRow->setObjectName(QStringLiteral("mouseControlPriorityRow"));
    m_priorityRow->setGeometry(PaneMargin, y, PaneWidth - 2 * PaneMargin, PriorityRowHeight);
    m_prioritySelector = new QComboBox(m_priorityRow);
    m_prioritySelector->setObjectName(QStringLiteral("mouseControlPrioritySelector"));
    m_prioritySelector->addItem(tr("Skaf palette first"), 0);
    m_prioritySelector->addItem(tr("The button's own menu first"), 1);
    m_prioritySelector->adjustSize();
    m_priorityExplanation = new QLabel(m_priorityRow);
    m_priorityExplanation->setObjectName(QStringLiteral("mouseControlPriorityExplanationField"));
    m_priorityExplanation->setGeometry(0, m_prioritySelector->height() + 2, m_priorityRow->width(),
                                       ExplanationHeight);
    QFont small = m_priorityExplanation->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    m_priorityExplanation->setFont(small);
    m_priorityExplanation->setForegroundRole(QPalette::PlaceholderText);
    const int controlsBottom = m_generalSettingsControls->placePaletteControlsBelow(
        document, m_priorityRow->geometry().bottom() + LabelGap, PaneMargin, PaneWidth);

    // The palette editor's wells fill this container, which grows to their grid when they are made.
    auto* container = new QWidget(document);
    container->setObjectName(QStringLiteral("mouseControlPaletteContainer"));
    container->setGeometry(PaneMargin, controlsBottom + PaneMargin, PaneWidth - 2 * PaneMargin, 0);
    m_paletteEditor->setMouseControlPaletteContainer(container);
    document->resize(PaneWidth, container->geometry().bottom() + 1 + PaneMargin);
}

void ZRSettingsController::buildCustomPane(QWidget* document) {
    // The selected action's editor pane, in a collection view whose height the pane's document follows.
    auto* scroll = new ZRActionScrollView(document);
    scroll->setObjectName(QStringLiteral("actionScrollView"));
    scroll->setWidgetResizable(false);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_collectionView = new ZRActionConfigurationCollectionView;
    m_collectionView->setObjectName(QStringLiteral("configurationCollectionView"));
    scroll->setWidget(m_collectionView);
    m_collectionView->setResizableContainerView(document);
    document->resize(PaneWidth, 0);
    m_collectionView->tileConfigurationViewsIncludingMovingViews(true, false);
}

void ZRSettingsController::buildToolbar() {
    m_toolbar = new QToolBar(ToolbarIdentifier);
    m_toolbar->setObjectName(ToolbarIdentifier);
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    m_toolbar->toggleViewAction()->setVisible(false);
    for (const QString& identifier : toolbarDefaultItemIdentifiers())
        if (QWidget* item = toolbarItemForItemIdentifier(identifier))
            m_toolbar->addWidget(item);
    m_window->addToolBar(Qt::TopToolBarArea, m_toolbar);
    updateToolbarIcons();
}

QStringList ZRSettingsController::toolbarAllowedItemIdentifiers() const {
    return {AddItemIdentifier, HelpGeneralItemIdentifier, SpaceItemIdentifier, FlexibleSpaceItemIdentifier};
}

QStringList ZRSettingsController::toolbarDefaultItemIdentifiers() const {
    return {AddItemIdentifier, FlexibleSpaceItemIdentifier, HelpGeneralItemIdentifier};
}

QWidget* ZRSettingsController::toolbarItemForItemIdentifier(const QString& identifier) {
    if (identifier == AddItemIdentifier) {
        m_addButton = new ZRSourceListAddButton(m_controller);
        m_addButton->setFixedWidth(AddButtonWidth);
        return m_addButton;
    }
    if (identifier == HelpGeneralItemIdentifier) {
        m_helpAndSettingsControl = new QWidget;
        m_helpAndSettingsControl->setObjectName(HelpGeneralItemIdentifier);
        auto* layout = new QHBoxLayout(m_helpAndSettingsControl);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(SegmentSpacing);
        const auto segment = [this, layout](const QString& name, const QString& toolTip, int index) {
            auto* button = new QToolButton;
            button->setObjectName(name);
            button->setToolTip(toolTip);
            button->setAutoRaise(true);
            connect(button, &QToolButton::clicked, this,
                    [this, index] { helpOrShowGeneralSettingsPopover(index); });
            layout->addWidget(button);
            return button;
        };
        m_helpButton = segment(QStringLiteral("help"), tr("Help"), 0);
        m_generalButton = segment(QStringLiteral("generalSettings"), tr("General Settings"), 1);
        return m_helpAndSettingsControl;
    }
    if (identifier == FlexibleSpaceItemIdentifier) {
        auto* space = new QWidget;
        space->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        return space;
    }
    if (identifier == SpaceItemIdentifier) {
        auto* space = new QWidget;
        space->setFixedWidth(FixedSpaceWidth);
        return space;
    }
    return nullptr;
}

void ZRSettingsController::updateToolbarIcons() {
    if (!m_window || !m_addButton)
        return;
    const QColor color = m_window->palette().color(QPalette::ButtonText);
    m_addButton->setIcon(ZRSettingsSymbols::icon(ZRSettingsSymbols::Symbol::Plus, PlusPointSize, color));
    m_generalButton->setIcon(ZRSettingsSymbols::icon(ZRSettingsSymbols::Symbol::Gear, GearPointSize, color));
    // The help symbol sits in the upper part of a slightly taller image.
    const QImage symbol =
        ZRSettingsSymbols::templateImage(ZRSettingsSymbols::Symbol::QuestionMark, HelpPointSize);
    m_helpIcon =
        QImage(symbol.width(), symbol.height() + HelpIconBottomMargin, QImage::Format_ARGB32_Premultiplied);
    m_helpIcon.fill(Qt::transparent);
    QPainter painter(&m_helpIcon);
    painter.drawImage(0, 0, symbol);
    painter.end();
    const QSize iconSize = m_helpIcon.size();
    for (QToolButton* button : {static_cast<QToolButton*>(m_addButton), m_helpButton, m_generalButton})
        button->setIconSize(iconSize);
    if (!m_animateHelpButton.isPending())
        m_helpButton->setIcon(QPixmap::fromImage(tintedImage(m_helpIcon, color)));
}

void ZRSettingsController::buildMenus() {
    QMenuBar* bar = m_window->menuBar();
    const auto add = [this](QMenu* menu, const QString& title, const QKeySequence& shortcut, auto handler) {
        QAction* item = menu->addAction(title);
        item->setShortcut(shortcut);
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    ZRSidebarController& sidebar = this->sidebar();

    QMenu* file = bar->addMenu(tr("&File"));
    add(file, tr("Import..."), QKeySequence::Open, [&sidebar] { sidebar.import_(); });
    add(file, tr("Export..."), QKeySequence(tr("Ctrl+E")), [&sidebar] { sidebar.export_(); });
    add(file, tr("Export Icons..."), {}, [&sidebar] {
        sidebar.exportIconsViaMenuItem(sidebar.selectedSourceListItemsWithFirstSelectedRow(nullptr));
    });
    file->addSeparator();
    QAction* settings = file->addAction(tr("Settings..."));
    settings->setShortcut(QKeySequence::Preferences);
    settings->setShortcutContext(Qt::ApplicationShortcut);
    settings->setProperty(MenuItemTagProperty, 1);
    connect(settings, &QAction::triggered, this, [this, settings] { showPreferences(settings); });
    file->addSeparator();
    add(file, tr("Close Window"), QKeySequence::Close, [this] { m_window->close(); });
    add(file, tr("Quit"), QKeySequence::Quit, [this] { m_controller.terminate(); });

    QMenu* edit = bar->addMenu(tr("&Edit"));
    QAction* undoItem =
        add(edit, tr("Undo"), QKeySequence::Undo, [&sidebar] { sidebar.undoActionStateChange(); });
    QAction* redoItem =
        add(edit, tr("Redo"), QKeySequence::Redo, [&sidebar] { sidebar.redoActionStateChange(); });
    edit->addSeparator();
    add(edit, tr("Copy"), QKeySequence::Copy, [&sidebar] { sidebar.copy(); });
    add(edit, tr("Paste"), QKeySequence::Paste, [&sidebar] { sidebar.paste(); });
    add(edit, tr("Duplicate"), QKeySequence(tr("Ctrl+D")), [&sidebar] { sidebar.duplicate(); });
    // Select All and Delete go to the action panes' view while it has the keyboard, as its keys do; every
    // other command acts on the sidebar's actions.
    QAction* deleteItem = add(edit, tr("Delete"), {}, [this, &sidebar] {
        if (ZRConfigurationCollectionView* collection = focusedCollectionView())
            collection->delete_();
        else
            sidebar.delete_();
    });
    edit->addSeparator();
    QAction* selectAll = add(edit, tr("Select All"), QKeySequence::SelectAll, [] {});
    connect(selectAll, &QAction::triggered, this, [this, &sidebar, selectAll] {
        if (ZRConfigurationCollectionView* collection = focusedCollectionView())
            collection->selectAll();
        else
            sidebar.selectAll(selectAll);
    });
    connect(edit, &QMenu::aboutToShow, this, [this, &sidebar, deleteItem, undoItem, redoItem] {
        const ZRConfigurationCollectionView* collection = focusedCollectionView();
        deleteItem->setEnabled(!collection || collection->canDelete());
        // Undo and redo step through the selected action's own changes: offered only when it has some.
        const ZRSourceListItemRef selected = sidebar.selectedActionSourceListItem();
        const auto action = selected ? selected->action() : nullptr;
        undoItem->setEnabled(action && action->canUndo());
        redoItem->setEnabled(action && action->canRedo());
    });
    // Their keys stay on between showings of the menu; with nothing to step to they do nothing.
    connect(edit, &QMenu::aboutToHide, this, [undoItem, redoItem] {
        undoItem->setEnabled(true);
        redoItem->setEnabled(true);
    });
    edit->addSeparator();
    add(edit, tr("Rename"), QKeySequence(Qt::Key_F2), [&sidebar] { sidebar.rename(); });
    add(edit, tr("Wrap in Folder"), {}, [&sidebar] { sidebar.wrapInFolder(); });

    QMenu* help = bar->addMenu(tr("&Help"));
    add(help, tr("Skaf Help"), QKeySequence::HelpContents, [this] { helpOrShowGeneralSettingsPopover(0); });
    add(help, tr("About Skaf"), {}, [this] { showAbout(); });
}

ZRConfigurationCollectionView* ZRSettingsController::focusedCollectionView() const {
    // The window's own focus, which it keeps while a menu of its menu bar is open.
    return m_collectionView && m_window && m_window->focusWidget() == m_collectionView
               ? m_collectionView.data()
               : nullptr;
}

void ZRSettingsController::applyInterfaceStyle() {
    if (!m_window)
        return;
    m_window->setPalette(ZRIsDarkInterfaceStyleEnabled() ? darkPalette() : QPalette());
    updateToolbarIcons();
    sourceList()->updateDisplay();
}

// --- Opening

bool ZRSettingsController::showSettingsWindow() {
    loadSettingsWindow();
    showPreferencesTab(std::nullopt, true);
    return true;
}

bool ZRSettingsController::beginAssigningKeyboardControlHotKey() {
    showPreferencesTab(ZRSettingsTab::Keyboard, true);
    return true;
}

void ZRSettingsController::settingsHotKeyDidChange(const QString& identifier,
                                                   const std::shared_ptr<ZRHotKey>&, bool) {
    hotKeyDidChange(identifier);
}

void ZRSettingsController::hotKeyDidChange(const QString& identifier) {
    m_generalSettingsControls->hotKeyDidChange(identifier);
    if (ZRSourceList* list = sourceList())
        list->updateDisplay();
}

bool ZRSettingsController::openFiles(const QStringList& paths) {
    loadSettingsWindow();
    sidebar().openFiles(paths);
    return true;
}

void ZRSettingsController::showPreferencesTab(const std::optional<ZRSettingsTabIdentifier>& tab,
                                              bool activate) {
    loadSettingsWindow();
    std::optional<ZRSettingsTabIdentifier> shown = tab;
    const UserDefaults& defaults = m_defaults;
    if (!m_shownOnce) {
        m_shownOnce = true;
        if (!shown)
            shown = ZRSettingsTab::Palette;
        updateMouseControlPriorityExplanationField(defaults.boolForKey(ApplePrimaryKey), true);
        updateWindowButtonSettingsControlsWithTrigger(
            defaults.integerForKey(ZRMouseControlDefault::Trigger),
            defaults.integerForKey(ZRMouseControlDefault::ZoomButtonBehavior));
        if (!defaults.boolForKey(SuppressHelpAnimationKey))
            animateHelpButton(HelpButtonFlashCount, QImage());
    }
    if (defaults.boolForKey(TemporaryDockIconKey))
        ZRApplyAccessoryApplicationMode(false, true);
    if (shown) {
        const auto index = std::find(ZRSettingsTab::All.begin(), ZRSettingsTab::All.end(), *shown);
        if (index != ZRSettingsTab::All.end())
            m_tabView->setCurrentIndex(int(index - ZRSettingsTab::All.begin()));
    }
    updateApplicationModeTitle();
    ZRApplyApplicationModeToWindow(m_window.get());
    m_window->show();
    m_window->raise();
    if (activate || m_window->isActiveWindow())
        m_window->activateWindow();
}

void ZRSettingsController::updateApplicationModeTitle() {
    const ZRApplicationMode mode = ZRCurrentApplicationMode(m_defaults);
    const bool noTaskbarEntry = mode == ZRApplicationMode::StatusItem || mode == ZRApplicationMode::Faceless;
    m_window->setWindowTitle(noTaskbarEntry && !m_defaults.boolForKey(TemporaryDockIconKey)
                                 ? QStringLiteral("Skaf")
                                 : tr("Settings"));
}

void ZRSettingsController::showSelectedRowTab(const ZRSettingsTabIdentifier& tab) {
    if (m_window && m_window->isVisible()) {
        showPreferencesTab(tab, false);
        return;
    }
    // Rows chosen while the window is closed (at launch, by an import) only turn its pane.
    const auto index = std::find(ZRSettingsTab::All.begin(), ZRSettingsTab::All.end(), tab);
    if (m_tabView && index != ZRSettingsTab::All.end())
        m_tabView->setCurrentIndex(int(index - ZRSettingsTab::All.begin()));
}

void ZRSettingsController::setTabViewHidden(bool hidden) {
    if (m_tabView)
        m_tabView->setHidden(hidden);
}

void ZRSettingsController::showPreferences(QObject* sender) {
    const bool tagged = sender && sender->property(MenuItemTagProperty).toInt() == 1;
    const bool key = m_window && (m_window->isActiveWindow() || (m_popover && m_popover->isActiveWindow()));
    if (tagged && key) {
        if (m_popover && m_popover->isShown())
            m_popover->close();
        else
            showGeneralSettings();
        return;
    }
    showPreferencesTab(std::nullopt, true);
}

void ZRSettingsController::showGeneralSettings() {
    loadSettingsWindow();
    m_controller.dismissIntroPopover();
    if (!m_popover) {
        if (!m_generalSettingsView) {
            ZRLog("cannot show general settings");
            beep();
            return;
        }
        QWidget* view = m_generalSettingsView;
        view->setGeometry(frameByAdjustingHeightToFitSubviewsOfView(view, view, GeneralSettingsBottomMargin));
        m_popover = new ZRGeneralSettingsPopover(view, m_window.get());
    }
    m_popover->setBehavior(m_defaults.boolForKey(ObtrusiveGeneralSettingsKey)
                               ? ZRGeneralSettingsPopover::Behavior::ApplicationDefined
                               : ZRGeneralSettingsPopover::Behavior::Transient);
    // The popover hangs from the gear.
    const QRect anchor(m_generalButton->mapToGlobal(QPoint(0, 0)), m_generalButton->size());
    m_popover->showRelativeToRect(anchor, m_generalButton);
}

void ZRSettingsController::customizeStandardGrid() {
    showGeneralSettings();
    if (m_standardGridColumnsField)
        m_standardGridColumnsField->setFocus(Qt::OtherFocusReason);
}

void ZRSettingsController::helpOrShowGeneralSettingsPopover(int segment) {
    if (segment == 0) {
        if (m_help)
            m_help(m_helpButton);
        return;
    }
    if (m_popover && m_popover->isShown() && m_defaults.boolForKey(ObtrusiveGeneralSettingsKey))
        m_popover->close();
    else
        showGeneralSettings();
}

void ZRSettingsController::showAbout() {
    m_context.aboutPanel.orderFrontStandardAboutPanel(this);
}

// --- Help button

void ZRSettingsController::animateHelpButton(int count, const QImage& image) {
    if (!m_helpButton)
        return;
    QImage flash = image;
    if (flash.isNull()) {
        flash = QImage(m_helpIcon.size(), QImage::Format_ARGB32_Premultiplied);
        flash.fill(Qt::transparent);
        QPainter painter(&flash);
        drawInRect(painter, m_helpIcon, QRectF(QPointF(HelpFlashOffset, 0), m_helpIcon.size()), SystemGreen,
                   1.0);
    }
    m_animateHelpButton.cancel();
    m_helpButtonFlashes = count % 2 == 1;
    if (m_helpButtonFlashes) {
        m_helpButton->setIcon(QPixmap::fromImage(flash));
    } else {
        const QColor color = m_window->palette().color(QPalette::ButtonText);
        m_helpButton->setIcon(QPixmap::fromImage(tintedImage(m_helpIcon, color)));
        if (count <= 0)
            return;
    }
    m_animateHelpButton = m_context.mainRunLoop.performLater(
        HelpButtonFlashInterval, [this, count, flash] { animateHelpButton(count - 1, flash); });
}

// --- Window-button controls

QString ZRSettingsController::mouseControlPriorityExplanation(bool immutable, bool applePrimary) {
    if (immutable)
        return applePrimary ? tr("Press and hold Super before hovering to pop up the Skaf palette.")
                            : tr("Press Super while hovering to switch to the maximize button's own menu.");
    return applePrimary ? tr("Hold Super to pop up the Skaf palette.")
                        : tr("Hold Super to show the maximize button's own menu.");
}

void ZRSettingsController::updateMouseControlPriorityExplanationField(bool applePrimary,
                                                                      bool updateSelector) {
    if (!m_prioritySelector)
        return;
    if (updateSelector)
        m_prioritySelector->setCurrentIndex(m_prioritySelector->findData(applePrimary ? 1 : 0));
    m_priorityExplanation->setText(
        mouseControlPriorityExplanation(m_defaults.boolForKey(AppleImmutableKey), applePrimary));
}

void ZRSettingsController::updateWindowButtonSettingsControlsWithTrigger(qint64 trigger, qint64 behavior) {
    if (!m_behaviorSelector)
        return;
    if (trigger == 0) {
        m_behaviorSelector->setItemText(0, tr("Maximize or restore"));
        m_behaviorLabel->setText(tr("when clicking a maximize button"));
    } else if (trigger == 1) {
        m_behaviorSelector->setItemText(0, tr("Minimize window"));
        m_behaviorLabel->setText(tr("when clicking a minimize button"));
    } else {
        m_behaviorSelector->setItemText(0, tr("Close window"));
        m_behaviorLabel->setText(tr("when clicking a close button"));
    }
    m_behaviorSelector->sizeToFit();
    const bool visible = trigger == 0 && behavior == 0 &&
                         m_context.systemWindowSettings().canManageZoomButtonMenuOption() &&
                         m_defaults.integerForKey(ZRSystemWindowSettings::ZoomButtonMenuOptionKey) <
                             UserOwnedZoomButtonMenuOption;
    const int height = m_priorityRow->height();
    if (setVisible(m_priorityRow, visible, height)) {
        QWidget* document = m_priorityRow->parentWidget();
        document->resize(document->width(), document->height() + (visible ? height : -height));
    }
}

// --- Sidebar metrics

ZRSettingsController::SourceListMetrics ZRSettingsController::sourceListMetricsForSizeMode(qint64 sizeMode) {
    switch (sizeMode) {
    case 1:
        return {15, 13, 10};
    case 3:
        return {20, 18, 10};
    default:
        return {20, 15, 6};
    }
}

void ZRSettingsController::updateSourceListTextSize() {
    const qint64 mode = m_defaults.integerForKey(TableViewSizeModeKey);
    const SourceListMetrics metrics = sourceListMetricsForSizeMode(mode);
    sourceList()->setRowMetrics(metrics.rowHeight, metrics.indentation, metrics.verticalIntercellSpacing);
    sidebar().setSizeMode(mode);
}

void ZRSettingsController::sourceListTextSizeChanged(bool fromNotification) {
    m_sourceListTextSize.cancel();
    if (fromNotification) {
        m_sourceListTextSize = m_context.mainRunLoop.performLater(
            SourceListTextSizeDelay, [this] { sourceListTextSizeChanged(false); });
        return;
    }
    updateSourceListTextSize();
    sidebar().reloadSourceListWithSelectedItems(std::nullopt);
}

void ZRSettingsController::reflectVisualActionChange() {
    if (ZRSourceList* list = sourceList())
        list->updateDisplay();
}

void ZRSettingsController::updateConfigurationView() {
    ZRActionManager* store = loadedStore();
    if (!store || !m_collectionView)
        return;
    if (const auto action = store->focusAction())
        if (ZRActionEditor* editor = ZRActionEditor::editorForAction(*action))
            editor->updateConfigurationView();
    m_collectionView->tileConfigurationViewsIncludingMovingViews(true, true);
}

void ZRSettingsController::updatePaletteItemWells() {
    m_paletteEditor->updatePaletteItemWells();
}

void ZRSettingsController::updatePaletteItemWellsAfterDelay() {
    m_paletteEditor->updatePaletteItemWellsAfterDelay();
}

bool ZRSettingsController::canHidePaletteItemWell() const {
    return m_paletteEditor->canHidePaletteItemWell();
}

void ZRSettingsController::updateSnapActionSelectors() {
    m_generalSettingsControls->updateSnapActionSelectors();
}

void ZRSettingsController::updateSnapActionSelectorsSoon() {
    m_generalSettingsControls->updateSnapActionSelectorsSoon();
}

void ZRSettingsController::refreshAfterActionTreeChange() {
    updatePaletteItemWells();
    updateSnapActionSelectorsSoon();
    if (auto* mouseControl = m_controller.area<ZRMouseController>())
        mouseControl->updateFeatureFlagsAndTap();
}

// --- Window delegate

bool ZRSettingsController::windowShouldClose() {
    m_controller.dismissIntroPopover();
    if (m_defaults.boolForKey(TemporaryDockIconKey)) {
        m_applyApplicationMode = m_context.mainRunLoop.performLater(ApplicationModeDelay, [this] {
            if (m_window && m_window->isVisible())
                return;
            const ZRApplicationMode mode = ZRCurrentApplicationMode(m_defaults);
            ZRApplyAccessoryApplicationMode(
                mode == ZRApplicationMode::StatusItem || mode == ZRApplicationMode::Faceless, false);
        });
    }
    return true;
}

void ZRSettingsController::windowDidBecomeKey() {
    sourceList()->updateDisplay();
}

void ZRSettingsController::windowDidResignKey() {
    sourceList()->updateDisplay();
}
