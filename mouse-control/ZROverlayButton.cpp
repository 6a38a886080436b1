#include "mouse-control/ZROverlayButton.h"

#include "mouse-control/ZRMouseControlContext.h"
#include "mouse-control/ZRMouseEventTapCallback.h"
#include "mouse-control/ZROverlayButtonDelegates.h"
#include "mouse-control/ZROverlayColorScheme.h"
#include "platform/InputState.h"
#include "platform/Keys.h"
#include "platform/Platform.h"
#include "platform/foundation/NotificationCenter.h"
#include "toolkit/Appearance.h"
#include "toolkit/Drawing.h"
#include "toolkit/ImageExtensions.h"
#include "toolkit/WindowExtensions.h"
#include "toolkit/ZRCGEventWrapper.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <vector>

namespace {

// The arrow of a screen drag casts a shadow a quarter of the button's height wide, and draws its ends
// rounded once it is taller than this.
constexpr double ArrowShadowFraction = 0.25;
constexpr double RoundedArrowMinimumHeight = 10.5;
// A disabled button's image is drawn at half strength.
constexpr double DisabledImageFraction = 0.5;
// Three box blurs come close to the Gaussian of a drawn shadow.
constexpr int ShadowBlurPasses = 3;

// The part of the widget its ancestors up to the window leave uncovered, in its own coordinates.
QRect visibleRect(const QWidget* widget) {
    QRect visible = widget->rect();
    QPoint offset;
    for (const QWidget* view = widget; !view->isWindow() && view->parentWidget();
         view = view->parentWidget()) {
        offset += view->pos();
        visible &= view->parentWidget()->rect().translated(-offset);
    }
    return visible;
}

// The angle of the arrow that shows a screen drag, in the button's coordinates (y down); none without one.
std::optional<double> arrowAngle(ZRScreenDragDirection direction) {
    switch (direction) {
    case ZRScreenDragDirectionUp:
        return 270.0;
    case ZRScreenDragDirectionRight:
        return 0.0;
    case ZRScreenDragDirectionDown:
        return 90.0;
    case ZRScreenDragDirectionLeft:
        return 180.0;
    default:
        return std::nullopt;
    }
}

// One pass of a box blur of the given radius over an alpha plane, along rows or along columns.
void boxBlur(const std::vector<float>& from, std::vector<float>& to, int width, int height, int radius,
             bool alongRows) {
    const int lines = alongRows ? height : width;
    const int length = alongRows ? width : height;
    const auto at = [&](int line, int i) { return alongRows ? line * width + i : i * width + line; };
    const float scale = 1.0f / float(2 * radius + 1);
    for (int line = 0; line < lines; ++line) {
        float sum = 0;
        for (int i = 0; i <= std::min(radius, length - 1); ++i)
            sum += from[at(line, i)];
        for (int i = 0; i < length; ++i) {
            to[at(line, i)] = sum * scale;
            if (i + radius + 1 < length)
                sum += from[at(line, i + radius + 1)];
            if (i - radius >= 0)
                sum -= from[at(line, i - radius)];
        }
    }
}

// The black shadow of a picture, blurred as a shadow of that blur radius is.
QImage shadowOf(const QImage& picture, double blurRadius) {
    const int width = picture.width();
    const int height = picture.height();
    std::vector<float> alpha(std::size_t(width) * height);
    for (int y = 0; y < height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < width; ++x)
            alpha[std::size_t(y) * width + x] = float(qAlpha(line[x]));
    }
    // A Gaussian of sigma s is three boxes of width sqrt(4 s² + 1); the shadow's sigma is half its radius.
    const int radius = int(std::lround((std::sqrt(blurRadius * blurRadius + 1) - 1) / 2));
    std::vector<float> scratch(alpha.size());
    for (int pass = 0; pass < ShadowBlurPasses && radius > 0; ++pass) {
        boxBlur(alpha, scratch, width, height, radius, true);
        boxBlur(scratch, alpha, width, height, radius, false);
    }
    QImage shadow(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgba(0, 0, 0, std::clamp(int(std::lround(alpha[std::size_t(y) * width + x])), 0, 255));
    }
    shadow.setDevicePixelRatio(picture.devicePixelRatio());
    return shadow;
}

