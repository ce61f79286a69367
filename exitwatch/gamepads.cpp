#include "exitwatch/gamepads.h"

#include <cstring>

namespace tolvimer {
namespace {

constexpr std::uint32_t kDirectInputVersion = 0x0500;
// DISCL_NONEXCLUSIVE | DISCL_BACKGROUND: shared with other programs and read
// while another window has the focus.
constexpr std::uint32_t kCooperativeLevel = 0x2 | 0x8;
constexpr std::uint32_t kOffsetX = 0;  // offsets of lX and lY in DIJOYSTATE
constexpr std::uint32_t kOffsetY = 4;
constexpr std::int32_t kAxisMin = -255;
constexpr std::int32_t kAxisMax = 255;
// A button byte above this counts as held; DirectInput sets 0x80 for held.
constexpr std::uint8_t kButtonThreshold = 32;

// Directions of the first hat, by its angle in hundredths of a degree
// clockwise from straight up.
struct HatRow {
  std::uint32_t angle;
  std::uint8_t up, right, down, left;
};
constexpr HatRow kHatRows[] = {
    {0, 1, 0, 0, 0},     {4500, 1, 1, 0, 0},  {9000, 0, 1, 0, 0},
    {13500, 0, 1, 1, 0}, {18000, 0, 0, 1, 0}, {22500, 0, 0, 1, 1},
    {27000, 0, 0, 0, 1}, {31500, 1, 0, 0, 1}, {0xFFFFFFFFu, 0, 0, 0, 0},  // centred
};

bool Failed(HResult result) { return result < 0; }

// Turns a raw joystick state into the pad's record. A hat angle outside the
// table leaves the four directions as they were.
void Translate(const JoyState& raw, GamePadState& state) {
  state.x = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw.lX & 0xFFFF));
  state.y = static_cast<std::int16_t>(static_cast<std::uint16_t>(raw.lY & 0xFFFF));
  for (int j = 0; j < 32; ++j) state.buttons[j] = raw.rgbButtons[j] > kButtonThreshold ? 1 : 0;
  for (const HatRow& row : kHatRows) {
    if (raw.rgdwPOV[0] == row.angle) {
      state.up = row.up;
      state.right = row.right;
      state.down = row.down;
      state.left = row.left;
      break;
    }
  }
}

// Prepares one enumerated pad; false at the first failing step.
bool PreparePad(Platform& os, GamePadSlot& slot) {
  ComObject first = 0;
  // Without a first interface there is nothing to ask for the second one.
  if (Failed(os.CreateDevice(gamePads.directInput, slot.instanceGuid, first)) || first == 0) {
    return false;
  }
  if (Failed(os.QueryDevice2(first, slot.device))) return false;
  os.Release(first);
  if (Failed(os.SetCooperativeLevel(slot.device, os.GetDesktopWindow(), kCooperativeLevel))) {
    return false;
  }
  if (Failed(os.SetJoystickDataFormat(slot.device))) return false;
  // A pad that rejects the range keeps its own; that is no reason to give up.
  os.SetAxisRange(slot.device, kOffsetX, kAxisMin, kAxisMax);
  os.SetAxisRange(slot.device, kOffsetY, kAxisMin, kAxisMax);
  if (Failed(os.Acquire(slot.device))) return false;
  // Success codes such as DI_NOEFFECT, from a pad that needs no polling, pass.
  return !Failed(os.Poll(slot.device));
}

}  // namespace

GamePadTable gamePads;

bool EnumGamePadCallback(const DeviceInstance& device, std::intptr_t) {
  if (gamePads.padCount == MAX_GAMEPADS) return false;
  GamePadSlot& slot = gamePads.slots[gamePads.padCount];
  slot.instanceGuid = device.guidInstance;
  static_assert(sizeof slot.productName == sizeof device.productName, "product name size");
  std::memcpy(slot.productName, device.productName, sizeof slot.productName);
  ++gamePads.padCount;
  slot.active = 1;
  return true;
}

bool InitGamePads(Platform& os, Instance instance) {
  if (Failed(os.DirectInputCreate(instance, kDirectInputVersion, gamePads.directInput))) {
    return false;
  }
  if (Failed(os.EnumJoysticks(gamePads.directInput, EnumGamePadCallback, 0))) return false;
  for (int i = 0; i < gamePads.padCount; ++i) {
    if (!PreparePad(os, gamePads.slots[i])) return false;
  }
  return true;
}

void PollGamePads(Platform& os) {
  for (int i = 0; i < gamePads.padCount; ++i) {
    GamePadSlot& slot = gamePads.slots[i];
    // A pad whose preparation never gave it a device reads like an inactive one.
    if (!slot.active || slot.device == 0) {
      slot.state = GamePadState{};
      continue;
    }
    // No Poll before the read: the one in InitGamePads is all a pad gets. A
    // failed read still refreshes the record from the buffer this once.
    if (Failed(os.GetDeviceState(slot.device, sizeof slot.rawState, slot.rawState))) {
      slot.active = 0;
    }
    Translate(slot.rawState, slot.state);
  }
}

int GetGamePadCount() { return gamePads.padCount; }

void ReleaseGamePads(Platform& os) {
  for (GamePadSlot& slot : gamePads.slots) {
    if (slot.device == 0) continue;
    os.Unacquire(slot.device);
    os.Release(slot.device);
    slot.device = 0;
  }
  if (gamePads.directInput != 0) {
    os.Release(gamePads.directInput);
    gamePads.directInput = 0;
  }
}

}  // namespace tolvimer
