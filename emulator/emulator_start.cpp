#include "emulator/emulator_start.h"

namespace tolvimer {

WindowSearch windowSearch = {0, 0};

bool StartEmulator(Platform& os, char* commandLine, ProcessRecord& process) {
  process = ProcessRecord{};
  return os.CreateProcess(commandLine, process);
}

bool FindEmulatorWindowCallback(Platform& os, WindowHandle window, std::intptr_t search) {
  WindowSearch& record = *reinterpret_cast<WindowSearch*>(search);
  std::uint32_t owner = 0;
  os.GetWindowThreadProcessId(window, owner);
  if (owner != record.processId) return true;
  record.window = window;
  return false;
}

WindowHandle FindEmulatorWindow(Platform& os, std::uint32_t processId) {
  windowSearch.window = 0;
  windowSearch.processId = processId;
  os.EnumWindows(FindEmulatorWindowCallback, reinterpret_cast<std::intptr_t>(&windowSearch));
  return windowSearch.window;
}

}  // namespace tolvimer
