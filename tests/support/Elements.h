#pragma once

#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "platform/sim/SimDesktop.h"
#include "tests/support/Attributes.h"

#include <optional>


// The element of a simulated window, found as the program finds it: through its application's windows.
inline AXElementRef elementOf(const SimWindow& window,
                              Accessibility& accessibility = Platform::current().accessibility()) {
    const auto windows = attribute<std::vector<AXElementRef>>(
        accessibility.applicationElement(window.application().pid()), AX::Windows);
    for (const AXElementRef& element : windows.value_or(std::vector<AXElementRef>{})) {
        if (element->windowNumber() == window.number())
            return element;
    }
    return nullptr;
}
