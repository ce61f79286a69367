// The end-to-end tests' own hands inside Wine: starts the launcher with an
// exact command line, plays the shell's AutoPlay query and the user who closes
// a message box or presses a key, keeps a window open across a display test
// and reads or restores the screen size. One command per run:
//
//   run <timeoutMs> <commandLineFile> <log>   start the command line read from
//                                 the file (byte for byte), wait, exit with its code;
//                                 the started program inherits a marked handle
//   autoplay-query <afterMs> <timeoutMs> <log>  find the "DisableAutolaunch"
//                                 window, wait afterMs, send "QueryCancelAutoPlay"
//   autoplay-handler <afterMs> <timeoutMs> <log> [letters]  find the
//                                 "DisableAutolaunch" window, then, afterMs
//                                 before each, play the shell that asks the
//                                 launcher's handler in the running object
//                                 table about each drive (default K)
//   autoplay-handler-early <timeoutMs> <log> [letter]  ask the handler about
//                                 the drive (default K) as soon as it is in the
//                                 running object table, window or not
//   autoplay-handler-waits <count> <timeoutMs> <log> [letter]  ask the
//                                 handler as soon as each of `count` AutoPlay
//                                 windows in turn appears
//   close-box <caption> <timeoutMs> <log>   find a message box by caption,
//                                 record it and press its OK button
//   press <vk> <afterMs> <holdMs> <log>     press a key from outside the emulator
//   hold <lifetimeMs> <stopFile>  keep a small window open until the file exists
//   screen <outFile>              write the screen size as WxH
//   restore                       return the desktop to its registry mode
//   cursor <x> <y>                place the mouse cursor
//   clear-keys                    forget earlier key presses (see below)
//   hold-open <stopFile> <log> <file>...  keep the files open for writing,
//                                 sharing only writing, until the stop file exists
//   read <file> <outFile>         copy a file as a viewer reads one that is
//                                 still being written (sharing reads and writes)
#include <objbase.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/autoplay_handler_id.h"
#include "stand_in_log.h"
#include "tests/e2e/shell_autoplay_query.h"

namespace {

HWND WaitForWindow(const char* className, const char* title, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = FindWindowA(className, title);
    if (window) return window;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Sleep(10);
  }
}

// The block whose handle the launcher inherits (see stand_in_log.h); it stays
// open for the whole run.
void ShareInheritableBlock() {
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE block =
      CreateFileMappingA(INVALID_HANDLE_VALUE, &inheritable, PAGE_READWRITE, 0, 64, nullptr);
  if (!block) return;
  void* view = MapViewOfFile(block, FILE_MAP_WRITE, 0, 0, 0);
  if (!view) return;
  lstrcpyA(static_cast<char*>(view), standin::kInheritedText);
  UnmapViewOfFile(view);
  char value[32];
  wsprintfA(value, "%lu", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(block)));
  SetEnvironmentVariableA(standin::kInheritedHandleVariable, value);
}

int Run(DWORD timeoutMs, const char* commandFile, const char* logPath) {
  standin::Log log(logPath);
  static char commandLine[4096];
  HANDLE file = CreateFileA(commandFile, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 98;
  DWORD got = 0;
  ReadFile(file, commandLine, sizeof commandLine - 1, &got, nullptr);
  CloseHandle(file);
  commandLine[got] = '\0';
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  ShareInheritableBlock();
  log.Line("launch start");
  if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &info)) {
    log.Line("launch failed error=%lu", GetLastError());
    return 97;
  }
  if (WaitForSingleObject(info.hProcess, timeoutMs) != WAIT_OBJECT_0) {
    log.Line("launch timeout");
    TerminateProcess(info.hProcess, 96);
    return 96;
  }
  DWORD code = 0;
  GetExitCodeProcess(info.hProcess, &code);
  log.Line("launch end code=%lu", code);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  return static_cast<int>(code);
}

