#pragma once

#include "platform/Signal.h"

#include <QString>

class UserDefaults;

// The settings key of the debug-logging switch: lines that begin "[Debug] " are written only while it is on.
inline constexpr char16_t ZRDebugLogUserDefaultName[] = u"ZRDebugLog";

// The debug-logging switch as window access and the log read it. The log is one per process, so the
// switch is too: frames are set and windows enumerated on workers at every hover step, where looking
// the switch up in a store would cost a lock each time.
namespace WindowAccessDefaults {

// Whether debug logging is on; from any thread.
bool debugLogEnabled();
// Keeps the switch in step with the settings' "ZRDebugLog" from now until the connection is dropped, when
// it goes off again (unless a later follower has taken over meanwhile).
[[nodiscard]] Connection followDebugLogSetting(UserDefaults& defaults);

// Writes "[Debug] " and the line to the platform log while debug logging is on.
void debugLog(const QString& line);
// Writes the line as debugLog() does, for a caller that has looked whether debug logging is on (frames are
// set at every hover step: their lines are made only while it is).
void writeDebugLog(const QString& line);

} // namespace WindowAccessDefaults
