#include "platform/Platform.h"

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

bool Platform::hasCurrent() { return currentPlatform != nullptr; }

void Platform::setCurrent(Platform* platform) { currentPlatform = platform; }
