// Windows of real clients: the list, frames, elements and title-bar buttons, checked with the X
// utilities as independent readers.
#include "X11TestSupport.h"
#include "platform/Accessibility.h"
#include "platform/EventStream.h"
#include "platform/PlatformLog.h"
#include "platform/WindowServer.h"
#include "platform/Workspace.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/x11/X11FakeInput.h"
#include "platform/x11/X11Platform.h"
#include "tests/support/Attributes.h"
#include "tests/support/ScreenPixels.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSize>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <limits>
#include <thread>

using namespace X11Test;

namespace {

// The window's element, found under the middle of its frame once the window manager lists it.
AXElementRef windowElement(Platform& platform, std::uint32_t window) {
    AXElementRef element;
    waitUntil([&] {
        const auto frame = independentFrame(window);
        if (!frame)
            return false;
        element = platform.accessibility().elementAtPosition({frame->midX(), frame->midY()});
        return element && element->windowNumber() == window;
    });
    return element && element->windowNumber() == window ? element : nullptr;
}

std::optional<Rect> elementFrame(const AXElementRef& element) {
    const auto origin = attribute<Point>(element, AX::Position);
    const auto size = attribute<Size>(element, AX::SizeAttribute);
    if (!origin || !size)
        return std::nullopt;
    return Rect(*origin, *size);
}

class X11Windows : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        platform = createX11Platform(&error);
        ASSERT_TRUE(platform) << error.toStdString();
    }

    // Starts the program with the geometry and finds the element of its window; null when either fails.
    AXElementRef open(const QString& program, const QString& geometry, std::unique_ptr<Client>& client) {
        client = Client::start(program, geometry);
        return client ? windowElement(*platform, client->window()) : nullptr;
    }

    static std::unique_ptr<X11FakeInput> fakeInput() {
        QString error;
        auto input = X11FakeInput::open(&error);
        EXPECT_TRUE(input) << error.toStdString();
        return input;
    }

    std::unique_ptr<Platform> platform;
};

} // namespace

TEST_F(X11Windows, ListsClientWindowsFrontToBackWithTheFramesTheWindowManagerDraws) {
    auto terminal = Client::start(QStringLiteral("xterm"), QStringLiteral("80x24+100+100"));
    auto logo = Client::start(QStringLiteral("xlogo"), QStringLiteral("200x150+300+200"));
    ASSERT_TRUE(terminal && logo);

    std::vector<WindowListEntry> list;
    auto indexOf = [&](std::uint32_t window) {
        for (std::size_t i = 0; i < list.size(); ++i)
            if (list[i].number == window)
                return int(i);
        return -1;
    };
    ASSERT_TRUE(waitUntil([&] {
        list = platform->windowServer().windowList();
        return indexOf(terminal->window()) >= 0 && indexOf(logo->window()) >= 0;
    }));
    // The later window was mapped on top.
    EXPECT_LT(indexOf(logo->window()), indexOf(terminal->window()));

    for (const auto* client : {terminal.get(), logo.get()}) {
        const WindowListEntry& entry = list[indexOf(client->window())];
        const auto frame = independentFrame(client->window());
        ASSERT_TRUE(frame);
        EXPECT_EQ(entry.bounds, *frame) << client->name().toStdString();
        EXPECT_EQ(entry.layer, 0);
        EXPECT_TRUE(entry.onScreen);
        EXPECT_DOUBLE_EQ(entry.alpha, 1.0);
    }
    const WindowListEntry& terminalEntry = list[indexOf(terminal->window())];
    EXPECT_EQ(terminalEntry.ownerPID, terminal->pid());
    EXPECT_EQ(terminalEntry.ownerName, QStringLiteral("XTerm"));
    // xlogo does not name its process: the server tells it.
    EXPECT_EQ(list[indexOf(logo->window())].ownerPID, logo->pid());
    EXPECT_EQ(list[indexOf(logo->window())].ownerName, QStringLiteral("XLogo"));

    // Properties are kept between reads, and a change of one is seen at once.
    const QString title = QStringLiteral("renamed %1").arg(terminal->name());
    run(QStringLiteral("xdotool"),
        {QStringLiteral("set_window"), QStringLiteral("--name"), title, QString::number(terminal->window())});
    EXPECT_TRUE(waitUntil([&] {
        list = platform->windowServer().windowList();
        return indexOf(terminal->window()) >= 0 && list[indexOf(terminal->window())].title == title;
    }));
}

