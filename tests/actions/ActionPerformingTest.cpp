#include "ActionTestSupport.h"

#include "window-access/Position.h"

#include <vector>

namespace {

using Configure = std::function<void(ZRAction&)>;

Configure direction(std::int64_t position) {
    return [position](ZRAction& a) { a.setMoveDirection(position); };
}

Configure move(std::int64_t position, std::int64_t delta,
               ZRMeasurementUnit unit = ZRMeasurementUnit::Points) {
    return [=](ZRAction& a) {
        a.setMoveDirection(position);
        a.setMoveDelta(delta);
        a.setMoveDeltaUnit(unit);
    };
}

TEST_F(ActionEngineTest, EachTypePerformedOnTheFocusedWindow) {
    const Rect start(100, 100, 400, 300);
    const auto nothing = [](SimWindow&) {};
    struct Case {
        const char* name;
        ZRActionType type;
        Configure configure;
        Rect expected; // Quartz
        bool beeps = false;
        std::function<void(SimWindow&)> window = [](SimWindow&) {};
        Rect from = Rect(100, 100, 400, 300);
    };
    const std::vector<Case> cases = {
        {"fill", ZRActionTypeFill, {}, Rect(0, 0, 1440, 900)},
        {"left half", ZRActionTypeHalf, direction(ZRPositionLeft), Rect(0, 0, 720, 900)},
        {"top right quarter", ZRActionTypeQuarter, direction(ZRPositionTopRight), Rect(720, 0, 720, 450)},
        {"half without a direction", ZRActionTypeHalf, direction(ZRPositionNone), start, true},
        {"move and resize to a relative frame", ZRActionTypeMoveAndResize,
         [](ZRAction& a) { a.setRelativeFrame(Rect(0.25, 0.5, 0.5, 0.5)); }, Rect(360, 0, 720, 450)},
        {"centre, optically", ZRActionTypeCenter, {}, Rect(520, 150, 400, 300)},
        {"centre in geometric mode", ZRActionTypeCenter,
         [](ZRAction& a) { a.setCenterMode(ZRCenterModeGeometric); }, Rect(520, 300, 400, 300)},
        {"centre geometrically", ZRActionTypeCenterGeometrically, {}, Rect(520, 300, 400, 300)},
        {"move right by points", ZRActionTypeMove, move(ZRPositionRight, 50), Rect(150, 100, 400, 300)},
        {"move up by percent of the screen", ZRActionTypeMove,
         move(ZRPositionTop, 10, ZRMeasurementUnit::Percent), Rect(100, 10, 400, 300)},
        {"move diagonally", ZRActionTypeMove, move(ZRPositionBottomLeft, 50), Rect(50, 150, 400, 300)},
        {"confined move stops at the edge", ZRActionTypeMoveConfined, move(ZRPositionLeft, 500),
         Rect(0, 100, 400, 300)},
        {"move confined when asked", ZRActionTypeMove,
         [](ZRAction& a) {
             move(ZRPositionBottom, 900)(a);
             a.setConfinedToDisplay(true);
         },
         Rect(100, 600, 400, 300)},
        {"move to the bottom right corner", ZRActionTypeMoveToEdgeOrCorner,
         [](ZRAction& a) { a.setMoveToEdgeOrCornerPosition(ZRPositionBottomRight); },
         Rect(1040, 600, 400, 300)},
        {"move to the top edge, centred", ZRActionTypeMoveToEdgeOrCorner,
         [](ZRAction& a) { a.setMoveToEdgeOrCornerPosition(ZRPositionTopCentered); }, Rect(520, 0, 400, 300)},
        {"move to the left edge", ZRActionTypeMoveToEdgeOrCorner,
         [](ZRAction& a) { a.setMoveToEdgeOrCornerPosition(ZRPositionLeft); }, Rect(0, 100, 400, 300)},
        {"other display to the right", ZRActionTypeMoveToOtherDisplay, direction(ZRPositionRight),
         Rect(1529, 260, 400, 300)},
        {"other display to the right, resized", ZRActionTypeMoveToOtherDisplay,
         [](ZRAction& a) {
             a.setMoveDirection(ZRPositionRight);
             a.setMoveToOtherDisplayResize(true);
         },
         Rect(1529, 260, 356, 240)},
        {"no display to the left", ZRActionTypeMoveToOtherDisplay, direction(ZRPositionLeft), start, true},
        {"no display to the left, wrapping to the far right", ZRActionTypeMoveToOtherDisplay,
         [](ZRAction& a) {
             a.setMoveDirection(ZRPositionLeft);
             a.setMoveToOtherDisplayLoop(true);
         },
         Rect(1529, 260, 400, 300)},
        {"resize the width about the centre", ZRActionTypeResize,
         [](ZRAction& a) {
             a.setResizeSize(Size{600, 0});
             a.setResizeAnchorPosition(ZRPositionCenter);
         },
         Rect(0, 100, 600, 300)},
        {"resize to half the screen from the top left", ZRActionTypeResize,
         [](ZRAction& a) {
             a.setResizeSize(Size{50, 50});
             a.setResizeWidthUnit(ZRMeasurementUnit::Percent);
             a.setResizeHeightUnit(ZRMeasurementUnit::Percent);
             a.setResizeAnchorPosition(ZRPositionTopLeft);
         },
         Rect(100, 100, 720, 450)},
        {"resize about the bottom right corner", ZRActionTypeResize,
         [](ZRAction& a) {
             a.setResizeSize(Size{200, 100});
             a.setResizeAnchorPosition(ZRPositionBottomRight);
         },
         Rect(300, 300, 200, 100)},
        {"grow every edge", ZRActionTypeGrow, move(ZRPositionFull, 20), Rect(80, 80, 440, 340)},
        {"grow the right edge up to the screen's", ZRActionTypeGrow, move(ZRPositionRight, 2000),
         Rect(100, 100, 1340, 300)},
        {"shrink no further than the minimum", ZRActionTypeShrink, move(ZRPositionFull, 300),
         Rect(290, 240, 20, 20)},
        {"shrink the top edge", ZRActionTypeShrink, move(ZRPositionTop, 100), Rect(100, 200, 400, 200)},
        {"zoom to fit presses the zoom button",
         ZRActionTypeZoomToFit,
         {},
         Rect(0, 0, 1440, 900),
         false,
         [](SimWindow& w) { w.addStandardButtons(); }},
        {"zoom to fit without a zoom button fills", ZRActionTypeZoomToFit, {}, Rect(0, 0, 1440, 900)},
        {"revert without an original frame", ZRActionTypeRevert, {}, start, true},
        {"a window that clamps its size",
         ZRActionTypeFill,
         {},
         Rect(0, 0, 600, 400),
         false,
         [](SimWindow& w) {
             w.setMaximumSize(Size{600, 400});
         }},
        {"a window that refuses",
         ZRActionTypeFill,
         {},
         start,
         true,
         [](SimWindow& w) { w.setRefusesFrameChanges(true); }},
        // Size steps keep a terminal short of its frame: it keeps an edge its frame shares with the screen's
        // and not the opposite one, and of a frame along both, the top or left.
        {"a window in size steps keeps the top of a full-height frame", ZRActionTypeMoveAndResize,
         [](ZRAction& a) { a.setRelativeFrame(Rect(0, 0, 0.5, 1)); }, Rect(0, 0, 714, 896), false,
         [](SimWindow& w) { w.setSizeIncrements(Size(7, 14)); }},
        {"a window in size steps keeps the bottom of a bottom half", ZRActionTypeMoveAndResize,
         [](ZRAction& a) { a.setRelativeFrame(Rect(0, 0, 1, 0.5)); }, Rect(0, 452, 1435, 448), false,
         [](SimWindow& w) { w.setSizeIncrements(Size(7, 14)); }},
        {"a window in size steps keeps the right of a right half", ZRActionTypeHalf,
         direction(ZRPositionRight), Rect(726, 0, 714, 896), false,
         [](SimWindow& w) { w.setSizeIncrements(Size(7, 14)); }},
        {"a window on the second screen", ZRActionTypeHalf, direction(ZRPositionLeft),
         Rect(1440, 180, 640, 720), false, nothing, Rect(1600, 300, 400, 300)},
    };
    for (const Case& c : cases) {
        SimWindow& window = addWindow(c.from);
        c.window(window);
        beeps = 0;
        const auto performed = action(c.type, c.configure);
        EXPECT_EQ(trigger(performed), !c.beeps) << c.name;
        EXPECT_EQ(window.frame(), c.expected) << c.name;
        EXPECT_EQ(beeps, c.beeps ? 1 : 0) << c.name;

        Rect last;
        std::int64_t position = 0;
        const bool zoomed = window.performedActions().contains(QStringLiteral("AXZoomButton AXZoomWindow"));
        EXPECT_EQ(zoomed, std::string(c.name) == "zoom to fit presses the zoom button") << c.name;
        if (!c.beeps && !zoomed) {
            EXPECT_TRUE(engine->getLastSkafFrame(last, position, elementOf(window))) << c.name;
            EXPECT_EQ(last, c.expected) << c.name << ": the last frame is the one obtained";
        } else {
            EXPECT_FALSE(engine->getLastSkafFrame(last, position, elementOf(window))) << c.name;
        }
        window.close();
    }
}

TEST_F(ActionEngineTest, PositionsRememberedWithTheLastFrame) {
    SimWindow& window = addWindow(Rect(100, 100, 400, 300));
    const struct {
        std::shared_ptr<ZRAction> performed;
        std::int64_t position;
    } cases[] = {
        {action(ZRActionTypeFill), ZRPositionFull},
        {action(ZRActionTypeHalf, direction(ZRPositionRight)), ZRPositionRight},
        {action(ZRActionTypeCenter), ZRPositionCenter},
        {action(ZRActionTypeMove, move(ZRPositionLeft, 10)), 1001},
        {action(ZRActionTypeRevert), 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(trigger(c.performed));
        Rect last;
        std::int64_t position = -1;
        ASSERT_TRUE(engine->getLastSkafFrame(last, position, elementOf(window)));
        EXPECT_EQ(position, c.position) << c.performed->displayNameWithSuffixes().toStdString();
    }
}

TEST_F(ActionEngineTest, RevertGoesBackToTheFrameBeforeTheFirstOfSeveralActions) {
    SimWindow& window = addWindow(Rect(100, 100, 400, 300));
    const auto moveRight = action(ZRActionTypeMove, move(ZRPositionRight, 50));
    const auto revert = action(ZRActionTypeRevert);

    ASSERT_TRUE(trigger(moveRight));
    ASSERT_TRUE(trigger(moveRight));
    EXPECT_EQ(window.frame(), Rect(200, 100, 400, 300));
    ASSERT_TRUE(trigger(revert));
    EXPECT_EQ(window.frame(), Rect(100, 100, 400, 300));

    // Moved by other means, the window's new place is the one to go back to.
    ASSERT_TRUE(trigger(moveRight));
    window.setFrame(Rect(700, 400, 400, 300));
    ASSERT_TRUE(trigger(moveRight));
    ASSERT_TRUE(trigger(revert));
    EXPECT_EQ(window.frame(), Rect(700, 400, 400, 300));
    EXPECT_EQ(beeps, 0);

    // With frame storage off nothing is remembered, and revert has nothing to go back to.
    engine->removeOriginalFrameForWindow(elementOf(window));
    set(QStringLiteral("Frame Storage: Enable"), false);
    ASSERT_TRUE(trigger(moveRight));
    EXPECT_FALSE(trigger(revert));
    EXPECT_EQ(window.frame(), Rect(750, 400, 400, 300));
    EXPECT_EQ(beeps, 1);
}

TEST_F(ActionEngineTest, UseGridOpensTheFullSizeGridWhenThereIsOne) {
    SimWindow& window = addWindow(Rect(100, 100, 400, 300));
    const auto grid = action(ZRActionTypeUseGrid, [](ZRAction& a) {
        a.setGridDimensionsDictionary({{QStringLiteral("Mouse Controls Grid: Columns"), 3}});
    });
    EXPECT_FALSE(trigger(grid));
    EXPECT_EQ(beeps, 0) << "no grid yet: nothing happens";

    struct Opener : ZRFullSizeGridOpener {
        Rect frame;
        Rect usable;
        QVariantMap dimensions;
        bool activateForWindow(const AXElementRef&, const Rect& f, const Rect& u,
                               const QVariantMap& d) override {
            frame = f;
            usable = u;
            dimensions = d;
            return true;
        }
        AXElementRef controlledWindow() const override { return nullptr; }
    } opener;
    engine->setFullSizeGrid(&opener);
    EXPECT_TRUE(trigger(grid));
    EXPECT_EQ(opener.frame, Rect(100, 500, 400, 300)) << "Cocoa coordinates";
    EXPECT_EQ(opener.usable, PrimaryScreen);
    EXPECT_EQ(opener.dimensions, grid->gridDimensionsDictionary());
    EXPECT_EQ(window.frame(), Rect(100, 100, 400, 300));
}

TEST_F(ActionEngineTest, ChainsRunInOrderOrOneStepPerPress) {
    SimWindow& window = addWindow(Rect(100, 100, 400, 300));
    const auto left = action(ZRActionTypeHalf, direction(ZRPositionLeft));
    const auto right = action(ZRActionTypeHalf, direction(ZRPositionRight));
    const auto nudge = action(ZRActionTypeMove, move(ZRPositionRight, 100));

    const auto sequence = action(ZRActionTypeFolder, [&](ZRAction& a) {
        a.setChain(true);
        a.setChildren({left, nudge});
    });
    ASSERT_TRUE(trigger(sequence));
    EXPECT_EQ(window.frame(), Rect(100, 0, 720, 900));

    const auto cycle = action(ZRActionTypeFolder, [&](ZRAction& a) {
        a.setChain(true);
        a.setChainMode(ZRChainModeCycle);
        a.setChildren({left, right});
    });
    const Rect leftHalf(0, 0, 720, 900);
    const Rect rightHalf(720, 0, 720, 900);
    const struct {
        bool updateChains;
        Rect expected;
    } presses[] = {{true, leftHalf},  {true, rightHalf}, {false, leftHalf},
                   {false, leftHalf}, {true, leftHalf},  {true, rightHalf}};
    for (const auto& press : presses) {
        ASSERT_TRUE(trigger(cycle, press.updateChains));
        EXPECT_EQ(window.frame(), press.expected);
    }

    const auto empty = action(ZRActionTypeFolder, [](ZRAction& a) { a.setChain(true); });
    EXPECT_FALSE(trigger(empty));
}

TEST_F(ActionEngineTest, AFolderOpensTheKeyboardMenuAtItsLevel) {
    addWindow(Rect(100, 100, 400, 300));
    const auto folder =
        action(ZRActionTypeFolder, [](ZRAction& a) { a.setChildren({action(ZRActionTypeFill)}); });
    EXPECT_FALSE(trigger(folder)) << "no keyboard menu to open";

    FakeKeyboardMenu menu;
    engine->setKeyboardMenu(&menu);
    EXPECT_TRUE(trigger(folder));
    ASSERT_EQ(menu.popUps.size(), 1u);
    EXPECT_EQ(menu.popUps[0].control, folder);
    EXPECT_EQ(menu.popUps[0].reference, folder.get());
    EXPECT_TRUE(menu.popUps[0].topLevel);
}

TEST_F(ActionEngineTest, PaletteItemsCloseThePaletteOnlyWhenTheirActionRan) {
    SimWindow& window = addWindow(Rect(100, 100, 400, 300));
    struct Palette : ZRPaletteHiding {
        int hidden = 0;
        void hideOverlayRegardless() override { ++hidden; }
    } palette;
    struct Button : ZRPaletteItemButtonInterface {
        std::shared_ptr<ZRAction> action;
        std::shared_ptr<ZRAction> paletteAction() const override { return action; }
    } button;
    engine->setPalette(&palette);

    EXPECT_FALSE(engine->triggerActionViaPaletteItemButton(button));
    button.action = action(ZRActionTypeRevert);
    EXPECT_FALSE(engine->triggerActionViaPaletteItemButton(button));
    EXPECT_EQ(palette.hidden, 0);
    button.action = action(ZRActionTypeFill);
    EXPECT_TRUE(engine->triggerActionViaPaletteItemButton(button));
    EXPECT_EQ(palette.hidden, 1);
    EXPECT_EQ(window.frame(), Rect(0, 0, 1440, 900));
}

} // namespace
