// Screens from RandR monitors, and their usable frames less the struts of docks.
#include "platform/x11/X11Screens.h"
#include "X11TestSupport.h"
#include "platform/Accessibility.h"
#include "platform/EventStream.h"
#include "platform/InputState.h"
#include "platform/Screens.h"
#include "platform/x11/X11FakeInput.h"
#include "platform/x11/X11Platform.h"

#include <gtest/gtest.h>

using namespace X11Test;

namespace {

std::uint32_t rootWindow() {
    const QByteArray info = run(QStringLiteral("xwininfo"), {QStringLiteral("-root")});
    const auto at = info.indexOf("Window id: ");
    return at < 0 ? 0 : info.mid(at + 11).split(' ').front().toUInt(nullptr, 16);
}

std::vector<Rect> frames(const std::vector<ScreenInfo>& screens, bool visible) {
    std::vector<Rect> result;
    for (const ScreenInfo& screen : screens)
        result.push_back(visible ? screen.visibleFrame : screen.frame);
    return result;
}

} // namespace

TEST(X11Screens, TheWorkAreaOfTheCurrentDesktopCutsTheUsableArea) {
    const Rect usable(0, 0, 1600, 960);
    const struct {
        std::vector<std::uint32_t> values;
        std::uint32_t desktop;
        Rect expected;
    } cases[] = {
        {{}, 0, usable},                                                // no work area
        {{0, 26, 1600, 974}, 0, Rect(0, 26, 1600, 934)},                // a taskbar at the top
        {{0, 0, 1600, 980, 0, 0, 1600, 900}, 1, Rect(0, 0, 1600, 900)}, // the second desktop's
        {{0, 0, 1600, 980}, 3, Rect(0, 0, 1600, 960)},                  // one for all desktops
        {{0, 0, 1600}, 0, usable},                                      // cut short
        {{2000, 0, 100, 100}, 0, usable},                               // beside the monitor
        {{0, 0, 0, 0}, 0, usable},                                      // empty
    };
    for (const auto& c : cases) {
        EXPECT_EQ(X11Screens::withinWorkArea(usable, X11Screens::currentWorkArea(c.values, c.desktop)),
                  c.expected)
            << c.values.size() << " values, desktop " << c.desktop;
    }
}

TEST(X11Screens, UsableFramesLeaveOutTheStrutsOfDocksOnEachMonitor) {
    QString error;
    auto platform = createX11Platform(&error);
    ASSERT_TRUE(platform) << error.toStdString();
    Screens& screens = platform->screens();
    int changes = 0;
    auto connection = screens.screensChanged.connect([&] { ++changes; });

    const Rect whole(0, 0, 1600, 1000);
    ASSERT_EQ(frames(screens.screens(), false), std::vector<Rect>{whole});
    EXPECT_EQ(frames(screens.screens(), true), std::vector<Rect>{whole});

    // A panel along the top of the left half of the root, 40 pixels deep.
    auto panel = Client::start(QStringLiteral("xlogo"), QStringLiteral("800x40+0+0"));
    ASSERT_TRUE(panel);
    ASSERT_TRUE(setCardinals(panel->window(), QStringLiteral("_NET_WM_STRUT_PARTIAL"),
                             QStringLiteral("0, 0, 40, 0, 0, 0, 0, 0, 0, 799, 0, 0")));
    ASSERT_TRUE(waitUntil([&] { return changes > 0; }));
    EXPECT_EQ(frames(screens.screens(), true), std::vector<Rect>{Rect(0, 0, 1600, 960)});

    // Screens are read again only after a change, and new monitors are one: xrandr sets the size of the
    // screen with them, which the root's ConfigureNotify tells even where RandR announces nothing.
    EXPECT_EQ(frames(screens.screens(), true), std::vector<Rect>{Rect(0, 0, 1600, 960)});
    {
        Monitors monitors;
        changes = 0;
        ASSERT_TRUE(monitors.add(QStringLiteral("SkafLeft"), QStringLiteral("800/200x1000/250+0+0"),
                                 QStringLiteral("screen")));
        ASSERT_TRUE(monitors.add(QStringLiteral("SkafRight"), QStringLiteral("800/200x1000/250+800+0"),
                                 QStringLiteral("none")));
        const auto two = screens.screens();
        EXPECT_TRUE(waitUntil([&] { return changes > 0; }));
        ASSERT_EQ(two.size(), 2u);
        EXPECT_EQ(two[0].name, QStringLiteral("SkafLeft"));
        EXPECT_EQ(two[1].name, QStringLiteral("SkafRight"));
        EXPECT_EQ(frames(two, false), (std::vector<Rect>{Rect(0, 0, 800, 1000), Rect(800, 0, 800, 1000)}));
        // Only the left monitor has the panel on it.
        EXPECT_EQ(frames(two, true), (std::vector<Rect>{Rect(0, 0, 800, 960), Rect(800, 0, 800, 1000)}));
    }

    // A monitor of another height below the first: Cocoa coordinates count up from the primary's bottom.
    {
        Monitors monitors;
        ASSERT_TRUE(monitors.add(QStringLiteral("SkafTop"), QStringLiteral("1600/400x600/150+0+0"),
                                 QStringLiteral("screen")));
        ASSERT_TRUE(monitors.add(QStringLiteral("SkafBottom"), QStringLiteral("1000/250x400/100+300+600"),
                                 QStringLiteral("none")));
        const auto two = screens.screens();
        EXPECT_EQ(frames(two, false), (std::vector<Rect>{Rect(0, 0, 1600, 600), Rect(300, -400, 1000, 400)}));
        EXPECT_EQ(frames(two, true), (std::vector<Rect>{Rect(0, 0, 1600, 560), Rect(300, -400, 1000, 400)}));
    }

    // A panel of the window manager's own (icewm's taskbar, fluxbox's toolbar) is no client: it shows
    // only in the work area, which counts as well.
    const auto workArea = xpropValues(rootWindow(), QStringLiteral("_NET_WORKAREA"));
    changes = 0;
    ASSERT_TRUE(
        setCardinals(rootWindow(), QStringLiteral("_NET_WORKAREA"), QStringLiteral("0, 0, 1600, 974")));
    ASSERT_TRUE(waitUntil([&] { return changes > 0; }));
    EXPECT_EQ(frames(screens.screens(), true), std::vector<Rect>{Rect(0, 26, 1600, 934)});
    QStringList values;
    for (long value : workArea)
        values << QString::number(value);
    ASSERT_TRUE(
        setCardinals(rootWindow(), QStringLiteral("_NET_WORKAREA"), values.join(QStringLiteral(", "))));

    // The panel gone, the whole screen is usable again.
    changes = 0;
    panel.reset();
    ASSERT_TRUE(waitUntil([&] { return changes > 0; }));
    EXPECT_EQ(frames(screens.screens(), true), std::vector<Rect>{whole});
}

