#include "tools/plan/dry_run_platform.h"

#include "exitwatch/exit_watch.h"
#include "mount/playlist.h"
#include "platform/us_keyboard.h"
#include "settings/settings.h"
#include "tools/plan/autoplay_registry.h"
#include "tools/plan/setting_reads.h"

namespace tolvimer::plan {
namespace {

// Handles and ids the dry run hands out.
constexpr OsHandle kEmulatorProcess = 0x10, kEmulatorThread = 0x11;
constexpr OsHandle kToolProcess = 0x20, kToolThread = 0x21;
constexpr std::uint32_t kEmulatorProcessId = 4242;
constexpr WindowHandle kEmulatorWindow = 0xE1;
constexpr OsHandle kEmulatorFile = 0xF1;
constexpr OsHandle kPlaylistFile = 0xF2;
constexpr ComObject kDirectInput = 0xD1;
// The screen size answered while no mode switch has named one.
constexpr int kAssumedWidth = 1024, kAssumedHeight = 768;

bool StartsWith(const std::string& text, const std::string& head) {
  return text.compare(0, head.size(), head) == 0;
}

}  // namespace

DryRunPlatform::DryRunPlatform(const PlanInput& input) : input_(input) {
  folder_ = input.launcherFolder;
  for (char& c : folder_) c = c == '/' ? '\\' : c;
  if (folder_.empty() || folder_.back() != '\\') folder_ += '\\';
}

bool DryRunPlatform::IsAssumedScreen(int width, int height) {
  return switchedWidth_ == 0 && width == kAssumedWidth && height == kAssumedHeight;
}

void DryRunPlatform::BeginStep(Step step) {
  step_ = step;
  inSteps_ = true;
}

void DryRunPlatform::CommandLineTooLong(std::size_t length, std::size_t room) {
  facts_.tooLong.push_back({IsUnmountStep(step_) ? "unmount" : "mount", length, room});
}

void DryRunPlatform::CommandLineRefused(const char* reason) {
  facts_.refused.push_back(std::string(IsUnmountStep(step_) ? "the unmount" : "the mount") +
                           " command line is not run: " + reason);
}

std::uint32_t DryRunPlatform::GetModuleFileName(char* buffer, std::uint32_t capacity) {
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

std::uint32_t DryRunPlatform::GetProfileString(const char* section, const char* key, char* out,
                                               std::uint32_t size, const char* path) {
  if (size > 0) out[0] = '\0';
  std::uint32_t n = 0;
  if (path == folder_ + kSettingsFileName) n = ReadPlanSetting(input_, section, key, out, size);
  const bool on = n != 0 && IsWord(out, "true");
  if (!inSteps_ && IsWord(section, "General") && IsWord(key, "Log")) facts_.logOn = on;
  if (!inSteps_ && IsWord(section, "General") && IsWord(key, "Recover")) facts_.recoverOn = on;
  return n;
}

void DryRunPlatform::ExitComboRead(const ExitCombo& combo) {
  facts_.comboEnabled = combo.enabled != 0;
  for (const ComboKey& key : kComboKeys) {
    if (combo.wanted[key.input]) facts_.comboInputs.push_back(key.key);
  }
}

void DryRunPlatform::PlaylistRead(const Playlist& playlist) {
  facts_.playlist = true;
  facts_.playlistPathTooLong = playlist.state == Playlist::kPathTooLong;
  for (int i = 0; i < playlist.count; ++i) facts_.discs.push_back(playlist.discs[i]);
}

void DryRunPlatform::SwapKeysRead(const SwapKeys& keys) {
  facts_.swapKey = keys.key != 0;
  facts_.swapKeyPolled = keys.key;
  facts_.swapComboEnabled = keys.combo.enabled != 0;
  facts_.swapComboEmpty = keys.combo.wantedCount == 0;
}

OsHandle DryRunPlatform::OpenFileForRead(const char* path) {
  readBytes_.clear();
  readAt_ = 0;
  if (!input_.readFile || !input_.readFile(path, readBytes_)) return 0;
  return kPlaylistFile;
}

bool DryRunPlatform::ReadFileBytes(OsHandle file, char* data, std::uint32_t size,
                                   std::uint32_t& read) {
  read = 0;
  if (file != kPlaylistFile) return false;
  read = static_cast<std::uint32_t>(readBytes_.copy(data, size, readAt_));
  readAt_ += read;
  return true;
}

OsHandle DryRunPlatform::OpenFileForWrite(const char* path) {
  const std::string launcherPath = path;
  const std::string name =
      StartsWith(launcherPath, folder_) ? launcherPath.substr(folder_.size()) : launcherPath;
  const std::string real = StartsWith(path, folder_) ? input_.launcherFolder + name : path;
  const FileFacts facts = input_.lookAt(real);
  if (!facts.exists) return 0;
  openFileSize_ = facts.size;
  return kEmulatorFile;
}

bool DryRunPlatform::CreateProcess(char* commandLine, ProcessRecord& out) {
  if (step_ == Step::kStartEmulator) {
    facts_.emulatorStarted = true;
    facts_.emulatorCommandLine = commandLine;
    out = {kEmulatorProcess, kEmulatorThread, kEmulatorProcessId, kEmulatorProcessId + 1};
    return true;
  }
  facts_.mountCommandLines.push_back(commandLine);
  if (step_ == Step::kUnmount) facts_.unmountRun = true;
  out = {kToolProcess, kToolThread, 5000, 5001};
  return true;
}

bool DryRunPlatform::GetExitCodeProcess(OsHandle, std::uint32_t& exitCode) {
  exitCode = win::kStillActive;
  return true;
}

bool DryRunPlatform::EnumWindows(WindowEnumCallback callback, std::intptr_t param) {
  callback(*this, kEmulatorWindow, param);
  return true;
}

std::uint32_t DryRunPlatform::GetWindowThreadProcessId(WindowHandle window,
                                                       std::uint32_t& processId) {
  processId = window == kEmulatorWindow ? kEmulatorProcessId : 0;
  return 1;
}

std::uint32_t DryRunPlatform::MapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  const std::uint32_t answer = UsKeyboardMap(code, mapType);
  if (mapType == win::kMapVkToChar) {
    facts_.exitKeyRead = true;
    facts_.exitSettingCode = code;
  }
  return answer;
}

std::uint32_t DryRunPlatform::GetKeyName(std::uint32_t virtualKey, char* out, std::uint32_t size) {
  return UsKeyName(virtualKey, out, size);
}

bool DryRunPlatform::RunsElevated() {
  facts_.elevatedWithHandler = PlanRunsElevated();
  return facts_.elevatedWithHandler;
}

std::int16_t DryRunPlatform::GetAsyncKeyState(int virtualKey) {
  facts_.exitKeyPolled = static_cast<std::uint32_t>(virtualKey) & 0xFF;
  return static_cast<std::int16_t>(-0x7FFF);  // 0x8001: down now and pressed since
}

int DryRunPlatform::GetSystemMetrics(int index) {
  if (index == win::kSmCxScreen) return switchedWidth_ ? switchedWidth_ : kAssumedWidth;
  if (index == win::kSmCyScreen) return switchedHeight_ ? switchedHeight_ : kAssumedHeight;
  return 0;
}

bool DryRunPlatform::GetCurrentDisplayMode(DisplayMode& mode) {
  mode = DisplayMode{};
  mode.width = kAssumedWidth;
  mode.height = kAssumedHeight;
  mode.bitsPerPixel = 32;
  mode.frequency = 60;
  return true;
}

std::int32_t DryRunPlatform::ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t) {
  if (mode != nullptr) {
    switchedWidth_ = static_cast<int>(mode->width);
    switchedHeight_ = static_cast<int>(mode->height);
  }
  return 0;
}

HResult DryRunPlatform::DirectInputCreate(Instance, std::uint32_t, ComObject& directInput) {
  directInput = kDirectInput;
  return 0;
}

HResult DryRunPlatform::CreateDevice(ComObject, const Guid&, ComObject& device) {
  device = 0;
  return 0;
}

HResult DryRunPlatform::QueryDevice2(ComObject, ComObject& device2) {
  device2 = 0;
  return 0;
}

HResult DryRunPlatform::GetDeviceState(ComObject, std::uint32_t, JoyState& state) {
  state = JoyState{};
  return 0;
}

}  // namespace tolvimer::plan
