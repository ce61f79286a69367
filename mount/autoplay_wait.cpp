#include "mount/autoplay_wait.h"

#include <cstdint>

namespace tolvimer {
namespace {

// Seconds to milliseconds. A negative count, or one whose milliseconds do not
// fit a signed 32-bit number, gives 0: no wait rather than one of weeks.
std::uint32_t DelayMilliseconds(const char* value) {
  constexpr std::int32_t kMaxSeconds = INT32_MAX / 1000;
  const std::int32_t seconds = LeadingInteger(value);
  if (seconds < 0 || seconds > kMaxSeconds) return 0;
  return static_cast<std::uint32_t>(seconds) * 1000u;
}

// The drive the emulator reads, for the handler: the watched one, else
// [General] Drive's root; empty when Drive names no letter.
void HandlerRoot(Settings& settings, const DiscWatch& disc, char (&root)[4]) {
  if (disc.watching) {
    for (int i = 0; i < 4; ++i) root[i] = disc.root[i];
  } else if (!settings.Read("General", "Drive") || !DriveRootOf(settings.value(), root)) {
    root[0] = '\0';
  }
}

}  // namespace

void WaitAfterMount(Settings& settings, Instance instance, const DiscWatch& disc,
                    AutoPlayHandlerHold& hold, bool duringPlay) {
  // A present Delay always makes the call; a delay of 0 returns at once.
  if (!settings.Read("General", "Delay")) return;
  Platform& os = settings.os();
  const std::uint32_t delay = DelayMilliseconds(settings.value());
  // The helpers act only in a wait; without one CancelAutoPlay is not read.
  const bool cancel = delay != 0 && settings.ReadIs("General", "CancelAutoPlay", "true");
  // During play the helped wait is used even without a helper: it is the
  // one that never shows a box over the game.
  if (!cancel && (delay == 0 || (!disc.watching && !duringPlay))) {
    os.WaitWithAutoPlaySuppressed(instance, delay);
    return;
  }

  AutoPlayWaitHelpers helpers;
  // The game keeps the foreground: during play the handler held since the
  // first wait answers instead.
  helpers.takeForeground = cancel && !duringPlay;
  helpers.duringPlay = duringPlay;
  if (disc.watching) {
    helpers.lookForDisc = NewDiscArrived;
    helpers.param = reinterpret_cast<std::intptr_t>(&disc);
    helpers.driveMask = DriveMaskOf(disc.root);
  }
  // A handler that cannot be registered leaves the wait as it is; one is
  // registered only before play (the launch's own wait, once).
  if (cancel && !duringPlay) {
    char root[4] = {};
    HandlerRoot(settings, disc, root);
    hold.registered = os.RegisterAutoPlayHandler(root, hold.cookie) >= 0;
    // Elevated, the launcher is out of the shell's reach: the run log says so.
    os.RunsElevated();
  }
  os.WaitWithAutoPlayHelpers(instance, delay, helpers);
  // The queries the handler answered in the wait, for the log.
  TakeHandlerAnswers(os, hold);
}

void TakeHandlerAnswers(Platform& os, const AutoPlayHandlerHold& hold) {
  if (hold.registered) os.TakeAutoPlayAnswers();
}

void EndAutoPlayHandler(Platform& os, AutoPlayHandlerHold& hold) {
  if (!hold.registered) return;
  os.RevokeAutoPlayHandler(hold.cookie);
  // Those answered since, the game's time included (a thread that has not
  // ended in time may still add some, which no one tells).
  os.TakeAutoPlayAnswers();
  hold = AutoPlayHandlerHold{};
}

}  // namespace tolvimer
