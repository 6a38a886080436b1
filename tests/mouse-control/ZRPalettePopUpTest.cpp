#include "PalettePopUpTestSupport.h"

#include "mouse-control/ZROverlayColorScheme.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "toolkit/AttachedPanelGeometry.h"
#include "toolkit/InterfaceLoader.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/ViewExtensions.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTest>

namespace {

namespace D = ZRMouseControlDefault;

void deleteLaterNow() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// A window's widget geometry as a rectangle of the program's own.
Rect geometryOf(const QWidget* widget) {
    const QRect g = widget->geometry();
    return {double(g.x()), double(g.y()), double(g.width()), double(g.height())};
}

using PaletteTest = PalettePopUpTest;

TEST_F(PaletteTest, ARestOnTheZoomButtonShowsTheFiveButtonsBesideIt) {
    rest({WindowFrame.midX(), WindowFrame.midY()});
    EXPECT_FALSE(paletteShown()) << "not on a button";
    restOnZoomButton();
    ASSERT_TRUE(paletteShown());
    ZROverlayWindow* overlay = palette().overlayWindow();
    EXPECT_EQ(palette().currentTriggerUIElement()->frame(), ZoomButton);
    EXPECT_TRUE(desktop.overlayWindows().isShown(overlay->winId())) << "an overlay the desktop knows";
    EXPECT_EQ(windowLevel(overlay), ZRPalette::PaletteLevel);
    EXPECT_EQ(overlay->side(), AttachedPanelSide::BottomRight);
    EXPECT_EQ(overlay->arrowHeight(), 7);
    EXPECT_EQ(overlay->arrowBaseWidth(), 11);
    // The smallest icons, no revert column: 140 × 36, the buttons 25 apart from 10 points in.
    EXPECT_EQ(palette().overlayView()->size(), QSize(140, 36));
    const std::pair<ZROverlayButton*, double> row[] = {{palette().fullButton(), 10},
                                                       {palette().leftButton(), 35},
                                                       {palette().rightButton(), 60},
                                                       {palette().topButton(), 85},
                                                       {palette().bottomButton(), 110}};
    for (const auto& [button, x] : row) {
        EXPECT_EQ(geometryOf(button), Rect(x, 8, 20, 20)) << button->tag();
        EXPECT_TRUE(button->isVisible()) << button->tag();
        EXPECT_FALSE(button->image().isNull());
    }
    EXPECT_FALSE(palette().revertButton()->isVisible()) << "nothing to revert to";
    const Rect frame = paletteFrame();
    EXPECT_GT(frame.y(), ZoomButton.maxY()) << "below the button";
    EXPECT_LT(frame.x(), ZoomButton.midX()) << "extending to the right from the arrow";
}

TEST_F(PaletteTest, ThePaletteStaysWhileThePointerIsInsideAndGoesWhenItLeavesOrAClickFallsOutside) {
    restOnZoomButton();
    ASSERT_TRUE(paletteShown());
    QPointer<ZROverlayWindow> first = palette().overlayWindow();
    setFadingDuration(first, 0);
    const Rect frame = paletteFrame();
    const Point inside(frame.midX(), frame.midY());

    // Moving onto the palette and back onto the same button keeps it as it is.
    rest(inside);
    restOnZoomButton();
    EXPECT_EQ(palette().overlayWindow(), first) << "not built again";

    // Off the button, but the pointer stays inside: the hide tries again every half second.
    rest({WindowFrame.midX(), WindowFrame.maxY() - 20}, 0.1);
    desktop.inputState().setPointerLocation(inside);
    for (int i = 0; i < 6; ++i) {
        RunLoop::main().advance(0.5);
        EXPECT_TRUE(paletteShown()) << "after " << (i + 1) * 0.5 << " s";
    }
    desktop.inputState().setPointerLocation({WindowFrame.midX(), WindowFrame.maxY() - 20});
    RunLoop::main().advance(0.5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !first; }, 1000)) << "closed and deleted";
    EXPECT_EQ(palette().currentTriggerUIElement(), nullptr);

    // A click outside closes it at once.
    restOnZoomButton();
    ASSERT_TRUE(paletteShown());
    QPointer<ZROverlayWindow> second = palette().overlayWindow();
    setFadingDuration(second, 0);
    desktop.inputState().setPointerLocation({WindowFrame.midX(), WindowFrame.maxY() - 20});
    desktop.pressLeftButton();
    desktop.releaseLeftButton();
    RunLoop::main().runPending();
    EXPECT_EQ(palette().overlayWindow(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !second; }, 1000));
}

