#include "toolkit/RunLoopExtensions.h"

void performSelectorInCommonModesAfterDelay(const void* target, const char* selector, const void* argument,
                                            double delaySeconds, RunLoop::Task task, RunLoop& runLoop) {
    runLoop.perform(target, selector, argument, delaySeconds, std::move(task), CommonRunLoopModes);
}
