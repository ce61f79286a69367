// Random settings files and reads for the randomized differential of the
// profile reader against the system's: files full of what trips a profile
// reader (blanks, quotes, ';' and '#' lines, lines without '=', duplicate
// sections and keys, "[]" and keys before any header, the three line ends
// alone and mixed, long values, NUL and high bytes, characters Windows-1252
// lacks and characters past U+FFFF) in ANSI, UTF-8 with a byte-order mark,
// UTF-16LE and UTF-16BE, each with its mark.
#pragma once

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include "settings/profile_reader.h"

namespace tolvimer::profile_cases {

struct RandomRead {
  std::string section;
  std::string key;
};

struct RandomProfile {
  std::string bytes;  // the whole file
  std::vector<RandomRead> reads;
};

class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {  // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::uint32_t Below(std::uint32_t n) { return static_cast<std::uint32_t>(Next() % n); }
  bool Chance(std::uint32_t percent) { return Below(100) < percent; }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

 private:
  std::uint64_t state_;
};

enum class RandomEncoding { kAnsi, kUtf8Mark, kUtf16Le, kUtf16Be };

namespace random_detail {

// Text is built as code points; kRawByte + b stands for the byte b written
// as it is (invalid UTF-8 in a UTF-8 file).
constexpr std::uint32_t kRawByte = 0x110000;

inline void Append(std::u32string& text, const char* ascii) {
  for (; *ascii; ++ascii) text += static_cast<unsigned char>(*ascii);
}

// One character that is not plain ASCII, fit for the encoding.
inline char32_t OddCharacter(Random& r, RandomEncoding encoding) {
  if (encoding == RandomEncoding::kAnsi) {
    static const char32_t kBytes[] = {0x80, 0x81, 0x85, 0x9F, 0xA0, 0xC9, 0xE9, 0xFF, 0x00};
    return r.Chance(80) ? r.Pick(kBytes) : 0x80 + r.Below(0x80);
  }
  static const char32_t kUnicode[] = {0x00E9, 0x00C9, 0x00A0, 0x20AC,  0x0178,  0x0100, 0x010D,
                                      0x0114, 0xFF46, 0xFF21, 0x2002,  0x3000,  0x65E5, 0x672C,
                                      0xFEFF, 0x2028, 0x0085, 0x1F600, 0x10000, 0x0000};
  if (encoding == RandomEncoding::kUtf8Mark && r.Chance(15)) {
    return kRawByte + 0x80 + r.Below(0x80);
  }
  return r.Pick(kUnicode);
}

inline const char* PickBlank(Random& r) {
  static const char* const kBlanks[] = {" ", "  ", "\t", " \t ", "\v", "\f", "\x1A"};
  return r.Pick(kBlanks);
}

inline const char* PickLineEnd(Random& r, const char* usual) {
  static const char* const kEnds[] = {"\n", "\r\n", "\r", "\n\r", "\r\r\n", "\n\n"};
  return r.Chance(75) ? usual : r.Pick(kEnds);
}

// A name from a small pool, so that reads and lines meet, sometimes with an
// odd character, a NUL, or in another case of letters.
inline std::u32string Name(Random& r, RandomEncoding encoding, const char* const* pool,
                           std::size_t poolSize) {
  std::u32string name;
  Append(name, pool[r.Below(static_cast<std::uint32_t>(poolSize))]);
  if (!name.empty() && r.Chance(15)) {
    name.insert(name.begin() + r.Below(static_cast<std::uint32_t>(name.size())),
                OddCharacter(r, encoding));
  }
  if (r.Chance(15)) {
    for (char32_t& c : name) {
      if (c >= 'a' && c <= 'z' && r.Chance(50)) c -= 'a' - 'A';
    }
  }
  return name;
}

constexpr const char* kSections[] = {"General", "S", "Some Game", "TolviEx", "GamePadExit", ""};
constexpr const char* kKeys[] = {"Region", "K", "Drive", "Exe", ";Region", "#K", "Some Key", "Z"};

inline std::u32string Value(Random& r, RandomEncoding encoding) {
  std::u32string value;
  static const char* const kWords[] = {"jap", "usa", "true", "800x600", "a=b", "x ; y", ""};
  const std::uint32_t kind = r.Below(10);
  if (kind < 5) {
    Append(value, r.Pick(kWords));
  } else if (kind < 7) {
    const std::uint32_t length = 240 + r.Below(40);
    for (std::uint32_t i = 0; i < length; ++i) {
      value += r.Chance(5) ? OddCharacter(r, encoding) : U'a' + static_cast<char32_t>(i % 26);
    }
  } else {
    const std::uint32_t length = r.Below(8);
    for (std::uint32_t i = 0; i < length; ++i) {
      value += r.Chance(40) ? OddCharacter(r, encoding) : U'a' + r.Below(26);
    }
  }
  if (r.Chance(25)) {
    static const char32_t kQuotes[] = {'"', '\''};
    const char32_t open = r.Pick(kQuotes);
    value.insert(value.begin(), open);
    if (r.Chance(80)) value += r.Chance(85) ? open : r.Pick(kQuotes);
  }
  if (r.Chance(5)) value += U'\0';
  return value;
}

inline void AppendEncoded(std::string& out, char32_t c, RandomEncoding encoding) {
  auto unit = [&](std::uint32_t u) {
    const char low = static_cast<char>(u & 0xFF), high = static_cast<char>(u >> 8);
    if (encoding == RandomEncoding::kUtf16Le) {
      out += low;
      out += high;
    } else {
      out += high;
      out += low;
    }
  };
  if (c >= kRawByte) {
    out += static_cast<char>(c - kRawByte);
  } else if (encoding == RandomEncoding::kAnsi) {
    out += static_cast<char>(c);
  } else if (encoding == RandomEncoding::kUtf8Mark) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  } else if (c >= 0x10000) {
    unit(0xD800 + ((c - 0x10000) >> 10));
    unit(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    unit(c);
  }
}

// A name as the launcher passes it: Windows-1252 bytes, characters the code
// page lacks as '?'. In an ANSI file the characters are the bytes.
inline std::string AsAnsi(const std::u32string& name, RandomEncoding encoding) {
  std::string out;
  for (const char32_t c : name) {
    if (c >= kRawByte) {
      out += static_cast<char>(c - kRawByte);
    } else if (encoding == RandomEncoding::kAnsi || c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      out += static_cast<char>(c);
    } else {
      char byte = '?';
      // Exact characters of 0x80-0x9F only: no look-alikes in names.
      for (int high = 0x80; high < 0xA0; ++high) {
        if (tolvimer::Cp1252ToUnicode(static_cast<unsigned char>(high)) == c) {
          byte = static_cast<char>(high);
        }
      }
      out += byte;
    }
  }
  return out;
}

}  // namespace random_detail

// File number `index` of the run with `seed`: the same pair always gives the
// same file and reads.
inline RandomProfile MakeRandomProfile(std::uint64_t seed, std::uint64_t index) {
  using namespace random_detail;
  Random r(seed * 0x100000001B3ull ^ (index + 1) * 0x9E3779B97F4A7C15ull);
  static const RandomEncoding kEncodings[] = {RandomEncoding::kAnsi,     RandomEncoding::kAnsi,
                                              RandomEncoding::kAnsi,     RandomEncoding::kAnsi,
                                              RandomEncoding::kAnsi,     RandomEncoding::kUtf8Mark,
                                              RandomEncoding::kUtf8Mark, RandomEncoding::kUtf16Le,
                                              RandomEncoding::kUtf16Le,  RandomEncoding::kUtf16Be};
  const RandomEncoding encoding = r.Pick(kEncodings);
  const char* const lineEnd = r.Chance(50) ? "\n" : r.Chance(50) ? "\r\n" : "\r";

  std::u32string text;
  std::vector<std::u32string> sections(1);  // "" for the keys before any header
  std::vector<std::u32string> keys;
  const std::uint32_t lines = 1 + r.Below(r.Chance(20) ? 60 : 14);
  for (std::uint32_t i = 0; i < lines; ++i) {
    if (r.Chance(20)) Append(text, PickBlank(r));
    const std::uint32_t kind = r.Below(20);
    if (kind < 5) {  // a header, now and then broken
      const std::u32string name = Name(r, encoding, kSections, std::size(kSections));
      sections.push_back(name);
      text += U'[';
      if (r.Chance(15)) Append(text, PickBlank(r));
      text += name;
      if (r.Chance(15)) Append(text, PickBlank(r));
      if (!r.Chance(8)) text += U']';
      if (r.Chance(8)) Append(text, r.Chance(50) ? "]x" : " junk");
    } else if (kind < 15) {  // key=value
      const std::u32string name = Name(r, encoding, kKeys, std::size(kKeys));
      keys.push_back(name);
      text += name;
      if (r.Chance(30)) Append(text, PickBlank(r));
      text += U'=';
      if (r.Chance(30)) Append(text, PickBlank(r));
      text += Value(r, encoding);
      if (r.Chance(20)) Append(text, PickBlank(r));
    } else if (kind < 17) {  // a key without '='
      const std::u32string name = Name(r, encoding, kKeys, std::size(kKeys));
      keys.push_back(name);
      text += name;
    } else if (kind < 19) {  // a comment or a blank line
      if (r.Chance(70)) Append(text, r.Chance(50) ? ";Region=usa" : "; a comment");
    } else {  // stray characters
      for (std::uint32_t n = r.Below(5); n > 0; --n) text += OddCharacter(r, encoding);
    }
    if (i + 1 < lines || r.Chance(70)) Append(text, PickLineEnd(r, lineEnd));
  }

  RandomProfile profile;
  static const char kMarks[4][4] = {"", "\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"};
  profile.bytes = kMarks[static_cast<int>(encoding)];
  for (const char32_t c : text) AppendEncoded(profile.bytes, c, encoding);

  // Reads of the sections and keys the file names, as written or with other
  // letter cases and blanks, and of a few names it does not have.
  const std::uint32_t reads = 8 + r.Below(16);
  for (std::uint32_t i = 0; i < reads; ++i) {
    std::u32string section = r.Chance(85)
                                 ? sections[r.Below(static_cast<std::uint32_t>(sections.size()))]
                                 : Name(r, encoding, kSections, std::size(kSections));
    std::u32string key = !keys.empty() && r.Chance(85)
                             ? keys[r.Below(static_cast<std::uint32_t>(keys.size()))]
                             : Name(r, encoding, kKeys, std::size(kKeys));
    RandomRead read{AsAnsi(section, encoding), AsAnsi(key, encoding)};
    // The reads pass C strings: a name ends at its first NUL.
    read.section = read.section.c_str();
    read.key = read.key.c_str();
    if (r.Chance(15)) read.section = " " + read.section + "\t";
    if (r.Chance(10)) read.key = read.key + " ";
    if (read.key.find_first_not_of(" \t\v\f\x1A") == std::string::npos) read.key = "K";
    profile.reads.push_back(read);
  }
  return profile;
}

}  // namespace tolvimer::profile_cases
