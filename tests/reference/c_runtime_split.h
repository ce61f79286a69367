// A reference reading of a command line as a Windows program's C runtime
// splits it into argv (msvcrt's start-up code; CommandLineToArgvW reads the
// same after the text is made wide), written from the documented rules, for
// tests to check what a program receives.
//
// argv[0] runs to the next blank outside double quotes, quotes taken out and
// no escapes. After it, blanks and tabs outside quotes end an argument; 2n
// backslashes before a double quote give n and the quote opens or closes; 2n+1
// give n and a literal quote; backslashes before anything else are plain.
// "" inside quotes gives one literal quote: start-up code of 2008 and later
// stays inside the quotes, older code leaves them (`modern` chooses).
// A byte that `isLead` names opens a double-byte character whose second byte
// is never read as a backslash or quote, as the multibyte start-up code and
// the conversion to UTF-16 both read it.
#pragma once

#include <string>
#include <vector>

namespace tolvimer::reference {

using LeadByteTest = bool (*)(unsigned char);
inline bool NoLeadBytes(unsigned char) { return false; }
// Code page 932: lead bytes 0x81-0x9F and 0xE0-0xFC.
inline bool Cp932Lead(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

inline std::vector<std::string> SplitCommandLine(const std::string& line, bool modern,
                                                 LeadByteTest isLead = NoLeadBytes) {
  std::vector<std::string> argv;
  std::size_t i = 0;
  const std::size_t n = line.size();
  // argv[0]
  std::string program;
  bool quoted = false;
  for (; i < n; ++i) {
    const char c = line[i];
    if (c == '"') {
      quoted = !quoted;
      continue;
    }
    if (!quoted && (c == ' ' || c == '\t')) break;
    program += c;
  }
  argv.push_back(program);
  for (;;) {
    while (i < n && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i >= n) break;
    std::string arg;
    bool inQuotes = false;
    while (i < n) {
      const unsigned char c = static_cast<unsigned char>(line[i]);
      if (isLead(c) && i + 1 < n) {
        arg += line[i];
        arg += line[i + 1];
        i += 2;
        continue;
      }
      if (c == '\\') {
        std::size_t count = 0;
        while (i < n && line[i] == '\\') {
          ++count;
          ++i;
        }
        if (i < n && line[i] == '"') {
          arg.append(count / 2, '\\');
          if (count % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(count, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (inQuotes && i + 1 < n && line[i + 1] == '"') {
          arg += '"';
          i += 2;
          inQuotes = modern;
          continue;
        }
        inQuotes = !inQuotes;
        ++i;
        continue;
      }
      if (!inQuotes && (c == ' ' || c == '\t')) break;
      arg += static_cast<char>(c);
      ++i;
    }
    argv.push_back(arg);
  }
  return argv;
}

}  // namespace tolvimer::reference
