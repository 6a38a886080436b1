#pragma once

#include "../platform/x11/X11TestSupport.h"

#include "platform/Keys.h"
#include "platform/x11/X11FakeInput.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

// A hot key of a settings file held with Control and Shift, under the key given.
inline QString controlShiftHotKeyRecord(KeyCode keyCode, const char* key = "Hot Key") {
    return QStringLiteral("<key>%1</key><dict><key>Key Code</key><integer>%2</integer>"
                          "<key>Modifier Flags</key><integer>393216</integer></dict>")
        .arg(QString::fromLatin1(key))
        .arg(keyCode);
}

// The program's windows titled "Skaf" and shown, largest first (the settings window before its questions).
// Read from the window tree: a search by name misses a question whose older name property is empty.
inline std::vector<Rect> skafWindows() {
    static const QRegularExpression line(
        QStringLiteral(
            R"(^\s+0x[0-9a-f]+ "Skaf": \("skaf" "Skaf"\)\s+(\d+)x(\d+)\+-?\d+\+-?\d+\s+\+(-?\d+)\+(-?\d+))"),
        QRegularExpression::MultilineOption);
    std::vector<Rect> frames;
    auto matches = line.globalMatch(QString::fromUtf8(X11Test::run("xwininfo", {"-root", "-tree"})));
    while (matches.hasNext()) {
        const auto match = matches.next();
        frames.push_back(Rect(match.captured(3).toDouble(), match.captured(4).toDouble(),
                              match.captured(1).toDouble(), match.captured(2).toDouble()));
    }
    std::sort(frames.begin(), frames.end(),
              [](const Rect& a, const Rect& b) { return a.width() * a.height() > b.width() * b.height(); });
    return frames;
}

// The whole program on the X11 tests' display with openbox and two monitors side by side, an xterm, and
// keys and clicks typed through XTest; its overlays are read with xwininfo, xprop and the display's
// pixels, and a second client tries to take the keyboard.
class ProgramX11Test : public ::testing::Test {
protected:
    static constexpr Rect LeftMonitor{0, 0, 800, 1000};
    static constexpr Rect RightMonitor{800, 0, 800, 1000};
    // xterm's size goes in steps of its character cells, and openbox adds its title bar and border.
    static constexpr double Slack = 40;

    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "the test display did not start";
        QString error;
        ASSERT_TRUE(input = X11FakeInput::open(&error)) << error.toStdString();
        for (const auto& [name, monitor, output] :
             {std::tuple("Left", LeftMonitor, "screen"), std::tuple("Right", RightMonitor, "none")}) {
            // Millimetres do not matter here.
            const QString geometry = QStringLiteral("%1/200x%2/250+%3+0")
                                         .arg(monitor.width())
                                         .arg(monitor.height())
                                         .arg(monitor.x());
            int status = 0;
            X11Test::run("xrandr", {"--setmonitor", name, geometry, output}, &status);
            ASSERT_EQ(status, 0);
            monitors << name;
        }
    }
    void TearDown() override {
        skaf.terminate();
        if (!skaf.waitForFinished(5000))
            skaf.kill();
        xterm.reset();
        for (const QString& monitor : monitors)
            X11Test::run("xrandr", {"--delmonitor", monitor});
    }

    bool startXterm(const QString& geometry) {
        xterm = X11Test::Client::start(QStringLiteral("xterm"), geometry);
        return xterm != nullptr;
    }
    // Writes the settings file and starts the program in a home of its own, with the arguments after its
    // own; true once its log has the line.
    bool startSkaf(const QString& settings, const QByteArray& logLine, const QStringList& arguments = {}) {
        if (!QDir(home.path()).mkpath(QStringLiteral("config/Skaf")))
            return false;
        QFile file(home.filePath(QStringLiteral("config/Skaf/Settings.plist")));
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(settings.toUtf8());
        file.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* folder : {"CONFIG", "STATE", "DATA"})
            environment.insert(QStringLiteral("XDG_%1_HOME").arg(folder),
                               home.filePath(QString(folder).toLower()));
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        skaf.setProcessEnvironment(environment);
        skaf.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        skaf.start(QStringLiteral(SKAF_PROGRAM),
                   QStringList{QStringLiteral("--platform"), QStringLiteral("x11")} + arguments);
        return X11Test::waitUntil([&] { return logHas(logLine); });
    }
    bool logHas(const QByteArray& text) const {
        QFile log(home.filePath(QStringLiteral("state/Skaf/Skaf.jsonl")));
        return log.open(QIODevice::ReadOnly) && log.readAll().contains(text);
    }

    void press(KeyCode keyCode) {
        input->key(keyCode, true);
        input->key(keyCode, false);
    }
    // With Control and Shift held until the program has acted (or the time is out): it reads the modifiers
    // held when it handles the press, which a fast XTest release can beat.
    bool pressHotKey(KeyCode keyCode, const std::function<bool()>& acted, int timeoutMilliseconds = 5000) {
        input->key(Key::Control, true);
        input->key(Key::Shift, true);
        press(keyCode);
        const bool done = X11Test::waitUntil(acted, timeoutMilliseconds);
        input->key(Key::Shift, false);
        input->key(Key::Control, false);
        return done;
    }
    void activateXterm() {
        X11Test::run("xdotool", {"windowactivate", "--sync", QString::number(xterm->window())});
    }
    // The program's window of that name (0 for none), and whether it is shown.
    static std::uint32_t windowNamed(const QString& name) {
        return QRegularExpression(QStringLiteral("Window id: (0x[0-9a-f]+)"))
            .match(QString::fromUtf8(X11Test::run("xwininfo", {"-name", name})))
            .captured(1)
            .toUInt(nullptr, 16);
    }
    static bool isShown(const QString& name) {
        return QString::fromUtf8(X11Test::run("xwininfo", {"-name", name}))
            .contains(QStringLiteral("IsViewable"));
    }
    bool keysAreFree() const { return input->tryKeyboardGrab() == GrabStatus::Granted; }
    Rect xtermFrame() const { return X11Test::independentFrame(xterm->window()).value_or(Rect()); }

    std::unique_ptr<X11FakeInput> input;
    std::unique_ptr<X11Test::Client> xterm;
    QStringList monitors;
    QTemporaryDir home;
    QProcess skaf;
};
