// The platform of a dry run: it does nothing and answers with the normal
// course of a run. Settings reads are answered from the settings file, the
// emulator's files exist as they do in the launcher folder, every program
// starts, the emulator's window is found, no gamepad is attached, play ends
// by the exit key, and no run log is written. It notes what the warnings
// need to know about the run.
#pragma once

#include <string>
#include <vector>

#include "narration/narrator.h"
#include "platform/platform.h"
#include "tools/plan/plan_input.h"

namespace tolvimer::plan {

// What the run met that the warnings and the plan's head need.
struct RunFacts {
  std::vector<std::string> mountCommandLines;  // mount first, then unmount
  std::string emulatorCommandLine;
  bool emulatorStarted = false;
  bool exitKeyRead = false;
  std::uint32_t exitSettingCode = 0;  // the virtual key [General] Exit names
  std::uint32_t exitKeyPolled = 27;
  bool comboEnabled = false;
  std::vector<std::string> comboInputs;
  bool launcherPathTooLong = false;
  bool logOn = false;      // [General] Log is "true"
  bool recoverOn = false;  // [General] Recover is "true"
  // Command lines not run for want of room: "mount" or "unmount", with the
  // characters they would have had beyond the room their buffer holds.
  struct TooLong {
    std::string what;
    std::size_t length;
    std::size_t room;
  };
  std::vector<TooLong> tooLong;
  // Command lines not run for a character of the image path: the line and why.
  std::vector<std::string> refused;
  bool quotedImageInForm = false;  // a quoted image path went into a built-in form
  bool unmountRun = false;         // the end ran an unmount command line
  // A playlist image: its discs, and the next-disc key and combination.
  bool playlist = false;
  bool playlistPathTooLong = false;
  std::vector<std::string> discs;
  bool swapKey = false;
  std::uint32_t swapKeyPolled = 0;  // the virtual key [General] NextDisc names; 0: none
  bool swapComboEnabled = false;
  bool swapComboEmpty = false;
  // The AutoPlay handler was registered ([General] CancelAutoPlay) while the
  // plan runs elevated.
  bool elevatedWithHandler = false;
};

class DryRunPlatform final : public Platform, public DryRunKnowledge {
 public:
  explicit DryRunPlatform(const PlanInput& input);
  const RunFacts& Facts() const { return facts_; }

  std::uint64_t OpenFileSize() override { return openFileSize_; }
  bool IsAssumedScreen(int width, int height) override;

