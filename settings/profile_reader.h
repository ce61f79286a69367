// A reader of Windows profile ("ini") text that answers as
// GetPrivateProfileStringA does (as Wine implements it, with the ANSI code
// page Windows-1252), for the builds that have no Windows profile reader:
// the native tests' fake platform and the dry run.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvimer {

// Looks up `key` in `section` of the profile text and copies its value into
// `out` (at most size - 1 characters and a terminator). Gives the number of
// characters copied; 0 when the section or key is missing or the value is
// empty. The rules:
// - Lines end at CR or LF. Blanks (space, tab, vertical tab, form feed and
//   the byte 0x1A) around lines, names and values are trimmed, also around
//   the names asked for.
// - "[name]" opens a section; the name ends at the last ']' of the line. A
//   line that opens with '[' but has no ']' is no header.
// - Section and key names match with the letters A to Z folded, every other
//   byte exactly. Only the first of duplicate sections and of duplicate keys
//   counts; a key line without '=' is a key without a value.
// - Lines starting with ';' are comments; ';' later in a line is text.
// - One pair of matching quotes (" or ') around a value is removed; when the
//   value does not fit, the characters that do fit are kept, less the last
//   one when the closing quote lay just past the end.
// - Text after a UTF-8 byte-order mark is UTF-8 and is converted to
//   Windows-1252 ('?' for characters it lacks); any other text is taken byte
//   for byte.
std::uint32_t ReadProfileString(const char* text, std::size_t length, const char* section,
                                const char* key, char* out, std::uint32_t size);

}  // namespace tolvimer
