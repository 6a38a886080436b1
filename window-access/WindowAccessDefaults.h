#pragma once

#include <QString>
#include <QVariant>

// Settings as window access reads them. The settings store belongs to the main thread, but frame
// setting and window enumeration also run on workers; there a key reads as it last read on the main
// thread (and as no value before that).
namespace WindowAccessDefaults {

QVariant object(const QString& key);
bool boolValue(const QString& key);
qint64 integerValue(const QString& key);
double doubleValue(const QString& key);

bool isMainThread();

// Writes "[Debug] " and the line to the platform log while "ZRDebugLog" is on.
bool debugLogEnabled();
void debugLog(const QString& line);

} // namespace WindowAccessDefaults
