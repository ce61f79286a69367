#include "tools/plan/narrating_platform.h"

#include <cstdarg>
#include <cstdio>

#include "launch/settings.h"
#include "tools/plan/setting_catalogue.h"
#include "tools/plan/setting_reads.h"

namespace tolvimer::plan {
namespace {

// Handles and ids the dry run hands out.
constexpr OsHandle kEmulatorProcess = 0x10, kEmulatorThread = 0x11;
constexpr OsHandle kToolProcess = 0x20, kToolThread = 0x21;
constexpr std::uint32_t kEmulatorProcessId = 4242;
constexpr WindowHandle kEmulatorWindow = 0xE1;
constexpr OsHandle kEmulatorFile = 0xF1;
constexpr ComObject kDirectInput = 0xD1;
constexpr std::uint32_t kWaitTimeout = 0x102;
// The screen size answered while no mode switch has named one.
constexpr int kAssumedWidth = 1024, kAssumedHeight = 768;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

// A value as it may be shown: control characters as \xHH.
std::string Shown(const std::string& value) {
  std::string out;
  for (const char c : value) {
    const unsigned char b = static_cast<unsigned char>(c);
    out += (b < 0x20 || b == 0x7F) ? Format("\\x%02X", b) : std::string(1, c);
  }
  return out;
}

bool StartsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

// What a read shows beyond its value: why a present value does nothing.
std::string ValueNote(const std::string& section, const std::string& key, const char* value) {
  const KnownKey* known = FindKnownKey(SectionKindOf(section), key);
  if (known == nullptr) return "";
  switch (known->kind) {
    case ValueKind::kWords:
      return IsRecognisedValue(*known, value) ? "" : " (none of " + WordList(*known) + ")";
    case ValueKind::kSwitch:
      return IsWord(value, "true") ? "" : " (not \"true\")";
    case ValueKind::kInteger:
      return IsRecognisedValue(*known, value) ? ""
                                              : Format(" (reads as %d)", LeadingInteger(value));
    case ValueKind::kSelector:
      return IsWord(value, "ntsc") ? "" : " (not \"ntsc\")";
    case ValueKind::kText:
      return "";
  }
  return "";
}

bool Is(const std::string& name, const char* word) { return IsWord(name.c_str(), word); }

// Whether a read belongs to the same step as the read before it: the second
// read of a fallback, the mount tool's keys after MountTool, the gamepad
// inputs after MapGamePadExit, the desktop Screen after ForceFull, MountTool
// after Unmount. Every other read opens a step of its own.
bool ContinuesStep(const std::string& lastSection, const std::string& lastKey, bool lastPresent,
                   const std::string& section, const std::string& key) {
  if (lastKey.empty()) return false;
  if (!lastPresent && Is(lastKey, key.c_str()) && !Is(lastSection, section.c_str())) return true;
  const bool toolSection = Is(section, "DaemonTools") || Is(section, "Alcohol120");
  const bool lastToolSection = Is(lastSection, "DaemonTools") || Is(lastSection, "Alcohol120");
  if (toolSection && (lastToolSection || Is(lastKey, "MountTool"))) return true;
  if (Is(section, "GamePadExit") && Is(lastSection, "GamePadExit")) return true;
  if (Is(section, "General") && Is(key, "Screen") && Is(lastKey, "ForceFull")) return true;
  return Is(section, "General") && Is(key, "MountTool") && Is(lastKey, "Unmount");
}

}  // namespace

NarratingPlatform::NarratingPlatform(const PlanInput& input) : input_(input) {
  folder_ = input.launcherFolder;
  for (char& c : folder_) c = c == '/' ? '\\' : c;
  if (folder_.empty() || folder_.back() != '\\') folder_ += '\\';
}

void NarratingPlatform::Finish() { FlushTaps(); }

void NarratingPlatform::Note(const std::string& text) { Act(text, false); }

void NarratingPlatform::Read(const std::string& line, bool continuesStep) {
  FlushTaps();
  if (steps_.empty() || steps_.back().always || !steps_.back().actions.empty() || !continuesStep) {
    steps_.emplace_back();
  }
  steps_.back().reads.push_back(line);
}

void NarratingPlatform::Act(const std::string& text, bool decidedBySettings) {
  FlushTaps();
  const bool newStep = steps_.empty() || (decidedBySettings ? false : !steps_.back().always);
  if (newStep) {
    steps_.emplace_back();
    steps_.back().always = !decidedBySettings;
  }
  steps_.back().actions.push_back(text);
}

void NarratingPlatform::FlushTaps() {
  if (tap_.count == 0) return;
  const Tap tap = tap_;
  tap_ = Tap{};
  Act(Format("tap %s (virtual key %u, scan code 0x%02X) %s", VirtualKeyName(tap.virtualKey).c_str(),
             tap.virtualKey, tap.scanCode,
             tap.count == 1 ? "once" : Format("%u times", tap.count).c_str()),
      true);
}

std::string NarratingPlatform::FileNameOf(const std::string& launcherPath) const {
  return StartsWith(launcherPath, folder_) ? launcherPath.substr(folder_.size()) : launcherPath;
}

std::string NarratingPlatform::ScreenText(int width, int height) const {
  if (switchedWidth_ == 0 && width == kAssumedWidth && height == kAssumedHeight) {
    return "the screen's size";
  }
  return Format("%dx%d", width, height);
}

std::string NarratingPlatform::ComboInputs() const {
  std::string inputs;
  for (const std::string& input : facts_.comboInputs) {
    inputs += (inputs.empty() ? "" : " + ") + input;
  }
  return inputs.empty() ? "no input switched on" : inputs;
}

std::string NarratingPlatform::ComboText() const {
  if (!facts_.comboEnabled) return "";
  if (facts_.comboInputs.empty()) {
    return "; the gamepad combination has no input, so it is met at the first check";
  }
  return ", or the gamepad combination " + ComboInputs() +
         " is held (each held input counted over all pads, exactly that many)";
}

std::uint32_t NarratingPlatform::GetModuleFileName(char* buffer, std::uint32_t capacity) {
  const std::string path = folder_ + "tolvimer_launch.exe";
  if (capacity == 0) return 0;
  if (path.size() >= capacity) {
    // Cut as Windows cuts it: the count equals the capacity.
    facts_.launcherPathTooLong = true;
    path.copy(buffer, capacity - 1);
    buffer[capacity - 1] = '\0';
    return capacity;
  }
  path.copy(buffer, path.size());
  buffer[path.size()] = '\0';
  return static_cast<std::uint32_t>(path.size());
}

std::uint32_t NarratingPlatform::GetProfileString(const char* section, const char* key, char* out,
                                                  std::uint32_t size, const char* path) {
  if (size > 0) out[0] = '\0';
  std::uint32_t n = 0;
  if (path == folder_ + kSettingsFileName) n = ReadPlanSetting(input_, section, key, out, size);
  const bool present = n != 0 && out[0] != '\0';
  const std::string id = LowerAscii(std::string(section) + "/" + key);
  int earlier = 0;
  for (const std::string& read : readsSoFar_) earlier += read == id ? 1 : 0;
  readsSoFar_.push_back(id);

  std::string line = "[" + std::string(section) + "] " + key;
  line += present ? " = \"" + Shown(out) + "\"" + ValueNote(section, key, out) : ": absent";
  if (!last_.present && IsWord(last_.key.c_str(), key) && !IsWord(last_.section.c_str(), section)) {
    line += " (read because [" + last_.section + "] has none)";
  }
  if (earlier > 0) line += " (read again)";
  // The gamepad keys are read together; their step ends with what they gave.
  if (Is(last_.section, "GamePadExit") && !Is(section, "GamePadExit")) {
    Act(facts_.comboEnabled ? "the gamepad exit combination: " + ComboInputs()
                            : std::string("no gamepad exit combination"),
        true);
  }
  Read(line, ContinuesStep(last_.section, last_.key, last_.present, section, key));
  last_ = {section, key, present};
  openedSinceRead_ = false;

  if (IsWord(section, "GamePadExit")) {
    const bool on = present && IsWord(out, "true");
    if (IsWord(key, "MapGamePadExit")) {
      facts_.comboEnabled = on;
    } else if (facts_.comboEnabled && on) {
      facts_.comboInputs.push_back(key);
    }
  }
  return n;
}

bool NarratingPlatform::IsDbcsLeadByte(std::uint8_t) { return false; }

OsHandle NarratingPlatform::OpenFileForWrite(const char* path) {
  const std::string name = FileNameOf(path);
  const bool forDrive = name == "tolvimer.cfg" && IsWord(last_.section.c_str(), "General") &&
                        IsWord(last_.key.c_str(), "Drive") && last_.present && !openedSinceRead_;
  openedSinceRead_ = true;
  const std::string real = StartsWith(path, folder_) ? input_.launcherFolder + name : path;
  const FileFacts facts = input_.lookAt(real);
  if (!facts.exists) {
    Act(name + " is not in the launcher folder: nothing is written to it (it is never created)",
        name == "dc_flash.bin" || forDrive);
    return 0;
  }
  openFile_ = name;
  openFileSize_ = facts.size;
  return kEmulatorFile;
}

bool NarratingPlatform::SetFilePointer(OsHandle, std::int32_t offset) {
  offset_ = offset;
  return true;
}

bool NarratingPlatform::WriteFileByte(OsHandle, std::uint8_t byte) {
  const char* meaning = PatchMeaning(openFile_, offset_);
  std::string text = Format("write 0x%02X", byte);
  if (byte >= 0x20 && byte < 0x7F) text += Format(" ('%c')", byte);
  text += Format(" at offset %d", offset_);
  if (offset_ >= 256) text += Format(" (0x%X)", static_cast<unsigned>(offset_));
  text += " of " + openFile_ + ": " + (meaning ? meaning : "a byte the launcher does not name");
  if (offset_ >= 0 && openFileSize_ <= static_cast<std::uint64_t>(offset_)) {
    text += Format(" (the file has only %llu bytes: the write would lengthen it)",
                   static_cast<unsigned long long>(openFileSize_));
  }
  Act(text, !IsUnconditionalPatch(openFile_, offset_));
  return true;
}

bool NarratingPlatform::CloseHandle(OsHandle) { return true; }

bool NarratingPlatform::CreateProcess(char* commandLine, ProcessRecord& out) {
  if (IsWord(last_.section.c_str(), "General") && IsWord(last_.key.c_str(), "TolvimerExe")) {
    facts_.emulatorStarted = true;
    facts_.emulatorCommandLine = commandLine;
    Act("start the emulator with the command line: " + Shown(commandLine) +
            (last_.present ? "" : " (the default)"),
        true);
    out = {kEmulatorProcess, kEmulatorThread, kEmulatorProcessId, kEmulatorProcessId + 1};
    return true;
  }
  facts_.mountCommandLines.push_back(commandLine);
  Act(std::string(facts_.emulatorStarted ? "unmount" : "mount") +
          " the image, starting without waiting for it: " + Shown(commandLine),
      true);
  out = {kToolProcess, kToolThread, 5000, 5001};
  return true;
}

std::uint32_t NarratingPlatform::WaitForInputIdle(OsHandle, std::uint32_t milliseconds) {
  Act(Format("wait up to %u ms for the emulator to be ready for input", milliseconds), false);
  return 0;
}

std::uint32_t NarratingPlatform::WaitForSingleObject(OsHandle, std::uint32_t) {
  return kWaitTimeout;
}

bool NarratingPlatform::GetExitCodeProcess(OsHandle, std::uint32_t& exitCode) {
  exitCode = win::kStillActive;
  return true;
}

bool NarratingPlatform::EnumWindows(WindowEnumCallback callback, std::intptr_t param) {
  Act("look for the emulator's first top-level window (a dry run takes it as found; without "
      "one, \"Window not found\" ends the run)",
      false);
  callback(*this, kEmulatorWindow, param);
  return true;
}

std::uint32_t NarratingPlatform::GetWindowThreadProcessId(WindowHandle window,
                                                          std::uint32_t& processId) {
  processId = window == kEmulatorWindow ? kEmulatorProcessId : 0;
  return 1;
}

int NarratingPlatform::MessageBox(WindowHandle, const char* text, const char* caption,
                                  std::uint32_t) {
  Act(Format("show the message box \"%s\" (caption \"%s\")", text, caption), false);
  return 1;
}

bool NarratingPlatform::PostMessage(WindowHandle, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t) {
  if (message != win::kWmCommand) {
    Act(Format("post message 0x%X to the emulator window", message), false);
    return true;
  }
  const std::uint16_t id = static_cast<std::uint16_t>(wParam & 0xFFFF);
  const char* meaning = CommandMeaning(id);
  Act(Format("post command %u (0x%04X) to the emulator window: %s", id, id,
             meaning ? meaning : "not in the emulator command table"),
      !IsUnconditionalCommand(id));
  return true;
}

std::intptr_t NarratingPlatform::SendMessage(WindowHandle, std::uint32_t message, std::uintptr_t,
                                             std::intptr_t) {
  Act(message == win::kWmClose
          ? "send WM_CLOSE to the emulator window and go on once the emulator has handled it"
          : Format("send message 0x%X to the emulator window", message),
      false);
  return 0;
}

bool NarratingPlatform::ShowWindow(WindowHandle, int command) {
  Act(command == win::kSwHide ? "hide the emulator window"
                              : Format("show the emulator window (command %d)", command),
      true);
  return true;
}

bool NarratingPlatform::BringWindowToTop(WindowHandle) {
  Act("bring the emulator window to the top", false);
  return true;
}

bool NarratingPlatform::SetMenu(WindowHandle, std::uintptr_t) {
  Act("remove the emulator window's menu bar", true);
  return true;
}

std::int32_t NarratingPlatform::SetWindowLong(WindowHandle, int, std::int32_t value) {
  Act(Format("replace the window's whole style with %d (no caption, frame or menu)", value), true);
  return 0;
}

bool NarratingPlatform::SetWindowPos(WindowHandle, WindowHandle, int x, int y, int cx, int cy,
                                     std::uint32_t) {
  Act(Format("move the window to (%d, %d) and size it to %s, shown, keeping its place in the "
             "z-order",
             x, y, ScreenText(cx, cy).c_str()),
      true);
  return true;
}

bool NarratingPlatform::UpdateWindow(WindowHandle) {
  Act("repaint the window", true);
  return true;
}

void NarratingPlatform::KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode,
                                   std::uint32_t flags, std::uintptr_t) {
  // A tap is a key-down and a key-up; the key-up counts it.
  if ((flags & win::kKeyEventKeyUp) == 0) return;
  if (tap_.count > 0 && (tap_.virtualKey != virtualKey || tap_.scanCode != scanCode)) FlushTaps();
  tap_.virtualKey = virtualKey;
  tap_.scanCode = scanCode;
  ++tap_.count;
}

