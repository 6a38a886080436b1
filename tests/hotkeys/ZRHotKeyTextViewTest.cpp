#include "HotKeyFieldTestSupport.h"
#include "HotKeyTestSupport.h"

#include "hotkeys/ZRHotKeyClearButton.h"
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
        if (const auto previous = std::exchange(current, nullptr))
            previous->unregister();
        if (hotKey && !hotKey->registerForDelegate(*this))
            return false;
        current = hotKey;
        return true;
    }

    std::shared_ptr<ZRHotKey> current;
    bool refuses = false;
    int setQuestions = 0;
};

class HotKeyFieldTest : public HotKeyTest {
protected:
    void SetUp() override {
        HotKeyTest::SetUp();
        auto scripted = std::make_unique<ScriptedFieldAlerts>();
        alerts = scripted.get();
        ZRHotKeyTextView::setAlerts(std::move(scripted));
        openView();
    }
    void TearDown() override {
        view.reset();
        if (auto current = std::exchange(owner.current, nullptr))
            current->unregister();
        ZRHotKeyTextView::setAlerts(nullptr);
        HotKeyTest::TearDown();
    }

    void openView() {
        view = std::make_unique<FieldWindow>(new ZRHotKeyTextView(desktop, settings(), RunLoop::main()));
        field()->setHotKeyDelegate(&owner);
        showView();
    }
    // The desktop sees the window as shown (a closed window comes back as another), so it may take the
    // keyboard.
    void showView() {
        ASSERT_TRUE(view->showActive());
        desktop.overlayWindows().overlayShown(view->window->winId(), Rect(0, 0, 220, 70), false);
    }

    ZRHotKeyTextView* field() const { return view->field; }
    OwnWindowId keyboardHolder() const { return desktop.overlayWindows().keyboardHolder(); }

    // The field shows a hot key its owner holds, registered on an earlier turn of the run loop.
    std::shared_ptr<ZRHotKey> hold(KeyCode keyCode, ModifierFlags flags) {
        const auto held = hotKey(keyCode, flags);
        EXPECT_TRUE(owner.shouldSetHotKey(held, QString()));
        field()->setHotKey(held);
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
    press(Qt::Key_Escape);
    EXPECT_FALSE(field()->isRecording());
    EXPECT_EQ(field()->string(), QStringLiteral("None"));
    view->clickClearButton();
    EXPECT_TRUE(field()->isRecording()) << "the plus of a field without hot key";
}

TEST_F(HotKeyFieldTest, APressIsRecordedWithItsModifiersAndConfirmedWhenItTakesAPlainKey) {
    bool menuItemFired = false;
    auto* quit = new QAction(view->window.get());
    quit->setShortcut(QKeySequence(Qt::META | Qt::Key_Q));
    QObject::connect(quit, &QAction::triggered, [&] { menuItemFired = true; });
    view->window->addAction(quit);
    std::vector<OwnWindowId> holdersWhileAsking;
    alerts->whileAsking = [&] { holdersWhileAsking.push_back(keyboardHolder()); };

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
        ScopedSettings scoped(settings(), c.ignoreMetaKeys
                                              ? QVariantMap{{"ZRHotKeyTextView: Ignore Meta Keys", true}}
                                              : QVariantMap{});
        RunLoop::main().runPending();
        owner.canBeLocal = c.canBeLocal;
        alerts->questions.clear();
        view->click();
        ASSERT_EQ(keyboardHolder(), view->window->winId());
        press(c.key, c.modifiers);

        ASSERT_NE(field()->hotKey(), nullptr);
        EXPECT_EQ(field()->hotKey()->keyCode(), c.keyCode);
        EXPECT_EQ(field()->hotKey()->modifierFlags() & ShiftControlOptionCommand, c.flags);
        EXPECT_EQ(field()->hotKey(), owner.current);
        EXPECT_EQ(alerts->questions.size(), c.asks ? 1 : 0);
        EXPECT_FALSE(field()->isRecording());
        EXPECT_FALSE(view->lineEdit->hasFocus());
        EXPECT_EQ(keyboardHolder(), 0u);
    }
    EXPECT_FALSE(menuItemFired);
    EXPECT_EQ(holdersWhileAsking, std::vector<OwnWindowId>(5, 0))
        << "the question never waits for the keyboard";
    EXPECT_EQ(alerts->beeps, 0);
}

