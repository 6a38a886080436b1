#include "ActionTestSupport.h"

#include "actions/ZRFrameMemory.h"

namespace {

TEST_F(ActionEngineTest, FramesAreKeptPerWindowAndForgottenWhenTheApplicationQuits) {
    SimWindow& first = addWindow(Rect(100, 100, 400, 300));
    SimWindow& second = addWindow(Rect(200, 200, 400, 300));
    auto& other = desktop.addApplication(QStringLiteral("com.example.other"), QStringLiteral("Other"));
    SimWindow& third = desktop.addWindow(other, Rect(300, 300, 400, 300));

    ASSERT_TRUE(engine->storeOriginalFrame(Rect(1, 2, 3, 4), elementOf(first)));
    ASSERT_TRUE(engine->storeLastSkafFrame(Rect(5, 6, 7, 8), 3, elementOf(first)));
    ASSERT_TRUE(engine->storeOriginalFrame(Rect(9, 9, 9, 9), elementOf(second)));
    ASSERT_TRUE(engine->storeOriginalFrame(Rect(7, 7, 7, 7), elementOf(third)));

    // Another handle to the same window finds the same frames.
    Rect frame;
    std::int64_t position = 0;
    ASSERT_TRUE(engine->getOriginalFrame(frame, elementOf(first), false));
    EXPECT_EQ(frame, Rect(1, 2, 3, 4));
    ASSERT_TRUE(engine->getLastSkafFrame(frame, position, elementOf(first)));
    EXPECT_EQ(frame, Rect(5, 6, 7, 8));
    EXPECT_EQ(position, 3);

    first.application().terminate();
    EXPECT_FALSE(engine->getOriginalFrame(frame, elementOf(second), false));
    EXPECT_FALSE(engine->getLastSkafFrame(frame, position, elementOf(first)));
    EXPECT_EQ(frame, Rect());
    EXPECT_EQ(position, -1);
    EXPECT_EQ(engine->frameMemory().originalFrameCount(), 1u) << "the other application's window stays";
    EXPECT_EQ(engine->frameMemory().lastFrameCount(), 0u);

    // Elements that are no window cannot be told apart, and are not remembered.
    EXPECT_FALSE(engine->storeOriginalFrame(Rect(1, 2, 3, 4),
                                            desktop.accessibility().applicationElement(other.pid())));
    EXPECT_FALSE(engine->storeOriginalFrame(Rect(1, 2, 3, 4), nullptr));
    EXPECT_FALSE(engine->storeOriginalFrame(Rect(1, 2, 0, 4), elementOf(third))) << "an empty frame";
}

TEST_F(ActionEngineTest, TheMemoryKeepsTheWindowsHeardOfMostRecently) {
    ZRFrameMemory memory(3);
    std::vector<AXElementRef> windows;
    for (int i = 0; i < 4; ++i)
        windows.push_back(elementOf(addWindow(Rect(10.0 * i, 0, 100, 100))));
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(memory.setOriginalFrame(windows[i], Rect(i, 0, 1, 1), i));
    }
    // Heard of again, the first window is the newest.
    ASSERT_TRUE(memory.setOriginalFrame(windows[0], Rect(0, 0, 2, 2), 3));
    ASSERT_TRUE(memory.setOriginalFrame(windows[3], Rect(3, 0, 1, 1), 4));
    EXPECT_EQ(memory.originalFrameCount(), 3u);
    EXPECT_TRUE(memory.originalFrame(windows[0]));
    EXPECT_FALSE(memory.originalFrame(windows[1]));
    EXPECT_TRUE(memory.originalFrame(windows[2]));
    EXPECT_TRUE(memory.originalFrame(windows[3]));
}

TEST_F(ActionEngineTest, OriginalFramesCountAsRecentForOneSecond) {
    const AXElementRef window = elementOf(addWindow(Rect(100, 100, 400, 300)));
    ASSERT_TRUE(engine->storeOriginalFrame(Rect(100, 100, 400, 300), window));
    Rect frame;
    RunLoop::main().advance(0.9);
    EXPECT_TRUE(engine->getOriginalFrame(frame, window, true));
    RunLoop::main().advance(0.2);
    EXPECT_TRUE(engine->getOriginalFrame(frame, window, false)) << "kept unless asked";
    EXPECT_FALSE(engine->getOriginalFrame(frame, window, true));
    EXPECT_FALSE(engine->getOriginalFrame(frame, window, false)) << "and forgotten when it was";
}

TEST_F(ActionEngineTest, FrameStorageIsOnBeforeAnythingElseRegisteredIt) {
    // An engine on a settings store in which nobody registered the store's defaults yet.
    UserDefaults other(folder.filePath(QStringLiteral("Other.plist")));
    engine = std::make_unique<ZRActionController>(store(), other, desktop, RunLoop::main(),
                                                  ZRWindowObserver::defaultObserver());
    engine->setBeepHandler([this] { ++beeps; });
    SimWindow& window = addWindow(Rect(100, 100, 400, 300));
    ASSERT_TRUE(trigger(action(ZRActionTypeFill)));
    ASSERT_TRUE(trigger(action(ZRActionTypeRevert)));
    EXPECT_EQ(window.frame(), Rect(100, 100, 400, 300));
    EXPECT_EQ(beeps, 0);
    engine.reset();
}

} // namespace
