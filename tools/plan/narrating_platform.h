// A Platform that does nothing and tells what the launcher would do.
//
// Settings reads are answered from the settings file; every other call is
// narrated instead of made and answered with the normal course of a run: the
// emulator's files exist as they do in the launcher folder, every program
// starts, the emulator's window is found, no gamepad is attached, and play
// ends by the exit key. Calls are gathered into steps: the reads that decide
// a step and the actions they lead to, or actions made on every run.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/plan/plan_input.h"

namespace tolvimer::plan {

struct PlanStep {
  std::vector<std::string> reads;
  std::vector<std::string> actions;
  bool always = false;  // actions made whatever the settings say
};

// What the run met that the warnings need.
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
};

class NarratingPlatform final : public Platform {
 public:
  explicit NarratingPlatform(const PlanInput& input);

  // Ends a pending run of key taps; call before reading the steps.
  void Finish();
  const std::vector<PlanStep>& Steps() const { return steps_; }
  const RunFacts& Facts() const { return facts_; }
  // Adds an action step of the dry run's own ("the launcher returns 1").
  void Note(const std::string& text);

  std::uint32_t GetModuleFileName(char* buffer, std::uint32_t capacity) override;
  std::uint32_t GetProfileString(const char* section, const char* key, char* out,
                                 std::uint32_t size, const char* path) override;
  bool IsDbcsLeadByte(std::uint8_t byte) override;
  OsHandle OpenFileForWrite(const char* path) override;
  bool SetFilePointer(OsHandle file, std::int32_t offset) override;
  bool WriteFileByte(OsHandle file, std::uint8_t byte) override;
  bool CloseHandle(OsHandle handle) override;
  bool CreateProcess(char* commandLine, ProcessRecord& out) override;
  std::uint32_t WaitForInputIdle(OsHandle process, std::uint32_t milliseconds) override;
  std::uint32_t WaitForSingleObject(OsHandle handle, std::uint32_t milliseconds) override;
  bool GetExitCodeProcess(OsHandle process, std::uint32_t& exitCode) override;
  bool EnumWindows(WindowEnumCallback callback, std::intptr_t param) override;
  std::uint32_t GetWindowThreadProcessId(WindowHandle window, std::uint32_t& processId) override;
  int MessageBox(WindowHandle owner, const char* text, const char* caption,
                 std::uint32_t type) override;
  bool PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  std::intptr_t SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  bool ShowWindow(WindowHandle window, int command) override;
  bool BringWindowToTop(WindowHandle window) override;
  bool SetMenu(WindowHandle window, std::uintptr_t menu) override;
  std::int32_t SetWindowLong(WindowHandle window, int index, std::int32_t value) override;
  bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  bool UpdateWindow(WindowHandle window) override;
  void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                  std::uintptr_t extraInfo) override;
  std::uint32_t MapVirtualKey(std::uint32_t code, std::uint32_t mapType) override;
  std::int16_t GetAsyncKeyState(int virtualKey) override;
  bool SetCursorPos(int x, int y) override;
  int GetSystemMetrics(int index) override;
  bool GetCurrentDisplayMode(DisplayMode& mode) override;
  std::int32_t ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) override;
  void WaitWithAutoPlaySuppressed(Instance instance, std::uint32_t milliseconds) override;
  HResult DirectInputCreate(Instance instance, std::uint32_t version,
                            ComObject& directInput) override;
  HResult EnumJoysticks(ComObject directInput, DeviceEnumCallback callback,
                        std::intptr_t param) override;
  HResult CreateDevice(ComObject directInput, const Guid& instanceGuid, ComObject& device) override;
  HResult QueryDevice2(ComObject device, ComObject& device2) override;
  std::uint32_t Release(ComObject object) override;
  WindowHandle GetDesktopWindow() override;
  HResult SetCooperativeLevel(ComObject device2, WindowHandle window, std::uint32_t flags) override;
  HResult SetJoystickDataFormat(ComObject device2) override;
  HResult SetAxisRange(ComObject device2, std::uint32_t offset, std::int32_t minimum,
                       std::int32_t maximum) override;
  HResult Acquire(ComObject device2) override;
  HResult Poll(ComObject device2) override;
  HResult GetDeviceState(ComObject device2, std::uint32_t size, JoyState& state) override;
  HResult Unacquire(ComObject device2) override;

 private:
  struct LastRead {
    std::string section;
    std::string key;
    bool present = false;
  };
  struct Tap {
    std::uint8_t virtualKey = 0;
    std::uint8_t scanCode = 0;
    std::uint32_t count = 0;
  };

  void Read(const std::string& line, bool continuesStep);
  void Act(const std::string& text, bool decidedBySettings);
  void FlushTaps();
  std::string FileNameOf(const std::string& launcherPath) const;
  std::string ScreenText(int width, int height) const;
  std::string ComboInputs() const;
  std::string ComboText() const;

  const PlanInput& input_;
  std::string folder_;  // the launcher folder as the launcher names it, with '\'
  std::vector<PlanStep> steps_;
  RunFacts facts_;
  LastRead last_;
  std::vector<std::string> readsSoFar_;  // "section/key" in lower case
  Tap tap_;
  std::string openFile_;  // the file name of the one open emulator file
  std::uint64_t openFileSize_ = 0;
  std::int32_t offset_ = 0;
  bool openedSinceRead_ = false;
  int switchedWidth_ = 0, switchedHeight_ = 0;
  bool watchTold_ = false;
  bool gamepadsTold_ = false;
};

}  // namespace tolvimer::plan
