#include "mount/autoplay_wait.h"

namespace tolvimer {

// Filled in with the AutoPlay suppression wait.
void WaitAfterMount(Settings&, Instance) {}

}  // namespace tolvimer
