#include "DesktopTest.h"

#include "window-access/Coordinates.h"
#include "window-access/GridGeometry.h"
#include "window-access/Position.h"
#include "window-access/WindowElements.h"

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <vector>

namespace {

using GeometryTest = DesktopTest;

// A usable frame away from the origin, so that a position that forgets the origin shows.
const Rect Usable(100, 40, 1000, 800);

struct Spacing {
    bool on = false;
    qint64 gap = 0;
    bool edges = false;
};

void applySpacing(UserDefaults& defaults, const Spacing& spacing) {
    defaults.setBool(spacing.on, QStringLiteral("Grid Spacing"));
    defaults.setInteger(spacing.gap, QStringLiteral("Grid Spacing: Gap"));
    defaults.setBool(spacing.edges, QStringLiteral("Grid Spacing: Apply To Edges"));
}

TEST_F(GeometryTest, EveryPositionOnAUsableFrameWithAndWithoutSpacing) {
    struct Case {
        const char* name;
        Spacing spacing;
        std::int64_t position;
        Rect expected;
    };
    const std::vector<Case> cases = {
        // Without spacing the halves and quarters tile the usable frame.
        {"plain centre", {}, ZRPositionCenter, Rect(100, 40, 1000, 800)},
        {"plain full", {}, ZRPositionFull, Rect(100, 40, 1000, 800)},
        {"plain top", {}, ZRPositionTop, Rect(100, 440, 1000, 400)},
        {"plain top right", {}, ZRPositionTopRight, Rect(600, 440, 500, 400)},
        {"plain right", {}, ZRPositionRight, Rect(600, 40, 500, 800)},
        {"plain bottom right", {}, ZRPositionBottomRight, Rect(600, 40, 500, 400)},
        {"plain bottom", {}, ZRPositionBottom, Rect(100, 40, 1000, 400)},
        {"plain bottom left", {}, ZRPositionBottomLeft, Rect(100, 40, 500, 400)},
        {"plain left", {}, ZRPositionLeft, Rect(100, 40, 500, 800)},
        {"plain top left", {}, ZRPositionTopLeft, Rect(100, 440, 500, 400)},
        {"none", {}, ZRPositionNone, Rect()},
        {"centred edge is no frame position", {}, ZRPositionTopCentered, Rect()},
        {"unknown", {}, 1002, Rect()},
        // A gap between the parts only; the outer edges stay on the usable frame.
        {"gap full", {true, 10, false}, ZRPositionFull, Rect(100, 40, 1000, 800)},
        {"gap top", {true, 10, false}, ZRPositionTop, Rect(100, 445, 1000, 395)},
        {"gap top right", {true, 10, false}, ZRPositionTopRight, Rect(605, 445, 495, 395)},
        {"gap bottom left", {true, 10, false}, ZRPositionBottomLeft, Rect(100, 40, 495, 395)},
        {"gap right", {true, 10, false}, ZRPositionRight, Rect(605, 40, 495, 800)},
        // Gaps at the edges too.
        {"edges full", {true, 10, true}, ZRPositionFull, Rect(110, 50, 980, 780)},
        {"edges centre", {true, 10, true}, ZRPositionCenter, Rect(110, 50, 980, 780)},
        {"edges right", {true, 10, true}, ZRPositionRight, Rect(605, 50, 485, 780)},
        {"edges top left", {true, 10, true}, ZRPositionTopLeft, Rect(110, 445, 485, 385)},
        {"edges bottom right", {true, 10, true}, ZRPositionBottomRight, Rect(605, 50, 485, 385)},
        // An odd gap keeps its odd point; the right and upper parts take the spare point.
        {"odd full", {true, 7, true}, ZRPositionFull, Rect(107, 47, 986, 786)},
        {"odd left", {true, 7, true}, ZRPositionLeft, Rect(107, 47, 489, 786)},
        {"odd right", {true, 7, true}, ZRPositionRight, Rect(603, 47, 490, 786)},
        {"odd top", {true, 7, true}, ZRPositionTop, Rect(107, 443, 986, 390)},
        // A gap below 1 counts as 1; spacing off ignores the gap.
        {"gap 0 counts as 1", {true, 0, true}, ZRPositionFull, Rect(101, 41, 998, 798)},
        {"spacing off", {false, 10, true}, ZRPositionLeft, Rect(100, 40, 500, 800)},
    };
    for (const Case& c : cases) {
        applySpacing(settings(), c.spacing);
        EXPECT_EQ(
            ZRGridGeometry::windowFrameAtPosition(c.position, Usable, Rect(100, 0, 1000, 860), settings()),
            c.expected)
            << c.name;
    }
    EXPECT_EQ(ZRGridGeometry::windowFrameAtPosition(ZRPositionFull, Rect(), Rect(0, 0, 10, 10), settings()),
              Rect());
}

TEST_F(GeometryTest, SpacingSettingsAreClampedAndMadeEven) {
    struct Case {
        Spacing spacing;
        double gap;
        bool edges;
        bool odd;
    };
    const std::vector<Case> cases = {
        {{false, 10, true}, 0, true, false},     {{true, 10, false}, 10, false, false},
        {{true, 7, true}, 6, true, true},        {{true, -5, false}, 0, false, true},
        {{true, 500, false}, 100, false, false},
    };
    for (const Case& c : cases) {
        applySpacing(settings(), c.spacing);
        bool edges = !c.edges;
        bool odd = !c.odd;
        EXPECT_EQ(ZRGridGeometry::spacingAppliedToEdges(&edges, &odd, settings()), c.gap) << c.spacing.gap;
        EXPECT_EQ(edges, c.edges) << c.spacing.gap;
        EXPECT_EQ(odd, c.odd) << c.spacing.gap;
    }
    EXPECT_EQ(ZRGridGeometry::spacingAppliedToEdges(nullptr, nullptr, settings()), 100);
    // A gap wider than the frame leaves the frame whole rather than empty.
    EXPECT_EQ(ZRGridInnerFrame(100, Rect(0, 0, 150, 150), true, false), Rect(0, 0, 150, 150));
}

TEST_F(GeometryTest, InnerFrameEdgesOfGridFrames) {
    applySpacing(settings(), {true, 10, true});
    const struct {
        std::int64_t position;
        bool right;
        bool bottom;
    } cases[] = {{ZRPositionRight, true, false},      {ZRPositionBottom, false, true},
                 {ZRPositionTopRight, true, false},   {ZRPositionBottomLeft, false, true},
                 {ZRPositionBottomRight, true, true}, {ZRPositionTopLeft, false, false},
                 {ZRPositionFull, false, false}};
    for (const auto& c : cases) {
        bool right = !c.right;
        bool bottom = !c.bottom;
        ZRGridGeometry::innerFrame(
            ZRGridGeometry::windowFrameAtPosition(c.position, Usable, Usable, settings()), &right, &bottom,
            Usable, settings());
        EXPECT_EQ(right, c.right) << c.position;
        EXPECT_EQ(bottom, c.bottom) << c.position;
    }
    // Without the edge gap the usable frame's own edges count.
    applySpacing(settings(), {});
    bool right = false;
    bool bottom = false;
    ZRGridGeometry::innerFrame(Rect(600, 40, 500, 400), &right, &bottom, Usable, settings());
    EXPECT_TRUE(right);
    EXPECT_TRUE(bottom);
}

TEST_F(GeometryTest, RelativeFramesBothWays) {
    const Rect window(350, 240, 500, 400);
    const ZRRelativeFrame relative = ZRGridGeometry::relativeFrameFromWindowFrame(window, Usable);
    EXPECT_EQ(relative, Rect(0.25, 0.25, 0.5, 0.5));
    EXPECT_EQ(ZRGridGeometry::windowFrameFromRelativeFrame(relative, Usable), window);
    // Placed in another frame the fractions follow its size.
    EXPECT_EQ(ZRGridGeometry::windowFrameFromRelativeFrame(relative, Rect(-1920, 0, 1920, 1080)),
              Rect(-1440, 270, 960, 540));
    // Fractions are rounded to whole points, halves away from zero.
    EXPECT_EQ(
        ZRGridGeometry::windowFrameFromRelativeFrame(Rect(1.0 / 3, 0, 1.0 / 3, 0.5), Rect(0, 0, 1000, 801)),
        Rect(333, 0, 333, 401));
    // Nothing to be relative to, or fractions that are no numbers: no frame.
    EXPECT_EQ(ZRGridGeometry::relativeFrameFromWindowFrame(window, Rect()), Rect());
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(ZRGridGeometry::windowFrameFromRelativeFrame(Rect(nan, 0, 1, 1), Usable), Rect());
}

TEST_F(GeometryTest, CenteringGeometricAndOptical) {
    const Rect container(100, 50, 1000, 800);
    struct Case {
        const char* name;
        Size size;
        bool geometric;
        Rect expected;
    };
    const std::vector<Case> cases = {
        {"geometric", {400, 300}, true, Rect(400, 300, 400, 300)},
        {"optical: three quarters of the free height below", {400, 300}, false, Rect(400, 425, 400, 300)},
        {"odd horizontal slack rounds down", {401, 300}, true, Rect(399, 300, 401, 300)},
        {"slack of 3 is split in halves", {400, 797}, false, Rect(400, 51, 400, 797)},
        {"slack of 4 takes the optical rule", {400, 796}, false, Rect(400, 53, 400, 796)},
        {"taller than the container keeps its top edge", {400, 900}, false, Rect(400, -50, 400, 900)},
        {"taller, geometric, overflows evenly", {400, 900}, true, Rect(400, 0, 400, 900)},
        {"wider than the container", {1200, 300}, true, Rect(0, 300, 1200, 300)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZRCenteredFrame(Rect(Point{7, 9}, c.size), container, c.geometric), c.expected) << c.name;
    }
}

TEST_F(GeometryTest, ConfiningKeepsTheSize) {
    const Rect container(0, 0, 1000, 800);
    const struct {
        Rect frame;
        Rect expected;
    } cases[] = {
        {Rect(100, 100, 200, 100), Rect(100, 100, 200, 100)},
        {Rect(900, 100, 200, 100), Rect(800, 100, 200, 100)},
        {Rect(-50, -20, 100, 100), Rect(0, 0, 100, 100)},
        {Rect(100, 750, 100, 100), Rect(100, 700, 100, 100)},
        {Rect(300, 100, 1200, 100), Rect(0, 100, 1200, 100)},
        {Rect(100, 300, 100, 900), Rect(100, 0, 100, 900)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZRConfineFrame(c.frame, container), c.expected) << stringFromRect(c.frame).toStdString();
    }
}

TEST_F(GeometryTest, StickyEdges) {
    const Rect full(0, 0, 1000, 800);
    const struct {
        const char* name;
        Rect frame;
        bool right;
        bool bottom;
    } cases[] = {
        {"right half", Rect(500, 0, 500, 800), true, false},
        {"bottom right quarter", Rect(500, 0, 500, 400), true, true},
        {"bottom left quarter", Rect(0, 0, 500, 400), false, true},
        {"full", full, false, false},
        {"top half", Rect(0, 400, 1000, 400), false, false},
        {"within a tenth", Rect(500.05, 0.08, 499.9, 400), true, true},
        {"beyond a tenth", Rect(500, 0.2, 499.7, 400), false, false},
    };
    for (const auto& c : cases) {
        const ZRStickyEdges edges = ZRStickyEdgeFlags(c.frame, full, settings());
        EXPECT_EQ(edges.keepRightEdge, c.right) << c.name;
        EXPECT_EQ(edges.keepBottomEdge, c.bottom) << c.name;
    }
    set(QStringLiteral("Sticky Edge Correction: Right"), true);
    EXPECT_TRUE(ZRStickyEdgeFlags(Rect(0, 0, 500, 800), full, settings()).keepRightEdge);
    EXPECT_FALSE(ZRStickyEdgeFlags(Rect(0, 0, 500, 800), full, settings()).keepBottomEdge);
    set(QStringLiteral("Sticky Edge Correction: Bottom"), true);
    EXPECT_TRUE(ZRStickyEdgeFlags(Rect(0, 400, 500, 400), full, settings()).keepBottomEdge);
}

TEST_F(GeometryTest, FlippingBetweenScreensOfDifferentHeights) {
    EXPECT_EQ(ZRFlipPoint(Point{10, 20}), (Point{10, -20})) << "no screen: height 0";
    desktop.addScreen(Rect(0, 0, 1440, 900));
    desktop.addScreen(Rect(1440, -300, 1920, 1200));
    const struct {
        Rect cocoa;
        Rect quartz;
    } cases[] = {
        {Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 900)},
        {Rect(1440, -300, 1920, 1200), Rect(1440, 0, 1920, 1200)},
        {Rect(1500, -200, 400, 300), Rect(1500, 800, 400, 300)},
        {Rect(100, 800, 200, 100), Rect(100, 0, 200, 100)},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZRFlipRect(c.cocoa), c.quartz);
        EXPECT_EQ(ZRFlipRect(c.quartz), c.cocoa);
    }
    EXPECT_EQ(ZRFlipPoint(Point{2000, 800}), (Point{2000, 100}));
    EXPECT_EQ(ZRFlipPoint(ZRFlipPoint(Point{2000, -250})), (Point{2000, -250}));
}