// A white arrow over the bounds, inset by its shadow's blur, drawn with the shadow beneath it.
void drawArrowWithShadow(QPainter& painter, const QRectF& bounds, double angle) {
    const double blur = std::floor(ArrowShadowFraction * bounds.height());
    const double scale = painter.device() ? std::max(1.0, painter.device()->devicePixelRatioF()) : 1.0;
    QImage layer((bounds.size() * scale).toSize().expandedTo(QSize(1, 1)),
                 QImage::Format_ARGB32_Premultiplied);
    layer.setDevicePixelRatio(scale);
    layer.fill(Qt::transparent);
    const QRectF arrowRect = QRectF(QPointF(), bounds.size()).adjusted(blur, blur, -blur, -blur);
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHint(QPainter::Antialiasing);
        ZRDrawArrowGlyph(layerPainter, Qt::white, angle, arrowRect,
                         arrowRect.height() > RoundedArrowMinimumHeight);
    }
    if (blur > 0)
        painter.drawImage(bounds.topLeft(), shadowOf(layer, blur * scale));
    painter.drawImage(bounds.topLeft(), layer);
}

} // namespace

ZROverlayButton::ZROverlayButton(const ZRMouseControlContext& context, QWidget* parent)
    : QAbstractButton(parent), m_defaults(context.defaults), m_inputState(context.platform.inputState()),
      m_notifications(context.notifications) {
    // The palette never takes the keyboard from the application the user works in.
    setFocusPolicy(Qt::NoFocus);
    setSectionDragDirection(ZRSectionDragDirectionNone);
}

ZROverlayButton::~ZROverlayButton() {
    updateTrackingAreaForWindow(nullptr);
}

void ZROverlayButton::setImage(const QImage& image) {
    m_image = image;
    update();
}

void ZROverlayButton::setAlternateImage(const QImage& image) {
    m_alternateImage = image;
    update();
}

void ZROverlayButton::setRepresentsCurrentWindowFrame(bool represents) {
    m_representsCurrentWindowFrame = represents;
    m_hovered = false;
    update();
}

void ZROverlayButton::setAlternateMode(bool alternateMode) {
    if (m_alternateMode != alternateMode) {
        m_alternateMode = alternateMode;
        update();
    }
    if (m_toolTipProvider) {
        if (const std::optional<QString> toolTip = m_toolTipProvider->toolTipForOverlayButton(*this))
            setToolTip(*toolTip);
    }
}

QWidget* ZROverlayButton::buttonWindow() const {
    QWidget* window = this->window();
    return window == this ? nullptr : window;
}

void ZROverlayButton::updateTrackingAreaForWindow(QWidget* window) {
    m_trackingArea.reset();
    bool observe = false;
    if (window && !ignoresMouseEvents(window)) {
        const bool usable = isEnabled() && !isExplicitlyHidden();
        if (usable) {
            const QRect area = rect() & visibleRect(this);
            if (!area.isEmpty())
                m_trackingArea = area;
        }
        observe = usable && !alternateImage().isNull();
        setAlternateMode(observe && (currentModifierFlags() & ModifierFlag::Option) != 0);
    }
    m_modifierFlagsObservation.disconnect();
    if (observe)
        m_modifierFlagsObservation = m_notifications.addObserver(
            ZRModifierFlagsChangedNotification, nullptr,
            [this](const Notification& notification) { modifierFlagsDidChange(notification); });
}

void ZROverlayButton::updateTrackingAreas() {
    updateTrackingAreaForWindow(buttonWindow());
}

void ZROverlayButton::viewWillMoveToWindow(QWidget* window) {
    updateTrackingAreaForWindow(window);
}

ModifierFlags ZROverlayButton::currentModifierFlags() const {
    return m_inputState.modifierFlags();
}

void ZROverlayButton::modifierFlagsDidChange(const Notification& notification) {
    // The tap posts its own event; a notification without one asks the keyboard as it is now.
    ModifierFlags flags = 0;
    const auto* wrapper = std::any_cast<std::shared_ptr<ZRCGEventWrapper>>(&notification.object);
    if (wrapper && *wrapper && (*wrapper)->event())
        flags = (*wrapper)->event()->flags;
    else
        flags = currentModifierFlags();
    setAlternateMode((flags & ModifierFlag::Option) != 0);
}

