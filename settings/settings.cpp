#include "settings/settings.h"

namespace tolvimer {
namespace {

std::size_t Length(const char* text) {
  std::size_t n = 0;
  while (text[n]) ++n;
  return n;
}

char FoldAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

}  // namespace

bool GetLauncherDirectory(Platform& os, char* directory, std::size_t capacity) {
  if (capacity > 0) directory[0] = '\0';
  char module[kPathBufferSize];
  const std::uint32_t length = os.GetModuleFileName(module, win::kMaxPath);
  // 0 is a failure; 260 means the path was cut (and perhaps left without a
  // terminator). Either way there is no directory to trust.
  if (length == 0 || length >= win::kMaxPath) return false;
  module[length] = '\0';
  std::size_t keep =
      DirectoryLength(module, length, [&os](std::uint8_t byte) { return os.IsDbcsLeadByte(byte); });
  // A module path always has a backslash; without one the whole path stands.
  if (keep == 0) keep = length;
  if (keep + 1 > capacity) return false;
  for (std::size_t i = 0; i < keep; ++i) directory[i] = module[i];
  directory[keep] = '\0';
  return true;
}

bool JoinPath(const char* directory, const char* fileName, char* out, std::size_t capacity) {
  if (capacity > 0) out[0] = '\0';
  const std::size_t head = Length(directory);
  const std::size_t tail = Length(fileName);
  if (head == 0 || head + tail + 1 > capacity) return false;
  for (std::size_t i = 0; i < head; ++i) out[i] = directory[i];
  for (std::size_t i = 0; i <= tail; ++i) out[head + i] = fileName[i];
  return true;
}

bool IsWord(const char* value, const char* word) {
  for (; *value && *word; ++value, ++word) {
    if (FoldAsciiLetter(*value) != FoldAsciiLetter(*word)) return false;
  }
  return *value == '\0' && *word == '\0';
}

bool IsWordOfLength(const char* text, std::size_t length, const char* word) {
  for (std::size_t i = 0; i < length; ++i, ++word) {
    if (*word == '\0' || FoldAsciiLetter(text[i]) != FoldAsciiLetter(*word)) return false;
  }
  return *word == '\0';
}

std::int32_t LeadingInteger(const char* value) {
  while (IsSpace(*value)) ++value;
  bool negative = false;
  if (*value == '+' || *value == '-') negative = *value++ == '-';
  // Accumulate the magnitude in 64 bits and stop growing it once it is past
  // the 32-bit range, so that no amount of digits can overflow.
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;
  std::int64_t magnitude = 0;
  for (; *value >= '0' && *value <= '9'; ++value) {
    if (magnitude <= kLimit) magnitude = magnitude * 10 + (*value - '0');
  }
  if (negative) return magnitude >= kLimit ? INT32_MIN : static_cast<std::int32_t>(-magnitude);
  return magnitude >= kLimit ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

void GameSectionFromImagePath(Platform& os, const char* imagePath,
                              char (&section)[kGameSectionMax + 1]) {
  const char* p = imagePath;
  if (p[0] != '\0' && p[1] == ':') p += 2;
  const char* start = p;
  const char* lastDot = nullptr;
  while (*p) {
    if (os.IsDbcsLeadByte(static_cast<std::uint8_t>(*p)) && p[1] != '\0') {
      p += 2;  // a trail byte is never a separator
      continue;
    }
    if (*p == '\\' || *p == '/') {
      start = p + 1;
      lastDot = nullptr;
    } else if (*p == '.') {
      lastDot = p;
    }
    ++p;
  }
  const char* end = lastDot ? lastDot : p;
  // Copy at most 255 bytes, never half of a double-byte character.
  std::size_t n = 0;
  for (const char* q = start; q < end;) {
    const bool pair = os.IsDbcsLeadByte(static_cast<std::uint8_t>(*q)) && q + 1 < end;
    const std::size_t width = pair ? 2 : 1;
    if (n + width > kGameSectionMax) break;
    for (std::size_t i = 0; i < width; ++i) section[n++] = *q++;
  }
  section[n] = '\0';
}

Settings::Settings(Platform& os, const Settings& located) : os_(os) {
  for (std::size_t i = 0; i < sizeof path_; ++i) path_[i] = located.path_[i];
}

bool Settings::Locate() {
  char directory[kPathBufferSize];
  return GetLauncherDirectory(os_, directory, sizeof directory) &&
         JoinPath(directory, kSettingsFileName, path_, sizeof path_);
}

bool Settings::Read(const char* section, const char* key) {
  return ReadInto(section, key, value_, sizeof value_);
}

bool Settings::ReadInto(const char* section, const char* key, char* out, std::size_t size) const {
  if (size == 0) return false;
  out[0] = '\0';
  if (path_[0] == '\0') return false;
  const std::uint32_t readSize =
      size < kSettingReadSize ? static_cast<std::uint32_t>(size) : kSettingReadSize;
  const std::uint32_t count = os_.GetProfileString(section, key, out, readSize, path_);
  out[size - 1] = '\0';
  return count != 0 && out[0] != '\0';
}

bool Settings::ReadWithFallback(const char* first, const char* second, const char* key) {
  if (Read(first, key)) return true;
  os_.FallingBackFrom(first);
  return Read(second, key);
}

}  // namespace tolvimer
