// The keyboard control panel on the simulated desktop: its frame, its closing by itself on the run loop's
// clock, the keys it hands to its delegate, the keyboard it takes and gives back on every way out, and the
// shared focus window it keeps balanced and in step with the controlled window.
#include "KeyboardControlPanelTestSupport.h"

#include "mouse-control/ZRAutoDeactivateInterval.h"
#include "window-access/Coordinates.h"
#include "window-access/WindowObserver.h"

#include <QFontMetricsF>
#include <QTest>
#include <cmath>
#include <limits>

namespace {

const QString ShowCheatSheet = QStringLiteral("Show Cheat Sheet");
const QString HideLogo = QStringLiteral("Hide Keyboard Controls Logo");

TEST_F(KeyboardControlPanelTest, TheFrameHoldsTheLogoAndTheRowsCentredInTheUsableArea) {
    // The usable area less 5 points at top and bottom: (0, 5, 1440, 865); a second screen of odd size
    // shows that offsets are rounded down.
    const std::uint32_t odd = desktop.addScreen(Rect(1440, 0, 1001, 801));
    const auto& names = ZRKeyboardControlPanel::cheatSheetAttributesForAction(true);
    const QFontMetricsF metrics(names.text.font);
    const auto namesHeight = [&](int rows) { return rows * metrics.height() + (rows - 1) * 5.0; };
    const QString longName = QStringLiteral("Move the Window to the Display on the Left of This One");
    const double longWidth =
        std::ceil(metrics.horizontalAdvance(longName)) +
        std::ceil(QFontMetricsF(ZRKeyboardControlPanel::cheatSheetAttributesForAction(false).text.font)
                      .horizontalAdvance(QStringLiteral("\u21e7\u2190"))) +
        23 + 20 + 20 + 40;
    std::vector<ZRKeyboardControlDescription> many;
    for (int i = 0; i < 60; ++i)
        many.push_back(row(QStringLiteral("Row %1").arg(i), QStringLiteral("\u2190")));
    const std::vector<ZRKeyboardControlDescription> three = {
        row("Left", "\u2190"),
        {},
        {QStringLiteral("Close"), QStringLiteral("\u238b"), nullptr, std::nullopt}};

    const struct {
        const char* what;
        std::uint32_t screen;
        std::vector<ZRKeyboardControlDescription> rows;
        bool canControl;
        bool hideLogo;
        double width, height;
    } cases[] = {
        {"the logo alone", screen, {}, false, false, 340, 340},
        {"a hidden logo without a window still shows", screen, {}, false, true, 340, 340},
        {"nothing at all", screen, {}, true, true, 340, 10},
        {"short rows under the logo", screen, three, true, false, 340, 340 + 40 + namesHeight(3) + 40},
        {"short rows alone", screen, three, true, true, 340, 20 + namesHeight(3) + 40},
        {"a long name",
         screen,
         {row(longName, "\u21e7\u2190")},
         true,
         false,
         longWidth,
         340 + 40 + namesHeight(1) + 40},
        {"more rows than fit", screen, many, true, false, 340, 865},
        {"an odd screen", odd, {}, false, false, 340, 340},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        set(HideLogo, c.hideLogo);
        const auto screens = desktop.screens().screens();
        const ScreenInfo& info = screens[c.screen == screen ? 0 : 1];
        const Rect area = info.visibleFrame.insetBy(0, 5);
        const Rect frame = ZRKeyboardControlPanel::frameForScreen(&info, c.rows, c.canControl, settings());
        EXPECT_DOUBLE_EQ(frame.width(), c.width);
        EXPECT_DOUBLE_EQ(frame.height(), c.height);
        EXPECT_EQ(frame.x(), area.x() + std::floor((area.width() - c.width) / 2));
        EXPECT_EQ(frame.y(), c.height < area.height() ? area.y() + std::floor((area.height() - c.height) / 2)
                                                      : area.y());
    }
    EXPECT_EQ(ZRKeyboardControlPanel::namesWidth(),
              std::ceil(metrics.horizontalAdvance(QStringLiteral("Row 59"))))
        << "the names column of the last frame";
    EXPECT_TRUE(ZRKeyboardControlPanel::frameForScreen(nullptr, three, true, settings()).isZero());
}

TEST_F(KeyboardControlPanelTest, IconRowsStandOneLineOfNamesApart) {
    EXPECT_NEAR(ZRKeyboardControlPanel::iconRowPitch(60, 3), 21.67, 0.005);
    EXPECT_EQ(ZRKeyboardControlPanel::iconRowPitch(17, 1), 22);
    EXPECT_EQ(ZRKeyboardControlPanel::iconRowPitch(0, 0), 0) << "no rows, no icons";
}

TEST_F(KeyboardControlPanelTest, ClosesByItselfAfterItsInterval) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        QVariant setting;
        bool cheatSheet;
        bool window;
        double interval;
    } cases[] = {
        {{}, true, true, 9},  {{}, false, true, 3},   {0.2, true, true, 0.5},
        {4, false, true, 4},  {{}, true, false, 1},   {QStringLiteral("soon"), false, true, 3},
        {nan, true, true, 9}, {0.2, false, false, 1},
    };
    makePanel();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting.toString().toStdString() + (c.window ? " window" : " none"));
        set(ZRAutoDeactivateIntervalUserDefaultName, c.setting);
        set(ShowCheatSheet, c.cheatSheet);
        ASSERT_TRUE(panel->activateForWindow(c.window ? editorElement() : nullptr));
        EXPECT_EQ(panel->autoDeactivateInterval(), c.interval);
        RunLoop::main().advance(c.interval - 0.01);
        EXPECT_TRUE(panel->isActive());
        RunLoop::main().advance(0.02);
        EXPECT_FALSE(panel->isActive());
    }
}

