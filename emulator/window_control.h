// Key taps to the emulator and the shaping of its window.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// A key-down and a key-up of the virtual key with the given scan code.
void TapKey(Platform& os, std::uint8_t virtualKey, std::uint8_t scanCode);
// TapKey with the key's own scan code.
void TapVirtualKey(Platform& os, std::uint8_t virtualKey);
// Moves the mouse cursor to (screen width, screen height), where the system
// stops it in the bottom-right corner.
void ParkCursor(Platform& os);
// With [General] FullScreen "true": hides the emulator window.
void HideIfFullScreen(Settings& settings);
// Brings the emulator window to the top.
void BringEmulatorToTop(Platform& os);
// With [General] ForceFull "true": strips the window and stretches it over the screen.
void TakeOverWindow(Settings& settings);

// The taps that step the emulator's CPU setting from 100 to a CPU value.
struct CpuSteps {
  std::uint8_t virtualKey;  // VK_ADD above 100, VK_SUBTRACT below
  std::uint32_t count;      // 0 at exactly 100
};
// The whole 32-bit range has a count: the difference is taken in 64 bits.
CpuSteps CpuStepsFor(std::int32_t cpu);
// Steps the emulator's CPU setting toward the game section's CPU value. A
// game without a CPU value (absent or empty) is left as it is, like 100.
void StepCpuSpeed(Settings& settings, const char* gameSection);

}  // namespace tolvimer
