#pragma once

#include <QApplication>

// A benchmark program runs all its benchmarks in one process, and Qt keeps the first application object made
// for good: every benchmark that needs one asks here, and the first makes a widget application, the richest
// kind any of them needs, on the offscreen display unless another is asked for.
inline void ensureBenchApplication() {
    static int argc = 1;
    static char name[] = "skaf_bench";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(argc, argv);
}
