#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/autoplay_handler_id.h"
#include "settings/settings.h"
#include "tools/plan/autoplay_registry.h"

namespace tolvimer::plan {
namespace {

// The key as Wine's system.reg names it: relative to HKEY_LOCAL_MACHINE,
// each backslash doubled.
std::string WineKeyName() {
  std::string name;
  for (const char* p = kCancelAutoplayKey; *p; ++p) {
    name += *p;
    if (*p == '\\') name += '\\';
  }
  return "[" + name + "]";
}

}  // namespace

bool PlanRunsElevated() { return false; }

HandlerValue ReadAutoPlayHandlerValue(std::string& where) {
  const char* prefix = std::getenv("WINEPREFIX");
  const char* home = std::getenv("HOME");
  where = prefix && *prefix ? prefix : std::string(home ? home : "") + "/.wine";
  where += "/system.reg";
  std::ifstream file(where);
  if (!file) return HandlerValue::kUnknown;
  const std::string section = WineKeyName();
  const std::string value = std::string("\"") + kAutoPlayHandlerClsidText + "\"=";
  std::string line;
  bool inKey = false;
  while (std::getline(file, line)) {
    if (!line.empty() && line[0] == '[') {
      // "[key] timestamp": the key compares regardless of case.
      inKey = line.size() >= section.size() &&
              IsWord(line.substr(0, section.size()).c_str(), section.c_str());
      continue;
    }
    if (inKey && line.size() >= value.size() &&
        IsWord(line.substr(0, value.size()).c_str(), value.c_str())) {
      return HandlerValue::kPresent;
    }
  }
  return HandlerValue::kMissing;
}

}  // namespace tolvimer::plan
