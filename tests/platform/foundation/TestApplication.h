#pragma once

#include <QCoreApplication>

// Qt's event loop, timers and child processes need an application object; the test programs
// share one that lives as long as the process.
inline QCoreApplication& testApplication() {
    static int argc = 1;
    static char name[] = "skaf_foundation_tests";
    static char* argv[] = {name, nullptr};
    static auto* app =
        QCoreApplication::instance() ? QCoreApplication::instance() : new QCoreApplication(argc, argv);
    return *app;
}
