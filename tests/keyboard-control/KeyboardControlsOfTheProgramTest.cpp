// The keyboard control panel in the program on the simulated desktop: the "Keyboard Controls" hot key opens
// it over the frontmost window, the key map and local hot keys act on that window only while it is open, a
// key the program's hot-key path takes still keeps it open; and pictures of it as the user sees it, kept in
// build/screenshots.
#include "KeyboardControlPanelTestSupport.h"
#include "Printers.h"
#include "ScreenPixels.h"
#include "TestProgram.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRActionManager.h"
#include "keyboard-control/ZRKeyboardController.h"
#include "shell/ZRMainController.h"
#include "window-access/WindowAccessDefaults.h"

#include <QFontMetricsF>
#include <QPalette>
#include <algorithm>

namespace {

using namespace ZRActionKey;

constexpr KeyCode KeyboardControlsKey = Key::F5;
constexpr ModifierFlags HotKeyModifiers = ModifierFlag::Shift | ModifierFlag::Control;

QVariantMap hotKey(KeyCode keyCode, ModifierFlags flags) {
    return {{QStringLiteral("Key Code"), keyCode}, {QStringLiteral("Modifier Flags"), qint64(flags)}};
}

// The program launched with its keyboard control area, a centre action on the plain C (a local hot key)
// and a fill action on Control-Shift-F.
class KeyboardControlsOfTheProgramTest : public KeyboardControlPanelTest {
protected:
    std::optional<TestProgram> program;

    void SetUp() override {
        KeyboardControlPanelTest::SetUp();
        program.emplace(settings(), desktop);
        set(QStringLiteral("Custom Controls (4001)"),
            QVariantList{
                QVariantMap{{Action, qint64(ZRActionTypeCenter)}, {HotKey, hotKey(Key::C, 0)}},
                QVariantMap{{Action, qint64(ZRActionTypeFill)}, {HotKey, hotKey(Key::F, HotKeyModifiers)}}});
        set(QStringLiteral("Keyboard Controls"), hotKey(KeyboardControlsKey, HotKeyModifiers));
        set(QStringLiteral("Show Cheat Sheet"), false);
        ZRMainController& controller = program->controller();
        controller.addArea(
            std::make_unique<ZRKeyboardController>(controller, program->store(), keyboardControl()));
        controller.applicationWillFinishLaunching();
        controller.applicationDidFinishLaunching();
        auto& application = testApplication<ZRHotKeyHandlerApplication>();
        listening = application.listenToDesktop(desktop, settings());
        application.setHotKeyHandler(&controller);
        RunLoop::main().runPending();
        panel = &controller.area<ZRKeyboardController>()->keyboardControlPanel();
        setFadingDuration(panel, 0);
    }
    void TearDown() override {
        listening.disconnect();
        testApplication<ZRHotKeyHandlerApplication>().setHotKeyHandler(nullptr);
        program.reset();
        KeyboardControlPanelTest::TearDown();
    }

