#include "MouseControlContext.h"
#include "RecordingParts.h"
#include "TestProgram.h"

#include "mouse-control/ZRHover.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/PreferencesFileStore.h"

#include <QCoreApplication>
#include <QDir>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

namespace D = ZRMouseControlDefault;

constexpr ModifierFlags MoveKeys = ModifierFlag::Control | ModifierFlag::Option;
constexpr ModifierFlags ResizeKeys = MoveKeys | ModifierFlag::Command;
const Rect Window(300, 200, 400, 300);

// Mouse control with hover on; one display (Cocoa, its menu bar the top 25 points) and one application. The
// desktop's pointer and keys reach hover through the tap. Requests wait for the test to run them.
class HoverTest : public MouseControlTest {
protected:
    using MouseControlTest::MouseControlTest;

    void SetUp() override {
        MouseControlTest::SetUp();
        DispatchQueue::setManualForTesting(true);
        desktop.addScreen(Rect(0, 0, 1440, 900), Rect(0, 0, 1440, 875));
        editor = &desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
        makeController();
    }
    // Mouse control with hover on, on the settings in place, in a program of its own on them.
    void makeController() {
        controller.reset();
        program.reset();
        program.emplace(settings(), Platform::current());
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        controller->registerDefaults(settings());
        set(D::Hover, true);
        controller->updateFeatureFlagsAndTap();
        controller->setPalette(&palette);
    }
    void TearDown() override {
        controller.reset();
        program.reset();
        DispatchQueue::drainForTesting();
        DispatchQueue::setManualForTesting(false);
        MouseControlTest::TearDown();
    }

    std::optional<TestProgram> program;

    // Runs the requests waiting for the worker, and their completions.
    static void settle() {
        while (DispatchQueue::drainForTesting() > 0)
            RunLoop::main().runPending();
    }
    // Holds the keys with the pointer at the place, then moves it by each step, the window following each
    // step when asked.
    void gesture(ModifierFlags keys, Point from, const std::vector<Point>& steps, bool settling = true) {
        desktop.movePointer(from);
        desktop.setModifierFlags(keys);
        for (std::size_t i = 0; i <= steps.size(); ++i) {
            // The gesture begins where the pointer is.
            const Point step = i ? steps[i - 1] : Point();
            desktop.movePointerBy(step.x, step.y);
            if (settling)
                settle();
        }
    }
    void release() { desktop.setModifierFlags(0); }

    SimApplication* editor = nullptr;
    RecordingParts palette;
    std::unique_ptr<ZRMouseController> controller;
};