void ZROverlayButton::mouseEntered(const QEnterEvent*) {
    if (!isEnabled() || isExplicitlyHidden())
        return;
    m_hovered = true;
    update();
}

void ZROverlayButton::mouseExited() {
    m_hovered = false;
    update();
}

void ZROverlayButton::mouseDown(const QMouseEvent& event) {
    trackPressAndDrag(event);
}

void ZROverlayButton::trackPressAndDrag(const QMouseEvent& event) {
    if (!isEnabled() || !targetAnswersAction())
        return;
    if (m_dragDirectionDelegate)
        m_dragDirectionDelegate->prepareScreenDragDirectionsForOverlayButton(*this);
    Press press;
    press.start = event.position();
    press.reach = QRectF(rect()).adjusted(-DragReach, -DragReach, DragReach, DragReach);
    m_press = press;
}

void ZROverlayButton::dragTo(const QPointF& location) {
    Press& press = *m_press;
    const double dx = location.x() - press.start.x();
    // The gesture speaks of up as the direction of growing y; Qt's y grows downwards.
    const double dy = press.start.y() - location.y();
    const QRectF& reach = press.reach;
    bool hovered = false;
    ZRSectionDragDirection section = ZRSectionDragDirectionNone;
    ZRScreenDragDirection screen = ZRScreenDragDirectionNone;
    if (std::abs(dx) <= DragCancelDistance && std::abs(dy) <= DragCancelDistance) {
        hovered = reach.contains(location);
        // With Option the button means a quarter already: no section is picked, only screens by leaving the
        // reach.
        const bool alternate = alternateMode();
        if (dy > SectionDragThreshold) {
            if (!alternate && m_canDragSectionUp) {
                section = ZRSectionDragDirectionUp;
                hovered = true;
                if (dy > ScreenDragThreshold && m_canDragScreenUp)
                    screen = ZRScreenDragDirectionUp;
            } else if (location.y() < reach.top() + DragEdgeTolerance && m_canDragScreenUp) {
                screen = ZRScreenDragDirectionUp;
                hovered = true;
            }
        } else if (dy < -SectionDragThreshold) {
            if (!alternate && m_canDragSectionDown) {
                section = ZRSectionDragDirectionDown;
                hovered = true;
                if (dy < -ScreenDragThreshold && m_canDragScreenDown)
                    screen = ZRScreenDragDirectionDown;
            } else if (location.y() > reach.bottom() && m_canDragScreenDown) {
                screen = ZRScreenDragDirectionDown;
                hovered = true;
            }
        }
        if (dx > SectionDragThreshold) {
            if (!alternate && m_canDragSectionRight) {
                section = ZRSectionDragDirectionRight;
                hovered = true;
                if (screen == ZRScreenDragDirectionNone && dx > ScreenDragThreshold && m_canDragScreenRight)
                    screen = ZRScreenDragDirectionRight;
            } else {
                // A sideways movement takes back a vertical section.
                section = ZRSectionDragDirectionNone;
                if (screen == ZRScreenDragDirectionNone && location.x() > reach.right() - DragEdgeTolerance &&
                    m_canDragScreenRight) {
                    screen = ZRScreenDragDirectionRight;
                    hovered = true;
                }
            }
        } else if (dx < -SectionDragThreshold) {
            if (!alternate && m_canDragSectionLeft) {
                section = ZRSectionDragDirectionLeft;
                hovered = true;
                if (screen == ZRScreenDragDirectionNone && dx < -ScreenDragThreshold && m_canDragScreenLeft)
                    screen = ZRScreenDragDirectionLeft;
            } else {
                section = ZRSectionDragDirectionNone;
                if (screen == ZRScreenDragDirectionNone && location.x() < reach.left() &&
                    m_canDragScreenLeft) {
                    screen = ZRScreenDragDirectionLeft;
                    hovered = true;
                }
            }
        }
    }
    press.hovered = hovered;
    press.section = section;
    press.screen = screen;
    if (hovered != m_hovered || section != m_sectionDragDirection || screen != m_screenDragDirection) {
        m_hovered = hovered;
        m_sectionDragDirection = section;
        m_screenDragDirection = screen;
        repaint();
    }
}

