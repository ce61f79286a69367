// The editor's file commands: open, save, the unsaved-edits question, Add
// game and Show plan.
#include <windows.h>
// The common dialogs build on windows.h.
#include <commdlg.h>

#include <string>

#include "settings_editor/win32/editor_state.h"
#include "settings_editor/win32/editor_window.h"

namespace tolvimer::editor {

bool PickFile(HWND owner, bool save, const char* filter, const char* extension,
              std::string& path) {
  char name[MAX_PATH * 4] = {};
  for (std::size_t i = 0; i < path.size() && i + 1 < sizeof name; ++i) name[i] = path[i];
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter;
  dialog.lpstrFile = name;
  dialog.nMaxFile = sizeof name;
  dialog.lpstrDefExt = extension;
  dialog.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                 (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST);
  const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen) return false;
  path = name;
  return true;
}

bool Save() {
  std::string error;
  SaveResult result = SaveSettings(editor.files, editor.file, false, error);
  if (result == SaveResult::kChangedOnDisk) {
    const std::string question = editor.file.path +
                                 " has changed on the disk since it was opened.\n\n"
                                 "Replace it with the file as edited here?";
    if (MessageBoxA(editor.window, question.c_str(), kTitle, MB_YESNO | MB_ICONWARNING) != IDYES) {
      return false;
    }
    result = SaveSettings(editor.files, editor.file, true, error);
  }
  if (result != SaveResult::kSaved) {
    Say(error + "\n\nThe file is as it was; your edits are still open.", MB_ICONERROR);
    return false;
  }
  Refresh();
  return true;
}

// Asks about unsaved edits; false when the user cancels.
bool MayDiscard() {
  if (!editor.file.document.modified()) return true;
  const std::string question = "Save the changes to " + editor.file.path + "?";
  const int answer =
      MessageBoxA(editor.window, question.c_str(), kTitle, MB_YESNOCANCEL | MB_ICONQUESTION);
  if (answer == IDCANCEL) return false;
  return answer == IDNO || Save();
}

bool Open(const std::string& path) {
  OpenFile opened;
  if (OpenSettings(editor.files, path, opened) == OpenResult::kCannotRead) {
    Say("Cannot read " + path + ": " + editor.files.LastErrorText(), MB_ICONERROR);
    return false;
  }
  editor.file = opened;
  editor.images.clear();
  editor.section = "General";
  editor.row = -1;
  Refresh();
  return true;
}

void AddGame() {
  std::string image;
  if (!PickFile(editor.window, false,
                "Disc images and playlists\0*.cdi;*.gdi;*.iso;*.chd;*.cue;*.nrg;*.mds;*.ccd;*.m3u\0"
                "All files\0*.*\0",
                nullptr, image)) {
    return;
  }
  const std::string game = GameSectionOf(image);
  if (game.empty()) {
    Say("The launcher names no section after " + image + ".", MB_ICONWARNING);
    return;
  }
  if (!editor.file.document.HasSection(game) && !editor.file.document.AddSection(game)) {
    Say("No section can be named [" + game + "] in this file.", MB_ICONWARNING);
    return;
  }
  editor.images[game] = image;
  editor.section = game;
  editor.row = -1;
  Refresh();
}

void ShowPlan() {
  std::string image = WarningImageNow();
  if (!PickFile(editor.window, false, "Disc images and playlists\0*.*\0", nullptr, image)) return;
  ShowPlanWindow(editor.window, editor.font, PlanText(editor.file.document, Place(), image));
}

}  // namespace tolvimer::editor
