#include "keyboard-control/ZRKeyboardController.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRActionType.h"
#include "keyboard-control/ZRFullSizeGridOverlayWindow.h"
#include "keyboard-control/ZRKeyboardControlPanel.h"
#include "keyboard-control/ZRKeyboardMenu.h"
#include "keyboard-control/ZRKeyboardMenuItem.h"
#include "keyboard-control/ZROverlayGrid.h"
#include "mouse-control/ZRMouseController.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRMainController.h"
#include "toolkit/MouseLocation.h"
#include "toolkit/StringExtensions.h"
#include "toolkit/ZRLog.h"

#include <QVariantMap>
#include <algorithm>
#include <cmath>

namespace {

const QString IncludeSuffixKey = QStringLiteral("Custom Control Titles: Include Suffix");
const QString IncludeUserDefinedSuffixKey =
    QStringLiteral("Custom Control Titles: User-Defined: Include Suffix");
const QString HideChainedItemsKey = QStringLiteral("Keyboard Menu: Hide Chained Items");
const QString DefaultRootTitle = QStringLiteral("Skaf");
// Rows whose title starts so are hidden.
constexpr QChar HiddenTitlePrefix = u'.';
constexpr QChar EmDash = u'\u2014';
// Icons in line heights: across, and up and down for actions, chains and other folders.
constexpr double IconWidthScale = 0.86;
constexpr double IconHeightScale = 0.63;
constexpr double ChainIconHeightScale = 0.8;
constexpr double FolderIconHeightScale = 0.7;

struct BuilderSettings {
    // Triggers a chosen row's action.
    std::function<void(const std::shared_ptr<ZRAction>&)> trigger;
    bool includeSuffix = false;
    bool includeUserDefinedSuffix = false;
    bool hideChained = false;
    double lineHeight = 0;
    const ZRAction* control = nullptr;
};

// Adds the rows of the actions under the parent, and those of folders under theirs; answers whether it
// added any. The first row that can be chosen in each level starts selected; the control's folder
// becomes the entry.
bool addActions(ZRKeyboardMenuItem& parent, const std::vector<std::shared_ptr<ZRAction>>& actions,
                const BuilderSettings& settings, std::shared_ptr<ZRKeyboardMenuItem>& entry) {
    bool added = false;
    bool firstSelectable = true;
    for (const auto& action : actions) {
        const ZRActionType type = action->actionType();
        if (type == ZRActionTypeSeparator) {
            parent.addSeparatorChild();
            added = true;
            continue;
        }
        QStringList suffixes;
        const bool collectSuffixes =
            settings.includeSuffix && (settings.includeUserDefinedSuffix || !action->userDefinedName());
        const QString title = action->displayNameWithSuffixes(collectSuffixes ? &suffixes : nullptr);
        if (title.startsWith(HiddenTitlePrefix))
            continue;
        auto item = ZRKeyboardMenuItem::item(title);
        if (collectSuffixes && !suffixes.isEmpty())
            item->setSuffix(u' ' + QString(EmDash) + u' ' + suffixes.join(spacedMidDotSring()));
        parent.addChild(item);
        added = true;

        const bool isFolder = type == ZRActionTypeFolder;
        const bool isChain = isFolder && action->chain();
        const double heightScale = isChain    ? ChainIconHeightScale
                                   : isFolder ? FolderIconHeightScale
                                              : IconHeightScale;
        item->setImage(
            action->strongReferenceTemplateIconWithSize(Size(std::floor(IconWidthScale * settings.lineHeight),
                                                             std::floor(heightScale * settings.lineHeight))));
        if (type == ZRActionTypeMenuHeader)
            continue;
        if (firstSelectable)
            item->select();
        firstSelectable = false;
        if ((isFolder && !isChain) || (isChain && !settings.hideChained)) {
            if (!addActions(*item, action->children(), settings, entry))
                item->addChild(ZRKeyboardMenuItem::item(ZRKeyboardMenu::emptyTitle()));
        }
        if (isFolder && !isChain) {
            // Choosing a folder opens it.
            if (action.get() == settings.control)
                entry = item;
            continue;
        }
        item->setAction(
            [trigger = settings.trigger, weakAction = std::weak_ptr<ZRAction>(action)](ZRKeyboardMenuItem&) {
                if (!trigger)
                    return true;
                // After the menu has closed, and only if the action is still there then.
                trigger(weakAction.lock());
                return true;
            });
    }
    return added;
}

// The screen whose frame holds the pointer, a shared edge counting for one screen only; else the first.
std::optional<ScreenInfo> screenUnderPointer(Platform& platform) {
    const auto screens = platform.screens().screens();
    if (screens.empty())
        return std::nullopt;
    const Point pointer = zeroBasedMouseLocation();
    for (const ScreenInfo& screen : screens)
        if (screen.frame.contains(pointer))
            return screen;
    return screens.front();
}

} // namespace

