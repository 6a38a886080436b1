// The full-size grid of the whole program on the simulated desktop with two displays side by side: a "use
// grid" action's hot key opens it over the window's display or both, keys and clicks choose cells, and the
// window takes the frame chosen; every way out gives the keyboard and the pointer back and leaves the focus
// window as it found it.
#include "GridTestSupport.h"
#include "KeyboardControlTestSupport.h"
#include "MouseControlContext.h"
#include "SimOwnWindowInput.h"
#include "TestProgram.h"

#include "ScreenPixels.h"
#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionType.h"
#include "keyboard-control/ZRFullSizeGridOverlayWindow.h"
#include "keyboard-control/ZRFullSizeOverlayGrid.h"
#include "keyboard-control/ZRKeyboardControlPanel.h"
#include "keyboard-control/ZRKeyboardController.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZROverlayWindow.h"
#include "mouse-control/ZRPalette.h"
#include "shell/ZRMainController.h"
#include "window-access/WindowElements.h"

namespace {

using namespace ZRActionKey;

constexpr KeyCode GridKey = Key::G;
constexpr ModifierFlags HotKeyFlags = ModifierFlag::Shift | ModifierFlag::Control;

// A settings window that counts how often it is shown, and whether the keys were free by then.
class SettingsArea : public ZRApplicationArea {
public:
    explicit SettingsArea(std::function<void()> shown) : m_shown(std::move(shown)) {}
    bool hasSettingsWindow() const override { return true; }
    bool showSettingsWindow() override {
        m_shown();
        return true;
    }

private:
    std::function<void()> m_shown;
};

// Two displays of 1000 x 800 side by side, the left one with a dock strip of 50 points at its bottom, and
// grids of 4 x 2 cells: 250 x 375 on the left display and 250 x 400 on the right one. The editor's window
// lies on the left display.
class FullSizeGridTest : public DesktopTest {
protected:
    static constexpr Rect Left{0, 0, 1000, 800};
    static constexpr Rect LeftUsable{0, 50, 1000, 750};
    static constexpr Rect Right{1000, 0, 1000, 800};
    static constexpr Rect WindowFrame{100, 100, 400, 300}; // Quartz

    std::optional<TestProgram> program;

    void SetUp() override {
        testApplication<ZRHotKeyHandlerApplication>();
        DesktopTest::SetUp();
        desktop.addScreen(Left, LeftUsable);
        set(QString::fromUtf16(ZRVisibleFrameExtraDockSpacingUserDefaultName), 0);
        desktop.addScreen(Right);
        input = std::make_unique<SimOwnWindowInput>(desktop);
        program.emplace(settings(), desktop);
        window = &desktop.addWindow(desktop.addApplication(QStringLiteral("com.example.editor"), "Editor"),
                                    WindowFrame);
    }
    void TearDown() override {
        listening.disconnect();
        testApplication<ZRHotKeyHandlerApplication>().setHotKeyHandler(nullptr);
        program.reset();
        input.reset();
        DesktopTest::TearDown();
    }

    void launch(const QVariantMap& dimensions = {}) {
        QVariantMap grid{{Action, qint64(ZRActionTypeUseGrid)},
                         {HotKey, QVariantMap{{QStringLiteral("Key Code"), GridKey},
                                              {QStringLiteral("Modifier Flags"), qint64(HotKeyFlags)}}}};
        if (!dimensions.isEmpty())
            grid.insert(GridDimensions, dimensions);
        set(QStringLiteral("Custom Controls (4001)"), QVariantList{grid});
        set(ZRGridDimensionKey::MouseControlsGridColumns, 4);
        set(ZRGridDimensionKey::MouseControlsGridRows, 2);
        ZRMainController& controller = program->controller();
        // The palette's action places the window.
        controller.addArea(std::make_unique<ZRMouseController>(mouseControlContext(settings())));
        controller.addArea(std::make_unique<ZRKeyboardController>(
            controller, program->store(), *keyboardControlContext(desktop, settings())));
        controller.addArea(std::make_unique<SettingsArea>([this] {
            ++settingsShown;
            keysFreeWhenSettingsShown = keyboardHolder() == 0;
        }));
        controller.applicationWillFinishLaunching();
        controller.applicationDidFinishLaunching();
        controller.actions().setBeepHandler([this] { ++beeps; });
        auto& application = testApplication<ZRHotKeyHandlerApplication>();
        listening = application.listenToDesktop(desktop, settings());
        application.setHotKeyHandler(&controller);
        RunLoop::main().runPending();
        settingsShown = 0;
    }
    void press(KeyCode keyCode, ModifierFlags flags = 0) {
        desktop.setModifierFlags(flags);
        desktop.pressKey(keyCode);
        desktop.releaseKey(keyCode);
        desktop.setModifierFlags(0);
        RunLoop::main().runPending();
    }
    // The hot key, and the grid's first look at the pointer on the next turn.
    bool open() {
        press(GridKey, HotKeyFlags);
        return panel() && panel()->isActive();
    }

