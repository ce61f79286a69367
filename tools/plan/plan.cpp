#include "tools/plan/plan.h"

#include "emulator/emulator_start.h"
#include "exitwatch/exit_watch.h"
#include "exitwatch/gamepads.h"
#include "launch/launch_sequence.h"
#include "settings/settings.h"
#include "tools/plan/narrating_platform.h"
#include "tools/plan/plan_warnings.h"

namespace tolvimer::plan {
namespace {

constexpr Instance kLauncherInstance = 0x400000;

// The launcher's program-wide state as a new process has it, so that each
// plan starts as a launcher run would.
void ResetLauncherState() {
  exitKey = 27;
  windowSearch = WindowSearch{0, 0};
  gamePads = GamePadTable{};
}

void PrintSteps(const std::vector<PlanStep>& steps, std::string& out) {
  int number = 0;
  for (const PlanStep& step : steps) {
    const std::string head = std::to_string(++number) + ". ";
    const std::string indent(head.size() + 2, ' ');
    if (step.reads.empty()) {
      out += "  " + head + "always\n";
    } else {
      for (std::size_t i = 0; i < step.reads.size(); ++i) {
        out += (i == 0 ? "  " + head : indent) + step.reads[i] + "\n";
      }
    }
    if (step.actions.empty()) out += indent + "  -> nothing\n";
    for (const std::string& action : step.actions) out += indent + "  -> " + action + "\n";
  }
}

}  // namespace

int RunPlan(const PlanInput& input, std::string& out) {
  ResetLauncherState();
  NarratingPlatform os(input);
  char gameSection[kGameSectionMax + 1];
  GameSectionFromImagePath(os, input.imagePath.c_str(), gameSection);

  out += "Plan of tolvimer_launch for the image: " + input.imagePath + "\n";
  out += "  game section:    [" + std::string(gameSection) + "]\n";
  out += "  settings file:   " + input.settingsPath +
         (input.settingsFound ? "" : " (not found: every key is absent)") + "\n";
  out += "  launcher folder: " + input.launcherFolder +
         " (the emulator and its files are looked for here)\n";
  out += "Nothing is done: no file is written, no program started, no window touched.\n\n";

  const int result = RunLaunchSequence(os, kLauncherInstance, input.imagePath.c_str());
  os.Note(result == 1 ? "the launcher returns 1: a complete run"
                      : "the launcher returns 0 and does nothing more");
  os.Finish();
  PrintSteps(os.Steps(), out);

  const std::vector<std::string> warnings = FindWarnings(input, gameSection, os.Facts());
  out += "\n";
  if (warnings.empty()) {
    out += "No warnings.\n";
    return 0;
  }
  out += "Warnings:\n";
  for (const std::string& warning : warnings) out += "  " + warning + "\n";
  return 1;
}

}  // namespace tolvimer::plan
