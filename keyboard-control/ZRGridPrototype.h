#pragma once

#include "keyboard-control/ZRGridCoordinates.h"
#include "keyboard-control/ZRGridMatrix.h"
#include "keyboard-control/ZRGridStyle.h"
#include "window-access/GridGeometry.h"

#include <QAbstractButton>
#include <QColor>
#include <QPainterPath>
#include <QPointF>
#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

class QPainter;
class UserDefaults;

// A pointer event as the grids read it: where it happened, in Qt's global coordinates. Grids take their
// own widget's mouse events, and events that their owner hands them (the full-size grid's input catcher
// holds the pointer for grids that are never under it).
struct ZRGridEvent {
    QPointF globalPosition;
};

// The base view of every resize grid: a button that shows a matrix of cells, follows the mouse over them,
// lets the user click one cell or drag from one to another, and then runs its action with the grid as the
// sender. Subclasses say what the cells stand for (a share of a screen, a frame on a screen).
//
// Cells are kept in view coordinates with y up from the bottom edge, as rows count upwards; the one flip
// to Qt's top-down widget coordinates happens where a point comes in (the hit test) and where the cells
// are painted. Frames on the screen are Cocoa. Main thread only.
class ZRGridPrototype : public QAbstractButton, public ZRGridGeometry {
    Q_OBJECT
public:
    // The target and action in one: the receiver reads the selection from the sender.
    using Action = std::function<void(ZRGridPrototype& sender)>;
    // A cell that is drawn as a path (hexagons, circles, the points of style 1); circles keep their
    // centre.
    struct PathCell {
        QPainterPath path;
        std::optional<QPointF> center;
    };

    // The setting of the clear lines between hexagons, in points (1 when not set).
    static const QString HexagonGridGapKey;
    static const QString HexagonGridInvertHorizontalOffsetKey;
    static const QString PaletteIconsEmphasizeBordersKey;

    // The grid reads how to lay out and draw its cells from the settings given, which outlive it.
    explicit ZRGridPrototype(const UserDefaults& defaults, QWidget* parent = nullptr);
    ~ZRGridPrototype() override;

    const Action& action() const { return m_action; }
    void setAction(Action action) { m_action = std::move(action); }

    // --- Hooks

    virtual ZRGridStyle gridStyle() const { return ZRGridStyleHexagons; }
    // The column count is read from the rows key and the row count from the columns key.
    virtual bool swapNumberOfColumnsAndRows() const { return false; }
    // The settings of the two dimensions; empty for none, which gives no cells.
    virtual QString numberOfColumnsKey() const { return {}; }
    virtual QString numberOfRowsKey() const { return {}; }
    // The screen area the grid stands for (Cocoa); the extended rules measure cells against it.
    virtual Rect representedSkafableFrame() const { return {}; }
    // The counts under the settings and the extended rules; with allocate, the grid takes them and makes
    // its cells. Either pointer may be null.
    virtual void determineColumns(std::int64_t* columns, std::int64_t* andRows, bool allocateCells);
    void determineColumns(std::int64_t* columns, std::int64_t* andRows) {
        determineColumns(columns, andRows, false);
    }
    // Subclasses extend both, calling the base first.
    virtual void allocateCellsWithColumns(std::int64_t columns, std::int64_t andRows);
    virtual void releaseCells();
    // Shows the selection on the focus window; nothing here.
    virtual void updateFocusWindow() {}
    // Just before the action runs, with the hover cell first and the end of the selection second.
    virtual void gridWillSendActionWithSelectionBetweenCoordinates(ZRGridCoordinates, ZRGridCoordinates) {}
    // Every concrete grid answers a colour; an invalid colour draws nothing.
    virtual QColor cellColorForColumn(std::int64_t column, std::int64_t row, bool inWireframe) const;

    // The class side: whether the cells draw light on dark (not in the dark style), the colour of a cell
    // a selection covers by the share (0 to 1), and the colour of selected cells. The colours follow the
    // inversion of the class they are asked of.
    static bool invertColors();
    static QColor cellColorWithIntersection(double intersection) {
        return cellColorWithIntersection(intersection, invertColors());
    }
    static QColor cellColorWithIntersection(double intersection, bool inverted);
    static QColor cellHighlightColor() { return cellHighlightColor(invertColors()); }
    static QColor cellHighlightColor(bool inverted);
    virtual bool allowsVibrancy() const { return false; }
    virtual bool isFlipped() const { return false; }
    virtual bool isOpaque() const { return false; }

    // --- State

    const QVariantMap& preferredGridDimensionsDictionary() const {
        return m_preferredGridDimensionsDictionary;
    }
    void setPreferredGridDimensionsDictionary(const QVariantMap& dictionary) {
        m_preferredGridDimensionsDictionary = dictionary;
    }
    std::int64_t numberOfColumns() const { return m_numberOfColumns; }
    void setNumberOfColumns(std::int64_t columns) { m_numberOfColumns = columns; }
    std::int64_t numberOfRows() const { return m_numberOfRows; }
    void setNumberOfRows(std::int64_t rows) { m_numberOfRows = rows; }
    ZRGridCoordinates hoverCoordinates() const { return m_hoverCoordinates; }
    void setHoverCoordinates(ZRGridCoordinates coordinates) { m_hoverCoordinates = coordinates; }
    ZRGridCoordinates draggedToCoordinates() const { return m_draggedToCoordinates; }
    void setDraggedToCoordinates(ZRGridCoordinates coordinates) { m_draggedToCoordinates = coordinates; }
    bool dragging() const { return m_dragging; }
    void setDragging(bool dragging) { m_dragging = dragging; }
    bool placeholder() const { return m_placeholder; }
    // The grid stands for the standard grid: one rounded frame with the tool tip "Standard Grid".
    void setPlaceholder(bool placeholder);

