#pragma once

#include <functional>

// The time that frame animation and leaving full screen wait through. By default the steady clock and a
// real sleep; tests install the run loop's manual clock so that nothing sleeps.
class WindowAccessClock {
public:
    using Now = std::function<double()>;
    using Wait = std::function<void(double seconds)>;

    static double now();
    // Waits the given seconds; nothing for zero, negative or non-finite values.
    static void wait(double seconds);
    static void waitUntil(double time);

    // Both empty: back to the real clock.
    static void install(Now now, Wait wait);
};
