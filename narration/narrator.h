// The one narration of a launch, shared by the dry run and the run log.
//
// A Narrator is a Platform that passes every call on to the platform under
// it and tells, step by step as the launch sequence declares them, the
// settings each step read and what was done, each in the same words whether
// the platform under it is the dry run's or Windows. Only the outcome differs:
// the dry run's assumptions, or how each Windows call went. No heap: every
// line is built in a fixed buffer and handed to the sink at once.
#pragma once

#include <cstdint>

#include "narration/setting_catalogue.h"
#include "narration/text.h"
#include "platform/platform.h"

namespace tolvimer {

// Where the narration goes: the dry run's plan or the run log.
class NarrationSink {
 public:
  // A step begins; steps are numbered from 1 in the order they begin.
  virtual void StepBegun(int number) = 0;
  // A settings read of the step, as "[General] Region = \"usa\"".
  virtual void Read(const char* line) = 0;
  // Something done; `outcome` is empty, or tells how it went.
  virtual void Action(const char* text, const char* outcome) = 0;

 protected:
  ~NarrationSink() = default;
};

enum class NarrationMode {
  kDryRun,  // nothing is done: outcomes are the dry run's assumptions
  kRun,     // the real run: outcomes are how the Windows calls went
};

// What only the dry run knows, for its outcomes.
class DryRunKnowledge {
 public:
  // The size of the emulator file the dry run last opened.
  virtual std::uint64_t OpenFileSize() = 0;
  // Whether a size is the screen size the dry run assumes (no mode named).
  virtual bool IsAssumedScreen(int width, int height) = 0;

 protected:
  ~DryRunKnowledge() = default;
};

// What came of WM_CLOSE to the emulator window.
enum class CloseOutcome : std::uint8_t {
  kNotSent,
  kHandled,     // the window was there, and SendMessage returned once it was handled
  kWindowGone,  // the emulator had closed itself: there was nothing to close
  kPosted,      // posted to a cut-short run's emulator, which was then waited for
};

// How the run went, for the run log's last lines.
struct RunSummary {
  const char* playEnd;  // how play ended; empty when it never began
  CloseOutcome close;
  bool unmountStarted;
  bool unmountFailed;
  bool displayRestored;
  bool displayRestoreRefused;
};

class Narrator final : public Platform {
 public:
  // `knowledge` is the dry run's, with NarrationMode::kDryRun only.
  Narrator(Platform& inner, NarrationSink& sink, NarrationMode mode,
           DryRunKnowledge* knowledge = nullptr);

  // Ends the story: what is pending, then the launcher's result as a step of
  // its own.
  void Finish(int result);
  RunSummary Summary() const;

  void BeginStep(Step step) override;
  void CommandLineTooLong(std::size_t length, std::size_t room) override;
  void CommandLineRefused(const char* reason) override;
  void ImagePathUnquoted(const char* imagePath) override;
  void QuotedImagePathInForm() override;
  void ExitComboRead(const ExitCombo& combo) override;
  void PlaylistRead(const Playlist& playlist) override;
  void DiscChosen(int disc, int count, const char* path) override;
  void SwapKeysRead(const SwapKeys& keys) override;
  void WatchEnded(const WatchEnd& end) override;
  void FallingBackFrom(const char* section) override;
  void DefaultEmulatorUsed() override;

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
  // --- The story (narrator.cpp) ---
  void Read(const char* section, const char* key, const char* value, bool present);
  // Tells `line_` with `outcome_` as one action, then clears both.
  void Act();
  void FlushTaps();
  void EndStep();
  void TellComboResult();
  void TellGamepadsAndWatch();
  bool Running() const { return mode_ == NarrationMode::kRun; }
  // The outcome of a Windows call that failed: its error code and the
  // system's text for it (kRun only; the dry run's calls do not fail).
  void Failed();
  void FailedWith(HResult result);
  // A call that failed without setting an error code: any code asked for
  // would be one left by an earlier call.
  void FailedWithoutCode();
  void AddErrorText(std::uint32_t code);

  // --- The AutoPlay helpers (narrator_autoplay.cpp) ---
  void NoteAutoPlayRead(const char* section, const char* key, const char* value, bool present);
  void TellWaitEnd(const AutoPlayWaitResult& result, const AutoPlayWaitHelpers& helpers);

  // --- A playlist's discs and their swaps (narrator_discs.cpp) ---
  std::uint32_t TellUnmountWait(OsHandle process, std::uint32_t milliseconds);
  void TellUnmountExitCode(bool known, std::uint32_t exitCode);
  // The name the keyboard layout gives a virtual key, after its number.
  void AddKeyNamed(Text& text, std::uint32_t virtualKey);

  // --- The watch (narrator_watch.cpp) ---
  void AddExitKey(Text& text) const;
  static void AddPolledKey(Text& text, std::int8_t key);
  void AddComboInputs(Text& text) const;
  static void AddComboInputsOf(Text& text, std::uint64_t wanted);
  void AddHeldInputs(Text& text, const WatchEnd& end) const;
  void NoteGamepadFailure(const char* call, HResult result);

  Platform& inner_;
  NarrationSink& sink_;
  const NarrationMode mode_;
  DryRunKnowledge* const knowledge_;

  Text line_;
  Text outcome_;
  int stepNumber_ = 0;
  Step step_ = Step::kRegion;

  // The section whose read the next one falls back from, as the settings
  // reader says; every key read so far, for reads made again.
  char fallbackFrom_[256] = {};
  bool defaultEmulator_ = false;
  struct ReadKey {
    SectionKind section;
    char key[32];
  };
  ReadKey reads_[64] = {};
  int readCount_ = 0;

  // Key taps are told as one line per run of equal taps.
  std::uint8_t tapKey_ = 0;
  std::uint8_t tapScan_ = 0;
  std::uint32_t tapCount_ = 0;

  char openFile_[32] = {};
  std::int32_t offset_ = 0;
  OsHandle emulatorProcess_ = 0;
  OsHandle emulatorThread_ = 0;

  // [GamePadExit] as read, and the watch as it went.
  bool comboEnabled_ = false;
  std::uint64_t comboWanted_ = 0;  // bit n: ExitCombo::wanted[n]
  bool watchTold_ = false;
  // The next-disc key and combination as read (0: none).
  std::uint8_t swapKey_ = 0;
  std::uint64_t swapComboWanted_ = 0;
  const char* gamepadFailedCall_ = nullptr;
  HResult gamepadFailure_ = 0;
  std::uint32_t failedExitQueries_ = 0;
  Text playEnd_;

  // [General] WaitForDisc as read before the mount; the drive looked at.
  bool waitForDisc_ = false;
  char watchedRoot_[4] = {};
  // The drive the registered AutoPlay handler cancels for ("" for every
  // drive), while one is registered.
  bool handlerHeld_ = false;
  char handlerRoot_[4] = {};
  bool answersTold_ = false;
  // Every query the handler answered in the run, as told, and those of
  // them that were cancelled.
  std::uint32_t answersInAll_ = 0;
  std::uint32_t cancelledInAll_ = 0;

  CloseOutcome closeOutcome_ = CloseOutcome::kNotSent;
  bool unmountStarted_ = false;
  bool unmountFailed_ = false;
  bool displayRestored_ = false;
  bool displayRestoreRefused_ = false;
};

}  // namespace tolvimer
