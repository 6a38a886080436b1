#pragma once

#include "platform/foundation/RunLoop.h"

// Performs the task on the run loop after the delay in the default, modal-panel and event-tracking modes, so
// it also runs while a menu is open. Target, selector and argument name the request, for
// RunLoop::cancelPreviousPerformRequests.
void performSelectorInCommonModesAfterDelay(const void* target, const char* selector, const void* argument,
                                            double delaySeconds, RunLoop::Task task, RunLoop& runLoop);
