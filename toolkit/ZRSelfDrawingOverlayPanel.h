#pragma once

#include "platform/Geometry.h"

#include <QWidget>

class QPainter;

// A borderless overlay (OverlayWindow.h) that lets clicks through and draws itself: its content view
// paints through drawOverlayInBounds, which subclasses override, by the rule of OverlayDrawing.h.
// Non-activating panels never take focus from the application the user works in.
class ZRSelfDrawingOverlayPanel : public QWidget {
    Q_OBJECT
public:
    // The frame in Cocoa screen coordinates; the level orders the program's overlays (WindowExtensions.h).
    ZRSelfDrawingOverlayPanel(const Rect& frame, int level, bool nonActivating, bool flipContent);

    static ZRSelfDrawingOverlayPanel* overlayPanelWithFrame(const Rect& frame, int level, bool nonActivating,
                                                            bool flipContent);

    QWidget* contentView() const { return m_contentView; }
    bool isNonActivating() const { return m_nonActivating; }
    // Whether the content was asked for top-down coordinates. Qt draws top-down either way; drawing code
    // written for bottom-up coordinates mirrors its own y.
    bool contentIsFlipped() const { return m_flipContent; }

    // The frame in Cocoa screen coordinates.
    Rect cocoaFrame() const;
    void setCocoaFrame(const Rect& frame);

    // The panel's drawing, in the content view's coordinates; nothing by default.
    virtual void drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget* view);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_contentView;
    bool m_nonActivating;
    bool m_flipContent;
};
