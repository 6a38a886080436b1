#pragma once

#include "hotkeys/HotKeyEventRouter.h"

#include <QApplication>
#include <functional>

class QKeyEvent;
class QWheelEvent;
class ZRHotKeyHandler;

// The program's application object. Before normal dispatch it offers key presses of our own windows and
// the desktop's hot-key presses to the hot-key handler (the application's delegate), repeats a held hot
// key, has the status-item menu rebuilt before it opens, and lets the scroll wheel pass over hot-key
// recorder fields to the list or pane around them. Keys of our windows that are registered hot keys
// (they come so while an overlay holds the keyboard) go first, as those hot keys, except to fields that
// record hot keys or take text.
class ZRHotKeyHandlerApplication : public QApplication {
    Q_OBJECT

public:
    // Hears no desktop's hot keys until listenToDesktop.
    ZRHotKeyHandlerApplication(int& argc, char** argv);
    ~ZRHotKeyHandlerApplication() override;

    // The running application object, or null when the program's is not the one running.
    static ZRHotKeyHandlerApplication* instance();

    void setHotKeyHandler(ZRHotKeyHandler* handler) { m_router.setHandler(handler); }
    ZRHotKeyHandler* hotKeyHandler() const { return m_router.handler(); }
    // Takes the desktop's hot keys, and the settings of their repetition, until the answer is dropped.
    [[nodiscard]] Connection listenToDesktop(Platform& desktop, const UserDefaults& defaults) {
        return m_router.listenTo(desktop, defaults);
    }

    bool notify(QObject* receiver, QEvent* event) override;

    // Whether key presses sent to the widget are offered to the handler first. Not while it takes typed
    // text or records a hot key (a typed letter is no local hot key), nor inside a menu, which tracks
    // its own keys.
    static bool offersKeyPressesOf(const QWidget* widget);

    // A hot-key recorder field.
    static bool isHotKeyField(const QWidget* widget);
    // For a wheel event over the widget: the widget around the hot-key field the widget belongs to,
    // which scrolls instead of the one-line field; null when the widget is in no field.
    static QWidget*
    scrollTargetForWheelOver(QWidget* widget,
                             const std::function<bool(const QWidget*)>& isField = isHotKeyField);
    // Sends the wheel event to the widget and on up its parents until one takes it.
    static bool forwardWheelEvent(QWidget* target, const QWheelEvent& event);

private:
    bool sendKeyOfRegisteredHotKey(const QKeyEvent& event);

    RunLoop& m_mainRunLoop;
    HotKeyEventRouter m_router;
};
