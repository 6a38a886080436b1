#include "settings/ZRConfigurationCollectionView.h"

#include "actions/ZRConfigurationCollectionViewDelegate.h"
#include "settings/ZRConfigurationView.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {

// Centres this close count as level.
constexpr double LevelTolerance = 0.1;

QRect placedFrame(const QWidget* row) {
    const auto* view = qobject_cast<const ZRConfigurationView*>(row);
    return view && !view->moveSortFrame().isEmpty() ? view->moveSortFrame() : row->geometry();
}

double centreY(const QRect& frame) {
    return frame.y() + frame.height() / 2.0;
}

// Rows at the very top of their parent come first and rows at its very bottom last; the others go by their
// centres, where they are placed (or dragged), then where they really are, then by identity.
bool comesBefore(const QWidget* a, const QWidget* b, double parentHeight, double threshold) {
    const QRect fa = placedFrame(a), fb = placedFrame(b);
    const bool aTop = fa.y() <= threshold, bTop = fb.y() <= threshold;
    if (aTop != bTop)
        return aTop;
    const bool aBottom = fa.y() + fa.height() >= parentHeight - threshold;
    const bool bBottom = fb.y() + fb.height() >= parentHeight - threshold;
    if (aBottom != bBottom)
        return bBottom;
    if (std::abs(centreY(fa) - centreY(fb)) > LevelTolerance)
        return centreY(fa) < centreY(fb);
    const double ra = centreY(a->geometry()), rb = centreY(b->geometry());
    if (std::abs(ra - rb) > LevelTolerance)
        return ra < rb;
    return std::less<const QWidget*>()(a, b);
}

} // namespace

