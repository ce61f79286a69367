// The settings editor's window state and the helpers its three parts share:
// the window (editor_window.cpp), what it shows (editor_panels.cpp) and its
// file commands (editor_commands.cpp).
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "settings_editor/document_file.h"
#include "settings_editor/editor_model.h"
#include "settings_editor/win32/win32_editor_files.h"

namespace tolvimer::editor {

constexpr char kTitle[] = "Tolvimer launch settings";

struct Editor {
  HWND window = nullptr;
  HFONT font = nullptr;
  UINT dpi = 96;
  Win32EditorFiles files;
  OpenFile file;
  std::vector<SectionEntry> sections;
  std::string section;  // the selected one
  std::vector<KeyRow> rows;
  int row = -1;  // the selected key's row
  std::vector<std::string> warnings;
  std::map<std::string, std::string> images;  // a game's image, once chosen
  std::uint32_t capturedKey = 0;              // the key field's virtual key
};

// The one window's state.
extern Editor editor;

HWND Control(int id);
int Scale(int pixels);
std::string TextOf(HWND control);
void Say(const std::string& text, UINT icon);

// What the window shows (editor_panels.cpp).
PlanPlace Place();
std::string WarningImageNow();
void ShowSelectedKey();
void Refresh();  // after every change: sections, warnings, keys, title
void SelectSection();
void ApplyValue();
void RemoveValue();
LRESULT CALLBACK KeyFieldProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR);

// The file commands (editor_commands.cpp).
bool PickFile(HWND owner, bool save, const char* filter, const char* extension,
              std::string& path);
bool Save();
bool MayDiscard();  // asks about unsaved edits; false when the user cancels
bool Open(const std::string& path);
void AddGame();
void ShowPlan();

}  // namespace tolvimer::editor
