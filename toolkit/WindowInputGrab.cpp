#include "toolkit/WindowInputGrab.h"

#include "toolkit/ZRLog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// Long enough for a window manager to map a new window on a loaded machine; short enough that a user
// waiting for the overlay to take the keys does not notice.
constexpr int RetryIntervalMilliseconds = 20;
constexpr int MaximumAttempts = 25;

const char* deviceName(WindowInputGrab::Device device) {
    return device == WindowInputGrab::Device::Keyboard ? "keyboard" : "pointer";
}

} // namespace

WindowInputGrab::WindowInputGrab(QWidget* window, OverlayWindows& overlays, Device device,
                                 std::function<void(bool)> finished)
    : QObject(window), m_overlays(overlays), m_window(window), m_device(device),
      m_finished(std::move(finished)), m_retry(new QTimer(this)) {
    m_retry->setInterval(RetryIntervalMilliseconds);
    connect(m_retry, &QTimer::timeout, this, &WindowInputGrab::attempt);
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &WindowInputGrab::release);
    if (window)
        window->installEventFilter(this);
    attempt();
}

WindowInputGrab::~WindowInputGrab() {
    release();
}

bool WindowInputGrab::isPending() const {
    return m_retry->isActive();
}

void WindowInputGrab::release() {
    m_retry->stop();
    m_finished = {};
    if (!m_grab)
        return;
    m_grab.reset();
    if (m_device == Device::Keyboard)
        QCoreApplication::instance()->removeEventFilter(this);
}

void WindowInputGrab::attempt() {
    if (!m_window) {
        m_lastStatus = GrabStatus::Failed;
        finish(false);
        return;
    }
    ++m_attempts;
    // Only a shown window is asked for its id: asking creates the native window.
    if (m_window->isVisible()) {
        m_grab = m_device == Device::Keyboard ? m_overlays.grabKeyboard(m_window->winId(), &m_lastStatus)
                                              : m_overlays.grabPointer(m_window->winId(), &m_lastStatus);
    } else {
        m_lastStatus = GrabStatus::NotViewable;
    }
    if (m_grab) {
        if (m_device == Device::Keyboard)
            QCoreApplication::instance()->installEventFilter(this);
        finish(true);
        return;
    }
    if (m_attempts < MaximumAttempts) {
        m_retry->start();
        return;
    }
    ZRLog("cannot take the %@ for a window of the program: %@", QString::fromLatin1(deviceName(m_device)),
          QString::fromLatin1(grabStatusText(m_lastStatus)));
    finish(false);
}

void WindowInputGrab::finish(bool granted) {
    m_retry->stop();
    if (auto finished = std::exchange(m_finished, {}))
        finished(granted);
}

bool WindowInputGrab::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == m_window) {
        if (type == QEvent::Hide)
            release();
        return false;
    }
    if (!m_grab || (type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWidgetType())
        return false;
    auto* receiver = static_cast<QWidget*>(watched);
    if (!m_window || receiver->window() == m_window)
        return false;
    QWidget* target = m_window->focusWidget() ? m_window->focusWidget() : m_window.data();
    const std::unique_ptr<QEvent> copy(event->clone());
    QCoreApplication::sendEvent(target, copy.get());
    return true;
}
