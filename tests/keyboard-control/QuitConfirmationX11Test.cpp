// The quit confirmation as a user meets it: Ctrl+Q in the settings window of the whole program on the X11
// test display; its picture read from the display's pixels at once, then Return quits.
#include "ProgramX11TestSupport.h"

#include "ScreenPixels.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>

using namespace X11Test;

namespace {

const QString Settings = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>
  <key>Palette</key><dict/>
</dict></plist>)");

class QuitConfirmationX11Test : public ProgramX11Test {};

TEST_F(QuitConfirmationX11Test, TheConfirmationIsPaintedAtOnceAndReturnQuits) {
    ASSERT_TRUE(startSkaf(Settings, "running on the x11 desktop")) << "skaf did not start";
    ASSERT_TRUE(waitUntil([] { return skafWindows().size() == 1; })) << "the settings window did not open";
    run("xdotool", {"search", "--onlyvisible", "--name", "^Skaf$", "windowactivate", "--sync"});

    run("xdotool", {"key", "ctrl+q"});
    ASSERT_TRUE(waitUntil([] { return skafWindows().size() == 2; })) << "no confirmation";
    const Rect box = skafWindows().back();

    // Painted: the light background of a dialog with its dark text and buttons, not one flat colour. Read
    // as the display holds it, the way a screen reader of the root does.
    QImage picture;
    QSet<QRgb> colours;
    int dark = 0;
    const auto painted = [&] {
        picture = screenPixels(QRect(int(box.x()), int(box.y()), int(box.width()), int(box.height())));
        colours.clear();
        dark = 0;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const QColor pixel = picture.pixelColor(x, y);
                colours.insert(pixel.rgb());
                dark += pixel.lightness() < 80 ? 1 : 0;
            }
        return colours.size() > 20 && dark > 20 && dark < picture.width() * picture.height() / 4;
    };
    EXPECT_TRUE(waitUntil(painted, 1000))
        << colours.size() << " colours, " << dark << " dark pixels of " << picture.width() * picture.height();
    saveScreenshot(screenPixels(QRect(int(box.x()) - 40, int(box.y()) - 60, int(box.width()) + 80,
                                      int(box.height()) + 100)),
                   QStringLiteral("quit-confirmation-x11"));

    run("xdotool", {"key", "Return"});
    EXPECT_TRUE(skaf.waitForFinished(10000)) << "Return did not quit";
    EXPECT_EQ(skaf.exitCode(), 0);
}

} // namespace
