// Opening and saving a settings file. A save writes the new bytes into a file
// beside the old one, flushes them and moves them over it in one step, so
// that every failure leaves the old file whole; it refuses to overwrite a
// file that changed on the disk since it was opened, unless told to.
#pragma once

#include <string>

#include "settings_editor/editor_files.h"
#include "settings_editor/settings_document.h"

namespace tolvimer::editor {

// An open settings file: its path, the bytes it had when opened or last
// saved, and the document being edited.
struct OpenFile {
  std::string path;
  bool existed = false;  // the file was there when opened or last saved
  std::string diskBytes;
  SettingsDocument document;
};

enum class OpenResult { kOpened, kMissing, kCannotRead };
// A missing file opens as an empty document, to be created by the first save.
OpenResult OpenSettings(EditorFiles& files, const std::string& path, OpenFile& out);

enum class SaveResult {
  kSaved,
  kChangedOnDisk,  // the file is not as it was opened: nothing written
  kCannotWrite,    // the new file beside could not be written: nothing changed
  kCannotReplace,  // it could not be moved over the old one: nothing changed
};

// Where the new bytes are written before they replace the file.
std::string SavingPath(const std::string& path);

// Saves the document; on any failure the file on the disk is as it was and
// the edits stay. `overwrite` saves over a file changed on the disk.
// `error` tells the user why a save failed.
SaveResult SaveSettings(EditorFiles& files, OpenFile& file, bool overwrite, std::string& error);

}  // namespace tolvimer::editor
