// The dry run: the launcher's own launch sequence over the narrating
// platform, printed as a plan, followed by the warnings.
#pragma once

#include <string>

#include "tools/plan/plan_input.h"

namespace tolvimer::plan {

// Appends the plan and the warnings to `out`. Gives 0 when there is nothing
// to warn about, 1 with warnings.
int RunPlan(const PlanInput& input, std::string& out);

}  // namespace tolvimer::plan
