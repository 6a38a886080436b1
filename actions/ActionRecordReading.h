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

// Short text of a value for log lines: its type, not its content, so that a huge record never floods
// the log.
QString typeDescription(const QVariant& value);

} // namespace ActionRecordReading
