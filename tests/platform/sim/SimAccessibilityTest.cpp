#include "SimTestSupport.h"

#include <unordered_set>

namespace {

class SimAccessibilityTest : public SimDesktopTest {
protected:
    SimAccessibilityTest()
        : editor(sim.addApplication("com.example.Editor", "Editor")),
          back(sim.addWindow(editor, Rect(100, 100, 800, 600), "Back")),
          front(sim.addWindow(editor, Rect(500, 300, 400, 300), "Front")) {
        front.addStandardButtons();
        front.setGrowArea(Rect(385, 285, 15, 15));
    }

    QString roleAt(Point p) {
        const auto element = sim.accessibility().elementAtPosition(p);
        if (!element)
            return QStringLiteral("none");
        return attribute<QString>(element, AX::Subrole)
            .value_or(attribute<QString>(element, AX::Role).value_or("?"));
    }

    SimApplication& editor;
    SimWindow& back;
    SimWindow& front;
};

TEST_F(SimAccessibilityTest, ElementAtPointIsTheDeepestElementOfTheTopmostWindow) {
    struct Case {
        const char* what;
        Point point;
        QString expectedRole;
        WindowNumber expectedWindow;
    };
    const Case cases[] = {
        {"close button", {510, 310}, AX::CloseButton, front.number()},
        {"minimise button", {530, 310}, AX::MinimizeButton, front.number()},
        {"zoom button", {550, 310}, AX::ZoomButton, front.number()},
        {"between buttons", {541, 310}, AX::StandardWindowSubrole, front.number()},
        {"grow area", {890, 590}, AX::GrowArea, front.number()},
        {"front window over the back one", {600, 400}, AX::StandardWindowSubrole, front.number()},
        {"back window only", {150, 150}, AX::StandardWindowSubrole, back.number()},
        {"the front one's far edge", {600, 600}, AX::StandardWindowSubrole, back.number()},
        {"desktop", {1000, 800}, "none", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(roleAt(c.point), c.expectedRole) << c.what;
        const auto element = sim.accessibility().elementAtPosition(c.point);
        const auto window = element && element->windowNumber()
                                ? element
                                : attribute<AXElementRef>(element, AX::Window).value_or(nullptr);
        EXPECT_EQ(window ? window->windowNumber().value_or(0) : 0, c.expectedWindow) << c.what;
    }

    back.raise();
    EXPECT_EQ(sim.accessibility().elementAtPosition({600, 400})->windowNumber(), back.number());
}

TEST_F(SimAccessibilityTest, HiddenMinimisedSlowAndUntrustedWindowsYieldNoElementThere) {
    front.setMinimized(true);
    EXPECT_EQ(sim.accessibility().elementAtPosition({600, 400})->windowNumber(), back.number());
    front.setMinimized(false);

    editor.setResponseTime(2.0);
    sim.accessibility().setMessagingTimeout(1.0);
    EXPECT_EQ(sim.accessibility().elementAtPosition({600, 400}), nullptr);
    sim.accessibility().setMessagingTimeout(3.0);
    EXPECT_NE(sim.accessibility().elementAtPosition({600, 400}), nullptr);

    sim.accessibility().setTrusted(false);
    EXPECT_FALSE(sim.accessibility().isProcessTrusted(true));
    EXPECT_EQ(sim.accessibility().promptCount(), 1);
    EXPECT_EQ(sim.accessibility().elementAtPosition({600, 400}), nullptr);
    AXValue value;
    EXPECT_EQ(elementOf(back, sim.accessibility()), nullptr);
    sim.accessibility().setTrusted(true);
    const auto element = elementOf(back, sim.accessibility());
    sim.accessibility().setTrusted(false);
    EXPECT_EQ(element->copyAttributeValue(AX::Title, value), AXError::APIDisabled);
}

TEST_F(SimAccessibilityTest, HandlesToOneElementAreEqualAndHashAlike) {
    const auto fromPoint = sim.accessibility().elementAtPosition({600, 400});
    const auto fromApplication = elementOf(front, sim.accessibility());
    const auto fromButton =
        attribute<AXElementRef>(sim.accessibility().elementAtPosition({550, 310}), AX::Window);
    ASSERT_TRUE(fromPoint && fromApplication && fromButton);
    EXPECT_NE(fromPoint, fromApplication);
    EXPECT_TRUE(AXElementsEqual(fromPoint, fromApplication));
    EXPECT_TRUE(AXElementsEqual(fromPoint, *fromButton));
    EXPECT_EQ(fromPoint->hash(), fromApplication->hash());

    const auto zoomA = sim.accessibility().elementAtPosition({550, 310});
    const auto zoomB = attribute<AXElementRef>(fromPoint, AX::ZoomButton);
    EXPECT_TRUE(AXElementsEqual(zoomA, *zoomB));
    EXPECT_FALSE(AXElementsEqual(zoomA, fromPoint));
    EXPECT_FALSE(AXElementsEqual(fromPoint, elementOf(back, sim.accessibility())));

    std::unordered_set<AXElementRef, AXElementRefHash, AXElementRefEqual> set{
        fromPoint, fromApplication, *fromButton, zoomA, elementOf(back, sim.accessibility())};
    EXPECT_EQ(set.size(), 3u);

    SimDesktop other;
    auto& otherApp = other.addApplication("com.example.Editor", "Editor");
    other.addWindow(otherApp, Rect(500, 300, 400, 300));
    EXPECT_FALSE(AXElementsEqual(other.accessibility().elementAtPosition({600, 400}), fromPoint));
}

TEST_F(SimAccessibilityTest, ApplicationElementListsWindowsAndFocusesTheFrontmostOne) {
    const auto app = sim.accessibility().applicationElement(editor.pid());
    EXPECT_EQ(attribute<QString>(app, AX::Role), AX::ApplicationRole);
    EXPECT_EQ(attribute<QString>(app, AX::Title), QStringLiteral("Editor"));
    const auto windows = attribute<std::vector<AXElementRef>>(app, AX::Windows).value();
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[0]->windowNumber(), front.number());
    EXPECT_EQ(attribute<AXElementRef>(app, AX::FocusedWindow).value()->windowNumber(), front.number());

    front.setMinimized(true);
    EXPECT_EQ(attribute<AXElementRef>(app, AX::MainWindow).value()->windowNumber(), back.number());
    EXPECT_EQ(attribute<std::vector<AXElementRef>>(app, AX::Windows)->size(), 2u);
    back.close();
    AXValue value;
    EXPECT_EQ(app->copyAttributeValue(AX::FocusedWindow, value), AXError::NoValue);
    EXPECT_EQ(sim.accessibility().applicationElement(99999), nullptr);
}

TEST_F(SimAccessibilityTest, WindowAttributesReflectTheScriptedWindow) {
    auto& reader = sim.addApplication("com.apple.iBooksX", "iBooks");
    auto& book = sim.addWindow(reader, Rect(10, 10, 300, 200), "Book");
    book.setContainsProtectedContent(true);
    book.addDrawer(Rect(300, 20, 100, 160));
    book.setFullScreenSettable(false);
    const auto element = elementOf(book, sim.accessibility());

    EXPECT_EQ(attribute<Point>(element, AX::Position), Point(10, 10));
    EXPECT_EQ(attribute<Size>(element, AX::SizeAttribute), Size(300, 200));
    EXPECT_EQ(attribute<QString>(element, AX::Title), QStringLiteral("Book"));
    EXPECT_EQ(attribute<bool>(element, AX::ContainsProtectedContent), true);
    EXPECT_EQ(attribute<QString>(*attribute<AXElementRef>(element, AX::Parent), AX::Title),
              QStringLiteral("iBooks"));
    const auto drawers = attribute<std::vector<AXElementRef>>(element, AX::Drawers).value();
    ASSERT_EQ(drawers.size(), 1u);
    EXPECT_EQ(attribute<Point>(drawers[0], AX::Position), Point(310, 30));
    EXPECT_EQ(attribute<QString>(drawers[0], AX::Role), AX::DrawerRole);
    AXValue value;
    EXPECT_EQ(element->copyAttributeValue(AX::ZoomButton, value), AXError::NoValue);
    EXPECT_EQ(element->copyAttributeValue(QStringLiteral("AXNoSuchThing"), value),
              AXError::AttributeUnsupported);

    bool settable = true;
    EXPECT_EQ(element->isAttributeSettable(AX::FullScreen, settable), AXError::Success);
    EXPECT_FALSE(settable);
    EXPECT_EQ(element->isAttributeSettable(AX::Title, settable), AXError::Success);
    EXPECT_FALSE(settable);
    book.setResizable(false);
    EXPECT_EQ(element->isAttributeSettable(AX::SizeAttribute, settable), AXError::Success);
    EXPECT_FALSE(settable);
    EXPECT_EQ(element->isAttributeSettable(AX::Position, settable), AXError::Success);
    EXPECT_TRUE(settable);
}

TEST_F(SimAccessibilityTest, FrameSettingHonoursEveryKindOfWindow) {
    struct Case {
        const char* what;
        std::function<void(SimWindow&)> script;
        QString attribute;
        AXValue value;
        int attempts;
        AXError expectedError;
        Rect expectedFrame;
    };
    const Rect start(100, 100, 400, 300);
    const Case cases[] = {
        {"moves", [](SimWindow&) {}, AX::Position, Point(50, 60), 1, AXError::Success,
         Rect(50, 60, 400, 300)},
        {"resizes", [](SimWindow&) {}, AX::SizeAttribute, Size(500, 350), 1, AXError::Success,
         Rect(100, 100, 500, 350)},
        {"clamps to the minimum", [](SimWindow& w) { w.setMinimumSize(Size(300, 200)); }, AX::SizeAttribute,
         Size(100, 100), 1, AXError::Success, Rect(100, 100, 300, 200)},
        {"clamps to the maximum", [](SimWindow& w) { w.setMaximumSize(Size(600, 400)); }, AX::SizeAttribute,
         Size(900, 900), 1, AXError::Success, Rect(100, 100, 600, 400)},
        {"rounds down to increments",
         [](SimWindow& w) {
             w.setMinimumSize(Size(100, 100));
             w.setSizeIncrements(Size(7, 14));
         },
         AX::SizeAttribute, Size(510, 510), 1, AXError::Success, Rect(100, 100, 506, 506)},
        {"refuses silently", [](SimWindow& w) { w.setRefusesFrameChanges(true); }, AX::Position, Point(0, 0),
         3, AXError::Success, start},
        {"takes the third attempt", [](SimWindow& w) { w.ignoreFrameSets(2); }, AX::Position, Point(0, 0), 3,
         AXError::Success, Rect(0, 0, 400, 300)},
        {"ignores two of two attempts", [](SimWindow& w) { w.ignoreFrameSets(2); }, AX::Position, Point(0, 0),
         2, AXError::Success, start},
        {"fixed size", [](SimWindow& w) { w.setResizable(false); }, AX::SizeAttribute, Size(500, 500), 1,
         AXError::AttributeUnsupported, start},
        {"fixed position", [](SimWindow& w) { w.setMovable(false); }, AX::Position, Point(0, 0), 1,
         AXError::AttributeUnsupported, start},
        {"full screen", [](SimWindow& w) { w.setFullScreen(true); }, AX::Position, Point(0, 0), 1,
         AXError::CannotComplete, Rect(0, 0, 1440, 900)},
        {"wrong type", [](SimWindow&) {}, AX::Position, Size(1, 1), 1, AXError::IllegalArgument, start},
        {"empty size", [](SimWindow&) {}, AX::SizeAttribute, Size(0, 10), 1, AXError::IllegalArgument, start},
        {"slow application", [](SimWindow& w) { w.application().setResponseTime(10); }, AX::Position,
         Point(0, 0), 1, AXError::CannotComplete, start},
        {"closed", [](SimWindow& w) { w.close(); }, AX::Position, Point(0, 0), 1, AXError::InvalidElement,
         start},
        {"terminated", [](SimWindow& w) { w.application().terminate(); }, AX::Position, Point(0, 0), 1,
         AXError::InvalidElement, start},
    };
    for (const auto& c : cases) {
        SimDesktop desktop;
        desktop.addScreen(Rect(0, 0, 1440, 900));
        auto& app = desktop.addApplication("com.example.Case", "Case");
        auto& window = desktop.addWindow(app, start);
        const auto element = elementOf(window, desktop.accessibility());
        c.script(window);
        AXError error = AXError::Success;
        for (int i = 0; i < c.attempts; ++i)
            error = element->setAttributeValue(c.attribute, c.value);
        EXPECT_EQ(error, c.expectedError) << c.what;
        EXPECT_EQ(window.frame(), c.expectedFrame) << c.what;
        EXPECT_EQ(window.serverFrame(), c.expectedFrame) << c.what;
    }
}

TEST_F(SimAccessibilityTest, FrameReadsCanFailWhileOtherAttributesAnswer) {
    front.setFrameReadsFail(true);
    const auto element = elementOf(front, sim.accessibility());
    AXValue value;
    EXPECT_EQ(element->copyAttributeValue(AX::Position, value), AXError::Failure);
    EXPECT_EQ(element->copyAttributeValue(AX::SizeAttribute, value), AXError::Failure);
    EXPECT_EQ(attribute<QString>(element, AX::Title), QStringLiteral("Front"));
}

TEST_F(SimAccessibilityTest, ObserversHearMovesAndResizesOnTheMainRunLoopUntilDestroyed) {
    QStringList heard;
    AXElementRef heardWindow;
    const auto element = elementOf(front, sim.accessibility());
    auto observation =
        sim.accessibility().observeWindow(element, [&](const AXElementRef& w, const QString& note) {
            heard << note;
            heardWindow = w;
        });
    ASSERT_NE(observation, nullptr);

    element->setAttributeValue(AX::Position, Point(10, 10));
    EXPECT_TRUE(heard.isEmpty());
    RunLoop::main().runPending();
    EXPECT_EQ(heard, QStringList{AX::MovedNotification});
    EXPECT_TRUE(AXElementsEqual(heardWindow, element));

    heard.clear();
    element->setAttributeValue(AX::SizeAttribute, Size(200, 100));
    element->setAttributeValue(AX::Position, Point(10, 10)); // no change: nothing to tell
    front.setFrame(Rect(20, 20, 300, 300));                  // the application moves by itself
    RunLoop::main().runPending();
    EXPECT_EQ(heard, (QStringList{AX::ResizedNotification, AX::MovedNotification, AX::ResizedNotification}));

    heard.clear();
    element->setAttributeValue(AX::Position, Point(30, 30));
    observation.reset();
    RunLoop::main().runPending();
    EXPECT_TRUE(heard.isEmpty());

    front.close();
    EXPECT_EQ(sim.accessibility().observeWindow(element, [](const AXElementRef&, const QString&) {}),
              nullptr);
    EXPECT_EQ(sim.accessibility().observeWindow(sim.accessibility().applicationElement(editor.pid()),
                                                [](const AXElementRef&, const QString&) {}),
              nullptr);
}

TEST_F(SimAccessibilityTest, ButtonsActAsTheirKind) {
    const auto window = elementOf(front, sim.accessibility());
    const auto zoom = *attribute<AXElementRef>(window, AX::ZoomButton);
    EXPECT_EQ(zoom->actionNames(), (QStringList{AX::Press, AX::ZoomWindow}));
    EXPECT_EQ(attribute<Point>(zoom, AX::Position), Point(548, 308));

    // Zooming fills the visible frame (Quartz: below the menu bar, above the Dock) and back again.
    EXPECT_EQ(zoom->performAction(AX::Press), AXError::Success);
    EXPECT_EQ(front.frame(), Rect(0, 25, 1440, 805));
    EXPECT_EQ(zoom->performAction(AX::ZoomWindow), AXError::Success);
    EXPECT_EQ(front.frame(), Rect(500, 300, 400, 300));
    EXPECT_EQ(front.performedActions(), (QStringList{"AXZoomButton AXPress", "AXZoomButton AXZoomWindow"}));

    front.setButtonEnabled(SimButton::Zoom, false);
    EXPECT_EQ(attribute<bool>(zoom, AX::Enabled), false);
    EXPECT_NE(zoom->performAction(AX::Press), AXError::Success);
    EXPECT_EQ(front.frame(), Rect(500, 300, 400, 300));
    editor.setElectron(true);
    EXPECT_EQ(zoom->performAction(AX::Press), AXError::Success);
    EXPECT_NE(front.frame(), Rect(500, 300, 400, 300));

    back.addButton(SimButton::FullScreen, Rect(48, 8, 12, 12));
    const auto fullScreen =
        *attribute<AXElementRef>(elementOf(back, sim.accessibility()), AX::FullScreenButton);
    EXPECT_EQ(fullScreen->performAction(AX::Press), AXError::Success);
    EXPECT_TRUE(back.isFullScreen());
    EXPECT_EQ(back.frame(), Rect(0, 0, 1440, 900));
    EXPECT_EQ(elementOf(back, sim.accessibility())->setAttributeValue(AX::FullScreen, false),
              AXError::Success);
    EXPECT_EQ(back.frame(), Rect(100, 100, 800, 600));

    const auto minimise = *attribute<AXElementRef>(window, AX::MinimizeButton);
    EXPECT_EQ(minimise->performAction(AX::Press), AXError::Success);
    EXPECT_FALSE(front.isOnScreen());
    EXPECT_EQ(attribute<bool>(window, AX::Minimized), true);

    const auto close = *attribute<AXElementRef>(window, AX::CloseButton);
    EXPECT_EQ(close->performAction(AX::Press), AXError::Success);
    EXPECT_TRUE(front.isClosed());
    AXValue value;
    EXPECT_EQ(window->copyAttributeValue(AX::Title, value), AXError::InvalidElement);
    EXPECT_EQ(close->copyAttributeValue(AX::Role, value), AXError::InvalidElement);
    EXPECT_EQ(window->windowNumber(), std::nullopt);
}

TEST_F(SimAccessibilityTest, RaisingBringsTheWindowToTheFrontOfTheList) {
    const auto element = elementOf(back, sim.accessibility());
    EXPECT_EQ(element->actionNames(), QStringList{AX::Raise});
    EXPECT_EQ(element->performAction(AX::Raise), AXError::Success);
    EXPECT_EQ(sim.windowServer().windowList().front().number, back.number());
    EXPECT_EQ(element->performAction(AX::Press), AXError::ActionUnsupported);
}

TEST_F(SimAccessibilityTest, HandlesOutliveTheDesktop) {
    AXElementRef element;
    {
        SimDesktop gone;
        auto& app = gone.addApplication("com.example.Gone", "Gone");
        element = elementOf(gone.addWindow(app, Rect(0, 0, 100, 100)), gone.accessibility());
    }
    AXValue value;
    EXPECT_EQ(element->copyAttributeValue(AX::Position, value), AXError::InvalidElement);
    EXPECT_EQ(element->setAttributeValue(AX::Position, Point(1, 1)), AXError::InvalidElement);
    EXPECT_TRUE(element->actionNames().isEmpty());
}

} // namespace
