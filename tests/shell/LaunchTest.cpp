#include "ShellTestSupport.h"

#include "actions/ZRAction.h"
#include "actions/ZRLayoutAutoTrigger.h"
#include "actions/ZRPaletteHiding.h"
#include "hotkeys/ZRHotKey.h"
#include "platform/sim/SimDesktop.h"
#include "shell/ZRApplicationMode.h"
#include "shell/ZRKeyboardMenuLineHeight.h"
#include "shell/ZRProcessFlags.h"
#include "window-access/WindowDescription.h"

#include <QMetaType>

namespace {

struct RegisteredDefault {
    const char* key;
    QVariant value;
};

QVariant integer(qint64 value) {
    return QVariant::fromValue(value);
}

// Every default the shell registers (mouse control registers its own), with its type: booleans stay booleans,
// whole numbers are integers and the rest reals, as the settings' readers and the saved file tell them apart.
const RegisteredDefault ShellDefaults[] = {
    {"Focus", 0.25},
    {"Focus: Always Enable For Snap", true},
    {"Focus: Animate", true},
    {"Focus: Shadow", true},
    {"Drop Snap: Always Adapt", true},
    {"Drop Snap: Activate Via Snap", true},
    {"Mouse Controls Grid: Full Size: Cover All Displays", true},
    {"Mouse Controls Grid: Swap Dimensions On Portrait Orientation Displays", true},
    {"Palette Icons Emphasize Borders", true},
    {"Mouse Controls Grid: Columns", integer(6)},
    {"Mouse Controls Grid: Rows", integer(4)},
    {"Mouse Controls Grid: Hover Highlight Duration", 2.0},
    {"Mouse Controls Grid: Full Size: Hover Trigger Delay", -1.0},
    {"Snap Delay", 0.2},
    {"Keyboard Controls Grid: Starting Position", integer(0)},
    // The first screen's visible frame is 875 high: (875 - 100) / 15 is 51.7, the next even number 52.
    {"ZRKeyboardMenu: Line Height", 52.0},
    {"ZRKeyboardMenu: Type-Select", integer(2)},
    {"Recently Deleted", integer(10)},
    {"Sidebar Hot Key Priority", integer(1)},
    {"Sidebar Icon Priority", integer(2)},
    {"Exported Icon Height", integer(100)},
    {"Application Mode", integer(1)},
    {"ZRVisibleFrameExtraDockSpacing", integer(1)},
    // The action store's, registered again at launch.
    {"Configuration Grid: Columns", integer(6)},
    {"Configuration Grid: Rows", integer(4)},
    {"Non-Modifier Hot Keys Are Local", true},
    {"Frame Storage: Enable", true},
};

// The property-list type of a value: a boolean, an integer of any width, or a real.
QString plistType(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return QStringLiteral("boolean");
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return QStringLiteral("integer");
    case QMetaType::Double:
        return QStringLiteral("real");
    default:
        return QString::fromLatin1(value.typeName());
    }
}

} // namespace

TEST_F(ShellTest, LaunchRegistersEveryDefaultWithItsValueAndType) {
    launch();
    const QVariantMap registered = settings().registeredDomain();
    for (const auto& [key, value] : ShellDefaults) {
        SCOPED_TRACE(key);
        const QVariant actual = registered.value(QString::fromLatin1(key));
        ASSERT_TRUE(actual.isValid());
        EXPECT_EQ(plistType(actual), plistType(value));
        EXPECT_EQ(actual, value);
    }
    // Registered defaults are never written to the file.
    EXPECT_TRUE(settings().persistentDomain().isEmpty());
    // Nor is this one registered: reading it answers NO until the user turns it on.
    EXPECT_FALSE(registered.contains(
        QStringLiteral("Keyboard Controls Grid: Non-Modifier Arrow Keys Reset Selection")));
}

