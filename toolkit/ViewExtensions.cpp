#include "toolkit/ViewExtensions.h"

#include <QPointer>
#include <QWidget>

namespace {

constexpr double DarkLightnessThreshold = 0.5;

QList<QWidget*> subviews(const QWidget* view) {
    return view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
}

// The siblings a hidden view moved up, so that showing it moves the same ones back: once moved up they
// overlap the hidden view and can no longer be told from siblings beside it.
class MovedSiblings : public QObject {
public:
    explicit MovedSiblings(QWidget* view) : QObject(view) {}

    static MovedSiblings* of(QWidget* view, bool create) {
        auto* found = directChildOfType<MovedSiblings>(view);
        return found || !create ? found : new MovedSiblings(view);
    }

    QList<QPointer<QWidget>> siblings;
};

QList<QWidget*> siblingsBelow(const QWidget* view) {
    QList<QWidget*> below;
    const QWidget* parent = view->parentWidget();
    if (!parent)
        return below;
    const QList<QWidget*> siblings = subviews(parent);
    if (siblings.size() < 2)
        return below;
    const int viewBottom = view->y() + view->height();
    const bool hidden = view->isHidden();
    for (QWidget* sibling : siblings) {
        if (sibling == view)
            continue;
        // A hidden row above the view gave its room to the view: the view overlaps it, but it stays above.
        if (sibling->isHidden() && sibling->y() < view->y())
            continue;
        if (hidden ? sibling->y() >= viewBottom : sibling->y() + sibling->height() > viewBottom)
            below += sibling;
    }
    return below;
}

void moveUp(const QList<QWidget*>& widgets, int delta) {
    for (QWidget* widget : widgets)
        widget->move(widget->x(), widget->y() - delta);
}

} // namespace

bool isInFullyInvertedDarkMode(const QWidget* view) {
    return view && view->palette().color(QPalette::Window).lightnessF() < DarkLightnessThreshold;
}

void updateTrackingAreasRecursively(QWidget* view) {
    if (!view)
        return;
    if (auto* owner = dynamic_cast<ZRTrackingAreaOwner*>(view))
        owner->updateTrackingAreas();
    for (QWidget* subview : subviews(view))
        updateTrackingAreasRecursively(subview);
}

QRect frameByAdjustingHeightToFitSubviewsOfView(const QWidget* view, const QWidget* container,
                                                int bottomMargin) {
    if (!view)
        return {};
    QRect frame = view->geometry();
    if (!container)
        return frame;
    int contentBottom = 0;
    for (const QWidget* subview : subviews(container)) {
        if (!subview->isHidden())
            contentBottom = std::max(contentBottom, subview->y() + subview->height());
    }
    frame.setHeight(contentBottom + bottomMargin);
    return frame;
}

void moveSiblingsBelowUpByDelta(QWidget* view, int delta) {
    if (view)
        moveUp(siblingsBelow(view), delta);
}

bool setVisible(QWidget* view, bool visible, int moveSiblingBelowUpByDelta) {
    if (!view || view->isHidden() == !visible)
        return false;
    if (visible) {
        QList<QWidget*> moved;
        if (MovedSiblings* remembered = MovedSiblings::of(view, false)) {
            for (const auto& sibling : remembered->siblings) {
                if (sibling && sibling->parentWidget() == view->parentWidget())
                    moved += sibling;
            }
            delete remembered;
        } else {
            moved = siblingsBelow(view);
        }
        moveUp(moved, -moveSiblingBelowUpByDelta);
        view->setVisible(true);
        return true;
    }
    const QList<QWidget*> below = siblingsBelow(view);
    view->setVisible(false);
    moveUp(below, moveSiblingBelowUpByDelta);
    MovedSiblings* remembered = MovedSiblings::of(view, true);
    remembered->siblings.clear();
    for (QWidget* sibling : below)
        remembered->siblings += sibling;
    return true;
}
