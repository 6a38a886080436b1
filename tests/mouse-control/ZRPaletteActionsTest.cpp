#include "PalettePopUpTestSupport.h"

#include "Elements.h"

#include "actions/ZRKeyboardControlPanelInterface.h"
#include "window-access/WindowObserver.h"

namespace {

namespace D = ZRMouseControlDefault;
using Sender = ZRPalette::Sender;

Sender button(std::int64_t tag, bool alternate = false, std::int64_t section = -1, std::int64_t screen = 0) {
    Sender sender;
    sender.tag = tag;
    sender.alternateMode = alternate;
    sender.sectionDragDirection = section;
    sender.screenDragDirection = screen;
    return sender;
}

Sender zoomButtonOverlay(bool canRevert) {
    Sender sender;
    sender.kind = Sender::Kind::ZoomButtonOverlay;
    sender.canRevert = canRevert;
    return sender;
}

class PaletteActionsTest : public PalettePopUpTest {
protected:
    // Puts the window at the frame and rests the pointer on its zoom button, which makes it the palette's.
    void paletteFor(const Rect& frame) {
        window->setFrame(frame);
        rest({frame.x() + ZoomButton.midX() - WindowFrame.x(),
              frame.y() + ZoomButton.midY() - WindowFrame.y()});
        ASSERT_TRUE(paletteShown());
    }
    std::int64_t lastPosition() {
        Rect frame;
        std::int64_t position = -1;
        actions().getLastSkafFrame(frame, position, element());
        return position;
    }
};

TEST_F(PaletteActionsTest, EachButtonAndDragSetsItsFrame) {
    const Rect start(WindowFrame);
    const Rect small(20, 30, 500, 300);
    const struct Case {
        const char* what;
        Rect from;
        Sender sender;
        bool shift;
        Rect to; // Quartz
        std::int64_t position;
    } cases[] = {
        {"fill", start, button(2), false, {0, 0, 800, 800}, 2},
        {"centre: three quarters of the free height below",
         small,
         button(2, true),
         false,
         {150, 125, 500, 300},
         1},
        {"centre with Shift: half below", small, button(2, true), true, {150, 250, 500, 300}, 1},
        {"a tag of its own: the centre", small, button(1), false, {150, 125, 500, 300}, 1},
        {"top half", start, button(3), false, {0, 0, 800, 400}, 3},
        {"top: bottom left quarter with Option", start, button(3, true), false, {0, 400, 400, 400}, 8},
        {"top dragged right", start, button(3, false, 5), false, {400, 0, 400, 400}, 4},
        {"top dragged left", start, button(3, false, 9), false, {0, 0, 400, 400}, 10},
        {"top dragged up: no section that way", start, button(3, false, 3), false, {0, 0, 800, 400}, 3},
        {"right half", start, button(5), false, {400, 0, 400, 800}, 5},
        {"right: top right quarter with Option", start, button(5, true), false, {400, 0, 400, 400}, 4},
        {"right with Option dragged down: no refinement",
         start,
         button(5, true, 7),
         false,
         {400, 0, 400, 400},
         4},
        {"right dragged up", start, button(5, false, 3), false, {400, 0, 400, 400}, 4},
        {"right dragged down", start, button(5, false, 7), false, {400, 400, 400, 400}, 6},
        {"bottom half", start, button(7), false, {0, 400, 800, 400}, 7},
        {"bottom: bottom right quarter with Option", start, button(7, true), false, {400, 400, 400, 400}, 6},
        {"bottom dragged right", start, button(7, false, 5), false, {400, 400, 400, 400}, 6},
        {"bottom dragged left", start, button(7, false, 9), false, {0, 400, 400, 400}, 8},
        {"left half", start, button(9), false, {0, 0, 400, 800}, 9},
        {"left: top left quarter with Option", start, button(9, true), false, {0, 0, 400, 400}, 10},
        {"left dragged up", start, button(9, false, 3), false, {0, 0, 400, 400}, 10},
        {"left dragged down", start, button(9, false, 7), false, {0, 400, 400, 400}, 8},
        {"zoom-button overlay: fill", start, zoomButtonOverlay(false), false, {0, 0, 800, 800}, 2},
    };
    for (const Case& c : cases) {
        paletteFor(c.from);
        desktop.setModifierFlags(c.shift ? ModifierFlag::Shift : 0);
        palette().skaf(c.sender);
        desktop.setModifierFlags(0);
        RunLoop::main().runPending();
        EXPECT_EQ(window->frame(), c.to) << c.what;
        EXPECT_EQ(lastPosition(), c.position) << c.what;
        Rect original;
        EXPECT_TRUE(actions().getOriginalFrame(original, element(), false)) << c.what;
        EXPECT_EQ(original, c.from) << c.what;
        EXPECT_EQ(palette().overlayWindow(), nullptr) << c.what << ": closed";
        EXPECT_EQ(beeps, 0) << c.what;
        EXPECT_EQ(ZRWindowObserver::defaultObserver().pauseCount(), 0) << c.what;
        actions().removeOriginalFrameForWindow(element());
        actions().removeLastSkafFrameForWindow(element());
    }
}

TEST_F(PaletteActionsTest, RevertGoesBackToTheOriginalFrameOrBeeps) {
    paletteFor(WindowFrame);
    palette().skaf(button(ZRPalette::RevertButtonTag));
    EXPECT_EQ(beeps, 1) << "nothing to revert to";
    EXPECT_EQ(ZRWindowObserver::defaultObserver().pauseCount(), 0);
    EXPECT_EQ(window->frame(), Rect(WindowFrame));
    EXPECT_EQ(palette().overlayWindow(), nullptr);

    paletteFor(WindowFrame);
    palette().skaf(button(5));
    paletteFor(window->frame());
    EXPECT_TRUE(palette().revertButton()->isVisible());
    palette().skaf(button(ZRPalette::RevertButtonTag));
    EXPECT_EQ(window->frame(), Rect(WindowFrame));
    EXPECT_EQ(lastPosition(), 0);

    // The zoom-button overlay reverts a filled window that has somewhere to go back to.
    paletteFor(WindowFrame);
    palette().skaf(button(2));
    paletteFor(window->frame());
    palette().skaf(zoomButtonOverlay(true));
    EXPECT_EQ(window->frame(), Rect(WindowFrame));
    EXPECT_EQ(beeps, 1);

    // A window that will not move: a beep, and the window observer listens again.
    window->setRefusesFrameChanges(true);
    paletteFor(WindowFrame);
    palette().skaf(button(9));
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(ZRWindowObserver::defaultObserver().pauseCount(), 0);
    EXPECT_EQ(palette().overlayWindow(), nullptr);
}

// With behaviour 1 a click on the zoom-button overlay fills the screen and the next one reverts, also for
// a window whose size steps (a terminal's character cells) keep it a little short of the screen: the frame
// the program set for the whole screen counts as filling it.
TEST_F(PaletteActionsTest, TheZoomButtonOverlayRevertsWhatItFilled) {
    set(D::ZoomButtonBehavior, 1);
    for (const Size steps : {Size(), Size(6, 10)}) {
        SCOPED_TRACE(stringFromSize(steps).toStdString());
        window->setSizeIncrements(steps);
        paletteFor(WindowFrame);
        ASSERT_NE(palette().zoomButtonOverlayWindow(), nullptr);
        EXPECT_FALSE(palette().zoomButtonOverlayWindow()->canRevert()) << "nothing to go back to";
        palette().skaf(zoomButtonOverlay(false));
        const Rect filled = window->frame();
        EXPECT_EQ(filled.origin, Point(0, 0));
        EXPECT_GT(filled.width(), Screen.width() - 7);

        paletteFor(filled);
        ASSERT_NE(palette().zoomButtonOverlayWindow(), nullptr);
        EXPECT_TRUE(palette().zoomButtonOverlayWindow()->canRevert());
        palette().skaf(zoomButtonOverlay(palette().zoomButtonOverlayWindow()->canRevert()));
        EXPECT_EQ(window->frame(), Rect(WindowFrame));

        // Short of the screen by the user's hand, it fills the screen again.
        paletteFor(WindowFrame);
        palette().skaf(zoomButtonOverlay(false));
        paletteFor(Rect(0, 0, Screen.width() - 14, Screen.height() - 13));
        EXPECT_FALSE(palette().zoomButtonOverlayWindow()->canRevert());
        palette().hideOverlayRegardless();
        actions().removeOriginalFrameForWindow(element());
        actions().removeLastSkafFrameForWindow(element());
    }
    EXPECT_EQ(beeps, 0);
}

TEST_F(PaletteActionsTest, TheZoomButtonOverlayPressesTheWindowsOwnButtonFromBehaviourTwo) {
    set(D::ZoomButtonBehavior, 2);
    paletteFor(WindowFrame);
    actions().storeLastSkafFrame(WindowFrame, 5, element());
    palette().skaf(zoomButtonOverlay(false));
    EXPECT_TRUE(window->performedActions().contains(QStringLiteral("AXZoomButton AXZoomWindow")))
        << window->performedActions().join(QStringLiteral(", ")).toStdString();
    EXPECT_EQ(lastPosition(), -1) << "its last frame forgotten";
    EXPECT_EQ(palette().overlayWindow(), nullptr);
    EXPECT_EQ(beeps, 0);
}

TEST_F(PaletteActionsTest, ADragTowardsAScreenTakesThatScreensFrame) {
    desktop.addScreen(Rect(800, 0, 800, 800));
    paletteFor(WindowFrame);
    ZROverlayButton* right = palette().rightButton();
    palette().prepareScreenDragDirectionsForOverlayButton(*right);
    EXPECT_TRUE(right->canDragScreenRight());
    EXPECT_FALSE(right->canDragScreenLeft() || right->canDragScreenUp() || right->canDragScreenDown());
    palette().prepareScreenDragDirectionsForOverlayButton(*palette().revertButton());
    EXPECT_FALSE(palette().revertButton()->canDragScreenRight()) << "never the revert button";

    palette().skaf(button(5, false, 3, 5));
    EXPECT_EQ(window->frame(), Rect(1200, 0, 400, 400)) << "the top right quarter of the screen on the right";
    paletteFor(WindowFrame);
    palette().skaf(button(9, false, -1, 9));
    EXPECT_EQ(beeps, 1) << "no screen to the left";
}

TEST_F(PaletteActionsTest, ASingleDisplayOffersNoScreenDrags) {
    paletteFor(WindowFrame);
    for (ZROverlayButton* b : {palette().fullButton(), palette().leftButton(), palette().rightButton(),
                               palette().topButton(), palette().bottomButton()}) {
        b->setCanDragScreenUp(true);
        palette().prepareScreenDragDirectionsForOverlayButton(*b);
        EXPECT_FALSE(b->canDragScreenUp() || b->canDragScreenRight() || b->canDragScreenDown() ||
                     b->canDragScreenLeft())
            << b->tag();
    }
}

TEST_F(PaletteActionsTest, GridsSetTheirSelectionOrOpenTheFullSizeGrid) {
    FakeFullSizeGrid fullSize;
    actions().setFullSizeGrid(&fullSize);
    givePaletteAGrid();
    std::unique_ptr<FakeGrid>& own = paletteGrid;
    set(ZRPalette::GridUserDefaultName, true);

    // The palette's placeholder stands for the full-size grid, opened for the same window and frames.
    paletteFor(WindowFrame);
    ASSERT_TRUE(own);
    EXPECT_TRUE(own->isPlaceholder);
    EXPECT_EQ(own->windowFrame, ZRFlipRect(WindowFrame));
    own->action(*own);
    EXPECT_EQ(fullSize.opened, 1);
    EXPECT_EQ(fullSize.windowFrame, ZRFlipRect(WindowFrame));
    EXPECT_EQ(fullSize.usableFrame, Rect(Screen));
    EXPECT_EQ(palette().overlayWindow(), nullptr);
    EXPECT_EQ(window->frame(), Rect(WindowFrame));

    // The full-size grid's cell: its frame on the window it controls, with no palette shown.
    FakeGrid cell(nullptr, {});
    cell.windowFrame = Rect(0, 400, 400, 400); // the top left quarter, Cocoa
    cell.usableFrame = Rect(Screen);
    controller->skaf(cell);
    EXPECT_EQ(window->frame(), Rect(0, 0, 400, 400));
    EXPECT_EQ(lastPosition(), ZRPalette::GridSelectionPosition);
    EXPECT_EQ(beeps, 0);
    delete cell.widget;
    actions().setFullSizeGrid(nullptr);

    // Neither a palette nor a full-size grid: no window.
    controller->skaf(cell);
    EXPECT_EQ(beeps, 1);
}

TEST_F(PaletteActionsTest, AFullScreenWindowLeavesFullScreenOnlyWhenAllowed) {
    struct Panel : ZRKeyboardControlPanelInterface {
        bool activateForWindow(const AXElementRef&) override { return true; }
        bool isActive() const override { return active; }
        void setActive(bool a) override { active = a; }
        AXElementRef controlledWindow() const override { return nullptr; }
        void scheduleAutoDeactivation() override {}
        bool active = true;
    } panel;
    actions().setKeyboardControlPanel(&panel);
    FakeFullSizeGrid fullSize;
    actions().setFullSizeGrid(&fullSize);
    window->setFullScreen(true);
    fullSize.window = element();
    FakeGrid cell(nullptr, {});
    cell.windowFrame = Rect(0, 400, 400, 400);
    cell.usableFrame = Rect(Screen);

    controller->skaf(cell);
    EXPECT_EQ(beeps, 1) << "\"Control Full Screen Windows\" off";
    EXPECT_TRUE(window->isFullScreen());
    EXPECT_TRUE(panel.active);

    set(QStringLiteral("Control Full Screen Windows"), true);
    controller->skaf(cell);
    EXPECT_FALSE(window->isFullScreen());
    EXPECT_FALSE(panel.active);
    EXPECT_EQ(window->frame(), Rect(0, 0, 400, 400));
    EXPECT_EQ(beeps, 1);
    delete cell.widget;
    actions().setKeyboardControlPanel(nullptr);
    actions().setFullSizeGrid(nullptr);
}

TEST_F(PaletteActionsTest, ToolTips) {
    const struct Case {
        std::int64_t tag;
        bool canShowMenu;
        const char* normal;
        const char* alternate;
    } cases[] = {
        {0, true, "Custom", "Revert to Original Dimensions"},
        {0, false, "Revert to Original Dimensions", "Revert to Original Dimensions"},
        {2, false, "Fill Screen", "Center"},
        {3, false, "Top Half", "Bottom Left Quarter"},
        {5, false, "Right Half", "Top Right Quarter"},
        {7, false, "Bottom Half", "Bottom Right Quarter"},
        {9, false, "Left Half", "Top Left Quarter"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZRPalette::toolTipForButton(c.tag, false, c.canShowMenu), QString::fromUtf8(c.normal));
        EXPECT_EQ(ZRPalette::toolTipForButton(c.tag, true, c.canShowMenu), QString::fromUtf8(c.alternate));
    }
    EXPECT_EQ(ZRPalette::toolTipForButton(1, false, false), std::nullopt);

    // The buttons ask as their mode changes; a button that is not the palette's gets none.
    paletteFor(WindowFrame);
    palette().rightButton()->setAlternateMode(true);
    EXPECT_EQ(palette().rightButton()->toolTip(), QStringLiteral("Top Right Quarter"));
    palette().rightButton()->setAlternateMode(false);
    EXPECT_EQ(palette().rightButton()->toolTip(), QStringLiteral("Right Half"));
    ZROverlayButton stranger(mouseControlContext(settings()));
    stranger.setTag(5);
    EXPECT_EQ(palette().toolTipForOverlayButton(stranger), std::nullopt);
}

TEST_F(PaletteActionsTest, TheFocusWindowFollowsTheMostEngagedWindow) {
    SimWindow& other = desktop.addWindow(*editor, Rect(500, 500, 200, 200));
    const AXElementRef snapped = elementOf(other);
    const AXElementRef own = element();
    EXPECT_EQ(controller->focusReferenceWindow(), nullptr);
    FakeFullSizeGrid fullSize;
    fullSize.window = snapped;
    actions().setFullSizeGrid(&fullSize);
    EXPECT_TRUE(AXElementsEqual(controller->focusReferenceWindow(), snapped)) << "the full-size grid's";
    paletteFor(WindowFrame);
    EXPECT_TRUE(AXElementsEqual(controller->focusReferenceWindow(), own)) << "the palette's before it";
    ZRMouseGestures& gestures = controller->gestures();
    gestures.hover.begin(snapped);
    EXPECT_TRUE(AXElementsEqual(controller->focusReferenceWindow(), snapped)) << "the hovered one first";
    gestures.hover.end();
    gestures.snap.beginTracking(snapped);
    EXPECT_TRUE(AXElementsEqual(controller->focusReferenceWindow(), snapped)) << "the dragged one first";
    gestures.snap.endTracking();
    actions().setFullSizeGrid(nullptr);
}

} // namespace
