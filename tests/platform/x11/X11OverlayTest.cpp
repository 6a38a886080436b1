// The program's overlays over a real client, as a user meets them: override-redirect windows that leave
// the focus alone, click-through switched in place, the drawing rule with and without a compositing
// manager, keyboard grabs that are never left behind, hot keys under our grab, and the window manager's
// move handed back and forth.
#include "X11TestSupport.h"

#include "ScreenPixels.h"
#include "hotkeys/KeyEvent.h"
#include "hotkeys/ZRHotKeyHandler.h"
#include "hotkeys/ZRHotKeyHandlerApplication.h"
#include "platform/Accessibility.h"
#include "platform/EventStream.h"
#include "platform/GlobalHotKeys.h"
#include "platform/OverlayWindows.h"
#include "platform/Screens.h"
#include "platform/WindowServer.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/x11/X11FakeInput.h"
#include "platform/x11/X11Platform.h"
#include "toolkit/WindowExtensions.h"
#include "toolkit/WindowInputGrab.h"
#include "toolkit/ZRSelfDrawingOverlayPanel.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

using namespace X11Test;

namespace {

constexpr std::uint32_t Signature = 0x534B686B; // "SKhk"
const QColor CardColor(200, 40, 40);
constexpr int CardAlpha = 200;
// Where the overlay lies over the xterm, in root coordinates.
const QRect OverlayRect(150, 150, 240, 140);
constexpr int CornerRadius = 40;

// A card with wide rounded corners, slightly translucent; it counts the clicks and keys it gets.
class CardOverlay : public ZRSelfDrawingOverlayPanel {
public:
    CardOverlay() : ZRSelfDrawingOverlayPanel(Rect(), 10, true, true) { setGeometry(OverlayRect); }

    void drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget*) override {
        painter.setRenderHint(QPainter::Antialiasing);
        QColor color = CardColor;
        color.setAlpha(CardAlpha);
        painter.setBrush(color);
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(bounds, CornerRadius, CornerRadius);
    }

    QList<Qt::KeyboardModifiers> presses;
    QList<int> keys;

protected:
    void mousePressEvent(QMouseEvent* event) override { presses += event->modifiers(); }
    void keyPressEvent(QKeyEvent* event) override { keys += event->key(); }
};

// A card that may have nothing to draw for a while, as an overlay whose content comes and goes.
class SometimesCard : public ZRSelfDrawingOverlayPanel {
public:
    SometimesCard() : ZRSelfDrawingOverlayPanel(Rect(), 10, true, true) { setGeometry(OverlayRect); }
    void drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget*) override {
        if (draws)
            painter.fillRect(bounds, CardColor);
    }
    bool draws = false;
};

// Counts the hot-key presses the application object hands on.
class HotKeyCounter : public ZRHotKeyHandler {
public:
    int presses = 0;
    int keyDowns = 0;
    bool handleKeyDownEvent(const KeyEvent& event, bool&) override {
        presses += event.isHotKeyPress();
        keyDowns += event.type == KeyEventType::KeyDown;
        return event.isHotKeyPress();
    }
};

Point center(const Rect& rect) {
    return {std::floor(rect.midX()), std::floor(rect.midY())};
}

class X11Overlays : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        platform = createX11Platform(&error);
        ASSERT_TRUE(platform) << error.toStdString();
        Platform::setCurrent(platform.get());
        input = X11FakeInput::open(&error);
        ASSERT_TRUE(input) << error.toStdString();
    }

    // A test that stops half way leaves no key or button down for the next one.
    void TearDown() override {
        if (input) {
            for (KeyCode key : {Key::Option, Key::Control, Key::K, Key::J, Key::Escape})
                input->key(key, false);
            input->button(1, false);
        }
        Platform::setCurrent(nullptr);
    }

    std::unique_ptr<Client> xterm(const QString& geometry) {
        auto client = Client::start(QStringLiteral("xterm"), geometry);
        EXPECT_TRUE(client) << "xterm did not start";
        return client;
    }

    // Shown, mapped and painted.
    static bool show(QWidget& overlay) {
        overlay.show();
        return QTest::qWaitForWindowExposed(&overlay) &&
               waitUntil([&] { return isViewable(overlay.winId()); });
    }

    // One xterm under the overlay's place and an active one beside it.
    bool startTwoXterms(std::unique_ptr<Client>& below, std::unique_ptr<Client>& front) {
        below = xterm(QStringLiteral("80x24+100+100"));
        front = xterm(QStringLiteral("40x10+800+100"));
        return below && front && waitUntil([&] { return activeWindow() == front->window(); });
    }

    // The frame of a new xterm and a point on its title bar, away from the buttons.
    bool startDraggableXterm(std::unique_ptr<Client>& terminal, Rect& frame, Point& titleBar) {
        terminal = xterm(QStringLiteral("60x20+200+200"));
        std::optional<Rect> found;
        if (!terminal ||
            !waitUntil([&] { return (found = independentFrame(terminal->window())).has_value(); }))
            return false;
        const auto extents = xpropValues(terminal->window(), QStringLiteral("_NET_FRAME_EXTENTS"));
        if (extents.size() != 4)
            return false;
        frame = *found;
        titleBar = {std::floor(frame.x() + 80), std::floor(frame.y() + extents[2] / 2.0)};
        return true;
    }

    void click(Point point) {
        ASSERT_TRUE(input->movePointer(point));
        ASSERT_TRUE(input->button(1, true));
        ASSERT_TRUE(input->button(1, false));
    }

    std::unique_ptr<Platform> platform;
    std::unique_ptr<X11FakeInput> input;
};

} // namespace

