#include "tools/plan/plan.h"

#include "launch/image_path.h"
#include "launch/launch_sequence.h"
#include "launch/program_state.h"
#include "launch/undo_record.h"
#include "narration/narrator.h"
#include "settings/settings.h"
#include "tools/plan/plan_warnings.h"

namespace tolvimer::plan {
namespace {

constexpr Instance kLauncherInstance = 0x400000;

// Gathers the narration into steps.
class PlanSink final : public NarrationSink {
 public:
  explicit PlanSink(std::vector<PlanStep>& steps) : steps_(steps) {}
  void StepBegun(int) override { steps_.emplace_back(); }
  void Read(const char* line) override { Current().reads.push_back(line); }
  void Action(const char* text, const char* outcome) override {
    Current().actions.push_back(PlanAction{text, outcome});
  }

 private:
  PlanStep& Current() {
    if (steps_.empty()) steps_.emplace_back();
    return steps_.back();
  }
  std::vector<PlanStep>& steps_;
};

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
    for (const PlanAction& action : step.actions) {
      out += indent + "  -> " + action.text +
             (action.outcome.empty() ? "" : " (" + action.outcome + ")") + "\n";
    }
  }
}

// What the next launch would put right first: the undo record a run cut
// short left in the launcher folder.
std::string PendingRecovery(const PlanInput& input) {
  if (!input.undoFound) return "none pending (no tolvimer_launch.undo in the launcher folder)";
  UndoRecord record;
  const UndoFileState state =
      DecodeUndoRecord(reinterpret_cast<const unsigned char*>(input.undoRecord.data()),
                       input.undoRecord.size(), record);
  if (state != UndoFileState::kValid) {
    return std::string("tolvimer_launch.undo is ") + UndoFileStateText(state) +
           ": the next launch acts on nothing in it";
  }
  std::string text = "pending: a run cut short (launcher process id " +
                     std::to_string(record.launcher.processId) +
                     "); unless that launcher still runs, the next launch first";
  std::string sep = " ";
  if (record.emulatorStarted) {
    text += sep + "closes its emulator (process id " + std::to_string(record.emulator.processId) +
            ") if it still runs";
    sep = ", ";
  }
  if (record.unmountLine[0] != '\0') {
    text += sep + "runs the unmount command line " + record.unmountLine;
    sep = ", ";
  }
  if (record.displaySwitched) {
    text += sep + "returns the desktop to the mode stored in the registry";
    sep = ", ";
  }
  if (sep == " ") text += " removes the record: nothing else is listed";
  return text;
}

}  // namespace

DryRunResult DryRun(const PlanInput& input) {
  ResetProgramState();
  DryRunResult run;
  DryRunPlatform dryRun(input);
  PlanSink sink(run.steps);
  Narrator os(dryRun, sink, NarrationMode::kDryRun, &dryRun);
  char buffer[kImagePathSize];
  run.imagePath = ImagePathOf(input.imagePath.c_str(), buffer, run.imageUnquoted);
  char gameSection[kGameSectionMax + 1];
  GameSectionFromImagePath(os, run.imagePath.c_str(), gameSection);
  run.gameSection = gameSection;
  run.result = RunLaunchSequence(os, kLauncherInstance, input.imagePath.c_str());
  os.Finish(run.result);
  run.facts = dryRun.Facts();
  return run;
}

void ReadPendingRecord(PlanInput& input) {
  input.undoRecord.clear();
  input.undoFound =
      input.readFile && input.readFile(input.launcherFolder + kUndoFileName, input.undoRecord);
}

int RunPlan(const PlanInput& input, std::string& out) {
  const DryRunResult run = DryRun(input);
  out += "Plan of tolvimer_launch for the image: " + run.imagePath +
         (run.imageUnquoted ? " (its pair of double quotes taken off)" : "") + "\n";
  out += "  game section:    [" + run.gameSection + "]\n";
  out += "  settings file:   " + input.settingsPath +
         (input.settingsFound ? "" : " (not found: every key is absent)") + "\n";
  out += "  launcher folder: " + input.launcherFolder +
         " (the emulator and its files are looked for here)\n";
  out += std::string("  run log:         ") +
         (run.facts.logOn ? "tolvimer_launch.log in the launcher folder ([General] Log is true)"
                          : "none ([General] Log is not true)") +
         "\n";
  if (run.facts.recoverOn) {
    out += "  cut-short run:   " + PendingRecovery(input) + "\n";
  }
  out += "Nothing is done: no file is written, no program started, no window touched.\n\n";
  PrintSteps(run.steps, out);

  const std::vector<std::string> warnings = FindWarnings(input, run.gameSection, run.facts);
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
