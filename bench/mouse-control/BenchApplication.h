#pragma once

#include <QCoreApplication>

// The benchmarks of mouse control share one application object, made by the first that needs it.
inline void ensureBenchApplication() {
    static int argc = 1;
    static char name[] = "skaf_mouse_control_bench";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv);
}
