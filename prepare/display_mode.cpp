#include "prepare/display_mode.h"

namespace tolvimer {

void SetDisplayMode(Platform& os, std::uint32_t width, std::uint32_t height) {
  DisplayMode mode;
  if (!os.GetCurrentDisplayMode(mode)) return;
  // Only the resolution changes: depth, frequency and flags are asked for as
  // they were read.
  mode.width = width;
  mode.height = height;
  os.ChangeDisplaySettings(&mode, 0);
}

void SwitchDisplayMode(Settings& settings) {
  if (!settings.ReadIs("General", "ForceFull", "true")) return;
  // Only [General] Screen picks the desktop mode; the game section's Screen
  // is for the emulator's own resolution command.
  if (!settings.Read("General", "Screen")) return;
  for (const ScreenMode& row : kScreenModes) {
    if (IsWord(settings.value(), row.word)) {
      SetDisplayMode(settings.os(), row.width, row.height);
      return;
    }
  }
}

void RestoreDisplayMode(Settings& settings) {
  // ForceFull as the file says now, whether or not a switch was made.
  if (settings.ReadIs("General", "ForceFull", "true"))
    settings.os().ChangeDisplaySettings(nullptr, 0);
}

}  // namespace tolvimer