TEST_F(X11Windows, SetsFramesAndReadsBackWhatTheWindowTook) {
    std::unique_ptr<Client> terminal;
    const AXElementRef window = open(QStringLiteral("xterm"), QStringLiteral("80x24+50+60"), terminal);
    ASSERT_TRUE(window);
    const auto extents = xpropValues(terminal->window(), QStringLiteral("_NET_FRAME_EXTENTS"));
    ASSERT_EQ(extents.size(), 4u);
    // xterm's client sizes are 4 pixels of border plus whole cells of 6 x 13 pixels.
    auto onCellGrid = [&](const Rect& frame) {
        const double clientWidth = frame.width() - extents[0] - extents[1];
        const double clientHeight = frame.height() - extents[2] - extents[3];
        return std::fmod(clientWidth - 4, 6) == 0 && std::fmod(clientHeight - 4, 13) == 0;
    };

    const struct {
        Point origin;
        Size size;
    } cases[] = {
        {{200, 150}, {500, 400}},
        {{0, 0}, {300, 200}},
        {{640, 480}, {646, 353}},
        {{123, 321}, {801, 600}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(stringFromRect(Rect(c.origin, c.size)).toStdString());
        EXPECT_EQ(window->setAttributeValue(AX::SizeAttribute, c.size), AXError::Success);
        EXPECT_EQ(window->setAttributeValue(AX::Position, c.origin), AXError::Success);
        const auto read = elementFrame(window);
        const auto independent = independentFrame(terminal->window());
        ASSERT_TRUE(read && independent);
        EXPECT_EQ(*read, *independent);
        EXPECT_EQ(read->origin, c.origin);
        // The size is the largest on xterm's grid that fits the request.
        EXPECT_TRUE(onCellGrid(*read)) << stringFromRect(*read).toStdString();
        EXPECT_LE(read->width(), c.size.width);
        EXPECT_GT(read->width(), c.size.width - 6);
        EXPECT_LE(read->height(), c.size.height);
        EXPECT_GT(read->height(), c.size.height - 13);
    }

    bool settable = false;
    EXPECT_EQ(window->isAttributeSettable(AX::SizeAttribute, settable), AXError::Success);
    EXPECT_TRUE(settable);
    EXPECT_EQ(window->setAttributeValue(AX::Position, Size{1, 2}), AXError::IllegalArgument);
    EXPECT_EQ(window->setAttributeValue(AX::SizeAttribute, Size{std::nan(""), 2}), AXError::IllegalArgument);
    // Beyond what X can carry: refused, and the window stays where it is.
    const auto before = elementFrame(window);
    EXPECT_EQ(window->setAttributeValue(AX::Position, Point{1e12, 0}), AXError::IllegalArgument);
    EXPECT_EQ(window->setAttributeValue(AX::SizeAttribute, Size{300, 70000}), AXError::IllegalArgument);
    EXPECT_EQ(elementFrame(window), before);
}

// Several windows at once, as a layout sets them: each ends as alone, a maximised one is first
// un-maximised and placed with the border it then has, and one closed meanwhile is reported gone.
TEST_F(X11Windows, SetsSeveralFramesAtOnce) {
    std::unique_ptr<Client> logo, terminal, maximized, closed;
    const AXElementRef a = open(QStringLiteral("xlogo"), QStringLiteral("200x150+100+100"), logo);
    const AXElementRef b = open(QStringLiteral("xterm"), QStringLiteral("40x10+300+100"), terminal);
    const AXElementRef c = open(QStringLiteral("xlogo"), QStringLiteral("200x150+500+100"), maximized);
    const AXElementRef d = open(QStringLiteral("xlogo"), QStringLiteral("200x150+700+100"), closed);
    ASSERT_TRUE(a && b && c && d);
    ASSERT_EQ(c->performAction(AX::ZoomWindow), AXError::Success);
    ASSERT_TRUE(waitUntil([&] {
        return xpropText(maximized->window(), QStringLiteral("_NET_WM_STATE"))
            .contains(QStringLiteral("MAXIMIZED"));
    }));
    closed.reset();

    const std::vector<AXFrameRequest> requests{
        {a, Point{50, 500}, Size{300, 200}},  {b, Point{400, 500}, Size{500, 300}},
        {c, Point{900, 500}, Size{400, 300}}, {d, Point{0, 0}, Size{300, 200}},
        {a, Point{1e9, 0}, std::nullopt},
    };
    const auto results = platform->accessibility().setWindowFrames(requests);
    EXPECT_EQ(results, (std::vector<AXError>{AXError::Success, AXError::Success, AXError::Success,
                                             AXError::InvalidElement, AXError::IllegalArgument}));
    EXPECT_EQ(independentFrame(logo->window()), Rect(50, 500, 300, 200));
    const auto term = independentFrame(terminal->window());
    ASSERT_TRUE(term);
    EXPECT_EQ(term->origin, (Point{400, 500}));
    EXPECT_GT(term->width(), 500 - 6) << "rounded down to xterm's cells";
    EXPECT_EQ(xpropValues(maximized->window(), QStringLiteral("_NET_WM_STATE")), std::vector<long>{});
    EXPECT_EQ(independentFrame(maximized->window()), Rect(900, 500, 400, 300));
    EXPECT_EQ(elementFrame(c), independentFrame(maximized->window()));
}

TEST_F(X11Windows, FollowsAWindowMovedByAnotherClient) {
    std::unique_ptr<Client> logo;
    const AXElementRef window = open(QStringLiteral("xlogo"), QStringLiteral("200x150+100+100"), logo);
    ASSERT_TRUE(window);
    std::vector<QString> notifications;
    auto observation = platform->accessibility().observeWindow(
        window, [&](const AXElementRef& element, const QString& name) {
            EXPECT_TRUE(AXElementsEqual(element, window));
            notifications.push_back(name);
        });
    ASSERT_TRUE(observation);

    run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QString::number(logo->window()),
                                    QStringLiteral("400"), QStringLiteral("300")});
    ASSERT_TRUE(waitUntil(
        [&] { return std::count(notifications.begin(), notifications.end(), AX::MovedNotification) > 0; }));
    EXPECT_EQ(elementFrame(window), independentFrame(logo->window()));

    notifications.clear();
    run(QStringLiteral("xdotool"), {QStringLiteral("windowsize"), QString::number(logo->window()),
                                    QStringLiteral("300"), QStringLiteral("250")});
    ASSERT_TRUE(waitUntil(
        [&] { return std::count(notifications.begin(), notifications.end(), AX::ResizedNotification) > 0; }));
    EXPECT_EQ(elementFrame(window), independentFrame(logo->window()));

    // Once the observation ends, nothing more arrives.
    observation.reset();
    notifications.clear();
    run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QString::number(logo->window()),
                                    QStringLiteral("100"), QStringLiteral("100")});
    processEvents(200);
    EXPECT_TRUE(notifications.empty());
}

