#include "settings/ZRGeneralSettingsPopover.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace {

constexpr double BorderAlpha = 0.25;

} // namespace

ZRGeneralSettingsPopover::ZRGeneralSettingsPopover(QWidget* content, QWidget* window)
    : QWidget(window, Qt::Tool | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint), m_content(content) {
    setObjectName(QStringLiteral("generalSettingsPopover"));
    setAttribute(Qt::WA_WindowPropagation);
    if (m_content)
        m_content->setParent(this);
}

QPainterPath ZRGeneralSettingsPopover::shape() const {
    const QRectF body = m_layout.bodyRect;
    QPainterPath path;
    path.addRoundedRect(body, CornerRadius, CornerRadius);
    const double halfBase = ArrowBaseWidth / 2;
    const double center = m_layout.arrowCenter;
    QPolygonF arrow;
    switch (m_layout.arrowEdge) {
    case Qt::TopEdge:
    case Qt::BottomEdge: {
        const double y = m_layout.arrowEdge == Qt::TopEdge ? body.top() : body.bottom();
        arrow << QPointF(center - halfBase, y) << m_layout.arrowTip << QPointF(center + halfBase, y);
        break;
    }
    case Qt::LeftEdge:
    case Qt::RightEdge: {
        const double x = m_layout.arrowEdge == Qt::LeftEdge ? body.left() : body.right();
        arrow << QPointF(x, center - halfBase) << m_layout.arrowTip << QPointF(x, center + halfBase);
        break;
    }
    }
    QPainterPath arrowPath;
    arrowPath.addPolygon(arrow);
    arrowPath.closeSubpath();
    return path.united(arrowPath);
}

void ZRGeneralSettingsPopover::showRelativeToRect(const QRect& screenRect, QWidget* anchor) {
    m_anchor = anchor;
    const QSizeF contentSize = m_content ? QSizeF(m_content->size()) : QSizeF();
    const QPointF point(screenRect.center().x() + 0.5, screenRect.bottom() + 1);
    const QScreen* screen = QGuiApplication::screenAt(point.toPoint());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRectF usable = screen ? QRectF(screen->availableGeometry()) : QRectF();
    const AttachedPanelStyle style{ArrowHeight, ArrowBaseWidth, CornerRadius, BorderWidth};
    m_layout = attachedPanelLayout(contentSize, point, AttachedPanelSide::Bottom, Distance, style, usable);
    setGeometry(m_layout.frame.toAlignedRect());
    if (m_content)
        m_content->move(m_layout.contentRect.topLeft().toPoint());
    // Without a compositor a clear pixel shows black: the window takes the popover's shape.
    setMask(QRegion(shape().toFillPolygon().toPolygon()));
    show();
    raise();
    activateWindow();
    update();
}

void ZRGeneralSettingsPopover::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = shape();
    painter.fillPath(path, palette().color(QPalette::Window));
    QColor border = palette().color(QPalette::WindowText);
    border.setAlphaF(static_cast<float>(BorderAlpha));
    painter.setClipPath(path);
    painter.strokePath(path, QPen(border, 2 * BorderWidth));
}

void ZRGeneralSettingsPopover::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ZRGeneralSettingsPopover::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    qApp->installEventFilter(this);
    m_applicationState =
        connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state != Qt::ApplicationActive && m_behavior == Behavior::Transient)
                close();
        });
    m_focusWindow = connect(qApp, &QGuiApplication::focusWindowChanged, this,
                            [this](QWindow* focus) { focusWindowDidChange(focus); });
}

void ZRGeneralSettingsPopover::focusWindowDidChange(QWindow* focus) {
    if (m_behavior != Behavior::Transient || !focus || !isVisible())
        return;
    // Its own pop-up lists and menus, and the window it hangs from (a click there closes it already), keep
    // it; another window of the program taking the keyboard, as the log window it opens, closes it.
    if (focus->type() == Qt::Popup || focus->type() == Qt::ToolTip)
        return;
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    for (const QWindow* window = focus; window; window = window->transientParent())
        if (window == windowHandle() || (owner && window == owner->windowHandle()))
            return;
    close();
}

void ZRGeneralSettingsPopover::hideEvent(QHideEvent* event) {
    qApp->removeEventFilter(this);
    disconnect(m_applicationState);
    disconnect(m_focusWindow);
    QWidget::hideEvent(event);
}

bool ZRGeneralSettingsPopover::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress || m_behavior != Behavior::Transient || !isVisible())
        return false;
    const auto* press = static_cast<QMouseEvent*>(event);
    const QPoint global = press->globalPosition().toPoint();
    if (frameGeometry().contains(global))
        return false;
    close();
    // The control that opened the popover would open it again: its click only closes it. The click is
    // seen first by the window it falls in, before its widget.
    const QWidget* target = qobject_cast<QWidget*>(watched);
    if (!target)
        target = QApplication::widgetAt(global);
    return target && m_anchor && (target == m_anchor || m_anchor->isAncestorOf(target));
}
