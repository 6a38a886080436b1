#include "mouse-control/ZROverlayWindow.h"

#include "mouse-control/ZROverlayWindowDelegate.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/WindowExtensions.h"

#include <QMenu>
#include <QMouseEvent>
#include <QWindow>

ZROverlayWindow::ZROverlayWindow(QWidget* view, Point point, QWidget* window, int side, double distance)
    : KQAttachedNonActivatingPanel(view, point, window, side, distance) {
    updateTrackingAreasRecursively(this);
}

ZROverlayWindow::~ZROverlayWindow() = default;

bool ZROverlayWindow::ignoresMouseEvents() const {
    return ::ignoresMouseEvents(this);
}

void ZROverlayWindow::setIgnoresMouseEvents(bool ignores) {
    const bool ignored = ignoresMouseEvents();
    ::setIgnoresMouseEvents(this, ignores);
    if (ignored != ignores)
        updateTrackingAreasRecursively(this);
}

bool ZROverlayWindow::sendEvent(QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress || !m_delegate)
        return false;
    const auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() != Qt::RightButton)
        return false;
    const QPoint location = press->position().toPoint();
    QWidget* hit = childAt(location);
    QMenu* menu = m_delegate->contextMenuForOverlayHitView(hit ? hit : this);
    if (!menu)
        return false;
    popUpContextMenu(menu, press->globalPosition().toPoint());
    return true;
}

void ZROverlayWindow::showEvent(QShowEvent* event) {
    KQAttachedNonActivatingPanel::showEvent(event);
    // The native window exists once shown; its events come here before any view's.
    if (QWindow* handle = windowHandle(); handle && handle != m_filteredWindowHandle) {
        handle->installEventFilter(this);
        m_filteredWindowHandle = handle;
    }
}

bool ZROverlayWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_filteredWindowHandle && sendEvent(event))
        return true;
    return KQAttachedNonActivatingPanel::eventFilter(watched, event);
}

void popUpContextMenu(QMenu* menu, const QPoint& globalPosition) {
    if (!menu)
        return;
    QObject::connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    menu->popup(globalPosition);
}
