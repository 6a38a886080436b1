#pragma once

#include <QString>
#include <QVariant>

// The settings key of the debug-logging switch: lines that begin "[Debug] " are written only while it is on.
inline constexpr char16_t ZRDebugLogUserDefaultName[] = u"ZRDebugLog";

// Settings as window access reads them, on the main thread or on the workers that set frames and
// enumerate windows: a worker reads what the main thread would.
namespace WindowAccessDefaults {

QVariant object(const QString& key);
bool boolValue(const QString& key);
qint64 integerValue(const QString& key);
double doubleValue(const QString& key);

// Whether debug logging is on; writes "[Debug] " and the line to the platform log while it is.
bool debugLogEnabled();
void debugLog(const QString& line);
// Writes the line as debugLog() does, for a caller that has looked whether debug logging is on (frames are
// set at every hover step: their lines are made only while it is).
void writeDebugLog(const QString& line);

} // namespace WindowAccessDefaults
