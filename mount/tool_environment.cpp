#include "mount/tool_environment.h"

#include <cstring>

#include "mount/command_line.h"

namespace tolvimer {
namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The name of an entry: up to its first '=' after the first character (the
// drives' current folders are kept as "=C:=C:\...").
std::size_t NameLength(const char* entry) {
  const char* equals = entry[0] == '\0' ? entry : std::strchr(entry + 1, '=');
  return equals == nullptr ? std::strlen(entry) : static_cast<std::size_t>(equals - entry);
}

// The entry's name against `name`, A to Z folded, as Windows orders a block.
int CompareName(const char* entry, std::size_t length, const char* name) {
  for (std::size_t i = 0;; ++i) {
    const char a = i < length ? Upper(entry[i]) : '\0';
    const char b = Upper(name[i]);
    if (a != b || a == '\0') {
      return static_cast<unsigned char>(a) < static_cast<unsigned char>(b)   ? -1
             : static_cast<unsigned char>(a) > static_cast<unsigned char>(b) ? 1
                                                                             : 0;
    }
  }
}

// Adds "name=value" and its NUL.
void AddVariable(CommandLineBuilder& block, const char* name, const char* value,
                 std::size_t valueLength) {
  block.Add(name);
  block.Add('=');
  block.Add(value, valueLength);
  block.Add('\0');
}

void AddDecimal(CommandLineBuilder& text, std::size_t value) {
  char digits[24];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  while (count > 0) text.Add(digits[--count]);
}

}  // namespace

void BuildToolEnvironment(Platform& os, const char* imagePath, char drive,
                          ToolEnvironment& environment) {
  environment.state = ToolEnvironment::kBuilt;
  environment.length = 0;
  environment.block[0] = '\0';
  const char* const own = os.GetEnvironmentStrings();
  if (own == nullptr) {
    environment.state = ToolEnvironment::kUnreadable;
    return;
  }
  const char driveValue[] = {drive, ':'};
  // The two in name order: TOLVIMER_DRIVE before TOLVIMER_IMAGE.
  struct Added {
    const char* name;
    const char* value;
    std::size_t length;
    bool wanted;
  } added[] = {{kDriveVariable, driveValue, sizeof driveValue, drive != '\0'},
               {kImageVariable, imagePath, std::strlen(imagePath), true}};
  CommandLineBuilder block(environment.block, sizeof environment.block);
  std::size_t next = 0;  // the first of `added` not yet placed
  for (const char* entry = own; *entry != '\0'; entry += std::strlen(entry) + 1) {
    const std::size_t nameLength = NameLength(entry);
    bool replaced = false;
    for (std::size_t i = 0; i < sizeof added / sizeof added[0]; ++i) {
      const int order = CompareName(entry, nameLength, added[i].name);
      if (order == 0) replaced = true;
      if (i == next && order >= 0) {
        if (added[i].wanted) AddVariable(block, added[i].name, added[i].value, added[i].length);
        ++next;
      }
    }
    if (!replaced) block.Add(entry, std::strlen(entry) + 1);
  }
  for (; next < sizeof added / sizeof added[0]; ++next) {
    if (added[next].wanted)
      AddVariable(block, added[next].name, added[next].value, added[next].length);
  }
  os.FreeEnvironmentStrings(own);
  // The empty string that ends the block; the builder's terminator is it.
  environment.length = block.length() + 1;
  if (!block.Finish()) environment.state = ToolEnvironment::kTooLarge;
}

const char* EnvironmentValue(const char* block, const char* name) {
  const std::size_t length = std::strlen(name);
  for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
    if (NameLength(entry) == length && CompareName(entry, length, name) == 0)
      return entry + length + 1;
  }
  return nullptr;
}

void DescribeEnvironmentFailure(const ToolEnvironment& environment, char* out, std::size_t size) {
  CommandLineBuilder text(out, size);
  if (environment.state == ToolEnvironment::kUnreadable) {
    text.Add("the launcher's own environment cannot be read for the tool");
  } else {
    text.Add("the tool's environment (the launcher's own, with ");
    text.Add(kImageVariable);
    text.Add(" and ");
    text.Add(kDriveVariable);
    text.Add(") would be ");
    AddDecimal(text, environment.length);
    text.Add(" bytes, more than the ");
    AddDecimal(text, kToolEnvironmentSize);
    text.Add(" that fit");
  }
  text.Finish();
}

}  // namespace tolvimer
