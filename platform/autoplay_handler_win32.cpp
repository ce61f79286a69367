#include "platform/autoplay_handler_win32.h"

#include <objbase.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstring>

#include "platform/autoplay_answer.h"
#include "platform/autoplay_handler_id.h"
#include "platform/autoplay_window_win32.h"

namespace tolvimer {
namespace {

using CoInitializeExFn = HRESULT(WINAPI*)(LPVOID, DWORD);
using CoUninitializeFn = void(WINAPI*)();
using GetRunningObjectTableFn = HRESULT(WINAPI*)(DWORD, LPRUNNINGOBJECTTABLE*);
using CreateClassMonikerFn = HRESULT(WINAPI*)(REFCLSID, LPMONIKER*);

// {DDEFE873-6997-4E68-BE26-39B633ADBE12}, written out so that no GUID
// library is needed.
constexpr GUID kIidQueryCancelAutoPlay = {
    0xDDEFE873, 0x6997, 0x4E68, {0xBE, 0x26, 0x39, 0xB6, 0x33, 0xAD, 0xBE, 0x12}};
constexpr GUID kIidUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

bool SameGuid(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// One object for the whole process, never freed: its counts mean nothing.
class Handler final : public IQueryCancelAutoPlay {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (SameGuid(iid, kIidUnknown) || SameGuid(iid, kIidQueryCancelAutoPlay)) {
      *out = static_cast<IQueryCancelAutoPlay*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  // S_FALSE cancels AutoPlay for the new medium: the watched drive's ends
  // the wait; S_OK lets any other drive's go ahead.
  HRESULT STDMETHODCALLTYPE AllowAutoPlay(LPCWSTR path, DWORD, LPCWSTR, DWORD) override;
};
Handler handler;

// The thread that hosts the handler: its own apartment and message loop, so
// that the shell's call is answered whatever the launch is doing. The launch
// thread writes `watched` before the thread starts and reads `result` only
// after `ready` is set or the thread has ended.
struct Host {
  HANDLE thread = nullptr;
  HANDLE ready = nullptr;
  HANDLE stop = nullptr;
  char watched[4] = {};
  HRESULT result = S_OK;
  DWORD cookie = 0;
};
Host host;

constexpr DWORD kHostStartBound = 10000;  // ms for COM to register the handler
constexpr DWORD kHostEndBound = 5000;     // ms for it to revoke and end

// The answers for the launch thread's log, written by the handler's thread
// and taken by the launch thread, both under `lock`; when all are unread, a
// new answer is only counted in `notKept`. `pending`: a cancelled query not
// yet taken, which ends the next helped wait at once, whether it came before
// that wait's window existed or during the wait.
struct AnswerRing {
  CRITICAL_SECTION lock;
  bool lockMade = false;  // by the first registration, before any thread
  AutoPlayAnswer slot[kAutoPlayAnswersKept];
  std::uint32_t written = 0;
  std::uint32_t taken = 0;
  std::uint32_t notKept = 0;
  bool pending = false;
  char pendingLetter = 0;
  DWORD registeredAt = 0;
};
AnswerRing answers;

void KeepAnswer(const char (&root)[4], bool cancelled) {
  ::EnterCriticalSection(&answers.lock);
  if (answers.written - answers.taken >= kAutoPlayAnswersKept) {
    ++answers.notKept;
  } else {
    AutoPlayAnswer& answer = answers.slot[answers.written % kAutoPlayAnswersKept];
    std::memcpy(answer.root, root, sizeof answer.root);
    answer.cancelled = cancelled;
    answer.afterMs = ::GetTickCount() - answers.registeredAt;
    ++answers.written;
  }
  if (cancelled) {
    answers.pending = true;
    answers.pendingLetter = root[0];
  }
  ::LeaveCriticalSection(&answers.lock);
}

HRESULT STDMETHODCALLTYPE Handler::AllowAutoPlay(LPCWSTR path, DWORD, LPCWSTR, DWORD) {
  char asked[4];
  DriveRootOfPath(path, asked);
  const bool cancel = CancelsAutoPlayFor(path, host.watched);
  // Kept before the wait's window is asked for: a wait whose window comes
  // later finds the answer pending.
  KeepAnswer(asked, cancel);
  if (!cancel) return S_OK;
  EndWaitForAutoPlayHandler(asked[0]);
  return S_FALSE;
}

struct Com {
  HMODULE ole32 = nullptr;
  CoUninitializeFn uninitialize = nullptr;
  bool initialised = false;
  IRunningObjectTable* table = nullptr;
  IMoniker* moniker = nullptr;
};
Com com;

HRESULT LastErrorResult() { return HRESULT_FROM_WIN32(::GetLastError()); }

// Undoes whatever of the registration was done. ole32 stays loaded for the
// rest of the run: COM may still have threads or a window of its own whose
// code would otherwise be unloaded under them.
void Undo() {
  if (com.moniker) com.moniker->Release();
  if (com.table) com.table->Release();
  if (com.initialised) com.uninitialize();
  com = Com{};
}

template <typename F>
F Proc(const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(com.ole32, name)));
}

HRESULT Register(DWORD& cookie) {
  cookie = 0;
  com.ole32 = ::LoadLibraryA("ole32.dll");
  if (!com.ole32) return LastErrorResult();
  const auto initialize = Proc<CoInitializeExFn>("CoInitializeEx");
  com.uninitialize = Proc<CoUninitializeFn>("CoUninitialize");
  const auto runningObjectTable = Proc<GetRunningObjectTableFn>("GetRunningObjectTable");
  const auto classMoniker = Proc<CreateClassMonikerFn>("CreateClassMoniker");
  HRESULT result = S_OK;
  if (!initialize || !com.uninitialize || !runningObjectTable || !classMoniker) {
    result = LastErrorResult();
  } else if (SUCCEEDED(result = initialize(nullptr, COINIT_APARTMENTTHREADED))) {
    com.initialised = true;
    const CLSID clsid = AutoPlayHandlerClsid<CLSID>();
    if (SUCCEEDED(result = runningObjectTable(0, &com.table)) &&
        SUCCEEDED(result = classMoniker(clsid, &com.moniker)) &&
        SUCCEEDED(result = com.table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, &handler,
                                               com.moniker, &cookie))) {
      return result;
    }
  }
  Undo();
  return result;
}

HRESULT Revoke(DWORD cookie) {
  const HRESULT result = com.table ? com.table->Revoke(cookie) : E_UNEXPECTED;
  Undo();
  return result;
}

// Registers, tells the launch thread, answers calls until told to stop, and
// revokes; `host.result` then holds the revocation's HRESULT.
DWORD WINAPI HostHandler(LPVOID) {
  host.result = Register(host.cookie);
  const bool registered = SUCCEEDED(host.result);
  ::SetEvent(host.ready);
  if (!registered) return 0;
  while (::MsgWaitForMultipleObjects(1, &host.stop, FALSE, INFINITE, QS_ALLINPUT) ==
         WAIT_OBJECT_0 + 1) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
  host.result = Revoke(host.cookie);
  return 0;
}

void CloseHost() {
  if (host.thread) ::CloseHandle(host.thread);
  if (host.ready) ::CloseHandle(host.ready);
  if (host.stop) ::CloseHandle(host.stop);
  host = Host{};
}

// Tells the thread to stop and waits for it, bounded; gives its result. A
// thread that does not end in time may still answer, revoke or wait on
// `stop`: it keeps its handles and the watched drive, and no other
// registration is made while it lives.
HRESULT EndHost() {
  ::SetEvent(host.stop);
  if (::WaitForSingleObject(host.thread, kHostEndBound) != WAIT_OBJECT_0)
    return kHandlerThreadLives;
  const HRESULT result = host.result;
  CloseHost();
  return result;
}

}  // namespace

