#pragma once

#include "toolkit/ZRSelfDrawingOverlayPanel.h"

#include <QPointer>
#include <functional>
#include <memory>

class UserDefaults;

// A small self-drawn panel laid exactly over another application's zoom button (or the chosen trigger
// button) while the palette is pending. It catches the click meant for that button, shows it as a pressed
// disc, and sends the palette's action instead, or only beeps. It looks like a radio button on the
// window's own button: an empty ring without an action, a dot with one, a smaller dot when the click will
// revert, a green dot while pressed.
class ZRZoomButtonOverlayWindow : public ZRSelfDrawingOverlayPanel {
    Q_OBJECT
public:
    // On every desktop, staying put there, and beside full-screen windows.
    static constexpr int CollectionBehavior = 0x111;
    // The dot is inset from the ring by this much, more when the click reverts.
    static constexpr double DotInset = 2;
    static constexpr double RevertDotInset = 3;

    // What a click sends. The action may close the palette; the overlay is then deleted later
    // (deleteLater), never from inside the action.
    using Action = std::function<void(ZRZoomButtonOverlayWindow& sender)>;

    // Whether a click without an action beeps.
    static QString beepKey();
    // The appearance setting of the desktop's global preferences whose value 6 (graphite) asks for the
    // accent colour instead of green.
    static QString aquaColorVariantKey();

    // As the self-drawing panel, but it takes clicks. The frame is in Cocoa screen coordinates; the settings
    // say whether a click without an action beeps, and must outlive the panel.
    static std::unique_ptr<ZRZoomButtonOverlayWindow> overlayPanelWithFrame(const Rect& frame, int level,
                                                                            bool nonActivating,
                                                                            bool flipContent,
                                                                            const UserDefaults& defaults);
    ZRZoomButtonOverlayWindow(const Rect& frame, int level, bool nonActivating, bool flipContent,
                              const UserDefaults& defaults);

    // The action runs only while its target lives.
    void setTarget(QObject* target) { m_target = target; }
    void setAction(Action action) { m_action = std::move(action); }
    bool targetAnswersAction() const { return m_action && m_target; }

    // A click reverts the window instead of filling the screen.
    bool canRevert() const { return m_canRevert; }
    void setCanRevert(bool canRevert) { m_canRevert = canRevert; }
    // Pressed with the pointer inside; a change redraws.
    bool highlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);

    int collectionBehavior() const { return CollectionBehavior; }

    void drawOverlayInBounds(QPainter& painter, const QRectF& bounds, QWidget* view) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    const UserDefaults& m_defaults;
    bool m_canRevert = false;
    bool m_highlighted = false;
    QPointer<QObject> m_target;
    Action m_action;
    // A press with an action is being followed.
    bool m_pressed = false;
};
