#include "../BenchApplication.h"
#include "MouseControlContext.h"
#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "tests/support/TestProgram.h"

#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRMouseEventTapCallback.h"
#include "platform/Platform.h"
#include "platform/foundation/PreferencesFileStore.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The tap's callback runs for every mouse move of every application. Measured here is our own work for
// one move: the parts it hands the event to do nothing, so what remains is the dispatch and the palette's
// put-off wait.
namespace {

namespace D = ZRMouseControlDefault;
constexpr ModifierFlags HoverKeys = ModifierFlag::Control | ModifierFlag::Option;

// The desktop's preferences as the real backend keeps them, in files: a setting that the program's own
// file lacks is looked up there, which costs a look at the file each time.
class FilePreferences : public SimSystemPreferences {
public:
    explicit FilePreferences(const QString& folder) : m_store(folder) {}
    QVariant value(const QString& domain, const QString& key) const override {
        return m_store.value(domain, key);
    }

private:
    PreferencesFileStore m_store;
};

enum class Preferences { Simulated, Files };

// Settings as the program registers them at launch, with every feature on (hover by Control and Option) and a
// layout on Shift.
struct Run {
    std::optional<TestProgram> program;

    Run(bool everyFeature, Preferences preferences) {
        ensureBenchApplication();
        RunLoop::main().useManualClock();
        Platform::setCurrent(&desktop);
        SystemPreferences* global = &desktop.systemPreferences();
        if (preferences == Preferences::Files)
            global = &filePreferences;
        store = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist")), global);
        UserDefaults& defaults = settings();
        program.emplace(settings(), desktop);
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        controller->setHover(nullptr);
        controller->registerDefaults(defaults);
        if (everyFeature) {
            for (const QString& key : {D::Snap, D::SnapBack, D::DropSnap, D::Hover})
                defaults.setBool(true, key);
            auto layout = ZRAction::actionWithType(ZRActionTypeLayout);
            ZRActionManager::actionManager().insertAction(layout);
            defaults.setString(layout->uniqueIdentifier(),
                               userDefaultNameForDropSnapModifier(ModifierFlag::Shift));
        }
        controller->updateFeatureFlagsAndTap();
        if (everyFeature) {
            // A hover move is dragging a window for snapping.
            ZRMouseGestures& gestures = controller->gestures();
            gestures.hover.begin(desktop.accessibility().applicationElement(1));
            gestures.hover.noteMoveStep();
            gestures.snap.beginTracking(gestures.hover.window());
            gestures.snap.noteMoved();
        }
    }
    ~Run() {
        controller.reset();
        program.reset();
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
            ZRMouseEventTapCallback(*controller, event);
        }
    }

    QTemporaryDir folder;
    // The settings the parts are handed.
    std::unique_ptr<UserDefaults> store;
    UserDefaults& settings() const { return *store; }
    FilePreferences filePreferences{folder.filePath(QStringLiteral("Preferences"))};
    SimDesktop desktop;
    std::unique_ptr<ZRMouseController> controller;
};

void BM_MouseMovedEveryFeature(benchmark::State& state) {
    Run run(true, Preferences::Simulated);
    run.measure(state, HoverKeys);
}
BENCHMARK(BM_MouseMovedEveryFeature);

// The same with the desktop's preferences in files, as on the X11 desktop.
void BM_MouseMovedEveryFeatureFilePreferences(benchmark::State& state) {
    Run run(true, Preferences::Files);
    run.measure(state, HoverKeys);
}
BENCHMARK(BM_MouseMovedEveryFeatureFilePreferences);

// The common case: only the palette is on and no key is held.
void BM_MouseMovedPaletteOnly(benchmark::State& state) {
    Run run(false, Preferences::Files);
    run.measure(state, 0);
}
BENCHMARK(BM_MouseMovedPaletteOnly);

} // namespace
