// The desktop display mode for a forced full screen ([General] ForceFull).
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// Changes the resolution of the current mode, keeping every other field.
void SetDisplayMode(Platform& os, std::uint32_t width, std::uint32_t height);
// The words of [General] Screen, each with the desktop mode it picks.
struct ScreenMode {
  const char* word;
  std::uint32_t width;
  std::uint32_t height;
};
inline constexpr ScreenMode kScreenModes[] = {{"640x480", 640, 480},
                                              {"800x600", 800, 600},
                                              {"1024x768", 1024, 768},
                                              {"1280x1024", 1280, 1024},
                                              {"1600x1200", 1600, 1200}};
// With ForceFull "true": the desktop mode of kScreenModes named by [General] Screen.
void SwitchDisplayMode(Settings& settings);
// With ForceFull "true" (read again): the mode stored in the registry.
void RestoreDisplayMode(Settings& settings);

}  // namespace tolvimer
