// Mouse control's parts keep to what their maker hands them: the settings they read, and the shared focus
// window and desktop window settings the program installs for as long as it lives.
#include "MouseControlContext.h"
#include "MouseControlTestSupport.h"

#include "mouse-control/ZRFocusOutlineStyle.h"
#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZROverlayButton.h"
#include "mouse-control/ZROverlayColorScheme.h"

#include <QPointer>

namespace {

const Rect Left(0, 0, 1440, 900);
const Rect Right(1440, 0, 1280, 1024);

class HandedPartsTest : public MouseControlTest {
protected:
    void SetUp() override {
        MouseControlTest::SetUp();
        desktop.addScreen(Left);
        desktop.addScreen(Right);
    }

    UserDefaults own{folder.filePath(QStringLiteral("Own Settings.plist"))};
};

} // namespace

// Each part is given a store of its own whose values differ from the program's: what it does follows its own.
TEST_F(HandedPartsTest, ThePartsReadTheSettingsTheyAreHandedNotTheProgramsOwn) {
    set(ZRFocusDefault::AlwaysCoverAllScreens, false);
    own.setBool(true, ZRFocusDefault::AlwaysCoverAllScreens);
    const auto focus = ZRFocusWindow::focusWindowWithFrame(Rect(), own, RunLoop::main(), desktop.screens());
    focus->setOutlineFrame(Rect(100, 100, 200, 200));
    EXPECT_EQ(focus->frame(), Left.united(Right))
        << "the focus window covers every screen by its own settings";

    set(ZROverlayColorScheme::colorInversionKey(), false);
    own.setBool(true, ZROverlayColorScheme::colorInversionKey());
    ZROverlayButton ownButton(mouseControlContext(own));
    ZROverlayButton programButton(mouseControlContext(settings()));
    EXPECT_NE(ownButton.drawnColor(), programButton.drawnColor());
    set(ZROverlayColorScheme::colorInversionKey(), true);
    EXPECT_EQ(ownButton.drawnColor(), programButton.drawnColor())
        << "the button draws light by its own settings";

    desktop.systemPreferences().setValue(ZRSystemWindowSettings::WindowManagerDomain,
                                         ZRSystemWindowSettings::TilingByEdgeDragKey, true);
    ZRSystemWindowSettings windowSettings(own, desktop);
    ASSERT_TRUE(windowSettings.setTilingDefault(ZRSystemWindowSettings::TilingByEdgeDragKey, false));
    EXPECT_TRUE(own.hasValue(ZRSystemWindowSettings::RecordUserDefaultName));
    EXPECT_FALSE(settings().hasValue(ZRSystemWindowSettings::RecordUserDefaultName))
        << "the user's value is recorded where the desktop's window settings keep their record";
    EXPECT_TRUE(windowSettings.restoreRecordedValues());
    EXPECT_FALSE(own.hasValue(ZRSystemWindowSettings::RecordUserDefaultName));
}

// The shared focus window and window settings are the ones installed last while they live; the one installed
// before answers again once they go, and a focus window goes with its installation rather than outliving the
// program.
TEST_F(HandedPartsTest, AnInstallationAnswersWhileItLivesAndPutsBackTheOneBefore) {
    ZRFocusWindow::Installation outer(settings(), RunLoop::main(), desktop.screens());
    ZRSystemWindowSettings outerSettings(settings(), desktop);
    const ZRSystemWindowSettings::Installation outerInstalled(outerSettings);
    ZRFocusWindow& outerWindow = ZRFocusWindow::defaultFocusWindow();
    EXPECT_EQ(&outerWindow, &outer.focusWindow());
    EXPECT_EQ(&ZRFocusWindow::defaultFocusWindow(), &outerWindow) << "made once, on first use";

    QPointer<ZRFocusWindow> innerWindow;
    {
        ZRFocusWindow::Installation inner(own, RunLoop::main(), desktop.screens());
        ZRSystemWindowSettings innerSettings(own, desktop);
        const ZRSystemWindowSettings::Installation innerInstalled(innerSettings);
        innerWindow = &ZRFocusWindow::defaultFocusWindow();
        EXPECT_NE(innerWindow.data(), &outerWindow);
        EXPECT_EQ(&ZRSystemWindowSettings::shared(), &innerSettings);
    }
    EXPECT_TRUE(innerWindow.isNull()) << "the window went with its installation";
    EXPECT_EQ(&ZRFocusWindow::defaultFocusWindow(), &outerWindow);
    EXPECT_EQ(&ZRSystemWindowSettings::shared(), &outerSettings);
}
