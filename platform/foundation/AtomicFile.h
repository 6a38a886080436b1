#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writes a whole file or nothing: a temporary file beside it, flushed to disk, then renamed over
// the old one, and the folder flushed. A failure at any step leaves the old file as it was. A note that
// means nothing after the running program ends (one in the runtime folder) is not durable: readers
// still see all of it or nothing, but neither it nor its folder waits for the disk.
[[nodiscard]] bool writeFileAtomically(const QString& path, const QByteArray& contents,
                                       QString* error = nullptr, bool durable = true);

// A free name beside the file for a copy kept aside: "PATH.LABEL-yyyyMMdd-HHmmss", with "-2", "-3"...
// when that is taken.
QString siblingPathWithTimeStamp(const QString& path, const QString& label);

// Removes the temporary files in the folder that writes of this kind left behind when their process was
// killed mid-way; a write still in progress (its file locked) is left alone. Answers the removed paths.
QStringList removeStaleTemporaryFiles(const QString& folder);

namespace AtomicFileTesting {
// The step at which the next write fails on purpose, to test that the old file survives.
enum class FailAt { Nothing, Writing, Syncing, Renaming };
void failNextWriteAt(FailAt step);
} // namespace AtomicFileTesting
