#include "toolkit/KQAttachedNonActivatingPanel.h"

#include "toolkit/OverlayDrawing.h"
#include "toolkit/OverlayWindow.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/WindowExtensions.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double DefaultArrowHeight = 16;
constexpr double DefaultArrowBaseWidth = 20;
constexpr double DefaultCornerRadius = 8;
constexpr double DefaultBorderWidth = 1;
constexpr double DefaultBorderAlpha = 0.25;
// Without a compositor no shadow sets a borderless panel off from the window beneath, which is often the
// same near-white or near-black: an outline of this width and weight stands in for the shadow's edge.
constexpr double ShadowEdgeWidth = 1;
constexpr double ShadowEdgeWeight = 0.3;

// The background, made opaque, moved towards black on a light panel and towards white on a dark one.
QColor shadowEdgeColor(QColor background) {
    background.setAlphaF(1);
    const QColor towards = background.lightnessF() >= 0.5 ? QColor(Qt::black) : QColor(Qt::white);
    const auto mix = [](int from, int to) {
        return static_cast<int>(from + (to - from) * ShadowEdgeWeight + 0.5);
    };
    return QColor(mix(background.red(), towards.red()), mix(background.green(), towards.green()),
                  mix(background.blue(), towards.blue()));
}

// The usable frame of the screen that holds the point, else the primary one.
QRectF usableScreenFrame(QPointF point) {
    const std::vector<QtScreenFrames> screens = currentScreenFrames();
    for (const QtScreenFrames& screen : screens) {
        if (screen.frame.contains(point))
            return screen.usable;
    }
    return screens.empty() ? QRectF() : screens.front().usable;
}

} // namespace

KQAttachedNonActivatingPanel::KQAttachedNonActivatingPanel(QWidget* view, Point point, QWidget* window,
                                                           int side, double distance)
    : m_view(view), m_requestedSide(side),
      m_distance(distance), m_style{DefaultArrowHeight, DefaultArrowBaseWidth, DefaultCornerRadius,
                                    DefaultBorderWidth},
      m_backgroundColor(palette().color(QPalette::Window)),
      m_borderColor(QColor::fromRgbF(0, 0, 0, static_cast<float>(DefaultBorderAlpha))) {
    makeOverlayWindow(this);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    const Point screenPoint = window ? deprecatedConvertBaseToScreen(window, point) : point;
    m_point = qtPointFromCocoaPoint(screenPoint);
    if (m_view)
        m_view->setParent(this);
    updateLayout();
}

void KQAttachedNonActivatingPanel::setArrowHeight(double height) {
    m_style.arrowHeight = std::max(0.0, height);
    updateLayout();
}

void KQAttachedNonActivatingPanel::setArrowBaseWidth(double width) {
    m_style.arrowBaseWidth = std::max(0.0, width);
    updateLayout();
}

void KQAttachedNonActivatingPanel::setCornerRadius(double radius) {
    m_style.cornerRadius = std::max(0.0, radius);
    updateLayout();
}

void KQAttachedNonActivatingPanel::setBorderWidth(double width) {
    m_style.borderWidth = std::max(0.0, width);
    updateLayout();
}

void KQAttachedNonActivatingPanel::setBackgroundColor(const QColor& color) {
    m_backgroundColor = color;
    update();
}

void KQAttachedNonActivatingPanel::setBorderColor(const QColor& color) {
    m_borderColor = color;
    update();
}

bool KQAttachedNonActivatingPanel::setUsesMaterial(bool) {
    return false;
}

void KQAttachedNonActivatingPanel::updateLayout() {
    const QSizeF contentSize = m_view ? QSizeF(m_view->size()) : QSizeF();
    m_layout = attachedPanelLayout(contentSize, m_point, m_requestedSide, m_distance, m_style,
                                   usableScreenFrame(m_point));
    setGeometry(m_layout.frame.toAlignedRect());
    if (m_view)
        m_view->move(m_layout.contentRect.topLeft().toPoint());
    update();
}

QPainterPath KQAttachedNonActivatingPanel::backgroundPath() const {
    const QRectF body = m_layout.bodyRect;
    const double radius = std::min(m_style.cornerRadius, std::min(body.width(), body.height()) / 2);
    QPainterPath bodyPath;
    bodyPath.addRoundedRect(body, radius, radius);
    if (m_style.arrowHeight <= 0 || m_style.arrowBaseWidth <= 0)
        return bodyPath;
    const double halfBase = m_style.arrowBaseWidth / 2;
    const double center = m_layout.arrowCenter;
    QPolygonF arrow;
    switch (m_layout.arrowEdge) {
    case Qt::TopEdge:
        arrow << QPointF(center - halfBase, body.top()) << m_layout.arrowTip
              << QPointF(center + halfBase, body.top());
        break;
    case Qt::BottomEdge:
        arrow << QPointF(center - halfBase, body.bottom()) << m_layout.arrowTip
              << QPointF(center + halfBase, body.bottom());
        break;
    case Qt::LeftEdge:
        arrow << QPointF(body.left(), center - halfBase) << m_layout.arrowTip
              << QPointF(body.left(), center + halfBase);
        break;
    case Qt::RightEdge:
        arrow << QPointF(body.right(), center - halfBase) << m_layout.arrowTip
              << QPointF(body.right(), center + halfBase);
        break;
    }
    QPainterPath arrowPath;
    arrowPath.addPolygon(arrow);
    arrowPath.closeSubpath();
    return bodyPath.united(arrowPath);
}

void KQAttachedNonActivatingPanel::paintEvent(QPaintEvent*) {
    QImage picture = overlayCanvas(this);
    {
        QPainter painter(&picture);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPainterPath path = backgroundPath();
        painter.fillPath(path, m_backgroundColor);
        // The border lies inside the shape, so the arrow's tip stays where it points.
        painter.setClipPath(path);
        if (m_style.borderWidth > 0 && m_borderColor.isValid())
            painter.strokePath(path, QPen(m_borderColor, 2 * m_style.borderWidth));
        else if (!overlayTranslucencyShows())
            painter.strokePath(path, QPen(shadowEdgeColor(m_backgroundColor), 2 * ShadowEdgeWidth));
    }
    QPainter painter(this);
    paintOverlayPicture(painter, this, picture);
}
