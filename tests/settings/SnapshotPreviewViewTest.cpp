#include "SettingsViewTestSupport.h"

#include "actions/ZRSnapshotDrawing.h"
#include "settings/ZRActionSnapshotPreviewView.h"
#include "settings/ZRScreenBackgroundView.h"
#include "window-access/WindowDescription.h"

#include <QTest>
#include <QToolButton>

namespace {

using SnapshotPreviewViewTest = SettingsViewTest;

QVariantMap window(const Rect& frame, const Rect& screen, const QString& name) {
    ZRWindowDescriptionFields fields;
    fields.applicationName = name;
    fields.windowFrame = frame;
    fields.screenFrame = screen;
    fields.availableScreenFrame = Rect(screen.x(), screen.y(), screen.width(), screen.height() - 25);
    return ZRMakeWindowDescription(fields);
}

const Rect Left(0, 0, 1600, 1000);
const Rect Right(1600, 0, 1200, 1000);

QVariantList twoScreens() {
    return {window(Rect(100, 400, 700, 500), Left, QStringLiteral("Terminal")),
            window(Rect(1700, 100, 900, 800), Right, QStringLiteral("Browser")),
            window(Rect(600, 100, 900, 700), Left, QStringLiteral("Editor")),
            window(Rect(2200, 0, 600, 400), Right, QString())};
}

TEST_F(SnapshotPreviewViewTest, TheCycleButtonStepsThroughTheScreens) {
    ZRActionSnapshotPreviewView preview;
    preview.resize(240, 150);
    preview.show();
    preview.cycleSnapshot();
    EXPECT_EQ(preview.screenIndex(), 0u) << "no screens: nothing to step through";

    preview.setSnapshot(twoScreens());
    EXPECT_EQ(preview.numberOfScreens(), 2u);
    ASSERT_TRUE(preview.cycleButton()->isVisible());
    QTest::mouseClick(preview.cycleButton(), Qt::LeftButton);
    EXPECT_EQ(preview.screenIndex(), 1u);
    QTest::mouseClick(preview.cycleButton(), Qt::LeftButton);
    EXPECT_EQ(preview.screenIndex(), 0u);

    QTest::mouseClick(preview.cycleButton(), Qt::LeftButton);
    preview.setSnapshot({twoScreens().first()});
    EXPECT_EQ(preview.screenIndex(), 0u) << "a new layout starts at its first screen";
    EXPECT_EQ(preview.numberOfScreens(), 1u);
    EXPECT_FALSE(preview.cycleButton()->isVisible());
}

// Each screen's windows are where the shared drawing puts them, in the preview's colours.
TEST_F(SnapshotPreviewViewTest, PreviewsOfOneAndTwoScreensLightAndDark) {
    const struct {
        const char* name;
        QVariantList layout;
        unsigned labelPriority;
        std::size_t screen;
    } cases[] = {
        {"one-screen-numbers", {twoScreens()[0], twoScreens()[2]}, ZRSnapshotLabelNumbers, 0},
        {"two-screens-names", twoScreens(), ZRSnapshotLabelNames, 0},
        {"two-screens-names-second", twoScreens(), ZRSnapshotLabelNames, 1},
    };
    for (const auto& c : cases) {
        for (const bool dark : {false, true}) {
            // Placed as the action's pane places it: on a miniature screen.
            ZRScreenBackgroundView background(settings());
            background.resize(260, 170);
            background.setBrightnessReduction(0.2);
            setDark(background, dark);
            ZRActionSnapshotPreviewView preview(&background);
            preview.setGeometry(10, 14, 240, 142);
            preview.setLabelPriority(c.labelPriority);
            preview.setSnapshot(c.layout);
            for (std::size_t i = 0; i < c.screen; ++i)
                preview.cycleSnapshot();
            background.show();
            QApplication::processEvents();
            const QImage image = rendered(background);
            saveScreenshot(
                background,
                QStringLiteral("snapshot-preview-%1-%2").arg(QLatin1String(c.name), dark ? "dark" : "light"));

            const ZRSnapshotScreenPicture picture =
                ZRSnapshotScreenPictureInRect(c.layout, c.screen, QRectF(preview.rect()), c.labelPriority);
            ASSERT_FALSE(picture.windows.empty()) << c.name;
            // The frontmost window's centre, away from its label.
            const QRectF front = picture.windows.back().frame.translated(preview.pos());
            const QRgb inside = image.pixel(int(front.center().x()), int(front.top() + 4));
            if (dark) {
                EXPECT_LT(qGray(inside), 60) << c.name;
            } else {
                EXPECT_GT(qGray(inside), 220) << c.name;
            }
        }
    }
}

} // namespace
