#pragma once

#include "platform/Geometry.h"
#include "toolkit/AttachedPanelGeometry.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

// A non-activating overlay (OverlayWindow.h) that hangs beside a point with an arrow pointing at it,
// holding one view. Drawn in plain colours: a rounded body with a border, and the arrow on the side facing
// the point; without compositing, shaped to them (OverlayDrawing.h).
class KQAttachedNonActivatingPanel : public QWidget {
    Q_OBJECT
public:
    // The point is in the window's base coordinates (WindowExtensions.h) when a window is given, else in
    // Cocoa screen coordinates. Sides are those of AttachedPanelSide, 0 to 12. The panel takes the view.
    KQAttachedNonActivatingPanel(QWidget* view, Point point, QWidget* window, int side, double distance);

    double arrowHeight() const { return m_style.arrowHeight; }
    void setArrowHeight(double height);
    double arrowBaseWidth() const { return m_style.arrowBaseWidth; }
    void setArrowBaseWidth(double width);
    double cornerRadius() const { return m_style.cornerRadius; }
    void setCornerRadius(double radius);
    double borderWidth() const { return m_style.borderWidth; }
    void setBorderWidth(double width);
    QColor windowBackgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& color);
    void setBorderColor(const QColor& color);

    // Whether panels use a translucent material instead of plain colours. No desktop this program runs on
    // offers one: the answer is always false.
    static bool setUsesMaterial(bool usesMaterial);

    QWidget* view() const { return m_view; }
    // The side the panel ended on (the chosen one for the automatic side).
    int side() const { return m_layout.side; }
    const AttachedPanelLayout& layout() const { return m_layout; }

    // Places the panel again, after the view changed its size.
    void updateLayout();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPainterPath backgroundPath() const;

    QPointer<QWidget> m_view;
    QPointF m_point; // top-down screen coordinates
    int m_requestedSide;
    double m_distance;
    AttachedPanelStyle m_style;
    QColor m_backgroundColor;
    QColor m_borderColor;
    AttachedPanelLayout m_layout;
};
