// The steps of a launch, as the launch sequence declares them when each
// begins. The dry run and the run log group what they tell by these marks.
#pragma once

#include <cstdint>

namespace tolvimer {

enum class Step : std::uint8_t {
  kRegion,          // [General] Region into dc_flash.bin
  kDrive,           // [General] Drive into tolvimer.cfg
  kResetConfig,     // the two cleared bytes of tolvimer.cfg
  kDisplaySwitch,   // ForceFull: the desktop mode of [General] Screen
  kMount,           // the mount tool's mount command line
  kDelay,           // the wait after the mount, AutoPlay held off
  kStartEmulator,   // TolvimerExe or the default emulator
  kFirstIdleWait,   // the emulator given time to be ready
  kFindWindow,      // its first top-level window, or "Window not found"
  kHide,            // FullScreen: the window hidden
  kBringToTop,      // the emulator window brought to the top
  kCommandRow,      // one row of the emulator command table (row 1 to 14)
  kExitKey,         // [General] Exit
  kExitCombo,       // [GamePadExit]
  kSwapKeys,        // a playlist's [General] NextDisc and [GamePadNextDisc]
  kTakeOver,        // ForceFull: the window stretched over the screen
  kCpuSpeed,        // the game's CPU value as key taps
  kSecondIdleWait,  // the emulator given time once more
  kWatch,           // until the emulator exits, the exit key or the pads
  kSwapUnmount,     // a disc swap: the current disc unmounted, waited for
  kSwapMount,       // a disc swap: the next disc mounted (then kDelay, kWatch)
  kCloseEmulator,   // WM_CLOSE to the emulator window
  kUnmount,         // Unmount: the mount tool's unmount command line
  kCloseHandles,    // the emulator's process and thread handles
  kRestoreDisplay,  // ForceFull: the desktop mode stored in the registry
};

// The steps that run a mount command line, and those that run an unmount
// command line (a disc swap's included).
constexpr bool IsMountStep(Step step) { return step == Step::kMount || step == Step::kSwapMount; }
constexpr bool IsUnmountStep(Step step) {
  return step == Step::kUnmount || step == Step::kSwapUnmount;
}

}  // namespace tolvimer
