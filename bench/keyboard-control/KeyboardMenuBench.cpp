#include "../BenchApplication.h"
#include "keyboard-control/ZRKeyboardControlContext.h"
#include "keyboard-control/ZRKeyboardMenu.h"
#include "keyboard-control/ZRKeyboardMenuDefaults.h"
#include "keyboard-control/ZRKeyboardMenuItem.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/sim/SimDesktop.h"
#include "window-access/WindowObserver.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <optional>

// Each type-select key rates every row of the shown level, stores the matched ranges, selects the best
// and asks for a redraw; 1,000 rows is a large store. Painting is left out: it happens once per turn of
// the event loop, however many keys came.
namespace {

constexpr int RowCount = 1000;

QString title(int i) {
    static const QStringList verbs = {"Move",   "Resize", "Center",  "Grow",
                                      "Shrink", "Snap",   "Restore", "Zoom"};
    static const QStringList places = {"Left Half",         "Right Half",   "Top Third",
                                       "Bottom Two Thirds", "Next Display", "Upper Left Corner",
                                       "Full Screen",       "Middle Column"};
    return QStringLiteral("%1 to %2 (%3)")
        .arg(verbs[i % verbs.size()], places[(i / verbs.size()) % places.size()])
        .arg(i);
}

// The menu shown on a simulated screen with the rows, on the offscreen display.
struct ShownMenu {
    ShownMenu() {
        ensureBenchApplication();
        RunLoop::main().useManualClock();
        desktop.addScreen(Rect(0, 0, 1920, 1080));
        Platform::setCurrent(&desktop);
        settings.setInteger(2, QString::fromUtf16(ZRKeyboardMenuDefaults::TypeSelect));
        installation.emplace(context, nullptr);
        root = ZRKeyboardMenuItem::item(QStringLiteral("Skaf"));
        for (int i = 0; i < RowCount; ++i) {
            auto item = ZRKeyboardMenuItem::item(title(i));
            item->setAction([](ZRKeyboardMenuItem&) { return true; });
            root->addChild(item);
        }
        ZRKeyboardMenu::popUpWithEntryItem(root, nullptr, false, nullptr);
        menu = ZRKeyboardMenu::keyboardMenuByCreatingIfNecessary(false);
    }
    ~ShownMenu() {
        installation.reset();
        Platform::setCurrent(nullptr);
        RunLoop::main().useRealClock();
    }

    QTemporaryDir folder;
    SimDesktop desktop;
    UserDefaults settings{folder.filePath(QStringLiteral("Settings.plist"))};
    ZRWindowObserver observer;
    ZRKeyboardControlContext context{desktop, settings, RunLoop::main(),
                                     []() -> ZRFocusWindow& { std::abort(); }, observer};
    std::optional<ZRKeyboardMenu::Installation> installation;
    std::shared_ptr<ZRKeyboardMenuItem> root;
    ZRKeyboardMenu* menu = nullptr;
};

void typeKeys(benchmark::State& state, const QString& before, QChar key) {
    ShownMenu shown;
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A + (key.toLower().unicode() - u'a'), Qt::NoModifier,
                    QString(key));
    const auto typeAhead = [&] {
        shown.menu->invalidateTypeSelectQuery();
        for (const QChar c : before) {
            QKeyEvent earlier(QEvent::KeyPress, Qt::Key_A + (c.unicode() - u'a'), Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(shown.menu, &earlier);
        }
    };
    for (auto _ : state) {
        state.PauseTiming();
        typeAhead();
        state.ResumeTiming();
        QCoreApplication::sendEvent(shown.menu, &press);
    }
    benchmark::DoNotOptimize(shown.menu->typeSelectQuery());
    state.SetItemsProcessed(state.iterations() * RowCount);
}

// The first key of a query: "h" matches most rows somewhere.
void BM_TypeSelectFirstKey(benchmark::State& state) {
    typeKeys(state, QString(), u'h');
}
// A key that refines a query: "hal" then "f".
void BM_TypeSelectRefiningKey(benchmark::State& state) {
    typeKeys(state, QStringLiteral("hal"), u'f');
}

} // namespace

BENCHMARK(BM_TypeSelectFirstKey)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TypeSelectRefiningKey)->Unit(benchmark::kMicrosecond);
