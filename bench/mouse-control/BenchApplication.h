#pragma once

#include <QApplication>

// The benchmarks of mouse control share one application object, made by the first that needs it, on the
// offscreen display unless another is asked for: the focus window is a widget.
inline void ensureBenchApplication() {
    static int argc = 1;
    static char name[] = "skaf_mouse_control_bench";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}
