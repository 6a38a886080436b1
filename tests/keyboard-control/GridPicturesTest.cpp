// Pictures of the grid views as the palette and the action editor show them, kept in build/screenshots on
// a backdrop of the scheme's panel colour (the configuration grid on a screen's blue): rectangles hovered and
// dragged, hexagons with and without the clear lines between them, the placeholder, in both colour schemes.
// Their pixels are read without the backdrop.
#include "GridTestSupport.h"
#include "ScreenPixels.h"

#include "toolkit/Appearance.h"

#include <QPainter>

namespace {

class GridPicturesTest : public GridTest {
protected:
    // The cells alone, on clear pixels.
    static QImage cells(QWidget& grid) {
        QImage image(grid.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        grid.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }
    // The picture on the panel it sits in, for a person to look at.
    static void save(const QImage& cells, bool dark, const QString& name, QColor background = {}) {
        QImage backdrop(cells.size() + QSize(20, 20), QImage::Format_ARGB32_Premultiplied);
        backdrop.fill(background.isValid() ? background : dark ? QColor(40, 40, 40) : QColor(236, 236, 236));
        QPainter(&backdrop).drawImage(10, 10, cells);
        saveScreenshot(backdrop, QStringLiteral("grid-") + name + (dark ? u"-dark" : u"-light"));
    }
    void useScheme(bool dark) {
        desktop.workspace().setDarkAppearance(dark);
        set(ZROverlayGrid::colorInversionKey(), !dark);
    }
    static QPoint pixelOf(const QWidget& grid, const Rect& cell) {
        return QPoint(int(cell.midX()), grid.height() - 1 - int(cell.midY()));
    }
    static bool same(QColor a, QColor b) {
        return std::abs(a.red() - b.red()) <= 2 && std::abs(a.green() - b.green()) <= 2 &&
               std::abs(a.blue() - b.blue()) <= 2 && std::abs(a.alpha() - b.alpha()) <= 2;
    }

    std::unique_ptr<StyledOverlayGrid> grid(ZRGridStyle style, int width = 300) {
        auto grid = std::make_unique<StyledOverlayGrid>(keyboardControl(), style);
        grid->setRepresentedSkafableFrame(Rect(0, 0, 1920, 1080));
        grid->setRepresentedWindowFrame(Rect(0, 540, 960, 540));
        grid->setGeometry(0, 0, width, 10);
        grid->show();
        grid->determineColumns(nullptr, nullptr, true);
        Rect frame;
        grid->updateLayoutAfterAdjustingFrame(&frame);
        grid->setAction([](ZRGridPrototype&) {});
        return grid;
    }
};

TEST_F(GridPicturesTest, RectanglesShowTheHoveredCellAtTheBottomLeftAndADragsSelection) {
    for (const bool dark : {false, true}) {
        useScheme(dark);
        const auto rectangles = grid(ZRGridStyleRectangles);
        const QColor highlight = ZRGridPrototype::cellHighlightColor(!dark);
        const auto& frames = rectangles->representationCellFrame();

        const ZRGridEvent hover = atCell(*rectangles, 0, 0);
        rectangles->updateHoverCoordinatesWithEvent(&hover);
        const QImage hovered = cells(*rectangles);
        save(hovered, dark, QStringLiteral("rectangles-hovered"));
        EXPECT_TRUE(same(hovered.pixelColor(pixelOf(*rectangles, *frames.at(0, 0))), highlight))
            << "row 0 is drawn at the bottom";
        EXPECT_FALSE(same(hovered.pixelColor(pixelOf(*rectangles, *frames.at(0, 3))), highlight));
        const QColor covered = hovered.pixelColor(pixelOf(*rectangles, *frames.at(1, 3)));
        const QColor uncovered = hovered.pixelColor(pixelOf(*rectangles, *frames.at(4, 0)));
        EXPECT_NE(covered, uncovered) << "the window's top-left quarter shows in its cells";
        EXPECT_NEAR(hovered.pixelColor(1, 1).alpha(), dark ? 230 : 166, 2) << "the frame along the edge";

        ASSERT_TRUE(rectangles->mouseDown(atCell(*rectangles, 1, 1)));
        rectangles->mouseDragged(atCell(*rectangles, 3, 2));
        const QImage dragged = cells(*rectangles);
        save(dragged, dark, QStringLiteral("rectangles-dragged"));
        for (std::int64_t r = 0; r < 4; ++r)
            for (std::int64_t c = 0; c < 6; ++c) {
                EXPECT_EQ(same(dragged.pixelColor(pixelOf(*rectangles, *frames.at(c, r))), highlight),
                          c >= 1 && c <= 3 && r >= 1 && r <= 2)
                    << c << "," << r;
            }
        rectangles->cancelDragSelection();
    }
}

TEST_F(GridPicturesTest, HexagonsAreSeparatedByClearLinesAsWideAsTheGap) {
    for (const bool dark : {false, true}) {
        useScheme(dark);
        for (const int gap : {0, 1}) {
            set(ZRGridPrototype::HexagonGridGapKey, gap);
            const auto hexagons = grid(ZRGridStyleHexagons);
            const ZRGridEvent hover = atCell(*hexagons, 2, 1);
            hexagons->updateHoverCoordinatesWithEvent(&hover);
            const QImage image = cells(*hexagons);
            save(image, dark, QStringLiteral("hexagons-gap-%1").arg(gap));
            // Where two hexagons of the middle row meet.
            const QRectF left = hexagons->nonRectangularRepresentationCells().at(2, 1)->path.boundingRect();
            const QPoint seam(int(std::round(left.right() - 0.25)),
                              hexagons->height() - 1 - int(left.center().y()));
            int clear = 0;
            for (int dx = -1; dx <= 1; ++dx)
                clear += image.pixelColor(seam + QPoint(dx, 0)).alpha() < 64;
            EXPECT_EQ(clear > 0, gap > 0) << "gap " << gap << " dark " << dark;
            EXPECT_TRUE(same(image.pixelColor(int(left.center().x()), seam.y()),
                             ZRGridPrototype::cellHighlightColor(!dark)));
        }
    }
}

TEST_F(GridPicturesTest, APlaceholderIsOneRoundedFrameThatLightsUpUnderTheMouse) {
    set(QStringLiteral("Palette Icon Size"), 40);
    for (const bool dark : {false, true}) {
        useScheme(dark);
        auto placeholder = std::make_unique<ZROverlayGrid>(keyboardControl());
        placeholder->setPlaceholder(true);
        placeholder->setGeometry(0, 0, 40, 10);
        placeholder->show();
        Rect frame;
        placeholder->updateLayoutAfterAdjustingFrame(&frame);
        ASSERT_EQ(placeholder->height(), 31);
        const QImage idle = cells(*placeholder);
        save(idle, dark, QStringLiteral("placeholder"));
        EXPECT_EQ(idle.pixelColor(20, 15).alpha(), 0) << "no cells inside";
        EXPECT_GT(idle.pixelColor(20, 1).alpha(), 100) << "the frame";

        const ZRGridEvent hover = at(*placeholder, 20, 15);
        placeholder->updateHoverCoordinatesWithEvent(&hover);
        const QImage hovered = cells(*placeholder);
        save(hovered, dark, QStringLiteral("placeholder-hovered"));
        EXPECT_TRUE(same(hovered.pixelColor(20, 1),
                         dark ? brighterOverlaySelectedControlColor() : overlaySelectedControlColor()));
    }
}

TEST_F(GridPicturesTest, TheConfigurationGridShowsTheActionsFrameDarkerInBothThemes) {
    for (const bool dark : {false, true}) {
        desktop.workspace().setDarkAppearance(dark);
        ZRConfigurationGrid grid(settings(), desktop);
        grid.setGeometry(0, 0, 300, 300);
        grid.updateLayout();
        grid.setRepresentedRelativeWindowFrame(Rect(0.5, 0, 0.5, 1));
        const QImage image = cells(grid);
        // The action editor shows it over a picture of the screen.
        save(image, dark, QStringLiteral("configuration"), QColor(58, 96, 150));
        const auto& frames = grid.representationCellFrame();
        EXPECT_GT(image.pixelColor(pixelOf(grid, *frames.at(4, 1))).alpha(),
                  image.pixelColor(pixelOf(grid, *frames.at(1, 1))).alpha())
            << "the right half is covered";
    }
}

} // namespace
