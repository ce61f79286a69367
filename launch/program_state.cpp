#include "launch/program_state.h"

#include "emulator/emulator_start.h"
#include "exitwatch/exit_watch.h"
#include "exitwatch/gamepads.h"

namespace tolvimer {

void ResetProgramState() {
  exitKey = kDefaultExitKey;
  windowSearch = WindowSearch{0, 0};
  gamePads = GamePadTable{};
}

}  // namespace tolvimer
