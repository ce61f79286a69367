// The one interface through which the launcher reaches the operating system.
//
// Every Windows service the launch sequence uses is one method here, at the
// level of a single Win32 call, so that a test can make any one of them fail
// or answer a chosen value. Only plain values cross it; <windows.h> is
// included by the Win32 implementation alone.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/steps.h"

namespace tolvimer {

// Opaque Win32 handles, carried as integers. 0 is "no handle".
using OsHandle = std::uintptr_t;      // HANDLE of a file, process or thread
using WindowHandle = std::uintptr_t;  // HWND
using Instance = std::uintptr_t;      // HINSTANCE of the launcher
using ComObject = std::uintptr_t;     // a DirectInput interface pointer
using HResult = std::int32_t;         // negative means failure

// Windows constants the portable code passes through unchanged.
namespace win {
constexpr std::uint32_t kWmClose = 0x0010;
constexpr std::uint32_t kWmCommand = 0x0111;
constexpr int kSwHide = 0;
constexpr int kGwlStyle = -16;
constexpr WindowHandle kHwndTopmost = static_cast<WindowHandle>(-1);
constexpr std::uint32_t kSwpNoZOrder = 0x0004;
constexpr std::uint32_t kSwpShowWindow = 0x0040;
constexpr int kSmCxScreen = 0;
constexpr int kSmCyScreen = 1;
constexpr std::uint32_t kMbOk = 0x0000;
constexpr std::uint32_t kMbIconWarning = 0x0030;
constexpr std::uint32_t kKeyEventKeyUp = 0x0002;
constexpr std::uint32_t kMapVkToVsc = 0;
constexpr std::uint32_t kMapVkToChar = 2;
constexpr std::uint8_t kVkReturn = 0x0D;
constexpr std::uint8_t kVkEscape = 0x1B;
constexpr std::uint8_t kVkAdd = 0x6B;
constexpr std::uint8_t kVkSubtract = 0x6D;
constexpr std::uint32_t kStillActive = 259;
constexpr std::uint32_t kWaitObject0 = 0;  // WaitForSingleObject: the object is signalled
constexpr std::uint32_t kWaitTimeout = 0x102;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorSharingViolation = 32;
constexpr std::uint32_t kMaxPath = 260;
constexpr std::uint32_t kSemFailCriticalErrors = 0x0001;
constexpr std::uint32_t kDriveUnknown = 0;
constexpr std::uint32_t kDriveNoRootDir = 1;
}  // namespace win

// PROCESS_INFORMATION: the started process's handles and ids.
struct ProcessRecord {
  OsHandle process = 0;
  OsHandle thread = 0;
  std::uint32_t processId = 0;
  std::uint32_t threadId = 0;
};

// A desktop display mode. The Win32 implementation keeps the whole DEVMODEA
// it read in `native`, so that a change asks for every other field unchanged.
struct DisplayMode {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::uint32_t bitsPerPixel = 0;
  std::uint32_t frequency = 0;
  alignas(8) unsigned char native[160] = {};
};

// GUID, laid out as Windows lays it out.
struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::uint8_t data4[8] = {};
};

// The parts of DIDEVICEINSTANCEA that the gamepad reader records.
struct DeviceInstance {
  Guid guidInstance;
  char productName[260] = {};
};

// DIJOYSTATE, byte for byte (80 bytes).
struct JoyState {
  std::int32_t lX = 0, lY = 0, lZ = 0;
  std::int32_t lRx = 0, lRy = 0, lRz = 0;
  std::int32_t rglSlider[2] = {};
  std::uint32_t rgdwPOV[4] = {};
  std::uint8_t rgbButtons[32] = {};
};
static_assert(sizeof(JoyState) == 80, "JoyState must match DIJOYSTATE");

class Platform;
struct ExitCombo;
struct WatchEnd;
struct Playlist;
struct SwapKeys;

