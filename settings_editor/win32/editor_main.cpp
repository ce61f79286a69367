// tolvimer_settings [FILE]: edits tolvimer_launch.ini beside the program, or
// the settings file named on the command line.
#include <windows.h>

#include <string>

#include "settings/settings.h"
#include "settings_editor/win32/editor_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  std::string path = commandLine;
  while (!path.empty() && path.back() == ' ') path.pop_back();
  while (!path.empty() && path.front() == ' ') path.erase(0, 1);
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
    path = path.substr(1, path.size() - 2);
  }
  if (path.empty()) {
    char own[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, own, sizeof own);
    path.assign(own, n < sizeof own ? n : 0);
    path = path.substr(0, path.find_last_of('\\') + 1) + tolvimer::kSettingsFileName;
  }
  return tolvimer::editor::RunEditor(instance, path);
}
