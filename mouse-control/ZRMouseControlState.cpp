#include "mouse-control/ZRMouseControlState.h"

#include "toolkit/ZRCGEventWrapper.h"

ZRMouseControlState& ZRMouseControlState::shared() {
    static ZRMouseControlState state;
    return state;
}

void ZRMouseControlState::reset() {
    shared() = ZRMouseControlState();
}
