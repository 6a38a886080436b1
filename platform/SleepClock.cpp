#include "platform/SleepClock.h"

#include <ctime>

namespace {

constexpr double NanosecondsPerSecond = 1e9;

double secondsOf(clockid_t clock) {
    timespec time{};
    clock_gettime(clock, &time);
    return double(time.tv_sec) + double(time.tv_nsec) / NanosecondsPerSecond;
}

class KernelSleepClock : public SleepClock {
public:
    double suspendedSeconds() const override {
        // Both clocks are slewed alike by time adjustments, so their difference moves only while suspended.
        return secondsOf(CLOCK_BOOTTIME) - secondsOf(CLOCK_MONOTONIC);
    }
};

} // namespace

SleepClock& SleepClock::system() {
    static KernelSleepClock clock;
    return clock;
}