// A rest on the palette over another window's zoom button keeps the palette: the desktop looks through
// our overlays, but the user sees the palette there.
TEST_F(PaletteTest, ARestOnThePaletteOverAnotherButtonKeepsIt) {
    restOnZoomButton();
    ASSERT_TRUE(paletteShown());
    const Rect frame = paletteFrame();
    SimWindow& below = desktop.addWindow(*editor, Rect(frame.midX() - 54, frame.midY() - 14, 400, 300));
    below.addStandardButtons();
    const auto trigger = palette().currentTriggerUIElement();
    QPointer<ZROverlayWindow> shown = palette().overlayWindow();
    rest({frame.midX(), frame.midY()}, 1);
    EXPECT_EQ(palette().currentTriggerUIElement(), trigger);
    EXPECT_EQ(palette().overlayWindow(), shown);
    EXPECT_TRUE(paletteShown());
}

// The content view belongs to the palette, not to any of its windows: each new window takes it from the
// last, also from one still fading out.
TEST_F(PaletteTest, TheContentViewOutlivesEveryPaletteWindow) {
    SimWindow& other = desktop.addWindow(*editor, Rect(800, 400, 500, 300));
    other.addStandardButtons();
    restOnZoomButton();
    QPointer<QWidget> view = palette().overlayView();
    QPointer<ZROverlayWindow> first = palette().overlayWindow();
    rest({800 + 54, 400 + 14});
    ASSERT_TRUE(paletteShown());
    deleteLaterNow();
    EXPECT_TRUE(first.isNull());
    ASSERT_FALSE(view.isNull());
    EXPECT_EQ(view->parent(), palette().overlayWindow());

    // Closed with a fade, and a new palette built before the fade ends.
    QPointer<ZROverlayWindow> fading = palette().overlayWindow();
    setFadingDuration(fading, 0.05);
    palette().hideOverlayRegardless();
    restOnZoomButton();
    EXPECT_TRUE(QTest::qWaitFor([&] { return fading.isNull(); }, 1000));
    ASSERT_FALSE(view.isNull());
    EXPECT_EQ(view->parent(), palette().overlayWindow());
    EXPECT_TRUE(paletteShown());
}

TEST_F(PaletteTest, AClosedPaletteLeavesNoTriggerAndNoDelayedShowing) {
    set(D::ZoomButtonBehavior, 1);
    // Without a wait of the palette's own, the overlay comes as soon as the pointer rests.
    restOnZoomButton(0.05);
    ASSERT_NE(palette().zoomButtonOverlayWindow(), nullptr);
    EXPECT_FALSE(paletteShown()) << "the overlay first";
    palette().hideOverlayRegardless();
    EXPECT_EQ(palette().currentTriggerUIElement(), nullptr);
    RunLoop::main().advance(1);
    EXPECT_EQ(palette().overlayWindow(), nullptr);
    EXPECT_FALSE(controller->ownPalette().isShowingOverlay());
}