int AutoPlayQuery(DWORD afterMs, DWORD timeoutMs, const char* logPath) {
  standin::Log log(logPath);
  HWND window = WaitForWindow("DisableAutolaunch", nullptr, timeoutMs);
  if (!window) {
    log.Line("autoplay window not found");
    return 1;
  }
  char title[128] = {};
  GetWindowTextA(window, title, sizeof title);
  const LONG style = GetWindowLongA(window, GWL_STYLE);
  const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
  log.Line("found title=%s visible=%d topmost=%d popup=%d", title, IsWindowVisible(window) ? 1 : 0,
           (exStyle & WS_EX_TOPMOST) ? 1 : 0, (style & WS_POPUP) ? 1 : 0);
  Sleep(afterMs);
  const UINT query = RegisterWindowMessageA("QueryCancelAutoPlay");
  log.Line("query");
  const LRESULT answer = SendMessageA(window, query, 0, 0);
  log.Line("answer=%ld", static_cast<long>(answer));
  Sleep(100);
  log.Line("gone=%d", IsWindow(window) ? 0 : 1);
  return 0;
}

// As the shell does for a new medium: the object under the class moniker of
// the launcher's CLSID, asked through IQueryCancelAutoPlay about each drive
// letter of `drives` in turn, `afterMs` apart, the first `afterMs` after the
// AutoPlay window appeared.
int AskAutoPlayHandler(standin::Log& log, wchar_t letter);

int AutoPlayHandler(DWORD afterMs, DWORD timeoutMs, const char* logPath, const char* drives) {
  standin::Log log(logPath);
  if (!WaitForWindow("DisableAutolaunch", nullptr, timeoutMs)) {
    log.Line("autoplay window not found");
    return 1;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  for (const char* drive = drives; *drive; ++drive) {
    Sleep(afterMs);
    AskAutoPlayHandler(log, static_cast<wchar_t>(*drive));
  }
  CoUninitialize();
  return 0;
}

// Whether the launcher's handler is in the running object table now.
bool HandlerRegistered() {
  const CLSID clsid = tolvimer::AutoPlayHandlerClsid<CLSID>();
  IRunningObjectTable* table = nullptr;
  IMoniker* moniker = nullptr;
  bool running = false;
  if (SUCCEEDED(GetRunningObjectTable(0, &table)) &&
      SUCCEEDED(CreateClassMoniker(clsid, &moniker))) {
    running = table->IsRunning(moniker) == S_OK;
  }
  if (moniker) moniker->Release();
  if (table) table->Release();
  return running;
}

// The shell that asks at the first moment it can: as soon as the handler is
// registered, before or after the launcher's hidden window exists.
int AutoPlayHandlerEarly(DWORD timeoutMs, const char* logPath, char letter) {
  standin::Log log(logPath);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  const DWORD start = GetTickCount();
  while (!HandlerRegistered()) {
    if (GetTickCount() - start > timeoutMs) {
      log.Line("not in the running object table");
      CoUninitialize();
      return 1;
    }
    Sleep(1);
  }
  log.Line("registered; window=%d", FindWindowA("DisableAutolaunch", nullptr) ? 1 : 0);
  AskAutoPlayHandler(log, static_cast<wchar_t>(letter));
  CoUninitialize();
  return 0;
}

// The shell that asks about each new disc as soon as the launcher's window
// for its wait is there: one query per window, `count` windows in turn.
int AutoPlayHandlerWaits(int count, DWORD timeoutMs, const char* logPath, char letter) {
  standin::Log log(logPath);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  for (int i = 1; i <= count; ++i) {
    HWND window = WaitForWindow("DisableAutolaunch", nullptr, timeoutMs);
    if (!window) {
      log.Line("autoplay window %d not found", i);
      break;
    }
    log.Line("window %d", i);
    AskAutoPlayHandler(log, static_cast<wchar_t>(letter));
    const DWORD start = GetTickCount();
    while (IsWindow(window) && GetTickCount() - start < timeoutMs) Sleep(5);
    log.Line("window %d gone=%d", i, IsWindow(window) ? 0 : 1);
  }
  CoUninitialize();
  return 0;
}

int AskAutoPlayHandler(standin::Log& log, wchar_t letter) {
  log.Line("query %c:", static_cast<char>(letter));
  const tolvimer::testing::ShellQuery query = tolvimer::testing::AskLaunchersAutoPlayHandler(letter);
  if (query.failure == nullptr) {
    log.Line("answer=0x%08lX for %c:", static_cast<unsigned long>(query.result),
             static_cast<char>(letter));
  } else {
    log.Line("%s: 0x%08lX", query.failure, static_cast<unsigned long>(query.result));
  }
  return 0;
}

struct BoxInfo {
  char text[256];
  int warningIcon;
  int buttons;
};

BOOL CALLBACK InspectBoxChild(HWND child, LPARAM param) {
  auto& info = *reinterpret_cast<BoxInfo*>(param);
  char className[64] = {};
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Button") == 0 && IsWindowVisible(child)) ++info.buttons;
  if (lstrcmpiA(className, "Static") != 0) return TRUE;
  if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
    const HICON shown = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
    if (shown && shown == LoadIconA(nullptr, IDI_WARNING)) info.warningIcon = 1;
  } else if (!info.text[0]) {
    GetWindowTextA(child, info.text, sizeof info.text);
  }
  return TRUE;
}