// Frames are followed through events between requests: a size set after another client moved the
// window keeps the window where that client put it, and sizes that client gave are where the next
// move starts from.
TEST_F(X11Windows, FrameRequestsStartFromWhereAnotherClientLeftTheWindow) {
    std::unique_ptr<Client> logo;
    const AXElementRef window = open(QStringLiteral("xlogo"), QStringLiteral("200x150+100+100"), logo);
    ASSERT_TRUE(window);
    ASSERT_EQ(window->setAttributeValue(AX::Position, Point{150, 120}), AXError::Success);
    const auto moved = [&](const QStringList& arguments) {
        run(QStringLiteral("xdotool"), arguments);
        return waitUntil([&] { return independentFrame(logo->window()) != elementFrame(window); }, 2000);
    };
    const QString id = QString::number(logo->window());
    moved({QStringLiteral("windowmove"), id, QStringLiteral("400"), QStringLiteral("300")});
    const auto placed = independentFrame(logo->window());
    ASSERT_TRUE(placed);
    ASSERT_EQ(window->setAttributeValue(AX::SizeAttribute, Size{260, 180}), AXError::Success);
    EXPECT_EQ(independentFrame(logo->window()), (Rect{placed->origin, Size{260, 180}}));

    moved({QStringLiteral("windowsize"), id, QStringLiteral("320"), QStringLiteral("200")});
    const auto resized = independentFrame(logo->window());
    ASSERT_TRUE(resized);
    ASSERT_EQ(window->setAttributeValue(AX::Position, Point{200, 150}), AXError::Success);
    EXPECT_EQ(independentFrame(logo->window()), Rect(Point{200, 150}, resized->size));
    EXPECT_EQ(elementFrame(window), independentFrame(logo->window()));

    // Gone between two requests: the second finds it gone, not a frame remembered for it.
    logo.reset();
    processEvents(100);
    EXPECT_EQ(window->setAttributeValue(AX::Position, Point{250, 150}), AXError::InvalidElement);
}

TEST_F(X11Windows, RaisesAndActivatesAWindow) {
    auto back = Client::start(QStringLiteral("xterm"), QStringLiteral("40x10+100+100"));
    auto front = Client::start(QStringLiteral("xterm"), QStringLiteral("40x10+150+150"));
    ASSERT_TRUE(back && front);
    auto topOfStack = [] {
        const auto stacking = xpropValues(0, QStringLiteral("_NET_CLIENT_LIST_STACKING"));
        return stacking.empty() ? 0 : std::uint32_t(stacking.back());
    };
    auto active = [] {
        const auto values = xpropValues(0, QStringLiteral("_NET_ACTIVE_WINDOW"));
        return values.empty() ? 0 : std::uint32_t(values.front());
    };
    ASSERT_TRUE(waitUntil([&] { return topOfStack() == front->window(); }));

    const AXElementRef application = platform->accessibility().applicationElement(back->pid());
    const auto windows = attribute<std::vector<AXElementRef>>(application, AX::Windows);
    ASSERT_TRUE(windows);
    ASSERT_EQ(windows->size(), 1u);
    EXPECT_EQ(windows->front()->performAction(AX::Raise), AXError::Success);
    EXPECT_TRUE(waitUntil([&] { return topOfStack() == back->window() && active() == back->window(); }));
    EXPECT_TRUE(waitUntil([&] {
        const auto frontmost = platform->workspace().frontmostApplication();
        return frontmost && frontmost->processIdentifier == back->pid();
    }));
}

TEST_F(X11Windows, RaisingAWindowAndActivatingItsApplicationKeepsThatWindowInFront) {
    auto first = Client::start(QStringLiteral("xlogo"), QStringLiteral("200x150+100+100"));
    auto second = Client::start(QStringLiteral("xlogo"), QStringLiteral("200x150+150+150"));
    ASSERT_TRUE(first && second);
    // One application with two windows: the second names the first one's process as its own.
    ASSERT_TRUE(setCardinals(second->window(), QStringLiteral("_NET_WM_PID"), QString::number(first->pid())));
    const AXElementRef application = platform->accessibility().applicationElement(first->pid());
    std::optional<std::vector<AXElementRef>> windows;
    ASSERT_TRUE(waitUntil([&] {
        windows = attribute<std::vector<AXElementRef>>(application, AX::Windows);
        return windows && windows->size() == 2 && windows->front()->windowNumber() == second->window();
    }));
    const AXElementRef back = windows->back();
    ASSERT_EQ(back->windowNumber(), first->window());

    // As the program raises a window: the raise, then its application comes forward.
    ASSERT_EQ(back->performAction(AX::Raise), AXError::Success);
    ASSERT_TRUE(platform->workspace().activateApplication(first->pid(), false));
    // Setting a frame returns once the window manager has carried it out, and so both requests before.
    ASSERT_EQ(back->setAttributeValue(AX::Position, Point{120, 120}), AXError::Success);
    const auto stacking = xpropValues(0, QStringLiteral("_NET_CLIENT_LIST_STACKING"));
    ASSERT_FALSE(stacking.empty());
    EXPECT_EQ(std::uint32_t(stacking.back()), first->window());
}

