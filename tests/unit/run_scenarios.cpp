#include "tests/unit/run_scenarios.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "emulator/emulator_start.h"
#include "exitwatch/exit_watch.h"
#include "exitwatch/gamepads.h"
#include "launch/launch_sequence.h"
#include "launch/program_state.h"
#include "tests/fake/fake_pads.h"

namespace tolvimer::testing {
namespace {

void EmulatorFiles(FakePlatform& os) {
  os.files["C:\\Emu\\dc_flash.bin"] = std::vector<std::uint8_t>(131072, 0xFF);
  os.files["C:\\Emu\\tolvimer.cfg"] = std::vector<std::uint8_t>(64, 0xFF);
}

void Emulator(FakePlatform& os) {
  os.NameProcess("Tolvimer", "emu");
  os.NameProcess("mounter", "tool");
  os.AddWindow("emu", "emu");
}

void ExampleFile(FakePlatform& os) {
  EmulatorReady(os);
  // With the AutoPlay helpers off, so that the recorded trace stays the run
  // without them (the first value of a key counts).
  os.settingsText = ExampleSettings();
  AddGeneralLines(os, "WaitForDisc=false\nCancelAutoPlay=false\n");
  // The player holds buttons 1 and 2 in the third cycle.
  os.pads = {Pad(0xA1, {Held({}), Held({}), Held({1, 2})})};
  os.exitCodes = {259};
}

void NoSettingsFile(FakePlatform& os) {
  EmulatorReady(os);
  os.settingsExist = false;
  os.asyncKeyStates = {0, 0, 1};
  os.exitCodes = {259};
}

void ForceFullWithMount(FakePlatform& os) {
  EmulatorReady(os);
  os.settingsText =
      "[General]\nRegion=JAP\nDrive=f:\nForceFull=true\nScreen=1024x768\nFullScreen=TRUE\n"
      "MountTool=alcohol120\nUnmount=true\nDelay=3\nExit=65\nShowStats=no\n"
      "[Alcohol120]\nExe=C:\\Tools\\mounter.exe\nDrive=X:\n"
      "[TolviEx]\nLimitFPS=60\n"
      "[Some Game]\nScreen=\nCableType=pal\nSCalbrPlyrSelectHack=true\nCPU=103\n";
  os.asyncKeyStates = {0, static_cast<std::int16_t>(0x8000)};
  os.exitCodes = {259};
}

void EmulatorCannotStart(FakePlatform& os) {
  EmulatorFiles(os);
  os.settingsText =
      "[General]\nRegion=euro\nTolvimerExe=C:\\Emu\\missing.exe -fast\n"
      "MountTool=daemontools\n[DaemonTools]\nExe=C:\\Tools\\mounter.exe\nDevice=1\n";
  os.NameProcess("mounter", "tool");
  os.unstartable = {"C:\\Emu\\missing.exe -fast"};
}

void WindowNotFound(FakePlatform& os) {
  os.NameProcess("Tolvimer", "emu");
  os.AddWindow("notepad", "notepad");
  EmulatorFiles(os);
  os.settingsText = "[General]\nForceFull=true\nScreen=800x600\n";
}

void SideCallsFail(FakePlatform& os) {
  Emulator(os);
  os.files["C:\\Emu\\tolvimer.cfg"] = std::vector<std::uint8_t>(64, 0xFF);
  os.settingsText =
      "[General]\nRegion=usa\nDrive=E\nForceFull=true\nScreen=640x480\nMountTool=daemontools\n"
      "Unmount=true\n[DaemonTools]\nExe=C:\\Tools\\no mounter.exe\nDevice=0\n"
      "[GamePadExit]\nMapGamePadExit=true\nButton1=true\n";
  os.unstartable = {"\"C:\\Tools\\no mounter.exe\" -noicon -mount 0,\"D:\\Images\\Some Game.cdi\"",
                    "\"C:\\Tools\\no mounter.exe\" -unmount 0"};
  os.Fail("SetFilePointer", 1);
  os.Fail("ChangeDisplaySettings", 1);
  os.Fail("PostMessage", 2);
  os.Answer("DirectInputCreate", 1, static_cast<HResult>(0x80040154u));
  os.exitCodes = {259, 3};
}

void EmptyCommandLine(FakePlatform& os) {
  EmulatorReady(os);
  os.settingsText = "[General]\nRegion=usa\nLog=true\n";
}

}  // namespace

std::string ExampleSettings() {
  std::ifstream file(TOLVIMER_SOURCE_DIR "/examples/tolvimer_launch.ini", std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

const std::vector<RunScenario>& RunScenarios() {
  static const std::vector<RunScenario> scenarios = {
      {"example_settings", "D:\\Images\\Some Game.cdi", ExampleFile},
      {"no_settings_file", "D:\\Images\\Some Game.cdi", NoSettingsFile},
      {"force_full_with_mount", "D:\\Images\\Some Game.cdi", ForceFullWithMount},
      {"emulator_cannot_start", "D:\\Images\\Some Game.cdi", EmulatorCannotStart},
      {"window_not_found", "D:\\Images\\Some Game.cdi", WindowNotFound},
      {"side_calls_fail", "D:\\Images\\Some Game.cdi", SideCallsFail},
      {"empty_command_line", "", EmptyCommandLine},
  };
  return scenarios;
}

void EmulatorReady(FakePlatform& os) {
  Emulator(os);
  EmulatorFiles(os);
}

const RunScenario& Scenario(const std::string& name) {
  for (const RunScenario& scenario : RunScenarios()) {
    if (name == scenario.name) return scenario;
  }
  throw std::runtime_error("no scenario " + name);
}

int RunScenarioOn(const RunScenario& scenario, FakePlatform& os, const std::string& generalLines) {
  ResetProgramState();
  scenario.setUp(os);
  AddGeneralLines(os, generalLines);
  os.commandLine = std::string("\"C:\\Emu\\tolvimer_launch.exe\" ") + scenario.imagePath;
  return RunLaunchSequenceForTest(os, scenario.imagePath);
}

void AddGeneralLines(FakePlatform& os, const std::string& lines) {
  if (lines.empty()) return;
  const std::size_t general = os.settingsText.find("[General]\n");
  if (general == std::string::npos) {
    os.settingsText = "[General]\n" + lines + os.settingsText;
  } else {
    os.settingsText.insert(general + 10, lines);
  }
}

int RunLaunchSequenceForTest(FakePlatform& os, const char* imagePath) {
  return RunLaunchSequence(os, 0x400000, imagePath);
}

}  // namespace tolvimer::testing
