#include "window-access/WindowFrameSetting.h"

#include "platform/Platform.h"
#include "platform/PlatformLog.h"
#include "platform/Screens.h"
#include "window-access/Coordinates.h"
#include "window-access/WindowAccessClock.h"
#include "window-access/WindowAccessDefaults.h"
#include "window-access/WindowElements.h"

#include <cmath>

namespace {

constexpr int kMaximumAttempts = 5;
// Applications round frames to whole points, and some to their own backing pixels.
constexpr double kFrameTolerance = 1;
constexpr double kAnimationDuration = 0.08;
// Frames shown during the animation, the last being the target itself.
constexpr int kAnimationSteps = 5;

// How far the drawers reach beyond the window on each side (Quartz: top is the smaller y).
struct Insets {
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

Insets drawerInsets(const AXElementRef& window, const Rect& windowFrame) {
    const auto withDrawers = ZRCopyWindowFrame(window, true);
    if (!withDrawers)
        return {};
    return {windowFrame.minX() - withDrawers->minX(), windowFrame.minY() - withDrawers->minY(),
            withDrawers->maxX() - windowFrame.maxX(), withDrawers->maxY() - windowFrame.maxY()};
}

Rect inset(const Rect& frame, const Insets& insets) {
    return {frame.x() + insets.left, frame.y() + insets.top, frame.width() - insets.left - insets.right,
            frame.height() - insets.top - insets.bottom};
}

Rect outset(const Rect& frame, const Insets& insets) {
    return {frame.x() - insets.left, frame.y() - insets.top, frame.width() + insets.left + insets.right,
            frame.height() + insets.top + insets.bottom};
}

bool nearlyEqual(const Rect& a, const Rect& b) {
    return rectsAreNearlyEqual(a, b, kFrameTolerance);
}

// What went wrong, in words a user can act on.
QString errorText(AXError error) {
    switch (error) {
    case AXError::Success:
        return QStringLiteral("no error");
    case AXError::Failure:
        return QStringLiteral("the window refused");
    case AXError::IllegalArgument:
        return QStringLiteral("the window does not take such a frame");
    case AXError::InvalidElement:
        return QStringLiteral("the window has gone");
    case AXError::CannotComplete:
        return QStringLiteral("its application did not answer in time");
    case AXError::AttributeUnsupported:
        return QStringLiteral("its position or size cannot be set");
    case AXError::ActionUnsupported:
        return QStringLiteral("the window does not support that");
    case AXError::NoValue:
        return QStringLiteral("the window has no frame");
    case AXError::APIDisabled:
        return QStringLiteral("the program may not control other windows");
    }
    return QStringLiteral("unknown error %1").arg(static_cast<int>(error));
}

AXError applyFrame(const AXElementRef& window, const Rect& target, bool setSize, bool keepRightEdge,
                   bool keepBottomEdge) {
    AXError error = window->setAttributeValue(AX::Position, AXValue(target.origin));
    if (error != AXError::Success || !setSize)
        return error;
    error = window->setAttributeValue(AX::SizeAttribute, AXValue(target.size));
    if (error != AXError::Success || !(keepRightEdge || keepBottomEdge))
        return error;
    // A window that keeps a size of its own grows or shrinks from its top left; move it so that the
    // kept edges stay where the target has them.
    AXValue value;
    if (window->copyAttributeValue(AX::SizeAttribute, value) != AXError::Success)
        return AXError::Success;
    const Size* obtained = std::get_if<Size>(&value);
    if (!obtained || *obtained == target.size)
        return AXError::Success;
    Point corrected = target.origin;
    if (keepRightEdge)
        corrected.x = target.maxX() - obtained->width;
    if (keepBottomEdge)
        corrected.y = target.maxY() - obtained->height;
    return window->setAttributeValue(AX::Position, AXValue(corrected));
}

double eased(double progress) {
    return progress * progress * (3 - 2 * progress);
}

Rect interpolated(const Rect& from, const Rect& to, double progress) {
    const auto mix = [progress](double a, double b) { return std::round(a + (b - a) * progress); };
    return {mix(from.x(), to.x()), mix(from.y(), to.y()), mix(from.width(), to.width()),
            mix(from.height(), to.height())};
}

// Moves the window through the frames between, ending when the last of them is due; the target itself
// is set by the verified attempts that follow.
void animate(const AXElementRef& window, const Rect& from, const Rect& to, bool setSize) {
    if (nearlyEqual(from, to))
        return;
    const double start = WindowAccessClock::now();
    const double interval = kAnimationDuration / (kAnimationSteps - 1);
    for (int step = 1; step < kAnimationSteps; ++step) {
        if (step > 1)
            WindowAccessClock::waitUntil(start + (step - 1) * interval);
        const Rect frame = interpolated(from, to, eased(static_cast<double>(step) / kAnimationSteps));
        if (applyFrame(window, frame, setSize, false, false) != AXError::Success)
            return;
    }
    WindowAccessClock::waitUntil(start + kAnimationDuration);
}

std::optional<Rect> visibleFrameOfScreenOf(const Rect& cocoaFrame) {
    if (!Platform::hasCurrent())
        return std::nullopt;
    std::optional<Rect> best;
    double bestArea = 0;
    for (const ScreenInfo& screen : Platform::current().screens().screens()) {
        const double area = screen.frame.intersected(cocoaFrame).area();
        if (area > bestArea) {
            best = screen.visibleFrame;
            bestArea = area;
        }
    }
    return best;
}

} // namespace

bool ZRSetWindowFrame(const AXElementRef& window, bool includeDrawers, bool setSize, bool keepRightEdge,
                      bool keepBottomEdge, bool animate, const Rect& frame, Rect* obtainedFrame) {
    if (!window)
        return false;
    if (!frame.isFinite() || (setSize && frame.isEmpty())) {
        platformLog(QStringLiteral("cannot set window frame: invalid frame %1").arg(stringFromRect(frame)));
        return false;
    }
    const auto start = ZRCopyWindowFrame(window, false);
    if (!start) {
        platformLog(QStringLiteral("cannot set window frame: its frame cannot be read"));
        return false;
    }
    const Insets insets = includeDrawers ? drawerInsets(window, *start) : Insets{};
    Rect target = inset(frame, insets);
    if (!setSize)
        target.size = start->size;
    if (target.isEmpty()) {
        platformLog(QStringLiteral("cannot set window frame: %1 leaves no room beside the drawers")
                        .arg(stringFromRect(frame)));
        return false;
    }
    WindowAccessDefaults::debugLog(
        QStringLiteral("set window frame: proposed %1").arg(stringFromRect(frame)));

    if (animate)
        ::animate(window, *start, target, setSize);

    Rect current = *start;
    // Some windows ignore a first request, so only two attempts in a row that end alike mean it settled.
    std::optional<Rect> previous;
    bool reached = false;
    bool settled = false;
    QString failure;
    int attempt = 1;
    for (; attempt <= kMaximumAttempts; ++attempt) {
        const AXError error = applyFrame(window, target, setSize, keepRightEdge, keepBottomEdge);
        const auto read = ZRCopyWindowFrame(window, false);
        if (read)
            current = *read;
        if (error != AXError::Success) {
            failure = errorText(error);
            break;
        }
        if (!read) {
            failure = QStringLiteral("its frame cannot be read back");
            break;
        }
        const Rect expected = setSize ? target : Rect(target.origin, current.size);
        if (nearlyEqual(current, expected)) {
            reached = true;
            break;
        }
        if (previous && nearlyEqual(current, *previous)) {
            settled = true;
            break;
        }
        previous = current;
    }

    const Rect obtained = outset(current, insets);
    if (obtainedFrame)
        *obtainedFrame = obtained;
    WindowAccessDefaults::debugLog(QStringLiteral("set window frame: obtained %1 after %2 attempts")
                                       .arg(stringFromRect(obtained))
                                       .arg(std::min(attempt, kMaximumAttempts)));
    if (!failure.isEmpty()) {
        platformLog(QStringLiteral("cannot set window frame: %1").arg(failure));
        return false;
    }
    // A window that ends where it began while it was asked elsewhere did not take the frame at all.
    return reached || (settled && !nearlyEqual(current, *start));
}

bool ZRSetWindowFrameViaVisibleFrame(const AXElementRef& window, bool includeDrawers, bool setSize,
                                     bool keepRightEdge, bool keepBottomEdge, bool animate, const Rect& frame,
                                     Rect* obtainedFrame) {
    if (const auto current = ZRCopyWindowFrame(window, includeDrawers)) {
        const double primaryHeight = ZRPrimaryScreenHeight();
        const Rect cocoaFrame = ZRFlipRect(*current, primaryHeight);
        const auto visibleFrame = visibleFrameOfScreenOf(cocoaFrame);
        if (visibleFrame && !visibleFrame->isEmpty() && !visibleFrame->contains(cocoaFrame)) {
            const Rect confined = ZRFlipRect(ZRConfineFrame(cocoaFrame, *visibleFrame), primaryHeight);
            if (!nearlyEqual(confined, *current))
                ZRSetWindowFrame(window, includeDrawers, false, false, false, false, confined);
        }
    }
    return ZRSetWindowFrame(window, includeDrawers, setSize, keepRightEdge, keepBottomEdge, animate, frame,
                            obtainedFrame);
}
