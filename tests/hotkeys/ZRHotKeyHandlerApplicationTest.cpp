#include "HotKeyTestSupport.h"

#include "hotkeys/KeyEvent.h"
#include "hotkeys/ZRHotKeyHandler.h"
#include "toolkit/OverlayWindow.h"
#include "toolkit/WindowInputGrab.h"

#include "SimOwnWindowInput.h"

#include <QLineEdit>
#include <QMenu>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest/QTest>

namespace {

// Handles key-downs of the A key.
class AKeyHandler : public ZRHotKeyHandler {
public:
    std::vector<KeyEvent> offered;
    bool handleKeyDownEvent(const KeyEvent& event, bool&) override {
        offered.push_back(event);
        return event.keyCode == Key::A;
    }
};

class KeyRecordingWidget : public QWidget {
public:
    std::vector<int> pressed;

protected:
    void keyPressEvent(QKeyEvent* event) override { pressed.push_back(event->key()); }
};

class ApplicationTest : public HotKeyTest {
protected:
    void SetUp() override {
        HotKeyTest::SetUp();
        testApplication<ZRHotKeyHandlerApplication>().setHotKeyHandler(&handler);
    }
    void TearDown() override {
        testApplication<ZRHotKeyHandlerApplication>().setHotKeyHandler(nullptr);
        HotKeyTest::TearDown();
    }

    AKeyHandler handler;
};

TEST_F(ApplicationTest, KeyPressesOfOurWindowsGoToTheHandlerFirst) {
    KeyRecordingWidget widget;
    QTest::keyClick(&widget, Qt::Key_A, Qt::MetaModifier);
    ASSERT_EQ(handler.offered.size(), 1u);
    EXPECT_EQ(handler.offered[0].keyCode, Key::A);
    EXPECT_EQ(handler.offered[0].modifierFlags, ModifierFlag::Command);
    // The modifier key itself changes flags only and goes on as usual; the A key was taken.
    EXPECT_EQ(widget.pressed, std::vector<int>{Qt::Key_Meta});
    widget.pressed.clear();

    // What the handler does not handle reaches the widget as usual.
    QTest::keyClick(&widget, Qt::Key_B);
    EXPECT_EQ(handler.offered.size(), 2u);
    EXPECT_EQ(widget.pressed, std::vector<int>{Qt::Key_B});
}

// While an overlay of ours holds the keyboard, the desktop hands our own hot keys to it as plain keys:
// they still work as hot keys, each press once however long the key is held.
TEST_F(ApplicationTest, AHotKeyPressedWhileWeHoldTheKeyboardReachesItsHandlerOnce) {
    const Connection listening =
        testApplication<ZRHotKeyHandlerApplication>().listenToDesktop(desktop, settings());
    HotKeyReference reference = 0;
    ASSERT_EQ(desktop.globalHotKeys().registerHotKey(Key::K, HotKeyModifier::Control, 1, 2, reference),
              HotKeyRegistrationStatus::Success);
    SimOwnWindowInput input(desktop);
    KeyRecordingWidget menu;
    makeOverlayWindow(&menu);
    menu.show();
    WindowInputGrab grab(&menu, desktop.overlayWindows(), WindowInputGrab::Device::Keyboard);
    ASSERT_TRUE(grab.isHeld());

    desktop.setModifierFlags(ModifierFlag::Control);
    desktop.pressKey(Key::K);
    // The window system repeats a held key as releases and presses, not always marked as repeats.
    for (const bool marked : {true, false, false}) {
        QTest::simulateEvent(&menu, false, Qt::Key_K, Qt::ControlModifier, QStringLiteral("k"), marked);
        QTest::simulateEvent(&menu, true, Qt::Key_K, Qt::ControlModifier, QStringLiteral("k"), marked);
    }
    desktop.releaseKey(Key::K);
    desktop.setModifierFlags(0);
    RunLoop::main().advance(0.1);

    ASSERT_EQ(handler.offered.size(), 1u);
    EXPECT_TRUE(handler.offered[0].isHotKeyPress());
    EXPECT_TRUE(hotKeyReferencesAgree(handler.offered[0].data1, reference));
    EXPECT_TRUE(menu.pressed.empty()) << "the hot key is no key of the menu's";

    // Other keys are the menu's own.
    desktop.pressKey(Key::J);
    desktop.releaseKey(Key::J);
    EXPECT_EQ(menu.pressed, std::vector<int>{Qt::Key_J});
    EXPECT_TRUE(desktop.globalHotKeys().unregisterHotKey(reference));
}

TEST_F(ApplicationTest, TypingIntoATextFieldIsNeverTakenForAHotKey) {
    QLineEdit field;
    QTest::keyClicks(&field, QStringLiteral("aa"));
    EXPECT_EQ(field.text(), QStringLiteral("aa"));
    EXPECT_TRUE(handler.offered.empty());

    QTextEdit editor;
    EXPECT_FALSE(ZRHotKeyHandlerApplication::offersKeyPressesOf(&editor));
    editor.setReadOnly(true);
    EXPECT_TRUE(ZRHotKeyHandlerApplication::offersKeyPressesOf(&editor));
    QMenu menu;
    EXPECT_FALSE(ZRHotKeyHandlerApplication::offersKeyPressesOf(&menu));
    EXPECT_FALSE(ZRHotKeyHandlerApplication::offersKeyPressesOf(nullptr));
}

TEST_F(ApplicationTest, AScrollOverAHotKeyFieldScrollsWhatContainsIt) {
    QScrollArea pane;
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    auto* field = new QTextEdit;
    field->setObjectName(QStringLiteral("hot key field"));
    field->setFixedHeight(24);
    layout->addWidget(field);
    layout->addSpacing(2000);
    pane.setWidget(content);
    pane.resize(200, 200);
    pane.show();

    const auto isField = [](const QWidget* widget) {
        return widget->objectName() == QStringLiteral("hot key field");
    };
    EXPECT_EQ(ZRHotKeyHandlerApplication::scrollTargetForWheelOver(field->viewport(), isField), content);
    EXPECT_EQ(ZRHotKeyHandlerApplication::scrollTargetForWheelOver(content, isField), nullptr);

    const QPointF global = field->viewport()->mapToGlobal(QPointF(5, 5));
    const QWheelEvent wheel(QPointF(5, 5), global, QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                            Qt::NoScrollPhase, false);
    ASSERT_EQ(pane.verticalScrollBar()->value(), 0);
    EXPECT_TRUE(ZRHotKeyHandlerApplication::forwardWheelEvent(content, wheel));
    EXPECT_GT(pane.verticalScrollBar()->value(), 0);

    // A field that is the document of a scroll area of its own: the widget around that area scrolls.
    QWidget outer;
    auto* ownArea = new QScrollArea(&outer);
    auto* plainField = new QWidget;
    plainField->setObjectName(QStringLiteral("hot key field"));
    ownArea->setWidget(plainField);
    EXPECT_EQ(ZRHotKeyHandlerApplication::scrollTargetForWheelOver(plainField, isField), &outer);
}

} // namespace
