#include "tests/fake/fake_platform.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/us_keyboard.h"
#include "settings/profile_reader.h"

namespace tolvimer::testing {
namespace {

constexpr HResult kOk = 0;
constexpr HResult kFail = static_cast<HResult>(0x80004005u);  // E_FAIL

const char* const kCallNames[] = {"GetModuleFileName",
                                  "GetPrivateProfileString",
                                  "CreateFile",
                                  "SetFilePointer",
                                  "WriteFile",
                                  "CloseHandle",
                                  "CreateProcess",
                                  "GetEnvironmentStrings",
                                  "FreeEnvironmentStrings",
                                  "WaitForInputIdle",
                                  "WaitForSingleObject",
                                  "GetExitCodeProcess",
                                  "EnumWindows",
                                  "GetWindowThreadProcessId",
                                  "MessageBox",
                                  "PostMessage",
                                  "SendMessage",
                                  "ShowWindow",
                                  "BringWindowToTop",
                                  "SetMenu",
                                  "SetWindowLong",
                                  "SetWindowPos",
                                  "UpdateWindow",
                                  "keybd_event",
                                  "MapVirtualKey",
                                  "GetAsyncKeyState",
                                  "SetCursorPos",
                                  "GetSystemMetrics",
                                  "EnumDisplaySettings",
                                  "ChangeDisplaySettings",
                                  "WaitWithAutoPlaySuppressed",
                                  "DirectInputCreate",
                                  "EnumDevices",
                                  "CreateDevice",
                                  "QueryInterface",
                                  "Release",
                                  "GetDesktopWindow",
                                  "SetCooperativeLevel",
                                  "SetDataFormat",
                                  "SetProperty",
                                  "Acquire",
                                  "Poll",
                                  "GetDeviceState",
                                  "Unacquire",
                                  "GetCommandLine",
                                  "GetTickCount",
                                  "GetLastError",
                                  "FormatMessage",
                                  "GetFileAttributes",
                                  "CreateLogFile",
                                  "WriteLogFile",
                                  "FlushFileBuffers",
                                  "OpenFileForRead",
                                  "ReadFile",
                                  "DeleteFile",
                                  "GetCurrentProcessId",
                                  "GetCurrentProcess",
                                  "OpenProcess",
                                  "GetProcessTimes",
                                  "CreateNewFile",
                                  "WriteNewFile",
                                  "WaitWithAutoPlayHelpers",
                                  "RegisterAutoPlayHandler",
                                  "RevokeAutoPlayHandler",
                                  "TakeAutoPlayAnswers",
                                  "RunsElevated",
                                  "GetKeyNameText",
                                  "SetErrorMode",
                                  "GetDriveType",
                                  "GetVolumeInformation",
                                  "IsWindow"};

// The system's texts for the codes the tests use, as written.
constexpr struct {
  std::uint32_t code;
  const char* text;
} kErrorTexts[] = {
    {2, "The system cannot find the file specified.\r\n"},
    {3, "The system cannot find the path specified.\r\n"},
    {5, "Access is denied.\r\n"},
    {6, "The handle is invalid.\r\n"},
    {32, "The process cannot access the file because it is being used by another process.\r\n"},
    {112, "There is not enough space on the disk.\r\n"},
    {193, "%1 is not a valid Win32 application.\r\n"},
    {1459, "This operation requires an interactive\r\nwindow station.\r\n"},
    {1400, "Invalid window handle.\r\n"},
    {0x80040154u, "Class not registered\r\n"},
};

const char* MessageName(std::uint32_t message, char (&buffer)[16]) {
  if (message == win::kWmCommand) return "WM_COMMAND";
  if (message == win::kWmClose) return "WM_CLOSE";
  std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(message));
  return buffer;
}

void FormatMode(const DisplayMode& mode, char (&buffer)[64]) {
  std::snprintf(buffer, sizeof buffer, "%ux%u %ubpp %uHz", mode.width, mode.height,
                mode.bitsPerPixel, mode.frequency);
}

}  // namespace

FakePlatform::FakePlatform() {
  trace_.reserve(std::size_t{1} << 22);
  logText.reserve(std::size_t{1} << 20);
  for (const char* name : kCallNames) callCounts_.emplace(name, 0);
  currentMode.width = 1024;
  currentMode.height = 768;
  currentMode.bitsPerPixel = 32;
  currentMode.frequency = 60;
}

void FakePlatform::NameProcess(const std::string& match, const std::string& name) {
  processNames_.emplace_back(match, name);
}

void FakePlatform::AddWindow(const std::string& name, const std::string& owner) {
  windows_.push_back(Window{name, owner});
}

void FakePlatform::Fail(const std::string& call, int n, std::uint32_t error) {
  failures_.push_back(Failure{call, n, error});
}

void FakePlatform::Answer(const std::string& call, int n, HResult result) {
  answers_.push_back(Answered{call, n, result});
}

