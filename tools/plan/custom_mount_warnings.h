// Warnings about the mount command lines: [CustomMount] values that would
// not do what they most likely mean, and lines too long to be run.
#pragma once

#include <string>
#include <vector>

#include "tools/plan/dry_run_platform.h"
#include "tools/plan/plan_input.h"
#include "tools/plan/profile_listing.h"

namespace tolvimer::plan {

void CheckCustomMount(const PlanInput& input, const std::vector<ListedSection>& sections,
                      std::vector<std::string>& warnings);

void CheckCommandLineRoom(const RunFacts& facts, std::vector<std::string>& warnings);

}  // namespace tolvimer::plan
