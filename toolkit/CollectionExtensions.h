#pragma once

#include "platform/Geometry.h"

#include <QList>
#include <QString>
#include <QVariantMap>
#include <memory>
#include <type_traits>

// Reads and writes of record dictionaries, and small helpers on lists.

// The rectangle written as text under the key ("{{x, y}, {w, h}}"); the zero rectangle when the key is
// missing, holds no text, holds text that is not four numbers, or a number that is not finite.
Rect rectValueOfObjectForKey(const QVariantMap& dictionary, const QString& key);

// The integer under the key: numbers (truncated, clamped to the 64-bit range), booleans, and texts by
// their leading integer; 0 when the key is missing or holds anything else.
qint64 integerValueOfObjectForKey(const QVariantMap& dictionary, const QString& key);

void setNumberWithInteger(QVariantMap& dictionary, qint64 value, const QString& key);

// What the function (or member function) gives for each element, in order.
template <class Container, class Function>
auto resultsForSelector(const Container& elements, Function&& function) {
    using Element = decltype(*std::begin(elements));
    using Result = std::decay_t<std::invoke_result_t<Function&, Element>>;
    QList<Result> results;
    results.reserve(static_cast<qsizetype>(std::size(elements)));
    for (const auto& element : elements)
        results.push_back(std::invoke(function, element));
    return results;
}

// The same number of elements and the very same objects in the same order (pointers or smart pointers).
template <class Container> bool isIdenticalToArray(const Container& elements, const Container& others) {
    if (std::size(elements) != std::size(others))
        return false;
    auto other = std::begin(others);
    for (const auto& element : elements) {
        if (std::to_address(element) != std::to_address(*other++))
            return false;
    }
    return true;
}
