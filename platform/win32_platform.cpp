#define DIRECTINPUT_VERSION 0x0500
#include <windows.h>
#include <dinput.h>

// The methods carry the Win32 names without the A suffix; the header's macros
// of the same names would rename them.
#undef GetModuleFileName
#undef CreateProcess
#undef MessageBox
#undef PostMessage
#undef SendMessage
#undef SetWindowLong
#undef MapVirtualKey
#undef ChangeDisplaySettings
#undef DirectInputCreate
#undef GetCommandLine
#undef FormatMessage
#undef DeleteFile

#include <cstring>

#include "platform/autoplay_handler_win32.h"
#include "platform/autoplay_window_win32.h"
#include "platform/win32_platform.h"

namespace tolvimer {
namespace {

template <typename T>
T* As(std::uintptr_t value) {
  return reinterpret_cast<T*>(value);
}

HANDLE AsHandle(OsHandle handle) { return reinterpret_cast<HANDLE>(handle); }
HWND AsWindow(WindowHandle window) { return reinterpret_cast<HWND>(window); }
std::uintptr_t FromPointer(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }

// EnumWindows and EnumDevices call back with their own signatures; these carry
// the portable callback through their context argument.
struct WindowEnumContext {
  Platform* os;
  WindowEnumCallback callback;
  std::intptr_t param;
};

BOOL CALLBACK WindowEnumTrampoline(HWND window, LPARAM context) {
  const auto& c = *reinterpret_cast<WindowEnumContext*>(context);
  return c.callback(*c.os, FromPointer(window), c.param) ? TRUE : FALSE;
}

struct DeviceEnumContext {
  DeviceEnumCallback callback;
  std::intptr_t param;
};

BOOL CALLBACK DeviceEnumTrampoline(LPCDIDEVICEINSTANCEA instance, LPVOID context) {
  const auto& c = *static_cast<DeviceEnumContext*>(context);
  DeviceInstance device;
  static_assert(sizeof device.guidInstance == sizeof instance->guidInstance, "GUID size");
  static_assert(sizeof device.productName == sizeof instance->tszProductName, "name size");
  const GUID& guid = instance->guidInstance;
  device.guidInstance.data1 = guid.Data1;
  device.guidInstance.data2 = guid.Data2;
  device.guidInstance.data3 = guid.Data3;
  std::memcpy(device.guidInstance.data4, guid.Data4, sizeof guid.Data4);
  std::memcpy(device.productName, instance->tszProductName, sizeof device.productName);
  return c.callback(device, c.param) ? DIENUM_CONTINUE : DIENUM_STOP;
}

static_assert(sizeof(DEVMODEA) <= sizeof(DisplayMode::native), "DEVMODEA must fit");
#ifndef _WIN64
static_assert(sizeof(STARTUPINFOA) == 68, "the 32-bit start-up record is 68 bytes");
#endif
static_assert(sizeof(JoyState) == sizeof(DIJOYSTATE), "JoyState must match DIJOYSTATE");

}  // namespace

std::uint32_t Win32Platform::GetModuleFileName(char* buffer, std::uint32_t capacity) {
  return ::GetModuleFileNameA(nullptr, buffer, capacity);
}

std::uint32_t Win32Platform::GetProfileString(const char* section, const char* key, char* out,
                                              std::uint32_t size, const char* path) {
  return ::GetPrivateProfileStringA(section, key, "", out, size, path);
}

bool Win32Platform::IsDbcsLeadByte(std::uint8_t byte) { return ::IsDBCSLeadByte(byte) != 0; }

OsHandle Win32Platform::OpenFileForWrite(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : FromPointer(file);
}

bool Win32Platform::SetFilePointer(OsHandle file, std::int32_t offset) {
  return ::SetFilePointer(AsHandle(file), offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER;
}

bool Win32Platform::WriteFileByte(OsHandle file, std::uint8_t byte) {
  DWORD written = 0;
  return ::WriteFile(AsHandle(file), &byte, 1, &written, nullptr) != 0;
}

bool Win32Platform::CloseHandle(OsHandle handle) { return ::CloseHandle(AsHandle(handle)) != 0; }

bool Win32Platform::CreateProcess(char* commandLine, ProcessRecord& out) {
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  std::memset(&info, 0, sizeof info);
  const BOOL started = ::CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr,
                                        nullptr, &startup, &info);
  out.process = FromPointer(info.hProcess);
  out.thread = FromPointer(info.hThread);
  out.processId = info.dwProcessId;
  out.threadId = info.dwThreadId;
  return started != 0;
}

std::uint32_t Win32Platform::WaitForInputIdle(OsHandle process, std::uint32_t milliseconds) {
  return ::WaitForInputIdle(AsHandle(process), milliseconds);
}

std::uint32_t Win32Platform::WaitForSingleObject(OsHandle handle, std::uint32_t milliseconds) {
  return ::WaitForSingleObject(AsHandle(handle), milliseconds);
}

bool Win32Platform::GetExitCodeProcess(OsHandle process, std::uint32_t& exitCode) {
  // A failed query leaves the caller's previous exit code, so that one
  // failure is not taken for the end of the process.
  DWORD code = 0;
  if (!::GetExitCodeProcess(AsHandle(process), &code)) return false;
  exitCode = code;
  return true;
}

bool Win32Platform::EnumWindows(WindowEnumCallback callback, std::intptr_t param) {
  WindowEnumContext context{this, callback, param};
  return ::EnumWindows(WindowEnumTrampoline, reinterpret_cast<LPARAM>(&context)) != 0;
}

std::uint32_t Win32Platform::GetWindowThreadProcessId(WindowHandle window,
                                                      std::uint32_t& processId) {
  DWORD owner = 0;
  const DWORD thread = ::GetWindowThreadProcessId(AsWindow(window), &owner);
  processId = owner;
  return thread;
}

int Win32Platform::MessageBox(WindowHandle owner, const char* text, const char* caption,
                              std::uint32_t type) {
  return ::MessageBoxA(AsWindow(owner), text, caption, type);
}

bool Win32Platform::PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
  return ::PostMessageA(AsWindow(window), message, wParam, lParam) != 0;
}

