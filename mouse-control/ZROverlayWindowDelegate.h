#pragma once

class QMenu;
class QWidget;

// The palette window's delegate: it may offer a context menu for a right click on the palette.
class ZROverlayWindowDelegate {
public:
    virtual ~ZROverlayWindowDelegate() = default;
    // A new menu for a right click on the view (the deepest one under the click, the window itself over its
    // background), which the window owns from then on; null for none, and the click goes on to the view.
    virtual QMenu* contextMenuForOverlayHitView(QWidget* view) { return nullptr; }
};
