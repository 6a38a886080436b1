#include "toolkit/StringExtensions.h"
#include "toolkit/ArrowKeyForHJKL.h"
#include "toolkit/CollectionExtensions.h"
#include "toolkit/KeyStrings.h"
#include "toolkit/MatchingQualityEvaluator.h"

#include <gtest/gtest.h>
#include <limits>

namespace {

TEST(StringExtensions, Trimming) {
    EXPECT_EQ(trimmedString(" \t a b \n"), "a b");
    EXPECT_EQ(trimmedString("\n\n"), "");
    EXPECT_EQ(spacedMidDotSring(), " \u2027 ");
}

TEST(StringExtensions, DoubleTexts) {
    struct Case {
        double value;
        int decimals;
        QString text;
    };
    const std::vector<Case> cases = {
        {0, 2, "0"},
        {1, 2, "1"},
        {0.5, 2, "0.5"},
        {0.26, 1, "0.3"},
        {1.005, 0, "1"},
        {-0.001, 2, "0"},
        {-1.5, 1, "-1.5"},
        {100, 3, "100"},
        {12.3456, 3, "12.346"},
        {std::numeric_limits<double>::quiet_NaN(), 2, "0"},
        {1.75, -1, "2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(stringWithDouble(c.value, c.decimals), c.text) << c.value << " " << c.decimals;
    }
}

TEST(StringExtensions, LengthTexts) {
    struct Case {
        qint64 length;
        QString zeroSymbol;
        ZRMeasurementUnit unit;
        bool pointsSuffix;
        QString text;
    };
    const std::vector<Case> cases = {
        {0, "=", ZRMeasurementUnit::Points, false, "="},
        {-3, "=", ZRMeasurementUnit::Percent, true, "="},
        {0, "", ZRMeasurementUnit::Points, false, "0"},
        {50, "=", ZRMeasurementUnit::Percent, true, "50%"},
        {12, "", ZRMeasurementUnit::Points, true, "12 px"},
        {12, "", ZRMeasurementUnit::Points, false, "12"},
        {1500, "", ZRMeasurementUnit::Points, false, "1500"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(stringWithLength(c.length, c.zeroSymbol, c.unit, c.pointsSuffix), c.text) << c.length;
    }
}

TEST(StringExtensions, IntegerValuesAndComparisons) {
    const std::vector<std::pair<QString, qint64>> values = {
        {"42", 42},
        {"  -7px", -7},
        {"+3", 3},
        {"abc", 0},
        {"", 0},
        {"12.9", 12},
        {"99999999999999999999", std::numeric_limits<qint64>::max()},
        {"-99999999999999999999", std::numeric_limits<qint64>::min()},
    };
    for (const auto& [text, value] : values) {
        EXPECT_EQ(integerValue(text), value) << text.toStdString();
    }

    EXPECT_EQ(compareIntegerValue("9", "10"), -1);
    EXPECT_EQ(compareIntegerValue("10", "9"), 1);
    EXPECT_EQ(compareIntegerValue("007", "7 apples"), 0);

    struct Order {
        QString a;
        QString b;
        int order;
    };
    const std::vector<Order> orders = {
        {"Layout 9", "Layout 10", -1},
        {"layout 10", "Layout 9", 1},
        {"ABC", "abc", 0},
        {"a2b", "a02b", 0},
        {"a", "ab", -1},
        {"item 2 b", "Item 2 a", 1},
        {"", "", 0},
        {"x100", "x99", 1},
    };
    for (const auto& o : orders) {
        EXPECT_EQ(ZRCompareCaseInsensitiveNumeric(o.a, o.b), o.order)
            << o.a.toStdString() << " " << o.b.toStdString();
    }
}

TEST(MatchingQualityEvaluator, QualitiesAndRanges) {
    struct Case {
        QString query;
        bool fuzzy;
        QString candidate;
        std::size_t quality;
        std::vector<ZRMatchedRange> ranges;
    };
    const std::vector<Case> cases = {
        {"move", false, "Move Left", 0, {{0, 4}}},
        {"LEFT", false, "Move Left", 2, {{5, 4}}},
        {"mvl", false, "Move Left", ZRNotFound, {}},
        {"x", true, "", ZRNotFound, {}},
        // Fuzzy: first at the start, two gaps, plus one.
        {"mvl", true, "Move Left", 1 + 2 + 1, {{0, 1}, {2, 1}, {5, 1}}},
        // Fuzzy elsewhere, contiguous: 3 + 0 + 1.
        {"ov e", true, "Move", 3 + 0 + 1, {{1, 1}, {2, 1}, {3, 1}}},
        {"o v", true, "Move", 3 + 0 + 1, {{1, 1}, {2, 1}}},
        // Matching the capitals of a mixed-case title, as typed or not, counts alone; capitals typed on
        // small letters do not.
        {"ML", true, "Move Left", 1, {{0, 1}, {5, 1}}},
        {"ml", true, "Move Left", 1, {{0, 1}, {5, 1}}},
        {"ML", true, "Center Move Left", 3, {{7, 1}, {12, 1}}},
        {"ML", true, "small", 3 + 1 + 1, {{1, 1}, {3, 1}}},
        // All capitals in an all-capitals title is no acronym.
        {"ML", true, "MOVE LEFT", 1 + 1 + 1, {{0, 1}, {5, 1}}},
        {"mxz", true, "Move Left", ZRNotFound, {}},
        {"   ", true, "Move", ZRNotFound, {}},
        {"12", true, "1a2", 1 + 1 + 1, {{0, 1}, {2, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query.toStdString() + " in " + c.candidate.toStdString());
        const auto evaluator = newMatchingQualityEvaluatorAllowingFuzzyMatching(c.query, c.fuzzy);
        ASSERT_TRUE(evaluator);
        std::vector<ZRMatchedRange> ranges = {{99, 1}};
        EXPECT_EQ((*evaluator)(c.candidate, ranges), c.quality);
        std::vector<ZRMatchedRange> expected = {{99, 1}};
        expected.insert(expected.end(), c.ranges.begin(), c.ranges.end());
        EXPECT_EQ(ranges, expected) << "earlier ranges are kept, a failed fuzzy match adds none";
    }
    EXPECT_FALSE(newMatchingQualityEvaluatorAllowingFuzzyMatching("", true));
}

TEST(CollectionExtensions, RectanglesFromRecords) {
    const QVariantMap record = {
        {"frame", "{{10, 20}, {300, 400.5}}"},
        {"compact", "{{-1,2},{3e2,4}}"},
        {"words", "not a rectangle"},
        {"short", "{{1, 2}, {3}}"},
        {"long", "{{1, 2}, {3, 4}, {5, 6}}"},
        {"infinite", "{{inf, 0}, {10, 10}}"},
        {"nan", "{{0, nan}, {10, 10}}"},
        {"huge", "{{1e400, 0}, {10, 10}}"},
        {"number", 42},
        {"list", QVariantList{1, 2, 3, 4}},
        {"mixed", "{{1, 2}, {3, 4}} and more"},
    };
    EXPECT_EQ(rectValueOfObjectForKey(record, "frame"), Rect(10, 20, 300, 400.5));
    EXPECT_EQ(rectValueOfObjectForKey(record, "compact"), Rect(-1, 2, 300, 4));
    for (const char* key :
         {"missing", "words", "short", "long", "infinite", "nan", "huge", "number", "list", "mixed"})
        EXPECT_TRUE(rectValueOfObjectForKey(record, key).isZero()) << key;
}

TEST(CollectionExtensions, IntegersFromRecords) {
    QVariantMap record = {
        {"int", 7},         {"double", -2.9},          {"bool", true},
        {"text", " 12 pt"}, {"list", QVariantList{1}}, {"nan", std::numeric_limits<double>::quiet_NaN()},
        {"big", 1e30},
    };
    setNumberWithInteger(record, 5000000000LL, "large");
    const std::vector<std::pair<QString, qint64>> cases = {
        {"int", 7},
        {"double", -2},
        {"bool", 1},
        {"text", 12},
        {"list", 0},
        {"missing", 0},
        {"nan", 0},
        {"big", std::numeric_limits<qint64>::max()},
        {"large", 5000000000LL},
    };
    for (const auto& [key, value] : cases) {
        EXPECT_EQ(integerValueOfObjectForKey(record, key), value) << key.toStdString();
    }
}

TEST(CollectionExtensions, Lists) {
    const std::vector<QString> words = {"a", "bb", "ccc"};
    EXPECT_EQ(resultsForSelector(words, &QString::size), (QList<qsizetype>{1, 2, 3}));
    auto a = std::make_shared<int>(1);
    auto b = std::make_shared<int>(1);
    const std::vector<std::shared_ptr<int>> list = {a, b};
    EXPECT_TRUE(isIdenticalToArray(list, std::vector<std::shared_ptr<int>>{a, b}));
    EXPECT_FALSE(isIdenticalToArray(list, std::vector<std::shared_ptr<int>>{a, std::make_shared<int>(1)}));
    EXPECT_FALSE(isIdenticalToArray(list, std::vector<std::shared_ptr<int>>{b, a}));
    EXPECT_FALSE(isIdenticalToArray(list, std::vector<std::shared_ptr<int>>{a}));
}

TEST(ArrowKeyForHJKL, BothSettings) {
    using namespace FunctionKeyCharacter;
    struct Case {
        bool disableLayout;
        bool disablePhysical;
        char16_t character;
        KeyCode keyCode;
        char16_t result;
    };
    // A layout that puts d on the H key and h on the J key.
    const std::vector<Case> cases = {
        {false, false, u'h', Key::J, LeftArrow}, {false, false, u'j', Key::C, DownArrow},
        {false, false, u'k', Key::V, UpArrow},   {false, false, u'l', Key::N, RightArrow},
        {false, false, u'H', Key::H, u'H'}, // capitals are no vi keys
        {false, false, u'd', Key::H, u'd'}, // the character wins while layout equivalents are on
        {false, true, u'h', Key::J, LeftArrow},  {true, false, u'h', Key::J, DownArrow},
        {true, false, u'd', Key::H, LeftArrow},  {true, false, u't', Key::K, UpArrow},
        {true, false, u'n', Key::L, RightArrow}, {true, false, u'x', Key::X, u'x'},
        {true, true, u'h', Key::H, u'h'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ZRArrowKeyForHJKL(c.character, c.keyCode, {c.disableLayout, c.disablePhysical}), c.result)
            << char(c.character) << " " << c.keyCode << " " << c.disableLayout << c.disablePhysical;
    }
}

} // namespace
