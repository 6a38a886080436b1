#include "MouseControlContext.h"
#include "MouseControlTestSupport.h"
#include "TestProgram.h"

#include "actions/ZRActionManager.h"
#include "mouse-control/ZRMouseController.h"
#include "shell/ZRMainController.h"
#include "shell/ZRShellAlerts.h"

namespace {

class QuietAlerts : public ZRShellAlerts {
public:
    bool confirmQuit() override { return true; }
    SaveFailureAnswer actionsCouldNotBeSaved(const QString&) override {
        return SaveFailureAnswer::QuitAnyway;
    }
};

class MouseControllerAreaTest : public MouseControlTest {
protected:
    std::optional<TestProgram> program;

    void TearDown() override {
        program.reset();
        MouseControlTest::TearDown();
    }
};

// Mouse control registers the defaults of its own settings at launch, each with its value and type; an
// older setting decides the zoom button's behaviour.
TEST_F(MouseControllerAreaTest, LaunchRegistersTheDefaultsOfMouseControl) {
    const auto integer = [](qint64 value) { return QVariant::fromValue(value); };
    for (const bool zoomButtonDisabled : {false, true}) {
        SCOPED_TRACE(zoomButtonDisabled);
        program.reset();
        openSettings();
        program.emplace(settings(), Platform::current());
        set(QStringLiteral("Mouse Controls Disable Zoom Button"), zoomButtonDisabled);
        ZRMainController& controller = ZRMainController::mainController();
        controller.addArea(std::make_unique<ZRMouseController>(mouseControlContext(settings())));
        controller.applicationWillFinishLaunching();

        const std::pair<const char*, QVariant> expected[] = {
            {"Mouse Controls", true},
            {"Snap Back", true},
            {"Drop Snap", true},
            {"Mouse Controls Delay", 0.1},
            {"Mouse Controls: Zoom Button Behavior", integer(zoomButtonDisabled ? -1 : 0)},
            {"Hover Move", integer(786432)},
            {"Hover Resize", integer(1835008)},
            {"Hover Stickiness: Edges", true},
            {"Hover Stickiness: Centers", true},
            {"Hover Stickiness: Original Size", true},
            {"Snap: 3", integer(12)},
            {"Snap: 4", integer(13)},
            {"Snap: 5", integer(12)},
            {"Snap: 6", integer(13)},
            {"Snap: 7", integer(12)},
            {"Snap: 8", integer(13)},
            {"Snap: 9", integer(12)},
            {"Snap: 10", integer(13)},
        };
        const QVariantMap registered = settings().registeredDomain();
        for (const auto& [key, value] : expected) {
            SCOPED_TRACE(key);
            const QVariant actual = registered.value(QString::fromLatin1(key));
            EXPECT_STREQ(actual.typeName(), value.typeName());
            EXPECT_EQ(actual, value);
        }
    }
}

// The main controller runs mouse control's steps: the launch with the shell's registered settings, the
// change of the frontmost application, and the quit.
TEST_F(MouseControllerAreaTest, TheMainControllerRunsTheMouseArea) {
    desktop.addScreen(Rect(0, 0, 1440, 900));
    const QString wm = ZRSystemWindowSettings::WindowManagerDomain;
    desktop.systemPreferences().setValue(wm, ZRSystemWindowSettings::TilingByEdgeDragKey, true);
    set(QStringLiteral("Snap"), true);

    program.emplace(settings(), Platform::current());
    ZRMainController& controller = ZRMainController::mainController();
    controller.setAlerts(std::make_unique<QuietAlerts>());
    controller.addArea(std::make_unique<ZRMouseController>(mouseControlContext(settings())));
    ASSERT_NE(controller.area<ZRMouseController>(), nullptr);
    controller.applicationWillFinishLaunching();
    controller.applicationDidFinishLaunching();

    EXPECT_EQ(toolRuns(), takeOverToolRuns());
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 1);
    EXPECT_TRUE(controller.area<ZRMouseController>()->features().paletteOn);
    EXPECT_TRUE(controller.area<ZRMouseController>()->features().snapOn);

    RunningApplication editor;
    editor.bundleIdentifier = QStringLiteral("com.example.Editor");
    controller.activeApplicationDidChange(editor);
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 1);

    desktop.processes().clearRuns();
    EXPECT_EQ(controller.applicationShouldTerminate(false), ZRMainController::TerminateReply::TerminateNow);
    const std::vector<QStringList> quit{
        {"write", wm, ZRSystemWindowSettings::TilingByEdgeDragKey, "-bool", "YES"},
        {"delete", wm, ZRSystemWindowSettings::TilingOptionAcceleratorKey},
        {"delete", "-g", ZRSystemWindowSettings::ZoomButtonMenuOptionKey},
    };
    EXPECT_EQ(toolRuns(), quit);
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 0);

    // Removed for good: nothing brings the tap back.
    controller.activeApplicationDidChange(editor);
    controller.area<ZRMouseController>()->updateFeatureFlagsAndTap();
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 0);
}

} // namespace