int CloseBox(const char* caption, DWORD timeoutMs, const char* logPath) {
  standin::Log log(logPath);
  HWND box = WaitForWindow(nullptr, caption, timeoutMs);
  if (!box) {
    log.Line("box not found");
    return 1;
  }
  Sleep(300);  // let the box finish laying itself out
  BoxInfo info = {};
  EnumChildWindows(box, InspectBoxChild, reinterpret_cast<LPARAM>(&info));
  log.Line("box caption=%s text=%s owner=%d warning=%d buttons=%d", caption, info.text,
           GetWindow(box, GW_OWNER) ? 1 : 0, info.warningIcon, info.buttons);
  PostMessageA(box, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  log.Line("box ok pressed");
  return 0;
}

int Press(int key, DWORD afterMs, DWORD holdMs, const char* logPath) {
  standin::Log log(logPath);
  Sleep(afterMs);
  log.Line("press vk=%d", key);
  standin::PressKey(static_cast<BYTE>(key), holdMs);
  log.Line("release vk=%d", key);
  return 0;
}

const char* gStopFile = nullptr;
DWORD gHoldEnd = 0;

LRESULT CALLBACK HoldProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_TIMER) {
    const bool stop = GetFileAttributesA(gStopFile) != INVALID_FILE_ATTRIBUTES;
    if (stop || static_cast<LONG>(GetTickCount() - gHoldEnd) > 0) PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

int Hold(DWORD lifetimeMs, const char* stopFile) {
  gStopFile = stopFile;
  gHoldEnd = GetTickCount() + lifetimeMs;
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = HoldProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "E2eHold";
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, "E2eHold", "hold", WS_POPUP, 0,
                                0, 8, 8, nullptr, nullptr, windowClass.hInstance, nullptr);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  SetTimer(window, 1, 200, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);
  return 0;
}

