#include "MouseControlContext.h"
#include "MouseControlTestSupport.h"
#include "TestProgram.h"

#include "ScreenPixels.h"
#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "hotkeys/KeyEvent.h"
#include "mouse-control/ZRAutoDeactivateInterval.h"
#include "mouse-control/ZRDropZoneManager.h"
#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlSnapping.h"
#include "mouse-control/ZRMouseController.h"
#include "shell/ZRMainController.h"
#include "shell/ZRShellDefaults.h"
#include "toolkit/WindowExtensions.h"
#include "window-access/Coordinates.h"
#include "window-access/WindowDescription.h"

#include <QPainter>

namespace {

// Cocoa. The primary display keeps 25 points for a panel at its top; the second has none.
const Rect A(0, 0, 1440, 900), UsableA(0, 0, 1440, 875);
const Rect B(1440, 0, 1920, 1080);
const Rect LeftOfA(0, 0, 720, 875), RightOfA(720, 0, 720, 875);

QVariant window(const Rect& frame, const Rect& screen, const Rect& usable) {
    return ZRMakeWindowDescription({QStringLiteral("com.example.Editor"), QStringLiteral("Editor"),
                                    QStringLiteral("Notes"), frame, screen, usable});
}

std::vector<Rect> framesOf(const std::vector<ZRDropZone>& zones, Rect ZRDropZone::*frame) {
    std::vector<Rect> frames;
    for (const ZRDropZone& zone : zones)
        frames.push_back(zone.*frame);
    return frames;
}

class DropZoneTest : public MouseControlTest {
protected:
    std::optional<TestProgram> program;

    void SetUp() override {
        MouseControlTest::SetUp();
        program.emplace(settings(), Platform::current());
        ZRActionManager::registerDefaults(settings());
        ZRRegisterShellDefaults(settings());
        desktop.addScreen(A, UsableA);
        desktop.addScreen(B);
        controller = std::make_unique<ZRMouseController>(mouseControlContext(settings()));
        controller->registerDefaults(settings());
        ZRMainController::mainController().actions().setDropZones(&zones());
        auto& application = testApplication<ZRHotKeyHandlerApplication>();
        listening = application.listenToDesktop(desktop, settings());
        application.setHotKeyHandler(&ZRMainController::mainController());
        setFadingDuration(&focus(), 0);
    }

    void TearDown() override {
        listening.disconnect();
        testApplication<ZRHotKeyHandlerApplication>().setHotKeyHandler(nullptr);
        controller.reset();
        program.reset();
        MouseControlTest::TearDown();
    }

    ZRDropZoneManager& zones() const { return controller->ownDropZones(); }
    static ZRFocusWindow& focus() { return ZRFocusWindow::defaultFocusWindow(); }
    bool escapeHeld() const { return desktop.globalHotKeys().isRegistered(Key::Escape, 0); }

    // A layout of the windows, front to back.
    std::shared_ptr<ZRAction> addLayout(const QVariantList& windows) {
        auto action = ZRAction::actionWithType(ZRActionTypeLayout);
        ZRSnapshot snapshot;
        for (const QVariant& window : windows)
            snapshot.windowDescriptions.push_back(window.toMap());
        action->setSnapshot(snapshot);
        return action;
    }
    // A layout in the store, shown while Shift is held during a drag.
    std::shared_ptr<ZRAction> addLayoutForShift(const QVariantList& windows) {
        auto layout = addLayout(windows);
        ZRActionManager::actionManager().insertAction(layout);
        set(ZRMouseControlDefault::DropSnap, true);
        set(userDefaultNameForDropSnapModifier(ModifierFlag::Shift), layout->uniqueIdentifier());
        controller->updateFeatureFlagsAndTap();
        return layout;
    }
    // Drags the window by its title bar to the point (Quartz), in steps as a hand does.
    void dragTo(Point to) {
        const Point from = desktop.inputState().pointerLocation();
        for (int step = 1; step <= 4; ++step) {
            desktop.movePointer({from.x + (to.x - from.x) * step / 4, from.y + (to.y - from.y) * step / 4});
            RunLoop::main().runPending();
        }
    }

