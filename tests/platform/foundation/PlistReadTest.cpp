#include "platform/foundation/PlistRead.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

const QString Key = QStringLiteral("k");

QVariantMap with(const QVariant& value) {
    return {{Key, value}};
}

TEST(PlistRead, StrictReadsTellMissingFromWrongType) {
    const QVariantMap empty;
    EXPECT_TRUE(Plist::readString(empty, Key).missing());
    EXPECT_TRUE(Plist::readInteger(empty, Key).missing());
    EXPECT_TRUE(Plist::readDictionary(empty, Key).missing());
    EXPECT_EQ(Plist::readInteger(empty, Key).valueOr(7), 7);

    // A stored NO and 0 are values, not "missing".
    EXPECT_TRUE(Plist::readBool(with(false), Key).ok());
    EXPECT_FALSE(Plist::readBool(with(false), Key).value);
    EXPECT_EQ(Plist::readInteger(with(qint64(0)), Key).optional(), std::optional<qint64>(0));

    // Text never reads as a number in a strict read, nor a number as text.
    EXPECT_TRUE(Plist::readInteger(with(QStringLiteral("5")), Key).wrongType());
    EXPECT_TRUE(Plist::readString(with(5), Key).wrongType());
    EXPECT_TRUE(Plist::readBool(with(QStringLiteral("YES")), Key).wrongType());
    EXPECT_TRUE(Plist::readArray(with(QVariantMap()), Key).wrongType());
    EXPECT_TRUE(Plist::readDictionary(with(QVariantList()), Key).wrongType());
    EXPECT_TRUE(Plist::readArray(with(QStringList{QStringLiteral("a")}), Key).ok());
}

TEST(PlistRead, NumbersReadAcrossTheirKindsOnlyWhenExact) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const quint64 beyond = quint64(std::numeric_limits<qint64>::max()) + 1;
    struct Case {
        const char* name;
        QVariant value;
        std::optional<qint64> integer;
        std::optional<quint64> unsignedValue;
        std::optional<bool> boolean;
    };
    const std::vector<Case> cases = {
        {"integer", qint64(-3), -3, std::nullopt, true},
        {"zero", qint64(0), 0, 0u, false},
        {"whole real", 4.0, 4, 4u, true},
        {"fraction", 4.5, std::nullopt, std::nullopt, true},
        {"not a number", nan, std::nullopt, std::nullopt, true},
        {"beyond qint64", QVariant::fromValue(beyond), std::nullopt, beyond, true},
        {"real beyond qint64", 1e19, std::nullopt, quint64(1e19), true},
        {"boolean", true, 1, 1u, true},
        {"text", QStringLiteral("1"), std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto map = with(c.value);
        EXPECT_EQ(Plist::readInteger(map, Key).optional(), c.integer);
        EXPECT_EQ(Plist::readUnsigned(map, Key).optional(), c.unsignedValue);
        EXPECT_EQ(Plist::readBool(map, Key).optional(), c.boolean);
    }
}

TEST(PlistRead, SettingsCoercions) {
    struct Case {
        QVariant value;
        std::optional<bool> boolean;
        std::optional<qint64> integer;
        std::optional<double> real;
        std::optional<QString> text;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("YES"), true, std::nullopt, std::nullopt, QStringLiteral("YES")},
        {QStringLiteral("yes"), true, std::nullopt, std::nullopt, QStringLiteral("yes")},
        {QStringLiteral("True"), true, std::nullopt, std::nullopt, QStringLiteral("True")},
        {QStringLiteral("NO"), false, std::nullopt, std::nullopt, QStringLiteral("NO")},
        {QStringLiteral("false"), false, std::nullopt, std::nullopt, QStringLiteral("false")},
        {QStringLiteral("1"), true, 1, 1.0, QStringLiteral("1")},
        {QStringLiteral("0"), false, 0, 0.0, QStringLiteral("0")},
        {QStringLiteral(" 42 "), std::nullopt, 42, 42.0, QStringLiteral(" 42 ")},
        {QStringLiteral("-7.9"), std::nullopt, -7, -7.9, QStringLiteral("-7.9")},
        {QStringLiteral("9223372036854775807"), std::nullopt, std::numeric_limits<qint64>::max(),
         9223372036854775807.0, QStringLiteral("9223372036854775807")},
        {QStringLiteral("1e400"), std::nullopt, std::nullopt, std::nullopt, QStringLiteral("1e400")},
        {QStringLiteral("12abc"), std::nullopt, std::nullopt, std::nullopt, QStringLiteral("12abc")},
        {QStringLiteral("maybe"), std::nullopt, std::nullopt, std::nullopt, QStringLiteral("maybe")},
        {QString(), std::nullopt, std::nullopt, std::nullopt, QString()},
        {qint64(2), true, 2, 2.0, QStringLiteral("2")},
        {qint64(0), false, 0, 0.0, QStringLiteral("0")},
        {2.75, true, 2, 2.75, QStringLiteral("2.75")},
        {0.0, false, 0, 0.0, QStringLiteral("0")},
        {true, true, 1, 1.0, QStringLiteral("1")},
        {false, false, 0, 0.0, QStringLiteral("0")},
        {QVariant::fromValue(std::numeric_limits<quint64>::max()), true, std::nullopt, 18446744073709551615.0,
         QStringLiteral("18446744073709551615")},
        {QVariantList{1}, std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {QByteArray("1"), std::nullopt, std::nullopt, std::nullopt, std::nullopt},
        {QVariant(), std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value.toString().toStdString() + " as " +
                     (c.value.isValid() ? c.value.typeName() : "nothing"));
        EXPECT_EQ(Plist::coerceBool(c.value), c.boolean);
        EXPECT_EQ(Plist::coerceInteger(c.value), c.integer);
        EXPECT_EQ(Plist::coerceDouble(c.value), c.real);
        EXPECT_EQ(Plist::coerceString(c.value), c.text);
    }
}

} // namespace