// What shows when the pointer rests on the button, by the zoom button's behaviour, Control or Command
// held, and the state of the desktop's own zoom-button menu.
TEST_F(PaletteTest, ShowDecision) {
    enum Menu { Managed, Unmanageable, DefaultMenu };
    const struct Case {
        const char* what;
        std::int64_t behavior;
        bool held;
        Menu menu;
        bool overlay;       // the zoom-button overlay shown
        bool overlayAction; // it acts on a click
        bool paletteAtOnce; // the palette shown at once
        bool paletteLater;  // or after the delay
    } cases[] = {
        {"overlay without action", -1, false, Managed, true, false, false, true},
        {"overlay held", -1, true, Managed, false, false, false, false},
        {"overlay with action", 1, false, Managed, true, true, false, true},
        {"overlay pressing the button", 2, false, Managed, true, true, false, true},
        {"overlay with action held", 2, true, Managed, false, true, false, false},
        {"palette on the zoom button", 0, false, Managed, false, false, true, true},
        {"held: not shown", 0, true, Managed, false, false, false, false},
        {"menu not manageable", 0, false, Unmanageable, false, false, true, true},
        {"menu not manageable, held", 0, true, Unmanageable, false, false, true, true},
        {"the desktop's menu in its default state", 0, false, DefaultMenu, false, false, false, false},
        {"the desktop's menu, held", 0, true, DefaultMenu, false, false, true, true},
    };
    std::optional<ZRSystemWindowSettings> run;
    std::optional<ZRSystemWindowSettings::Installation> installedRun;
    for (const Case& c : cases) {
        set(D::ZoomButtonBehavior, QVariant::fromValue(qint64(c.behavior)));
        set(ZRSystemWindowSettings::ManualAvailabilityOverrideUserDefaultName,
            c.menu == Unmanageable ? QVariant(false) : QVariant());
        set(ZRSystemWindowSettings::ApplePrimaryUserDefaultName, c.menu == DefaultMenu);
        // Whether the desktop's menu can be managed is found once per run.
        installedRun.reset();
        run.emplace(settings(), desktop);
        installedRun.emplace(*run);
        controller->updateFeatureFlagsAndTap();
        desktop.setModifierFlags(c.held ? ModifierFlag::Command : 0);
        // The palette's delay is the tap's wait, without the overlay; the overlay's own follows.
        restOnZoomButton(c.behavior == 0 ? 0.15 : 0.05);
        ZRZoomButtonOverlayWindow* overlay = palette().zoomButtonOverlayWindow();
        EXPECT_EQ(overlay && overlay->isVisible(), c.overlay) << c.what;
        if (overlay) {
            EXPECT_EQ(overlay->targetAnswersAction(), c.overlayAction) << c.what;
            EXPECT_EQ(overlay->windowTitle(), QStringLiteral("Zoom Button"));
            EXPECT_EQ(quartzRectFromQtRect(QRectF(overlay->frameGeometry())), ZoomButton) << c.what;
        }
        EXPECT_NE(palette().overlayWindow(), nullptr) << c.what << ": built in any case";
        EXPECT_EQ(paletteShown(), c.paletteAtOnce) << c.what;
        RunLoop::main().advance(0.2);
        EXPECT_EQ(paletteShown(), c.paletteLater) << c.what;
        palette().hideOverlayRegardless();
        desktop.setModifierFlags(0);
    }
}

// With "Mouse Controls Trigger: Apple: Immutable" the desktop's menu is switched off while the palette shows,
// and back when it closes.
TEST_F(PaletteTest, AnImmutableDesktopMenuIsSwitchedOffWhileThePaletteShows) {
    set(ZRSystemWindowSettings::ApplePrimaryUserDefaultName, true);
    set(ZRPalette::AppleImmutableUserDefaultName, true);
    controller->updateFeatureFlagsAndTap();
    desktop.setModifierFlags(ModifierFlag::Control);
    restOnZoomButton();
    EXPECT_TRUE(paletteShown());
    EXPECT_TRUE(settings().boolForKey(ZRSystemWindowSettings::DisabledTemporarilyUserDefaultName));
    EXPECT_EQ(desktop.systemPreferences().value(QStringLiteral("NSGlobalDomain"),
                                                ZRSystemWindowSettings::ZoomButtonMenuOptionKey),
              QVariant::fromValue(qint64(1)));
    palette().hideOverlayRegardless();
    EXPECT_FALSE(settings().hasValue(ZRSystemWindowSettings::DisabledTemporarilyUserDefaultName));
    EXPECT_FALSE(desktop.systemPreferences()
                     .value(QStringLiteral("NSGlobalDomain"), ZRSystemWindowSettings::ZoomButtonMenuOptionKey)
                     .isValid());
}