int Screen(const char* outFile) {
  char text[64];
  const int length =
      wsprintfA(text, "%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  HANDLE file = CreateFileA(outFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
  return 0;
}

int Read(const char* path, const char* outFile) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  HANDLE out = CreateFileA(outFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  char buffer[4096];
  DWORD got = 0;
  while (out != INVALID_HANDLE_VALUE && ReadFile(file, buffer, sizeof buffer, &got, nullptr) &&
         got > 0) {
    DWORD written = 0;
    WriteFile(out, buffer, got, &written, nullptr);
  }
  CloseHandle(file);
  if (out == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(out);
  return 0;
}

// Another program that has the emulator's files open for writing, as the
// emulator itself may have. It shares writing only, so a second opener gets
// in only if it asks for no more than writing and shares writing too.
int HoldOpen(const char* stopFile, const char* logPath, char** files, int count) {
  standin::Log log(logPath);
  HANDLE held[8] = {};
  if (count > 8) return 2;
  for (int i = 0; i < count; ++i) {
    held[i] = CreateFileA(files[i], GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held[i] == INVALID_HANDLE_VALUE) {
      log.Line("not held %s error=%lu", files[i], GetLastError());
    } else {
      log.Line("held %s", files[i]);
    }
  }
  const DWORD start = GetTickCount();
  while (GetFileAttributesA(stopFile) == INVALID_FILE_ATTRIBUTES &&
         GetTickCount() - start < 60000) {
    Sleep(50);
  }
  for (int i = 0; i < count; ++i) {
    if (held[i] != INVALID_HANDLE_VALUE) CloseHandle(held[i]);
  }
  log.Line("released");
  return 0;
}

DWORD Number(const char* text) { return static_cast<DWORD>(std::strtoul(text, nullptr, 10)); }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const int argc = __argc;
  char** argv = __argv;
  if (argc < 2) return 2;
  const char* command = argv[1];
  if (!std::strcmp(command, "run") && argc == 5) return Run(Number(argv[2]), argv[3], argv[4]);
  if (!std::strcmp(command, "autoplay-query") && argc == 5) {
    return AutoPlayQuery(Number(argv[2]), Number(argv[3]), argv[4]);
  }
  if (!std::strcmp(command, "autoplay-handler") && (argc == 5 || argc == 6)) {
    return AutoPlayHandler(Number(argv[2]), Number(argv[3]), argv[4], argc > 5 ? argv[5] : "K");
  }
  if (!std::strcmp(command, "autoplay-handler-early") && (argc == 4 || argc == 5)) {
    return AutoPlayHandlerEarly(Number(argv[2]), argv[3], argc > 4 ? argv[4][0] : 'K');
  }
  if (!std::strcmp(command, "autoplay-handler-waits") && (argc == 5 || argc == 6)) {
    return AutoPlayHandlerWaits(static_cast<int>(Number(argv[2])), Number(argv[3]), argv[4],
                                argc > 5 ? argv[5][0] : 'K');
  }
  if (!std::strcmp(command, "close-box") && argc == 5) {
    return CloseBox(argv[2], Number(argv[3]), argv[4]);
  }
  if (!std::strcmp(command, "press") && argc == 6) {
    return Press(static_cast<int>(Number(argv[2])), Number(argv[3]), Number(argv[4]), argv[5]);
  }
  if (!std::strcmp(command, "hold") && argc == 4) return Hold(Number(argv[2]), argv[3]);
  if (!std::strcmp(command, "screen") && argc == 3) return Screen(argv[2]);
  if (!std::strcmp(command, "hold-open") && argc >= 5) {
    return HoldOpen(argv[2], argv[3], argv + 4, argc - 4);
  }
  if (!std::strcmp(command, "read") && argc == 4) return Read(argv[2], argv[3]);
  if (!std::strcmp(command, "clear-keys") && argc == 2) {
    // A press stays "pressed since the last query" (bit 0 of
    // GetAsyncKeyState) until some process asks for that key; a press left
    // from an earlier scenario would otherwise end the next watch at once.
    for (int key = 1; key < 256; ++key) GetAsyncKeyState(key);
    return 0;
  }
  if (!std::strcmp(command, "cursor") && argc == 4) {
    return SetCursorPos(static_cast<int>(Number(argv[2])), static_cast<int>(Number(argv[3]))) ? 0
                                                                                              : 1;
  }
  if (!std::strcmp(command, "restore") && argc == 2) {
    return ChangeDisplaySettingsA(nullptr, 0) == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
  }
  return 2;
}
