#pragma once

#include <QString>
#include <QVariant>

// The settings key of the debug-logging switch: lines that begin "[Debug] " are written only while it is on.
inline constexpr char16_t ZRDebugLogUserDefaultName[] = u"ZRDebugLog";

// Settings as window access reads them. The settings store belongs to the main thread, but frame
// setting and window enumeration also run on workers; there a key reads as it last read on the main
// thread (and as no value before that).
namespace WindowAccessDefaults {

QVariant object(const QString& key);
bool boolValue(const QString& key);
qint64 integerValue(const QString& key);
double doubleValue(const QString& key);

bool isMainThread();

// Whether debug logging is on; writes "[Debug] " and the line to the platform log while it is.
bool debugLogEnabled();
void debugLog(const QString& line);

} // namespace WindowAccessDefaults
