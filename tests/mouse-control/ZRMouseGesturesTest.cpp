#include "mouse-control/ZRMouseGestures.h"

#include "platform/sim/SimDesktop.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

// Two windows' elements: those of two applications will do.
struct TwoWindows {
    SimDesktop desktop;
    AXElementRef element(const char* identifier) {
        const auto& application =
            desktop.addApplication(QString::fromUtf8(identifier), QStringLiteral("App"));
        return desktop.accessibility().applicationElement(application.pid());
    }
    const AXElementRef first = element("com.example.First");
    const AXElementRef second = element("com.example.Second");
};

// The hover worker sets a frame only while the ticket it was given is current: every way a gesture ends
// (keys let go, a gesture on another window, its owner gone) must end the tickets of the one before, and
// nothing else may.
TEST(ZRMouseGesturesTest, HoverTicketsEndWithTheirGesture) {
    TwoWindows windows;
    const AXElementRef& first = windows.first;
    const AXElementRef& second = windows.second;
    struct Case {
        const char* name;
        void (*change)(ZRHoverGesture&, const AXElementRef& first, const AXElementRef& second);
        bool current;
    };
    const Case cases[] = {
        {"nothing", [](ZRHoverGesture&, const AXElementRef&, const AXElementRef&) {}, true},
        {"a move step", [](ZRHoverGesture& g, const AXElementRef&, const AXElementRef&) { g.noteMoveStep(); },
         true},
        {"the same window again",
         [](ZRHoverGesture& g, const AXElementRef& first, const AXElementRef&) { g.begin(first); }, true},
        {"the keys let go", [](ZRHoverGesture& g, const AXElementRef&, const AXElementRef&) { g.end(); },
         false},
        {"another window",
         [](ZRHoverGesture& g, const AXElementRef&, const AXElementRef& second) { g.begin(second); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZRHoverGesture gesture;
        gesture.begin(first);
        const ZRHoverGesture::Ticket ticket = gesture.ticket();
        c.change(gesture, first, second);
        EXPECT_EQ(ticket.isCurrent(), c.current);
    }

    std::optional<ZRHoverGesture::Ticket> ticket;
    {
        ZRHoverGesture gesture;
        gesture.begin(first);
        gesture.noteMoveStep();
        ticket = gesture.ticket();
    }
    EXPECT_FALSE(ticket->isCurrent()) << "a ticket outlives its gesture's owner, and is no longer current";
}

TEST(ZRMouseGesturesTest, EndingAGestureForgetsItsWindowAndMove) {
    TwoWindows windows;
    const AXElementRef& window = windows.first;
    ZRMouseGestures gestures;
    gestures.hover.begin(window);
    EXPECT_FALSE(gestures.isDraggingWindow()) << "a hover gesture drags once a move took a step";
    gestures.hover.noteMoveStep();
    EXPECT_TRUE(gestures.isDraggingWindow());
    gestures.hover.end();
    EXPECT_FALSE(gestures.hover.window());
    EXPECT_FALSE(gestures.isDraggingWindow());

    gestures.snap.noteMouseDown(Point(10, 20));
    gestures.snap.beginTracking(window);
    gestures.snap.noteDragged(Point(30, 20));
    gestures.snap.noteMoved();
    EXPECT_TRUE(gestures.isDraggingWindow());
    EXPECT_EQ(gestures.snap.mouseDownLocation(), Point(10, 20));
    EXPECT_EQ(gestures.snap.lastDragLocation(), Point(30, 20));
    gestures.snap.endTracking();
    EXPECT_FALSE(gestures.snap.trackedWindow());
    EXPECT_FALSE(gestures.isDraggingWindow());
}

} // namespace
