// Mounting and unmounting the disc image with the tool of [General] MountTool.
#pragma once

#include "launch/settings.h"
#include "platform/platform.h"

namespace tolvimer {

// Starts the command line as a new process without waiting for it.
bool RunCommandLine(Platform& os, char* commandLine);
// Mounts the image with the configured tool.
void MountDiscImage(Settings& settings, const char* imagePath);
// With [General] Unmount "true": unmounts with the tool configured now.
void UnmountDiscImage(Settings& settings);

}  // namespace tolvimer
