#include "toolkit/ViewExtensions.h"

#include <QWidget>

namespace {
constexpr double DarkLightnessThreshold = 0.5;

QList<QWidget*> subviews(const QWidget* view) {
    return view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
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
    QWidget* parent = view ? view->parentWidget() : nullptr;
    if (!parent)
        return;
    const QList<QWidget*> siblings = subviews(parent);
    if (siblings.size() < 2)
        return;
    const int viewBottom = view->y() + view->height();
    const bool hidden = view->isHidden();
    for (QWidget* sibling : siblings) {
        if (sibling == view)
            continue;
        const bool below =
            hidden ? sibling->y() >= viewBottom : sibling->y() + sibling->height() > viewBottom;
        if (below)
            sibling->move(sibling->x(), sibling->y() - delta);
    }
}

bool setVisible(QWidget* view, bool visible, int moveSiblingBelowUpByDelta) {
    if (!view || view->isHidden() == !visible)
        return false;
    // Siblings are measured while the view is hidden, before it shows and after it hides.
    if (visible) {
        moveSiblingsBelowUpByDelta(view, -moveSiblingBelowUpByDelta);
        view->setVisible(true);
    } else {
        view->setVisible(false);
        moveSiblingsBelowUpByDelta(view, moveSiblingBelowUpByDelta);
    }
    return true;
}
