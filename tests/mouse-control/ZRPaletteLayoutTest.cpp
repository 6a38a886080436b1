#include "MouseControlTestSupport.h"

#include "mouse-control/ZRPaletteLayout.h"

namespace {

using PaletteLayoutTest = MouseControlTest;

struct Shown {
    std::int64_t column;
    std::int64_t row;
    std::int64_t item;
    bool hidden;
    friend bool operator==(const Shown&, const Shown&) = default;
};

std::vector<Shown> standardItems(ZRPaletteLayout& layout) {
    std::vector<Shown> shown;
    for (ZRPaletteItemWellInterface* well : layout.paletteItemWells())
        if (well->dummyPosition() != -1)
            shown.push_back({well->column(), well->row(), well->dummyPosition(), well->hiddenByUser()});
    return shown;
}

const std::vector<Shown> Defaults = {
    {3, 3, 2, false}, {4, 3, 9, false}, {5, 3, 5, false}, {6, 3, 3, false}, {7, 3, 7, false}};

TEST_F(PaletteLayoutTest, StoredLayoutsAreReadAndRepairedAsTheEditorWould) {
    const struct Case {
        const char* what;
        QVariant palette;
        QVariant hidden;
        std::vector<Shown> items;
        std::int64_t minColumn, maxColumn, minRow, maxRow;
    } cases[] = {
        {"none stored: the defaults", QVariant(), QVariant(), Defaults, 3, 7, 3, 3},
        {"a layout of its own, one item hidden, custom items left out",
         QVariantMap{{"0-0", 2}, {"1-0", 9}, {"2-0", 5}, {"0-1", 3}, {"1-1", 7}, {"5-5", "ABC"}},
         QVariantList{7},
         {{0, 0, 2, false}, {1, 0, 9, false}, {2, 0, 5, false}, {0, 1, 3, false}, {1, 1, 7, true}},
         0,
         2,
         0,
         1},
        {"an item twice, one missing: repaired to the defaults",
         QVariantMap{{"0-0", 5}, {"1-0", 5}, {"2-0", 2}, {"3-0", 3}, {"4-0", 9}}, QVariantList{5}, Defaults,
         3, 7, 3, 3},
        {"an item twice, all there: the first well keeps it",
         QVariantMap{{"0-0", 5}, {"1-0", 5}, {"2-0", 2}, {"3-0", 3}, {"4-0", 9}, {"5-0", 7}},
         QVariant(),
         {{0, 0, 5, false}, {2, 0, 2, false}, {3, 0, 3, false}, {4, 0, 9, false}, {5, 0, 7, false}},
         0,
         5,
         0,
         0},
        {"numbers that are no item, and text, count for nothing",
         QVariantMap{{"0-0", 2}, {"1-0", 4}, {"2-0", "9"}, {"3-0", 5}, {"4-0", 3}, {"5-0", 7}}, QVariant(),
         Defaults, 3, 7, 3, 3},
        {"every item hidden: all are shown",
         QVariantMap{{"0-5", 2}, {"1-5", 9}, {"2-5", 5}, {"3-5", 3}, {"10-5", 7}},
         QVariantList{2, 3, 5, 7, 9},
         {{0, 5, 2, false}, {1, 5, 9, false}, {2, 5, 5, false}, {3, 5, 3, false}, {10, 5, 7, false}},
         0,
         10,
         5,
         5},
        {"a layout of the wrong type: the defaults", QStringLiteral("broken"), 3, Defaults, 3, 7, 3, 3},
    };
    for (const Case& c : cases) {
        set(ZRPaletteLayout::PaletteUserDefaultName, c.palette);
        set(ZRPaletteLayout::HiddenItemsUserDefaultName, c.hidden);
        ZRPaletteLayout layout(settings());
        EXPECT_EQ(standardItems(layout), c.items) << c.what;
        EXPECT_EQ(layout.minimumPaletteItemColumn(), c.minColumn) << c.what;
        EXPECT_EQ(layout.maximumPaletteItemColumn(), c.maxColumn) << c.what;
        EXPECT_EQ(layout.minimumPaletteItemRow(), c.minRow) << c.what;
        EXPECT_EQ(layout.maximumPaletteItemRow(), c.maxRow) << c.what;
        EXPECT_EQ(layout.paletteItemWells().size(), 66u);
        for (ZRPaletteItemWellInterface* well : layout.paletteItemWells()) {
            EXPECT_EQ(well->paletteItemButton(), nullptr);
        }
    }
}

TEST_F(PaletteLayoutTest, AChangedLayoutIsReadAgainAndNeverWritten) {
    ZRPaletteLayout layout(settings());
    EXPECT_EQ(layout.maximumPaletteItemColumn(), 7);
    EXPECT_FALSE(settings().hasValue(ZRPaletteLayout::PaletteUserDefaultName));
    EXPECT_FALSE(settings().hasValue(ZRPaletteLayout::HiddenItemsUserDefaultName));
    set(ZRPaletteLayout::PaletteUserDefaultName,
        QVariantMap{{"3-3", 2}, {"4-3", 9}, {"5-3", 5}, {"6-3", 3}, {"7-3", 7}});
    set(ZRPaletteLayout::HiddenItemsUserDefaultName, QVariantList{7});
    EXPECT_EQ(layout.maximumPaletteItemColumn(), 6);
}

} // namespace
