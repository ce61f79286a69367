// A recording stand-in for the operating system, for the native unit tests.
//
// Every call is written to the trace as one readable line, in the order it
// was made ("PostMessage(emu, WM_COMMAND, 32785, 0)"). Any single call can be
// told to fail, and the answers (settings text, files, windows, exit codes,
// key states, gamepads) are set by the test beforehand.
//
// The trace goes into storage reserved up front and the answers are looked
// up without building new strings, so a run through this fake makes no heap
// allocation of its own once the test has set it up.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace tolvimer::testing {

class FakePlatform : public Platform {
 public:
  FakePlatform();

  // --- What the test sets up ---
  std::string modulePath = "C:\\Emu\\tolvimer_launch.exe";
  std::string settingsPath = "C:\\Emu\\tolvimer_launch.ini";
  bool settingsExist = true;
  std::string settingsText;
  bool leadBytes[256] = {};  // bytes that open a double-byte character

  // Files that exist, by path, with their bytes.
  std::map<std::string, std::vector<std::uint8_t>, std::less<>> files;

  // A started process whose command line contains `match` is named `name`
  // in the trace (handles "<name>.process" and "<name>.thread").
  void NameProcess(const std::string& match, const std::string& name);
  // Command lines that CreateProcess fails to start (whole-text match).
  std::vector<std::string> unstartable;
  // The launcher's own environment block, without its final NUL.
  static constexpr char kEnvironment[] = "=D:=D:\\Games\0PATH=C:\\Windows\0SystemRoot=C:\\Windows";
  std::string environment{kEnvironment, sizeof kEnvironment};
  // The environment blocks of the starts that gave one, in order, each
  // without its final NUL: CreateProcessWithEnvironment is recorded in the
  // trace as a CreateProcess.
  struct StartedWithEnvironment {
    std::string commandLine;
    std::string block;
  };
  std::vector<StartedWithEnvironment> environments;
  // The value of `name` in the block of environments[start], "(absent)"
  // when it has none.
  std::string EnvironmentValue(std::size_t start, const std::string& name) const;
  // Top-level windows in z-order, each owned by a started process named
  // `owner`, or by a foreign process when no started process has that name.
  void AddWindow(const std::string& name, const std::string& owner);

  // Answers given in turn; the last one repeats when the script runs out.
  std::vector<std::uint32_t> exitCodes{0};
  std::vector<std::int16_t> asyncKeyStates{0};
  // MapVirtualKey answers: by (code, type); unlisted codes give what Windows
  // gives with a US keyboard for the launcher's keys, and 0 for others.
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::uint32_t> keyMap;
  int screenWidth = 1024;
  int screenHeight = 768;
  DisplayMode currentMode;

  // Gamepads that EnumJoysticks offers, with the states GetDeviceState gives
  // in turn (the last one repeats).
  struct Pad {
    Guid guid;
    std::string productName;
    std::vector<JoyState> states{JoyState{}};
  };
  std::vector<Pad> pads;

  // Makes the n-th call (1-based) of `call` fail; n = 0 makes every call of
  // it fail. `call` is the name as it stands in the trace, except for the run
  // log's own file: "CreateLogFile", "WriteLogFile" and "FlushFileBuffers".
  // GetLastError then gives `error`.
  void Fail(const std::string& call, int n = 0, std::uint32_t error = 5);
  // An HRESULT to give instead of S_OK for the n-th call of a DirectInput
  // method (for success codes such as DI_NOEFFECT, or a chosen failure).
  void Answer(const std::string& call, int n, HResult result);

  // The process's whole command line (GetCommandLineA).
  std::string commandLine = "\"C:\\Emu\\tolvimer_launch.exe\" D:\\Images\\Some Game.cdi";
  // GetTickCount starts here and moves on by `tickStep` at each call.
  std::uint32_t tickCount = 100000;
  std::uint32_t tickStep = 3;
  // The run log: the one path where it can be created, and what was written
  // to it (kept in storage reserved up front).
  std::string logPath = "C:\\Emu\\tolvimer_launch.log";
  bool logExists = false;
  std::string logText;

