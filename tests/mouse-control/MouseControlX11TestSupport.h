#pragma once

#include "X11TestSupport.h"

#include "ScreenPixels.h"
#include "mouse-control/ZRFocusWindow.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/x11/X11FakeInput.h"
#include "platform/x11/X11Platform.h"
#include "shell/ZRShellDefaults.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// Mouse control on the X11 test display: the X11 desktop as the platform, the pointer and keys driven by
// XTest, settings in a scratch folder with the launch's defaults.
class MouseControlX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        UserDefaults::setStandard(
            std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist"))));
        ZRRegisterShellDefaults(UserDefaults::standard());
        QString error;
        platform = createX11Platform(&error);
        ASSERT_TRUE(platform) << error.toStdString();
        Platform::setCurrent(platform.get());
        input = X11FakeInput::open(&error);
        ASSERT_TRUE(input) << error.toStdString();
    }

    // A test that stops half way leaves no button down for the next one.
    void TearDown() override {
        if (input)
            input->button(1, false);
        ZRFocusWindow::destroyDefaultFocusWindow();
        Platform::setCurrent(nullptr);
        UserDefaults::setStandard(nullptr);
    }

    static void set(const QString& key, const QVariant& value) {
        UserDefaults::standard().setObject(value, key);
    }

    QTemporaryDir folder;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<X11FakeInput> input;
};
