#pragma once

#include "keyboard-control/ZRGridPrototype.h"
#include "keyboard-control/ZRKeyboardControlContext.h"
#include "mouse-control/ZROverlayGridInterface.h"
#include "platform/foundation/RunLoop.h"

// A grid that stands for a real window on a real screen (the palette's grid): its cells are frames on the
// screen, hovering previews the target frame on the focus window, and a selection becomes a window frame
// (representedWindowFrame) that its action applies. Callers set the represented frames, the placeholder
// flag and the preferred dimensions, then size the view with determineColumns and lay it out with
// updateLayoutAfterAdjustingFrame. Frames on the screen are Cocoa. The palette reaches it through its own
// interface.
class ZROverlayGrid : public ZRGridPrototype, public ZROverlayGridInterface {
    Q_OBJECT
public:
    static const QString HoverHighlightDurationKey;
    static const QString SwapDimensionsOnPortraitDisplaysKey;
    static const QString HoverTriggerDelayKey;
    static const QString StartingPositionKey;

    // On keyboard control's context, which it keeps a copy of.
    explicit ZROverlayGrid(const ZRKeyboardControlContext& context, QWidget* parent = nullptr);
    ~ZROverlayGrid() override;

    // The palette's own grid, in the parent, whose selection the action receives.
    static ZROverlayGrid* paletteGrid(const ZRKeyboardControlContext& context, QWidget* parent,
                                      std::function<void(ZROverlayGridInterface&)> action);

    static bool allowsExtendedRules() { return true; }
    // Portrait screens swap the dimensions when "Mouse Controls Grid: Swap Dimensions On Portrait
    // Orientation Displays" is on.
    bool swapNumberOfColumnsAndRows() const override;
    QString numberOfColumnsKey() const override { return ZRGridDimensionKey::MouseControlsGridColumns; }
    QString numberOfRowsKey() const override { return ZRGridDimensionKey::MouseControlsGridRows; }
    void allocateCellsWithColumns(std::int64_t columns, std::int64_t andRows) override;
    void releaseCells() override;

    // The window's frame; after a selection, the frame selected.
    Rect representedWindowFrame() const override { return m_representedWindowFrame; }
    void setRepresentedWindowFrame(const Rect& frame) override { m_representedWindowFrame = frame; }
    // The usable frame of the window's screen.
    Rect representedSkafableFrame() const override { return m_representedSkafableFrame; }
    void setRepresentedSkafableFrame(const Rect& frame) override { m_representedSkafableFrame = frame; }

    // --- ZROverlayGridInterface

    QWidget* view() override { return this; }
    ZRGridStyle gridStyle() const override { return ZRGridStyleHexagons; }
    bool placeholder() const override { return ZRGridPrototype::placeholder(); }
    void setPlaceholder(bool placeholder) override { ZRGridPrototype::setPlaceholder(placeholder); }
    using ZRGridPrototype::determineColumns;
    void determineColumns(std::int64_t& columns, std::int64_t& rows) override {
        determineColumns(&columns, &rows, false);
    }
    // Takes the frame (the parent's coordinates), lays the grid out and answers the frame adjusted to the
    // height the grid needs.
    Rect updateLayoutAfterAdjustingFrame(const Rect& frame) override;
    // The cells' frames on the screen, indexed [row][column].
    const ZRGridMatrix<Rect>& representedCellFrame() const { return m_representedCellFrame; }

    // The view's height for the frame's width, in the screen's proportions or the cells' shape.
    double heightCalculatedFromWidthOfFrame(const Rect& frame) const;
    // The frame with that height (a placeholder: the palette icons' height); origin and width kept.
    Rect adjustFrame(const Rect& frame) const;
    // Counts, the frame when asked (returned through the pointer), the cells on the screen and in the
    // view.
    void updateLayoutAfterAdjustingFrame(Rect* frame);
    // Where keyboard use starts, by "Keyboard Controls Grid: Starting Position": the top-left cell, the
    // first cell the window touches, or the cell nearest the mouse.
    ZRGridCoordinates startingCoordinates() const;
    virtual bool requiresVisibleFocusWindow() const { return false; }
    // Seconds a hovered cell's frame shows on the focus window.
    virtual double hoverHighlightDuration() const;
    // A placeholder's hover runs the action, after "Mouse Controls Grid: Full Size: Hover Trigger Delay".
    void performHoverAction();

    // The overlays' scheme in the settings given, chosen as ZROverlayColorScheme says: 0 the classic
    // scheme, 1 dark cells, 2 inverted (light) cells.
    static QString colorInversionKey();
    static std::int64_t defaultColorScheme();
    static std::int64_t colorScheme(const UserDefaults& defaults);
    static bool invertColors(const UserDefaults& defaults);
    static QColor cellColorWithIntersection(double intersection, const UserDefaults& defaults) {
        return cellColorWithIntersection(intersection, invertColors(defaults));
    }
    static QColor cellColorWithIntersection(double intersection, bool inverted);
    QColor cellColorForColumn(std::int64_t column, std::int64_t row, bool inWireframe) const override;

    void gridWillSendActionWithSelectionBetweenCoordinates(ZRGridCoordinates first,
                                                           ZRGridCoordinates second) override;
    // The target frame on the focus window: the selection while dragging, else the hovered cell for a
    // while.
    void updateFocusWindow() override;
    // The focus window shows around the drag.
    bool mouseDown(const ZRGridEvent& event) override;
    void updateHoverCoordinatesWithEvent(const ZRGridEvent* event) override;
    void drawRect(QPainter& painter, const QRectF& dirtyRect) override;

protected:
    bool classAllowsExtendedRules() const override { return allowsExtendedRules(); }
    bool classInvertColors() const override { return invertColors(m_context.defaults); }
    QColor classCellColorWithIntersection(double intersection) const override {
        return cellColorWithIntersection(intersection, classInvertColors());
    }
    void mouseDownDidEnd() override;
    // The focus window of keyboard control's context.
    ZRFocusWindow& focusWindow() const;

private:
    const ZRKeyboardControlContext m_context;
    void releaseFocusWindow();

    ZRGridMatrix<Rect> m_representedCellFrame;
    Rect m_representedWindowFrame;
    Rect m_representedSkafableFrame;
    // The focus window was activated for a drag.
    bool m_focusWindowActivated = false;
    PendingPerform m_hoverAction;
};
