// What the dry run knows about the launcher's settings and the emulator:
// every key the launcher reads with the values it recognises, the meaning of
// each menu command id and file patch, and the answers of the key-mapping
// queries. Used to explain a plan and to find settings that have no effect.
#pragma once

#include <cstdint>
#include <string>

namespace tolvimer::plan {

enum class SectionKind { kGeneral, kDaemonTools, kAlcohol120, kGamePadExit, kTolviEx, kGame };

enum class ValueKind {
  kWords,     // one of `words`; any other value has no effect
  kSwitch,    // "true" switches it on; anything else leaves it off
  kInteger,   // the value's leading decimal integer
  kText,      // used as it is
  kSelector,  // CableType: "ntsc", and any other value selects the other cable
};

struct KnownKey {
  SectionKind section;
  const char* key;
  ValueKind kind;
  const char* words[6];  // for kWords, ends at the first null
};

// The section kind of a section name: the fixed sections by name (any case),
// every other section is a game section.
SectionKind SectionKindOf(const std::string& sectionName);
// "[General]", ..., or "a game section".
const char* SectionKindLabel(SectionKind kind);

// The key as the launcher reads it in that kind of section; null when the
// launcher never reads it there. Names match in any case.
const KnownKey* FindKnownKey(SectionKind section, const std::string& key);
// Every section kind where the launcher reads the key, as "[General] and
// [Alcohol120]"; empty when it reads it nowhere.
std::string WhereKeyIsRead(const std::string& key);
// The known key name closest to `key` (a likely misspelling), or empty.
std::string ClosestKnownKey(const std::string& key);

// Whether a present value is one the key recognises.
bool IsRecognisedValue(const KnownKey& key, const char* value);
// The key's words as "640x480, 800x600, ...".
std::string WordList(const KnownKey& key);

// The setting a menu command id comes from, as "Screen 800x600"; null for an
// id that is not in the emulator command table.
const char* CommandMeaning(std::uint16_t id);
// True for the command posted on every run, whatever the settings say.
bool IsUnconditionalCommand(std::uint16_t id);

// What a byte at `offset` of the emulator file means; null when unknown.
const char* PatchMeaning(const std::string& fileName, std::int32_t offset);
// True for bytes written on every run, whatever the settings say.
bool IsUnconditionalPatch(const std::string& fileName, std::int32_t offset);

// A readable name of a virtual key ("Escape", "A", "keypad plus", "F1").
std::string VirtualKeyName(std::uint32_t virtualKey);
// What MapVirtualKeyA gives on a US keyboard layout: MAPVK_VK_TO_VSC (0) the
// scan code, MAPVK_VK_TO_CHAR (2) the unshifted character (0 for none).
std::uint32_t MapVirtualKeyAnswer(std::uint32_t code, std::uint32_t mapType);

// Helpers for names: A to Z lowered, and the number of one-character edits
// between two names.
std::string LowerAscii(std::string text);
std::size_t EditDistance(const std::string& a, const std::string& b);

}  // namespace tolvimer::plan
