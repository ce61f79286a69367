// Watching for the end of play: the emulator exits, the exit key is pressed
// or the gamepad exit combination is held.
#pragma once

#include <cstdint>

#include "exitwatch/gamepads.h"
#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// The inputs of the gamepad exit combination: 0 to 31 are buttons 1 to 32,
// then the hat's four directions.
constexpr int kUp = 32, kRight = 33, kDown = 34, kLeft = 35, kComboInputs = 36;

// GetAsyncKeyState of the exit key. Bit 15: the key is down now; bit 0: it was
// pressed since the last query.
constexpr std::uint16_t kKeyPressedBits = 0x8001;
constexpr std::uint16_t kKeyDownBit = 0x8000;  // GetAsyncKeyState: down now

// The gamepad exit combination of [GamePadExit], one flag per input.
struct ExitCombo {
  std::uint8_t enabled;
  std::uint8_t wanted[kComboInputs];
  std::int32_t wantedCount;
};

// The keys of [GamePadExit] in the order they are read, with the input each
// switches on (an index of `ExitCombo::wanted`).
struct ComboKey {
  const char* key;
  int input;
};
inline constexpr ComboKey kComboKeys[] = {
    {"Up", kUp},    {"Right", kRight}, {"Down", kDown},  {"Left", kLeft},
    {"Button1", 0}, {"Button2", 1},    {"Button3", 2},   {"Button4", 3},
    {"Button5", 4}, {"Button6", 5},    {"Button7", 6},   {"Button8", 7},
    {"Button9", 8}, {"Button10", 9},   {"Button11", 10}, {"Button12", 11},
};

// Why the watch ended, as its last check found it; more than one cause can
// meet in that check.
struct WatchEnd {
  std::uint32_t checks = 0;  // the cycles of the watch
  bool emulatorEnded = false;
  std::uint32_t exitCode = win::kStillActive;  // the emulator's, once it ended
  bool exitKeyPressed = false;
  bool comboHeld = false;
  std::uint32_t swaps = 0;         // disc swaps made during the watch
  std::uint32_t swapsRefused = 0;  // asked for, but the disc mounted now stayed
  // Bit n: wanted input n was held on that pad at the last check.
  std::uint64_t heldInputs[MAX_GAMEPADS] = {};
};

// The exit key a new process starts with: 27, Escape.
constexpr std::int8_t kDefaultExitKey = 27;
// The key polled during the watch; Escape until [General] Exit changes it.
extern std::int8_t exitKey;

// Whether a pad's last poll shows the combination input `input` held.
bool IsInputHeld(const GamePadState& state, int input);

// What a disc swap does; the watch goes on once it returns. True when the
// discs were swapped.
using SwapDiscCallback = bool (*)(std::intptr_t param);

// The disc-swap key of [General] NextDisc and the combination of
// [GamePadNextDisc] (switched on by MapGamePadNextDisc), both checked at each
// cycle of the watch, and the swap they ask for.
struct SwapKeys {
  std::uint8_t key = 0;  // the virtual key polled; 0: no key
  ExitCombo combo{};
  SwapDiscCallback swap = nullptr;
  std::intptr_t param = 0;
};

// [General] Exit: the exit key becomes the character code of that virtual key.
void ReadExitKey(Settings& settings);
// Fills the combination from [GamePadExit].
ExitCombo ReadExitCombo(Settings& settings);
// Reads [General] NextDisc, a virtual-key code polled as that key (1 to 254;
// anything else is no key), and [GamePadNextDisc].
SwapKeys ReadSwapKeys(Settings& settings);
// The held (pad, wanted input) pairs over all pads, as the last poll left them.
std::int32_t CountComboPresses(const ExitCombo& combo);
// Returns when play has ended and the gamepads are released, with why. With
// `swap`, a press of its key or its combination newly held makes the swap,
// unless play ends at that same check; presses during a swap are dropped.
WatchEnd WatchForExit(Platform& os, Instance instance, OsHandle process, ExitCombo& combo,
                      SwapKeys* swap = nullptr);

}  // namespace tolvimer
