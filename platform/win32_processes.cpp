// The Win32 platform: processes and windows (the mount tools, the emulator
// and its window).
#include <cstring>

#include "platform/win32_calls.h"

namespace tolvimer {
using win32::As;
using win32::AsHandle;
using win32::AsWindow;
using win32::FromPointer;

namespace {

// EnumWindows calls back with its own signature; this carries the portable
// callback through its context argument.
struct WindowEnumContext {
  Platform* os;
  WindowEnumCallback callback;
  std::intptr_t param;
};

BOOL CALLBACK WindowEnumTrampoline(HWND window, LPARAM context) {
  const auto& c = *reinterpret_cast<WindowEnumContext*>(context);
  return c.callback(*c.os, FromPointer(window), c.param) ? TRUE : FALSE;
}

#ifndef _WIN64
static_assert(sizeof(STARTUPINFOA) == 68, "the 32-bit start-up record is 68 bytes");
#endif

}  // namespace

bool Win32Platform::CreateProcess(char* commandLine, ProcessRecord& out) {
  return CreateProcessWithEnvironment(commandLine, nullptr, out);
}

bool Win32Platform::CreateProcessWithEnvironment(char* commandLine, const char* environment,
                                                 ProcessRecord& out) {
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info;
  std::memset(&info, 0, sizeof info);
  // Windows only reads the block; its parameter is not declared const.
  void* const block = const_cast<char*>(environment);
  const BOOL started = ::CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, block,
                                        nullptr, &startup, &info);
  out.process = FromPointer(info.hProcess);
  out.thread = FromPointer(info.hThread);
  out.processId = info.dwProcessId;
  out.threadId = info.dwThreadId;
  return started != 0;
}

const char* Win32Platform::GetEnvironmentStrings() { return ::GetEnvironmentStrings(); }

bool Win32Platform::FreeEnvironmentStrings(const char* block) {
  return ::FreeEnvironmentStringsA(const_cast<char*>(block)) != 0;
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

bool Win32Platform::IsWindow(WindowHandle window) { return ::IsWindow(AsWindow(window)) != 0; }

std::uint32_t Win32Platform::GetCurrentProcessId() { return ::GetCurrentProcessId(); }

OsHandle Win32Platform::GetCurrentProcess() { return FromPointer(::GetCurrentProcess()); }

OsHandle Win32Platform::OpenProcess(std::uint32_t processId) {
  // The limited right is granted on every process of the same user, those of
  // higher integrity included: a refusal means another user's process.
  HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, processId);
  return FromPointer(process);
}

bool Win32Platform::RunsElevated() {
  // advapi32 at run time, as ole32 is: only a run with CancelAutoPlay asks.
  using OpenProcessTokenFn = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
  using GetTokenInformationFn =
      BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
  const HMODULE advapi32 = ::LoadLibraryA("advapi32.dll");
  if (!advapi32) return false;
  const auto openToken = reinterpret_cast<OpenProcessTokenFn>(
      reinterpret_cast<void*>(::GetProcAddress(advapi32, "OpenProcessToken")));
  const auto tokenInformation = reinterpret_cast<GetTokenInformationFn>(
      reinterpret_cast<void*>(::GetProcAddress(advapi32, "GetTokenInformation")));
  // The elevated half of a split token: the shell, started with the limited
  // half, runs below it. Without a split (UAC off) the shell runs as the
  // launcher does and reaches it.
  HANDLE token = nullptr;
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  const bool elevated =
      openToken && tokenInformation && openToken(::GetCurrentProcess(), TOKEN_QUERY, &token) &&
      tokenInformation(token, TokenElevationType, &type, sizeof type, &size) &&
      type == TokenElevationTypeFull;
  if (token) ::CloseHandle(token);
  ::FreeLibrary(advapi32);
  return elevated;
}

bool Win32Platform::GetProcessCreationTime(OsHandle process, std::uint64_t& creationTime) {
  FILETIME created, exited, kernel, user;
  if (!::GetProcessTimes(AsHandle(process), &created, &exited, &kernel, &user)) return false;
  creationTime = (std::uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
  return true;
}

}  // namespace tolvimer
