#include "platform/foundation/LogTimestamp.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace {

constexpr qint64 SecondsPerMinute = 60;
constexpr qint64 SecondsPerHour = 3600;
constexpr qint64 SecondsPerDay = 86400;
constexpr int MaximumOffsetHours = 23;
constexpr int FractionDigits = 6;
constexpr int MaximumFractionDigits = 9;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
constexpr qint64 daysFromCivil(qint64 year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const qint64 era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<qint64>(dayOfEra) - 719468;
}

struct Civil {
    qint64 year;
    unsigned month;
    unsigned day;
};

constexpr Civil civilFromDays(qint64 days) {
    days += 719468;
    const qint64 era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const unsigned month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    return {static_cast<qint64>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

constexpr bool isLeapYear(qint64 year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

constexpr unsigned daysInMonth(qint64 year, unsigned month) {
    constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

qint64 floorDivide(qint64 value, qint64 divisor) {
    const qint64 quotient = value / divisor;
    return (value % divisor != 0 && (value < 0) != (divisor < 0)) ? quotient - 1 : quotient;
}

// A reader of the characters of either kind of text.
template <class Char> class Scanner {
public:
    Scanner(const Char* data, qsizetype size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_position >= m_size; }
    // The next count characters as a number; false unless they are all digits.
    bool digits(int count, int& value) {
        if (m_position + count > m_size)
            return false;
        value = 0;
        for (int i = 0; i < count; ++i) {
            const auto c = static_cast<char16_t>(m_data[m_position + i]);
            if (c < u'0' || c > u'9')
                return false;
            value = value * 10 + (c - u'0');
        }
        m_position += count;
        return true;
    }
    bool take(char16_t expected) {
        if (atEnd() || static_cast<char16_t>(m_data[m_position]) != expected)
            return false;
        ++m_position;
        return true;
    }
    bool peekDigit() const {
        if (atEnd())
            return false;
        const auto c = static_cast<char16_t>(m_data[m_position]);
        return c >= u'0' && c <= u'9';
    }

private:
    const Char* m_data;
    qsizetype m_size;
    qsizetype m_position = 0;
};

template <class Char> std::optional<qint64> parseText(const Char* data, qsizetype size, int* offsetResult) {
    Scanner<Char> in(data, size);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!in.digits(4, year) || !in.take(u'-') || !in.digits(2, month) || !in.take(u'-') ||
        !in.digits(2, day) || !in.take(u' ') || !in.digits(2, hour) || !in.take(u':') ||
        !in.digits(2, minute) || !in.take(u':') || !in.digits(2, second))
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 ||
        static_cast<unsigned>(day) > daysInMonth(year, unsigned(month)) || hour > 23 || minute > 59 ||
        second > 60)
        return std::nullopt;
    qint64 micros = 0;
    if (in.take(u'.')) {
        int digitCount = 0;
        int digit = 0;
        qint64 fraction = 0;
        while (in.peekDigit() && in.digits(1, digit)) {
            if (++digitCount > MaximumFractionDigits)
                return std::nullopt;
            fraction = fraction * 10 + digit;
        }
        if (digitCount == 0)
            return std::nullopt;
        for (int i = digitCount; i < FractionDigits; ++i)
            fraction *= 10;
        for (int i = FractionDigits; i < digitCount; ++i)
            fraction /= 10;
        micros = fraction;
    }
    int offsetSeconds = 0;
    if (!in.take(u'Z')) {
        const bool plus = in.take(u'+');
        if (!plus && !in.take(u'-'))
            return std::nullopt;
        int offsetHours = 0, offsetMinutes = 0;
        if (!in.digits(2, offsetHours))
            return std::nullopt;
        in.take(u':');
        if (!in.digits(2, offsetMinutes) || offsetHours > MaximumOffsetHours || offsetMinutes > 59)
            return std::nullopt;
        offsetSeconds = static_cast<int>((offsetHours * SecondsPerHour + offsetMinutes * SecondsPerMinute) *
                                         (plus ? 1 : -1));
    }
    if (!in.atEnd())
        return std::nullopt;
    if (offsetResult)
        *offsetResult = offsetSeconds;
    const qint64 seconds = daysFromCivil(year, unsigned(month), unsigned(day)) * SecondsPerDay +
                           hour * SecondsPerHour + minute * SecondsPerMinute + second - offsetSeconds;
    return seconds * LogTimestamp::MicrosecondsPerSecond + micros;
}

} // namespace

namespace LogTimestamp {

std::optional<qint64> parse(QStringView text, int* offsetSeconds) {
    return parseText(text.utf16(), text.size(), offsetSeconds);
}

std::optional<qint64> parse(QByteArrayView text, int* offsetSeconds) {
    return parseText(text.data(), text.size(), offsetSeconds);
}

QString format(qint64 microsecondsSinceEpoch, int offsetSeconds) {
    const qint64 local = microsecondsSinceEpoch + offsetSeconds * MicrosecondsPerSecond;
    const qint64 seconds = floorDivide(local, MicrosecondsPerSecond);
    const qint64 micros = local - seconds * MicrosecondsPerSecond;
    const qint64 days = floorDivide(seconds, SecondsPerDay);
    const qint64 secondOfDay = seconds - days * SecondsPerDay;
    const Civil date = civilFromDays(days);
    const int offsetMinutes = std::abs(offsetSeconds) / int(SecondsPerMinute);
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02lld:%02lld:%02lld.%06lld%c%02d%02d",
                  static_cast<long long>(date.year), date.month, date.day,
                  static_cast<long long>(secondOfDay / SecondsPerHour),
                  static_cast<long long>(secondOfDay % SecondsPerHour / SecondsPerMinute),
                  static_cast<long long>(secondOfDay % SecondsPerMinute), static_cast<long long>(micros),
                  offsetSeconds < 0 ? '-' : '+', offsetMinutes / 60, offsetMinutes % 60);
    return QString::fromLatin1(text);
}

int localOffsetSeconds(qint64 microsecondsSinceEpoch) {
    const std::time_t seconds =
        static_cast<std::time_t>(floorDivide(microsecondsSinceEpoch, MicrosecondsPerSecond));
    std::tm local{};
    localtime_r(&seconds, &local);
    return static_cast<int>(local.tm_gmtoff);
}

qint64 now() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace LogTimestamp
