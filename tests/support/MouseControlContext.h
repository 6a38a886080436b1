#pragma once

#include "actions/ZRActionManager.h"
#include "mouse-control/ZRFocusWindow.h"
#include "mouse-control/ZRMouseControlContext.h"
#include "mouse-control/ZRSystemWindowSettings.h"
#include "platform/Platform.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRMainController.h"
#include "window-access/WindowObserver.h"

// Mouse control on the desktop in place and the settings given, with the action store, the main controller,
// the focus window and the desktop's window settings the test installed, asked for when mouse control first
// needs them, as the program's are. The settings must stay while the controller lives: a test that opens
// other settings makes its controller afterwards.
inline ZRMouseControlContext mouseControlContext(UserDefaults& defaults) {
    return {Platform::current(),
            defaults,
            RunLoop::main(),
            DispatchQueue::global(QueuePriority::High),
            NotificationCenter::defaultCenter(),
            ZRWindowObserver::defaultObserver(),
            &ZRFocusWindow::defaultFocusWindow,
            &ZRSystemWindowSettings::shared,
            &ZRActionManager::actionManager,
            &ZRMainController::mainController};
}
