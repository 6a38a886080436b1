#include "hotkeys/ZRHotKeyContainerView.h"

#include "toolkit/Appearance.h"
#include "toolkit/Drawing.h"
#include "toolkit/ViewExtensions.h"

#include <QAbstractButton>
#include <QPainter>
#include <algorithm>

namespace {

constexpr int FieldHeight = 22;
constexpr int PreferredWidth = 150;
constexpr int MinimumWidth = 60;
// The clear button is square, as tall as the field.
constexpr int ClearButtonWidth = FieldHeight;

constexpr double CornerRadius = 4.0;
constexpr double BorderWidth = 1.0;
constexpr double HighlightedBorderWidth = 1.5;
constexpr double BorderAlpha = 0.15;
constexpr double IncreasedContrastBorderAlpha = 1.0;

} // namespace

ZRHotKeyContainerView::ZRHotKeyContainerView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ZRHotKeyContainerView::setLocal(bool local) {
    if (m_local == local)
        return;
    m_local = local;
    update();
}

void ZRHotKeyContainerView::setHighlighted(bool highlighted) {
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    // The border widens and the children draw inside it.
    update();
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->update();
}

double ZRHotKeyContainerView::cornerRadius() const {
    return CornerRadius;
}

double ZRHotKeyContainerView::borderWidth() const {
    return m_highlighted ? HighlightedBorderWidth : BorderWidth;
}

QColor ZRHotKeyContainerView::borderColor() const {
    if (m_highlighted && isActiveWindow())
        return backwardsCompatibleControlAccentColor();
    return calibratedWhite(isInFullyInvertedDarkMode(this) ? 1.0 : 0.0,
                           ZRIncreaseContrastEnabled() ? IncreasedContrastBorderAlpha : BorderAlpha);
}

QPainterPath ZRHotKeyContainerView::interiorPath(const QWidget* child) const {
    const double inset = borderWidth();
    const double radius = std::max(0.0, CornerRadius - inset);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), radius, radius);
    return child ? path.translated(-QPointF(child->mapTo(this, QPoint()))) : path;
}

QSize ZRHotKeyContainerView::sizeHint() const {
    return {PreferredWidth, FieldHeight};
}

QSize ZRHotKeyContainerView::minimumSizeHint() const {
    return {MinimumWidth, FieldHeight};
}

void ZRHotKeyContainerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // The stroke lies on the inside of the bounds, just around interiorPath.
    const double width = borderWidth();
    const QRectF stroked = QRectF(rect()).adjusted(width / 2, width / 2, -width / 2, -width / 2);
    ZRDrawRectWithBorder(painter, false, borderColor(), QColor(), stroked, CornerRadius - width / 2, width);
}

// The clear button at the right end, the field filling the rest; both as tall as the container.
void ZRHotKeyContainerView::resizeEvent(QResizeEvent*) {
    const int buttonWidth = std::min(ClearButtonWidth, width());
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (qobject_cast<QAbstractButton*>(child))
            child->setGeometry(width() - buttonWidth, 0, buttonWidth, height());
        else
            child->setGeometry(0, 0, width() - buttonWidth, height());
    }
}
