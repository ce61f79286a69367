#include "emulator/window_control.h"

#include "emulator/emulator_start.h"

namespace tolvimer {
namespace {

// The whole style word of a taken-over window: no caption, frame or menu.
constexpr std::int32_t kTakeOverStyle = 8;
constexpr std::int32_t kNeutralCpu = 100;

}  // namespace

void TapKey(Platform& os, std::uint8_t virtualKey, std::uint8_t scanCode) {
  os.KeybdEvent(virtualKey, scanCode, 0, 0);
  os.KeybdEvent(virtualKey, scanCode, win::kKeyEventKeyUp, 0);
}

void TapVirtualKey(Platform& os, std::uint8_t virtualKey) {
  const std::uint32_t mapped = os.MapVirtualKey(virtualKey, win::kMapVkToVsc);
  TapKey(os, virtualKey, static_cast<std::uint8_t>(mapped & 0xFF));
}

void ParkCursor(Platform& os) {
  const int width = os.GetSystemMetrics(win::kSmCxScreen);
  const int height = os.GetSystemMetrics(win::kSmCyScreen);
  os.SetCursorPos(width, height);
}

void HideIfFullScreen(Settings& settings) {
  if (settings.ReadIs("General", "FullScreen", "true")) {
    settings.os().ShowWindow(EmulatorWindow(), win::kSwHide);
  }
}

void BringEmulatorToTop(Platform& os) { os.BringWindowToTop(EmulatorWindow()); }

void TakeOverWindow(Settings& settings) {
  if (!settings.ReadIs("General", "ForceFull", "true")) return;
  Platform& os = settings.os();
  os.SetMenu(EmulatorWindow(), 0);
  const int width = os.GetSystemMetrics(win::kSmCxScreen);
  const int height = os.GetSystemMetrics(win::kSmCyScreen);
  os.SetWindowLong(EmulatorWindow(), win::kGwlStyle, kTakeOverStyle);
  // SWP_NOZORDER keeps the window's place: HWND_TOPMOST is passed but not applied.
  os.SetWindowPos(EmulatorWindow(), win::kHwndTopmost, 0, 0, width, height,
                  win::kSwpShowWindow | win::kSwpNoZOrder);
  os.SetCursorPos(width, height);
  os.UpdateWindow(EmulatorWindow());
}

CpuSteps CpuStepsFor(std::int32_t cpu) {
  const std::int64_t difference = std::int64_t{cpu} - kNeutralCpu;
  if (difference > 0) return {win::kVkAdd, static_cast<std::uint32_t>(difference)};
  if (difference < 0) return {win::kVkSubtract, static_cast<std::uint32_t>(-difference)};
  return {win::kVkAdd, 0};
}

void StepCpuSpeed(Settings& settings, const char* gameSection) {
  if (!settings.Read(gameSection, "CPU")) return;
  const CpuSteps steps = CpuStepsFor(LeadingInteger(settings.value()));
  for (std::uint32_t i = 0; i < steps.count; ++i) TapVirtualKey(settings.os(), steps.virtualKey);
}

}  // namespace tolvimer
