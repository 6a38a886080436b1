#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// The time stamps of the program's log, "2024-05-01 12:34:56.123456+0200": local time to the
// microsecond with the offset from UTC. Read by hand, because QDateTime cannot read six digits of
// a second, and because the log reader reads a hundred thousand of them at a time.
namespace LogTimestamp {

inline constexpr qint64 MicrosecondsPerSecond = 1000000;

// Microseconds since 1970-01-01 UTC, and the offset it was written with; empty when the text is not
// such a time stamp. The fraction may have one to nine digits; the offset may be "+hhmm", "+hh:mm" or "Z".
std::optional<qint64> parse(QStringView text, int* offsetSeconds = nullptr);
std::optional<qint64> parse(QByteArrayView text, int* offsetSeconds = nullptr);

// The time stamp of an instant as seen at an offset from UTC, six digits of fraction.
QString format(qint64 microsecondsSinceEpoch, int offsetSeconds);

// The local offset from UTC at that instant.
int localOffsetSeconds(qint64 microsecondsSinceEpoch);

// Now, in microseconds since 1970-01-01 UTC.
qint64 now();

} // namespace LogTimestamp
