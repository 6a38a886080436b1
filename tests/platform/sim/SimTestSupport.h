#pragma once

#include "Elements.h"

#include "platform/foundation/RunLoop.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

// A desktop with one 1440 x 900 screen whose menu bar and Dock leave a smaller visible frame, on
// the manual clock.
class SimDesktopTest : public ::testing::Test {
protected:
    SimDesktopTest() {
        RunLoop::main().useManualClock();
        sim.addScreen(Rect(0, 0, 1440, 900), Rect(0, 70, 1440, 805));
    }

    SimDesktop sim;
};
