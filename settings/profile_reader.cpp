#include "settings/profile_reader.h"

namespace tolvimer {
namespace {

// Windows-1252 bytes 0x80 to 0x9F by the Unicode character each stands for
// (the five bytes the code page leaves undefined stand for themselves).
constexpr std::uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

struct BestFit {
  std::uint16_t unit;
  std::uint8_t byte;
};

constexpr BestFit kBestFit[] = {
#include "settings/cp1252_best_fit.inc"
};

// The text as a run of code units. Windows-1252 bytes are their own units:
// every character the reader looks for is ASCII, and the code page maps its
// bytes one to one, so bytes compare and copy as the characters they stand
// for.
class AnsiText {
 public:
  AnsiText(const unsigned char* bytes, std::size_t length) : data_(bytes), count_(length) {}
  std::size_t size() const { return count_; }
  std::uint16_t operator[](std::size_t i) const { return data_[i]; }
  static std::uint16_t FromAnsi(unsigned char byte) { return byte; }
  static char ToAnsi(std::uint16_t unit) { return static_cast<char>(unit); }

 private:
  const unsigned char* data_;
  std::size_t count_;
};

// UTF-16LE text after its mark: names asked for are converted to Unicode to
// be compared, values are converted to Windows-1252.
class Utf16LeText {
 public:
  Utf16LeText(const unsigned char* bytes, std::size_t length)
      : data_(bytes + 2), count_((length - 2) / 2) {}
  std::size_t size() const { return count_; }
  std::uint16_t operator[](std::size_t i) const {
    return static_cast<std::uint16_t>(data_[2 * i] | (data_[2 * i + 1] << 8));
  }
  static std::uint16_t FromAnsi(unsigned char byte) { return Cp1252ToUnicode(byte); }
  static char ToAnsi(std::uint16_t unit) { return UnicodeToCp1252(unit); }

