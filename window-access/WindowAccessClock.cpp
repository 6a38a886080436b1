#include "window-access/WindowAccessClock.h"

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>

namespace {

std::mutex clockMutex;
WindowAccessClock::Now installedNow;
WindowAccessClock::Wait installedWait;

double steadyNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

double WindowAccessClock::now() {
    Now now;
    {
        std::lock_guard lock(clockMutex);
        now = installedNow;
    }
    return now ? now() : steadyNow();
}

void WindowAccessClock::wait(double seconds) {
    if (!(seconds > 0) || !std::isfinite(seconds))
        return;
    Wait wait;
    {
        std::lock_guard lock(clockMutex);
        wait = installedWait;
    }
    if (wait)
        wait(seconds);
    else
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

void WindowAccessClock::waitUntil(double time) {
    wait(time - now());
}

void WindowAccessClock::install(Now now, Wait wait) {
    std::lock_guard lock(clockMutex);
    installedNow = std::move(now);
    installedWait = std::move(wait);
}
