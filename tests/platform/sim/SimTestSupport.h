#pragma once

#include "platform/foundation/RunLoop.h"
#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>
#include <optional>

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

template <class T> std::optional<T> attribute(const AXElementRef& element, const QString& name) {
    AXValue value;
    if (!element || element->copyAttributeValue(name, value) != AXError::Success)
        return std::nullopt;
    if (const T* typed = std::get_if<T>(&value))
        return *typed;
    return std::nullopt;
}

inline AXElementRef windowElement(SimDesktop& sim, const SimWindow& window) {
    const auto windows = attribute<std::vector<AXElementRef>>(
        sim.accessibility().applicationElement(window.application().pid()), AX::Windows);
    for (const auto& element : windows.value_or(std::vector<AXElementRef>{})) {
        if (element->windowNumber() == window.number())
            return element;
    }
    return nullptr;
}
