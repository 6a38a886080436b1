#include "settings/ZRPaletteItemWell.h"

#include "actions/ZRAction.h"
#include "actions/ZRActionManager.h"
#include "actions/ZRPaletteIconMetrics.h"
#include "actions/ZRStandardPaletteItemImage.h"
#include "mouse-control/ZRPaletteLayout.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "settings/ZRActionScrollView.h"
#include "settings/ZRDisappearingItemAnimation.h"
#include "settings/ZRDragEndObserver.h"
#include "settings/ZRPaletteEditor.h"
#include "settings/ZRPaletteItemButton.h"
#include "settings/ZRSourceListPasteboard.h"
#include "toolkit/Appearance.h"
#include "toolkit/Drawing.h"
#include "toolkit/ImageExtensions.h"
#include "toolkit/ViewExtensions.h"
#include "toolkit/ZRLog.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace {

// The mark of the editor whose well started a drag, beside the item itself.
const QString DragSourceType = QStringLiteral("application/x-skaf-palette-editor");
constexpr double CornerRadius = 5;
// The icon takes this share of the well's width.
constexpr double IconShare = 0.6;
constexpr double IconMargin = 2;
// A press that moves this far starts a drag.
constexpr int DragDistance = 2;
// The item button's frame until the palette places it.
const QRect InitialButtonFrame(0, 0, 20, 20);

QColor white(bool dark, double alpha) {
    return calibratedWhite(dark ? 1.0 : 0.0, alpha);
}

} // namespace

ZRPaletteItemWell::ZRPaletteItemWell(ZRPaletteEditor& editor, QWidget* parent)
    : ZRKeyWindowReflectingView(parent), m_editor(editor) {
    setAcceptDrops(true);
    setAttribute(Qt::WA_Hover);
}

ZRPaletteItemWell::~ZRPaletteItemWell() {
    destroyPaletteItemButton();
}

// --- Items

void ZRPaletteItemWell::setPaletteAction(const std::shared_ptr<ZRAction>& action) {
    m_paletteAction = action;
    m_dummyPosition = ZRStandardPaletteItemNone;
    destroyPaletteItemButton();
    m_hiddenByUser = false;
    update();
}

void ZRPaletteItemWell::setDummyPosition(std::int64_t position) {
    setPaletteAction(nullptr);
    m_dummyPosition = position;
}

bool ZRPaletteItemWell::isVisibleItem() const {
    return m_paletteAction || (m_dummyPosition != ZRStandardPaletteItemNone && !m_hiddenByUser);
}

QWidget* ZRPaletteItemWell::paletteItemButton() {
    if (!m_paletteItemButton && m_paletteAction) {
        m_paletteItemButton =
            new ZRPaletteItemButton(m_editor.controller(), m_editor.defaults(), m_editor.mainRunLoop());
        m_paletteItemButton->setGeometry(InitialButtonFrame);
        m_paletteItemButton->setPaletteAction(m_paletteAction);
    }
    return m_paletteItemButton;
}

void ZRPaletteItemWell::destroyPaletteItemButton() {
    // The palette may hold the button in its window: it goes from there too.
    delete m_paletteItemButton.data();
}

QString ZRPaletteItemWell::currentToolTip() const {
    if (!isEnabled())
        return {};
    if (m_paletteAction)
        return m_paletteAction->displayNameWithSuffixes();
    if (m_dummyPosition != ZRStandardPaletteItemNone)
        return ZRStandardPaletteItems::label(m_dummyPosition);
    return tr("Drag custom actions here to add them to the palette");
}

// --- Look

bool ZRPaletteItemWell::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip)
        setToolTip(currentToolTip());
    return ZRKeyWindowReflectingView::event(event);
}

void ZRPaletteItemWell::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        update();
    ZRKeyWindowReflectingView::changeEvent(event);
}

QSizeF ZRPaletteItemWell::iconSize() const {
    const Size size = ZRPaletteIconMetrics(std::round(width() * IconShare), m_editor.defaults());
    return {size.width, size.height};
}

