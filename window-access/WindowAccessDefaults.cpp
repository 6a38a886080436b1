#include "window-access/WindowAccessDefaults.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/UserDefaults.h"

#include <atomic>
#include <memory>

namespace WindowAccessDefaults {

namespace {

std::atomic<bool> debugLogging{false};
// Which follower keeps the switch: one that is dropped after a later one took over leaves it alone.
std::atomic<unsigned long long> currentFollower{0};

void setDebugLogEnabled(bool enabled) {
    debugLogging.store(enabled, std::memory_order_relaxed);
}

} // namespace

bool debugLogEnabled() {
    return debugLogging.load(std::memory_order_relaxed);
}

Connection followDebugLogSetting(UserDefaults& defaults) {
    static std::atomic<unsigned long long> followers{0};
    const unsigned long long follower = ++followers;
    currentFollower.store(follower);
    const QString key = QString::fromUtf16(ZRDebugLogUserDefaultName);
    setDebugLogEnabled(defaults.boolForKey(key));
    auto changes = std::make_shared<Connection>(
        defaults.changed.connect([&defaults, key, follower](const QString& changed) {
            if (changed == key && currentFollower.load() == follower)
                setDebugLogEnabled(defaults.boolForKey(key));
        }));
    return Connection([changes, follower] {
        changes->disconnect();
        unsigned long long expected = follower;
        if (currentFollower.compare_exchange_strong(expected, 0))
            setDebugLogEnabled(false);
    });
}

void debugLog(const QString& line) {
    if (debugLogEnabled())
        writeDebugLog(line);
}

void writeDebugLog(const QString& line) {
    platformLog(QStringLiteral("[Debug] ") + line);
}

} // namespace WindowAccessDefaults
