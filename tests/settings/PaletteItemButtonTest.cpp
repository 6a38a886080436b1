#include "SettingsTestSupport.h"

#include "settings/ZRPaletteItemButton.h"
#include "window-access/Position.h"

#include <QEnterEvent>
#include <QMenu>
#include <QTest>

namespace {

// A button whose action's menu comes back empty.
class EmptyMenuButton : public ZRPaletteItemButton {
public:
    using ZRPaletteItemButton::ZRPaletteItemButton;

protected:
    QMenu* newMenu() override { return new QMenu; }
};

class PaletteItemButtonTest : public SettingsTest {
protected:
    PaletteItemButtonTest() { launchesOnSetUp = false; }
    void SetUp() override {
        SettingsTest::SetUp();
        auto& editor = desktop.addApplication(QStringLiteral("org.example.Editor"), QStringLiteral("Editor"));
        window = &desktop.addWindow(editor, Rect(100, 100, 400, 300));
        launch();
    }
    void TearDown() override {
        button.reset();
        SettingsTest::TearDown();
    }

    template <typename Button = ZRPaletteItemButton> std::unique_ptr<ZRPaletteItemButton> newButton() {
        return std::make_unique<Button>(controller(), defaults(), RunLoop::main());
    }
    // A shown button of an action that moves the window right by 10 points, or of the action given.
    ZRPaletteItemButton& makeButton(std::shared_ptr<ZRAction> action = nullptr,
                                    std::unique_ptr<ZRPaletteItemButton> made = nullptr) {
        if (!action) {
            action = ZRAction::actionWithType(ZRActionTypeMove);
            action->setMoveDirection(ZRPositionRight);
            action->setMoveDelta(10);
        }
        button = made ? std::move(made) : newButton();
        button->setPaletteAction(action);
        button->setGeometry(0, 0, 30, 30);
        button->show();
        return *button;
    }
    double moved() const { return window->frame().x() - 100; }
    void press() { QTest::mousePress(button.get(), Qt::LeftButton, {}, QPoint(15, 15)); }
    void release() { QTest::mouseRelease(button.get(), Qt::LeftButton, {}, QPoint(15, 15)); }
    void settle() {
        RunLoop::main().runPending();
        QApplication::processEvents();
    }

    SimWindow* window = nullptr;
    std::unique_ptr<ZRPaletteItemButton> button;
};

TEST_F(PaletteItemButtonTest, AQuickClickTriggersOnceAndAHeldPressShowsTheMenuOnly) {
    makeButton();
    press();
    RunLoop::main().advance(0.4);
    release();
    settle();
    EXPECT_EQ(moved(), 10);
    EXPECT_FALSE(ZRPaletteItemButton::showsMenu());

    press();
    RunLoop::main().advance(0.6);
    ASSERT_NE(button->shownMenu(), nullptr);
    EXPECT_TRUE(button->shownMenu()->isVisible());
    EXPECT_TRUE(ZRPaletteItemButton::showsMenu());
    release();
    settle();
    EXPECT_EQ(moved(), 10) << "the held press triggered nothing";
    button->shownMenu()->close();
    EXPECT_FALSE(ZRPaletteItemButton::showsMenu());
}

TEST_F(PaletteItemButtonTest, APlainFolderOpensOnThePressAndAChainWaits) {
    auto folder = ZRAction::actionWithType(ZRActionTypeFolder);
    folder->setChildren({ZRAction::actionWithType(ZRActionTypeCenter)});
    makeButton(folder);
    press();
    ASSERT_NE(button->shownMenu(), nullptr);
    EXPECT_TRUE(ZRPaletteItemButton::showsMenu());
    release();
    button->shownMenu()->close();

    folder->setChain(true);
    press();
    EXPECT_EQ(button->shownMenu(), nullptr);
    RunLoop::main().advance(0.6);
    EXPECT_NE(button->shownMenu(), nullptr);
    release();
    button->shownMenu()->close();
}

TEST_F(PaletteItemButtonTest, AnEmptyMenuLeavesAPlainButton) {
    makeButton(nullptr, newButton<EmptyMenuButton>());
    press();
    RunLoop::main().advance(0.6);
    EXPECT_EQ(button->shownMenu(), nullptr);
    EXPECT_FALSE(ZRPaletteItemButton::showsMenu());
    release();
    settle();
    EXPECT_EQ(moved(), 10);
    // A right click without a menu leaves it unlit.
    QTest::mousePress(button.get(), Qt::RightButton, {}, QPoint(15, 15));
    EXPECT_FALSE(button->isHovered());
}

TEST_F(PaletteItemButtonTest, OnlyAnEnabledButtonLightsUp) {
    makeButton();
    QEnterEvent enter(QPointF(15, 15), QPointF(15, 15), button->mapToGlobal(QPointF(15, 15)));
    button->setEnabled(false);
    QApplication::sendEvent(button.get(), &enter);
    EXPECT_FALSE(button->isHovered());
    button->setEnabled(true);
    QApplication::sendEvent(button.get(), &enter);
    EXPECT_TRUE(button->isHovered());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(button.get(), &leave);
    EXPECT_FALSE(button->isHovered());
}

TEST_F(PaletteItemButtonTest, AButtonDestroyedWithItsMenuOpenLeavesNoMenuBehind) {
    makeButton();
    QTest::mousePress(button.get(), Qt::RightButton, {}, QPoint(15, 15));
    QPointer<QMenu> menu = button->shownMenu();
    ASSERT_FALSE(menu.isNull());
    EXPECT_TRUE(ZRPaletteItemButton::showsMenu());
    button.reset();
    EXPECT_FALSE(ZRPaletteItemButton::showsMenu());
    EXPECT_TRUE(menu.isNull());
    settle();
}

} // namespace
