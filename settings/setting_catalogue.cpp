#include "settings/setting_catalogue.h"

#include "settings/settings.h"

namespace tolvimer {
namespace {

using K = ValueKind;
using S = SectionKind;

constexpr KnownKey kKnownKeys[] = {
    {S::kGeneral, "Region", K::kWords, {"jap", "usa", "euro"}},
    {S::kGeneral, "Drive", K::kText, {}},
    {S::kGeneral, "ForceFull", K::kSwitch, {}},
    {S::kGeneral,
     "Screen",
     K::kWords,
     {"640x480", "800x600", "1024x768", "1280x1024", "1600x1200"}},
    {S::kGeneral, "MountTool", K::kWords, {"daemontools", "alcohol120", "custom"}},
    {S::kGeneral, "Delay", K::kInteger, {}},
    {S::kGeneral, "TolvimerExe", K::kText, {}},
    {S::kGeneral, "FullScreen", K::kSwitch, {}},
    {S::kGeneral, "Priority", K::kWords, {"normal", "abovenormal"}},
    {S::kGeneral, "ShowStats", K::kSwitch, {}},
    {S::kGeneral, "Exit", K::kInteger, {}},
    {S::kGeneral, "Unmount", K::kSwitch, {}},
    {S::kGeneral, "Log", K::kSwitch, {}},
    {S::kGeneral, "Recover", K::kSwitch, {}},
    {S::kGeneral, "WaitForDisc", K::kSwitch, {}},
    {S::kGeneral, "CancelAutoPlay", K::kSwitch, {}},
    {S::kDaemonTools, "Exe", K::kText, {}},
    {S::kDaemonTools, "Device", K::kText, {}},
    {S::kAlcohol120, "Exe", K::kText, {}},
    {S::kAlcohol120, "Drive", K::kText, {}},
    {S::kCustomMount, "Exe", K::kText, {}},
    {S::kCustomMount, "MountArgs", K::kText, {}},
    {S::kCustomMount, "UnmountArgs", K::kText, {}},
    {S::kGamePadExit, "MapGamePadExit", K::kSwitch, {}},
    {S::kGamePadExit, "Up", K::kSwitch, {}},
    {S::kGamePadExit, "Right", K::kSwitch, {}},
    {S::kGamePadExit, "Down", K::kSwitch, {}},
    {S::kGamePadExit, "Left", K::kSwitch, {}},
    {S::kGamePadExit, "Button1", K::kSwitch, {}},
    {S::kGamePadExit, "Button2", K::kSwitch, {}},
    {S::kGamePadExit, "Button3", K::kSwitch, {}},
    {S::kGamePadExit, "Button4", K::kSwitch, {}},
    {S::kGamePadExit, "Button5", K::kSwitch, {}},
    {S::kGamePadExit, "Button6", K::kSwitch, {}},
    {S::kGamePadExit, "Button7", K::kSwitch, {}},
    {S::kGamePadExit, "Button8", K::kSwitch, {}},
    {S::kGamePadExit, "Button9", K::kSwitch, {}},
    {S::kGamePadExit, "Button10", K::kSwitch, {}},
    {S::kGamePadExit, "Button11", K::kSwitch, {}},
    {S::kGamePadExit, "Button12", K::kSwitch, {}},
    {S::kTolviEx, "LimitFPS", K::kWords, {"30", "60"}},
    {S::kGame, "Screen", K::kWords, {"640x480", "800x600", "1024x768", "1280x1024", "1600x1200"}},
    {S::kGame, "ZWrite", K::kSwitch, {}},
    {S::kGame, "ZWriteAlpha", K::kSwitch, {}},
    {S::kGame, "CapcomHack", K::kSwitch, {}},
    {S::kGame, "CableType", K::kSelector, {"ntsc"}},
    {S::kGame, "LimitFPS", K::kWords, {"30", "60"}},
    {S::kGame, "IkarugaLevel2Fix", K::kSwitch, {}},
    {S::kGame, "SCalbrPlyrSelectHack", K::kSwitch, {}},
    {S::kGame, "SCalbr2DFix", K::kSwitch, {}},
    {S::kGame, "SegaGTLoading", K::kSwitch, {}},
    {S::kGame, "CPU", K::kInteger, {}},
};

constexpr struct {
  SectionKind kind;
  const char* name;
  const char* label;
} kSections[] = {
    {S::kGeneral, "General", "[General]"},
    {S::kDaemonTools, "DaemonTools", "[DaemonTools]"},
    {S::kAlcohol120, "Alcohol120", "[Alcohol120]"},
    {S::kGamePadExit, "GamePadExit", "[GamePadExit]"},
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
  for (const KnownKey& known : kKnownKeys) {
    if (known.section == section && IsWord(key, known.key)) return &known;
  }
  return nullptr;
}

const KnownKey* KnownKeys(std::size_t& count) {
  count = sizeof kKnownKeys / sizeof kKnownKeys[0];
  return kKnownKeys;
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
