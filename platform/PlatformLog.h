#pragma once

#include <functional>
#include <QString>

// The platform layer's own diagnostics. The program's log installs itself as the sink at start;
// until then lines go to standard error.
void platformLog(const QString& line);
void setPlatformLogSink(std::function<void(const QString& line)> sink);
