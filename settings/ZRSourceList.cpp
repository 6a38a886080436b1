#include "settings/ZRSourceList.h"

#include "platform/foundation/UserDefaults.h"
#include "settings/ZRDisappearingItemAnimation.h"
#include "settings/ZRDragEndObserver.h"
#include "settings/ZRSidebarController.h"
#include "settings/ZRSourceListCell.h"
#include "settings/ZRSourceListModel.h"
#include "settings/ZRSourceListPasteboard.h"
#include "settings/ZRSourceListSelectionModel.h"
#include "shell/ZRMainController.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace {

const QString SidebarKeyboardFocusKey = QStringLiteral("Sidebar Keyboard Focus");
const QString SidebarHotKeyPriorityKey = QStringLiteral("Sidebar Hot Key Priority");

constexpr int DefaultRowHeight = 20;
constexpr int DefaultIndentation = 15;
constexpr int DefaultVerticalIntercellSpacing = 6;
// A drop lands beside a row within this share of its height from its edges (as Qt's views decide it),
// bounded below and above.
constexpr double DropEdgeShare = 1 / 5.5;
constexpr int MinimumDropEdge = 2;
constexpr int MaximumDropEdge = 12;
constexpr int DropIndicatorWidth = 2;
constexpr double DropIndicatorRadius = 4;
// At most this many rows make up the picture of a drag.
constexpr int MaximumDragImageRows = 8;
constexpr double DragImageOpacity = 0.8;
// The grey of a selection while the sidebar does not have the keyboard.
constexpr double UnfocusedSelectionAlpha = 0.14;

} // namespace