  // The undo record's calls. Files other than the log are created in
  // `files` unless the launcher folder is read-only. Processes the launcher
  // did not start, which OpenProcess finds by id; WM_CLOSE to a window of
  // one with `closesOnWmClose` ends it.
  bool folderWritable = true;
  // Files another launcher holds open without write sharing: opening them
  // fails with ERROR_SHARING_VIOLATION.
  std::vector<std::string> heldByOthers;
  struct OtherProcess {
    std::string name;
    std::uint32_t processId;
    std::uint64_t creationTime;
    bool running = true;
    bool closesOnWmClose = true;
    // False: it runs elevated or as another user, and OpenProcess fails
    // with ERROR_ACCESS_DENIED.
    bool openable = true;
  };
  std::vector<OtherProcess> otherProcesses;
  // Handles by trace name (such as "tool.process") that WaitForSingleObject
  // finds signalled: their process has ended. Any other wait runs out.
  // GetExitCodeProcess gives such an ended process's code from
  // `endedExitCodes` (0 when it has none there), not from `exitCodes`.
  std::vector<std::string> signalled;
  std::map<std::string, std::uint32_t, std::less<>> endedExitCodes;
  std::uint32_t ownProcessId = 3000;
  std::uint64_t ownCreationTime = 0x01DB000000003000ull;
  // The creation time GetProcessTimes gives for a started process.
  static std::uint64_t StartedCreationTime(std::uint32_t processId) {
    return 0x01DC000000000000ull + processId;
  }
  // The drive the launcher looks at: one state per look (GetDriveType),
  // given in turn; the last one repeats.
  struct Drive {
    std::uint32_t type = 1;  // DRIVE_NO_ROOT_DIR
    bool volume = false;     // GetVolumeInformation succeeds
    std::uint32_t serial = 0;
  };
  std::vector<Drive> driveLooks{Drive{}};
  // The wait with helpers: a look at the drive every 100 ms of the delay;
  // AutoPlay asks before look number `autoPlayQueryAt` (0: never), through
  // the window or the handler; the foreground refused with this error.
  int autoPlayQueryAt = 0;
  // Windows announces the watched drive's volume as the disc look finds it.
  bool volumeAnnounced = false;
  bool queryByHandler = false;
  // What each take of the handler's answers gives, in turn; none after.
  std::vector<AutoPlayAnswers> handlerAnswers;
  std::uint32_t foregroundRefusal = 0;
  // RunsElevated's answer.
  bool elevated = false;
  std::uint32_t errorMode = 0;

  // Plays the shell asking the registered AutoPlay handler about a drive, as
  // Windows would: S_FALSE (1) for the watched drive (or any, with none
  // watched), kept as pending until the next take, which ends the next
  // helped wait at once; S_OK (0) for another; MK_E_UNAVAILABLE with no
  // handler registered. Kept answers are given by the next take, after any
  // of `handlerAnswers`.
  HResult AskAutoPlayHandler(char letter);

  // Called after each traced call with its line; tests use it to act in the
  // middle of a run (for example to edit the settings file).
  std::function<void(const char* line)> afterCall;

  // --- What the test reads back ---
  std::vector<std::string> Lines() const;
  // Only the lines whose call name is one of `calls`.
  std::vector<std::string> Lines(const std::vector<std::string>& calls) const;
  std::string Trace() const { return trace_; }
  // The most the trace may hold: a run that records more does not end, and
  // the fake stops the test (far above a whole run with a long watch).
  static constexpr std::size_t kTraceLimit = std::size_t{64} << 20;
  // The whole record last passed to ChangeDisplaySettings (not a null one).
  DisplayMode lastModeChanged;