TEST_F(X11Overlays, AnOverlayLeavesTheFocusAloneTakesAltClicksAndSwitchesClickThroughInPlace) {
    std::unique_ptr<Client> below, front;
    ASSERT_TRUE(startTwoXterms(below, front));
    CardOverlay overlay;
    setIgnoresMouseEvents(&overlay, false);
    ASSERT_TRUE(show(overlay));
    const QString info = QString::fromUtf8(
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(overlay.winId())}));
    EXPECT_TRUE(info.contains(QStringLiteral("Override Redirect State: yes"))) << info.toStdString();
    for (long client : xpropValues(0, QStringLiteral("_NET_CLIENT_LIST"))) {
        EXPECT_NE(WId(client), overlay.winId()) << "the window manager does not list it";
    }
    saveScreenshot(screenPixels(QRect(80, 60, 560, 380)), QStringLiteral("x11-overlay-over-xterm"));

    // openbox keeps Alt+click on the windows it manages for moving them.
    const Point middle{OverlayRect.center().x() * 1.0, OverlayRect.center().y() * 1.0};
    ASSERT_TRUE(input->key(Key::Option, true));
    click(middle);
    ASSERT_TRUE(input->key(Key::Option, false));
    ASSERT_TRUE(waitUntil([&] { return overlay.presses.size() == 1; }));
    EXPECT_TRUE(overlay.presses.first().testFlag(Qt::AltModifier));
    EXPECT_EQ(activeWindow(), front->window()) << "shown and clicked, it took no focus";

    const auto geometry = xwininfoGeometry(overlay.winId());
    // An independent witness of what the server does to the window.
    QProcess watcher;
    watcher.start(QStringLiteral("xev"), {QStringLiteral("-id"), QString::number(overlay.winId()),
                                          QStringLiteral("-event"), QStringLiteral("structure")});
    ASSERT_TRUE(watcher.waitForStarted(5000));
    processEvents(300);
    setIgnoresMouseEvents(&overlay, true);
    processEvents(200);
    click(middle);
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == below->window(); }))
        << "the click went through to the xterm, which openbox then activated";
    EXPECT_EQ(overlay.presses.size(), 1);
    EXPECT_TRUE(isViewable(overlay.winId()));
    EXPECT_EQ(xwininfoGeometry(overlay.winId()), geometry);
    watcher.terminate();
    watcher.waitForFinished(5000);
    const QString seen = QString::fromUtf8(watcher.readAllStandardOutput());
    EXPECT_FALSE(seen.contains(QStringLiteral("MapNotify"))) << seen.toStdString();

    // Back again, and grown afterwards, it takes clicks in all of its new size.
    setIgnoresMouseEvents(&overlay, false);
    overlay.resize(OverlayRect.width() + 200, OverlayRect.height());
    ASSERT_TRUE(waitUntil([&] {
        const auto geometry = xwininfoGeometry(overlay.winId());
        return geometry && geometry->width() == OverlayRect.width() + 200;
    }));
    processEvents(200);
    click({OverlayRect.right() + 100.0, middle.y});
    EXPECT_TRUE(waitUntil([&] { return overlay.presses.size() == 2; }));
}