ZRKeyboardController::ZRKeyboardController(ZRMainController& mainController, ZRActionManager& store,
                                           ZRKeyboardControlContext context)
    : m_mainController(&mainController), m_store(store), m_context(std::move(context)),
      m_keyboardControlPanel(ZRKeyboardControlPanel::overlayPanelWithFrame(m_context, Rect(), nullptr, {})) {
    ZRActionController& actions = m_mainController->actions();
    actions.setKeyboardMenu(this);
    actions.setKeyboardControlPanel(m_keyboardControlPanel.get());
    m_keyboardControlPanel->setDelegate(&actions);
    m_keyboardControlPanel->setBeepHandler([&actions] { actions.beep(); });
    m_keyboardControlPanel->setCheatSheetSource(
        [mainController = m_mainController] { return mainController->cheatSheetDescriptions(); });
    m_menuInstallation.emplace(m_context, this);
    actions.setFullSizeGrid(this);
    m_gridInstallation.emplace(m_context, this, [&actions] { actions.beep(); });
    ZRFullSizeGridOverlayWindow::watchCurrentEvent(m_context.mainRunLoop);
    if (auto* mouseControl = m_mainController->area<ZRMouseController>()) {
        mouseControl->setKeyboardMenu(this);
        mouseControl->setPaletteGridFactory(
            [context = &m_context](QWidget* parent, std::function<void(ZROverlayGridInterface&)> action) {
                return ZROverlayGrid::paletteGrid(*context, parent, std::move(action));
            });
    }
}

ZRKeyboardController::~ZRKeyboardController() {
    // Areas go last added first, so mouse control and the actions area are still there.
    if (auto* mouseControl = m_mainController->area<ZRMouseController>()) {
        mouseControl->setKeyboardMenu(nullptr);
        mouseControl->setPaletteGridFactory({});
    }
    // Closed while the engine still hears of it, so the hot keys it set aside come back.
    m_keyboardControlPanel->setActive(false);
    m_mainController->actions().setKeyboardControlPanel(nullptr);
    m_mainController->actions().setKeyboardMenu(nullptr);
    m_mainController->actions().setFullSizeGrid(nullptr);
    m_keyboardControlPanel.reset();
    m_menuInstallation.reset();
    m_gridInstallation.reset();
}

bool ZRKeyboardController::canOpenSettingsWindow() const {
    const auto& areas = m_mainController->areas();
    return std::any_of(areas.begin(), areas.end(),
                       [](const auto& area) { return area->hasSettingsWindow(); });
}

bool ZRKeyboardController::openSettingsWindow() {
    for (const auto& area : m_mainController->areas())
        if (area->showSettingsWindow())
            return true;
    return false;
}

bool ZRKeyboardController::popUpKeyboardMenuForControl(
    const std::shared_ptr<ZRAction>& control, const void* orCycleWithReference,
    const std::vector<std::shared_ptr<ZRAction>>* topLevelActions, const std::optional<QString>& rootTitle,
    bool* repeat, bool animate) {
    if (ZRKeyboardMenu::cycleWithReference(orCycleWithReference)) {
        if (repeat)
            *repeat = true;
        return true;
    }
    const std::optional<ScreenInfo> screen = screenUnderPointer(m_context.platform);
    if (!screen)
        return false;
    const MenuOfActions menu =
        menuOfActions(control, topLevelActions ? *topLevelActions : m_store.topLevelActions(),
                      rootTitle.value_or(DefaultRootTitle), ZRKeyboardMenu::lineHeightForScreen(&*screen));
    if (!ZRKeyboardMenu::popUpWithEntryItem(menu.entry, &*screen, animate, orCycleWithReference))
        return false;
    if (repeat)
        *repeat = true;
    return true;
}

