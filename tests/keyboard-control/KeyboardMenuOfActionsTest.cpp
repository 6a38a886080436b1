// The menu of actions: the tree built from the stored actions, and the program on the simulated desktop
// opening it for the "Keyboard Menu" hot key and for several actions on one hot key, with a choice moving
// the frontmost window once the menu has gone; and the snap chooser's menu.
#include "KeyboardMenuTestSupport.h"
#include "MouseControlContext.h"
#include "TestProgram.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "keyboard-control/ZRKeyboardController.h"
#include "mouse-control/ZRMouseControlKeyboardMenu.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRSnapping.h"
#include "shell/ZRMainController.h"

namespace {

using namespace ZRActionKey;

QVariantMap hotKey(KeyCode keyCode) {
    return {{QStringLiteral("Key Code"), keyCode},
            {QStringLiteral("Modifier Flags"), qint64(ModifierFlag::Shift | ModifierFlag::Control)}};
}

QVariantMap record(ZRActionType type, const QString& title = {}, QVariantMap more = {}) {
    more.insert(Action, qint64(type));
    if (!title.isEmpty())
        more.insert(Title, title);
    return more;
}

// The rows under the item: "-" a separator, "#" a label, "*" the selected row, members in brackets.
QString rows(const ZRKeyboardMenuItem& item) {
    QStringList list;
    for (const auto& child : item.children()) {
        QString row = child->isSeparator() ? QStringLiteral("-") : child->title() + child->suffix();
        if (!child->isEntry() && !child->isSeparator())
            row.prepend(u'#');
        if (child->isSelected())
            row.prepend(u'*');
        if (!child->children().empty())
            row += u'[' + rows(*child) + u']';
        list << row;
    }
    return list.join(QStringLiteral(", "));
}

// A settings window that counts how often it is shown.
class SettingsArea : public ZRApplicationArea {
public:
    explicit SettingsArea(int* shown) : m_shown(shown) {}
    bool hasSettingsWindow() const override { return true; }
    bool showSettingsWindow() override { return ++*m_shown; }

private:
    int* m_shown;
};

// The program launched with the actions and areas of a test, the frontmost application's window at a
// known frame, and the program's application object handing it the hot keys.
class MenuOfActionsTest : public KeyboardMenuTest {
protected:
    static constexpr KeyCode MenuKey = Key::F5;
    static constexpr KeyCode SharedKey = Key::K;
    static constexpr Rect WindowFrame{300, 100, 400, 300};

    std::optional<TestProgram> program;

    void SetUp() override {
        KeyboardMenuTest::SetUp();
        program.emplace(settings(), desktop);
        window = &desktop.addWindow(desktop.addApplication(QStringLiteral("com.example.editor"), "Editor"),
                                    WindowFrame);
    }
    void TearDown() override {
        listening.disconnect();
        testApplication<ZRHotKeyHandlerApplication>().setHotKeyHandler(nullptr);
        program.reset();
        KeyboardMenuTest::TearDown();
    }

    void launch(const QVariantList& actions) {
        set(QStringLiteral("Custom Controls (4001)"), actions);
        set(QStringLiteral("Keyboard Menu"), hotKey(MenuKey));
        ZRMainController& controller = program->controller();
        controller.addArea(std::make_unique<ZRKeyboardController>(
            controller, program->store(), *keyboardControlContext(desktop, settings())));
        controller.addArea(std::make_unique<SettingsArea>(&settingsShown));
        controller.applicationWillFinishLaunching();
        controller.applicationDidFinishLaunching();
        auto& application = testApplication<ZRHotKeyHandlerApplication>();
        listening = application.listenToDesktop(desktop, settings());
        application.setHotKeyHandler(&controller);
        RunLoop::main().runPending();
        settingsShown = 0;
    }
    // Pressed as the user does, with Control and Shift.
    void press(KeyCode keyCode, ModifierFlags flags = ModifierFlag::Shift | ModifierFlag::Control) {
        desktop.setModifierFlags(flags);
        desktop.pressKey(keyCode);
        desktop.releaseKey(keyCode);
        desktop.setModifierFlags(0);
        RunLoop::main().advance(0.1);
    }

