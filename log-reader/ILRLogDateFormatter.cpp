#include "log-reader/ILRLogDateFormatter.h"

#include "platform/foundation/LogTimestamp.h"

#include <QDate>
#include <ctime>

namespace {

constexpr auto FallbackDateFormat = "yyyy-MM-dd";
constexpr qint64 MicrosecondsPerMillisecond = 1000;
constexpr qint64 SecondsPerDay = 86400;

// Widens every run of a field letter to the width asked ("M" to "MM", "yy" to "yyyy").
QString widened(const QString& format, QChar letter, int width) {
    QString result;
    for (qsizetype i = 0; i < format.size();) {
        qsizetype run = 1;
        while (i + run < format.size() && format[i + run] == format[i])
            ++run;
        if (format[i] == letter)
            result += QString(std::max<qsizetype>(run, width), letter);
        else
            result += format.mid(i, run);
        i += run;
    }
    return result;
}

QString numericDateFormat(const QLocale& locale) {
    if (locale.language() == QLocale::C)
        return QLatin1String(FallbackDateFormat);
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    // Month or weekday names, or fields we do not know, make no numeric date.
    if (format.contains(QLatin1String("MMM")) || format.contains(u'E') || !format.contains(u'y') ||
        !format.contains(u'M') || !format.contains(u'd'))
        return QLatin1String(FallbackDateFormat);
    return widened(widened(widened(format, u'y', 4), u'M', 2), u'd', 2);
}

void appendTwoDigits(QString& text, int value) {
    text += QChar(u'0' + value / 10);
    text += QChar(u'0' + value % 10);
}

} // namespace

ILRLogDateFormatter& ILRLogDateFormatter::shared() {
    // Never destroyed: workers may format while the program exits.
    static auto* formatter = new ILRLogDateFormatter(QLocale::system());
    return *formatter;
}

ILRLogDateFormatter::ILRLogDateFormatter(const QLocale& locale)
    : m_locale(locale), m_dateFormat(numericDateFormat(locale)) {}

QString ILRLogDateFormatter::datePart(qint64 localDay, int year, int month, int day) const {
    std::lock_guard lock(m_mutex);
    if (localDay != m_cachedDay) {
        m_cachedDay = localDay;
        m_cachedDatePart = m_locale.toString(QDate(year, month, day), m_dateFormat) + QStringView(Separator);
    }
    return m_cachedDatePart;
}

QString ILRLogDateFormatter::displayTime(ILRDate date) const {
    if (date == ILRDistantPast)
        return QStringLiteral("?");
    const qint64 seconds = date >= 0 ? date / LogTimestamp::MicrosecondsPerSecond
                                     : -((-date - 1) / LogTimestamp::MicrosecondsPerSecond) - 1;
    const auto milliseconds =
        int((date - seconds * LogTimestamp::MicrosecondsPerSecond) / MicrosecondsPerMillisecond);
    // Entries come many to a second: the local time of the last second read on this thread is kept.
    thread_local struct {
        const ILRLogDateFormatter* formatter = nullptr;
        qint64 seconds = 0;
        QString text;
    } last;
    if (last.formatter != this || last.seconds != seconds) {
        const auto time = static_cast<std::time_t>(seconds);
        std::tm local{};
        localtime_r(&time, &local);
        const qint64 localDay = (seconds + local.tm_gmtoff) / SecondsPerDay;
        QString text = datePart(localDay, local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
        appendTwoDigits(text, local.tm_hour);
        text += u':';
        appendTwoDigits(text, local.tm_min);
        text += u':';
        appendTwoDigits(text, local.tm_sec);
        text += u'.';
        last = {this, seconds, text};
    }
    QString text;
    text.reserve(last.text.size() + 3);
    text += last.text;
    text += QChar(u'0' + milliseconds / 100);
    appendTwoDigits(text, milliseconds % 100);
    return text;
}

QString ILRLogDateFormatter::dayPrefix(ILRDate date) const {
    const QString time = displayTime(date);
    const qsizetype separator = time.indexOf(QStringView(Separator));
    return separator < 0 ? QString() : time.left(separator + QStringView(Separator).size());
}
