#include "mouse-control/ZRMouseControlState.h"

#include "toolkit/ZRCGEventWrapper.h"

ZRMouseControlState& ZRMouseControlState::shared() {
    static ZRMouseControlState state;
    return state;
}

void ZRMouseControlState::reset() {
    RunLoop::main().cancel(shared().movedEventTimer);
    shared() = ZRMouseControlState();
    ++hoverGesture();
}

void ZRMouseControlState::setHoveredWindow(AXElementRef window) {
    if (AXElementsEqual(window, hoveredWindow))
        return;
    hoveredWindow = std::move(window);
    ++hoverGesture();
}

std::atomic<std::uint64_t>& ZRMouseControlState::hoverGesture() {
    static std::atomic<std::uint64_t> gesture{0};
    return gesture;
}
