#include "MouseControlTestSupport.h"

#include "mouse-control/ZRMouseControlDefaults.h"

namespace {

using Settings = ZRSystemWindowSettings;

const QString WM = Settings::WindowManagerDomain;
const QString EdgeDrag = Settings::TilingByEdgeDragKey;
const QString Accelerator = Settings::TilingOptionAcceleratorKey;
const QString ZoomOption = Settings::ZoomButtonMenuOptionKey;
const QString Global = SystemPreferences::GlobalDomain;

class SystemWindowSettingsTest : public MouseControlTest {
private:
    std::optional<Settings> m_run;

protected:
    void SetUp() override {
        MouseControlTest::SetUp();
        set(ZRMouseControlDefault::MouseControls, true);
        set(ZRMouseControlDefault::Trigger, 0);
        newRun();
    }
    void TearDown() override {
        m_run.reset();
        MouseControlTest::TearDown();
    }

    // A new run of the program on the settings open now: what the last run found out is forgotten.
    void newRun() {
        m_run.reset();
        m_run.emplace(settings(), desktop);
    }
    Settings& windowSettings() { return *m_run; }

    QVariant system(const QString& domain, const QString& key) {
        return desktop.systemPreferences().value(domain, key);
    }

    // Turns everything off as a running program does when snapping, drop snap and the palette are on.
    void takeOver() {
        Settings& run = windowSettings();
        run.setTilingDefault(EdgeDrag, false);
        run.setTilingDefault(Accelerator, false);
        run.updateZoomButtonMenuOption(true);
    }

