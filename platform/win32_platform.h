// The Platform of the real launcher: every method is one Win32 call.
#pragma once

#include "platform/platform.h"

namespace tolvimer {

class Win32Platform final : public Platform {
 public:
  std::uint32_t GetModuleFileName(char* buffer, std::uint32_t capacity) override;
  std::uint32_t GetProfileString(const char* section, const char* key, char* out,
                                 std::uint32_t size, const char* path) override;
  bool IsDbcsLeadByte(std::uint8_t byte) override;
  OsHandle OpenFileForWrite(const char* path) override;
  bool SetFilePointer(OsHandle file, std::int32_t offset) override;
  bool WriteFileByte(OsHandle file, std::uint8_t byte) override;
  bool CloseHandle(OsHandle handle) override;
  bool CreateProcess(char* commandLine, ProcessRecord& out) override;
  bool CreateProcessWithEnvironment(char* commandLine, const char* environment,
                                    ProcessRecord& out) override;
  const char* GetEnvironmentStrings() override;
  bool FreeEnvironmentStrings(const char* block) override;
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
  std::uint32_t GetKeyName(std::uint32_t virtualKey, char* out, std::uint32_t size) override;
  bool SetCursorPos(int x, int y) override;
  int GetSystemMetrics(int index) override;
  bool GetCurrentDisplayMode(DisplayMode& mode) override;
  std::int32_t ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) override;
  std::uint32_t WaitWithAutoPlaySuppressed(Instance instance, std::uint32_t milliseconds) override;
  AutoPlayWaitResult WaitWithAutoPlayHelpers(Instance instance, std::uint32_t milliseconds,
                                             const AutoPlayWaitHelpers& helpers) override;
  HResult RegisterAutoPlayHandler(const char* watchedRoot, std::uint32_t& cookie) override;
  HResult RevokeAutoPlayHandler(std::uint32_t cookie) override;
  AutoPlayAnswers TakeAutoPlayAnswers() override;
  bool RunsElevated() override;
  std::uint32_t SetErrorMode(std::uint32_t mode) override;
  std::uint32_t GetDriveType(const char* root) override;
  bool GetVolumeSerial(const char* root, std::uint32_t& serial) override;
  HResult DirectInputCreate(Instance instance, std::uint32_t version,
                            ComObject& directInput) override;
  HResult EnumJoysticks(ComObject directInput, DeviceEnumCallback callback,
                        std::intptr_t param) override;
  HResult CreateDevice(ComObject directInput, const Guid& instanceGuid,
                       ComObject& device) override;
  HResult QueryDevice2(ComObject device, ComObject& device2) override;
  std::uint32_t Release(ComObject object) override;
  WindowHandle GetDesktopWindow() override;
  HResult SetCooperativeLevel(ComObject device2, WindowHandle window,
                              std::uint32_t flags) override;
  HResult SetJoystickDataFormat(ComObject device2) override;
  HResult SetAxisRange(ComObject device2, std::uint32_t offset, std::int32_t minimum,
                       std::int32_t maximum) override;
  HResult Acquire(ComObject device2) override;
  HResult Poll(ComObject device2) override;
  HResult GetDeviceState(ComObject device2, std::uint32_t size, JoyState& state) override;
  HResult Unacquire(ComObject device2) override;
  const char* GetCommandLine() override;
  std::uint32_t GetTickCount() override;
  std::uint32_t GetLastError() override;
  std::uint32_t FormatMessage(std::uint32_t code, char* out, std::uint32_t size) override;
  bool FileExists(const char* path) override;
  bool IsWindow(WindowHandle window) override;
  OsHandle CreateLogFile(const char* path) override;
  bool WriteFileBytes(OsHandle file, const char* data, std::uint32_t size) override;
  bool FlushFileBuffers(OsHandle file) override;
  OsHandle OpenFileForRead(const char* path) override;
  bool ReadFileBytes(OsHandle file, char* data, std::uint32_t size, std::uint32_t& read) override;
  bool DeleteFile(const char* path) override;
  std::uint32_t GetCurrentProcessId() override;
  OsHandle GetCurrentProcess() override;
  OsHandle OpenProcess(std::uint32_t processId) override;
  bool GetProcessCreationTime(OsHandle process, std::uint64_t& creationTime) override;
};

}  // namespace tolvimer
