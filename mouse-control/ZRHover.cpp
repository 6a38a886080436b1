#include "mouse-control/ZRHover.h"

#include "mouse-control/ZRMouseControlDefaults.h"
#include "mouse-control/ZRMouseControlPalette.h"
#include "mouse-control/ZRMouseControlSettingsControls.h"
#include "mouse-control/ZRMouseController.h"
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
    explicit Worker(FrameSetter setter) : setFrame(std::move(setter)) {}

    const FrameSetter setFrame;
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
};

ZRHover::ZRHover(ZRMouseController& controller, ZRHoverGesture& gesture, FrameSetter setFrame)
    : m_controller(controller), m_context(controller.context()), m_gesture(gesture),
      m_worker(std::make_shared<Worker>(setFrame ? std::move(setFrame) : FrameSetter(setWindowFrame))) {
    m_worker->owner = this;
}

ZRHover::~ZRHover() {
    m_worker->owner = nullptr;
    m_gesture.end();
    // A window is not left half set when the program quits (position taken, size not yet).
    std::unique_lock lock(m_worker->mutex);
    m_worker->idle.wait(lock, [this] { return !m_worker->setting; });
}

void ZRHover::moveOrResize(ZRHoverMode mode, const TapEvent* event) {
    if (m_controller.palette().isShowingOverlay())
        return;
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
    setFrame(mode,
             m_state.geometry.frameForStep(mode, m_state.startFrame, std::round(m_state.accumulatedDx),
                                           std::round(m_state.accumulatedDy), m_state.resizeFromLeft,
                                           m_state.resizeFromTop),
             !event);
}

void ZRHover::beginGesture(ZRHoverMode mode, const TapEvent& event) {
    std::optional<WindowListEntry> entry;
    bool exactMatch = false;
    if (!shouldProcessTappedMouseEventAtLocation(event.location, false, nullptr, &entry, &exactMatch))
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
    m_state.geometry = ZRHoverGeometry::forStartFrame(*frame);
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

void ZRHover::setFrame(ZRHoverMode mode, const Rect& frame, bool retry) {
    const AXElementRef& window = m_gesture.window();
    const bool setSize = mode == ZRHoverModeResize;
    if (m_state.ownWindow) {
        m_worker->setFrame(window, setSize, frame);
        return;
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
        return;
    }

    m_worker->inFlight.store(true, std::memory_order_relaxed);
    // The worker asks the gesture's ticket, never the hovered window, which the main thread writes.
    DispatchQueue::global(QueuePriority::High)
        .async([worker = m_worker, window = AXElementRef(window), mode, frame, setSize, retry,
                gesture = m_gesture.ticket()]() mutable {
            Request request;
            request.mode = mode;
            request.frame = frame;
            request.retry = retry;
            request.began = steadySeconds();
            {
                std::lock_guard lock(worker->mutex);
                request.set = gesture.isCurrent();
                worker->setting = request.set;
            }
            if (request.set) {
                worker->setFrame(window, setSize, frame);
                {
                    std::lock_guard lock(worker->mutex);
                    worker->setting = false;
                }
                worker->idle.notify_all();
            }
            window.reset();
            request.ended = steadySeconds();
            worker->inFlight.store(false, std::memory_order_release);
            if (worker->observed.load(std::memory_order_relaxed))
                RunLoop::main().performOnMainThread([worker, request] {
                    if (worker->owner)
                        worker->owner->requestDidFinish(request);
                });
        });
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
