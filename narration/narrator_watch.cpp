// The narration of the exit watch: the gamepad combination as read, the
// gamepads prepared, the watch itself and how play ended.
#include "exitwatch/exit_watch.h"
#include "exitwatch/gamepads.h"
#include "narration/narrator.h"
#include "narration/words.h"
#include "settings/settings.h"

namespace tolvimer {
namespace {

// The [GamePadExit] key that switches the input on.
void AddInputName(Text& text, int input) {
  for (const ComboKey& combo : kComboKeys) {
    if (combo.input == input) text.Add(combo.key);
  }
}

}  // namespace

void Narrator::ExitComboRead(const ExitCombo& combo) {
  FlushTaps();
  comboEnabled_ = combo.enabled != 0;
  comboWanted_ = 0;
  for (int input = 0; input < kComboInputs; ++input) {
    if (combo.wanted[input]) comboWanted_ |= std::uint64_t{1} << input;
  }
  TellComboResult();
  inner_.ExitComboRead(combo);
}

void Narrator::AddComboInputs(Text& text) const { AddComboInputsOf(text, comboWanted_); }

void Narrator::AddComboInputsOf(Text& text, std::uint64_t wanted) {
  bool first = true;
  // In the order the keys are read.
  for (const ComboKey& combo : kComboKeys) {
    if ((wanted >> combo.input & 1) == 0) continue;
    if (!first) text.Add(" + ");
    AddInputName(text, combo.input);
    first = false;
  }
  if (first) text.Add("no input switched on");
}

void Narrator::TellComboResult() {
  if (comboEnabled_) {
    line_.Add("the gamepad exit combination: ");
    AddComboInputs(line_);
  } else {
    line_.Add("no gamepad exit combination");
  }
  Act();
}

void Narrator::AddExitKey(Text& text) const { AddPolledKey(text, exitKey); }

void Narrator::AddPolledKey(Text& text, std::int8_t polled) {
  const std::uint32_t key = static_cast<std::uint8_t>(polled);
  text.Number(key).Add(" (");
  AddVirtualKeyName(text, key);
  text.Add(")");
}

void Narrator::NoteGamepadFailure(const char* call, HResult result) {
  if (step_ != Step::kWatch || watchTold_ || gamepadFailedCall_ != nullptr) return;
  gamepadFailedCall_ = call;
  gamepadFailure_ = result;
}

void Narrator::TellGamepadsAndWatch() {
  watchTold_ = true;
  line_.Add("prepare the gamepads through DirectInput 5");
  if (!Running()) {
    outcome_.Add("a dry run finds none attached");
  } else if (gamepadFailedCall_ != nullptr) {
    outcome_.Add(gamepadFailedCall_).Add(' ');
    FailedWith(gamepadFailure_);
    outcome_.Add(": the gamepad exit is off");
  } else if (gamePads.padCount == 0) {
    outcome_.Add("no gamepad attached");
  } else {
    for (int i = 0; i < gamePads.padCount; ++i) {
      outcome_.Add(i == 0 ? "pad " : ", pad ").Number(i + 1).Add(" \"");
      outcome_.Shown(gamePads.slots[i].productName).Add("\"");
    }
  }
  Act();

  const bool combo = comboEnabled_ && gamepadFailedCall_ == nullptr;
  line_.Add("watch every 500 ms until the emulator exits, the exit key ");
  AddExitKey(line_);
  line_.Add(" is pressed");
  if (swapKey_ != 0 || swapComboWanted_ != 0) {
    line_.Add("; a disc swap at each press of the next-disc key or combination");
  }
  if (combo && comboWanted_ == 0) {
    line_.Add("; the gamepad combination has no input, so it is met at the first check");
  } else if (combo) {
    line_.Add(", or the gamepad combination ");
    AddComboInputs(line_);
    line_.Add(" is held (each held input counted over all pads, exactly that many)");
  }
  Act();
}

void Narrator::AddHeldInputs(Text& text, const WatchEnd& end) const {
  bool anyPad = false;
  for (int i = 0; i < gamePads.padCount && i < MAX_GAMEPADS; ++i) {
    bool first = true;
    // In the order the keys are read.
    for (const ComboKey& combo : kComboKeys) {
      const int input = combo.input;
      if ((end.heldInputs[i] >> input & 1) == 0) continue;
      if (first) {
        text.Add(anyPad ? "; pad " : "pad ").Number(i + 1).Add(" \"");
        text.Shown(gamePads.slots[i].productName).Add("\": ");
      } else {
        text.Add(" + ");
      }
      AddInputName(text, input);
      first = false;
      anyPad = true;
    }
  }
  if (!anyPad) text.Add("no wanted input held");
}

void Narrator::WatchEnded(const WatchEnd& end) {
  FlushTaps();
  if (!watchTold_) TellGamepadsAndWatch();
  if (!Running()) {
    line_.Add("a dry run takes the exit key as pressed at the first check: play ends");
    playEnd_.Add("the exit key");
  } else {
    // Every cause the last check met, in the order the watch checks them.
    if (end.emulatorEnded) {
      playEnd_.Add("the emulator exited with exit code ").Number(end.exitCode);
    }
    if (end.exitKeyPressed) {
      playEnd_.Add(playEnd_.empty() ? "" : "; ").Add("the exit key ");
      AddExitKey(playEnd_);
      playEnd_.Add(" was pressed");
    }
    if (end.comboHeld) {
      playEnd_.Add(playEnd_.empty() ? "" : "; ").Add("the gamepad combination was held (");
      AddHeldInputs(playEnd_, end);
      playEnd_.Add(")");
    }
    line_.Add("play ends after ").Number(end.checks);
    line_.Add(end.checks == 1 ? " check" : " checks");
    if (end.swaps > 0)
      line_.Add(" and ").Number(end.swaps).Add(end.swaps == 1 ? " disc swap" : " disc swaps");
    if (end.swapsRefused > 0) {
      line_.Add(" (").Number(end.swapsRefused);
      line_.Add(end.swapsRefused == 1 ? " swap" : " swaps")
          .Add(" asked for left the disc as it was)");
    }
    line_.Add(": ").Add(playEnd_.c_str());
    if (failedExitQueries_ > 0) {
      line_.Add(" (the exit-code query failed in ").Number(failedExitQueries_);
      line_.Add(failedExitQueries_ == 1 ? " check)" : " checks)");
    }
  }
  Act();
  inner_.WatchEnded(end);
}

std::uint32_t Narrator::WaitForSingleObject(OsHandle handle, std::uint32_t milliseconds) {
  FlushTaps();
  if (step_ == Step::kWatch && !watchTold_) TellGamepadsAndWatch();
  if (step_ == Step::kSwapUnmount) return TellUnmountWait(handle, milliseconds);
  return inner_.WaitForSingleObject(handle, milliseconds);
}

bool Narrator::GetExitCodeProcess(OsHandle process, std::uint32_t& exitCode) {
  const bool ok = inner_.GetExitCodeProcess(process, exitCode);
  if (step_ == Step::kSwapUnmount) {
    TellUnmountExitCode(ok, exitCode);
    return ok;
  }
  if (ok) return ok;
  // Told the first time only: a query that keeps failing would add a line
  // every 500 ms for as long as play goes on.
  if (failedExitQueries_++ == 0) {
    FlushTaps();
    line_.Add("ask for the emulator's exit code: it counts as still running");
    Failed();
    Act();
  }
  return ok;
}

std::int16_t Narrator::GetAsyncKeyState(int virtualKey) {
  return inner_.GetAsyncKeyState(virtualKey);
}

std::uint32_t Narrator::GetKeyName(std::uint32_t virtualKey, char* out, std::uint32_t size) {
  return inner_.GetKeyName(virtualKey, out, size);
}

HResult Narrator::DirectInputCreate(Instance instance, std::uint32_t version,
                                    ComObject& directInput) {
  const HResult result = inner_.DirectInputCreate(instance, version, directInput);
  if (result < 0) NoteGamepadFailure("DirectInputCreateA", result);
  return result;
}

HResult Narrator::EnumJoysticks(ComObject directInput, DeviceEnumCallback callback,
                                std::intptr_t param) {
  const HResult result = inner_.EnumJoysticks(directInput, callback, param);
  if (result < 0) NoteGamepadFailure("EnumDevices", result);
  return result;
}

HResult Narrator::CreateDevice(ComObject directInput, const Guid& instanceGuid, ComObject& device) {
  const HResult result = inner_.CreateDevice(directInput, instanceGuid, device);
  if (result < 0) NoteGamepadFailure("CreateDevice", result);
  return result;
}

HResult Narrator::QueryDevice2(ComObject device, ComObject& device2) {
  const HResult result = inner_.QueryDevice2(device, device2);
  if (result < 0) NoteGamepadFailure("QueryInterface", result);
  return result;
}

std::uint32_t Narrator::Release(ComObject object) { return inner_.Release(object); }

WindowHandle Narrator::GetDesktopWindow() { return inner_.GetDesktopWindow(); }

HResult Narrator::SetCooperativeLevel(ComObject device2, WindowHandle window, std::uint32_t flags) {
  const HResult result = inner_.SetCooperativeLevel(device2, window, flags);
  if (result < 0) NoteGamepadFailure("SetCooperativeLevel", result);
  return result;
}

HResult Narrator::SetJoystickDataFormat(ComObject device2) {
  const HResult result = inner_.SetJoystickDataFormat(device2);
  if (result < 0) NoteGamepadFailure("SetDataFormat", result);
  return result;
}

HResult Narrator::SetAxisRange(ComObject device2, std::uint32_t offset, std::int32_t minimum,
                               std::int32_t maximum) {
  return inner_.SetAxisRange(device2, offset, minimum, maximum);
}

HResult Narrator::Acquire(ComObject device2) {
  const HResult result = inner_.Acquire(device2);
  if (result < 0) NoteGamepadFailure("Acquire", result);
  return result;
}

HResult Narrator::Poll(ComObject device2) {
  const HResult result = inner_.Poll(device2);
  if (result < 0) NoteGamepadFailure("Poll", result);
  return result;
}

HResult Narrator::GetDeviceState(ComObject device2, std::uint32_t size, JoyState& state) {
  FlushTaps();
  const HResult result = inner_.GetDeviceState(device2, size, state);
  if (result >= 0) return result;
  int pad = 0;
  while (pad < gamePads.padCount && gamePads.slots[pad].device != device2) ++pad;
  line_.Add("pad ").Number(pad + 1).Add(" could not be read: it counts no more");
  FailedWith(result);
  Act();
  return result;
}

HResult Narrator::Unacquire(ComObject device2) { return inner_.Unacquire(device2); }

}  // namespace tolvimer
