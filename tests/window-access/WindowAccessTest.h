#pragma once

#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "window-access/IgnoreList.h"
#include "window-access/WindowAccessClock.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>

// Every test runs on a fresh simulated desktop, with settings in a folder of its own, the ignore
// list read from that folder, and the run loop's manual clock behind every wait.
class WindowAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureApplication();
        ASSERT_TRUE(folder.isValid());
        UserDefaults::setStandard(
            std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist"))));
        RunLoop::main().useManualClock(1000);
        WindowAccessClock::install([] { return RunLoop::main().now(); },
                                   [](double seconds) { RunLoop::main().advance(seconds); });
        qputenv("XDG_DATA_HOME", folder.path().toUtf8());
        ZRIgnoreList::sharedList().reload();
        Platform::setCurrent(&sim);
    }

    void TearDown() override {
        RunLoop::main().runPending();
        Platform::setCurrent(nullptr);
        WindowAccessClock::install({}, {});
        UserDefaults::setStandard(nullptr);
        qunsetenv("XDG_DATA_HOME");
        ZRIgnoreList::sharedList().reload();
    }

    static void set(const QString& key, const QVariant& value) {
        UserDefaults::standard().setObject(value, key);
    }

    static void ensureApplication() {
        static int argc = 1;
        static char name[] = "skaf_window_access_tests";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
    }

    QTemporaryDir folder;
    SimDesktop sim;
};

inline void PrintTo(const Rect& rect, std::ostream* os) {
    *os << stringFromRect(rect).toStdString();
}
