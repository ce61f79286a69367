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

}  // namespace

void WaitAfterMount(Settings& settings, Instance instance) {
  // A present Delay always makes the call; a delay of 0 returns at once.
  if (!settings.Read("General", "Delay")) return;
  settings.os().WaitWithAutoPlaySuppressed(instance, DelayMilliseconds(settings.value()));
}

}  // namespace tolvimer
