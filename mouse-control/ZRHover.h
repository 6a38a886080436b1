#pragma once

#include "mouse-control/ZRHoverGesture.h"
#include "mouse-control/ZRHoverState.h"
#include "mouse-control/ZRMouseControlHover.h"
#include "platform/Accessibility.h"
#include "platform/foundation/RunLoop.h"

#include <functional>
#include <memory>

class ZRMouseController;
struct ZRMouseControlContext;

// Hover move and resize: while the hover keys are held, the window under the pointer follows the mouse, or
// is resized by it. The window is found when the gesture begins; every step sets the start frame changed by
// the pointer's summed movement. Our own windows take their frame at once. Other applications' windows take
// it on the high-priority worker, one request at a time, so a slow application holds up neither the tap nor
// the main thread: a step that finds a request running leaves a retry RetryDelay later, which takes the
// newest sums. Main thread, apart from that request.
class ZRHover : public ZRMouseControlHover {
public:
    static constexpr double RetryDelay = 0.05;

    // Sets a window's frame (Quartz), its size too when asked, and answers whether the window took it. Runs
    // on the worker for other applications' windows.
    using FrameSetter = std::function<bool(const AXElementRef& window, bool setSize, const Rect& frame)>;

    // What became of one request for another application's window: whether a retry sent it; not set when
    // its gesture had ended before the worker came to it; began and ended on a steady clock (seconds), on
    // the worker.
    struct Request {
        ZRHoverMode mode = ZRHoverModeMove;
        Rect frame;
        bool retry = false;
        bool set = false;
        double began = 0;
        double ended = 0;
    };
    // Told on the main thread after each request has finished (diagnostics and benchmarks).
    using RequestObserver = std::function<void(const Request&)>;

    // The controller and the gesture outlive the part. Without a setter, frames are set by ZRSetWindowFrame.
    ZRHover(ZRMouseController& controller, ZRHoverGesture& gesture, FrameSetter setFrame = nullptr);
    // Ends a running gesture, and lets a request that is setting a frame finish first.
    ~ZRHover() override;
    ZRHover(const ZRHover&) = delete;
    ZRHover& operator=(const ZRHover&) = delete;

    void moveOrResize(ZRHoverMode mode, const TapEvent* event) override;
    bool followsMotion() const override { return m_following != nullptr; }
    void updateHoverResizeModeSelector() override;
    // The retries: a step of the running gesture without a new event.
    void moveHoveredWindowAfterDelay();
    void resizeHoveredWindowAfterDelay();

    const ZRHoverState& state() const { return m_state; }
    // Another application's window is being given a frame on the worker; it outlasts the gesture that
    // started it. From any thread.
    bool requestInFlight() const;
    void setRequestObserver(RequestObserver observer);

private:
    struct Worker;
    struct Follow;

    void beginGesture(ZRHoverMode mode, const TapEvent& event);
    // Whether a request went out for the step now (not left to a retry).
    bool setFrame(ZRHoverMode mode, const Rect& frame, bool retry);
    // The motions of another application's window's gesture are followed on the worker where the platform
    // can and nothing on the main thread needs them.
    void followOnWorker(ZRHoverMode mode);
    void endFollowing();
    void requestDidFinish(const Request& request);

    ZRMouseController& m_controller;
    const ZRMouseControlContext& m_context;
    ZRHoverGesture& m_gesture;
    ZRHoverState m_state;
    std::shared_ptr<Worker> m_worker;
    RequestObserver m_requestObserver;
    // A step that came while the window was still busy with the last one, one per mode.
    PendingPerform m_moveRetry;
    PendingPerform m_resizeRetry;
    // The steps the worker takes meanwhile; its sums come back to the state at the next step here.
    std::shared_ptr<Follow> m_follow;
    std::unique_ptr<MotionFollowing> m_following;
};
