// A stand-in for the emulator: a plain Win32 GUI program that meets what the
// launcher relies on (a top-level window, WM_COMMAND, key taps, WM_CLOSE, an
// exit code) and records everything the launcher does to it.
//
// Its behaviour comes from "emulator_script.ini" beside it, section [Emulator]:
//   Window        now (default), late, never, or several (a visible main
//                 window, then a hidden second one above it in the z-order)
//   WindowDelayMs for late: how long to sleep before creating the window
//   CloseOnWmClose 1 (default) closes on WM_CLOSE, 0 ignores it
//   CloseDelayMs  how long handling WM_CLOSE takes (default 0)
//   ExitAfterMs / ExitCode   exit by itself after that time with that code
//   Presses       keys to press as the player would, "<vk>@<ms>" in time
//                 order, counted from the window's creation, e.g. "27@1500"
//   PressHoldMs   how long each press holds the key down (default 120)
//   LifetimeMs    safety limit after which it always ends (default 30000)
// Everything it sees goes to "emulator_log.txt" beside it, one line each.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "stand_in_log.h"

namespace {

standin::Log gLog;
standin::Script gScript;
HWND gWindows[2] = {};
HHOOK gHook = nullptr;

int WindowTag(HWND window) {
  for (int i = 0; i < 2; ++i) {
    if (gWindows[i] == window) return i + 1;
  }
  return 0;
}

void LogCommand(const MSG& message) {
  gLog.Line("command id=%u high=%u lparam=%lld window=%d", LOWORD(message.wParam),
            HIWORD(message.wParam), static_cast<long long>(message.lParam),
            WindowTag(message.hwnd));
}

// Records the file the launcher patches before the start: its size and the
// bytes that matter (the region byte of the flash image; the whole short
// configuration file).
void LogEmulatorFile(const char* name, long offset, DWORD count) {
  char path[MAX_PATH];
  standin::BesideModule(nullptr, name, path);
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) {
      gLog.Line("file %s missing", name);
    } else {
      gLog.Line("file %s unreadable error=%lu", name, error);
    }
    return;
  }
  const DWORD size = GetFileSize(file, nullptr);
  unsigned char bytes[64] = {};
  DWORD got = 0;
  if (count > sizeof bytes) count = sizeof bytes;
  SetFilePointer(file, offset, nullptr, FILE_BEGIN);
  ReadFile(file, bytes, count, &got, nullptr);
  CloseHandle(file);
  char hex[2 * sizeof bytes + 1] = {};
  for (DWORD i = 0; i < got; ++i) wsprintfA(hex + 2 * i, "%02x", bytes[i]);
  gLog.Line("file %s size=%lu offset=%ld bytes=%s", name, size, offset, hex);
}

// Whether the handle that the launcher's parent made inheritable reached this
// process through the launcher (see stand_in_log.h).
void LogInheritedHandle() {
  char value[32];
  if (!GetEnvironmentVariableA(standin::kInheritedHandleVariable, value, sizeof value)) {
    gLog.Line("inherited none");
    return;
  }
  const auto block =
      reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(std::strtoul(value, nullptr, 10)));
  const void* view = MapViewOfFile(block, FILE_MAP_READ, 0, 0, 0);
  const bool same =
      view && std::memcmp(view, standin::kInheritedText, sizeof standin::kInheritedText) == 0;
  if (view) UnmapViewOfFile(view);
  gLog.Line("inherited handle=%s block=%d", value, same ? 1 : 0);
}

void LogWindowState(const char* what, HWND window) {
  RECT rect = {};
  GetWindowRect(window, &rect);
  POINT cursor = {};
  GetCursorPos(&cursor);
  gLog.Line(
      "%s window=%d style=0x%08lx menu=%d rect=%ld,%ld,%ld,%ld visible=%d screen=%dx%d "
      "cursor=%ld,%ld topmost=%d",
      what, WindowTag(window), static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE)),
      GetMenu(window) ? 1 : 0, rect.left, rect.top, rect.right, rect.bottom,
      IsWindowVisible(window) ? 1 : 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
      cursor.x, cursor.y, (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
}

// Commands posted before a key tap are already queued when the tap's hook call
// arrives (the tapping thread waits for the hook). The hook call is a sent
// message and would overtake them, so they are taken from the queue and
// recorded first: the log then shows taps and commands in the order made.
void DrainQueuedCommands() {
  MSG message;
  while (PeekMessageA(&message, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE)) LogCommand(message);
}

LRESULT CALLBACK KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    DrainQueuedCommands();
    const auto* key = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    const bool up = wParam == WM_KEYUP || wParam == WM_SYSKEYUP;
    gLog.Line("key vk=%lu scan=%lu %s injected=%d extended=%d", key->vkCode, key->scanCode,
              up ? "up" : "down", (key->flags & LLKHF_INJECTED) ? 1 : 0,
              (key->flags & LLKHF_EXTENDED) ? 1 : 0);
  }
  return CallNextHookEx(gHook, code, wParam, lParam);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    DrainQueuedCommands();
    LogWindowState("close", window);
    if (!gScript.Int("Emulator", "CloseOnWmClose", 1)) {
      gLog.Line("close ignored");
      return 0;
    }
    // A sender waits until this returns; a poster has long moved on.
    Sleep(gScript.Int("Emulator", "CloseDelayMs", 0));
    for (HWND w : gWindows) {
      if (w) DestroyWindow(w);
    }
    PostQuitMessage(gScript.Int("Emulator", "CloseExitCode", 0));
    gLog.Line("closed");
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateStandInWindow(HINSTANCE instance, bool visible, bool withMenu) {
  HMENU menu = nullptr;
  if (withMenu) {
    menu = CreateMenu();
    AppendMenuA(menu, MF_STRING, 40001, "File");
  }
  return CreateWindowExA(0, "TolvimerStandIn", "Tolvimer stand-in",
                         WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 40, 30, 320, 240,
                         nullptr, menu, instance, nullptr);
}

