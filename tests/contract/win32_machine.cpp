// The contract's machine on Windows (run under Wine): the launcher's own Win32
// platform, a fresh folder under the temporary folder for each row, this
// program itself as the child programs, and hidden windows of its own.
#include <objbase.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/autoplay_handler_id.h"
#include "platform/win32_platform.h"
#include "tests/contract/contract_machine.h"
#include "tests/e2e/shell_autoplay_query.h"

namespace tolvimer::contract {
namespace {

constexpr char kChildExit[] = "--child-exit";
constexpr char kChildWait[] = "--child-wait";
constexpr char kChildWindow[] = "--child-window";

std::string OwnPath() {
  char path[MAX_PATH + 1] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

HANDLE AsHandle(OsHandle handle) { return reinterpret_cast<HANDLE>(handle); }

class Win32Machine final : public ContractMachine {
 public:
  Win32Machine() {
    static int made = 0;
    char temp[MAX_PATH + 1] = {};
    GetTempPathA(MAX_PATH, temp);
    char name[64];
    std::snprintf(name, sizeof name, "tolvimer_contract_%lu_%d\\",
                  static_cast<unsigned long>(GetCurrentProcessId()), ++made);
    folder_ = std::string(temp) + name;
    CreateDirectoryA(folder_.c_str(), nullptr);
  }

  ~Win32Machine() override {
    for (HWND window : windows_) DestroyWindow(window);
    for (HANDLE handle : handles_) CloseHandle(handle);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
          DeleteFileA((folder_ + found.cFileName).c_str());
        }
      } while (FindNextFileA(search, &found));
      FindClose(search);
    }
    RemoveDirectoryA(folder_.c_str());
  }

  Platform& os() override { return win32_; }

  std::string FilePath(const std::string& name) override { return folder_ + name; }

  void PutFile(const std::string& name, const std::vector<std::uint8_t>& bytes) override {
    HANDLE file = CreateFileA(FilePath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    if (!bytes.empty()) {
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    CloseHandle(file);
  }

  bool FileExists(const std::string& name) override {
    return GetFileAttributesA(FilePath(name).c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::vector<std::uint8_t> FileBytes(const std::string& name) override {
    std::vector<std::uint8_t> bytes;
    HANDLE file = CreateFileA(FilePath(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    bytes.resize(GetFileSize(file, nullptr));
    DWORD read = 0;
    if (!bytes.empty())
      ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    CloseHandle(file);
    return bytes;
  }

  std::string RunningProgram() override { return "\"" + OwnPath() + "\" " + kChildWait + " 60000"; }

  std::string WindowProgram() override {
    return "\"" + OwnPath() + "\" " + kChildWindow + " 60000";
  }

  std::string EndingProgram(std::uint32_t exitCode) override {
    return "\"" + OwnPath() + "\" " + kChildExit + " " + std::to_string(exitCode);
  }

  std::string MissingProgram() override { return "\"" + folder_ + "no_such_program.exe\""; }

  void EndProgram(const ProcessRecord& process) override {
    TerminateProcess(AsHandle(process.process), 0);
    WaitForSingleObject(AsHandle(process.process), 10000);
    CloseHandle(AsHandle(process.process));
    CloseHandle(AsHandle(process.thread));
  }

  void AwaitEnd(const ProcessRecord& process) override {
    WaitForSingleObject(AsHandle(process.process), 10000);
  }

  // A handle to this very process that may only be waited on: querying its
  // exit code is refused for want of access.
  OsHandle UnqueryableProcess() override {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, GetCurrentProcessId());
    if (process) handles_.push_back(process);
    return reinterpret_cast<OsHandle>(process);
  }

  Instance ModuleInstance() override {
    return reinterpret_cast<Instance>(GetModuleHandleA(nullptr));
  }

  HResult AskAutoPlayHandler(char letter) override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const HRESULT result = testing::AskLaunchersAutoPlayHandler(static_cast<wchar_t>(letter)).result;
    CoUninitialize();
    return result;
  }

  void AddTopLevelWindows(int count) override {
    for (int i = 0; i < count; ++i) {
      HWND window = CreateWindowExA(0, "STATIC", "platform contract", WS_POPUP, 0, 0, 10, 10,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
      if (window) windows_.push_back(window);
    }
  }

 private:
  Win32Platform win32_;
  std::string folder_;
  std::vector<HWND> windows_;
  std::vector<HANDLE> handles_;
};

}  // namespace

std::unique_ptr<ContractMachine> MakeContractMachine() { return std::make_unique<Win32Machine>(); }

namespace {

// Shows a small window and handles messages for `milliseconds`.
void ShowWindowFor(DWORD milliseconds) {
  HWND window = CreateWindowExA(0, "STATIC", "platform contract child", WS_POPUP | WS_VISIBLE, 0, 0,
                                40, 40, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  SetTimer(nullptr, 0, milliseconds, nullptr);
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0 && message.message != WM_TIMER) {
    DispatchMessageA(&message);
  }
  DestroyWindow(window);
}

}  // namespace

// The child programs: "--child-exit N" ends at once with N; "--child-wait MS"
// runs for MS milliseconds unless ended first; "--child-window MS" shows a
// top-level window for MS milliseconds.
bool RunAsChildProgram(int argc, char** argv, int& code) {
  if (argc != 3) return false;
  const DWORD value = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
  code = 0;
  if (std::strcmp(argv[1], kChildExit) == 0) {
    code = static_cast<int>(value);
  } else if (std::strcmp(argv[1], kChildWait) == 0) {
    Sleep(value);
  } else if (std::strcmp(argv[1], kChildWindow) == 0) {
    ShowWindowFor(value);
  } else {
    return false;
  }
  return true;
}

}  // namespace tolvimer::contract
