#include "platform/profile_reader.h"

namespace tolvimer {
namespace {

struct Span {
  const char* begin;
  const char* end;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

Span Trim(Span s) {
  while (s.begin < s.end && IsBlank(*s.begin)) ++s.begin;
  while (s.end > s.begin && IsBlank(s.end[-1])) --s.end;
  return s;
}

bool EqualsName(Span s, const char* name) {
  const char* p = s.begin;
  for (; p < s.end && *name; ++p, ++name) {
    if (FoldCase(*p) != FoldCase(*name)) return false;
  }
  return p == s.end && *name == '\0';
}

const char* FindChar(Span s, char c) {
  for (const char* p = s.begin; p < s.end; ++p) {
    if (*p == c) return p;
  }
  return nullptr;
}

std::uint32_t CopyValue(Span value, char* out, std::uint32_t size) {
  if (size == 0) return 0;
  value = Trim(value);
  const std::ptrdiff_t length = value.end - value.begin;
  if (length >= 2 && (*value.begin == '"' || *value.begin == '\'') &&
      value.end[-1] == *value.begin) {
    ++value.begin;
    --value.end;
  }
  std::uint32_t n = 0;
  for (const char* p = value.begin; p < value.end && n + 1 < size; ++p) out[n++] = *p;
  out[n] = '\0';
  return n;
}

}  // namespace

std::uint32_t ReadProfileString(const char* text, std::size_t length, const char* section,
                                const char* key, char* out, std::uint32_t size) {
  if (size > 0) out[0] = '\0';
  const char* p = text;
  const char* const end = text + length;
  if (length >= 3 && static_cast<unsigned char>(p[0]) == 0xEF &&
      static_cast<unsigned char>(p[1]) == 0xBB && static_cast<unsigned char>(p[2]) == 0xBF) {
    p += 3;
  }
  enum { kBefore, kInside, kAfter } where = kBefore;
  while (p < end && where != kAfter) {
    Span line{p, p};
    while (line.end < end && *line.end != '\n' && *line.end != '\r') ++line.end;
    p = line.end;
    while (p < end && (*p == '\n' || *p == '\r')) ++p;
    line = Trim(line);
    if (line.begin == line.end || *line.begin == ';') continue;
    if (*line.begin == '[') {
      if (where == kInside) {
        where = kAfter;
        break;
      }
      const char* close = FindChar(line, ']');
      Span name{line.begin + 1, close ? close : line.end};
      if (EqualsName(Trim(name), section)) where = kInside;
      continue;
    }
    if (where != kInside) continue;
    const char* equals = FindChar(line, '=');
    if (!equals) continue;
    if (EqualsName(Trim(Span{line.begin, equals}), key)) {
      return CopyValue(Span{equals + 1, line.end}, out, size);
    }
  }
  return 0;
}

}  // namespace tolvimer
