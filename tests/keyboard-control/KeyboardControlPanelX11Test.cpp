// The keyboard control panel as a user meets it: the whole program on the private X11 display with openbox
// and two monitors side by side, an xterm active on the right one and keys typed through XTest; the panel is
// read with xwininfo, xprop and the display's pixels, and a second client tries to take the keyboard while
// it shows and after it went.
#include "ProgramX11TestSupport.h"

#include "ScreenPixels.h"

using namespace X11Test;

namespace {

// Control-Shift-F7 opens the panel; the plain C centres the window while it is open (a local hot key).
constexpr KeyCode PanelKey = Key::F7;
constexpr KeyCode CentreKey = Key::C;
const QString Settings = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>
  <key>Custom Controls (4001)</key><array>
    <dict><key>Action</key><integer>21</integer><key>Hot Key</key><dict><key>Key Code</key><integer>8</integer>
      <key>Modifier Flags</key><integer>0</integer></dict></dict>
  </array>
  <key>Keyboard Controls</key><dict><key>Key Code</key><integer>98</integer>
    <key>Modifier Flags</key><integer>393216</integer></dict>
  <key>Show Cheat Sheet</key><true/>
  <key>Stealth Mode</key><true/><key>Show Intro Popover</key><false/>%1
</dict></plist>)");
// The panel's material where the logo's square shows it without a compositor: opaque light grey.
constexpr int MaterialGrey = 237;
const QString PanelName = QStringLiteral("Skaf Keyboard Controls");

class KeyboardControlPanelX11Test : public ProgramX11Test {
protected:
    void SetUp() override {
        ProgramX11Test::SetUp();
        ASSERT_TRUE(startXterm(QStringLiteral("60x20+900+100")));
    }

    bool startSkaf(const QString& moreSettings = {}) {
        return ProgramX11Test::startSkaf(Settings.arg(moreSettings), "running on the x11 desktop");
    }
    // The xterm active, then Control-Shift-F7 until the panel shows: the program registers its hot keys a
    // moment after it says it runs.
    bool openPanel() {
        activateXterm();
        for (int attempt = 0; attempt < 10; ++attempt)
            if (pressHotKey(
                    PanelKey, [] { return panelShows(); }, 1000))
                return true;
        return false;
    }

    static std::uint32_t panelWindow() { return windowNamed(PanelName); }
    static bool panelShows() { return isShown(PanelName); }
    static Rect panelFrame() { return xwininfoGeometry(panelWindow()).value_or(Rect()); }
    bool goneAndKeysFree() {
        return waitUntil([&] { return !panelShows() && keysAreFree(); });
    }
};

TEST_F(KeyboardControlPanelX11Test, TheHotKeyShowsThePanelOverTheXtermWhoseKeysThenMoveIt) {
    ASSERT_TRUE(startSkaf());
    const Rect before = xtermFrame();
    activateXterm();
    press(CentreKey);
    processEvents(300);
    EXPECT_EQ(xtermFrame(), before) << "a local hot key does nothing while the panel is closed";
    const std::uint32_t active = activeWindow();

    ASSERT_TRUE(openPanel());
    const Rect frame = panelFrame();
    EXPECT_TRUE(RightMonitor.contains(frame)) << "on the xterm's monitor";
    EXPECT_NEAR(frame.midX(), RightMonitor.midX(), 1) << "centred";
    EXPECT_NEAR(frame.midY(), RightMonitor.midY(), 1);
    EXPECT_TRUE(xwininfoText(panelWindow()).contains("Override Redirect State: yes"));
    EXPECT_EQ(activeWindow(), active) << "the xterm stays active";
    EXPECT_TRUE(waitUntil([&] { return !keysAreFree(); })) << "the panel holds the keyboard";

    const QRect onScreen(int(frame.x()), int(frame.y()), int(frame.width()), int(frame.height()));
    const QImage pixels = screenPixels(onScreen);
    saveScreenshot(pixels, QStringLiteral("keyboard-control-panel-x11"));
    const QColor material = pixels.pixelColor(int(frame.width() / 2) - 60, 170);
    EXPECT_EQ(material, QColor(MaterialGrey, MaterialGrey, MaterialGrey))
        << "opaque without a compositor, not black: " << material.name().toStdString();

    press(Key::RightArrow);
    EXPECT_TRUE(waitUntil([&] { return xtermFrame().x() > before.x(); })) << "the arrow moves the xterm";
    press(CentreKey);
    EXPECT_TRUE(waitUntil([&] { return std::abs(xtermFrame().midX() - RightMonitor.midX()) <= Slack; }))
        << "the local hot key centres it on its monitor";
    EXPECT_TRUE(panelShows());

    press(Key::Escape);
    EXPECT_TRUE(goneAndKeysFree()) << "Escape closes it";
    run("xdotool", {"windowmove", "--sync", QString::number(xterm->window()), "850", "60"});
    const Rect moved = xtermFrame();
    activateXterm();
    press(CentreKey);
    processEvents(300);
    EXPECT_EQ(xtermFrame(), moved) << "closed, the local hot key is gone again";
}

