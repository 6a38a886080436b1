// Actions' hot keys as a user meets them: the whole program on the X11 test display with openbox, an xterm
// active, the key typed through XTest and the xterm's frame read with xwininfo.
#include "ProgramX11TestSupport.h"

using namespace X11Test;

namespace {

// With Control and Shift: move-and-resize actions of the left half and of the bottom half.
constexpr KeyCode LeftHalfKey = Key::F5;
constexpr KeyCode BottomHalfKey = Key::F6;
const QString Settings = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>
  <key>Custom Controls (4001)</key><array>
    <dict><key>Action</key><integer>19</integer><key>Relative Frame</key><string>{{0, 0}, {0.5, 1}}</string>%1</dict>
    <dict><key>Action</key><integer>19</integer><key>Relative Frame</key><string>{{0, 0}, {1, 0.5}}</string>%2</dict>
  </array>
  <key>Stealth Mode</key><true/><key>Show Intro Popover</key><false/><key>Palette</key><dict/>
</dict></plist>)");

class ActionHotKeysX11Test : public ProgramX11Test {};

// xterm takes only whole character cells, so it cannot take a half's whole height: it keeps the top of the
// half, title bar at the top of the screen, as snapping it to the edge does; only a half that lies along the
// bottom alone keeps the bottom.
TEST_F(ActionHotKeysX11Test, AnXtermThatCannotFillTheHeightKeepsTheTopOfAFullHeightHalf) {
    ASSERT_TRUE(startXterm(QStringLiteral("60x20+100+120")));
    ASSERT_TRUE(startSkaf(
        Settings.arg(controlShiftHotKeyRecord(LeftHalfKey), controlShiftHotKeyRecord(BottomHalfKey)),
        "running on the x11 desktop"))
        << "skaf did not start";
    activateXterm();
    const Rect start = xtermFrame();

    Rect frame;
    ASSERT_TRUE(pressHotKey(LeftHalfKey,
                            [&] {
                                frame = xtermFrame();
                                return frame.x() == LeftMonitor.x() &&
                                       frame.height() > LeftMonitor.height() / 2;
                            }))
        << "the xterm stayed at " << stringFromRect(xtermFrame()).toStdString() << " from "
        << stringFromRect(start).toStdString();
    processEvents(500);
    frame = xtermFrame();
    EXPECT_EQ(frame.y(), LeftMonitor.y()) << "a gap above " << stringFromRect(frame).toStdString();
    EXPECT_GT(frame.maxY(), LeftMonitor.maxY() - Slack);
    EXPECT_LE(frame.maxX(), LeftMonitor.midX());

    ASSERT_TRUE(pressHotKey(BottomHalfKey,
                            [&] {
                                frame = xtermFrame();
                                return frame.width() > LeftMonitor.width() / 2 &&
                                       frame.maxY() > LeftMonitor.midY();
                            }))
        << "the xterm stayed at " << stringFromRect(xtermFrame()).toStdString();
    processEvents(500);
    frame = xtermFrame();
    EXPECT_EQ(frame.maxY(), LeftMonitor.maxY())
        << "the bottom half keeps the bottom " << stringFromRect(frame).toStdString();
    EXPECT_GT(frame.y(), LeftMonitor.y());
}

} // namespace