// What is kept of each process between two hot keys answers for the process a window names now: a second
// window of the same process gets the same application, and a window that names another process gets
// that one's executable and start, not those kept of the first.
TEST_F(X11Windows, TheFrontmostApplicationIsTheProcessTheActiveWindowNamesNow) {
    auto first = Client::start(QStringLiteral("xlogo"), QStringLiteral("200x150+100+100"));
    auto second = Client::start(QStringLiteral("xterm"), QStringLiteral("40x10+400+100"));
    ASSERT_TRUE(first && second);
    QProcess other;
    other.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(other.waitForStarted());
    // The frontmost application once the window is active and that process is in front.
    auto frontmostAfterActivating = [&](std::uint32_t window,
                                        pid_t expected) -> std::optional<RunningApplication> {
        const AXElementRef element = windowElement(*platform, window);
        if (!element || element->performAction(AX::Raise) != AXError::Success ||
            !waitUntil([&] { return activeWindow() == window; }))
            return std::nullopt;
        std::optional<RunningApplication> frontmost;
        waitUntil([&] {
            frontmost = platform->workspace().frontmostApplication();
            return frontmost && frontmost->processIdentifier == expected;
        });
        return frontmost;
    };
    const auto logo = frontmostAfterActivating(first->window(), first->pid());
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->processIdentifier, first->pid());
    EXPECT_TRUE(logo->executablePath.endsWith(QStringLiteral("/xlogo")));

    const struct {
        const char* name;
        pid_t named;
        const char* executable;
    } steps[] = {
        {"a second window of the same process", first->pid(), "/xlogo"},
        {"the window names another process", static_cast<pid_t>(other.processId()), "/sleep"},
        {"and the first one again", first->pid(), "/xlogo"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        ASSERT_TRUE(
            setCardinals(second->window(), QStringLiteral("_NET_WM_PID"), QString::number(step.named)));
        // Away and back, as two hot keys on different windows would.
        ASSERT_TRUE(frontmostAfterActivating(first->window(), first->pid()));
        const auto now = frontmostAfterActivating(second->window(), step.named);
        ASSERT_TRUE(now);
        EXPECT_EQ(now->processIdentifier, step.named);
        EXPECT_TRUE(now->executablePath.endsWith(QLatin1String(step.executable)))
            << now->executablePath.toStdString();
        if (step.named == first->pid()) {
            EXPECT_EQ(now->launchTime, logo->launchTime);
        } else {
            EXPECT_NE(now->launchTime, logo->launchTime);
        }
    }
    other.kill();
    other.waitForFinished();
}

TEST_F(X11Windows, FindsTheWindowAndTheTitleBarButtonUnderThePointer) {
    auto input = fakeInput();
    ASSERT_TRUE(input);
    std::unique_ptr<Client> terminal;
    const AXElementRef window = open(QStringLiteral("xterm"), QStringLiteral("60x20+200+200"), terminal);
    ASSERT_TRUE(window);
    EXPECT_EQ(attribute<QString>(window, AX::Role), AX::WindowRole);
    EXPECT_EQ(attribute<QString>(window, AX::Subrole), AX::StandardWindowSubrole);

    const auto zoom = attribute<AXElementRef>(window, AX::ZoomButton);
    ASSERT_TRUE(zoom && *zoom);
    const auto zoomFrame = elementFrame(*zoom);
    ASSERT_TRUE(zoomFrame);
    const auto frame = elementFrame(window);
    ASSERT_TRUE(frame);
    EXPECT_TRUE(frame->contains(*zoomFrame));
    EXPECT_LT(zoomFrame->maxY(),
              frame->minY() + xpropValues(terminal->window(), QStringLiteral("_NET_FRAME_EXTENTS"))[2]);

    const auto atZoom = platform->accessibility().elementAtPosition({zoomFrame->midX(), zoomFrame->midY()});
    ASSERT_TRUE(atZoom);
    EXPECT_TRUE(AXElementsEqual(atZoom, *zoom));
    EXPECT_EQ(attribute<QString>(atZoom, AX::Subrole), AX::ZoomButton);
    EXPECT_EQ(attribute<bool>(atZoom, AX::Enabled), true);
    const auto owner = attribute<AXElementRef>(atZoom, AX::Window);
    ASSERT_TRUE(owner);
    EXPECT_TRUE(AXElementsEqual(*owner, window));

    // A click where the rectangle says hits the window manager's own zoom button.
    auto state = [&] { return xpropText(terminal->window(), QStringLiteral("_NET_WM_STATE")); };
    ASSERT_TRUE(input->movePointer({zoomFrame->midX(), zoomFrame->midY()}));
    ASSERT_TRUE(input->button(1, true));
    ASSERT_TRUE(input->button(1, false));
    EXPECT_TRUE(waitUntil([&] { return state().contains(QStringLiteral("MAXIMIZED_HORZ")); }));

    // Pressing it through the element toggles back.
    EXPECT_EQ(atZoom->performAction(AX::Press), AXError::Success);
    EXPECT_TRUE(waitUntil([&] { return !state().contains(QStringLiteral("MAXIMIZED")); }));

    const auto minimize = attribute<AXElementRef>(window, AX::MinimizeButton);
    ASSERT_TRUE(minimize && *minimize);
    EXPECT_EQ((*minimize)->performAction(AX::Press), AXError::Success);
    EXPECT_TRUE(waitUntil([&] { return state().contains(QStringLiteral("HIDDEN")); }));
    EXPECT_TRUE(waitUntil([&] { return attribute<bool>(window, AX::Minimized) == true; }));
}

