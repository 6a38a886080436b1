#include "RecordingLogReader.h"

#include <algorithm>

void RecordingLogReader::logMessage(const QString& message) {
    std::lock_guard lock(m_mutex);
    m_lines += message;
}

bool RecordingLogReader::contains(const QString& text) const {
    std::lock_guard lock(m_mutex);
    return std::any_of(m_lines.begin(), m_lines.end(),
                       [&](const QString& line) { return line.contains(text); });
}

QStringList RecordingLogReader::lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

void RecordingLogReader::clear() {
    std::lock_guard lock(m_mutex);
    m_lines.clear();
}
