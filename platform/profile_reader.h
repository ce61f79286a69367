// A reader of Windows profile ("ini") text that answers as
// GetPrivateProfileStringA does, for the builds that have no Windows
// profile reader: the native tests' fake platform and the dry run.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvimer {

// Looks up `key` in `section` of the profile text and copies its value into
// `out` (at most size - 1 characters and a terminator). Gives the number of
// characters copied; 0 when the section or key is missing or the value is
// empty. Section and key names match without regard to case; blanks around
// names and values are trimmed; one pair of matching quotes around a value is
// removed; lines starting with ';' are comments; only the first of duplicate
// sections and keys counts.
std::uint32_t ReadProfileString(const char* text, std::size_t length, const char* section,
                                const char* key, char* out, std::uint32_t size);

}  // namespace tolvimer
