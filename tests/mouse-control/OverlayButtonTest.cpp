// The palette's buttons as widgets driven by mouse events: the press and drag gesture, Option through the
// tap's notification, the hover areas, the menu button, and their pictures.
#include "MouseControlContext.h"
#include "MouseControlTestSupport.h"
#include "PaletteTestSupport.h"
#include "ScreenPixels.h"

#include "mouse-control/ZRMouseEventTapCallback.h"
#include "mouse-control/ZROverlayButtonDelegates.h"
#include "mouse-control/ZROverlayColorScheme.h"
#include "mouse-control/ZROverlayWindow.h"
#include "mouse-control/ZRPaletteBeep.h"
#include "platform/foundation/NotificationCenter.h"
#include "toolkit/Appearance.h"
#include "toolkit/ZRCGEventWrapper.h"

#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QMouseEvent>

namespace {

const Rect Screen(0, 0, 1440, 900);

void sendMouse(QWidget* widget, QEvent::Type type, QPointF local, Qt::MouseButton button,
               Qt::MouseButtons buttons) {
    QMouseEvent event(type, local, widget->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void sendEnter(QWidget* widget) {
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    QEnterEvent event(inside, inside, widget->mapToGlobal(inside));
    QApplication::sendEvent(widget, &event);
}

void sendLeave(QWidget* widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

// Offers every neighbouring screen, or none.
struct ScreenDrags : ZROverlayButtonDragDirectionDelegate {
    bool screens = false;
    int prepared = 0;
    void prepareScreenDragDirectionsForOverlayButton(ZROverlayButton& button) override {
        ++prepared;
        button.setCanDragScreenUp(screens);
        button.setCanDragScreenRight(screens);
        button.setCanDragScreenDown(screens);
        button.setCanDragScreenLeft(screens);
    }
};

struct ToolTips : ZROverlayButtonToolTipProvider {
    int asked = 0;
    std::optional<QString> toolTipForOverlayButton(const ZROverlayButton& button) override {
        ++asked;
        return button.alternateMode() ? QStringLiteral("Top Right Quarter") : QStringLiteral("Right Half");
    }
};

struct Menus : ZROverlayButtonMenuDelegate {
    int asked = 0;
    bool give = true;
    QMenu* menuForOverlayButton(ZROverlayButton&) override {
        ++asked;
        if (!give)
            return nullptr;
        auto* menu = new QMenu;
        menu->addAction(QStringLiteral("Middle"));
        return menu;
    }
};

class OverlayButtonTest : public MouseControlTest {
protected:
    void SetUp() override {
        MouseControlTest::SetUp();
        desktop.addScreen(Screen);
        desktop.screens().setCompositingActive(true);
        palette().setTarget(&target);
        for (ZROverlayButton* button : palette().all()) {
            button->setDragDirectionDelegate(&drags);
            button->setToolTipProvider(&toolTips);
        }
        palette().revert->setMenuDelegate(&menus);
        ZRSetPaletteBeepHandler([this] { ++beeps; });
    }
    void TearDown() override {
        window.reset();
        ZRSetPaletteBeepHandler({});
        MouseControlTest::TearDown();
    }

    // The palette window around the buttons, as the pop-up makes it, below a button at the point.
    ZROverlayWindow& paletteWindow(bool light = true) {
        // The content outlives its windows, as the palette's does.
        if (window)
            palette().view->setParent(nullptr);
        window = std::make_unique<ZROverlayWindow>(palette().view, Point(300, 600), nullptr, 11, 8);
        window->setArrowHeight(7);
        window->setArrowBaseWidth(11);
        window->setBorderWidth(0);
        window->setBackgroundColor(light ? lightModeOverlayBackgroundColor() : calibratedWhite(0.25, 0.99));
        return *window;
    }

    // A press at the button's centre, moves by (right, up) points from there, and a release.
    void press(ZROverlayButton* button, const std::vector<QPointF>& moves = {}, bool release = true) {
        const QPointF start(button->width() / 2.0, button->height() / 2.0);
        sendMouse(button, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
        for (const QPointF& move : moves)
            sendMouse(button, QEvent::MouseMove, start + QPointF(move.x(), -move.y()), Qt::NoButton,
                      Qt::LeftButton);
        if (release) {
            const QPointF end = moves.empty() ? start : start + QPointF(moves.back().x(), -moves.back().y());
            sendMouse(button, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
        }
    }

    void postModifiers(std::optional<ModifierFlags> tapped) {
        std::optional<TapEvent> event;
        if (tapped)
            event = TapEvent{TapEventType::FlagsChanged, {}, 0, 0, *tapped};
        NotificationCenter::defaultCenter().post(ZRModifierFlagsChangedNotification, nullptr,
                                                 ZRCGEventWrapper::wrapperForEvent(event));
    }

    // The buttons are made with the fixture, so the application comes first.
    struct Application {
        Application() { testApplication<ZRHotKeyHandlerApplication>(); }
    } application;
    QObject target;
    // Made when first used, once the settings are open.
    PaletteButtons& palette() {
        if (!m_palette)
            m_palette.emplace(mouseControlContext(settings()));
        return *m_palette;
    }
    std::optional<PaletteButtons> m_palette;
    ScreenDrags drags;
    ToolTips toolTips;
    Menus menus;
    int beeps = 0;
    std::unique_ptr<ZROverlayWindow> window;
};

} // namespace

// Each drag as the user moves it (right and up from the press), what the button shows at its end, and what
// the release sends.
TEST_F(OverlayButtonTest, PressAndDrag) {
    constexpr auto R = &PaletteButtons::right, T = &PaletteButtons::top, L = &PaletteButtons::left;
    // Sections and screens are the position codes of their side: 3 up, 5 right, 7 down, 9 left.
    const struct Case {
        const char* name;
        ZROverlayButton* PaletteButtons::*button;
        bool option, screens;
        std::vector<QPointF> moves;
        bool hovered;
        int section, screen;
        bool acts;
    } cases[] = {
        {"6 up on the right half: its top quarter", R, false, false, {{0, 6}}, true, 3, 0, true},
        {"55 more with a screen above: that screen too", R, false, true, {{0, 6}, {0, 61}}, true, 3, 3, true},
        {"as far without a screen above: the quarter", R, false, false, {{0, 61}}, true, 3, 0, true},
        {"Option: no section within the reach", R, true, true, {{0, 6}}, true, -1, 0, true},
        {"Option: out of the reach upwards, the screen", R, true, true, {{0, 6}, {0, 61}}, true, -1, 3, true},
        {"Option: out of the reach with no screen there", R, true, false, {{0, 61}}, false, -1, 0, false},
        {"301 sideways: cancelled", R, false, true, {{301, 0}}, false, -1, 0, false},
        {"301 sideways and back into the reach", R, false, true, {{301, 0}, {2, 0}}, true, -1, 0, true},
        {"top half 10 up and 3 sideways: a plain click", T, false, true, {{3, 10}}, true, -1, 0, true},
        {"sideways takes back a vertical section", R, false, false, {{0, 8}, {8, 8}}, true, -1, 0, true},
        {"down on the right half, far, a screen below",
         R,
         false,
         true,
         {{0, -6}, {0, -61}},
         true,
         7,
         7,
         true},
        {"out of the left half's reach to the screen there", L, false, true, {{-65, 0}}, true, -1, 9, true},
        {"top half dragged right, far", T, false, true, {{6, 0}, {61, 0}}, true, 5, 5, true},
        {"released out of the reach with nothing picked", R, false, false, {{40, 0}}, false, -1, 0, false},
        {"released where it was pressed", R, false, false, {}, false, -1, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ZROverlayButton* button = palette().*c.button;
        button->setAlternateMode(c.option);
        drags.screens = c.screens;
        palette().sent.clear();
        press(button, c.moves, false);
        EXPECT_EQ(button->hovered(), c.hovered);
        EXPECT_EQ(button->sectionDragDirection(), c.section);
        EXPECT_EQ(button->screenDragDirection(), c.screen);
        EXPECT_TRUE(button->isTrackingPress());
        const QPointF end = QPointF(button->width() / 2.0, button->height() / 2.0) +
                            (c.moves.empty() ? QPointF() : QPointF(c.moves.back().x(), -c.moves.back().y()));
        sendMouse(button, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton);
        ASSERT_EQ(palette().sent.size(), c.acts ? 1u : 0u);
        if (c.acts) {
            EXPECT_EQ(palette().sent[0].button, button);
            EXPECT_EQ(palette().sent[0].section, c.section);
            EXPECT_EQ(palette().sent[0].screen, c.screen);
        }
        EXPECT_EQ(button->sectionDragDirection(), ZRSectionDragDirectionNone);
        EXPECT_EQ(button->screenDragDirection(), ZRScreenDragDirectionNone);
        EXPECT_FALSE(button->isTrackingPress());
        button->setAlternateMode(false);
        button->setHovered(false);
    }
    EXPECT_EQ(drags.prepared, int(std::size(cases)));
}

// A press goes nowhere on a disabled button, without an action, or once its target is gone; a press whose
// button hides ends without acting.
TEST_F(OverlayButtonTest, APressActsOnlyThroughALiveTarget) {
    paletteWindow().show();
    palette().right->setEnabled(false);
    press(palette().right);
    palette().right->setEnabled(true);
    palette().top->setAction({});
    press(palette().top);
    {
        QObject shortLived;
        palette().left->setTarget(&shortLived);
    }
    press(palette().left);
    press(palette().bottom, {{0, -8}}, false);
    palette().bottom->hide();
    EXPECT_FALSE(palette().bottom->isTrackingPress());
    sendMouse(palette().bottom, QEvent::MouseButtonRelease, {}, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(palette().sent.empty());
    EXPECT_EQ(drags.prepared, 1) << "only the press that could act asked for the screens";
    press(palette().full);
    ASSERT_EQ(palette().sent.size(), 1u);
    EXPECT_EQ(palette().sent[0].button, palette().full);
}

// Option follows the tap's notification exactly while the button can be hovered: enabled, shown, with an
// alternate image, in a window that takes the mouse. A notification without an event asks the keyboard.
TEST_F(OverlayButtonTest, OptionAndTheHoverArea) {
    ZROverlayWindow& panel = paletteWindow();
    ZROverlayButton* right = palette().right;
    EXPECT_TRUE(right->trackingArea());
    ASSERT_TRUE(right->observesModifierFlags());
    postModifiers(ModifierFlag::Option | ModifierFlag::Control);
    EXPECT_TRUE(right->alternateMode());
    EXPECT_EQ(right->toolTip(), QStringLiteral("Top Right Quarter"));
    desktop.setModifierFlags(0);
    postModifiers(std::nullopt);
    EXPECT_FALSE(right->alternateMode());
    desktop.setModifierFlags(ModifierFlag::Option);
    postModifiers(std::nullopt);
    EXPECT_TRUE(right->alternateMode());
    EXPECT_EQ(right->toolTip(), QStringLiteral("Top Right Quarter"));

    // What each state leaves of the hover area and of Option (held now).
    const struct Case {
        const char* name;
        bool enabled, hidden, alternateImage, windowIgnores;
        bool area, observes;
        std::optional<bool> alternate; // none: unchanged
    } cases[] = {
        {"usable", true, false, true, false, true, true, true},
        {"disabled", false, false, true, false, false, false, false},
        {"hidden", true, true, true, false, false, false, false},
        {"without an alternate image", true, false, false, false, true, false, false},
        {"in a window that lets clicks through", true, false, true, true, false, false, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        panel.setIgnoresMouseEvents(false);
        right->setEnabled(true);
        right->setVisible(true);
        right->setAlternateImage(standardPaletteItemImage(ZRPositionTopRight));
        right->setAlternateMode(false);
        right->setEnabled(c.enabled);
        right->setVisible(!c.hidden);
        right->setAlternateImage(c.alternateImage ? standardPaletteItemImage(ZRPositionTopRight) : QImage());
        right->updateTrackingAreas();
        right->setAlternateMode(true);
        panel.setIgnoresMouseEvents(c.windowIgnores);
        right->updateTrackingAreas();
        EXPECT_EQ(right->trackingArea().has_value(), c.area);
        EXPECT_EQ(right->observesModifierFlags(), c.observes);
        EXPECT_EQ(right->alternateMode(), c.alternate.value_or(true));
    }
    const int asked = toolTips.asked;
    panel.setIgnoresMouseEvents(false);
    EXPECT_GT(toolTips.asked, asked) << "the window's change rebuilt the areas";
    EXPECT_EQ(right->trackingArea(), QRect(QPoint(), right->size()));

    // The pointer lights a button only through its hover area.
    sendEnter(palette().left);
    EXPECT_TRUE(palette().left->hovered());
    sendLeave(palette().left);
    EXPECT_FALSE(palette().left->hovered());
    panel.setIgnoresMouseEvents(true);
    sendEnter(palette().left);
    EXPECT_FALSE(palette().left->hovered());
}

// The menu button's images, meaning and look by whether it is a menu, Option and its own action.
TEST_F(OverlayButtonTest, MenuButtonModes) {
    ZROverlayMenuButton* revert = palette().revert;
    const QImage arrow = revertImage();
    const QImage glyph = PaletteButtons::customActionsGlyph();
    const struct Case {
        bool canShowMenu, option, ownAction;
        const QImage* drawn;
        bool alternateMode, drawAsEnabled;
    } cases[] = {
        {false, false, false, &arrow, false, true}, {false, true, false, &arrow, false, true},
        {true, false, false, &glyph, false, true},  {true, true, false, &arrow, true, false},
        {true, true, true, &arrow, true, true},     {true, false, true, &glyph, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "menu " << c.canShowMenu << " option " << c.option << " own action " << c.ownAction);
        revert->setCanShowMenu(c.canShowMenu);
        revert->setAlternateMode(c.option);
        revert->setOriginalActionTitle(
            c.ownAction ? std::optional(QStringLiteral("Revert to Original Dimensions")) : std::nullopt);
        EXPECT_EQ(revert->drawnImage(), *c.drawn);
        EXPECT_EQ(revert->alternateMode(), c.alternateMode);
        EXPECT_EQ(revert->drawAsEnabled(), c.drawAsEnabled);
        palette().sent.clear();
        press(revert);
        // A menu opens only on a plain click; there is no window on screen here, so it beeps.
        EXPECT_EQ(palette().sent.size(), !c.canShowMenu || (c.option && c.ownAction) ? 1u : 0u);
    }
    EXPECT_EQ(beeps, 2) << "the two plain clicks on a menu whose window is not shown";
    EXPECT_EQ(menus.asked, 0);
}

// A click opens the menu 5 points under the button without waiting for it; while it is open Option does
// not switch the button, and it is the button's to delete.
TEST_F(OverlayButtonTest, MenuOnClick) {
    ZROverlayWindow& panel = paletteWindow();
    panel.show();
    ZROverlayMenuButton* revert = palette().revert;
    revert->setCanShowMenu(true);
    menus.give = false;
    press(revert);
    EXPECT_EQ(beeps, 1) << "no menu to show";
    menus.give = true;
    press(revert);
    EXPECT_EQ(beeps, 1);
    QPointer<QMenu> menu = revert->openMenu();
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->isVisible());
    EXPECT_TRUE(revert->showsMenu());
    EXPECT_EQ(menu->geometry().topLeft(), revert->mapToGlobal(QPoint(0, revert->height() + 5)));
    revert->setAlternateMode(true);
    EXPECT_FALSE(revert->alternateMode());
    menu->hide();
    EXPECT_FALSE(revert->showsMenu());
    EXPECT_TRUE(revert->alternateMode());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(menu) << "a closed menu is deleted";

    // A button that goes while its menu is open takes the menu with it.
    revert->setAlternateMode(false);
    press(revert);
    menu = revert->openMenu();
    ASSERT_TRUE(menu);
    delete palette().revert;
    EXPECT_FALSE(menu);
}

// After a hover of 0.15 s, or at once when the palette shows, by the settings; a shorter hover opens
// nothing, and a button that goes leaves no timer behind.
TEST_F(OverlayButtonTest, MenuByItself) {
    ZROverlayWindow& panel = paletteWindow();
    panel.show();
    ZROverlayMenuButton* revert = palette().revert;
    revert->setCanShowMenu(true);
    sendEnter(revert);
    RunLoop::main().advance(1);
    EXPECT_EQ(menus.asked, 0) << "not without \"Show On Hover\"";
    sendLeave(revert);

    set(ZROverlayMenuButton::showOnHoverKey(), true);
    sendEnter(revert);
    RunLoop::main().advance(0.1);
    sendLeave(revert);
    RunLoop::main().advance(1);
    EXPECT_EQ(menus.asked, 0) << "a hover under 0.15 s";
    EXPECT_FALSE(revert->delayedPopUpMenuEvent());

    sendEnter(revert);
    RunLoop::main().advance(0.15);
    EXPECT_EQ(menus.asked, 1);
    ASSERT_TRUE(revert->openMenu());
    revert->openMenu()->hide();
    sendLeave(revert);

    revert->popUpMenuAutomaticallyWithHoverEvent(nullptr);
    EXPECT_EQ(menus.asked, 1) << "not without \"Show Immediately\"";
    set(ZROverlayMenuButton::showImmediatelyKey(), true);
    revert->popUpMenuAutomaticallyWithHoverEvent(nullptr);
    EXPECT_EQ(menus.asked, 2);
    revert->openMenu()->hide();

    sendEnter(revert);
    ASSERT_TRUE(RunLoop::main().hasPendingPerform(revert, "popUpMenuWithDelayedPopUpMenuEvent"));
    delete palette().revert;
    EXPECT_FALSE(RunLoop::main().hasPendingPerform(revert, "popUpMenuWithDelayedPopUpMenuEvent"));
    RunLoop::main().advance(1);
    postModifiers(ModifierFlag::Option);
    EXPECT_EQ(menus.asked, 2);
}

// "Invert Overlays: Mouse" as stored, on a light and on a dark desktop.
TEST_F(OverlayButtonTest, ColorScheme) {
    const QString key = ZROverlayColorScheme::colorInversionKey();
    EXPECT_EQ(key, QStringLiteral("Invert Overlays: Mouse"));
    const struct Case {
        QVariant stored;
        std::int64_t onLight, onDark;
    } cases[] = {
        {QVariant(), 2, 1},
        {QStringLiteral("Classic"), 0, 0},
        {QStringLiteral("CLASSIC"), 0, 0},
        {true, 2, 2},
        {false, 1, 1},
        {QStringLiteral("YES"), 2, 2},
        {qint64(0), 1, 1},
        {QStringLiteral("modern"), 1, 1},
        {QStringLiteral(" +0012"), 2, 2},
        {QVariantList{true}, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.toString().toStdString());
        set(key, c.stored);
        for (const bool dark : {false, true}) {
            desktop.workspace().setDarkAppearance(dark);
            const std::int64_t expected = dark ? c.onDark : c.onLight;
            EXPECT_EQ(ZROverlayColorScheme::colorScheme(settings()), expected);
            EXPECT_EQ(ZROverlayColorScheme::invertColors(settings()), expected == ZROverlayColorSchemeLight);
        }
    }
}

// The palette in each look of its buttons, light and dark: plain; one hovered and one marked; the right
// half dragged to its top quarter and the screen above; Option held, the menu button without an action of
// its own and then with one. The arrow is white; the menu button without an action of its own is faint.
TEST_F(OverlayButtonTest, Pictures) {
    ZROverlayMenuButton* revert = palette().revert;
    revert->setCanShowMenu(true);
    for (const bool light : {true, false}) {
        SCOPED_TRACE(light ? "light" : "dark");
        set(ZROverlayColorScheme::colorInversionKey(), light);
        desktop.workspace().setDarkAppearance(!light);
        ZROverlayWindow& panel = paletteWindow(light);
        const auto grab = [&] { return panel.grab().toImage().convertToFormat(QImage::Format_RGB32); };
        const auto area = [&](const QImage& image, QWidget* button) {
            return image.copy(QRect(button->mapTo(&panel, QPoint()), button->size()));
        };
        std::vector<QImage> looks;
        looks.push_back(grab());

        palette().left->setHovered(true);
        palette().full->setRepresentsCurrentWindowFrame(true);
        looks.push_back(grab());
        palette().left->setHovered(false);
        palette().full->setRepresentsCurrentWindowFrame(false);

        palette().right->setSectionDragDirection(ZRSectionDragDirectionUp);
        palette().right->setScreenDragDirection(ZRScreenDragDirectionUp);
        looks.push_back(grab());
        const QImage dragged = area(looks.back(), palette().right);
        const QColor middle = dragged.pixelColor(dragged.width() / 2, dragged.height() / 2);
        EXPECT_GT(std::min({middle.red(), middle.green(), middle.blue()}), 230) << "the white arrow";
        palette().right->setSectionDragDirection(ZRSectionDragDirectionNone);
        palette().right->setScreenDragDirection(ZRScreenDragDirectionNone);

        for (ZROverlayButton* button : palette().all())
            button->setAlternateMode(true);
        looks.push_back(grab());
        revert->setOriginalActionTitle(QStringLiteral("Revert to Original Dimensions"));
        looks.push_back(grab());
        revert->setOriginalActionTitle(std::nullopt);
        for (ZROverlayButton* button : palette().all())
            button->setAlternateMode(false);

        // The strongest difference from the background within the menu button: half without an action.
        const auto strength = [&](const QImage& image) {
            const QImage button = area(image, revert);
            const QColor background = button.pixelColor(0, 0);
            int strongest = 0;
            for (int y = 0; y < button.height(); ++y)
                for (int x = 0; x < button.width(); ++x)
                    strongest =
                        std::max(strongest, std::abs(button.pixelColor(x, y).red() - background.red()));
            return strongest;
        };
        EXPECT_NEAR(double(strength(looks[3])) / strength(looks[4]), 0.5, 0.08);

        QImage sheet(looks[0].width(), looks[0].height() * int(looks.size()), QImage::Format_RGB32);
        sheet.fill(light ? QColor(200, 200, 200) : QColor(30, 30, 30));
        QPainter painter(&sheet);
        for (std::size_t i = 0; i < looks.size(); ++i)
            painter.drawImage(0, int(i) * looks[0].height(), looks[i]);
        painter.end();
        saveScreenshot(sheet.scaled(sheet.size() * 2), light ? QStringLiteral("palette-buttons-light")
                                                             : QStringLiteral("palette-buttons-dark"));
    }
}
