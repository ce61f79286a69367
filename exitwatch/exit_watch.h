// Watching for the end of play: the emulator exits, the exit key is pressed
// or the gamepad exit combination is held.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// The gamepad exit combination of [GamePadExit]: wanted[0..31] are buttons 1
// to 32, wanted[32..35] are Up, Right, Down and Left.
struct ExitCombo {
  std::uint8_t enabled;
  std::uint8_t wanted[36];
  std::int32_t wantedCount;
};

// The keys of [GamePadExit] in the order they are read, with the input each
// switches on (an index of `ExitCombo::wanted`).
struct ComboKey {
  const char* key;
  int input;
};
inline constexpr ComboKey kComboKeys[] = {
    {"Up", 32},     {"Right", 33},   {"Down", 34},     {"Left", 35},
    {"Button1", 0}, {"Button2", 1},  {"Button3", 2},   {"Button4", 3},
    {"Button5", 4}, {"Button6", 5},  {"Button7", 6},   {"Button8", 7},
    {"Button9", 8}, {"Button10", 9}, {"Button11", 10}, {"Button12", 11},
};

// The exit key a new process starts with: 27, Escape.
constexpr std::int8_t kDefaultExitKey = 27;
// The key polled during the watch; Escape until [General] Exit changes it.
extern std::int8_t exitKey;

// [General] Exit: the exit key becomes the character code of that virtual key.
void ReadExitKey(Settings& settings);
// Fills the combination from [GamePadExit].
ExitCombo ReadExitCombo(Settings& settings);
// The held (pad, wanted input) pairs over all pads, as the last poll left them.
std::int32_t CountComboPresses(const ExitCombo& combo);
// Returns when play has ended and the gamepads are released.
void WatchForExit(Platform& os, Instance instance, OsHandle process, ExitCombo& combo);

}  // namespace tolvimer
