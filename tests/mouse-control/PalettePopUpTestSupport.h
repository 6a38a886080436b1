#pragma once

#include "Elements.h"
#include "MouseControlContext.h"
#include "MouseControlTestSupport.h"
#include "TestProgram.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRFullSizeGridOpener.h"
#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlPaletteLayout.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZROverlayButton.h"
#include "mouse-control/ZROverlayGridInterface.h"
#include "mouse-control/ZROverlayMenuButton.h"
#include "mouse-control/ZROverlayWindow.h"
#include "mouse-control/ZRPalette.h"
#include "mouse-control/ZRTriggerUIElement.h"
#include "mouse-control/ZRZoomButtonOverlayWindow.h"
#include "shell/ZRMainController.h"
#include "shell/ZRShellDefaults.h"
#include "toolkit/WindowExtensions.h"
#include "window-access/Coordinates.h"

#include <QPointer>
#include <QPushButton>
#include <algorithm>
#include <limits>

// A palette editor's layout as tests arrange it: cells with standard items or custom actions, whose buttons
// are plain push buttons.
class FakePaletteLayout : public ZRMouseControlPaletteLayout {
public:
    struct Well : ZRPaletteItemWellInterface {
        std::int64_t c = 0, r = 0;
        std::shared_ptr<ZRAction> action;
        std::int64_t dummy = -1;
        bool hidden = false;
        QPointer<QPushButton> button;

        std::int64_t column() const override { return c; }
        std::int64_t row() const override { return r; }
        std::shared_ptr<ZRAction> paletteAction() const override { return action; }
        std::int64_t dummyPosition() const override { return dummy; }
        bool hiddenByUser() const override { return hidden; }
        QWidget* paletteItemButton() override {
            if (!button && action)
                button = new QPushButton;
            return button;
        }
        void destroyPaletteItemButton() override { delete button; }
    };

    ~FakePaletteLayout() override {
        for (auto& well : wells)
            well->destroyPaletteItemButton();
    }

    void addStandard(std::int64_t column, std::int64_t row, std::int64_t item, bool hidden = false) {
        auto well = std::make_unique<Well>();
        well->c = column;
        well->r = row;
        well->dummy = item;
        well->hidden = hidden;
        wells.push_back(std::move(well));
    }
    void addAction(std::int64_t column, std::int64_t row, std::shared_ptr<ZRAction> action) {
        auto well = std::make_unique<Well>();
        well->c = column;
        well->r = row;
        well->action = std::move(action);
        wells.push_back(std::move(well));
    }
    // The five standard items in one row from the column.
    void addStandardRow(std::int64_t column, std::int64_t row) {
        for (const std::int64_t item : {2, 9, 5, 3, 7})
            addStandard(column++, row, item);
    }

    std::vector<ZRPaletteItemWellInterface*> paletteItemWells() override {
        std::vector<ZRPaletteItemWellInterface*> all;
        for (auto& well : wells)
            all.push_back(well.get());
        return all;
    }
    std::int64_t minimumPaletteItemColumn() const override { return bound(&Well::c, true); }
    std::int64_t maximumPaletteItemColumn() const override { return bound(&Well::c, false); }
    std::int64_t minimumPaletteItemRow() const override { return bound(&Well::r, true); }
    std::int64_t maximumPaletteItemRow() const override { return bound(&Well::r, false); }
    bool isChangingPaletteIconSize() const override { return changingIconSize; }
    bool paletteItemButtonShowsMenu() const override { return showsMenu; }

    std::vector<std::unique_ptr<Well>> wells;
    bool changingIconSize = false;
    bool showsMenu = false;

private:
    std::int64_t bound(std::int64_t Well::*coordinate, bool minimum) const {
        std::int64_t value = minimum ? std::numeric_limits<std::int64_t>::max() : -1;
        for (const auto& well : wells)
            if (well->action || (well->dummy != -1 && !well->hidden))
                value = minimum ? std::min(value, (*well).*coordinate) : std::max(value, (*well).*coordinate);
        return value;
    }
};

