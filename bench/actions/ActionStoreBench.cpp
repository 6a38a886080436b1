#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/ZRHotKey.h"
#include "platform/Keys.h"
#include "platform/Platform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "toolkit/ZRLog.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <memory>

// The store loads once at start, while the settings window is built, and every action registers its hot
// key then; it is written again after every structural change in the sidebar. A large store must not
// hold up either.
namespace {

constexpr int FolderCount = 100;
constexpr int MembersPerFolder = 9; // with the folders, 1,000 actions
constexpr int HotKeyEvery = 10;
constexpr int LayoutWindowCount = 5;

const ZRActionType MemberTypes[] = {
    ZRActionTypeMoveAndResize, ZRActionTypeHalf,   ZRActionTypeMove, ZRActionTypeCenter,
    ZRActionTypeResize,        ZRActionTypeLayout, ZRActionTypeGrow, ZRActionTypeMoveToOtherDisplay};
const ModifierFlags HotKeyModifiers[] = {
    ModifierFlag::Command | ModifierFlag::Option, ModifierFlag::Control | ModifierFlag::Option,
    ModifierFlag::Command | ModifierFlag::Shift, ModifierFlag::Control | ModifierFlag::Shift};

class QuietLog : public ZRLogReader {
public:
    void logMessage(const QString&) override {}
    void displayLog(QObject*) override {}
};

// Settings in a throw-away folder holding the store's records, on a simulated desktop.
class Fixture {
public:
    Fixture() {
        ZRActionManager::registerDefaults(m_settings);
        RunLoop::main().useManualClock(0);
        Platform::setCurrent(&m_desktop);
        ZRSetLogReaderFactory([](const ZRLogReaderSettings&) { return std::make_shared<QuietLog>(); });
        m_settings.setObject(records(), QString::fromUtf16(ZRCustomControlsUserDefaultName));
    }
    ~Fixture() {
        RunLoop::main().runPending();
        ZRSetLogReaderFactory({});
        Platform::setCurrent(nullptr);
    }

    // A store of the fixture's settings and desktop, as the program's main makes it.
    std::unique_ptr<ZRActionManager> makeStore() {
        return std::make_unique<ZRActionManager>(m_settings, m_desktop.globalHotKeys(), RunLoop::main(),
                                                 NotificationCenter::defaultCenter());
    }

private:
    QVariantList records() {
        QVariantList records;
        int made = 0;
        for (int f = 0; f < FolderCount; ++f) {
            auto folder = ZRAction::actionWithType(ZRActionTypeFolder);
            std::vector<std::shared_ptr<ZRAction>> members;
            for (int m = 0; m < MembersPerFolder; ++m) {
                auto action = ZRAction::actionWithType(MemberTypes[(f + m) % std::size(MemberTypes)]);
                action->setName(QStringLiteral("Action %1").arg(made));
                action->setRelativeFrame({0.1 * (m % 5), 0.5, 0.5, 0.5});
                if (action->actionType() == ZRActionTypeLayout)
                    action->setSnapshot(layout());
                if (made % HotKeyEvery == 0) {
                    const int index = made / HotKeyEvery;
                    action->setHotKey(ZRHotKey::hotKeyWithIdentifer(
                        action->uniqueIdentifier(), QString(), KeyCode(index % 50),
                        HotKeyModifiers[(index / 50) % std::size(HotKeyModifiers)],
                        {m_desktop.globalHotKeys(), m_settings, RunLoop::main()}));
                }
                members.push_back(std::move(action));
                ++made;
            }
            folder->setChildren(std::move(members));
            records.append(folder->dictionaryRepresentation());
        }
        return records;
    }

    static ZRSnapshot layout() {
        const Rect screen(0, 0, 2560, 1440);
        ZRSnapshot snapshot{{}, {screen}};
        for (int i = 0; i < LayoutWindowCount; ++i)
            snapshot.windowDescriptions.push_back(ZRMakeWindowDescription(
                {QStringLiteral("org.example.app%1").arg(i), QStringLiteral("App %1").arg(i),
                 QStringLiteral("Document %1").arg(i), Rect(100.0 * i, 50.0 * i, 800, 600), screen, screen}));
        return snapshot;
    }

    QTemporaryDir m_folder;
    UserDefaults m_settings{m_folder.filePath(QStringLiteral("Settings.plist"))};
    SimDesktop m_desktop;
};

void BM_LoadStoreOf1000Actions(benchmark::State& state) {
    Fixture fixture;
    for (auto _ : state) {
        const auto store = fixture.makeStore();
        store->load();
        benchmark::DoNotOptimize(store->topLevelActions().size());
        // The hot keys registered in this turn are forgotten when it ends.
        RunLoop::main().runPending();
    }
    state.SetItemsProcessed(state.iterations() * FolderCount * (MembersPerFolder + 1));
}
BENCHMARK(BM_LoadStoreOf1000Actions)->Unit(benchmark::kMillisecond);

void BM_WriteStoreOf1000Actions(benchmark::State& state) {
    Fixture fixture;
    const auto store = fixture.makeStore();
    store->load();
    for (auto _ : state) {
        QVariantList records;
        for (const auto& action : store->topLevelActions())
            records.append(action->dictionaryRepresentation());
        benchmark::DoNotOptimize(PropertyList::toData(records));
    }
    state.SetItemsProcessed(state.iterations() * FolderCount * (MembersPerFolder + 1));
}
BENCHMARK(BM_WriteStoreOf1000Actions)->Unit(benchmark::kMillisecond);

} // namespace
