#include "SimTestSupport.h"

#include "platform/sim/SimDemoDesktop.h"

#include <chrono>
#include <thread>

namespace {

constexpr std::uint32_t Signature = 0x534b686b; // 'SKhk'
constexpr HotKeyModifierMask ControlMask = HotKeyModifier::Control;
constexpr HotKeyModifierMask ControlOptionMask = HotKeyModifier::Control | HotKeyModifier::Option;

TEST_F(SimDesktopTest, HotKeysRegisterRefuseAndFire) {
    auto& hotKeys = sim.globalHotKeys();
    hotKeys.markTaken(Key::Space, ModifierFlag::Command);
    HotKeyReference f5 = 0;
    HotKeyReference other = 0;
    EXPECT_EQ(hotKeys.registerHotKey(Key::F5, ControlMask, Signature, 7, f5),
              HotKeyRegistrationStatus::Success);
    EXPECT_NE(f5, 0u);
    struct Refusal {
        KeyCode keyCode;
        HotKeyModifierMask modifiers;
        HotKeyRegistrationStatus status;
    };
    const Refusal refusals[] = {
        {Key::Space, HotKeyModifier::Command, HotKeyRegistrationStatus::Taken},
        {Key::F5, ControlMask, HotKeyRegistrationStatus::Taken},
        {Key::MaximumKeyCode + 1, ControlMask, HotKeyRegistrationStatus::InvalidKey},
    };
    for (const auto& r : refusals) {
        EXPECT_EQ(hotKeys.registerHotKey(r.keyCode, r.modifiers, Signature, 8, other), r.status) << r.keyCode;
        EXPECT_EQ(other, 0u);
    }
    EXPECT_EQ(hotKeys.registerHotKey(Key::F5, ControlOptionMask, Signature, 9, other),
              HotKeyRegistrationStatus::Success);

    std::vector<HotKeyEvent> events;
    auto connection = hotKeys.hotKeyEvent.connect([&](const HotKeyEvent& e) { events.push_back(e); });
    RunLoop::main().advance(1.5);
    EXPECT_TRUE(hotKeys.press(Key::F5, ModifierFlag::Control | ModifierFlag::LeftControl));
    EXPECT_TRUE(hotKeys.release(Key::F5, ModifierFlag::Control));
    EXPECT_FALSE(hotKeys.press(Key::F5, ModifierFlag::Control | ModifierFlag::Shift));
    EXPECT_FALSE(hotKeys.press(Key::F6, ModifierFlag::Control));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].reference, f5);
    EXPECT_TRUE(events[0].pressed);
    EXPECT_FALSE(events[1].pressed);
    EXPECT_EQ(events[0].signature, Signature);
    EXPECT_EQ(events[0].identifier, 7u);
    EXPECT_EQ(events[0].timestamp, 1.5);

    EXPECT_EQ(hotKeys.registrations().size(), 2u);
    EXPECT_TRUE(hotKeys.unregisterHotKey(f5));
    EXPECT_FALSE(hotKeys.unregisterHotKey(f5));
    EXPECT_FALSE(hotKeys.isRegistered(Key::F5, ModifierFlag::Control));
    EXPECT_FALSE(hotKeys.press(Key::F5, ModifierFlag::Control));
    ASSERT_EQ(hotKeys.registrations().size(), 1u);
    EXPECT_EQ(hotKeys.registrations().front().modifiers, ControlOptionMask);
}

TEST(HotKeyModifierMask, KeepsTheFiveRegistrationModifiersOnly) {
    EXPECT_EQ(hotKeyModifierMask(ModifierFlag::Command | ModifierFlag::Shift | ModifierFlag::Option |
                                 ModifierFlag::Control | ModifierFlag::Function | ModifierFlag::CapsLock |
                                 ModifierFlag::NumericPad | ModifierFlag::LeftShift),
              256u + 512u + 2048u + 4096u + 131072u);
    EXPECT_EQ(hotKeyModifierMask(ModifierFlag::Option | ModifierFlag::RightOption), 2048u);
}

