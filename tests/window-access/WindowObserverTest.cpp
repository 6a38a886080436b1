#include "DesktopTest.h"

#include "window-access/WindowObserver.h"

#include <functional>
#include <vector>

namespace {

struct RecordingDelegate : ZRWindowObserverDelegate {
    std::vector<QString> notifications;
    std::function<void()> onNotification;

    void observedWindow(const AXElementRef&, const QString& notification) override {
        notifications.push_back(notification);
        if (onNotification)
            onNotification();
    }
};

class WindowObserverTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        desktop.addScreen(Rect(0, 0, 1440, 900));
        auto& application =
            desktop.addApplication(QStringLiteral("com.example.editor"), QStringLiteral("Editor"));
        window = &desktop.addWindow(application, Rect(100, 100, 400, 300), QStringLiteral("Document"));
        element = Platform::current().accessibility().elementAtPosition(Point{300, 250});
        ASSERT_TRUE(element);
    }

    // Moves the window as the user would and lets the notifications arrive.
    void nudge() {
        const Rect frame = window->frame();
        window->setFrame(frame.offsetBy(10, 0));
        RunLoop::main().runPending();
    }

    ZRWindowObserver observer;
    SimWindow* window = nullptr;
    AXElementRef element;
};

TEST_F(WindowObserverTest, DeliversMovesAndResizesToEachDelegateOnce) {
    RecordingDelegate first;
    RecordingDelegate second;
    EXPECT_TRUE(observer.addObserverDelegate(&first, element));
    EXPECT_TRUE(observer.addObserverDelegate(&first, element));
    EXPECT_TRUE(observer.addObserverDelegate(&second, element));
    EXPECT_EQ(observer.observedWindowCount(), 1u);

    window->setFrame(Rect(120, 100, 500, 300));
    RunLoop::main().runPending();
    const std::vector<QString> both = {AX::MovedNotification, AX::ResizedNotification};
    EXPECT_EQ(first.notifications, both);
    EXPECT_EQ(second.notifications, both);

    observer.removeObserverDelegate(&first, element);
    nudge();
    EXPECT_EQ(first.notifications.size(), 2u);
    EXPECT_EQ(second.notifications.size(), 3u);

    observer.removeObserverDelegate(&second, element);
    EXPECT_EQ(observer.observedWindowCount(), 0u);
    EXPECT_FALSE(observer.addObserverDelegate(&first, nullptr));
    EXPECT_FALSE(observer.addObserverDelegate(nullptr, element));
}

TEST_F(WindowObserverTest, PauseCounterNeverGoesBelowZero) {
    RecordingDelegate delegate;
    observer.addObserverDelegate(&delegate, element);

    observer.setPaused(true);
    observer.setPaused(true);
    observer.setPaused(false);
    nudge();
    EXPECT_TRUE(delegate.notifications.empty()) << "one pause still holds";
    observer.setPaused(false);
    nudge();
    EXPECT_EQ(delegate.notifications.size(), 1u);

    // A resume too many is ignored, so the next pause pauses.
    observer.setPaused(false);
    EXPECT_EQ(observer.pauseCount(), 0);
    observer.setPaused(true);
    EXPECT_EQ(observer.pauseCount(), 1);
    nudge();
    EXPECT_EQ(delegate.notifications.size(), 1u);
    observer.setPaused(false);
}

TEST_F(WindowObserverTest, DelegatesAreNeverCalledAfterTheyAreGone) {
    RecordingDelegate survivor;
    observer.addObserverDelegate(&survivor, element);
    {
        RecordingDelegate shortLived;
        observer.addObserverDelegate(&shortLived, element);
    }
    nudge();
    EXPECT_EQ(survivor.notifications.size(), 1u);

    // One delegate ends another while both are being told of the same move.
    std::vector<QString> victimHeard;
    RecordingDelegate killer;
    observer.addObserverDelegate(&killer, element);
    auto victim = std::make_unique<RecordingDelegate>();
    victim->onNotification = [&] { victimHeard.push_back(QStringLiteral("heard")); };
    observer.addObserverDelegate(victim.get(), element);
    killer.onNotification = [&] { victim.reset(); };
    nudge();
    EXPECT_FALSE(victim);
    EXPECT_TRUE(victimHeard.empty());
    EXPECT_EQ(survivor.notifications.size(), 2u);

    // The last delegate going ends the observation.
    {
        ZRWindowObserver local;
        RecordingDelegate only;
        local.addObserverDelegate(&only, element);
        EXPECT_EQ(local.observedWindowCount(), 1u);
        {
            RecordingDelegate gone;
            local.addObserverDelegate(&gone, element);
        }
        EXPECT_EQ(local.observedWindowCount(), 1u);
    }
    RecordingDelegate late;
    {
        ZRWindowObserver local;
        local.addObserverDelegate(&late, element);
    }
    nudge(); // the observer went first: its delegate is simply not called
    EXPECT_TRUE(late.notifications.empty());
}

TEST_F(WindowObserverTest, OneDelegateRemovingAnotherDuringDelivery) {
    RecordingDelegate second;
    RecordingDelegate first;
    first.onNotification = [&] { observer.removeObserverDelegate(&second, element); };
    observer.addObserverDelegate(&first, element);
    observer.addObserverDelegate(&second, element);
    nudge();
    EXPECT_EQ(first.notifications.size(), 1u);
    EXPECT_TRUE(second.notifications.empty());
}

} // namespace
