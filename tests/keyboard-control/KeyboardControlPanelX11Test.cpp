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

} // namespace