    // The cells in view coordinates (y up): the rectangles of styles 0 and 1 and the paths of the others;
    // either is empty when the grid has none.
    const ZRGridMatrix<Rect>& representationCellFrame() const { return m_representationCellFrame; }
    const ZRGridMatrix<PathCell>& nonRectangularRepresentationCells() const {
        return m_nonRectangularRepresentationCells;
    }
    std::int64_t allocatedNumberOfRows() const { return m_allocatedNumberOfRows; }

    // --- Input

    // The cell under the event; (-1, -1) for none. With expand, a grid of one row and several columns
    // reads every height as its row, so a drag along it may stray above or below.
    ZRGridCoordinates coordinatesFromEvent(const ZRGridEvent* event, bool expandVerticalDragArea) const;
    // The hover follows the event (none: the mouse left); a disabled or hidden grid reads no event.
    virtual void updateHoverCoordinatesWithEvent(const ZRGridEvent* event);
    // Follows the mouse while the grid is enabled, shown and in a window that takes clicks; the hover
    // starts afresh. None: stops following.
    void updateTrackingAreaForWindow(QWidget* window);
    void updateTrackingAreas();
    void viewWillMoveToWindow(QWidget* window);
    void mouseEntered(const ZRGridEvent& event);
    void mouseMoved(const ZRGridEvent& event);
    void mouseExited();

    // A drag selection: the press picks the first cell, drags move the far corner, the release runs the
    // action with the selection. Answers whether a drag selection began.
    virtual bool mouseDown(const ZRGridEvent& event);
    void mouseDragged(const ZRGridEvent& event);
    void mouseUp();
    // A key pressed during a full-size grid's drag: the selection ends without the action.
    void cancelDragSelection();
    bool isTrackingMouseDown() const { return m_trackingMouseDown; }

    void setVisible(bool visible) override;

    // --- Drawing

    // Draws the cells into the painter, whose coordinates are the widget's (y down).
    virtual void drawRect(QPainter& painter, const QRectF& dirtyRect);

protected:
    // The class side, reached from an instance.
    virtual bool classAllowsExtendedRules() const { return allowsExtendedRules(); }
    virtual bool classInvertColors() const { return invertColors(); }
    virtual QColor classCellColorWithIntersection(double intersection) const {
        return cellColorWithIntersection(intersection, classInvertColors());
    }
    QColor classCellHighlightColor() const { return cellHighlightColor(classInvertColors()); }
    // A drag selection ended, with or without the action; subclasses let go of what they took for it.
    virtual void mouseDownDidEnd() {}
    // Full-size grids take their hover and drags from the window that holds the pointer for them.
    virtual bool isFullSizeGrid() const { return false; }

    // Lays the view cells out in the rectangle (view coordinates, y up) by the rules of the style.
    void layoutCellsInRect(const Rect& layoutRect);
    // The selection's cells: columns and rows between the two cells' own, both included.
    static bool selectionContains(ZRGridCoordinates cell, ZRGridCoordinates first, ZRGridCoordinates second);
    // The two cells whose frames span a selection: as they are, or for style 1 (where cells stand for the
    // points between them) the lower-left point and the cell before the upper-right one.
    std::pair<ZRGridCoordinates, ZRGridCoordinates> selectionCorners(ZRGridCoordinates first,
                                                                     ZRGridCoordinates second) const;
    // The union of the two corners' frames in the matrix; none when either lies outside it.
    static std::optional<Rect> selectionFrame(const ZRGridMatrix<Rect>& frames,
                                              std::pair<ZRGridCoordinates, ZRGridCoordinates> corners);
    // The share of the cell that the frame covers: 0 for a cell without area.
    static double coveredShare(const Rect& cell, const Rect& frame);
    // The gap between hexagons, in points.
    std::int64_t hexagonGap() const;
    const UserDefaults& defaults() const { return m_defaults; }
    // The height of the palette's icons, which a placeholder grid takes.
    double paletteIconInnerSize() const;
    // Widget coordinates (y down) and view coordinates (y up).
    Point viewPointFromWidgetPoint(const QPointF& point) const;

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void finishDragSelection(bool sendAction);
    void drawPlaceholder(QPainter& painter, const QRectF& dirtyRect);
    void drawCells(QPainter& painter);
    void layoutRectangles(const Rect& b, std::int64_t n, std::int64_t m);
    void layoutHexagons(const Rect& b, std::int64_t n, std::int64_t m);
    void layoutCircles(const Rect& b, std::int64_t n, std::int64_t m);

    const UserDefaults& m_defaults;
    Action m_action;
    ZRGridMatrix<Rect> m_representationCellFrame;
    // The paths are made empty and filled by the layout.
    bool m_pathsLaidOut = false;
    ZRGridMatrix<PathCell> m_nonRectangularRepresentationCells;
    std::int64_t m_allocatedNumberOfRows = 0;
    bool m_trackingArea = false;
    bool m_dragging = false;
    bool m_placeholder = false;
    QVariantMap m_preferredGridDimensionsDictionary;
    std::int64_t m_numberOfColumns = 0;
    std::int64_t m_numberOfRows = 0;
    ZRGridCoordinates m_hoverCoordinates;
    ZRGridCoordinates m_draggedToCoordinates;
    // Between a press on a cell and its release (or a key that cancels it).
    bool m_trackingMouseDown = false;
};
