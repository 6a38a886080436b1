// The program's overlays, grabs, keys and window-manager moves on the simulated desktop: the same
// contracts the X11 backend keeps, so features built on them are tested without X.
#include "SimTestSupport.h"

#include "platform/EventStream.h"

namespace {

constexpr OwnWindowId Overlay = 7001;
constexpr OwnWindowId Menu = 7002;

class SimOverlayTest : public SimDesktopTest {
protected:
    SimOverlayTest()
        : editor(sim.addApplication("com.example.Editor", "Editor")),
          other(sim.addApplication("com.example.Other", "Other")),
          window(sim.addWindow(editor, Rect(100, 100, 400, 300), "Letter")),
          front(sim.addWindow(other, Rect(600, 100, 300, 300), "Front")) {
        tap = sim.eventStream().install(tapEventMaskBit(TapEventType::KeyDown) |
                                            tapEventMaskBit(TapEventType::KeyUp),
                                        [this](const TapEvent& event) { keys.push_back(event); });
        hotKeyEvents = sim.globalHotKeys().hotKeyEvent.connect([this](const HotKeyEvent&) { ++hotKeys; });
        keysOfOurs = sim.overlayWindows().keyEvent.connect(
            [this](OwnWindowId to, KeyCode key, ModifierFlags, bool pressed) {
                if (pressed)
                    keysOfWindows.push_back({to, key});
            });
        clicks = sim.overlayWindows().leftMouseDown.connect(
            [this](OwnWindowId to, Point) { clicked.push_back(to); });
    }

    void clickAt(Point point) {
        sim.movePointer(point);
        sim.pressLeftButton();
        sim.releaseLeftButton();
    }