// The Keyboard pane's choices as the keys meet them: Control with an arrow takes that half of the monitor,
// Return fills it and, with "Dismiss After Filling", closes the panel and gives the keys back.
TEST_F(KeyboardControlPanelX11Test, TheKeyboardPanesChoicesSetWhatTheKeysDo) {
    ASSERT_TRUE(startSkaf(QStringLiteral("<key>Key Control: Arrow: Control</key><integer>12</integer>"
                                         "<key>Key Control: Return</key><integer>11</integer>"
                                         "<key>Dismiss After Filling</key><true/>")));
    ASSERT_TRUE(openPanel());
    input->key(Key::Control, true);
    press(Key::LeftArrow);
    EXPECT_TRUE(waitUntil([&] {
        const Rect frame = xtermFrame();
        return std::abs(frame.x() - RightMonitor.x()) <= Slack &&
               std::abs(frame.width() - RightMonitor.width() / 2) <= Slack &&
               std::abs(frame.height() - RightMonitor.height()) <= Slack;
    })) << "the left half of its monitor";
    input->key(Key::Control, false);
    EXPECT_TRUE(panelShows());

    press(Key::Return);
    EXPECT_TRUE(waitUntil([&] { return std::abs(xtermFrame().width() - RightMonitor.width()) <= Slack; }))
        << "the whole monitor";
    EXPECT_TRUE(goneAndKeysFree()) << "closed after filling";
}

// "Show a grid": the hot key shows the full-size grid in the panel's place, starting at the top-left cell of
// the xterm's monitor; an arrow and Return put the xterm in the next cell and give the keys back.
TEST_F(KeyboardControlPanelX11Test, WithAGridTheHotKeyOpensTheFullSizeGridInstead) {
    ASSERT_TRUE(startSkaf(QStringLiteral("<key>Keyboard Controls Grid</key><true/>"
                                         "<key>Mouse Controls Grid: Columns</key><integer>4</integer>"
                                         "<key>Mouse Controls Grid: Rows</key><integer>2</integer>")));
    activateXterm();
    bool opened = false;
    for (int attempt = 0; attempt < 10 && !opened; ++attempt)
        opened = pressHotKey(
            PanelKey, [&] { return !keysAreFree(); }, 1000);
    ASSERT_TRUE(opened) << "the grid holds the keyboard";
    EXPECT_FALSE(panelShows());
    processEvents(300);
    saveScreenshot(
        screenPixels(QRect(int(RightMonitor.x()), 0, int(RightMonitor.width()), int(RightMonitor.height()))),
        QStringLiteral("keyboard-controls-grid-x11"));

    press(Key::RightArrow);
    press(Key::Return);
    // The monitor stands upright, so the grid's four columns and two rows swap.
    const Rect cell{RightMonitor.x() + RightMonitor.width() / 2, 0, RightMonitor.width() / 2,
                    RightMonitor.height() / 4};
    EXPECT_TRUE(waitUntil([&] {
        const Rect frame = xtermFrame();
        return std::abs(frame.x() - cell.x()) <= Slack && std::abs(frame.y() - cell.y()) <= Slack &&
               std::abs(frame.width() - cell.width()) <= Slack &&
               std::abs(frame.height() - cell.height()) <= Slack;
    })) << "the second cell of the top row: "
        << ::testing::PrintToString(xtermFrame());
    EXPECT_TRUE(waitUntil([&] { return keysAreFree(); }));
}

