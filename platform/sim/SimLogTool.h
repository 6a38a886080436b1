#pragma once

#include <memory>

class SimChildProcess;

// The log tool run in process on the simulated desktop: the same commands and answers as the real one
// (platform/foundation/LogTool.h), on the program's log files as the environment names them when it
// starts. A stream looks at the file every second of the main run loop, so a test's clock drives it,
// and ends when the program stops it.
void runSimLogTool(const std::shared_ptr<SimChildProcess>& child);
