// Every key the launcher reads, by the kind of section it is read in, with
// the values it recognises. The dry run and the run log explain reads by it,
// and the dry run's warnings find settings without effect by it. The words
// and the keys of the command table and of the combination are taken from the
// tables that act on them, so a word that works is always listed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvimer {

enum class SectionKind {
  kGeneral,
  kDaemonTools,
  kAlcohol120,
  kGamePadExit,
  kGamePadNextDisc,
  kTolviEx,
  kGame,
  kCustomMount,
};

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
  const char* words[6];  // for kWords and kSelector, ends at the first null
};

// The section kind of a section name: the fixed sections by name (any case),
// every other section is a game section.
SectionKind SectionKindOf(const char* sectionName);
// "[General]", ..., or "the game section".
const char* SectionKindLabel(SectionKind kind);

// The key as the launcher reads it in that kind of section; null when the
// launcher never reads it there. Names match in any case.
const KnownKey* FindKnownKey(SectionKind section, const char* key);
// Every known key, for walking the catalogue.
const KnownKey* KnownKeys(std::size_t& count);

// Whether a present value is one the key recognises.
bool IsRecognisedValue(const KnownKey& key, const char* value);

// How a value of the key is best written: a choice of its words, a whole
// number, a virtual-key code, a program's path, or free text.
enum class EditKind { kWordList, kInteger, kVirtualKey, kProgramPath, kText };

// What a key is for, in the user's terms, as the settings editor shows it.
struct KeyHelp {
  EditKind edit;
  const char* does;    // one line: what the launcher does with the value
  const char* absent;  // what the launcher does when the key is absent
  // kInteger and kVirtualKey: the values that have an effect, both included.
  std::int32_t least = 0;
  std::int32_t most = 0;
};

// The help of a catalogued key; every catalogued key has one.
const KeyHelp& HelpOf(const KnownKey& key);

}  // namespace tolvimer
