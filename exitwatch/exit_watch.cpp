#include "exitwatch/exit_watch.h"

namespace tolvimer {

std::int8_t exitKey = 27;

// Filled in with the exit watch.
void ReadExitKey(Settings&) {}
ExitCombo ReadExitCombo(Settings&) { return ExitCombo{}; }
void WatchForExit(Platform&, Instance, OsHandle, ExitCombo&) {}

}  // namespace tolvimer
