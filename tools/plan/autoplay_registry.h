// Whether the shell will ask the launcher's AutoPlay handler: the value that
// autoplay_cancel.reg writes, read from the registry of the machine the plan
// runs on (on Windows), or from Wine's registry of $WINEPREFIX (elsewhere).
#pragma once

#include <string>

namespace tolvimer::plan {

enum class HandlerValue { kPresent, kMissing, kUnknown };

// `where` names the registry that was read, or why none could be.
HandlerValue ReadAutoPlayHandlerValue(std::string& where);

// Whether the plan runs elevated (on Windows; never elsewhere).
bool PlanRunsElevated();

// The warning for [General] CancelAutoPlay "true" when the value is not
// there; empty when it is.
std::string AutoPlayHandlerWarning();

}  // namespace tolvimer::plan
