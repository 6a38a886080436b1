#include "HotKeyFieldTestSupport.h"
#include "HotKeyTestSupport.h"

#include "keyboard-control/ZRHotKeyClearButton.h"
#include "keyboard-control/ZRHotKeyHandler.h"
#include "toolkit/Appearance.h"

#include <QAction>

namespace {

using namespace ModifierFlag;

// An owner that registers what it takes, as actions and the settings do; the hot key it replaces makes
// way for the new one.
class FieldOwner : public FakeOwner {
public:
    std::vector<std::shared_ptr<ZRHotKey>> hotKeys() const override {
        auto hotKeys = inUse;
        if (current)
            hotKeys.push_back(current);
        return hotKeys;
    }
    bool shouldSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString&) override {
        ++setQuestions;
        if (refuses)
            return false;
        const auto previous = std::exchange(current, nullptr);
        if (previous)
            previous->unregister();
        if (hotKey && !hotKey->registerForDelegate(*this)) {
            current = previous;
            if (previous)
                previous->registerForDelegate(*this);
            return false;
        }
        current = hotKey;
        return true;
    }
    void didSetHotKey(const std::shared_ptr<ZRHotKey>& hotKey, const QString&) override {
        told.push_back(hotKey);
    }

    std::shared_ptr<ZRHotKey> current;
    bool refuses = false;
    int setQuestions = 0;
    std::vector<std::shared_ptr<ZRHotKey>> told;
};

class OfferedKeys : public ZRHotKeyHandler {
public:
    bool handleKeyDownEvent(const KeyEvent&, bool&) override {
        ++offered;
        return true;
    }
    int offered = 0;
};

class HotKeyFieldTest : public HotKeyTest {
protected:
    void SetUp() override {
        HotKeyTest::SetUp();
        auto scripted = std::make_unique<ScriptedFieldAlerts>();
        alerts = scripted.get();
        ZRHotKeyTextView::setAlerts(std::move(scripted));
        view = std::make_unique<FieldWindow>();
        field()->setHotKeyDelegate(&owner);
        ASSERT_TRUE(view->showActive());
    }
    void TearDown() override {
        view.reset();
        if (owner.current)
            owner.current->unregister();
        owner.current = nullptr;
        ZRHotKeyTextView::setAlerts(nullptr);
        HotKeyTest::TearDown();
    }

    ZRHotKeyTextView* field() const { return view->field; }

    // The field shows a hot key its owner holds.
    std::shared_ptr<ZRHotKey> hold(KeyCode keyCode, ModifierFlags flags) {
        const auto held =
            ZRHotKey::hotKeyWithIdentifer(QStringLiteral("owner"), QStringLiteral("held"), keyCode, flags);
        EXPECT_TRUE(owner.shouldSetHotKey(held, QStringLiteral("owner")));
        field()->setHotKey(held);
        // Recording comes on a later turn of the run loop than the registration.
        RunLoop::main().runPending();
        return held;
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(field(), key, modifiers);
    }

    FieldOwner owner;
    ScriptedFieldAlerts* alerts = nullptr;
    std::unique_ptr<FieldWindow> view;
};

TEST_F(HotKeyFieldTest, OnlyTheUsersClickStartsRecording) {
    view->lineEdit->setFocus();
    QTest::keyClick(view->lineEdit, Qt::Key_Tab);
    EXPECT_FALSE(field()->hasFocus()) << "Tab passes the field by";
    field()->setFocus();
    field()->deleteHotKey();
    EXPECT_FALSE(field()->isRecording()) << "neither focus nor the clear action from code record";

    view->click();
    EXPECT_TRUE(field()->isRecording());
    EXPECT_TRUE(field()->containerView()->isHighlighted());
    EXPECT_EQ(field()->string(), QStringLiteral(" "));
    press(Qt::Key_Escape);
    EXPECT_FALSE(field()->isRecording());
    EXPECT_EQ(field()->string(), QStringLiteral("None"));

    // The plus of a field without hot key.
    view->clickClearButton();
    EXPECT_TRUE(field()->isRecording());
}