// Keyboard control reads the settings it is handed, whatever the program's own say: the cheat sheet's
// closing interval and the logo's place come from the panel's settings.
TEST_F(KeyboardControlPanelTest, ThePanelReadsTheSettingsItIsHandedNotTheProgramsOwn) {
    UserDefaults own(folder.filePath(QStringLiteral("Own Settings.plist")));
    const ZRKeyboardControlContext context{desktop, own, RunLoop::main(),
                                           [this]() -> ZRFocusWindow& { return *focus; },
                                           ZRWindowObserver::defaultObserver()};
    panel = ZRKeyboardControlPanel::overlayPanelWithFrame(context, Rect(), nullptr, {});
    setFadingDuration(panel, 0);
    panel->setDelegate(&delegate);
    const struct {
        bool ownCheatSheet;
        bool ownHideLogo;
        double interval;
        double height;
    } cases[] = {{true, false, 9, ZRKeyboardControlPanel::LogoSide}, {false, true, 3, 10}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ownCheatSheet);
        own.setBool(c.ownCheatSheet, ShowCheatSheet);
        own.setBool(c.ownHideLogo, HideLogo);
        set(ShowCheatSheet, !c.ownCheatSheet);
        set(HideLogo, !c.ownHideLogo);
        ASSERT_TRUE(panel->activateForWindow(editorElement()));
        EXPECT_EQ(panel->autoDeactivateInterval(), c.interval);
        EXPECT_EQ(panel->cocoaFrame().height(), c.height);
        panel->setActive(false);
    }
}

TEST_F(KeyboardControlPanelTest, AKeyPushesTheClosingBackAndOnlyKeysForAWindowReachTheDelegate) {
    set(ShowCheatSheet, false);
    makePanel();
    ASSERT_TRUE(panel->activateForWindow(editorElement()));
    RunLoop::main().advance(2.5);
    desktop.pressKey(Key::RightArrow);
    RunLoop::main().advance(2.9);
    EXPECT_TRUE(panel->isActive()) << "the whole interval from the key";
    RunLoop::main().advance(0.2);
    EXPECT_FALSE(panel->isActive());
    EXPECT_EQ(delegate.keys, std::vector<KeyCode>{Key::RightArrow});

    desktop.pressKey(Key::LeftArrow);
    ASSERT_TRUE(panel->activateForWindow(nullptr));
    EXPECT_TRUE(panelHoldsKeyboard());
    desktop.pressKey(Key::LeftArrow);
    EXPECT_EQ(delegate.keys.size(), 1u) << "keys while closed or without a window are dropped";

    ASSERT_TRUE(panel->activateForWindow(editorElement()));
    delegate.allowsAutoDeactivation = false;
    const int questions = delegate.autoDeactivationQuestions;
    RunLoop::main().advance(3.1);
    EXPECT_TRUE(panel->isActive()) << "the delegate holds it open";
    EXPECT_EQ(delegate.autoDeactivationQuestions, questions + 1);
    delegate.allowsAutoDeactivation = true;
    RunLoop::main().advance(3.1);
    EXPECT_FALSE(panel->isActive());
}

