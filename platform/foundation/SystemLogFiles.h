#pragma once

#include <QString>

// Where the program's log lives: one JSON object a line in "Skaf.jsonl" under the XDG state folder,
// moved aside to "Skaf.jsonl.1" when it grows too large. The program writes it; the log tool reads it.
namespace SystemLogFiles {

// $XDG_STATE_HOME/Skaf/Skaf.jsonl, or ~/.local/state/Skaf/Skaf.jsonl, as the environment says now.
QString defaultFilePath();
// The file a log is moved to when it is full.
QString previousFilePath(const QString& filePath);

} // namespace SystemLogFiles