std::vector<std::string> FakePlatform::Lines() const {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < trace_.size()) {
    std::size_t end = trace_.find('\n', start);
    if (end == std::string::npos) end = trace_.size();
    lines.push_back(trace_.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> FakePlatform::Lines(const std::vector<std::string>& calls) const {
  std::vector<std::string> kept;
  for (const std::string& line : Lines()) {
    const std::string call = line.substr(0, line.find('('));
    for (const std::string& wanted : calls) {
      if (call == wanted) {
        kept.push_back(line);
        break;
      }
    }
  }
  return kept;
}

int& FakePlatform::CallCount(const char* call) {
  auto it = callCounts_.find(std::string_view(call));
  if (it == callCounts_.end()) std::abort();  // every call name is listed in kCallNames
  return it->second;
}

bool FakePlatform::Failing(const char* call) {
  const int n = ++CallCount(call);
  for (const Failure& failure : failures_) {
    if (failure.call == call && (failure.n == 0 || failure.n == n)) {
      lastError_ = failure.error;
      return true;
    }
  }
  return false;
}

HResult FakePlatform::DiResult(const char* call) {
  const int n = CallCount(call) + 1;
  if (Failing(call)) return kFail;
  for (const Answered& answer : answers_) {
    if (answer.call == call && (answer.n == 0 || answer.n == n)) return answer.result;
  }
  return kOk;
}

void FakePlatform::Record(const char* format, ...) {
  char line[4096];  // a custom mount line of 2,047 characters with its call
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  // A run that never ends (a watch that misses its end) would record until
  // memory runs out: past the bound the test fails at once.
  if (trace_.size() > kTraceLimit) {
    std::fprintf(stderr,
                 "the fake's trace passed %zu bytes: the run does not end (last call: %s)\n",
                 kTraceLimit, line);
    std::abort();
  }
  trace_.append(line);
  trace_.push_back('\n');
  if (afterCall) afterCall(line);
}

std::uintptr_t FakePlatform::NewHandle(const char* name) {
  if (nameCount_ == static_cast<int>(sizeof names_ / sizeof names_[0])) std::abort();
  Named& named = names_[nameCount_++];
  named.value = nextHandle_;
  nextHandle_ += 4;
  std::snprintf(named.name, sizeof named.name, "%s", name);
  return named.value;
}

const char* FakePlatform::NameOf(std::uintptr_t handle) const {
  if (handle == 0) return "NULL";
  if (handle == win::kHwndTopmost) return "HWND_TOPMOST";
  for (int i = 0; i < nameCount_; ++i) {
    if (names_[i].value == handle) return names_[i].name;
  }
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    if (handle == 0x10000 + i) return windows_[i].name.c_str();
  }
  return "?";
}

std::uint32_t FakePlatform::ProcessIdOf(const std::string& owner) const {
  for (int i = 0; i < startedCount_; ++i) {
    if (owner == started_[i].name) return started_[i].processId;
  }
  for (const OtherProcess& other : otherProcesses) {
    if (owner == other.name) return other.processId;
  }
  return 4;  // a process the launcher did not start
}

FakePlatform::OpenFile* FakePlatform::FindOpenFile(OsHandle handle) {
  for (OpenFile& file : openFiles_) {
    if (file.handle == handle && file.path) return &file;
  }
  return nullptr;
}

// --- Kernel services ---

std::uint32_t FakePlatform::GetModuleFileName(char* buffer, std::uint32_t capacity) {
  if (Failing("GetModuleFileName")) {
    Record("GetModuleFileName(%u) = 0", capacity);
    return 0;
  }
  // Like Windows XP: a path that does not fit is cut to the capacity and
  // left without a terminator.
  std::uint32_t n = 0;
  for (; n < capacity && n < modulePath.size(); ++n) buffer[n] = modulePath[n];
  if (n < capacity) buffer[n] = '\0';
  Record("GetModuleFileName(%u) = %u", capacity, n);
  return n;
}

std::uint32_t FakePlatform::GetProfileString(const char* section, const char* key, char* out,
                                             std::uint32_t size, const char* path) {
  if (size > 0) out[0] = '\0';
  const bool rightFile = settingsPath == path;
  std::uint32_t n = 0;
  if (!Failing("GetPrivateProfileString") && rightFile && settingsExist) {
    n = ReadProfileString(settingsText.data(), settingsText.size(), section, key, out, size);
  }
  if (rightFile) {
    Record("GetPrivateProfileString(%s, %s) = \"%s\"", section, key, out);
  } else {
    Record("GetPrivateProfileString(%s, %s, \"%s\") = \"%s\"", section, key, path, out);
  }
  return n;
}

bool FakePlatform::IsDbcsLeadByte(std::uint8_t byte) { return leadBytes[byte]; }

OsHandle FakePlatform::OpenFileForWrite(const char* path) {
  auto it = files.find(std::string_view(path));
  const bool failed = Failing("CreateFile");
  if (!failed && it == files.end()) lastError_ = 2;  // ERROR_FILE_NOT_FOUND
  if (failed || it == files.end()) {
    Record("CreateFile(\"%s\") = INVALID_HANDLE_VALUE", path);
    return 0;
  }
  char name[16];
  std::snprintf(name, sizeof name, "file%d", ++filesOpened_);
  const OsHandle handle = NewHandle(name);
  for (OpenFile& file : openFiles_) {
    if (!file.path) {
      file = OpenFile{handle, &it->first, 0};
      break;
    }
  }
  Record("CreateFile(\"%s\") = %s", path, name);
  return handle;
}

bool FakePlatform::HeldByOthers(const char* path) const {
  return std::find(heldByOthers.begin(), heldByOthers.end(), path) != heldByOthers.end();
}

bool FakePlatform::SetFilePointer(OsHandle file, std::int32_t offset) {
  OpenFile* open = FindOpenFile(file);
  if (Failing("SetFilePointer") || !open || offset < 0) {
    Record("SetFilePointer(%s, %d) = INVALID_SET_FILE_POINTER", NameOf(file), offset);
    return false;
  }
  open->position = offset;
  Record("SetFilePointer(%s, %d)", NameOf(file), offset);
  return true;
}

bool FakePlatform::WriteFileByte(OsHandle file, std::uint8_t byte) {
  OpenFile* open = FindOpenFile(file);
  if (Failing("WriteFile") || !open) {
    Record("WriteFile(%s, 0x%02X) = FALSE", NameOf(file), byte);
    return false;
  }
  std::vector<std::uint8_t>& bytes = files.find(*open->path)->second;
  const std::size_t at = static_cast<std::size_t>(open->position);
  if (bytes.size() <= at) bytes.resize(at + 1, 0);
  bytes[at] = byte;
  open->position += 1;
  Record("WriteFile(%s, 0x%02X)", NameOf(file), byte);
  return true;
}

bool FakePlatform::CloseHandle(OsHandle handle) {
  if (OpenFile* open = FindOpenFile(handle)) open->path = nullptr;
  const bool failed = Failing("CloseHandle");
  Record("CloseHandle(%s)%s", NameOf(handle), failed ? " = FALSE" : "");
  return !failed;
}

bool FakePlatform::CreateProcessWithEnvironment(char* commandLine, const char* environment,
                                                ProcessRecord& out) {
  // The block as given: its strings up to the empty one that ends it.
  const char* end = environment;
  while (*end != '\0') end += std::strlen(end) + 1;
  environments.push_back({commandLine, std::string(environment, end)});
  return CreateProcess(commandLine, out);
}

const char* FakePlatform::GetEnvironmentStrings() {
  const bool failed = Failing("GetEnvironmentStrings");
  Record("GetEnvironmentStrings()%s", failed ? " = NULL" : "");
  if (failed) return nullptr;
  // Two NULs at the end whatever the text ends with.
  environmentCopy_ = environment + std::string(2, '\0');
  return environmentCopy_.c_str();
}

bool FakePlatform::FreeEnvironmentStrings(const char* block) {
  const bool failed = Failing("FreeEnvironmentStrings");
  const bool known = block == environmentCopy_.c_str();
  Record("FreeEnvironmentStrings(%s)%s", known ? "the block" : "another pointer",
         failed ? " = FALSE" : "");
  return !failed && known;
}

std::string FakePlatform::EnvironmentValue(std::size_t start, const std::string& name) const {
  const std::string& block = environments.at(start).block;
  std::string value = "(absent)";
  for (std::size_t at = 0; at < block.size(); at = block.find('\0', at) + 1) {
    const std::string entry = block.substr(at, block.find('\0', at) - at);
    if (entry.compare(0, name.size() + 1, name + "=") == 0) value = entry.substr(name.size() + 1);
  }
  return value;
}

bool FakePlatform::CreateProcess(char* commandLine, ProcessRecord& out) {
  bool refused = Failing("CreateProcess");
  for (const std::string& text : unstartable) {
    if (!refused && text == commandLine) {
      refused = true;
      lastError_ = 2;  // ERROR_FILE_NOT_FOUND
    }
  }
  if (refused) {
    out = ProcessRecord{};  // Windows fills nothing: the record stays zeroed
    Record("CreateProcess(\"%s\") = FALSE", commandLine);
    return false;
  }
  if (startedCount_ == static_cast<int>(sizeof started_ / sizeof started_[0])) std::abort();
  Started& started = started_[startedCount_++];
  std::snprintf(started.name, sizeof started.name, "proc%d", startedCount_);
  for (const auto& [match, name] : processNames_) {
    if (std::strstr(commandLine, match.c_str())) {
      std::snprintf(started.name, sizeof started.name, "%s", name.c_str());
      break;
    }
  }
  started.processId = nextProcessId_++;
  char handleName[64];
  std::snprintf(handleName, sizeof handleName, "%s.process", started.name);
  out.process = NewHandle(handleName);
  std::snprintf(handleName, sizeof handleName, "%s.thread", started.name);
  out.thread = NewHandle(handleName);
  out.processId = started.processId;
  started.process = out.process;
  out.threadId = started.processId + 5000;
  Record("CreateProcess(\"%s\") = %s", commandLine, started.name);
  return true;
}

std::uint32_t FakePlatform::WaitForInputIdle(OsHandle process, std::uint32_t milliseconds) {
  const std::uint32_t result = Failing("WaitForInputIdle") ? 0xFFFFFFFFu : 0u;
  Record("WaitForInputIdle(%s, %u)", NameOf(process), milliseconds);
  return result;
}

std::uint32_t FakePlatform::WaitForSingleObject(OsHandle handle, std::uint32_t milliseconds) {
  std::uint32_t result = Failing("WaitForSingleObject") ? 0xFFFFFFFFu : 0x102u;
  for (const std::string& name : signalled) {
    if (result == 0x102u && name == NameOf(handle)) result = win::kWaitObject0;
  }
  Record("WaitForSingleObject(%s, %u)", NameOf(handle), milliseconds);
  return result;
}

bool FakePlatform::GetExitCodeProcess(OsHandle process, std::uint32_t& exitCode) {
  if (Failing("GetExitCodeProcess")) {
    Record("GetExitCodeProcess(%s) = FALSE", NameOf(process));
    return false;
  }
  const char* const name = NameOf(process);
  const bool ended =
      std::find(signalled.begin(), signalled.end(), std::string_view(name)) != signalled.end();
  if (const OtherProcess* other = OpenedProcess(process)) {
    exitCode = other->running ? win::kStillActive : 0;
  } else if (ended) {
    const auto code = endedExitCodes.find(std::string_view(name));
    exitCode = code == endedExitCodes.end() ? 0 : code->second;
  } else {
    exitCode = exitCodes[exitCodeAt_ < exitCodes.size() ? exitCodeAt_++ : exitCodes.size() - 1];
  }
  Record("GetExitCodeProcess(%s) = %u", NameOf(process), exitCode);
  return true;
}

// --- Windows and messages ---

bool FakePlatform::EnumWindows(WindowEnumCallback callback, std::intptr_t param) {
  if (Failing("EnumWindows")) {
    Record("EnumWindows = FALSE");
    return false;
  }
  Record("EnumWindows");
  for (std::size_t i = 0; i < windows_.size(); ++i) {
    if (!callback(*this, 0x10000 + i, param)) return false;
  }
  return true;
}

std::uint32_t FakePlatform::GetWindowThreadProcessId(WindowHandle window,
                                                     std::uint32_t& processId) {
  const std::size_t index = window - 0x10000;
  if (Failing("GetWindowThreadProcessId") || index >= windows_.size()) {
    Record("GetWindowThreadProcessId(%s) = 0", NameOf(window));
    return 0;
  }
  processId = ProcessIdOf(windows_[index].owner);
  Record("GetWindowThreadProcessId(%s) = %u", NameOf(window), processId);
  return processId + 5000;
}

int FakePlatform::MessageBox(WindowHandle owner, const char* text, const char* caption,
                             std::uint32_t type) {
  const bool failed = Failing("MessageBox");
  Record("MessageBox(%s, \"%s\", \"%s\", 0x%X)", NameOf(owner), text, caption, type);
  return failed ? 0 : 1;  // IDOK
}

bool FakePlatform::PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
  char buffer[16];
  const bool failed = Failing("PostMessage");
  const std::size_t index = window - 0x10000;
  if (!failed && message == win::kWmClose && index < windows_.size()) {
    for (OtherProcess& other : otherProcesses) {
      if (other.name == windows_[index].owner && other.closesOnWmClose) other.running = false;
    }
  }
  Record("PostMessage(%s, %s, %lu, %ld)%s", NameOf(window), MessageName(message, buffer),
         static_cast<unsigned long>(wParam), static_cast<long>(lParam), failed ? " = FALSE" : "");
  return !failed;
}

