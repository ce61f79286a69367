// The narration of the launch sequence's calls on the emulator window, the
// keyboard, the cursor and the desktop mode: passed on to the platform
// underneath, then told.
#include "narration/narrator.h"
#include "narration/words.h"

namespace tolvimer {
namespace {

const char* DisplayChangeName(std::int32_t result) {
  switch (result) {
    case 1:
      return "DISP_CHANGE_RESTART";
    case -1:
      return "DISP_CHANGE_FAILED";
    case -2:
      return "DISP_CHANGE_BADMODE";
    case -3:
      return "DISP_CHANGE_NOTUPDATED";
    case -4:
      return "DISP_CHANGE_BADFLAGS";
    case -5:
      return "DISP_CHANGE_BADPARAM";
    default:
      return "DISP_CHANGE_BADDUALVIEW";
  }
}

}  // namespace

bool Narrator::PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
  FlushTaps();
  const bool ok = inner_.PostMessage(window, message, wParam, lParam);
  if (message == win::kWmCommand) {
    const std::uint16_t id = static_cast<std::uint16_t>(wParam & 0xFFFF);
    line_.Add("post command ").Number(id).Add(" (0x").Hex(id, 4).Add(") to the emulator window: ");
    AddCommandMeaning(line_, id);
  } else {
    line_.Add("post message 0x").Hex(message, 1).Add(" to the emulator window");
  }
  if (!ok) Failed();
  Act();
  return ok;
}

std::intptr_t Narrator::SendMessage(WindowHandle window, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam) {
  FlushTaps();
  if (message != win::kWmClose) {
    line_.Add("send message 0x").Hex(message, 1).Add(" to the emulator window");
    Act();
    return inner_.SendMessage(window, message, wParam, lParam);
  }
  // An emulator that closed itself took its window along: the message then
  // goes nowhere. Otherwise the call returns once the emulator has handled
  // it, so the line is told before it.
  line_.Add("send WM_CLOSE to the emulator window and go on once the emulator has handled it");
  if (Running()) {
    closeOutcome_ = inner_.IsWindow(window) ? CloseOutcome::kHandled : CloseOutcome::kWindowGone;
    if (closeOutcome_ == CloseOutcome::kWindowGone) {
      outcome_.Add("the window is already gone: the emulator has closed itself");
    }
  }
  Act();
  return inner_.SendMessage(window, message, wParam, lParam);
}

bool Narrator::ShowWindow(WindowHandle window, int command) {
  FlushTaps();
  const bool wasVisible = inner_.ShowWindow(window, command);
  if (command == win::kSwHide) {
    line_.Add("hide the emulator window");
  } else {
    line_.Add("show the emulator window (command ").Number(command).Add(")");
  }
  Act();
  return wasVisible;
}

bool Narrator::BringWindowToTop(WindowHandle window) {
  FlushTaps();
  const bool ok = inner_.BringWindowToTop(window);
  line_.Add("bring the emulator window to the top");
  if (!ok) Failed();
  Act();
  return ok;
}

bool Narrator::SetMenu(WindowHandle window, std::uintptr_t menu) {
  FlushTaps();
  const bool ok = inner_.SetMenu(window, menu);
  line_.Add("remove the emulator window's menu bar");
  if (!ok) Failed();
  Act();
  return ok;
}

std::int32_t Narrator::SetWindowLong(WindowHandle window, int index, std::int32_t value) {
  FlushTaps();
  const std::int32_t previous = inner_.SetWindowLong(window, index, value);
  line_.Add("replace the window's whole style with ").Number(value);
  line_.Add(" (no caption, frame or menu)");
  Act();
  return previous;
}

bool Narrator::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx,
                            int cy, std::uint32_t flags) {
  FlushTaps();
  const bool ok = inner_.SetWindowPos(window, insertAfter, x, y, cx, cy, flags);
  line_.Add("move the window to (").Number(x).Add(", ").Number(y).Add(") and size it to ");
  if (knowledge_ != nullptr && knowledge_->IsAssumedScreen(cx, cy)) {
    line_.Add("the screen's size");
  } else {
    line_.Number(cx).Add("x").Number(cy);
  }
  line_.Add(", shown, keeping its place in the z-order");
  if (!ok) Failed();
  Act();
  return ok;
}

bool Narrator::UpdateWindow(WindowHandle window) {
  FlushTaps();
  const bool ok = inner_.UpdateWindow(window);
  line_.Add("repaint the window");
  // UpdateWindow sets no error code of its own.
  if (!ok) FailedWithoutCode();
  Act();
  return ok;
}

void Narrator::KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                          std::uintptr_t extraInfo) {
  inner_.KeybdEvent(virtualKey, scanCode, flags, extraInfo);
  // A tap is a key-down and a key-up; the key-up counts it.
  if ((flags & win::kKeyEventKeyUp) == 0) return;
  if (tapCount_ > 0 && (tapKey_ != virtualKey || tapScan_ != scanCode)) FlushTaps();
  tapKey_ = virtualKey;
  tapScan_ = scanCode;
  ++tapCount_;
}

