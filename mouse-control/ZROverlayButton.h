#pragma once

#include "platform/Keys.h"
#include "platform/Signal.h"
#include "shell/ZRMenuOpeningControl.h"
#include "toolkit/ViewExtensions.h"

#include <QAbstractButton>
#include <QImage>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <optional>

class InputState;
class NotificationCenter;
class QEnterEvent;
class UserDefaults;
class ZROverlayButtonDragDirectionDelegate;
class ZROverlayButtonToolTipProvider;
struct Notification;
struct ZRMouseControlContext;

// Where a press is dragged to refine a half into a quarter: the ZRPosition of the edge, or none.
enum ZRSectionDragDirection : std::int64_t {
    ZRSectionDragDirectionNone = -1,
    ZRSectionDragDirectionUp = 3,
    ZRSectionDragDirectionRight = 5,
    ZRSectionDragDirectionDown = 7,
    ZRSectionDragDirectionLeft = 9,
};

// Where a press is dragged to send the window to a neighbouring screen: the ZRPosition of that side, or
// none.
enum ZRScreenDragDirection : std::int64_t {
    ZRScreenDragDirectionNone = 0,
    ZRScreenDragDirectionUp = 3,
    ZRScreenDragDirectionRight = 5,
    ZRScreenDragDirectionDown = 7,
    ZRScreenDragDirectionLeft = 9,
};

// A button of the palette. It lights up while hovered though its window never takes the focus, shows its
// alternate image and meaning while Option is held, marks itself when it stands for the window's current
// frame, and lets a press be dragged out of it: towards an edge to pick a quarter of its half (the section),
// further or out of its reach to send the window to the screen on that side. Its action reads the tag, the
// alternate mode and the two directions.
class ZROverlayButton : public QAbstractButton, public ZRTrackingAreaOwner, public ZRMenuOpeningControl {
    Q_OBJECT
public:
    // The press gesture, in points: a drag beyond the section threshold picks a section; one beyond the
    // screen threshold along an axis that also has sections picks the screen too. The reach is the button
    // grown by that much on every side; its edges count with the tolerance. Beyond the cancel distance on
    // either axis the press does nothing.
    static constexpr double SectionDragThreshold = 5;
    static constexpr double ScreenDragThreshold = 60;
    static constexpr double DragReach = 5;
    static constexpr double DragEdgeTolerance = 0.1;
    static constexpr double DragCancelDistance = 300;

    // What a click, or a release after an accepted drag, sends. The action may close the palette; a window
    // of the palette is then deleted later (deleteLater), never from inside the action.
    using Action = std::function<void(ZROverlayButton& sender)>;

    // The context's settings (its colours), input state and notification centre (the keys held) outlive the
    // button.
    explicit ZROverlayButton(const ZRMouseControlContext& context, QWidget* parent = nullptr);
    ~ZROverlayButton() override;

    // The action runs only while its target lives.
    void setTarget(QObject* target) { m_target = target; }
    void setAction(Action action) { m_action = std::move(action); }
    // An action and a target that is still there.
    bool targetAnswersAction() const { return m_action && m_target; }

    std::int64_t tag() const { return m_tag; }
    void setTag(std::int64_t tag) { m_tag = tag; }

    // Template images (shapes in one colour, tinted when drawn), in points.
    virtual QImage image() const { return m_image; }
    void setImage(const QImage& image);
    virtual QImage alternateImage() const { return m_alternateImage; }
    void setAlternateImage(const QImage& image);
    // Shown while a press is dragged towards that section.
    void setDragUpImage(const QImage& image) { m_dragUpImage = image; }
    void setDragRightImage(const QImage& image) { m_dragRightImage = image; }
    void setDragDownImage(const QImage& image) { m_dragDownImage = image; }
    void setDragLeftImage(const QImage& image) { m_dragLeftImage = image; }

    // The pointer is over the button, or a drag within its reach is accepted.
    bool hovered() const { return m_hovered; }
    void setHovered(bool hovered) { m_hovered = hovered; }

    // The sections a press may be dragged towards (set by the palette) and the screens (set by the
    // drag-direction delegate as each press begins).
    void setCanDragSectionUp(bool can) { m_canDragSectionUp = can; }
    void setCanDragSectionRight(bool can) { m_canDragSectionRight = can; }
    void setCanDragSectionDown(bool can) { m_canDragSectionDown = can; }
    void setCanDragSectionLeft(bool can) { m_canDragSectionLeft = can; }
    bool canDragScreenUp() const { return m_canDragScreenUp; }
    void setCanDragScreenUp(bool can) { m_canDragScreenUp = can; }
    bool canDragScreenRight() const { return m_canDragScreenRight; }
    void setCanDragScreenRight(bool can) { m_canDragScreenRight = can; }
    bool canDragScreenDown() const { return m_canDragScreenDown; }
    void setCanDragScreenDown(bool can) { m_canDragScreenDown = can; }
    bool canDragScreenLeft() const { return m_canDragScreenLeft; }
    void setCanDragScreenLeft(bool can) { m_canDragScreenLeft = can; }

