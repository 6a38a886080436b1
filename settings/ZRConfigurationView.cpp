#include "settings/ZRConfigurationView.h"

#include "actions/ZRConfigurationCollectionViewDelegate.h"
#include "platform/foundation/RunLoop.h"
#include "settings/ZRConfigurationCollectionView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>

namespace {

// Rows within this much of their parent's top or bottom count as first or last.
constexpr double OutsideThresholdSlack = 0.1;

} // namespace

ZRConfigurationView::ZRConfigurationView(RunLoop& mainRunLoop, QWidget* parent)
    : QWidget(parent), m_mainRunLoop(mainRunLoop) {}

ZRConfigurationView::~ZRConfigurationView() {
    if (m_tracking)
        qApp->removeEventFilter(this);
}

void ZRConfigurationView::setSelected(bool selected) {
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

ZRConfigurationCollectionView* ZRConfigurationView::collectionView() const {
    for (QWidget* view = parentWidget(); view; view = view->parentWidget())
        if (auto* collection = qobject_cast<ZRConfigurationCollectionView*>(view))
            return collection;
    return nullptr;
}

QRect ZRConfigurationView::moveDeltaCorrectionRect() const {
    if (auto* collection = qobject_cast<ZRConfigurationCollectionView*>(parentWidget()))
        return collection->visibleRect();
    return parentWidget() ? parentWidget()->rect() : QRect();
}

double ZRConfigurationView::moveOutsideThresholdAtTop(bool) const {
    return Inset - OutsideThresholdSlack;
}

bool ZRConfigurationView::isInMargin(QPoint point) const {
    return !rect().adjusted(2 * Inset, Inset, -2 * Inset, -Inset).contains(point);
}

// --- Dragging rows

void ZRConfigurationView::mousePressEvent(QMouseEvent* event) {
    if (isInMargin(event->position().toPoint()) || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    m_tracking = true;
    m_moved = false;
    m_draggedRows.clear();
    m_lastGlobalPosition = event->globalPosition().toPoint();
    auto* collection = qobject_cast<ZRConfigurationCollectionView*>(parentWidget());
    m_startOrder = collection ? collection->configurationViews() : QList<QWidget*>();
    m_pressY = collection ? collection->mapFromGlobal(m_lastGlobalPosition).y() : 0;
    if (collection && m_startOrder.size() > 1) {
        if (m_selected) {
            for (QWidget* row : collection->configurationViewsInRowOrder())
                if (auto* view = qobject_cast<ZRConfigurationView*>(row); view && view->selected())
                    m_draggedRows.append(view);
        } else {
            m_draggedRows.append(this);
        }
        if (m_draggedRows.size() == m_startOrder.size())
            m_draggedRows.clear();
    }
    // A key pressed during the press cancels the drag.
    qApp->installEventFilter(this);
}

void ZRConfigurationView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_tracking)
        return;
    m_lastGlobalPosition = event->globalPosition().toPoint();
    dragTo(m_lastGlobalPosition);
    updateAutoscroll(m_lastGlobalPosition);
}

void ZRConfigurationView::mouseReleaseEvent(QMouseEvent* event) {
    if (m_tracking)
        endTracking(false, event->modifiers());
}

bool ZRConfigurationView::eventFilter(QObject*, QEvent* event) {
    if (m_tracking && event->type() == QEvent::KeyPress) {
        endTracking(true, static_cast<QKeyEvent*>(event)->modifiers());
        return true;
    }
    return false;
}

