#include "RecordingParts.h"

#include "platform/foundation/NotificationCenter.h"

namespace {

namespace D = ZRMouseControlDefault;
using namespace ModifierFlag;

class MouseEventTapCallbackTest : public MouseDispatchTest {
protected:
    const ZRHoverGesture& hover() const { return controller->gestures().hover; }
    const ZRSnapGesture& snap() const { return controller->gestures().snap; }
};

TEST_F(MouseEventTapCallbackTest, HoverKeysHeld) {
    struct Case {
        const char* name;
        ModifierFlags move, resize, dropSnapHover;
        bool dropSnap;
        ModifierFlags flags;
        const char* call; // nullptr: none
    };
    const ModifierFlags controlOption = Control | Option;
    const ModifierFlags all = Control | Option | Command;
    const std::vector<Case> cases{
        {"exact move keys", controlOption, all, 0, false, controlOption, "hover move"},
        {"part of the move keys", controlOption, all, 0, false, Control, nullptr},
        {"extra key, drop snap off", Command, 0, 0, false, Shift | Command, nullptr},
        {"extra key, drop snap on", Command, 0, 0, true, Shift | Command, "hover move"},
        {"resize keys, drop snap off", controlOption, all, 0, false, all, "hover resize"},
        {"resize keys, drop snap on", controlOption, all, 0, true, all, "hover resize"},
        {"extra key beside the resize keys, drop snap off", controlOption, all, 0, false, all | Shift,
         nullptr},
        {"extra key beside the resize keys, drop snap on", controlOption, all, 0, true, all | Shift,
         "hover move"},
        {"a drop-snap key that hovers", 0, 0, Shift, true, Shift | Control, "hover move"},
        {"a drop-snap key equal to the resize keys", 0, Shift, Shift, true, Shift, "hover resize"},
        {"caps lock, numeric pad and side bits do not count", controlOption, 0, 0, false,
         controlOption | CapsLock | NumericPad | LeftControl | RightOption, "hover move"},
        {"no hover keys", 0, 0, 0, false, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeController();
        changeFeatures([&](ZRMouseControlFeatures& f) {
            f.hoverMoveModifiers = c.move;
            f.hoverResizeModifiers = c.resize;
            f.dropSnapHoverModifiers = c.dropSnapHover;
            f.dropSnapOn = c.dropSnap;
        });
        parts.calls.clear();
        dispatch(event(TapEventType::MouseMoved, c.flags));
        const QStringList hoverCalls = parts.calls.filter(QStringLiteral("hover"));
        EXPECT_EQ(hoverCalls, c.call ? QStringList{QString::fromUtf8(c.call)} : QStringList{});
    }
}

TEST_F(MouseEventTapCallbackTest, DragThreshold) {
    struct Case {
        QVariant threshold;
        double dx, dy;
        bool beyond;
    };
    for (const Case& c : {Case{{}, 0.3, 0.3, false}, Case{{}, 0.31, 0, true}, Case{{}, 0, -0.31, true},
                          Case{2.0, 1.5, -2.0, false}, Case{2.0, 2.1, 0, true}, Case{0.0, 0.02, 0, true},
                          Case{-1.0, 0.005, 0.005, false}}) {
        SCOPED_TRACE(testing::Message() << c.threshold.toDouble() << " " << c.dx << " " << c.dy);
        set(D::MouseDraggingThreshold, c.threshold);
        EXPECT_EQ(ZRMouseMovedBeyondThreshold(Point(c.dx, c.dy), Point(0, 0), settings()), c.beyond);
    }

    // Drags go by the threshold as it was last set.
    changeFeatures([](ZRMouseControlFeatures& f) { f.snapOn = true; });
    set(D::MouseDraggingThreshold, 5.0);
    dispatch(event(TapEventType::LeftMouseDown, 0, Point(0, 0)));
    parts.calls.clear();
    dispatch(event(TapEventType::LeftMouseDragged, 0, Point(4, 0)));
    EXPECT_TRUE(parts.calls.isEmpty());
    dispatch(event(TapEventType::LeftMouseDragged, 0, Point(0, 5.5)));
    EXPECT_EQ(parts.calls, (QStringList{"status", "update zones", "prepare to snap"}));
}

TEST_F(MouseEventTapCallbackTest, DropSnapModifiersSelectALayout) {
    // In store order: Wide, Tall, Hidden (no windows), Plain (no hot key).
    const auto plain = addLayout(QStringLiteral("Plain"));
    addLayout(QStringLiteral("Hidden"), Control, false);
    const auto tall = addLayout(QStringLiteral("Tall"), Command | NumericPad | LeftCommand);
    const auto wide = addLayout(QStringLiteral("Wide"), Control | Option);
    set(userDefaultNameForDropSnapModifier(Control), tall->uniqueIdentifier());
    set(userDefaultNameForDropSnapModifier(Shift), wide->uniqueIdentifier());
    set(userDefaultNameForDropSnapModifier(Option), plain->uniqueIdentifier());
    set(userDefaultNameForDropSnapModifier(Function), QStringLiteral("no such layout"));

    struct Case {
        const char* name;
        int activation;
        ModifierFlags flags;
        bool always;
        QStringList calls;
        bool answer;
        bool hoverMoving = false;
        bool suppress = false;
    };
    const QStringList none;
    const QStringList wideShown{"show zones Wide", "close menu"};
    const QStringList tallShown{"show zones Tall", "close menu"};
    const QStringList plainShown{"show zones Plain", "close menu"};
    const QStringList noneShown{"show no zones", "close menu"};
    const std::vector<Case> cases{
        {"keys: control", 0, Control, false, tallShown, true},
        {"keys: the first layout of the store among those held", 0, Shift | Control, false, wideShown, true},
        {"keys: a key without a layout", 0, Command, false, none, false},
        {"keys: a key without a layout, always", 0, Command, true, noneShown, true},
        {"keys: an identifier that names nothing", 0, Function, false, none, false},
        {"keys: nothing held, always", 0, 0, true, noneShown, true},
        {"keys: option names a layout without hot key", 0, Option, false, plainShown, true},
        {"hot-key modifiers: exact", 1, Control | Option, false, wideShown, true},
        {"hot-key modifiers: numeric pad and side bits of the hot key do not count", 1, Command, false,
         tallShown, true},
        {"hot-key modifiers: all keys of a hot key held", 1, Control | Option | Shift, false, wideShown,
         true},
        {"hot-key modifiers: a layout without windows is never chosen", 1, Control, false, none, false},
        {"hot key pressed: modifiers alone do nothing", 2, Control | Option, true, none, false},
        {"hover keys held: the extra key selects", 1, Control | Option | Command, false, tallShown, true,
         true, true},
        {"hover keys held, not suppressed: all keys count", 1, Control | Option | Command, false, wideShown,
         true, true, false},
        {"hover keys held by modifier keys", 0, Control | Option | Command, false, none, false, true, true},
        {"hover keys held by modifier keys, not suppressed", 0, Control | Option | Command, false, tallShown,
         true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        makeController();
        changeFeatures([](ZRMouseControlFeatures& f) {
            f.dropSnapOn = true;
            f.hoverMoveModifiers = Control | Option;
        });
        if (c.hoverMoving)
            controller->gestures().hover.noteMoveStep();
        set(D::DropSnapActivation, c.activation);
        set(D::HoverMoveSuppressImplicitDropSnap, c.suppress);
        parts.calls.clear();
        EXPECT_EQ(ZRProcessDropSnapModifiers(*controller, c.flags, c.always), c.answer);
        EXPECT_EQ(parts.calls, c.calls);
    }

    // Zones that cannot be shown leave the keyboard menu alone.
    parts.activates = false;
    parts.calls.clear();
    set(D::DropSnapActivation, 0);
    EXPECT_FALSE(ZRProcessDropSnapModifiers(*controller, Control, false));
    EXPECT_EQ(parts.calls, QStringList{"show zones Tall"});

    // Nothing at all with drop snap off.
    changeFeatures([](ZRMouseControlFeatures& f) { f.dropSnapOn = false; });
    parts.calls.clear();
    EXPECT_FALSE(ZRProcessDropSnapModifiers(*controller, Control, true));
    EXPECT_TRUE(parts.calls.isEmpty());
}

TEST_F(MouseEventTapCallbackTest, ButtonsAndDragsGoToSnappingThePaletteAndTheDropZones) {
    set(D::DropSnapActivation, 0);
    addLayout(QStringLiteral("Wide"));
    set(userDefaultNameForDropSnapModifier(Shift),
        ZRActionManager::actionManager().allActions().front()->uniqueIdentifier());
    // The new layout has the flags recomputed from the settings on the next turn; the features are set after.
    RunLoop::main().runPending();
    changeFeatures([](ZRMouseControlFeatures& f) {
        f.paletteOn = true;
        f.snapOn = true;
        f.snapBackOn = true;
        f.dropSnapOn = true;
    });

    struct Step {
        TapEvent event;
        QStringList calls;
    };
    const std::vector<Step> steps{
        // Plain moves go only to the palette, later.
        {event(TapEventType::MouseMoved, 0, Point(90, 10)), {}},
        {event(TapEventType::LeftMouseDown, 0, Point(100, 10)), {"should hide", "track"}},
        // Not beyond the threshold from where the button went down: nothing for snapping.
        {event(TapEventType::LeftMouseDragged, 0, Point(100.25, 9.75)), {}},
        {event(TapEventType::LeftMouseDragged, 0, Point(100.31, 10)),
         {"status", "update zones", "prepare to snap", "snap back"}},
        // Moving now, a held drop-snap key shows its zones on the way.
        {event(TapEventType::LeftMouseDragged, Shift, Point(120, 10)),
         {"status", "show zones Wide", "close menu", "update zones", "prepare to snap", "snap back"}},
        {event(TapEventType::FlagsChanged, 0, Point(120, 10)), {"show no zones", "close menu"}},
        {event(TapEventType::LeftMouseUp, 0, Point(120, 10)), {"drop snap", "end tracking"}},
        {event(TapEventType::RightMouseDown, 0, Point(120, 10)), {"should hide"}},
        {event(TapEventType::MouseMoved, 0, Point(130, 10)), {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(step.event.type) << " at " << step.event.location.x);
        parts.calls.clear();
        dispatch(step.event);
        EXPECT_EQ(parts.calls, step.calls);
    }
    EXPECT_EQ(snap().lastDragLocation(), Point(120, 10));
    EXPECT_EQ(snap().mouseDownLocation(), Point(100, 10));

    // The clicks outside the palette hid it on a later turn, and cancelled the move it was waiting for.
    parts.calls.clear();
    RunLoop::main().runPending();
    EXPECT_EQ(parts.calls, (QStringList{"hide palette", "hide palette"}));
    RunLoop::main().advance(1);
    EXPECT_EQ(parts.processedLocations, std::vector<Point>{Point(130, 10)});

    // A click inside the palette keeps it.
    parts.hidesOverlay = false;
    parts.calls.clear();
    dispatch(event(TapEventType::RightMouseDown));
    RunLoop::main().advance(1);
    EXPECT_EQ(parts.calls, QStringList{"should hide"});
}

TEST_F(MouseEventTapCallbackTest, NothingForSnappingWhileItsFeaturesAreOff) {
    for (const auto type :
         {TapEventType::LeftMouseDown, TapEventType::LeftMouseDragged, TapEventType::LeftMouseUp,
          TapEventType::MouseMoved, TapEventType::FlagsChanged}) {
        dispatch(event(type, Shift));
        dispatch(event(type, Shift, Point(600, 600)));
    }
    RunLoop::main().advance(1);
    EXPECT_TRUE(parts.calls.isEmpty());
}

// A hover move drags its window for snapping: the first step begins tracking, later steps past the
// threshold snap, and letting go of the keys ends the gesture with a drop.
TEST_F(MouseEventTapCallbackTest, HoverMoveDrivesSnapping) {
    changeFeatures([](ZRMouseControlFeatures& f) {
        f.snapOn = true;
        f.hoverMoveModifiers = Control | Option;
    });
    const ModifierFlags keys = Control | Option;

    dispatch(event(TapEventType::MouseMoved, keys, Point(300, 300)));
    EXPECT_EQ(parts.calls, (QStringList{"hover move", "track"}));
    EXPECT_TRUE(snap().isMoving());
    EXPECT_EQ(snap().mouseDownLocation(), Point(300, 300));

    parts.calls.clear();
    dispatch(event(TapEventType::MouseMoved, keys, Point(340, 300)));
    EXPECT_EQ(parts.calls, (QStringList{"hover move", "status", "update zones", "prepare to snap"}));

    // More keys while moving keep the gesture only when drop snap lets them.
    parts.calls.clear();
    dispatch(event(TapEventType::FlagsChanged, keys | Shift, Point(340, 300)));
    EXPECT_EQ(parts.calls, (QStringList{"drop snap", "end tracking"}));
    EXPECT_FALSE(hover().window());
    EXPECT_FALSE(hover().isMoveInProgress());

    // A hover resize neither tracks nor snaps.
    parts.calls.clear();
    changeFeatures([](ZRMouseControlFeatures& f) { f.hoverResizeModifiers = Control | Option | Command; });
    dispatch(event(TapEventType::MouseMoved, Control | Option | Command, Point(400, 300)));
    dispatch(event(TapEventType::FlagsChanged, 0, Point(400, 300)));
    EXPECT_EQ(parts.calls, QStringList{"hover resize"});
    EXPECT_FALSE(hover().window());
}

TEST_F(MouseEventTapCallbackTest, HoverMoveWithDropSnapKeys) {
    changeFeatures([](ZRMouseControlFeatures& f) {
        f.dropSnapOn = true;
        f.hoverMoveModifiers = Control | Option;
    });
    set(D::DropSnapActivation, 0);
    const auto wide = addLayout(QStringLiteral("Wide"));
    set(userDefaultNameForDropSnapModifier(Shift), wide->uniqueIdentifier());
    const ModifierFlags keys = Control | Option;

    // The window of the gesture is not tracked yet: a selected layout starts tracking.
    parts.snappingTracksWindow = false;
    dispatch(event(TapEventType::MouseMoved, keys));
    parts.snappingTracksWindow = true;
    parts.calls.clear();
    dispatch(event(TapEventType::FlagsChanged, keys | Shift));
    EXPECT_EQ(parts.calls, (QStringList{"show zones Wide", "close menu", "track"}));

    // Tracked already: the zones change, tracking stays.
    parts.calls.clear();
    dispatch(event(TapEventType::FlagsChanged, keys));
    EXPECT_EQ(parts.calls, (QStringList{"show no zones", "close menu"}));
    EXPECT_TRUE(hover().window());
}

TEST_F(MouseEventTapCallbackTest, ModifierChangesAreAnnouncedWhileThePaletteIsOn) {
    std::vector<std::shared_ptr<ZRCGEventWrapper>> wrappers;
    const Connection observation = NotificationCenter::defaultCenter().addObserver(
        ZRModifierFlagsChangedNotification, nullptr, [&](const Notification& notification) {
            wrappers.push_back(std::any_cast<std::shared_ptr<ZRCGEventWrapper>>(notification.object));
        });

    dispatch(event(TapEventType::FlagsChanged, Option));
    EXPECT_TRUE(wrappers.empty());

    changeFeatures([](ZRMouseControlFeatures& f) { f.paletteOn = true; });
    dispatch(event(TapEventType::FlagsChanged, Option | LeftOption));
    dispatch(event(TapEventType::FlagsChanged, 0));
    ASSERT_EQ(wrappers.size(), 2u);
    EXPECT_NE(wrappers[0], wrappers[1]);
    EXPECT_EQ(wrappers[0]->event()->flags, Option | LeftOption);
    EXPECT_FALSE(wrappers[0]->resizes());
    // Flags-changed events go no further.
    RunLoop::main().advance(1);
    EXPECT_TRUE(parts.calls.isEmpty());
}

TEST_F(MouseEventTapCallbackTest, ThePaletteLooksOnlyOnceThePointerRests) {
    changeFeatures([](ZRMouseControlFeatures& f) { f.paletteOn = true; });
    set(D::Delay, 0.5);

    dispatch(event(TapEventType::MouseMoved, 0, Point(10, 10)));
    RunLoop::main().advance(0.25);
    dispatch(event(TapEventType::MouseMoved, 0, Point(20, 10)));
    EXPECT_EQ(RunLoop::main().pendingTimerCount(), 1u) << "one timer for a stream of moves";
    RunLoop::main().advance(0.375);
    EXPECT_TRUE(parts.calls.isEmpty()) << "each move restarts the wait";
    RunLoop::main().advance(0.125);
    EXPECT_EQ(parts.processedLocations, std::vector<Point>{Point(20, 10)});

    // One wrapper carries every move.
    dispatch(event(TapEventType::MouseMoved, 0, Point(30, 10)));
    RunLoop::main().advance(0.5);
    ASSERT_EQ(parts.processedWrappers.size(), 2u);
    EXPECT_EQ(parts.processedWrappers[0], parts.processedWrappers[1]);

    // A shorter delay set during a wait counts from the next move.
    dispatch(event(TapEventType::MouseMoved, 0, Point(35, 10)));
    set(D::Delay, 0.05);
    dispatch(event(TapEventType::MouseMoved, 0, Point(36, 10)));
    RunLoop::main().advance(0.05);
    EXPECT_EQ(parts.processedLocations.back(), Point(36, 10));

    struct Case {
        const char* name;
        QVariant delay;
        int behavior;
        double wait;
    };
    for (const Case& c : {Case{"no delay", 0.0, 0, 0.02}, Case{"a negative delay", -1.0, 0, 0.02},
                          Case{"the zoom-button overlay first", 0.3, 1, 0.02},
                          Case{"a delay above the minimum", 0.05, 0, 0.05}}) {
        SCOPED_TRACE(c.name);
        set(D::Delay, c.delay);
        set(D::ZoomButtonBehavior, c.behavior);
        parts.processedLocations.clear();
        dispatch(event(TapEventType::MouseMoved, 0, Point(40, 10)));
        RunLoop::main().advance(c.wait / 2);
        EXPECT_TRUE(parts.processedLocations.empty());
        RunLoop::main().advance(c.wait);
        EXPECT_EQ(parts.processedLocations.size(), 1u);
    }

    // The settings window's delay reader, once given, decides.
    set(D::ZoomButtonBehavior, 0);
    controller->setDelayReader([](const QString& name) { return name == D::Delay ? 0.5 : 0.0; });
    parts.processedLocations.clear();
    dispatch(event(TapEventType::MouseMoved));
    RunLoop::main().advance(0.25);
    EXPECT_TRUE(parts.processedLocations.empty());
    RunLoop::main().advance(0.5);
    EXPECT_EQ(parts.processedLocations.size(), 1u);

    // The wait also runs while a menu is open.
    RunLoop::main().setCurrentMode(EventTrackingRunLoopMode);
    dispatch(event(TapEventType::MouseMoved));
    RunLoop::main().advance(0.5);
    EXPECT_EQ(parts.processedLocations.size(), 2u);
    RunLoop::main().setCurrentMode(DefaultRunLoopMode);
}

// Events come through the installed tap unchanged.
TEST_F(MouseEventTapCallbackTest, TheTapDeliversToTheCallback) {
    set(D::Snap, true);
    set(userDefaultNameForSnapPosition(3), 12);
    controller->updateFeatureFlagsAndTap();
    desktop.movePointer(Point(200, 200));
    desktop.pressLeftButton();
    desktop.releaseLeftButton();
    EXPECT_EQ(parts.calls, (QStringList{"track", "drop snap", "end tracking"}));
}

} // namespace