std::uint32_t Narrator::MapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  // Every tap asks for its scan code: only the exit and next-disc keys'
  // queries are told.
  if (mapType != win::kMapVkToChar) return inner_.MapVirtualKey(code, mapType);
  FlushTaps();
  const std::uint32_t answer = inner_.MapVirtualKey(code, mapType);
  const std::uint32_t key = answer & 0xFF;
  const char* const which = step_ == Step::kSwapKeys ? "the next-disc key" : "the exit key";
  if (key == 0) {
    line_.Add(which).Add(" becomes 0: virtual key ").Number(code).Add(" (");
    AddVirtualKeyName(line_, code);
    line_.Add(") gives no character");
  } else {
    line_.Add(which).Add(" becomes ").Number(key).Add(" (");
    AddVirtualKeyName(line_, key);
    line_.Add("), the character of virtual key ").Number(code);
  }
  Act();
  return answer;
}

bool Narrator::SetCursorPos(int x, int y) {
  FlushTaps();
  const bool ok = inner_.SetCursorPos(x, y);
  line_.Add("move the mouse cursor to ");
  if (knowledge_ != nullptr && knowledge_->IsAssumedScreen(x, y)) {
    line_.Add("(screen width, screen height)");
  } else {
    line_.Add("(").Number(x).Add(", ").Number(y).Add(")");
  }
  line_.Add(", where it stops in the bottom-right corner");
  if (!ok) Failed();
  Act();
  return ok;
}

int Narrator::GetSystemMetrics(int index) { return inner_.GetSystemMetrics(index); }

bool Narrator::GetCurrentDisplayMode(DisplayMode& mode) {
  FlushTaps();
  const bool ok = inner_.GetCurrentDisplayMode(mode);
  if (!ok) {
    line_.Add("the current desktop mode cannot be read: nothing is switched");
    // EnumDisplaySettingsA sets no error code of its own.
    FailedWithoutCode();
    Act();
  }
  return ok;
}

std::int32_t Narrator::ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) {
  FlushTaps();
  const std::int32_t result = inner_.ChangeDisplaySettings(mode, flags);
  if (mode == nullptr) {
    line_.Add("restore the desktop mode stored in the registry");
    displayRestored_ = result == 0;
    displayRestoreRefused_ = result != 0;
  } else {
    line_.Add("switch the desktop to ").Number(mode->width).Add("x").Number(mode->height);
    line_.Add(", keeping its colour depth and refresh rate (not stored in the registry)");
  }
  if (result != 0) {
    outcome_.Add("refused: ").Add(DisplayChangeName(result)).Add(" (").Number(result).Add(")");
  }
  Act();
  return result;
}

std::uint32_t Narrator::WaitWithAutoPlaySuppressed(Instance instance, std::uint32_t milliseconds) {
  FlushTaps();
  if (milliseconds == 0) {
    line_.Add("a delay of 0 ms: no wait");
  } else {
    line_.Add("wait ").Number(milliseconds);
    line_.Add(
        " ms behind the hidden \"DisableAutolaunch\" window, cancelling Windows AutoPlay; "
        "the first AutoPlay query ends the wait");
  }
  // Told before the call: the wait takes its time.
  Act();
  const std::uint32_t error = inner_.WaitWithAutoPlaySuppressed(instance, milliseconds);
  if (error != 0) {
    line_.Add("the hidden window could not be made: an \"Error\" box was shown, and no wait");
    if (Running()) {
      outcome_.Add("failed: error ").Number(error);
      AddErrorText(error);
    }
    Act();
  }
  return error;
}

// The run log's own calls are made on the platform underneath, never here.
const char* Narrator::GetCommandLine() { return inner_.GetCommandLine(); }
std::uint32_t Narrator::GetTickCount() { return inner_.GetTickCount(); }
std::uint32_t Narrator::GetLastError() { return inner_.GetLastError(); }
std::uint32_t Narrator::FormatMessage(std::uint32_t code, char* out, std::uint32_t size) {
  return inner_.FormatMessage(code, out, size);
}
bool Narrator::FileExists(const char* path) { return inner_.FileExists(path); }
bool Narrator::IsWindow(WindowHandle window) { return inner_.IsWindow(window); }
OsHandle Narrator::CreateLogFile(const char* path) { return inner_.CreateLogFile(path); }
bool Narrator::WriteFileBytes(OsHandle file, const char* data, std::uint32_t size) {
  return inner_.WriteFileBytes(file, data, size);
}
bool Narrator::FlushFileBuffers(OsHandle file) { return inner_.FlushFileBuffers(file); }

// The undo record's calls: in a run they are made on the platform underneath
// and told by the run log; here only the dry run's pass through, untold.
OsHandle Narrator::OpenFileForRead(const char* path) { return inner_.OpenFileForRead(path); }
bool Narrator::ReadFileBytes(OsHandle file, char* data, std::uint32_t size, std::uint32_t& read) {
  return inner_.ReadFileBytes(file, data, size, read);
}
bool Narrator::DeleteFile(const char* path) { return inner_.DeleteFile(path); }
std::uint32_t Narrator::GetCurrentProcessId() { return inner_.GetCurrentProcessId(); }
OsHandle Narrator::GetCurrentProcess() { return inner_.GetCurrentProcess(); }
OsHandle Narrator::OpenProcess(std::uint32_t processId) { return inner_.OpenProcess(processId); }
bool Narrator::GetProcessCreationTime(OsHandle process, std::uint64_t& creationTime) {
  return inner_.GetProcessCreationTime(process, creationTime);
}

}  // namespace tolvimer
