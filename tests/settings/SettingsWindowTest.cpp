#include "SettingsTestSupport.h"

#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/SystemPreferences.h"
#include "platform/sim/SimWorkspace.h"
#include "settings/ZRGeneralSettingsControls.h"
#include "settings/ZRGeneralSettingsPopover.h"
#include "settings/ZRSettingsSwitch.h"
#include "settings/ZRSnapActionSelectors.h"
#include "settings/ZRSourceListAddButton.h"
#include "shell/ZRApplicationMode.h"
#include "toolkit/ZRSizeToFitControl.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QStackedWidget>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <cmath>

namespace {

class SettingsWindowTest : public SettingsTest {
protected:
    QString currentPane() const { return settings().preferencesTabView()->currentWidget()->objectName(); }
    void activate() {
        QApplication::setActiveWindow(settings().preferencesWindow());
        QApplication::processEvents();
    }
    QImage grab(QWidget* window) {
        QApplication::processEvents();
        return window->grab().toImage();
    }
    // Whether the help button's icon shows green anywhere.
    bool helpButtonIsGreen() const {
        const QImage icon = settings().helpButton()->icon().pixmap(settings().helpIcon().size()).toImage();
        for (int y = 0; y < icon.height(); ++y)
            for (int x = 0; x < icon.width(); ++x) {
                const QColor color = icon.pixelColor(x, y);
                if (color.alpha() > 128 && color.green() > color.red() + 60)
                    return true;
            }
        return false;
    }
};

TEST_F(SettingsWindowTest, TheFirstOpeningShowsThePaletteAndLaterOnesKeepThePane) {
    EXPECT_TRUE(settings().preferencesWindow()->isVisible());
    EXPECT_EQ(currentPane(), QStringLiteral("Palette"));
    EXPECT_EQ(selectedTitles(), QStringList{QStringLiteral("Palette")});
    select({QStringLiteral("Snap")});
    EXPECT_EQ(currentPane(), QStringLiteral("Snap"));
    settings().preferencesWindow()->close();
    EXPECT_FALSE(settings().preferencesWindow()->isVisible());
    settings().controller().applicationShouldHandleReopen();
    EXPECT_TRUE(settings().preferencesWindow()->isVisible());
    EXPECT_EQ(currentPane(), QStringLiteral("Snap"));
}

TEST_F(SettingsWindowTest, TheTitleIsTheProgramsNameWithoutATaskbarEntry) {
    struct Case {
        qint64 mode;
        bool temporaryDockIcon;
        QString title;
    };
    const Case cases[] = {
        {1, false, QStringLiteral("Skaf")},     {2, false, QStringLiteral("Skaf")},
        {0, false, QStringLiteral("Settings")}, {3, false, QStringLiteral("Settings")},
        {1, true, QStringLiteral("Settings")},
    };
    for (const Case& c : cases) {
        set(QStringLiteral("Application Mode"), c.mode);
        set(QStringLiteral("Application Mode: Temporary Dock Icon"), c.temporaryDockIcon);
        settings().showPreferencesTab(std::nullopt, true);
        EXPECT_EQ(settings().preferencesWindow()->windowTitle(), c.title) << c.mode << c.temporaryDockIcon;
    }
    // Closed, the window gives its temporary taskbar entry back.
    EXPECT_FALSE(ZRIsAccessoryApplicationMode());
    settings().preferencesWindow()->close();
    RunLoop::main().advance(ZRSettingsController::ApplicationModeDelay);
    EXPECT_TRUE(ZRIsAccessoryApplicationMode());
}

class StealthyLaunchTest : public SettingsWindowTest {
protected:
    StealthyLaunchTest() { launchesOnSetUp = false; }
    void launchStealthily() {
        set(QStringLiteral("Stealth Mode"), true);
        set(QStringLiteral("Show Intro Popover"), false);
        set(QStringLiteral("Hover"), true);
        set(QStringLiteral("Snap: 3"), QStringLiteral("=gone"));
        launch();
        ASSERT_NE(ZRActionManager::actionManagerIfMade(), nullptr);
    }
    void expectFilledWhenShown() {
        settings().showSettingsWindow();
        ASSERT_NE(settings().preferencesWindow(), nullptr);
        EXPECT_TRUE(settings().preferencesWindow()->isVisible());
        EXPECT_EQ(currentPane(), QStringLiteral("Palette"));
        EXPECT_TRUE(settings().generalSettingsControls().hoverSwitch()->isChecked());
        EXPECT_EQ(settings().generalSettingsControls().snapActionSelectors().snapSelector(3)->currentText(),
                  QStringLiteral("None"));
    }
};

// A stealthy start builds no window: the store loads, a snap setting naming a gone action is reset, and the
// window is made, filled from the settings, when it is first shown.
TEST_F(StealthyLaunchTest, StealthModeAfterTheIntroductionBuildsTheWindowWhenFirstShown) {
    launchStealthily();
    EXPECT_EQ(settings().preferencesWindow(), nullptr);
    EXPECT_EQ(defaults().object(QStringLiteral("Snap: 3")), QVariant(qint64(0)));
    expectFilledWhenShown();
}

// A palette never laid out is seeded at once, window and all, so that its examples are in the store.
TEST_F(StealthyLaunchTest, StealthModeStillSeedsThePalette) {
    seedsPalette = true;
    launchStealthily();
    EXPECT_EQ(storeTitles().value(0), QStringLiteral("Examples"));
    ASSERT_NE(settings().preferencesWindow(), nullptr);
    EXPECT_FALSE(settings().preferencesWindow()->isVisible());
    expectFilledWhenShown();
}

TEST_F(SettingsWindowTest, TheHelpButtonFlashesFiveTimesAndEndsOnItsIcon) {
    QString steps;
    for (int step = 0; step <= ZRSettingsController::HelpButtonFlashCount + 1; ++step) {
        steps += helpButtonIsGreen() ? u'G' : u'.';
        RunLoop::main().advance(ZRSettingsController::HelpButtonFlashInterval);
    }
    EXPECT_EQ(steps, QStringLiteral("G.G.G.G.G.."));
    // What stays is the launch's look for a sleep of the machine, which comes round as long as the program
    // runs.
    EXPECT_EQ(RunLoop::main().pendingTimerCount(), 1u);
}

TEST_F(StealthyLaunchTest, TheHelpButtonDoesNotFlashWhenSuppressed) {
    set(QStringLiteral("Suppress Help Button Animation"), true);
    launch();
    EXPECT_FALSE(helpButtonIsGreen());
    EXPECT_FALSE(settings().helpButtonFlashes());
}

TEST_F(SettingsWindowTest, TheSettingsItemAndTheGearOpenAndCloseTheGeneralSettings) {
    activate();
    QAction item;
    item.setProperty(ZRSettingsController::MenuItemTagProperty, 1);
    settings().showPreferences(&item);
    ZRGeneralSettingsPopover* popover = settings().generalSettingsPopover();
    ASSERT_NE(popover, nullptr);
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(popover->behavior(), ZRGeneralSettingsPopover::Behavior::Transient);
    QApplication::setActiveWindow(popover);
    settings().showPreferences(&item);
    EXPECT_FALSE(popover->isShown());

    // Transient: a click elsewhere closes it; a click on the gear only closes it.
    settings().helpOrShowGeneralSettingsPopover(1);
    EXPECT_TRUE(popover->isShown());
    QTest::mouseClick(sourceList().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(popover->isShown());
    settings().helpOrShowGeneralSettingsPopover(1);
    QTest::mouseClick(settings().generalSettingsButton(), Qt::LeftButton);
    EXPECT_FALSE(popover->isShown());

    // Another of the program's windows that takes the keyboard, as the log window its button opens, closes
    // it; the settings window it hangs from and its own pop-up lists do not.
    settings().helpOrShowGeneralSettingsPopover(1);
    QApplication::processEvents();
    settings().preferencesWindow()->activateWindow();
    QApplication::processEvents();
    EXPECT_TRUE(popover->isShown());
    QWidget log;
    log.show();
    log.activateWindow();
    QApplication::processEvents();
    EXPECT_EQ(QGuiApplication::focusWindow(), log.windowHandle());
    EXPECT_FALSE(popover->isShown());

    // Obtrusive: it stays until the gear is clicked again.
    set(QStringLiteral("Obtrusive General Settings"), true);
    settings().helpOrShowGeneralSettingsPopover(1);
    QTest::mouseClick(sourceList().viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(popover->isShown());
    settings().helpOrShowGeneralSettingsPopover(1);
    EXPECT_FALSE(popover->isShown());

    // Without the tag, or with the window in the background, the item opens the window.
    settings().showPreferences(nullptr);
    EXPECT_FALSE(popover->isShown());
}

TEST_F(SettingsWindowTest, DeleteOnASectionBeepsAndDeletesNothing) {
    addActions({QStringLiteral("A")});
    select({QStringLiteral("Hover")});
    QTest::keyClick(&sourceList(), Qt::Key_Delete);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(storeTitles(), QStringList{QStringLiteral("A")});
    select({QStringLiteral("A")});
    QTest::keyClick(&sourceList(), Qt::Key_Backspace);
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(storeTitles().isEmpty());
}

TEST_F(SettingsWindowTest, TheDividerStaysWhereItIsAndNoSideCollapses) {
    QSplitter* split = settings().splitView();
    QMainWindow* window = settings().preferencesWindow();
    EXPECT_FALSE(split->handle(1)->isEnabled());
    EXPECT_FALSE(split->isCollapsible(0));
    EXPECT_FALSE(split->isCollapsible(1));
    for (const int width : {window->minimumWidth(), 1200}) {
        window->resize(width, 600);
        QApplication::processEvents();
        EXPECT_EQ(split->sizes().front(), ZRSettingsController::SidebarWidth) << width;
    }
    // A drag on the divider goes nowhere.
    QSplitterHandle* divider = split->handle(1);
    QTest::mousePress(divider, Qt::LeftButton, {}, QPoint(0, 10));
    QTest::mouseMove(divider, QPoint(150, 10));
    QTest::mouseRelease(divider, Qt::LeftButton, {}, QPoint(150, 10));
    EXPECT_EQ(split->sizes().front(), ZRSettingsController::SidebarWidth);
    // The toolbar cannot be moved, hidden or customised.
    QToolBar* toolbar = settings().toolbar();
    EXPECT_FALSE(toolbar->isMovable());
    EXPECT_EQ(toolbar->contextMenuPolicy(), Qt::PreventContextMenu);
    EXPECT_EQ(window->createPopupMenu(), nullptr);
    EXPECT_EQ(toolbar->objectName(), QStringLiteral("Settings Window Toolbar"));
}

TEST_F(SettingsWindowTest, TheWindowButtonControlsFollowTheTrigger) {
    struct Case {
        qint64 trigger, behavior, zoomMenuOption;
        QString item, label;
        bool priorityShown;
    };
    const Case cases[] = {
        {0, 0, 0, QStringLiteral("Maximize or restore"), QStringLiteral("when clicking a maximize button"),
         true},
        {0, 1, 0, QStringLiteral("Maximize or restore"), QStringLiteral("when clicking a maximize button"),
         false},
        {0, 0, 3, QStringLiteral("Maximize or restore"), QStringLiteral("when clicking a maximize button"),
         false},
        {1, 0, 0, QStringLiteral("Minimize window"), QStringLiteral("when clicking a minimize button"),
         false},
        {5, 0, 0, QStringLiteral("Close window"), QStringLiteral("when clicking a close button"), false},
    };
    QWidget* pane = settings().pane(QStringLiteral("Palette"));
    QWidget* row = settings().mouseControlPrioritySelector()->parentWidget();
    const int shownHeight = pane->height();
    for (const Case& c : cases) {
        desktop.systemPreferences().setValue(SystemPreferences::GlobalDomain,
                                             QStringLiteral("NSZoomButtonMenuOption"), c.zoomMenuOption);
        settings().updateWindowButtonSettingsControlsWithTrigger(c.trigger, c.behavior);
        EXPECT_EQ(settings().zoomButtonBehaviorSelector()->itemText(0), c.item);
        EXPECT_EQ(settings().zoomButtonBehaviorSelectorLabel()->text(), c.label);
        EXPECT_EQ(row->isVisibleTo(pane), c.priorityShown) << c.trigger << c.behavior << c.zoomMenuOption;
        EXPECT_EQ(pane->height(), c.priorityShown ? shownHeight : shownHeight - row->height());
    }
    struct Text {
        bool immutable, applePrimary;
        const char* text;
    };
    const Text texts[] = {
        {true, true, "Press and hold Super before hovering to pop up the Skaf palette."},
        {true, false, "Press Super while hovering to switch to the maximize button's own menu."},
        {false, true, "Hold Super to pop up the Skaf palette."},
        {false, false, "Hold Super to show the maximize button's own menu."},
    };
    for (const Text& t : texts) {
        set(QStringLiteral("Mouse Controls Trigger: Apple: Immutable"), t.immutable);
        settings().updateMouseControlPriorityExplanationField(t.applePrimary, true);
        EXPECT_EQ(settings().mouseControlPriorityExplanationField()->text(), QString::fromUtf8(t.text));
        EXPECT_EQ(settings().mouseControlPrioritySelector()->currentData().toInt(), t.applePrimary ? 1 : 0);
    }
}

// A desktop without Stage Manager, drawers, an Fn modifier or a menu of its own over the maximize button
// (X11) is offered no control for them; the simulated desktop, which has them all, shows every one.
class DesktopFeaturesTest : public SettingsWindowTest, public ::testing::WithParamInterface<bool> {
protected:
    DesktopFeaturesTest() { launchesOnSetUp = false; }

    static QStringList texts(const QWidget* root) {
        QStringList found;
        for (const QAbstractButton* button : root->findChildren<QAbstractButton*>())
            found << button->text();
        for (const QLabel* label : root->findChildren<QLabel*>())
            found << label->text();
        return found;
    }
};

TEST_P(DesktopFeaturesTest, ControlsOfFeaturesTheDesktopLacksAreNotOffered) {
    const bool offered = GetParam();
    desktop.systemPreferences().setOffersStageManager(offered);
    desktop.systemPreferences().setOffersWindowDrawers(offered);
    desktop.systemPreferences().setOffersZoomButtonMenuOption(offered);
    desktop.inputState().setReportsFunctionModifier(offered);
    launch();

    const QStringList general = texts(settings().generalSettingsView());
    EXPECT_EQ(general.contains(QStringLiteral("Allow for Stage Manager")), offered);
    EXPECT_EQ(general.contains(QStringLiteral("Allow for drawers")), offered);
    const QStringList hover = texts(settings().pane(QStringLiteral("Hover")));
    EXPECT_EQ(hover.count(QStringLiteral("Fn")), offered ? 2 : 0)
        << "one switch for moving, one for resizing";
    EXPECT_EQ(hover.count(QStringLiteral("Super")), 2);
    const QStringList snap = texts(settings().pane(QStringLiteral("Snap")));
    EXPECT_EQ(snap.contains(QStringLiteral("Fn:")), offered);
    QWidget* row = settings().mouseControlPrioritySelector()->parentWidget();
    EXPECT_EQ(row->isVisibleTo(settings().pane(QStringLiteral("Palette"))), offered);

    // The drop-snap keys stay two to a row without a hole where Fn would be.
    select({QStringLiteral("Snap")});
    QApplication::processEvents();
    const auto labelAt = [&](const QString& text) {
        for (const QLabel* label : settings().pane(QStringLiteral("Snap"))->findChildren<QLabel*>())
            if (label->text() == text)
                return label->mapTo(settings().pane(QStringLiteral("Snap")), QPoint(0, 0));
        ADD_FAILURE() << text.toStdString();
        return QPoint();
    };
    const QStringList keys = offered ? QStringList{"Shift:", "Fn:", "Control:", "Alt:", "Super:"}
                                     : QStringList{"Shift:", "Control:", "Alt:", "Super:"};
    for (qsizetype i = 0; i + 1 < keys.size(); i += 2)
        EXPECT_EQ(labelAt(keys[i]).y(), labelAt(keys[i + 1]).y()) << keys[i].toStdString();
    EXPECT_GT(labelAt(keys[2]).y(), labelAt(keys[0]).y());

    if (!offered) {
        for (const QString& tab : {QStringLiteral("Hover"), QStringLiteral("Snap")}) {
            select({tab});
            saveScreenshot(grab(settings().preferencesWindow()),
                           QStringLiteral("settings-") + tab.toLower() + QStringLiteral("-without-fn"));
        }
        settings().showGeneralSettings();
        QApplication::processEvents();
        saveScreenshot(grab(settings().generalSettingsPopover()),
                       QStringLiteral("settings-general-popover-without-stage-manager"));
    }
}

INSTANTIATE_TEST_SUITE_P(OfferedOrNot, DesktopFeaturesTest, ::testing::Bool());

TEST_F(SettingsWindowTest, PicturesOfEveryPaneTheAddMenuAndThePopover) {
    addActions({QStringLiteral("Left Side"), QStringLiteral("Right Side")});
    addFolder(QStringLiteral("Work"), {QStringLiteral("Editor"), QStringLiteral("Terminal")});
    QMainWindow* window = settings().preferencesWindow();
    RunLoop::main().advance(ZRSettingsController::HelpButtonFlashInterval *
                            ZRSettingsController::HelpButtonFlashCount);
    int selectionContrast[2] = {};
    for (const bool dark : {false, true}) {
        desktop.workspace().setDarkAppearance(dark);
        activate();
        const QString look = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        for (const QString& tab : {QStringLiteral("Palette"), QStringLiteral("Hover"), QStringLiteral("Snap"),
                                   QStringLiteral("Keyboard")}) {
            select({tab});
            saveScreenshot(grab(window), QStringLiteral("settings-") + tab.toLower() + look);
        }
        select({QStringLiteral("Editor")});
        const QImage custom = grab(window);
        saveScreenshot(custom, QStringLiteral("settings-custom") + look);
        // The window follows the desktop's style.
        const QColor background = custom.pixelColor(window->width() - 5, window->height() - 5);
        EXPECT_EQ(background.lightnessF() < 0.5, dark);
        // The selected row stands out from the rows around it as much in the dark theme as in the light.
        QTreeView* list = settings().sourceList();
        const QWidget* rows = list->viewport();
        const int x = rows->width() - 5;
        const QColor selected = custom.pixelColor(
            rows->mapTo(window, QPoint(x, list->visualRect(list->currentIndex()).center().y())));
        const QColor row = custom.pixelColor(rows->mapTo(window, QPoint(x, rows->height() - 5)));
        selectionContrast[dark] = std::abs(selected.lightness() - row.lightness());

        QMenu* menu = settings().addButton()->addMenu();
        settings().addButton()->populateAddMenu();
        menu->popup(window->mapToGlobal(QPoint(10, 40)));
        EXPECT_GT(menu->actions().size(), 10);
        saveScreenshot(grab(menu), QStringLiteral("settings-add-menu") + look);
        menu->close();

        settings().showGeneralSettings();
        saveScreenshot(grab(settings().generalSettingsPopover()),
                       QStringLiteral("settings-general-popover") + look);
        settings().generalSettingsPopover()->close();
    }
    EXPECT_GE(selectionContrast[0], 30);
    EXPECT_GE(selectionContrast[1], selectionContrast[0] - 1);
}

} // namespace
