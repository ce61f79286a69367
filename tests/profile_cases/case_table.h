// The table of tricky settings files and the value each read must give,
// shared by the native reader test and the probe run under Wine.
//
// cases.txt holds one read per line, fields separated by tabs:
//   file  section  key  expected value  [Wine's value]
// The file is one of files/; the expected value is what a read of size 255
// gives on Windows (empty for "not present"). A fifth field, present only
// where Wine is known to answer otherwise than Windows, holds Wine's answer.
// In the section, key and value fields \t, \\ and \xHH stand for a tab, a
// backslash and any byte; {N*c} stands for N copies of the character c.
// Lines starting with '#' and blank lines are skipped.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tolvimer::profile_cases {

struct Case {
  int line = 0;
  std::string file;
  std::string section;
  std::string key;
  std::string expected;  // Windows' answer
  bool wineDiffers = false;
  std::string wine;  // Wine's answer, when it differs

  const std::string& ExpectedUnderWine() const { return wineDiffers ? wine : expected; }
};

inline int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Turns the escapes of a field into the bytes they stand for.
inline std::string Unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const char c = field[i];
    if (c == '\\' && i + 1 < field.size()) {
      const char next = field[i + 1];
      if (next == 't') {
        out += '\t';
        ++i;
        continue;
      }
      if (next == '\\') {
        out += '\\';
        ++i;
        continue;
      }
      if (next == 'x' && i + 3 < field.size() && HexDigit(field[i + 2]) >= 0 &&
          HexDigit(field[i + 3]) >= 0) {
        out += static_cast<char>(HexDigit(field[i + 2]) * 16 + HexDigit(field[i + 3]));
        i += 3;
        continue;
      }
    }
    if (c == '{') {
      const std::size_t star = field.find('*', i);
      const std::size_t close = field.find('}', i);
      if (star != std::string::npos && close == star + 2) {
        out.append(std::strtoul(field.substr(i + 1, star - i - 1).c_str(), nullptr, 10),
                   field[star + 1]);
        i = close;
        continue;
      }
    }
    out += c;
  }
  return out;
}

// The bytes shown readably: printable ASCII as it is, everything else as \xHH.
inline std::string Escape(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b == '\\') {
      out += "\\\\";
    } else if (b >= 0x20 && b < 0x7F) {
      out += c;
    } else {
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

// Reads the table; an empty vector when the file cannot be read.
inline std::vector<Case> LoadCases(const std::string& tablePath) {
  std::vector<Case> cases;
  std::ifstream in(tablePath, std::ios::binary);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
      const std::size_t tab = line.find('\t', start);
      fields.push_back(line.substr(start, tab - start));
      if (tab == std::string::npos) break;
      start = tab + 1;
    }
    if (fields.size() == 3) fields.emplace_back();
    // A line that is not four or five fields stays in the table with no
    // file, so that a mistyped line fails the check instead of vanishing.
    if (fields.size() != 4 && fields.size() != 5) fields.assign(4, std::string());
    Case c;
    c.line = number;
    c.file = fields[0];
    c.section = Unescape(fields[1]);
    c.key = Unescape(fields[2]);
    c.expected = Unescape(fields[3]);
    if (fields.size() == 5) {
      c.wineDiffers = true;
      c.wine = Unescape(fields[4]);
    }
    cases.push_back(c);
  }
  return cases;
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace tolvimer::profile_cases
