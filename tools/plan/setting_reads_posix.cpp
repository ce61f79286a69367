#include "platform/profile_reader.h"
#include "tools/plan/setting_reads.h"

namespace tolvimer::plan {

std::uint32_t ReadPlanSetting(const PlanInput& input, const char* section, const char* key,
                              char* out, std::uint32_t size) {
  if (size > 0) out[0] = '\0';
  if (!input.settingsFound) return 0;
  return ReadProfileString(input.settingsText.data(), input.settingsText.size(), section, key, out,
                           size);
}

}  // namespace tolvimer::plan