TEST_F(ShellTest, OlderKeysDecideTheirSuccessorsAndMoveOnce) {
    const QString olderArrowKeys = QStringLiteral("Non-Modifier Arrow Keys Reset Keyboard Grid Selection");
    const QString arrowKeys =
        QStringLiteral("Keyboard Controls Grid: Non-Modifier Arrow Keys Reset Selection");
    struct Case {
        const char* olderKey;
        QVariant olderValue;
        const char* key;
        QVariant expectedRegistered;
    };
    const Case cases[] = {
        {"Keyboard Controls Grid: Start With Window", true, "Keyboard Controls Grid: Starting Position",
         integer(1)},
        {"Keyboard Controls Grid: Start With Window", false, "Keyboard Controls Grid: Starting Position",
         integer(0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.olderKey) + (c.olderValue.toBool() ? " on" : " off"));
        freshStart();
        settings().setObject(c.olderValue, QString::fromLatin1(c.olderKey));
        launch();
        const QVariant registered = settings().registeredDomain().value(QString::fromLatin1(c.key));
        EXPECT_EQ(plistType(registered), plistType(c.expectedRegistered));
        EXPECT_EQ(registered, c.expectedRegistered);
        // The older key stays: it is read again at every launch.
        EXPECT_TRUE(settings().persistentObject(QString::fromLatin1(c.olderKey)).isValid());
    }

    struct ArrowCase {
        std::optional<bool> older;
        std::optional<bool> expected;
    };
    for (const auto& [older, expected] :
         {ArrowCase{true, true}, ArrowCase{false, std::nullopt}, ArrowCase{std::nullopt, std::nullopt}}) {
        SCOPED_TRACE(older ? (*older ? "older on" : "older off") : "no older key");
        freshStart();
        if (older)
            settings().setBool(*older, olderArrowKeys);
        launch();
        EXPECT_EQ(settings().optionalBool(arrowKeys), expected);
        EXPECT_FALSE(settings().hasValue(olderArrowKeys));
    }
    // A user who turns it off afterwards keeps it off at the next launch.
    freshStart();
    settings().setBool(true, olderArrowKeys);
    launch();
    settings().setBool(false, arrowKeys);
    restart();
    launch();
    EXPECT_EQ(settings().optionalBool(arrowKeys), false);
}

TEST(KeyboardMenuLineHeight, FollowsTheVisibleHeightWithinItsBounds) {
    const struct {
        double visibleHeight;
        double expected;
    } cases[] = {
        {875, 52},
        {900, 54},
        {1415, 88},
        // Tall screens stop at 100, small ones at 20.
        {2000, 100},
        {300, 20},
        {0, 20},
    };
    for (const auto& c : cases) {
        ScreenInfo screen;
        screen.visibleFrame = Rect(0, 0, 1000, c.visibleHeight);
        EXPECT_EQ(ZRKeyboardMenuDefaultLineHeightForScreen(&screen), c.expected) << c.visibleHeight;
    }
    // No screen at all.
    ASSERT_FALSE(Platform::hasCurrent());
    EXPECT_EQ(ZRKeyboardMenuDefaultLineHeightForScreen(nullptr), 64);
    // Halves round away from zero; the stored height has no upper limit.
    EXPECT_EQ(ZRKeyboardMenuCorrectedLineHeight(41), 42);
    EXPECT_EQ(ZRKeyboardMenuCorrectedLineHeight(43), 44);
    EXPECT_EQ(ZRKeyboardMenuCorrectedLineHeight(250), 250);
    EXPECT_EQ(ZRKeyboardMenuCorrectedLineHeight(-5), 20);
}

TEST_F(ShellTest, LaunchRunsTheAreasInTheirOrderAndHandsOnEarlyFiles) {
    QStringList calls;
    pendingAreas.push_back(std::make_unique<RecordingArea>(&calls));
    ZRMainController& controller = this->controller();
    controller.openFiles({QStringLiteral("/tmp/early.skaf")});
    launch();
    const QStringList expected = {
        QStringLiteral("registerDefaults"),
        QStringLiteral("migrateDefaults"),
        QStringLiteral("fillSettingsControls"),
        QStringLiteral("settingsHotKeyDidChange Keyboard Menu none not active"),
        QStringLiteral("settingsHotKeyDidChange Keyboard Controls none not active"),
        QStringLiteral("buildSettingsWindow"),
        QStringLiteral("showSettingsWindow"),
        QStringLiteral("didFinishLaunching"),
        QStringLiteral("openFiles /tmp/early.skaf"),
    };
    EXPECT_EQ(calls, expected);
    EXPECT_TRUE(ZRSharedProcessFlags().screenBackgroundViewsDrawMenuBarAndDock);
    EXPECT_FALSE(ZRSharedProcessFlags().helpManagerIndexesPages);
    EXPECT_EQ(controller.area<RecordingArea>(), controller.areas().front().get());
    EXPECT_EQ(controller.area<ZRPaletteHiding>(), nullptr);

    // The status item comes on the next turn, by "Application Mode" (1: the status item).
    EXPECT_FALSE(controller.statusItemController().isRequested());
    RunLoop::main().runPending();
    EXPECT_TRUE(controller.statusItemController().isRequested());

    // Files after the launch go straight on.
    calls.clear();
    controller.openFiles({QStringLiteral("/tmp/late.skaf")});
    EXPECT_EQ(calls, QStringList{QStringLiteral("openFiles /tmp/late.skaf")});
}

