#pragma once

#include <QString>
#include <QVariantMap>
#include <deque>
#include <limits>

// Instants of the log reader: microseconds since 1970-01-01 UTC.
using ILRDate = qint64;
// The date of an entry without a readable time stamp: before every other.
inline constexpr ILRDate ILRDistantPast = std::numeric_limits<qint64>::min();

// One entry of the log: an object of the log tool's answer, or a message the reader kept itself (cached).
// Entries of one process share the text of their paths, so a hundred thousand of them stay small.
struct ILRLogEntry {
    QString eventMessage;
    QString processImagePath;
    QString senderImagePath;
    QString subsystem;
    // The tool's time stamp as it was written, kept only when it could not be read.
    QString unreadableTimestamp;
    // The date; for a tool's entry, the offset from UTC it was written with.
    ILRDate date = ILRDistantPast;
    qint32 offsetSeconds = 0;
    // A message the reader kept ("cachedTimestamp"), not one read from the tool.
    bool cached = false;
    // The date as the window shows it, attached when the entry is read.
    QString displayTime;

    // The keys of the tool's objects that an entry keeps.
    static constexpr char TimestampKey[] = "timestamp";
    static constexpr char EventMessageKey[] = "eventMessage";
    static constexpr char ProcessImagePathKey[] = "processImagePath";
    static constexpr char SenderImagePathKey[] = "senderImagePath";
    static constexpr char SubsystemKey[] = "subsystem";

    // A message the reader kept, logged at the date.
    static ILRLogEntry cachedMessage(const QString& message, ILRDate date);

    // The entry as a saved log holds it: the tool's keys ("timestamp", "eventMessage",
    // "processImagePath", "senderImagePath", "subsystem"), or "cachedTimestamp" and "eventMessage".
    QVariantMap dictionaryRepresentation() const;
};

// The date every ordering and comparison of entries uses.
inline ILRDate ILRLogEntryDate(const ILRLogEntry& entry) {
    return entry.date;
}

// Orders entries by date, earlier first.
inline bool ILRLogEntryIsEarlier(const ILRLogEntry& a, const ILRLogEntry& b) {
    return a.date < b.date;
}

// Sorts entries by date, those of one date kept in their order. A list in order, as the log tool gives
// it, costs one look; any other is sorted by its dates alone and then moved into place once.
void ILRSortLogEntries(std::deque<ILRLogEntry>& entries);