std::intptr_t Win32Platform::SendMessage(WindowHandle window, std::uint32_t message,
                                         std::uintptr_t wParam, std::intptr_t lParam) {
  return ::SendMessageA(AsWindow(window), message, wParam, lParam);
}

bool Win32Platform::ShowWindow(WindowHandle window, int command) {
  return ::ShowWindow(AsWindow(window), command) != 0;
}

bool Win32Platform::BringWindowToTop(WindowHandle window) {
  return ::BringWindowToTop(AsWindow(window)) != 0;
}

bool Win32Platform::SetMenu(WindowHandle window, std::uintptr_t menu) {
  return ::SetMenu(AsWindow(window), As<HMENU__>(menu)) != 0;
}

std::int32_t Win32Platform::SetWindowLong(WindowHandle window, int index, std::int32_t value) {
  return ::SetWindowLongA(AsWindow(window), index, value);
}

bool Win32Platform::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y,
                                 int cx, int cy, std::uint32_t flags) {
  return ::SetWindowPos(AsWindow(window), AsWindow(insertAfter), x, y, cx, cy, flags) != 0;
}

bool Win32Platform::UpdateWindow(WindowHandle window) {
  return ::UpdateWindow(AsWindow(window)) != 0;
}

void Win32Platform::KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode,
                               std::uint32_t flags, std::uintptr_t extraInfo) {
  ::keybd_event(virtualKey, scanCode, flags, extraInfo);
}

std::uint32_t Win32Platform::MapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  return ::MapVirtualKeyA(code, mapType);
}

std::int16_t Win32Platform::GetAsyncKeyState(int virtualKey) {
  return ::GetAsyncKeyState(virtualKey);
}

bool Win32Platform::SetCursorPos(int x, int y) { return ::SetCursorPos(x, y) != 0; }

int Win32Platform::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

