// Whole launcher runs over the fake platform, each set up from one table row:
// the settings file, the emulator files, the pads and how play ends. Shared by
// the whole-run trace test and the run log tests.
#pragma once

#include <string>
#include <vector>

#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {

struct RunScenario {
  const char* name;
  const char* imagePath;
  void (*setUp)(FakePlatform& os);
};

// The scenarios: the example settings file, no settings file, ForceFull with
// a mount, an emulator that cannot start, a window that is not found, a run
// where the side calls fail, and an empty command line.
const std::vector<RunScenario>& RunScenarios();

// The scenario of that name; throws when there is none.
const RunScenario& Scenario(const std::string& name);

// The emulator's files, and the emulator and mount tool as programs that can
// be started, the emulator with its window.
void EmulatorReady(FakePlatform& os);

// The example settings file as shipped.
std::string ExampleSettings();

// Sets the scenario up on a fresh fake, puts `generalLines` at the head of
// the settings file's [General] section, and runs the launcher; gives the
// exit code.
int RunScenarioOn(const RunScenario& scenario, FakePlatform& os,
                  const std::string& generalLines = "");

// Puts `lines` at the head of the settings file's [General] section.
void AddGeneralLines(FakePlatform& os, const std::string& lines);

// The launch sequence on an image path, as the scenarios run it.
int RunLaunchSequenceForTest(FakePlatform& os, const char* imagePath);

}  // namespace tolvimer::testing
