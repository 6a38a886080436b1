// The keyboard menu as a user meets it: the whole program on the private X11 display with openbox and two
// monitors side by side, an xterm active and keys typed through XTest; the menu is read with xwininfo,
// xprop and its pixels, and a second client tries to take the keyboard while it shows.
#include "ProgramX11TestSupport.h"

#include "ScreenPixels.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

using namespace X11Test;

namespace {

// With Control and Shift: the keyboard menu, the halves (both on one key) and a folder of centre and fill;
// keys of the program's own windows go to its keyboard controls before its hot keys.
constexpr KeyCode MenuKey = Key::F8;
constexpr KeyCode SharedKey = Key::F5;
constexpr KeyCode FolderKey = Key::F6;
const QString Settings = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>
  <key>Custom Controls (4001)</key><array>
    <dict><key>Action</key><integer>12</integer><key>Move Direction</key><integer>9</integer>%2</dict>
    <dict><key>Action</key><integer>12</integer><key>Move Direction</key><integer>5</integer>%2</dict>
    <dict><key>Action</key><integer>10001</integer><key>Title</key><string>Tools</string>%3<key>Children</key>
      <array><dict><key>Action</key><integer>21</integer></dict><dict><key>Action</key><integer>11</integer></dict></array>
    </dict></array>%1
  <key>Stealth Mode</key><true/><key>Show Intro Popover</key><false/><key>Palette</key><dict/>
  <key>Keyboard Controls Preempt Hot Keys</key><true/>
</dict></plist>)");
// The default line height of a monitor 1000 high is 60, with paddings of 16 above and below the rows.
constexpr double LineHeight = 60;
constexpr double Paddings = 4 * 16;
// Longer than a few frames of the menu's growth.
constexpr int SettledMilliseconds = 100;

class KeyboardMenuX11Test : public ProgramX11Test {
protected:
    void SetUp() override {
        ProgramX11Test::SetUp();
        ASSERT_TRUE(startXterm(QStringLiteral("60x20+100+100")));
        // Said as the second action on one hot key loads, after the keyboard menu's hot key was registered.
        ASSERT_TRUE(
            startSkaf(Settings.arg(controlShiftHotKeyRecord(MenuKey, "Keyboard Menu"),
                                   controlShiftHotKeyRecord(SharedKey), controlShiftHotKeyRecord(FolderKey)),
                      "duplicate hot key assigned: will offer choice"))
            << "skaf did not start";
    }

    // The xterm active, the pointer on the right monitor, then the hot key; true once the menu shows at
    // its full height of that many lines.
    bool openMenu(KeyCode hotKey, int lines) {
        activateXterm();
        input->movePointer(Point(RightMonitor.midX(), 700));
        return pressHotKey(
                   hotKey,
                   [&] { return menuShows() && menuFrame().height() == lines * LineHeight + Paddings; }) &&
               menuPictureSettles();
    }

    // The menu grows inside its window after a pop-up: its picture settles once the menu fills it.
    static bool menuPictureSettles() {
        QImage last;
        QElapsedTimer unchanged;
        return waitUntil([&] {
            const QImage now = menuPicture();
            if (!unchanged.isValid() || now != last) {
                last = now;
                unchanged.start();
                return false;
            }
            return unchanged.elapsed() >= SettledMilliseconds;
        });
    }

    static std::uint32_t menuWindow() { return windowNamed(QStringLiteral("Skaf Keyboard Menu")); }
    static bool menuShows() { return isShown(QStringLiteral("Skaf Keyboard Menu")); }
    static Rect menuFrame() { return xwininfoGeometry(menuWindow()).value_or(Rect()); }
    static QImage menuPicture() {
        return QGuiApplication::primaryScreen()->grabWindow(menuWindow()).toImage();
    }
};

