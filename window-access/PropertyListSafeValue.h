#pragma once

#include <QVariant>

// A value that can always be written as a property list: strings and finite numbers as they are,
// arrays and dictionaries with their elements made safe (dictionary keys of any type as text), and
// anything else, non-finite numbers included, as its description text.
QVariant ZRPropertyListSafeValue(const QVariant& value);
