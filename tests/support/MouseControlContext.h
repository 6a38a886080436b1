#pragma once

#include "actions/ZRActionManager.h"
#include "mouse-control/ZRMouseControlContext.h"
#include "platform/Platform.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "shell/ZRMainController.h"
#include "window-access/WindowObserver.h"

// Mouse control on the desktop in place and the settings given, with the action store and the main
// controller made when it first asks for them, as the program's are. The settings must stay while the
// controller lives: a test that opens other settings makes its controller afterwards.
inline ZRMouseControlContext mouseControlContext(UserDefaults& defaults) {
    return {Platform::current(),
            defaults,
            RunLoop::main(),
            NotificationCenter::defaultCenter(),
            ZRWindowObserver::defaultObserver(),
            &ZRActionManager::actionManager,
            &ZRMainController::mainController};
}

// The same on the settings installed as the program's, for the tests that do not hand theirs yet.
inline ZRMouseControlContext mouseControlContext() {
    return mouseControlContext(UserDefaults::standard());
}