bool Win32Platform::GetCurrentDisplayMode(DisplayMode& mode) {
  DEVMODEA devMode;
  std::memset(&devMode, 0, sizeof devMode);
  devMode.dmSize = 148;  // the structure without its panning fields
  if (!::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &devMode)) return false;
  mode.width = devMode.dmPelsWidth;
  mode.height = devMode.dmPelsHeight;
  mode.bitsPerPixel = devMode.dmBitsPerPel;
  mode.frequency = devMode.dmDisplayFrequency;
  std::memcpy(mode.native, &devMode, sizeof devMode);
  return true;
}

std::int32_t Win32Platform::ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) {
  if (!mode) return ::ChangeDisplaySettingsA(nullptr, flags);
  DEVMODEA devMode;
  std::memcpy(&devMode, mode->native, sizeof devMode);
  devMode.dmPelsWidth = mode->width;
  devMode.dmPelsHeight = mode->height;
  return ::ChangeDisplaySettingsA(&devMode, flags);
}

std::uint32_t Win32Platform::WaitWithAutoPlaySuppressed(Instance instance,
                                                        std::uint32_t milliseconds) {
  return tolvimer::WaitWithAutoPlaySuppressed(instance, milliseconds);
}

AutoPlayWaitResult Win32Platform::WaitWithAutoPlayHelpers(Instance instance,
                                                          std::uint32_t milliseconds,
                                                          const AutoPlayWaitHelpers& helpers) {
  return tolvimer::WaitWithAutoPlayHelpers(*this, instance, milliseconds, helpers);
}

HResult Win32Platform::RegisterAutoPlayHandler(std::uint32_t& cookie) {
  return tolvimer::RegisterAutoPlayHandler(cookie);
}

HResult Win32Platform::RevokeAutoPlayHandler(std::uint32_t cookie) {
  return tolvimer::RevokeAutoPlayHandler(cookie);
}

std::uint32_t Win32Platform::SetErrorMode(std::uint32_t mode) { return ::SetErrorMode(mode); }

std::uint32_t Win32Platform::GetDriveType(const char* root) { return ::GetDriveTypeA(root); }

bool Win32Platform::GetVolumeSerial(const char* root, std::uint32_t& serial) {
  DWORD number = 0;
  if (!::GetVolumeInformationA(root, nullptr, 0, &number, nullptr, nullptr, nullptr, 0)) {
    return false;
  }
  serial = number;
  return true;
}

HResult Win32Platform::DirectInputCreate(Instance instance, std::uint32_t version,
                                         ComObject& directInput) {
  IDirectInputA* object = nullptr;
  const HRESULT result =
      ::DirectInputCreateA(As<HINSTANCE__>(instance), version, &object, nullptr);
  directInput = FromPointer(object);
  return result;
}

HResult Win32Platform::EnumJoysticks(ComObject directInput, DeviceEnumCallback callback,
                                     std::intptr_t param) {
  DeviceEnumContext context{callback, param};
  return As<IDirectInputA>(directInput)
      ->EnumDevices(DIDEVTYPE_JOYSTICK, DeviceEnumTrampoline, &context, DIEDFL_ATTACHEDONLY);
}

HResult Win32Platform::CreateDevice(ComObject directInput, const Guid& instanceGuid,
                                    ComObject& device) {
  GUID guid;
  guid.Data1 = instanceGuid.data1;
  guid.Data2 = instanceGuid.data2;
  guid.Data3 = instanceGuid.data3;
  std::memcpy(guid.Data4, instanceGuid.data4, sizeof guid.Data4);
  IDirectInputDeviceA* first = nullptr;
  const HRESULT result = As<IDirectInputA>(directInput)->CreateDevice(guid, &first, nullptr);
  device = FromPointer(first);
  return result;
}

HResult Win32Platform::QueryDevice2(ComObject device, ComObject& device2) {
  void* second = nullptr;
  const HRESULT result =
      As<IDirectInputDeviceA>(device)->QueryInterface(IID_IDirectInputDevice2A, &second);
  device2 = FromPointer(second);
  return result;
}

std::uint32_t Win32Platform::Release(ComObject object) { return As<IUnknown>(object)->Release(); }

WindowHandle Win32Platform::GetDesktopWindow() { return FromPointer(::GetDesktopWindow()); }