std::intptr_t FakePlatform::SendMessage(WindowHandle window, std::uint32_t message,
                                        std::uintptr_t wParam, std::intptr_t lParam) {
  char buffer[16];
  Failing("SendMessage");
  Record("SendMessage(%s, %s, %lu, %ld)", NameOf(window), MessageName(message, buffer),
         static_cast<unsigned long>(wParam), static_cast<long>(lParam));
  return 0;
}

bool FakePlatform::ShowWindow(WindowHandle window, int command) {
  const bool failed = Failing("ShowWindow");
  if (command == win::kSwHide) {
    Record("ShowWindow(%s, SW_HIDE)", NameOf(window));
  } else {
    Record("ShowWindow(%s, %d)", NameOf(window), command);
  }
  return !failed;
}

bool FakePlatform::BringWindowToTop(WindowHandle window) {
  const bool failed = Failing("BringWindowToTop");
  Record("BringWindowToTop(%s)", NameOf(window));
  return !failed;
}

bool FakePlatform::SetMenu(WindowHandle window, std::uintptr_t menu) {
  const bool failed = Failing("SetMenu");
  Record("SetMenu(%s, %s)", NameOf(window), menu ? "menu" : "NULL");
  return !failed;
}

std::int32_t FakePlatform::SetWindowLong(WindowHandle window, int index, std::int32_t value) {
  Failing("SetWindowLong");
  if (index == win::kGwlStyle) {
    Record("SetWindowLong(%s, GWL_STYLE, %d)", NameOf(window), value);
  } else {
    Record("SetWindowLong(%s, %d, %d)", NameOf(window), index, value);
  }
  return 0;
}

