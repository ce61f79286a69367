// The desktop display mode for a forced full screen ([General] ForceFull).
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// Changes the resolution of the current mode, keeping every other field.
void SetDisplayMode(Platform& os, std::uint32_t width, std::uint32_t height);
// With ForceFull "true": the desktop mode named by [General] Screen.
void SwitchDisplayMode(Settings& settings);
// With ForceFull "true" (read again): the mode stored in the registry.
void RestoreDisplayMode(Settings& settings);

}  // namespace tolvimer
