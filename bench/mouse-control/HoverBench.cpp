#include "../BenchApplication.h"
#include "MouseControlContext.h"
#include "tests/support/TestProgram.h"

#include "mouse-control/ZRHover.h"
#include "mouse-control/ZRMouseController.h"
#include "platform/Platform.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// One step of a running hover gesture on the simulated desktop, its frame setting stubbed: what the tap's
// callback spends on hover for each mouse move while the keys are held. Goal: 2 µs.
namespace {

struct Gesture {
    explicit Gesture(ZRHoverMode mode) {
        ensureBenchApplication();
        RunLoop::main().useManualClock();
        DispatchQueue::setManualForTesting(true);
        Platform::setCurrent(&desktop);
        store = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist")),
                                               &desktop.systemPreferences());
        program.emplace(settings(), desktop);
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        controller->registerDefaults(settings());
        hover = std::make_unique<ZRHover>(*controller, controller->gestures().hover,
                                          [this](const AXElementRef&, bool, const Rect&) {
                                              ++frames;
                                              return true;
                                          });
        desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
        auto& editor = desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
        desktop.addWindow(editor, Rect(300, 200, 400, 300), QStringLiteral("Notes"));
        event.location = Point(500, 210);
        hover->moveOrResize(mode, &event);
        settle();
    }
    ~Gesture() {
        hover.reset();
        controller.reset();
        program.reset();
        settle();
        DispatchQueue::setManualForTesting(false);
        Platform::setCurrent(nullptr);
        RunLoop::main().useRealClock();
    }

    static void settle() {
        while (DispatchQueue::drainForTesting() > 0)
            RunLoop::main().runPending();
    }

    // Back and forth by a point, so that the window never reaches an edge.
    const TapEvent& nextEvent() {
        event.deltaX = event.deltaX > 0 ? -1 : 1;
        event.deltaY = event.deltaX;
        return event;
    }

    QTemporaryDir folder;
    // The settings the parts are handed.
    std::unique_ptr<UserDefaults> store;
    UserDefaults& settings() const { return *store; }
    std::optional<TestProgram> program;
    SimDesktop desktop;
    std::unique_ptr<ZRMouseController> controller;
    std::unique_ptr<ZRHover> hover;
    TapEvent event;
    int frames = 0;
};

// Each step hands its frame to the worker, which sets it before the next step (the worker's queue and the
// completion run on this thread).
void stepWithItsRequest(benchmark::State& state, ZRHoverMode mode) {
    Gesture gesture(mode);
    for (auto _ : state) {
        gesture.hover->moveOrResize(mode, &gesture.nextEvent());
        Gesture::settle();
    }
    if (gesture.frames < state.iterations())
        state.SkipWithError("a step set no frame");
}

// Steps while a request runs: each puts off the retry.
void stepWhileARequestRuns(benchmark::State& state, ZRHoverMode mode) {
    Gesture gesture(mode);
    gesture.hover->moveOrResize(mode, &gesture.nextEvent());
    for (auto _ : state)
        gesture.hover->moveOrResize(mode, &gesture.nextEvent());
    if (!gesture.hover->requestInFlight())
        state.SkipWithError("no request was running");
}

void BM_HoverMoveStep(benchmark::State& state) {
    stepWithItsRequest(state, ZRHoverModeMove);
}
BENCHMARK(BM_HoverMoveStep);

void BM_HoverResizeStep(benchmark::State& state) {
    stepWithItsRequest(state, ZRHoverModeResize);
}
BENCHMARK(BM_HoverResizeStep);

void BM_HoverMoveStepWhileARequestRuns(benchmark::State& state) {
    stepWhileARequestRuns(state, ZRHoverModeMove);
}
BENCHMARK(BM_HoverMoveStepWhileARequestRuns);

} // namespace
