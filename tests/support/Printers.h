#pragma once

#include "platform/Geometry.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <ostream>

// Failures that show texts, frames and settings values as they read, not as bytes.
void PrintTo(const QString& text, std::ostream* out);
void PrintTo(const QStringList& texts, std::ostream* out);
void PrintTo(const QVariant& value, std::ostream* out);
void PrintTo(const Rect& rect, std::ostream* out);
void PrintTo(const Point& point, std::ostream* out);
