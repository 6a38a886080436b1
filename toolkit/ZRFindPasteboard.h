#pragma once

#include "platform/Signal.h"

#include <QString>

// The one find string of the program: what was last typed into any find bar (the help window's, the log
// window's), so Find Next in one window finds what was typed in another. It lives as long as the process
// and is not shared with other programs. Main thread only.
class ZRFindPasteboard {
public:
    // The shared pasteboard.
    static ZRFindPasteboard& shared();

    // The find string; empty when nothing was typed yet.
    QString string() const { return m_string; }
    // Replaces the find string and tells the subscribers of changed when it differs.
    void setString(const QString& string);

    // The find string changed.
    Signal<const QString&> changed;

private:
    QString m_string;
};
