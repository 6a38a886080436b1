#include "MouseControlTestSupport.h"

#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRTriggerUIElement.h"
#include "platform/foundation/PropertyList.h"
#include "window-access/IgnoreList.h"
#include "window-access/RunningApplicationCache.h"

#include <QDir>

namespace {

// Standard buttons lie at these offsets from a window's top left, 12 points square.
constexpr double CloseX = 8;
constexpr double MinimizeX = 28;
constexpr double ZoomX = 48;
constexpr double ButtonY = 8;
constexpr double ButtonSide = 12;
const Rect WindowFrame(100, 100, 400, 300);

Point centreOfButton(double x) {
    return {WindowFrame.x() + x + ButtonSide / 2, WindowFrame.y() + ButtonY + ButtonSide / 2};
}

class TriggerUIElementTest : public MouseControlTest {
protected:
    void SetUp() override {
        MouseControlTest::SetUp();
        desktop.addScreen(Rect(0, 0, 1440, 900));
        application = &desktop.addApplication(QStringLiteral("com.example.Editor"), QStringLiteral("Editor"));
        window = &desktop.addWindow(*application, WindowFrame);
        window->addStandardButtons();
    }
    void TearDown() override {
        QFile::remove(ZRIgnoreList::filePath());
        ZRIgnoreList::sharedList().reload();
        MouseControlTest::TearDown();
    }

    std::shared_ptr<ZRTriggerUIElement> at(Point location) const {
        return ZRTriggerUIElement::triggerUIElementAtLocation(location, std::nullopt, nullptr, settings());
    }

    SimApplication* application = nullptr;
    SimWindow* window = nullptr;
};

// Each trigger kind finds its own button and no other, enabled or in an Electron application; a disabled
// button of another application is no trigger.
TEST_F(TriggerUIElementTest, EachTriggerKindFindsItsButton) {
    const struct Case {
        std::int64_t trigger;
        SimButton button;
        double buttonX;
        bool enabled;
        bool electron;
        bool found;
    } cases[] = {
        {0, SimButton::Zoom, ZoomX, true, false, true},
        {0, SimButton::Zoom, ZoomX, false, false, false},
        {0, SimButton::Zoom, ZoomX, false, true, true},
        {0, SimButton::Minimize, MinimizeX, true, false, false},
        {1, SimButton::Minimize, MinimizeX, true, false, true},
        {1, SimButton::Minimize, MinimizeX, false, false, false},
        {1, SimButton::Zoom, ZoomX, true, false, false},
        {2, SimButton::Close, CloseX, true, false, true},
        {7, SimButton::Close, CloseX, true, false, true},
        {2, SimButton::Zoom, ZoomX, true, false, false},
    };
    for (const Case& c : cases) {
        set(ZRMouseControlDefault::Trigger, QVariant::fromValue(qint64(c.trigger)));
        application->setElectron(c.electron);
        RunningApplicationCache::shared().clear();
        for (const SimButton button : {SimButton::Close, SimButton::Minimize, SimButton::Zoom})
            window->setButtonEnabled(button, button != c.button || c.enabled);
        const Point location = centreOfButton(c.buttonX);
        const auto element = at(location);
        // Through the window as well: the application on the "Position" list is found by its entry.
        const auto viaWindow = ZRTriggerUIElement::newTriggerUIElementAtLocation(
            location,
            desktop.accessibility().elementAtPosition({WindowFrame.x() + 200, WindowFrame.y() + 200}),
            settings());
        EXPECT_EQ(element != nullptr, c.found) << "trigger " << c.trigger << " button x " << c.buttonX;
        EXPECT_EQ(viaWindow != nullptr, c.found) << "trigger " << c.trigger << " button x " << c.buttonX;
        if (!element || !viaWindow)
            continue;
        const Rect buttonFrame(WindowFrame.x() + c.buttonX, WindowFrame.y() + ButtonY, ButtonSide,
                               ButtonSide);
        EXPECT_EQ(element->frame(), buttonFrame);
        EXPECT_EQ(viaWindow->frame(), buttonFrame);
        EXPECT_EQ(element->window()->windowNumber(), window->number());
        EXPECT_TRUE(element->isEqualToTriggerUIElement(viaWindow.get()));
    }
}

TEST_F(TriggerUIElementTest, ThePointerOnTheWindowOffItsButtonOrOnAFullScreenWindowFindsNone) {
    EXPECT_EQ(at({WindowFrame.x() + 200, WindowFrame.y() + 200}), nullptr);
    EXPECT_EQ(at({WindowFrame.x() + 200, WindowFrame.y() + 5}), nullptr) << "the title bar";
    EXPECT_EQ(at({20, 20}), nullptr) << "the desktop";
    EXPECT_NE(at(centreOfButton(ZoomX)), nullptr);
    window->setFullScreen(true);
    const Point zoom(window->frame().x() + ZoomX + 1, window->frame().y() + ButtonY + 1);
    EXPECT_EQ(at(zoom), nullptr);
    set(QStringLiteral("Control Full Screen Windows"), true);
    EXPECT_NE(at(zoom), nullptr);
}

// An application on the "Position" list is found from its window-list entry, not from the element at the
// point, which such applications answer wrongly.
TEST_F(TriggerUIElementTest, AnApplicationOnThePositionListIsFoundByItsEntry) {
    QDir().mkpath(ZRIgnoreList::folderPath());
    ASSERT_TRUE(PropertyList::writeFile(
        ZRIgnoreList::filePath(), QVariantMap{{ZRIgnoreList::nameOfCategory(ZRIgnoreListCategory::Position),
                                               QStringList{QStringLiteral("com.example.editor")}}}));
    ZRIgnoreList::sharedList().reload();
    const auto entries = desktop.windowServer().windowList();
    ASSERT_FALSE(entries.empty());
    const Point location = centreOfButton(ZoomX);
    const auto element = ZRTriggerUIElement::triggerUIElementAtLocation(
        location, QStringLiteral("com.example.editor"), &entries.front(), settings());
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->window()->windowNumber(), window->number());
    EXPECT_EQ(ZRTriggerUIElement::triggerUIElementAtLocation({WindowFrame.x() + 200, WindowFrame.y() + 200},
                                                             QStringLiteral("com.example.editor"),
                                                             &entries.front(), settings()),
              nullptr);
}