void ZRConfigurationView::dragTo(QPoint globalPosition) {
    auto* collection = qobject_cast<ZRConfigurationCollectionView*>(parentWidget());
    if (m_draggedRows.isEmpty() || !collection)
        return;
    int offset = collection->mapFromGlobal(globalPosition).y() - m_pressY;
    const auto frameOf = [this](const ZRConfigurationView* row) {
        return m_moved ? row->moveOriginalFrame() : row->geometry();
    };
    // The first row's top and the last row's bottom stay in sight.
    const QRect limit = moveDeltaCorrectionRect();
    const QRect first = frameOf(m_draggedRows.front()), last = frameOf(m_draggedRows.back());
    offset = std::min(offset, limit.y() + limit.height() - (last.y() + last.height()));
    offset = std::max(offset, limit.y() - first.y());
    if (!m_moved) {
        if (std::abs(offset) < 1)
            return;
        m_moved = true;
        collection->setDragging(true);
        for (const auto& row : m_draggedRows)
            if (row)
                row->setMoveOriginalFrame(row->geometry());
    }
    for (const auto& row : m_draggedRows) {
        if (!row)
            continue;
        const QRect frame = row->moveOriginalFrame().translated(0, offset);
        row->setMoveSortFrame(frame);
        row->setGeometry(frame);
        row->raise();
    }
    if (collection->configurationViewsInRowOrder() != collection->configurationViews()) {
        if (auto* delegate = collection->delegate())
            delegate->sortConfigurationsByViewYCoordinatesInCollectionView(collection);
        collection->tileConfigurationViewsIncludingMovingViews(false, false);
        collection->update();
    }
}

void ZRConfigurationView::updateAutoscroll(QPoint globalPosition) {
    auto* collection = qobject_cast<ZRConfigurationCollectionView*>(parentWidget());
    if (m_draggedRows.isEmpty() || !collection)
        return;
    const int y = collection->mapFromGlobal(globalPosition).y();
    const QRect inside = collection->visibleRect().adjusted(0, AutoscrollMargin, 0, -AutoscrollMargin);
    const bool outside = y < inside.y() || y >= inside.y() + inside.height();
    if (outside && !m_autoscrolling) {
        m_autoscrolling = true;
        m_autoscroll = m_mainRunLoop.performLater(
            AutoscrollFirstDelay, [this] { autoscroll(); }, CommonRunLoopModes);
    } else if (!outside && m_autoscrolling) {
        m_autoscrolling = false;
        m_autoscroll.cancel();
    }
}

void ZRConfigurationView::autoscroll() {
    auto* collection = qobject_cast<ZRConfigurationCollectionView*>(parentWidget());
    QScrollArea* scroll = collection ? collection->enclosingScrollArea() : nullptr;
    if (!m_tracking || !scroll) {
        m_autoscrolling = false;
        return;
    }
    const QRect visible = collection->visibleRect();
    const int y = collection->mapFromGlobal(m_lastGlobalPosition).y();
    QScrollBar* bar = scroll->verticalScrollBar();
    bar->setValue(bar->value() + (y < visible.center().y() ? -AutoscrollStep : AutoscrollStep));
    dragTo(m_lastGlobalPosition);
    m_autoscrolling = false;
    updateAutoscroll(m_lastGlobalPosition);
    if (m_autoscrolling) {
        m_autoscroll = m_mainRunLoop.performLater(
            AutoscrollInterval, [this] { autoscroll(); }, CommonRunLoopModes);
    }
}

void ZRConfigurationView::endTracking(bool cancelled, Qt::KeyboardModifiers modifiers) {
    qApp->removeEventFilter(this);
    m_autoscroll.cancel();
    m_autoscrolling = false;
    m_tracking = false;
    ZRConfigurationCollectionView* collection = collectionView();
    if (!collection)
        return;
    ZRConfigurationCollectionViewDelegate* delegate = collection->delegate();
    if (cancelled && delegate && collection->configurationViews() != m_startOrder)
        delegate->sortConfigurationsByViewIndexInArray(m_startOrder);
    collection->setDragging(false);
    if (!m_moved) {
        if (!cancelled) {
            collection->selectConfigurationView(this, modifiers, true);
            collection->setFocus(Qt::MouseFocusReason);
        }
        update();
        return;
    }
    for (const auto& row : m_draggedRows) {
        if (!row)
            continue;
        row->setMoveSortFrame(QRect());
        row->update();
    }
    const QRect visible = collection->visibleRect();
    collection->tileConfigurationViewsIncludingMovingViews(true, false);
    collection->scrollRectToVisible(visible);
    if (delegate && collection->configurationViews() != m_startOrder)
        delegate->sequenceDidUpdateInCollectionView(collection);
}