    std::unique_ptr<ZRMouseController> controller;
    // The desktop's hot keys reach the program until the test ends.
    Connection listening;
};

} // namespace

// Zones on the current screens: a layout of one screen on every display (exact, or adapted into each),
// one of three screens on the two displays there are, usable frames that older records lack, and a
// screen without a usable frame, which nothing is divided by.
TEST_F(DropZoneTest, ZonesOfALayoutOnTheCurrentScreens) {
    const std::vector<ZRVirtualScreen> screens = ZRVirtualScreen::screens(settings());
    const Rect far(3360, 0, 800, 600);
    ScreenInfo blank;
    blank.frame = B;
    const struct Case {
        const char* name;
        QVariantList windows;
        bool keepAsSaved;
        std::vector<Rect> frames;
        std::vector<Rect> originals = {};
        // The current screens unless given.
        std::optional<std::vector<ZRVirtualScreen>> screens = std::nullopt;
    } cases[] = {
        {"one screen, as saved",
         {window(LeftOfA, A, UsableA), window(RightOfA, A, UsableA)},
         true,
         {LeftOfA, RightOfA, LeftOfA, RightOfA}},
        {"one screen, adapted",
         {window(LeftOfA, A, UsableA), window(RightOfA, A, UsableA)},
         false,
         {LeftOfA, RightOfA, Rect(1440, 0, 960, 1080), Rect(2400, 0, 960, 1080)}},
        {"three screens on two",
         {window(LeftOfA, A, UsableA), window(B, B, B), window(far, far, far)},
         true,
         {LeftOfA, B}},
        {"usable frame of a sibling, else of the windows together",
         {window(LeftOfA, A, Rect()), window(RightOfA, A, UsableA),
          window(Rect(1500, 10, 100, 100), B, Rect()), window(Rect(1700, 10, 100, 300), B, Rect())},
         true,
         {LeftOfA, RightOfA, Rect(1500, 10, 100, 100), Rect(1700, 10, 100, 300)},
         {UsableA, UsableA, Rect(1500, 10, 300, 300), Rect(1500, 10, 300, 300)}},
        {"no usable frame to adapt into",
         {window(LeftOfA, A, UsableA)},
         false,
         {LeftOfA},
         {UsableA},
         ZRVirtualScreen::screensOfDisplays({blank}, settings())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto shown = ZRDropZoneManager::dropZonesForWindows(c.windows, c.screens.value_or(screens),
                                                                  c.keepAsSaved, settings());
        EXPECT_EQ(framesOf(shown, &ZRDropZone::windowFrame), c.frames);
        if (!c.originals.empty()) {
            EXPECT_EQ(framesOf(shown, &ZRDropZone::originalSkafableFrame), c.originals);
        }
        for (const ZRDropZone& zone : shown) {
            EXPECT_EQ(zone.windowCGFrame, ZRFlipRect(zone.windowFrame));
        }
    }
}

// "Drop Snap: Always Adapt" moves the zones of a layout that does not adapt into every screen whose usable
// frame differs from the saved one; a layout that adapts is moved whatever the setting.
TEST_F(DropZoneTest, AlwaysAdaptMovesTheZonesOfEveryLayout) {
    const auto layout = addLayout({window(LeftOfA, A, UsableA)});
    const Rect onB(1440, 0, 960, 1080);
    const struct {
        bool adapts;
        QVariant alwaysAdapt;
        Rect second;
    } cases[] = {{false, false, LeftOfA}, {false, true, onB}, {false, QVariant(), onB}, {true, false, onB}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.adapts << " " << c.alwaysAdapt.toString().toStdString());
        layout->setSnapshotAdapts(c.adapts);
        set(ZRDropZoneDefault::AlwaysAdapt, c.alwaysAdapt);
        ASSERT_TRUE(zones().activateForAction(*layout));
        EXPECT_EQ(framesOf(zones().dropZones(), &ZRDropZone::windowFrame), (std::vector{LeftOfA, c.second}));
        EXPECT_EQ(focus().dropFrameValues(), (std::vector{LeftOfA, c.second}));
    }
}

