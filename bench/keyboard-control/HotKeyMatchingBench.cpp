#include "../BenchApplication.h"
#include "hotkeys/KeyEvent.h"
#include "hotkeys/ZRHotKey.h"
#include "hotkeys/ZRHotKeyDelegate.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#ifdef SKAF_X11_PREFERENCES
#include "platform/x11/X11SystemPreferences.h"
#endif

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// Every hot-key press is matched against the hot key of every action; 1,000 actions is a large store.
namespace {

constexpr int HotKeyCount = 1000;
constexpr ModifierFlags ModifierCombinations[] = {
    ModifierFlag::Command,
    ModifierFlag::Control | ModifierFlag::Option,
    ModifierFlag::Command | ModifierFlag::Shift,
    ModifierFlag::Control | ModifierFlag::Option | ModifierFlag::Command,
    ModifierFlag::Option | ModifierFlag::Shift,
    ModifierFlag::Control | ModifierFlag::Shift,
    ModifierFlag::Command | ModifierFlag::Option,
    ModifierFlag::Control | ModifierFlag::Command | ModifierFlag::Shift,
    ModifierFlag::Control,
};

class Owner : public ZRHotKeyDelegate {
public:
    std::vector<std::shared_ptr<ZRHotKey>> hotKeys() const override { return {}; }
    std::uint32_t hotKeySignature() const override { return ZRHotKeySignature; }
    QString identifierForHotKeyTextView(const ZRHotKeyTextView*) const override { return {}; }
    bool shouldSetHotKey(const std::shared_ptr<ZRHotKey>&, const QString&) override { return true; }
};

// Settings in a folder of their own, and hot keys registered with the simulated desktop, each on
// different keys. The settings fall through to the desktop's preferences: the simulated desktop's
// in memory, or files as on X11 (which the program's own file lacks, as it lacks these keys).
enum class Preferences { Simulated, Files };

struct Store {
    explicit Store(Preferences preferences)
#ifdef SKAF_X11_PREFERENCES
        : files(folder.filePath(QStringLiteral("Preferences")))
#endif
    {
        ensureBenchApplication();
        settings = std::make_unique<UserDefaults>(
            folder.filePath(QStringLiteral("Settings.plist")),
            preferences == Preferences::Files ? filePreferences() : &desktop.systemPreferences());
        RunLoop::main().useManualClock();
        Platform::setCurrent(&desktop);
        for (int i = 0; i < HotKeyCount; ++i) {
            const auto keyCode = static_cast<KeyCode>(i % (Key::MaximumKeyCode + 1));
            const ModifierFlags flags = ModifierCombinations[i / (Key::MaximumKeyCode + 1)];
            auto hotKey =
                ZRHotKey::hotKeyWithIdentifer(QString::number(i), QString(), keyCode, flags,
                                              {desktop.globalHotKeys(), *settings, RunLoop::main()});
            hotKey->registerForDelegate(owner, false);
            hotKeys.push_back(std::move(hotKey));
        }
    }
    ~Store() {
        hotKeys.clear();
        Platform::setCurrent(nullptr);
    }

#ifdef SKAF_X11_PREFERENCES
    SystemPreferences* filePreferences() {
        return &files;
    }
#else
    SystemPreferences* filePreferences() {
        return &desktop.systemPreferences();
    }
#endif

    QTemporaryDir folder;
#ifdef SKAF_X11_PREFERENCES
    X11SystemPreferences files;
#endif
    SimDesktop desktop;
    std::unique_ptr<UserDefaults> settings;
    Owner owner;
    std::vector<std::shared_ptr<ZRHotKey>> hotKeys;
};

// Each press comes in a turn of its own, in which the preferences files are looked at again.
void matchAgainstStore(benchmark::State& state, const Store& store, const KeyEvent& event) {
    for (auto _ : state) {
        QCoreApplication::processEvents();
        int matches = 0;
        // As the action engine does: the settings once per press, then every hot key.
        const auto options = ZRHotKey::currentMatchOptions(*store.settings);
        for (const auto& hotKey : store.hotKeys)
            matches += hotKey->matchesEvent(event, options) ? 1 : 0;
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * HotKeyCount);
}

void BM_MatchKeyDownAgainstThousandHotKeys(benchmark::State& state) {
    const Store store(Preferences(state.range(0)));
    KeyEvent event;
    event.keyCode = store.hotKeys[500]->keyCode();
    event.modifierFlags = store.hotKeys[500]->modifierFlags() | ModifierFlag::CapsLock;
    matchAgainstStore(state, store, event);
}
BENCHMARK(BM_MatchKeyDownAgainstThousandHotKeys)
    ->ArgName("preferences files")
    ->Arg(int(Preferences::Simulated))
    ->Arg(int(Preferences::Files))
    ->Unit(benchmark::kMillisecond);

void BM_MatchHotKeyPressAgainstThousandHotKeys(benchmark::State& state) {
    const Store store(Preferences(state.range(0)));
    const HotKeyEvent press{store.hotKeys[500]->hotKeyReference(), true, ZRHotKeySignature, 500, 0};
    matchAgainstStore(state, store, keyEventFromHotKeyEvent(press, store.hotKeys[500]->modifierFlags()));
}
BENCHMARK(BM_MatchHotKeyPressAgainstThousandHotKeys)
    ->ArgName("preferences files")
    ->Arg(int(Preferences::Simulated))
    ->Arg(int(Preferences::Files))
    ->Unit(benchmark::kMillisecond);

} // namespace