QImage ZRPaletteItemWell::iconImage() const {
    const bool dark = isInFullyInvertedDarkMode(this);
    const QColor disabled = white(dark, 0.25);
    const QSizeF icon = iconSize();
    const double ratio = devicePixelRatioF();
    if (m_paletteAction) {
        const QSizeF size(icon.width() + 2 * IconMargin, icon.height() + 2 * IconMargin);
        QImage image((size * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QColor color = disabled;
        if (isEnabled()) {
            const bool key = window() && window()->isActiveWindow();
            if (key)
                color = dark ? brighterOverlaySelectedControlColor() : overlaySelectedControlColor();
            else
                color = dark ? darkModeOverlayControlColor() : lightModeOverlayControlColor();
        }
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        m_paletteAction->drawIconInRect(
            painter, QRectF(IconMargin, IconMargin, icon.width(), icon.height()),
            {.asPaletteItem = true, .asTemplate = true, .color = color, .invertForDarkMode = dark});
        return image;
    }
    if (m_dummyPosition == ZRStandardPaletteItemNone)
        return {};
    const QImage shape =
        ZRStandardPaletteItemImage(m_dummyPosition, QColor(), icon.width(), icon.height(), ratio);
    QColor color = disabled;
    if (isEnabled())
        color = m_hiddenByUser ? white(dark, 0.25)
                : dark         ? darkModeOverlayControlColor()
                               : lightModeOverlayControlColor();
    QImage image(shape.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawInRect(painter, shape, QRectF(QPointF(), icon), color, 1.0);
    return image;
}

void ZRPaletteItemWell::paintEvent(QPaintEvent*) {
    const bool dark = isInFullyInvertedDarkMode(this);
    const bool hasWindowBackground = ZRActionScrollView::windowBackgroundColor().has_value();
    const double borderWidth = m_isDropTarget ? 2 : 1;
    QColor border;
    if (m_isDropTarget)
        border = overlaySelectedControlColor();
    else if (ZRIncreaseContrastEnabled())
        border = white(dark, 1.0);
    else
        border = white(dark, m_emphasized || dark || !hasWindowBackground ? 0.1 : 0.05);
    QColor background;
    if (m_emphasized && !dark && hasWindowBackground)
        background = Qt::white;
    else
        background = white(dark, m_emphasized ? (dark ? 0.22 : 0.07) : (dark ? 0.1 : 0.02));

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double half = borderWidth / 2;
    ZRDrawRectWithBorder(painter, false, border, background,
                         QRectF(rect()).adjusted(half, half, -half, -half), CornerRadius, borderWidth);
    const QImage icon = iconImage();
    if (icon.isNull())
        return;
    const QSizeF size = icon.deviceIndependentSize();
    painter.drawImage(
        QPointF(std::round((width() - size.width()) / 2), std::round((height() - size.height()) / 2)), icon);
}

// --- Menu

QMenu* ZRPaletteItemWell::menuForEvent() {
    if (!isEnabled())
        return nullptr;
    if (m_paletteAction) {
        auto* menu = new QMenu(tr("Well"));
        menu->addAction(tr("Remove \"%1\" from Palette").arg(m_paletteAction->displayNameWithSuffixes()),
                        this, [this] { clear(); });
        menu->addSeparator();
        menu->addAction(tr("Edit..."), this, [this] { edit(); });
        return menu;
    }
    if (m_dummyPosition == ZRStandardPaletteItemNone)
        return nullptr;
    const QString label = ZRStandardPaletteItems::label(m_dummyPosition);
    if (label.isEmpty()) {
        ZRLog("unexpected dummy: %ld", qint64(m_dummyPosition));
        return nullptr;
    }
    QString title;
    if (m_hiddenByUser)
        title = tr("Show \"%1\"").arg(label);
    else if (!m_editor.canHidePaletteItemWell())
        title = tr("Show All");
    else
        title = tr("Hide \"%1\"").arg(label);
    auto* menu = new QMenu(tr("Well"));
    menu->addAction(title, this, [this] { toggleHidden(); });
    return menu;
}

bool ZRPaletteItemWell::popUpContextMenu(QPoint globalPosition) {
    QMenu* menu = menuForEvent();
    if (!menu)
        return false;
    if (m_menu)
        m_menu->close();
    m_menu = menu;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
    return true;
}

void ZRPaletteItemWell::clear() {
    setPaletteAction(nullptr);
    m_editor.updatePaletteItemWellsAfterDelay();
}

void ZRPaletteItemWell::edit() {
    m_editor.revealAction(m_paletteAction);
}

void ZRPaletteItemWell::toggleHidden() {
    if (m_dummyPosition == ZRStandardPaletteItemNone)
        return;
    m_hiddenByUser = !m_hiddenByUser;
    m_editor.updatePaletteItemWellsAfterDelay();
}

void ZRPaletteItemWell::contextMenuEvent(QContextMenuEvent* event) {
    popUpContextMenu(event->globalPos());
    event->accept();
}

// --- Mouse

void ZRPaletteItemWell::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton ||
        (!m_paletteAction && m_dummyPosition == ZRStandardPaletteItemNone)) {
        event->ignore();
        return;
    }
    m_pressed = true;
    m_pressPosition = event->position().toPoint();
    // Held without moving (or let go), the press shows the menu.
    const QPoint global = event->globalPosition().toPoint();
    m_pressAndHold = m_editor.mainRunLoop().performLater(
        PressAndHoldDelay,
        [this, global] {
            const bool stillPressed = m_pressed && (QGuiApplication::mouseButtons() & Qt::LeftButton);
            m_pressed = false;
            // Without a menu, a press held still drags all the same.
            if (!popUpContextMenu(global) && stillPressed)
                startDrag();
        },
        CommonRunLoopModes);
    event->accept();
}

void ZRPaletteItemWell::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || !(event->buttons() & Qt::LeftButton) ||
        (event->position().toPoint() - m_pressPosition).manhattanLength() < DragDistance)
        return;
    m_pressed = false;
    m_pressAndHold.cancel();
    startDrag();
}

