// A settings file as the editor holds it: its lines exactly as they were
// read, in the file's own encoding and with their own line ends, so that a
// save changes only the lines an edit touched. Sections and keys are found
// by the rules of the launcher's profile reader; names and values go in and
// out in Windows-1252, the code page the launcher asks in.
#pragma once

#include <string>
#include <vector>

#include "settings/profile_reader.h"
#include "tools/plan/profile_listing.h"

namespace tolvimer::editor {

class SettingsDocument {
 public:
  // An empty document: a missing file, saved as ANSI with CR LF line ends.
  SettingsDocument() = default;
  // The document of a file's bytes (ANSI, any mark included, or UTF-16LE
  // after its mark FF FE).
  explicit SettingsDocument(const std::string& bytes);

  // The file's bytes as they stand, edits included.
  std::string Bytes() const;
  ProfileEncoding encoding() const { return encoding_; }
  bool modified() const { return modified_; }
  // The bytes were saved: they are the file now.
  void MarkSaved() { modified_ = false; }

  // Every section and key line, as the warnings list them (comment lines
  // left out, line numbers from 1).
  std::vector<plan::ListedSection> Sections() const;
  // The value the launcher would read, at most 254 characters; false when
  // the launcher reads the key as absent.
  bool Read(const std::string& section, const std::string& key, std::string& value) const;
  bool HasSection(const std::string& section) const;

  // Gives `key` in the first `section` the value `value`, which then reads
  // back as it is: the key's line keeps everything up to its '=' and gets the
  // new value after it; a key not there is added after the section's last
  // key, a section not there is added at the end. False, with nothing
  // changed, for a value no line can hold (a line end, a NUL, more than 254
  // characters) or a name that no line can be read by.
  bool SetValue(const std::string& section, const std::string& key, const std::string& value);
  // Removes every line of `key` in the first `section`, so that the launcher
  // reads it as absent. False when there was none.
  bool RemoveKey(const std::string& section, const std::string& key);
  // Adds "[section]" at the end, after a blank line; false when the file has
  // it already or the name cannot be a section's.
  bool AddSection(const std::string& section);

 private:
  struct Line {
    std::u16string text;  // without its line end; code units of the file
    std::u16string end;   // "\r\n", "\r", "\n" or "" (the last line only)
  };
  // The index of the first header of `section` in lines_ (-1 for none); the
  // section "" is the lines before the first header and has no header.
  int HeaderLine(const std::string& section) const;
  // The line indexes of the keys of the first `section` named `key`.
  std::vector<int> KeyLines(const std::string& section, const std::string& key) const;
  std::u16string Units(const std::string& windows1252) const;
  void InsertLine(std::size_t at, const std::u16string& text);

  ProfileEncoding encoding_ = ProfileEncoding::kAnsi;
  std::string mark_;  // FF FE of a UTF-16LE file
  std::string tail_;  // the odd last byte of a UTF-16LE file
  std::vector<Line> lines_;
  std::u16string newLine_ = u"\r\n";  // the file's first line end
  bool modified_ = false;
};

// Whether two names are the same to the launcher: A to Z matched regardless
// of case, every other character exactly.
bool SameName(const std::string& a, const std::string& b);

}  // namespace tolvimer::editor
