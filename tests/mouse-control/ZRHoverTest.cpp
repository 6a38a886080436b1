#include "RecordingParts.h"

#include "mouse-control/ZRHover.h"
#include "mouse-control/ZRMouseControlSettingsControls.h"
#include "platform/foundation/DispatchQueue.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

namespace D = ZRMouseControlDefault;

constexpr ModifierFlags MoveKeys = ModifierFlag::Control | ModifierFlag::Option;
constexpr ModifierFlags ResizeKeys = MoveKeys | ModifierFlag::Command;
// The primary display (Cocoa), its menu bar the top 25 points.
const Rect Primary(0, 0, 1440, 900);
const Rect PrimaryVisible(0, 0, 1440, 875);

// Mouse control with hover on, on a desktop of one display and one application; the tap installed, so the
// desktop's pointer and keys reach hover through the tap's callback. Requests wait for the test to run them.
class HoverTest : public MouseControlTest {
protected:
    void SetUp() override {
        MouseControlTest::SetUp();
        ZRMouseControlState::reset();
        DispatchQueue::setManualForTesting(true);
        desktop.addScreen(Primary, PrimaryVisible);
        editor = &desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
        controller = std::make_unique<ZRMouseController>();
        controller->registerDefaults(UserDefaults::standard());
        set(D::Hover, true);
        controller->updateFeatureFlagsAndTap();
        controller->setPalette(&palette);
    }

    void TearDown() override {
        controller.reset();
        DispatchQueue::drainForTesting();
        DispatchQueue::setManualForTesting(false);
        ZRMouseControlState::reset();
        MouseControlTest::TearDown();
    }

    // Runs the requests waiting for the worker and their completions.
    static void settle() {
        while (DispatchQueue::drainForTesting() > 0)
            RunLoop::main().runPending();
        RunLoop::main().runPending();
    }

    // Holds the keys with the pointer at the place and moves it by each step, letting the window follow when
    // asked.
    void gesture(ModifierFlags keys, Point from, const std::vector<Point>& steps, bool settling = true) {
        desktop.movePointer(from);
        desktop.setModifierFlags(keys);
        // The gesture begins where the pointer is.
        desktop.movePointerBy(0, 0);
        if (settling)
            settle();
        for (const Point& step : steps) {
            desktop.movePointerBy(step.x, step.y);
            if (settling)
                settle();
        }
    }
    void release() { desktop.setModifierFlags(0); }

    ZRHover& hover() { return static_cast<ZRHover&>(controller->hover()); }

    SimApplication* editor = nullptr;
    RecordingParts palette;
    std::unique_ptr<ZRMouseController> controller;
};

