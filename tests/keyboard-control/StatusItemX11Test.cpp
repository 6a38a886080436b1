// The status item as a user meets it: the whole program on the X11 test display with openbox, which has no
// tray, and a tray (trayer) started while the program runs; the tray's windows read with xwininfo and its
// pixels.
#include "ProgramX11TestSupport.h"

#include "ScreenPixels.h"

#include <QSet>

using namespace X11Test;

namespace {

const QString Settings = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>
  <key>Stealth Mode</key><true/><key>Show Intro Popover</key><false/><key>Palette</key><dict/>
</dict></plist>)");

class StatusItemX11Test : public ProgramX11Test {
protected:
    void TearDown() override {
        tray.terminate();
        tray.waitForFinished(5000);
        ProgramX11Test::TearDown();
    }
    // The tray's panel, 0 while it has none.
    static std::uint32_t panel() { return windowNamed(QStringLiteral("panel")); }
    QProcess tray;
};

TEST_F(StatusItemX11Test, TheIconDocksIntoATrayThatStartsAfterTheProgram) {
    ASSERT_TRUE(startSkaf(Settings, "no system tray on this desktop")) << "skaf did not start";

    tray.start(QStringLiteral("trayer"),
               {"--edge", "bottom", "--align", "right", "--widthtype", "pixel", "--width", "100", "--height",
                "30", "--tint", "0xffffff", "--transparent", "true", "--alpha", "0"});
    ASSERT_TRUE(tray.waitForStarted(5000)) << "trayer is missing";
    ASSERT_TRUE(waitUntil([] { return panel() != 0; })) << "the tray did not start";
    const auto docked = [] {
        return QString::fromUtf8(run("xwininfo", {"-tree", "-id", QString::number(panel())}))
            .contains(QStringLiteral("\"Skaf\": (\"skaf\" \"Skaf\")"));
    };
    EXPECT_TRUE(waitUntil(docked, 10000)) << "the icon is not in the tray";
    processEvents(500);

    // The logo drawn in the tray: dark strokes on the tray's light background.
    const Rect frame = xwininfoGeometry(panel()).value_or(Rect());
    const QImage picture =
        screenPixels(QRect(int(frame.x()), int(frame.y()), int(frame.width()), int(frame.height())));
    int dark = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            dark += picture.pixelColor(x, y).lightness() < 100 ? 1 : 0;
    EXPECT_GT(dark, 20) << "no logo in the tray";
    saveScreenshot(screenPixels(QRect(int(frame.x()) - 100, int(frame.y()) - 40, int(frame.width()) + 100,
                                      int(frame.height()) + 40)),
                   QStringLiteral("status-item-x11-tray-started-later"));
}

} // namespace