// What the wait after the mount does beside the hidden window, with
// [General] WaitForDisc and CancelAutoPlay.
using DiscLookCallback = bool (*)(Platform& os, std::intptr_t param);
struct AutoPlayWaitHelpers {
  // SetForegroundWindow on the hidden window for the wait.
  bool takeForeground = false;
  // Called about every 100 ms of the wait, on the platform itself; true ends
  // the wait. None when null.
  DiscLookCallback lookForDisc = nullptr;
  std::intptr_t param = 0;
  // The watched drive as a bit of a volume's unit mask (bit 0 is A:): the
  // look is also made at once when Windows announces a volume there.
  std::uint32_t driveMask = 0;
  // A disc swap's wait, while the game runs: no "Error" box can come up
  // (a window that cannot be made is only reported), and the hidden window
  // is neither brought to the top nor given the foreground.
  bool duringPlay = false;
};

// One query the AutoPlay handler answered.
struct AutoPlayAnswer {
  char root[4] = {};          // the drive asked about ("E:\"); empty when the path named none
  bool cancelled = false;     // S_FALSE, AutoPlay cancelled; else S_OK
  std::uint32_t afterMs = 0;  // since the handler's registration
};

// The queries answered since the last take, oldest first. The handler keeps
// at most kAutoPlayAnswersKept between two takes; later ones are counted.
constexpr std::uint32_t kAutoPlayAnswersKept = 8;
// RegisterAutoPlayHandler and RevokeAutoPlayHandler: the thread of a
// handler still runs (it did not end in time), HRESULT_FROM_WIN32(ERROR_BUSY).
constexpr HResult kHandlerThreadLives = static_cast<HResult>(0x800700AAu);

struct AutoPlayAnswers {
  AutoPlayAnswer answer[kAutoPlayAnswersKept];
  std::uint32_t count = 0;
  std::uint32_t notKept = 0;
};

// How such a wait ended.
enum class AutoPlayWaitEnd : std::uint8_t {
  kDelay,         // the timer fired
  kWindowQuery,   // the shell's "QueryCancelAutoPlay" reached the window
  kHandlerQuery,  // the shell called the handler's AllowAutoPlay
  kDiscReady,     // the disc look answered true
  kNoWindow,      // the class or window could not be made ("Error" box shown,
                  // except during play)
};

struct AutoPlayWaitResult {
  AutoPlayWaitEnd end = AutoPlayWaitEnd::kDelay;
  std::uint32_t error = 0;    // kNoWindow: the failed call's error code
  std::uint32_t elapsed = 0;  // ms from the window's creation to the end
  char asked[4] = {};         // the drive root AutoPlay asked about, if known
  bool foregroundTaken = false;
  std::uint32_t foregroundError = 0;  // when it was not taken
  // Windows announced a volume on the watched drive (WM_DEVICECHANGE)
  // during the wait, first `announcedAt` ms after the window's creation.
  bool volumeAnnounced = false;
  std::uint32_t announcedAt = 0;
};

class Platform;

// Callbacks handed to enumerations; the platform passes itself along so the
// callback can make further calls through the same interface.
using WindowEnumCallback = bool (*)(Platform& os, WindowHandle window, std::intptr_t param);
using DeviceEnumCallback = bool (*)(const DeviceInstance& device, std::intptr_t param);

class Platform {
 public:
  virtual ~Platform() = default;

