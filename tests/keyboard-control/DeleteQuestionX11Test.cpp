// The question before a deletion for good, as a user meets it: the settings window of the whole program on
// the X11 test display, an action's row clicked in its sidebar, Delete pressed; the question's picture
// saved, and Escape keeps the action.
#include "ProgramX11TestSupport.h"

#include "ScreenPixels.h"

#include <QRegularExpression>
#include <algorithm>

using namespace X11Test;

namespace {

// No record of a deleted action is kept to add again; the sidebar takes the keys once clicked.
const QString Settings = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>
  <key>Custom Controls (4001)</key><array>
    <dict><key>Action</key><integer>21</integer><key>Title</key><string>Zed</string></dict>
  </array>
  <key>Recently Deleted</key><integer>0</integer><key>Sidebar Keyboard Focus</key><true/><key>Show Intro Popover</key><false/><key>Palette</key><dict/>
</dict></plist>)");

class DeleteQuestionX11Test : public ProgramX11Test {};

TEST_F(DeleteQuestionX11Test, DeletingForGoodAsksFirstAndEscapeKeepsTheAction) {
    ASSERT_TRUE(startSkaf(Settings, "running on the x11 desktop")) << "skaf did not start";
    ASSERT_TRUE(waitUntil([] { return skafWindows().size() == 1; })) << "the settings window did not open";
    run("xdotool", {"search", "--onlyvisible", "--name", "^Skaf$", "windowactivate", "--sync"});
    processEvents(300);
    // The action's row, the first of the Custom section below the four panes.
    const Rect window = skafWindows().front();
    input->movePointer(Point(window.x() + 55, window.y() + 209));
    processEvents(100);
    input->button(1, true);
    input->button(1, false);
    processEvents(300);
    run("xdotool", {"key", "Delete"});
    ASSERT_TRUE(waitUntil([] { return skafWindows().size() == 2; }))
        << "no question"
        << saveScreenshot(screenPixels(QRect(0, 0, 1600, 1000)),
                          QStringLiteral("delete-question-x11-missing"))
               .toStdString();
    const Rect box = skafWindows().back();
    processEvents(300);
    saveScreenshot(screenPixels(QRect(int(box.x()) - 40, int(box.y()) - 40, int(box.width()) + 80,
                                      int(box.height()) + 80)),
                   QStringLiteral("delete-question-x11"));

    run("xdotool", {"key", "Escape"});
    EXPECT_TRUE(waitUntil([] { return skafWindows().size() == 1; })) << "Escape did not close the question";
    skaf.terminate();
    ASSERT_TRUE(skaf.waitForFinished(10000));
    QFile file(home.filePath(QStringLiteral("config/Skaf/Settings.plist")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Zed")) << "the action was kept";
}

} // namespace