    // The button's normal meaning is the window's current frame; setting it also clears the hover.
    bool representsCurrentWindowFrame() const { return m_representsCurrentWindowFrame; }
    void setRepresentsCurrentWindowFrame(bool represents);
    // Option is held: the button shows and means its alternate. Setting it asks for the tool tip.
    virtual bool alternateMode() const { return m_alternateMode; }
    void setAlternateMode(bool alternateMode);
    bool alternateModeRepresentsCurrentWindowFrame() const {
        return m_alternateModeRepresentsCurrentWindowFrame;
    }
    void setAlternateModeRepresentsCurrentWindowFrame(bool represents) {
        m_alternateModeRepresentsCurrentWindowFrame = represents;
    }

    // Not owned; null for none.
    void setDragDirectionDelegate(ZROverlayButtonDragDirectionDelegate* delegate) {
        m_dragDirectionDelegate = delegate;
    }
    void setToolTipProvider(ZROverlayButtonToolTipProvider* provider) { m_toolTipProvider = provider; }

    // What the press gesture picked, until it ends.
    ZRSectionDragDirection sectionDragDirection() const { return m_sectionDragDirection; }
    void setSectionDragDirection(ZRSectionDragDirection direction) { m_sectionDragDirection = direction; }
    ZRScreenDragDirection screenDragDirection() const { return m_screenDragDirection; }
    void setScreenDragDirection(ZRScreenDragDirection direction) { m_screenDragDirection = direction; }

    // --- Hover area and Option

    // Makes the hover area again for the window (null: none) and follows Option while the button is usable
    // there: enabled, not hidden, with an alternate image, in a window that takes the mouse.
    void updateTrackingAreaForWindow(QWidget* window);
    void updateTrackingAreas() override;
    void viewWillMoveToWindow(QWidget* window);
    // The hover area in the button's coordinates; none while the button cannot be hovered.
    std::optional<QRect> trackingArea() const { return m_trackingArea; }
    bool observesModifierFlags() const { return m_modifierFlagsObservation.isConnected(); }
    // A ZRModifierFlagsChangedNotification: the alternate mode follows Option.
    void modifierFlagsDidChange(const Notification& notification);

    // --- Events

    virtual void mouseEntered(const QEnterEvent* event);
    virtual void mouseExited();
    // A left press: the press and drag gesture.
    virtual void mouseDown(const QMouseEvent& event);
    // Whether a press is being tracked.
    bool isTrackingPress() const { return m_press.has_value(); }
    // Hidden by hide() or setVisible(false), not merely inside a window that is not shown yet.
    bool isExplicitlyHidden() const { return isHidden() && testAttribute(Qt::WA_WState_ExplicitShowHide); }

    // --- Drawing

    virtual bool drawAsEnabled() const { return isEnabled(); }
    bool allowsVibrancy() const { return false; }
    // The image for the present mode and section.
    QImage drawnImage() const;
    // The tint: the accent while hovered or marked, else the plain control colour of the scheme.
    QColor drawnColor() const;
    void drawRect(QPainter& painter);

protected:
    const UserDefaults& defaults() const { return m_defaults; }

    // The press and drag gesture, which a subclass may start from its own mouseDown.
    void trackPressAndDrag(const QMouseEvent& event);

    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Press {
        QPointF start;
        QRectF reach;
        bool hovered = true;
        ZRSectionDragDirection section = ZRSectionDragDirectionNone;
        ZRScreenDragDirection screen = ZRScreenDragDirectionNone;
    };
    // The window the button is in; null while it is in none.
    QWidget* buttonWindow() const;

    void dragTo(const QPointF& location);
    // Sends the action with the button unless it is gone meanwhile; answers whether the button still exists.
    bool sendAction();
    void endPress();
    ModifierFlags currentModifierFlags() const;

    const UserDefaults& m_defaults;
    InputState& m_inputState;
    NotificationCenter& m_notifications;
    QPointer<QObject> m_target;
    Action m_action;
    std::int64_t m_tag = 0;
    QImage m_image;
    QImage m_alternateImage;
    QImage m_dragUpImage;
    QImage m_dragRightImage;
    QImage m_dragDownImage;
    QImage m_dragLeftImage;
    std::optional<QRect> m_trackingArea;
    Connection m_modifierFlagsObservation;
    bool m_hovered = false;
    bool m_canDragSectionUp = false;
    bool m_canDragSectionRight = false;
    bool m_canDragSectionDown = false;
    bool m_canDragSectionLeft = false;
    bool m_canDragScreenUp = false;
    bool m_canDragScreenRight = false;
    bool m_canDragScreenDown = false;
    bool m_canDragScreenLeft = false;
    bool m_representsCurrentWindowFrame = false;
    bool m_alternateMode = false;
    bool m_alternateModeRepresentsCurrentWindowFrame = false;
    ZROverlayButtonDragDirectionDelegate* m_dragDirectionDelegate = nullptr;
    ZROverlayButtonToolTipProvider* m_toolTipProvider = nullptr;
    ZRSectionDragDirection m_sectionDragDirection = ZRSectionDragDirectionNone;
    ZRScreenDragDirection m_screenDragDirection = ZRScreenDragDirectionNone;
    std::optional<Press> m_press;
};