bool FakePlatform::SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx,
                                int cy, std::uint32_t flags) {
  const bool failed = Failing("SetWindowPos");
  Record("SetWindowPos(%s, %s, %d, %d, %d, %d, 0x%X)", NameOf(window), NameOf(insertAfter), x, y,
         cx, cy, flags);
  return !failed;
}

bool FakePlatform::UpdateWindow(WindowHandle window) {
  const bool failed = Failing("UpdateWindow");
  Record("UpdateWindow(%s)", NameOf(window));
  return !failed;
}

// --- Keyboard, cursor and screen ---

void FakePlatform::KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                              std::uintptr_t extraInfo) {
  Failing("keybd_event");
  if (flags == win::kKeyEventKeyUp) {
    Record("keybd_event(0x%02X, 0x%02X, KEYEVENTF_KEYUP, %lu)", virtualKey, scanCode,
           static_cast<unsigned long>(extraInfo));
  } else {
    Record("keybd_event(0x%02X, 0x%02X, %u, %lu)", virtualKey, scanCode, flags,
           static_cast<unsigned long>(extraInfo));
  }
}

std::uint32_t FakePlatform::MapVirtualKey(std::uint32_t code, std::uint32_t mapType) {
  std::uint32_t result = 0;
  if (!Failing("MapVirtualKey")) {
    auto it = keyMap.find({code, mapType});
    result = it != keyMap.end() ? it->second : UsKeyboardMap(code, mapType);
  }
  Record("MapVirtualKey(%u, %u) = 0x%X", code, mapType, result);
  return result;
}

std::int16_t FakePlatform::GetAsyncKeyState(int virtualKey) {
  std::int16_t state = 0;
  if (!Failing("GetAsyncKeyState")) {
    state = asyncKeyStates[keyStateAt_ < asyncKeyStates.size() ? keyStateAt_++
                                                               : asyncKeyStates.size() - 1];
  }
  Record("GetAsyncKeyState(%d) = 0x%04X", virtualKey, static_cast<std::uint16_t>(state));
  return state;
}

std::uint32_t FakePlatform::GetKeyName(std::uint32_t virtualKey, char* out, std::uint32_t size) {
  std::uint32_t n = 0;
  if (!Failing("GetKeyNameText")) {
    n = UsKeyName(virtualKey, out, size);
  } else if (size > 0) {
    out[0] = '\0';
  }
  Record("GetKeyNameText(%u) = \"%s\"", virtualKey, size > 0 ? out : "");
  return n;
}

bool FakePlatform::SetCursorPos(int x, int y) {
  const bool failed = Failing("SetCursorPos");
  Record("SetCursorPos(%d, %d)", x, y);
  return !failed;
}

int FakePlatform::GetSystemMetrics(int index) {
  int value = 0;
  if (!Failing("GetSystemMetrics")) {
    value = index == win::kSmCxScreen ? screenWidth : index == win::kSmCyScreen ? screenHeight : 0;
  }
  if (index == win::kSmCxScreen) {
    Record("GetSystemMetrics(SM_CXSCREEN) = %d", value);
  } else if (index == win::kSmCyScreen) {
    Record("GetSystemMetrics(SM_CYSCREEN) = %d", value);
  } else {
    Record("GetSystemMetrics(%d) = %d", index, value);
  }
  return value;
}

// --- Display modes ---

