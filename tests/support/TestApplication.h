#pragma once

#include <QCoreApplication>
#include <cstdlib>

namespace testing_detail {
int& applicationArgc();
char** applicationArgv();
void useOffscreenDisplayUnlessTold();
} // namespace testing_detail

// The test program's one application object, made on first use on the offscreen display and kept to
// the end. A program asks for one kind only: the first call decides it.
template <class Application> Application& testApplication() {
    if (!QCoreApplication::instance()) {
        testing_detail::useOffscreenDisplayUnlessTold();
        new Application(testing_detail::applicationArgc(), testing_detail::applicationArgv());
    }
    auto* application = dynamic_cast<Application*>(QCoreApplication::instance());
    if (!application)
        std::abort();
    return *application;
}