TEST_F(X11Overlays, WithoutACompositorTheClearCornerShowsTheXtermAndWithOneTranslucencyBlends) {
    auto terminal = xterm(QStringLiteral("80x24+100+100"));
    ASSERT_TRUE(terminal);
    processEvents(300);
    const QPoint corner = OverlayRect.topLeft() + QPoint(3, 3);
    const QPoint middle = OverlayRect.center();
    const QColor beneath = screenPixel(corner);
    const QColor xtermMiddle = screenPixel(middle);
    ASSERT_TRUE(beneath.isValid());
    ASSERT_FALSE(platform->screens().compositingActive()) << "the test display runs none of its own";

    CardOverlay overlay;
    ASSERT_TRUE(show(overlay));
    processEvents(200);
    saveScreenshot(screenPixels(QRect(80, 60, 560, 380)), QStringLiteral("x11-overlay-without-compositor"));
    EXPECT_EQ(screenPixel(corner), beneath) << "not black: the corner is cut away";
    EXPECT_EQ(screenPixel(middle), CardColor) << "the card paints opaque";

    int changes = 0;
    const Connection changed = platform->screens().compositingChanged.connect([&] { ++changes; });
    auto compositor = Compositor::start();
    ASSERT_TRUE(compositor);
    ASSERT_TRUE(waitUntil([&] { return platform->screens().compositingActive(); }));
    EXPECT_EQ(changes, 1);
    // The card blends with the xterm beneath, the corner stays clear.
    const auto blend = [&](int card, int under) {
        return (card * CardAlpha + under * (255 - CardAlpha)) / 255;
    };
    const QColor blended(blend(CardColor.red(), xtermMiddle.red()),
                         blend(CardColor.green(), xtermMiddle.green()),
                         blend(CardColor.blue(), xtermMiddle.blue()));
    const auto near = [](const QColor& a, const QColor& b) {
        return std::abs(a.red() - b.red()) <= 3 && std::abs(a.green() - b.green()) <= 3 &&
               std::abs(a.blue() - b.blue()) <= 3;
    };
    EXPECT_TRUE(waitUntil([&] { return near(screenPixel(middle), blended); }))
        << screenPixel(middle).name().toStdString() << " for " << blended.name().toStdString();
    EXPECT_TRUE(near(screenPixel(corner), beneath));
    saveScreenshot(screenPixels(QRect(80, 60, 560, 380)), QStringLiteral("x11-overlay-with-compositor"));

    compositor.reset();
    EXPECT_TRUE(waitUntil([&] { return !platform->screens().compositingActive(); }));
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(waitUntil([&] { return screenPixel(middle) == CardColor; })) << "opaque again";

    // A compositor that comes or goes while the overlay is hidden: it follows it when it shows again.
    overlay.hide();
    compositor = Compositor::start();
    ASSERT_TRUE(compositor);
    ASSERT_TRUE(waitUntil([&] { return platform->screens().compositingActive(); }));
    ASSERT_TRUE(show(overlay));
    EXPECT_TRUE(waitUntil([&] { return near(screenPixel(middle), blended); }));
    EXPECT_TRUE(near(screenPixel(corner), beneath));
    overlay.hide();
    compositor.reset();
    ASSERT_TRUE(waitUntil([&] { return !platform->screens().compositingActive(); }));
    ASSERT_TRUE(show(overlay));
    EXPECT_TRUE(waitUntil([&] { return screenPixel(middle) == CardColor; }));
    EXPECT_EQ(screenPixel(corner), beneath) << "cut away again, not black";
}

TEST_F(X11Overlays, OurKeyboardGrabShutsOthersOutUntilItIsGivenBack) {
    CardOverlay overlay;
    ASSERT_TRUE(show(overlay));
    std::optional<bool> granted;
    auto grab =
        std::make_unique<WindowInputGrab>(&overlay, platform->overlayWindows(),
                                          WindowInputGrab::Device::Keyboard, [&](bool ok) { granted = ok; });
    ASSERT_TRUE(waitUntil([&] { return granted.has_value(); }));
    ASSERT_TRUE(*granted);
    EXPECT_EQ(input->tryKeyboardGrab(), GrabStatus::AlreadyGrabbed);
    grab.reset();
    EXPECT_TRUE(waitUntil([&] { return input->tryKeyboardGrab() == GrabStatus::Granted; }));

    QWidget unmapped;
    GrabStatus status = GrabStatus::Granted;
    EXPECT_FALSE(platform->overlayWindows().grabKeyboard(unmapped.winId(), &status));
    EXPECT_EQ(status, GrabStatus::NotViewable);
    EXPECT_EQ(input->tryKeyboardGrab(), GrabStatus::Granted);
}

