#include "window-access/WindowAccessDefaults.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/PlistRead.h"
#include "platform/foundation/UserDefaults.h"

namespace WindowAccessDefaults {

QVariant object(const QString& key) {
    return UserDefaults::standard().object(key);
}

bool boolValue(const QString& key) {
    return Plist::coerceBool(object(key)).value_or(false);
}

qint64 integerValue(const QString& key) {
    return Plist::coerceInteger(object(key)).value_or(0);
}

double doubleValue(const QString& key) {
    return Plist::coerceDouble(object(key)).value_or(0.0);
}

bool debugLogEnabled() {
    return boolValue(QString::fromUtf16(ZRDebugLogUserDefaultName));
}

void debugLog(const QString& line) {
    if (debugLogEnabled())
        writeDebugLog(line);
}

void writeDebugLog(const QString& line) {
    platformLog(QStringLiteral("[Debug] ") + line);
}

} // namespace WindowAccessDefaults
