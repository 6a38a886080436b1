#pragma once

#include "log-reader/ILRLogEntry.h"

#include <QLocale>
#include <QString>
#include <mutex>

// The dates of the log window: the locale's numeric date, " — ", and the time to the millisecond
// ("2024-05-01 — 12:34:56.789"); "?" for an entry without a readable time stamp. Built by hand from the
// local time, a hundred thousand at a time. Safe from any thread.
class ILRLogDateFormatter {
public:
    // The separator between date and time.
    static constexpr char16_t Separator[] = u" — ";

    // The formatter of the system's locale.
    static ILRLogDateFormatter& shared();
    explicit ILRLogDateFormatter(const QLocale& locale);

    QString displayTime(ILRDate date) const;
    // The date of the instant as displayTime begins it, up to and including the separator: times of
    // that day are shown without it.
    QString dayPrefix(ILRDate date) const;

private:
    QString datePart(qint64 localDay, int year, int month, int day) const;

    QLocale m_locale;
    QString m_dateFormat;
    mutable std::mutex m_mutex;
    mutable qint64 m_cachedDay = std::numeric_limits<qint64>::min();
    mutable QString m_cachedDatePart;
};
