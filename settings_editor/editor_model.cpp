#include "settings_editor/editor_model.h"

#include "settings/settings.h"
#include "tools/plan/catalogue_search.h"
#include "tools/plan/dry_run_platform.h"
#include "tools/plan/plan.h"
#include "tools/plan/plan_warnings.h"

namespace tolvimer::editor {
namespace {

// The sections the launcher reads by name, in the order the editor lists them.
constexpr struct {
  SectionKind kind;
  const char* name;
} kFixedSections[] = {
    {SectionKind::kGeneral, "General"},         {SectionKind::kDaemonTools, "DaemonTools"},
    {SectionKind::kAlcohol120, "Alcohol120"},   {SectionKind::kCustomMount, "CustomMount"},
    {SectionKind::kGamePadExit, "GamePadExit"}, {SectionKind::kGamePadNextDisc, "GamePadNextDisc"},
    {SectionKind::kTolviEx, "TolviEx"},
};

// The first listing of the section named so, null when the file lacks it.
const plan::ListedSection* FirstListed(const std::vector<plan::ListedSection>& sections,
                                       const std::string& name) {
  for (std::size_t i = 1; i < sections.size(); ++i) {
    if (!sections[i].unreadable && SameName(sections[i].name, name)) return &sections[i];
  }
  return nullptr;
}

// The keys the launcher reads in a kind of section: its own, and for
// [GamePadNextDisc] the combination's, which the catalogue holds once.
std::vector<const KnownKey*> KeysReadIn(SectionKind kind) {
  std::size_t count = 0;
  const KnownKey* keys = KnownKeys(count);
  std::vector<const KnownKey*> read;
  for (std::size_t i = 0; i < count; ++i) {
    if (keys[i].section == kind || FindKnownKey(kind, keys[i].key) == &keys[i]) {
      read.push_back(&keys[i]);
    }
  }
  return read;
}

plan::PlanInput InputOf(const SettingsDocument& document, const PlanPlace& place,
                        const std::string& imagePath) {
  plan::PlanInput input;
  input.imagePath = imagePath;
  input.settingsPath = place.settingsPath;
  input.settingsText = document.Bytes();
  input.settingsFound = place.settingsExists || !input.settingsText.empty();
  input.valuesFromText = true;
  input.launcherFolder = place.launcherFolder;
  input.windowsPaths = place.windowsPaths;
  input.lookAt = place.lookAt;
  input.readFile = place.readFile;
  plan::ReadPendingRecord(input);
  return input;
}

}  // namespace

std::vector<SectionEntry> SectionList(const SettingsDocument& document) {
  const std::vector<plan::ListedSection> sections = document.Sections();
  std::vector<SectionEntry> list;
  for (const auto& fixed : kFixedSections) {
    const plan::ListedSection* listed = FirstListed(sections, fixed.name);
    list.push_back({listed ? listed->name : fixed.name, fixed.kind, listed != nullptr});
  }
  for (std::size_t i = 1; i < sections.size(); ++i) {
    const plan::ListedSection& listed = sections[i];
    if (listed.unreadable || SectionKindOf(listed.name.c_str()) != SectionKind::kGame) continue;
    if (FirstListed(sections, listed.name) != &listed) continue;
    list.push_back({listed.name, SectionKind::kGame, true});
  }
  return list;
}

int WarningLine(const std::string& warning) {
  if (warning.compare(0, 5, "line ") != 0) return 0;
  int line = 0;
  std::size_t i = 5;
  for (; i < warning.size() && warning[i] >= '0' && warning[i] <= '9'; ++i) {
    line = line * 10 + (warning[i] - '0');
  }
  return i < warning.size() && warning[i] == ':' ? line : 0;
}

std::vector<KeyRow> KeyRows(const SettingsDocument& document, const std::string& section,
                            const std::vector<std::string>& warnings) {
  const SectionKind kind = SectionKindOf(section.c_str());
  const std::vector<plan::ListedSection> sections = document.Sections();
  const plan::ListedSection* listed = FirstListed(sections, section);
  std::vector<int> warnedLines;
  for (const std::string& warning : warnings) warnedLines.push_back(WarningLine(warning));
  const auto lineOf = [&](const std::string& key) {
    if (listed == nullptr) return 0;
    for (const plan::ListedKey& k : listed->keys) {
      if (!k.unreadable && SameName(k.name, key)) return k.line;
    }
    return 0;
  };
  const auto finish = [&](KeyRow& row) {
    row.line = lineOf(row.key);
    row.present = document.Read(section, row.key, row.value);
    for (const int line : warnedLines) row.warned = row.warned || (line != 0 && line == row.line);
    // Warnings about a run name the key they are about: "[General] Exit ...".
    const std::string named = "[" + section + "] " + row.key + " ";
    for (const std::string& warning : warnings) {
      row.warned = row.warned || SameName(warning.substr(0, named.size()), named);
    }
  };
  std::vector<KeyRow> rows;
  for (const KnownKey* known : KeysReadIn(kind)) {
    KeyRow row;
    row.key = known->key;
    row.known = known;
    finish(row);
    rows.push_back(row);
  }
  if (listed != nullptr) {
    for (const plan::ListedKey& k : listed->keys) {
      if (FindKnownKey(kind, k.name.c_str()) != nullptr) continue;
      bool seen = false;
      for (const KeyRow& row : rows) seen = seen || SameName(row.key, k.name);
      if (seen) continue;
      KeyRow row;
      row.key = k.name;
      finish(row);
      rows.push_back(row);
    }
  }
  return rows;
}

std::string ValueText(const KeyRow& row) {
  if (row.present) return row.value;
  if (row.known == nullptr) return "absent";
  return std::string("absent: ") + HelpOf(*row.known).absent;
}

std::string GameSectionOf(const std::string& imagePath) {
  // The launcher's own naming, over the dry run's platform as the plan uses it.
  const plan::PlanInput none;
  plan::DryRunPlatform os(none);
  char section[kGameSectionMax + 1];
  GameSectionFromImagePath(os, imagePath.c_str(), section);
  return section;
}

std::string VirtualKeyText(std::uint32_t code) {
  return std::to_string(code) + " " + plan::VirtualKeyName(code);
}

std::string ExitKeyNote(std::uint32_t code, std::uint32_t polled) {
  if (polled == 0) return "has no character: the launcher can poll no key for it";
  if (polled == code) return "the launcher polls this key";
  return "the launcher polls " + VirtualKeyText(polled) + " for it";
}

std::string WarningImage(const SettingsDocument& document, const std::string& selected,
                         const PlanPlace& place) {
  std::string game = SectionKindOf(selected.c_str()) == SectionKind::kGame ? selected : "";
  if (game.empty()) {
    for (const SectionEntry& entry : SectionList(document)) {
      if (entry.kind == SectionKind::kGame) {
        game = entry.name;
        break;
      }
    }
  }
  return place.launcherFolder + (game.empty() ? "Game" : game) + ".cdi";
}

std::vector<std::string> LiveWarnings(const SettingsDocument& document, const PlanPlace& place,
                                      const std::string& imagePath) {
  const plan::PlanInput input = InputOf(document, place, imagePath);
  const plan::DryRunResult run = plan::DryRun(input);
  return plan::FindWarnings(input, run.gameSection, run.facts);
}

std::string PlanText(const SettingsDocument& document, const PlanPlace& place,
                     const std::string& imagePath) {
  std::string text;
  plan::RunPlan(InputOf(document, place, imagePath), text);
  return text;
}

}  // namespace tolvimer::editor