    void press(KeyCode keyCode, ModifierFlags flags = 0) {
        desktop.setModifierFlags(flags);
        desktop.pressKey(keyCode);
        desktop.releaseKey(keyCode);
        desktop.setModifierFlags(0);
        RunLoop::main().runPending();
    }
    void openPanel() { press(KeyboardControlsKey, HotKeyModifiers); }
    // The desktop's hot keys reach the program until the test ends.
    Connection listening;
};

TEST_F(KeyboardControlsOfTheProgramTest, TheHotKeyOpensThePanelWhoseKeysMoveTheFrontmostWindow) {
    press(Key::C);
    EXPECT_EQ(editor->frame(), WindowFrame) << "a local hot key does nothing while the panel is closed";

    openPanel();
    ASSERT_TRUE(panel->isActive());
    EXPECT_TRUE(AXElementsEqual(panel->controlledWindow(), editorElement()));
    EXPECT_TRUE(panelHoldsKeyboard());
    EXPECT_EQ(focus->activeCounter(), 1);

    press(Key::RightArrow);
    EXPECT_GT(editor->frame().x(), WindowFrame.x()) << "the key map moves the window";
    press(Key::C);
    EXPECT_NEAR(editor->frame().midX(), Screen.midX(), 1) << "the local hot key centres it";

    // Taken by the program's hot-key path before the panel sees it, the key still keeps the panel open.
    RunLoop::main().advance(2.5);
    editor->setFrame(WindowFrame);
    press(Key::C);
    EXPECT_NE(editor->frame(), WindowFrame);
    RunLoop::main().advance(2.9);
    EXPECT_TRUE(panel->isActive());
    RunLoop::main().advance(0.2);
    EXPECT_FALSE(panel->isActive());
    EXPECT_EQ(keyboardHolder(), 0u);

    editor->setFrame(WindowFrame);
    press(Key::C);
    EXPECT_EQ(editor->frame(), WindowFrame) << "closed, the local hot key is gone again";

    openPanel();
    ASSERT_TRUE(panel->isActive());
    press(Key::Escape);
    EXPECT_FALSE(panel->isActive());
    EXPECT_EQ(keyboardHolder(), 0u);
    EXPECT_EQ(focus->activeCounter(), 0);
}

TEST_F(KeyboardControlsOfTheProgramTest, AFullScreenWindowThatMayNotBeControlledShowsWhy) {
    editor->setFullScreen(true);
    openPanel();
    ASSERT_TRUE(panel->isActive());
    EXPECT_FALSE(panel->controlledWindow());
    EXPECT_TRUE(panel->uncontrollableWindowDescription().contains("Control Full Screen Windows"));
    EXPECT_TRUE(panel->keyboardControlDescriptions().empty());
    RunLoop::main().advance(1.1);
    EXPECT_FALSE(panel->isActive()) << "a second without a window";
}

// The "Key Control: …" settings of the Keyboard pane: each key does what its selector chose, in the
// arrow's direction; 0, or a type the key cannot take, keeps the built-in key.
TEST_F(KeyboardControlsOfTheProgramTest, TheKeySelectorsChooseWhatTheKeysDoToTheWindow) {
    const Rect usable{0, 25, 1440, 875}; // Quartz
    using Check = std::function<bool(const Rect& frame)>;
    const Check unmoved = [](const Rect& f) { return f == WindowFrame; };
    const Check movedRight = [](const Rect& f) {
        return f.x() > WindowFrame.x() && f.size == WindowFrame.size;
    };
    const Check movedDown = [](const Rect& f) {
        return f.y() > WindowFrame.y() && f.size == WindowFrame.size;
    };
    const Check grownRight = [](const Rect& f) {
        return f.x() == WindowFrame.x() && f.width() > WindowFrame.width();
    };
    const Check shrunk = [](const Rect& f) { return f.width() < WindowFrame.width(); };
    const Check leftHalf = [&](const Rect& f) {
        return f.x() == usable.x() && std::abs(f.width() - usable.width() / 2) <= 1 &&
               f.height() == usable.height();
    };
    const Check topHalf = [&](const Rect& f) {
        return f.y() == usable.y() && std::abs(f.height() - usable.height() / 2) <= 1 &&
               f.width() == usable.width();
    };
    const Check atRightEdge = [&](const Rect& f) {
        return std::abs(f.maxX() - usable.maxX()) <= 1 && f.y() == WindowFrame.y();
    };
    const Check filled = [&](const Rect& f) { return f == usable; };
    const Check centred = [](const Rect& f) { return std::abs(f.midX() - Screen.midX()) <= 1; };

    struct Case {
        const char* key;
        qint64 type;
        KeyCode press;
        ModifierFlags modifiers;
        Check frame;
        bool staysOpen;
    };
    const Case cases[] = {
        {"Key Control: Arrow", 0, Key::RightArrow, 0, movedRight, true},
        {"Key Control: Arrow", ZRActionTypeGrow, Key::RightArrow, 0, grownRight, true},
        {"Key Control: Arrow", ZRActionTypeHalf, Key::LeftArrow, 0, leftHalf, true},
        {"Key Control: Arrow", ZRActionTypeMoveToEdgeOrCorner, Key::RightArrow, 0, atRightEdge, true},
        {"Key Control: Arrow", ZRActionTypeFill, Key::RightArrow, 0, movedRight, true}, // not offered
        {"Key Control: Arrow: Command", 0, Key::RightArrow, ModifierFlag::Command, unmoved, true},
        {"Key Control: Arrow: Command", ZRActionTypeShrink, Key::RightArrow, ModifierFlag::Command, shrunk,
         true},
        {"Key Control: Arrow: Option", ZRActionTypeMove, Key::DownArrow, ModifierFlag::Option, movedDown,
         true},
        {"Key Control: Arrow: Control", ZRActionTypeHalf, Key::UpArrow, ModifierFlag::Control, topHalf, true},
        {"Key Control: Return", 0, Key::Return, 0, unmoved, false},
        {"Key Control: Return", ZRActionTypeFill, Key::Return, 0, filled, true},
        {"Key Control: Space", 0, Key::Space, 0, unmoved, true},
        {"Key Control: Space", ZRActionTypeCenterGeometrically, Key::Space, 0, centred, true},
        {"Key Control: Tab", ZRActionTypeZoomToFit, Key::Tab, 0, filled, true},
        {"Key Control: Escape", ZRActionTypeCenter, Key::Escape, 0, centred, true},
        {"Key Control: Escape", ZRActionTypeLayout, Key::Escape, 0, unmoved, false}, // not offered
    };
    for (const Case& c : cases) {
        const QString what = QStringLiteral("%1 = %2").arg(QLatin1String(c.key)).arg(c.type);
        SCOPED_TRACE(what.toStdString());
        editor->setFrame(WindowFrame);
        set(QLatin1String(c.key), c.type);
        openPanel();
        ASSERT_TRUE(panel->isActive());
        press(c.press, c.modifiers);
        EXPECT_TRUE(c.frame(editor->frame())) << ::testing::PrintToString(editor->frame());
        EXPECT_EQ(panel->isActive(), c.staysOpen);
        panel->setActive(false);
        set(QLatin1String(c.key), 0);
    }
    EXPECT_TRUE(
        logged(QStringLiteral("cannot give keyboard controls action type 11 of \"Key Control: Arrow\"")));

    // Shift keeps the arrows' other display whatever the plain arrows do, and the cheat sheet lists the
    // keys as chosen.
    set(QStringLiteral("Key Control: Arrow"), qint64(ZRActionTypeGrow));
    const auto& map = program->controller().actions().keyboardControlKeyMap();
    KeyEvent shiftRight;
    shiftRight.type = KeyEventType::KeyDown;
    shiftRight.keyCode = Key::RightArrow;
    shiftRight.modifierFlags = ModifierFlag::Shift;
    ASSERT_TRUE(map.entryForEvent(shiftRight));
    EXPECT_EQ(map.entryForEvent(shiftRight)->action->actionType(), ZRActionTypeMoveToOtherDisplay);
    const auto rows = program->controller().cheatSheetDescriptions();
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                            [](const auto& row) { return row.action == std::optional(ZRActionTypeGrow); }),
              4);
}

