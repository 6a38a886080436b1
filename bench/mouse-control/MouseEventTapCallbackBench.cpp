#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlState.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRMouseEventTapCallback.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The tap's callback runs for every mouse move of every application. Measured here is our own work for
// one move: the parts it hands the event to do nothing, so what remains is the dispatch, the settings it
// reads and the palette's rescheduled wait.
namespace {

namespace D = ZRMouseControlDefault;
constexpr ModifierFlags HoverKeys = ModifierFlag::Control | ModifierFlag::Option;

// Settings as the program registers them at launch, with every feature on and a layout on Shift.
struct Run {
    explicit Run(bool everyFeature) {
        static int argc = 1;
        static char name[] = "skaf_mouse_control_bench";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
        RunLoop::main().useManualClock();
        Platform::setCurrent(&desktop);
        UserDefaults::setStandard(std::make_unique<UserDefaults>(
            folder.filePath(QStringLiteral("Settings.plist")), &desktop.systemPreferences()));
        UserDefaults& defaults = UserDefaults::standard();
        QVariantMap registered{{D::MouseControls, true},
                               {D::Delay, 0.1},
                               {D::ZoomButtonBehavior, 0},
                               {D::HoverMove, qint64(HoverKeys)},
                               {D::HoverResize, qint64(HoverKeys | ModifierFlag::Command)}};
        for (std::int64_t position = 3; position <= 10; ++position)
            registered.insert(userDefaultNameForSnapPosition(position), position % 2 ? 12 : 13);
        defaults.registerDefaults(registered);
        if (everyFeature) {
            for (const QString& key : {D::Snap, D::SnapBack, D::DropSnap, D::Hover})
                defaults.setBool(true, key);
            auto layout = ZRAction::actionWithType(ZRActionTypeLayout);
            ZRActionManager::setActionManager(std::make_unique<ZRActionManager>());
            ZRActionManager::actionManager().insertAction(layout);
            defaults.setString(layout->uniqueIdentifier(),
                               userDefaultNameForDropSnapModifier(ModifierFlag::Shift));
        }
        controller.updateFeatureFlagsAndTap();
        if (everyFeature) {
            // A hover move is dragging a window for snapping.
            ZRMouseControlState& state = ZRMouseControlState::shared();
            state.hoveredWindow = desktop.accessibility().applicationElement(1);
            state.hoverMoveInProgress = true;
            state.trackedSnapWindow = state.hoveredWindow;
            state.snapWindowMoving = true;
        }
    }
    ~Run() {
        ZRMouseControlState::reset();
        ZRActionManager::setActionManager(nullptr);
        UserDefaults::setStandard(nullptr);
        Platform::setCurrent(nullptr);
    }

    void measure(benchmark::State& state, ModifierFlags flags) {
        TapEvent event;
        event.type = TapEventType::MouseMoved;
        event.flags = flags;
        double x = 100;
        for (auto _ : state) {
            // Far enough from the last move to count as a drag step every time.
            x = x == 100 ? 101 : 100;
            event.location = Point(x, 200);
            ZRMouseEventTapCallback(controller, event);
        }
    }

    QTemporaryDir folder;
    SimDesktop desktop;
    ZRMouseController controller;
};

void BM_MouseMovedEveryFeature(benchmark::State& state) {
    Run run(true);
    run.measure(state, HoverKeys);
}
BENCHMARK(BM_MouseMovedEveryFeature);

// The common case: only the palette is on and no key is held.
void BM_MouseMovedPaletteOnly(benchmark::State& state) {
    Run run(false);
    run.measure(state, 0);
}
BENCHMARK(BM_MouseMovedPaletteOnly);

} // namespace