bool FakePlatform::GetCurrentDisplayMode(DisplayMode& mode) {
  if (Failing("EnumDisplaySettings")) {
    Record("EnumDisplaySettings(ENUM_CURRENT_SETTINGS) = FALSE");
    return false;
  }
  mode = currentMode;
  char text[64];
  FormatMode(mode, text);
  Record("EnumDisplaySettings(ENUM_CURRENT_SETTINGS) = %s", text);
  return true;
}

std::int32_t FakePlatform::ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) {
  const std::int32_t result = Failing("ChangeDisplaySettings") ? -2 : 0;  // DISP_CHANGE_BADMODE
  if (!mode) {
    Record("ChangeDisplaySettings(NULL, %u)", flags);
    return result;
  }
  char text[64];
  FormatMode(*mode, text);
  lastModeChanged = *mode;
  Record("ChangeDisplaySettings(%s, %u)", text, flags);
  if (result == 0) {
    screenWidth = static_cast<int>(mode->width);
    screenHeight = static_cast<int>(mode->height);
  }
  return result;
}

// --- AutoPlay suppression ---

std::uint32_t FakePlatform::WaitWithAutoPlaySuppressed(Instance, std::uint32_t milliseconds) {
  const bool failed = Failing("WaitWithAutoPlaySuppressed");
  Record("WaitWithAutoPlaySuppressed(%u)", milliseconds);
  return failed ? lastError_ : 0;
}

AutoPlayWaitResult FakePlatform::WaitWithAutoPlayHelpers(Instance, std::uint32_t milliseconds,
                                                         const AutoPlayWaitHelpers& helpers) {
  AutoPlayWaitResult result;
  const bool failed = Failing("WaitWithAutoPlayHelpers");
  char arrivals[32] = "";
  if (helpers.driveMask) std::snprintf(arrivals, sizeof arrivals, ", arrivals 0x%X", helpers.driveMask);
  Record("WaitWithAutoPlayHelpers(%u%s%s%s%s)", milliseconds,
         helpers.takeForeground ? ", foreground" : "", helpers.lookForDisc ? ", disc looks" : "",
         arrivals, helpers.duringPlay ? ", during play" : "");
  if (failed) {
    result.end = AutoPlayWaitEnd::kNoWindow;
    result.error = lastError_;
    return result;
  }
  if (helpers.takeForeground) {
    result.foregroundTaken = foregroundRefusal == 0;
    result.foregroundError = foregroundRefusal;
  }
  // A cancelled query not yet taken ends the wait at once.
  if (pendingLetter_ != 0) {
    result.end = AutoPlayWaitEnd::kHandlerQuery;
    result.asked[0] = pendingLetter_;
    std::memcpy(result.asked + 1, ":\\", 3);
    return result;
  }
  const std::uint32_t looks = milliseconds / 100;
  for (std::uint32_t look = 1; look <= looks; ++look) {
    result.elapsed = look * 100;
    if (autoPlayQueryAt > 0 && look == static_cast<std::uint32_t>(autoPlayQueryAt)) {
      result.end = queryByHandler ? AutoPlayWaitEnd::kHandlerQuery : AutoPlayWaitEnd::kWindowQuery;
      if (queryByHandler) std::memcpy(result.asked, "E:\\", 4);
      return result;
    }
    if (helpers.lookForDisc && helpers.lookForDisc(*this, helpers.param)) {
      result.end = AutoPlayWaitEnd::kDiscReady;
      result.volumeAnnounced = volumeAnnounced;
      if (volumeAnnounced) result.announcedAt = result.elapsed - 5;
      return result;
    }
  }
  result.elapsed = milliseconds;
  return result;
}

HResult FakePlatform::RegisterAutoPlayHandler(const char* watchedRoot, std::uint32_t& cookie) {
  // As Windows' thread does: no second handler while the first one's lives.
  if (handlerRegistered_) lastError_ = static_cast<std::uint32_t>(kHandlerThreadLives);
  if (Failing("RegisterAutoPlayHandler") || handlerRegistered_) {
    Record("RegisterAutoPlayHandler(%s) = 0x%08X", watchedRoot, lastError_);
    return static_cast<HResult>(lastError_);
  }
  cookie = 77;
  handlerRegistered_ = true;
  std::snprintf(handlerWatched_, sizeof handlerWatched_, "%s", watchedRoot);
  Record("RegisterAutoPlayHandler(%s) = cookie 77", watchedRoot);
  return kOk;
}

HResult FakePlatform::RevokeAutoPlayHandler(std::uint32_t cookie) {
  const bool failed = Failing("RevokeAutoPlayHandler");
  Record("RevokeAutoPlayHandler(cookie %u)", cookie);
  // A thread left running keeps the handler as it was.
  if (!failed || lastError_ != static_cast<std::uint32_t>(kHandlerThreadLives)) {
    handlerRegistered_ = false;
  }
  return failed ? static_cast<HResult>(lastError_) : kOk;
}

HResult FakePlatform::AskAutoPlayHandler(char letter) {
  if (!handlerRegistered_) return static_cast<HResult>(0x800401E3u);  // MK_E_UNAVAILABLE
  const bool cancel = handlerWatched_[0] == '\0' || handlerWatched_[0] == letter;
  if (asked_.count < kAutoPlayAnswersKept) {
    AutoPlayAnswer& answer = asked_.answer[asked_.count++];
    answer.root[0] = letter;
    std::memcpy(answer.root + 1, ":\\", 3);
    answer.cancelled = cancel;
  } else {
    ++asked_.notKept;
  }
  if (cancel) pendingLetter_ = letter;
  return cancel ? 1 : 0;
}

