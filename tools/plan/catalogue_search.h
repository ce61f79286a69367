// Questions the dry run's warnings ask of the setting catalogue: where a key
// is read, which known key a misspelt one most likely means, and what the
// key-mapping queries answer on a US keyboard layout.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "narration/setting_catalogue.h"

namespace tolvimer::plan {

// Every section kind where the launcher reads the key, as "[General] and
// [Alcohol120]"; empty when it reads it nowhere.
std::string WhereKeyIsRead(const std::string& key);
// The known key name closest to `key` (a likely misspelling), or empty.
std::string ClosestKnownKey(const std::string& key);
// The key's words as "640x480, 800x600, ...".
std::string WordList(const KnownKey& key);

// A readable name of a virtual key ("Escape", "A", "keypad plus", "F1").
std::string VirtualKeyName(std::uint32_t virtualKey);

// Helpers for names: A to Z lowered, and the number of one-character edits
// between two names.
std::string LowerAscii(std::string text);
std::size_t EditDistance(const std::string& a, const std::string& b);

}  // namespace tolvimer::plan
