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
};

struct ListedSection {
  std::string name;  // empty for the lines before the first section
  int line = 0;
  std::vector<ListedKey> keys;
};

std::vector<ListedSection> ListProfile(const std::string& file);

// The file's text in Windows-1252: a UTF-16LE file converted as Windows
// converts it, any other file as it is.
std::string AsWindows1252(const std::string& file);

}  // namespace tolvimer::plan