std::uint32_t NarratingPlatform::MapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  const std::uint32_t answer = MapVirtualKeyAnswer(code, mapType);
  if (mapType == win::kMapVkToChar) {
    facts_.exitKeyRead = true;
    facts_.exitSettingCode = code;
    const std::uint32_t key = answer & 0xFF;
    Act(key == 0 ? Format("the exit key becomes 0: virtual key %u (%s) gives no character", code,
                          VirtualKeyName(code).c_str())
                 : Format("the exit key becomes %u (%s), the character of virtual key %u", key,
                          VirtualKeyName(key).c_str(), code),
        true);
  }
  return answer;
}

std::int16_t NarratingPlatform::GetAsyncKeyState(int virtualKey) {
  if (!watchTold_) {
    watchTold_ = true;
    const std::uint32_t key = static_cast<std::uint32_t>(virtualKey) & 0xFF;
    facts_.exitKeyPolled = key;
    Act(Format("watch every 500 ms until the emulator exits, the exit key %u (%s) is pressed", key,
               VirtualKeyName(key).c_str()) +
            ComboText(),
        false);
    Act("a dry run takes the exit key as pressed at the first check: play ends", false);
  }
  return static_cast<std::int16_t>(-0x7FFF);  // 0x8001: down now and pressed since
}

