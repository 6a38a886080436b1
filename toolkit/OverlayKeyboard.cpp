#include "toolkit/OverlayKeyboard.h"

#include "platform/EventStream.h"
#include "platform/Platform.h"
#include "toolkit/OverlayWindow.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/WindowInputGrab.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace {

const QWidget* widgetOfWindow(const QWindow* window) {
    for (const QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowHandle() == window)
            return widget;
    return nullptr;
}

} // namespace

OverlayKeyboard::OverlayKeyboard(QWidget* overlay, Platform& desktop, std::function<void()> refused,
                                 std::function<void()> lost)
    : m_overlay(overlay), m_desktop(desktop), m_refused(std::move(refused)), m_lost(std::move(lost)) {}

OverlayKeyboard::~OverlayKeyboard() {
    release();
    watchForLoss(false);
}

void OverlayKeyboard::take() {
    if (m_grab && (m_grab->isHeld() || m_grab->isPending()))
        return;
    release();
    m_grab = new WindowInputGrab(m_overlay, m_desktop.overlayWindows(), WindowInputGrab::Device::Keyboard,
                                 [this](bool granted) {
                                     if (!granted && m_refused)
                                         m_refused();
                                 });
}

void OverlayKeyboard::release() {
    if (!m_grab)
        return;
    // Given back now; the object goes later, as this may run from its own report.
    m_grab->release();
    m_grab->deleteLater();
    m_grab = nullptr;
}

bool OverlayKeyboard::isHeld() const {
    return m_grab && m_grab->isHeld();
}

void OverlayKeyboard::watchForLoss(bool watch) {
    if (!watch) {
        m_clickTap.reset();
        QObject::disconnect(m_focusWindowChanged);
        return;
    }
    if (!m_clickTap)
        m_clickTap = m_desktop.eventStream().install(
            tapEventMaskBit(TapEventType::LeftMouseDown) | tapEventMaskBit(TapEventType::RightMouseDown),
            [this](const TapEvent& event) {
                if (m_lost && !quartzRectFromQtRect(QRectF(m_overlay->geometry())).contains(event.location))
                    m_lost();
            });
    if (!m_focusWindowChanged)
        m_focusWindowChanged =
            QObject::connect(qApp, &QGuiApplication::focusWindowChanged, m_overlay, [this](QWindow* window) {
                if (m_lost && window && window != m_overlay->windowHandle() &&
                    !isOverlayWindow(widgetOfWindow(window)))
                    m_lost();
            });
}
