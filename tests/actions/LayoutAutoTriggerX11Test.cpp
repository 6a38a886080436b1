// Layouts that apply by themselves as a user meets them on the X11 test display: RandR monitors come and go
// under a real xterm, and the layout saved for the number of displays there are puts it back (xwininfo).
#include "TestActionStore.h"
#include "X11TestSupport.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRLayoutAutoTrigger.h"
#include "platform/Platform.h"
#include "platform/Screens.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/x11/X11Platform.h"
#include "window-access/WindowObserver.h"

#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>

using namespace X11Test;

namespace {

// Long enough for the displays to settle and the layout's frames to arrive.
constexpr int SettledMilliseconds = int(ZRLayoutAutoTrigger::SettleDelay * 1000) + 5000;

class LayoutAutoTriggerX11 : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        settings = std::make_unique<UserDefaults>(folder.filePath(QStringLiteral("Settings.plist")));
        QString error;
        platform = createX11Platform(&error);
        ASSERT_TRUE(platform) << error.toStdString();
        Platform::setCurrent(platform.get());
        actionStore.emplace(*settings, platform->globalHotKeys());
        engine = std::make_unique<ZRActionController>(actionStore->store(), *settings, *platform,
                                                      RunLoop::main(), ZRWindowObserver::defaultObserver());
        engine->setBeepHandler([this] { ++beeps; });
    }

    void TearDown() override {
        engine.reset();
        actionStore.reset();
        Platform::setCurrent(nullptr);
    }

    // A layout of the windows as they stand, set to apply by itself on that many displays.
    std::shared_ptr<ZRAction> capture(const QString& name, std::int64_t displays) {
        auto layout = ZRAction::actionWithType(ZRActionTypeLayout);
        layout->setName(name);
        engine->saveSnapshot(*layout, {});
        if (!waitUntil([&] { return !layout->snapshot().isEmpty(); }))
            return nullptr;
        layout->setSnapshotDisplayAutoTriggerEnabled(true);
        layout->setSnapshotAutoDisplayCount(displays);
        actionStore->store().insertAction(layout);
        return layout;
    }

    // Moves the xterm as another program would, and answers where its frame is now.
    std::optional<Rect> moveTerminal(int x, int y) {
        run(QStringLiteral("xdotool"),
            {QStringLiteral("windowmove"), QStringLiteral("--sync"), QString::number(terminal->window()),
             QString::number(x), QString::number(y)});
        processEvents(200);
        return independentFrame(terminal->window());
    }

    bool terminalAt(const Rect& frame, int milliseconds = SettledMilliseconds) {
        return waitUntil(
            [&] {
                const auto now = independentFrame(terminal->window());
                return now && std::abs(now->x() - frame.x()) <= 1 && std::abs(now->y() - frame.y()) <= 1;
            },
            milliseconds);
    }

    bool screenCountBecomes(std::size_t count) {
        return waitUntil([&] { return platform->screens().screens().size() == count; });
    }

    QTemporaryDir folder;
    std::unique_ptr<UserDefaults> settings;
    std::unique_ptr<Platform> platform;
    std::optional<TestActionStore> actionStore;
    std::unique_ptr<ZRActionController> engine;
    std::unique_ptr<Client> terminal;
    int beeps = 0;
};

} // namespace

TEST_F(LayoutAutoTriggerX11, MonitorsThatComeAndGoPutAnXtermWhereTheLayoutOfTheirNumberHasIt) {
    terminal = Client::start(QStringLiteral("xterm"), QStringLiteral("60x20+100+120"));
    ASSERT_TRUE(terminal);
    const auto onOne = moveTerminal(100, 120);
    ASSERT_TRUE(onOne);
    ASSERT_TRUE(capture(QStringLiteral("One display"), 1));

    Monitors monitors;
    const auto addMonitors = [&] {
        return monitors.add(QStringLiteral("SkafAutoLeft"), QStringLiteral("800/200x1000/250+0+0"),
                            QStringLiteral("screen")) &&
               monitors.add(QStringLiteral("SkafAutoRight"), QStringLiteral("800/200x1000/250+800+0"),
                            QStringLiteral("none")) &&
               Monitors::announceChange();
    };
    ASSERT_TRUE(addMonitors());
    ASSERT_TRUE(screenCountBecomes(2));
    const auto onTwo = moveTerminal(900, 300);
    ASSERT_TRUE(onTwo);
    ASSERT_TRUE(capture(QStringLiteral("Two displays"), 2));

    // The launch finds two displays.
    ASSERT_TRUE(moveTerminal(400, 500));
    ASSERT_FALSE(terminalAt(*onTwo, 0));
    engine->layoutAutoTrigger().start();
    EXPECT_TRUE(terminalAt(*onTwo)) << "at launch";

    monitors.removeAll();
    ASSERT_TRUE(Monitors::announceChange());
    ASSERT_TRUE(screenCountBecomes(1));
    EXPECT_TRUE(terminalAt(*onOne)) << "the second monitor gone";

    ASSERT_TRUE(addMonitors());
    ASSERT_TRUE(screenCountBecomes(2));
    EXPECT_TRUE(terminalAt(*onTwo)) << "the second monitor back";
    EXPECT_EQ(beeps, 0);
}
