// The settings file "tolvimer_launch.ini" beside the launcher, and the rules
// by which its values are read and tested.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace tolvimer {

// Paths, the value buffer and command lines live in buffers of this size.
constexpr std::size_t kPathBufferSize = 264;
// Values are read with this size: at most 254 characters and a terminator.
constexpr std::uint32_t kSettingReadSize = 255;
// The longest game section name, in characters.
constexpr std::size_t kGameSectionMax = 255;

constexpr char kSettingsFileName[] = "tolvimer_launch.ini";

// The length of the directory part of a Windows path of `length` bytes, up to
// and with its last backslash; 0 without one. The scan goes forward, so that
// the trail byte of a double-byte character (0x5C in several code pages) is
// never taken for a backslash; `isLeadByte` says which bytes open one.
template <typename IsLeadByte>
std::size_t DirectoryLength(const char* path, std::size_t length, IsLeadByte isLeadByte) {
  std::size_t keep = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (isLeadByte(static_cast<std::uint8_t>(path[i])) && i + 1 < length) {
      ++i;
    } else if (path[i] == '\\') {
      keep = i + 1;
    }
  }
  return keep;
}

// Fills `directory` with the directory of the launcher's executable, ending in
// its backslash. False, with `directory` empty, when the module path cannot be
// had whole or the directory does not fit `capacity`: the caller then skips
// what needs it instead of working on a cut path.
bool GetLauncherDirectory(Platform& os, char* directory, std::size_t capacity);

// Joins `directory` and `fileName` into `out`; false, with `out` empty, when
// the directory is unknown (empty) or the joined path does not fit.
bool JoinPath(const char* directory, const char* fileName, char* out, std::size_t capacity);

// The word test: the whole value equals the word, with only the letters A to Z
// matched regardless of case.
bool IsWord(const char* value, const char* word);
// The same test on `length` characters of `text` (a word of a longer text).
bool IsWordOfLength(const char* text, std::size_t length, const char* word);

// The leading integer of a value: leading white space skipped, an optional
// sign, then decimal digits up to the first other character; no digit gives 0.
// Values beyond the 32-bit range saturate at its limits.
std::int32_t LeadingInteger(const char* value);

// Takes the game section from the image path: no drive, no directory, no
// final extension, double-byte characters kept whole, at most 255 characters.
void GameSectionFromImagePath(Platform& os, const char* imagePath,
                              char (&section)[kGameSectionMax + 1]);

// Reads single values from the settings file, each from the file at the
// moment of the read; nothing is cached.
class Settings {
 public:
  explicit Settings(Platform& os) : os_(os) {}
  // The settings path of `located`, read through another platform.
  Settings(Platform& os, const Settings& located);

  // Builds the settings path from the launcher's directory. When it cannot be
  // built every key reads as absent.
  bool Locate();

  // Reads section/key into the value buffer; true when the value is present
  // (not empty).
  bool Read(const char* section, const char* key);
  // Reads section/key into a buffer of the caller's (read size 255 or the
  // buffer's size, whichever is smaller).
  bool ReadInto(const char* section, const char* key, char* out, std::size_t size) const;
  // Reads `first`/key and, only when that is absent, `second`/key.
  bool ReadWithFallback(const char* first, const char* second, const char* key);
  // Reads section/key and tests it against one word.
  bool ReadIs(const char* section, const char* key, const char* word) {
    return Read(section, key) && IsWord(value_, word);
  }

  const char* value() const { return value_; }
  // The value buffer itself, writable: the emulator's command line is built
  // and started in it.
  char (&valueBuffer())[kPathBufferSize] { return value_; }
  const char* path() const { return path_; }
  Platform& os() const { return os_; }

 private:
  Platform& os_;
  char path_[kPathBufferSize] = {};
  char value_[kPathBufferSize] = {};
};

}  // namespace tolvimer