TEST_F(HotKeyFieldTest, APressIsRecordedWithItsModifiersAndConfirmedWhenItTakesAPlainKey) {
    bool menuItemFired = false;
    auto* quit = new QAction(view->window.get());
    quit->setShortcut(QKeySequence(Qt::META | Qt::Key_Q));
    QObject::connect(quit, &QAction::triggered, [&] { menuItemFired = true; });
    view->window->addAction(quit);

    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool canBeLocal; // an action's field; the settings' hot keys are never local
        bool ignoreMetaKeys;
        KeyCode keyCode;
        ModifierFlags flags;
        bool asks;
    };
    const Case cases[] = {
        {"Tab", Qt::Key_Tab, Qt::NoModifier, true, false, Key::Tab, 0, false},
        {"Shift-Tab", Qt::Key_Backtab, Qt::ShiftModifier, true, false, Key::Tab, Shift, false},
        {"Command-Q", Qt::Key_Q, Qt::MetaModifier, true, false, Key::Q, Command, true},
        {"Option-Escape", Qt::Key_Escape, Qt::AltModifier, true, false, Key::Escape, Option, false},
        {"Escape, meta keys ignored", Qt::Key_Escape, Qt::NoModifier, true, true, Key::Escape, 0, false},
        {"F5 in an action's field", Qt::Key_F5, Qt::NoModifier, true, false, Key::F5, 0, true},
        {"F5 in a settings field", Qt::Key_F5, Qt::NoModifier, false, false, Key::F5, 0, true},
        {"Command-K in an action's field", Qt::Key_K, Qt::MetaModifier, true, false, Key::K, Command, true},
        {"K in a settings field", Qt::Key_K, Qt::NoModifier, false, false, Key::K, 0, true},
        {"K in an action's field", Qt::Key_K, Qt::NoModifier, true, false, Key::K, 0, false},
        {"Control-Option-K", Qt::Key_K, Qt::ControlModifier | Qt::AltModifier, false, false, Key::K,
         Control | Option, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScopedSettings settings(c.ignoreMetaKeys ? QVariantMap{{"ZRHotKeyTextView: Ignore Meta Keys", true}}
                                                 : QVariantMap{});
        owner.canBeLocal = c.canBeLocal;
        alerts->questions.clear();
        view->click();
        press(c.key, c.modifiers);

        ASSERT_NE(field()->hotKey(), nullptr);
        EXPECT_EQ(field()->hotKey()->keyCode(), c.keyCode);
        EXPECT_EQ(field()->hotKey()->modifierFlags() & ShiftControlOptionCommand, c.flags);
        EXPECT_EQ(field()->hotKey(), owner.current);
        EXPECT_EQ(alerts->questions.size(), c.asks ? 1 : 0);
        EXPECT_FALSE(field()->isRecording());
        EXPECT_FALSE(view->lineEdit->hasFocus());
        EXPECT_FALSE(menuItemFired);
        EXPECT_EQ(alerts->beeps, 0);
    }
}

TEST_F(HotKeyFieldTest, EscapeAloneOrAModifierAloneRecordsNothing) {
    OfferedKeys handler;
    testApplication<ZRHotKeyHandlerApplication>().setHotKeyHandler(&handler);
    const auto held = hold(Key::K, Control | Option);
    const int questions = owner.setQuestions;

    view->click();
    for (Qt::Key modifier : {Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta})
        press(modifier);
    EXPECT_TRUE(field()->isRecording()) << "a modifier key makes no key-down";
    EXPECT_EQ(field()->hotKey(), held) << "key code 0 is A: nothing may become it";
    press(Qt::Key_Escape);
    EXPECT_FALSE(field()->isRecording());

    EXPECT_EQ(field()->hotKey(), held);
    EXPECT_EQ(field()->string(), held->visualRepresentation());
    EXPECT_EQ(owner.setQuestions, questions);
    EXPECT_EQ(alerts->beeps, 0);
    EXPECT_EQ(handler.offered, 0) << "a field's keys are never taken for hot keys";
    testApplication<ZRHotKeyHandlerApplication>().setHotKeyHandler(nullptr);
}

