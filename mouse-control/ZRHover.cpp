#include "mouse-control/ZRHover.h"

#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlPalette.h"
#include "mouse-control/ZRMouseControlSettingsControls.h"
#include "mouse-control/ZRMouseController.h"
#include "mouse-control/ZRMouseEventTapCallback.h"
#include "mouse-control/ZRWindowFilter.h"
#include "platform/Platform.h"
#include "platform/Workspace.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "toolkit/ZRLog.h"
#include "window-access/WindowElements.h"
#include "window-access/WindowFrameSetting.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>

namespace {

// "Hover Resize: Corner": the corner nearest the pointer.
constexpr std::int64_t ResizeNearestCorner = 1;

double steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool setWindowFrame(const AXElementRef& window, bool setSize, const Rect& frame) {
    return ZRSetWindowFrame(window, {.setSize = setSize}, frame);
}

QString applicationDescription(Platform& platform, pid_t processIdentifier) {
    const auto application = platform.workspace().applicationWithProcessIdentifier(processIdentifier);
    if (!application)
        return QStringLiteral("(unknown, %1)").arg(processIdentifier);
    return QStringLiteral("%1 (%2, %3)")
        .arg(application->localizedName, application->bundleIdentifier)
        .arg(processIdentifier);
}

} // namespace

// What the worker shares with the main thread: how frames are set, and whether one is being set now. It
// reaches the part only on the main thread, and only while the part lives.
struct ZRHover::Worker {
    Worker(FrameSetter setter, RunLoop& mainRunLoop)
        : setFrame(std::move(setter)), mainRunLoop(mainRunLoop) {}

    const FrameSetter setFrame;
    RunLoop& mainRunLoop;
    std::mutex mutex;
    std::condition_variable idle;
    bool setting = false;
    ZRHover* owner = nullptr;
    // A request is queued or running. The worker clears it as the request ends, rather than the main thread
    // when told: a step comes for every motion, and a hand-over of its own would wake the main thread once
    // more for each.
    std::atomic<bool> inFlight{false};
    // Someone on the main thread is told of each request; only then does a request hand anything back.
    std::atomic<bool> observed{false};
    // Steps are numbered as they are taken, on either thread; requests run one at a time, and one for an
    // older step than the last set sets nothing: the worker's steps and a request from the main thread may
    // come to the window in either order.
    std::atomic<std::uint64_t> steps{0};
    std::mutex requestMutex;
    std::uint64_t lastStepSet = 0; // guarded by mutex

    // Sets the frame of a step unless its gesture has ended or a later step's frame is set; whether it did.
    bool set(const AXElementRef& window, bool setSize, const Rect& frame,
             const ZRHoverGesture::Ticket& gesture, std::uint64_t step) {
        std::lock_guard request(requestMutex);
        {
            std::lock_guard lock(mutex);
            if (!gesture.isCurrent() || step < lastStepSet)
                return false;
            lastStepSet = step;
            setting = true;
        }
        setFrame(window, setSize, frame);
        {
            std::lock_guard lock(mutex);
            setting = false;
        }
        idle.notify_all();
        return true;
    }
    // Tells the part of a request when someone is told (main thread).
    void finished(const std::shared_ptr<Worker>& self, const Request& request) {
        if (observed.load(std::memory_order_relaxed))
            self->mainRunLoop.performOnMainThread([self, request] {
                if (self->owner)
                    self->owner->requestDidFinish(request);
            });
    }
};

// What the worker needs to take the steps of a gesture by itself, and the sums it reaches.
struct ZRHover::Follow {
    Follow(AXElementRef window, ZRHoverMode mode, const ZRHoverState& state, ZRHoverGesture::Ticket gesture)
        : window(std::move(window)), mode(mode), state(state), gesture(std::move(gesture)),
          accumulatedDx(state.accumulatedDx), accumulatedDy(state.accumulatedDy) {}

    const AXElementRef window;
    const ZRHoverMode mode;
    const ZRHoverState state;
    const ZRHoverGesture::Ticket gesture;
    std::mutex mutex;
    double accumulatedDx; // guarded by mutex
    double accumulatedDy;
};

