#pragma once

#include <QString>

// Texts of numbers and lengths, trimming and comparisons.

// Without leading and trailing white space (line breaks included).
QString trimmedString(const QString& text);

// " ‧ ": a space, a hyphenation point and a space, between the parts of a run-in list.
const QString& spacedMidDotSring();

// The decimal text of the value with at most that many decimals and no trailing zeros: "0", "1", "0.5".
QString stringWithDouble(double value, int numberOfDecimals);

// The unit of a length in stored action records.
enum class ZRMeasurementUnit : int {
    Points = 0,
    Percent = 1,
};

// A length as the editors show it: the zero symbol for 0 or less (when one is given), "50%" in percent,
// else "12 px" or "12". A stored point is one pixel of the desktop, and pixels are what X11 users count.
QString stringWithLength(qint64 length, const QString& zeroSymbol, ZRMeasurementUnit measurementUnit,
                         bool appendPointsUnitSuffix);

// The integer at the start of the text, after white space and an optional sign; 0 when there is none.
// Values beyond the 64-bit range are clamped.
qint64 integerValue(const QString& text);

// The order of the two texts' integer values: -1, 0 or 1.
int compareIntegerValue(const QString& text, const QString& other);

// The order of two texts as people sort names: case ignored, runs of digits compared as numbers
// ("Layout 9" before "Layout 10"). -1, 0 or 1.
int ZRCompareCaseInsensitiveNumeric(const QString& text, const QString& other);
// The same with case counted, upper case before lower case ("Tips And" before "Tips and").
int ZRCompareNumeric(const QString& text, const QString& other);
