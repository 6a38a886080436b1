#include "toolkit/RunLoopExtensions.h"

void performSelectorInCommonModesAfterDelay(const void* target, const char* selector, const void* argument,
                                            double delaySeconds, RunLoop::Task task) {
    RunLoop::main().perform(target, selector, argument, delaySeconds, std::move(task), CommonRunLoopModes);
}
