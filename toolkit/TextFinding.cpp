#include "toolkit/TextFinding.h"

#include <QTextDocument>
#include <QTextEdit>

bool ZRFindInTextView(QTextEdit* view, const QString& text, bool backwards) {
    if (!view || text.isEmpty())
        return false;
    const QTextDocument::FindFlags flags =
        backwards ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    if (view->find(text, flags))
        return true;
    // QTextEdit::find stops at the end of the document; start again from the other end.
    const QTextCursor kept = view->textCursor();
    QTextCursor start(view->document());
    start.movePosition(backwards ? QTextCursor::End : QTextCursor::Start);
    view->setTextCursor(start);
    if (view->find(text, flags))
        return true;
    view->setTextCursor(kept);
    return false;
}