bool ZROverlayButton::sendAction() {
    if (!targetAnswersAction())
        return true;
    const QPointer<ZROverlayButton> self(this);
    // The action may set another one meanwhile.
    const Action action = m_action;
    action(*this);
    return !self.isNull();
}

void ZROverlayButton::endPress() {
    m_press.reset();
    m_sectionDragDirection = ZRSectionDragDirectionNone;
    m_screenDragDirection = ZRScreenDragDirectionNone;
    update();
}

QImage ZROverlayButton::drawnImage() const {
    if (alternateMode()) {
        if (QImage alternate = alternateImage(); !alternate.isNull())
            return alternate;
    }
    const QImage* dragImage = nullptr;
    switch (m_sectionDragDirection) {
    case ZRSectionDragDirectionUp:
        dragImage = &m_dragUpImage;
        break;
    case ZRSectionDragDirectionRight:
        dragImage = &m_dragRightImage;
        break;
    case ZRSectionDragDirectionDown:
        dragImage = &m_dragDownImage;
        break;
    case ZRSectionDragDirectionLeft:
        dragImage = &m_dragLeftImage;
        break;
    default:
        break;
    }
    if (dragImage && !dragImage->isNull())
        return *dragImage;
    return image();
}

QColor ZROverlayButton::drawnColor() const {
    const bool inverted = ZROverlayColorScheme::invertColors(m_defaults);
    const bool marked =
        alternateMode() ? m_alternateModeRepresentsCurrentWindowFrame : m_representsCurrentWindowFrame;
    if (drawAsEnabled() && (m_hovered || marked))
        return inverted ? overlaySelectedControlColor() : brighterOverlaySelectedControlColor();
    return inverted ? lightModeOverlayControlColor() : darkModeOverlayControlColor();
}

void ZROverlayButton::drawRect(QPainter& painter) {
    const QRectF bounds(rect());
    if (const QImage image = drawnImage(); !image.isNull()) {
        const QSizeF size = image.deviceIndependentSize();
        QRectF imageRect;
        if (size.height() > bounds.height()) {
            const double width = std::round(size.width() * bounds.height() / size.height());
            imageRect = QRectF(std::round((bounds.width() - width) / 2), 0, width, bounds.height());
        } else {
            imageRect =
                QRectF(std::round((bounds.width() - size.width()) / 2),
                       std::round((bounds.height() - size.height()) / 2), size.width(), size.height());
        }
        const bool enabled = drawAsEnabled();
        drawInRect(painter, image, imageRect, drawnColor(), enabled ? 1.0 : DisabledImageFraction);
    }
    if (const std::optional<double> angle = arrowAngle(m_screenDragDirection))
        drawArrowWithShadow(painter, bounds, *angle);
}

void ZROverlayButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawRect(painter);
}

void ZROverlayButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    event->accept();
    mouseDown(*event);
}

void ZROverlayButton::mouseMoveEvent(QMouseEvent* event) {
    if (!m_press || !(event->buttons() & Qt::LeftButton)) {
        event->ignore();
        return;
    }
    dragTo(event->position());
}

void ZROverlayButton::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_press || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (m_press->hovered && !sendAction())
        return;
    endPress();
}

void ZROverlayButton::enterEvent(QEnterEvent* event) {
    // A press follows the pointer itself; the hover resumes after the release.
    if (m_trackingArea && !m_press)
        mouseEntered(event);
}

void ZROverlayButton::leaveEvent(QEvent*) {
    if (m_trackingArea && !m_press)
        mouseExited();
}

void ZROverlayButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() != QEvent::EnabledChange)
        return;
    // A press that can no longer end in a release ends here, without acting.
    if (m_press && !isEnabled())
        endPress();
    updateTrackingAreaForWindow(buttonWindow());
}

void ZROverlayButton::hideEvent(QHideEvent* event) {
    QAbstractButton::hideEvent(event);
    if (m_press)
        endPress();
}

bool ZROverlayButton::event(QEvent* event) {
    const bool handled = QAbstractButton::event(event);
    if (event->type() == QEvent::ParentChange)
        viewWillMoveToWindow(buttonWindow());
    return handled;
}