TEST_F(HotKeyFieldTest, TakenKeysBeepAndRecordingGoesOnWithTheOldHotKey) {
    const auto held = hold(Key::K, Control | Option);
    const auto actionHotKey = hotKey(Key::M, Control | Option, QStringLiteral("action"));
    struct Case {
        const char* name;
        std::function<void()> take;
    };
    const Case cases[] = {
        {"by another owner", [&] { owner.inUse = {actionHotKey}; }},
        {"by another program", [&] { hotKeys.markTaken(Key::M, Control | Option); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        owner.inUse.clear();
        c.take();
        alerts->beeps = 0;
        const int questions = owner.setQuestions;
        view->click();
        press(Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
        EXPECT_EQ(alerts->beeps, 1);
        EXPECT_TRUE(field()->isRecording());
        EXPECT_EQ(owner.setQuestions, questions);
        press(Qt::Key_Escape);
        EXPECT_EQ(field()->hotKey(), held);
        EXPECT_TRUE(held->isRegistered());
    }
}

TEST_F(HotKeyFieldTest, RecordingTheFieldsOwnKeysAgainIsNoConflict) {
    const auto held = hold(Key::K, Control | Option);
    view->click();
    press(Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(alerts->beeps, 0);
    ASSERT_NE(field()->hotKey(), held);
    EXPECT_TRUE(field()->hotKey()->isRegistered());
    EXPECT_FALSE(held->isRegistered());
    EXPECT_TRUE(hotKeys.isRegistered(Key::K, Control | Option));
}

TEST_F(HotKeyFieldTest, ACancelledQuestionOrARefusingOwnerKeepsTheOldHotKey) {
    const auto held = hold(Key::K, Control | Option);
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool answer;
        bool refuses;
    };
    const Case cases[] = {
        {"question cancelled", Qt::Key_J, Qt::MetaModifier, false, false},
        {"owner refuses", Qt::Key_J, Qt::ControlModifier, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        alerts->answer = c.answer;
        owner.refuses = c.refuses;
        view->click();
        press(c.key, c.modifiers);
        EXPECT_FALSE(field()->isRecording());
        EXPECT_EQ(field()->hotKey(), held);
        EXPECT_TRUE(hotKeys.isRegistered(Key::K, Control | Option));
        EXPECT_FALSE(hotKeys.isRegistered(Key::J, Command));
    }
}

TEST_F(HotKeyFieldTest, RecordingTimesOutAfterThirtySeconds) {
    const auto held = hold(Key::K, Control | Option);
    view->click();
    RunLoop::main().advance(29.9);
    EXPECT_TRUE(field()->isRecording());
    RunLoop::main().advance(0.2);
    EXPECT_FALSE(field()->isRecording());
    EXPECT_EQ(field()->string(), held->visualRepresentation());
}

TEST_F(HotKeyFieldTest, ClearingWaitsForTheOwnerToAgree) {
    const auto held = hold(Key::K, Control | Option);
    owner.refuses = true;
    view->clickClearButton();
    EXPECT_EQ(field()->hotKey(), held);
    EXPECT_TRUE(hotKeys.isRegistered(Key::K, Control | Option)) << "never shown as set while dead";

    owner.refuses = false;
    view->click();
    view->clickClearButton();
    EXPECT_FALSE(field()->isRecording());
    EXPECT_EQ(field()->hotKey(), nullptr);
    EXPECT_EQ(owner.told.back(), nullptr);
    EXPECT_FALSE(hotKeys.isRegistered(Key::K, Control | Option));
    EXPECT_EQ(field()->string(), QStringLiteral("None"));
}

TEST_F(HotKeyFieldTest, RecordingEndsWhenTheFieldOrItsWindowGoes) {
    QWidget other;
    struct Case {
        const char* name;
        std::function<void()> leave;
    };
    const Case cases[] = {
        {"another window becomes active",
         [&] {
             other.show();
             other.activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
         }},
        {"the field is hidden",
         [&] {
             field()->hide();
             EXPECT_TRUE(field()->containerView()->isHidden()) << "its container goes with it";
         }},
        {"the window closes", [&] { view->window->close(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        field()->show();
        ASSERT_TRUE(view->showActive());
        view->click();
        ASSERT_TRUE(field()->isRecording());
        c.leave();
        EXPECT_FALSE(field()->isRecording());
        EXPECT_FALSE(field()->containerView()->isHighlighted());
        EXPECT_FALSE(RunLoop::main().hasPendingPerform(field(), "timeOutFirstResponder"));
    }

    // Gone while recording, or while its question is open: its time-out and window watch go with it.
    ASSERT_TRUE(view->showActive());
    view->click();
    view.reset();
    other.activateWindow();
    RunLoop::main().advance(31);

    view = std::make_unique<FieldWindow>();
    field()->setHotKeyDelegate(&owner);
    ASSERT_TRUE(view->showActive());
    alerts->whileAsking = [&] { view.reset(); };
    const int questions = owner.setQuestions;
    QTest::mouseClick(view->field, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    QTest::keyClick(view->field, Qt::Key_J, Qt::MetaModifier);
    EXPECT_EQ(view, nullptr);
    EXPECT_EQ(owner.setQuestions, questions);
}

// Each state as the user meets it; the border, background and glyph are checked in the pixels.
TEST_F(HotKeyFieldTest, Pictures) {
    ZRHotKeyContainerView* container = field()->containerView();
    auto* button = static_cast<ZRHotKeyClearButton*>(field()->deleteButton());
    const QPoint buttonOrigin = button->mapTo(container, QPoint());
    const QPointF glyph = button->imageRect().center() + buttonOrigin;
    const int arm = qRound(button->imageRect().width() * 0.3);
    const QPoint plusArm = QPointF(glyph.x() + arm, glyph.y()).toPoint();
    const QPoint background(6, container->height() / 2);
    const auto color = [](const QImage& image, QPoint point) { return QColor(image.pixel(point)); };
    const auto near = [](const QColor& a, const QColor& b, int tolerance = 3) {
        return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
               std::abs(a.blue() - b.blue()) <= tolerance;
    };

    QImage image = fieldPicture(*container);
    EXPECT_TRUE(button->showsPlus());
    EXPECT_LT(color(image, plusArm).lightness(), 128) << "the plus has a horizontal arm";
    saveFieldPicture(fieldPicture(*view->window), QStringLiteral("hot-key-field-none"));

    hold(Key::K, Control | Option);
    image = fieldPicture(*container);
    EXPECT_FALSE(button->showsPlus());
    EXPECT_GT(color(image, plusArm).lightness(), 200) << "the cross has none";
    EXPECT_EQ(color(image, background), field()->palette().color(QPalette::Base));
    saveFieldPicture(fieldPicture(*view->window), QStringLiteral("hot-key-field-global"));

    hold(Key::K, 0);
    ASSERT_TRUE(field()->hotKey()->isLocal());
    EXPECT_TRUE(container->isLocal());
    EXPECT_TRUE(near(color(fieldPicture(*container), background), QColor::fromRgbF(1.0f, 0.9f, 0.63f)));
    saveFieldPicture(fieldPicture(*view->window), QStringLiteral("hot-key-field-local"));

    view->click();
    image = fieldPicture(*container);
    EXPECT_TRUE(
        near(color(image, QPoint(container->width() / 2, 0)), backwardsCompatibleControlAccentColor()));
    EXPECT_TRUE(near(color(image, glyph.toPoint()), backwardsCompatibleControlAccentColor(), 40))
        << "the cross takes the accent colour";
    saveFieldPicture(fieldPicture(*view->window), QStringLiteral("hot-key-field-recording"));
    press(Qt::Key_Escape);

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    saveFieldPicture(fieldPicture(*view->window), QStringLiteral("hot-key-field-idle"));

    setDark(*view->window);
    hold(Key::K, Control | Option);
    ASSERT_TRUE(view->showActive());
    image = fieldPicture(*container);
    EXPECT_EQ(color(image, background), calibratedWhite(0.2, 1.0));
    saveFieldPicture(fieldPicture(*view->window), QStringLiteral("hot-key-field-dark"));
    view->click();
    saveFieldPicture(fieldPicture(*view->window), QStringLiteral("hot-key-field-dark-recording"));
}

} // namespace
