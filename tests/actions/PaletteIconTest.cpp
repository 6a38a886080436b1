#include "DesktopTest.h"

#include "actions/ZRPaletteIconMetrics.h"
#include "actions/ZRStandardPaletteItemImage.h"
#include "window-access/Position.h"

#include <QImage>

namespace {

using PaletteIconTest = DesktopTest;

TEST_F(PaletteIconTest, IconsKeepTheirProportionsWithinTheSetting) {
    struct Case {
        double request;
        QVariant setting;
        Size expected;
    };
    const Case cases[] = {
        {30, 24, {24, 19}}, {10, 24, {18, 14}}, {-1, 40, {40, 31}},   {-1, 400, {100, 78}},
        {30, {}, {18, 14}}, {19, 50, {19, 15}}, {18.5, 50, {18, 14}}, {60, -5, {18, 14}},
    };
    for (const Case& c : cases) {
        set(ZRPaletteIconSizeUserDefaultName, c.setting);
        EXPECT_EQ(ZRPaletteIconMetrics(c.request, settings()), c.expected)
            << c.request << " " << c.setting.toString().toStdString();
    }
}

// The opacity in the middle of each quarter of the image: top left, top right, bottom left, bottom right.
std::array<int, 4> quarters(const QImage& image) {
    const int w = image.width(), h = image.height();
    return {image.pixelColor(w / 4, h / 4).alpha(), image.pixelColor(3 * w / 4, h / 4).alpha(),
            image.pixelColor(w / 4, 3 * h / 4).alpha(), image.pixelColor(3 * w / 4, 3 * h / 4).alpha()};
}

TEST_F(PaletteIconTest, StandardItemsShowTheirPartOfTheScreenStrongly) {
    constexpr int Strong = 200, Faint = 100;
    struct Case {
        std::int64_t position;
        std::array<bool, 4> strong; // top left, top right, bottom left, bottom right
    };
    const Case cases[] = {
        {ZRPositionLeft, {true, false, true, false}},
        {ZRPositionRight, {false, true, false, true}},
        {ZRPositionTop, {true, true, false, false}},
        {ZRPositionBottom, {false, false, true, true}},
        {ZRPositionFull, {true, true, true, true}},
        {ZRPositionTopLeft, {true, false, false, false}},
        {ZRPositionBottomRight, {false, false, false, true}},
        {42, {true, true, true, true}},
    };
    for (const Case& c : cases) {
        const QImage image = ZRStandardPaletteItemImage(c.position, Qt::black, 36, 28);
        ASSERT_EQ(image.size(), QSize(36, 28));
        const auto alpha = quarters(image);
        for (std::size_t i = 0; i < 4; ++i) {
            if (c.strong[i]) {
                EXPECT_GT(alpha[i], Strong) << c.position << " quarter " << i;
            } else {
                EXPECT_LT(alpha[i], Faint) << c.position << " quarter " << i;
            }
        }
    }
    // The centre is a window in the middle of a faint screen, not the whole screen.
    const QImage centre = ZRStandardPaletteItemImage(ZRPositionCenter, Qt::black, 36, 28);
    EXPECT_GT(centre.pixelColor(18, 14).alpha(), Strong);
    EXPECT_LT(centre.pixelColor(3, 3).alpha(), Faint);
    // Dense screens get more pixels for the same points; absurd sizes give no image.
    EXPECT_EQ(ZRStandardPaletteItemImage(ZRPositionFull, QColor(), 36, 28, 2).size(), QSize(72, 56));
    EXPECT_TRUE(ZRStandardPaletteItemImage(ZRPositionFull, QColor(), 0, 28).isNull());
    EXPECT_TRUE(ZRStandardPaletteItemImage(ZRPositionFull, QColor(), 1e9, 28).isNull());
}

} // namespace
