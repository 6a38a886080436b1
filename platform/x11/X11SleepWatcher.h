#pragma once

#include "platform/Signal.h"

#include <QObject>

// Sleep and wake as logind announces them on the system bus; silent where there is no logind.
class X11SleepWatcher : public QObject {
    Q_OBJECT

public:
    X11SleepWatcher();

    Signal<> willSleep;
    Signal<> didWake;

private Q_SLOTS:
    void prepareForSleep(bool sleeping);
};
