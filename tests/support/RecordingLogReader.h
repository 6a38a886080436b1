#pragma once

#include "toolkit/ZRLog.h"

#include <QStringList>
#include <mutex>

// Keeps every line of the program's log, from any thread, for the test to look through.
class RecordingLogReader : public ZRLogReader {
public:
    void logMessage(const QString& message) override;
    void displayLog(QObject*) override {}

    // Whether a line holds the text.
    bool contains(const QString& text) const;
    QStringList lines() const;
    void clear();

private:
    mutable std::mutex m_mutex;
    QStringList m_lines;
};
