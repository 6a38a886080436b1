#pragma once

#include "platform/Accessibility.h"
#include "platform/Platform.h"
#include "platform/sim/SimDesktop.h"

#include <optional>

// An attribute of the type asked for; none when it is missing, unreadable or of another type.
template <class T> std::optional<T> attribute(const AXElementRef& element, const QString& name) {
    AXValue value;
    if (!element || element->copyAttributeValue(name, value) != AXError::Success)
        return std::nullopt;
    if (const T* typed = std::get_if<T>(&value))
        return *typed;
    return std::nullopt;
}

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