TEST_F(ShellTest, StealthModeKeepsTheSettingsWindowClosedOnceTheIntroWasShown) {
    const struct {
        bool stealth;
        std::optional<bool> showIntro;
        bool opens;
    } cases[] = {
        {false, std::nullopt, true}, {true, std::nullopt, true}, {true, true, true},
        {true, false, false},        {false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stealth << " " << c.showIntro.value_or(-1));
        freshStart();
        settings().setBool(c.stealth, QStringLiteral("Stealth Mode"));
        if (c.showIntro)
            settings().setBool(*c.showIntro, QStringLiteral("Show Intro Popover"));
        QStringList calls;
        pendingAreas.push_back(std::make_unique<RecordingArea>(&calls));
        launch();
        EXPECT_EQ(calls.contains(QStringLiteral("showSettingsWindow")), c.opens);

        // The window opened at a launch was the introduction: a later launch in stealth mode keeps it closed.
        program.reset();
        calls.clear();
        pendingAreas.push_back(std::make_unique<RecordingArea>(&calls));
        launch();
        EXPECT_EQ(calls.contains(QStringLiteral("showSettingsWindow")), !c.stealth) << "the next launch";
    }
}

TEST_F(ShellTest, WorkspaceAndScreenChangesReachTheAreas) {
    QStringList calls;
    pendingAreas.push_back(std::make_unique<RecordingArea>(&calls));
    desktop.addApplication(QStringLiteral("org.example.Editor"), QStringLiteral("Editor"));
    auto& viewer = desktop.addApplication(QStringLiteral("org.example.Viewer"), QStringLiteral("Viewer"));
    launch();
    calls.clear();

    desktop.workspace().activateApplication(viewer.pid(), false);
    desktop.workspace().simulateSpaceChange();
    desktop.workspace().simulateSleep();
    desktop.workspace().simulateWake();
    desktop.setScreenFrame(screen, Rect(0, 0, 1920, 1080));
    RunLoop::main().runPending();
    EXPECT_EQ(calls, (QStringList{QStringLiteral("activeApplicationDidChange Viewer"),
                                  QStringLiteral("activeSpaceDidChange"), QStringLiteral("willSleep"),
                                  QStringLiteral("didWake"), QStringLiteral("screenParametersDidChange")}));
}

// A stored layout set to apply by itself on one display applies at the launch, and again after a wake.
TEST_F(ShellTest, LaunchAppliesTheLayoutsOfTheDisplaysThereAreAndAWakeAppliesThemAgain) {
    auto& editor = desktop.addApplication(QStringLiteral("org.example.Editor"), QStringLiteral("Editor"));
    SimWindow& window = desktop.addWindow(editor, Rect(300, 300, 500, 300), QStringLiteral("Notes"));
    const Rect placed(40, 60, 700, 400); // Quartz
    auto layout = ZRAction::actionWithType(ZRActionTypeLayout);
    layout->setSnapshot(
        ZRSnapshot{{ZRMakeWindowDescription({QStringLiteral("org.example.Editor"), QStringLiteral("Editor"),
                                             QStringLiteral("Notes"), Rect(40, 900 - 60 - 400, 700, 400),
                                             Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875)})},
                   {Rect(0, 0, 1440, 900)}});
    layout->setSnapshotDisplayAutoTriggerEnabled(true);
    layout->setSnapshotWakeAutoTriggerEnabled(true);
    set(QString::fromUtf16(ZRCustomControlsUserDefaultName),
        QVariantList{layout->dictionaryRepresentation()});

    launch();
    EXPECT_EQ(window.frame(), placed);

    window.setFrame(Rect(300, 300, 500, 300));
    desktop.workspace().simulateWake();
    RunLoop::main().advance(ZRLayoutAutoTrigger::SettleDelay + 0.1);
    EXPECT_EQ(window.frame(), placed);
    EXPECT_TRUE(logged(QStringLiteral("applies by itself: the machine woke with 1 display")));
}

