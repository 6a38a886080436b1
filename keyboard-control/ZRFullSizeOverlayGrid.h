#pragma once

#include "keyboard-control/ZROverlayGrid.h"

// The screen-sized grid of the full-size grid overlay: rectangles over a display's usable frame that draw
// nothing themselves; the focus window shows the hovered cell or the selection. Its hover and drags come
// from the overlay window, which holds the pointer for it.
class ZRFullSizeOverlayGrid : public ZROverlayGrid {
    Q_OBJECT
public:
    explicit ZRFullSizeOverlayGrid(const ZRKeyboardControlContext& context, QWidget* parent = nullptr);

    ZRGridStyle gridStyle() const override { return ZRGridStyleRectangles; }
    bool requiresVisibleFocusWindow() const override { return true; }
    double hoverHighlightDuration() const override { return -1; }
    // The focus window pulses first.
    bool mouseDown(const ZRGridEvent& event) override;
    void drawRect(QPainter& painter, const QRectF& dirtyRect) override;

protected:
    bool isFullSizeGrid() const override { return true; }
};
