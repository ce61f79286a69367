// The values of the settings file as the launcher will get them: on Windows
// from GetPrivateProfileStringA itself, so that the plan cannot disagree
// with the launcher; elsewhere from the project's profile reader.
#pragma once

#include <cstdint>

#include "tools/plan/plan_input.h"

namespace tolvimer::plan {

// As GetPrivateProfileStringA(section, key, "", out, size, the settings
// file); 0 with `out` empty when the file was not found.
std::uint32_t ReadPlanSetting(const PlanInput& input, const char* section, const char* key,
                              char* out, std::uint32_t size);

}  // namespace tolvimer::plan
