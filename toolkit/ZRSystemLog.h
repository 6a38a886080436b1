#pragma once

#include <QString>
#include <memory>

// The program's system log: one JSON object a line in a file under the XDG state directory, with the
// keys the log tool of the desktop the program was first written for gives its entries ("timestamp",
// "processImagePath", "senderImagePath", "subsystem", "messageType", "eventType", "eventMessage"), so the
// log reader reads both alike. Lines are copied to standard error when it is a terminal. Safe from any
// thread; a line that cannot be written is dropped, never reported.
class ZRSystemLog {
public:
    // A log that grows past this is moved aside (its name followed by ".1"), dropping the one before,
    // so the two never take much more than twice this.
    static constexpr qint64 MaximumFileSize = 8 * 1024 * 1024;
    // A longer message keeps its start and its end, and says how much of its middle was left out: a few
    // lines of megabytes (a path that another process of the user made up) would otherwise move the log
    // aside twice and drop all that came before them.
    static constexpr qsizetype MaximumMessageLength = 16 * 1024;

    static ZRSystemLog& shared();

    // $XDG_STATE_HOME/Skaf/Skaf.jsonl, or ~/.local/state/Skaf/Skaf.jsonl.
    static QString defaultFilePath();
    // Where lines go from now on (tests, and a reader that wants to know); the default until set.
    void setFilePath(const QString& path);
    QString filePath() const;
    // Tests: whether lines are also copied to standard error; on by default when it is a terminal.
    void setEchoesToStandardError(bool echo);

    void write(const QString& message);

    ~ZRSystemLog();

private:
    ZRSystemLog();
    struct Private;
    std::unique_ptr<Private> d;
};