    SimWindow* window = nullptr;
    int settingsShown = 0;
    // The desktop's hot keys reach the program until the test ends.
    Connection listening;
};

TEST_F(MenuOfActionsTest, TheTreeShowsEveryActionButHiddenOnesAndPreselectsEachLevel) {
    const QVariantList records = {
        record(ZRActionTypeMenuHeader, "Header"),
        record(ZRActionTypeSeparator),
        record(ZRActionTypeMove, "Mine"),
        record(ZRActionTypeMove),
        record(ZRActionTypeHalf, ".Hidden"),
        record(ZRActionTypeFolder, "Empty Folder"),
        record(ZRActionTypeFolder, "Chain",
               {{Chain, true}, {Children, QVariantList{record(ZRActionTypeFill)}}}),
        record(ZRActionTypeFolder, "Folder",
               {{Children, QVariantList{record(ZRActionTypeSeparator), record(ZRActionTypeCenter)}}}),
    };
    const auto actions = ZRAction::actionsFromCollection(records, false);
    const ZRKeyboardController keyboard(program->controller(), program->store(), *keyboardControl);
    const struct {
        bool userDefinedSuffix;
        bool hideChained;
        const char* rows;
    } cases[] = {
        {false, false,
         "#Header, -, *Mine, Move Left \u2014 10 px, Empty Folder[#Empty], Chain[*Fill], Folder[-, *Center]"},
        {true, true,
         "#Header, -, *Mine \u2014 10 px, Move Left \u2014 10 px, Empty Folder[#Empty], Chain, Folder[-, "
         "*Center]"},
    };
    for (const auto& c : cases) {
        set(QStringLiteral("Custom Control Titles: Include Suffix"), true);
        set(QStringLiteral("Custom Control Titles: User-Defined: Include Suffix"), c.userDefinedSuffix);
        set(QStringLiteral("Keyboard Menu: Hide Chained Items"), c.hideChained);
        const auto menu = keyboard.menuOfActions(actions.back(), actions, "Skaf", LineHeight);
        EXPECT_EQ(rows(*menu.root), QString::fromUtf8(c.rows));
        EXPECT_EQ(menu.entry->title(), "Folder") << "a folder's hot key opens its level";
        const ZRKeyboardMenuItem& chain = *menu.root->children()[5];
        EXPECT_TRUE(chain.action()) << "a chain runs as a whole";
        EXPECT_EQ(chain.image().size(), QSize(34, 32));
    }
}

TEST_F(MenuOfActionsTest,
       TwoActionsOnOneHotKeyAreOfferedTheChoiceRunsAfterTheCloseAndTheCommaShowsTheSettings) {
    launch({record(ZRActionTypeHalf, "Left", {{MoveDirection, 9}, {HotKey, hotKey(SharedKey)}}),
            record(ZRActionTypeFill, "Fill", {{HotKey, hotKey(SharedKey)}})});
    press(SharedKey);
    ASSERT_TRUE(ZRKeyboardMenu::isVisible()) << "several actions on one hot key offer a choice";
    EXPECT_EQ(rows(*menu().currentParent()), "*Left, Fill");
    EXPECT_NE(menu().currentParent()->title(), "Skaf");
    for (const KeyCode key : {Key::DownArrow, Key::Return}) {
        desktop.pressKey(key);
        desktop.releaseKey(key);
    }
    EXPECT_FALSE(ZRKeyboardMenu::isVisible());
    EXPECT_EQ(keyboardHolder(), 0u);
    EXPECT_EQ(window->frame(), WindowFrame) << "the action waits for the next turn";
    RunLoop::main().runPending();
    EXPECT_EQ(window->frame().origin, Point(0, 20)) << "filled the usable area";

    window->setFrame(WindowFrame);
    press(SharedKey);
    desktop.pressKey(Key::Return);
    program->store().populateWithSourceListItems({});
    RunLoop::main().runPending();
    desktop.releaseKey(Key::Return);
    EXPECT_EQ(window->frame(), WindowFrame) << "the action went before its turn";

    press(MenuKey);
    ASSERT_TRUE(ZRKeyboardMenu::isVisible());
    QTest::keyClick(&menu(), ',');
    EXPECT_EQ(settingsShown, 1);
    EXPECT_FALSE(ZRKeyboardMenu::isVisible()) << "the settings window takes the keys the menu let go of";
    EXPECT_EQ(keyboardHolder(), 0u);
}

TEST_F(MenuOfActionsTest, TheMenuOpensOnTheScreenUnderThePointerAnEdgeBelongingToOne) {
    const Rect right(1000, 0, 800, 500);
    desktop.addScreen(right);
    launch({record(ZRActionTypeFill)});
    const struct {
        Point pointer;
        Rect screen;
    } cases[] = {{{1000, 0}, right}, {{999, 499}, Screen}, {{1799, 250}, right}, {{2400, 10}, Screen}};
    for (const auto& c : cases) {
        desktop.movePointer(c.pointer);
        press(MenuKey);
        ASSERT_TRUE(ZRKeyboardMenu::isVisible());
        const Rect frame = menu().cocoaFrame();
        EXPECT_TRUE(c.screen.contains(frame)) << c.pointer.x << "," << c.pointer.y;
        ZRKeyboardMenu::close();
    }
}

TEST_F(MenuOfActionsTest, TheSnapChooserShowsItsEntriesWithoutTakingTheKeys) {
    launch({});
    ZRMouseControlKeyboardMenu& chooser = *program->controller().area<ZRKeyboardController>();
    const ScreenInfo info = desktop.screens().screens().front();
    ASSERT_TRUE(chooser.popUpWithEntryItem({"Layouts", {{"One", {}}, {"Two", {}}}}, info, false, nullptr));
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_EQ(keyboardHolder(), 0u) << "the window manager holds the keys during a drag";
    EXPECT_TRUE(chooser.selectItemAtIndex(1));
    EXPECT_FALSE(chooser.selectItemAtIndex(2));
    key(Qt::Key_Return);
    EXPECT_EQ(selectedTitle(), "Two") << "choosing an entry of the chooser does nothing";
    chooser.close();
    EXPECT_FALSE(chooser.isVisible());
}

// While the chooser shows, the bands along the edges are as deep as the corners reach, so the pointer can
// move along the chooser's entries away from the edge; once it has closed, the same place is no zone.
TEST_F(MenuOfActionsTest, TheSnapChooserDeepensTheBandsWhileItShows) {
    set(QStringLiteral("Snap"), true);
    ZRMainController& controller = program->controller();
    controller.addArea(std::make_unique<ZRMouseController>(mouseControlContext(settings())));
    launch({});
    auto folder = ZRAction::actionWithType(ZRActionTypeFolder);
    std::vector<std::shared_ptr<ZRAction>> members;
    for (const Rect relative : {Rect(0, 0, 0.25, 1), Rect(0.25, 0, 0.5, 1), Rect(0.75, 0, 0.25, 1)}) {
        members.push_back(ZRAction::actionWithType(ZRActionTypeMoveAndResize));
        members.back()->setRelativeFrame(relative);
    }
    folder->setChildren(members);
    program->store().insertAction(folder);
    set(QStringLiteral("Snap: 3"), QString(u'=' + folder->uniqueIdentifier()));

    auto& snapping = static_cast<ZRSnapping&>(controller.area<ZRMouseController>()->snapping());
    ZRMouseControlKeyboardMenu& menu = *controller.area<ZRKeyboardController>();
    desktop.beginWindowDrag(*window);
    for (const Point to : {Point(600, 60), Point(700, 30), Point(700, 2)}) {
        desktop.movePointer(to);
        RunLoop::main().runPending();
    }
    const Rect middle = snapping.snapFrameAtCurrentMouseLocation(false, false, nullptr);
    ASSERT_FALSE(middle.isEmpty()) << "the middle member, in the top band";
    ASSERT_TRUE(menu.isVisible()) << "the chooser shows the folder's members";

    desktop.movePointer({700, 60});
    EXPECT_EQ(snapping.snapFrameAtCurrentMouseLocation(false, false, nullptr), middle)
        << "60 points below the edge, within the corners' reach of 100";
    menu.close();
    EXPECT_TRUE(snapping.snapFrameAtCurrentMouseLocation(false, false, nullptr).isEmpty())
        << "the band is 15 points deep again";
    desktop.releaseLeftButton();
    RunLoop::main().runPending();
}

} // namespace
