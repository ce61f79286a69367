// tolvimer_settings [FILE]: edits tolvimer_launch.ini beside the program, or
// the settings file named on the command line.
#include <windows.h>

#include <string>

#include "settings/settings.h"
#include "settings_editor/win32/editor_window.h"
#include "tools/plan/own_directory.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  std::string path = commandLine;
  while (!path.empty() && path.back() == ' ') path.pop_back();
  while (!path.empty() && path.front() == ' ') path.erase(0, 1);
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"') {
    path = path.substr(1, path.size() - 2);
  }
  if (path.empty()) path = tolvimer::plan::OwnDirectory() + tolvimer::kSettingsFileName;
  return tolvimer::editor::RunEditor(instance, path);
}
