// The wait after the mount, with Windows AutoPlay held off ([General] Delay).
#pragma once

#include "mount/disc_watch.h"
#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// The AutoPlay handler as registered for the rest of the run.
struct AutoPlayHandlerHold {
  bool registered = false;
  std::uint32_t cookie = 0;
};

// Reads [General] Delay and, when present, waits that many seconds with
// AutoPlay suppressed. When there is a wait, [General] CancelAutoPlay adds the
// AutoPlay handler in the running object table, which stays registered until
// EndAutoPlayHandler, and the foreground for the hidden window; a watched
// drive (WaitForDisc) ends the wait when its new disc is there, looked for
// every 100 ms and as soon as Windows announces a volume on it.
// `duringPlay`: a disc swap's wait, with the game running: the handler
// registered before play (if it was) answers, none is registered then, the
// foreground is left to the game and no "Error" box can come up.
void WaitAfterMount(Settings& settings, Instance instance, const DiscWatch& disc,
                    AutoPlayHandlerHold& handler, bool duringPlay = false);

// Takes (and tells) the queries the registered handler answered since they
// were last taken; taking them also clears a cancel a wait has used. Just
// before a disc swap's mount, so that only an answer about the new disc ends
// the swap's wait.
void TakeHandlerAnswers(Platform& os, const AutoPlayHandlerHold& hold);

// Revokes the handler, if registered, and takes the queries it answered;
// called once the disc is unmounted, or where the run ends before. The wait
// takes those it answered in the wait.
void EndAutoPlayHandler(Platform& os, AutoPlayHandlerHold& hold);

}  // namespace tolvimer
