// com_probe [com] <program>: what the launcher's CancelAutoPlay does to the
// process, and nothing else. With "com" it initialises COM (apartment
// threaded), registers an IUnknown in the running object table under a class
// moniker, waits 300 ms and revokes it; then it starts <program>, waits for
// its input idle and looks for its window, and prints one line saying how
// that went. Exit status 0 when the window was found. Run many times by
// com_probe.sh to tell a fault of the emulation from one of the launcher.
#include <objbase.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

DWORD gProcessId = 0;
HWND gFound = nullptr;

BOOL CALLBACK FindWindowOf(HWND window, LPARAM) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != gProcessId) return TRUE;
  gFound = window;
  return FALSE;
}

class Object final : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!IsEqualIID(iid, IID_IUnknown)) {
      *out = nullptr;
      return E_NOINTERFACE;
    }
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
};
Object object;

void RegisterAndRevoke() {
  const HRESULT initialised = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IRunningObjectTable* table = nullptr;
  IMoniker* moniker = nullptr;
  DWORD cookie = 0;
  const CLSID id = {0x8F3C2A61, 0x4B7D, 0x4E19, {0x9A, 0x5C, 0x6D, 0x0E, 0x1F, 0x27, 0xB3, 0x85}};
  HRESULT registered = GetRunningObjectTable(0, &table);
  if (SUCCEEDED(registered)) registered = CreateClassMoniker(id, &moniker);
  if (SUCCEEDED(registered)) {
    registered = table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, &object, moniker, &cookie);
  }
  Sleep(300);
  const HRESULT revoked = SUCCEEDED(registered) ? table->Revoke(cookie) : E_UNEXPECTED;
  if (moniker) moniker->Release();
  if (table) table->Release();
  if (SUCCEEDED(initialised)) CoUninitialize();
  std::printf("COM: initialised 0x%08lX, registered 0x%08lX, revoked 0x%08lX\n",
              static_cast<unsigned long>(initialised), static_cast<unsigned long>(registered),
              static_cast<unsigned long>(revoked));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: com_probe [com] <program>\n");
    return 2;
  }
  if (argc > 2 && std::strcmp(argv[1], "com") == 0) RegisterAndRevoke();
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  char line[MAX_PATH + 1];
  lstrcpynA(line, argv[argc - 1], sizeof line);
  if (!CreateProcessA(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                      &process)) {
    std::printf("start failed: error %lu\n", GetLastError());
    return 2;
  }
  const DWORD start = GetTickCount();
  const DWORD idle = WaitForInputIdle(process.hProcess, 5000);
  const DWORD took = GetTickCount() - start;
  gProcessId = process.dwProcessId;
  EnumWindows(FindWindowOf, 0);
  std::printf("input idle wait gave %lu after %lu ms; window %s\n", idle, took,
              gFound ? "found" : "not found");
  TerminateProcess(process.hProcess, 0);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return gFound ? 0 : 1;
}
