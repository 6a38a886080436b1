#pragma once

#include "keyboard-control/ZRKeyboardControlContext.h"
#include "mouse-control/ZRFocusWindow.h"
#include "platform/Platform.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "window-access/WindowObserver.h"

#include <memory>

// Keyboard control's context on the test's desktop and settings, as the program's main hands it over.
inline std::unique_ptr<ZRKeyboardControlContext> keyboardControlContext(Platform& platform,
                                                                        UserDefaults& defaults) {
    return std::make_unique<ZRKeyboardControlContext>(
        ZRKeyboardControlContext{platform, defaults, RunLoop::main(), &ZRFocusWindow::defaultFocusWindow,
                                 ZRWindowObserver::defaultObserver()});
}