bool NarratingPlatform::SetCursorPos(int x, int y) {
  const std::string where = ScreenText(x, y) == "the screen's size"
                                ? std::string("(screen width, screen height)")
                                : Format("(%d, %d)", x, y);
  Act("move the mouse cursor to " + where + ", where it stops in the bottom-right corner", true);
  return true;
}

int NarratingPlatform::GetSystemMetrics(int index) {
  if (index == win::kSmCxScreen) return switchedWidth_ ? switchedWidth_ : kAssumedWidth;
  if (index == win::kSmCyScreen) return switchedHeight_ ? switchedHeight_ : kAssumedHeight;
  return 0;
}

bool NarratingPlatform::GetCurrentDisplayMode(DisplayMode& mode) {
  mode = DisplayMode{};
  mode.width = kAssumedWidth;
  mode.height = kAssumedHeight;
  mode.bitsPerPixel = 32;
  mode.frequency = 60;
  return true;
}

std::int32_t NarratingPlatform::ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t) {
  if (mode == nullptr) {
    Act("restore the desktop mode stored in the registry", true);
    return 0;
  }
  switchedWidth_ = static_cast<int>(mode->width);
  switchedHeight_ = static_cast<int>(mode->height);
  Act(Format("switch the desktop to %ux%u, keeping its colour depth and refresh rate (not stored "
             "in the registry)",
             mode->width, mode->height),
      true);
  return 0;
}

