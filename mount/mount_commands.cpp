#include "mount/mount_commands.h"

namespace tolvimer {

// Filled in with the mount tool commands.
bool RunCommandLine(Platform&, char*) { return false; }
void MountDiscImage(Settings&, const char*) {}
void UnmountDiscImage(Settings&) {}

}  // namespace tolvimer
