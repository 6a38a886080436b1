#include "window-access/WindowFrameSetting.h"

#include "platform/Platform.h"
#include "platform/PlatformLog.h"
#include "platform/Screens.h"
#include "platform/foundation/RunLoop.h"
#include "window-access/Coordinates.h"
#include "window-access/WindowAccessClock.h"
#include "window-access/WindowAccessDefaults.h"
#include "window-access/WindowElements.h"

#include <cmath>
#include <memory>

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

// Asks every window for its frame at once where the desktop can; one result per request.
std::vector<AXError> sendFrames(const std::vector<AXFrameRequest>& requests) {
    if (requests.size() == 1 || !Platform::hasCurrent()) {
        std::vector<AXError> results;
        for (const AXFrameRequest& request : requests)
            results.push_back(request.window->setFrame(request.origin, request.size));
        return results;
    }
    return Platform::current().accessibility().setWindowFrames(requests);
}

double eased(double progress) {
    return progress * progress * (3 - 2 * progress);
}

Rect interpolated(const Rect& from, const Rect& to, double progress) {
    const auto mix = [progress](double a, double b) { return std::round(a + (b - a) * progress); };
    return {mix(from.x(), to.x()), mix(from.y(), to.y()), mix(from.width(), to.width()),
            mix(from.height(), to.height())};
}

// One window on its way to its frame.
struct Placement {
    const ZRWindowFrameRequest* request = nullptr;
    Rect start;
    Insets insets;
    Rect target;
    // Where the window is asked to put its top left: the target's, or, once the window has shown that
    // it keeps another size, where that size keeps the right or bottom edge. Later attempts ask for it
    // at once, so that the window does not go back and forth between the two.
    Point origin;
    // The size the window is asked for: the target's, or, once the window has answered a request with a
    // size of its own (its size steps, a minimum), that size. Asking again for one it will round only
    // invites the window manager to place it by the size it was asked (openbox keeps such a window on
    // screen by the unrounded size and moves it off the kept edge).
    Size size;
    Rect current;
    std::optional<Rect> previous;
    bool active = true;
    bool reached = false;
    bool settled = false;
    // A later animation took the window over: this one lets it be and reports nothing about it.
    bool superseded = false;
    int attempts = 0;
    QString failure;
    // Debug logging was on when the frame was proposed: the setting is read once per call.
    bool debugLog = false;
};

// The frames between are due this long apart, the first at once; the targets are set when the last
// interval has passed.
constexpr double kAnimationInterval = kAnimationDuration / (kAnimationSteps - 1);

// The windows that move at all.
std::vector<Placement*> movingPlacements(std::vector<Placement*> placements) {
    std::erase_if(placements, [](const Placement* p) {
        return !p->request->options.animate || nearlyEqual(p->start, p->target);
    });
    return placements;
}

// Sends every moving window its frame of the step (1 to kAnimationSteps - 1); a window that refuses one
// stops moving.
void sendStep(std::vector<Placement*>& moving, int step) {
    std::erase_if(moving, [](const Placement* p) { return p->superseded; });
    if (moving.empty())
        return;
    std::vector<AXFrameRequest> requests;
    for (const Placement* p : moving) {
        const Rect frame =
            interpolated(p->start, p->target, eased(static_cast<double>(step) / kAnimationSteps));
        requests.push_back({p->request->window, frame.origin,
                            p->request->options.setSize ? std::optional<Size>(frame.size) : std::nullopt});
    }
    const auto errors = sendFrames(requests);
    std::vector<Placement*> still;
    for (std::size_t i = 0; i < moving.size(); ++i)
        if (errors[i] == AXError::Success)
            still.push_back(moving[i]);
    moving = std::move(still);
}

// Moves the windows through the frames between, ending when the last of them is due; the targets
// themselves are set by the verified attempts that follow. This thread waits between the steps: off the
// main thread only (ZRSetWindowFramesAnimated does the same on the run loop).
void animate(std::vector<Placement*> moving) {
    moving = movingPlacements(std::move(moving));
    if (moving.empty())
        return;
    const double start = WindowAccessClock::now();
    for (int step = 1; step < kAnimationSteps && !moving.empty(); ++step) {
        if (step > 1)
            WindowAccessClock::waitUntil(start + (step - 1) * kAnimationInterval);
        sendStep(moving, step);
    }
    WindowAccessClock::waitUntil(start + kAnimationDuration);
}

// The top left that keeps the target's kept edges where they are for a window of that size.
Point keptEdgeOrigin(const Placement& p, const Size& size) {
    Point origin = p.target.origin;
    if (p.request->options.keepRightEdge)
        origin.x = p.target.maxX() - size.width;
    if (p.request->options.keepBottomEdge)
        origin.y = p.target.maxY() - size.height;
    return origin;
}

