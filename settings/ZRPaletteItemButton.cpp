#include "settings/ZRPaletteItemButton.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionController.h"
#include "actions/ZRPaletteIconMetrics.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRMainController.h"
#include "toolkit/Appearance.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

// The icon keeps this much room on each side.
constexpr double IconMargin = 2;
// The menu hangs below the button's left end, a little out and down.
const QPoint MenuOffset(-6, 5);

// Only one menu can be open at a time; the palette asks whether it is, to keep itself up meanwhile.
bool s_showsMenu = false;

} // namespace

ZRPaletteItemButton::ZRPaletteItemButton(ZRMainController& controller, const UserDefaults& defaults,
                                         RunLoop& mainRunLoop, QWidget* parent)
    : QAbstractButton(parent), m_controller(controller), m_defaults(defaults), m_mainRunLoop(mainRunLoop) {
    setUp();
}

ZRPaletteItemButton::~ZRPaletteItemButton() {
    // The menu goes with the button; nothing it says on its way may reach a button that is half gone.
    if (m_menu) {
        m_menu->disconnect(this);
        if (m_menu->isVisible())
            s_showsMenu = false;
        delete m_menu;
    }
}

void ZRPaletteItemButton::setUp() {
    setCheckable(false);
    setText(QString());
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
    resize(sizeHint());
    connect(this, &QAbstractButton::clicked, this, [this] { triggerAction(); });
}

void ZRPaletteItemButton::setPaletteAction(const std::shared_ptr<ZRAction>& action) {
    m_paletteAction = action;
    update();
}

bool ZRPaletteItemButton::showsMenu() {
    return s_showsMenu;
}

QSize ZRPaletteItemButton::sizeHint() const {
    const Size icon = ZRPaletteIconMetrics(-1, m_defaults);
    return {int(icon.width + 2 * IconMargin), int(icon.height + 2 * IconMargin)};
}

// --- Look

QColor ZRPaletteItemButton::iconColor(bool dark) const {
    const bool highlighted = isEnabled() && (m_isHovered || isDown());
    if (highlighted)
        return dark ? brighterOverlaySelectedControlColor() : overlaySelectedControlColor();
    if (m_defaults.boolForKey(CallOutCustomPaletteItemsUserDefaultName))
        return dark ? overlaySelectedControlColor() : backwardsCompatibleControlAccentColor();
    return dark ? darkModeOverlayControlColor() : lightModeOverlayControlColor();
}

void ZRPaletteItemButton::paintEvent(QPaintEvent*) {
    if (!m_paletteAction)
        return;
    const Size icon = ZRPaletteIconMetrics(-1, m_defaults);
    const bool dark = isInFullyInvertedDarkMode(this);
    const QSizeF image(icon.width + 2 * IconMargin, icon.height + 2 * IconMargin);
    const QRectF frame(QPointF((width() - image.width()) / 2, (height() - image.height()) / 2), image);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    m_paletteAction->drawIconInRect(painter, frame.adjusted(IconMargin, IconMargin, -IconMargin, -IconMargin),
                                    {.asPaletteItem = true,
                                     .asTemplate = true,
                                     .color = iconColor(dark),
                                     .invertForDarkMode = dark,
                                     .enabled = isEnabled()});
}

bool ZRPaletteItemButton::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip)
        setToolTip(m_paletteAction ? m_paletteAction->displayNameWithSuffixes() : QString());
    return QAbstractButton::event(event);
}

void ZRPaletteItemButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        setHovered(false);
    QAbstractButton::changeEvent(event);
}

// --- Hover

void ZRPaletteItemButton::setHovered(bool hovered) {
    if (m_isHovered == hovered)
        return;
    m_isHovered = hovered;
    update();
}

void ZRPaletteItemButton::enterEvent(QEnterEvent* event) {
    if (isEnabled() && isVisible())
        setHovered(true);
    QAbstractButton::enterEvent(event);
}

void ZRPaletteItemButton::leaveEvent(QEvent* event) {
    setHovered(false);
    QAbstractButton::leaveEvent(event);
}

void ZRPaletteItemButton::updateTrackingAreas() {
    const bool inside = window() && !window()->testAttribute(Qt::WA_TransparentForMouseEvents) &&
                        rect().contains(mapFromGlobal(QCursor::pos()));
    setHovered(inside && isEnabled() && isVisible());
}

// --- Clicks and menus

void ZRPaletteItemButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        if (!popUpMenuWithEvent(event))
            setHovered(false);
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton || !m_paletteAction) {
        QAbstractButton::mousePressEvent(event);
        return;
    }
    if (m_paletteAction->actionType() == ZRActionTypeFolder && !m_paletteAction->chain() &&
        popUpMenuWithEvent(event)) {
        event->accept();
        return;
    }
    setHovered(false);
    QAbstractButton::mousePressEvent(event);
    // Held, the press shows the menu instead; the timer also runs while a menu tracks the mouse.
    m_pressAndHold = m_mainRunLoop.performLater(
        PressAndHoldDelay, [this] { pressWasHeld(); }, CommonRunLoopModes);
}

void ZRPaletteItemButton::pressWasHeld() {
    if (!isDown())
        return;
    // The menu ends the click: the release that follows goes to the menu, and triggers nothing here.
    if (popUpMenuWithEvent(nullptr))
        setDown(false);
}

void ZRPaletteItemButton::mouseReleaseEvent(QMouseEvent* event) {
    m_pressAndHold.cancel();
    QAbstractButton::mouseReleaseEvent(event);
}

void ZRPaletteItemButton::contextMenuEvent(QContextMenuEvent* event) {
    // The right press showed the action's menu already; no other menu shows over the button.
    event->accept();
}

QMenu* ZRPaletteItemButton::newMenu() {
    return m_controller.menuForPaletteItemButton(this);
}

bool ZRPaletteItemButton::popUpMenuWithEvent(const QInputEvent*) {
    QMenu* menu = newMenu();
    if (!menu)
        return false;
    if (menu->isEmpty()) {
        delete menu;
        return false;
    }
    if (m_menu)
        m_menu->close();
    m_menu = menu;
    s_showsMenu = true;
    connect(menu, &QMenu::aboutToHide, this, [this, menu] {
        menu->deleteLater();
        if (m_menu == menu)
            menuDidClose();
    });
    menu->popup(mapToGlobal(QPoint(0, height()) + MenuOffset));
    return true;
}

void ZRPaletteItemButton::menuDidClose() {
    s_showsMenu = false;
    setHovered(false);
    update();
}

void ZRPaletteItemButton::triggerAction() {
    if (m_controller.actions().triggerActionViaPaletteItemButton(*this))
        setHovered(false);
}