// Under every window manager of the test display: where the zoom button is said to be, the window
// manager's own maximise button is, found by clicking it; where the window manager draws none, there is
// no zoom button.
TEST_F(X11Windows, TheZoomButtonLiesOverTheWindowManagersMaximiseButton) {
    auto input = fakeInput();
    ASSERT_TRUE(input);
    std::unique_ptr<Client> terminal;
    const AXElementRef window = open(QStringLiteral("xterm"), QStringLiteral("60x20+300+300"), terminal);
    ASSERT_TRUE(window);
    const auto check = xpropValues(0, QStringLiteral("_NET_SUPPORTING_WM_CHECK"));
    ASSERT_FALSE(check.empty());
    const QString manager =
        xpropText(static_cast<std::uint32_t>(check.front()), QStringLiteral("_NET_WM_NAME"))
            .section(QLatin1Char('"'), 1, 1);
    // metacity's default layout has a close button alone.
    const bool drawsMaximise = manager != QStringLiteral("Metacity") ||
                               run(QStringLiteral("gsettings"),
                                   {QStringLiteral("get"), QStringLiteral("org.gnome.desktop.wm.preferences"),
                                    QStringLiteral("button-layout")})
                                   .contains("maximize");
    const auto zoom = attribute<AXElementRef>(window, AX::ZoomButton);
    if (!drawsMaximise) {
        EXPECT_FALSE(zoom && *zoom) << manager.toStdString();
        return;
    }
    ASSERT_TRUE(zoom && *zoom) << manager.toStdString();
    {
        // The title bar as the window manager draws it, the zoom button's rectangle outlined on it.
        const auto frame = elementFrame(window);
        const auto button = elementFrame(*zoom);
        ASSERT_TRUE(frame && button);
        const QRect bar(int(frame->minX()), int(frame->minY()), int(frame->size.width),
                        int(button->maxY() - frame->minY()) + 8);
        QImage picture = screenPixels(bar);
        ASSERT_FALSE(picture.isNull());
        QPainter painter(&picture);
        painter.setPen(Qt::red);
        painter.drawRect(QRectF(button->minX() - bar.x(), button->minY() - bar.y(), button->size.width - 1,
                                button->size.height - 1));
        painter.end();
        saveScreenshot(picture, QStringLiteral("title-bar-zoom-button-%1")
                                    .arg(manager.contains(QStringLiteral("Marco"))
                                             ? QStringLiteral("marco")
                                             : manager.section(QLatin1Char(' '), 0, 0).toLower()));
    }

    auto state = [&] { return xpropText(terminal->window(), QStringLiteral("_NET_WM_STATE")); };
    const auto restored = independentFrame(terminal->window());
    ASSERT_TRUE(restored);
    // The middle and a pixel inside each side: a rectangle off by a button's width misses one of them.
    for (const double across : {0.5, 0.0, 1.0}) {
        SCOPED_TRACE(across);
        const auto button = elementFrame(*zoom);
        ASSERT_TRUE(button);
        const Point point{button->minX() + 1 + across * (button->size.width - 3), button->midY()};
        ASSERT_TRUE(input->movePointer(point));
        ASSERT_TRUE(input->button(1, true));
        ASSERT_TRUE(input->button(1, false));
        EXPECT_TRUE(waitUntil([&] { return state().contains(QStringLiteral("MAXIMIZED_HORZ")); }))
            << manager.toStdString() << " at " << point.x << ", " << point.y;
        ASSERT_EQ((*zoom)->performAction(AX::Press), AXError::Success);
        ASSERT_TRUE(waitUntil([&] {
            return !state().contains(QStringLiteral("MAXIMIZED")) &&
                   independentFrame(terminal->window()) == restored;
        }));
    }
}

// Window managers differ in whether a size off a window's steps is rounded to them: either counts as
// taken, and which one this window manager gives is logged once.
TEST_F(X11Windows, ASizeOffTheWindowsStepsIsTakenAsTheWindowManagerGivesIt) {
    std::unique_ptr<Client> terminal;
    const AXElementRef window = open(QStringLiteral("xterm"), QStringLiteral("40x10+200+200"), terminal);
    ASSERT_TRUE(window);
    QStringList lines;
    setPlatformLogSink([&](const QString& line) { lines << line; });
    const std::pair<double, double> sizes[] = {{503, 307}, {611, 411}};
    bool exact = false;
    for (const auto& [width, height] : sizes) {
        EXPECT_EQ(window->setAttributeValue(AX::SizeAttribute, Size{width, height}), AXError::Success);
        const auto frame = independentFrame(terminal->window());
        ASSERT_TRUE(frame);
        EXPECT_EQ(elementFrame(window), frame);
        exact = frame->size == Size{width, height};
    }
    setPlatformLogSink({});
    EXPECT_EQ(lines.filter(QStringLiteral("did not take")), QStringList{});
    const QStringList learned = lines.filter(QStringLiteral("sizes"));
    ASSERT_EQ(learned.size(), 1) << lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(
        learned.front().contains(exact ? QStringLiteral("applies requested sizes exactly")
                                       : QStringLiteral("rounds requested sizes to the window's size steps")))
        << learned.front().toStdString();
}