HResult RegisterAutoPlayHandler(const char* watchedRoot, std::uint32_t& cookie) {
  cookie = 0;
  if (host.thread) {
    // The thread of an earlier handler, left when it did not end in time.
    if (::WaitForSingleObject(host.thread, 0) != WAIT_OBJECT_0) return kHandlerThreadLives;
    CloseHost();
  }
  if (!answers.lockMade) {
    ::InitializeCriticalSection(&answers.lock);
    answers.lockMade = true;
  }
  for (int i = 0; i < 3 && watchedRoot && watchedRoot[i]; ++i) host.watched[i] = watchedRoot[i];
  answers.registeredAt = ::GetTickCount();
  host.ready = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  host.stop = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (host.ready && host.stop) {
    host.thread = ::CreateThread(nullptr, 0, HostHandler, nullptr, 0, nullptr);
  }
  if (!host.thread) {
    const HRESULT result = LastErrorResult();
    CloseHost();
    return result;
  }
  if (::WaitForSingleObject(host.ready, kHostStartBound) != WAIT_OBJECT_0) {
    EndHost();
    return HRESULT_FROM_WIN32(WAIT_TIMEOUT);
  }
  if (FAILED(host.result)) return EndHost();
  cookie = host.cookie;
  return host.result;
}

HResult RevokeAutoPlayHandler(std::uint32_t) {
  if (!host.thread) return E_UNEXPECTED;
  return EndHost();
}

AutoPlayAnswers TakeAutoPlayAnswers() {
  AutoPlayAnswers taken;
  if (!answers.lockMade) return taken;
  ::EnterCriticalSection(&answers.lock);
  for (; answers.taken != answers.written; ++answers.taken) {
    taken.answer[taken.count++] = answers.slot[answers.taken % kAutoPlayAnswersKept];
  }
  taken.notKept = answers.notKept;
  answers.notKept = 0;
  answers.pending = false;
  ::LeaveCriticalSection(&answers.lock);
  return taken;
}

bool AutoPlayAnswerPending(char& letter) {
  if (!answers.lockMade) return false;
  ::EnterCriticalSection(&answers.lock);
  const bool pending = answers.pending;
  letter = answers.pendingLetter;
  ::LeaveCriticalSection(&answers.lock);
  return pending;
}

}  // namespace tolvimer
