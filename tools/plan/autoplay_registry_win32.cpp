#include <windows.h>

#include "platform/autoplay_handler_id.h"
#include "tools/plan/autoplay_registry.h"

namespace tolvimer::plan {

bool PlanRunsElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  // The elevated half of a split token, as the launcher asks it.
  TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
  DWORD size = 0;
  const bool elevated = GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size) &&
                        type == TokenElevationTypeFull;
  CloseHandle(token);
  return elevated;
}

HandlerValue ReadAutoPlayHandlerValue(std::string& where) {
  where = "this machine's registry";
  HKEY key = nullptr;
  // The 64-bit view on 64-bit Windows, where the shell reads it.
  const LONG opened = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCancelAutoplayKey, 0,
                                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return HandlerValue::kMissing;
  if (opened != ERROR_SUCCESS) return HandlerValue::kUnknown;
  const LONG queried =
      RegQueryValueExA(key, kAutoPlayHandlerClsidText, nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (queried == ERROR_SUCCESS) return HandlerValue::kPresent;
  return queried == ERROR_FILE_NOT_FOUND ? HandlerValue::kMissing : HandlerValue::kUnknown;
}

}  // namespace tolvimer::plan