  // --- Kernel services ---
  // GetModuleFileNameA(NULL, buffer, capacity): characters stored, terminator
  // not counted; equal to capacity when the path was cut.
  virtual std::uint32_t GetModuleFileName(char* buffer, std::uint32_t capacity) = 0;
  // GetPrivateProfileStringA(section, key, "", out, size, path).
  virtual std::uint32_t GetProfileString(const char* section, const char* key, char* out,
                                         std::uint32_t size, const char* path) = 0;
  // IsDBCSLeadByte: whether the byte opens a double-byte character of the
  // active code page.
  virtual bool IsDbcsLeadByte(std::uint8_t byte) = 0;
  // CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, NULL, OPEN_EXISTING,
  // FILE_ATTRIBUTE_NORMAL, NULL); 0 when it fails.
  virtual OsHandle OpenFileForWrite(const char* path) = 0;
  // SetFilePointer(file, offset, NULL, FILE_BEGIN); false on
  // INVALID_SET_FILE_POINTER.
  virtual bool SetFilePointer(OsHandle file, std::int32_t offset) = 0;
  // WriteFile of one byte, synchronously.
  virtual bool WriteFileByte(OsHandle file, std::uint8_t byte) = 0;
  virtual bool CloseHandle(OsHandle handle) = 0;
  // CreateProcessA(NULL, commandLine, NULL, NULL, TRUE, 0, NULL, NULL,
  // STARTUPINFOA{cb = its size, 68 in the 32-bit build}, out). The command
  // line must be writable. On failure `out` is all zero.
  virtual bool CreateProcess(char* commandLine, ProcessRecord& out) = 0;
  // The same with `environment`, an ANSI environment block ("NAME=value"
  // strings, each ended by a NUL, and one more NUL), as lpEnvironment.
  virtual bool CreateProcessWithEnvironment(char* commandLine, const char* environment,
                                            ProcessRecord& out) = 0;
  // GetEnvironmentStringsA: the launcher's own environment block, or null
  // when it cannot be had; given back with FreeEnvironmentStrings.
  virtual const char* GetEnvironmentStrings() = 0;
  virtual bool FreeEnvironmentStrings(const char* block) = 0;
  virtual std::uint32_t WaitForInputIdle(OsHandle process, std::uint32_t milliseconds) = 0;
  virtual std::uint32_t WaitForSingleObject(OsHandle handle, std::uint32_t milliseconds) = 0;
  // GetExitCodeProcess; on failure `exitCode` keeps the value it had.
  virtual bool GetExitCodeProcess(OsHandle process, std::uint32_t& exitCode) = 0;

