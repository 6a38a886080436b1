#pragma once

#include <QPointer>
#include <QRect>
#include <QTreeView>

class UserDefaults;
class ZRMainController;
class ZRSidebarController;
class ZRSourceListItem;

// The sidebar's outline: rows drawn by ZRSourceListCell, its selection ruled by the sidebar, Delete and
// Backspace deleting the selected actions, a context menu per action row, and dragging and dropping rows
// with the sidebar deciding where a drop goes and what it does. Main thread only.
class ZRSourceList : public QTreeView {
    Q_OBJECT
public:
    // Where a drop would go: onto the row (child index -1), or among the row's members (the top-level rows
    // when the row is null) at the child index.
    struct DropTarget {
        std::shared_ptr<ZRSourceListItem> item;
        int childIndex = -1;
    };

    // The outline of the sidebar, its context menus the main controller's, its focus and hot keys as the
    // settings say.
    ZRSourceList(ZRSidebarController& sidebar, ZRMainController& controller, const UserDefaults& defaults,
                 QWidget* parent = nullptr);

    // Takes the keyboard only with "Sidebar Keyboard Focus".
    bool acceptsFirstResponder() const;
    void updateFocusPolicy();

    // Row metrics of the size mode: the height of a row without the spacing between rows.
    int rowHeight() const { return m_rowHeight; }
    int verticalIntercellSpacing() const { return m_verticalIntercellSpacing; }
    void setRowMetrics(int rowHeight, int indentation, int verticalIntercellSpacing);

    // The outline's own select-all (the selection rule trims it); selectAll() asks the sidebar first.
    void selectAll() override;
    void selectAllRows();
    // Whether the screen point lies in the window's frame: a drag released outside it deletes.
    bool containsDraggingSessionPoint(QPoint screenPoint) const;
    // Redraws every row.
    void updateDisplay();
    bool isEditingIndex(const QModelIndex& index) const;
    // Ends the editing of a title, keeping what was typed.
    void stopEditing();
    void editRow(const QModelIndex& index);

    DropTarget dropTargetAt(QPoint viewportPoint) const;
    // A drop copies when it comes from another program, or with Alt (Option) or Control held.
    static bool dropCopies(bool fromThisProgram, Qt::KeyboardModifiers modifiers);
    bool dropComesFromThisProgram(const QDropEvent& event) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    // The sidebar moves the rows of a drop itself: the view's own removal after a move would lose a row.
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void updateSelectionColors();
    void validateDrag(QDropEvent* event);
    QRect dropIndicatorFor(const DropTarget& target, QPoint viewportPoint) const;
    QPixmap dragImage(const QModelIndexList& rows) const;

    ZRSidebarController& m_sidebar;
    ZRMainController& m_controller;
    const UserDefaults& m_defaults;
    int m_rowHeight;
    int m_verticalIntercellSpacing;
    QRect m_dropIndicator;
    bool m_dropIndicatorOnRow = false;
};
