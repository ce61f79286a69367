#include "tools/plan/setting_catalogue.h"

#include <algorithm>
#include <vector>

#include "settings/settings.h"

namespace tolvimer::plan {
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
    {S::kGeneral, "MountTool", K::kWords, {"daemontools", "alcohol120"}},
    {S::kGeneral, "Delay", K::kInteger, {}},
    {S::kGeneral, "TolvimerExe", K::kText, {}},
    {S::kGeneral, "FullScreen", K::kSwitch, {}},
    {S::kGeneral, "Priority", K::kWords, {"normal", "abovenormal"}},
    {S::kGeneral, "ShowStats", K::kSwitch, {}},
    {S::kGeneral, "Exit", K::kInteger, {}},
    {S::kGeneral, "Unmount", K::kSwitch, {}},
    {S::kDaemonTools, "Exe", K::kText, {}},
    {S::kDaemonTools, "Device", K::kText, {}},
    {S::kAlcohol120, "Exe", K::kText, {}},
    {S::kAlcohol120, "Drive", K::kText, {}},
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
};

// The emulator command table's ids with the setting each comes from.
constexpr struct {
  std::uint16_t id;
  const char* meaning;
} kCommands[] = {
    {32785, "the first command, sent on every run"},
    {32803, "Screen 640x480"},
    {32799, "Screen 800x600"},
    {32807, "Screen 1024x768"},
    {32808, "Screen 1280x1024"},
    {32902, "Screen 1600x1200"},
    {32782, "Priority normal"},
    {32783, "Priority abovenormal"},
    {32792, "ZWrite true"},
    {32793, "ZWriteAlpha true"},
    {32780, "CapcomHack true"},
    {32778, "CableType ntsc"},
    {32777, "CableType other than ntsc"},
    {32796, "ShowStats not true"},
    {32981, "LimitFPS 30"},
    {32982, "LimitFPS 60"},
    {32570, "IkarugaLevel2Fix true"},
    {32555, "SCalbrPlyrSelectHack true"},
    {32556, "SCalbr2DFix true"},
    {32557, "SegaGTLoading true"},
    {32801, "FullScreen true"},
};

constexpr struct {
  const char* file;
  std::int32_t offset;
  const char* meaning;
  bool always;
} kPatches[] = {
    {"dc_flash.bin", 106498, "the console region ('0' jap, '1' usa, '2' euro)", false},
    {"tolvimer.cfg", 4, "the CD drive letter", false},
    {"tolvimer.cfg", 12, "a byte cleared before every start", true},
    {"tolvimer.cfg", 13, "a byte cleared before every start", true},
};

}  // namespace

SectionKind SectionKindOf(const std::string& sectionName) {
  for (const auto& section : kSections) {
    if (IsWord(sectionName.c_str(), section.name)) return section.kind;
  }
  return S::kGame;
}

const char* SectionKindLabel(SectionKind kind) {
  for (const auto& section : kSections) {
    if (section.kind == kind) return section.label;
  }
  return "the game section";
}

const KnownKey* FindKnownKey(SectionKind section, const std::string& key) {
  for (const KnownKey& known : kKnownKeys) {
    if (known.section == section && IsWord(key.c_str(), known.key)) return &known;
  }
  return nullptr;
}

std::string WhereKeyIsRead(const std::string& key) {
  std::vector<std::string> places;
  for (const KnownKey& known : kKnownKeys) {
    if (IsWord(key.c_str(), known.key)) places.push_back(SectionKindLabel(known.section));
  }
  std::string out;
  for (std::size_t i = 0; i < places.size(); ++i) {
    if (i > 0) out += i + 1 == places.size() ? " and " : ", ";
    out += places[i];
  }
  return out;
}

std::string ClosestKnownKey(const std::string& key) {
  std::string best;
  std::size_t bestDistance = 3;  // farther than two edits is no likely slip
  for (const KnownKey& known : kKnownKeys) {
    const std::size_t distance = EditDistance(LowerAscii(key), LowerAscii(known.key));
    if (distance < bestDistance) {
      bestDistance = distance;
      best = known.key;
    }
  }
  return best;
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

std::string WordList(const KnownKey& key) {
  std::string out;
  for (const char* word : key.words) {
    if (word == nullptr) break;
    if (!out.empty()) out += ", ";
    out += word;
  }
  return out;
}

const char* CommandMeaning(std::uint16_t id) {
  for (const auto& command : kCommands) {
    if (command.id == id) return command.meaning;
  }
  return nullptr;
}

bool IsUnconditionalCommand(std::uint16_t id) { return id == kCommands[0].id; }

const char* PatchMeaning(const std::string& fileName, std::int32_t offset) {
  for (const auto& patch : kPatches) {
    if (fileName == patch.file && offset == patch.offset) return patch.meaning;
  }
  return nullptr;
}

bool IsUnconditionalPatch(const std::string& fileName, std::int32_t offset) {
  for (const auto& patch : kPatches) {
    if (fileName == patch.file && offset == patch.offset) return patch.always;
  }
  return false;
}

std::string VirtualKeyName(std::uint32_t vk) {
  switch (vk) {
    case 8:
      return "Backspace";
    case 9:
      return "Tab";
    case 13:
      return "Enter";
    case 27:
      return "Escape";
    case 32:
      return "Space";
    case 0x6A:
      return "keypad *";
    case 0x6B:
      return "keypad plus";
    case 0x6D:
      return "keypad minus";
    case 0x6E:
      return "keypad .";
    case 0x6F:
      return "keypad /";
    default:
      break;
  }
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, char(vk));
  if (vk >= 0x60 && vk <= 0x69) return "keypad " + std::to_string(vk - 0x60);
  if (vk >= 0x70 && vk <= 0x87) return "F" + std::to_string(vk - 0x70 + 1);
  return "virtual key " + std::to_string(vk);
}

std::uint32_t MapVirtualKeyAnswer(std::uint32_t code, std::uint32_t mapType) {
  if (mapType == 0) {
    switch (code) {
      case 13:
        return 0x1C;
      case 27:
        return 0x01;
      case 0x6B:
        return 0x4E;
      case 0x6D:
        return 0x4A;
      default:
        return 0;
    }
  }
  if (mapType != 2) return 0;
  if (code == 8 || code == 9 || code == 13 || code == 27 || code == 32) return code;
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return code;
  if (code >= 0x60 && code <= 0x69) return '0' + (code - 0x60);
  constexpr struct {
    std::uint32_t vk;
    char character;
  } kOthers[] = {{0x6A, '*'}, {0x6B, '+'},  {0x6D, '-'}, {0x6E, '.'}, {0x6F, '/'}, {0xBA, ';'},
                 {0xBB, '='}, {0xBC, ','},  {0xBD, '-'}, {0xBE, '.'}, {0xBF, '/'}, {0xC0, '`'},
                 {0xDB, '['}, {0xDC, '\\'}, {0xDD, ']'}, {0xDE, '\''}};
  for (const auto& other : kOthers) {
    if (other.vk == code) return static_cast<std::uint8_t>(other.character);
  }
  return 0;
}

std::string LowerAscii(std::string text) {
  for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  return text;
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

}  // namespace tolvimer::plan