TEST_F(X11Windows, TitleBarButtonsFollowTheWindowManagerWhenItReadsItsConfigurationAgain) {
    std::unique_ptr<Client> terminal;
    const AXElementRef window = open(QStringLiteral("xterm"), QStringLiteral("60x20+200+200"), terminal);
    ASSERT_TRUE(window);
    QTemporaryDir configHome;
    ASSERT_TRUE(configHome.isValid() && QDir(configHome.path()).mkpath(QStringLiteral("openbox")));
    struct RestoreConfigHome {
        QByteArray value = qgetenv("XDG_CONFIG_HOME");
        ~RestoreConfigHome() { qputenv("XDG_CONFIG_HOME", value); }
    } restore;
    qputenv("XDG_CONFIG_HOME", configHome.path().toUtf8());
    // Where the zoom button lies on the title bar, once openbox has read the layout again.
    auto reconfigureWithLayout = [&](const QString& layout) {
        QFile rc(configHome.path() + QStringLiteral("/openbox/rc.xml"));
        if (!rc.open(QIODevice::WriteOnly))
            return false;
        rc.write(
            QStringLiteral("<openbox_config><theme><titleLayout>%1</titleLayout></theme></openbox_config>")
                .arg(layout)
                .toUtf8());
        rc.close();
        run(QStringLiteral("openbox"), {QStringLiteral("--reconfigure")});
        return true;
    };
    auto zoomOnTheLeft = [&]() -> std::optional<bool> {
        const auto zoom = attribute<AXElementRef>(window, AX::ZoomButton);
        const auto frame = elementFrame(window);
        const auto zoomFrame = zoom && *zoom ? elementFrame(*zoom) : std::nullopt;
        if (!frame || !zoomFrame)
            return std::nullopt;
        return zoomFrame->midX() < frame->midX();
    };
    ASSERT_TRUE(reconfigureWithLayout(QStringLiteral("MLC")));
    EXPECT_TRUE(waitUntil([&] { return zoomOnTheLeft() == true; }));
    ASSERT_TRUE(reconfigureWithLayout(QStringLiteral("CLM")));
    EXPECT_TRUE(waitUntil([&] { return zoomOnTheLeft() == false; }));
}

TEST_F(X11Windows, AnElementOfAClosedWindowReportsItselfInvalid) {
    std::unique_ptr<Client> terminal;
    const AXElementRef window = open(QStringLiteral("xterm"), QStringLiteral("40x10+300+300"), terminal);
    ASSERT_TRUE(window);
    const auto close = attribute<AXElementRef>(window, AX::CloseButton);
    ASSERT_TRUE(close && *close);
    EXPECT_EQ((*close)->performAction(AX::Press), AXError::Success);
    ASSERT_TRUE(waitUntil([&] { return !xwininfoGeometry(terminal->window()); }));

    AXValue value;
    EXPECT_EQ(window->copyAttributeValue(AX::Position, value), AXError::InvalidElement);
    EXPECT_EQ(window->setAttributeValue(AX::Position, Point{10, 10}), AXError::InvalidElement);
    EXPECT_EQ(window->setAttributeValue(AX::SizeAttribute, Size{100, 100}), AXError::InvalidElement);
    EXPECT_EQ((*close)->copyAttributeValue(AX::Position, value), AXError::InvalidElement);
    EXPECT_EQ(window->performAction(AX::Raise), AXError::InvalidElement);
}

TEST_F(X11Windows, FollowsADragOfTheWindowManagerStepByStepWhileTheStreamKeepsHearingThePointer) {
    auto input = fakeInput();
    ASSERT_TRUE(input);
    std::unique_ptr<Client> terminal;
    const AXElementRef window = open(QStringLiteral("xterm"), QStringLiteral("60x20+100+100"), terminal);
    ASSERT_TRUE(window);
    const auto start = elementFrame(window);
    ASSERT_TRUE(start);

    int moves = 0;
    auto observation = platform->accessibility().observeWindow(
        window, [&](const AXElementRef&, const QString& name) { moves += name == AX::MovedNotification; });
    // Alt and drag: openbox moves the frame under its own grab of the pointer.
    Point pointer{std::floor(start->midX()), std::floor(start->midY())};
    ASSERT_TRUE(input->movePointer(pointer));
    std::vector<TapEvent> drags;
    bool down = false;
    auto tap = platform->eventStream().install(tapEventMaskBit(TapEventType::LeftMouseDragged) |
                                                   tapEventMaskBit(TapEventType::LeftMouseDown),
                                               [&](const TapEvent& event) {
                                                   if (event.type == TapEventType::LeftMouseDown)
                                                       down = true;
                                                   else
                                                       drags.push_back(event);
                                               });
    ASSERT_TRUE(observation && tap);
    // Whatever happens, Alt and the button come up again for the tests that follow.
    struct Release {
        X11FakeInput& input;
        ~Release() {
            input.button(1, false);
            input.key(Key::Option, false);
        }
    } release{*input};
    ASSERT_TRUE(input->key(Key::Option, true));
    ASSERT_TRUE(input->button(1, true));
    ASSERT_TRUE(waitUntil([&] { return down; }));
    constexpr int Steps = 5;
    constexpr double Step = 20;
    for (int step = 1; step <= Steps; ++step) {
        SCOPED_TRACE(step);
        pointer.x += Step;
        pointer.y += Step / 2;
        ASSERT_TRUE(input->movePointer(pointer));
        // Every step is seen before the next one: as a pointer event and as a move of the window.
        ASSERT_TRUE(waitUntil([&] { return int(drags.size()) >= step && moves >= step - 1; }))
            << drags.size() << " drags, " << moves << " moves";
    }
    ASSERT_TRUE(input->button(1, false));
    ASSERT_TRUE(input->key(Key::Option, false));
    ASSERT_TRUE(waitUntil([&] {
        const auto frame = elementFrame(window);
        return frame && frame->origin != start->origin && frame == independentFrame(terminal->window());
    }));
    EXPECT_GE(moves, Steps - 1);
    EXPECT_EQ(drags.back().location, pointer);
}

