#pragma once

#include "platform/foundation/RunLoop.h"

#include <QAbstractButton>
#include <QPointer>
#include <QWidget>
#include <memory>

class Platform;
class QKeyEvent;
class UserDefaults;
class ZRHotKey;
class ZRHotKeyContainerView;
class ZRHotKeyDelegate;
class ZRHotKeyTextViewAlerts;
class WindowInputGrab;

// The one-line field in which the user records a hot key. A click on the field (or on its plus while it
// has none) starts recording; the next key press with its modifiers becomes a hot key, which the field's
// owner, its hot-key delegate, takes or refuses. Recording ends with that key, Escape, 30 seconds without
// one, another window becoming active, clearing, or the field going away.
//
// While it records the field holds the keyboard: the desktop would otherwise hand a combination that some
// program (the window manager, or we ourselves) grabbed to that program instead of the field, and the
// press would act rather than be judged here. The keyboard is given back whenever recording ends, and
// before any question is asked.
//
// The field sits in a rounded container with its clear button, made with it: place containerView() in a
// layout. The widget's class name is how the application object knows a field. Main thread only.
class ZRHotKeyTextView : public QWidget {
    Q_OBJECT
public:
    // The container is made as a child of the parent. The field records keys as the desktop's keyboard
    // types them, holds its keyboard and makes hot keys that register with it; it reads the settings given
    // and times out on the main run loop. Each outlives the field.
    ZRHotKeyTextView(Platform& desktop, const UserDefaults& settings, RunLoop& mainRunLoop,
                     QWidget* parent = nullptr);
    ~ZRHotKeyTextView() override;

    ZRHotKeyContainerView* containerView() const { return m_containerView; }
    QAbstractButton* deleteButton() const { return m_deleteButton; }
    void setDeleteButton(QAbstractButton* button);

    // Not owned: the owner outlives the field or sets another (null: none).
    ZRHotKeyDelegate* hotKeyDelegate() const { return m_hotKeyDelegate; }
    void setHotKeyDelegate(ZRHotKeyDelegate* delegate);

    // The hot key shown; null for none.
    std::shared_ptr<ZRHotKey> hotKey() const { return m_hotKey; }
    // Shows the hot key and tells the delegate that the field's hot key changed.
    void setHotKey(const std::shared_ptr<ZRHotKey>& hotKey);

    QString placeholderString() const;
    // The text shown, drawn in the delegate's font size.
    QString string() const { return m_string; }
    void setString(const QString& string);

    bool isRecording() const { return m_recording; }
    bool isActivelyResigningFirstResponder() const { return m_activelyResigning; }
    // Whether the field has the keyboard to itself (while recording, once the desktop granted it).
    bool holdsKeyboard() const;

    // A key press while recording: Escape alone cancels; any other key with its modifiers is offered to
    // the delegate. A key that cannot be used beeps and recording goes on.
    void keyDown(const QKeyEvent& event);
    // The clear button's action: clears the hot key when the delegate agrees, and ends recording. A
    // field without hot key starts recording instead, when the user released its button.
    void deleteHotKey();
    // Ends recording; the field shows its hot key, or the placeholder.
    void activelyResignFirstResponder();
    void timeOutFirstResponder();

    // Whether a key is recorded when pressed alone: Escape then is recorded too.
    bool ignoresMetaKeys() const;
    // Replaces the beep and the question (tests); null restores the standard ones.
    static void setAlerts(std::unique_ptr<ZRHotKeyTextViewAlerts> alerts);
    static ZRHotKeyTextViewAlerts& alerts();

    void setVisible(bool visible) override;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    bool becomeFirstResponder();
    void endRecording();
    void updateDisplayForFirstResponder(bool firstResponder);
    void windowDidBecomeOrResignKey();
    void showHotKey();
    bool canUseHotKey(const std::shared_ptr<ZRHotKey>& hotKey);
    QString identifier() const;
    QColor backgroundColor() const;
    QColor textColor() const;
    void holdKeyboard();
    void letGoOfKeyboard();

    Platform& m_desktop;
    const UserDefaults& m_settings;
    RunLoop& m_mainRunLoop;
    ZRHotKeyContainerView* m_containerView;
    QPointer<QAbstractButton> m_deleteButton;
    // A child of the window, given back whenever recording ends.
    QPointer<WindowInputGrab> m_keyboardGrab;
    ZRHotKeyDelegate* m_hotKeyDelegate = nullptr;
    std::shared_ptr<ZRHotKey> m_hotKey;
    QString m_string;
    bool m_recording = false;
    bool m_activelyResigning = false;
    PendingPerform m_recordingTimeout;
};
