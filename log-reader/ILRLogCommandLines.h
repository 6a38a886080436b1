#pragma once

#include <QString>
#include <QStringList>

// The log tool's command lines of the reader. Levels: 0 default, 1 info, 2 debug.
namespace ILRLogCommandLines {

// "stream" of what is logged from now on.
QStringList live(const QString& predicate, unsigned level, bool macOS15OrLater);
// "show" of the history: numberOfDays 0 reads the last hour, N the last N days.
QStringList history(const QString& predicate, unsigned level, int numberOfDays, bool macOS15OrLater);
// The history command line for the last minutes instead.
QStringList lastMinutes(QStringList history, long minutes);
// The program's own messages: those of processes and senders inside its folder (named by its last
// component), at levels below debug only log events and none of the noisy system senders.
QString defaultPredicate(const QString& bundleFolderName, unsigned level, bool macOS15OrLater);

} // namespace ILRLogCommandLines
