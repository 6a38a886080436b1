#include "settings/ZRActionScrollView.h"

ZRActionScrollView::ZRActionScrollView(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    if (windowBackgroundColor()) {
        setAutoFillBackground(false);
        viewport()->setAutoFillBackground(false);
    }
}

std::optional<QColor> ZRActionScrollView::windowBackgroundColor() {
    // The desktop's window colour suits the panes: our panes keep the standard look, as the settings window
    // does.
    return std::nullopt;
}
