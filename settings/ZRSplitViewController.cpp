#include "settings/ZRSplitViewController.h"

#include <QSplitter>

ZRSplitViewController::ZRSplitViewController(QSplitter* splitView, int sidebarWidth)
    : m_splitView(splitView), m_sidebarWidth(sidebarWidth) {
    splitView->setChildrenCollapsible(false);
    for (int index = 0; index < splitView->count(); ++index)
        splitView->setCollapsible(index, canCollapseSubview(index));
    for (int index = 1; index < splitView->count(); ++index) {
        QSplitterHandle* divider = splitView->handle(index);
        divider->setEnabled(effectiveRectForDrawnRect(divider->rect(), index).isValid());
        divider->setCursor(Qt::ArrowCursor);
    }
    if (QWidget* sidebar = splitView->widget(0)) {
        sidebar->setMinimumWidth(constrainMinCoordinate(sidebarWidth, 0));
        sidebar->setMaximumWidth(constrainMaxCoordinate(sidebarWidth, 0));
    }
    splitView->setStretchFactor(0, 0);
    splitView->setStretchFactor(1, 1);
    // The splitter would share the width out by the sides' preferred sizes, the sidebar's included.
    QList<int> sizes(splitView->count(), 0);
    if (!sizes.isEmpty())
        sizes.front() = sidebarWidth;
    if (sizes.size() > 1)
        sizes.back() = std::max(0, splitView->width() - sidebarWidth - splitView->handleWidth());
    splitView->setSizes(sizes);
}