TEST_F(X11Windows, SetsFramesFromAWorkerWhileTheMainThreadReadsTheDesktop) {
    std::unique_ptr<Client> logo;
    const AXElementRef window = open(QStringLiteral("xlogo"), QStringLiteral("200x150+100+100"), logo);
    ASSERT_TRUE(window);

    constexpr int Moves = 40;
    std::atomic<int> failures = 0;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        for (int i = 0; i < Moves; ++i)
            if (window->setAttributeValue(AX::Position, Point{100.0 + 10 * i, 100.0 + 5 * i}) !=
                AXError::Success)
                ++failures;
        done = true;
    });
    int reads = 0;
    while (!done) {
        platform->windowServer().windowList();
        platform->accessibility().elementAtPosition({300, 300});
        QCoreApplication::processEvents();
        ++reads;
    }
    worker.join();
    EXPECT_EQ(failures, 0);
    EXPECT_GT(reads, 0);
    const auto last = Point{100.0 + 10 * (Moves - 1), 100.0 + 5 * (Moves - 1)};
    EXPECT_EQ(originOf(elementFrame(window)), last);
    EXPECT_EQ(originOf(independentFrame(logo->window())), last);

    // The window goes while the worker keeps setting its frame: the worker is told so, and the main
    // thread goes on reading.
    std::atomic<AXError> refusal = AXError::Success;
    std::atomic<bool> stop = false;
    std::thread mover([&] {
        for (int i = 0; !stop && refusal == AXError::Success; ++i)
            refusal = window->setAttributeValue(AX::Position, Point{100.0 + 50 * (i % 2), 100});
    });
    logo.reset();
    EXPECT_TRUE(waitUntil([&] {
        platform->windowServer().windowList();
        return refusal != AXError::Success;
    }));
    stop = true;
    mover.join();
    EXPECT_EQ(refusal, AXError::InvalidElement);
}

// While a task on the worker sets frames, the main thread leaves the desktop's events to it: the moves reach
// the main thread's observers once the task is done, and moves of other clients are heard again afterwards,
// as they come, with no worker to hand them over.
TEST_F(X11Windows, MovesMadeOnTheWorkerReachTheMainThreadWhenItIsDoneAndLaterOnesAsTheyCome) {
    std::unique_ptr<Client> logo;
    const AXElementRef window = open(QStringLiteral("xlogo"), QStringLiteral("200x150+100+100"), logo);
    ASSERT_TRUE(window);
    int moves = 0;
    auto observation = platform->accessibility().observeWindow(
        window, [&](const AXElementRef&, const QString& name) { moves += name == AX::MovedNotification; });
    ASSERT_TRUE(observation);

    constexpr int Steps = 20;
    std::atomic<int> failures = 0;
    std::atomic<bool> done = false;
    DispatchQueue::global(QueuePriority::High).async([&] {
        for (int i = 1; i <= Steps; ++i)
            if (window->setAttributeValue(AX::Position, Point{100.0 + 10 * i, 100}) != AXError::Success)
                ++failures;
        done = true;
    });
    ASSERT_TRUE(waitUntil([&] { return done && moves > 0; }));
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(originOf(independentFrame(logo->window())), (Point{100.0 + 10 * Steps, 100}));

    for (const int x : {500, 600}) {
        SCOPED_TRACE(x);
        moves = 0;
        run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QString::number(logo->window()),
                                        QString::number(x), QStringLiteral("300")});
        ASSERT_TRUE(waitUntil([&] { return moves > 0; }));
        EXPECT_EQ(elementFrame(window), independentFrame(logo->window()));
    }
}

TEST_F(X11Windows, KeepsWorkingWhenTheWindowManagerRestarts) {
    std::unique_ptr<Client> logo;
    const AXElementRef window = open(QStringLiteral("xlogo"), QStringLiteral("200x150+150+150"), logo);
    ASSERT_TRUE(window);
    int moves = 0;
    auto observation = platform->accessibility().observeWindow(
        window, [&](const AXElementRef&, const QString& name) { moves += name == AX::MovedNotification; });
    ASSERT_TRUE(observation);

    auto parent = [&] {
        const QString tree =
            QString::fromUtf8(run(QStringLiteral("xwininfo"), {QStringLiteral("-tree"), QStringLiteral("-id"),
                                                               QString::number(logo->window())}));
        const int at = tree.indexOf(QStringLiteral("Parent window id:"));
        return at < 0 ? QString() : tree.mid(at).section(QLatin1Char(' '), 3, 3);
    };
    const QString frameBefore = parent();
    run(QStringLiteral("openbox"), {QStringLiteral("--restart")});
    // The restarted manager frames the window anew.
    ASSERT_TRUE(waitUntil([&] {
        const QString frame = parent();
        return !frame.isEmpty() && frame != frameBefore &&
               !xpropValues(logo->window(), QStringLiteral("_NET_FRAME_EXTENTS")).empty();
    }));

    ASSERT_TRUE(waitUntil([&] {
        const auto frame = elementFrame(window);
        return windowElement(*platform, logo->window()) && frame && frame == independentFrame(logo->window());
    }));
    processEvents(100);
    moves = 0;
    EXPECT_EQ(window->setAttributeValue(AX::Position, Point{420, 240}), AXError::Success);
    EXPECT_EQ(originOf(elementFrame(window)), (Point{420, 240}));
    EXPECT_EQ(originOf(independentFrame(logo->window())), (Point{420, 240}));
    EXPECT_TRUE(waitUntil([&] { return moves >= 1; }));
    run(QStringLiteral("xdotool"), {QStringLiteral("windowmove"), QString::number(logo->window()),
                                    QStringLiteral("300"), QStringLiteral("300")});
    EXPECT_TRUE(waitUntil([&] { return moves >= 2; })) << moves;
}