TEST_F(X11Overlays, OurPointerGrabSeesClicksAnywhereUntilItIsGivenBack) {
    std::unique_ptr<Client> below, front;
    ASSERT_TRUE(startTwoXterms(below, front));
    CardOverlay overlay;
    ASSERT_TRUE(show(overlay));
    auto grab = std::make_unique<WindowInputGrab>(&overlay, platform->overlayWindows(),
                                                  WindowInputGrab::Device::Pointer);
    ASSERT_TRUE(waitUntil([&] { return grab->isHeld(); }));

    const Point onTheXterm{450, 380};
    click(onTheXterm);
    ASSERT_TRUE(waitUntil([&] { return overlay.presses.size() == 1; }));
    processEvents(100);
    EXPECT_EQ(activeWindow(), front->window()) << "the xterm below got nothing";

    grab.reset();
    processEvents(100);
    click(onTheXterm);
    EXPECT_TRUE(waitUntil([&] { return activeWindow() == below->window(); }));
    EXPECT_EQ(overlay.presses.size(), 1);
}

// Run by the next test in a process of its own, which it kills.
TEST_F(X11Overlays, DISABLED_HoldTheKeyboardUntilKilled) {
    CardOverlay overlay;
    ASSERT_TRUE(show(overlay));
    WindowInputGrab grab(&overlay, platform->overlayWindows(), WindowInputGrab::Device::Keyboard);
    ASSERT_TRUE(waitUntil([&] { return grab.isHeld(); }));
    std::fputs("holding the keyboard\n", stdout);
    std::fflush(stdout);
    processEvents(30000);
}

TEST_F(X11Overlays, AKilledProgramLeavesNoGrabBehind) {
    QProcess program;
    program.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--gtest_filter=X11Overlays.DISABLED_HoldTheKeyboardUntilKilled"),
                   QStringLiteral("--gtest_also_run_disabled_tests")});
    ASSERT_TRUE(program.waitForStarted(5000));
    QByteArray output;
    ASSERT_TRUE(waitUntil(
        [&] {
            output += program.readAllStandardOutput();
            return output.contains("holding the keyboard");
        },
        20000))
        << output.toStdString();
    EXPECT_EQ(input->tryKeyboardGrab(), GrabStatus::AlreadyGrabbed);
    program.kill();
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_TRUE(waitUntil([&] { return input->tryKeyboardGrab() == GrabStatus::Granted; }));
}

TEST_F(X11Overlays, AHotKeyPressedWhileWeHoldTheKeyboardReachesItsHandlerOnce) {
    auto* application = ZRHotKeyHandlerApplication::instance();
    ASSERT_TRUE(application);
    HotKeyCounter handler;
    application->setHotKeyHandler(&handler);
    // Settings of the test's own, never saved: the hot key repeats as a first start has it.
    const UserDefaults settings{QString()};
    const Connection listening = application->listenToDesktop(*platform, settings);
    struct Restore {
        ZRHotKeyHandlerApplication* application;
        ~Restore() { application->setHotKeyHandler(nullptr); }
    } restore{application};
    HotKeyReference reference = 0;
    ASSERT_EQ(
        platform->globalHotKeys().registerHotKey(Key::K, HotKeyModifier::Control, Signature, 1, reference),
        HotKeyRegistrationStatus::Success);

    CardOverlay overlay;
    ASSERT_TRUE(show(overlay));
    WindowInputGrab grab(&overlay, platform->overlayWindows(), WindowInputGrab::Device::Keyboard);
    ASSERT_TRUE(waitUntil([&] { return grab.isHeld(); }));

    ASSERT_TRUE(input->key(Key::Control, true));
    ASSERT_TRUE(input->key(Key::K, true));
    // Held past the display's key-repeat delay: its repeats are no new presses.
    processEvents(1200);
    ASSERT_TRUE(input->key(Key::K, false));
    ASSERT_TRUE(input->key(Key::Control, false));
    ASSERT_TRUE(input->key(Key::J, true));
    ASSERT_TRUE(input->key(Key::J, false));
    ASSERT_TRUE(waitUntil([&] { return overlay.keys.contains(Qt::Key_J); }));
    EXPECT_EQ(handler.presses, 1);
    EXPECT_FALSE(overlay.keys.contains(Qt::Key_K));
    EXPECT_TRUE(platform->globalHotKeys().unregisterHotKey(reference));
}

