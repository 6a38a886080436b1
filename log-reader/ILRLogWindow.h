#pragma once

#include <QWidget>
#include <functional>

class QCheckBox;
class QMenu;
class QProgressBar;
class QPushButton;
class QTextEdit;
class QToolButton;
class QVBoxLayout;
class ZRFindBar;
class ZRFindPasteboard;

// The log window, "ILRLogWindow": the log text, a busy indicator, the buttons Find Earlier, Clear and
// Save, the debug-logging switch and the Options button, in a row below the text (title bars of this
// desktop take no controls of ours). The reader owns it and fills it; the window tells the reader what
// happens to it through the hooks below.
class ILRLogWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr char16_t InterfaceName[] = u"ILRLogWindow";

    // Its find bar shows the find string of the pasteboard given, which outlives the window.
    explicit ILRLogWindow(ZRFindPasteboard& findPasteboard, QWidget* parent = nullptr);

    QTextEdit* logView() const { return m_logView; }
    QProgressBar* spinner() const { return m_spinner; }
    QPushButton* findEarlierResultsButton() const { return m_findEarlier; }
    QPushButton* clearButton() const { return m_clear; }
    QPushButton* saveButton() const { return m_save; }
    QCheckBox* debugLoggingSwitch() const { return m_debugLogging; }
    QToolButton* actionButton() const { return m_options; }

    // Whether the log view stands at its end (within a few pixels): it then keeps to it as the text grows,
    // is laid out anew or the window is resized, and stops when the user scrolls away.
    bool followsEnd() const { return m_followsEnd; }
    void scrollToEnd();

    // Shows the find bar above the text, its field focused; hides it.
    void showFindBar();
    void hideFindBar();

    // The window's delegate: it is about to close, it became or stopped being the active window, and Return
    // was pressed in the log text (answers whether it was taken).
    std::function<void()> windowWillClose;
    std::function<void(bool active)> activeChanged;
    std::function<bool()> insertNewline;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ZRFindPasteboard& m_findPasteboard;
    QVBoxLayout* m_layout;
    QTextEdit* m_logView;
    QProgressBar* m_spinner;
    QPushButton* m_findEarlier;
    QPushButton* m_clear;
    QPushButton* m_save;
    QCheckBox* m_debugLogging;
    QToolButton* m_options;
    ZRFindBar* m_findBar = nullptr;
    bool m_followsEnd = true;
};
