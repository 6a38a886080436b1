#include "platform/foundation/LogTimestamp.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QTimeZone>
#include <random>

namespace {

constexpr qint64 Second = LogTimestamp::MicrosecondsPerSecond;

TEST(LogTimestamp, ReadsEveryFractionAndOffsetAndRefusesTheRest) {
    // 2024-05-01 10:00:00 UTC.
    const qint64 base = QDateTime(QDate(2024, 5, 1), QTime(10, 0), Qt::UTC).toSecsSinceEpoch() * Second;
    const std::pair<const char*, std::optional<qint64>> cases[] = {
        {"2024-05-01 12:00:00.123456+0200", base + 123456},
        {"2024-05-01 12:00:00.123456+02:00", base + 123456},
        {"2024-05-01 10:00:00.1Z", base + 100000},
        {"2024-05-01 10:00:00.123456789Z", base + 123456},
        {"2024-05-01 02:30:00.000001-0730", base + 1},
        {"2024-05-01 10:00:00+0000", base},
        {"2024-02-29 00:00:00.000000+0000", base - (62 * 86400 + 10 * 3600) * Second},
        {"1969-12-31 23:59:59.500000+0000", -Second / 2},
        {"2023-02-29 00:00:00.000000+0000", std::nullopt},
        {"2024-13-01 00:00:00.000000+0000", std::nullopt},
        {"2024-05-01 24:00:00.000000+0000", std::nullopt},
        {"2024-05-01 10:00:00.+0000", std::nullopt},
        {"2024-05-01 10:00:00.1234567890+0000", std::nullopt},
        {"2024-05-01 10:00:00.123456", std::nullopt},
        {"2024-05-01 10:00:00.123456+0200 ", std::nullopt},
        {"2024-05-01T10:00:00.123456+0200", std::nullopt},
        {"2024-5-01 10:00:00.123456+0200", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(LogTimestamp::parse(QString::fromLatin1(text)), expected) << text;
        EXPECT_EQ(LogTimestamp::parse(QByteArray(text)), expected) << text;
    }
}

TEST(LogTimestamp, WhatIsWrittenReadsBack) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<qint64> instants(-100LL * 365 * 86400 * Second,
                                                   200LL * 365 * 86400 * Second);
    std::uniform_int_distribution<int> offsets(-12 * 4, 14 * 4);
    for (int i = 0; i < 2000; ++i) {
        const qint64 instant = instants(random);
        const int offset = offsets(random) * 15 * 60;
        const QString text = LogTimestamp::format(instant, offset);
        int readOffset = 0;
        ASSERT_EQ(LogTimestamp::parse(text, &readOffset), instant) << text.toStdString();
        ASSERT_EQ(readOffset, offset) << text.toStdString();
    }
    EXPECT_EQ(LogTimestamp::format(0, -3600), "1969-12-31 23:00:00.000000-0100");
}

} // namespace