    // The program ends without its quit steps; the next start reads the settings file again.
    void crashAndRestart() {
        openSettings();
        newRun();
    }
};

// The user had tiling by edge drag on, no accelerator key and no zoom option: every write is recorded
// before it is made, and the quit puts back exactly what the user had.
TEST_F(SystemWindowSettingsTest, RunWritesOnceAndQuitRestoresTheUsersValues) {
    desktop.systemPreferences().setValue(WM, EdgeDrag, true);

    takeOver();
    windowSettings().setTilingDefault(EdgeDrag, false);
    windowSettings().updateZoomButtonMenuOption(true);
    EXPECT_EQ(toolRuns(), takeOverToolRuns())
        << "the tool runs once per key, not again when the value is right";
    EXPECT_EQ(system(WM, EdgeDrag), QVariant(false));
    EXPECT_EQ(windowSettings().previousZoomButtonMenuOption(), 0);
    for (const auto& run : desktop.processes().runs()) {
        EXPECT_EQ(run.timeoutSeconds, Settings::ToolTimeout);
    }

    desktop.processes().clearRuns();
    set(Settings::DisabledTemporarilyUserDefaultName, true);
    windowSettings().restoreForTermination();
    const std::vector<QStringList> restores{
        {"write", WM, EdgeDrag, "-bool", "YES"},
        {"delete", WM, Accelerator},
        {"delete", "-g", ZoomOption},
    };
    EXPECT_EQ(toolRuns(), restores);
    EXPECT_EQ(system(WM, EdgeDrag), QVariant(true));
    EXPECT_FALSE(system(WM, Accelerator).isValid());
    EXPECT_FALSE(system(Global, ZoomOption).isValid());
    EXPECT_FALSE(settings().hasValue(Settings::RecordUserDefaultName));
    EXPECT_FALSE(settings().hasValue(Settings::DisabledTemporarilyUserDefaultName));

    // Nothing more changes the zoom option in this run.
    desktop.processes().clearRuns();
    windowSettings().updateZoomButtonMenuOption(true);
    EXPECT_TRUE(toolRuns().empty());
    EXPECT_FALSE(windowSettings().canManageZoomButtonMenuOption());
}

// A run that crashed left our values behind: the next start puts back the user's values from the saved
// record, and the record of its own writes holds the user's values again, never ours.
TEST_F(SystemWindowSettingsTest, NextStartAfterACrashRestoresFromTheRecord) {
    desktop.systemPreferences().setValue(WM, EdgeDrag, true);
    desktop.systemPreferences().setValue(Global, ZoomOption, 0);
    takeOver();
    ASSERT_EQ(system(WM, EdgeDrag), QVariant(false));
    ASSERT_EQ(system(Global, ZoomOption).toLongLong(), 2);

    crashAndRestart();
    desktop.processes().clearRuns();
    EXPECT_TRUE(windowSettings().restoreRecordedValues());
    const std::vector<QStringList> restores{
        {"write", WM, EdgeDrag, "-bool", "YES"},
        {"delete", WM, Accelerator},
        {"write", "-g", ZoomOption, "-int", "0"},
    };
    EXPECT_EQ(toolRuns(), restores);
    EXPECT_EQ(system(WM, EdgeDrag), QVariant(true));
    EXPECT_FALSE(system(WM, Accelerator).isValid());

    // This run takes over again and crashes too; the start after it still restores the user's values.
    takeOver();
    crashAndRestart();
    windowSettings().restoreRecordedValues();
    EXPECT_EQ(system(WM, EdgeDrag), QVariant(true));
    EXPECT_FALSE(system(WM, Accelerator).isValid());
    EXPECT_EQ(system(Global, ZoomOption).toLongLong(), 0);
    EXPECT_FALSE(settings().hasValue(Settings::RecordUserDefaultName));
}

// What the user sets on the desktop while the program runs is their newer choice: the quit keeps it.
TEST_F(SystemWindowSettingsTest, AValueChangedSinceItWasWrittenStaysAtQuit) {
    takeOver();
    desktop.systemPreferences().setValue(WM, EdgeDrag, true);
    desktop.systemPreferences().setValue(Global, ZoomOption, 3);
    desktop.processes().clearRuns();

    windowSettings().restoreForTermination();
    EXPECT_EQ(toolRuns(), (std::vector<QStringList>{{"delete", WM, Accelerator}}));
    EXPECT_EQ(system(WM, EdgeDrag), QVariant(true));
    EXPECT_EQ(system(Global, ZoomOption).toLongLong(), 3);
    EXPECT_FALSE(settings().hasValue(Settings::RecordUserDefaultName));
}

// The palette's temporary 1 after a crash would otherwise read as the user's "menu off for good".
TEST_F(SystemWindowSettingsTest, RestoringBeforeTheFirstCheckKeepsTheOptionManaged) {
    windowSettings().setZoomButtonMenuOption(1);
    ASSERT_EQ(system(Global, ZoomOption).toLongLong(), 1);
    crashAndRestart();

    windowSettings().restoreRecordedValues();
    EXPECT_TRUE(windowSettings().canManageZoomButtonMenuOption());
    EXPECT_EQ(windowSettings().previousZoomButtonMenuOption(), 0);
}

TEST_F(SystemWindowSettingsTest, ZoomOptionManagement) {
    struct Case {
        const char* name;
        QVariant userValue;       // the option before the run
        QVariant manualOverride;  // "Manual Availability Override"
        bool offered;             // the desktop has the zoom-button menu
        bool disabledTemporarily; // left over from an earlier run
        bool canManage;
        std::vector<QStringList> runs;
    };
    const QStringList write2{"write", "-g", ZoomOption, "-int", "2"};
    const std::vector<Case> cases{
        {"absent", {}, {}, true, false, true, {write2}},
        {"user value 3 is never changed", 3, {}, true, false, true, {}},
        {"user value 7 is never changed", 7, {}, true, false, true, {}},
        {"user value 1 stops management", 1, {}, true, false, false, {}},
        {"the desktop has no such menu", {}, {}, false, false, false, {}},
        {"override off", {}, false, true, false, false, {}},
        {"override on where the desktop has no menu", {}, true, false, false, true, {write2}},
        {"override on beats a user value of 1", 1, true, true, false, true, {write2}},
        {"temporary flag skips the recorded value", 1, {}, true, true, true, {write2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        newRun();
        desktop.systemPreferences().setOffersZoomButtonMenuOption(c.offered);
        if (c.userValue.isValid())
            desktop.systemPreferences().setValue(Global, ZoomOption, c.userValue);
        else
            desktop.systemPreferences().removeValue(Global, ZoomOption);
        set(Settings::ManualAvailabilityOverrideUserDefaultName, c.manualOverride);
        set(Settings::DisabledTemporarilyUserDefaultName,
            c.disabledTemporarily ? QVariant(true) : QVariant());
        desktop.processes().clearRuns();

        windowSettings().updateZoomButtonMenuOption(true);
        EXPECT_EQ(windowSettings().canManageZoomButtonMenuOption(), c.canManage);
        EXPECT_EQ(toolRuns(), c.runs);
        EXPECT_FALSE(settings().hasValue(Settings::DisabledTemporarilyUserDefaultName));
        windowSettings().restoreRecordedValues();
    }
}

TEST_F(SystemWindowSettingsTest, ZoomOptionFollowsThePaletteAndItsTrigger) {
    struct Case {
        bool wanted;
        bool palette;
        int trigger;
        std::int64_t option;
    };
    for (const Case& c :
         {Case{true, true, 0, 2}, Case{false, true, 0, 0}, Case{true, false, 0, 0}, Case{true, true, 1, 0}}) {
        SCOPED_TRACE(testing::Message() << c.wanted << c.palette << c.trigger);
        set(ZRMouseControlDefault::MouseControls, c.palette);
        set(ZRMouseControlDefault::Trigger, c.trigger);
        windowSettings().updateZoomButtonMenuOption(true);
        windowSettings().updateZoomButtonMenuOption(c.wanted);
        EXPECT_EQ(system(Global, ZoomOption).toLongLong(), c.option);
        EXPECT_EQ(windowSettings().zoomButtonMenuIsActive(), c.option != 0);
        EXPECT_EQ(windowSettings().paletteTriggerIsNonDefault(), c.option != 0 || c.trigger != 0);
    }
    // Giving the option back deletes it, since the user had none.
    EXPECT_FALSE(system(Global, ZoomOption).isValid());
}

TEST_F(SystemWindowSettingsTest, TilingKeysAreLeftAloneWhereTheyMustBe) {
    struct Case {
        const char* name;
        bool offered;
        bool leaveUnchanged;
        QVariant userValue;
    };
    for (const Case& c :
         {Case{"no edge tiling", false, false, true}, Case{"left unchanged", true, true, true},
          Case{"already off", true, false, false}}) {
        SCOPED_TRACE(c.name);
        desktop.systemPreferences().setOffersEdgeTiling(c.offered);
        desktop.systemPreferences().setValue(WM, EdgeDrag, c.userValue);
        set(Settings::LeaveTilingUnchangedUserDefaultName, c.leaveUnchanged);
        desktop.processes().clearRuns();

        EXPECT_TRUE(windowSettings().setTilingDefault(EdgeDrag, false));
        windowSettings().restoreForTermination();
        EXPECT_TRUE(toolRuns().empty());
        EXPECT_EQ(system(WM, EdgeDrag), c.userValue);
    }
}

// Turning snapping off gives back what the user had; a value we never wrote is never deleted.
TEST_F(SystemWindowSettingsTest, SwitchingOffGivesBackOnlyWhatWeWrote) {
    desktop.systemPreferences().setValue(WM, Accelerator, true);
    windowSettings().setTilingDefault(Accelerator, true);
    EXPECT_TRUE(toolRuns().empty());
    EXPECT_EQ(system(WM, Accelerator), QVariant(true));

    windowSettings().setTilingDefault(Accelerator, false);
    windowSettings().setTilingDefault(Accelerator, true);
    EXPECT_EQ(system(WM, Accelerator), QVariant(true));
    EXPECT_EQ(toolRuns().size(), 2u);
    EXPECT_FALSE(settings().hasValue(Settings::RecordUserDefaultName));
}

TEST_F(SystemWindowSettingsTest, AFailingToolIsLoggedAndNotTakenAsDone) {
    struct Case {
        const char* name;
        SimProgramBehaviour behaviour;
        const char* logLine;
    };
    SimProgramBehaviour failing;
    failing.exitCode = 1;
    failing.standardError = "cannot write\n";
    SimProgramBehaviour hanging;
    hanging.hangs = true;
    SimProgramBehaviour missing;
    missing.failsToStart = true;
    SimProgramBehaviour crashing;
    crashing.crashes = true;
    for (const Case& c : {Case{"exit status", failing, "exit status 1: cannot write"},
                          Case{"no answer", hanging, "no answer within 5 seconds"},
                          Case{"not started", missing, "/simulated/usr/bin/defaults could not be started"},
                          Case{"crash", crashing, "it crashed"}}) {
        SCOPED_TRACE(c.name);
        desktop.systemPreferences().setValue(WM, EdgeDrag, true);
        scriptTool(c.behaviour);
        EXPECT_FALSE(windowSettings().setTilingDefault(EdgeDrag, false));
        EXPECT_TRUE(
            logged(QStringLiteral("cannot change the desktop's preferences (write %1 %2 -bool NO): %3")
                       .arg(WM, EdgeDrag, QString::fromUtf8(c.logLine))));

        // A write that did land but whose restore fails stays recorded for the next try.
        restoreTool();
        ASSERT_TRUE(windowSettings().setTilingDefault(EdgeDrag, false));
        scriptTool(c.behaviour);
        EXPECT_FALSE(windowSettings().restoreRecordedValues());
        EXPECT_TRUE(settings().hasValue(Settings::RecordUserDefaultName));
        restoreTool();
        EXPECT_TRUE(windowSettings().restoreRecordedValues());
        EXPECT_EQ(system(WM, EdgeDrag), QVariant(true));
        EXPECT_FALSE(settings().hasValue(Settings::RecordUserDefaultName));
    }
}

// A value the tool could not write back is never replaced.
TEST_F(SystemWindowSettingsTest, UnrestorableUserValueIsLeftAlone) {
    desktop.systemPreferences().setValue(WM, EdgeDrag, QStringLiteral("sometimes"));
    EXPECT_FALSE(windowSettings().setTilingDefault(EdgeDrag, false));
    EXPECT_TRUE(toolRuns().empty());
    EXPECT_EQ(system(WM, EdgeDrag), QVariant(QStringLiteral("sometimes")));
}

} // namespace
