// The settings editor's windows.
#pragma once

#include <windows.h>

#include <string>

namespace tolvimer::editor {

// Opens the settings file at `path` (missing: an empty one, made by the
// first save) in the editor's window and runs it until it is closed.
int RunEditor(HINSTANCE instance, const std::string& path);

// A read-only window with the plan's text, which can be copied or saved.
void ShowPlanWindow(HWND owner, HFONT font, const std::string& text);
// The plan window's keyboard handling, from the message loop.
bool IsPlanWindowMessage(MSG* msg);

}  // namespace tolvimer::editor
