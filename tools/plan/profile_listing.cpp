#include "tools/plan/profile_listing.h"

#include "platform/profile_reader.h"

namespace tolvimer::plan {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == 0x1A;
}

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

std::string AsWindows1252(const std::string& text) {
  if (DetectProfileEncoding(text.data(), text.size()) != ProfileEncoding::kUtf16Le) return text;
  std::string out;
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    out += UnicodeToCp1252(static_cast<std::uint16_t>(
        static_cast<unsigned char>(text[i]) | static_cast<unsigned char>(text[i + 1]) << 8));
  }
  return out;
}

std::vector<ListedSection> ListProfile(const std::string& file) {
  // Any byte-order mark but UTF-16LE's is part of line 1, as Windows reads it.
  const std::string text = AsWindows1252(file);
  std::vector<ListedSection> sections(1);
  std::size_t p = 0;
  int lineNumber = 0;
  while (p < text.size()) {
    // Line numbers count LF, CRLF and CR alike as one line end.
    std::size_t end = p;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    const std::string line = Trim(text.substr(p, end - p));
    ++lineNumber;
    p = end;
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
    if (line.empty() || line[0] == ';') continue;
    const std::size_t close = line[0] == '[' ? line.rfind(']') : std::string::npos;
    if (close != std::string::npos && close > 0) {
      sections.push_back({Trim(line.substr(1, close - 1)), lineNumber, {}});
      continue;
    }
    const std::size_t equals = line.find('=');
    sections.back().keys.push_back(
        {Trim(line.substr(0, equals)), equals != std::string::npos, lineNumber});
  }
  return sections;
}

}  // namespace tolvimer::plan