// One gesture per row: a window at a frame (Quartz), the pointer at a place inside it, the keys held, the
// pointer moved, and the frame the window has afterwards.
TEST_F(HoverTest, FramesOfMovesAndResizes) {
    const Rect window(300, 200, 400, 300);
    const Rect rightSide(1000, 200, 400, 300);
    const QVariantMap cornerNearest{{D::HoverResizeCorner, 1}};
    const auto priority = [](int r) {
        return QVariantMap{{D::HoverStickinessDisplayRestrictionPriority, r}};
    };
    const struct Case {
        const char* name;
        Rect frame;
        ModifierFlags keys;
        Point grab; // from the window's top left
        Point step;
        Rect expected;
        QVariantMap settings = {};
        std::vector<Rect> moreDisplays = {};
        bool separateSpaces = false;
        bool resizable = true;
        bool paletteShown = false;
    } cases[] = {
        {"move", window, MoveKeys, {200, 10}, {50, 30}, {350, 230, 400, 300}},
        {"resize, bottom right", window, ResizeKeys, {390, 290}, {50, 30}, {300, 200, 450, 330}},
        {"resize, nearest corner top left",
         window,
         ResizeKeys,
         {10, 10},
         {-50, -30},
         {250, 170, 450, 330},
         cornerNearest},
        {"resize, nearest corner top right",
         window,
         ResizeKeys,
         {390, 10},
         {50, -30},
         {300, 170, 450, 330},
         cornerNearest},
        {"resize, nearest corner bottom left",
         window,
         ResizeKeys,
         {10, 290},
         {-50, 30},
         {250, 200, 450, 330},
         cornerNearest},
        {"resize, nearest corner bottom right",
         window,
         ResizeKeys,
         {390, 290},
         {50, 30},
         {300, 200, 450, 330},
         cornerNearest},
        {"resize from the top left, corner setting off",
         window,
         ResizeKeys,
         {10, 10},
         {50, 30},
         {300, 200, 450, 330}},
        {"move, kept on the display",
         rightSide,
         MoveKeys,
         {200, 10},
         {100, 0},
         {1040, 200, 400, 300},
         priority(1)},
        {"move, free at 0", rightSide, MoveKeys, {200, 10}, {100, 0}, {1100, 200, 400, 300}, priority(0)},
        {"resize, free at -1",
         rightSide,
         ResizeKeys,
         {200, 10},
         {100, 0},
         {1000, 200, 500, 300},
         priority(-1)},
        {"resize, clipped at 0",
         rightSide,
         ResizeKeys,
         {200, 10},
         {100, 0},
         {1000, 200, 440, 300},
         priority(0)},
        {"resize, clipped at 1",
         rightSide,
         ResizeKeys,
         {200, 10},
         {100, 0},
         {1000, 200, 440, 300},
         priority(1)},
        {"resize at 0 across displays sharing their workspaces",
         rightSide,
         ResizeKeys,
         {200, 10},
         {100, 0},
         {1000, 200, 500, 300},
         priority(0),
         {Rect(1440, 0, 1280, 900)}},
        {"resize at 0 with a workspace per display",
         rightSide,
         ResizeKeys,
         {200, 10},
         {100, 0},
         {1000, 200, 440, 300},
         priority(0),
         {Rect(1440, 0, 1280, 900)},
         true},
        {"5 points wide", window, ResizeKeys, {390, 290}, {-395, 0}, {300, 200, 20, 300}},
        {"5 points wide from the left keeps the right edge",
         window,
         ResizeKeys,
         {10, 150},
         {395, 0},
         {680, 200, 20, 300},
         cornerNearest},
        {"5 points high from the top keeps the bottom edge",
         window,
         ResizeKeys,
         {200, 10},
         {0, 295},
         {300, 480, 400, 20},
         cornerNearest},
        {"9 points wider keeps the original size",
         window,
         ResizeKeys,
         {390, 290},
         {9, 0},
         {300, 200, 400, 300}},
        {"10 points wider", window, ResizeKeys, {390, 290}, {10, 0}, {300, 200, 410, 300}},
        {"7 points from the left edge", window, MoveKeys, {200, 10}, {-293, 0}, {0, 200, 400, 300}},
        {"7 points below the top of the usable frame",
         window,
         MoveKeys,
         {200, 10},
         {0, -168},
         {300, 25, 400, 300}},
        {"7 points below the top of a display above",
         {300, -600, 400, 300},
         MoveKeys,
         {200, 10},
         {0, -293},
         {300, -900, 400, 300},
         {},
         {Rect(0, 900, 1440, 900)}},
        {"resize of a window in the menu bar keeps it there",
         {300, 2, 400, 20},
         ResizeKeys,
         {390, 10},
         {50, 0},
         {300, 2, 450, 20}},
        {"size not settable", window, ResizeKeys, {390, 290}, {50, 30}, window, {}, {}, false, false},
        {"palette shown", window, MoveKeys, {200, 10}, {50, 30}, window, {}, {}, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (auto it = c.settings.begin(); it != c.settings.end(); ++it)
            set(it.key(), it.value());
        std::vector<std::uint32_t> displays;
        for (const Rect& display : c.moreDisplays)
            displays.push_back(desktop.addScreen(display));
        desktop.setSeparateSpaces(c.separateSpaces);
        palette.showsOverlay = c.paletteShown;
        SimWindow& simWindow = desktop.addWindow(*editor, c.frame, QStringLiteral("Notes"));
        simWindow.setResizable(c.resizable);

        gesture(c.keys, Point(c.frame.x() + c.grab.x, c.frame.y() + c.grab.y), {c.step});
        release();
        EXPECT_EQ(simWindow.frame(), c.expected);
        if (!c.resizable || c.paletteShown) {
            EXPECT_EQ(simWindow.frameSetCount(), 0);
        }

        simWindow.close();
        for (const std::uint32_t display : displays)
            desktop.removeScreen(display);
        for (auto it = c.settings.begin(); it != c.settings.end(); ++it)
            UserDefaults::standard().removeObject(it.key());
    }
}

// Every step starts from the frame the gesture began with; our own windows take it at once, others on the
// worker. The log tells whose window it is.
TEST_F(HoverTest, StepsAddUpFromTheStartFrame) {
    set(QStringLiteral("ZRDebugLog"), true);
    SimWindow& own =
        desktop.addWindow(desktop.addOwnApplication(QStringLiteral("Skaf")), Rect(300, 200, 400, 300));
    gesture(MoveKeys, Point(500, 210), {{10, 5}, {10, 5}, {0.4, 0}, {0.4, 0}}, false);
    EXPECT_EQ(own.frame(), Rect(321, 210, 400, 300)) << "the sums are rounded, not each step";
    EXPECT_EQ(DispatchQueue::drainForTesting(), 0);
    EXPECT_TRUE(logged(QStringLiteral("[Debug] drag own window")));
    release();

    SimWindow& other = desktop.addWindow(*editor, Rect(300, 200, 400, 300));
    gesture(MoveKeys, Point(500, 210), {{10, 5}, {10, 5}});
    EXPECT_EQ(other.frame(), Rect(320, 210, 400, 300));
    EXPECT_TRUE(
        logged(QStringLiteral("[Debug] drag window owned by application: Editor (com.example.Editor, %1)")
                   .arg(editor->pid())));
}

// The settings' choice of the resized corner.
class CornerSelector : public ZRMouseControlSettingsControls {
public:
    std::optional<bool> enabled;
    void setMouseControlSwitchState(bool) override {}
    void setMouseControlTriggerSelectorEnabled(bool) override {}
    void setMouseControlDelayShrouded(bool) override {}
    void setHoverResizeModeSelectorEnabled(bool on) override { enabled = on; }
};

// The choice of the resized corner is offered only while resizing has keys of its own.
TEST_F(HoverTest, TheCornerSelectorFollowsTheResizeKeys) {
    const auto selector = std::make_unique<CornerSelector>();
    controller->setSettingsControls(selector.get());
    for (const auto& [resize, enabled] : {std::pair{ResizeKeys, true}, {MoveKeys, false}, {0, false}}) {
        set(D::HoverResize, QVariant::fromValue(static_cast<qint64>(resize)));
        hover().updateHoverResizeModeSelector();
        EXPECT_EQ(selector->enabled, enabled) << resize;
    }
    controller->setSettingsControls(nullptr);
}

// While a request runs, later steps start none of their own: the retry 0.05 s after the last of them
// takes the newest sums.
TEST_F(HoverTest, OneRequestInFlight) {
    SimWindow& window = desktop.addWindow(*editor, Rect(300, 200, 400, 300));
    std::vector<Point> steps(10, Point(7, 3));
    gesture(MoveKeys, Point(500, 210), steps, false);
    EXPECT_TRUE(hover().state().requestInFlight);
    EXPECT_EQ(DispatchQueue::drainForTesting(), 1);
    RunLoop::main().runPending();
    EXPECT_EQ(window.frameSetCount(), 1);
    EXPECT_EQ(window.frame(), Rect(300, 200, 400, 300)) << "the first request is that of the gesture's start";
    EXPECT_FALSE(hover().state().requestInFlight);

    RunLoop::main().advance(ZRHover::RetryDelay - 0.01);
    EXPECT_EQ(DispatchQueue::drainForTesting(), 0);
    RunLoop::main().advance(0.01);
    EXPECT_EQ(DispatchQueue::drainForTesting(), 1);
    RunLoop::main().runPending();
    EXPECT_EQ(window.frame(), Rect(370, 230, 400, 300));
    RunLoop::main().advance(1);
    EXPECT_EQ(DispatchQueue::drainForTesting(), 0) << "nothing more to do";
}

// A request that waited while the keys were let go sets nothing: not on the window of the gesture that ended,
// nor when a gesture has begun on another window meanwhile, which moves by its own retry.
TEST_F(HoverTest, NoFrameAfterItsGestureEnded) {
    SimWindow& first = desktop.addWindow(*editor, Rect(100, 100, 300, 200));
    SimWindow& second = desktop.addWindow(*editor, Rect(600, 400, 300, 200));
    gesture(MoveKeys, Point(250, 110), {{40, 0}}, false);
    release();
    settle();
    EXPECT_EQ(first.frameSetCount(), 0);

    gesture(MoveKeys, Point(250, 110), {{40, 0}}, false);
    release();
    gesture(MoveKeys, Point(750, 410), {{0, 40}}, false);
    EXPECT_EQ(DispatchQueue::drainForTesting(), 1);
    RunLoop::main().runPending();
    EXPECT_EQ(first.frameSetCount(), 0);
    RunLoop::main().advance(ZRHover::RetryDelay);
    settle();
    EXPECT_EQ(first.frame(), Rect(100, 100, 300, 200));
    EXPECT_EQ(second.frame(), Rect(600, 440, 300, 200));
}

// A completion or a retry that comes after the part has gone touches nothing.
TEST_F(HoverTest, LateCompletionsFindNothing) {
    SimWindow& window = desktop.addWindow(*editor, Rect(300, 200, 400, 300));
    gesture(MoveKeys, Point(500, 210), {{10, 0}, {10, 0}}, false);
    controller.reset();
    settle();
    RunLoop::main().advance(1);
    EXPECT_EQ(window.frameSetCount(), 0);
    EXPECT_FALSE(ZRMouseControlState::shared().hoveredWindow);
}

// The accessibility of the simulated desktop, but its windows' answer to whether their size can be set is
// counted, and fails when asked.
class SizeCheckingAccessibility : public Accessibility {
public:
    explicit SizeCheckingAccessibility(Accessibility& inner) : m_inner(inner) {}

    std::atomic<int> sizeChecks = 0;
    std::atomic<bool> sizeChecksFail = false;

    bool isProcessTrusted(bool prompt) override { return m_inner.isProcessTrusted(prompt); }
    void setMessagingTimeout(double seconds) override { m_inner.setMessagingTimeout(seconds); }
    double messagingTimeout() const override { return m_inner.messagingTimeout(); }
    AXElementRef elementAtPosition(Point point) override { return wrap(m_inner.elementAtPosition(point)); }
    AXElementRef applicationElement(pid_t pid) override { return wrap(m_inner.applicationElement(pid)); }
    std::unique_ptr<AXObservation> observeWindow(const AXElementRef& window,
                                                 NotificationHandler handler) override {
        return m_inner.observeWindow(unwrap(window), std::move(handler));
    }

private:
    class Element : public AXElement {
    public:
        Element(SizeCheckingAccessibility& owner, AXElementRef inner)
            : m_owner(owner), inner(std::move(inner)) {}
        AXError copyAttributeValue(const QString& attribute, AXValue& value) const override {
            const AXError error = inner->copyAttributeValue(attribute, value);
            if (auto* element = std::get_if<AXElementRef>(&value))
                *element = m_owner.wrap(*element);
            if (auto* elements = std::get_if<std::vector<AXElementRef>>(&value))
                for (AXElementRef& element : *elements)
                    element = m_owner.wrap(element);
            return error;
        }
        AXError isAttributeSettable(const QString& attribute, bool& settable) const override {
            if (attribute == AX::SizeAttribute) {
                ++m_owner.sizeChecks;
                if (m_owner.sizeChecksFail) {
                    settable = true;
                    return AXError::CannotComplete;
                }
            }
            return inner->isAttributeSettable(attribute, settable);
        }
        AXError setAttributeValue(const QString& attribute, const AXValue& value) override {
            return inner->setAttributeValue(attribute, value);
        }
        QStringList actionNames() const override { return inner->actionNames(); }
        AXError performAction(const QString& action) override { return inner->performAction(action); }
        pid_t processIdentifier() const override { return inner->processIdentifier(); }
        std::optional<WindowNumber> windowNumber() const override { return inner->windowNumber(); }
        bool isEqual(const AXElement& other) const override {
            const auto* wrapped = dynamic_cast<const Element*>(&other);
            return inner->isEqual(wrapped ? *wrapped->inner : other);
        }
        std::size_t hash() const override { return inner->hash(); }

        SizeCheckingAccessibility& m_owner;
        const AXElementRef inner;
    };

    AXElementRef wrap(const AXElementRef& element) {
        return element ? std::make_shared<Element>(*this, element) : nullptr;
    }
    static AXElementRef unwrap(const AXElementRef& element) {
        const auto* wrapped = dynamic_cast<const Element*>(element.get());
        return wrapped ? wrapped->inner : element;
    }

    Accessibility& m_inner;
};

// The simulated desktop with that accessibility.
class SizeCheckingDesktop : public Platform {
public:
    explicit SizeCheckingDesktop(SimDesktop& sim) : checks(sim.accessibility()), m_sim(sim) {}
    QString name() const override { return m_sim.name(); }
    Accessibility& accessibility() override { return checks; }
    WindowServer& windowServer() override { return m_sim.windowServer(); }
    Screens& screens() override { return m_sim.screens(); }
    InputState& inputState() override { return m_sim.inputState(); }
    Workspace& workspace() override { return m_sim.workspace(); }
    EventStream& eventStream() override { return m_sim.eventStream(); }
    GlobalHotKeys& globalHotKeys() override { return m_sim.globalHotKeys(); }
    SystemPreferences& systemPreferences() override { return m_sim.systemPreferences(); }
    Processes& processes() override { return m_sim.processes(); }

    SizeCheckingAccessibility checks;

private:
    SimDesktop& m_sim;
};

// Whether a window's size can be set is asked once per resize gesture; a window that cannot say sits still
// for the whole gesture, as one that refuses does.
TEST_F(HoverTest, TheSizeIsCheckedOncePerResize) {
    SizeCheckingDesktop checking(desktop);
    Platform::setCurrent(&checking);
    SimWindow& window = desktop.addWindow(*editor, Rect(300, 200, 400, 300));
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails);
        checking.checks.sizeChecks = 0;
        checking.checks.sizeChecksFail = fails;
        gesture(ResizeKeys, Point(690, 490), {{10, 10}, {10, 10}, {10, 10}});
        release();
        EXPECT_EQ(checking.checks.sizeChecks, 1);
        EXPECT_EQ(window.frame(), fails ? Rect(300, 200, 400, 300) : Rect(300, 200, 430, 330));
        window.setFrame(Rect(300, 200, 400, 300));
    }
    Platform::setCurrent(&desktop);
}