AutoPlayAnswers FakePlatform::TakeAutoPlayAnswers() {
  AutoPlayAnswers taken;
  if (!handlerAnswers.empty()) {
    taken = handlerAnswers.front();
    handlerAnswers.erase(handlerAnswers.begin());
  }
  for (std::uint32_t i = 0; i < asked_.count && taken.count < kAutoPlayAnswersKept; ++i) {
    taken.answer[taken.count++] = asked_.answer[i];
  }
  taken.notKept += asked_.notKept;
  asked_ = AutoPlayAnswers{};
  pendingLetter_ = 0;
  char list[160] = "";
  std::size_t used = 0;
  for (std::uint32_t i = 0; i < taken.count && used < sizeof list; ++i) {
    const AutoPlayAnswer& answer = taken.answer[i];
    used += static_cast<std::size_t>(
        std::snprintf(list + used, sizeof list - used, "%s%s %s", i ? ", " : "",
                      answer.root[0] ? answer.root : "-", answer.cancelled ? "S_FALSE" : "S_OK"));
  }
  Record("TakeAutoPlayAnswers() = [%s], %u not kept", list, taken.notKept);
  return taken;
}

bool FakePlatform::RunsElevated() {
  Failing("RunsElevated");
  Record("RunsElevated() = %s", elevated ? "TRUE" : "FALSE");
  return elevated;
}

std::uint32_t FakePlatform::SetErrorMode(std::uint32_t mode) {
  CallCount("SetErrorMode")++;
  const std::uint32_t previous = errorMode;
  errorMode = mode;
  Record("SetErrorMode(0x%X) = 0x%X", mode, previous);
  return previous;
}

std::uint32_t FakePlatform::GetDriveType(const char* root) {
  CallCount("GetDriveType")++;
  if (driveLookAt_ < driveLooks.size()) ++driveLookAt_;
  const std::uint32_t type = driveLooks[driveLookAt_ - 1].type;
  Record("GetDriveType(%s) = %u", root, type);
  return type;
}

bool FakePlatform::GetVolumeSerial(const char* root, std::uint32_t& serial) {
  const Drive& drive = driveLooks[driveLookAt_ == 0 ? 0 : driveLookAt_ - 1];
  if (Failing("GetVolumeInformation") || !drive.volume) {
    Record("GetVolumeInformation(%s) fails", root);
    lastError_ = 21;  // ERROR_NOT_READY
    return false;
  }
  serial = drive.serial;
  Record("GetVolumeInformation(%s) = serial %08X", root, drive.serial);
  return true;
}

// --- DirectInput ---

HResult FakePlatform::DirectInputCreate(Instance, std::uint32_t version, ComObject& directInput) {
  const HResult result = DiResult("DirectInputCreate");
  if (result < 0) {
    Record("DirectInputCreate(0x%04X) = 0x%08X", version, static_cast<unsigned>(result));
    return result;
  }
  directInput = NewHandle("dinput");
  Record("DirectInputCreate(0x%04X) = dinput", version);
  return result;
}

HResult FakePlatform::EnumJoysticks(ComObject directInput, DeviceEnumCallback callback,
                                    std::intptr_t param) {
  const HResult result = DiResult("EnumDevices");
  Record("EnumDevices(%s, DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY)%s", NameOf(directInput),
         result < 0 ? " = FAILED" : "");
  if (result < 0) return result;
  for (const Pad& pad : pads) {
    DeviceInstance device;
    device.guidInstance = pad.guid;
    std::snprintf(device.productName, sizeof device.productName, "%s", pad.productName.c_str());
    if (!callback(device, param)) break;
  }
  return result;
}

HResult FakePlatform::CreateDevice(ComObject directInput, const Guid& instanceGuid,
                                   ComObject& device) {
  const HResult result = DiResult("CreateDevice");
  if (result < 0) {
    Record("CreateDevice(%s, {%08X}) = FAILED", NameOf(directInput), instanceGuid.data1);
    return result;
  }
  char name[16];
  std::snprintf(name, sizeof name, "device%d", ++devicesCreated_);
  device = NewHandle(name);
  Record("CreateDevice(%s, {%08X}) = %s", NameOf(directInput), instanceGuid.data1, name);
  return result;
}

HResult FakePlatform::QueryDevice2(ComObject device, ComObject& device2) {
  const HResult result = DiResult("QueryInterface");
  if (result < 0) {
    Record("QueryInterface(%s, IID_IDirectInputDevice2A) = FAILED", NameOf(device));
    return result;
  }
  char name[16];
  std::snprintf(name, sizeof name, "pad%d", devicesCreated_);
  device2 = NewHandle(name);
  // The pad's states are read in the order the pads were created.
  Record("QueryInterface(%s, IID_IDirectInputDevice2A) = %s", NameOf(device), name);
  return result;
}

std::uint32_t FakePlatform::Release(ComObject object) {
  Failing("Release");
  Record("Release(%s)", NameOf(object));
  return 0;
}

WindowHandle FakePlatform::GetDesktopWindow() {
  Failing("GetDesktopWindow");
  static const char kName[] = "desktop";
  for (int i = 0; i < nameCount_; ++i) {
    if (std::strcmp(names_[i].name, kName) == 0) {
      Record("GetDesktopWindow() = desktop");
      return names_[i].value;
    }
  }
  const WindowHandle desktop = NewHandle(kName);
  Record("GetDesktopWindow() = desktop");
  return desktop;
}

HResult FakePlatform::SetCooperativeLevel(ComObject device2, WindowHandle window,
                                          std::uint32_t flags) {
  const HResult result = DiResult("SetCooperativeLevel");
  Record("SetCooperativeLevel(%s, %s, 0x%X)%s", NameOf(device2), NameOf(window), flags,
         result < 0 ? " = FAILED" : "");
  return result;
}

HResult FakePlatform::SetJoystickDataFormat(ComObject device2) {
  const HResult result = DiResult("SetDataFormat");
  Record("SetDataFormat(%s, c_dfDIJoystick)%s", NameOf(device2), result < 0 ? " = FAILED" : "");
  return result;
}

