#pragma once

#include <QString>

class QTextEdit;

// Finds the text in the view, without regard to case, from the current selection onwards (backwards:
// before it), wrapping round the end of the document once; the match becomes the selection and is
// scrolled into view. False, with the selection unchanged, when the text is empty or nowhere in the view.
bool ZRFindInTextView(QTextEdit* view, const QString& text, bool backwards);
