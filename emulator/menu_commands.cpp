#include "emulator/menu_commands.h"

namespace tolvimer {

// Filled in with the emulator command table.
void SendMenuCommand(Platform&, std::uint16_t) {}
void SendMenuCommandIf(Platform&, const char*, const char*, std::uint16_t) {}
void PostCommandRows(Settings&, const char*, int, int) {}

}  // namespace tolvimer
