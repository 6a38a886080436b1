#include "platform/Geometry.h"

#include <gtest/gtest.h>
#include <limits>

TEST(Geometry, IntersectionAndUnion) {
    const Rect a(0, 0, 100, 50);
    EXPECT_EQ(a.intersected(Rect(50, 25, 100, 100)), Rect(50, 25, 50, 25));
    // Touching edges do not intersect, and the empty intersection is the zero rectangle.
    EXPECT_EQ(a.intersected(Rect(100, 0, 10, 10)), Rect());
    EXPECT_FALSE(a.intersects(Rect(100, 0, 10, 10)));
    EXPECT_EQ(a.united(Rect(-10, 40, 5, 30)), Rect(-10, 0, 110, 70));
    EXPECT_EQ(Rect().united(a), a);
}

TEST(Geometry, ContainsIsHalfOpenAndNegativeSizesStandardize) {
    const Rect a(0, 0, 10, 10);
    EXPECT_TRUE(a.contains(Point{0, 0}));
    EXPECT_FALSE(a.contains(Point{10, 5}));
    EXPECT_FALSE(a.contains(Point{5, 10}));
    const Rect flipped(10, 10, -10, -10);
    EXPECT_EQ(flipped.standardized(), a);
    EXPECT_DOUBLE_EQ(flipped.minX(), 0);
    EXPECT_DOUBLE_EQ(flipped.maxY(), 10);
}

TEST(Geometry, TextFormRoundTripsAndRejectsGarbage) {
    const Rect r(1.5, -2, 300, 400.25);
    EXPECT_EQ(stringFromRect(r), QStringLiteral("{{1.5, -2}, {300, 400.25}}"));
    EXPECT_EQ(rectFromString(stringFromRect(r)), r);
    EXPECT_EQ(rectFromString(QStringLiteral("{{1,2},{3,4}}")), Rect(1, 2, 3, 4));
    EXPECT_EQ(rectFromString(QStringLiteral("{{1, 2}}")), Rect(1, 2, 0, 0));
    EXPECT_EQ(rectFromString(QStringLiteral("not a rectangle")), Rect());
    EXPECT_EQ(rectFromString(QStringLiteral("{{nan, 2}, {3, 4}}")), Rect());
    EXPECT_EQ(rectFromString(QStringLiteral("{{1e400, 2}, {3, 4}}")), Rect());
    // Numbers are found whatever stands between them; a lone sign, point or exponent is no number.
    EXPECT_EQ(rectFromString(QStringLiteral("x-.5e1y+2. - . 1e 3E+2 99")), Rect(-5, 2, 1, 300));
    EXPECT_EQ(rectFromString(QStringLiteral("{{1, 2}, {3, -INF}}")), Rect());
    EXPECT_EQ(sizeFromString(QStringLiteral("{1, 2} nan")), (Size{1, 2}));
}