TEST_F(PaletteTest, TheCurrentFrameMarksItsButton) {
    const struct Case {
        const char* what;
        Rect frame; // Quartz
        ZROverlayButton* (ZRPalette::*button)() const;
        bool normal;
        bool alternate;
    } cases[] = {
        {"right half", {400, 0, 400, 800}, &ZRPalette::rightButton, true, false},
        {"top right quarter", {400, 0, 400, 400}, &ZRPalette::rightButton, false, true},
        {"whole screen", {0, 0, 800, 800}, &ZRPalette::fullButton, true, false},
        {"bottom left quarter", {0, 400, 400, 400}, &ZRPalette::topButton, false, true},
        {"nowhere", {100, 100, 600, 400}, &ZRPalette::leftButton, false, false},
    };
    for (const Case& c : cases) {
        window->setFrame(c.frame);
        rest({c.frame.x() + ZoomButton.midX() - WindowFrame.x(),
              c.frame.y() + ZoomButton.midY() - WindowFrame.y()});
        ASSERT_TRUE(paletteShown()) << c.what;
        ZROverlayButton* button = (palette().*c.button)();
        EXPECT_EQ(button->representsCurrentWindowFrame(), c.normal) << c.what;
        EXPECT_EQ(button->alternateModeRepresentsCurrentWindowFrame(), c.alternate) << c.what;
        for (ZROverlayButton* other :
             {palette().fullButton(), palette().leftButton(), palette().rightButton(), palette().topButton(),
              palette().bottomButton()})
            if (other != button) {
                EXPECT_FALSE(other->representsCurrentWindowFrame() ||
                             other->alternateModeRepresentsCurrentWindowFrame())
                    << c.what << " " << other->tag();
            }
        palette().hideOverlayRegardless();
    }
}

// The original frame stays while the window stands at a palette position or where the program last put it;
// one equal to the current frame is dropped, and the revert button with it.
TEST_F(PaletteTest, TheOriginalFrameAndTheRevertButton) {
    const Rect start(WindowFrame);
    const Rect elsewhere(300, 200, 500, 300);
    const struct Case {
        const char* what;
        Rect frame;
        std::optional<Rect> lastFrame;
        bool preserveForever;
        bool kept;
    } cases[] = {
        {"at a position", {400, 0, 400, 800}, std::nullopt, false, true},
        {"where the program last put it", elsewhere, elsewhere, false, true},
        {"moved by other means", elsewhere, std::nullopt, false, false},
        {"moved, but kept forever", elsewhere, std::nullopt, true, true},
        {"back where it began", start, std::nullopt, true, false},
    };
    for (const Case& c : cases) {
        set(QString::fromUtf16(ZRPreserveOriginalFramesForeverUserDefaultName), c.preserveForever);
        window->setFrame(c.frame);
        actions().storeOriginalFrame(start, element());
        if (c.lastFrame)
            actions().storeLastSkafFrame(*c.lastFrame, 1002, element());
        rest({c.frame.x() + ZoomButton.midX() - WindowFrame.x(),
              c.frame.y() + ZoomButton.midY() - WindowFrame.y()});
        ASSERT_TRUE(paletteShown()) << c.what;
        Rect original;
        EXPECT_EQ(actions().getOriginalFrame(original, element(), false), c.kept) << c.what;
        EXPECT_EQ(palette().revertButton()->isVisible(), c.kept) << c.what;
        EXPECT_EQ(palette().overlayView()->width(), c.kept ? 175 : 140) << c.what;
        palette().hideOverlayRegardless();
        actions().removeOriginalFrameForWindow(element());
        actions().removeLastSkafFrameForWindow(element());
    }
}

} // namespace

namespace {

// The palette editor's layout decides which buttons show and where, with custom actions' buttons among the
// standard ones; a grid, the revert button and custom actions widen it.
class PaletteContentTest : public PalettePopUpTest {
protected:
    void SetUp() override {
        PalettePopUpTest::SetUp();
        controller->setPaletteLayout(&layout);
    }
    void TearDown() override {
        palette().hideOverlayRegardless();
        controller->setPaletteLayout(nullptr);
        PalettePopUpTest::TearDown();
    }
    static std::shared_ptr<ZRAction> actionOfType(ZRActionType type) {
        auto action = ZRAction::actionWithType(type);
        ZRActionManager::actionManager().insertAction(action);
        return action;
    }
    QSize viewSize() { return palette().overlayView()->size(); }