// An arrow takes a full-screen xterm out of full screen before it moves it; the panel, above every window
// and holding the keyboard, stays through it and takes the next key.
TEST_F(KeyboardControlPanelX11Test, AWindowLeavingFullScreenKeepsThePanelAndItsKeys) {
    ASSERT_TRUE(startSkaf(QStringLiteral("<key>Control Full Screen Windows</key><true/>")));
    run("wmctrl", {"-i", "-r", QString::number(xterm->window()), "-b", "add,fullscreen"});
    ASSERT_TRUE(waitUntil([&] { return xtermFrame().width() >= RightMonitor.width(); }));
    ASSERT_TRUE(openPanel());
    press(Key::DownArrow);
    EXPECT_TRUE(waitUntil([&] { return xtermFrame().width() < RightMonitor.width(); }))
        << "out of full screen";
    processEvents(500);
    EXPECT_TRUE(panelShows());
    EXPECT_FALSE(keysAreFree()) << "the panel still holds the keyboard";
    const Rect before = xtermFrame();
    press(Key::LeftArrow);
    EXPECT_TRUE(waitUntil([&] { return xtermFrame().x() < before.x(); })) << "the next key moves it";
    press(Key::Escape);
    EXPECT_TRUE(goneAndKeysFree());
}

TEST_F(KeyboardControlPanelX11Test, WithACompositorTheMaterialIsTranslucent) {
    auto compositor = Compositor::start();
    ASSERT_TRUE(compositor);
    processEvents(500);
    ASSERT_TRUE(startSkaf());
    ASSERT_TRUE(openPanel());
    const Rect frame = panelFrame();
    // The right arrow head lies right of the xterm, over the root as the root shows beside the panel.
    const QPoint overRoot(int(frame.x()) + 320, int(frame.y()) + 170);
    const QPoint besidePanel(int(frame.maxX()) + 10, overRoot.y());
    const auto blended = [&] { return int(MaterialGrey * 0.85 + screenPixel(besidePanel).red() * 0.15); };
    EXPECT_TRUE(waitUntil([&] { return std::abs(screenPixel(overRoot).red() - blended()) <= 4; }))
        << screenPixel(overRoot).name().toStdString() << " over "
        << screenPixel(besidePanel).name().toStdString();
    saveScreenshot(
        screenPixels(QRect(int(frame.x()), int(frame.y()), int(frame.width()), int(frame.height()))),
        QStringLiteral("keyboard-control-panel-x11-with-compositor"));
}

TEST_F(KeyboardControlPanelX11Test, AClickOutsideClosesItAndGivesTheKeysBack) {
    ASSERT_TRUE(startSkaf());
    ASSERT_TRUE(openPanel());
    ASSERT_TRUE(waitUntil([&] { return !keysAreFree(); }));
    input->movePointer(Point(LeftMonitor.x() + 10, LeftMonitor.maxY() - 10));
    input->button(1, true);
    input->button(1, false);
    EXPECT_TRUE(goneAndKeysFree());
}

TEST_F(KeyboardControlPanelX11Test, AfterItsIntervalItClosesByItselfAndGivesTheKeysBack) {
    ASSERT_TRUE(startSkaf(QStringLiteral("<key>Auto-Deactivate Interval</key><real>0.5</real>")));
    ASSERT_TRUE(openPanel());
    ASSERT_TRUE(waitUntil([&] { return !keysAreFree(); }, 400));
    EXPECT_TRUE(goneAndKeysFree());
}

// The shared focus window covers the screen while the panel shows; opened again and again, it never leaves
// the screen black around the panel: the xterm beside it shows as before, with a compositor or without.
TEST_F(KeyboardControlPanelX11Test, OpenedAgainAndAgainItNeverBlacksOutTheScreen) {
    for (const bool compositing : {false, true}) {
        SCOPED_TRACE(compositing ? "with a compositor" : "without a compositor");
        std::unique_ptr<Compositor> compositor;
        if (compositing) {
            ASSERT_TRUE(compositor = Compositor::start());
            processEvents(500);
        }
        ASSERT_TRUE(startSkaf());
        activateXterm();
        processEvents(300);
        // On the xterm's text, beside the panel at the monitor's centre.
        const QPoint beside(910, 150);
        const QColor before = screenPixel(beside);
        for (int opening = 1; opening <= 4; ++opening) {
            ASSERT_TRUE(openPanel());
            processEvents(500);
            EXPECT_EQ(screenPixel(beside).name(), before.name()) << "opening " << opening;
            if (opening == 2)
                saveScreenshot(screenPixels(QRect(800, 0, 800, 1000)),
                               QStringLiteral("keyboard-control-panel-x11-opened-again%1")
                                   .arg(compositing ? QStringLiteral("-with-compositor") : QString()));
            press(Key::Escape);
            ASSERT_TRUE(goneAndKeysFree());
        }
        skaf.terminate();
        ASSERT_TRUE(skaf.waitForFinished(5000));
    }
}

} // namespace