HResult Win32Platform::SetCooperativeLevel(ComObject device2, WindowHandle window,
                                           std::uint32_t flags) {
  return As<IDirectInputDevice2A>(device2)->SetCooperativeLevel(AsWindow(window), flags);
}

HResult Win32Platform::SetJoystickDataFormat(ComObject device2) {
  return As<IDirectInputDevice2A>(device2)->SetDataFormat(&c_dfDIJoystick);
}

HResult Win32Platform::SetAxisRange(ComObject device2, std::uint32_t offset, std::int32_t minimum,
                                    std::int32_t maximum) {
  DIPROPRANGE range;
  range.diph.dwSize = sizeof(DIPROPRANGE);
  range.diph.dwHeaderSize = sizeof(DIPROPHEADER);
  range.diph.dwObj = offset;
  range.diph.dwHow = DIPH_BYOFFSET;
  range.lMin = minimum;
  range.lMax = maximum;
  return As<IDirectInputDevice2A>(device2)->SetProperty(DIPROP_RANGE, &range.diph);
}

HResult Win32Platform::Acquire(ComObject device2) {
  return As<IDirectInputDevice2A>(device2)->Acquire();
}

HResult Win32Platform::Poll(ComObject device2) { return As<IDirectInputDevice2A>(device2)->Poll(); }

HResult Win32Platform::GetDeviceState(ComObject device2, std::uint32_t size, JoyState& state) {
  return As<IDirectInputDevice2A>(device2)->GetDeviceState(size, &state);
}

HResult Win32Platform::Unacquire(ComObject device2) {
  return As<IDirectInputDevice2A>(device2)->Unacquire();
}

const char* Win32Platform::GetCommandLine() { return ::GetCommandLineA(); }

std::uint32_t Win32Platform::GetTickCount() { return ::GetTickCount(); }

std::uint32_t Win32Platform::GetLastError() { return ::GetLastError(); }

std::uint32_t Win32Platform::FormatMessage(std::uint32_t code, char* out, std::uint32_t size) {
  // One line whatever the text's own breaks; inserts such as %1 left as they
  // stand, since the call has no arguments to fill them with.
  constexpr DWORD kFlags =
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
  return ::FormatMessageA(kFlags, nullptr, code, 0, out, size, nullptr);
}

bool Win32Platform::FileExists(const char* path) {
  const DWORD attributes = ::GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Platform::IsWindow(WindowHandle window) { return ::IsWindow(AsWindow(window)) != 0; }

OsHandle Win32Platform::CreateLogFile(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : FromPointer(file);
}

bool Win32Platform::WriteFileBytes(OsHandle file, const char* data, std::uint32_t size) {
  DWORD written = 0;
  return ::WriteFile(AsHandle(file), data, size, &written, nullptr) != 0 && written == size;
}

bool Win32Platform::FlushFileBuffers(OsHandle file) {
  return ::FlushFileBuffers(AsHandle(file)) != 0;
}

OsHandle Win32Platform::OpenFileForRead(const char* path) {
  HANDLE file = ::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  return file == INVALID_HANDLE_VALUE ? 0 : FromPointer(file);
}

bool Win32Platform::ReadFileBytes(OsHandle file, char* data, std::uint32_t size,
                                  std::uint32_t& read) {
  DWORD got = 0;
  const bool ok = ::ReadFile(AsHandle(file), data, size, &got, nullptr) != 0;
  read = got;
  return ok;
}

bool Win32Platform::MoveFileReplacing(const char* from, const char* to) {
  return ::MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool Win32Platform::DeleteFile(const char* path) { return ::DeleteFileA(path) != 0; }

std::uint32_t Win32Platform::GetCurrentProcessId() { return ::GetCurrentProcessId(); }

OsHandle Win32Platform::GetCurrentProcess() { return FromPointer(::GetCurrentProcess()); }

OsHandle Win32Platform::OpenProcess(std::uint32_t processId) {
  HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, processId);
  return FromPointer(process);
}

bool Win32Platform::GetProcessCreationTime(OsHandle process, std::uint64_t& creationTime) {
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(AsHandle(process), &created, &exited, &kernel, &user)) return false;
  creationTime = (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
  return true;
}

}  // namespace tolvimer
