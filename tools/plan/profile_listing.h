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

std::vector<ListedSection> ListProfile(const std::string& text);

}  // namespace tolvimer::plan
