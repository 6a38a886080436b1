#include "log-reader/ILRLogEntry.h"

#include "log-reader/ILRLogDateFormatter.h"
#include "platform/foundation/LogTimestamp.h"

#include <QDateTime>

namespace {
const QString TimestampKey = QStringLiteral("timestamp");
const QString EventMessageKey = QStringLiteral("eventMessage");
const QString ProcessImagePathKey = QStringLiteral("processImagePath");
const QString SenderImagePathKey = QStringLiteral("senderImagePath");
const QString SubsystemKey = QStringLiteral("subsystem");
const QString CachedTimestampKey = QStringLiteral("cachedTimestamp");
constexpr qint64 MicrosecondsPerMillisecond = 1000;
} // namespace

ILRLogEntry ILRLogEntry::fromToolObject(const QJsonObject& object) {
    ILRLogEntry entry;
    entry.eventMessage = object.value(EventMessageKey).toString();
    entry.processImagePath = object.value(ProcessImagePathKey).toString();
    entry.senderImagePath = object.value(SenderImagePathKey).toString();
    entry.subsystem = object.value(SubsystemKey).toString();
    const QString timestamp = object.value(TimestampKey).toString();
    int offsetSeconds = 0;
    if (const auto date = LogTimestamp::parse(timestamp, &offsetSeconds)) {
        entry.date = *date;
        entry.offsetSeconds = offsetSeconds;
    } else {
        entry.unreadableTimestamp = timestamp;
    }
    entry.displayTime = ILRLogDateFormatter::shared().displayTime(entry.date);
    return entry;
}

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