TEST_F(GeometryTest, GridDimensionsWithExtendedRules) {
    const QString key = QStringLiteral("Mouse Controls Grid: Columns");
    const QString limitKey = key + QStringLiteral(": Limit");
    const QString deltaKey = limitKey + QStringLiteral(": Delta");
    struct Case {
        const char* name;
        qint64 setting;
        QVariant limit;
        QVariant delta;
        bool extended;
        std::int64_t size;
        std::int64_t expectedLimit;
        std::int64_t expectedDelta;
        QString description;
    };
    const std::vector<Case> cases = {
        {"plain", 4, {}, {}, true, 4, 0, 0, QStringLiteral("4")},
        {"above the maximum", 70, {}, {}, true, 50, 0, 0, QStringLiteral("50")},
        {"below the minimum", -3, {}, {}, true, 1, 0, 0, QStringLiteral("1")},
        {"narrower than", 4, 300, {}, true, 4, 300, 2, QStringLiteral("4<300")},
        {"wider than", 8, -300, {}, true, 8, -300, 2, QStringLiteral("8>300")},
        {"small limits grow to the minimum points", 4, 50, {}, true, 4, 100, 2, QStringLiteral("4<100")},
        {"explicit step", 4, 300, 3, true, 4, 300, 3, QStringLiteral("4<300+3")},
        {"step capped by the room", 4, 300, 60, true, 4, 300, 46, QStringLiteral("4<300+46")},
        {"shrinking step", 8, -300, 5, true, 8, -300, 5, QStringLiteral("8>300-5")},
        {"room of one", 49, 300, {}, true, 49, 300, 1, QStringLiteral("49<300")},
        {"no room to shrink", 1, -300, {}, true, 1, 0, 0, QStringLiteral("1")},
        {"no room to grow", 50, 300, {}, true, 50, 0, 0, QStringLiteral("50")},
        {"without extended rules", 4, 300, 3, false, 4, 0, 0, QStringLiteral("4")},
    };
    for (const Case& c : cases) {
        set(key, c.setting);
        set(limitKey, c.limit);
        set(deltaKey, c.delta);
        std::int64_t limit = -1;
        std::int64_t delta = -1;
        QString description;
        EXPECT_EQ(ZRGridGeometry::sizeOfGridDimension(key, nullptr, &limit, &delta, &description, c.extended,
                                                      settings()),
                  c.size)
            << c.name;
        EXPECT_EQ(limit, c.expectedLimit) << c.name;
        EXPECT_EQ(delta, c.expectedDelta) << c.name;
        EXPECT_EQ(description, c.description) << c.name;
    }
}

