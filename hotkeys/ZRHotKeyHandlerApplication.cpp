#include "hotkeys/ZRHotKeyHandlerApplication.h"

#include "hotkeys/QtKeyEvents.h"
#include "platform/foundation/RunLoop.h"

#include <QAbstractScrollArea>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {

// Class names of widgets known to this object only by name: the recorder field lies above it, the tray
// icon's window inside Qt.
constexpr const char* HotKeyTextViewClassName = "ZRHotKeyTextView";
constexpr const char* StatusItemWindowClassName = "QSystemTrayIconSys";

} // namespace

// The run loop is the main thread's, whose event loop this object runs.
ZRHotKeyHandlerApplication::ZRHotKeyHandlerApplication(int& argc, char** argv)
    : QApplication(argc, argv), m_mainRunLoop(RunLoop::main()), m_router(m_mainRunLoop) {}

ZRHotKeyHandlerApplication::~ZRHotKeyHandlerApplication() = default;

ZRHotKeyHandlerApplication* ZRHotKeyHandlerApplication::instance() {
    return qobject_cast<ZRHotKeyHandlerApplication*>(QCoreApplication::instance());
}

bool ZRHotKeyHandlerApplication::notify(QObject* receiver, QEvent* event) {
    if (!receiver || !receiver->isWidgetType())
        return QApplication::notify(receiver, event);
    auto* widget = static_cast<QWidget*>(receiver);
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // Only keys from the window system: a widget that passes a key on in code has had its turn. A
        // field that records hot keys or takes text gets every key as it is.
        if (!event->spontaneous() || !offersKeyPressesOf(widget))
            break;
        if (sendKeyOfRegisteredHotKey(*static_cast<QKeyEvent*>(event))) {
            event->accept();
            return true;
        }
        if (event->type() == QEvent::KeyPress) {
            if (const auto keyEvent = keyEventFromQKeyEvent(*static_cast<QKeyEvent*>(event),
                                                            m_router.inputState(), m_mainRunLoop.now())) {
                if (m_router.sendEvent(std::make_shared<const KeyEvent>(*keyEvent))) {
                    event->accept();
                    return true;
                }
            }
        }
        break;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
            widget->window()->inherits(StatusItemWindowClassName))
            m_router.statusItemClicked();
        break;
    case QEvent::Wheel:
        if (QWidget* target = scrollTargetForWheelOver(widget)) {
            forwardWheelEvent(target, *static_cast<QWheelEvent*>(event));
            event->accept();
            return true;
        }
        break;
    default:
        break;
    }
    return QApplication::notify(receiver, event);
}

bool ZRHotKeyHandlerApplication::sendKeyOfRegisteredHotKey(const QKeyEvent& event) {
    const auto key = keyEventFromQKeyEvent(event, m_router.inputState(), m_mainRunLoop.now());
    return key && m_router.sendKeyOfRegisteredHotKey(key->keyCode, key->modifierFlags,
                                                     event.type() == QEvent::KeyPress, event.isAutoRepeat());
}

bool ZRHotKeyHandlerApplication::offersKeyPressesOf(const QWidget* widget) {
    if (!widget)
        return false;
    if (isHotKeyField(widget) || widget->testAttribute(Qt::WA_InputMethodEnabled))
        return false;
    return !qobject_cast<const QMenu*>(widget->window());
}

bool ZRHotKeyHandlerApplication::isHotKeyField(const QWidget* widget) {
    return widget && widget->inherits(HotKeyTextViewClassName);
}

QWidget*
ZRHotKeyHandlerApplication::scrollTargetForWheelOver(QWidget* widget,
                                                     const std::function<bool(const QWidget*)>& isField) {
    QWidget* field = widget;
    while (field && !isField(field))
        field = field->isWindow() ? nullptr : field->parentWidget();
    if (!field)
        return nullptr;
    // The field scrolls its one line itself, or is the document of a scroll area of its own.
    QWidget* scrollView = qobject_cast<QAbstractScrollArea*>(field) ? field : nullptr;
    if (!scrollView && !field->isWindow()) {
        QWidget* viewport = field->parentWidget();
        auto* area =
            viewport->isWindow() ? nullptr : qobject_cast<QAbstractScrollArea*>(viewport->parentWidget());
        if (area && area->viewport() == viewport)
            scrollView = area;
    }
    if (!scrollView || scrollView->isWindow())
        return nullptr;
    return scrollView->parentWidget();
}

bool ZRHotKeyHandlerApplication::forwardWheelEvent(QWidget* target, const QWheelEvent& event) {
    for (QWidget* widget = target; widget; widget = widget->isWindow() ? nullptr : widget->parentWidget()) {
        QWheelEvent forwarded(widget->mapFromGlobal(event.globalPosition()), event.globalPosition(),
                              event.pixelDelta(), event.angleDelta(), event.buttons(), event.modifiers(),
                              event.phase(), event.inverted(), event.source(), event.pointingDevice());
        forwarded.setAccepted(false);
        QCoreApplication::sendEvent(widget, &forwarded);
        if (forwarded.isAccepted())
            return true;
    }
    return false;
}