ZRSourceList::ZRSourceList(ZRSidebarController& sidebar, ZRMainController& controller,
                           const UserDefaults& defaults, QWidget* parent)
    : QTreeView(parent), m_sidebar(sidebar), m_controller(controller), m_defaults(defaults),
      m_rowHeight(DefaultRowHeight), m_verticalIntercellSpacing(DefaultVerticalIntercellSpacing) {
    setObjectName(QStringLiteral("sourceList"));
    setHeaderHidden(true);
    setRootIsDecorated(true);
    setUniformRowHeights(false);
    setAnimated(false);
    setIndentation(DefaultIndentation);
    setSelectionMode(ExtendedSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(EditKeyPressed | SelectedClicked);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setDragEnabled(true);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDropIndicatorShown(false);
    setModel(&sidebar.model());
    QItemSelectionModel* standard = selectionModel();
    setSelectionModel(new ZRSourceListSelectionModel(&sidebar.model(), this));
    delete standard;
    setItemDelegate(new ZRSourceListCell(sidebar, this));
    connect(this, &QTreeView::expanded, this,
            [this](const QModelIndex& index) { m_sidebar.itemDidExpand(index); });
    connect(this, &QTreeView::collapsed, this,
            [this](const QModelIndex& index) { m_sidebar.itemDidCollapse(index); });
    updateFocusPolicy();
    updateSelectionColors();
}

bool ZRSourceList::acceptsFirstResponder() const {
    return m_defaults.boolForKey(SidebarKeyboardFocusKey);
}

void ZRSourceList::updateFocusPolicy() {
    setFocusPolicy(acceptsFirstResponder() ? Qt::StrongFocus : Qt::NoFocus);
}

void ZRSourceList::setRowMetrics(int rowHeight, int indentation, int verticalIntercellSpacing) {
    m_rowHeight = rowHeight;
    m_verticalIntercellSpacing = verticalIntercellSpacing;
    setIndentation(indentation);
}

void ZRSourceList::selectAll() {
    m_sidebar.selectAll(this);
}

void ZRSourceList::selectAllRows() {
    QTreeView::selectAll();
}

bool ZRSourceList::containsDraggingSessionPoint(QPoint screenPoint) const {
    return window()->frameGeometry().contains(screenPoint);
}

void ZRSourceList::updateDisplay() {
    // The selection's colours derive from the window's, which change with the desktop's theme.
    updateSelectionColors();
}

bool ZRSourceList::isEditingIndex(const QModelIndex& index) const {
    return state() == EditingState && currentIndex() == index;
}

void ZRSourceList::stopEditing() {
    const auto* cell = qobject_cast<ZRSourceListCell*>(itemDelegate());
    QWidget* editor = cell ? cell->currentEditor() : nullptr;
    if (state() != EditingState || !editor)
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void ZRSourceList::editRow(const QModelIndex& index) {
    if (!index.isValid())
        return;
    scrollTo(index);
    setCurrentIndex(index);
    edit(index, AllEditTriggers, nullptr);
}

// --- Keys and menus

void ZRSourceList::keyPressEvent(QKeyEvent* event) {
    const bool deleteKey = event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    if (deleteKey && !(event->modifiers() & ~Qt::KeypadModifier)) {
        if (!m_sidebar.deleteSelectedSourceListItems())
            m_sidebar.beep();
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void ZRSourceList::contextMenuEvent(QContextMenuEvent* event) {
    const ZRSourceListItemRef row = m_sidebar.rowForContextMenuAt(event->pos());
    QMenu* menu = m_controller.sourceListContextMenuForItem(row.get());
    if (!menu)
        return;
    // The row is held while the menu is open: whatever it does, it does to a row that exists.
    menu->exec(event->globalPos());
    delete menu;
}

// --- Drawing

void ZRSourceList::paintEvent(QPaintEvent* event) {
    const QWidget* settingsWindow = window();
    ZRSourceListCell::setHotKeysShown(
        ZRSourceListCell::hotKeysShownFor(m_defaults.integerForKey(SidebarHotKeyPriorityKey),
                                          settingsWindow->width(), settingsWindow->minimumWidth()));
    QTreeView::paintEvent(event);
    if (m_dropIndicator.isNull())
        return;
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = palette().color(QPalette::Active, QPalette::Highlight);
    painter.setPen(QPen(color, DropIndicatorWidth));
    if (m_dropIndicatorOnRow)
        painter.drawRoundedRect(QRectF(m_dropIndicator).adjusted(1, 1, -1, -1), DropIndicatorRadius,
                                DropIndicatorRadius);
    else
        painter.drawLine(m_dropIndicator.topLeft(), m_dropIndicator.topRight());
}

void ZRSourceList::focusInEvent(QFocusEvent* event) {
    QTreeView::focusInEvent(event);
    updateSelectionColors();
}

void ZRSourceList::focusOutEvent(QFocusEvent* event) {
    QTreeView::focusOutEvent(event);
    updateSelectionColors();
}

void ZRSourceList::changeEvent(QEvent* event) {
    QTreeView::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        updateSelectionColors();
}

void ZRSourceList::updateSelectionColors() {
    // The accent marks the selection only where the keys go; elsewhere it is a quiet grey.
    const QPalette inherited = parentWidget() ? parentWidget()->palette() : QApplication::palette(this);
    const QColor accent = inherited.color(QPalette::Active, QPalette::Highlight);
    // The grey is the text colour laid thinly over the rows; on a dark theme text and rows lie closer
    // together, so it is laid thicker to stand out from the rows as much as on a light one.
    QColor grey = inherited.color(QPalette::Active, QPalette::WindowText);
    const double spread =
        std::abs(grey.lightnessF() - inherited.color(QPalette::Active, QPalette::Base).lightnessF());
    grey.setAlphaF(static_cast<float>(spread > 0 ? std::min(1.0, UnfocusedSelectionAlpha / spread)
                                                 : UnfocusedSelectionAlpha));
    const bool keyed = hasFocus() && isActiveWindow();
    QPalette colors;
    colors.setColor(QPalette::Active, QPalette::Highlight, keyed ? accent : grey);
    colors.setColor(QPalette::Inactive, QPalette::Highlight, grey);
    colors.setColor(QPalette::Active, QPalette::HighlightedText,
                    keyed ? QColor(Qt::white) : inherited.color(QPalette::Active, QPalette::Text));
    colors.setColor(QPalette::Inactive, QPalette::HighlightedText,
                    inherited.color(QPalette::Inactive, QPalette::Text));
    setPalette(colors);
    viewport()->update();
}

// --- Dragging

void ZRSourceList::startDrag(Qt::DropActions) {
    const ZRSourceListItems items = m_sidebar.selectedSourceListItemsWithFirstSelectedRow(nullptr);
    auto data = std::make_unique<QMimeData>();
    if (items.empty() || !m_sidebar.writeItems(items, *data))
        return;
    QModelIndexList rows;
    for (const auto& item : items)
        rows.append(m_sidebar.model().indexForItem(item.get()));
    auto* drag = new QDrag(this);
    drag->setMimeData(data.release());
    drag->setPixmap(dragImage(rows));
    // Where nothing takes the rows, the cursor says that letting go deletes them.
    drag->setDragCursor(ZRDisappearingItemAnimation::cursorPixmap(), Qt::IgnoreAction);
    ZRDragEndObserver observer;
    observer.start();
    const Qt::DropAction operation = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    m_sidebar.draggingSessionEnded(QCursor::pos(), operation, observer.leftMouseUp());
}

QPixmap ZRSourceList::dragImage(const QModelIndexList& rows) const {
    QRect area;
    int count = 0;
    for (const QModelIndex& row : rows) {
        const QRect rect = visualRect(row);
        if (!row.isValid() || !viewport()->rect().intersects(rect))
            continue;
        area = area.united(QRect(0, rect.top(), viewport()->width(), rect.height()));
        if (++count == MaximumDragImageRows)
            break;
    }
    if (area.isEmpty())
        return {};
    QPixmap picture = viewport()->grab(area);
    QPixmap faded(picture.size());
    faded.setDevicePixelRatio(picture.devicePixelRatio());
    faded.fill(Qt::transparent);
    QPainter painter(&faded);
    painter.setOpacity(DragImageOpacity);
    painter.drawPixmap(0, 0, picture);
    return faded;
}

bool ZRSourceList::dropCopies(bool fromThisProgram, Qt::KeyboardModifiers modifiers) {
    // Option is Alt here, which window managers often take for themselves; Control copies on X11 as well.
    return !fromThisProgram || (modifiers & (Qt::AltModifier | Qt::ControlModifier));
}

ZRSourceList::DropTarget ZRSourceList::dropTargetAt(QPoint viewportPoint) const {
    const QModelIndex index = indexAt(viewportPoint);
    if (!index.isValid()) {
        // Below the last row: the end of the top-level rows.
        return {nullptr, model()->rowCount()};
    }
    const ZRSourceListItemRef item = m_sidebar.model().itemRefForIndex(index);
    const QRect rect = visualRect(index);
    const int y = viewportPoint.y();
    enum { Above, Below, On } position;
    if (model()->flags(index) & Qt::ItemIsDropEnabled) {
        const int edge = std::clamp(int(rect.height() * DropEdgeShare), MinimumDropEdge, MaximumDropEdge);
        position = y - rect.top() < edge ? Above : rect.bottom() - y < edge ? Below : On;
    } else {
        position = y < rect.center().y() ? Above : Below;
    }
    switch (position) {
    case Above:
        return {item->parent(), index.row()};
    case Below:
        // Below an open folder is its first place.
        if (item->hasChildren() && isExpanded(index))
            return {item, 0};
        return {item->parent(), index.row() + 1};
    case On:
        break;
    }
    return {item, -1};
}

QRect ZRSourceList::dropIndicatorFor(const DropTarget& target, QPoint viewportPoint) const {
    const QModelIndex index = indexAt(viewportPoint);
    if (!index.isValid()) {
        QModelIndex last =
            model()->rowCount() > 0 ? model()->index(model()->rowCount() - 1, 0) : QModelIndex();
        while (last.isValid() && isExpanded(last) && model()->rowCount(last) > 0)
            last = model()->index(model()->rowCount(last) - 1, 0, last);
        const int y = last.isValid() ? visualRect(last).bottom() : 0;
        return QRect(0, y, viewport()->width(), 0);
    }
    const QRect rect = visualRect(index);
    if (target.childIndex < 0)
        return rect;
    const bool above = target.item.get() == m_sidebar.model().itemForIndex(index.parent()) &&
                       target.childIndex == index.row();
    const int y = above ? rect.top() : rect.bottom();
    return QRect(rect.left(), y, viewport()->width() - rect.left(), 0);
}

bool ZRSourceList::dropComesFromThisProgram(const QDropEvent& event) const {
    // Rows held for a drag mean the drag is ours: there is only one drag at a time.
    return event.source() || !m_sidebar.draggedSourceListItems().empty();
}

void ZRSourceList::validateDrag(QDropEvent* event) {
    const QPoint point = event->position().toPoint();
    const DropTarget target = dropTargetAt(point);
    const bool copy = dropCopies(dropComesFromThisProgram(*event), event->modifiers());
    const Qt::DropAction operation =
        m_sidebar.validateDrop(*event->mimeData(), target.item, target.childIndex, copy);
    const QRect indicator = operation == Qt::IgnoreAction ? QRect() : dropIndicatorFor(target, point);
    if (indicator != m_dropIndicator || m_dropIndicatorOnRow != (target.childIndex < 0)) {
        m_dropIndicator = indicator;
        m_dropIndicatorOnRow = target.childIndex < 0;
        viewport()->update();
    }
    event->setDropAction(operation);
    if (operation == Qt::IgnoreAction)
        event->ignore();
    else
        event->accept();
    // Near the top or bottom edge the rows scroll, a row at a time.
    const int margin = autoScrollMargin();
    QScrollBar* bar = verticalScrollBar();
    if (point.y() < margin)
        bar->setValue(bar->value() - bar->singleStep());
    else if (point.y() > viewport()->height() - margin)
        bar->setValue(bar->value() + bar->singleStep());
}

void ZRSourceList::dragEnterEvent(QDragEnterEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!data->hasFormat(ZRSourceListIdentifierPasteboardType) &&
        !data->hasFormat(ZRSourceListDictionaryPasteboardType)) {
        event->ignore();
        return;
    }
    validateDrag(event);
    // Entering is taken whatever the place: the rows tell at each move where a drop may land.
    event->accept();
}

void ZRSourceList::dragMoveEvent(QDragMoveEvent* event) {
    validateDrag(event);
}

void ZRSourceList::dragLeaveEvent(QDragLeaveEvent*) {
    m_dropIndicator = QRect();
    viewport()->update();
}

void ZRSourceList::dropEvent(QDropEvent* event) {
    m_dropIndicator = QRect();
    viewport()->update();
    const DropTarget target = dropTargetAt(event->position().toPoint());
    // Decided again at the drop: the keys may have changed since the last move.
    const bool copy = dropCopies(dropComesFromThisProgram(*event), event->modifiers());
    if (!m_sidebar.acceptDrop(*event->mimeData(), target.item, target.childIndex, copy)) {
        event->ignore();
        return;
    }
    event->setDropAction(copy ? Qt::CopyAction : Qt::MoveAction);
    event->accept();
}
