// Key taps to the emulator and the shaping of its window.
#pragma once

#include <cstdint>

#include "launch/settings.h"
#include "platform/platform.h"

namespace tolvimer {

// A key-down and a key-up of the virtual key with the given scan code.
void TapKey(Platform& os, std::uint8_t virtualKey, std::uint8_t scanCode);
// TapKey with the key's own scan code.
void TapVirtualKey(Platform& os, std::uint8_t virtualKey);
// With [General] FullScreen "true": hides the emulator window.
void HideIfFullScreen(Settings& settings);
// Brings the emulator window to the top.
void BringEmulatorToTop(Platform& os);
// With [General] ForceFull "true": strips the window and stretches it over the screen.
void TakeOverWindow(Settings& settings);
// Steps the emulator's CPU setting toward the game section's CPU value.
void StepCpuSpeed(Settings& settings, const char* gameSection);

}  // namespace tolvimer
