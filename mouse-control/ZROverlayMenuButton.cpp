#include "mouse-control/ZROverlayMenuButton.h"

#include "mouse-control/ZRMouseControlContext.h"
#include "mouse-control/ZROverlayButtonDelegates.h"
#include "mouse-control/ZROverlayWindow.h"
#include "mouse-control/ZRPaletteBeep.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"

#include <QEnterEvent>
#include <QMenu>

namespace {

constexpr char DelayedPopUpMenuSelector[] = "popUpMenuWithDelayedPopUpMenuEvent";

} // namespace

QString ZROverlayMenuButton::showOnHoverKey() {
    return QStringLiteral("Mouse Controls Include Custom Controls: Show On Hover");
}

QString ZROverlayMenuButton::showImmediatelyKey() {
    return QStringLiteral("Mouse Controls Include Custom Controls: Show Immediately");
}

ZROverlayMenuButton::ZROverlayMenuButton(const ZRMouseControlContext& context, QWidget* parent)
    : ZROverlayButton(context, parent), m_runLoop(context.mainRunLoop) {}

ZROverlayMenuButton::~ZROverlayMenuButton() {
    cancelDelayedPopUpMenu();
    // The open menu is the button's; it closes with it.
    if (QMenu* menu = m_openMenu) {
        QObject::disconnect(menu, nullptr, this, nullptr);
        delete menu;
    }
}

QImage ZROverlayMenuButton::image() const {
    return m_canShowMenu ? ZROverlayButton::alternateImage() : ZROverlayButton::image();
}

QImage ZROverlayMenuButton::alternateImage() const {
    return m_canShowMenu ? ZROverlayButton::image() : ZROverlayButton::alternateImage();
}

bool ZROverlayMenuButton::alternateMode() const {
    return m_canShowMenu && !m_showsMenu && ZROverlayButton::alternateMode();
}

bool ZROverlayMenuButton::drawAsEnabled() const {
    if (!ZROverlayButton::drawAsEnabled())
        return false;
    if (m_canShowMenu && alternateMode())
        return m_originalActionTitle.has_value();
    return true;
}

QMenu* ZROverlayMenuButton::openMenu() const {
    return m_openMenu;
}

void ZROverlayMenuButton::setCanShowMenu(bool canShowMenu) {
    m_canShowMenu = canShowMenu;
    update();
}

bool ZROverlayMenuButton::popUpMenuWithEvent(const QInputEvent*) {
    QWidget* window = this->window();
    if (!window || window == this || !window->isVisible() || !m_menuDelegate)
        return false;
    QMenu* menu = m_menuDelegate->menuForOverlayButton(*this);
    if (!menu)
        return false;
    m_showsMenu = true;
    m_openMenu = menu;
    // The menu closes by itself (a choice, a click elsewhere, Escape); nothing here waits for it.
    connect(menu, &QMenu::aboutToHide, this, [this] {
        m_showsMenu = false;
        update();
    });
    popUpContextMenu(menu, mapToGlobal(QPoint(0, height() + PopUpMenuOffset)));
    update();
    return true;
}

void ZROverlayMenuButton::popUpMenuAutomaticallyWithHoverEvent(const QInputEvent* event) {
    if (!m_canShowMenu || !isEnabled() || isExplicitlyHidden() || alternateMode() || hovered())
        return;
    if (!defaults().boolForKey(event ? showOnHoverKey() : showImmediatelyKey()))
        return;
    if (!event) {
        popUpMenuWithEvent(nullptr);
        return;
    }
    m_delayedPopUpMenuEvent.reset(event->clone());
    m_runLoop.perform(this, DelayedPopUpMenuSelector, nullptr, PopUpMenuHoverDelay,
                      [this] { popUpMenuWithDelayedPopUpMenuEvent(); });
}

void ZROverlayMenuButton::popUpMenuWithDelayedPopUpMenuEvent() {
    if (!m_delayedPopUpMenuEvent)
        return;
    popUpMenuWithEvent(m_delayedPopUpMenuEvent.get());
    m_delayedPopUpMenuEvent.reset();
}

void ZROverlayMenuButton::cancelDelayedPopUpMenu() {
    m_runLoop.cancelPreviousPerformRequests(this, DelayedPopUpMenuSelector, nullptr);
    m_delayedPopUpMenuEvent.reset();
}

void ZROverlayMenuButton::mouseEntered(const QEnterEvent* event) {
    popUpMenuAutomaticallyWithHoverEvent(event);
    ZROverlayButton::mouseEntered(event);
}

void ZROverlayMenuButton::mouseExited() {
    cancelDelayedPopUpMenu();
    ZROverlayButton::mouseExited();
}

void ZROverlayMenuButton::mouseDown(const QMouseEvent& event) {
    if (!m_canShowMenu) {
        ZROverlayButton::mouseDown(event);
        return;
    }
    if (!isEnabled())
        return;
    if (!alternateMode()) {
        if (!popUpMenuWithEvent(&event))
            ZRPaletteBeep();
        return;
    }
    if (m_originalActionTitle)
        ZROverlayButton::mouseDown(event);
}
