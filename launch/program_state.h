// The launcher's program-wide state: the exit key, the window search record
// and the gamepad table.
#pragma once

namespace tolvimer {

// Puts the program-wide state back as a new process has it, so that a tool or
// test that runs the launch sequence several times in one process starts each
// run as the launcher does.
void ResetProgramState();

}  // namespace tolvimer
