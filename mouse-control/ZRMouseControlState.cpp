#include "mouse-control/ZRMouseControlState.h"

#include "toolkit/ZRCGEventWrapper.h"

ZRMouseControlState& ZRMouseControlState::shared() {
    static ZRMouseControlState state;
    return state;
}

void ZRMouseControlState::reset() {
    RunLoop::main().cancel(shared().movedEventTimer);
    shared() = ZRMouseControlState();
}
