#include "platform/x11/X11SleepWatcher.h"

#include <QDBusConnection>

X11SleepWatcher::X11SleepWatcher() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (bus.isConnected())
        bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                    SLOT(prepareForSleep(bool)));
}

void X11SleepWatcher::prepareForSleep(bool sleeping) {
    if (sleeping)
        willSleep.emit();
    else
        didWake.emit();
}
