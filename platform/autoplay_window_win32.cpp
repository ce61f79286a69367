#include "platform/autoplay_window_win32.h"

#include <windows.h>
// After <windows.h>, whose types it uses.
#include <dbt.h>

#include <cstring>

#include "platform/autoplay_handler_win32.h"

namespace tolvimer {
namespace {

constexpr char kClassName[] = "DisableAutolaunch";
constexpr char kWindowTitle[] = "Disable Autoplay";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT_PTR kDiscLookTimerId = 2;
constexpr UINT kDiscLookPeriod = 100;  // ms between two looks at the drive
// Posted by the handler's thread: it cancelled AutoPlay for the watched
// drive, whose letter is the wParam.
constexpr UINT kHandlerAnswered = WM_APP + 1;

// The window of a helped wait, for the handler's thread to post to; null
// outside such a wait. A post that comes as the window goes is lost with it;
// one that comes before the window is found pending when it is made.
HWND volatile waitWindow = nullptr;

// The class is registered by the first wait of the run and never
// unregistered: a disc swap's wait uses it again.
bool classRegistered = false;

// The shell's registered "QueryCancelAutoPlay" message, asked for when first
// needed and again while it is still 0 (not yet asked, or the registration
// failed).
UINT queryCancelAutoPlay = 0;

// The wait with helpers under way: the window procedure, the disc look and
// the AutoPlay handler reach it here. `result` is null outside such a wait.
struct HelpedWait {
  HWND window = nullptr;
  Platform* os = nullptr;
  const AutoPlayWaitHelpers* helpers = nullptr;
  AutoPlayWaitResult* result = nullptr;
  DWORD start = 0;
  DWORD delay = 0;
  bool ended = false;
};
HelpedWait helped;

// Notes how a helped wait ended, with the time it took; the first end
// counts (kDelay is also what a wait not yet ended holds).
void NoteEnd(AutoPlayWaitEnd end) {
  if (!helped.result || helped.result->end != AutoPlayWaitEnd::kDelay || helped.ended) return;
  helped.result->end = end;
  helped.result->elapsed = ::GetTickCount() - helped.start;
  helped.ended = true;
}

bool IsAutoPlayQuery(UINT message) {
  if (queryCancelAutoPlay == 0)
    queryCancelAutoPlay = ::RegisterWindowMessageA("QueryCancelAutoPlay");
  // Message 0 never counts, even while the id is still unknown.
  return message != 0 && message == queryCancelAutoPlay;
}

// The look at the drive, on the timer or as Windows announces a volume;
// true when the wait is over.
bool LookEndsWait() {
  if (helped.helpers->lookForDisc(*helped.os, helped.helpers->param)) {
    NoteEnd(AutoPlayWaitEnd::kDiscReady);
    return true;
  }
  return false;
}

// WM_DEVICECHANGE: whether it announces the arrival of a volume on the
// watched drive.
bool WatchedVolumeArrived(WPARAM event, LPARAM data) {
  if (event != DBT_DEVICEARRIVAL || !data || !helped.helpers->driveMask) return false;
  const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(data);
  if (header->dbch_devicetype != DBT_DEVTYP_VOLUME) return false;
  const auto* volume = reinterpret_cast<const DEV_BROADCAST_VOLUME*>(data);
  return (volume->dbcv_unitmask & helped.helpers->driveMask) != 0;
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
    case WM_TIMER:
      // The look at the drive of a helped wait; any other id: the delay is
      // over.
      if (wParam == kDiscLookTimerId && helped.result) {
        if (!LookEndsWait()) {
          if (::GetTickCount() - helped.start < helped.delay) break;
          // A look that takes longer than its period (a drive spinning up)
          // keeps its timer due at every turn, and the delay's own timer may
          // then never come: the delay is also measured here.
          NoteEnd(AutoPlayWaitEnd::kDelay);
        }
      } else if (helped.result) {
        NoteEnd(AutoPlayWaitEnd::kDelay);
      }
      ::SendMessageA(window, WM_CLOSE, 0, 0);
      break;
    case WM_DEVICECHANGE:
      if (helped.result && helped.helpers->lookForDisc && WatchedVolumeArrived(wParam, lParam)) {
        if (!helped.result->volumeAnnounced) {
          helped.result->announcedAt = ::GetTickCount() - helped.start;
        }
        helped.result->volumeAnnounced = true;
        if (LookEndsWait()) ::PostMessageA(window, WM_CLOSE, 0, 0);
      }
      return TRUE;
    case kHandlerAnswered:
      if (helped.result && helped.result->end == AutoPlayWaitEnd::kDelay && !helped.ended) {
        helped.result->asked[0] = static_cast<char>(wParam);
        if (wParam) std::memcpy(helped.result->asked + 1, ":\\", 3);
      }
      NoteEnd(AutoPlayWaitEnd::kHandlerQuery);
      ::SendMessageA(window, WM_CLOSE, 0, 0);
      break;
    default:
      if (IsAutoPlayQuery(message)) {
        NoteEnd(AutoPlayWaitEnd::kWindowQuery);
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

// Shows the "Error" box, unless the game is running; gives the error code of
// the call that failed, taken before the box can change it.
DWORD ShowError(const char* text, bool duringPlay) {
  const DWORD error = ::GetLastError();
  if (!duringPlay) ::MessageBoxA(nullptr, text, "Error", MB_OK | MB_ICONWARNING);
  return error;
}

// The hidden window until the delay is over or AutoPlay asks; with
// `helpers`, also the foreground and the looks at the drive.
std::uint32_t Wait(Instance instance, std::uint32_t delay, const AutoPlayWaitHelpers* helpers,
                   AutoPlayWaitResult* result) {
  HINSTANCE module = reinterpret_cast<HINSTANCE>(instance);

  WNDCLASSEXA windowClass;
  std::memset(&windowClass, 0, sizeof windowClass);
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = AutoPlayWindowProc;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kClassName;
  const bool duringPlay = helpers && helpers->duringPlay;
  if (!classRegistered) {
    if (!::RegisterClassExA(&windowClass)) {
      return ShowError("Failed to register window class", duringPlay);
    }
    classRegistered = true;
  }

  // WS_POPUP alone: the window is created invisible and stays so.
  HWND window = ::CreateWindowExA(WS_EX_TOPMOST, kClassName, kWindowTitle, WS_POPUP, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                  module, nullptr);
  if (!window) return ShowError("Failed to create window", duringPlay);
  ::ShowWindow(window, SW_HIDE);
  ::UpdateWindow(window);
  // During play the game stays on top and active: BringWindowToTop would
  // activate the window.
  if (!duringPlay) ::BringWindowToTop(window);
  if (helpers) {
    helped.window = window;
    // Published before the handler's pending answer is asked for: an answer
    // kept after that ask finds the window, one kept before is pending.
    ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&waitWindow), window);
    char letter = 0;
    if (AutoPlayAnswerPending(letter)) {
      ::PostMessageA(window, kHandlerAnswered, static_cast<unsigned char>(letter), 0);
    }
    // The shell sends its query to the foreground window only; a program
    // started by the foreground one may take it, hidden window or not.
    if (helpers->takeForeground) {
      result->foregroundTaken = ::SetForegroundWindow(window) != 0;
      if (!result->foregroundTaken) result->foregroundError = ::GetLastError();
    }
    if (helpers->lookForDisc) ::SetTimer(window, kDiscLookTimerId, kDiscLookPeriod, nullptr);
  }
  ::SetTimer(window, kTimerId, delay, nullptr);
  PumpMessages();
  ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(&waitWindow), nullptr);
  return 0;
}

}  // namespace

std::uint32_t WaitWithAutoPlaySuppressed(Instance instance, std::uint32_t delay) {
  if (delay == 0) return 0;
  return Wait(instance, delay, nullptr, nullptr);
}

AutoPlayWaitResult WaitWithAutoPlayHelpers(Platform& os, Instance instance, std::uint32_t delay,
                                           const AutoPlayWaitHelpers& helpers) {
  AutoPlayWaitResult result;
  if (delay == 0) return result;
  helped.os = &os;
  helped.helpers = &helpers;
  helped.result = &result;
  helped.start = ::GetTickCount();
  helped.delay = delay;
  result.error = Wait(instance, delay, &helpers, &result);
  if (result.error != 0) result.end = AutoPlayWaitEnd::kNoWindow;
  helped = HelpedWait{};
  return result;
}

void EndWaitForAutoPlayHandler(char letter) {
  const HWND window = static_cast<HWND>(::InterlockedCompareExchangePointer(
      reinterpret_cast<PVOID volatile*>(&waitWindow), nullptr, nullptr));
  if (window) ::PostMessageA(window, kHandlerAnswered, static_cast<unsigned char>(letter), 0);
}

}  // namespace tolvimer