// "Dismiss After Moving", "… Filling" and "… Other": the panel closes after a key that performed an action
// of that kind on its window, the key map's and the hot keys' alike; a key that did nothing keeps it.
TEST_F(KeyboardControlsOfTheProgramTest, TheDismissSettingsCloseThePanelAfterTheirKindOfAction) {
    set(QStringLiteral("Key Control: Return"), qint64(ZRActionTypeFill));
    struct Case {
        const char* setting;
        KeyCode press;
        ModifierFlags modifiers;
        bool closes;
    };
    const Case cases[] = {
        {"Dismiss After Moving", Key::RightArrow, 0, true},
        {"Dismiss After Moving", Key::Return, 0, false},
        {"Dismiss After Filling", Key::Return, 0, true},
        {"Dismiss After Filling", Key::F, HotKeyModifiers, true}, // the fill action's hot key
        {"Dismiss After Filling", Key::C, 0, false},
        {"Dismiss After Other", Key::C, 0, true}, // the centre action's local hot key
        {"Dismiss After Other", Key::RightArrow, 0, false},
        {"Dismiss After Other", Key::Space, 0, false}, // no action on Space
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.setting) + " " + std::to_string(c.press));
        editor->setFrame(WindowFrame);
        set(QLatin1String(c.setting), true);
        openPanel();
        ASSERT_TRUE(panel->isActive());
        press(c.press, c.modifiers);
        EXPECT_NE(panel->isActive(), c.closes);
        if (c.closes) {
            EXPECT_EQ(keyboardHolder(), 0u);
            EXPECT_EQ(focus->activeCounter(), 0);
        }
        panel->setActive(false);
        set(QLatin1String(c.setting), false);
    }
}

// --- Pictures

class KeyboardControlPanelPicturesTest : public KeyboardControlsOfTheProgramTest {
protected:
    void SetUp() override {
        KeyboardControlsOfTheProgramTest::SetUp();
        desktop.screens().setCompositingActive(true);
        set(QStringLiteral("Show Cheat Sheet"), true);
    }

    QImage picture(const QString& name) {
        const QImage image = panel->grab().toImage();
        saveScreenshot(image, QStringLiteral("keyboard-control-panel-") + name);
        return image;
    }
    void setDark(bool dark) {
        QPalette palette = QApplication::palette();
        if (dark) {
            palette.setColor(QPalette::Window, QColor(40, 40, 40));
            palette.setColor(QPalette::WindowText, Qt::white);
        }
        panel->setPalette(palette);
    }
    static bool isSheet(QColor color) { return color.red() > color.blue() + 40 && color.alpha() > 200; }
    static bool isClear(QColor color) { return color.alpha() == 0; }
};