TEST_F(GeometryTest, GridDimensionsPreferTheDictionaryAndItsRules) {
    const QString key = QStringLiteral("Configuration Grid: Rows");
    set(key, 4);
    set(key + QStringLiteral(": Limit"), 300);
    const QVariantMap dictionary = {{key, 3}, {key + QStringLiteral(": Limit"), -200}};
    std::int64_t limit = 0;
    QString description;
    EXPECT_EQ(ZRGridGeometry::sizeOfGridDimension(key, &dictionary, &limit, nullptr, &description, true,
                                                  settings()),
              3);
    EXPECT_EQ(limit, -200);
    EXPECT_EQ(description, QStringLiteral("3>200"));
    // A dictionary without a usable size leaves both size and rules to the settings.
    const QVariantMap unusable = {{key, 0}, {key + QStringLiteral(": Limit"), -200}};
    EXPECT_EQ(
        ZRGridGeometry::sizeOfGridDimension(key, &unusable, &limit, nullptr, &description, true, settings()),
        4);
    EXPECT_EQ(limit, 300);
    set(QStringLiteral("Grid: Maximum Dimension Size"), 3);
    EXPECT_EQ(ZRGridGeometry::sizeOfGridDimension(key, nullptr, nullptr, nullptr, nullptr, false, settings()),
              3);
}

