// The settings a user most likely got wrong, found after a dry run: values
// the launcher does not recognise, keys in the wrong section or read by no
// one, a missing game section, a quoted image path, missing emulator files.
#pragma once

#include <string>
#include <vector>

#include "tools/plan/dry_run_platform.h"
#include "tools/plan/plan_input.h"

namespace tolvimer::plan {

std::vector<std::string> FindWarnings(const PlanInput& input, const std::string& gameSection,
                                      const RunFacts& facts);

}  // namespace tolvimer::plan
