#include "settings/ZRActionConfigurationView.h"

#include "actions/ZRAction.h"
#include "settings/ZRActionEditor.h"
#include "settings/ZRIconSizes.h"
#include "toolkit/ViewExtensions.h"

#include <QEvent>
#include <QPainter>
#include <algorithm>

namespace {

// The icon stands this far in from the pane's inner left edge.
constexpr double IconIndent = 10;
constexpr int BottomMargin = ZRConfigurationView::Inset + 10;

} // namespace

ZRActionConfigurationView::ZRActionConfigurationView(RunLoop& mainRunLoop, QWidget* parent)
    : ZRConfigurationView(mainRunLoop, parent) {}

ZRActionConfigurationView::~ZRActionConfigurationView() = default;

void ZRActionConfigurationView::setEditor(std::shared_ptr<ZRActionEditor> editor) {
    m_editor = std::move(editor);
}

void ZRActionConfigurationView::updateFrame() {
    const QRect fitted = frameByAdjustingHeightToFitSubviewsOfView(this, this, BottomMargin);
    setGeometry(x(), y(), width(), std::max(fitted.height(), HeaderHeight));
}

QRectF ZRActionConfigurationView::iconRect() const {
    const QRectF inner = QRectF(rect()).adjusted(2 * Inset, Inset, -2 * Inset, -Inset);
    const double bottom = inner.y() + (HeaderHeight + ZRClassicIconSize.height) / 2;
    return {inner.x() + IconIndent, bottom - ZRClassicIconSize.height, ZRClassicIconSize.width,
            ZRClassicIconSize.height};
}

bool ZRActionConfigurationView::event(QEvent* event) {
    const bool handled = ZRConfigurationView::event(event);
    // Out of its window, the pane is done: the action lets go of it, and of its undo history.
    if (event->type() == QEvent::ParentChange && !parentWidget() && !m_leavingWindow) {
        m_leavingWindow = true;
        if (m_editor)
            m_editor->destroyConfigurationView();
    }
    return handled;
}

void ZRActionConfigurationView::paintEvent(QPaintEvent*) {
    const auto action = m_action.lock();
    if (!action)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.save();
    action->drawIconInRect(painter, iconRect(), {.invertForDarkMode = isInFullyInvertedDarkMode(this)});
    painter.restore();
}