// Whatever goes wrong, the old hot key stays shown and registered.
TEST_F(HotKeyFieldTest, KeysThatAreNotRecordedChangeNothing) {
    const auto held = hold(Key::K, Control | Option);
    struct Case {
        const char* name;
        std::function<void()> prepare;
        std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
        int beeps;
        bool recording; // afterwards
    };
    const Qt::KeyboardModifiers controlAlt = Qt::ControlModifier | Qt::AltModifier;
    const Case cases[] = {
        // Key code 0 is A: a modifier's press must not become it.
        {"modifiers alone", [] {}, {{Qt::Key_Shift, {}}, {Qt::Key_Alt, {}}, {Qt::Key_Meta, {}}}, 0, true},
        {"Escape", [] {}, {{Qt::Key_Escape, {}}}, 0, false},
        {"taken by another owner",
         [&] { owner.inUse = {hotKey(Key::M, Control | Option, QStringLiteral("action"))}; },
         {{Qt::Key_M, controlAlt}},
         1,
         true},
        {"taken by another program",
         [&] { hotKeys.markTaken(Key::M, Control | Option); },
         {{Qt::Key_M, controlAlt}},
         1,
         true},
        {"question cancelled", [&] { alerts->answer = false; }, {{Qt::Key_J, Qt::MetaModifier}}, 0, false},
        {"owner refuses", [&] { owner.refuses = true; }, {{Qt::Key_J, Qt::ControlModifier}}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.prepare();
        alerts->beeps = 0;
        view->click();
        for (const auto& [key, modifiers] : c.keys)
            press(key, modifiers);
        EXPECT_EQ(alerts->beeps, c.beeps);
        EXPECT_EQ(field()->isRecording(), c.recording);
        EXPECT_EQ(keyboardHolder(), c.recording ? view->window->winId() : 0u);
        EXPECT_EQ(field()->hotKey(), held);
        EXPECT_EQ(field()->string(), held->displayString());
        EXPECT_TRUE(hotKeys.isRegistered(Key::K, Control | Option));
        EXPECT_EQ(hotKeys.registrations().size(), 1u);
        press(Qt::Key_Escape);
    }
}

TEST_F(HotKeyFieldTest, RecordingTimesOutAndClearingWaitsForTheOwner) {
    const auto held = hold(Key::K, Control | Option);
    view->click();
    RunLoop::main().advance(29.9);
    EXPECT_TRUE(field()->isRecording());
    RunLoop::main().advance(0.2);
    EXPECT_FALSE(field()->isRecording());
    EXPECT_EQ(keyboardHolder(), 0u);
    EXPECT_EQ(field()->string(), held->displayString());

    owner.refuses = true;
    view->clickClearButton();
    EXPECT_EQ(field()->hotKey(), held);
    EXPECT_TRUE(hotKeys.isRegistered(Key::K, Control | Option)) << "never shown as set while dead";
    owner.refuses = false;
    view->click();
    view->clickClearButton();
    EXPECT_FALSE(field()->isRecording());
    EXPECT_EQ(keyboardHolder(), 0u);
    EXPECT_EQ(field()->hotKey(), nullptr);
    EXPECT_TRUE(hotKeys.registrations().empty());
}

TEST_F(HotKeyFieldTest, RecordingEndsWhenTheFieldOrItsWindowGoes) {
    QWidget other;
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"another window becomes active",
         [&] {
             other.show();
             other.activateWindow();
             ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
         }},
        {"the field hides",
         [&] {
             field()->hide();
             EXPECT_TRUE(field()->containerView()->isHidden()) << "its container goes with it";
         }},
        {"the window closes", [&] { view->window->close(); }},
    };
    for (const auto& [name, leave] : ways) {
        SCOPED_TRACE(name);
        field()->show();
        showView();
        view->click();
        ASSERT_NE(keyboardHolder(), 0u);
        leave();
        EXPECT_FALSE(field()->isRecording());
        EXPECT_FALSE(field()->containerView()->isHighlighted());
        EXPECT_EQ(keyboardHolder(), 0u);
    }

    // Gone while recording, or while its question is open: its keyboard, time-out and window watch go
    // with it.
    showView();
    view->click();
    ASSERT_NE(keyboardHolder(), 0u);
    view.reset();
    EXPECT_EQ(keyboardHolder(), 0u);
    other.activateWindow();
    RunLoop::main().advance(31);

    openView();
    alerts->whileAsking = [&] { view.reset(); };
    view->click();
    QTest::keyClick(view->field, Qt::Key_J, Qt::MetaModifier);
    EXPECT_EQ(owner.setQuestions, 0);
}

// Each state as the user meets it, saved, with its border, background and glyph checked in the pixels.
TEST_F(HotKeyFieldTest, Pictures) {
    ZRHotKeyContainerView* container = field()->containerView();
    auto* button = static_cast<ZRHotKeyClearButton*>(field()->deleteButton());
    const QPointF glyph = button->imageRect().center() + button->mapTo(container, QPoint());
    const QPoint plusArm = (glyph + QPointF(button->imageRect().width() * 0.3, 0)).toPoint();
    const QPoint background(6, container->height() / 2);
    const auto at = [&](QPoint point) { return QColor(fieldPicture(*container).pixel(point)); };
    const auto near = [](const QColor& a, const QColor& b, int tolerance = 3) {
        return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
               std::abs(a.blue() - b.blue()) <= tolerance;
    };
    const auto save = [&](const char* name) {
        saveFieldPicture(fieldPicture(*view->window), QStringLiteral("hot-key-field-") + QLatin1String(name));
    };

    EXPECT_LT(at(plusArm).lightness(), 128) << "the plus has a horizontal arm";
    save("none");
    hold(Key::K, Control | Option);
    EXPECT_GT(at(plusArm).lightness(), 200) << "the cross has none";
    EXPECT_EQ(at(background), field()->palette().color(QPalette::Base));
    save("global");
    hold(Key::K, 0);
    EXPECT_TRUE(container->isLocal());
    EXPECT_TRUE(near(at(background), QColor::fromRgbF(1.0f, 0.9f, 0.63f)));
    save("local");
    view->click();
    EXPECT_TRUE(near(at(QPoint(container->width() / 2, 0)), backwardsCompatibleControlAccentColor()));
    EXPECT_TRUE(near(at(glyph.toPoint()), backwardsCompatibleControlAccentColor(), 40));
    save("recording");
    press(Qt::Key_Escape);

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    save("idle");

    setDark(*view->window);
    hold(Key::K, Control | Option);
    showView();
    EXPECT_EQ(at(background), calibratedWhite(0.2, 1.0));
    save("dark");
    view->click();
    save("dark-recording");
}

} // namespace
