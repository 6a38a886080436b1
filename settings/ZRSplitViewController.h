#pragma once

#include <QPointer>
#include <QRect>

class QSplitter;

// The split view of the settings window: the sidebar and the panes side by side, the divider fixed where it
// is and no side collapsing.
class ZRSplitViewController {
public:
    // Sets the splitter up so: no side collapses, the divider takes no drag, the sidebar keeps its width.
    ZRSplitViewController(QSplitter* splitView, int sidebarWidth);

    QSplitter* splitView() const { return m_splitView; }
    bool canCollapseSubview(int index) const { return false; }
    // The rectangle in which the divider takes a drag: none.
    QRect effectiveRectForDrawnRect(const QRect& drawnRect, int dividerIndex) const { return {}; }
    // Where the divider may go: only where it is, at the sidebar's width.
    int constrainMinCoordinate(int proposed, int dividerIndex) const { return m_sidebarWidth; }
    int constrainMaxCoordinate(int proposed, int dividerIndex) const { return m_sidebarWidth; }

private:
    QPointer<QSplitter> m_splitView;
    int m_sidebarWidth;
};
