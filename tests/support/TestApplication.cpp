#include "TestApplication.h"

namespace testing_detail {

// Qt keeps the references for the life of the application.
int& applicationArgc() {
    static int argc = 1;
    return argc;
}

char** applicationArgv() {
    static char name[] = "skaf_tests";
    static char* argv[] = {name, nullptr};
    return argv;
}

void useOffscreenDisplayUnlessTold() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

} // namespace testing_detail

// Qt's font database keeps a fontconfig pattern for the life of the process; the leak checker of
// sanitizer builds is told so rather than failing every test that makes a widget.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
