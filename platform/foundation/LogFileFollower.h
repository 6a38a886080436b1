#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <sys/types.h>

// Follows the program's log file as it grows and is moved aside (SystemLogFiles.h). It keeps the file
// open, so lines written just before the file is moved are still read; after a move it reads the old
// file to its end, then the new one from its start. When it finds that the log was moved more than
// once since it last looked, it reads the moved-aside file it never saw, and marks where lines may
// have been lost with it. A last line without its newline waits for the rest.
class LogFileFollower {
public:
    struct Poll {
        QList<QByteArray> lines;
        // Indices into lines before which lines may be missing (lines.size() for after the last).
        QList<qsizetype> possibleGapsBefore;
    };

    explicit LogFileFollower(QString filePath);
    ~LogFileFollower();
    LogFileFollower(const LogFileFollower&) = delete;
    LogFileFollower& operator=(const LogFileFollower&) = delete;

    // Begins at the end of what the file holds now; a missing file is read from its start once it
    // appears.
    void startAtEnd();
    // The complete lines added since the last poll, in order.
    Poll poll();

private:
    struct OpenFile {
        int descriptor = -1;
        dev_t device = 0;
        ino_t inode = 0;
        off_t offset = 0;
    };

    bool open(const QString& path, OpenFile& file) const;
    void close(OpenFile& file);
    // Reads the file to its end, appending its complete lines.
    void readToEnd(OpenFile& file, Poll& poll);
    // What is left after a moved file's last newline can never be completed: it goes out as a line.
    void flushPartialLine(Poll& poll);

    QString m_filePath;
    OpenFile m_file;
    QByteArray m_partial;
};
