#include <windows.h>

#include "settings/profile_reader.h"
#include "tools/plan/setting_reads.h"

namespace tolvimer::plan {

std::uint32_t ReadPlanSetting(const PlanInput& input, const char* section, const char* key,
                              char* out, std::uint32_t size) {
  if (size > 0) out[0] = '\0';
  if (!input.settingsFound || size == 0) return 0;
  if (input.valuesFromText) {
    return ReadProfileString(input.settingsText.data(), input.settingsText.size(), section, key,
                             out, size);
  }
  // A bare file name would be looked for in the Windows folder.
  char path[MAX_PATH * 4];
  const DWORD n = GetFullPathNameA(input.settingsPath.c_str(), sizeof path, path, nullptr);
  if (n == 0 || n >= sizeof path) return 0;
  return GetPrivateProfileStringA(section, key, "", out, size, path);
}

}  // namespace tolvimer::plan
