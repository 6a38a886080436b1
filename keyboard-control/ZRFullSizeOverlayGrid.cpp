#include "keyboard-control/ZRFullSizeOverlayGrid.h"

#include "mouse-control/ZRFocusWindow.h"

ZRFullSizeOverlayGrid::ZRFullSizeOverlayGrid(QWidget* parent) : ZROverlayGrid(parent) {}

bool ZRFullSizeOverlayGrid::mouseDown(const ZRGridEvent& event) {
    ZRFocusWindow::defaultFocusWindow().pulse();
    return ZROverlayGrid::mouseDown(event);
}

void ZRFullSizeOverlayGrid::drawRect(QPainter&, const QRectF&) {}