HResult FakePlatform::SetAxisRange(ComObject device2, std::uint32_t offset, std::int32_t minimum,
                                   std::int32_t maximum) {
  const HResult result = DiResult("SetProperty");
  Record("SetProperty(%s, DIPROP_RANGE, DIPH_BYOFFSET %u, %d, %d)%s", NameOf(device2), offset,
         minimum, maximum, result < 0 ? " = FAILED" : "");
  return result;
}

HResult FakePlatform::Acquire(ComObject device2) {
  const HResult result = DiResult("Acquire");
  Record("Acquire(%s)%s", NameOf(device2), result < 0 ? " = FAILED" : "");
  return result;
}

HResult FakePlatform::Poll(ComObject device2) {
  const HResult result = DiResult("Poll");
  Record("Poll(%s) = 0x%08X", NameOf(device2), static_cast<unsigned>(result));
  return result;
}

HResult FakePlatform::GetDeviceState(ComObject device2, std::uint32_t size, JoyState& state) {
  const HResult result = DiResult("GetDeviceState");
  // "padN" reads the states of pads[N - 1].
  const char* name = NameOf(device2);
  const int pad = std::strncmp(name, "pad", 3) == 0 ? std::atoi(name + 3) - 1 : -1;
  if (result >= 0 && pad >= 0 && pad < static_cast<int>(pads.size()) && pad < 16) {
    const std::vector<JoyState>& states = pads[static_cast<std::size_t>(pad)].states;
    std::size_t& at = padStateAt_[pad];
    state = states[at < states.size() ? at++ : states.size() - 1];
  }
  Record("GetDeviceState(%s, %u)%s", name, size, result < 0 ? " = FAILED" : "");
  return result;
}

HResult FakePlatform::Unacquire(ComObject device2) {
  const HResult result = DiResult("Unacquire");
  Record("Unacquire(%s)", NameOf(device2));
  return result;
}

// --- The run log ---

const char* FakePlatform::GetCommandLine() {
  Failing("GetCommandLine");
  Record("GetCommandLine()");
  return commandLine.c_str();
}

std::uint32_t FakePlatform::GetTickCount() {
  Failing("GetTickCount");
  const std::uint32_t now = tickCount;
  tickCount += tickStep;
  Record("GetTickCount() = %u", now);
  return now;
}

std::uint32_t FakePlatform::GetLastError() {
  Failing("GetLastError");
  Record("GetLastError() = %u", lastError_);
  return lastError_;
}

std::uint32_t FakePlatform::FormatMessage(std::uint32_t code, char* out, std::uint32_t size) {
  std::uint32_t n = 0;
  if (!Failing("FormatMessage") && size > 0) {
    for (const auto& known : kErrorTexts) {
      if (known.code != code) continue;
      // As FORMAT_MESSAGE_MAX_WIDTH_MASK gives it: the text's line breaks
      // become blanks.
      for (const char* c = known.text; *c && n + 1 < size; ++c) {
        if (*c != '\r') out[n++] = *c == '\n' ? ' ' : *c;
      }
      out[n] = '\0';
    }
  }
  Record("FormatMessage(%u) = %u", code, n);
  return n;
}

bool FakePlatform::FileExists(const char* path) {
  const bool exists =
      !Failing("GetFileAttributes") && ((settingsExist && settingsPath == path) ||
                                        files.find(std::string_view(path)) != files.end());
  Record("GetFileAttributes(\"%s\")%s", path, exists ? "" : " = INVALID_FILE_ATTRIBUTES");
  return exists;
}

bool FakePlatform::IsWindow(WindowHandle window) {
  const bool gone = Failing("IsWindow");
  Record("IsWindow(%s)%s", NameOf(window), gone ? " = FALSE" : "");
  return !gone;
}

OsHandle FakePlatform::CreateLogFile(const char* path) {
  if (logPath != path) {
    // Any other file is created in `files`, empty, when it is in the
    // launcher folder; every other folder does not exist.
    const bool failed = Failing("CreateNewFile");
    const std::string folder = modulePath.substr(0, modulePath.rfind('\\') + 1);
    const bool inFolder = std::string_view(path).substr(0, folder.size()) == folder &&
                          std::string_view(path).find('\\', folder.size()) == std::string::npos;
    const bool held = HeldByOthers(path);
    if (!failed)
      lastError_ = !inFolder ? 3
                   : held    ? 32
                             : 5;  // PATH_NOT_FOUND, SHARING_VIOLATION, ACCESS_DENIED
    if (failed || !inFolder || !folderWritable || held) {
      Record("CreateFile(\"%s\", CREATE_ALWAYS, FILE_SHARE_READ) = INVALID_HANDLE_VALUE", path);
      return 0;
    }
    files[path].clear();
    const OsHandle handle = OpenInFiles(path, "new");
    Record("CreateFile(\"%s\", CREATE_ALWAYS, FILE_SHARE_READ) = %s", path, NameOf(handle));
    return handle;
  }
  const bool failed = Failing("CreateLogFile");
  if (!failed && logPath != path) lastError_ = 3;  // ERROR_PATH_NOT_FOUND
  if (failed || logPath != path) {
    Record("CreateFile(\"%s\", CREATE_ALWAYS, FILE_SHARE_READ) = INVALID_HANDLE_VALUE", path);
    return 0;
  }
  logExists = true;
  logText.clear();
  if (logHandle_ == 0) logHandle_ = NewHandle("log");
  Record("CreateFile(\"%s\", CREATE_ALWAYS, FILE_SHARE_READ) = log", path);
  return logHandle_;
}

