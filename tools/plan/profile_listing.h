// Every section and key line of a settings file, with line numbers, split by
// the same line rules as the profile reader; the warnings walk it to find
// settings that no read would ever see.
#pragma once

#include <string>
#include <vector>

namespace tolvimer::plan {

struct ListedKey {
  std::string name;
  bool hasValue = false;  // the line has '='
  int line = 0;
  // The name holds characters that Windows-1252 lacks (in a UTF-16LE file):
  // no read, which asks in Windows-1252, can match it.
  bool unreadable = false;
  std::string value;  // the text after '=', blanks trimmed, quotes kept
};

struct ListedSection {
  std::string name;  // empty for the lines before the first section
  int line = 0;
  std::vector<ListedKey> keys;
  bool unreadable = false;  // as for a key
};

std::vector<ListedSection> ListProfile(const std::string& file);

}  // namespace tolvimer::plan
