#include "exitwatch/exit_watch.h"

#include "exitwatch/gamepads.h"

namespace tolvimer {
namespace {

constexpr std::uint32_t kCycleMilliseconds = 500;
}  // namespace

std::int8_t exitKey = kDefaultExitKey;

void ReadExitKey(Settings& settings) {
  if (!settings.Read("General", "Exit")) return;
  const std::int32_t virtualKey = LeadingInteger(settings.value());
  const std::uint32_t character =
      settings.os().MapVirtualKey(static_cast<std::uint32_t>(virtualKey), win::kMapVkToChar);
  exitKey = static_cast<std::int8_t>(static_cast<std::uint8_t>(character & 0xFF));
}

ExitCombo ReadExitCombo(Settings& settings) {
  ExitCombo combo{};
  // Without MapGamePadExit "true" the other keys are not read at all.
  if (settings.ReadIs("GamePadExit", "MapGamePadExit", "true")) {
    combo.enabled = 1;
    for (const ComboKey& key : kComboKeys) {
      if (settings.ReadIs("GamePadExit", key.key, "true")) combo.wanted[key.input] = 1;
    }
  }
  for (std::uint8_t wanted : combo.wanted) combo.wantedCount += wanted != 0 ? 1 : 0;
  return combo;
}

bool IsInputHeld(const GamePadState& state, int input) {
  if (input < kUp) return state.buttons[input] != 0;
  const std::uint8_t directions[] = {state.up, state.right, state.down, state.left};
  return directions[input - kUp] != 0;
}

std::int32_t CountComboPresses(const ExitCombo& combo) {
  std::int32_t count = 0;
  for (int pad = 0; pad < GetGamePadCount(); ++pad) {
    const GamePadState& state = gamePads.slots[pad].state;
    for (int input = 0; input < kComboInputs; ++input) {
      if (combo.wanted[input] && IsInputHeld(state, input)) ++count;
    }
  }
  return count;
}

namespace {

// The wanted inputs each pad holds, as the last poll left them.
void NoteHeldInputs(const ExitCombo& combo, WatchEnd& end) {
  for (int pad = 0; pad < GetGamePadCount() && pad < MAX_GAMEPADS; ++pad) {
    for (int input = 0; input < kComboInputs; ++input) {
      if (combo.wanted[input] && IsInputHeld(gamePads.slots[pad].state, input)) {
        end.heldInputs[pad] |= std::uint64_t{1} << input;
      }
    }
  }
}

}  // namespace

WatchEnd WatchForExit(Platform& os, Instance instance, OsHandle process, ExitCombo& combo) {
  // The pads are prepared even when the combination is off; without them only
  // the exit key and the end of the emulator can end the watch.
  if (!InitGamePads(os, instance)) combo.enabled = 0;
  WatchEnd end;
  // Filled by each cycle's query; a query that fails leaves the last value,
  // and before any query has answered that is "still running": a failing
  // query never ends play.
  std::uint32_t exitCode = win::kStillActive;
  for (;;) {
    ++end.checks;
    os.WaitForSingleObject(process, kCycleMilliseconds);
    os.GetExitCodeProcess(process, exitCode);
    end.emulatorEnded = end.emulatorEnded || exitCode != win::kStillActive;
    if (os.GetAsyncKeyState(exitKey) & kKeyPressedBits) end.exitKeyPressed = true;
    PollGamePads(os);
    // Exact equality: more held pairs than wanted do not end the watch.
    end.comboHeld = combo.enabled && CountComboPresses(combo) == combo.wantedCount;
    if (end.comboHeld || end.emulatorEnded || end.exitKeyPressed) break;
  }
  if (end.emulatorEnded) end.exitCode = exitCode;
  if (end.comboHeld) NoteHeldInputs(combo, end);
  ReleaseGamePads(os);
  return end;
}

}  // namespace tolvimer