TEST_F(ShellTest, AccessibilityTimeoutComesFromTheSettings) {
    const struct {
        std::optional<double> setting;
        double expected;
    } cases[] = {{std::nullopt, 1.0}, {2.5, 2.5}, {0, 1.0}, {-3, 1.0}};
    for (const auto& c : cases) {
        freshStart();
        if (c.setting)
            settings().setDouble(*c.setting, QStringLiteral("Accessibility API Timeout"));
        desktop.accessibility().setMessagingTimeout(9);
        launch();
        EXPECT_EQ(desktop.accessibility().messagingTimeout(), c.expected);
    }
}

TEST_F(ShellTest, SettingsHotKeyThatCannotRegisterIsKeptAndShownNotActive) {
    constexpr KeyCode K = 40;
    constexpr KeyCode M = 46;
    constexpr ModifierFlags ControlOption = 0x40000 | 0x80000;
    const auto keyboardMenu =
        ZRHotKey::hotKeyWithIdentifer(QStringLiteral("Keyboard Menu"), QString(), K, ControlOption,
                                      ZRHotKeyContext{desktop.globalHotKeys(), settings(), RunLoop::main()});
    const auto keyboardControls =
        ZRHotKey::hotKeyWithIdentifer(QStringLiteral("Keyboard Controls"), QString(), M, ControlOption,
                                      ZRHotKeyContext{desktop.globalHotKeys(), settings(), RunLoop::main()});
    const QVariantMap keyboardMenuRecord = keyboardMenu->dictionaryRepresentation();
    settings().setObject(keyboardMenuRecord, QStringLiteral("Keyboard Menu"));
    settings().setObject(keyboardControls->dictionaryRepresentation(), QStringLiteral("Keyboard Controls"));
    // Another program holds the keyboard menu's keys right now.
    desktop.globalHotKeys().markTaken(K, ControlOption);

    QStringList calls;
    pendingAreas.push_back(std::make_unique<RecordingArea>(&calls));
    ZRMainController& controller = launch();

    EXPECT_TRUE(calls.contains(QStringLiteral("settingsHotKeyDidChange Keyboard Menu hot key not active")));
    EXPECT_TRUE(calls.contains(QStringLiteral("settingsHotKeyDidChange Keyboard Controls hot key active")));
    ASSERT_NE(controller.keyboardMenuHotKey(), nullptr);
    EXPECT_FALSE(controller.settingsHotKeyIsActive(QStringLiteral("Keyboard Menu")));
    EXPECT_TRUE(controller.settingsHotKeyIsActive(QStringLiteral("Keyboard Controls")));
    EXPECT_TRUE(desktop.globalHotKeys().isRegistered(M, ControlOption));
    // The user's setting is untouched, and the next launch tries again.
    EXPECT_EQ(settings().dictionaryForKey(QStringLiteral("Keyboard Menu")), keyboardMenuRecord);
    EXPECT_TRUE(logged(QStringLiteral("kept, not active")));

    // Cleared through its field, it goes from the settings and the desktop.
    EXPECT_TRUE(controller.shouldSetHotKey(nullptr, QStringLiteral("Keyboard Controls")));
    EXPECT_FALSE(settings().hasValue(QStringLiteral("Keyboard Controls")));
    EXPECT_FALSE(desktop.globalHotKeys().isRegistered(M, ControlOption));
    // A field of no known identifier changes nothing.
    EXPECT_FALSE(controller.shouldSetHotKey(keyboardControls, QStringLiteral("Something Else")));
}