TEST_F(X11Windows, HidesOtherApplicationsAndActivatesOne) {
    auto keep = Client::start(QStringLiteral("xterm"), QStringLiteral("40x10+100+400"));
    auto other = Client::start(QStringLiteral("xterm"), QStringLiteral("40x10+400+400"));
    ASSERT_TRUE(keep && other);
    std::vector<pid_t> activated;
    auto connection = platform->workspace().activeApplicationChanged.connect(
        [&](const std::optional<RunningApplication>& application) {
            if (application)
                activated.push_back(application->processIdentifier);
        });
    auto hidden = [](std::uint32_t window) {
        return xpropText(window, QStringLiteral("_NET_WM_STATE")).contains(QStringLiteral("HIDDEN"));
    };

    ASSERT_TRUE(waitUntil([&] {
        const auto running = platform->workspace().runningApplications();
        return std::count_if(running.begin(), running.end(), [&](const RunningApplication& a) {
                   return a.processIdentifier == keep->pid() || a.processIdentifier == other->pid();
               }) == 2;
    }));
    const auto application = platform->workspace().applicationWithProcessIdentifier(keep->pid());
    ASSERT_TRUE(application);
    EXPECT_EQ(application->bundleIdentifier, QStringLiteral("xterm"));
    EXPECT_EQ(application->localizedName, QStringLiteral("XTerm"));
    EXPECT_TRUE(application->executablePath.endsWith(QStringLiteral("/xterm")));
    EXPECT_GT(application->launchTime, 0);

    EXPECT_TRUE(platform->workspace().hideOtherApplications(keep->pid()));
    EXPECT_TRUE(waitUntil([&] { return hidden(other->window()); }));
    EXPECT_FALSE(hidden(keep->window()));
    EXPECT_TRUE(waitUntil(
        [&] { return platform->workspace().applicationWithProcessIdentifier(other->pid())->isHidden; }));

    // Activating brings the hidden one back, in front and with the focus.
    EXPECT_TRUE(platform->workspace().activateApplication(other->pid(), false));
    EXPECT_TRUE(waitUntil(
        [&] { return !hidden(other->window()) && !activated.empty() && activated.back() == other->pid(); }));
    EXPECT_FALSE(platform->workspace().activateApplication(0, false));
}

TEST_F(X11Windows, ReportsAFrameTheWindowManagerDidNotGrant) {
    std::unique_ptr<Client> logo;
    const AXElementRef window = open(QStringLiteral("xlogo"), QStringLiteral("200x150+100+100"), logo);
    ASSERT_TRUE(window);
    // A timeout that is no length of time is refused: every wait stays bounded.
    const double timeout = platform->accessibility().messagingTimeout();
    for (double bad : {0.0, -1.0, std::nan(""), std::numeric_limits<double>::infinity()})
        platform->accessibility().setMessagingTimeout(bad);
    EXPECT_EQ(platform->accessibility().messagingTimeout(), timeout);
    QStringList lines;
    setPlatformLogSink([&](const QString& line) { lines << line; });
    // openbox keeps a corner of every window on the screen. It answered, so the request did not
    // fail: the frame read back tells what the window made of it.
    const AXError result = window->setAttributeValue(AX::Position, Point{-5000, -5000});
    setPlatformLogSink({});
    EXPECT_EQ(result, AXError::Success);
    const auto frame = elementFrame(window);
    ASSERT_TRUE(frame);
    EXPECT_GT(frame->maxX(), 0);
    EXPECT_EQ(frame, independentFrame(logo->window()));
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines.front().contains(QStringLiteral("did not take the frame")))
        << lines.front().toStdString();

    // A size is compared as the window's size hints shape it (xterm's character cells), and the line
    // says so: a full-screen window takes no size at all.
    std::unique_ptr<Client> term;
    const AXElementRef stepped = open(QStringLiteral("xterm"), QStringLiteral("40x10+100+100"), term);
    ASSERT_TRUE(stepped);
    ASSERT_EQ(stepped->setAttributeValue(AX::FullScreen, true), AXError::Success);
    ASSERT_TRUE(waitUntil([&] {
        const auto frame = elementFrame(stepped);
        return frame && frame->width() == 1600;
    }));
    lines.clear();
    setPlatformLogSink([&](const QString& line) { lines << line; });
    EXPECT_EQ(stepped->setAttributeValue(AX::SizeAttribute, Size{503, 307}), AXError::Success);
    setPlatformLogSink({});
    ASSERT_EQ(lines.size(), 1);
    const QRegularExpression line(QStringLiteral(
        R"(did not take the frame \{\{0, 0\}, \{(\d+), (\d+)\}\} \(asked \{503, 307\} within its size hints\): it has \{\{0, 0\}, \{1600, 1000\}\})"));
    const auto match = line.match(lines.front());
    ASSERT_TRUE(match.hasMatch()) << lines.front().toStdString();
    EXPECT_NE(QSize(match.captured(1).toInt(), match.captured(2).toInt()), QSize(503, 307));
}