    static ZRFullSizeGridOverlayWindow* panel() {
        return ZRFullSizeGridOverlayWindow::sharedPanelByCreatingIfNecessary(false);
    }
    ZRFullSizeOverlayGrid& grid(std::size_t index) { return *panel()->grids().at(index); }
    std::size_t currentIndex() {
        const auto& grids = panel()->grids();
        return std::size_t(std::find(grids.begin(), grids.end(), panel()->currentGrid()) - grids.begin());
    }
    OwnWindowId keyboardHolder() { return desktop.overlayWindows().keyboardHolder(); }
    OwnWindowId pointerHolder() { return desktop.overlayWindows().pointerHolder(); }
    bool closedAndFree() {
        return !ZRFullSizeGridOverlayWindow::controlledWindow() && (!panel() || panel()->grids().empty()) &&
               keyboardHolder() == 0 && pointerHolder() == 0 &&
               ZRFocusWindow::defaultFocusWindow().activeCounter() == 0;
    }
    // A point of a cell's frame on the screen, in Quartz coordinates.
    Point quartzMiddleOf(ZRFullSizeOverlayGrid& grid, std::int64_t column, std::int64_t row) {
        const Rect cell = *grid.representedCellFrame().at(column, row);
        return Point(cell.midX(), Left.height() - cell.midY());
    }
    Rect windowFrame() const { return window->frame(); }

