#include "emulator/window_control.h"

#include "emulator/emulator_start.h"

namespace tolvimer {

void BringEmulatorToTop(Platform& os) { os.BringWindowToTop(EmulatorWindow()); }

// Filled in with the key taps and the window takeover.
void TapKey(Platform&, std::uint8_t, std::uint8_t) {}
void TapVirtualKey(Platform&, std::uint8_t) {}
void HideIfFullScreen(Settings&) {}
void TakeOverWindow(Settings&) {}
void StepCpuSpeed(Settings&, const char*) {}

}  // namespace tolvimer
