// The full-size grid as a user meets it: the whole program on the private X11 display with openbox and two
// monitors side by side, with and without a compositing manager, an xterm active on the left one, a "use
// grid" action's hot key and keys and clicks typed through XTest. The xterm is read with xwininfo, the
// display with its pixels, and a second client tries to take the keyboard and the pointer while the grid is
// open.
#include "ProgramX11TestSupport.h"

#include "ScreenPixels.h"

using namespace X11Test;

namespace {

// Control-Shift-F9 opens a grid of 4 x 2 cells on each monitor: 200 x 500 points.
constexpr KeyCode GridKey = Key::F9;
const QString Settings = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>
  <key>Custom Controls (4001)</key><array>
    <dict><key>Action</key><integer>61</integer><key>Hot Key</key><dict><key>Key Code</key><integer>101</integer>
      <key>Modifier Flags</key><integer>393216</integer></dict></dict>
  </array>
  <key>Mouse Controls Grid: Columns</key><integer>4</integer>
  <key>Mouse Controls Grid: Rows</key><integer>2</integer>
  <key>Mouse Controls Grid: Swap Dimensions On Portrait Orientation Displays</key><false/>
  <key>Stealth Mode</key><true/><key>Show Intro Popover</key><false/>
</dict></plist>)");
constexpr double CellWidth = 200;
constexpr double CellHeight = 500;
// A pixel that turned black where it was not: what a clear window shows without a compositor.
constexpr double MostBlackenedShare = 0.01;
// The root's colour while these tests run, so that a black window shows against it.
const QString RootColour = QStringLiteral("#336699");

class FullSizeGridX11Test : public ProgramX11Test {
protected:
    void SetUp() override {
        ProgramX11Test::SetUp();
        run("xsetroot", {"-solid", RootColour});
        ASSERT_TRUE(startXterm(QStringLiteral("60x20+100+100")));
        ASSERT_TRUE(startSkaf(Settings, "running on the x11 desktop"));
        before = xtermFrame();
    }

    // The xterm active, then Control-Shift-F9 until the grid holds the keys: the program registers its hot
    // keys a moment after it says it runs.
    bool openGrid() {
        activateXterm();
        for (int attempt = 0; attempt < 10; ++attempt)
            if (pressHotKey(
                    GridKey, [&] { return !keysAreFree(); }, 1000))
                return true;
        return false;
    }
    bool devicesAreFree() const {
        return input->tryKeyboardGrab() == GrabStatus::Granted &&
               input->tryPointerGrab() == GrabStatus::Granted;
    }
    // The xterm's frame fills the cell (Quartz) but for what its character cells leave over, which goes to
    // the side away from the screen's edges.
    bool xtermIsIn(const Rect& cell) const {
        const Rect frame = xtermFrame();
        return frame.x() >= cell.x() - 1 && frame.y() >= cell.y() - 1 && frame.maxX() <= cell.maxX() + 1 &&
               frame.maxY() <= cell.maxY() + 1 && frame.width() >= cell.width() - Slack &&
               frame.height() >= cell.height() - Slack;
    }
    void TearDown() override {
        ProgramX11Test::TearDown();
        run("xsetroot", {"-solid", "black"});
    }
    static QImage display() { return screenPixels(QRect(0, 0, 1600, 1000)); }
    // The hot key, the first cell outlined, the screen around the xterm dimmed when asked and nothing
    // blackened, then Right across to the other monitor and Return.
    void checkTheGridPlacesTheXterm(const QString& screenshot, bool dims);

    Rect before;
};

TEST_F(FullSizeGridX11Test, TheHotKeyHoldsBothDevicesWithoutBlackingOutTheDisplayAndReturnPlacesTheXterm) {
    checkTheGridPlacesTheXterm(QStringLiteral("full-size-grid-x11"), false);
}

TEST_F(FullSizeGridX11Test, WithACompositorTheScreensAroundTheXtermAreDimmedNotBlack) {
    const auto compositor = Compositor::start();
    ASSERT_TRUE(compositor);
    processEvents(500);
    checkTheGridPlacesTheXterm(QStringLiteral("full-size-grid-x11-compositor"), true);
}

