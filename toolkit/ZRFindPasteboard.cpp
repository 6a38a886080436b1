#include "toolkit/ZRFindPasteboard.h"

ZRFindPasteboard& ZRFindPasteboard::shared() {
    static ZRFindPasteboard pasteboard;
    return pasteboard;
}

void ZRFindPasteboard::setString(const QString& string) {
    if (string == m_string)
        return;
    m_string = string;
    changed.emit(m_string);
}
