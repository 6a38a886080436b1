#pragma once

#include "DesktopTest.h"
#include "KeyboardControlTestSupport.h"
#include "TestApplication.h"

#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "keyboard-control/ZRConfigurationGrid.h"
#include "keyboard-control/ZROverlayGrid.h"
#include "mouse-control/ZRFocusWindow.h"
#include "shell/ZRShellDefaults.h"

#include <QTest>
#include <memory>
#include <type_traits>

// The event at a point of the grid's view (y up from its bottom edge).
inline ZRGridEvent at(const ZRGridPrototype& grid, double x, double y) {
    return ZRGridEvent{grid.mapToGlobal(QPointF(x, grid.height() - y))};
}
// The event at the middle of a cell.
inline ZRGridEvent atCell(const ZRGridPrototype& grid, std::int64_t column, std::int64_t row) {
    const Rect* frame = grid.representationCellFrame().at(column, row);
    if (frame)
        return at(grid, frame->midX(), frame->midY());
    const auto* cell = grid.nonRectangularRepresentationCells().at(column, row);
    const QPointF middle = cell ? cell->path.boundingRect().center() : QPointF(-1000, -1000);
    return at(grid, middle.x(), middle.y());
}
// A press on one cell, a drag to the other and the release; true when the action ran.
inline bool dragBetween(ZRGridPrototype& grid, ZRGridCoordinates from, ZRGridCoordinates to) {
    int sent = 0;
    auto action = grid.action();
    grid.setAction([&sent](ZRGridPrototype&) { ++sent; });
    grid.mouseDown(atCell(grid, from.column, from.row));
    grid.mouseDragged(atCell(grid, to.column, to.row));
    grid.mouseUp();
    grid.setAction(action);
    return sent == 1;
}

// Every grid test: the program's application object, the defaults the shell and the action store
// register, one screen of 1920 x 1080 whose usable frame leaves 20 points at the top, and a focus window of
// the test's own, made when a grid first asks for it.
class GridTest : public DesktopTest {
protected:
    static constexpr Rect Screen{0, 0, 1920, 1080};
    static constexpr Rect VisibleFrame{0, 0, 1920, 1060};

    void SetUp() override {
        testApplication<ZRHotKeyHandlerApplication>();
        DesktopTest::SetUp();
        screen = desktop.addScreen(Screen, VisibleFrame);
        ZRRegisterShellDefaults(settings());
        ZRActionManager::registerDefaults(settings());
    }
    void TearDown() override {
        m_focus.reset();
        DesktopTest::TearDown();
    }

    // Keyboard control's context on the test's desktop, settings and focus window, as the grids are handed
    // it.
    const ZRKeyboardControlContext& keyboardControl() {
        if (!m_keyboardControl) {
            m_keyboardControl = keyboardControlContext(desktop, settings());
            m_keyboardControl->focusWindow = [this]() -> ZRFocusWindow& { return focusWindow(); };
        }
        return *m_keyboardControl;
    }
    ZRFocusWindow& focusWindow() {
        if (!m_focus)
            m_focus =
                ZRFocusWindow::focusWindowWithFrame(Rect(), settings(), RunLoop::main(), desktop.screens());
        return *m_focus;
    }

    // A configuration grid 300 points wide, laid out under the settings given.
    std::unique_ptr<ZRConfigurationGrid>
    configurationGrid(std::unique_ptr<ZRConfigurationGrid> grid = nullptr, int width = 300) {
        if (!grid)
            grid = std::make_unique<ZRConfigurationGrid>(settings(), desktop);
        grid->setGeometry(100, 100, width, width);
        grid->updateLayout();
        return grid;
    }

    // An overlay grid for the usable frame, laid out without touching its frame.
    template <class Grid = ZROverlayGrid>
    std::unique_ptr<Grid> overlayGrid(const Rect& usable, std::unique_ptr<Grid> grid = nullptr) {
        if constexpr (std::is_constructible_v<Grid, const ZRKeyboardControlContext&>) {
            if (!grid)
                grid = std::make_unique<Grid>(keyboardControl());
        }
        grid->setGeometry(100, 100, 300, 200);
        // A grid that is not shown takes no pointer.
        grid->show();
        grid->setRepresentedSkafableFrame(usable);
        grid->updateLayoutAfterAdjustingFrame(nullptr);
        return grid;
    }

    std::uint32_t screen = 0;

private:
    std::unique_ptr<ZRKeyboardControlContext> m_keyboardControl;
    std::unique_ptr<ZRFocusWindow> m_focus;
};

// A configuration grid of another style, for the rules that differ by style.
class StyledConfigurationGrid : public ZRConfigurationGrid {
public:
    StyledConfigurationGrid(const UserDefaults& defaults, Platform& platform, ZRGridStyle style)
        : ZRConfigurationGrid(defaults, platform), m_style(style) {}
    ZRGridStyle gridStyle() const override { return m_style; }

private:
    ZRGridStyle m_style;
};

// An overlay grid of another style.
class StyledOverlayGrid : public ZROverlayGrid {
public:
    StyledOverlayGrid(const ZRKeyboardControlContext& context, ZRGridStyle style)
        : ZROverlayGrid(context), m_style(style) {}
    ZRGridStyle gridStyle() const override { return m_style; }

private:
    ZRGridStyle m_style;
};
