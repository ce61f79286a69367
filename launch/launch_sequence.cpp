#include "launch/launch_sequence.h"

#include "emulator/emulator_start.h"
#include "emulator/menu_commands.h"
#include "emulator/window_control.h"
#include "exitwatch/exit_watch.h"
#include "launch/image_path.h"
#include "launch/disc_changer.h"
#include "launch/recovery.h"
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

// Every step after the settings file has been located, each declared as it
// begins; `undo` writes down what outlives the emulator before it is done.
int RunSteps(Settings& settings, Instance instance, const char* imagePath, bool unquoted,
             const char* gameSection, UndoKeeper& undo) {
  Platform& os = settings.os();

  // Preparation.
  os.BeginStep(Step::kRegion);
  ApplyRegionSetting(settings);
  os.BeginStep(Step::kDrive);
  ApplyDriveSetting(settings);
  os.BeginStep(Step::kResetConfig);
  ResetConfigFlags(os);
  os.BeginStep(Step::kDisplaySwitch);
  undo.BeforeDisplaySwitch(settings);
  SwitchDisplayMode(settings);
  os.BeginStep(Step::kMount);
  if (unquoted) os.ImagePathUnquoted(imagePath);
  // A playlist gives its first disc; one without a disc mounts nothing.
  AutoPlayHandlerHold handler;
  DiscChanger discs(settings, instance, undo, handler);
  const char* const firstImage = discs.Begin(imagePath);
  DiscWatch disc;
  if (firstImage != nullptr) {
    undo.BeforeMount(settings, firstImage);
    disc = NoteDiscBeforeMount(settings);
    MountDiscImage(settings, firstImage);
  }
  os.BeginStep(Step::kDelay);
  WaitAfterMount(settings, instance, disc, handler);

  // Start.
  os.BeginStep(Step::kStartEmulator);
  if (!settings.Read("General", "TolvimerExe")) {
    UseDefaultEmulator(settings.valueBuffer());
    os.DefaultEmulatorUsed();
  }
  ProcessRecord process;
  if (!StartEmulator(os, settings.valueBuffer(), process)) {
    EndAutoPlayHandler(os, handler);
    return 0;
  }
  undo.EmulatorStarted(process);
  os.BeginStep(Step::kFirstIdleWait);
  os.WaitForInputIdle(process.process, kInputIdleWait);
  os.BeginStep(Step::kFindWindow);
  if (!FindEmulatorWindow(os, process.processId)) {
    os.MessageBox(0, "Window not found", "Error", win::kMbOk | win::kMbIconWarning);
    os.CloseHandle(process.process);
    os.CloseHandle(process.thread);
    EndAutoPlayHandler(os, handler);
    return 0;
  }

  // Driving the emulator.
  os.BeginStep(Step::kHide);
  HideIfFullScreen(settings);
  os.BeginStep(Step::kBringToTop);
  BringEmulatorToTop(os);
  PostCommandRows(settings, gameSection, 1, 8);
  os.BeginStep(Step::kExitKey);
  ReadExitKey(settings);
  os.BeginStep(Step::kExitCombo);
  ExitCombo combo = ReadExitCombo(settings);
  os.ExitComboRead(combo);
  PostCommandRows(settings, gameSection, 9, 14);
  os.BeginStep(Step::kTakeOver);
  TakeOverWindow(settings);
  os.BeginStep(Step::kBringToTop);
  BringEmulatorToTop(os);
  os.BeginStep(Step::kCpuSpeed);
  StepCpuSpeed(settings, gameSection);
  os.BeginStep(Step::kSecondIdleWait);
  os.WaitForInputIdle(process.process, kInputIdleWait);

  SwapKeys swapKeys = discs.ReadKeys();

  // Watching and shutting down.
  os.BeginStep(Step::kWatch);
  os.WatchEnded(WatchForExit(os, instance, process.process, combo,
                             swapKeys.swap != nullptr ? &swapKeys : nullptr));
  os.BeginStep(Step::kCloseEmulator);
  os.SendMessage(EmulatorWindow(), win::kWmClose, 0, 0);
  os.BeginStep(Step::kUnmount);
  // The disc mounted now, which a swap may have changed.
  if (const char* const mounted = discs.Mounted()) UnmountDiscImage(settings, mounted);
  EndAutoPlayHandler(os, handler);
  os.BeginStep(Step::kCloseHandles);
  os.CloseHandle(process.process);
  os.CloseHandle(process.thread);
  os.BeginStep(Step::kRestoreDisplay);
  RestoreDisplayMode(settings);
  undo.RunEnded();
  return 1;
}

}  // namespace

int RunLaunchSequence(Platform& os, Instance instance, const char* commandLine) {
  // An empty command line: nothing at all happens.
  if (commandLine == nullptr || commandLine[0] == '\0') return 0;
  char buffer[kImagePathSize];
  bool unquoted = false;
  const char* const imagePath = ImagePathOf(commandLine, buffer, unquoted);

  char gameSection[kGameSectionMax + 1];
  GameSectionFromImagePath(os, imagePath, gameSection);
  Settings settings(os);
  settings.Locate();

  // With [General] Log "true" the same steps run over the run log's narrator;
  // a log that cannot be created changes nothing.
  if (settings.ReadIs("General", "Log", "true")) {
    RunLog log(os);
    if (log.Open(settings, gameSection)) {
      UndoKeeper undo(os, settings, &log);
      if (undo.Begin(imagePath)) {
        log.Close(undo.RecoverOnlySummary(), undo.RecoverOnlyResult());
        return undo.RecoverOnlyResult();
      }
      Narrator narrator(os, log, NarrationMode::kRun);
      Settings told(narrator, settings);
      const int result = RunSteps(told, instance, imagePath, unquoted, gameSection, undo);
      narrator.Finish(result);
      log.Close(narrator.Summary(), result);
      return result;
    }
  }
  // With [General] Recover "true" a cut-short run is put right first.
  UndoKeeper undo(os, settings, nullptr);
  if (undo.Begin(imagePath)) return undo.RecoverOnlyResult();
  return RunSteps(settings, instance, imagePath, unquoted, gameSection, undo);
}

}  // namespace tolvimer
