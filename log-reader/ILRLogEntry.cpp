#include "log-reader/ILRLogEntry.h"

#include "log-reader/ILRLogDateFormatter.h"
#include "platform/foundation/LogTimestamp.h"

#include <QDateTime>
#include <algorithm>
#include <vector>

namespace {
const QString TimestampKey = QLatin1String(ILRLogEntry::TimestampKey);
const QString EventMessageKey = QLatin1String(ILRLogEntry::EventMessageKey);
const QString ProcessImagePathKey = QLatin1String(ILRLogEntry::ProcessImagePathKey);
const QString SenderImagePathKey = QLatin1String(ILRLogEntry::SenderImagePathKey);
const QString SubsystemKey = QLatin1String(ILRLogEntry::SubsystemKey);
const QString CachedTimestampKey = QStringLiteral("cachedTimestamp");
constexpr qint64 MicrosecondsPerMillisecond = 1000;
} // namespace

ILRLogEntry ILRLogEntry::cachedMessage(const QString& message, ILRDate date) {
    ILRLogEntry entry;
    entry.eventMessage = message;
    entry.date = date;
    entry.cached = true;
    entry.displayTime = ILRLogDateFormatter::shared().displayTime(date);
    return entry;
}

QVariantMap ILRLogEntry::dictionaryRepresentation() const {
    QVariantMap dictionary;
    dictionary.insert(EventMessageKey, eventMessage);
    if (cached) {
        dictionary.insert(CachedTimestampKey,
                          QDateTime::fromMSecsSinceEpoch(date / MicrosecondsPerMillisecond, Qt::UTC));
        return dictionary;
    }
    dictionary.insert(TimestampKey, date == ILRDistantPast ? unreadableTimestamp
                                                           : LogTimestamp::format(date, offsetSeconds));
    dictionary.insert(ProcessImagePathKey, processImagePath);
    dictionary.insert(SenderImagePathKey, senderImagePath);
    dictionary.insert(SubsystemKey, subsystem);
    return dictionary;
}

void ILRSortLogEntries(std::deque<ILRLogEntry>& entries) {
    if (std::is_sorted(entries.begin(), entries.end(), ILRLogEntryIsEarlier))
        return;
    std::vector<std::pair<ILRDate, std::size_t>> order;
    order.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        order.emplace_back(entries[i].date, i);
    std::sort(order.begin(), order.end());
    std::deque<ILRLogEntry> sorted;
    for (const auto& [date, index] : order)
        sorted.push_back(std::move(entries[index]));
    entries = std::move(sorted);
}