  // --- Platform ---
  std::uint32_t GetModuleFileName(char* buffer, std::uint32_t capacity) override;
  std::uint32_t GetProfileString(const char* section, const char* key, char* out,
                                 std::uint32_t size, const char* path) override;
  bool IsDbcsLeadByte(std::uint8_t byte) override;
  OsHandle OpenFileForWrite(const char* path) override;
  bool SetFilePointer(OsHandle file, std::int32_t offset) override;
  bool WriteFileByte(OsHandle file, std::uint8_t byte) override;
  bool CloseHandle(OsHandle handle) override;
  bool CreateProcess(char* commandLine, ProcessRecord& out) override;
  bool CreateProcessWithEnvironment(char* commandLine, const char* environment,
                                    ProcessRecord& out) override;
  const char* GetEnvironmentStrings() override;
  bool FreeEnvironmentStrings(const char* block) override;
  std::uint32_t WaitForInputIdle(OsHandle process, std::uint32_t milliseconds) override;
  std::uint32_t WaitForSingleObject(OsHandle handle, std::uint32_t milliseconds) override;
  bool GetExitCodeProcess(OsHandle process, std::uint32_t& exitCode) override;
  bool EnumWindows(WindowEnumCallback callback, std::intptr_t param) override;
  std::uint32_t GetWindowThreadProcessId(WindowHandle window, std::uint32_t& processId) override;
  int MessageBox(WindowHandle owner, const char* text, const char* caption,
                 std::uint32_t type) override;
  bool PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                   std::intptr_t lParam) override;
  std::intptr_t SendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;
  bool ShowWindow(WindowHandle window, int command) override;
  bool BringWindowToTop(WindowHandle window) override;
  bool SetMenu(WindowHandle window, std::uintptr_t menu) override;
  std::int32_t SetWindowLong(WindowHandle window, int index, std::int32_t value) override;
  bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy,
                    std::uint32_t flags) override;
  bool UpdateWindow(WindowHandle window) override;
  void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                  std::uintptr_t extraInfo) override;
  std::uint32_t MapVirtualKey(std::uint32_t code, std::uint32_t mapType) override;
  std::int16_t GetAsyncKeyState(int virtualKey) override;
  std::uint32_t GetKeyName(std::uint32_t virtualKey, char* out, std::uint32_t size) override;
  bool SetCursorPos(int x, int y) override;
  int GetSystemMetrics(int index) override;
  bool GetCurrentDisplayMode(DisplayMode& mode) override;
  std::int32_t ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) override;
  std::uint32_t WaitWithAutoPlaySuppressed(Instance instance, std::uint32_t milliseconds) override;
  AutoPlayWaitResult WaitWithAutoPlayHelpers(Instance instance, std::uint32_t milliseconds,
                                             const AutoPlayWaitHelpers& helpers) override;
  HResult RegisterAutoPlayHandler(const char* watchedRoot, std::uint32_t& cookie) override;
  HResult RevokeAutoPlayHandler(std::uint32_t cookie) override;
  AutoPlayAnswers TakeAutoPlayAnswers() override;
  bool RunsElevated() override;
  std::uint32_t SetErrorMode(std::uint32_t mode) override;
  std::uint32_t GetDriveType(const char* root) override;
  bool GetVolumeSerial(const char* root, std::uint32_t& serial) override;
  HResult DirectInputCreate(Instance instance, std::uint32_t version,
                            ComObject& directInput) override;
  HResult EnumJoysticks(ComObject directInput, DeviceEnumCallback callback,
                        std::intptr_t param) override;
  HResult CreateDevice(ComObject directInput, const Guid& instanceGuid, ComObject& device) override;
  HResult QueryDevice2(ComObject device, ComObject& device2) override;
  std::uint32_t Release(ComObject object) override;
  WindowHandle GetDesktopWindow() override;
  HResult SetCooperativeLevel(ComObject device2, WindowHandle window, std::uint32_t flags) override;
  HResult SetJoystickDataFormat(ComObject device2) override;
  HResult SetAxisRange(ComObject device2, std::uint32_t offset, std::int32_t minimum,
                       std::int32_t maximum) override;
  HResult Acquire(ComObject device2) override;
  HResult Poll(ComObject device2) override;
  HResult GetDeviceState(ComObject device2, std::uint32_t size, JoyState& state) override;
  HResult Unacquire(ComObject device2) override;
  const char* GetCommandLine() override;
  std::uint32_t GetTickCount() override;
  std::uint32_t GetLastError() override;
  std::uint32_t FormatMessage(std::uint32_t code, char* out, std::uint32_t size) override;
  bool FileExists(const char* path) override;
  // A window named in Fail("IsWindow") is gone: the emulator closed it itself.
  bool IsWindow(WindowHandle window) override;
  OsHandle CreateLogFile(const char* path) override;
  bool WriteFileBytes(OsHandle file, const char* data, std::uint32_t size) override;
  bool FlushFileBuffers(OsHandle file) override;
  OsHandle OpenFileForRead(const char* path) override;
  bool ReadFileBytes(OsHandle file, char* data, std::uint32_t size, std::uint32_t& read) override;
  bool DeleteFile(const char* path) override;
  std::uint32_t GetCurrentProcessId() override;
  OsHandle GetCurrentProcess() override;
  OsHandle OpenProcess(std::uint32_t processId) override;
  bool GetProcessCreationTime(OsHandle process, std::uint64_t& creationTime) override;

 private:
  // Runtime bookkeeping lives in fixed arrays so that calls do not allocate.
  struct Named {
    std::uintptr_t value;
    char name[48];
  };
  struct OpenFile {
    OsHandle handle;
    const std::string* path;
    std::int64_t position;
  };
  struct Started {
    char name[48];
    std::uint32_t processId;
    OsHandle process;
  };
  struct Opened {
    OsHandle handle;
    std::size_t other;  // index in otherProcesses
  };
  struct Window {
    std::string name;
    std::string owner;
  };
  struct Failure {
    std::string call;
    int n;
    std::uint32_t error;
  };
  struct Answered {
    std::string call;
    int n;
    HResult result;
  };

  // Counts the call and tells whether it is to fail.
  bool Failing(const char* call);
  HResult DiResult(const char* call);
  void Record(const char* format, ...) __attribute__((format(printf, 2, 3)));
  std::uintptr_t NewHandle(const char* name);
  const char* NameOf(std::uintptr_t handle) const;
  std::uint32_t ProcessIdOf(const std::string& owner) const;
  OpenFile* FindOpenFile(OsHandle handle);
  bool HeldByOthers(const char* path) const;
  OsHandle OpenInFiles(const std::string& path, const char* name);
  OtherProcess* OpenedProcess(OsHandle handle);
  int& CallCount(const char* call);

  std::string trace_;
  std::map<std::string, int, std::less<>> callCounts_;
  std::vector<Failure> failures_;
  std::vector<Answered> answers_;
  std::vector<std::pair<std::string, std::string>> processNames_;
  std::vector<Window> windows_;
  Named names_[512] = {};
  int nameCount_ = 0;
  std::uintptr_t nextHandle_ = 0x100;
  Started started_[64] = {};
  int startedCount_ = 0;
  std::uint32_t nextProcessId_ = 1001;
  OpenFile openFiles_[16] = {};
  int filesOpened_ = 0;
  std::size_t exitCodeAt_ = 0;
  std::size_t keyStateAt_ = 0;
  std::size_t driveLookAt_ = 0;
  std::size_t padStateAt_[16] = {};
  int devicesCreated_ = 0;
  std::uint32_t lastError_ = 0;
  std::string environmentCopy_;  // what GetEnvironmentStrings handed out
  OsHandle logHandle_ = 0;
  Opened opened_[16] = {};
  int openedCount_ = 0;
  OsHandle self_ = 0;
  bool handlerRegistered_ = false;
  char handlerWatched_[4] = {};
  char pendingLetter_ = 0;
  AutoPlayAnswers asked_;
};

}  // namespace tolvimer::testing
