#pragma once

#include "platform/Signal.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class ZRFindPasteboard;

// The find bar that sits above a window's text: a search field and a "Done" button on a 31-pixel strip.
// The field starts with the program's find string (ZRFindPasteboard) and writes every change back to it;
// Return asks for a search, Escape and "Done" ask to close the bar. The owner places the bar, searches
// its own text and hides the bar.
class ZRFindBar : public QWidget {
    Q_OBJECT
public:
    // The height of the bar, its bottom line included.
    static constexpr int Height = 31;

    // Shows and keeps the find string of the pasteboard given, which outlives the bar.
    explicit ZRFindBar(ZRFindPasteboard& findPasteboard, QWidget* parent = nullptr);

    // The search field, for the owner's completions and focus.
    QLineEdit* searchField() const { return m_field; }
    // Puts the keyboard focus into the field and selects its text.
    void focusSearchField();

Q_SIGNALS:
    // Return was pressed in the field, with its text.
    void searchRequested(const QString& text);
    // The user typed into the field; the find string holds the text already.
    void textEdited(const QString& text);
    // "Done" or Escape: the owner closes the bar.
    void doneRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void layOut();

    ZRFindPasteboard& m_findPasteboard;
    QLineEdit* m_field;
    QPushButton* m_done;
    Connection m_findStringChanged;
};
