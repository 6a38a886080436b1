#pragma once

#include "actions/ZRFullSizeGridOpener.h"
#include "actions/ZRKeyboardMenuPresenter.h"
#include "keyboard-control/ZRFullSizeGridOverlayWindow.h"
#include "keyboard-control/ZRKeyboardControlContext.h"
#include "keyboard-control/ZRKeyboardMenu.h"
#include "keyboard-control/ZRSettingsWindowOpener.h"
#include "mouse-control/ZRMouseControlKeyboardMenu.h"
#include "shell/ZRApplicationArea.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class ZRAction;
class ZRActionManager;
class ZRKeyboardControlPanel;
class ZRKeyboardMenuItem;
class ZRMainController;

// The keyboard-control area of the main controller: the keyboard menu as the action engine and mouse
// control open and close it, the keyboard control panel, which the action engine opens and which tells it
// of the keys, and the full-size grid that "use grid" actions open. It plugs itself into the main
// controller's actions area and, when there is one, its mouse-control area, and unplugs when it goes.
// Main thread only.
class ZRKeyboardController : public ZRApplicationArea,
                             public ZRKeyboardMenuPresenter,
                             public ZRMouseControlKeyboardMenu,
                             public ZRFullSizeGridOpener,
                             public ZRSettingsWindowOpener {
public:
    // Plugs into the main controller's areas; the store's actions fill the keyboard menu when none are
    // given, and the context is what its parts use.
    ZRKeyboardController(ZRMainController& mainController, ZRActionManager& store,
                         ZRKeyboardControlContext context);
    ~ZRKeyboardController() override;
    ZRKeyboardController(const ZRKeyboardController&) = delete;
    ZRKeyboardController& operator=(const ZRKeyboardController&) = delete;

    // The menu of actions on the screen under the pointer: the actions (the store's top-level ones when
    // none are given) as a tree of rows under the root title ("Skaf" when none), opened at the control's
    // level when the control is a folder of the tree. A second call with the same reference while the
    // menu is shown only moves its selection. A chosen row triggers its action on a later turn, after the
    // menu closed, if the action is still there then.
    bool popUpKeyboardMenuForControl(const std::shared_ptr<ZRAction>& control,
                                     const void* orCycleWithReference,
                                     const std::vector<std::shared_ptr<ZRAction>>* topLevelActions,
                                     const std::optional<QString>& rootTitle, bool* repeat,
                                     bool animate) override;
    // The tree of the actions with its entry item: the control's folder, else the root. Null when there
    // is no screen.
    struct MenuOfActions {
        std::shared_ptr<ZRKeyboardMenuItem> root;
        std::shared_ptr<ZRKeyboardMenuItem> entry;
    };
    MenuOfActions menuOfActions(const std::shared_ptr<ZRAction>& control,
                                const std::vector<std::shared_ptr<ZRAction>>& actions,
                                const QString& rootTitle, double lineHeight) const;
    void close() override;

    // The one keyboard control panel, made with the area.
    ZRKeyboardControlPanel& keyboardControlPanel() const { return *m_keyboardControlPanel; }

    // --- ZRMouseControlKeyboardMenu: the snap chooser

    bool isVisible() const override;
    void vanishAndClose() override;
    double lineHeightForScreen(const ScreenInfo& screen) const override;
    // The entry's children are rows that stay when chosen; the pointer picks one (selectItemAtIndex).
    // The chooser shows during a window drag, while the window manager holds the keyboard, so it does
    // without the keys.
    bool popUpWithEntryItem(const EntryItem& entry, const ScreenInfo& onScreen, bool animate,
                            const void* cycleReference) override;
    bool selectItemAtIndex(std::int64_t index) override;

    // --- ZRFullSizeGridOpener: a chosen cell gets the window, through the palette's action; and the
    // palette's own grid is one of keyboard control's.

    bool activateForWindow(const AXElementRef& window, const Rect& withFrame, const Rect& withinSkafableFrame,
                           const QVariantMap& preferredGridDimensionsDictionary) override;
    AXElementRef controlledWindow() const override;

    // --- ZRSettingsWindowOpener: the area of the main controller that has a settings window.

    bool canOpenSettingsWindow() const override;
    bool openSettingsWindow() override;

    // --- ZRApplicationArea

    // "Custom Control Titles: Include Suffix" on.
    void registerDefaults(UserDefaults& defaults) override;
    // The menu and the panel lose the keys to a workspace change, the menu also to a screen change; the
    // full-size grid closes with the screens it covers.
    void activeSpaceDidChange() override;
    void screenParametersDidChange() override;
    void applicationWillTerminate() override;

private:
    ZRMainController* m_mainController;
    ZRActionManager& m_store;
    const ZRKeyboardControlContext m_context;
    std::optional<ZRKeyboardMenu::Installation> m_menuInstallation;
    std::optional<ZRFullSizeGridOverlayWindow::Installation> m_gridInstallation;
    std::unique_ptr<ZRKeyboardControlPanel> m_keyboardControlPanel;
};
