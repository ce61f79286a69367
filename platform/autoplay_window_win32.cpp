#include "platform/autoplay_window_win32.h"

#include <windows.h>

#include <cstring>

namespace tolvimer {
namespace {

constexpr char kClassName[] = "DisableAutolaunch";
constexpr char kWindowTitle[] = "Disable Autoplay";
constexpr UINT_PTR kTimerId = 1;

// The shell's registered "QueryCancelAutoPlay" message, asked for when first
// needed and again while it is still 0 (not yet asked, or the registration
// failed).
UINT queryCancelAutoPlay = 0;

bool IsAutoPlayQuery(UINT message) {
  if (queryCancelAutoPlay == 0)
    queryCancelAutoPlay = ::RegisterWindowMessageA("QueryCancelAutoPlay");
  // Message 0 never counts, even while the id is still unknown.
  return message != 0 && message == queryCancelAutoPlay;
}

LRESULT CALLBACK AutoPlayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      break;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      break;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      ::BeginPaint(window, &paint);
      ::EndPaint(window, &paint);
      break;
    }
    case WM_SETCURSOR:
      ::SetCursor(nullptr);
      return 1;
    case WM_TIMER:  // whatever its id: the delay is over
      ::SendMessageA(window, WM_CLOSE, 0, 0);
      break;
    default:
      if (IsAutoPlayQuery(message)) {
        ::SendMessageA(window, WM_CLOSE, 0, 0);
        return 1;  // cancel AutoPlay for the new disc
      }
      break;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

// Runs the thread's message loop until WM_QUIT; gives the quit message's wParam.
WPARAM PumpMessages() {
  MSG message;
  while (::GetMessageA(&message, nullptr, 0, 0)) {
    ::TranslateMessage(&message);
    ::DispatchMessageA(&message);
  }
  return message.wParam;
}

// Shows the "Error" box; gives the error code of the call that failed, taken
// before the box can change it.
DWORD ShowError(const char* text) {
  const DWORD error = ::GetLastError();
  ::MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONWARNING);
  return error;
}

}  // namespace

std::uint32_t WaitWithAutoPlaySuppressed(Instance instance, std::uint32_t delay) {
  if (delay == 0) return 0;
  HINSTANCE module = reinterpret_cast<HINSTANCE>(instance);

  WNDCLASSEXA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = AutoPlayWindowProc;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kClassName;
  if (!::RegisterClassExA(&windowClass)) return ShowError("Failed to register window class");

  // WS_POPUP alone: the window is created invisible and stays so.
  HWND window = ::CreateWindowExA(WS_EX_TOPMOST, kClassName, kWindowTitle, WS_POPUP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  module, nullptr);
  if (!window) return ShowError("Failed to create window");
  ::ShowWindow(window, SW_HIDE);
  ::UpdateWindow(window);
  ::BringWindowToTop(window);
  ::SetTimer(window, kTimerId, delay, nullptr);
  PumpMessages();
  return 0;
}

}  // namespace tolvimer
