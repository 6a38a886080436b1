#include "RecordingParts.h"

#include "mouse-control/ZRMouseControlSettingsControls.h"
#include "platform/foundation/PropertyList.h"
#include "window-access/IgnoreList.h"

#include <QDir>

namespace {

namespace D = ZRMouseControlDefault;
using namespace ModifierFlag;

struct Flags {
    bool palette = false;
    bool snap = false;
    bool snapBack = false;
    bool dropSnap = false;
    bool preview = true;
    ModifierFlags move = 0;
    ModifierFlags resize = 0;
    ModifierFlags dropSnapHover = 0;

    friend bool operator==(const Flags&, const Flags&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Flags& f) {
        return out << "palette " << f.palette << " snap " << f.snap << " back " << f.snapBack << " drop "
                   << f.dropSnap << " preview " << f.preview << std::hex << " move " << f.move << " resize "
                   << f.resize << " drop hover " << f.dropSnapHover;
    }
};

Flags flagsOf(const ZRMouseControlFeatures& s) {
    return {s.paletteOn,
            s.snapOn,
            s.snapBackOn,
            s.dropSnapOn,
            s.previewBeforeSnap,
            s.hoverMoveModifiers,
            s.hoverResizeModifiers,
            s.dropSnapHoverModifiers};
}

class MouseControllerTest : public MouseDispatchTest {
protected:
    // Each case starts from no settings at all.
    void clearSettings() {
        for (const QString& key : settings().persistentDomain().keys())
            settings().removeObject(key);
    }
    void apply(const QVariantMap& settings) {
        for (auto it = settings.begin(); it != settings.end(); ++it)
            set(it.key(), it.value());
    }
};

const QString ControlModifierKey = userDefaultNameForDropSnapModifier(Control);
const QString ShiftModifierKey = userDefaultNameForDropSnapModifier(Shift);
const QString CommandModifierKey = userDefaultNameForDropSnapModifier(Command);

TEST_F(MouseControllerTest, FeatureFlagsFromTheSettings) {
    struct Case {
        const char* name;
        QVariantMap settings;
        Flags expected;
        bool tap;
    };
    const qint64 controlOption = Control | Option;
    const std::vector<Case> cases{
        {"everything off", {}, {}, false},
        {"hover without keys", {{D::Hover, true}, {D::HoverMove, 0}, {D::HoverResize, 0}}, {}, false},
        {"hover keys",
         {{D::Hover, true},
          {D::HoverMove, controlOption},
          {D::HoverResize, qint64(Control | Option | Command)}},
         {.move = Control | Option, .resize = Control | Option | Command},
         true},
        {"hover keys stored while hover is off", {{D::HoverMove, controlOption}}, {}, false},
        {"resize keys equal to the move keys",
         {{D::Hover, true}, {D::HoverMove, controlOption}, {D::HoverResize, controlOption}},
         {.move = Control | Option},
         true},
        {"numeric-pad and side bits in stored keys",
         {{D::Hover, true},
          {D::HoverMove, qint64(Command | NumericPad | LeftCommand)},
          {D::HoverResize, qint64(Command)}},
         {.move = Command},
         true},
        {"snap without positions", {{D::Snap, true}, {D::SnapBack, true}}, {.snapBack = true}, true},
        {"snap position with an empty text",
         {{D::Snap, true}, {userDefaultNameForSnapPosition(7), QString()}},
         {.snap = true},
         true},
        {"snap positions holding 0 and 0.4",
         {{D::Snap, true}, {userDefaultNameForSnapPosition(3), 0}, {userDefaultNameForSnapPosition(10), 0.4}},
         {},
         false},
        {"snap position 10 with an action",
         {{D::Snap, true}, {userDefaultNameForSnapPosition(10), 12}},
         {.snap = true},
         true},
        {"position 11 is no snap position",
         {{D::Snap, true}, {userDefaultNameForSnapPosition(11), 12}},
         {},
         false},
        {"snap off with snap back",
         {{D::SnapBack, true}, {userDefaultNameForSnapPosition(3), 12}},
         {},
         false},
        {"snap back kept alive while snap is off",
         {{D::SnapBack, true}, {D::SnapBackUndeadExtendedScope, true}},
         {.snapBack = true},
         true},
        {"auto-snap", {{D::AutoSnap, true}}, {.preview = false}, false},
        {"palette", {{D::MouseControls, true}}, {.palette = true}, true},
        {"drop snap without keys", {{D::DropSnap, true}}, {}, false},
        {"drop snap by a modifier key",
         {{D::DropSnap, true}, {ControlModifierKey, "x"}},
         {.dropSnap = true},
         true},
        {"drop-snap keys hover only with hover on",
         {{D::DropSnap, true}, {ControlModifierKey, "x"}, {D::DropSnapModifierKeysActivateHoverMove, true}},
         {.dropSnap = true},
         true},
        {"drop-snap keys that hover",
         {{D::DropSnap, true},
          {D::Hover, true},
          {D::HoverMove, 0},
          {ControlModifierKey, "x"},
          {CommandModifierKey, "y"},
          {D::DropSnapModifierKeysActivateHoverMove, true}},
         {.dropSnap = true, .dropSnapHover = Control | Command},
         true},
        {"drop snap with an unknown activation counts the keys",
         {{D::DropSnap, true}, {D::DropSnapActivation, 7}, {ShiftModifierKey, "x"}},
         {.dropSnap = true},
         true},
        {"drop snap by hot-key modifiers without layouts",
         {{D::DropSnap, true}, {D::DropSnapActivation, 1}},
         {},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clearSettings();
        apply(c.settings);
        controller->updateFeatureFlagsAndTap();
        EXPECT_EQ(flagsOf(controller->features()), c.expected);
        EXPECT_EQ(desktop.eventStream().activeTapCount(), c.tap ? 1 : 0);
    }
}

// Layouts decide drop snap by hot key: only a layout with windows and a hot key counts, and a local hot
// key only when the hot key's modifiers (not the hot key itself) show the zones.
TEST_F(MouseControllerTest, DropSnapByHotKeyNeedsALayoutWithWindowsAndAHotKey) {
    struct Case {
        const char* name;
        int activation;
        bool window;
        std::optional<ModifierFlags> hotKey;
        bool local;
        bool dropSnap;
    };
    const std::vector<Case> cases{
        {"modifiers, global hot key", 1, true, Control, false, true},
        {"modifiers, local hot key", 1, true, 0, true, true},
        {"hot key, global hot key", 2, true, Control, false, true},
        {"hot key, local hot key", 2, true, 0, true, false},
        {"no windows", 1, false, Control, false, false},
        {"no hot key", 1, true, std::nullopt, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        program.emplace(settings(), Platform::current());
        addLayout(QStringLiteral("Layout"), c.hotKey, c.window, c.local);
        set(D::DropSnap, true);
        set(D::DropSnapActivation, c.activation);
        controller->updateFeatureFlagsAndTap();
        EXPECT_EQ(controller->features().dropSnapOn, c.dropSnap);
        EXPECT_EQ(controller->features().dropSnapHoverModifiers, 0u);
    }
}

// A layout given a hot key later turns drop snap on without the settings window asking again.
TEST_F(MouseControllerTest, ChangedActionsUpdateTheFeatureFlags) {
    program.emplace(settings(), Platform::current());
    set(D::DropSnap, true);
    set(D::DropSnapActivation, 1);
    controller->updateFeatureFlagsAndTap();
    ASSERT_FALSE(controller->features().dropSnapOn);

    addLayout(QStringLiteral("Layout"), Control, true, false);
    EXPECT_FALSE(controller->features().dropSnapOn) << "decided on the next turn, once per burst";
    RunLoop::main().runPending();
    EXPECT_TRUE(controller->features().dropSnapOn);
}

class RecordingControls : public ZRMouseControlSettingsControls {
public:
    QStringList calls;
    void setMouseControlSwitchState(bool on) override { calls += QStringLiteral("switch %1").arg(on); }
    void setMouseControlTriggerSelectorEnabled(bool enabled) override {
        calls += QStringLiteral("trigger %1").arg(enabled);
    }
    void setMouseControlDelayShrouded(bool shrouded) override {
        calls += QStringLiteral("shroud %1").arg(shrouded);
    }
    void setHoverResizeModeSelectorEnabled(bool enabled) override {
        calls += QStringLiteral("hover resize corner %1").arg(enabled);
    }
};

class Sender : public ZRSettingsControlSender {
public:
    explicit Sender(std::optional<int> state) : m_state(state) {}
    std::optional<int> state() const override { return m_state; }

private:
    std::optional<int> m_state;
};

TEST_F(MouseControllerTest, ThePaletteSwitchWritesItsSettingAndUpdatesTheControls) {
    RecordingControls controls;
    controller->setSettingsControls(&controls);
    struct Case {
        std::optional<int> senderState; // none: no sender
        bool hasSender;
        bool stored;
        bool palette;
    };
    for (const Case& c : {Case{1, true, false, true}, Case{0, true, true, false},
                          Case{std::nullopt, true, true, true}, Case{std::nullopt, false, false, false}}) {
        SCOPED_TRACE(testing::Message() << c.senderState.value_or(-1) << c.hasSender << c.stored);
        set(D::MouseControls, c.stored);
        controls.calls.clear();
        const Sender sender(c.senderState);
        EXPECT_EQ(
            controller->updateMouseControlUserDefaultForSender(c.hasSender ? &sender : nullptr, true, true),
            c.palette);
        EXPECT_EQ(settings().boolForKey(D::MouseControls), c.palette);
        const QStringList expected{QStringLiteral("switch %1").arg(c.palette),
                                   QStringLiteral("trigger %1").arg(c.palette),
                                   QStringLiteral("shroud %1").arg(!c.palette)};
        EXPECT_EQ(controls.calls, expected);
        EXPECT_EQ(desktop.eventStream().activeTapCount(), c.palette ? 1 : 0);
    }
    controls.calls.clear();
    controller->updateFeatureFlagsAndTap();
    EXPECT_TRUE(controls.calls.isEmpty());
}

TEST_F(MouseControllerTest, TheTapComesAndGoesWithTheFeatures) {
    set(D::MouseControls, true);
    set(QString::fromUtf16(ZRDebugLogUserDefaultName), true);
    controller->updateFeatureFlagsAndTap();
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 1);
    EXPECT_EQ(desktop.eventStream().lastInstalledMask(), 0x106Eu);
    EXPECT_TRUE(logged(QStringLiteral("[Debug] enable event tap")));

    // Deciding again keeps the one tap.
    controller->updateFeatureFlagsAndTap();
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 1);

    set(D::MouseControls, false);
    controller->updateFeatureFlagsAndTap();
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 0);
    EXPECT_TRUE(logged(QStringLiteral("[Debug] disable event tap")));
}

