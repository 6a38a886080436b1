#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The contents of a file the user can name (settings, preferences, lists, imported files): only a
// regular file of at most maxBytes is read, so that a FIFO, a device or a huge file never blocks or
// floods the program. None, with the reason, for anything else.
std::optional<QByteArray> readRegularFile(const QString& path, qint64 maxBytes, QString* error = nullptr);
