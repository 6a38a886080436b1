#pragma once

#include "log-reader/ILRLogEntry.h"

#include <QString>
#include <deque>

// A saved log: a property list of the entries, each as its dictionary, written whole or not at all.
// The program writes it and never reads it.
namespace ILRSavedLog {

// False, with the reason, when the file could not be written.
[[nodiscard]] bool write(const std::deque<ILRLogEntry>& entries, const QString& path, QString* error);

} // namespace ILRSavedLog
