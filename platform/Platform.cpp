#include "platform/Platform.h"

#include "platform/PlatformLog.h"
#include "platform/foundation/DispatchQueue.h"

#include <cstdio>
#include <cstdlib>

namespace {
Platform* currentPlatform = nullptr;
}

Platform& Platform::current() {
    if (!currentPlatform) {
        std::fputs("skaf: no platform backend installed\n", stderr);
        std::abort();
    }
    return *currentPlatform;
}

bool Platform::hasCurrent() {
    return currentPlatform != nullptr;
}

void Platform::setCurrent(Platform* platform) {
    currentPlatform = platform;
}

bool Platform::shutDown(std::unique_ptr<Platform> platform, double seconds) {
    if (!DispatchQueue::finishForQuit(seconds)) {
        platformLog(QStringLiteral("workers still busy after %1 s at quit: the desktop stays open for them")
                        .arg(seconds));
        // Reachable through the installed pointer: not a leak, only left to the end of the process.
        if (platform.get() == currentPlatform)
            (void)platform.release();
        return false;
    }
    if (platform.get() == currentPlatform)
        currentPlatform = nullptr;
    platform.reset();
    return true;
}