TEST_F(MouseControllerTest, ALostOrRefusedTapIsInstalledAgain) {
    set(D::MouseControls, true);
    desktop.eventStream().setInstallFails(true);
    controller->updateFeatureFlagsAndTap();
    EXPECT_TRUE(logged(QStringLiteral("invalid port")));
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 0);
    desktop.eventStream().setInstallFails(false);
    RunLoop::main().advance(ZRMouseController::TapRetryDelay);
    ASSERT_EQ(desktop.eventStream().activeTapCount(), 1);

    desktop.eventStream().loseTaps();
    EXPECT_TRUE(logged(QStringLiteral("the desktop stopped the event tap; installing it again")));
    RunLoop::main().runPending();
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 1);
    // The new tap delivers.
    desktop.eventStream().post(event(TapEventType::RightMouseDown));
    EXPECT_EQ(parts.calls, QStringList{QStringLiteral("should hide")});

    // A lost tap that cannot come back at once keeps being tried, less often while it keeps failing.
    desktop.eventStream().setInstallFails(true);
    desktop.eventStream().loseTaps();
    RunLoop::main().runPending();
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 0);
    RunLoop::main().advance(ZRMouseController::TapRetryDelay);
    desktop.eventStream().setInstallFails(false);
    RunLoop::main().advance(2 * ZRMouseController::TapRetryDelay - 0.5);
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 0);
    RunLoop::main().advance(0.5);
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 1);
}