void NarratingPlatform::WaitWithAutoPlaySuppressed(Instance, std::uint32_t milliseconds) {
  Act(milliseconds == 0
          ? std::string("a delay of 0 ms: no wait")
          : Format("wait %u ms behind the hidden \"DisableAutolaunch\" window, cancelling "
                   "Windows AutoPlay; the first AutoPlay query ends the wait",
                   milliseconds),
      true);
}

HResult NarratingPlatform::DirectInputCreate(Instance, std::uint32_t, ComObject& directInput) {
  if (!gamepadsTold_) {
    gamepadsTold_ = true;
    Act("prepare the gamepads through DirectInput 5 (a dry run finds none attached)", false);
  }
  directInput = kDirectInput;
  return 0;
}

HResult NarratingPlatform::EnumJoysticks(ComObject, DeviceEnumCallback, std::intptr_t) { return 0; }
HResult NarratingPlatform::CreateDevice(ComObject, const Guid&, ComObject& device) {
  device = 0;
  return 0;
}
HResult NarratingPlatform::QueryDevice2(ComObject, ComObject& device2) {
  device2 = 0;
  return 0;
}
std::uint32_t NarratingPlatform::Release(ComObject) { return 0; }
WindowHandle NarratingPlatform::GetDesktopWindow() { return 0xD0; }
HResult NarratingPlatform::SetCooperativeLevel(ComObject, WindowHandle, std::uint32_t) { return 0; }
HResult NarratingPlatform::SetJoystickDataFormat(ComObject) { return 0; }
HResult NarratingPlatform::SetAxisRange(ComObject, std::uint32_t, std::int32_t, std::int32_t) {
  return 0;
}
HResult NarratingPlatform::Acquire(ComObject) { return 0; }
HResult NarratingPlatform::Poll(ComObject) { return 0; }
HResult NarratingPlatform::GetDeviceState(ComObject, std::uint32_t, JoyState& state) {
  state = JoyState{};
  return 0;
}
HResult NarratingPlatform::Unacquire(ComObject) { return 0; }

}  // namespace tolvimer::plan
