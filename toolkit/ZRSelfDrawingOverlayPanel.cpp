#include "toolkit/ZRSelfDrawingOverlayPanel.h"

#include "toolkit/OverlayDrawing.h"
#include "toolkit/OverlayWindow.h"
#include "toolkit/ScreenCoordinates.h"
#include "toolkit/WindowExtensions.h"

#include <QPainter>

namespace {

// The content view hands its painting to the panel.
class SelfDrawingView : public QWidget {
public:
    SelfDrawingView(ZRSelfDrawingOverlayPanel* panel) : QWidget(panel), m_panel(panel) {
        setAttribute(Qt::WA_TranslucentBackground);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QImage picture = overlayCanvas(this);
        {
            QPainter painter(&picture);
            m_panel->drawOverlayInBounds(painter, QRectF(rect()), this);
        }
        QPainter painter(this);
        paintOverlayPicture(painter, m_panel, picture);
    }

private:
    ZRSelfDrawingOverlayPanel* m_panel;
};

} // namespace

ZRSelfDrawingOverlayPanel::ZRSelfDrawingOverlayPanel(const Rect& frame, int level, bool nonActivating,
                                                     bool flipContent)
    : QWidget(nullptr, Qt::WindowTransparentForInput), m_contentView(new SelfDrawingView(this)),
      m_nonActivating(nonActivating), m_flipContent(flipContent) {
    makeOverlayWindow(this, !nonActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_NoSystemBackground);
    setWindowLevel(this, level);
    setCocoaFrame(frame);
}

ZRSelfDrawingOverlayPanel* ZRSelfDrawingOverlayPanel::overlayPanelWithFrame(const Rect& frame, int level,
                                                                            bool nonActivating,
                                                                            bool flipContent) {
    return new ZRSelfDrawingOverlayPanel(frame, level, nonActivating, flipContent);
}

Rect ZRSelfDrawingOverlayPanel::cocoaFrame() const {
    return cocoaRectFromQtRect(QRectF(geometry()));
}

void ZRSelfDrawingOverlayPanel::setCocoaFrame(const Rect& frame) {
    setGeometry(qtRectFromCocoaRect(frame).toAlignedRect());
}

void ZRSelfDrawingOverlayPanel::drawOverlayInBounds(QPainter&, const QRectF&, QWidget*) {}

void ZRSelfDrawingOverlayPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_contentView->setGeometry(rect());
}
