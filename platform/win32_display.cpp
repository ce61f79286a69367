// The Win32 platform: the screen's metrics and the desktop display mode.
#include "platform/win32_calls.h"

#include <cstring>

namespace tolvimer {

namespace {

static_assert(sizeof(DEVMODEA) <= sizeof(DisplayMode::native), "DEVMODEA must fit");

}  // namespace

int Win32Platform::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

bool Win32Platform::GetCurrentDisplayMode(DisplayMode& mode) {
  DEVMODEA devMode;
  std::memset(&devMode, 0, sizeof devMode);
  devMode.dmSize = 148;  // the structure without its panning fields
  if (!::EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &devMode)) return false;
  mode.width = devMode.dmPelsWidth;
  mode.height = devMode.dmPelsHeight;
  mode.bitsPerPixel = devMode.dmBitsPerPel;
  mode.frequency = devMode.dmDisplayFrequency;
  std::memcpy(mode.native, &devMode, sizeof devMode);
  return true;
}

std::int32_t Win32Platform::ChangeDisplaySettings(const DisplayMode* mode, std::uint32_t flags) {
  if (!mode) return ::ChangeDisplaySettingsA(nullptr, flags);
  DEVMODEA devMode;
  std::memcpy(&devMode, mode->native, sizeof devMode);
  devMode.dmPelsWidth = mode->width;
  devMode.dmPelsHeight = mode->height;
  return ::ChangeDisplaySettingsA(&devMode, flags);
}

}  // namespace tolvimer
