#include "keyboard-control/ZRFullSizeOverlayGrid.h"

#include "mouse-control/ZRFocusWindow.h"

ZRFullSizeOverlayGrid::ZRFullSizeOverlayGrid(const ZRKeyboardControlContext& context, QWidget* parent)
    : ZROverlayGrid(context, parent) {}

bool ZRFullSizeOverlayGrid::mouseDown(const ZRGridEvent& event) {
    focusWindow().pulse();
    return ZROverlayGrid::mouseDown(event);
}

void ZRFullSizeOverlayGrid::drawRect(QPainter&, const QRectF&) {}
