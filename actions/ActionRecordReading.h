#pragma once

#include "platform/Geometry.h"

#include <QString>
#include <QVariant>
#include <optional>

// Strict reads of the values in action records that come from outside.
namespace ActionRecordReading {

// Text of exactly four (two) numbers, all finite; none for anything else.
std::optional<Rect> rectFromValue(const QVariant& value);
std::optional<Size> sizeFromValue(const QVariant& value);

// Text longer than this is cut as it is read: no list, menu or field shows more, and a title of megabytes
// takes seconds and gigabytes to lay out wherever it is shown.
constexpr qsizetype MaximumTextLength = 1000;
// The text, cut to the maximum with a log line naming the key and the action. The stored record keeps the
// whole text until the user changes it.
QString cappedText(const QString& text, const QString& key, const QString& context);

// Short text of a value for log lines: its type, not its content, so that a huge record never floods
// the log.
QString typeDescription(const QVariant& value);

} // namespace ActionRecordReading