ZRConfigurationCollectionView::ZRConfigurationCollectionView(QWidget* parent)
    : ZRKeyWindowReflectingView(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

int ZRConfigurationCollectionView::inset() {
    return ZRConfigurationView::Inset;
}

ZRConfigurationCollectionViewDelegate* ZRConfigurationCollectionView::delegate() const {
    return m_delegateLifetime.expired() ? nullptr : m_delegate;
}

void ZRConfigurationCollectionView::setDelegate(ZRConfigurationCollectionViewDelegate* delegate) {
    m_delegate = delegate;
    m_delegateLifetime = delegate ? delegate->lifetime() : std::weak_ptr<const void>();
}

void ZRConfigurationCollectionView::setResizableContainerView(QWidget* container) {
    m_resizableContainerView = container;
}

QScrollArea* ZRConfigurationCollectionView::enclosingScrollArea() const {
    for (QWidget* view = parentWidget(); view; view = view->parentWidget())
        if (auto* scroll = qobject_cast<QScrollArea*>(view))
            return scroll;
    return nullptr;
}

QRect ZRConfigurationCollectionView::visibleRect() const {
    const QScrollArea* scroll = enclosingScrollArea();
    if (!scroll)
        return rect();
    const QPoint origin = mapFrom(scroll->viewport(), QPoint(0, 0));
    return QRect(origin, scroll->viewport()->size()).intersected(rect());
}

void ZRConfigurationCollectionView::scrollRectToVisible(const QRect& target) {
    QScrollArea* scroll = enclosingScrollArea();
    if (!scroll || target.isEmpty())
        return;
    QScrollBar* bar = scroll->verticalScrollBar();
    const QRect visible = visibleRect();
    if (target.y() < visible.y())
        bar->setValue(bar->value() - (visible.y() - target.y()));
    else if (target.y() + target.height() > visible.y() + visible.height())
        bar->setValue(bar->value() +
                      std::min(target.y() - visible.y(),
                               target.y() + target.height() - (visible.y() + visible.height())));
}

QList<QWidget*> ZRConfigurationCollectionView::configurationViews() const {
    ZRConfigurationCollectionViewDelegate* d = delegate();
    return d ? d->configurationViewsInCollectionView(const_cast<ZRConfigurationCollectionView*>(this))
             : QList<QWidget*>();
}

QList<QWidget*> ZRConfigurationCollectionView::configurationViewsInRowOrder() const {
    QList<QWidget*> rows = configurationViews();
    const double threshold = ZRConfigurationView::Inset - 0.1;
    const double parentHeight = height();
    std::stable_sort(rows.begin(), rows.end(), [&](const QWidget* a, const QWidget* b) {
        return comesBefore(a, b, parentHeight, threshold);
    });
    return rows;
}

// --- Tiling

QSize ZRConfigurationCollectionView::contentSize(int contentHeight) const {
    const QScrollArea* scroll = enclosingScrollArea();
    if (!scroll)
        return {width(), contentHeight};
    QSize viewport = scroll->maximumViewportSize();
    // A scroll bar takes its width from the rows only when they do not fit.
    if (contentHeight > viewport.height() && scroll->verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        viewport.rwidth() -= scroll->verticalScrollBar()->sizeHint().width();
    return viewport;
}

void ZRConfigurationCollectionView::tileConfigurationViewsIncludingMovingViews(bool moving, bool adjust) {
    const QRect oldVisible = visibleRect();
    const QList<QWidget*> rows = configurationViews();
    // Rows that the delegate no longer supplies leave, which ends an action's pane.
    for (QObject* child : children())
        if (auto* row = qobject_cast<ZRConfigurationView*>(child); row && !rows.contains(row))
            row->setParent(nullptr);
    int contentHeight = 2 * inset();
    for (const QWidget* row : rows)
        contentHeight += row->height();

    if (m_resizableContainerView) {
        const int wanted = std::clamp(contentHeight + AdditionalResizableContainerHeight,
                                      MinimumResizableContainerHeight, MaximumResizableContainerHeight);
        QWidget* container = m_resizableContainerView;
        if (container->height() != wanted) {
            container->resize(container->width(), wanted);
            if (adjust)
                adjustWindowHeight();
        }
        // The scroll area fills the container between equal margins.
        if (QScrollArea* scroll = enclosingScrollArea(); scroll && scroll->parentWidget() == container) {
            const int margin = AdditionalResizableContainerHeight / 2;
            scroll->setGeometry(0, margin, container->width(), wanted - 2 * margin);
        }
    }
    const QSize content = contentSize(contentHeight);
    int y = inset();
    for (QWidget* row : rows) {
        const auto* view = qobject_cast<ZRConfigurationView*>(row);
        const QRect frame(0, y, content.width(), row->height());
        if (moving || !view || view->moveSortFrame().isEmpty()) {
            if (row->parentWidget() != this) {
                row->setParent(this);
                row->show();
            }
            row->setGeometry(frame);
        }
        y += frame.height();
    }
    resize(content.width(),
           m_resizableContainerView ? std::max(content.height(), contentHeight) : contentHeight);
    const QRect stillThere = oldVisible.intersected(rect());
    if (!stillThere.isEmpty())
        scrollRectToVisible(stillThere);
    update();
    notifyDelegateOfSelectionUpdate();
}

// --- Selection

QList<ZRConfigurationView*> ZRConfigurationCollectionView::selectedConfigurationViews() const {
    QList<ZRConfigurationView*> selected;
    for (QObject* child : children())
        if (auto* row = qobject_cast<ZRConfigurationView*>(child); row && row->selected())
            selected.append(row);
    return selected;
}

void ZRConfigurationCollectionView::selectConfigurationView(ZRConfigurationView* view,
                                                            Qt::KeyboardModifiers modifiers,
                                                            bool leftMouseUp) {
    const QList<QWidget*> rows = configurationViewsInRowOrder();
    QList<ZRConfigurationView*> views;
    for (QWidget* row : rows)
        if (auto* configuration = qobject_cast<ZRConfigurationView*>(row))
            views.append(configuration);
    if (view && (modifiers & Qt::ControlModifier)) {
        view->setSelected(!view->selected());
    } else if (view && (modifiers & Qt::ShiftModifier)) {
        if (!view->selected()) {
            const auto clicked = views.indexOf(view);
            const auto firstSelected = std::find_if(
                views.begin(), views.end(), [](const ZRConfigurationView* row) { return row->selected(); });
            const qsizetype anchor = firstSelected == views.end() ? clicked : firstSelected - views.begin();
            for (qsizetype i = std::min(anchor, clicked); i <= std::max(anchor, clicked); ++i)
                views[i]->setSelected(true);
        }
    } else {
        for (ZRConfigurationView* row : views)
            if (row != view)
                row->setSelected(false);
        if (view)
            view->setSelected(!(view->selected() && leftMouseUp));
    }
    notifyDelegateOfSelectionUpdate();
}

void ZRConfigurationCollectionView::moveSelectionBy(int delta, Qt::KeyboardModifiers modifiers) {
    QList<QWidget*> rows = configurationViewsInRowOrder();
    if (rows.isEmpty())
        return;
    QList<qsizetype> selected;
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (auto* row = qobject_cast<ZRConfigurationView*>(rows[i]); row && row->selected())
            selected.append(i);
    qsizetype target = 0;
    if (!selected.isEmpty())
        target = std::min((delta < 0 ? selected.front() : selected.back()) + delta, rows.size() - 1);
    target = std::max<qsizetype>(target, 0);
    QWidget* shown = nullptr;
    if ((modifiers & Qt::ControlModifier) && !selected.isEmpty()) {
        QList<QWidget*> block, rest;
        for (qsizetype i = 0; i < rows.size(); ++i)
            (selected.contains(i) ? block : rest).append(rows[i]);
        if (delta > 0)
            target = std::max<qsizetype>(target - (block.size() - 1), 0);
        target = std::min(target, rest.size());
        for (qsizetype i = 0; i < block.size(); ++i)
            rest.insert(target + i, block[i]);
        if (ZRConfigurationCollectionViewDelegate* d = delegate())
            d->sortConfigurationsByViewIndexInArray(rest);
        tileConfigurationViewsIncludingMovingViews(true, false);
        shown = delta > 0 ? block.back() : block.front();
    } else {
        auto* row = qobject_cast<ZRConfigurationView*>(rows[target]);
        selectConfigurationView(row, modifiers & ~Qt::ControlModifier, false);
        shown = row;
    }
    if (shown)
        scrollRectToVisible(shown->geometry());
}

void ZRConfigurationCollectionView::selectAll() {
    for (QObject* child : children())
        if (auto* row = qobject_cast<ZRConfigurationView*>(child))
            row->setSelected(true);
    notifyDelegateOfSelectionUpdate();
}

void ZRConfigurationCollectionView::delete_() {
    if (ZRConfigurationCollectionViewDelegate* d = delegate())
        d->deleteSelectedConfigurations();
}

bool ZRConfigurationCollectionView::canSelectAll() const {
    return !findChildren<QWidget*>(Qt::FindDirectChildrenOnly).isEmpty();
}

bool ZRConfigurationCollectionView::canDelete() const {
    return !selectedConfigurationViews().isEmpty();
}

void ZRConfigurationCollectionView::notifyDelegateOfSelectionUpdate() {
    if (ZRConfigurationCollectionViewDelegate* d = delegate())
        d->selectionDidUpdateInCollectionView(this);
}

void ZRConfigurationCollectionView::setNeedsDisplayForConfigurationViews() {
    for (QObject* child : children())
        if (auto* row = qobject_cast<ZRConfigurationView*>(child))
            row->update();
}

void ZRConfigurationCollectionView::setNeedsDisplayForSelectedConfigurationViews() {
    for (ZRConfigurationView* row : selectedConfigurationViews())
        row->update();
}

void ZRConfigurationCollectionView::reflectKeyWindowStatusChange() {
    ZRKeyWindowReflectingView::reflectKeyWindowStatusChange();
    setNeedsDisplayForSelectedConfigurationViews();
}

// --- Events

void ZRConfigurationCollectionView::mousePressEvent(QMouseEvent* event) {
    selectConfigurationView(nullptr, event->modifiers(), false);
    setFocus(Qt::MouseFocusReason);
    event->accept();
}

void ZRConfigurationCollectionView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
        delete_();
        return;
    case Qt::Key_Up:
        moveSelectionBy(-1, event->modifiers());
        return;
    case Qt::Key_Down:
        moveSelectionBy(1, event->modifiers());
        return;
    default:
        ZRKeyWindowReflectingView::keyPressEvent(event);
    }
}

void ZRConfigurationCollectionView::focusInEvent(QFocusEvent* event) {
    ZRKeyWindowReflectingView::focusInEvent(event);
    update();
    setNeedsDisplayForSelectedConfigurationViews();
}

void ZRConfigurationCollectionView::focusOutEvent(QFocusEvent* event) {
    ZRKeyWindowReflectingView::focusOutEvent(event);
    update();
    setNeedsDisplayForSelectedConfigurationViews();
}
