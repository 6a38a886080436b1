#include "DesktopTest.h"

#include "window-access/Coordinates.h"
#include "window-access/GridGeometry.h"
#include "window-access/Position.h"
#include "window-access/VirtualScreen.h"

#include <vector>

namespace {

using VirtualScreenTest = DesktopTest;

std::vector<Rect> framesOf(const std::vector<ZRVirtualScreen>& screens) {
    std::vector<Rect> frames;
    for (const ZRVirtualScreen& screen : screens)
        frames.push_back(screen.frame());
    return frames;
}

std::optional<Rect> frameOf(const std::optional<ZRVirtualScreen>& screen) {
    return screen ? std::optional<Rect>(screen->frame()) : std::nullopt;
}

QVariantMap layout(QVariant columns, QVariant rows) {
    return {{QStringLiteral("Columns"), columns}, {QStringLiteral("Rows"), rows}};
}

TEST_F(VirtualScreenTest, SplitLayoutsMakeEqualUsableCells) {
    // A dock on the left and a menu bar on top: the usable frame is split equally, and the outer
    // cells' frames still reach the display's edges.
    desktop.addScreen(Rect(0, 0, 1000, 800), Rect(100, 0, 900, 780));
    set(QStringLiteral("Virtual Screen Layout: 0"), layout(2, 2));
    const auto screens = ZRVirtualScreen::screens(settings());
    ASSERT_EQ(screens.size(), 4u);
    // Left to right, top to bottom.
    EXPECT_EQ(framesOf(screens), (std::vector<Rect>{Rect(0, 390, 550, 410), Rect(550, 390, 450, 410),
                                                    Rect(0, 0, 550, 390), Rect(550, 0, 450, 390)}));
    EXPECT_EQ(screens[0].skafableFrame(), Rect(100, 390, 450, 390));
    EXPECT_EQ(screens[3].skafableFrame(), Rect(550, 0, 450, 390));
    EXPECT_EQ(screens[0].visibleFrame(), Rect(100, 390, 450, 390));
    EXPECT_EQ(screens[0].hostScreen().frame, Rect(0, 0, 1000, 800));
}

TEST_F(VirtualScreenTest, BadLayoutsLeaveTheDisplayWhole) {
    desktop.addScreen(Rect(0, 0, 1000, 800));
    desktop.addScreen(Rect(1000, 0, 1000, 800));
    const std::vector<QVariant> layouts = {layout(0, 1), layout(QStringLiteral("two"), 1), layout(17, 1),
                                           layout(1.5, 1), QStringLiteral("2x2")};
    for (const QVariant& value : layouts) {
        set(QStringLiteral("Virtual Screen Layout: 1"), value);
        EXPECT_EQ(ZRVirtualScreen::screens(settings()).size(), 2u) << value.toString().toStdString();
    }
    // A missing dimension counts as one.
    set(QStringLiteral("Virtual Screen Layout: 1"), QVariantMap{{QStringLiteral("Rows"), 3}});
    EXPECT_EQ(ZRVirtualScreen::screens(settings()).size(), 4u);
}

TEST_F(VirtualScreenTest, UnionScreenSpansTheOthersAndComesLast) {
    desktop.addScreen(Rect(0, 0, 1440, 900));
    set(QStringLiteral("Virtual Screen Layout: Union"), true);
    EXPECT_EQ(ZRVirtualScreen::screens(settings()).size(), 1u) << "one display needs no union";

    desktop.addScreen(Rect(1440, 0, 1920, 1080), Rect(1440, 40, 1920, 1040));
    auto screens = ZRVirtualScreen::screens(settings());
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_TRUE(screens[2].isUnion());
    EXPECT_EQ(screens[2].frame(), Rect(0, 0, 3360, 1080));
    EXPECT_EQ(screens[2].skafableFrame(), Rect(0, 0, 3360, 1080));

    // A frame wholly on one display ties with the union, and the earlier screen wins; a frame on both
    // has the strictly larger intersection with the union.
    EXPECT_EQ(frameOf(ZRVirtualScreen::virtualScreenMostRelevantForFrame(Rect(1500, 100, 400, 300), false,
                                                                         settings())),
              Rect(1440, 0, 1920, 1080));
    const auto straddling =
        ZRVirtualScreen::virtualScreenMostRelevantForFrame(Rect(1240, 100, 400, 300), false, settings());
    ASSERT_TRUE(straddling);
    EXPECT_TRUE(straddling->isUnion());

    // The union of the cells of one split display.
    desktop.removeScreen(screens[1].hostScreen().identifier);
    set(QStringLiteral("Virtual Screen Layout: 0"), layout(2, 1));
    screens = ZRVirtualScreen::screens(settings());
    ASSERT_EQ(screens.size(), 3u);
    EXPECT_EQ(screens[2].frame(), Rect(0, 0, 1440, 900));
}

TEST_F(VirtualScreenTest, MostRelevantScreenOnlyAStrictlyLargerIntersectionWins) {
    desktop.addScreen(Rect(0, 0, 1000, 800));
    desktop.addScreen(Rect(1000, 0, 1000, 800));
    const auto screens = ZRVirtualScreen::screens(settings());
    const struct {
        const char* name;
        Rect frame;
        bool fallBack;
        std::optional<Rect> expected;
    } cases[] = {
        {"even split: the first", Rect(900, 100, 200, 100), false, Rect(0, 0, 1000, 800)},
        {"more on the second", Rect(901, 100, 200, 100), false, Rect(1000, 0, 1000, 800)},
        {"wholly on the second", Rect(1200, 100, 200, 100), false, Rect(1000, 0, 1000, 800)},
        {"on none", Rect(5000, 100, 200, 100), false, std::nullopt},
        {"on none, falling back", Rect(5000, 100, 200, 100), true, Rect(0, 0, 1000, 800)},
        {"empty frame", Rect(500, 100, 0, 0), false, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(frameOf(ZRVirtualScreen::virtualScreenMostRelevantForFrame(c.frame, screens, c.fallBack)),
                  c.expected)
            << c.name;
    }
}

TEST_F(VirtualScreenTest, NeighboursWithAndWithoutWrap) {
    // A row of three with a fourth above the middle one:
    //          [D]
    //     [A] [B] [C]
    desktop.addScreen(Rect(0, 0, 1000, 800));
    desktop.addScreen(Rect(1000, 0, 1000, 800));
    desktop.addScreen(Rect(2000, 0, 1000, 800));
    desktop.addScreen(Rect(1000, 800, 1000, 800));
    const auto screens = ZRVirtualScreen::screens(settings());
    ASSERT_EQ(screens.size(), 4u);
    const Rect a = screens[0].frame(), b = screens[1].frame(), c = screens[2].frame(), d = screens[3].frame();
    const struct {
        const char* name;
        std::size_t from;
        int direction;
        bool loop;
        std::optional<Rect> expected;
    } cases[] = {
        {"A right: the nearest", 0, ZRScreenDirectionRight, false, b},
        {"A left", 0, ZRScreenDirectionLeft, false, std::nullopt},
        {"A left, wrapping: the farthest on the right", 0, ZRScreenDirectionLeft, true, c},
        {"C right, wrapping", 2, ZRScreenDirectionRight, true, a},
        {"B above", 1, ZRScreenDirectionAbove, false, d},
        {"D below", 3, ZRScreenDirectionBelow, false, b},
        {"A above: D only touches its corner", 0, ZRScreenDirectionAbove, false, std::nullopt},
        {"A above, wrapping: nothing below either", 0, ZRScreenDirectionAbove, true, std::nullopt},
        {"D above, wrapping", 3, ZRScreenDirectionAbove, true, b},
        {"no such direction", 0, 7, true, std::nullopt},
    };
    for (const auto& t : cases) {
        EXPECT_EQ(frameOf(screens[t.from].virtualScreenAtRelativePosition(t.direction, t.loop, settings())),
                  t.expected)
            << t.name;
    }

    const Point inA{500, 400};
    EXPECT_EQ(frameOf(ZRVirtualScreen::screenAtPosition(ZRPositionNone, inA, settings())), a);
    EXPECT_EQ(frameOf(ZRVirtualScreen::screenAtPosition(ZRPositionRight, inA, settings())), b);
    EXPECT_FALSE(ZRVirtualScreen::screenAtPosition(ZRPositionLeft, inA, settings()));
    EXPECT_FALSE(ZRVirtualScreen::screenAtPosition(ZRPositionTopRight, inA, settings()))
        << "corners are no directions";
    EXPECT_FALSE(ZRVirtualScreen::screenAtPosition(ZRPositionNone, Point{-10, 400}, settings()));

    // Positions on the screen under a trigger point, or on its neighbour.
    EXPECT_EQ(ZRGridGeometry::windowFrameAtPosition(ZRPositionLeft, inA, ZRPositionNone, settings()),
              Rect(0, 0, 500, 800));
    EXPECT_EQ(ZRGridGeometry::windowFrameAtPosition(ZRPositionLeft, inA, ZRPositionRight, settings()),
              Rect(1000, 0, 500, 800));
    EXPECT_EQ(ZRGridGeometry::windowFrameAtPosition(ZRPositionLeft, inA, ZRPositionBottom, settings()),
              Rect());
}

TEST_F(VirtualScreenTest, NoDisplayAnswersNone) {
    const std::vector<ZRVirtualScreen> none;
    EXPECT_FALSE(ZRVirtualScreen::virtualScreenMostRelevantForFrame(Rect(0, 0, 10, 10), none, true));
    EXPECT_FALSE(ZRVirtualScreen::virtualScreenMostRelevantForFrame(Rect(0, 0, 10, 10), true, settings()));
    EXPECT_FALSE(ZRVirtualScreen::screenAtPosition(ZRPositionNone, Point{0, 0}, settings()));
    EXPECT_EQ(ZRGridGeometry::windowFrameAtPosition(ZRPositionFull, Point{0, 0}, ZRPositionNone, settings()),
              Rect());

    // The displays going away while screens are in use.
    const auto id = desktop.addScreen(Rect(0, 0, 1000, 800));
    const auto screens = ZRVirtualScreen::screens(settings());
    desktop.removeScreen(id);
    EXPECT_FALSE(screens[0].virtualScreenAtRelativePosition(ZRScreenDirectionRight, true, settings()));
}

TEST_F(VirtualScreenTest, ExtraDockSpacingAndIgnoredBars) {
    // Menu bar of 23 points on top, dock of 60 at the bottom.
    desktop.addScreen(Rect(0, 0, 1000, 800), Rect(0, 60, 1000, 717));
    desktop.addScreen(Rect(1000, 0, 1000, 800), Rect(1070, 0, 930, 777));
    const auto displays = desktop.screens().screens();
    EXPECT_EQ(visibleFrameWithExtraDockSpacing(&displays[0], settings()), Rect(0, 60, 1000, 717));
    EXPECT_EQ(visibleFrameWithExtraDockSpacing(nullptr, settings()), Rect());

    set(QStringLiteral("ZRVisibleFrameExtraDockSpacing"), 4);
    EXPECT_EQ(visibleFrameWithExtraDockSpacing(&displays[0], settings()), Rect(0, 64, 1000, 713))
        << "the dock's side only";
    EXPECT_EQ(visibleFrameWithExtraDockSpacing(&displays[1], settings()), Rect(1074, 0, 926, 777));
    EXPECT_EQ(ZRVirtualScreen::screens(settings())[0].skafableFrame(), Rect(0, 64, 1000, 713));
    set(QStringLiteral("ZRVisibleFrameExtraDockSpacing"), 5000);
    EXPECT_EQ(visibleFrameWithExtraDockSpacing(&displays[0], settings()), Rect(0, 60, 1000, 717))
        << "too large: ignored";

    set(QStringLiteral("ZRVisibleFrameExtraDockSpacing"), 0);
    set(QStringLiteral("Ignore Menu Bar"), true);
    EXPECT_EQ(ZRVirtualScreen::screens(settings())[0].skafableFrame(), Rect(0, 60, 1000, 740));
    set(QStringLiteral("Ignore Dock"), true);
    EXPECT_EQ(ZRVirtualScreen::screens(settings())[0].skafableFrame(), Rect(0, 0, 1000, 800));
    EXPECT_EQ(ZRVirtualScreen::screens(settings())[1].skafableFrame(), Rect(1000, 0, 1000, 800));
    // The visible frame itself stays as the desktop reports it.
    EXPECT_EQ(ZRVirtualScreen::screens(settings())[0].visibleFrame(), Rect(0, 60, 1000, 717));
}

} // namespace