TEST_F(KeyboardControlPanelPicturesTest, TheCheatSheetListsTheKeysBelowTheLogoInBothThemes) {
    int heightWithLogo = 0;
    for (const bool dark : {false, true}) {
        setDark(dark);
        openPanel();
        ASSERT_TRUE(panel->isActive());
        const QImage image =
            picture(dark ? QStringLiteral("cheat-sheet-dark") : QStringLiteral("cheat-sheet"));
        const int middle = image.width() / 2;
        EXPECT_TRUE(isClear(image.pixelColor(2, 2))) << "the corner lies outside the logo's shape";
        EXPECT_FALSE(isClear(image.pixelColor(middle, 170))) << "the logo";
        EXPECT_FALSE(isClear(image.pixelColor(middle, 3))) << "the arrow head at the top";
        if (!dark) {
            EXPECT_TRUE(isSheet(image.pixelColor(15, 375))) << "the sheet's colour";
        }
        EXPECT_GT(panel->keyboardControlDescriptions().size(), 10u);
        heightWithLogo = image.height();
        press(Key::Escape);
    }

    set(QStringLiteral("Hide Keyboard Controls Logo"), true);
    setDark(false);
    openPanel();
    const QImage image = picture(QStringLiteral("cheat-sheet-without-logo"));
    EXPECT_EQ(image.height(), heightWithLogo - 340 - 20) << "no room for the logo, a smaller gap";
    EXPECT_TRUE(isSheet(image.pixelColor(15, 15)));
    // The first row, "Move Left", has an icon 10 points left of the names column.
    const int iconRight = int(image.width() - 30 - ZRKeyboardControlPanel::namesWidth() - 10);
    bool iconDrawn = false;
    for (int x = iconRight - 23; x < iconRight; ++x)
        for (int y = 30; y < 46; ++y)
            iconDrawn = iconDrawn || !isSheet(image.pixelColor(x, y));
    EXPECT_TRUE(iconDrawn) << "the first row's icon";

    // Each key stands on its name's line, also after the empty line between the key map and the hot keys.
    const auto& rows = panel->keyboardControlDescriptions();
    const auto empty =
        std::find_if(rows.begin(), rows.end(), [](const auto& row) { return !row.actionName; });
    ASSERT_NE(empty, rows.end());
    const int emptyLine = int(empty - rows.begin());
    const QFontMetricsF metrics(ZRKeyboardControlPanel::cheatSheetAttributesForAction(true).text.font);
    const auto inked = [&](int line, int fromX, int toX) {
        const int top = int(30 + line * (metrics.height() + 5));
        for (int x = fromX; x < toX; ++x)
            for (int y = top + 2; y < top + int(metrics.height()) - 2; ++y)
                if (!isSheet(image.pixelColor(x, y)))
                    return true;
        return false;
    };
    const int shortcutsRight = iconRight - 23 - 10;
    EXPECT_FALSE(inked(emptyLine, 30, image.width() - 30)) << "the empty line stays empty";
    EXPECT_TRUE(inked(emptyLine + 1, 30, shortcutsRight)) << "the next row's key";
}

TEST_F(KeyboardControlPanelPicturesTest, WithoutAWindowToControlItShowsANoEntrySignOrTheReasonInRed) {
    editor->setFullScreen(true);
    openPanel();
    ASSERT_FALSE(panel->controlledWindow());
    const QImage sign = picture(QStringLiteral("no-entry"));
    ASSERT_EQ(sign.size(), QSize(340, 340));
    // The circle's rectangle: the logo inset by 96.2, then by a fifth of its side (29): 125.2 to 214.8.
    const QColor stroke = sign.pixelColor(170, 126);
    const QColor diagonal = sign.pixelColor(185, 185);
    const QColor background = sign.pixelColor(190, 150);
    EXPECT_EQ(stroke.red(), 204) << "white 0.8";
    EXPECT_EQ(diagonal.red(), 204);
    EXPECT_GT(background.red(), 225) << "off the diagonal";
    press(Key::Escape);
    RunLoop::main().advance(1.1);

    set(QString::fromUtf16(ZRDebugLogUserDefaultName), true);
    openPanel();
    const QImage reason = picture(QStringLiteral("reason-in-red"));
    int red = 0;
    for (int y = 96; y < 244; ++y)
        for (int x = 96; x < 244; ++x) {
            const QColor color = reason.pixelColor(x, y);
            red += color.red() > 200 && color.green() < 140 && color.blue() < 140;
        }
    EXPECT_GT(red, 20) << "the reason in the system's red";
}

} // namespace
