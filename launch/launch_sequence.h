// One launcher run, from the image path to the exit code.
#pragma once

#include "platform/platform.h"

namespace tolvimer {

// Runs every step of a launch for the image path `commandLine` (the whole
// command line after the launcher's own name, quotes and all). Gives 1 after
// a complete run, 0 when the command line is empty, the emulator cannot be
// started or its window is not found.
int RunLaunchSequence(Platform& os, Instance instance, const char* commandLine);

}  // namespace tolvimer
