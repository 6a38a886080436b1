#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file or nothing: a temporary file beside it, flushed to disk, then renamed over
// the old one, and the folder flushed. A failure at any step leaves the old file as it was.
bool writeFileAtomically(const QString& path, const QByteArray& contents, QString* error = nullptr);

namespace AtomicFileTesting {
// The step at which the next write fails on purpose, to test that the old file survives.
enum class FailAt { Nothing, Writing, Syncing, Renaming };
void failNextWriteAt(FailAt step);
} // namespace AtomicFileTesting
