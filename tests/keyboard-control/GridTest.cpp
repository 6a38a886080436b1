// The grid views on the simulated desktop: counts under the settings and the extended rules, the cells of
// each style, the hit test, the drag selection, the colours, the sizes of the overlay grid, its cells on
// the screen, where keyboard use starts, the placeholder's hover action and the focus window's preview.
#include "GridTestSupport.h"

#include "keyboard-control/ZRFullSizeOverlayGrid.h"
#include "toolkit/Appearance.h"

#include <memory>
#include <type_traits>

namespace {

const QString MouseColumns = ZRGridDimensionKey::MouseControlsGridColumns;
const QString MouseRows = ZRGridDimensionKey::MouseControlsGridRows;
const QString ConfigurationColumns = ZRGridDimensionKey::ConfigurationGridColumns;
const QString ConfigurationRows = ZRGridDimensionKey::ConfigurationGridRows;

using GridCountTest = GridTest;

TEST_F(GridCountTest, CountsFollowTheSettingsTheActionsOwnDimensionsAndTheExtendedRules) {
    const QString limit = MouseColumns + QStringLiteral(": Limit");
    const QString delta = limit + QStringLiteral(": Delta");
    struct Case {
        const char* name;
        bool overlay;
        ZRGridStyle style;
        Rect usable;
        QVariantMap settings;
        QVariantMap dictionary;
        std::int64_t columns;
        std::int64_t rows;
    };
    const Case cases[] = {
        {"the configuration defaults", false, ZRGridStyleRectangles, {}, {}, {}, 6, 4},
        {"style 1 holds one more point per axis", false, ZRGridStylePoints, {}, {}, {}, 7, 5},
        {"the configuration grid knows no extended rules",
         false,
         ZRGridStyleRectangles,
         {},
         {{ConfigurationColumns, 4}, {ConfigurationColumns + QStringLiteral(": Limit"), 300}},
         {},
         4,
         4},
        {"a portrait screen swaps", true, ZRGridStyleHexagons, Rect(0, 0, 1080, 1920), {}, {}, 4, 6},
        {"unless the swap is off",
         true,
         ZRGridStyleHexagons,
         Rect(0, 0, 1080, 1920),
         {{ZROverlayGrid::SwapDimensionsOnPortraitDisplaysKey, false}},
         {},
         6,
         4},
        {"4<300 grows to 8 on 1920 points",
         true,
         ZRGridStyleHexagons,
         Rect(0, 0, 1920, 1080),
         {{MouseColumns, 4}, {limit, 300}, {delta, 2}},
         {},
         8,
         4},
        {"8>300 shrinks to 6",
         true,
         ZRGridStyleHexagons,
         Rect(0, 0, 1920, 1080),
         {{MouseColumns, 8}, {limit, -300}, {delta, 2}},
         {},
         6,
         4},
        {"shrinking stops at the minimum",
         true,
         ZRGridStyleHexagons,
         Rect(0, 0, 1920, 1080),
         {{MouseColumns, 3}, {limit, -1000}},
         {},
         1,
         4},
        {"no rules without a usable frame",
         true,
         ZRGridStyleHexagons,
         {},
         {{MouseColumns, 4}, {limit, 300}, {delta, 2}},
         {},
         4,
         4},
        {"the action's own dimensions come first",
         true,
         ZRGridStyleHexagons,
         Rect(0, 0, 1920, 1080),
         {},
         {{MouseColumns, 3}, {MouseRows, 2}},
         3,
         2},
    };
    for (const Case& c : cases) {
        for (auto it = c.settings.begin(); it != c.settings.end(); ++it)
            set(it.key(), it.value());
        std::unique_ptr<ZRGridPrototype> grid;
        if (c.overlay) {
            auto overlay = std::make_unique<StyledOverlayGrid>(keyboardControl(), c.style);
            overlay->setRepresentedSkafableFrame(c.usable);
            grid = std::move(overlay);
        } else {
            grid = std::make_unique<StyledConfigurationGrid>(settings(), desktop, c.style);
        }
        grid->setPreferredGridDimensionsDictionary(c.dictionary);
        std::int64_t columns = 0;
        std::int64_t rows = 0;
        grid->determineColumns(&columns, &rows);
        EXPECT_EQ(columns, c.columns) << c.name;
        EXPECT_EQ(rows, c.rows) << c.name;
        EXPECT_EQ(grid->numberOfColumns(), 0) << c.name << ": counting alone does not allocate";
        grid->determineColumns(nullptr, nullptr, true);
        EXPECT_EQ(grid->numberOfColumns(), c.columns) << c.name;
        EXPECT_EQ(grid->allocatedNumberOfRows(), c.rows) << c.name;
        for (auto it = c.settings.begin(); it != c.settings.end(); ++it)
            settings().removeObject(it.key());
    }
}

TEST_F(GridCountTest, AGridWithoutSettingsKeysHasNoCellsAndIgnoresThePointer) {
    ZRGridPrototype grid(settings());
    grid.setGeometry(0, 0, 100, 100);
    int sent = 0;
    grid.setAction([&sent](ZRGridPrototype&) { ++sent; });
    std::int64_t columns = -1;
    std::int64_t rows = -1;
    grid.determineColumns(&columns, &rows, true);
    EXPECT_EQ(columns, 0);
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(grid.nonRectangularRepresentationCells().isEmpty());
    const ZRGridEvent middle = at(grid, 50, 50);
    EXPECT_EQ(grid.coordinatesFromEvent(&middle, true), ZRGridCoordinatesNone);
    EXPECT_FALSE(grid.mouseDown(middle));
    grid.mouseUp();
    EXPECT_EQ(sent, 0);
    EXPECT_FALSE(grid.grab().isNull()) << "draws nothing, without failing";
}

TEST_F(GridCountTest, CountsChangedAfterTheCellsWereMadeReachNoFurtherThanTheCells) {
    const auto grid = configurationGrid();
    grid->setNumberOfColumns(50);
    grid->setNumberOfRows(50);
    const ZRGridEvent corner = at(*grid, grid->width() - 2, grid->height() - 2);
    EXPECT_EQ(grid->coordinatesFromEvent(&corner, true), ZRGridCoordinatesMake(5, 3));
    EXPECT_EQ(grid->cellColorForColumn(49, 49, false), grid->cellColorForColumn(0, 0, true));
    grid->setHoverCoordinates(ZRGridCoordinatesMake(49, 49));
    grid->setDraggedToCoordinates(ZRGridCoordinatesMake(0, 0));
    grid->setDragging(true);
    EXPECT_FALSE(grid->grab().isNull());
    grid->determineColumns(nullptr, nullptr, true);
    EXPECT_EQ(grid->numberOfColumns(), 6);
}

// --- Cells

using GridLayoutTest = GridTest;

TEST_F(GridLayoutTest, RectanglesHaveOnePointGapsAndTheLastColumnAndRowTakeTheRounding) {
    struct Case {
        int width;
        int columns;
        int rows;
    };
    for (const Case c : {Case{300, 6, 4}, Case{301, 7, 3}, Case{97, 1, 1}, Case{50, 9, 9}}) {
        set(ConfigurationColumns, c.columns);
        set(ConfigurationRows, c.rows);
        const auto grid = configurationGrid(nullptr, c.width);
        const auto& cells = grid->representationCellFrame();
        ASSERT_EQ(cells.numberOfColumns(), c.columns);
        const std::string name =
            std::to_string(c.columns) + "x" + std::to_string(c.rows) + " in " + std::to_string(c.width);
        for (int r = 0; r < c.rows; ++r) {
            for (int col = 0; col < c.columns; ++col) {
                const Rect& cell = *cells.at(col, r);
                EXPECT_GT(cell.width(), 0) << name;
                EXPECT_EQ(cell.x(), std::round(cell.x())) << name << ": cells start on whole points";
                if (col == 0) {
                    EXPECT_EQ(cell.x(), 0) << name;
                }
                if (col + 1 < c.columns) {
                    EXPECT_EQ(cells.at(col + 1, r)->x() - cell.maxX(), 1) << name;
                } else {
                    EXPECT_EQ(cell.maxX(), grid->width()) << name;
                }
                if (r + 1 < c.rows) {
                    EXPECT_EQ(cells.at(col, r + 1)->y() - cell.maxY(), 1) << name;
                } else {
                    EXPECT_EQ(cell.maxY(), grid->height()) << name;
                }
            }
        }
    }
}

TEST_F(GridLayoutTest, TheConfigurationGridTakesTheFirstScreensProportionsAndItsCellsReachTheEdge) {
    struct Case {
        const char* name;
        Rect visibleFrame;
        int width;
        int rows;
        int height;
    };
    const Case cases[] = {
        {"a wide screen", Rect(0, 0, 1920, 1080), 300, 4, 169},
        {"a portrait screen: a square", Rect(0, 0, 1080, 1920), 300, 4, 300},
        {"a very flat screen: ten points a row", Rect(0, 0, 3840, 400), 300, 4, 40},
        {"a very flat screen and a narrow grid: its width", Rect(0, 0, 3840, 400), 30, 4, 30},
    };
    for (const Case& c : cases) {
        desktop.setScreenFrame(screen, Rect(0, 0, c.visibleFrame.width(), c.visibleFrame.height()),
                               c.visibleFrame);
        set(ConfigurationColumns, 7);
        set(ConfigurationRows, c.rows);
        const auto grid = configurationGrid(nullptr, c.width);
        EXPECT_EQ(grid->height(), c.height) << c.name;
        const auto& relative = grid->representedRelativeCellFrame();
        EXPECT_EQ(relative.at(6, 0)->maxX(), 1) << c.name;
        EXPECT_EQ(relative.at(0, c.rows - 1)->maxY(), 1) << c.name;
        EXPECT_EQ(*relative.at(1, 1), Rect(1 / 7.0, 1.0 / c.rows, 1 / 7.0, 1.0 / c.rows)) << c.name;
    }
}

TEST_F(GridLayoutTest, HexagonsStayInTheirRectangleAndShareHalfAPointWithTheirNeighbours) {
    for (const bool invertOffset : {false, true}) {
        set(ZRGridPrototype::HexagonGridInvertHorizontalOffsetKey, invertOffset);
        const auto grid = configurationGrid(
            std::make_unique<StyledConfigurationGrid>(settings(), desktop, ZRGridStyleHexagons));
        const auto& cells = grid->nonRectangularRepresentationCells();
        ASSERT_EQ(cells.numberOfColumns(), 6);
        const QRectF bounds = QRectF(0, 0, grid->width(), grid->height()).adjusted(-0.5, -0.5, 0.5, 0.5);
        for (int r = 0; r < 4; ++r) {
            for (int c = 0; c < 6; ++c) {
                const QRectF box = cells.at(c, r)->path.boundingRect();
                EXPECT_TRUE(bounds.contains(box)) << c << "," << r << " invert " << invertOffset;
                if (c + 1 < 6) {
                    EXPECT_NEAR(box.right() - cells.at(c + 1, r)->path.boundingRect().left(), 0.5, 1e-9);
                }
            }
            if (r + 1 < 4) {
                // Each row sits half a hexagon right of the one below, or left with the offset inverted.
                const double shift = cells.at(0, r + 1)->path.boundingRect().left() -
                                     cells.at(0, r)->path.boundingRect().left();
                const double half = (cells.at(0, r)->path.boundingRect().width() - 0.5) / 2;
                EXPECT_NEAR(shift, invertOffset ? -half : half, 1e-9) << "row " << r;
            }
        }
    }
}

TEST_F(GridLayoutTest, CirclesAndPointsCarryTheirCentresWithGapsOfThreeTenthsOfASlot) {
    for (const ZRGridStyle style : {ZRGridStyleCircles, ZRGridStylePoints}) {
        const auto grid =
            configurationGrid(std::make_unique<StyledConfigurationGrid>(settings(), desktop, style));
        const auto& cells = grid->nonRectangularRepresentationCells();
        const std::int64_t n = cells.numberOfColumns();
        const std::int64_t m = cells.numberOfRows();
        ASSERT_EQ(n, style == ZRGridStylePoints ? 7 : 6);
        const double slot = grid->width() / (double(n) + 0.3 * double(n - 1));
        for (std::int64_t r = 0; r < m; ++r) {
            for (std::int64_t c = 0; c < n; ++c) {
                const auto& cell = *cells.at(c, r);
                ASSERT_TRUE(cell.center.has_value());
                EXPECT_EQ(*cell.center, cell.path.boundingRect().center());
                EXPECT_TRUE(QRectF(0, 0, grid->width(), grid->height())
                                .adjusted(-1e-9, -1e-9, 1e-9, 1e-9)
                                .contains(cell.path.boundingRect()));
                if (c + 1 < n) {
                    EXPECT_NEAR(cells.at(c + 1, r)->center->x() - cell.center->x(), 1.3 * slot, 1e-9);
                }
            }
        }
        if (style == ZRGridStylePoints) {
            // The points' matrix spans the view without gaps.
            EXPECT_NEAR(grid->representationCellFrame().at(n - 1, 0)->maxX(), grid->width(), 1e-9);
            EXPECT_NEAR(grid->representationCellFrame().at(1, 0)->x(),
                        grid->representationCellFrame().at(0, 0)->maxX(), 1e-9);
        }
    }
}

// --- Hit test and drag selection

using GridInputTest = GridTest;

TEST_F(GridInputTest, APointHitsTheCellWithinOnePointAndGapsGoToTheCellScannedFirst) {
    const auto grid = configurationGrid();
    const auto& cells = grid->representationCellFrame();
    const Rect first = *cells.at(0, 0);
    const Rect second = *cells.at(1, 0);
    struct Case {
        const char* name;
        double x;
        double y;
        ZRGridCoordinates expected;
    };
    const Case cases[] = {
        {"inside", cells.at(2, 1)->midX(), cells.at(2, 1)->midY(), {2, 1}},
        {"a point left of the first cell", -1, first.midY(), {0, 0}},
        {"further out", -1.5, first.midY(), ZRGridCoordinatesNone},
        {"the gap between two columns", first.maxX() + 0.5, first.midY(), {0, 0}},
        {"the gap between two rows", second.midX(), second.maxY() + 0.5, {1, 0}},
        {"above the top row", first.midX(), grid->height() + 5.0, ZRGridCoordinatesNone},
    };
    for (const Case& c : cases) {
        const ZRGridEvent event = at(*grid, c.x, c.y);
        EXPECT_EQ(grid->coordinatesFromEvent(&event, false), c.expected) << c.name;
    }
    EXPECT_EQ(grid->coordinatesFromEvent(nullptr, false), ZRGridCoordinatesNone);
    // Qt's widget coordinates run down: its top left is the left cell of the top row.
    const ZRGridEvent topLeft{grid->mapToGlobal(QPointF(2, 2))};
    EXPECT_EQ(grid->coordinatesFromEvent(&topLeft, false), ZRGridCoordinatesMake(0, 3));

    grid->setPlaceholder(true);
    EXPECT_EQ(grid->toolTip(), QStringLiteral("Standard Grid"));
    const ZRGridEvent inside = at(*grid, 290, 5);
    const ZRGridEvent outside = at(*grid, 301, 5);
    EXPECT_EQ(grid->coordinatesFromEvent(&inside, false), ZRGridCoordinatesMake(0, 0));
    EXPECT_EQ(grid->coordinatesFromEvent(&outside, false), ZRGridCoordinatesNone);
    grid->setPlaceholder(false);
    EXPECT_TRUE(grid->toolTip().isEmpty());
}

TEST_F(GridInputTest, ADragSelectsTheCellsBetweenItsEndsAndEndsWithoutTheActionOutsideOrOnAKey) {
    const auto grid = configurationGrid();
    int sent = 0;
    grid->setAction([&sent](ZRGridPrototype&) { ++sent; });
    grid->setRepresentedRelativeWindowFrame(Rect(0.5, 0.5, 0.5, 0.5));

    // A press outside every cell starts nothing.
    EXPECT_FALSE(grid->mouseDown(at(*grid, 400, 20)));
    EXPECT_EQ(grid->hoverCoordinates(), ZRGridCoordinatesNone);

    ASSERT_TRUE(grid->mouseDown(atCell(*grid, 3, 2)));
    EXPECT_TRUE(grid->dragging());
    grid->mouseDragged(atCell(*grid, 1, 1));
    EXPECT_EQ(grid->draggedToCoordinates(), ZRGridCoordinatesMake(1, 1));
    grid->mouseUp();
    EXPECT_EQ(sent, 1);
    EXPECT_TRUE(
        rectsAreNearlyEqual(grid->representedRelativeWindowFrame(), Rect(1 / 6.0, 0.25, 0.5, 0.5), 1e-9));
    EXPECT_FALSE(grid->dragging());
    EXPECT_EQ(grid->draggedToCoordinates(), ZRGridCoordinatesNone);
    EXPECT_EQ(grid->hoverCoordinates(), ZRGridCoordinatesMake(1, 1)) << "the hover stays at the end";

    const Rect before = grid->representedRelativeWindowFrame();
    ASSERT_TRUE(grid->mouseDown(atCell(*grid, 0, 0)));
    grid->mouseDragged(at(*grid, 500, 500));
    grid->mouseUp();
    ASSERT_TRUE(grid->mouseDown(atCell(*grid, 0, 0)));
    grid->mouseDragged(atCell(*grid, 5, 3));
    grid->cancelDragSelection();
    EXPECT_EQ(sent, 1) << "ending outside or on a key sends nothing";
    EXPECT_EQ(grid->representedRelativeWindowFrame(), before);
    EXPECT_EQ(grid->hoverCoordinates(), ZRGridCoordinatesNone);
    EXPECT_FALSE(grid->isTrackingMouseDown());
}

TEST_F(GridInputTest, PointsNeedExtentInBothDirectionsAndAPlaceholderSendsAsItIs) {
    const auto points =
        configurationGrid(std::make_unique<StyledConfigurationGrid>(settings(), desktop, ZRGridStylePoints));
    EXPECT_FALSE(dragBetween(*points, {1, 1}, {1, 3})) << "one column";
    EXPECT_FALSE(dragBetween(*points, {1, 1}, {4, 1})) << "one row";
    ASSERT_TRUE(dragBetween(*points, {4, 3}, {1, 1}));
    // Between points 1 and 4 of 6 columns, and 1 and 3 of 4 rows.
    EXPECT_TRUE(rectsAreNearlyEqual(points->representedRelativeWindowFrame(),
                                    Rect(1 / 7.0, 1 / 5.0, 3 / 7.0, 2 / 5.0), 1e-9))
        << stringFromRect(points->representedRelativeWindowFrame()).toStdString();

    const auto placeholder = configurationGrid();
    placeholder->setPlaceholder(true);
    placeholder->setRepresentedRelativeWindowFrame(Rect(0, 0, 1, 1));
    EXPECT_TRUE(dragBetween(*placeholder, {0, 0}, {0, 0}));
    EXPECT_EQ(placeholder->representedRelativeWindowFrame(), Rect(0, 0, 1, 1)) << "no selection to store";
}

TEST_F(GridInputTest, ADragAlongASingleRowMayStrayAboveItExceptOnAFullSizeGrid) {
    set(ConfigurationColumns, 3);
    set(ConfigurationRows, 1);
    const auto row = configurationGrid();
    row->setAction([](ZRGridPrototype&) {});
    ASSERT_TRUE(row->mouseDown(atCell(*row, 0, 0)));
    row->mouseDragged(at(*row, row->representationCellFrame().at(2, 0)->midX(), row->height() + 40));
    EXPECT_EQ(row->draggedToCoordinates(), ZRGridCoordinatesMake(2, 0));
    row->cancelDragSelection();

    set(MouseColumns, 3);
    set(MouseRows, 1);
    const auto full = overlayGrid<ZRFullSizeOverlayGrid>(Rect(0, 0, 900, 300));
    full->setAction([](ZRGridPrototype&) {});
    ASSERT_TRUE(full->mouseDown(atCell(*full, 0, 0)));
    full->mouseDragged(at(*full, full->representationCellFrame().at(2, 0)->midX(), full->height() + 40));
    EXPECT_EQ(full->draggedToCoordinates(), ZRGridCoordinatesNone);
    full->cancelDragSelection();
}

// --- Colours

using GridColourTest = GridTest;

TEST_F(GridColourTest, CellsDarkenWithTheShareTheFrameCoversInEitherScheme) {
    const auto grid = configurationGrid();
    const Rect cell = *grid->representedRelativeCellFrame().at(0, 0);
    grid->setRepresentedRelativeWindowFrame(Rect(0, 0, cell.width() / 2, cell.height()));
    for (const bool dark : {false, true}) {
        desktop.workspace().setDarkAppearance(dark);
        const double alpha = dark ? 0.2 + 0.55 * 0.5 : 0.25 + 0.7 * 0.5;
        EXPECT_NEAR(grid->cellColorForColumn(0, 0, false).alphaF(), alpha, 1e-3) << "dark " << dark;
        EXPECT_EQ(grid->cellColorForColumn(0, 0, false).lightnessF(), dark ? 0 : 1);
        EXPECT_NEAR(grid->cellColorForColumn(0, 0, true).alphaF(), dark ? 0.2 + 0.55 * 0.2 : 0.25 + 0.7 * 0.2,
                    1e-3)
            << "the wireframe colour";
        EXPECT_FALSE(grid->cellColorForColumn(6, 0, false) == grid->cellColorForColumn(5, 0, false))
            << "outside the matrix, as in wireframe";
    }

    // A grid for an empty usable frame has cells without area: they read as uncovered.
    const auto overlay = overlayGrid<StyledOverlayGrid>(
        Rect(), std::make_unique<StyledOverlayGrid>(keyboardControl(), ZRGridStyleRectangles));
    overlay->setRepresentedWindowFrame(Rect(0, 0, 100, 100));
    EXPECT_EQ(overlay->cellColorForColumn(0, 0, false),
              ZROverlayGrid::cellColorWithIntersection(0, settings()));
}

TEST_F(GridColourTest, TheOverlaySchemeComesFromTheInversionSetting) {
    const QString key = ZROverlayGrid::colorInversionKey();
    EXPECT_EQ(key, QStringLiteral("Invert Overlays: Mouse"));
    struct Case {
        const char* name;
        QVariant value;
        bool dark;
        std::int64_t scheme;
    };
    const Case cases[] = {
        {"no setting, light", QVariant(), false, 2},
        {"no setting, dark", QVariant(), true, 1},
        {"\"Classic\"", QStringLiteral("Classic"), false, 0},
        {"YES", true, true, 2},
        {"NO", false, false, 1},
        {"the text \"YES\"", QStringLiteral("YES"), true, 2},
        {"the text \"0\"", QStringLiteral("0"), false, 1},
        {"a number", 1, true, 2},
        {"a list", QVariantList{1}, true, 1},
    };
    for (const Case& c : cases) {
        desktop.workspace().setDarkAppearance(c.dark);
        if (c.value.isValid())
            set(key, c.value);
        else
            settings().removeObject(key);
        EXPECT_EQ(ZROverlayGrid::colorScheme(settings()), c.scheme) << c.name;
        EXPECT_EQ(ZROverlayGrid::invertColors(settings()), c.scheme == 2) << c.name;
    }
    EXPECT_EQ(ZROverlayGrid::cellColorWithIntersection(1, true), calibratedWhite(0.3, 1));
    EXPECT_EQ(ZROverlayGrid::cellColorWithIntersection(0, false), calibratedWhite(0.4, 1));
}

// --- The overlay grid's size and cells

using OverlayGridTest = GridTest;

TEST_F(OverlayGridTest, TheHeightFollowsTheStyleTheScreenAndTheHexagonGap) {
    struct Case {
        const char* name;
        ZRGridStyle style;
        Rect usable;
        std::optional<int> gap;
        double height;
    };
    const Case cases[] = {
        {"rectangles in the screen's proportions", ZRGridStyleRectangles, Rect(0, 0, 1920, 1080), {}, 169},
        {"rectangles without a usable frame: a square", ZRGridStyleRectangles, Rect(), {}, 300},
        {"hexagons without a gap", ZRGridStyleHexagons, Rect(0, 0, 1920, 1080), 0, 160},
        {"hexagons with the default gap", ZRGridStyleHexagons, Rect(0, 0, 1920, 1080), {}, 160},
        {"hexagons with a gap of 9", ZRGridStyleHexagons, Rect(0, 0, 1920, 1080), 9, 156},
        {"a broken gap counts as the largest spacing", ZRGridStyleHexagons, Rect(0, 0, 1920, 1080), 1000000,
         112},
        {"circles", ZRGridStyleCircles, Rect(0, 0, 1920, 1080), {}, 200},
        {"points", ZRGridStylePoints, Rect(0, 0, 1920, 1080), {}, 215},
    };
    for (const Case& c : cases) {
        if (c.gap)
            set(ZRGridPrototype::HexagonGridGapKey, *c.gap);
        else
            settings().removeObject(ZRGridPrototype::HexagonGridGapKey);
        StyledOverlayGrid grid(keyboardControl(), c.style);
        grid.setRepresentedSkafableFrame(c.usable);
        grid.determineColumns(nullptr, nullptr, true);
        EXPECT_EQ(grid.heightCalculatedFromWidthOfFrame(Rect(0, 0, 300, 10)), c.height) << c.name;
        EXPECT_EQ(grid.adjustFrame(Rect(5, 6, 300, 10)), Rect(5, 6, 300, c.height)) << c.name;
    }
    StyledOverlayGrid empty(keyboardControl(), ZRGridStyleHexagons);
    EXPECT_EQ(empty.heightCalculatedFromWidthOfFrame(Rect(0, 0, 300, 10)), 300) << "no cells: a square";

    ZROverlayGrid placeholder(keyboardControl());
    placeholder.setPlaceholder(true);
    set(QStringLiteral("Palette Icon Size"), 40);
    Rect frame;
    placeholder.setGeometry(10, 10, 60, 60);
    placeholder.updateLayoutAfterAdjustingFrame(&frame);
    EXPECT_EQ(frame, Rect(10, 10, 60, 31)) << "a placeholder is as high as the palette's icons";
    EXPECT_EQ(placeholder.height(), 31);
}

TEST_F(OverlayGridTest, ScreenCellsSplitTheInnerFrameWithTheGridGapBetweenThem) {
    const Rect usable(100, 50, 600, 400);
    const auto cellsWithGap = [&](std::optional<int> gap) {
        set(QStringLiteral("Grid Spacing"), gap.has_value());
        set(QStringLiteral("Grid Spacing: Gap"), gap.value_or(0));
        return overlayGrid(usable,
                           std::make_unique<StyledOverlayGrid>(keyboardControl(), ZRGridStyleRectangles))
            ->representedCellFrame();
    };
    const auto plain = cellsWithGap({});
    EXPECT_EQ(*plain.at(0, 0), Rect(100, 50, 100, 100));
    EXPECT_EQ(*plain.at(5, 3), Rect(600, 350, 100, 100));

    const auto even = cellsWithGap(4);
    EXPECT_EQ(*even.at(0, 0), Rect(100, 50, 98, 98));
    EXPECT_EQ(*even.at(1, 1), Rect(202, 152, 96, 96));
    EXPECT_EQ(*even.at(5, 3), Rect(602, 352, 98, 98)) << "the last column and row reach the edge";

    const auto odd = cellsWithGap(5);
    for (std::int64_t r = 0; r < 4; ++r)
        for (std::int64_t c = 0; c < 6; ++c) {
            const Rect& e = *even.at(c, r);
            EXPECT_EQ(*odd.at(c, r), Rect(e.x(), e.y() + 1, e.width() - 1, e.height() - 1)) << c << "," << r;
        }

    set(QStringLiteral("Grid Spacing"), false);
    const auto points =
        overlayGrid(usable, std::make_unique<StyledOverlayGrid>(keyboardControl(), ZRGridStylePoints));
    const auto& pointCells = points->representedCellFrame();
    ASSERT_EQ(pointCells.numberOfColumns(), 7);
    EXPECT_EQ(*pointCells.at(0, 0), Rect(100, 50, 100, 100));
    EXPECT_EQ(*pointCells.at(5, 3), Rect(600, 350, 100, 100));
    EXPECT_EQ(pointCells.at(6, 4)->origin, Point(700, 450)) << "the last point lies on the far corner";
}

TEST_F(OverlayGridTest, KeyboardUseStartsAtTheTopLeftTheWindowOrTheCellNearestTheMouse) {
    const auto grid = overlayGrid(
        Rect(0, 0, 600, 400), std::make_unique<StyledOverlayGrid>(keyboardControl(), ZRGridStyleRectangles));
    grid->setRepresentedWindowFrame(Rect(250, 150, 100, 100));
    // The mouse on the line between the centres of (3, 1) and (3, 2).
    desktop.movePointer(Point(350, Screen.height() - 200));
    struct Case {
        std::int64_t setting;
        Rect window;
        ZRGridCoordinates expected;
    };
    const Case cases[] = {
        {0, Rect(250, 150, 100, 100), {0, 3}},
        {1, Rect(250, 150, 100, 100), {2, 2}},
        {1, Rect(), {0, 3}},
        {1, Rect(5000, 5000, 10, 10), {0, 3}},
        {2, Rect(), {3, 2}},
    };
    for (const Case& c : cases) {
        set(ZROverlayGrid::StartingPositionKey, qint64(c.setting));
        grid->setRepresentedWindowFrame(c.window);
        EXPECT_EQ(grid->startingCoordinates(), c.expected) << "setting " << c.setting;
    }
    ZROverlayGrid unlaid(keyboardControl());
    EXPECT_EQ(unlaid.startingCoordinates(), ZRGridCoordinatesMake(0, -1));
}

TEST_F(OverlayGridTest, APlaceholdersHoverRunsTheActionAfterTheTriggerDelayUnlessTheHoverMoves) {
    struct Case {
        double delay;
        double moveAwayAfter; // negative: stays
        double wait;
        int sent;
    };
    const Case cases[] = {
        {-1.0, -1, 10, 0}, {0.0, -1, 0, 1}, {0.5, -1, 0.4, 0}, {0.5, -1, 0.5, 1}, {0.5, 0.3, 1, 0},
    };
    for (const Case& c : cases) {
        set(ZROverlayGrid::HoverTriggerDelayKey, c.delay);
        ZROverlayGrid grid(keyboardControl());
        grid.setPlaceholder(true);
        grid.setGeometry(100, 100, 40, 40);
        grid.updateLayoutAfterAdjustingFrame(nullptr);
        grid.show();
        int sent = 0;
        grid.setAction([&sent](ZRGridPrototype& sender) {
            ++sent;
            EXPECT_EQ(sender.draggedToCoordinates(), ZRGridCoordinatesMake(0, 0));
        });
        const ZRGridEvent inside = at(grid, 10, 10);
        grid.updateHoverCoordinatesWithEvent(&inside);
        if (c.moveAwayAfter >= 0) {
            RunLoop::main().advance(c.moveAwayAfter);
            grid.updateHoverCoordinatesWithEvent(nullptr);
        }
        RunLoop::main().advance(c.wait);
        EXPECT_EQ(sent, c.sent) << "delay " << c.delay << " after " << c.wait;
        if (sent) {
            EXPECT_EQ(grid.hoverCoordinates(), ZRGridCoordinatesNone);
        }
    }
}

TEST_F(OverlayGridTest, TheFocusWindowPreviewsTheHoveredCellAndStaysBalancedAcrossEveryEndOfADrag) {
    ZRFocusWindow& focus = focusWindow();
    set(ZROverlayGrid::HoverHighlightDurationKey, 2.0);
    const auto grid = overlayGrid(Rect(0, 0, 600, 400));
    grid->setRepresentedWindowFrame(Rect(0, 0, 100, 100));
    grid->setAction([](ZRGridPrototype&) {});
    const ZRGridEvent hover = atCell(*grid, 1, 1);
    grid->updateHoverCoordinatesWithEvent(&hover);
    EXPECT_EQ(focus.outlineFrame(), *grid->representedCellFrame().at(1, 1));
    EXPECT_TRUE(focus.isActive()) << "for the highlight duration";
    RunLoop::main().advance(2.1);
    EXPECT_FALSE(focus.isActive());

    set(ZROverlayGrid::HoverHighlightDurationKey, 0.0);
    const std::pair<const char*, std::function<void(std::unique_ptr<ZROverlayGrid>&)>> ends[] = {
        {"a release", [](auto& g) { g->mouseUp(); }},
        {"a key", [](auto& g) { g->cancelDragSelection(); }},
        {"hiding", [](auto& g) { g->hide(); }},
        {"destruction", [](auto& g) { g.reset(); }},
    };
    for (const auto& [name, end] : ends) {
        auto dragged = overlayGrid(Rect(0, 0, 600, 400));
        dragged->setAction([](ZRGridPrototype&) {});
        ASSERT_TRUE(dragged->mouseDown(atCell(*dragged, 1, 1))) << name;
        dragged->mouseDragged(atCell(*dragged, 2, 2));
        EXPECT_EQ(focus.activeCounter(), 1) << name;
        EXPECT_EQ(focus.outlineFrame(),
                  dragged->representedCellFrame().at(1, 1)->united(*dragged->representedCellFrame().at(2, 2)))
            << name;
        end(dragged);
        EXPECT_EQ(focus.activeCounter(), 0) << name;
    }
}

TEST_F(OverlayGridTest, ThePalettesGridAnswersThroughThePalettesInterface) {
    QWidget palette;
    palette.resize(400, 400);
    palette.show();
    int sent = 0;
    ZROverlayGridInterface* grid =
        ZROverlayGrid::paletteGrid(keyboardControl(), &palette, [&](ZROverlayGridInterface& sender) {
            ++sent;
            EXPECT_EQ(sender.representedWindowFrame(), Rect(0, 270, 320, 270)) << "the cell selected";
        });
    ASSERT_EQ(grid->view()->parentWidget(), &palette);
    EXPECT_EQ(grid->gridStyle(), ZROverlayGridInterface::HexagonGridStyle);
    grid->setRepresentedSkafableFrame(Rect(0, 0, 1920, 1080));
    grid->setRepresentedWindowFrame(Rect(0, 0, 1920, 1080));
    std::int64_t columns = 0;
    std::int64_t rows = 0;
    grid->determineColumns(columns, rows);
    EXPECT_EQ(columns, 6);
    EXPECT_EQ(rows, 4);
    EXPECT_EQ(grid->updateLayoutAfterAdjustingFrame(Rect(10, 20, 300, 0)), Rect(10, 20, 300, 160));
    EXPECT_EQ(grid->view()->geometry(), QRect(10, 20, 300, 160));
    auto& overlay = static_cast<ZROverlayGrid&>(*grid);
    ASSERT_TRUE(overlay.mouseDown(atCell(overlay, 0, 1)));
    overlay.mouseUp();
    EXPECT_EQ(sent, 1);

    grid->setPlaceholder(true);
    EXPECT_TRUE(grid->placeholder());
    EXPECT_EQ(grid->updateLayoutAfterAdjustingFrame(Rect(0, 0, 40, 0)).height(), 14) << "the icons' height";
}

} // namespace
