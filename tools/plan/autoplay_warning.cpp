#include "platform/autoplay_handler_id.h"
#include "tools/plan/autoplay_registry.h"

namespace tolvimer::plan {

std::string AutoPlayHandlerWarning() {
  std::string where;
  const HandlerValue value = ReadAutoPlayHandlerValue(where);
  if (value == HandlerValue::kPresent) return "";
  const std::string lacking =
      value == HandlerValue::kMissing
          ? std::string("has no value \"") + kAutoPlayHandlerClsidText + "\" in " + where
          : "could not be read from " + where;
  return std::string("[General] CancelAutoPlay is \"true\", but HKEY_LOCAL_MACHINE\\") +
         kCancelAutoplayKey + " " + lacking +
         ": the shell will not ask the launcher's AutoPlay handler until autoplay_cancel.reg "
         "has been imported once, as administrator (the hidden window's answer still works "
         "while it holds the foreground)";
}

}  // namespace tolvimer::plan
