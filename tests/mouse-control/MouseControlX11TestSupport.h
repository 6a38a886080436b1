#pragma once

#include "X11TestSupport.h"

#include "ScreenPixels.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/x11/X11FakeInput.h"
#include "platform/x11/X11Platform.h"
#include "shell/ZRShellDefaults.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

// Mouse control on the X11 test display: the X11 desktop as the platform, the pointer and keys driven by
// XTest, settings in a scratch folder with the launch's defaults, which the test hands the parts it makes.
class MouseControlX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        m_settings = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist")));
        ZRRegisterShellDefaults(settings());
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
        Platform::setCurrent(nullptr);
    }

    UserDefaults& settings() const { return *m_settings; }
    void set(const QString& key, const QVariant& value) const { settings().setObject(value, key); }

    QTemporaryDir folder;
    std::unique_ptr<Platform> platform;
    std::unique_ptr<X11FakeInput> input;

private:
    std::unique_ptr<UserDefaults> m_settings;
};

// An xterm dragged by its title bar as a hand drags it, in steps of XTest motion, while openbox moves it.
class XtermDragX11Test : public MouseControlX11Test {
protected:
    // xterm sizes itself in whole character cells, smaller than this.
    static constexpr double Cell = 20;

    // A new xterm, and a point on its title bar away from the buttons.
    bool startXterm() {
        terminal = X11Test::Client::start(QStringLiteral("xterm"), QStringLiteral("60x20+300+250"));
        std::optional<Rect> found;
        if (!terminal || !X11Test::waitUntil([&] {
                return (found = X11Test::independentFrame(terminal->window())).has_value();
            }))
            return false;
        frame = *found;
        const auto extents = X11Test::xpropValues(terminal->window(), QStringLiteral("_NET_FRAME_EXTENTS"));
        if (extents.size() != 4)
            return false;
        titleBar = {std::floor(frame.x() + 80), std::floor(frame.y() + extents[2] / 2.0)};
        X11Test::processEvents(200);
        return true;
    }

    void press(Point at) {
        ASSERT_TRUE(input->movePointer(at));
        pointer = at;
        X11Test::processEvents(50);
        ASSERT_TRUE(input->button(1, true));
        X11Test::processEvents(50);
    }
    void glide(double dx, double dy, int steps = 10) {
        const Point from = pointer;
        for (int step = 1; step <= steps; ++step) {
            pointer = {std::round(from.x + dx * step / steps), std::round(from.y + dy * step / steps)};
            ASSERT_TRUE(input->movePointer(pointer));
            X11Test::processEvents(20);
        }
    }
    void release() {
        ASSERT_TRUE(input->button(1, false));
        X11Test::processEvents(300);
    }
    std::optional<Rect> now() const { return X11Test::independentFrame(terminal->window()); }
    // At the frame's place, its size within a cell.
    static bool near(const std::optional<Rect>& a, const Rect& b) {
        return a && std::abs(a->x() - b.x()) <= 1 && std::abs(a->y() - b.y()) <= 1 &&
               std::abs(a->width() - b.width()) <= Cell && std::abs(a->height() - b.height()) <= Cell;
    }

    std::unique_ptr<X11Test::Client> terminal;
    Rect frame;
    Point titleBar;
    Point pointer;
};