 private:
  const unsigned char* data_;
  std::size_t count_;
};

// A half-open range of code units.
struct Span {
  std::size_t begin;
  std::size_t end;
};

std::uint16_t FoldCase(std::uint16_t c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

template <typename Text>
Span Trim(const Text& text, Span s) {
  while (s.begin < s.end && IsProfileBlank(text[s.begin])) ++s.begin;
  while (s.end > s.begin && IsProfileBlank(text[s.end - 1])) --s.end;
  return s;
}

// A name or value ends at its first NUL.
template <typename Text>
Span CutAtNul(const Text& text, Span s) {
  for (std::size_t i = s.begin; i < s.end; ++i) {
    if (text[i] == 0) return Span{s.begin, i};
  }
  return s;
}

// The name asked for, blanks trimmed, as a range of its bytes.
struct Wanted {
  const char* begin;
  const char* end;
};

Wanted TrimWanted(const char* name) {
  Wanted w{name, name};
  while (*w.end) ++w.end;
  while (w.begin < w.end && IsProfileBlank(static_cast<unsigned char>(*w.begin))) ++w.begin;
  while (w.end > w.begin && IsProfileBlank(static_cast<unsigned char>(w.end[-1]))) --w.end;
  return w;
}

template <typename Text>
bool EqualsName(const Text& text, Span stored, Wanted wanted) {
  if (stored.end - stored.begin != static_cast<std::size_t>(wanted.end - wanted.begin)) {
    return false;
  }
  for (std::size_t i = stored.begin; i < stored.end; ++i, ++wanted.begin) {
    const std::uint16_t asked = Text::FromAnsi(static_cast<unsigned char>(*wanted.begin));
    if (FoldCase(text[i]) != FoldCase(asked)) return false;
  }
  return true;
}

template <typename Text>
std::size_t FindFirst(const Text& text, Span s, std::uint16_t c) {
  for (std::size_t i = s.begin; i < s.end; ++i) {
    if (text[i] == c) return i;
  }
  return s.end;
}

template <typename Text>
std::size_t FindLast(const Text& text, Span s, std::uint16_t c) {
  for (std::size_t i = s.end; i > s.begin; --i) {
    if (text[i - 1] == c) return i - 1;
  }
  return s.end;
}

template <typename Text>
std::uint32_t CopyValue(const Text& text, Span value, char* out, std::uint32_t size) {
  value = CutAtNul(text, value);
  const std::size_t length = value.end - value.begin;
  const std::uint16_t first = length >= 2 ? text[value.begin] : 0;
  const bool quoted = (first == '"' || first == '\'') && text[value.end - 1] == first;
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
  std::uint32_t n = 0;
  for (; n < copy; ++n) out[n] = Text::ToAnsi(text[value.begin + n]);
  out[n] = '\0';
  return n;
}

template <typename Text>
std::uint32_t Lookup(const Text& units, Wanted wantedSection, Wanted wantedKey, char* out,
                     std::uint32_t size) {
  // The lines before the first header are the section "".
  bool inside = wantedSection.begin == wantedSection.end;
  std::size_t p = 0;
  while (p < units.size()) {
    Span line{p, p};
    while (line.end < units.size() && units[line.end] != '\n' && units[line.end] != '\r') {
      ++line.end;
    }
    p = line.end;
    while (p < units.size() && (units[p] == '\n' || units[p] == '\r')) ++p;
    line = Trim(units, line);
    if (line.begin == line.end) continue;
    const std::size_t close = units[line.begin] == '[' ? FindLast(units, line, ']') : line.end;
    if (close != line.end) {
      // Only the first section of the name counts: the next header ends it.
      if (inside) return 0;
      const Span name = CutAtNul(units, Trim(units, Span{line.begin + 1, close}));
      inside = EqualsName(units, name, wantedSection);
      continue;
    }
    if (!inside) continue;
    const std::size_t equals = FindFirst(units, line, '=');
    const Span name = CutAtNul(units, Trim(units, Span{line.begin, equals}));
    if (!EqualsName(units, name, wantedKey)) continue;
    // The first line of the key decides, with or without a value.
    if (equals == line.end) return 0;
    return CopyValue(units, Trim(units, Span{equals + 1, line.end}), out, size);
  }
  return 0;
}

}  // namespace

ProfileEncoding DetectProfileEncoding(const char* text, std::size_t length) {
  const bool utf16 = length >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
                     static_cast<unsigned char>(text[1]) == 0xFE;
  return utf16 ? ProfileEncoding::kUtf16Le : ProfileEncoding::kAnsi;
}

IgnoredMark FindIgnoredMark(const char* text, std::size_t length) {
  const auto* b = reinterpret_cast<const unsigned char*>(text);
  if (length >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) return IgnoredMark::kUtf8;
  if (length >= 2 && b[0] == 0xFE && b[1] == 0xFF) return IgnoredMark::kUtf16Be;
  return IgnoredMark::kNone;
}

std::uint16_t Cp1252ToUnicode(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte;
}

char UnicodeToCp1252(std::uint16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return static_cast<char>(unit);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == unit) return static_cast<char>(0x80 + i);
  }
  std::size_t low = 0;
  std::size_t high = sizeof kBestFit / sizeof kBestFit[0];
  while (low < high) {
    const std::size_t middle = (low + high) / 2;
    if (kBestFit[middle].unit == unit) return static_cast<char>(kBestFit[middle].byte);
    if (kBestFit[middle].unit < unit) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return '?';
}

std::uint32_t ReadProfileString(const char* text, std::size_t length, const char* section,
                                const char* key, char* out, std::uint32_t size) {
  if (size == 0) return 0;
  out[0] = '\0';
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  const Wanted wantedSection = TrimWanted(section);
  const Wanted wantedKey = TrimWanted(key);
  if (DetectProfileEncoding(text, length) == ProfileEncoding::kUtf16Le) {
    return Lookup(Utf16LeText(bytes, length), wantedSection, wantedKey, out, size);
  }
  return Lookup(AnsiText(bytes, length), wantedSection, wantedKey, out, size);
}

}  // namespace tolvimer