// Covered windows show as zones when the layout applies to them and the setting does not leave them out;
// a layout without windows shows nothing. Activating again replaces the zones, one activation of the
// focus window and one Escape hot key held throughout, both given back when the zones close.
TEST_F(DropZoneTest, ActivationShowsTheLayoutsWindows) {
    const Rect covered(100, 100, 200, 200);
    const auto layout = addLayout({window(UsableA, A, UsableA), window(covered, A, UsableA)});
    const struct {
        bool applyToObstructed, ignoreObstructed;
        std::size_t perScreen;
    } cases[] = {{true, false, 2}, {true, true, 1}, {false, false, 1}};
    for (const auto& c : cases) {
        layout->setApplyToObstructedWindows(c.applyToObstructed);
        set(ZRDropZoneDefault::IgnoreObstructedWindows, c.ignoreObstructed);
        ASSERT_TRUE(zones().activateForAction(*layout));
        EXPECT_EQ(zones().dropZones().size(), 2 * c.perScreen);
        EXPECT_EQ(focus().dropFrameValues().size(), 2 * c.perScreen);
        EXPECT_EQ(focus().dropFrameValuesOverlap(), c.perScreen == 2);
        EXPECT_EQ(focus().activeCounter(), 1);
        EXPECT_TRUE(escapeHeld());
    }
    EXPECT_TRUE(zones().deactivate());
    EXPECT_FALSE(zones().deactivate());
    EXPECT_EQ(focus().activeCounter(), 0);
    EXPECT_FALSE(escapeHeld());

    ASSERT_TRUE(zones().activateForAction(*layout));
    EXPECT_FALSE(zones().activateForAction(*addLayout({})));
    EXPECT_FALSE(zones().isActive());
    EXPECT_EQ(focus().activeCounter(), 0);
    EXPECT_FALSE(zones().activateForAction(nullptr));
}

