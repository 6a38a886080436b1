#include "MouseControlContext.h"
#include "RecordingParts.h"
#include "TestProgram.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlDropZones.h"
#include "mouse-control/ZRMouseControlKeyboardMenu.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRSnapZones.h"
#include "mouse-control/ZRSnapping.h"
#include "shell/ZRMainController.h"
#include "shell/ZRShellDefaults.h"
#include "toolkit/WindowExtensions.h"
#include "window-access/Coordinates.h"
#include "window-access/GridGeometry.h"
#include "window-access/WindowDescription.h"

namespace {

namespace D = ZRMouseControlDefault;

const Rect Primary(0, 0, 1440, 900);
const Rect LeftHalf(0, 0, 720, 900);  // Quartz and Cocoa alike
const Rect Start(400, 300, 500, 300); // Quartz

// What a snap zone holds for a custom action.
QVariant zoneValue(const std::shared_ptr<ZRAction>& action) {
    return QString(QStringLiteral("=") + action->uniqueIdentifier());
}

ZRVirtualScreen screenOf(const Rect& frame, const UserDefaults& defaults) {
    ScreenInfo info;
    info.frame = info.visibleFrame = frame;
    return ZRVirtualScreen::screensOfDisplays({info}, defaults).front();
}

// Snapping on a desktop of one 1440 x 900 display, with the launch's settings and snapping on; its windows
// are dragged by their title bars through the desktop's pointer, which reaches snapping through the tap.
class SnappingTest : public MouseControlTest {
protected:
    std::optional<TestProgram> program;

    void SetUp() override {
        MouseControlTest::SetUp();
        program.emplace(settings(), Platform::current());
        ZRActionManager::registerDefaults(settings());
        ZRRegisterShellDefaults(settings());
        desktop.addScreen(Primary);
        editor = &desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        controller->registerDefaults(settings());
        set(D::Snap, true);
        controller->setKeyboardMenu(&parts);
        controller->setDropZones(&parts);
        controller->updateFeatureFlagsAndTap();
        setFadingDuration(&focus(), 0);
    }

    void TearDown() override {
        controller.reset();
        program.reset();
        MouseControlTest::TearDown();
    }

    ZRSnapping& snapping() { return static_cast<ZRSnapping&>(controller->snapping()); }
    static ZRFocusWindow& focus() { return ZRFocusWindow::defaultFocusWindow(); }
    const ZRSnapGesture& snapGesture() const { return controller->gestures().snap; }

    // The window's element: the one in its middle, away from its title bar.
    AXElementRef elementOf(const SimWindow& window) {
        const Rect frame = window.frame();
        return desktop.accessibility().elementAtPosition({frame.midX(), frame.midY()});
    }
    SimWindow& addWindow(const Rect& frame = Start) {
        return desktop.addWindow(*editor, frame, QStringLiteral("Notes"));
    }

    // Presses on the window's title bar and takes the pointer to the point in a few steps.
    void drag(SimWindow& window, Point to) {
        desktop.beginWindowDrag(window);
        moveTo(to);
    }
    void moveTo(Point to) {
        const Point from = desktop.inputState().pointerLocation();
        for (int step = 1; step <= 4; ++step) {
            desktop.movePointer({from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4});
            RunLoop::main().runPending();
        }
    }
    void rest(double seconds) { RunLoop::main().advance(seconds); }
    void release() {
        desktop.releaseLeftButton();
        RunLoop::main().runPending();
    }

