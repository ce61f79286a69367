// The hidden window that holds off Windows AutoPlay during the wait after the
// mount. Win32 only; the launch sequence reaches it through the platform.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace tolvimer {

// Holds the hidden, topmost "DisableAutolaunch" window until its timer of
// `delay` ms fires or the shell's first "QueryCancelAutoPlay" arrives, which
// it answers so that AutoPlay is cancelled. A delay of 0 returns at once.
// Gives 0, or the error code of the RegisterClassExA or CreateWindowExA that
// failed, taken before its "Error" box was shown.
std::uint32_t WaitWithAutoPlaySuppressed(Instance instance, std::uint32_t delay);

// The same wait with the helpers of WaitForDisc and CancelAutoPlay; the disc
// look is made on `os` every 100 ms.
AutoPlayWaitResult WaitWithAutoPlayHelpers(Platform& os, Instance instance, std::uint32_t delay,
                                           const AutoPlayWaitHelpers& helpers);

// The AutoPlay handler's answer for the watched drive `letter` (0 when
// unknown), from the handler's thread: ends a helped wait under way, as the
// window's answer does, by a message to its window.
void EndWaitForAutoPlayHandler(char letter);

}  // namespace tolvimer
