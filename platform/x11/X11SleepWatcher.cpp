#include "platform/x11/X11SleepWatcher.h"

#include <QDBusConnection>
#include <QTimer>

X11SleepWatcher::X11SleepWatcher() {
    // Connecting to the system bus waits on it; the start does not: the program listens from its first
    // turn of the run loop on, once its hot keys work.
    QTimer::singleShot(0, this, [this] {
        QDBusConnection bus = QDBusConnection::systemBus();
        if (bus.isConnected())
            bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                        this, SLOT(prepareForSleep(bool)));
    });
}

void X11SleepWatcher::prepareForSleep(bool sleeping) {
    if (sleeping)
        willSleep.emit();
    else
        didWake.emit();
}