  void BeginStep(Step step) override;
  void CommandLineTooLong(std::size_t length, std::size_t room) override;
  void CommandLineRefused(const char* reason) override;
  void QuotedImagePathInForm() override { facts_.quotedImageInForm = true; }
  void ExitComboRead(const ExitCombo& combo) override;
  void PlaylistRead(const Playlist& playlist) override;
  void SwapKeysRead(const SwapKeys& keys) override;
  std::uint32_t GetModuleFileName(char* buffer, std::uint32_t capacity) override;
  std::uint32_t GetProfileString(const char* section, const char* key, char* out,
                                 std::uint32_t size, const char* path) override;
  bool IsDbcsLeadByte(std::uint8_t) override { return false; }
  OsHandle OpenFileForWrite(const char* path) override;
  bool SetFilePointer(OsHandle, std::int32_t) override { return true; }
  bool WriteFileByte(OsHandle, std::uint8_t) override { return true; }
  bool CloseHandle(OsHandle) override { return true; }
  bool CreateProcess(char* commandLine, ProcessRecord& out) override;
  // A tool's line as any other; the dry run knows no environment of the
  // machine, so the launcher's own is taken as empty.
  bool CreateProcessWithEnvironment(char* commandLine, const char*, ProcessRecord& out) override {
    return CreateProcess(commandLine, out);
  }
  const char* GetEnvironmentStrings() override { return "\0"; }
  bool FreeEnvironmentStrings(const char*) override { return true; }
  std::uint32_t WaitForInputIdle(OsHandle, std::uint32_t) override { return 0; }
  std::uint32_t WaitForSingleObject(OsHandle, std::uint32_t) override { return 0x102; }
  bool GetExitCodeProcess(OsHandle, std::uint32_t& exitCode) override;
  bool EnumWindows(WindowEnumCallback callback, std::intptr_t param) override;
  std::uint32_t GetWindowThreadProcessId(WindowHandle window, std::uint32_t& processId) override;
  int MessageBox(WindowHandle, const char*, const char*, std::uint32_t) override { return 1; }
  bool PostMessage(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override {
    return true;
  }
  std::intptr_t SendMessage(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) override {
    return 0;
  }
  bool ShowWindow(WindowHandle, int) override { return true; }
  bool BringWindowToTop(WindowHandle) override { return true; }
  bool SetMenu(WindowHandle, std::uintptr_t) override { return true; }
  std::int32_t SetWindowLong(WindowHandle, int, std::int32_t) override { return 0; }
  bool SetWindowPos(WindowHandle, WindowHandle, int, int, int, int, std::uint32_t) override {
    return true;
  }
  bool UpdateWindow(WindowHandle) override { return true; }
  void KeybdEvent(std::uint8_t, std::uint8_t, std::uint32_t, std::uintptr_t) override {}
  std::uint32_t MapVirtualKey(std::uint32_t code, std::uint32_t mapType) override;
  std::int16_t GetAsyncKeyState(int virtualKey) override;
  std::uint32_t GetKeyName(std::uint32_t virtualKey, char* out, std::uint32_t size) override;
  bool SetCursorPos(int, int) override { return true; }
  int GetSystemMetrics(int index) override;
  bool GetCurrentDisplayMode(DisplayMode& mode) override;
  std::int32_t ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) override;
  std::uint32_t WaitWithAutoPlaySuppressed(Instance, std::uint32_t) override { return 0; }
  AutoPlayWaitResult WaitWithAutoPlayHelpers(Instance, std::uint32_t milliseconds,
                                             const AutoPlayWaitHelpers&) override {
    AutoPlayWaitResult result;
    result.elapsed = milliseconds;
    return result;
  }
  HResult RegisterAutoPlayHandler(const char*, std::uint32_t& cookie) override {
    cookie = 1;
    return 0;
  }
  HResult RevokeAutoPlayHandler(std::uint32_t) override { return 0; }
  AutoPlayAnswers TakeAutoPlayAnswers() override { return AutoPlayAnswers{}; }
  // Whether the plan itself runs elevated: a launcher started the same way
  // would too.
  bool RunsElevated() override;
  // The dry run looks at no drive: it tells what the run will look at.
  std::uint32_t SetErrorMode(std::uint32_t) override { return 0; }
  std::uint32_t GetDriveType(const char*) override { return win::kDriveNoRootDir; }
  bool GetVolumeSerial(const char*, std::uint32_t&) override { return false; }
  HResult DirectInputCreate(Instance, std::uint32_t, ComObject& directInput) override;
  HResult EnumJoysticks(ComObject, DeviceEnumCallback, std::intptr_t) override { return 0; }
  HResult CreateDevice(ComObject, const Guid&, ComObject& device) override;
  HResult QueryDevice2(ComObject, ComObject& device2) override;
  std::uint32_t Release(ComObject) override { return 0; }
  WindowHandle GetDesktopWindow() override { return 0xD0; }
  HResult SetCooperativeLevel(ComObject, WindowHandle, std::uint32_t) override { return 0; }
  HResult SetJoystickDataFormat(ComObject) override { return 0; }
  HResult SetAxisRange(ComObject, std::uint32_t, std::int32_t, std::int32_t) override { return 0; }
  HResult Acquire(ComObject) override { return 0; }
  HResult Poll(ComObject) override { return 0; }
  HResult GetDeviceState(ComObject, std::uint32_t, JoyState& state) override;
  HResult Unacquire(ComObject) override { return 0; }
  // A dry run writes no log.
  const char* GetCommandLine() override { return ""; }
  std::uint32_t GetTickCount() override { return 0; }
  // The files the dry run is asked to open are not there for it: the undo
  // record is read and kept by the real run only.
  std::uint32_t GetLastError() override { return win::kErrorFileNotFound; }
  std::uint32_t FormatMessage(std::uint32_t, char*, std::uint32_t) override { return 0; }
  bool FileExists(const char*) override { return false; }
  bool IsWindow(WindowHandle) override { return true; }
  OsHandle CreateLogFile(const char*) override { return 0; }
  bool WriteFileBytes(OsHandle, const char*, std::uint32_t) override { return false; }
  bool FlushFileBuffers(OsHandle) override { return false; }
  // The undo record is neither read nor written: the plan reads it itself.
  // A playlist is read whole through the plan's input.
  OsHandle OpenFileForRead(const char* path) override;
  bool ReadFileBytes(OsHandle file, char* data, std::uint32_t size, std::uint32_t& read) override;
  bool DeleteFile(const char*) override { return false; }
  std::uint32_t GetCurrentProcessId() override { return 0; }
  OsHandle GetCurrentProcess() override { return 0; }
  OsHandle OpenProcess(std::uint32_t) override { return 0; }
  bool GetProcessCreationTime(OsHandle, std::uint64_t&) override { return false; }

 private:
  const PlanInput& input_;
  std::string folder_;  // the launcher folder as the launcher names it, with '\'
  RunFacts facts_;
  Step step_ = Step::kRegion;
  bool inSteps_ = false;
  std::uint64_t openFileSize_ = 0;
  std::string readBytes_;  // the playlist opened for reading
  std::size_t readAt_ = 0;
  int switchedWidth_ = 0, switchedHeight_ = 0;
};

}  // namespace tolvimer::plan