void ZRPaletteItemWell::mouseReleaseEvent(QMouseEvent*) {
    m_pressed = false;
}

// --- Drag and drop

QMimeData* ZRPaletteItemWell::newDraggingPasteboard() const {
    QVariant item;
    if (m_paletteAction)
        item = m_paletteAction->uniqueIdentifier();
    else if (m_dummyPosition != ZRStandardPaletteItemNone)
        item = qint64(m_dummyPosition);
    else
        return nullptr;
    auto* data = new QMimeData;
    data->setData(ZRPaletteItemPasteboardType, PropertyList::toData(QVariantList{item}));
    data->setData(DragSourceType, m_editor.dragSourceToken());
    return data;
}

void ZRPaletteItemWell::startDrag() {
    const QImage icon = iconImage();
    QMimeData* data = newDraggingPasteboard();
    if (icon.isNull() || !data) {
        delete data;
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(QPixmap::fromImage(icon));
    drag->setHotSpot((QPointF(icon.width(), icon.height()) / 2 / icon.devicePixelRatio()).toPoint());
    // A custom action let go where nothing takes it leaves the palette; a standard item stays.
    if (m_paletteAction)
        drag->setDragCursor(ZRDisappearingItemAnimation::cursorPixmap(), Qt::IgnoreAction);
    ZRDragEndObserver observer;
    observer.start();
    const Qt::DropAction operation = drag->exec(Qt::MoveAction, Qt::MoveAction);
    draggingSessionEnded(QCursor::pos(), operation, observer.leftMouseUp());
}

bool ZRPaletteItemWell::containsDraggingSessionPoint(QPoint screenPoint) const {
    return window() && window()->frameGeometry().contains(screenPoint);
}

void ZRPaletteItemWell::draggingSessionEnded(QPoint screenPoint, Qt::DropAction operation, bool leftMouseUp) {
    if (operation != Qt::IgnoreAction) {
        setPaletteAction(nullptr);
        m_editor.updatePaletteItemWellsAfterDelay();
        return;
    }
    if (!m_paletteAction || !leftMouseUp || containsDraggingSessionPoint(screenPoint))
        return;
    setPaletteAction(nullptr);
    ZRDisappearingItemAnimation::showAtPoint(screenPoint);
    m_editor.updatePaletteItemWellsAfterDelay();
}

Qt::DropAction ZRPaletteItemWell::dragOperation(const QMimeData& data,
                                                std::shared_ptr<ZRAction>* draggedAction,
                                                std::int64_t* draggedDummyPosition) const {
    if (draggedAction)
        *draggedAction = nullptr;
    if (draggedDummyPosition)
        *draggedDummyPosition = ZRStandardPaletteItemNone;
    if (m_dummyPosition != ZRStandardPaletteItemNone)
        return Qt::IgnoreAction;
    const bool fromSidebar = data.hasFormat(ZRSourceListIdentifierPasteboardType);
    // Items of the palette come only from the wells of this editor: another editor's (another running copy
    // of the program) would lose its item there, or make a sixth standard item here.
    if (!fromSidebar && (!data.hasFormat(ZRPaletteItemPasteboardType) ||
                         data.data(DragSourceType) != m_editor.dragSourceToken()))
        return Qt::IgnoreAction;
    const auto read = PropertyList::fromData(
        data.data(fromSidebar ? ZRSourceListIdentifierPasteboardType : ZRPaletteItemPasteboardType));
    const QVariantList elements = read.value.toList();
    if (!read.ok() || read.value.typeId() != QMetaType::QVariantList || elements.size() != 1)
        return Qt::IgnoreAction;
    const QVariant element = elements.front();
    if (element.typeId() == QMetaType::QString) {
        const auto action = m_editor.store().actionWithIdentifier(element.toString(), false);
        if (!action || action->actionType() < 1 || action == m_paletteAction)
            return Qt::IgnoreAction;
        if (draggedAction)
            *draggedAction = action;
        return fromSidebar ? Qt::CopyAction : Qt::MoveAction;
    }
    if (fromSidebar)
        return Qt::IgnoreAction;
    const bool isInteger = element.typeId() == QMetaType::Int || element.typeId() == QMetaType::LongLong;
    const std::int64_t item = isInteger ? element.toLongLong() : std::int64_t{ZRStandardPaletteItemNone};
    if (!ZRPaletteLayout::isStandardPaletteItem(item))
        return Qt::IgnoreAction;
    if (draggedDummyPosition)
        *draggedDummyPosition = item;
    return Qt::MoveAction;
}

void ZRPaletteItemWell::setDropTarget(bool target) {
    if (m_isDropTarget == target)
        return;
    m_isDropTarget = target;
    update();
}

bool ZRPaletteItemWell::acceptDrag(QDragMoveEvent* event) {
    const Qt::DropAction operation = isEnabled() && event->mimeData()
                                         ? dragOperation(*event->mimeData(), nullptr, nullptr)
                                         : Qt::IgnoreAction;
    if (operation == Qt::IgnoreAction) {
        event->ignore();
        return false;
    }
    event->setDropAction(operation);
    event->accept();
    return true;
}

void ZRPaletteItemWell::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptDrag(event))
        setDropTarget(true);
}

void ZRPaletteItemWell::dragMoveEvent(QDragMoveEvent* event) {
    acceptDrag(event);
}

void ZRPaletteItemWell::dragLeaveEvent(QDragLeaveEvent*) {
    setDropTarget(false);
}

void ZRPaletteItemWell::dropEvent(QDropEvent* event) {
    setDropTarget(false);
    std::shared_ptr<ZRAction> action;
    std::int64_t dummyPosition = ZRStandardPaletteItemNone;
    const Qt::DropAction operation = isEnabled() && event->mimeData()
                                         ? dragOperation(*event->mimeData(), &action, &dummyPosition)
                                         : Qt::IgnoreAction;
    if (operation == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    if (action)
        setPaletteAction(action);
    else
        setDummyPosition(dummyPosition);
    event->setDropAction(operation);
    event->accept();
    m_editor.updatePaletteItemWellsAfterDelay();
}