// With a real worker: steps while a slow window takes its frame start no second request, and the part waits
// for that request when it goes (the program quits).
TEST_F(HoverTest, OneRequestInFlightOnTheWorker) {
    DispatchQueue::setManualForTesting(false);
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int running = 0;
    int mostRunning = 0;
    int calls = 0;
    auto slow =
        std::make_unique<ZRHover>(*controller, [&](const AXElementRef& window, bool, const Rect& frame) {
            std::unique_lock lock(mutex);
            ++calls;
            mostRunning = std::max(mostRunning, ++running);
            changed.notify_all();
            changed.wait(lock, [&] { return open; });
            --running;
            return window->setAttributeValue(AX::Position, frame.origin) == AXError::Success;
        });
    controller->setHover(slow.get());
    SimWindow& window = desktop.addWindow(*editor, Rect(300, 200, 400, 300));
    gesture(MoveKeys, Point(500, 210), std::vector<Point>(10, Point(5, 0)), false);
    {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return running == 1; });
    }

    std::thread opener([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    });
    controller->setHover(nullptr);
    slow.reset();
    {
        std::lock_guard lock(mutex);
        EXPECT_EQ(running, 0) << "the part went before its request had set the frame";
    }
    opener.join();
    DispatchQueue::waitForIdle();
    RunLoop::main().runPending();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(mostRunning, 1);
    EXPECT_EQ(window.frameSetCount(), 1);
}

} // namespace
