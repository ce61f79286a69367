#include "tools/plan/plan_warnings.h"

#include <algorithm>
#include <cstdio>

#include "narration/setting_catalogue.h"
#include "settings/profile_reader.h"
#include "settings/settings.h"
#include "tools/plan/autoplay_registry.h"
#include "tools/plan/catalogue_search.h"
#include "tools/plan/custom_mount_warnings.h"
#include "tools/plan/disc_warnings.h"
#include "tools/plan/profile_listing.h"
#include "tools/plan/setting_reads.h"

namespace tolvimer::plan {
namespace {

std::string Line(int line) { return "line " + std::to_string(line) + ": "; }

// The value a read of the key gives, as the launcher would see it.
std::string ValueOf(const PlanInput& input, const std::string& section, const std::string& key) {
  char out[kSettingReadSize + 1];
  ReadPlanSetting(input, section.c_str(), key.c_str(), out, kSettingReadSize);
  return out;
}

// Why a present value of a known key does not do what it most likely means.
std::string ValueProblem(const KnownKey& known, SectionKind where, const std::string& value) {
  if (value.empty() || IsRecognisedValue(known, value.c_str())) return "";
  const std::string shown = "\"" + value + "\"";
  switch (known.kind) {
    case ValueKind::kWords: {
      std::string text = shown + " matches none of " + WordList(known) + ": it has no effect";
      if (where == SectionKind::kGame && IsWord(known.key, "Screen")) {
        text += ", and [General] Screen is not read instead";
      }
      if (where == SectionKind::kGame && IsWord(known.key, "LimitFPS")) {
        text += ", and [TolviEx] LimitFPS is not read instead";
      }
      return text;
    }
    case ValueKind::kSwitch:
      return shown + " is not \"true\" or \"false\": only \"true\" switches it on" +
             (IsWord(known.key, "ShowStats") ? ", and any value but \"true\" posts 32796" : "");
    case ValueKind::kInteger:
      return shown + " is not a whole number: it reads as " +
             std::to_string(LeadingInteger(value.c_str()));
    default:
      return "";
  }
}

// What a byte-order mark that Windows does not recognise costs.
enum class MarkCost {
  kNothing,
  kLine1Key,      // the key on line 1
  kLine1Section,  // the header on line 1 and the keys of its section
  kEverything,    // every setting
};

// Said of a name in a UTF-16LE file, shown converted to Windows-1252.
constexpr char kLacking[] =
    " holds characters that Windows-1252 lacks (shown here converted): the launcher asks for "
    "names in Windows-1252, so this ";

constexpr char kSaveAs[] = "save the file as ANSI or as \"Unicode\" (UTF-16 LE) in Notepad";
constexpr char kWineReadsIt[] =
    " (Wine reads such a file, so a trial under Wine does not show this)";

MarkCost CheckMarks(const PlanInput& input, const std::vector<ListedSection>& sections,
                    std::vector<std::string>& warnings) {
  const IgnoredMark mark = FindIgnoredMark(input.settingsText.data(), input.settingsText.size());
  if (mark == IgnoredMark::kUtf16Be) {
    warnings.push_back(
        std::string("the file starts with a UTF-16 big-endian byte-order mark, which Windows "
                    "does not recognise: it reads the file as plain bytes and finds no setting "
                    "in it, so every key is absent") +
        kWineReadsIt + "; " + kSaveAs);
    return MarkCost::kEverything;
  }
  if (mark != IgnoredMark::kUtf8) return MarkCost::kNothing;
  // Line 1 as the user wrote it: the mark's three bytes are the start of a
  // key of the section "" or of no line at all.
  for (const ListedKey& key : sections[0].keys) {
    if (key.line != 1) continue;
    const std::string written = key.name.substr(3);
    // A line 1 of the mark alone or of a comment loses nothing.
    if (written.empty() || written[0] == ';') return MarkCost::kLine1Key;
    const std::size_t close = written.rfind(']');
    const bool header = written[0] == '[' && close != std::string::npos;
    const std::string what = header ? "[" + written.substr(1, close - 1) +
                                          "] on line 1 is not read on Windows and "
                                          "its keys have no effect"
                                    : "the key " + written + " on line 1 is not read on Windows";
    warnings.push_back(
        "line 1: the file starts with a UTF-8 byte-order mark, which Windows does not "
        "recognise, so " +
        what + kWineReadsIt + "; " + kSaveAs + ", or leave line 1 empty");
    return header ? MarkCost::kLine1Section : MarkCost::kLine1Key;
  }
  return MarkCost::kNothing;
}

void CheckKeys(const PlanInput& input, const std::vector<ListedSection>& sections,
               const std::string& gameSection, MarkCost markCost,
               std::vector<std::string>& warnings) {
  std::vector<std::string> seenSections(1);  // "" is the section before any header
  for (const ListedSection& section : sections) {
    const std::string label = "[" + section.name + "]";
    // The keys before any header are the section "", the game section of an
    // image without a name (D:\.cdi).
    const bool outside = section.line == 0 && !gameSection.empty();
    // The keys the mark warning has told of.
    if (outside && markCost == MarkCost::kLine1Section) continue;
    if (section.unreadable) {
      warnings.push_back(Line(section.line) + label + kLacking + "section is never read");
      continue;
    }
    const bool duplicate =
        section.line != 0 && std::find(seenSections.begin(), seenSections.end(),
                                       LowerAscii(section.name)) != seenSections.end();
    if (duplicate) {
      warnings.push_back(Line(section.line) + label +
                         " appears a second time: only its first appearance is read, so "
                         "nothing in this one has an effect");
      continue;
    }
    if (section.line != 0) seenSections.push_back(LowerAscii(section.name));
    const SectionKind kind = SectionKindOf(section.name.c_str());
    std::vector<std::string> seenKeys;
    for (const ListedKey& key : section.keys) {
      const std::string where = Line(key.line) + (section.line == 0 ? "" : label + " ") + key.name;
      if (outside && key.line == 1 && markCost == MarkCost::kLine1Key) continue;
      if (key.unreadable) {
        warnings.push_back(where + kLacking + "key is never read");
        continue;
      }
      if (outside) {
        warnings.push_back(where +
                           " stands before any section: it is read only as a game key of an "
                           "image without a name, such as D:\\.cdi");
        continue;
      }
      if (std::find(seenKeys.begin(), seenKeys.end(), LowerAscii(key.name)) != seenKeys.end()) {
        warnings.push_back(where + " appears a second time in " + label +
                           ": only the first is read");
        continue;
      }
      seenKeys.push_back(LowerAscii(key.name));
      const KnownKey* known = FindKnownKey(kind, key.name.c_str());
      if (known == nullptr) {
        const std::string readIn = WhereKeyIsRead(key.name);
        if (!readIn.empty()) {
          warnings.push_back(where + " is read only in " + readIn + ": here it has no effect");
        } else {
          const std::string closest = ClosestKnownKey(key.name);
          warnings.push_back(where + " is a key the launcher never reads" +
                             (closest.empty() ? "" : " (did you mean " + closest + "?)"));
        }
        continue;
      }
      if (!key.hasValue) {
        warnings.push_back(where + " has no '=': it reads as absent");
        continue;
      }
      const std::string problem =
          ValueProblem(*known, kind, ValueOf(input, section.name, key.name));
      if (!problem.empty()) warnings.push_back(where + ": " + problem);
    }
  }
}

void CheckGameSection(const std::vector<ListedSection>& sections, const std::string& gameSection,
                      std::vector<std::string>& warnings) {
  std::string closest;
  std::size_t best = static_cast<std::size_t>(-1);
  for (const ListedSection& section : sections) {
    if (section.line == 0) {
      if (gameSection.empty() && !section.keys.empty()) return;
      continue;
    }
    if (section.unreadable || SectionKindOf(section.name.c_str()) != SectionKind::kGame) continue;
    if (IsWord(section.name.c_str(), gameSection.c_str())) return;
    const std::size_t distance = EditDistance(LowerAscii(section.name), LowerAscii(gameSection));
    if (distance < best) {
      best = distance;
      closest = section.name;
    }
  }
  warnings.push_back("the settings file has no section [" + gameSection +
                     "]: every game key is absent" +
                     (closest.empty() ? " (it has no game section at all)"
                                      : "; the closest game section is [" + closest + "]"));
}

// The program of a command line: the first token, quoted or up to a blank.
std::string ProgramOf(const std::string& commandLine) {
  if (!commandLine.empty() && commandLine[0] == '"') {
    return commandLine.substr(1, commandLine.find('"', 1) - 1);
  }
  return commandLine.substr(0, commandLine.find_first_of(" \t"));
}

bool IsAbsolute(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') ||
         (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

void CheckEmulator(const PlanInput& input, const RunFacts& facts,
                   std::vector<std::string>& warnings) {
  if (facts.emulatorStarted) {
    std::string program = ProgramOf(facts.emulatorCommandLine);
    const std::size_t name = program.find_last_of("\\/");
    if (program.find('.', name == std::string::npos ? 0 : name) == std::string::npos) {
      program += ".exe";
    }
    if (!IsAbsolute(program)) {
      if (!input.lookAt(input.launcherFolder + program).exists) {
        warnings.push_back("the emulator program " + program +
                           " is not in the launcher folder (Windows would still search the "
                           "current folder, the system folders and PATH)");
      }
    } else if (input.windowsPaths && !input.lookAt(program).exists) {
      warnings.push_back("the emulator program " + program + " does not exist");
    }
  }
  constexpr struct {
    const char* name;
    std::uint64_t minimumSize;
  } kFiles[] = {{"dc_flash.bin", 106499}, {"tolvimer.cfg", 14}};
  for (const auto& file : kFiles) {
    const FileFacts found = input.lookAt(input.launcherFolder + file.name);
    if (!found.exists) {
      warnings.push_back(std::string("the emulator file ") + file.name +
                         " is not in the launcher folder: it is never patched");
    } else if (found.size < file.minimumSize) {
      warnings.push_back(std::string("the emulator file ") + file.name + " has only " +
                         std::to_string(found.size) +
                         " bytes: a patch past its end would lengthen it");
    }
  }
}

void CheckRun(const RunFacts& facts, std::vector<std::string>& warnings) {
  if (facts.launcherPathTooLong) {
    warnings.push_back(
        "the launcher folder's path is too long for the launcher (260 "
        "characters with its file name): it would read no settings");
  }
  if (facts.quotedImageInForm && !facts.mountCommandLines.empty()) {
    warnings.push_back(
        "the image path is in quotes: the launcher keeps them, so the mount "
        "command line gets them doubled: " +
        facts.mountCommandLines[0]);
  }
  if (facts.comboEnabled && facts.comboInputs.empty()) {
    warnings.push_back(
        "[GamePadExit] MapGamePadExit is true but no input is switched on: the "
        "combination is met at the first check and play ends after 500 ms");
  }
  if (facts.exitKeyRead) {
    const std::uint32_t code = facts.exitSettingCode;
    if (facts.exitKeyPolled == 0) {
      warnings.push_back("[General] Exit names virtual key " + std::to_string(code) + " (" +
                         VirtualKeyName(code) +
                         "), which has no character: the exit key becomes 0 and no key press "
                         "ends play");
    } else if (facts.exitKeyPolled != code) {
      warnings.push_back(
          "[General] Exit names virtual key " + std::to_string(code) + " (" + VirtualKeyName(code) +
          "), but the launcher polls the key of its "
          "character, " +
          std::to_string(facts.exitKeyPolled) + " (" + VirtualKeyName(facts.exitKeyPolled) + ")");
    }
  }
}

}  // namespace

std::vector<std::string> FindWarnings(const PlanInput& input, const std::string& gameSection,
                                      const RunFacts& facts) {
  std::vector<std::string> warnings;
  if (input.imagePath.empty()) {
    warnings.push_back("the image path is empty: the launcher does nothing");
    return warnings;
  }
  if (!input.settingsFound) {
    warnings.push_back("there is no settings file " + input.settingsPath + ": every key is absent");
  } else {
    // The file as the warnings read it, listed once.
    const std::vector<ListedSection> sections = ListProfile(input.settingsText);
    const MarkCost markCost = CheckMarks(input, sections, warnings);
    if (markCost != MarkCost::kEverything) {
      CheckKeys(input, sections, gameSection, markCost, warnings);
      CheckGameSection(sections, gameSection, warnings);
      CheckCustomMount(input, sections, warnings);
    }
  }
  CheckRun(facts, warnings);
  CheckCommandLineRoom(facts, warnings);
  CheckEmulator(input, facts, warnings);
  CheckDiscs(input, facts, warnings);
  if (IsWord(ValueOf(input, "General", "CancelAutoPlay").c_str(), "true")) {
    const std::string handler = AutoPlayHandlerWarning();
    if (!handler.empty()) warnings.push_back(handler);
  }
  if (facts.elevatedWithHandler) {
    warnings.push_back(
        "[General] CancelAutoPlay is \"true\" and this runs elevated: a launcher started the "
        "same way registers its AutoPlay handler where the shell, which is not elevated, cannot "
        "reach it (no ROTFLAGS_ALLOWANYCLIENT), and its hidden window is out of the shell's "
        "reach too (user interface privilege isolation): start the front end without "
        "administrator rights");
  }
  return warnings;
}

}  // namespace tolvimer::plan
