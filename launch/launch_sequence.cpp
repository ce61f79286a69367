#include "launch/launch_sequence.h"

#include "emulator/emulator_start.h"
#include "emulator/menu_commands.h"
#include "emulator/window_control.h"
#include "exitwatch/exit_watch.h"
#include "settings/settings.h"
#include "mount/autoplay_wait.h"
#include "mount/mount_commands.h"
#include "prepare/display_mode.h"
#include "prepare/file_patches.h"

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

}  // namespace

int RunLaunchSequence(Platform& os, Instance instance, const char* commandLine) {
  // An empty command line: nothing at all happens.
  if (commandLine == nullptr || commandLine[0] == '\0') return 0;
  const char* const imagePath = commandLine;

  char gameSection[kGameSectionMax + 1];
  GameSectionFromImagePath(os, imagePath, gameSection);
  Settings settings(os);
  settings.Locate();

  // Preparation.
  ApplyRegionSetting(settings);
  ApplyDriveSetting(settings);
  ResetConfigFlags(os);
  SwitchDisplayMode(settings);
  MountDiscImage(settings, imagePath);
  WaitAfterMount(settings, instance);

  // Start.
  if (!settings.Read("General", "TolvimerExe")) UseDefaultEmulator(settings.valueBuffer());
  ProcessRecord process;
  if (!StartEmulator(os, settings.valueBuffer(), process)) return 0;
  os.WaitForInputIdle(process.process, kInputIdleWait);
  if (!FindEmulatorWindow(os, process.processId)) {
    os.MessageBox(0, "Window not found", "Error", win::kMbOk | win::kMbIconWarning);
    os.CloseHandle(process.process);
    os.CloseHandle(process.thread);
    return 0;
  }

  // Driving the emulator.
  HideIfFullScreen(settings);
  BringEmulatorToTop(os);
  PostCommandRows(settings, gameSection, 1, 8);
  ReadExitKey(settings);
  ExitCombo combo = ReadExitCombo(settings);
  PostCommandRows(settings, gameSection, 9, 14);
  TakeOverWindow(settings);
  BringEmulatorToTop(os);
  StepCpuSpeed(settings, gameSection);
  os.WaitForInputIdle(process.process, kInputIdleWait);

  // Watching and shutting down.
  WatchForExit(os, instance, process.process, combo);
  os.SendMessage(EmulatorWindow(), win::kWmClose, 0, 0);
  UnmountDiscImage(settings);
  os.CloseHandle(process.process);
  os.CloseHandle(process.thread);
  RestoreDisplayMode(settings);
  return 1;
}

}  // namespace tolvimer
