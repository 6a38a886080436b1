#include "toolkit/MouseLocation.h"

#include "platform/InputState.h"
#include "platform/Platform.h"
#include "platform/Screens.h"

Point zeroBasedMouseLocation() {
    if (!Platform::hasCurrent())
        return {};
    Platform& platform = Platform::current();
    const auto screens = platform.screens().screens();
    const double primaryHeight = screens.empty() ? 0 : screens.front().frame.height();
    const Point quartz = platform.inputState().pointerLocation();
    return {quartz.x, primaryHeight - quartz.y - 1};
}
