#include "settings/ZRSettingsWindow.h"

#include <QCloseEvent>

ZRSettingsWindow::ZRSettingsWindow(Delegate& delegate) : m_delegate(delegate) {
    setObjectName(QStringLiteral("preferencesWindow"));
}

void ZRSettingsWindow::closeEvent(QCloseEvent* event) {
    if (m_delegate.windowShouldClose())
        event->accept();
    else
        event->ignore();
}

void ZRSettingsWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::ActivationChange)
        return;
    if (isActiveWindow())
        m_delegate.windowDidBecomeKey();
    else
        m_delegate.windowDidResignKey();
}