// The first zone under the pointer wins; outside every zone nothing is outlined, but the zones stay until
// the pause after the last drag event ends ("Auto-Deactivate Interval", never below half a second).
TEST_F(DropZoneTest, TrackingAndThePause) {
    const Rect front(100, 100, 600, 600), behind(400, 100, 600, 600);
    const auto layout = addLayout({window(front, A, UsableA), window(behind, A, UsableA)});
    ASSERT_TRUE(zones().activateForAction(*layout));
    const double height = A.height();
    for (const auto& [point, picked] :
         {std::pair{Point(500, 500), front}, {Point(900, 500), behind}, {Point(1300, 500), Rect()}}) {
        EXPECT_TRUE(zones().updateWithCGLocation(ZRFlipPoint(point, height)));
        EXPECT_EQ(zones().dropFrame(), picked);
        EXPECT_EQ(focus().outlineFrame(), picked);
    }
    EXPECT_TRUE(zones().isActive());

    // The picture: both zones drawn, the front one outlined.
    zones().updateWithCGLocation(ZRFlipPoint(Point(500, 500), height));
    // The window draws on clear pixels, which the screen then lays over what is below.
    QImage layer(QSize(int(focus().frame().width()), int(focus().frame().height())),
                 QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    QPainter painter(&layer);
    focus().updateLayer(painter, layer.rect());
    painter.end();
    QImage picture(layer.size(), QImage::Format_ARGB32_Premultiplied);
    picture.fill(QColor(90, 120, 160));
    painter.begin(&picture);
    painter.drawImage(0, 0, layer);
    painter.end();
    // The primary display's part of the window, which covers every display.
    const Rect window = focus().frame();
    saveScreenshot(
        picture.copy(int(A.x() - window.x()), int(window.maxY() - A.maxY()), int(A.width()), int(A.height())),
        QStringLiteral("drop-zones-overlapping"));

    for (const auto& [setting, pause] : {std::pair{QVariant(0.2), 0.5}, {QVariant(), 3.0}}) {
        set(ZRAutoDeactivateIntervalUserDefaultName, setting);
        zones().activateForAction(*layout);
        RunLoop::main().advance(pause - 0.1);
        zones().updateWithCGLocation({});
        RunLoop::main().advance(pause - 0.01);
        EXPECT_TRUE(zones().isActive());
        RunLoop::main().advance(0.02);
        EXPECT_FALSE(zones().isActive());
        EXPECT_FALSE(escapeHeld());
    }
    EXPECT_FALSE(zones().updateWithCGLocation({}));
}

// Shift held during a title-bar drag shows the layout's zones, and the mouse up over one gives the window
// its frame. Escape closes them and keeps them closed for the rest of that drag, whatever keys are held
// again; the mouse up then leaves the window where the drag took it. The next drag shows them again.
TEST_F(DropZoneTest, EscapeKeepsTheZonesClosedForTheRestOfTheDrag) {
    addLayoutForShift({window(LeftOfA, A, UsableA), window(RightOfA, A, UsableA)});
    auto& editor = desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
    SimWindow& dragged = desktop.addWindow(editor, Rect(300, 300, 400, 300), QStringLiteral("Notes"));
    const Rect rightOfA = ZRFlipRect(RightOfA, A.height());

    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "escape" : "drop");
        desktop.beginWindowDrag(dragged);
        dragTo({600, 400});
        desktop.setModifierFlags(ModifierFlag::Shift);
        dragTo({1000, 400});
        ASSERT_TRUE(zones().isActive());
        EXPECT_EQ(zones().dropFrame(), RightOfA);
        if (escape) {
            desktop.pressKey(Key::Escape);
            EXPECT_FALSE(zones().isActive());
            desktop.setModifierFlags(0);
            desktop.setModifierFlags(ModifierFlag::Shift);
            dragTo({1100, 500});
            EXPECT_FALSE(zones().isActive()) << "closed for the rest of the drag";
        }
        const Rect before = dragged.frame();
        desktop.releaseLeftButton();
        RunLoop::main().runPending();
        desktop.setModifierFlags(0);
        EXPECT_EQ(dragged.frame(), escape ? before : rightOfA);
        EXPECT_FALSE(zones().isActive());
        EXPECT_FALSE(escapeHeld());
        EXPECT_EQ(focus().activeCounter(), 0);
    }
}

// Each way the zones close lets go of Escape and of the focus window.
TEST_F(DropZoneTest, EveryWayOutGivesBackTheEscapeKey) {
    const auto layout = addLayout({window(LeftOfA, A, UsableA)});
    const std::pair<const char*, std::function<void()>> waysOut[] = {
        {"mouse up", [&] { controller->snapping().dropSnap(); }},
        {"pause", [&] { RunLoop::main().advance(3.1); }},
        {"Escape heard by the stream", [&] { desktop.pressKey(Key::Escape); }},
        {"the Escape hot key", [&] { desktop.globalHotKeys().press(Key::Escape, 0); }},
        {"another key",
         [&] {
             bool repeat = false;
             KeyEvent key;
             key.keyCode = Key::A;
             ZRMainController::mainController().actions().handleKeyDownEvent(key, repeat);
         }},
        {"no layout", [&] { zones().activateForAction(nullptr); }},
        {"quit", [&] { controller->applicationWillTerminate(); }},
    };
    for (const auto& [name, wayOut] : waysOut) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(zones().activateForAction(*layout));
        ASSERT_TRUE(escapeHeld());
        wayOut();
        EXPECT_FALSE(zones().isActive());
        EXPECT_FALSE(escapeHeld());
        EXPECT_EQ(focus().activeCounter(), 0);
    }
}