// The command lines are the real tool's and tested with it; here, that the simulated tool works on the
// simulated preferences, that a refused command changes nothing, and that every run is recorded.
TEST_F(SimDesktopTest, PreferencesToolWritesAndDeletesTheSimulatedPreferences) {
    const QString tool = sim.systemPreferences().preferencesToolPath();
    const QString tiling = QStringLiteral("com.apple.WindowManager");
    const QString global = SystemPreferences::GlobalDomain;
    struct Step {
        QStringList arguments;
        int exitCode;
        QString domain;
        QString key;
        QVariant expected;
    };
    const Step steps[] = {
        {{"write", tiling, "EnableTilingByEdgeDrag", "-bool", "NO"},
         0,
         tiling,
         "EnableTilingByEdgeDrag",
         false},
        {{"write", "-g", "NSZoomButtonMenuOption", "-int", "2"},
         0,
         global,
         "NSZoomButtonMenuOption",
         qint64(2)},
        {{"write", "-g", "NSZoomButtonMenuOption", "-int", "seven"},
         2,
         global,
         "NSZoomButtonMenuOption",
         qint64(2)},
        {{"delete", "-g", "NSZoomButtonMenuOption"}, 0, global, "NSZoomButtonMenuOption", QVariant()},
        {{"delete", "-g", "NSZoomButtonMenuOption"}, 1, global, "NSZoomButtonMenuOption", QVariant()},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.arguments.join(' ').toStdString());
        const ProcessResult result = sim.processes().run(tool, step.arguments, 5);
        EXPECT_TRUE(result.started);
        EXPECT_EQ(result.exitCode, step.exitCode);
        EXPECT_EQ(result.exitCode != 0, !result.standardError.isEmpty());
        EXPECT_EQ(sim.systemPreferences().value(step.domain, step.key), step.expected);
    }
    // The program's own removal, unlike the tool, takes an absent key as removed already.
    EXPECT_TRUE(sim.systemPreferences().removeValue(global, QStringLiteral("NSZoomButtonMenuOption")));
    const auto runs = sim.processes().runs();
    ASSERT_EQ(runs.size(), std::size(steps));
    EXPECT_EQ(runs.front().program, tool);
    EXPECT_EQ(runs.front().arguments, steps[0].arguments);
    EXPECT_EQ(runs.front().timeoutSeconds, 5);
}

TEST_F(SimDesktopTest, ScriptedProgramsEndAsScripted) {
    auto& processes = sim.processes();
    processes.setRunsUnscriptedPrograms(false);
    processes.script("/bin/ok", SimProgramBehaviour{0, "out\n", "", false, false, false});
    processes.script("/bin/fails", SimProgramBehaviour{3, "", "bad\n", false, false, false});
    processes.script("/bin/hangs", SimProgramBehaviour{0, "partial", "", false, true, false});
    processes.script("/bin/crashes", SimProgramBehaviour{0, "", "", false, false, true});
    processes.script("/bin/missing", SimProgramBehaviour{0, "", "", true, false, false});
    processes.script("/bin/echo", [](const QStringList& arguments) {
        return SimProgramBehaviour{0, arguments.join(' ').toUtf8(), "", false, false, false};
    });

    struct Case {
        QString program;
        bool started;
        bool timedOut;
        bool crashed;
        int exitCode;
        QByteArray output;
    };
    const Case cases[] = {
        {"/bin/ok", true, false, false, 0, "out\n"},      {"/bin/fails", true, false, false, 3, ""},
        {"/bin/hangs", true, true, false, -1, "partial"}, {"/bin/crashes", true, false, true, -1, ""},
        {"/bin/missing", false, false, false, -1, ""},    {"/bin/echo", true, false, false, 0, "a b"},
        {"/bin/unscripted", false, false, false, -1, ""},
    };
    for (const auto& c : cases) {
        const ProcessResult result = processes.run(c.program, {"a", "b"}, 1);
        EXPECT_EQ(result.started, c.started) << c.program.toStdString();
        EXPECT_EQ(result.timedOut, c.timedOut) << c.program.toStdString();
        EXPECT_EQ(result.crashed, c.crashed) << c.program.toStdString();
        EXPECT_EQ(result.exitCode, c.exitCode) << c.program.toStdString();
        EXPECT_EQ(result.standardOutput, c.output) << c.program.toStdString();
    }
    EXPECT_EQ(processes.runs().size(), std::size(cases));
}

