#include "toolkit/MouseLocation.h"

#include "platform/InputState.h"
#include "platform/Platform.h"
#include "window-access/Coordinates.h"

Point zeroBasedMouseLocation() {
    if (!Platform::hasCurrent())
        return {};
    const Point cocoa = ZRFlipPoint(Platform::current().inputState().pointerLocation());
    return {cocoa.x, cocoa.y - 1};
}