    FakePaletteLayout layout;
};

TEST_F(PaletteContentTest, CustomActionsStandAmongTheStandardButtonsAsInTheEditor) {
    layout.addStandard(0, 0, 2);
    layout.addStandard(1, 0, 9);
    layout.addStandard(2, 0, 5);
    layout.addStandard(0, 1, 3);
    layout.addStandard(1, 1, 7, true);
    const auto action = actionOfType(ZRActionTypeMoveAndResize);
    layout.addAction(2, 1, action);
    restOnZoomButton();
    ASSERT_TRUE(paletteShown());
    EXPECT_EQ(viewSize(), QSize(90, 57)) << "three columns, two rows";
    QWidget* item = layout.wells.back()->button;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->parent(), palette().overlayView());
    EXPECT_EQ(geometryOf(item), Rect(60, 29, 20, 20)) << "the second row, under the right half";
    EXPECT_TRUE(item->isVisible());
    EXPECT_TRUE(item->isEnabled());
    EXPECT_EQ(geometryOf(palette().topButton()), Rect(10, 29, 20, 20));
    EXPECT_FALSE(palette().bottomButton()->isVisible()) << "hidden by the user";

    // The custom action's button draws for the panel it lies on: light on the dark one, dark on the light.
    for (const bool light : {false, true}) {
        palette().hideOverlayRegardless();
        set(ZROverlayColorScheme::colorInversionKey(), light);
        restOnZoomButton();
        ASSERT_TRUE(paletteShown());
        EXPECT_EQ(isInFullyInvertedDarkMode(layout.wells.back()->button), !light)
            << (light ? "light" : "dark");
    }
}

TEST_F(PaletteContentTest, NoVisibleItemLeavesASmallPaletteAndNoNegativeSize) {
    for (const std::int64_t item : {2, 9, 5, 3, 7})
        layout.addStandard(item, 0, item, true);
    restOnZoomButton();
    ASSERT_TRUE(paletteShown());
    EXPECT_EQ(viewSize(), QSize(15, 16));
    EXPECT_GT(paletteFrame().width(), 0);
}

// A revert action in the layout stands in for the revert button, enabled only when there is something to
// revert to; with custom actions included the revert button is their menu.
TEST_F(PaletteContentTest, RevertActionsAndTheMenuOfCustomActions) {
    layout.addStandardRow(3, 3);
    const auto revert = actionOfType(ZRActionTypeRevert);
    layout.addAction(8, 3, revert);
    const Rect right(400, 0, 400, 800);
    const struct Case {
        const char* what;
        bool original;
        bool customControls;
        bool revertShown;
        bool revertItemEnabled;
        bool canShowMenu;
        bool revertTitle;
    } cases[] = {
        {"nothing to revert", false, false, false, false, false, false},
        {"something to revert: the layout's revert does it", true, false, false, true, false, false},
        {"custom actions: the menu", false, true, true, false, true, false},
        {"custom actions and something to revert: still only the menu", true, true, true, true, true, false},
    };
    for (const Case& c : cases) {
        set(ZRPalette::IncludeCustomControlsUserDefaultName, c.customControls);
        window->setFrame(right);
        if (c.original)
            actions().storeOriginalFrame(WindowFrame, element());
        rest({right.x() + ZoomButton.midX() - WindowFrame.x(), ZoomButton.midY() - WindowFrame.y()});
        ASSERT_TRUE(paletteShown()) << c.what;
        ZROverlayMenuButton* button = palette().revertButton();
        EXPECT_EQ(button->isVisible(), c.revertShown) << c.what;
        EXPECT_EQ(button->canShowMenu(), c.canShowMenu) << c.what;
        EXPECT_EQ(button->originalActionTitle().has_value(), c.revertTitle) << c.what;
        EXPECT_EQ(layout.wells.back()->button->isEnabled(), c.revertItemEnabled) << c.what;
        if (c.revertShown) {
            EXPECT_EQ(geometryOf(button).x(), 8) << c.what;
        }
        EXPECT_EQ(viewSize().width(), c.revertShown ? 200 : 165) << c.what;
        palette().hideOverlayRegardless();
        actions().removeOriginalFrameForWindow(element());
    }
}

