#pragma once

#include "platform/sim/SimProcesses.h"

class SimSystemPreferences;

// The preferences tool run on the simulated desktop: the same commands as the real one
// (platform/foundation/PreferencesTool.h), on the simulated preferences.
SimProgramBehaviour runSimPreferencesTool(SimSystemPreferences& preferences, const QStringList& arguments);