// One attempt for every window still on its way: all requests first, then the corrections of kept
// edges, then the frames read back.
void attempt(std::vector<Placement*>& active) {
    std::erase_if(active, [](const Placement* p) { return p->superseded; });
    if (active.empty())
        return;
    std::vector<AXFrameRequest> requests;
    for (const Placement* p : active)
        requests.push_back({p->request->window, p->origin,
                            p->request->options.setSize ? std::optional<Size>(p->size) : std::nullopt});
    std::vector<AXError> errors = sendFrames(requests);

    // A window that keeps a size of its own grows or shrinks from its top left; move it so that the
    // kept edges stay where the target has them.
    std::vector<AXFrameRequest> corrections;
    std::vector<std::size_t> corrected;
    for (std::size_t i = 0; i < active.size(); ++i) {
        Placement& p = *active[i];
        const ZRWindowFrameRequest& request = *p.request;
        if (errors[i] != AXError::Success || !request.options.setSize ||
            !(request.options.keepRightEdge || request.options.keepBottomEdge))
            continue;
        AXValue value;
        if (request.window->copyAttributeValue(AX::SizeAttribute, value) != AXError::Success)
            continue;
        const Size* obtained = std::get_if<Size>(&value);
        if (!obtained)
            continue;
        const Point origin = keptEdgeOrigin(p, *obtained);
        if (origin == p.origin)
            continue;
        p.origin = origin;
        corrections.push_back({request.window, origin, std::nullopt});
        corrected.push_back(i);
    }
    if (!corrections.empty()) {
        const auto correctionErrors = sendFrames(corrections);
        for (std::size_t k = 0; k < corrected.size(); ++k)
            errors[corrected[k]] = correctionErrors[k];
    }

    for (std::size_t i = 0; i < active.size(); ++i) {
        Placement& p = *active[i];
        ++p.attempts;
        const auto read = ZRCopyWindowFrame(p.request->window, false);
        if (read)
            p.current = *read;
        if (errors[i] != AXError::Success) {
            p.failure = errorText(errors[i]);
            p.active = false;
            continue;
        }
        if (!read) {
            p.failure = QStringLiteral("its frame cannot be read back");
            p.active = false;
            continue;
        }
        const Rect expected = p.request->options.setSize ? p.target : Rect(p.target.origin, p.current.size);
        if (p.request->options.setSize &&
            !nearlyEqual(Rect(Point(), p.current.size), Rect(Point(), p.target.size)) &&
            !nearlyEqual(Rect(Point(), p.current.size), Rect(Point(), p.start.size)))
            p.size = p.current.size;
        if (nearlyEqual(p.current, expected)) {
            p.reached = true;
            p.active = false;
        } else if (p.previous && nearlyEqual(p.current, *p.previous)) {
            // Some windows ignore a first request, so only two attempts in a row that end alike mean
            // it settled.
            p.settled = true;
            p.active = false;
        } else {
            p.previous = p.current;
        }
    }
    std::erase_if(active, [](const Placement* p) { return !p->active; });
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

// Reads where each window starts and what it is to become; the placements of the windows that can be
// set, in the order of the requests.
std::vector<Placement*> prepare(const std::vector<ZRWindowFrameRequest>& requests,
                                std::vector<Placement>& placements) {
    placements.assign(requests.size(), Placement());
    const bool debugLog = WindowAccessDefaults::debugLogEnabled();
    std::vector<Placement*> active;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const ZRWindowFrameRequest& request = requests[i];
        Placement& p = placements[i];
        p.request = &request;
        p.active = false;
        if (!request.window)
            continue;
        const Rect& frame = request.frame;
        if (!frame.isFinite() || (request.options.setSize && frame.isEmpty())) {
            platformLog(
                QStringLiteral("cannot set window frame: invalid frame %1").arg(stringFromRect(frame)));
            continue;
        }
        const auto start = ZRCopyWindowFrame(request.window, false);
        if (!start) {
            platformLog(QStringLiteral("cannot set window frame: its frame cannot be read"));
            continue;
        }
        p.start = *start;
        p.current = *start;
        p.insets = request.options.includeDrawers ? drawerInsets(request.window, *start) : Insets{};
        p.target = inset(frame, p.insets);
        if (!request.options.setSize)
            p.target.size = start->size;
        if (p.target.isEmpty()) {
            platformLog(QStringLiteral("cannot set window frame: %1 leaves no room beside the drawers")
                            .arg(stringFromRect(frame)));
            continue;
        }
        p.origin = p.target.origin;
        p.size = p.target.size;
        p.active = true;
        active.push_back(&p);
        p.debugLog = debugLog;
        if (debugLog)
            WindowAccessDefaults::writeDebugLog(
                QStringLiteral("set window frame: proposed %1").arg(stringFromRect(frame)));
    }
    return active;
}

