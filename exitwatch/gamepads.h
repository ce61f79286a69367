// The gamepads read through DirectInput 5 for the gamepad exit combination:
// up to eight attached pads, each read into a record of button and direction
// flags. All state is one program-wide table of fixed size.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace tolvimer {

constexpr int MAX_GAMEPADS = 8;

// One pad as the exit watch sees it.
struct GamePadState {
  std::int16_t x = 0;             // low 16 bits of lX (-255 to 255 once the range is set)
  std::int16_t y = 0;             // low 16 bits of lY
  std::uint8_t buttons[32] = {};  // 1 = pressed, buttons 1 to 32
  std::uint8_t up = 0, right = 0, down = 0, left = 0;  // from the first hat
};

struct GamePadSlot {
  Guid instanceGuid;
  char productName[260] = {};  // copied whole, bytes after the terminator too
  std::uint8_t active = 0;     // 1 once enumerated, 0 for good after a failed read
  ComObject device = 0;        // the IDirectInputDevice2A, 0 until prepared
  JoyState rawState;           // what GetDeviceState last filled in
  GamePadState state;
};

struct GamePadTable {
  ComObject directInput = 0;  // the IDirectInputA, 0 until created
  std::uint16_t padCount = 0;
  GamePadSlot slots[MAX_GAMEPADS];
};

// All zero at program start; lives for the whole process.
extern GamePadTable gamePads;

// DirectInput's enumeration callback: records the device in the next free
// slot. False (DIENUM_STOP) for a ninth device, which is not recorded.
bool EnumGamePadCallback(const DeviceInstance& device, std::intptr_t context);

// Creates DirectInput, enumerates the attached joysticks and prepares each
// for reading. False at the first failure; what was created so far stays in
// the table for ReleaseGamePads.
bool InitGamePads(Platform& os, Instance instance);

// Reads every recorded pad into its GamePadState. A pad whose read fails is
// inactive from then on and reads as all zero from the next poll.
void PollGamePads(Platform& os);

int GetGamePadCount();

// Unacquires and releases every pad's device, then DirectInput itself.
void ReleaseGamePads(Platform& os);

}  // namespace tolvimer