TEST_F(GeometryTest, GridDimensionSuggestions) {
    QVariantList suggested = {QStringLiteral("ZRTextFieldSuggestionsSectionSuggested")};
    for (int size = 1; size <= 9; ++size)
        suggested.append(QString::number(size));
    EXPECT_EQ(ZRGridGeometry::gridDimensionSuggestions(settings()), suggested);

    set(QStringLiteral("Configuration Grid: Columns"), 6);
    set(QStringLiteral("Configuration Grid: Rows"), 4);
    set(QStringLiteral("Mouse Controls Grid: Columns"), 6);
    set(QStringLiteral("Mouse Controls Grid: Rows"), 0);
    ZRGridGeometry::setGridDimensionsInUseProvider([] { return std::vector<std::int64_t>{12, 3, 99}; });
    const QVariantList expected = QVariantList{QStringLiteral("ZRTextFieldSuggestionsSectionCurrentlyUsed"),
                                               QStringLiteral("3"),
                                               QStringLiteral("4"),
                                               QStringLiteral("6"),
                                               QStringLiteral("12"),
                                               QString()} +
                                  suggested;
    EXPECT_EQ(ZRGridGeometry::gridDimensionSuggestions(settings()), expected);
    ZRGridGeometry::setGridDimensionsInUseProvider({});
}