    // A layout of the windows (Cocoa frames), each on the primary display.
    std::shared_ptr<ZRAction> addLayout(const std::vector<Rect>& frames) {
        auto action = ZRAction::actionWithType(ZRActionTypeLayout);
        ZRSnapshot snapshot;
        for (const Rect& frame : frames)
            snapshot.windowDescriptions.push_back(
                ZRMakeWindowDescription({QStringLiteral("com.example.Editor"), QStringLiteral("Editor"),
                                         QStringLiteral("Notes"), frame, Primary, Primary}));
        action->setSnapshot(snapshot);
        ZRActionManager::actionManager().insertAction(action);
        return action;
    }
    static std::shared_ptr<ZRAction> moveAndResize(const Rect& relative) {
        auto action = ZRAction::actionWithType(ZRActionTypeMoveAndResize);
        action->setRelativeFrame(relative);
        return action;
    }
    void putInZone(std::int64_t position, const std::shared_ptr<ZRAction>& action) {
        set(userDefaultNameForSnapPosition(position), zoneValue(action));
    }

    SimApplication* editor = nullptr;
    // The keyboard menu and the drop zones.
    RecordingParts parts;
    std::unique_ptr<ZRMouseController> controller;
};

} // namespace

// The zone under the pointer (Cocoa) on a 1440 x 900 screen: bands 15 deep, corners reaching 100 along the
// edges, unless the settings say otherwise.
TEST(SnapZones, ZonesOfAScreen) {
    // Whole displays: no layout splits them.
    const UserDefaults noLayout{QString()};
    const std::vector<ZRVirtualScreen> one = {screenOf(Primary, noLayout)};
    const std::vector<ZRVirtualScreen> two = {screenOf(Primary, noLayout),
                                              screenOf(Rect(1440, 0, 1440, 900), noLayout)};
    const ZRSnapZoneSettings ignoring{15, 100, true};
    const struct Case {
        const char* name;
        Point location;
        std::optional<std::int64_t> position; // none: no zone at all
        const std::vector<ZRVirtualScreen>* screens = nullptr;
        ZRSnapZoneSettings settings = {15, 100, false};
        bool forSnappingBack = false;
    } cases[] = {
        {"10 from the top, 50 from the right", {1390, 890}, 4},
        {"10 from the top, 150 from the right", {1290, 890}, 3},
        {"left band", {5, 450}, 9},
        {"bottom-left corner along the bottom", {60, 3}, 8},
        {"bottom-right corner along the side", {1435, 60}, 6},
        {"top-left corner", {3, 897}, 10},
        {"inside the bands", {700, 450}, 0},
        {"off every screen", {-50, 450}, std::nullopt},
        {"shared edge of two screens", {1436, 450}, 5, &two},
        {"shared edge, bordering edges ignored", {1436, 450}, std::nullopt, &two, ignoring},
        {"shared edge, ignored, snapping back", {1436, 450}, 5, &two, ignoring, true},
        {"outer edge, bordering edges ignored", {2875, 450}, 5, &two, ignoring},
        {"deep bands of a shown chooser", {700, 820}, 3, nullptr, {100, 100, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto zone =
            ZRSnapZoneAtLocation(c.location, c.screens ? *c.screens : one, c.settings, c.forSnappingBack);
        ASSERT_EQ(zone.has_value(), c.position.has_value());
        if (zone) {
            EXPECT_EQ(zone->position, *c.position);
        }
    }
}

// Widths below 1 are the standard ones; corners reach at least as far as the bands are deep.
TEST_F(SnappingTest, ZoneWidthSettings) {
    set(D::SnapDragZoneWidth, 0);
    set(D::SnapDragZoneWidthChooser, 0);
    const UserDefaults& defaults = settings();
    EXPECT_EQ(ZRSnapZoneSettings::read(defaults, false).bandDepth, 15);
    EXPECT_EQ(ZRSnapZoneSettings::read(defaults, false).cornerReach, 100);
    set(D::SnapDragZoneWidth, 30);
    EXPECT_EQ(ZRSnapZoneSettings::read(defaults, false).cornerReach, 100);
    set(D::SnapDragZoneWidthChooser, 20);
    EXPECT_EQ(ZRSnapZoneSettings::read(defaults, false).cornerReach, 30);
}

// The member of a chooser of n at the pointer: thirds of the top edge between the corners' reach, top to
// bottom along the sides; the last in the bottom corners, the first in the top ones; nothing divided on a
// screen too narrow for the corners, nothing at all without members.
TEST(SnapZones, ChooserMembers) {
    const struct Case {
        std::int64_t position;
        Point location;
        std::int64_t n;
        std::int64_t index;
        Rect screen = Primary;
    } cases[] = {
        {3, {150, 890}, 3, 0},  {3, {720, 890}, 3, 1},
        {3, {1300, 890}, 3, 2}, {3, {1439, 890}, 3, 2},
        {5, {1435, 790}, 3, 0}, {5, {1435, 110}, 3, 2},
        {6, {1435, 50}, 3, 2},  {10, {3, 897}, 3, 0},
        {3, {150, 890}, 0, -1}, {3, {100, 300}, 3, 0, Rect(0, 0, 150, 900)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ZRSnapChooserIndex(c.position, c.location, c.screen, 100, c.n), c.index)
            << c.position << " at " << c.location.x << "," << c.location.y << " of " << c.n;
    }
}

// The target of each kind of zone with the pointer in it, as the preview shows it (Cocoa).
TEST_F(SnappingTest, TargetsOfZones) {
    SimWindow& window = addWindow();
    drag(window, {700, 300});
    ASSERT_TRUE(snapGesture().isMoving());
    const Rect moved = window.frame();
    const auto inner = [this](std::int64_t position) {
        return ZRGridGeometry::windowFrameAtPosition(position, screenOf(Primary, settings()), settings());
    };
    const auto layout = addLayout({Rect(100, 200, 300, 400)});
    const auto folder = ZRAction::actionWithType(ZRActionTypeFolder);
    folder->setChildren({moveAndResize({0, 0, 0.25, 1}), moveAndResize({0.25, 0, 0.5, 1}),
                         moveAndResize({0.75, 0, 0.25, 1})});
    ZRActionManager::actionManager().insertAction(folder);
    const auto resizer = moveAndResize({0.5, 0.5, 0.5, 0.5});
    ZRActionManager::actionManager().insertAction(resizer);
    set(QStringLiteral("Drop Snap: Activate Via Snap"), false);

    const struct Case {
        const char* name;
        QVariant value;
        Point pointer; // Quartz
        Rect expected;
    } cases[] = {
        {"11 fills the usable frame", 11, {700, 2}, inner(ZRPositionFull)},
        {"12 on the top edge", 12, {700, 2}, inner(ZRPositionTop)},
        {"12 on the right edge", 12, {1438, 450}, inner(ZRPositionRight)},
        {"13 in the top-right corner", 13, {1438, 2}, inner(ZRPositionTopRight)},
        {"21 centres", 21, {700, 2}, ZRCenteredFrame(ZRFlipRect(moved), Primary, false)},
        {"22 centres geometrically", 22, {700, 2}, ZRCenteredFrame(ZRFlipRect(moved), Primary, true)},
        {"0 is no snap", 0, {700, 2}, Rect()},
        {"19 by its relative frame",
         zoneValue(resizer),
         {700, 2},
         ZRGridGeometry::windowFrameFromRelativeFrame({0.5, 0.5, 0.5, 0.5}, inner(ZRPositionFull))},
        {"1001 by its window", zoneValue(layout), {700, 2}, Rect(100, 200, 300, 400)},
        {"a folder's first third",
         zoneValue(folder),
         {300, 2},
         ZRGridGeometry::windowFrameFromRelativeFrame({0, 0, 0.25, 1}, inner(ZRPositionFull))},
        {"a folder's last third",
         zoneValue(folder),
         {1300, 2},
         ZRGridGeometry::windowFrameFromRelativeFrame({0.75, 0, 0.25, 1}, inner(ZRPositionFull))},
        {"an identifier no action has", QStringLiteral("=nothing"), {700, 2}, Rect()},
        {"a string too short", QStringLiteral("="), {700, 2}, Rect()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::int64_t position = 3; position <= 10; ++position)
            set(userDefaultNameForSnapPosition(position), c.value);
        desktop.movePointer(c.pointer);
        EXPECT_EQ(snapping().snapFrameAtCurrentMouseLocation(false, false, nullptr), c.expected);
    }
    ASSERT_FALSE(parts.popUps.empty()) << "the folder showed its chooser";
    EXPECT_EQ(parts.popUps.back().children.size(), 3u);
    EXPECT_EQ(parts.popUps.back().children.front().image.size(), QSize(36, 25))
        << "0.9 and 0.63 line heights";
    EXPECT_EQ(parts.selections, (std::vector<std::int64_t>{0, 2}));
    EXPECT_TRUE(parts.calls.contains(QStringLiteral("vanish menu"))) << "a zone without a chooser closed it";
    release();
}

// A rest shorter than "Snap Delay" shows nothing; a longer one shows the left half, which the window takes at
// the mouse up. The preview's activation of the focus window is given back and its display rule restored.
TEST_F(SnappingTest, PreviewThenMouseUp) {
    set(QStringLiteral("ZRDebugLog"), true);
    SimWindow& window = addWindow();
    drag(window, {2, 300});
    EXPECT_TRUE(logged(QStringLiteral("[Debug] snap window \"Notes\" presumed identical with window: ")));
    EXPECT_TRUE(logged(QStringLiteral("[Debug] event tap: window \"Notes\" is moving from ")));
    EXPECT_TRUE(logged(QStringLiteral("[Debug] window observer: window \"Notes\" is moving")));
    rest(0.15);
    EXPECT_FALSE(focus().isActive());
    rest(0.1);
    EXPECT_TRUE(snapping().isReadyToSnap());
    EXPECT_TRUE(focus().isActive());
    EXPECT_EQ(focus().outlineFrame(), LeftHalf);
    EXPECT_NE(window.frame().size, LeftHalf.size) << "only shown";

    release();
    EXPECT_EQ(window.frame(), LeftHalf);
    EXPECT_EQ(focus().activeCounter(), 0);
    EXPECT_FALSE(focus().displayRegardless()) << "a user with \"Focus\" off finds it off again";
    Rect last;
    std::int64_t position = 0;
    EXPECT_TRUE(
        ZRMainController::mainController().actions().getLastSkafFrame(last, position, elementOf(window)));
    EXPECT_EQ(position, ZRLastSnapPosition);
}

// A second mouse down while a preview shows (its mouse up was lost) gives the preview back.
TEST_F(SnappingTest, ALostMouseUpLeavesNoPreviewBehind) {
    SimWindow& window = addWindow();
    drag(window, {2, 300});
    rest(0.3);
    ASSERT_TRUE(focus().isActive());
    desktop.pressLeftButton();
    EXPECT_FALSE(snapping().isReadyToSnap());
    EXPECT_EQ(focus().activeCounter(), 0);
    release();
    EXPECT_NE(window.frame(), LeftHalf);
}

// With auto-snap the window takes the left half while the button is still down, even from a window manager
// that puts back its own frame at every motion of its move; a jitter and the mouse up leave it there.
TEST_F(SnappingTest, AutoSnapHoldsDuringTheWindowManagersMove) {
    set(D::AutoSnap, true);
    controller->updateFeatureFlagsAndTap();
    desktop.setDragRestoresFrames(true);
    SimWindow& window = addWindow();
    drag(window, {2, 300});
    rest(0.3);
    EXPECT_EQ(window.frame(), LeftHalf);
    desktop.movePointerBy(1, 0);
    RunLoop::main().runPending();
    EXPECT_EQ(window.frame().size, LeftHalf.size)
        << "the window manager's move went on from the snapped frame";
    rest(0.3);
    release();
    EXPECT_EQ(window.frame(), LeftHalf);
    EXPECT_EQ(focus().activeCounter(), 0);
}

// A window of fixed size is shown a red target for two seconds and keeps its frame.
TEST_F(SnappingTest, AFixedSizeWindowFlashesRed) {
    SimWindow& window = addWindow();
    window.setResizable(false);
    drag(window, {2, 300});
    rest(0.3);
    EXPECT_TRUE(focus().isActive());
    EXPECT_TRUE(focus().drawOutlineAsAlert());
    EXPECT_FALSE(snapping().isReadyToSnap());
    const Rect before = window.frame();
    release();
    EXPECT_EQ(window.frame(), before);
    rest(2.0);
    EXPECT_FALSE(focus().isActive());
}

TEST_F(SnappingTest, CommandDraggingSnapsOnlyWhenMonitored) {
    for (const bool monitored : {false, true}) {
        SCOPED_TRACE(monitored);
        set(D::SnapMonitorCommandDragging, monitored);
        SimWindow& window = addWindow();
        desktop.setModifierFlags(ModifierFlag::Command);
        drag(window, {2, 300});
        rest(0.3);
        release();
        desktop.setModifierFlags(0);
        EXPECT_EQ(window.frame() == LeftHalf, monitored);
        window.close();
    }
}

// A snapped window dragged to the middle gets back its former size, the pointer at the same place across it;
// dragged back into a band it snaps again. Not after the user resized it, and a frame a keyboard action gave
// it counts only with "Snap Back: Scope" 1.
TEST_F(SnappingTest, SnapBack) {
    SimWindow& window = addWindow();
    drag(window, {2, 300});
    rest(0.3);
    release();
    ASSERT_EQ(window.frame(), LeftHalf);

    drag(window, {700, 450});
    // The pointer took the title bar's middle (360) to 700: a window 500 wide keeps it at 360 / 720 of its
    // width.
    EXPECT_EQ(window.frame().size, Start.size);
    EXPECT_EQ(window.frame().x(), 700 - 250);
    moveTo({2, 450});
    rest(0.3);
    release();
    EXPECT_EQ(window.frame(), LeftHalf) << "snapped again";

    window.setFrame(Rect(0, 0, 700, 900));
    drag(window, {700, 450});
    release();
    EXPECT_EQ(window.frame().size, Size(700, 900)) << "resized by the user since";

    ZRActionController& actions = ZRMainController::mainController().actions();
    for (const auto& [scope, snapsBack] : {std::pair{0, false}, {1, true}}) {
        SCOPED_TRACE(scope);
        set(D::SnapBackScope, scope);
        window.setFrame(LeftHalf);
        actions.storeOriginalFrame(Start, elementOf(window));
        actions.storeLastSkafFrame(LeftHalf, ZRPositionLeft, elementOf(window));
        drag(window, {700, 450});
        release();
        EXPECT_EQ(window.frame().size == Start.size, snapsBack);
    }
}

// A layout in a zone with "Drop Snap: Activate Via Snap" shows its drop zones instead of snapping.
TEST_F(SnappingTest, ALayoutZoneShowsItsDropZones) {
    const auto layout = addLayout({Rect(100, 200, 300, 400), Rect(500, 200, 300, 400)});
    putInZone(ZRPositionLeft, layout);
    SimWindow& window = addWindow();
    drag(window, {2, 300});
    rest(0.3);
    ASSERT_EQ(parts.activatedLayouts.size(), 1u);
    EXPECT_EQ(parts.activatedLayouts.front(), layout);
    EXPECT_FALSE(focus().isActive());
    release();
}

// Released over a drop zone the window takes its frame; a window of fixed size and another size keeps its
// own. The zones go either way.
TEST_F(SnappingTest, DropSnap) {
    for (const bool resizable : {true, false}) {
        SCOPED_TRACE(resizable);
        SimWindow& window = addWindow();
        window.setResizable(resizable);
        drag(window, {700, 450});
        parts.zonesActive = true;
        parts.zoneFrame = Rect(100, 100, 600, 400); // Cocoa
        const Rect before = window.frame();
        release();
        EXPECT_EQ(window.frame(), resizable ? ZRFlipRect(parts.zoneFrame) : before);
        EXPECT_FALSE(parts.zonesActive);
        window.close();
    }
}