// One gesture per row: a window (Quartz), the pointer at a place inside it, the keys held, the pointer moved,
// and the window's frame afterwards.
TEST_F(HoverTest, FramesOfMovesAndResizes) {
    const Rect right(1000, 200, 400, 300);
    const QVariantMap nearest{{D::HoverResizeCorner, 1}};
    const auto priority = [](int r) {
        return QVariantMap{{D::HoverStickinessDisplayRestrictionPriority, r}};
    };
    const Rect besideIt(1440, 0, 1280, 900);
    const struct Case {
        const char* name;
        Rect frame;
        ModifierFlags keys;
        Point grab; // from the window's top left
        Point step;
        Rect expected;
        QVariantMap settings = {};
        std::optional<Rect> display = {}; // another (Cocoa)
        bool separateSpaces = false;
        bool resizable = true;
        bool paletteShown = false;
    } cases[] = {
        {"move", Window, MoveKeys, {200, 10}, {50, 30}, {350, 230, 400, 300}},
        {"resize", Window, ResizeKeys, {10, 10}, {50, 30}, {300, 200, 450, 330}},
        {"nearest: top left", Window, ResizeKeys, {10, 10}, {-50, -30}, {250, 170, 450, 330}, nearest},
        {"nearest: top right", Window, ResizeKeys, {390, 10}, {50, -30}, {300, 170, 450, 330}, nearest},
        {"nearest: bottom left", Window, ResizeKeys, {10, 290}, {-50, 30}, {250, 200, 450, 330}, nearest},
        {"nearest: bottom right", Window, ResizeKeys, {390, 290}, {50, 30}, {300, 200, 450, 330}, nearest},
        {"move, r 1", right, MoveKeys, {200, 10}, {100, 0}, {1040, 200, 400, 300}, priority(1)},
        {"move, r 0", right, MoveKeys, {200, 10}, {100, 0}, {1100, 200, 400, 300}, priority(0)},
        {"resize, r -1", right, ResizeKeys, {200, 10}, {100, 0}, {1000, 200, 500, 300}, priority(-1)},
        {"resize, r 0", right, ResizeKeys, {200, 10}, {100, 0}, {1000, 200, 440, 300}, priority(0)},
        {"resize, r 1", right, ResizeKeys, {200, 10}, {100, 0}, {1000, 200, 440, 300}, priority(1)},
        {"r 0, one workspace",
         right,
         ResizeKeys,
         {200, 10},
         {100, 0},
         {1000, 200, 500, 300},
         priority(0),
         besideIt},
        {"r 0, separate workspaces",
         right,
         ResizeKeys,
         {200, 10},
         {100, 0},
         {1000, 200, 440, 300},
         priority(0),
         besideIt,
         true},
        {"5 wide", Window, ResizeKeys, {390, 290}, {-395, 0}, {300, 200, 20, 300}},
        {"5 wide from the left", Window, ResizeKeys, {10, 150}, {395, 0}, {680, 200, 20, 300}, nearest},
        {"5 high from the top", Window, ResizeKeys, {200, 10}, {0, 295}, {300, 480, 400, 20}, nearest},
        {"9 wider keeps the size", Window, ResizeKeys, {390, 290}, {9, 0}, Window},
        {"10 wider", Window, ResizeKeys, {390, 290}, {10, 0}, {300, 200, 410, 300}},
        {"7 from the left edge", Window, MoveKeys, {200, 10}, {-293, 0}, {0, 200, 400, 300}},
        {"7 below the usable top", Window, MoveKeys, {200, 10}, {0, -168}, {300, 25, 400, 300}},
        {"7 below the top of a display above",
         {300, -600, 400, 300},
         MoveKeys,
         {200, 10},
         {0, -293},
         {300, -900, 400, 300},
         {},
         Rect(0, 900, 1440, 900)},
        {"resize in the menu bar", {300, 2, 400, 20}, ResizeKeys, {390, 10}, {50, 0}, {300, 2, 450, 20}},
        {"size not settable", Window, ResizeKeys, {390, 290}, {50, 30}, Window, {}, {}, false, false},
        {"palette shown", Window, MoveKeys, {200, 10}, {50, 30}, Window, {}, {}, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (auto it = c.settings.begin(); it != c.settings.end(); ++it)
            set(it.key(), it.value());
        const std::uint32_t display = c.display ? desktop.addScreen(*c.display) : 0;
        desktop.setSeparateSpaces(c.separateSpaces);
        palette.showsOverlay = c.paletteShown;
        SimWindow& window = desktop.addWindow(*editor, c.frame, QStringLiteral("Notes"));
        window.setResizable(c.resizable);

        // Three steps make the row's one, the window following each.
        const Point third(c.step.x / 3, c.step.y / 3);
        gesture(c.keys, Point(c.frame.x() + c.grab.x, c.frame.y() + c.grab.y), {third, third, third});
        release();
        EXPECT_EQ(window.frame(), c.expected);
        if (!c.resizable || c.paletteShown) {
            EXPECT_EQ(window.frameSetCount(), 0);
        }

        window.close();
        if (display)
            desktop.removeScreen(display);
        for (auto it = c.settings.begin(); it != c.settings.end(); ++it)
            settings().removeObject(it.key());
    }
}

// Each step starts from the frame the gesture began with, the sums rounded, not each step. Our own windows
// take their frame at once, others on the worker; the log tells whose window it is.
TEST_F(HoverTest, StepsAddUpFromTheStartFrame) {
    set(QStringLiteral("ZRDebugLog"), true);
    SimWindow& own = desktop.addWindow(desktop.addOwnApplication(QStringLiteral("Skaf")), Window);
    gesture(MoveKeys, Point(500, 210), {{10, 5}, {10, 5}, {0.4, 0}, {0.4, 0}}, false);
    EXPECT_EQ(own.frame(), Rect(321, 210, 400, 300));
    EXPECT_EQ(DispatchQueue::drainForTesting(), 0);
    EXPECT_TRUE(logged(QStringLiteral("[Debug] drag own window")));
    release();

    SimWindow& other = desktop.addWindow(*editor, Window);
    gesture(MoveKeys, Point(500, 210), {{10, 5}, {10, 5}});
    EXPECT_EQ(other.frame(), Rect(320, 210, 400, 300));
    EXPECT_TRUE(
        logged(QStringLiteral("[Debug] drag window owned by application: Editor (com.example.Editor, %1)")
                   .arg(editor->pid())));
}

// While a request runs, later steps start none: the retry 0.05 s after the last takes the newest sums. A
// request that waited while the keys were let go sets nothing, also when a gesture on another window has
// begun meanwhile, nor does one whose part has gone.
TEST_F(HoverTest, OneRequestInFlight) {
    SimWindow& window = desktop.addWindow(*editor, Window);
    gesture(MoveKeys, Point(500, 210), std::vector<Point>(10, Point(7, 3)), false);
    EXPECT_EQ(DispatchQueue::drainForTesting(), 1);
    RunLoop::main().runPending();
    EXPECT_EQ(window.frame(), Window) << "the first request is the gesture's start";
    RunLoop::main().advance(ZRHover::RetryDelay - 0.01);
    EXPECT_EQ(DispatchQueue::drainForTesting(), 0);
    RunLoop::main().advance(0.01);
    settle();
    EXPECT_EQ(window.frame(), Rect(370, 230, 400, 300));
    release();

    SimWindow& other = desktop.addWindow(*editor, Rect(600, 550, 300, 200));
    const int sets = window.frameSetCount();
    gesture(MoveKeys, Point(500, 210), {{40, 0}}, false);
    release();
    gesture(MoveKeys, Point(750, 560), {{0, 40}}, false);
    settle();
    RunLoop::main().advance(ZRHover::RetryDelay);
    settle();
    EXPECT_EQ(window.frameSetCount(), sets);
    EXPECT_EQ(other.frame(), Rect(600, 590, 300, 200));
    release();

    gesture(MoveKeys, Point(500, 240), {{10, 0}, {10, 0}}, false);
    const ZRHoverGesture::Ticket running = controller->gestures().hover.ticket();
    ASSERT_TRUE(controller->gestures().hover.window());
    controller.reset();
    settle();
    RunLoop::main().advance(1);
    EXPECT_EQ(window.frameSetCount(), sets);
    EXPECT_FALSE(running.isCurrent()) << "the worker would still set frames of the gesture";
}

// Where the platform follows a gesture's motions on the worker, the steps after the first are taken there
// with no request queued, and the palette's wait for a rest is left alone meanwhile. A key that ends the
// following hands the sums back: later steps go on from where the worker left the window. With snapping on,
// every motion of a move stays on the main thread; nothing is set after the keys are let go.
TEST_F(HoverTest, MotionsFollowedOnTheWorker) {
    desktop.eventStream().setFollowsMotion(true);
    SimWindow& window = desktop.addWindow(*editor, Window);
    ASSERT_TRUE(controller->features().paletteOn);
    gesture(MoveKeys, Point(500, 210), {{7, 3}});
    EXPECT_EQ(window.frame(), Rect(307, 203, 400, 300));
    EXPECT_FALSE(controller->mouseMovedWait().isWaiting())
        << "the palette waits for where the followed motions lead";
    for (int i = 0; i < 9; ++i)
        desktop.movePointerBy(7, 3);
    EXPECT_EQ(DispatchQueue::drainForTesting(), 0);
    EXPECT_EQ(window.frame(), Rect(370, 230, 400, 300));

    desktop.pressKey(Key::J);
    settle();
    EXPECT_TRUE(controller->mouseMovedWait().isWaiting()) << "the palette heard where the motions led";
    desktop.movePointerBy(10, 0);
    settle();
    EXPECT_EQ(window.frame(), Rect(380, 230, 400, 300));
    desktop.movePointerBy(10, 0);
    EXPECT_EQ(window.frame(), Rect(390, 230, 400, 300));
    release();
    const int sets = window.frameSetCount();
    desktop.movePointerBy(10, 0);
    settle();
    EXPECT_EQ(window.frameSetCount(), sets);

    set(D::Snap, true);
    controller->updateFeatureFlagsAndTap();
    ASSERT_TRUE(controller->features().snapOn);
    window.setFrame(Window);
    gesture(MoveKeys, Point(500, 210), {{7, 3}, {7, 3}, {7, 3}}, false);
    EXPECT_EQ(DispatchQueue::drainForTesting(), 1) << "snapping: the first request, then retries";
    release();
    settle();
}

// The simulated desktop's accessibility, but whether a window's size can be set is counted, and the asking
// fails when a test says so.
class SizeCheckingAccessibility : public SimAccessibility {
public:
    explicit SizeCheckingAccessibility(const SimAccessibility& sim) : SimAccessibility(sim) {}
    AXElementRef elementAtPosition(Point point) override {
        return wrap(SimAccessibility::elementAtPosition(point));
    }
    AXElementRef applicationElement(pid_t pid) override {
        return wrap(SimAccessibility::applicationElement(pid));
    }

    int checks = 0;
    bool checksFail = false;

private:
    struct Element : AXElement {
        Element(SizeCheckingAccessibility& owner, AXElementRef inner)
            : owner(owner), inner(std::move(inner)) {}
        AXError copyAttributeValue(const QString& attribute, AXValue& value) const override {
            const AXError error = inner->copyAttributeValue(attribute, value);
            if (auto* elements = std::get_if<std::vector<AXElementRef>>(&value))
                for (AXElementRef& element : *elements)
                    element = owner.wrap(element);
            return error;
        }
        AXError isAttributeSettable(const QString& attribute, bool& settable) const override {
            if (attribute != AX::SizeAttribute)
                return inner->isAttributeSettable(attribute, settable);
            ++owner.checks;
            settable = true;
            return owner.checksFail ? AXError::CannotComplete
                                    : inner->isAttributeSettable(attribute, settable);
        }
        AXError setAttributeValue(const QString& name, const AXValue& value) override {
            return inner->setAttributeValue(name, value);
        }
        QStringList actionNames() const override { return inner->actionNames(); }
        AXError performAction(const QString& action) override { return inner->performAction(action); }
        pid_t processIdentifier() const override { return inner->processIdentifier(); }
        std::optional<WindowNumber> windowNumber() const override { return inner->windowNumber(); }
        bool isEqual(const AXElement& other) const override { return inner->isEqual(other); }
        std::size_t hash() const override { return inner->hash(); }

        SizeCheckingAccessibility& owner;
        const AXElementRef inner;
    };
    AXElementRef wrap(const AXElementRef& element) {
        return element ? std::make_shared<Element>(*this, element) : nullptr;
    }
};

class SizeCheckingDesktop : public SimDesktop {
public:
    SizeCheckingAccessibility& accessibility() override { return checking; }
    SizeCheckingAccessibility checking{SimDesktop::accessibility()};
};

class SizeCheckTest : public HoverTest {
protected:
    SizeCheckTest() : HoverTest(std::make_unique<SizeCheckingDesktop>()) {}
};

// Whether the size can be set is asked once per resize gesture; a window that cannot say sits still for the
// whole gesture, as one that refuses does.
TEST_F(SizeCheckTest, TheSizeIsAskedForOncePerResize) {
    SizeCheckingAccessibility& accessibility = static_cast<SizeCheckingDesktop&>(desktop).checking;
    SimWindow& window = desktop.addWindow(*editor, Window);
    for (const bool fails : {false, true}) {
        accessibility.checks = 0;
        accessibility.checksFail = fails;
        gesture(ResizeKeys, Point(690, 490), {{10, 10}, {10, 10}, {10, 10}});
        release();
        EXPECT_EQ(accessibility.checks, 1);
        EXPECT_EQ(window.frame(), fails ? Window : Rect(300, 200, 430, 330));
        window.setFrame(Window);
    }
}

// On a real worker: steps while a slow window takes its frame start no second request, and the part, when
// it goes (the program quits), waits for that request to finish. Run under the thread sanitizer too.
TEST_F(HoverTest, OneRequestInFlightOnTheWorker) {
    DispatchQueue::setManualForTesting(false);
    std::mutex mutex;
    std::condition_variable changed;
    bool open = false;
    int running = 0;
    int calls = 0;
    auto slow = std::make_unique<ZRHover>(
        *controller, controller->gestures().hover, [&](const AXElementRef& window, bool, const Rect& frame) {
            std::unique_lock lock(mutex);
            ++calls;
            ++running;
            changed.notify_all();
            changed.wait(lock, [&] { return open; });
            --running;
            return window->setAttributeValue(AX::Position, frame.origin) == AXError::Success;
        });
    controller->setHover(slow.get());
    desktop.addWindow(*editor, Window);
    gesture(MoveKeys, Point(500, 210), std::vector<Point>(10, Point(5, 0)), false);
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(5), [&] { return running == 1; }));
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
        EXPECT_EQ(calls, 1);
    }
    opener.join();
    release();

    // The keys let go while the worker takes a request: it tells by the gesture's number, without reading
    // the hovered window that the main thread writes meanwhile (which the thread sanitizer would report).
    auto quick = std::make_unique<ZRHover>(*controller, controller->gestures().hover);
    controller->setHover(quick.get());
    gesture(MoveKeys, Point(500, 210), {{5, 0}}, false);
    release();
    DispatchQueue::waitForIdle();
    // The worker tells that it is done itself: the main thread need not wake for it.
    EXPECT_FALSE(quick->requestInFlight());
    RunLoop::main().runPending();
    EXPECT_FALSE(quick->requestInFlight());
    controller->setHover(nullptr);
}

