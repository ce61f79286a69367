#include "settings_editor/document_file.h"

namespace tolvimer::editor {

OpenResult OpenSettings(EditorFiles& files, const std::string& path, OpenFile& out) {
  std::string bytes;
  bool missing = false;
  if (!files.ReadWhole(path, bytes, missing)) {
    if (!missing) return OpenResult::kCannotRead;
    bytes.clear();
  }
  out.path = path;
  out.existed = !missing;
  out.diskBytes = bytes;
  out.document = SettingsDocument(bytes);
  return missing ? OpenResult::kMissing : OpenResult::kOpened;
}

std::string SavingPath(const std::string& path) { return path + ".saving"; }

SaveResult SaveSettings(EditorFiles& files, OpenFile& file, bool overwrite, std::string& error) {
  error.clear();
  if (!overwrite) {
    std::string now;
    bool missing = false;
    const bool read = files.ReadWhole(file.path, now, missing);
    const bool same = read ? file.existed && now == file.diskBytes : missing && !file.existed;
    if (!same) {
      error = "The file has changed on the disk since it was opened.";
      return SaveResult::kChangedOnDisk;
    }
  }
  const std::string bytes = file.document.Bytes();
  const std::string saving = SavingPath(file.path);
  const EditorFiles::Handle handle = files.CreateNew(saving);
  if (handle == EditorFiles::kNoHandle) {
    error = "Cannot create " + saving + ": " + files.LastErrorText();
    return SaveResult::kCannotWrite;
  }
  // Each step runs only when the one before it succeeded; the first failure
  // is the one told.
  bool written = files.Write(handle, bytes);
  if (!written) error = "Cannot write " + saving + ": " + files.LastErrorText();
  if (written && !files.Flush(handle)) {
    written = false;
    error = "Cannot write " + saving + " to the disk: " + files.LastErrorText();
  }
  if (!files.Close(handle) && written) {
    written = false;
    error = "Cannot close " + saving + ": " + files.LastErrorText();
  }
  if (!written) {
    files.Remove(saving);
    return SaveResult::kCannotWrite;
  }
  if (!files.MoveOver(saving, file.path)) {
    error = "Cannot replace " + file.path + ": " + files.LastErrorText();
    files.Remove(saving);
    return SaveResult::kCannotReplace;
  }
  file.existed = true;
  file.diskBytes = bytes;
  file.document.MarkSaved();
  return SaveResult::kSaved;
}

}  // namespace tolvimer::editor
