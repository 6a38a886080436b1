#include "window-access/PropertyListSafeValue.h"
#include "platform/foundation/PropertyList.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QMap>
#include <QPoint>
#include <limits>

namespace {

TEST(PropertyListSafeValue, KeepsPlistValuesAndDescribesTheRest) {
    const double infinity = std::numeric_limits<double>::infinity();
    const QDateTime date(QDate(2024, 5, 1), QTime(12, 30), Qt::UTC);
    const struct {
        const char* name;
        QVariant value;
        QVariant expected;
    } cases[] = {
        {"string", QStringLiteral("text"), QStringLiteral("text")},
        {"integer", qint64(-42), qint64(-42)},
        {"real", 2.5, 2.5},
        {"bool", true, true},
        {"empty array", QVariantList(), QVariantList()},
        {"empty dictionary", QVariantMap(), QVariantMap()},
        {"not a number", std::numeric_limits<double>::quiet_NaN(), QStringLiteral("nan")},
        {"infinity", -infinity, QStringLiteral("-inf")},
        {"date", date, QStringLiteral("2024-05-01T12:30:00.000Z")},
        {"data", QByteArray("\x01\xff", 2), QStringLiteral("<01ff>")},
        {"other object", QPoint(3, 4), QStringLiteral("<QPoint>")},
        {"nothing", QVariant(), QString()},
        {"nested", QVariantList{QVariantMap{{QStringLiteral("when"), date}}, infinity},
         QVariantList{QVariantMap{{QStringLiteral("when"), QStringLiteral("2024-05-01T12:30:00.000Z")}},
                      QStringLiteral("inf")}},
        {"hash", QVariantHash{{QStringLiteral("a"), 1}}, QVariantMap{{QStringLiteral("a"), 1}}},
        {"integer keys",
         QVariant::fromValue(QMap<int, QString>{{1, QStringLiteral("one")}, {2, QStringLiteral("two")}}),
         QVariantMap{{QStringLiteral("1"), QStringLiteral("one")},
                     {QStringLiteral("2"), QStringLiteral("two")}}},
        {"text XML cannot carry",
         QString(QStringLiteral("a\x01"
                                "b\tc") +
                 QChar(0xD800)),
         QStringLiteral("a\uFFFDb\tc\uFFFD")},
        {"keys XML cannot carry", QVariantMap{{QStringLiteral("k\x02"), 1}},
         QVariantMap{{QStringLiteral("k\uFFFD"), 1}}},
        {"string list", QStringList{QStringLiteral("a"), QStringLiteral("b")},
         QVariantList{QStringLiteral("a"), QStringLiteral("b")}},
    };
    for (const auto& c : cases) {
        const QVariant safe = ZRPropertyListSafeValue(c.value);
        EXPECT_EQ(safe, c.expected) << c.name;
        EXPECT_TRUE(PropertyList::isValid(safe)) << c.name;
        QString error;
        EXPECT_FALSE(PropertyList::toData(QVariantMap{{QStringLiteral("value"), safe}}, &error).isEmpty())
            << c.name << ": " << error.toStdString();
    }
}

} // namespace