// The desktop's preferences as the real backend keeps them: files, which every setting that the program's own
// file lacks falls through to.
class FilePreferences : public SimSystemPreferences {
public:
    explicit FilePreferences(const QString& folder) : store(folder) {}
    QVariant value(const QString& domain, const QString& key) const override {
        return store.value(domain, key);
    }

    PreferencesFileStore store;
};

// Hover's settings fall through to the preference files: while nobody changes those, 1,000 steps, each a
// turn of the main loop, look at no file; a change that another program makes is read at the next read of
// the settings on the worker, once, and steps still look at no file.
TEST_F(HoverTest, StepsOnTheWorkerLookAtNoPreferencesFile) {
    DispatchQueue::setManualForTesting(false);
    const QString folderPath = folder.filePath(QStringLiteral("Preferences"));
    ASSERT_TRUE(QDir().mkpath(folderPath));
    FilePreferences preferences(folderPath);
    controller.reset();
    program.reset();
    openSettings(&preferences);
    makeController();
    SimWindow& window = desktop.addWindow(*editor, Window);
    const auto step = [&](double dx) {
        desktop.movePointerBy(dx, 0);
        DispatchQueue::waitForIdle();
        RunLoop::main().runPending();
        QCoreApplication::processEvents();
    };
    desktop.movePointer(Point(500, 210));
    desktop.setModifierFlags(MoveKeys);
    step(0);

    const std::uint64_t before = preferences.store.fileChecks();
    const int setsBefore = window.frameSetCount();
    constexpr int Steps = 1000;
    for (int i = 0; i < Steps; ++i)
        step(i < Steps / 2 ? 1 : -1);
    EXPECT_EQ(preferences.store.fileChecks() - before, 0u);
    EXPECT_EQ(window.frameSetCount() - setsBefore, Steps) << "every step set the frame on the worker";

    PreferencesFileStore otherProgram(folderPath);
    ASSERT_TRUE(otherProgram.setValue(SystemPreferences::GlobalDomain, QStringLiteral("AppleLanguages"),
                                      QVariantList{QStringLiteral("en")}));
    QCoreApplication::processEvents();
    const std::uint64_t changed = preferences.store.fileChecks();
    step(1);
    step(1);
    EXPECT_EQ(preferences.store.fileChecks() - changed, 0u);
    EXPECT_EQ(window.frame(), Rect(302, 200, 400, 300));
    QVariant languages;
    for (int read = 0; read < 2; ++read)
        std::thread([&] { languages = settings().object(QStringLiteral("AppleLanguages")); }).join();
    EXPECT_EQ(preferences.store.fileChecks() - changed, 1u);
    EXPECT_EQ(languages, QVariant(QVariantList{QStringLiteral("en")}));

    release();
    controller.reset();
    program.reset();
    openSettings();
}

} // namespace
