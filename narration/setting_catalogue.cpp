#include "narration/setting_catalogue.h"

#include <cstdint>

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


// One line per key: what it does and what its absence does. The values with
// an effect: Delay's seconds as milliseconds must fit a signed 32-bit count,
// a virtual-key code is 1 to 254, CPU taps once per step away from 100.
constexpr std::int32_t kMostDelay = INT32_MAX / 1000;

struct HelpRow {
  SectionKind section;
  const char* key;  // null: every input of the combination
  KeyHelp help;
};

constexpr HelpRow kHelp[] = {
    {S::kGeneral, "Region",
     {EditKind::kWordList, "The console region written into the emulator's dc_flash.bin.",
      "dc_flash.bin is not written."}},
    {S::kGeneral, "Drive",
     {EditKind::kText,
      "The CD drive letter written into tolvimer.cfg (only the first character counts).",
      "tolvimer.cfg keeps its drive letter."}},
    {S::kGeneral, "ForceFull",
     {EditKind::kWordList,
      "true: switches the desktop to Screen, takes over the emulator window, restores the "
      "desktop at the end.",
      "The desktop mode and the emulator window are left as they are."}},
    {S::kGeneral, "Screen",
     {EditKind::kWordList,
      "The desktop mode with ForceFull, and the emulator's resolution unless the game section "
      "has one.",
      "No desktop switch; no resolution command unless the game section has Screen."}},
    {S::kGeneral, "MountTool",
     {EditKind::kWordList,
      "The tool that mounts the image before the emulator starts ([DaemonTools], [Alcohol120] "
      "or [CustomMount]).",
      "The image is not mounted."}},
    {S::kGeneral, "Delay",
     {EditKind::kInteger, "Seconds to wait after the mount, with Windows AutoPlay held off.",
      "No wait after the mount.", 0, kMostDelay}},
    {S::kGeneral, "TolvimerExe",
     {EditKind::kProgramPath, "The emulator's command line.",
      "Tolvimer_alpha_25.exe in the launcher's folder is started."}},
    {S::kGeneral, "Exit",
     {EditKind::kVirtualKey, "The key that ends play, as a decimal virtual-key code.",
      "Escape (27) ends play.", 1, 254}},
    {S::kGeneral, "NextDisc",
     {EditKind::kVirtualKey,
      "For a game on several discs (an .m3u image): the key that swaps to the next disc.",
      "No key swaps the disc.", 1, 254}},
    {S::kGeneral, "Unmount",
     {EditKind::kWordList, "true: unmounts the image after the emulator has been closed.",
      "The image stays mounted."}},
    {S::kGeneral, "Log",
     {EditKind::kWordList, "true: writes tolvimer_launch.log beside the launcher, step by step.",
      "No run log is written."}},
    {S::kGeneral, "Recover",
     {EditKind::kWordList,
      "true: notes what a run changes, so that the next start puts right a run cut short.",
      "A run cut short is not put right."}},
    {S::kGeneral, "WaitForDisc",
     {EditKind::kWordList,
      "true: ends the Delay wait as soon as the drive named by Drive holds a new disc.",
      "The whole Delay is waited."}},
    {S::kGeneral, "CancelAutoPlay",
     {EditKind::kWordList,
      "true: during the Delay wait, also answers AutoPlay as Windows documents it.",
      "AutoPlay is held off by the hidden window alone."}},
    {S::kGeneral, "Priority",
     {EditKind::kWordList, "The emulator's priority command.", "No priority command."}},
    {S::kGeneral, "ShowStats",
     {EditKind::kWordList, "Any value but true turns the emulator's statistics display off.",
      "The statistics display is left as it is."}},
    {S::kGeneral, "FullScreen",
     {EditKind::kWordList,
      "true: hides the emulator window at once and sends its full-screen command.",
      "The emulator window is shown as it opens."}},
    {S::kDaemonTools, "Exe",
     {EditKind::kProgramPath, "The DaemonTools program that mounts and unmounts the image.",
      "An empty program is run."}},
    {S::kDaemonTools, "Device",
     {EditKind::kText, "The virtual device to mount the image on.", "An empty device is used."}},
    {S::kAlcohol120, "Exe",
     {EditKind::kProgramPath, "The Alcohol 120% program that mounts and unmounts the image.",
      "An empty program is run."}},
    {S::kAlcohol120, "Drive",
     {EditKind::kText, "The virtual drive to mount the image on.", "An empty drive is used."}},
    {S::kCustomMount, "Exe",
     {EditKind::kProgramPath, "The program of the custom mount and unmount command lines.",
      "No custom command line is run."}},
    {S::kCustomMount, "MountArgs",
     {EditKind::kText,
      "After the program on the mount line: {image} is the image (shells read "
      "TOLVIMER_IMAGE instead), {drive} the drive.",
      "No mount command line is run."}},
    {S::kCustomMount, "UnmountArgs",
     {EditKind::kText,
      "After the program on the unmount line: {image} is the image (shells read "
      "TOLVIMER_IMAGE instead), {drive} the drive.",
      "No unmount command line is run."}},
    {S::kGamePadExit, "MapGamePadExit",
     {EditKind::kWordList, "true: holding the inputs marked true on the gamepads ends play.",
      "No gamepad combination ends play."}},
    {S::kGamePadNextDisc, "MapGamePadNextDisc",
     {EditKind::kWordList,
      "true: holding the inputs marked true on the gamepads swaps to the next disc.",
      "No gamepad combination swaps the disc."}},
    {S::kGamePadExit, nullptr,
     {EditKind::kWordList, "true: this input is part of the combination.",
      "This input is not part of the combination."}},
    {S::kTolviEx, "LimitFPS",
     {EditKind::kWordList,
      "The emulator's frame limit, for every game whose section has no LimitFPS.",
      "No frame-limit command unless the game section has LimitFPS."}},
    {S::kGame, "Screen",
     {EditKind::kWordList, "The emulator's resolution for this game.",
      "[General] Screen is read instead."}},
    {S::kGame, "ZWrite",
     {EditKind::kWordList, "true: sends the emulator's ZWrite command.", "No ZWrite command."}},
    {S::kGame, "ZWriteAlpha",
     {EditKind::kWordList, "true: sends the emulator's ZWrite alpha command.",
      "No ZWrite alpha command."}},
    {S::kGame, "CapcomHack",
     {EditKind::kWordList, "true: sends the emulator's Capcom hack command.",
      "No Capcom hack command."}},
    {S::kGame, "CableType",
     {EditKind::kWordList, "ntsc: the NTSC cable; any other value: the other cable.",
      "No cable command."}},
    {S::kGame, "LimitFPS",
     {EditKind::kWordList, "The emulator's frame limit for this game.",
      "[TolviEx] LimitFPS is read instead."}},
    {S::kGame, "IkarugaLevel2Fix",
     {EditKind::kWordList, "true: sends the emulator's Ikaruga level 2 fix command.",
      "No Ikaruga level 2 fix command."}},
    {S::kGame, "SCalbrPlyrSelectHack",
     {EditKind::kWordList,
      "true: sends the emulator's SCalibur player select hack, then taps Enter once.",
      "No player select hack."}},
    {S::kGame, "SCalbr2DFix",
     {EditKind::kWordList, "true: sends the emulator's SCalibur 2D fix command.",
      "No 2D fix command."}},
    {S::kGame, "SegaGTLoading",
     {EditKind::kWordList, "true: sends the emulator's Sega GT loading command.",
      "No Sega GT loading command."}},
    {S::kGame, "CPU",
     {EditKind::kInteger,
      "The emulator's CPU speed: one tap of keypad plus or minus per step away from 100.",
      "The CPU speed is left as it is.", INT32_MIN, INT32_MAX}},
};

constexpr KeyHelp kNoHelp{EditKind::kText, "", ""};

bool IsComboKey(const char* key) {
  for (const ComboKey& combo : kComboKeys) {
    if (IsWord(key, combo.key)) return true;
  }
  return false;
}

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
  // The combination's keys are read in both sections: catalogued once.
  if (section == S::kGamePadNextDisc && IsComboKey(key)) section = S::kGamePadExit;
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

const KeyHelp& HelpOf(const KnownKey& key) {
  const bool combo = key.section == S::kGamePadExit && IsComboKey(key.key);
  for (const HelpRow& row : kHelp) {
    if (row.section != key.section) continue;
    if (combo ? row.key == nullptr : row.key != nullptr && IsWord(key.key, row.key)) {
      return row.help;
    }
  }
  return kNoHelp;
}

}  // namespace tolvimer