TEST_F(X11Overlays, AFrameSetDuringATitleBarDragIsKeptWhenTheMoveIsEndedAndResumed) {
    std::unique_ptr<Client> terminal;
    Rect start;
    Point pointer;
    ASSERT_TRUE(startDraggableXterm(terminal, start, pointer));
    AXElementRef element;
    ASSERT_TRUE(waitUntil([&] {
        element = platform->accessibility().elementAtPosition(center(start));
        return element && element->windowNumber() == terminal->window();
    }));

    ASSERT_TRUE(input->movePointer(pointer));
    ASSERT_TRUE(input->button(1, true));
    const auto dragBy = [&](double dx, double dy) {
        for (int step = 0; step < 4; ++step) {
            pointer.x += dx / 4;
            pointer.y += dy / 4;
            ASSERT_TRUE(input->movePointer(pointer));
            processEvents(30);
        }
    };
    dragBy(40, 20);
    ASSERT_TRUE(waitUntil([&] {
        const auto frame = independentFrame(terminal->window());
        return frame && frame->x() == start.x() + 40;
    })) << "openbox moves the window";

    ASSERT_TRUE(platform->windowServer().endWindowManagerMove(terminal->window()));
    processEvents(100);
    ASSERT_EQ(element->setAttributeValue(AX::SizeAttribute, Size(800, 500)), AXError::Success);
    const auto set = independentFrame(terminal->window());
    ASSERT_TRUE(set);
    ASSERT_TRUE(platform->windowServer().resumeWindowManagerMove(terminal->window(), pointer));
    processEvents(100);
    dragBy(60, 40);
    ASSERT_TRUE(input->button(1, false));
    processEvents(200);

    const auto end = independentFrame(terminal->window());
    ASSERT_TRUE(end);
    // xterm sizes itself in whole character cells.
    constexpr double Cell = 20;
    EXPECT_NEAR(end->width(), 800, Cell);
    EXPECT_NEAR(end->height(), 500, Cell);
    EXPECT_EQ(end->origin, Point(set->x() + 60, set->y() + 40)) << "where the pointer left it";
}

TEST_F(X11Overlays, EscapeDuringATitleBarDragReachesTheEventStream) {
    std::unique_ptr<Client> terminal;
    Rect start;
    Point pointer;
    ASSERT_TRUE(startDraggableXterm(terminal, start, pointer));
    std::vector<TapEvent> keys;
    auto tap = platform->eventStream().install(tapEventMaskBit(TapEventType::KeyDown) |
                                                   tapEventMaskBit(TapEventType::KeyUp),
                                               [&](const TapEvent& event) { keys.push_back(event); });
    ASSERT_TRUE(tap);

    ASSERT_TRUE(input->movePointer(pointer));
    ASSERT_TRUE(input->button(1, true));
    // A grab of ours while openbox starts its move spoils the move: openbox grabs the keyboard once, with
    // the time of the motion that started it, and gives the move up when that fails. So the keyboard is
    // asked for only once the window follows the pointer, when openbox has it. The window follows only
    // motions after the move began, so the pointer goes on moving until it does.
    ASSERT_TRUE(waitUntil([&] {
        pointer.x += 10;
        const auto frame = input->movePointer(pointer) ? independentFrame(terminal->window()) : std::nullopt;
        return frame && frame->x() > start.x();
    })) << "openbox moves the window";
    EXPECT_EQ(input->tryKeyboardGrab(), GrabStatus::AlreadyGrabbed)
        << "openbox holds the keyboard while it moves the window";

    ASSERT_TRUE(input->key(Key::Escape, true));
    ASSERT_TRUE(input->key(Key::Escape, false));
    ASSERT_TRUE(waitUntil([&] { return keys.size() >= 2; }));
    EXPECT_EQ(keys[0].type, TapEventType::KeyDown);
    EXPECT_EQ(keys[0].keyCode, Key::Escape);
    EXPECT_EQ(keys[1].type, TapEventType::KeyUp);
    EXPECT_EQ(keys[0].location, pointer);
}

// Without a compositor, an overlay with nothing to draw shapes itself to nothing rather than showing a black
// window; once it has something to draw again, it shows it, though a window shaped to nothing is never
// asked to paint.
TEST_F(X11Overlays, AnOverlayWithNothingToDrawShowsWhatLiesBeneathAndLaterWhatItDraws) {
    auto terminal = xterm(QStringLiteral("80x24+100+100"));
    ASSERT_TRUE(terminal);
    processEvents(300);
    const QPoint middle = OverlayRect.center();
    const QColor beneath = screenPixel(middle);
    SometimesCard overlay;
    ASSERT_TRUE(show(overlay));
    processEvents(200);
    EXPECT_EQ(screenPixel(middle), beneath) << "not black";
    for (bool draws : {true, false, true}) {
        overlay.draws = draws;
        overlay.contentView()->update();
        EXPECT_TRUE(waitUntil([&] { return screenPixel(middle) == (draws ? CardColor : beneath); })) << draws;
    }
}
