#include "launch/launch_sequence.h"

#include "emulator/emulator_start.h"
#include "emulator/menu_commands.h"
#include "emulator/window_control.h"
#include "exitwatch/exit_watch.h"
#include "launch/run_log.h"
#include "mount/autoplay_wait.h"
#include "mount/mount_commands.h"
#include "prepare/display_mode.h"
#include "prepare/file_patches.h"
#include "settings/settings.h"

namespace tolvimer {
namespace {

constexpr std::uint32_t kInputIdleWait = 5000;

// Copies the default emulator name into the value buffer.
void UseDefaultEmulator(char (&buffer)[kPathBufferSize]) {
  std::size_t i = 0;
  for (; kDefaultEmulatorCommand[i] && i + 1 < win::kMaxPath; ++i) {
    buffer[i] = kDefaultEmulatorCommand[i];
  }
  buffer[i] = '\0';
}

void PostRows(Settings& settings, const char* gameSection, int firstRow, int lastRow) {
  for (int row = firstRow; row <= lastRow; ++row) {
    settings.os().BeginStep(Step::kCommandRow, row);
    PostCommandRow(settings, gameSection, row);
  }
}

// Every step after the settings file has been located, each declared as it
// begins.
int RunSteps(Settings& settings, Instance instance, const char* imagePath,
             const char* gameSection) {
  Platform& os = settings.os();

  // Preparation.
  os.BeginStep(Step::kRegion, 0);
  ApplyRegionSetting(settings);
  os.BeginStep(Step::kDrive, 0);
  ApplyDriveSetting(settings);
  os.BeginStep(Step::kResetConfig, 0);
  ResetConfigFlags(os);
  os.BeginStep(Step::kDisplaySwitch, 0);
  SwitchDisplayMode(settings);
  os.BeginStep(Step::kMount, 0);
  MountDiscImage(settings, imagePath);
  os.BeginStep(Step::kDelay, 0);
  WaitAfterMount(settings, instance);

  // Start.
  os.BeginStep(Step::kStartEmulator, 0);
  if (!settings.Read("General", "TolvimerExe")) UseDefaultEmulator(settings.valueBuffer());
  ProcessRecord process;
  if (!StartEmulator(os, settings.valueBuffer(), process)) return 0;
  os.BeginStep(Step::kFirstIdleWait, 0);
  os.WaitForInputIdle(process.process, kInputIdleWait);
  os.BeginStep(Step::kFindWindow, 0);
  if (!FindEmulatorWindow(os, process.processId)) {
    os.MessageBox(0, "Window not found", "Error", win::kMbOk | win::kMbIconWarning);
    os.CloseHandle(process.process);
    os.CloseHandle(process.thread);
    return 0;
  }

  // Driving the emulator.
  os.BeginStep(Step::kHide, 0);
  HideIfFullScreen(settings);
  os.BeginStep(Step::kBringToTop, 0);
  BringEmulatorToTop(os);
  PostRows(settings, gameSection, 1, 8);
  os.BeginStep(Step::kExitKey, 0);
  ReadExitKey(settings);
  os.BeginStep(Step::kExitCombo, 0);
  ExitCombo combo = ReadExitCombo(settings);
  PostRows(settings, gameSection, 9, 14);
  os.BeginStep(Step::kTakeOver, 0);
  TakeOverWindow(settings);
  os.BeginStep(Step::kBringToTop, 0);
  BringEmulatorToTop(os);
  os.BeginStep(Step::kCpuSpeed, 0);
  StepCpuSpeed(settings, gameSection);
  os.BeginStep(Step::kSecondIdleWait, 0);
  os.WaitForInputIdle(process.process, kInputIdleWait);

  // Watching and shutting down.
  os.BeginStep(Step::kWatch, 0);
  WatchForExit(os, instance, process.process, combo);
  os.BeginStep(Step::kCloseEmulator, 0);
  os.SendMessage(EmulatorWindow(), win::kWmClose, 0, 0);
  os.BeginStep(Step::kUnmount, 0);
  UnmountDiscImage(settings);
  os.BeginStep(Step::kCloseHandles, 0);
  os.CloseHandle(process.process);
  os.CloseHandle(process.thread);
  os.BeginStep(Step::kRestoreDisplay, 0);
  RestoreDisplayMode(settings);
  return 1;
}

}  // namespace

int RunLaunchSequence(Platform& os, Instance instance, const char* commandLine) {
  // An empty command line: nothing at all happens.
  if (commandLine == nullptr || commandLine[0] == '\0') return 0;
  const char* const imagePath = commandLine;

  char gameSection[kGameSectionMax + 1];
  GameSectionFromImagePath(os, imagePath, gameSection);
  Settings settings(os);
  settings.Locate();

  // With [General] Log "true" the same steps run over the run log's narrator;
  // a log that cannot be created changes nothing.
  if (settings.ReadIs("General", "Log", "true")) {
    RunLog log(os);
    if (log.Open(settings, gameSection)) {
      Narrator narrator(os, log, NarrationMode::kRun);
      Settings told(narrator, settings);
      const int result = RunSteps(told, instance, imagePath, gameSection);
      narrator.Finish(result);
      log.Close(narrator.Summary(), result);
      return result;
    }
  }
  return RunSteps(settings, instance, imagePath, gameSection);
}

}  // namespace tolvimer
