// Starting the emulator and finding its main window.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace tolvimer {

// The emulator program started when [General] TolvimerExe is absent or empty.
constexpr char kDefaultEmulatorCommand[] = "Tolvimer_alpha_25.exe";

// The window search, shared with the enumeration callback by address. After
// a successful search `window` is the emulator window for the rest of the run.
struct WindowSearch {
  std::uint32_t processId;
  WindowHandle window;
};
extern WindowSearch windowSearch;

// Starts the emulator from `commandLine` (writable: CreateProcessA may write
// into it), filling `process`. False when the process cannot be created.
bool StartEmulator(Platform& os, char* commandLine, ProcessRecord& process);

// Offered each top-level window in z-order: keeps the first one owned by the
// searched process and stops the enumeration there.
bool FindEmulatorWindowCallback(Platform& os, WindowHandle window, std::intptr_t search);

// Looks once for a top-level window of the process; null when there is none.
WindowHandle FindEmulatorWindow(Platform& os, std::uint32_t processId);

// The emulator window found by the last search.
inline WindowHandle EmulatorWindow() { return windowSearch.window; }

}  // namespace tolvimer
