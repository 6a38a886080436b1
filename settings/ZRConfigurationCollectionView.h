#pragma once

#include "toolkit/ZRKeyWindowReflectingView.h"

#include <QList>
#include <QPointer>
#include <memory>

class QScrollArea;
class ZRConfigurationCollectionViewDelegate;
class ZRConfigurationView;

// A vertical stack of configuration rows (ZRConfigurationView) that its delegate supplies: tiled top down,
// selected with clicks and the arrow keys, deleted with Delete, reordered with Control and the arrow keys or
// by dragging. It sits in a scroll area, and keeps the height of a container (when given) to its rows
// within limits. Main thread only.
class ZRConfigurationCollectionView : public ZRKeyWindowReflectingView {
    Q_OBJECT
public:
    // The container is the rows' height plus this, within the limits.
    static constexpr int AdditionalResizableContainerHeight = 42;
    static constexpr int MinimumResizableContainerHeight = 102;
    static constexpr int MaximumResizableContainerHeight = 550;

    explicit ZRConfigurationCollectionView(QWidget* parent = nullptr);

    // Not owned: the view lets go of it when the delegate goes.
    ZRConfigurationCollectionViewDelegate* delegate() const;
    void setDelegate(ZRConfigurationCollectionViewDelegate* delegate);
    // The view whose height follows the rows; null for none. The scroll area it holds fills it between
    // margins of half the additional height.
    void setResizableContainerView(QWidget* container);
    // A row drag (or a grid drag inside a row) is under way.
    bool dragging() const { return m_dragging; }
    void setDragging(bool dragging) { m_dragging = dragging; }
    static int inset();

    // Places the delegate's rows top down; rows being dragged keep their place unless moving. Rows the
    // delegate no longer supplies leave the view.
    void tileConfigurationViewsIncludingMovingViews(bool moving, bool adjustWindowHeight);
    // The settings window keeps the height the user gave it.
    void adjustWindowHeight() {}

    // The rows, in the delegate's order.
    QList<QWidget*> configurationViews() const;
    // The rows as they stand on screen, top to bottom.
    QList<QWidget*> configurationViewsInRowOrder() const;
    // Selects by the modifiers (Control toggles one row, Shift extends); a plain release on a selected row
    // deselects it. A null row deselects all.
    void selectConfigurationView(ZRConfigurationView* view, Qt::KeyboardModifiers modifiers,
                                 bool leftMouseUp);
    void moveSelectionBy(int delta, Qt::KeyboardModifiers modifiers);
    QList<ZRConfigurationView*> selectedConfigurationViews() const;
    void selectAll();
    void delete_();
    // Whether the Edit menu's items apply now.
    bool canSelectAll() const;
    bool canDelete() const;
    void notifyDelegateOfSelectionUpdate();
    void setNeedsDisplayForConfigurationViews();
    void setNeedsDisplayForSelectedConfigurationViews();
    void reflectKeyWindowStatusChange() override;

    QScrollArea* enclosingScrollArea() const;
    // The part of the view in sight, in its own coordinates.
    QRect visibleRect() const;
    void scrollRectToVisible(const QRect& rect);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The rows' area: the scroll area's viewport, or the view itself.
    QSize contentSize(int contentHeight) const;

    ZRConfigurationCollectionViewDelegate* m_delegate = nullptr;
    std::weak_ptr<const void> m_delegateLifetime;
    QPointer<QWidget> m_resizableContainerView;
    bool m_dragging = false;
};
