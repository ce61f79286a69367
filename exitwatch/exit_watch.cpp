#include "exitwatch/exit_watch.h"

#include "exitwatch/gamepads.h"

namespace tolvimer {
namespace {

constexpr std::uint32_t kCycleMilliseconds = 500;
}  // namespace

std::int8_t exitKey = kDefaultExitKey;

namespace {

ExitCombo ReadCombo(Settings& settings, const char* section, const char* switchKey) {
  ExitCombo combo{};
  // Without the switch "true" the other keys are not read at all.
  if (settings.ReadIs(section, switchKey, "true")) {
    combo.enabled = 1;
    for (const ComboKey& key : kComboKeys) {
      if (settings.ReadIs(section, key.key, "true")) combo.wanted[key.input] = 1;
    }
  }
  for (std::uint8_t wanted : combo.wanted) combo.wantedCount += wanted != 0 ? 1 : 0;
  return combo;
}

}  // namespace

// [General] Exit names a virtual key; the key polled is the character code
// MapVirtualKey gives for it. Absent, the key stays as it was.
void ReadExitKey(Settings& settings) {
  if (!settings.Read("General", "Exit")) return;
  const std::int32_t virtualKey = LeadingInteger(settings.value());
  const std::uint32_t character =
      settings.os().MapVirtualKey(static_cast<std::uint32_t>(virtualKey), win::kMapVkToChar);
  exitKey = static_cast<std::int8_t>(static_cast<std::uint8_t>(character & 0xFF));
}

ExitCombo ReadExitCombo(Settings& settings) {
  return ReadCombo(settings, "GamePadExit", "MapGamePadExit");
}

SwapKeys ReadSwapKeys(Settings& settings) {
  SwapKeys keys;
  // Unlike Exit, the code is the key itself: any key a keyboard has.
  if (settings.Read("General", "NextDisc")) {
    const std::int32_t virtualKey = LeadingInteger(settings.value());
    if (virtualKey >= 1 && virtualKey <= 254) keys.key = static_cast<std::uint8_t>(virtualKey);
  }
  keys.combo = ReadCombo(settings, "GamePadNextDisc", "MapGamePadNextDisc");
  return keys;
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

// Edge detection of the swap key and combination: a key held down, or a
// combination still held, asks for one swap only.
struct SwapEdges {
  bool keyDown = false;
  bool comboHeld = false;
};

bool SwapAsked(Platform& os, const SwapKeys& swap, SwapEdges& edges) {
  bool asked = false;
  if (swap.key != 0) {
    const std::uint16_t state = static_cast<std::uint16_t>(os.GetAsyncKeyState(swap.key));
    asked = (state & kKeyPressedBits) != 0 && !edges.keyDown;
    edges.keyDown = (state & kKeyDownBit) != 0;
  }
  const bool held = swap.combo.enabled && CountComboPresses(swap.combo) == swap.combo.wantedCount;
  asked = asked || (held && !edges.comboHeld);
  edges.comboHeld = held;
  return asked;
}

}  // namespace

WatchEnd WatchForExit(Platform& os, Instance instance, OsHandle process, ExitCombo& combo,
                      SwapKeys* swap) {
  // The pads are prepared even when the combination is off; without them only
  // the exit key and the end of the emulator can end the watch.
  if (!InitGamePads(os, instance)) {
    combo.enabled = 0;
    if (swap != nullptr) swap->combo.enabled = 0;
  }
  WatchEnd end;
  SwapEdges edges;
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
    if (swap != nullptr && SwapAsked(os, *swap, edges)) {
      if (swap->swap(swap->param)) {
        ++end.swaps;
      } else {
        ++end.swapsRefused;
      }
      // A press of the key during the swap is dropped with this query.
      if (swap->key != 0) {
        edges.keyDown =
            (static_cast<std::uint16_t>(os.GetAsyncKeyState(swap->key)) & kKeyDownBit) != 0;
      }
    }
  }
  if (end.emulatorEnded) end.exitCode = exitCode;
  if (end.comboHeld) NoteHeldInputs(combo, end);
  ReleaseGamePads(os);
  return end;
}

}  // namespace tolvimer