TEST_F(MouseControllerTest, NoTapWhileAnIgnoredApplicationIsFrontmost) {
    QDir().mkpath(ZRIgnoreList::folderPath());
    ASSERT_TRUE(PropertyList::writeFile(
        ZRIgnoreList::filePath(), QVariantMap{{ZRIgnoreList::nameOfCategory(ZRIgnoreListCategory::Front),
                                               QVariantList{"com.example.game"}}}));
    ZRIgnoreList::sharedList().reload();

    set(D::MouseControls, true);
    controller->updateFeatureFlagsAndTap();
    ASSERT_EQ(desktop.eventStream().activeTapCount(), 1);
    RunningApplication game;
    game.bundleIdentifier = QStringLiteral("com.Example.Game");
    RunningApplication editor;
    editor.bundleIdentifier = QStringLiteral("com.example.Editor");
    controller->activeApplicationDidChange(game);
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 0);
    controller->activeApplicationDidChange(editor);
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 1);
    controller->activeApplicationDidChange(std::nullopt);
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 1);

    // Nor while it is in front when the program starts.
    auto& running = desktop.addApplication(game.bundleIdentifier, QStringLiteral("Game"));
    desktop.workspace().activateApplication(running.pid(), false);
    controller->fillSettingsControls();
    EXPECT_EQ(desktop.eventStream().activeTapCount(), 0);
}

// A run that crashed left our values on the desktop: the next launch puts the user's back before it
// writes its own.
TEST_F(MouseControllerTest, ALaunchAfterACrashGivesTheDesktopSettingsBackFirst) {
    const QString wm = ZRSystemWindowSettings::WindowManagerDomain;
    desktop.systemPreferences().setValue(wm, ZRSystemWindowSettings::TilingByEdgeDragKey, true);
    set(D::Snap, true);
    set(D::DropSnap, true);
    set(D::MouseControls, true);
    set(D::Trigger, 0);
    controller->fillSettingsControls();
    ASSERT_EQ(toolRuns(), takeOverToolRuns());

    controller.reset();
    openSettings();
    program.emplace(settings(), desktop);
    makeController();
    desktop.processes().clearRuns();
    set(D::Snap, false);
    set(D::DropSnap, false);
    set(D::MouseControls, false);
    controller->fillSettingsControls();
    const std::vector<QStringList> relaunch{
        {"write", wm, ZRSystemWindowSettings::TilingByEdgeDragKey, "-bool", "YES"},
        {"delete", wm, ZRSystemWindowSettings::TilingOptionAcceleratorKey},
        {"delete", "-g", ZRSystemWindowSettings::ZoomButtonMenuOptionKey},
    };
    EXPECT_EQ(toolRuns(), relaunch);
    EXPECT_TRUE(logged(
        QStringLiteral("putting back the desktop's window settings that an earlier run left changed")));
}

} // namespace