ZRHover::ZRHover(ZRMouseController& controller, ZRHoverGesture& gesture, FrameSetter setFrame)
    : m_controller(controller), m_context(controller.context()), m_gesture(gesture),
      m_worker(std::make_shared<Worker>(setFrame ? std::move(setFrame) : FrameSetter(setWindowFrame),
                                        m_context.mainRunLoop)) {
    m_worker->owner = this;
}

ZRHover::~ZRHover() {
    endFollowing();
    m_worker->owner = nullptr;
    m_gesture.end();
    // A window is not left half set when the program quits (position taken, size not yet).
    std::unique_lock lock(m_worker->mutex);
    m_worker->idle.wait(lock, [this] { return !m_worker->setting; });
}

void ZRHover::moveOrResize(ZRHoverMode mode, const TapEvent* event) {
    if (m_controller.palette().isShowingOverlay())
        return;
    // A retry has nothing to add to the steps the worker takes; the next event ends them.
    if (m_following && !event)
        return;
    endFollowing();
    if (event && !m_gesture.window())
        beginGesture(mode, *event);
    if (!m_gesture.window() || m_state.startFrame.isEmpty())
        return;

    if (mode == ZRHoverModeMove) {
        m_gesture.noteMoveStep();
    } else if (m_state.firstResizeStep) {
        m_state.firstResizeStep = false;
        // Asked once per gesture. A window that cannot say sits still as one that refuses, for the whole
        // gesture, rather than being asked again at every step.
        bool settable = false;
        if (m_gesture.window()->isAttributeSettable(AX::SizeAttribute, settable) != AXError::Success ||
            !settable) {
            m_state.startFrame = Rect();
            return;
        }
    }
    if (event) {
        m_state.accumulatedDx += event->deltaX;
        m_state.accumulatedDy += event->deltaY;
    }
    const bool requested =
        setFrame(mode,
                 m_state.geometry.frameForStep(mode, m_state.startFrame, std::round(m_state.accumulatedDx),
                                               std::round(m_state.accumulatedDy), m_state.resizeFromLeft,
                                               m_state.resizeFromTop),
                 !event);
    // A move without deltas is where followed motions led (or a rest): the next motion follows again, once
    // the palette, which may show meanwhile, has been looked at here.
    if (requested && event && (event->deltaX != 0 || event->deltaY != 0))
        followOnWorker(mode);
}

void ZRHover::followOnWorker(ZRHoverMode mode) {
    const ZRMouseControlFeatures& features = m_controller.features();
    // Snapping takes every motion of a move on the main thread.
    if (mode == ZRHoverModeMove && features.snapsWindows())
        return;
    auto follow = std::make_shared<Follow>(m_gesture.window(), mode, m_state, m_gesture.ticket());
    // With the palette on, a rest of the pointer comes back here, which the palette waits for.
    const double rest = features.paletteOn ? ZRMinimumTappedMouseMovedDelay : 0;
    m_following = m_context.platform.eventStream().followMotion(
        [worker = m_worker, follow](const TapEvent& event) {
            Rect frame;
            {
                std::lock_guard lock(follow->mutex);
                follow->accumulatedDx += event.deltaX;
                follow->accumulatedDy += event.deltaY;
                const ZRHoverState& state = follow->state;
                frame = state.geometry.frameForStep(
                    follow->mode, state.startFrame, std::round(follow->accumulatedDx),
                    std::round(follow->accumulatedDy), state.resizeFromLeft, state.resizeFromTop);
            }
            Request request;
            request.mode = follow->mode;
            request.frame = frame;
            request.began = steadySeconds();
            request.set = worker->set(follow->window, follow->mode == ZRHoverModeResize, frame,
                                      follow->gesture, ++worker->steps);
            request.ended = steadySeconds();
            worker->finished(worker, request);
        },
        rest);
    if (m_following)
        m_follow = std::move(follow);
}

void ZRHover::endFollowing() {
    m_following.reset();
    if (!m_follow)
        return;
    // The worker's steps are over: the stream ends them before the main thread hears of anything after them.
    std::lock_guard lock(m_follow->mutex);
    if (m_follow->gesture.isCurrent()) {
        m_state.accumulatedDx = m_follow->accumulatedDx;
        m_state.accumulatedDy = m_follow->accumulatedDy;
    }
    m_follow.reset();
}

