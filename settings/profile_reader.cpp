#include "settings/profile_reader.h"

namespace tolvimer {
namespace {

struct Span {
  const char* begin;
  const char* end;
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A;
}

char FoldCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

Span Trim(Span s) {
  while (s.begin < s.end && IsBlank(*s.begin)) ++s.begin;
  while (s.end > s.begin && IsBlank(s.end[-1])) --s.end;
  return s;
}

Span TrimName(const char* name) {
  Span s{name, name};
  while (*s.end) ++s.end;
  return Trim(s);
}

const char* FindFirst(Span s, char c) {
  for (const char* p = s.begin; p < s.end; ++p) {
    if (*p == c) return p;
  }
  return nullptr;
}

const char* FindLast(Span s, char c) {
  for (const char* p = s.end; p > s.begin; --p) {
    if (p[-1] == c) return p - 1;
  }
  return nullptr;
}

// Windows-1252 bytes 0x80 to 0x9F by the Unicode character each stands for.
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char ToCp1252(std::uint32_t code) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == code) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// Walks a span character by character, giving each as its Windows-1252 byte:
// the bytes themselves for ANSI text, decoded UTF-8 otherwise.
class Chars {
 public:
  Chars(Span s, bool utf8) : p_(s.begin), end_(s.end), utf8_(utf8) {}
  bool Done() const { return p_ >= end_; }
  char Next() {
    const unsigned char lead = static_cast<unsigned char>(*p_++);
    if (!utf8_ || lead < 0x80) return static_cast<char>(lead);
    int more = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
    if (lead >= 0xF8) more = -1;
    if (more < 0) return '?';
    std::uint32_t code = lead & (0x3F >> more);
    for (; more > 0; --more) {
      if (p_ >= end_ || (static_cast<unsigned char>(*p_) & 0xC0) != 0x80) return '?';
      code = (code << 6) | (static_cast<unsigned char>(*p_++) & 0x3F);
    }
    return ToCp1252(code);
  }
  std::size_t Count() const {
    Chars copy = *this;
    std::size_t n = 0;
    for (; !copy.Done(); copy.Next()) ++n;
    return n;
  }

 private:
  const char* p_;
  const char* end_;
  bool utf8_;
};

bool EqualsName(Span stored, bool utf8, Span wanted) {
  Chars chars(stored, utf8);
  const char* w = wanted.begin;
  for (; !chars.Done() && w < wanted.end; ++w) {
    if (FoldCase(chars.Next()) != FoldCase(*w)) return false;
  }
  return chars.Done() && w == wanted.end;
}

std::uint32_t CopyValue(Span value, bool utf8, char* out, std::uint32_t size) {
  const std::size_t length = Chars(value, utf8).Count();
  const char first = length >= 2 ? *value.begin : '\0';
  const bool quoted = (first == '"' || first == '\'') && value.end[-1] == first;
  std::size_t copy = 0;
  if (quoted) {
    // What follows the opening quote, closing quote included, is copied as
    // far as it fits; when it all fit, the last character copied is dropped
    // as the closing quote, even if the closing quote itself did not fit.
    ++value.begin;
    const std::size_t rest = length - 1;
    copy = rest < size - 1 ? rest : size - 1;
    if (size >= rest && copy > 0) --copy;
  } else {
    copy = length < size - 1 ? length : size - 1;
  }
  Chars chars(value, utf8);
  std::uint32_t n = 0;
  for (; n < copy; ++n) out[n] = chars.Next();
  out[n] = '\0';
  return n;
}

}  // namespace

std::uint32_t ReadProfileString(const char* text, std::size_t length, const char* section,
                                const char* key, char* out, std::uint32_t size) {
  if (size == 0) return 0;
  out[0] = '\0';
  const char* p = text;
  const char* const end = text + length;
  const bool utf8 = length >= 3 && static_cast<unsigned char>(p[0]) == 0xEF &&
                    static_cast<unsigned char>(p[1]) == 0xBB &&
                    static_cast<unsigned char>(p[2]) == 0xBF;
  if (utf8) p += 3;
  const Span wantedSection = TrimName(section);
  const Span wantedKey = TrimName(key);
  bool inside = false;
  while (p < end) {
    Span line{p, p};
    while (line.end < end && *line.end != '\n' && *line.end != '\r') ++line.end;
    p = line.end;
    while (p < end && (*p == '\n' || *p == '\r')) ++p;
    line = Trim(line);
    if (line.begin == line.end || *line.begin == ';') continue;
    const char* close = *line.begin == '[' ? FindLast(line, ']') : nullptr;
    if (close != nullptr) {
      // Only the first section of the name counts: the next header ends it.
      if (inside) return 0;
      inside = EqualsName(Trim(Span{line.begin + 1, close}), utf8, wantedSection);
      continue;
    }
    if (!inside) continue;
    const char* equals = FindFirst(line, '=');
    const Span name = Trim(Span{line.begin, equals ? equals : line.end});
    if (!EqualsName(name, utf8, wantedKey)) continue;
    // The first line of the key decides, with or without a value.
    return equals ? CopyValue(Trim(Span{equals + 1, line.end}), utf8, out, size) : 0;
  }
  return 0;
}

}  // namespace tolvimer