ZRKeyboardController::MenuOfActions
ZRKeyboardController::menuOfActions(const std::shared_ptr<ZRAction>& control,
                                    const std::vector<std::shared_ptr<ZRAction>>& actions,
                                    const QString& rootTitle, double lineHeight) const {
    const UserDefaults& defaults = m_context.defaults;
    BuilderSettings settings;
    settings.trigger = [mainRunLoop = &m_context.mainRunLoop,
                        mainController = m_mainController](const std::shared_ptr<ZRAction>& chosen) {
        mainRunLoop->performOnNextTurn([mainController, weakAction = std::weak_ptr<ZRAction>(chosen)] {
            if (const std::shared_ptr<ZRAction> action = weakAction.lock())
                mainController->actions().triggerAction(action, nullptr, true, nullptr, false, true);
        });
    };
    settings.includeSuffix = defaults.boolForKey(IncludeSuffixKey);
    settings.includeUserDefinedSuffix =
        settings.includeSuffix && defaults.boolForKey(IncludeUserDefinedSuffixKey);
    settings.hideChained = defaults.boolForKey(HideChainedItemsKey);
    settings.lineHeight = lineHeight;
    settings.control = control.get();
    MenuOfActions menu{ZRKeyboardMenuItem::item(rootTitle), nullptr};
    addActions(*menu.root, actions, settings, menu.entry);
    if (!menu.entry)
        menu.entry = menu.root;
    return menu;
}

void ZRKeyboardController::close() {
    ZRKeyboardMenu::close();
}

bool ZRKeyboardController::isVisible() const {
    return ZRKeyboardMenu::isVisible();
}

void ZRKeyboardController::vanishAndClose() {
    ZRKeyboardMenu::vanishAndClose();
}

double ZRKeyboardController::lineHeightForScreen(const ScreenInfo& screen) const {
    return ZRKeyboardMenu::lineHeightForScreen(&screen);
}

bool ZRKeyboardController::popUpWithEntryItem(const EntryItem& entry, const ScreenInfo& onScreen,
                                              bool animate, const void* cycleReference) {
    auto root = ZRKeyboardMenuItem::item(entry.title);
    for (const EntryItem::Child& child : entry.children) {
        auto item = ZRKeyboardMenuItem::item(child.title);
        item->setImage(child.image);
        item->setAction([](ZRKeyboardMenuItem&) { return false; });
        root->addChild(item);
    }
    return ZRKeyboardMenu::keyboardMenuByCreatingIfNecessary(true)->popUp(root, &onScreen, animate,
                                                                          cycleReference, false);
}

bool ZRKeyboardController::selectItemAtIndex(std::int64_t index) {
    return ZRKeyboardMenu::selectItemAtIndex(qsizetype(index));
}

bool ZRKeyboardController::activateForWindow(const AXElementRef& window, const Rect& withFrame,
                                             const Rect& withinSkafableFrame,
                                             const QVariantMap& preferredGridDimensionsDictionary) {
    // The palette's action places the window, as it does for the palette's own grid.
    ZRMouseController* mouseControl = m_mainController->area<ZRMouseController>();
    if (!mouseControl) {
        ZRLog("cannot use grid: mouse control is not there to place the window");
        return false;
    }
    return ZRFullSizeGridOverlayWindow::activateForWindow(
        window, withFrame, withinSkafableFrame, preferredGridDimensionsDictionary,
        [mouseControl](ZRGridPrototype& grid) { mouseControl->skaf(static_cast<ZROverlayGrid&>(grid)); });
}

AXElementRef ZRKeyboardController::controlledWindow() const {
    return ZRFullSizeGridOverlayWindow::controlledWindow();
}

void ZRKeyboardController::registerDefaults(UserDefaults& defaults) {
    defaults.registerDefaults({{IncludeSuffixKey, true}});
}

void ZRKeyboardController::activeSpaceDidChange() {
    ZRKeyboardMenu::vanishAndClose();
    m_keyboardControlPanel->resignKeyWindow();
}

void ZRKeyboardController::screenParametersDidChange() {
    ZRKeyboardMenu::close();
    ZRFullSizeGridOverlayWindow::deactivate();
}

void ZRKeyboardController::applicationWillTerminate() {
    ZRKeyboardMenu::close();
    m_keyboardControlPanel->overlayWindowDidDeactivate(m_keyboardControlPanel.get());
    ZRFullSizeGridOverlayWindow::deactivate();
}
