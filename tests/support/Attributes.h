#pragma once

#include "platform/Accessibility.h"

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