TEST_F(KeyboardControlPanelTest, EveryWayOutGivesTheKeyboardBackAndLeavesTheFocusWindowBalanced) {
    QWidget otherWindow;
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"its interval", [] { RunLoop::main().advance(9.1); }},
        {"the delegate on a key",
         [&] {
             delegate.closesOnKey = true;
             desktop.pressKey(Key::Escape);
             delegate.closesOnKey = false;
         }},
        {"setActive", [&] { panel->setActive(false); }},
        {"quit", [&] { panel->overlayWindowDidDeactivate(panel); }},
        {"a click outside",
         [&] {
             desktop.movePointer(Point(5, 5));
             desktop.pressLeftButton();
             desktop.releaseLeftButton();
         }},
        {"another window of the program",
         [&] {
             otherWindow.show();
             otherWindow.activateWindow();
             EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->isActive(); }, 1000));
             otherWindow.hide();
         }},
        {"a workspace change", [&] { panel->resignKeyWindow(); }},
        {"its end", [&] { delete panel.data(); }},
    };
    // Another user of the focus window keeps it shown throughout.
    focus->setActive(true);
    for (const auto& [way, leave] : ways) {
        SCOPED_TRACE(way);
        if (!panel)
            makePanel();
        ASSERT_TRUE(panel->activateForWindow(editorElement()));
        ASSERT_TRUE(panel->activateForWindow(editorElement())) << "opened again while open";
        ASSERT_TRUE(panelHoldsKeyboard());
        EXPECT_EQ(focusCounter(), 2);
        leave();
        EXPECT_TRUE(!panel || !panel->isActive());
        EXPECT_TRUE(!panel || !panel->isVisible());
        EXPECT_EQ(keyboardHolder(), 0u);
        EXPECT_EQ(focusCounter(), 1);
        if (panel) {
            panel->setActive(false);
            EXPECT_EQ(focusCounter(), 1) << "closing a closed panel changes nothing";
        }
    }
    EXPECT_EQ(delegate.activations.size(), 15u) << "told of each opening and closing, once";

    makePanel();
    ASSERT_TRUE(panel->activateForWindow(editorElement()));
    desktop.movePointer(Point(720, 450));
    desktop.pressLeftButton();
    desktop.releaseLeftButton();
    EXPECT_TRUE(panel->isActive()) << "a click on the panel keeps it";
}

TEST_F(KeyboardControlPanelTest, HiddenForAMomentItStaysActiveAndTakesTheKeysAgainWhenShown) {
    makePanel();
    ASSERT_TRUE(panel->activateForWindow(editorElement()));
    panel->setTemporarilyHidden(true);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(keyboardHolder(), 0u) << "hidden, it gives the keys back";
    panel->resignKeyWindow();
    desktop.movePointer(Point(5, 5));
    desktop.pressLeftButton();
    desktop.releaseLeftButton();
    EXPECT_TRUE(panel->isActive()) << "losing the keys while hidden keeps it";
    panel->setTemporarilyHidden(false);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_TRUE(panelHoldsKeyboard());
    panel->resignKeyWindow();
    EXPECT_FALSE(panel->isActive());
}

TEST_F(KeyboardControlPanelTest, TheFocusWindowFollowsTheControlledWindowWhichGoesAfterTheFade) {
    set(QStringLiteral("Keyboard Controls Grid"), true);
    set(QStringLiteral("Mouse Controls Grid: Full Size: Cover All Displays"), true);
    ZRWindowObserver& observer = ZRWindowObserver::defaultObserver();
    makePanel();
    ASSERT_TRUE(panel->activateForWindow(editorElement()));
    EXPECT_EQ(focus->apertureFrame(), ZRFlipRect(WindowFrame));
    EXPECT_TRUE(focus->coverAllScreens());
    EXPECT_TRUE(focus->displayRegardless()) << "the logo shows";
    editor->setFrame(WindowFrame.offsetBy(30, 20));
    RunLoop::main().runPending();
    EXPECT_EQ(focus->apertureFrame(), ZRFlipRect(WindowFrame.offsetBy(30, 20)));

    SimWindow& other = desktop.addWindow(editor->application(), Rect(900, 100, 300, 300));
    setFadingDuration(panel, 0.15);
    panel->setActive(false);
    ASSERT_TRUE(panel->activateForWindow(elementOf(other))) << "reopened during the fade";
    QTest::qWait(250);
    EXPECT_TRUE(panel->isActive());
    EXPECT_TRUE(AXElementsEqual(panel->controlledWindow(), elementOf(other)));
    EXPECT_EQ(observer.observedWindowCount(), 1u) << "the first window is no longer observed";
    editor->setFrame(WindowFrame);
    RunLoop::main().runPending();
    EXPECT_EQ(focus->apertureFrame(), ZRFlipRect(Rect(900, 100, 300, 300)));

    panel->setActive(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->controlledWindow(); }, 1000)) << "let go after the fade";
    EXPECT_EQ(observer.observedWindowCount(), 0u);
    ASSERT_TRUE(panel->activateForWindow(elementOf(other)));
    delete panel.data();
    EXPECT_EQ(observer.observedWindowCount(), 0u) << "nor after its end";
}

TEST_F(KeyboardControlPanelTest, WithoutAScreenNothingShowsAndNoKeysAreTaken) {
    desktop.removeScreen(screen);
    makePanel();
    EXPECT_FALSE(panel->activateForWindow(editorElement()));
    EXPECT_FALSE(panel->isActive());
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(keyboardHolder(), 0u);
    EXPECT_EQ(focusCounter(), 0);
    EXPECT_TRUE(delegate.activations.empty());
}

TEST_F(KeyboardControlPanelTest, APanelThatCannotHaveTheKeyboardClosesAndBeeps) {
    int beeps = 0;
    makePanel().setBeepHandler([&] { ++beeps; });
    desktop.overlayWindows().setGrabRefusal(GrabStatus::AlreadyGrabbed);
    ASSERT_TRUE(panel->activateForWindow(editorElement()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !panel->isActive(); }, 2000));
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(focusCounter(), 0);
    desktop.overlayWindows().setGrabRefusal(std::nullopt);
}

} // namespace