bool FakePlatform::WriteFileBytes(OsHandle file, const char* data, std::uint32_t size) {
  if (OpenFile* open = FindOpenFile(file)) {
    const bool failed = Failing("WriteNewFile");
    if (!failed) {
      // At the file position, over what is there.
      std::vector<std::uint8_t>& bytes = files.find(*open->path)->second;
      const std::size_t at = static_cast<std::size_t>(open->position);
      if (bytes.size() < at + size) bytes.resize(at + size, 0);
      std::copy(data, data + size, bytes.begin() + static_cast<std::ptrdiff_t>(at));
      open->position += size;
    }
    Record("WriteFile(%s, %u bytes)%s", NameOf(file), size, failed ? " = FALSE" : "");
    return !failed;
  }
  const bool failed = Failing("WriteLogFile") || file != logHandle_ || file == 0;
  if (!failed) {
    if (logText.size() + size > logText.capacity()) std::abort();  // no allocation mid-run
    logText.append(data, size);
  }
  Record("WriteFile(%s, %u bytes)%s", NameOf(file), size, failed ? " = FALSE" : "");
  return !failed;
}

bool FakePlatform::FlushFileBuffers(OsHandle file) {
  const bool failed = Failing("FlushFileBuffers");
  Record("FlushFileBuffers(%s)%s", NameOf(file), failed ? " = FALSE" : "");
  return !failed;
}

// --- The undo record ---

OsHandle FakePlatform::OpenInFiles(const std::string& path, const char* name) {
  auto it = files.find(path);
  char handleName[16];
  std::snprintf(handleName, sizeof handleName, "%s%d", name, ++filesOpened_);
  const OsHandle handle = NewHandle(handleName);
  for (OpenFile& file : openFiles_) {
    if (!file.path) {
      file = OpenFile{handle, &it->first, 0};
      break;
    }
  }
  return handle;
}

FakePlatform::OtherProcess* FakePlatform::OpenedProcess(OsHandle handle) {
  for (int i = 0; i < openedCount_; ++i) {
    if (opened_[i].handle == handle) return &otherProcesses[opened_[i].other];
  }
  return nullptr;
}

OsHandle FakePlatform::OpenFileForRead(const char* path) {
  auto it = files.find(std::string_view(path));
  const bool failed = Failing("OpenFileForRead");
  const bool held = HeldByOthers(path);
  if (!failed && it == files.end()) lastError_ = 2;  // ERROR_FILE_NOT_FOUND
  if (!failed && held) lastError_ = 32;              // ERROR_SHARING_VIOLATION
  if (failed || it == files.end() || held) {
    Record("CreateFile(\"%s\", GENERIC_READ) = INVALID_HANDLE_VALUE", path);
    return 0;
  }
  const OsHandle handle = OpenInFiles(it->first, "read");
  Record("CreateFile(\"%s\", GENERIC_READ) = %s", path, NameOf(handle));
  return handle;
}

bool FakePlatform::ReadFileBytes(OsHandle file, char* data, std::uint32_t size,
                                 std::uint32_t& read) {
  read = 0;
  OpenFile* open = FindOpenFile(file);
  if (Failing("ReadFile") || !open) {
    Record("ReadFile(%s, %u) = FALSE", NameOf(file), size);
    return false;
  }
  const std::vector<std::uint8_t>& bytes = files.find(*open->path)->second;
  for (std::size_t at = static_cast<std::size_t>(open->position); at < bytes.size() && read < size;
       ++at) {
    data[read++] = static_cast<char>(bytes[at]);
  }
  open->position += read;
  Record("ReadFile(%s, %u) = %u bytes", NameOf(file), size, read);
  return true;
}

bool FakePlatform::DeleteFile(const char* path) {
  auto it = files.find(std::string_view(path));
  const bool failed = Failing("DeleteFile") || it == files.end();
  if (!failed) {
    files.erase(it);
  } else if (it == files.end()) {
    lastError_ = 2;
  }
  Record("DeleteFile(\"%s\")%s", path, failed ? " = FALSE" : "");
  return !failed;
}

std::uint32_t FakePlatform::GetCurrentProcessId() {
  Failing("GetCurrentProcessId");
  Record("GetCurrentProcessId() = %u", ownProcessId);
  return ownProcessId;
}

OsHandle FakePlatform::GetCurrentProcess() {
  Failing("GetCurrentProcess");
  if (self_ == 0) self_ = NewHandle("self");
  Record("GetCurrentProcess() = self");
  return self_;
}

OsHandle FakePlatform::OpenProcess(std::uint32_t processId) {
  const bool failed = Failing("OpenProcess");
  for (std::size_t i = 0; !failed && i < otherProcesses.size(); ++i) {
    if (otherProcesses[i].processId != processId) continue;
    if (!otherProcesses[i].openable) {
      lastError_ = win::kErrorAccessDenied;
      Record("OpenProcess(%u) = NULL", processId);
      return 0;
    }
    if (openedCount_ == static_cast<int>(sizeof opened_ / sizeof opened_[0])) std::abort();
    char name[64];
    std::snprintf(name, sizeof name, "%s.opened", otherProcesses[i].name.c_str());
    const OsHandle handle = NewHandle(name);
    opened_[openedCount_++] = Opened{handle, i};
    Record("OpenProcess(%u) = %s", processId, name);
    return handle;
  }
  lastError_ = 87;  // ERROR_INVALID_PARAMETER: no such process
  Record("OpenProcess(%u) = NULL", processId);
  return 0;
}

bool FakePlatform::GetProcessCreationTime(OsHandle process, std::uint64_t& creationTime) {
  bool known = !Failing("GetProcessTimes");
  std::uint64_t time = 0;
  if (process == self_ && self_ != 0) {
    time = ownCreationTime;
  } else if (const OtherProcess* other = OpenedProcess(process)) {
    time = other->creationTime;
  } else {
    bool started = false;
    for (int i = 0; i < startedCount_; ++i) {
      if (started_[i].process == process) {
        time = StartedCreationTime(started_[i].processId);
        started = true;
      }
    }
    known = known && started;
  }
  if (!known) {
    Record("GetProcessTimes(%s) = FALSE", NameOf(process));
    return false;
  }
  creationTime = time;
  Record("GetProcessTimes(%s) = 0x%016llX", NameOf(process), static_cast<unsigned long long>(time));
  return true;
}

}  // namespace tolvimer::testing