void ZRHover::beginGesture(ZRHoverMode mode, const TapEvent& event) {
    std::optional<WindowListEntry> entry;
    bool exactMatch = false;
    if (!shouldProcessTappedMouseEventAtLocation(event.location, false, nullptr, &entry, &exactMatch,
                                                 m_context.defaults))
        return;
    AXElementRef window = ZRWindowForWindowListEntry(event.location, entry ? &*entry : nullptr, exactMatch);
    if (!window)
        return;

    // A retry of an earlier gesture would take this one's sums.
    m_moveRetry.cancel();
    m_resizeRetry.cancel();
    m_state = ZRHoverState();
    m_gesture.begin(window);

    bool movable = false;
    if (window->isAttributeSettable(AX::Position, movable) != AXError::Success || !movable)
        return;
    const std::optional<Rect> frame = ZRCopyWindowFrame(window, false);
    if (!frame)
        return;
    m_state.startFrame = *frame;
    m_state.geometry = ZRHoverGeometry::forStartFrame(*frame, m_context.defaults);
    m_state.ownWindow = window->processIdentifier() == ::getpid();
    if (ZRDebugLogEnabled()) {
        if (m_state.ownWindow)
            ZRLog("[Debug] drag own window");
        else
            ZRLog("[Debug] drag window owned by application: %@",
                  applicationDescription(m_context.platform, window->processIdentifier()));
    }
    m_state.firstResizeStep = true;
    if (mode == ZRHoverModeResize &&
        m_context.defaults.integerForKey(ZRMouseControlDefault::HoverResizeCorner) == ResizeNearestCorner) {
        m_state.resizeFromLeft = event.location.x < frame->midX();
        m_state.resizeFromTop = event.location.y < frame->midY();
    }
}

bool ZRHover::setFrame(ZRHoverMode mode, const Rect& frame, bool retry) {
    const AXElementRef& window = m_gesture.window();
    const bool setSize = mode == ZRHoverModeResize;
    if (m_state.ownWindow) {
        m_worker->setFrame(window, setSize, frame);
        return false;
    }

    PendingPerform& retryRequest = mode == ZRHoverModeMove ? m_moveRetry : m_resizeRetry;
    retryRequest.cancel();
    if (m_worker->inFlight.load(std::memory_order_acquire)) {
        retryRequest = m_context.mainRunLoop.performLater(RetryDelay, [this, mode] {
            if (mode == ZRHoverModeMove)
                moveHoveredWindowAfterDelay();
            else
                resizeHoveredWindowAfterDelay();
        });
        return false;
    }

    m_worker->inFlight.store(true, std::memory_order_relaxed);
    // The worker asks the gesture's ticket, never the hovered window, which the main thread writes.
    m_context.hoverQueue.async([worker = m_worker, window = AXElementRef(window), mode, frame, setSize, retry,
                                gesture = m_gesture.ticket(), step = ++m_worker->steps]() mutable {
        Request request;
        request.mode = mode;
        request.frame = frame;
        request.retry = retry;
        request.began = steadySeconds();
        request.set = worker->set(window, setSize, frame, gesture, step);
        window.reset();
        request.ended = steadySeconds();
        worker->inFlight.store(false, std::memory_order_release);
        worker->finished(worker, request);
    });
    return true;
}

bool ZRHover::requestInFlight() const {
    return m_worker->inFlight.load(std::memory_order_acquire);
}

void ZRHover::setRequestObserver(RequestObserver observer) {
    m_requestObserver = std::move(observer);
    m_worker->observed = bool(m_requestObserver);
}

void ZRHover::requestDidFinish(const Request& request) {
    if (m_requestObserver)
        m_requestObserver(request);
}

void ZRHover::moveHoveredWindowAfterDelay() {
    moveOrResize(ZRHoverModeMove, nullptr);
}

void ZRHover::resizeHoveredWindowAfterDelay() {
    moveOrResize(ZRHoverModeResize, nullptr);
}

void ZRHover::updateHoverResizeModeSelector() {
    ZRMouseControlSettingsControls* controls = m_controller.settingsControls();
    if (!controls)
        return;
    const UserDefaults& defaults = m_context.defaults;
    const std::int64_t resize = defaults.integerForKey(ZRMouseControlDefault::HoverResize);
    controls->setHoverResizeModeSelectorEnabled(
        resize != 0 && resize != defaults.integerForKey(ZRMouseControlDefault::HoverMove));
}