// The palette's grid as keyboard control gives it: a plain widget that answers what it is told.
class FakeGrid : public ZROverlayGridInterface {
public:
    FakeGrid(QWidget* parent, std::function<void(ZROverlayGridInterface&)> onClick)
        : widget(new QWidget(parent)), action(std::move(onClick)) {}
    QWidget* view() override { return widget; }
    Rect representedWindowFrame() const override { return windowFrame; }
    void setRepresentedWindowFrame(const Rect& frame) override { windowFrame = frame; }
    Rect representedSkafableFrame() const override { return usableFrame; }
    void setRepresentedSkafableFrame(const Rect& frame) override { usableFrame = frame; }
    bool placeholder() const override { return isPlaceholder; }
    void setPlaceholder(bool placeholder) override { isPlaceholder = placeholder; }
    std::int64_t gridStyle() const override { return style; }
    void determineColumns(std::int64_t& c, std::int64_t& r) override {
        c = columns;
        r = rows;
    }
    Rect updateLayoutAfterAdjustingFrame(const Rect& frame) override {
        return {frame.origin, Size(frame.width(), height)};
    }

    QPointer<QWidget> widget;
    std::function<void(ZROverlayGridInterface&)> action;
    Rect windowFrame;
    Rect usableFrame;
    bool isPlaceholder = false;
    std::int64_t style = 0;
    std::int64_t columns = 6;
    std::int64_t rows = 4;
    double height = 30;
};

// The full-size grid as the palette opens it.
class FakeFullSizeGrid : public ZRFullSizeGridOpener {
public:
    bool activateForWindow(const AXElementRef& w, const Rect& frame, const Rect& usable,
                           const QVariantMap&) override {
        window = w;
        windowFrame = frame;
        usableFrame = usable;
        ++opened;
        return true;
    }
    AXElementRef controlledWindow() const override { return window; }

    AXElementRef window;
    Rect windowFrame;
    Rect usableFrame;
    int opened = 0;
};

// The palette of a mouse controller on one display, with the launch's settings, over one window with the
// standard title-bar buttons; beeps counted. The display is as large as the offscreen display Qt shows the
// palette on, so that both agree where things are.
class PalettePopUpTest : public MouseControlTest {
protected:
    static constexpr Rect Screen{0, 0, 800, 800};
    static constexpr Rect WindowFrame{100, 100, 600, 400}; // Quartz
    // The window's zoom button, 12 points square.
    static constexpr Rect ZoomButton{148, 108, 12, 12};

    std::optional<TestProgram> program;

    void SetUp() override {
        MouseControlTest::SetUp();
        program.emplace(settings(), Platform::current());
        ZRActionManager::registerDefaults(settings());
        ZRRegisterShellDefaults(settings());
        desktop.addScreen(Rect(Screen));
        editor = &desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
        window = &desktop.addWindow(*editor, Rect(WindowFrame), QStringLiteral("Notes"));
        window->addStandardButtons();
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        controller->registerDefaults(settings());
        ZRMainController::mainController().actions().setBeepHandler([this] { ++beeps; });
        controller->updateFeatureFlagsAndTap();
    }

    void TearDown() override {
        controller.reset();
        program.reset();
        MouseControlTest::TearDown();
    }

    ZRPalette& palette() { return controller->ownPalette(); }
    // Gives the palette a grid of its own, made when it first shows one.
    void givePaletteAGrid() {
        controller->setPaletteGridFactory(
            [this](QWidget* parent, std::function<void(ZROverlayGridInterface&)> action) {
                paletteGrid = std::make_unique<FakeGrid>(parent, std::move(action));
                return paletteGrid.get();
            });
    }
    ZRActionController& actions() { return ZRMainController::mainController().actions(); }
    AXElementRef element() { return elementOf(*window); }

    // The pointer comes to rest at the point (Quartz), long enough for the palette to look.
    void rest(Point at, double seconds = 0.15) {
        desktop.movePointer(at);
        RunLoop::main().advance(seconds);
    }
    void restOnZoomButton(double seconds = 0.15) { rest({ZoomButton.midX(), ZoomButton.midY()}, seconds); }
    bool paletteShown() {
        ZROverlayWindow* w = palette().overlayWindow();
        return w && w->isVisible();
    }
    // The palette's frame on the screen (Quartz).
    Rect paletteFrame() {
        const QRect g = palette().overlayWindow()->frameGeometry();
        return {double(g.x()), double(g.y()), double(g.width()), double(g.height())};
    }

    SimApplication* editor = nullptr;
    SimWindow* window = nullptr;
    std::unique_ptr<ZRMouseController> controller;
    std::unique_ptr<FakeGrid> paletteGrid;
    int beeps = 0;
};
