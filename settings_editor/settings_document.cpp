#include "settings_editor/settings_document.h"

#include "settings/profile_reader.h"
#include "settings/settings.h"

namespace tolvimer::editor {
namespace {

bool IsBlank(char c) { return IsProfileBlank(static_cast<unsigned char>(c)); }

// A name a line can be read back by: the reader trims blanks around names and
// ends a line at CR or LF and a name at NUL.
bool IsWritableName(const std::string& name) {
  if (name.empty() || IsBlank(name.front()) || IsBlank(name.back())) return false;
  for (const char c : name) {
    if (c == '\0' || c == '\r' || c == '\n') return false;
  }
  return true;
}

// The text after '=' that reads back as `value`: the reader trims blanks
// around a value and takes one pair of matching quotes off it, so a value
// with either gets a pair of double quotes of its own.
std::string Written(const std::string& value) {
  if (value.empty()) return value;
  const char first = value.front();
  const bool quoted = value.size() >= 2 && (first == '"' || first == '\'') && value.back() == first;
  if (quoted || IsBlank(first) || IsBlank(value.back())) return '"' + value + '"';
  return value;
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && IsWordOfLength(a.data(), a.size(), b.c_str());
}

SettingsDocument::SettingsDocument(const std::string& bytes) {
  encoding_ = DetectProfileEncoding(bytes.data(), bytes.size());
  std::u16string units;
  if (encoding_ == ProfileEncoding::kUtf16Le) {
    mark_ = bytes.substr(0, 2);
    std::size_t i = 2;
    for (; i + 1 < bytes.size(); i += 2) {
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    }
    tail_ = bytes.substr(i);
  } else {
    for (const char c : bytes) units += static_cast<char16_t>(static_cast<unsigned char>(c));
  }
  // Line ends as the settings listing counts them: CR LF, CR or LF.
  bool firstEnd = true;
  std::size_t p = 0;
  while (p < units.size()) {
    std::size_t end = p;
    while (end < units.size() && units[end] != u'\n' && units[end] != u'\r') ++end;
    Line line{units.substr(p, end - p), u""};
    p = end;
    if (p < units.size() && units[p] == u'\r') line.end += units[p++];
    if (p < units.size() && units[p] == u'\n') line.end += units[p++];
    if (firstEnd && !line.end.empty()) {
      newLine_ = line.end;
      firstEnd = false;
    }
    lines_.push_back(line);
  }
}

std::string SettingsDocument::Bytes() const {
  std::string bytes = mark_;
  const auto put = [&](char16_t unit) {
    if (encoding_ == ProfileEncoding::kUtf16Le) {
      bytes += static_cast<char>(unit & 0xFF);
      bytes += static_cast<char>(unit >> 8);
    } else {
      bytes += static_cast<char>(unit);
    }
  };
  for (const Line& line : lines_) {
    for (const char16_t unit : line.text) put(unit);
    for (const char16_t unit : line.end) put(unit);
  }
  return bytes + tail_;
}

std::vector<plan::ListedSection> SettingsDocument::Sections() const {
  return plan::ListProfile(Bytes());
}

bool SettingsDocument::Read(const std::string& section, const std::string& key,
                            std::string& value) const {
  const std::string bytes = Bytes();
  char out[kSettingReadSize];
  const std::uint32_t n =
      ReadProfileString(bytes.data(), bytes.size(), section.c_str(), key.c_str(), out, sizeof out);
  value.assign(out, n);
  return n != 0;
}

bool SettingsDocument::HasSection(const std::string& section) const {
  return HeaderLine(section) >= 0;
}

int SettingsDocument::HeaderLine(const std::string& section) const {
  const std::vector<plan::ListedSection> sections = Sections();
  for (std::size_t i = 1; i < sections.size(); ++i) {
    if (!sections[i].unreadable && SameName(sections[i].name, section)) {
      return sections[i].line - 1;
    }
  }
  return -1;
}

std::vector<int> SettingsDocument::KeyLines(const std::string& section,
                                            const std::string& key) const {
  std::vector<int> found;
  const std::vector<plan::ListedSection> sections = Sections();
  for (std::size_t i = 0; i < sections.size(); ++i) {
    // The keys before any header are the section "".
    const bool match =
        i == 0 ? section.empty() : !sections[i].unreadable && SameName(sections[i].name, section);
    if (!match) continue;
    for (const plan::ListedKey& listed : sections[i].keys) {
      if (!listed.unreadable && SameName(listed.name, key)) found.push_back(listed.line - 1);
    }
    break;
  }
  return found;
}

std::u16string SettingsDocument::Units(const std::string& windows1252) const {
  std::u16string units;
  for (const char c : windows1252) {
    const auto byte = static_cast<unsigned char>(c);
    units += encoding_ == ProfileEncoding::kUtf16Le ? static_cast<char16_t>(Cp1252ToUnicode(byte))
                                                    : static_cast<char16_t>(byte);
  }
  return units;
}

void SettingsDocument::InsertLine(std::size_t at, const std::u16string& text) {
  Line line{text, newLine_};
  // At the end of a file without a final line end the new line goes without
  // one too; the line before it gets the file's line end.
  if (at == lines_.size() && !lines_.empty() && lines_.back().end.empty()) {
    lines_.back().end = newLine_;
    line.end.clear();
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), line);
  modified_ = true;
}

bool SettingsDocument::SetValue(const std::string& section, const std::string& key,
                                const std::string& value) {
  if (!IsWritableName(key) || key.front() == '[' || key.front() == ';' ||
      key.find('=') != std::string::npos) {
    return false;
  }
  for (const char c : value) {
    if (c == '\0' || c == '\r' || c == '\n') return false;
  }
  if (value.size() >= kSettingReadSize) return false;
  if (!section.empty() && !HasSection(section) && !AddSection(section)) return false;
  const std::vector<Line> before = lines_;
  const bool wasModified = modified_;
  const std::u16string written = Units(Written(value));
  const std::vector<int> keyLines = KeyLines(section, key);
  if (!keyLines.empty()) {
    Line& line = lines_[static_cast<std::size_t>(keyLines.front())];
    const std::size_t equals = line.text.find(u'=');
    // The key as written, its '=' and the blanks after it stay.
    std::size_t keep = equals;
    if (keep != std::u16string::npos) {
      ++keep;
      while (keep < line.text.size() && (line.text[keep] == u' ' || line.text[keep] == u'\t'))
        ++keep;
    }
    std::u16string text =
        keep == std::u16string::npos ? line.text + u"=" : line.text.substr(0, keep);
    text += written;
    if (text == line.text) return true;
    line.text = text;
    modified_ = true;
  } else {
    // After the last key of the section; in one without keys, after its
    // header and the comment lines right below it.
    const int header = HeaderLine(section);
    int after = header;
    for (const plan::ListedSection& listed : Sections()) {
      const bool match = section.empty() ? listed.line == 0 : listed.line - 1 == header;
      if (!match) continue;
      for (const plan::ListedKey& k : listed.keys) after = k.line - 1;
    }
    if (after == header) {
      while (static_cast<std::size_t>(after + 1) < lines_.size()) {
        const std::u16string& next = lines_[static_cast<std::size_t>(after + 1)].text;
        const std::size_t first = next.find_first_not_of(u" \t");
        if (first == std::u16string::npos || next[first] != u';') break;
        ++after;
      }
    }
    InsertLine(static_cast<std::size_t>(after + 1), Units(key + "=") + written);
  }
  // What cannot be read back as it was given is not written.
  std::string readBack;
  Read(section, key, readBack);
  if (readBack != value) {
    lines_ = before;
    modified_ = wasModified;
    return false;
  }
  return true;
}

bool SettingsDocument::RemoveKey(const std::string& section, const std::string& key) {
  const std::vector<int> keyLines = KeyLines(section, key);
  for (auto it = keyLines.rbegin(); it != keyLines.rend(); ++it) {
    lines_.erase(lines_.begin() + *it);
  }
  if (!keyLines.empty()) modified_ = true;
  return !keyLines.empty();
}

bool SettingsDocument::AddSection(const std::string& section) {
  if (!IsWritableName(section) || HasSection(section)) return false;
  const std::vector<Line> before = lines_;
  const bool wasModified = modified_;
  if (!lines_.empty()) {
    const std::u16string& last = lines_.back().text;
    bool blank = true;
    for (const char16_t unit : last)
      blank = blank && unit < 0x100 && IsBlank(static_cast<char>(unit));
    if (!blank) InsertLine(lines_.size(), u"");
  }
  InsertLine(lines_.size(), Units("[" + section + "]"));
  if (HasSection(section)) return true;
  lines_ = before;
  modified_ = wasModified;
  return false;
}

}  // namespace tolvimer::editor