// Presses the keys of "Presses", a list of <virtual key>@<ms after start>
// in time order, each held down for PressHoldMs.
DWORD WINAPI PressLater(void*) {
  const DWORD start = GetTickCount();
  char list[256];
  gScript.Text("Emulator", "Presses", list, sizeof list);
  const DWORD hold = static_cast<DWORD>(gScript.Int("Emulator", "PressHoldMs", 120));
  for (char* p = list; *p;) {
    char* end = nullptr;
    const unsigned long key = std::strtoul(p, &end, 10);
    if (end == p || *end != '@') break;
    p = end + 1;
    const unsigned long at = std::strtoul(p, &end, 10);
    p = end;
    while (*p == ' ' || *p == ',') ++p;
    const DWORD elapsed = GetTickCount() - start;
    if (at > elapsed) Sleep(static_cast<DWORD>(at) - elapsed);
    gLog.Line("press vk=%lu", key);
    standin::PressKey(static_cast<BYTE>(key), hold);
    gLog.Line("release vk=%lu", key);
  }
  return 0;
}

DWORD WINAPI ExitLater(void*) {
  Sleep(gScript.Int("Emulator", "ExitAfterMs", 1000));
  const UINT code = static_cast<UINT>(gScript.Int("Emulator", "ExitCode", 0));
  gLog.Line("end reason=self code=%u", code);
  ExitProcess(code);
}

DWORD WINAPI EndAtLifetime(void*) {
  Sleep(gScript.Int("Emulator", "LifetimeMs", 30000));
  gLog.Line("end reason=lifetime code=0");
  ExitProcess(0);
}

void StartThread(LPTHREAD_START_ROUTINE routine) {
  HANDLE thread = CreateThread(nullptr, 0, routine, nullptr, 0, nullptr);
  if (thread) CloseHandle(thread);
}

}  // namespace

// The tick count at which this process was created: the moment the launcher
// started it, before Wine's start-up of the process.
DWORD CreationTick() {
  FILETIME creation, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &creation, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  const ULONGLONG since = ((ULONGLONG{now.dwHighDateTime} << 32 | now.dwLowDateTime) -
                           (ULONGLONG{creation.dwHighDateTime} << 32 | creation.dwLowDateTime)) /
                          10000;
  return GetTickCount() - static_cast<DWORD>(since);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The error mode it was started with, before anything could change it.
  const UINT errorMode = GetErrorMode();
  gLog.Open(nullptr, "emulator_log.txt");
  gScript.Open(nullptr, "emulator_script.ini");
  char mode[32];
  gScript.Text("Emulator", "Window", mode, sizeof mode);

  // The window comes before any other user32 call: the launcher looks for it
  // once, as soon as this process first waits for input.
  if (lstrcmpiA(mode, "late") == 0) Sleep(gScript.Int("Emulator", "WindowDelayMs", 1000));
  const bool anyWindow = lstrcmpiA(mode, "never") != 0;
  if (anyWindow) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "TolvimerStandIn";
    RegisterClassA(&windowClass);
    gWindows[0] = CreateStandInWindow(instance, true, true);
    if (lstrcmpiA(mode, "several") == 0) gWindows[1] = CreateStandInWindow(instance, false, false);
  }

  gLog.Line("start pid=%lu mode=%s errormode=0x%X", GetCurrentProcessId(), mode[0] ? mode : "now",
            errorMode);
  gLog.Line("cmdline %s", GetCommandLineA());
  LogEmulatorFile("dc_flash.bin", 0x1A002, 1);
  LogEmulatorFile("tolvimer.cfg", 0, 16);
  LogInheritedHandle();
  gLog.Line("created tick=%lu", CreationTick());
  for (HWND window : gWindows) {
    if (window) LogWindowState("window", window);
  }
  if (!anyWindow) {
    gLog.Line("screen=%dx%d", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  }

  gHook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHook, instance, 0);
  gLog.Line("ready hook=%d", gHook ? 1 : 0);
  StartThread(PressLater);
  if (gScript.Int("Emulator", "ExitAfterMs", 0)) StartThread(ExitLater);
  StartThread(EndAtLifetime);

  MSG message;
  int code = 0;
  for (;;) {
    const BOOL got = GetMessageA(&message, nullptr, 0, 0);
    if (got == 0) {
      code = static_cast<int>(message.wParam);
      break;
    }
    if (got < 0) break;
    if (message.message == WM_COMMAND) {
      LogCommand(message);
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  if (gHook) UnhookWindowsHookEx(gHook);
  gLog.Line("end reason=close code=%d", code);
  return code;
}
