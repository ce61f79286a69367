// The wait after the mount, with Windows AutoPlay held off ([General] Delay).
#pragma once

#include "mount/disc_watch.h"
#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// Reads [General] Delay and, when present, waits that many seconds with
// AutoPlay suppressed. When there is a wait, [General] CancelAutoPlay adds the
// AutoPlay handler in the running object table and the foreground for the
// hidden window; a watched drive (WaitForDisc) ends the wait when its new disc
// is there.
void WaitAfterMount(Settings& settings, Instance instance, const DiscWatch& disc);

}  // namespace tolvimer
