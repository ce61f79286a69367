// A reader of Windows profile ("ini") text that answers as
// GetPrivateProfileStringA does with the ANSI code page Windows-1252, for the
// builds that have no Windows profile reader: the native tests' fake
// platform and the dry run on Linux. Where Windows' own answer is known it
// is followed; elsewhere the reader answers as Wine's does.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvimer {

// How the profile text is encoded, as Windows tells it from its first bytes.
enum class ProfileEncoding {
  kAnsi,     // Windows-1252 bytes; also a file that starts with a UTF-8 or
             // UTF-16BE byte-order mark, which Windows does not recognise
  kUtf16Le,  // starts with FF FE: read as UTF-16 little-endian
};

// The blanks the reader trims around section names, keys and values (the
// control character 0x1A among them), in either encoding.
inline bool IsProfileBlank(std::uint16_t c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A;
}

ProfileEncoding DetectProfileEncoding(const char* text, std::size_t length);

// The marks Windows reads as ordinary bytes (and Wine 8 decodes) at the start
// of the text, for the warnings; kNone for anything else.
enum class IgnoredMark { kNone, kUtf8, kUtf16Be };
IgnoredMark FindIgnoredMark(const char* text, std::size_t length);

// Looks up `key` in `section` of the profile text and copies its value into
// `out` (at most size - 1 characters and a terminator). Gives the number of
// characters copied; 0 when the section or key is missing or the value is
// empty. The rules:
// - Text that starts with FF FE is UTF-16LE (an odd last byte is ignored);
//   its characters are compared as such and the value is converted to
//   Windows-1252 with the system's look-alike ("best fit") characters and '?'
//   for the rest. A character past U+FFFF counts as two characters. Any other
//   text is Windows-1252 bytes, byte-order marks of UTF-8 or UTF-16BE included.
// - Lines end at CR or LF. Blanks (space, tab, vertical tab, form feed and
//   the byte 0x1A) around lines, names and values are trimmed, also around
//   the names asked for.
// - "[name]" opens a section; the name ends at the last ']' of the line. A
//   line that opens with '[' but has no ']' is no header. Lines before the
//   first header form the section "" (a later "[]" is a second one).
// - Section and key names match with the letters A to Z folded, every other
//   character exactly. Only the first of duplicate sections and of duplicate
//   keys counts; a key line without '=' is a key without a value. A line
//   starting with ';' is a key line like any other (its name starts with ';').
// - Names and values end at a NUL character (after the blanks are trimmed).
// - One pair of matching quotes (" or ') around a value is removed; when the
//   value does not fit, the characters that do fit are kept, less the last
//   one when the closing quote lay just past the end.
std::uint32_t ReadProfileString(const char* text, std::size_t length, const char* section,
                                const char* key, char* out, std::uint32_t size);

// Converts one UTF-16 code unit to Windows-1252 as the system does: the code
// page's own characters, look-alikes for some others, '?' for the rest.
char UnicodeToCp1252(std::uint16_t unit);

// The Unicode character a Windows-1252 byte stands for.
std::uint16_t Cp1252ToUnicode(unsigned char byte);

}  // namespace tolvimer
