#include "tools/plan/profile_listing.h"

#include "settings/profile_reader.h"

namespace tolvimer::plan {
namespace {

bool IsBlank(char c) { return IsProfileBlank(static_cast<unsigned char>(c)); }

std::string Trim(const std::string& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// The file's text in Windows-1252: a UTF-16LE file converted as Windows
// converts it, with `lacking` telling for each character whether Windows-1252
// lacks it; any other file as it is.
std::string AsWindows1252(const std::string& file, std::vector<bool>& lacking) {
  if (DetectProfileEncoding(file.data(), file.size()) != ProfileEncoding::kUtf16Le) return file;
  std::string out;
  for (std::size_t i = 2; i + 1 < file.size(); i += 2) {
    const auto unit = static_cast<std::uint16_t>(static_cast<unsigned char>(file[i]) |
                                                 static_cast<unsigned char>(file[i + 1]) << 8);
    const char byte = UnicodeToCp1252(unit);
    out += byte;
    lacking.push_back(Cp1252ToUnicode(static_cast<unsigned char>(byte)) != unit);
  }
  return out;
}

}  // namespace

std::vector<ListedSection> ListProfile(const std::string& file) {
  // Any byte-order mark but UTF-16LE's is part of line 1, as Windows reads it.
  std::vector<bool> lacking;
  const std::string text = AsWindows1252(file, lacking);
  // Whether text[from, to) holds a character Windows-1252 lacks.
  auto lacks = [&lacking](std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to && i < lacking.size(); ++i) {
      if (lacking[i]) return true;
    }
    return false;
  };
  std::vector<ListedSection> sections(1);
  std::size_t p = 0;
  int lineNumber = 0;
  while (p < text.size()) {
    // Line numbers count LF, CRLF and CR alike as one line end.
    const std::size_t start = p;
    std::size_t end = p;
    while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
    const std::string raw = text.substr(start, end - start);
    const std::string line = Trim(raw);
    ++lineNumber;
    p = end;
    if (p < text.size() && text[p] == '\r') ++p;
    if (p < text.size() && text[p] == '\n') ++p;
    if (line.empty() || line[0] == ';') continue;
    const std::size_t close = line[0] == '[' ? line.rfind(']') : std::string::npos;
    if (close != std::string::npos && close > 0) {
      const bool unreadable = lacks(start + raw.find('[') + 1, start + raw.rfind(']'));
      sections.push_back({Trim(line.substr(1, close - 1)), lineNumber, {}, unreadable});
      continue;
    }
    const std::size_t equals = line.find('=');
    const std::size_t nameEnd = raw.find('=');
    sections.back().keys.push_back(
        {Trim(line.substr(0, equals)), equals != std::string::npos, lineNumber,
         lacks(start, nameEnd == std::string::npos ? end : start + nameEnd),
         equals != std::string::npos ? Trim(line.substr(equals + 1)) : std::string()});
  }
  return sections;
}

}  // namespace tolvimer::plan