TEST_F(TriggerUIElementTest, EqualityIsByButtonElseByWindow) {
    SimWindow& other = desktop.addWindow(*application, Rect(600, 100, 300, 200));
    other.addStandardButtons();
    const auto zoom = at(centreOfButton(ZoomX));
    const auto zoomElsewhere = at({WindowFrame.x() + ZoomX + 1, WindowFrame.y() + ButtonY + 1});
    const auto otherZoom = at({600 + ZoomX + 2, 100 + ButtonY + 2});
    ASSERT_TRUE(zoom && zoomElsewhere && otherZoom);

    const auto windowOnly = [](const AXElementRef& w) {
        auto element = std::make_shared<ZRTriggerUIElement>();
        element->setWindow(w);
        return element;
    };
    const auto first = windowOnly(zoom->window());
    const auto second = windowOnly(zoomElsewhere->window());
    const auto third = windowOnly(otherZoom->window());
    const auto empty = std::make_shared<ZRTriggerUIElement>();
    const auto otherEmpty = std::make_shared<ZRTriggerUIElement>();

    const struct Case {
        const ZRTriggerUIElement* a;
        const ZRTriggerUIElement* b;
        bool equal;
        const char* what;
    } cases[] = {
        {zoom.get(), zoomElsewhere.get(), true, "same button, different points"},
        {zoom.get(), zoom.get(), true, "same object"},
        {zoom.get(), otherZoom.get(), false, "another window's button"},
        {first.get(), second.get(), true, "window only, same window"},
        {first.get(), third.get(), false, "window only, other windows"},
        {zoom.get(), first.get(), true, "a button against its window"},
        {zoom.get(), nullptr, false, "nil"},
        {empty.get(), otherEmpty.get(), false, "neither button nor window"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.a->isEqualToTriggerUIElement(c.b), c.equal) << c.what;
    }
}

// A frame never set is read from the button when asked, and kept; without a button it is the window's
// origin with the fallback size.
TEST_F(TriggerUIElementTest, AFrameNeverSetIsTheButtonsCurrentFrame) {
    auto element = std::make_shared<ZRTriggerUIElement>();
    element->setTriggerButton(at(centreOfButton(ZoomX))->triggerButton());
    window->setFrame(Rect(150, 120, 400, 300));
    EXPECT_EQ(element->frame(), Rect(150 + ZoomX, 120 + ButtonY, ButtonSide, ButtonSide));
    EXPECT_EQ(element->window()->windowNumber(), window->number()) << "the button's window";
    window->setFrame(WindowFrame);
    EXPECT_EQ(element->frame(), Rect(150 + ZoomX, 120 + ButtonY, ButtonSide, ButtonSide)) << "kept";

    auto windowOnly = std::make_shared<ZRTriggerUIElement>();
    windowOnly->setWindow(element->window());
    EXPECT_EQ(windowOnly->frame(), Rect(WindowFrame.origin, ZRTriggerUIElement::FallbackSize));
}

} // namespace