void FullSizeGridX11Test::checkTheGridPlacesTheXterm(const QString& screenshot, bool dims) {
    const auto active = [] { return xpropValues(0, QStringLiteral("_NET_ACTIVE_WINDOW")); };
    activateXterm();
    const auto activeBefore = active();
    processEvents(300);
    const QImage plain = display();
    ASSERT_FALSE(plain.isNull());
    ASSERT_TRUE(openGrid()) << "the hot key gives the grid the keyboard";
    EXPECT_EQ(input->tryPointerGrab(), GrabStatus::AlreadyGrabbed) << "and the pointer";
    EXPECT_EQ(active(), activeBefore) << "the xterm stays active";
    // The outline of the first cell shows on the left monitor; nothing else of the display changes.
    const Rect firstCell(0, 0, CellWidth, CellHeight);
    QImage open;
    EXPECT_TRUE(waitUntil([&] {
        open = display();
        int changed = 0;
        for (int x = 0; x < int(firstCell.width()); ++x)
            changed += open.pixel(x, 1) != plain.pixel(x, 1) ||
                       open.pixel(x, int(firstCell.maxY()) - 2) != plain.pixel(x, int(firstCell.maxY()) - 2);
        return changed > 0;
    })) << "the focus window outlines the top-left cell";
    // A point of the root away from the xterm and the outline.
    const QPoint root(700, 900);
    if (dims) {
        EXPECT_TRUE(waitUntil([&] {
            open = display();
            return qGray(open.pixel(root)) < qGray(plain.pixel(root)) - 10;
        })) << "the screens around the xterm are dimmed";
    } else {
        EXPECT_EQ(open.pixel(root), plain.pixel(root)) << "no dimming without a compositor";
    }
    saveScreenshot(open, screenshot);
    qsizetype blackened = 0;
    for (int y = 0; y < open.height(); ++y)
        for (int x = 0; x < open.width(); ++x)
            blackened += qGray(open.pixel(x, y)) == 0 && qGray(plain.pixel(x, y)) != 0;
    EXPECT_LT(double(blackened) / double(open.width() * open.height()), MostBlackenedShare)
        << blackened << " pixels turned black";

    for (int step = 0; step < 4; ++step)
        press(Key::RightArrow);
    press(Key::Return);
    EXPECT_TRUE(waitUntil([&] { return xtermIsIn(Rect(RightMonitor.x(), 0, CellWidth, CellHeight)); }))
        << "the top-left cell of the right monitor, not " << stringFromRect(xtermFrame()).toStdString();
    EXPECT_TRUE(waitUntil([&] { return devicesAreFree(); })) << "both devices are given back";
    EXPECT_EQ(active(), activeBefore);
}

TEST_F(FullSizeGridX11Test, EscapeLeavesTheXtermWhereItWasAndAClickPlacesItInTheCell) {
    ASSERT_TRUE(openGrid());
    press(Key::Escape);
    EXPECT_TRUE(waitUntil([&] { return devicesAreFree(); }));
    processEvents(200);
    EXPECT_EQ(xtermFrame(), before);

    ASSERT_TRUE(openGrid());
    // The bottom row's third cell of the right monitor.
    const Rect cell(RightMonitor.x() + 2 * CellWidth, CellHeight, CellWidth, CellHeight);
    input->movePointer(Point(cell.midX() - 20, cell.midY() - 20));
    input->movePointer(Point(cell.midX(), cell.midY()));
    input->button(1, true);
    input->button(1, false);
    EXPECT_TRUE(waitUntil([&] { return xtermIsIn(cell); }))
        << "not " << stringFromRect(xtermFrame()).toStdString();
    EXPECT_TRUE(waitUntil([&] { return devicesAreFree(); }));
}

// A compositor that starts after the grid was used leaves the next grid no shape of the old selection: the
// screens around the xterm are dimmed and the focus window is not cut to the cells chosen before.
TEST_F(FullSizeGridX11Test, ACompositorStartedAfterAChoiceLeavesTheNextGridUncut) {
    ASSERT_TRUE(openGrid());
    press(Key::RightArrow);
    input->key(Key::Shift, true);
    press(Key::RightArrow);
    input->key(Key::Shift, false);
    press(Key::Return);
    ASSERT_TRUE(waitUntil([&] { return devicesAreFree(); }));
    // The focus window faded out and closed.
    processEvents(1000);
    const auto compositor = Compositor::start();
    ASSERT_TRUE(compositor);
    processEvents(1000);
    const QImage plain = display();

    ASSERT_TRUE(openGrid());
    press(Key::RightArrow);
    // Away from the cells chosen before and from the xterm.
    const QPoint root(700, 900);
    EXPECT_TRUE(waitUntil([&] { return qGray(display().pixel(root)) < qGray(plain.pixel(root)) - 10; }))
        << "the screens around the xterm are dimmed";
    QString focusWindow;
    for (const QString& line : QString::fromUtf8(run("xwininfo", {"-root", "-children"})).split('\n'))
        if (line.contains(QStringLiteral("1600x1000+0+0")))
            focusWindow = line.simplified().section(' ', 0, 0);
    ASSERT_FALSE(focusWindow.isEmpty());
    EXPECT_TRUE(run("xwininfo", {"-id", focusWindow, "-shape"}).contains("No window shape defined"));
    saveScreenshot(display(), QStringLiteral("full-size-grid-x11-compositor-started-later"));
    press(Key::Escape);
    EXPECT_TRUE(waitUntil([&] { return devicesAreFree(); }));
}

} // namespace
