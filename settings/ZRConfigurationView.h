#pragma once

#include "platform/foundation/RunLoop.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

class ZRConfigurationCollectionView;

// One row of a configuration collection view. A click on its margins reaches the collection view (and
// deselects); a press elsewhere selects the row on release, or, held and moved, drags the selected rows to
// another place when the view has more than one row. Main thread only.
class ZRConfigurationView : public QWidget {
    Q_OBJECT
public:
    static constexpr int HeaderHeight = 40;
    static constexpr int Inset = 5;
    // While rows are dragged, the view scrolls this far every step once the mouse is this near its edges.
    static constexpr int AutoscrollMargin = 20;
    static constexpr int AutoscrollStep = 15;
    static constexpr double AutoscrollFirstDelay = 0.1;
    static constexpr double AutoscrollInterval = 0.02;

    // A row whose drag scrolls its view on the run loop's timers.
    explicit ZRConfigurationView(RunLoop& mainRunLoop, QWidget* parent = nullptr);
    ~ZRConfigurationView() override;

    virtual int headerHeight() const { return HeaderHeight; }
    static int inset() { return Inset; }

    bool selected() const { return m_selected; }
    // Redraws when the value changes.
    virtual void setSelected(bool selected);
    // The frame while the row is dragged; empty otherwise.
    QRect moveSortFrame() const { return m_moveSortFrame; }
    void setMoveSortFrame(const QRect& frame) { m_moveSortFrame = frame; }
    // The frame when a drag began.
    QRect moveOriginalFrame() const { return m_moveOriginalFrame; }
    void setMoveOriginalFrame(const QRect& frame) { m_moveOriginalFrame = frame; }

    // The nearest collection view above the row.
    ZRConfigurationCollectionView* collectionView() const;
    // Fits the frame to the row's content; nothing here.
    virtual void updateFrame() {}
    // Where dragged rows must stay: the visible part of the parent.
    QRect moveDeltaCorrectionRect() const;
    // How near its parent's edge a row counts as first or last, at the top and at the bottom alike.
    double moveOutsideThresholdAtTop(bool top) const;

protected:
    // Clicks outside the row's inner rectangle go to the collection view.
    bool isInMargin(QPoint point) const;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void dragTo(QPoint globalPosition);
    void updateAutoscroll(QPoint globalPosition);
    void autoscroll();
    void endTracking(bool cancelled, Qt::KeyboardModifiers modifiers);

    bool m_selected = false;
    QRect m_moveSortFrame;
    QRect m_moveOriginalFrame;

    // The press and what it drags.
    bool m_tracking = false;
    bool m_moved = false;
    int m_pressY = 0;
    QPoint m_lastGlobalPosition;
    QList<QPointer<ZRConfigurationView>> m_draggedRows;
    QList<QWidget*> m_startOrder;
    RunLoop& m_mainRunLoop;
    bool m_autoscrolling = false;
    PendingPerform m_autoscroll;
};
