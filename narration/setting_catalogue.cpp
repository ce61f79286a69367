#include "narration/setting_catalogue.h"

#include "emulator/command_table.h"
#include "exitwatch/exit_watch.h"
#include "mount/mount_commands.h"
#include "prepare/display_mode.h"
#include "prepare/file_patches.h"
#include "settings/settings.h"

namespace tolvimer {
namespace {

using K = ValueKind;
using S = SectionKind;

constexpr std::size_t kMostWords = sizeof KnownKey{}.words / sizeof KnownKey{}.words[0];

// IsWord at compile time: equal but for the case of A to Z.
constexpr char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr bool SameWord(const char* a, const char* b) {
  for (; *a != '\0' && Lower(*a) == Lower(*b); ++a, ++b) {
  }
  return Lower(*a) == Lower(*b);
}

// The catalogue as the compiler builds it. A key or a word more than it holds
// stops the build rather than go missing.
struct Catalogue {
  KnownKey keys[56];
  std::size_t count;

  // The key of that section, added at the end when it is not there yet.
  constexpr KnownKey& Key(S section, const char* key, K kind) {
    for (std::size_t i = 0; i < count; ++i) {
      if (keys[i].section == section && SameWord(keys[i].key, key)) return keys[i];
    }
    keys[count] = KnownKey{section, key, kind, {}};
    return keys[count++];
  }
};

constexpr void AddWord(KnownKey& known, const char* word) {
  std::size_t i = 0;
  while (i < kMostWords && known.words[i] != nullptr) {
    if (SameWord(known.words[i], word)) return;
    ++i;
  }
  known.words[i] = word;
}

// The words of a table whose rows each act on one.
template <typename Row, std::size_t N>
constexpr void AddWords(KnownKey& known, const Row (&rows)[N]) {
  for (const Row& row : rows) AddWord(known, row.word);
}

// Whether a command row reads its key in that kind of section.
constexpr bool ReadsIn(const CommandRow& row, S section) {
  switch (row.source) {
    case KeySource::kNothing:
      return false;
    case KeySource::kGame:
      return section == S::kGame;
    case KeySource::kGeneral:
      return section == S::kGeneral;
    case KeySource::kGameElseGeneral:
      return section == S::kGame || section == S::kGeneral;
    case KeySource::kGameElseTolviEx:
      return section == S::kGame || section == S::kTolviEx;
  }
  return false;
}

// A row with the lone word "true" is a switch; one that posts for any other
// value too selects between two commands; any other lists its words.
constexpr K KindOf(const CommandRow& row) {
  if (SameWord(row.words[0].word, "true") && row.words[1].word == nullptr) return K::kSwitch;
  if (row.anyOtherValue != kNoCommand) return K::kSelector;
  return K::kWords;
}

// Every command-table key read in that kind of section, with its words.
constexpr void AddCommandRows(Catalogue& catalogue, S section) {
  for (const CommandRow& row : kCommandTable) {
    if (!ReadsIn(row, section)) continue;
    KnownKey& known = catalogue.Key(section, row.key, KindOf(row));
    if (known.kind == K::kSwitch) continue;
    for (const WordCommand& command : row.words) {
      if (command.word != nullptr) AddWord(known, command.word);
    }
  }
}

constexpr Catalogue BuildCatalogue() {
  Catalogue c{};
  AddWords(c.Key(S::kGeneral, "Region", K::kWords), kRegionWords);
  c.Key(S::kGeneral, "Drive", K::kText);
  c.Key(S::kGeneral, "ForceFull", K::kSwitch);
  // The desktop mode's words, and below the command table's for the same key.
  AddWords(c.Key(S::kGeneral, "Screen", K::kWords), kScreenModes);
  AddWords(c.Key(S::kGeneral, "MountTool", K::kWords), kMountToolWords);
  c.Key(S::kGeneral, "Delay", K::kInteger);
  c.Key(S::kGeneral, "TolvimerExe", K::kText);
  c.Key(S::kGeneral, "Exit", K::kInteger);
  c.Key(S::kGeneral, "NextDisc", K::kInteger);
  c.Key(S::kGeneral, "Unmount", K::kSwitch);
  c.Key(S::kGeneral, "Log", K::kSwitch);
  c.Key(S::kGeneral, "Recover", K::kSwitch);
  c.Key(S::kGeneral, "WaitForDisc", K::kSwitch);
  c.Key(S::kGeneral, "CancelAutoPlay", K::kSwitch);
  AddCommandRows(c, S::kGeneral);
  c.Key(S::kDaemonTools, "Exe", K::kText);
  c.Key(S::kDaemonTools, "Device", K::kText);
  c.Key(S::kAlcohol120, "Exe", K::kText);
  c.Key(S::kAlcohol120, "Drive", K::kText);
  c.Key(S::kCustomMount, "Exe", K::kText);
  c.Key(S::kCustomMount, "MountArgs", K::kText);
  c.Key(S::kCustomMount, "UnmountArgs", K::kText);
  c.Key(S::kGamePadExit, "MapGamePadExit", K::kSwitch);
  for (const ComboKey& combo : kComboKeys) c.Key(S::kGamePadExit, combo.key, K::kSwitch);
  // The other keys of [GamePadNextDisc] are those of [GamePadExit]'s
  // combination, found there (FindKnownKey).
  c.Key(S::kGamePadNextDisc, "MapGamePadNextDisc", K::kSwitch);
  AddCommandRows(c, S::kTolviEx);
  AddCommandRows(c, S::kGame);
  c.Key(S::kGame, "CPU", K::kInteger);
  return c;
}

constexpr Catalogue kCatalogue = BuildCatalogue();

constexpr struct {
  SectionKind kind;
  const char* name;
  const char* label;
} kSections[] = {
    {S::kGeneral, "General", "[General]"},
    {S::kDaemonTools, "DaemonTools", "[DaemonTools]"},
    {S::kAlcohol120, "Alcohol120", "[Alcohol120]"},
    {S::kGamePadExit, "GamePadExit", "[GamePadExit]"},
    {S::kGamePadNextDisc, "GamePadNextDisc", "[GamePadNextDisc]"},
    {S::kTolviEx, "TolviEx", "[TolviEx]"},
    {S::kCustomMount, "CustomMount", "[CustomMount]"},
};

}  // namespace

SectionKind SectionKindOf(const char* sectionName) {
  for (const auto& section : kSections) {
    if (IsWord(sectionName, section.name)) return section.kind;
  }
  return S::kGame;
}

const char* SectionKindLabel(SectionKind kind) {
  for (const auto& section : kSections) {
    if (section.kind == kind) return section.label;
  }
  return "the game section";
}

const KnownKey* FindKnownKey(SectionKind section, const char* key) {
  if (section == S::kGamePadNextDisc) {
    for (const ComboKey& combo : kComboKeys) {
      if (IsWord(key, combo.key)) section = S::kGamePadExit;
    }
  }
  for (std::size_t i = 0; i < kCatalogue.count; ++i) {
    const KnownKey& known = kCatalogue.keys[i];
    if (known.section == section && IsWord(key, known.key)) return &known;
  }
  return nullptr;
}

const KnownKey* KnownKeys(std::size_t& count) {
  count = kCatalogue.count;
  return kCatalogue.keys;
}

bool IsRecognisedValue(const KnownKey& key, const char* value) {
  switch (key.kind) {
    case K::kWords:
      for (const char* word : key.words) {
        if (word == nullptr) break;
        if (IsWord(value, word)) return true;
      }
      return false;
    case K::kSwitch:
      return IsWord(value, "true") || IsWord(value, "false");
    case K::kInteger: {
      const char* p = value;
      if (*p == '+' || *p == '-') ++p;
      if (*p < '0' || *p > '9') return false;
      while (*p >= '0' && *p <= '9') ++p;
      return *p == '\0';
    }
    case K::kText:
    case K::kSelector:
      return true;
  }
  return true;
}

}  // namespace tolvimer