TEST_F(PaletteContentTest, TheGridLiesUnderTheItemsAndTheRevertColumnWhenItWidens) {
    layout.addStandardRow(3, 3);
    givePaletteAGrid();
    std::unique_ptr<FakeGrid>& grid = paletteGrid;
    set(ZRPalette::IncludeCustomControlsUserDefaultName, true);
    actionOfType(ZRActionTypeMoveAndResize);
    const struct Case {
        const char* what;
        bool on;
        std::int64_t mode;
        std::int64_t style;
        Rect frame;
        QSize size;
    } cases[] = {
        {"placeholder, one row: under the revert button too", true, 0, 0, {11, 32, 153, 30}, {175, 73}},
        {"cells of rectangles: under the items", true, 1, 0, {46, 32, 118, 30}, {175, 73}},
        {"hexagons: under the revert button too", true, 1, 3, {11, 32, 153, 30}, {175, 73}},
        {"off", false, 0, 0, {}, {175, 36}},
    };
    for (const Case& c : cases) {
        set(ZRPalette::GridUserDefaultName, c.on);
        set(ZRPalette::GridModeUserDefaultName, QVariant::fromValue(qint64(c.mode)));
        if (grid)
            grid->style = c.style;
        restOnZoomButton();
        ASSERT_TRUE(paletteShown()) << c.what;
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(viewSize(), c.size) << c.what;
        EXPECT_EQ(grid->widget->isVisible(), c.on) << c.what;
        if (c.on) {
            EXPECT_EQ(geometryOf(grid->widget), c.frame) << c.what;
            EXPECT_EQ(grid->isPlaceholder, c.mode == 0) << c.what;
            EXPECT_EQ(grid->windowFrame, ZRFlipRect(WindowFrame)) << c.what;
            EXPECT_EQ(grid->usableFrame, Rect(Screen)) << c.what;
        }
        palette().hideOverlayRegardless();
    }
}

// The palette's interface is built in code, once; when it cannot be, the user hears a beep, the log says
// why, and nothing shows. Each new palette registers its own builder again.
TEST_F(PaletteContentTest, AMissingInterfaceBeepsAndLogs) {
    registerInterfaceBuilder(ZRPalette::InterfaceName, [](QObject*) { return false; });
    layout.addStandardRow(3, 3);
    restOnZoomButton();
    EXPECT_EQ(palette().overlayWindow(), nullptr);
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(logged(QStringLiteral("cannot load <Palette.nib>")));
}

} // namespace

namespace {

// Timers also run while a menu is open: the palette waits for the menu of one of its item buttons to close
// before it hides, however long the pointer stays away.
TEST_F(PaletteContentTest, AHideWaitsForAnOpenItemMenu) {
    layout.addStandardRow(3, 3);
    layout.addAction(8, 3, actionOfType(ZRActionTypeMoveAndResize));
    restOnZoomButton();
    ASSERT_TRUE(paletteShown());
    setFadingDuration(palette().overlayWindow(), 0);
    layout.showsMenu = true;
    rest({WindowFrame.midX(), WindowFrame.maxY() - 20}, 3);
    EXPECT_TRUE(paletteShown()) << "the menu is open";
    layout.showsMenu = false;
    RunLoop::main().advance(0.5);
    EXPECT_EQ(palette().overlayWindow(), nullptr);
}

} // namespace

namespace {

// While the settings change the icon size, the palette shows at once beside the settings window's own
// zoom button, with no rest, no filter and no zoom-button overlay.
TEST_F(PaletteContentTest, ThePreviewShowsBesideTheSettingsWindow) {
    layout.addStandardRow(3, 3);
    set(D::ZoomButtonBehavior, 1);
    SimWindow& settings =
        desktop.addWindow(desktop.addOwnApplication(QStringLiteral("Skaf")), Rect(300, 350, 400, 300));
    settings.addStandardButtons();
    QWidget settingsWindow;
    settingsWindow.show();
    QApplication::setActiveWindow(&settingsWindow);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&settingsWindow));

    layout.changingIconSize = true;
    palette().processTappedMouseMovedEvent(nullptr);
    layout.changingIconSize = false;
    EXPECT_TRUE(paletteShown());
    EXPECT_EQ(palette().zoomButtonOverlayWindow(), nullptr);
    ASSERT_NE(palette().currentTriggerUIElement(), nullptr);
    EXPECT_EQ(palette().currentTriggerUIElement()->frame(), Rect(348, 358, 12, 12));
}

} // namespace
