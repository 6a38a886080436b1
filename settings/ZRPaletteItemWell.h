#pragma once

#include "mouse-control/ZRMouseControlPaletteLayout.h"
#include "platform/foundation/RunLoop.h"
#include "settings/ZRStandardPaletteItem.h"
#include "toolkit/ZRKeyWindowReflectingView.h"

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <memory>

class QMenu;
class QMimeData;
class ZRPaletteEditor;
class ZRPaletteItemButton;

// The pasteboard type of a well dragged in the palette editor: a property list, an array of one element, the
// dragged action's identifier or the dragged standard item's number.
inline const QString ZRPaletteItemPasteboardType =
    QStringLiteral("com.tallowin.Skaf.PaletteItemPasteboardType");

// One cell of the palette editor: empty, or holding a custom action dragged in from the sidebar, or one of
// the five standard items. A press held half a second shows the well's menu; a press that moves drags its
// item to another well, or (a custom action) out of the window, which takes it out of the palette. Whether
// the well takes part is QWidget's enabled state. Main thread only.
class ZRPaletteItemWell : public ZRKeyWindowReflectingView, public ZRPaletteItemWellInterface {
    Q_OBJECT
public:
    // Seconds a press waits for the mouse to move before the menu shows.
    static constexpr double PressAndHoldDelay = 0.5;

    ZRPaletteItemWell(ZRPaletteEditor& editor, QWidget* parent = nullptr);
    ~ZRPaletteItemWell() override;

    // --- ZRPaletteItemWellInterface

    std::int64_t column() const override { return m_column; }
    std::int64_t row() const override { return m_row; }
    std::shared_ptr<ZRAction> paletteAction() const override { return m_paletteAction; }
    std::int64_t dummyPosition() const override { return m_dummyPosition; }
    bool hiddenByUser() const override { return m_hiddenByUser; }
    QWidget* paletteItemButton() override;
    void destroyPaletteItemButton() override;

    // --- State

    void setColumn(std::int64_t column) { m_column = column; }
    void setRow(std::int64_t row) { m_row = row; }
    const QString& coordinatesIdentifier() const { return m_coordinatesIdentifier; }
    void setCoordinatesIdentifier(const QString& identifier) { m_coordinatesIdentifier = identifier; }
    // Empties the well of any item, its button and its hidden state; null leaves it empty.
    void setPaletteAction(const std::shared_ptr<ZRAction>& action);
    // Empties the well, then holds the standard item (-1: none).
    void setDummyPosition(std::int64_t position);
    void setHiddenByUser(bool hidden) { m_hiddenByUser = hidden; }
    // Inside the bounding box of the visible items.
    bool emphasized() const { return m_emphasized; }
    void setEmphasized(bool emphasized) { m_emphasized = emphasized; }
    // A drag that the well would take is over it.
    bool isDropTarget() const { return m_isDropTarget; }
    // Holds a custom action, or a standard item the user did not hide.
    bool isVisibleItem() const;
    // The tool tip as it stands (none for a disabled well).
    QString currentToolTip() const;

    // --- Menu

    // The well's menu, owned by the caller: remove or edit a custom action, hide or show a standard item.
    // Null for a disabled or empty well.
    QMenu* menuForEvent();
    void clear();
    void edit();
    void toggleHidden();
    // The menu the well shows, while it shows one.
    QMenu* shownMenu() const { return m_menu && m_menu->isVisible() ? m_menu.data() : nullptr; }

    // --- Drag and drop

    // What a drop of the data on this well would do: copy an action from the sidebar, move an item from
    // another well of this editor, or nothing; the dragged action and standard item when asked.
    Qt::DropAction dragOperation(const QMimeData& data, std::shared_ptr<ZRAction>* draggedAction,
                                 std::int64_t* draggedDummyPosition) const;
    // The data of a drag of this well's item; null for an empty well.
    QMimeData* newDraggingPasteboard() const;
    // The point (global) lies inside the well's window.
    bool containsDraggingSessionPoint(QPoint screenPoint) const;
    // The drag of this well's item ended at the point: moved away, or dropped outside the window.
    void draggingSessionEnded(QPoint screenPoint, Qt::DropAction operation, bool leftMouseUp);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void setDropTarget(bool target);
    // Accepts the drag with the operation a drop would do; false when the well would refuse it.
    bool acceptDrag(QDragMoveEvent* event);
    // False when the well has no menu.
    bool popUpContextMenu(QPoint globalPosition);
    void startDrag();
    // The icon as it shows in the well, at its size; a null image for an empty well.
    QImage iconImage() const;
    QSizeF iconSize() const;

    ZRPaletteEditor& m_editor;
    bool m_isDropTarget = false;
    QPointer<ZRPaletteItemButton> m_paletteItemButton;
    bool m_emphasized = false;
    bool m_hiddenByUser = false;
    std::int64_t m_column = 0;
    std::int64_t m_row = 0;
    QString m_coordinatesIdentifier;
    std::shared_ptr<ZRAction> m_paletteAction;
    std::int64_t m_dummyPosition = ZRStandardPaletteItemNone;
    QPointer<QMenu> m_menu;
    QPoint m_pressPosition;
    bool m_pressed = false;
    PendingPerform m_pressAndHold;
};