TEST(X11Screens, CountsCoordinatesFromThePrimaryMonitorWhereverItLies) {
    QString error;
    auto platform = createX11Platform(&error);
    ASSERT_TRUE(platform) << error.toStdString();
    auto input = X11FakeInput::open(&error);
    ASSERT_TRUE(input) << error.toStdString();
    auto logo = Client::start(QStringLiteral("xlogo"), QStringLiteral("200x150+900+100"));
    ASSERT_TRUE(logo);

    Monitors monitors;
    // The right half of the root is the primary monitor ("*" marks it).
    ASSERT_TRUE(monitors.add(QStringLiteral("*SkafPrimary"), QStringLiteral("800/200x1000/250+800+0"),
                             QStringLiteral("none")));
    ASSERT_TRUE(monitors.add(QStringLiteral("SkafOther"), QStringLiteral("800/200x1000/250+0+0"),
                             QStringLiteral("screen")));
    const auto screens = platform->screens().screens();
    ASSERT_EQ(screens.size(), 2u);
    EXPECT_EQ(screens[0].name, QStringLiteral("SkafPrimary"));
    EXPECT_EQ(frames(screens, false), (std::vector<Rect>{Rect(0, 0, 800, 1000), Rect(-800, 0, 800, 1000)}));

    // Windows, elements, the pointer and the stream all count from the primary's top left.
    const auto root = xwininfoGeometry(logo->window());
    ASSERT_TRUE(root);
    const Point inside{root->midX() - 800, root->midY()};
    AXElementRef element;
    ASSERT_TRUE(waitUntil(
        [&] { return (element = platform->accessibility().elementAtPosition(inside)) != nullptr; }));
    EXPECT_EQ(element->windowNumber(), logo->window());
    AXValue position;
    ASSERT_EQ(element->copyAttributeValue(AX::Position, position), AXError::Success);
    EXPECT_LT(std::get<Point>(position).x, 200);
    ASSERT_EQ(element->setAttributeValue(AX::Position, Point{-700, 300}), AXError::Success);
    EXPECT_TRUE(waitUntil([&] {
        const auto moved = xwininfoGeometry(logo->window());
        return moved && moved->x() > 100 && moved->x() < 110 && moved->y() > 300;
    }));

    // The stream starts from where the pointer is, and a move there would be none: the pointer starts
    // elsewhere, wherever a test before left it.
    ASSERT_TRUE(input->movePointer({860, 50}));
    std::vector<TapEvent> events;
    auto tap = platform->eventStream().install(tapEventMaskBit(TapEventType::MouseMoved),
                                               [&](const TapEvent& event) { events.push_back(event); });
    ASSERT_TRUE(tap);
    ASSERT_TRUE(input->movePointer({850, 40}));
    ASSERT_TRUE(waitUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events.back().location, (Point{50, 40}));
    EXPECT_EQ(platform->inputState().pointerLocation(), (Point{50, 40}));
}
