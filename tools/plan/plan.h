// The dry run: the launcher's own launch sequence over the dry run's
// platform, told by the narrator the run log uses too, printed as a plan and
// followed by the warnings.
#pragma once

#include <string>
#include <vector>

#include "tools/plan/dry_run_platform.h"
#include "tools/plan/plan_input.h"

namespace tolvimer::plan {

struct PlanAction {
  std::string text;
  std::string outcome;  // the dry run's assumption, when it makes one
};

// One step as the launch sequence declared it: the settings it read and
// what it did.
struct PlanStep {
  std::vector<std::string> reads;
  std::vector<PlanAction> actions;
};

struct DryRunResult {
  int result = 0;  // what the launcher would return
  std::string gameSection;
  std::string imagePath;       // as the launcher uses it
  bool imageUnquoted = false;  // a front end's pair of double quotes was taken off
  std::vector<PlanStep> steps;
  RunFacts facts;
};

// Runs the launch sequence over the dry run's platform.
DryRunResult DryRun(const PlanInput& input);

// Reads tolvimer_launch.undo in the launcher folder with `input.readFile`
// into undoFound and undoRecord: a cut-short run the launch would put right.
void ReadPendingRecord(PlanInput& input);

// Appends the plan and the warnings to `out`. Gives 0 when there is nothing
// to warn about, 1 with warnings.
int RunPlan(const PlanInput& input, std::string& out);

}  // namespace tolvimer::plan