    SimApplication& editor;
    SimApplication& other;
    SimWindow& window;
    SimWindow& front;
    std::unique_ptr<EventTap> tap;
    std::vector<TapEvent> keys;
    Connection hotKeyEvents;
    Connection keysOfOurs;
    Connection clicks;
    int hotKeys = 0;
    std::vector<std::pair<OwnWindowId, KeyCode>> keysOfWindows;
    std::vector<OwnWindowId> clicked;
};

TEST_F(SimOverlayTest, OverlaysAreSeenByClicksAloneAndNeverActivate) {
    other.activate();
    sim.overlayWindows().overlayShown(Overlay, Rect(150, 150, 100, 100), false);
    EXPECT_TRUE(sim.overlayWindows().isShown(Overlay));
    EXPECT_EQ(sim.windowServer().windowList().size(), 2u) << "the window list skips it";
    const auto element = sim.accessibility().elementAtPosition({200, 200});
    ASSERT_TRUE(element);
    EXPECT_EQ(element->windowNumber(), window.number()) << "the element under the pointer looks through it";

    clickAt({200, 200});
    EXPECT_EQ(clicked, std::vector{Overlay});
    EXPECT_EQ(sim.workspace().frontmostApplication()->processIdentifier, other.pid())
        << "the window beneath was not activated";

    sim.overlayWindows().overlayShown(Overlay, Rect(150, 150, 100, 100), true);
    clickAt({200, 200});
    EXPECT_EQ(clicked.size(), 1u) << "clicks pass through";
    EXPECT_EQ(sim.workspace().frontmostApplication()->processIdentifier, editor.pid());

    sim.overlayWindows().overlayHidden(Overlay);
    EXPECT_FALSE(sim.overlayWindows().isShown(Overlay));
}

TEST_F(SimOverlayTest, GrabsGoToTheLatestHolderAndBackToTheOneBefore) {
    GrabStatus status = GrabStatus::Granted;
    EXPECT_FALSE(sim.overlayWindows().grabKeyboard(Overlay, &status)) << "not shown yet";
    EXPECT_EQ(status, GrabStatus::NotViewable);

    sim.overlayWindows().overlayShown(Overlay, Rect(0, 0, 10, 10), true);
    sim.overlayWindows().overlayShown(Menu, Rect(0, 0, 10, 10), true);
    auto overlayGrab = sim.overlayWindows().grabKeyboard(Overlay, &status);
    ASSERT_TRUE(overlayGrab);
    EXPECT_EQ(status, GrabStatus::Granted);
    {
        auto menuGrab = sim.overlayWindows().grabKeyboard(Menu);
        ASSERT_TRUE(menuGrab);
        EXPECT_EQ(sim.overlayWindows().keyboardHolder(), Menu);
        auto pointerGrab = sim.overlayWindows().grabPointer(Menu);
        EXPECT_EQ(sim.overlayWindows().pointerHolder(), Menu);
    }
    EXPECT_EQ(sim.overlayWindows().keyboardHolder(), Overlay);
    EXPECT_EQ(sim.overlayWindows().pointerHolder(), 0u);
    overlayGrab.reset();
    EXPECT_EQ(sim.overlayWindows().keyboardHolder(), 0u);

    sim.overlayWindows().setGrabRefusal(GrabStatus::AlreadyGrabbed);
    EXPECT_FALSE(sim.overlayWindows().grabKeyboard(Overlay, &status));
    EXPECT_EQ(status, GrabStatus::AlreadyGrabbed);
    sim.overlayWindows().setGrabRefusal(std::nullopt);

    // The window manager holds both devices while it moves a window.
    sim.beginWindowDrag(window);
    EXPECT_FALSE(sim.overlayWindows().grabKeyboard(Overlay, &status));
    EXPECT_EQ(status, GrabStatus::AlreadyGrabbed);
    sim.releaseLeftButton();
    EXPECT_TRUE(sim.overlayWindows().grabKeyboard(Overlay));
}

TEST_F(SimOverlayTest, KeysReachTheStreamAlwaysThenTheHolderOrTheHotKey) {
    HotKeyReference reference = 0;
    ASSERT_EQ(sim.globalHotKeys().registerHotKey(Key::K, HotKeyModifier::Control, 1, 2, reference),
              HotKeyRegistrationStatus::Success);
    const auto registered =
        sim.globalHotKeys().registeredHotKey(Key::K, ModifierFlag::Control | ModifierFlag::LeftControl);
    ASSERT_TRUE(registered);
    EXPECT_EQ(registered->reference, reference);
    EXPECT_FALSE(sim.globalHotKeys().registeredHotKey(Key::K, ModifierFlag::Shift));
    sim.setModifierFlags(ModifierFlag::Control);

    EXPECT_TRUE(sim.pressKey(Key::K));
    sim.releaseKey(Key::K);
    EXPECT_EQ(hotKeys, 2) << "press and release of the hot key";

    sim.overlayWindows().overlayShown(Overlay, Rect(0, 0, 10, 10), true);
    auto grab = sim.overlayWindows().grabKeyboard(Overlay);
    EXPECT_TRUE(sim.pressKey(Key::K));
    sim.releaseKey(Key::K);
    EXPECT_EQ(hotKeys, 2) << "under the grab the window gets it";
    EXPECT_EQ(keysOfWindows, (std::vector<std::pair<OwnWindowId, KeyCode>>{{Overlay, Key::K}}));
    grab.reset();

    sim.beginWindowDrag(window);
    EXPECT_FALSE(sim.pressKey(Key::Escape)) << "the window manager holds the keyboard";
    sim.releaseKey(Key::Escape);
    EXPECT_FALSE(sim.pressKey(Key::K));
    EXPECT_EQ(hotKeys, 2);
    sim.releaseLeftButton();

    ASSERT_EQ(keys.size(), 7u);
    EXPECT_EQ(keys[4].type, TapEventType::KeyDown);
    EXPECT_EQ(keys[4].keyCode, Key::Escape);
    EXPECT_EQ(keys[5].type, TapEventType::KeyUp);
    EXPECT_EQ(keys[6].flags & ModifierFlag::Control, ModifierFlag::Control);
    EXPECT_TRUE(sim.globalHotKeys().unregisterHotKey(reference));
}

TEST_F(SimOverlayTest, AFrameSetDuringADragStaysOnlyWhenTheMoveIsEndedFirst) {
    sim.setDragRestoresFrames(true);
    const auto element = elementOf(window, sim.accessibility());
    const auto setFrame = [&](const Rect& frame) {
        element->setAttributeValue(AX::Position, frame.origin);
        element->setAttributeValue(AX::SizeAttribute, frame.size);
    };

    sim.beginWindowDrag(window);
    sim.movePointerBy(10, 5);
    setFrame(Rect(0, 0, 800, 500));
    sim.movePointerBy(10, 5);
    EXPECT_EQ(window.serverFrame(), Rect(120, 110, 400, 300)) << "the drag put back its own frame, size too";

    EXPECT_TRUE(sim.windowServer().endWindowManagerMove(window.number()));
    setFrame(Rect(0, 0, 800, 500));
    sim.movePointerBy(10, 5);
    EXPECT_EQ(window.serverFrame(), Rect(0, 0, 800, 500)) << "no move while ended";
    EXPECT_TRUE(
        sim.windowServer().resumeWindowManagerMove(window.number(), sim.inputState().pointerLocation()));
    sim.movePointerBy(30, 20);
    sim.releaseLeftButton();
    EXPECT_EQ(window.serverFrame(), Rect(30, 20, 800, 500));
    EXPECT_EQ(window.frame(), Rect(30, 20, 800, 500));

    EXPECT_FALSE(sim.windowServer().resumeWindowManagerMove(window.number(), {0, 0})) << "the button is up";
    EXPECT_FALSE(sim.windowServer().endWindowManagerMove(front.number())) << "not dragged";
}

} // namespace