    std::unique_ptr<SimOwnWindowInput> input;
    SimWindow* window = nullptr;
    int beeps = 0;
    int settingsShown = 0;
    bool keysFreeWhenSettingsShown = false;
    // The desktop's hot keys reach the program until the test ends.
    Connection listening;
};

TEST_F(FullSizeGridTest, TheHotKeyOpensAGridPerDisplayHoldingBothDevicesStartingWhereTheSettingSays) {
    launch();
    struct Case {
        const char* name;
        bool coverAll;
        std::int64_t startingPosition;
        std::size_t grids;
        ZRGridCoordinates start;
    };
    const Case cases[] = {
        {"both displays, at the top left", true, 0, 2, {0, 1}},
        {"one display when covering all is off", false, 0, 1, {0, 1}},
        {"at the window's first cell", true, 1, 2, {0, 1}},
        {"at the cell nearest the mouse", true, 2, 2, {2, 0}},
    };
    for (const Case& c : cases) {
        set(ZRFullSizeGridOverlayWindow::CoverAllDisplaysKey, c.coverAll);
        set(ZROverlayGrid::StartingPositionKey, qint64(c.startingPosition));
        desktop.movePointer(Point(600, 700));
        ASSERT_TRUE(open()) << c.name;
        EXPECT_EQ(panel()->grids().size(), c.grids) << c.name;
        EXPECT_EQ(ZRFullSizeGridOverlayWindow::controlledWindow()->windowNumber(), window->number())
            << c.name;
        EXPECT_EQ(keyboardHolder(), panel()->winId()) << c.name;
        EXPECT_EQ(pointerHolder(), panel()->winId()) << c.name;
        EXPECT_TRUE(panel()->assumeKeyboardInteraction()) << c.name;
        EXPECT_EQ(currentIndex(), 0u) << c.name;
        EXPECT_EQ(grid(0).representedSkafableFrame(), LeftUsable) << c.name;
        EXPECT_EQ(grid(0).hoverCoordinates(), c.start) << c.name;
        EXPECT_EQ(grid(0).draggedToCoordinates(), c.start) << c.name;
        ZRFocusWindow& focus = ZRFocusWindow::defaultFocusWindow();
        EXPECT_EQ(focus.activeCounter(), 1) << c.name;
        EXPECT_EQ(focus.apertureFrame(), Rect(100, 400, 400, 300)) << c.name << ": the window, dimmed around";
        EXPECT_EQ(focus.outlineFrame(), *grid(0).representedCellFrame().at(c.start)) << c.name;
        press(Key::Escape);
        EXPECT_TRUE(closedAndFree()) << c.name;
    }
    EXPECT_EQ(windowFrame(), WindowFrame);
    EXPECT_EQ(beeps, 0);
}

// The palette's placeholder grid opens it on a click: it starts at the cell under the mouse.
TEST_F(FullSizeGridTest, OpenedByAClickItStartsUnderTheMouse) {
    launch();
    auto* area = program->controller().area<ZRKeyboardController>();
    struct OpeningButton : QWidget {
        std::function<void()> opens;
        void mouseReleaseEvent(QMouseEvent*) override { opens(); }
    } button;
    button.opens = [&] {
        area->activateForWindow(ZRCopyFrontmostFocusedWindow(), Rect(100, 400, 400, 300), LeftUsable, {});
    };
    desktop.movePointer(Point(1625, 600));
    QTest::mouseClick(&button, Qt::LeftButton);
    RunLoop::main().runPending();
    ASSERT_TRUE(panel() && panel()->isActive());
    EXPECT_FALSE(panel()->assumeKeyboardInteraction());
    EXPECT_EQ(currentIndex(), 1u);
    EXPECT_EQ(grid(1).hoverCoordinates(), ZRGridCoordinatesMake(2, 0));
    EXPECT_EQ(grid(1).draggedToCoordinates(), ZRGridCoordinatesNone);
    EXPECT_FALSE(grid(1).dragging());
    press(Key::Escape);
    EXPECT_TRUE(closedAndFree());
}

TEST_F(FullSizeGridTest, ArrowsAndViKeysMoveTheSelectionAcrossDisplaysShiftExtendsIt) {
    launch();
    using Keys = std::vector<std::pair<KeyCode, ModifierFlags>>;
    constexpr ModifierFlags S = ModifierFlag::Shift;
    const Keys right4{{Key::RightArrow, 0}, {Key::RightArrow, 0}, {Key::RightArrow, 0}, {Key::RightArrow, 0}};
    Keys right8 = right4;
    right8.insert(right8.end(), right4.begin(), right4.end());
    struct Case {
        const char* name;
        Keys keys;
        bool loop;
        bool reset;
        std::size_t grid;
        ZRGridCoordinates hover;
        ZRGridCoordinates draggedTo;
    };
    const Case cases[] = {
        {"past the last column onto the next display's first", right4, false, false, 1, {0, 1}, {0, 1}},
        {"the right-most display keeps it", right8, false, false, 1, {3, 1}, {3, 1}},
        {"unless the loop wraps it", right8, true, false, 0, {0, 1}, {0, 1}},
        {"down and up: up is the row drawn higher",
         {{Key::DownArrow, 0}, {Key::UpArrow, 0}, {Key::UpArrow, 0}},
         false,
         false,
         0,
         {0, 1},
         {0, 1}},
        {"h, j, k and l",
         {{Key::L, 0}, {Key::L, 0}, {Key::J, 0}, {Key::H, 0}},
         false,
         false,
         0,
         {1, 0},
         {1, 0}},
        {"shift extends from the anchor",
         {{Key::RightArrow, S}, {Key::DownArrow, S}},
         false,
         false,
         0,
         {0, 1},
         {1, 0}},
        {"then a plain arrow moves the anchored corner",
         {{Key::RightArrow, S}, {Key::DownArrow, 0}},
         false,
         false,
         0,
         {0, 0},
         {1, 1}},
        {"or a single cell with the reset setting",
         {{Key::RightArrow, S}, {Key::DownArrow, 0}},
         false,
         true,
         0,
         {0, 0},
         {0, 0}},
        {"shift stays on its display",
         {{Key::RightArrow, S},
          {Key::RightArrow, S},
          {Key::RightArrow, S},
          {Key::RightArrow, S},
          {Key::RightArrow, S}},
         false,
         false,
         0,
         {0, 1},
         {3, 1}},
    };
    for (const Case& c : cases) {
        set(ZRFullSizeGridOverlayWindow::LoopKey, c.loop);
        set(ZRFullSizeGridOverlayWindow::NonModifierArrowKeysResetSelectionKey, c.reset);
        ASSERT_TRUE(open()) << c.name;
        for (const auto& [key, flags] : c.keys)
            press(key, flags);
        ASSERT_TRUE(panel()->isActive()) << c.name;
        EXPECT_EQ(currentIndex(), c.grid) << c.name;
        EXPECT_EQ(grid(c.grid).hoverCoordinates(), c.hover) << c.name;
        EXPECT_EQ(grid(c.grid).draggedToCoordinates(), c.draggedTo) << c.name;
        EXPECT_EQ(grid(1 - c.grid).hoverCoordinates(), ZRGridCoordinatesNone)
            << c.name << ": one grid is current";
        const auto& cells = grid(c.grid).representedCellFrame();
        EXPECT_EQ(ZRFocusWindow::defaultFocusWindow().outlineFrame(),
                  cells.at(c.hover)->united(*cells.at(c.draggedTo)))
            << c.name;
        press(Key::Escape);
    }
    EXPECT_EQ(windowFrame(), WindowFrame);
}

TEST_F(FullSizeGridTest, ReturnEnterAndSpacePlaceTheWindowOnceAndCloseTheGrid) {
    launch();
    for (const KeyCode choose : {Key::Return, Key::KeypadEnter, Key::Space}) {
        window->setFrame(WindowFrame);
        ASSERT_TRUE(open());
        press(Key::RightArrow, ModifierFlag::Shift);
        press(choose);
        EXPECT_TRUE(closedAndFree()) << choose;
        // The top row's first two cells of the left display.
        EXPECT_EQ(windowFrame(), Rect(0, 0, 500, 375)) << choose;
        Rect last;
        std::int64_t position = 0;
        EXPECT_TRUE(
            program->controller().actions().getLastSkafFrame(last, position, ZRCopyFrontmostFocusedWindow()));
        EXPECT_EQ(position, 1001);
    }
    EXPECT_EQ(beeps, 0);
}

// "Keyboard Controls Grid": the keyboard controls' hot key opens the grid on the frontmost window in the
// panel's place, starting where "Keyboard Controls Grid: Starting Position" says; a window the panel could
// only show as out of reach, or the setting off, gets the panel.
TEST_F(FullSizeGridTest, WithKeyboardControlsGridTheKeyboardControlsHotKeyOpensTheGrid) {
    constexpr KeyCode KeyboardControlsKey = Key::K;
    set(QStringLiteral("Keyboard Controls"),
        QVariantMap{{QStringLiteral("Key Code"), KeyboardControlsKey},
                    {QStringLiteral("Modifier Flags"), qint64(HotKeyFlags)}});
    set(QStringLiteral("Keyboard Controls Grid"), true);
    set(ZROverlayGrid::StartingPositionKey, qint64(2));
    launch();
    const ZRKeyboardControlPanel& keyboardControls =
        program->controller().area<ZRKeyboardController>()->keyboardControlPanel();

    desktop.movePointer(Point(600, 700));
    press(KeyboardControlsKey, HotKeyFlags);
    ASSERT_TRUE(panel() && panel()->isActive());
    EXPECT_FALSE(keyboardControls.isActive());
    EXPECT_TRUE(panel()->assumeKeyboardInteraction());
    EXPECT_EQ(grid(0).hoverCoordinates(), ZRGridCoordinatesMake(2, 0)) << "the cell nearest the mouse";
    EXPECT_EQ(keyboardHolder(), panel()->winId());
    press(Key::Return);
    EXPECT_TRUE(closedAndFree());
    EXPECT_EQ(windowFrame(), Rect(500, 375, 250, 375));

    window->setFullScreen(true);
    press(KeyboardControlsKey, HotKeyFlags);
    EXPECT_TRUE(keyboardControls.isActive());
    EXPECT_FALSE(keyboardControls.controlledWindow()) << "the panel says why";
    EXPECT_FALSE(panel()->isActive());
    press(Key::Escape);
    window->setFullScreen(false);

    set(QStringLiteral("Keyboard Controls Grid"), false);
    press(KeyboardControlsKey, HotKeyFlags);
    EXPECT_TRUE(keyboardControls.isActive());
    EXPECT_FALSE(panel()->isActive());
    press(Key::Escape);
    EXPECT_FALSE(keyboardControls.isActive());
    EXPECT_EQ(beeps, 0);
}

TEST_F(FullSizeGridTest, AnyOtherKeyAndTheCommaCloseItWithoutMovingTheWindow) {
    launch();
    for (const KeyCode key : {Key::Escape, Key::X, Key::Tab, Key::Digit1, Key::Comma}) {
        ASSERT_TRUE(open()) << key;
        press(key);
        EXPECT_TRUE(closedAndFree()) << key;
    }
    EXPECT_EQ(windowFrame(), WindowFrame);
    EXPECT_EQ(settingsShown, 1);
    EXPECT_TRUE(keysFreeWhenSettingsShown) << "the grid lets go before the settings window shows";
}

TEST_F(FullSizeGridTest, AClickOrADragChoosesCellsAndAnythingElseEndsIt) {
    launch();
    ASSERT_TRUE(open());
    // The mouse takes over from the keys and follows the pointer.
    press(Key::RightArrow, ModifierFlag::Shift);
    desktop.movePointer(quartzMiddleOf(grid(1), 2, 0));
    EXPECT_EQ(panel()->gridAnchorCoordinates(), ZRGridCoordinatesNone);
    EXPECT_EQ(currentIndex(), 1u);
    EXPECT_EQ(grid(1).hoverCoordinates(), ZRGridCoordinatesMake(2, 0));
    EXPECT_EQ(grid(0).hoverCoordinates(), ZRGridCoordinatesNone);
    // Shift extends from the cell under the mouse.
    press(Key::LeftArrow, ModifierFlag::Shift);
    EXPECT_EQ(grid(1).hoverCoordinates(), ZRGridCoordinatesMake(2, 0));
    EXPECT_EQ(grid(1).draggedToCoordinates(), ZRGridCoordinatesMake(1, 0));
    desktop.movePointer(quartzMiddleOf(grid(1), 2, 0));
    desktop.pressLeftButton();
    EXPECT_EQ(ZRFocusWindow::defaultFocusWindow().activeCounter(), 2)
        << "the drag shows around the window too";
    desktop.releaseLeftButton();
    RunLoop::main().runPending();
    EXPECT_TRUE(closedAndFree());
    EXPECT_EQ(windowFrame(), Rect(1500, 400, 250, 400));

    ASSERT_TRUE(open());
    desktop.movePointer(quartzMiddleOf(grid(0), 0, 1));
    desktop.pressLeftButton();
    desktop.movePointer(quartzMiddleOf(grid(0), 1, 0));
    desktop.releaseLeftButton();
    RunLoop::main().runPending();
    EXPECT_TRUE(closedAndFree());
    EXPECT_EQ(windowFrame(), Rect(0, 0, 500, 750)) << "the two columns the drag spans";

    const Rect placed = windowFrame();
    const std::pair<const char*, std::function<void()>> ends[] = {
        {"a click on the dock",
         [&] {
             desktop.movePointer(Point(500, 790));
             desktop.pressLeftButton();
             desktop.releaseLeftButton();
         }},
        {"a right click",
         [&] {
             desktop.movePointer(quartzMiddleOf(grid(0), 1, 1));
             desktop.pressRightButton();
         }},
        {"a key during a drag",
         [&] {
             desktop.movePointer(quartzMiddleOf(grid(0), 1, 1));
             desktop.pressLeftButton();
             desktop.movePointer(quartzMiddleOf(grid(0), 2, 1));
             press(Key::A);
             desktop.releaseLeftButton();
         }},
    };
    for (const auto& [name, end] : ends) {
        ASSERT_TRUE(open()) << name;
        end();
        RunLoop::main().runPending();
        EXPECT_TRUE(closedAndFree()) << name;
        EXPECT_EQ(windowFrame(), placed) << name;
    }
}

TEST_F(FullSizeGridTest, AnActionsOwnDimensionsComeFirst) {
    launch(
        {{ZRGridDimensionKey::MouseControlsGridColumns, 2}, {ZRGridDimensionKey::MouseControlsGridRows, 1}});
    ASSERT_TRUE(open());
    EXPECT_EQ(grid(0).representedCellFrame().numberOfColumns(), 2);
    EXPECT_EQ(grid(0).hoverCoordinates(), ZRGridCoordinatesMake(0, 0));
    press(Key::Return);
    EXPECT_EQ(windowFrame(), Rect(0, 0, 500, 750));
}

TEST_F(FullSizeGridTest, AGridThatCannotHaveTheDevicesDoesNotOpenAndBeeps) {
    launch();
    desktop.overlayWindows().setGrabRefusal(GrabStatus::AlreadyGrabbed);
    press(GridKey, HotKeyFlags);
    EXPECT_EQ(ZRFocusWindow::defaultFocusWindow().activeCounter(), 0)
        << "the focus window waits for the grabs";
    EXPECT_TRUE(QTest::qWaitFor([&] { return closedAndFree(); }, 3000));
    EXPECT_EQ(beeps, 1);
    desktop.overlayWindows().setGrabRefusal(std::nullopt);
    press(Key::Return);
    EXPECT_EQ(windowFrame(), WindowFrame);
    ASSERT_TRUE(open()) << "a later try opens";
}

TEST_F(FullSizeGridTest, OpeningAgainRebuildsTheGridsAndEveryOtherEndGivesTheDevicesBack) {
    launch();
    ASSERT_TRUE(open());
    press(Key::RightArrow);
    // The hot key under the grid's keyboard grab reaches the program as its hot key.
    desktop.setModifierFlags(HotKeyFlags);
    desktop.pressKey(GridKey);
    desktop.releaseKey(GridKey);
    desktop.setModifierFlags(0);
    ASSERT_EQ(panel()->grids().size(), 2u);
    EXPECT_EQ(ZRFocusWindow::defaultFocusWindow().activeCounter(), 1);
    EXPECT_EQ(keyboardHolder(), panel()->winId());
    RunLoop::main().runPending();
    EXPECT_EQ(grid(0).hoverCoordinates(), ZRGridCoordinatesMake(0, 1)) << "a fresh start";

    ZRMainController& controller = program->controller();
    auto* area = controller.area<ZRKeyboardController>();
    const std::pair<const char*, std::function<void()>> ends[] = {
        {"a change of screens", [&] { controller.screenParametersDidChange(); }},
        {"quitting", [&] { area->applicationWillTerminate(); }},
        {"another window of the program taking the keys", [&] { panel()->resignKeyWindow(); }},
        {"an activation without a window", [&] { area->activateForWindow(nullptr, Rect(), Rect(), {}); }},
        {"the panel going", [&] { ZRFullSizeGridOverlayWindow::destroySharedPanel(); }},
    };
    for (const auto& [name, end] : ends) {
        ASSERT_TRUE(open()) << name;
        // A drag in progress too.
        desktop.movePointer(quartzMiddleOf(grid(0), 1, 1));
        desktop.pressLeftButton();
        end();
        desktop.releaseLeftButton();
        RunLoop::main().runPending();
        EXPECT_TRUE(closedAndFree()) << name;
    }
    EXPECT_EQ(windowFrame(), WindowFrame);
}

// The palette over the window's zoom button shows keyboard control's grid: as a placeholder it opens the
// full-size grid for the window, as cells it places the window itself.
TEST_F(FullSizeGridTest, ThePalettesGridPlacesTheWindowOrOpensTheFullSizeGrid) {
    window->addStandardButtons();
    set(ZRPalette::GridUserDefaultName, true);
    launch();
    ZRMouseController& mouse = *program->controller().area<ZRMouseController>();
    mouse.updateFeatureFlagsAndTap();
    const auto paletteGrid = [&](std::int64_t mode) -> ZROverlayGrid* {
        set(ZRPalette::GridModeUserDefaultName, QVariant::fromValue(mode));
        desktop.movePointer(Point(10, 790));
        RunLoop::main().advance(1);
        // The zoom button, 12 points square, 48 points into the title bar.
        desktop.movePointer(Point(WindowFrame.x() + 54, WindowFrame.y() + 14));
        RunLoop::main().advance(0.15);
        ZROverlayWindow* palette = mouse.ownPalette().overlayWindow();
        return palette && palette->isVisible() ? palette->findChild<ZROverlayGrid*>() : nullptr;
    };

    ZROverlayGrid* placeholder = paletteGrid(0);
    ASSERT_TRUE(placeholder);
    EXPECT_TRUE(placeholder->placeholder());
    EXPECT_EQ(placeholder->representedWindowFrame(), Rect(100, 400, 400, 300));
    saveScreenshot(mouse.ownPalette().overlayWindow()->grab().toImage(),
                   QStringLiteral("palette-grid-placeholder"));
    QTest::mouseClick(placeholder, Qt::LeftButton, {}, placeholder->rect().center());
    RunLoop::main().runPending();
    ASSERT_TRUE(panel() && panel()->isActive()) << "the click opens the full-size grid";
    EXPECT_EQ(mouse.ownPalette().overlayWindow(), nullptr) << "and closes the palette";
    EXPECT_EQ(ZRFullSizeGridOverlayWindow::controlledWindow()->windowNumber(), window->number());
    EXPECT_FALSE(panel()->assumeKeyboardInteraction()) << "it starts under the mouse";
    EXPECT_EQ(grid(0).hoverCoordinates(), ZRGridCoordinatesMake(0, 1));
    press(Key::Return);
    EXPECT_TRUE(closedAndFree());
    EXPECT_EQ(windowFrame(), Rect(0, 0, 250, 375));

    window->setFrame(WindowFrame);
    ZROverlayGrid* cells = paletteGrid(1);
    ASSERT_TRUE(cells);
    EXPECT_FALSE(cells->placeholder());
    EXPECT_EQ(cells->gridStyle(), ZRGridStyleHexagons);
    EXPECT_EQ(cells->nonRectangularRepresentationCells().numberOfColumns(), 4);
    EXPECT_EQ(cells->nonRectangularRepresentationCells().numberOfRows(), 2);
    const ZRGridEvent hover = atCell(*cells, 1, 0);
    cells->updateHoverCoordinatesWithEvent(&hover);
    const QImage palette = mouse.ownPalette().overlayWindow()->grab().toImage();
    saveScreenshot(palette.scaled(palette.size() * 3), QStringLiteral("palette-grid-hexagons"));
    const Rect chosen = *cells->representedCellFrame().at(1, 0);
    const QPoint middle = cells->mapFromGlobal(atCell(*cells, 1, 0).globalPosition.toPoint());
    QTest::mouseClick(cells, Qt::LeftButton, {}, middle);
    RunLoop::main().runPending();
    EXPECT_EQ(windowFrame(),
              Rect(chosen.x(), Left.height() - chosen.maxY(), chosen.width(), chosen.height()));
    EXPECT_EQ(beeps, 0);
}

} // namespace
