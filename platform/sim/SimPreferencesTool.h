#pragma once

#include "platform/sim/SimProcesses.h"

class SimSystemPreferences;

// The simulated preferences tool, a stand-in for the system's own that understands what the
// program writes with it: "write <domain> <key> -bool YES|NO", "write <domain> <key> -int N" and
// "delete <domain> <key>", with "-g" for the global domain. Anything else fails and changes nothing.
SimProgramBehaviour runSimPreferencesTool(SimSystemPreferences& preferences, const QStringList& arguments);
