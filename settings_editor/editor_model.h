// What the editor's window shows, worked out from the document and the
// setting catalogue: the sections on the left, the keys of one on the right,
// the plan's warnings for the file as edited, and the name the launcher
// gives a game's section.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "narration/setting_catalogue.h"
#include "settings_editor/settings_document.h"
#include "tools/plan/plan_input.h"

namespace tolvimer::editor {

struct SectionEntry {
  std::string name;  // as the file spells it, else as the launcher does
  SectionKind kind;
  bool inFile;
};

// The sections the launcher reads by name, whether in the file or not, then
// every game section of the file in its order, each name once.
std::vector<SectionEntry> SectionList(const SettingsDocument& document);

struct KeyRow {
  std::string key;                  // the catalogue's spelling, else the file's
  const KnownKey* known = nullptr;  // null: the launcher never reads it here
  bool present = false;             // the launcher reads a value
  std::string value;                // the value it reads
  int line = 0;                     // the key's line in the file, 0 without one
  bool warned = false;              // a warning names that line
};

// Every key the launcher reads in the section, in the catalogue's order,
// then the keys of the file's first section of that name that it never
// reads there, as written. `warnings` mark the keys they name, by line or
// as "[Section] Key".
std::vector<KeyRow> KeyRows(const SettingsDocument& document, const std::string& section,
                            const std::vector<std::string>& warnings);

// The text of a row's value column: the value, or "absent" with what the
// launcher then does.
std::string ValueText(const KeyRow& row);

// The game section the launcher reads for an image or an .m3u playlist.
std::string GameSectionOf(const std::string& imagePath);

// A virtual key as the key field shows it, "27 Escape"; with `polled`, the
// key the launcher polls for it (MapVirtualKey's character), what that
// means for an exit key.
std::string VirtualKeyText(std::uint32_t code);
std::string ExitKeyNote(std::uint32_t code, std::uint32_t polled);

// Where the dry runs behind the warnings and the plan look.
struct PlanPlace {
  std::string settingsPath;
  bool settingsExists = false;  // the file is on the disk
  std::string launcherFolder;   // ending in its separator
  bool windowsPaths = false;
  std::function<plan::FileFacts(const std::string& path)> lookAt;
  std::function<bool(const std::string& path, std::string& bytes)> readFile;
};

// The image the live warnings are worked out for: one named after the game
// section (the selected one, else the file's first), in the launcher folder.
std::string WarningImage(const SettingsDocument& document, const std::string& selected,
                         const PlanPlace& place);

// The plan's warnings for the document as it stands, and the whole plan.
std::vector<std::string> LiveWarnings(const SettingsDocument& document, const PlanPlace& place,
                                      const std::string& imagePath);
std::string PlanText(const SettingsDocument& document, const PlanPlace& place,
                     const std::string& imagePath);

// The line a warning names ("line 12: ..."), 0 for none.
int WarningLine(const std::string& warning);

}  // namespace tolvimer::editor