TEST_F(KeyboardMenuX11Test, TheMenuOpensOnThePointersMonitorAndHoldsTheKeysUntilAChoiceMovesTheXterm) {
    const auto active = [] { return xpropValues(0, QStringLiteral("_NET_ACTIVE_WINDOW")); };
    run("xdotool", {"windowactivate", "--sync", QString::number(xterm->window())});
    const auto activeBefore = active();
    ASSERT_TRUE(openMenu(MenuKey, 4)) << "the hot key maps the menu with three rows";
    EXPECT_TRUE(RightMonitor.contains(menuFrame())) << "on the monitor under the pointer";
    EXPECT_TRUE(QString::fromUtf8(run("xwininfo", {"-id", QString::number(menuWindow())}))
                    .contains("Override Redirect State: yes"));
    EXPECT_EQ(active(), activeBefore) << "the xterm stays active";
    EXPECT_TRUE(waitUntil([&] { return !keysAreFree(); })) << "the menu holds the keyboard";
    const QImage before = menuPicture();
    saveScreenshot(before, QStringLiteral("keyboard-menu-x11"));

    EXPECT_TRUE(pressHotKey(MenuKey, [&] { return menuPicture() != before; }))
        << "a second press moves the selection";
    EXPECT_TRUE(menuShows());
    for (const KeyCode key : {Key::R, Key::I, Key::G, Key::H, Key::T, Key::Return})
        press(key);
    EXPECT_TRUE(waitUntil([&] { return !menuShows() && keysAreFree(); })) << "the keys are free once it went";
    EXPECT_TRUE(waitUntil([&] {
        const Rect frame = xtermFrame();
        return frame.x() >= LeftMonitor.midX() - 1 && frame.x() <= LeftMonitor.midX() + Slack &&
               frame.maxX() <= LeftMonitor.maxX();
    })) << "the right half of the xterm's own monitor, not "
        << stringFromRect(xtermFrame()).toStdString();
}

TEST_F(KeyboardMenuX11Test, EscapeAClickOutsideAndTheCommaGiveTheKeysBack) {
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"Escape", [&] { press(Key::Escape); }},
        {"a click outside",
         [&] {
             input->movePointer(Point(RightMonitor.x() + 10, RightMonitor.maxY() - 10));
             input->button(1, true);
             input->button(1, false);
         }},
        {"the comma", [&] { press(Key::Comma); }},
    };
    for (const auto& [way, leave] : ways) {
        ASSERT_TRUE(openMenu(MenuKey, 4) && waitUntil([&] { return !keysAreFree(); })) << way;
        leave();
        EXPECT_TRUE(waitUntil([&] { return !menuShows() && keysAreFree(); })) << way;
    }
}

// The menu grows into its window rather than with it: the window maps at its full size, and the one X
// window comes back after Escape and after the fade of a click outside.
TEST_F(KeyboardMenuX11Test, TheMenuMapsAtItsFullSizeInTheSameWindowEveryTime) {
    const double fullHeight = 4 * LineHeight + Paddings;
    const std::pair<const char*, std::function<void()>> closings[] = {
        {"Escape", [&] { press(Key::Escape); }},
        {"a click outside",
         [&] {
             input->movePointer(Point(RightMonitor.x() + 10, RightMonitor.maxY() - 10));
             input->button(1, true);
             input->button(1, false);
         }},
        {"nothing", [] {}},
    };
    std::uint32_t window = 0;
    for (const auto& [closing, close] : closings) {
        activateXterm();
        input->movePointer(Point(RightMonitor.midX(), 700));
        Rect mapped;
        ASSERT_TRUE(pressHotKey(MenuKey, [&] {
            if (!menuShows())
                return false;
            mapped = menuFrame();
            return true;
        })) << closing;
        EXPECT_EQ(mapped.height(), fullHeight) << "mapped at its full size, before " << closing;
        if (!window)
            window = menuWindow();
        EXPECT_EQ(menuWindow(), window) << "the same X window, before " << closing;
        close();
        if (std::string(closing) != "nothing") {
            ASSERT_TRUE(waitUntil([&] { return !menuShows() && keysAreFree(); })) << closing;
        }
    }
}

TEST_F(KeyboardMenuX11Test, SeveralActionsOnOneHotKeyAndAFolderHotKeyOfferTheirActions) {
    ASSERT_TRUE(openMenu(SharedKey, 3)) << "two actions on one hot key open the menu with both";
    press(Key::Return);
    EXPECT_TRUE(waitUntil([&] {
        const Rect frame = xtermFrame();
        return frame.x() == LeftMonitor.x() && frame.width() >= LeftMonitor.width() / 2 - Slack;
    })) << "the first of them, the left half, moved the xterm";

    ASSERT_TRUE(openMenu(FolderKey, 3)) << "a folder's hot key opens its level";
    press(Key::Return);
    EXPECT_TRUE(waitUntil([&] { return std::abs(xtermFrame().midX() - LeftMonitor.midX()) <= Slack; }))
        << "centred";
}

} // namespace
