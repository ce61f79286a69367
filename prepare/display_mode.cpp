#include "prepare/display_mode.h"

namespace tolvimer {

// Filled in with the display mode switch.
void SetDisplayMode(Platform&, std::uint32_t, std::uint32_t) {}
void SwitchDisplayMode(Settings&) {}
void RestoreDisplayMode(Settings&) {}

}  // namespace tolvimer
