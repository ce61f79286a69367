// Warnings about a playlist image: a disc file that is not there, and a
// next-disc key or combination that can do nothing.
#pragma once

#include <string>
#include <vector>

#include "tools/plan/dry_run_platform.h"
#include "tools/plan/plan_input.h"

namespace tolvimer::plan {

void CheckDiscs(const PlanInput& input, const RunFacts& facts, std::vector<std::string>& warnings);

}  // namespace tolvimer::plan
