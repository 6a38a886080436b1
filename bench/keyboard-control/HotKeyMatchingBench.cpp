#include "keyboard-control/KeyEvent.h"
#include "keyboard-control/ZRHotKey.h"
#include "keyboard-control/ZRHotKeyDelegate.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"

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
// different keys.
struct Store {
    Store() {
        static int argc = 1;
        static char name[] = "skaf_hotkey_bench";
        static char* argv[] = {name, nullptr};
        if (!QCoreApplication::instance())
            new QCoreApplication(argc, argv);
        UserDefaults::setStandard(
            std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist"))));
        RunLoop::main().useManualClock();
        Platform::setCurrent(&desktop);
        for (int i = 0; i < HotKeyCount; ++i) {
            const auto keyCode = static_cast<KeyCode>(i % (Key::MaximumKeyCode + 1));
            const ModifierFlags flags = ModifierCombinations[i / (Key::MaximumKeyCode + 1)];
            auto hotKey = ZRHotKey::hotKeyWithIdentifer(QString::number(i), QString(), keyCode, flags);
            hotKey->registerForDelegate(owner, false);
            hotKeys.push_back(std::move(hotKey));
        }
    }
    ~Store() {
        hotKeys.clear();
        Platform::setCurrent(nullptr);
        UserDefaults::setStandard(nullptr);
    }

    QTemporaryDir folder;
    SimDesktop desktop;
    Owner owner;
    std::vector<std::shared_ptr<ZRHotKey>> hotKeys;
};

void matchAgainstStore(benchmark::State& state, const Store& store, const KeyEvent& event) {
    for (auto _ : state) {
        int matches = 0;
        for (const auto& hotKey : store.hotKeys)
            matches += hotKey->matchesEvent(event) ? 1 : 0;
        benchmark::DoNotOptimize(matches);
    }
    state.SetItemsProcessed(state.iterations() * HotKeyCount);
}

void BM_MatchKeyDownAgainstThousandHotKeys(benchmark::State& state) {
    const Store store;
    KeyEvent event;
    event.keyCode = store.hotKeys[500]->keyCode();
    event.modifierFlags = store.hotKeys[500]->modifierFlags() | ModifierFlag::CapsLock;
    matchAgainstStore(state, store, event);
}
BENCHMARK(BM_MatchKeyDownAgainstThousandHotKeys);

void BM_MatchHotKeyPressAgainstThousandHotKeys(benchmark::State& state) {
    const Store store;
    const HotKeyEvent press{store.hotKeys[500]->hotKeyReference(), true, ZRHotKeySignature, 500, 0};
    matchAgainstStore(state, store, keyEventFromHotKeyEvent(press, store.hotKeys[500]->modifierFlags()));
}
BENCHMARK(BM_MatchHotKeyPressAgainstThousandHotKeys);

} // namespace