TEST_F(GeometryTest, PositionPredicatesOverEveryCode) {
    struct Case {
        const char* name;
        std::function<bool(std::int64_t)> predicate;
        std::set<std::int64_t> yes;
    };
    const std::vector<Case> cases = {
        {"top", ZRPositionIsTop, {3, 4, 10, 11}},
        {"right", ZRPositionIsRight, {4, 5, 6, 12}},
        {"bottom", ZRPositionIsBottom, {6, 7, 8, 13}},
        {"left", ZRPositionIsLeft, {8, 9, 10, 14}},
        {"horizontally centred",
         [](std::int64_t p) { return ZRPositionIsHorizontallyCentered(p, false); },
         {1, 11, 13}},
        {"horizontally centred with plain edges",
         [](std::int64_t p) { return ZRPositionIsHorizontallyCentered(p, true); },
         {1, 3, 7, 11, 13}},
        {"vertically centred",
         [](std::int64_t p) { return ZRPositionIsVerticallyCentered(p, false); },
         {1, 12, 14}},
        {"vertically centred with plain edges",
         [](std::int64_t p) { return ZRPositionIsVerticallyCentered(p, true); },
         {1, 5, 9, 12, 14}},
    };
    for (const Case& c : cases) {
        for (std::int64_t position = -1; position <= 15; ++position) {
            EXPECT_EQ(c.predicate(position), c.yes.contains(position)) << c.name << ", position " << position;
        }
    }
}

} // namespace