TEST_F(SimDesktopTest, StartedProgramsStreamTheirLinesOnTheMainRunLoop) {
    auto& processes = sim.processes();
    processes.script("/bin/log", SimProgramBehaviour{0, "one\ntwo\n", "", false, false, false});
    processes.script("/bin/stream", SimProgramBehaviour{0, "first\n", "", false, true, false});

    QList<QByteArray> lines;
    std::optional<ProcessResult> finished;
    auto process = processes.start(
        "/bin/log", {}, [&](const QByteArray& line) { lines << line; },
        [&](const ProcessResult& result) { finished = result; });
    ASSERT_NE(process, nullptr);
    EXPECT_TRUE(lines.isEmpty());
    RunLoop::main().runPending();
    EXPECT_EQ(lines, (QList<QByteArray>{"one", "two"}));
    ASSERT_TRUE(finished);
    EXPECT_TRUE(finished->succeeded());
    EXPECT_FALSE(process->isRunning());

    lines.clear();
    finished.reset();
    auto streaming = processes.start(
        "/bin/stream", {}, [&](const QByteArray& line) { lines << line; },
        [&](const ProcessResult& result) { finished = result; });
    RunLoop::main().runPending();
    EXPECT_EQ(lines, QList<QByteArray>{"first"});
    EXPECT_FALSE(finished);
    EXPECT_TRUE(streaming->isRunning());

    lines.clear();
    auto dropped = processes.start(
        "/bin/log", {}, [&](const QByteArray& line) { lines << line; }, [&](const ProcessResult&) {});
    dropped.reset();
    RunLoop::main().runPending();
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(SimDesktopTest, ChildrenWriteOverTimeAndTheReaderStopsThem) {
    auto& processes = sim.processes();
    // Stepped by the reader: each time it has read everything, the script writes the next piece.
    processes.scriptChild("/bin/count", [](const std::shared_ptr<SimChildProcess>& child) {
        auto written = std::make_shared<int>(0);
        child->setWhenDrained([written](SimChildProcess& child) {
            if (*written == 3)
                child.exit(5);
            else
                child.write(QByteArray::number(++*written));
        });
    });
    QList<QByteArray> pieces;
    ProcessResult result = processes.read(
        "/bin/count", {},
        [&](const QByteArray& piece) {
            pieces << piece;
            return true;
        },
        1);
    EXPECT_EQ(pieces, (QList<QByteArray>{"1", "2", "3"}));
    EXPECT_EQ(result.exitCode, 5);
    EXPECT_FALSE(result.stopped);

    pieces.clear();
    result = processes.read(
        "/bin/count", {},
        [&](const QByteArray& piece) {
            pieces << piece;
            return pieces.size() < 2;
        },
        1);
    EXPECT_EQ(pieces, (QList<QByteArray>{"1", "2"}));
    EXPECT_TRUE(result.stopped);
    EXPECT_TRUE(processes.children("/bin/count").back()->wasStopped());

    // Written by another thread while the reader waits; the silence time-out ends a child that stops
    // writing.
    processes.scriptChild("/bin/slow", [](const std::shared_ptr<SimChildProcess>& child) {
        std::thread([child] {
            for (const char* piece : {"a", "b", "c"}) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                child->write(piece);
            }
        }).detach();
    });
    QByteArray joined;
    result = processes.read(
        "/bin/slow", {},
        [&](const QByteArray& piece) {
            joined += piece;
            return true;
        },
        0.5);
    EXPECT_EQ(joined, "abc");
    EXPECT_TRUE(result.timedOut);

    // A started child's pieces arrive on the main run loop as lines, however they are cut.
    QList<QByteArray> lines;
    auto stream = processes.start("/bin/slow", {}, [&](const QByteArray& line) { lines << line; }, {});
    const auto child = processes.children("/bin/slow").back();
    child->write("one\ntw");
    child->write("o\n");
    RunLoop::main().runPending();
    EXPECT_EQ(lines, (QList<QByteArray>{"one", "two"}));
    stream.reset();
    EXPECT_TRUE(child->wasStopped());
}

TEST(SimDemoDesktop, OffersTwoScreensAndApplicationsToTry) {
    RunLoop::main().useManualClock();
    const auto sim = makeDemoDesktop();
    EXPECT_EQ(sim->name(), QStringLiteral("sim"));
    ASSERT_EQ(sim->screens().screens().size(), 2u);
    EXPECT_EQ(sim->screens().screens().front().frame.origin, Point());
    EXPECT_GE(sim->workspace().runningApplications().size(), 3u);
    const auto list = sim->windowServer().windowList();
    ASSERT_GE(list.size(), 3u);
    EXPECT_EQ(list.front().ownerPID, sim->workspace().frontmostApplication()->processIdentifier);

    // Every window has its zoom button, and the pointer finds the front window's one.
    for (const auto& entry : list) {
        const auto window = elementOf(*sim->window(entry.number), sim->accessibility());
        EXPECT_TRUE(attribute<AXElementRef>(window, AX::ZoomButton)) << entry.title.toStdString();
    }
    const auto zoom = *attribute<AXElementRef>(
        elementOf(*sim->window(list.front().number), sim->accessibility()), AX::ZoomButton);
    const auto at = *attribute<Point>(zoom, AX::Position);
    EXPECT_TRUE(AXElementsEqual(sim->accessibility().elementAtPosition({at.x + 1, at.y + 1}), zoom));
}

} // namespace
