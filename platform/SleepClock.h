#pragma once

// The time the machine has spent asleep. Nothing announces a sleep everywhere (logind may be absent, its
// bus out of reach), but two clocks of the kernel tell it: one runs on while the machine is suspended,
// the other stops.
class SleepClock {
public:
    virtual ~SleepClock() = default;

    // Seconds spent suspended since an arbitrary start; it grows only across a sleep.
    virtual double suspendedSeconds() const = 0;

    // The kernel's clocks: CLOCK_BOOTTIME less CLOCK_MONOTONIC.
    static SleepClock& system();
};