// The verified attempts of the windows still on their way, then what each request came to.
ZRWindowFramesResult finish(std::vector<Placement>& placements, const std::vector<Placement*>& started,
                            std::vector<Placement*> active) {
    for (int round = 1; round <= kMaximumAttempts && !active.empty(); ++round)
        attempt(active);

    ZRWindowFramesResult result;
    result.set.assign(placements.size(), false);
    result.obtained.assign(placements.size(), std::nullopt);
    for (Placement* p : started) {
        const std::size_t i = static_cast<std::size_t>(p - placements.data());
        if (p->superseded) {
            result.set[i] = true;
            continue;
        }
        const Rect obtained = outset(p->current, p->insets);
        result.obtained[i] = obtained;
        if (p->debugLog)
            WindowAccessDefaults::writeDebugLog(
                QStringLiteral("set window frame: obtained %1 after %2 attempts")
                    .arg(stringFromRect(obtained))
                    .arg(p->attempts));
        if (!p->failure.isEmpty()) {
            platformLog(QStringLiteral("cannot set window frame: %1").arg(p->failure));
            continue;
        }
        // A window that ends where it began while it was asked elsewhere did not take the frame at all.
        result.set[i] = p->reached || (p->settled && !nearlyEqual(p->current, p->start));
    }
    return result;
}

// One animation under way on the run loop.
struct Animation {
    std::vector<ZRWindowFrameRequest> requests;
    std::vector<Placement> placements;
    std::vector<Placement*> started;
    std::vector<Placement*> moving;
    ZRWindowFramesHandler handler;
};

// The animations under way, so that a new one can take their windows over.
std::vector<std::weak_ptr<Animation>>& animations() {
    static std::vector<std::weak_ptr<Animation>> list;
    return list;
}

void takeOver(const std::vector<Placement*>& windows) {
    auto& list = animations();
    std::erase_if(list, [](const std::weak_ptr<Animation>& animation) { return animation.expired(); });
    for (const auto& weak : list) {
        const auto animation = weak.lock();
        for (Placement& p : animation->placements)
            for (const Placement* taking : windows)
                if (p.active && !p.superseded && AXElementsEqual(p.request->window, taking->request->window))
                    p.superseded = true;
    }
}

void runStep(const std::shared_ptr<Animation>& animation, int step) {
    const bool moved = !animation->moving.empty();
    sendStep(animation->moving, step);
    if (step + 1 < kAnimationSteps && !animation->moving.empty()) {
        RunLoop::main().schedule(
            kAnimationInterval, [animation, step] { runStep(animation, step + 1); }, CommonRunLoopModes);
        return;
    }
    // The last frame between was shown, or no window moves any more: the targets come when it has stood
    // as long as the others did; at once when nothing moved.
    RunLoop::main().schedule(
        moved ? kAnimationDuration - (step - 1) * kAnimationInterval : 0,
        [animation] {
            std::vector<Placement*> active;
            for (Placement* p : animation->started)
                if (p->active)
                    active.push_back(p);
            const ZRWindowFramesResult result = finish(animation->placements, animation->started, active);
            if (animation->handler)
                animation->handler(result);
        },
        CommonRunLoopModes);
}

} // namespace

std::vector<bool> ZRSetWindowFrames(const std::vector<ZRWindowFrameRequest>& requests,
                                    std::vector<std::optional<Rect>>* obtainedFrames) {
    std::vector<Placement> placements;
    std::vector<Placement*> active = prepare(requests, placements);
    const std::vector<Placement*> started = active;
    animate(active);
    ZRWindowFramesResult result = finish(placements, started, active);
    if (obtainedFrames)
        *obtainedFrames = std::move(result.obtained);
    return result.set;
}

void ZRSetWindowFramesAnimated(std::vector<ZRWindowFrameRequest> requests, ZRWindowFramesHandler handler) {
    auto animation = std::make_shared<Animation>();
    animation->requests = std::move(requests);
    animation->handler = std::move(handler);
    animation->started = prepare(animation->requests, animation->placements);
    takeOver(animation->started);
    animations().push_back(animation);
    animation->moving = movingPlacements(animation->started);
    runStep(animation, 1);
}

bool ZRSetWindowFrame(const AXElementRef& window, const ZRWindowFrameOptions& options, const Rect& frame,
                      Rect* obtainedFrame) {
    std::vector<std::optional<Rect>> obtained;
    const bool set = ZRSetWindowFrames({{window, frame, options}}, &obtained).front();
    if (obtainedFrame && obtained.front())
        *obtainedFrame = *obtained.front();
    return set;
}

bool ZRSetWindowFrameViaVisibleFrame(const AXElementRef& window, const ZRWindowFrameOptions& options,
                                     const Rect& frame, Rect* obtainedFrame) {
    if (const auto current = ZRCopyWindowFrame(window, options.includeDrawers)) {
        const double primaryHeight = ZRPrimaryScreenHeight();
        const Rect cocoaFrame = ZRFlipRect(*current, primaryHeight);
        const auto visibleFrame = visibleFrameOfScreenOf(cocoaFrame);
        if (visibleFrame && !visibleFrame->isEmpty() && !visibleFrame->contains(cocoaFrame)) {
            const Rect confined = ZRFlipRect(ZRConfineFrame(cocoaFrame, *visibleFrame), primaryHeight);
            // Only a help for the frame set below, which answers for both.
            if (!nearlyEqual(confined, *current))
                (void)ZRSetWindowFrame(window, {.includeDrawers = options.includeDrawers, .setSize = false},
                                       confined);
        }
    }
    return ZRSetWindowFrame(window, options, frame, obtainedFrame);
}