  // --- Windows and messages ---
  virtual bool EnumWindows(WindowEnumCallback callback, std::intptr_t param) = 0;
  virtual std::uint32_t GetWindowThreadProcessId(WindowHandle window,
                                                 std::uint32_t& processId) = 0;
  virtual int MessageBox(WindowHandle owner, const char* text, const char* caption,
                         std::uint32_t type) = 0;
  virtual bool PostMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) = 0;
  virtual std::intptr_t SendMessage(WindowHandle window, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam) = 0;
  virtual bool ShowWindow(WindowHandle window, int command) = 0;
  virtual bool BringWindowToTop(WindowHandle window) = 0;
  virtual bool SetMenu(WindowHandle window, std::uintptr_t menu) = 0;
  virtual std::int32_t SetWindowLong(WindowHandle window, int index, std::int32_t value) = 0;
  virtual bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx,
                            int cy, std::uint32_t flags) = 0;
  virtual bool UpdateWindow(WindowHandle window) = 0;

  // --- Keyboard, cursor and screen ---
  virtual void KeybdEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags,
                          std::uintptr_t extraInfo) = 0;
  virtual std::uint32_t MapVirtualKey(std::uint32_t code, std::uint32_t mapType) = 0;
  virtual std::int16_t GetAsyncKeyState(int virtualKey) = 0;
  // GetKeyNameTextA of the key's scan code (MapVirtualKeyA, with the
  // extended-key bit for the keys that have one): the name the keyboard
  // layout gives a virtual key ("Page Down"). The characters stored, 0 when
  // the layout has no name for it.
  virtual std::uint32_t GetKeyName(std::uint32_t virtualKey, char* out, std::uint32_t size) = 0;
  virtual bool SetCursorPos(int x, int y) = 0;
  virtual int GetSystemMetrics(int index) = 0;

  // --- Display modes ---
  // EnumDisplaySettingsA(NULL, ENUM_CURRENT_SETTINGS, mode).
  virtual bool GetCurrentDisplayMode(DisplayMode& mode) = 0;
  // ChangeDisplaySettingsA(mode, flags); a null mode returns the desktop to
  // the mode stored in the registry. Gives DISP_CHANGE_*.
  virtual std::int32_t ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) = 0;

  // --- AutoPlay suppression ---
  // Holds the hidden "DisableAutolaunch" window for up to `milliseconds`,
  // answering the shell's "QueryCancelAutoPlay"; returns when the timer fires
  // or the first query arrives. Gives 0, or, when the window class or the
  // window could not be made (and the "Error" box has been shown), the error
  // code of the call that failed.
  virtual std::uint32_t WaitWithAutoPlaySuppressed(Instance instance,
                                                   std::uint32_t milliseconds) = 0;

  // The same wait with the helpers of [General] WaitForDisc and
  // CancelAutoPlay; used only when one of them is on.
  virtual AutoPlayWaitResult WaitWithAutoPlayHelpers(Instance instance, std::uint32_t milliseconds,
                                                     const AutoPlayWaitHelpers& helpers) = 0;
  // The launcher's IQueryCancelAutoPlay object in the running object table,
  // under the class moniker of its own CLSID, ROTFLAGS_REGISTRATIONKEEPSALIVE.
  // ole32 is loaded at run time, on a thread of its own that initialises
  // COM and answers the shell at once, whatever the launch is doing: S_FALSE
  // (cancel) for `watchedRoot` ("E:\"; every drive when empty), S_OK for
  // any other drive. On failure everything done is undone. Gives the failing
  // call's HRESULT, and the registration's cookie. Refused at once
  // (kHandlerThreadLives) while the thread of an earlier one still runs.
  virtual HResult RegisterAutoPlayHandler(const char* watchedRoot, std::uint32_t& cookie) = 0;
  // Revokes it, uninitialises the COM library and ends the thread, waited
  // for a while: a thread that does not end in time (kHandlerThreadLives) is
  // left running with everything it uses, the watched drive included.
  virtual HResult RevokeAutoPlayHandler(std::uint32_t cookie) = 0;
  // The queries the handler has answered since the last take (its thread
  // records them; the launch thread reads them here). A cancelled query not
  // yet taken ends the next helped wait at once, even one that comes before
  // that wait's window exists; the take clears it.
  virtual AutoPlayAnswers TakeAutoPlayAnswers() = 0;
  // Whether the launcher runs elevated above the shell: its own token is the
  // elevated half of a split one (TokenElevationType is
  // TokenElevationTypeFull; advapi32 loaded at run time). False when that
  // cannot be told.
  virtual bool RunsElevated() = 0;

  // --- The disc in a drive ([General] WaitForDisc) ---
  // SetErrorMode(mode): gives the mode before.
  virtual std::uint32_t SetErrorMode(std::uint32_t mode) = 0;
  // GetDriveTypeA(root).
  virtual std::uint32_t GetDriveType(const char* root) = 0;
  // GetVolumeInformationA(root, NULL, 0, &serial, NULL, NULL, NULL, 0).
  virtual bool GetVolumeSerial(const char* root, std::uint32_t& serial) = 0;

  // --- DirectInput 5 (gamepads) ---
  virtual HResult DirectInputCreate(Instance instance, std::uint32_t version,
                                    ComObject& directInput) = 0;
  virtual HResult EnumJoysticks(ComObject directInput, DeviceEnumCallback callback,
                                std::intptr_t param) = 0;
  virtual HResult CreateDevice(ComObject directInput, const Guid& instanceGuid,
                               ComObject& device) = 0;
  virtual HResult QueryDevice2(ComObject device, ComObject& device2) = 0;
  virtual std::uint32_t Release(ComObject object) = 0;
  virtual WindowHandle GetDesktopWindow() = 0;
  virtual HResult SetCooperativeLevel(ComObject device2, WindowHandle window,
                                      std::uint32_t flags) = 0;
  virtual HResult SetJoystickDataFormat(ComObject device2) = 0;
  virtual HResult SetAxisRange(ComObject device2, std::uint32_t offset, std::int32_t minimum,
                               std::int32_t maximum) = 0;
  virtual HResult Acquire(ComObject device2) = 0;
  virtual HResult Poll(ComObject device2) = 0;
  virtual HResult GetDeviceState(ComObject device2, std::uint32_t size, JoyState& state) = 0;
  virtual HResult Unacquire(ComObject device2) = 0;

  // --- Where the launch sequence stands ---
  // The launch sequence marks the beginning of each step, one mark per row
  // of the emulator command table. No Windows call: the real platform
  // ignores it; the dry run and the run log group by it.
  virtual void BeginStep(Step step) { (void)step; }
  // What the launch sequence knows and no call shows; no Windows call
  // either, for the dry run and the run log to tell.
  // A command line of `length` characters was not run: its buffer holds at
  // most `room`.
  virtual void CommandLineTooLong(std::size_t length, std::size_t room) {
    (void)length;
    (void)room;
  }
  // A command line was not run: `reason` says which character of the image
  // path stopped it, and why.
  virtual void CommandLineRefused(const char* reason) { (void)reason; }
  // The command line was the image path in one pair of double quotes, taken
  // off: `imagePath` is what is used.
  virtual void ImagePathUnquoted(const char* imagePath) { (void)imagePath; }
  // The image path came in quotes and went inside a built-in mount form's
  // own quotes.
  virtual void QuotedImagePathInForm() {}
  // Outcomes that the launch sequence hands on for the dry run and the run
  // log to tell: the gamepad exit combination as read, and why the watch
  // ended. No Windows call either; the real platform ignores them.
  virtual void ExitComboRead(const ExitCombo& combo) { (void)combo; }
  // A playlist as read; the disc about to be mounted (1-based, of `count`);
  // the disc-swap key and combination as read.
  virtual void PlaylistRead(const Playlist& playlist) { (void)playlist; }
  virtual void DiscChosen(int disc, int count, const char* path) {
    (void)disc;
    (void)count;
    (void)path;
  }
  virtual void SwapKeysRead(const SwapKeys& keys) { (void)keys; }
  virtual void WatchEnded(const WatchEnd& end) { (void)end; }
  // The settings reader's next read is the fallback of a read in `section`
  // that found no value.
  virtual void FallingBackFrom(const char* section) { (void)section; }
  // TolvimerExe is absent: the emulator is started by its default name.
  virtual void DefaultEmulatorUsed() {}

  // --- The run log: used only when [General] Log is "true" ---
  // GetCommandLineA: the whole command line of the process.
  virtual const char* GetCommandLine() = 0;
  virtual std::uint32_t GetTickCount() = 0;
  // GetLastError, asked right after a call that failed (also by the undo
  // record, to tell a record held by a live run from none).
  virtual std::uint32_t GetLastError() = 0;
  // FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
  // FORMAT_MESSAGE_MAX_WIDTH_MASK) of an error code or HRESULT into `out`:
  // the characters stored, 0 when the system has no text for it.
  virtual std::uint32_t FormatMessage(std::uint32_t code, char* out, std::uint32_t size) = 0;
  // GetFileAttributesA: whether a file (not a folder) is at the path.
  virtual bool FileExists(const char* path) = 0;
  // IsWindow: whether the window still exists.
  virtual bool IsWindow(WindowHandle window) = 0;
  // CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
  // FILE_ATTRIBUTE_NORMAL, NULL): others may read it meanwhile. 0 when it fails.
  virtual OsHandle CreateLogFile(const char* path) = 0;
  // WriteFile of `size` bytes, synchronously; false unless all were written.
  virtual bool WriteFileBytes(OsHandle file, const char* data, std::uint32_t size) = 0;
  virtual bool FlushFileBuffers(OsHandle file) = 0;

  // --- The undo record: used only when [General] Recover is "true" ---
  // The record is written with CreateLogFile, then rewritten whole at
  // offset 0 (SetFilePointer, WriteFileBytes, FlushFileBuffers) at each save.
  // CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
  // FILE_ATTRIBUTE_NORMAL, NULL); 0 when it fails.
  virtual OsHandle OpenFileForRead(const char* path) = 0;
  // ReadFile of up to `size` bytes, synchronously; `read` gets the count.
  virtual bool ReadFileBytes(OsHandle file, char* data, std::uint32_t size,
                             std::uint32_t& read) = 0;
  // DeleteFileA.
  virtual bool DeleteFile(const char* path) = 0;
  virtual std::uint32_t GetCurrentProcessId() = 0;
  // GetCurrentProcess: the pseudo handle of the launcher's own process.
  virtual OsHandle GetCurrentProcess() = 0;
  // OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
  // processId); 0 when it cannot be opened, GetLastError then telling another
  // user's process (ERROR_ACCESS_DENIED: the limited right is granted on every
  // process of the same user, elevated ones included) from none at all
  // (ERROR_INVALID_PARAMETER).
  virtual OsHandle OpenProcess(std::uint32_t processId) = 0;
  // GetProcessTimes: the process's creation time as a 64-bit FILETIME.
  virtual bool GetProcessCreationTime(OsHandle process, std::uint64_t& creationTime) = 0;
};

}  // namespace tolvimer
