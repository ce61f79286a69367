// The wait after the mount, with Windows AutoPlay held off ([General] Delay).
#pragma once

#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// Reads [General] Delay and, when present, waits that many seconds with
// AutoPlay suppressed.
void WaitAfterMount(Settings& settings, Instance instance);

}  // namespace tolvimer
