#include "tools/plan/custom_mount_warnings.h"

#include <cstring>

#include "mount/custom_mount.h"
#include "mount/mount_commands.h"
#include "mount/tool_environment.h"
#include "settings/settings.h"
#include "tools/plan/setting_reads.h"

namespace tolvimer::plan {
namespace {

constexpr char kArgsKeys[][12] = {"MountArgs", "UnmountArgs"};

std::string Read(const PlanInput& input, const char* section, const char* key) {
  char out[kSettingReadSize + 1];
  ReadPlanSetting(input, section, key, out, kSettingReadSize);
  return out;
}

// Whether `text` holds `word`, A to Z folded (shells read variable names so).
bool HoldsWord(const std::string& text, const char* word) {
  const std::size_t length = std::strlen(word);
  for (std::size_t at = 0; at + length <= text.size(); ++at) {
    if (IsWord(text.substr(at, length).c_str(), word)) return true;
  }
  return false;
}

bool IsAbsolute(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':') ||
         (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

// The program as CreateProcessA looks for it: ".exe" added to a file name
// without an extension.
std::string WithExtension(const std::string& program) {
  const std::size_t name = program.find_last_of("\\/");
  const bool hasDot = program.find('.', name == std::string::npos ? 0 : name) != std::string::npos;
  return hasDot ? program : program + ".exe";
}

void CheckExe(const PlanInput& input, std::vector<std::string>& warnings) {
  const std::string exe = Read(input, "CustomMount", "Exe");
  if (exe.empty()) {
    warnings.push_back(
        "[General] MountTool is custom but [CustomMount] has no Exe: the command lines begin "
        "with \"\" and no tool is started");
  } else if (IsAbsolute(exe) && input.windowsPaths && !input.lookAt(WithExtension(exe)).exists) {
    warnings.push_back("[CustomMount] Exe " + WithExtension(exe) + " does not exist");
  }
}

void CheckArgs(const PlanInput& input, std::vector<std::string>& warnings) {
  const bool unmount = IsWord(Read(input, "General", "Unmount").c_str(), "true");
  for (const char* key : kArgsKeys) {
    const bool mountArgs = key == kArgsKeys[0];
    const std::string args = Read(input, "CustomMount", key);
    const std::string name = std::string("[CustomMount] ") + key;
    if (args.empty()) {
      if (mountArgs) warnings.push_back(name + " is absent: nothing is mounted");
      if (!mountArgs && unmount) warnings.push_back(name + " is absent: nothing is unmounted");
      continue;
    }
    // A script may read the path from its environment instead.
    if (mountArgs && !HasPiece(args.c_str(), ArgsPiece::kImage) &&
        !HoldsWord(args, kImageVariable)) {
      warnings.push_back(name + " has no " + kImagePlaceholder + " and no " + kImageVariable +
                         ": the tool is not told which image to mount");
    }
    const char* p = args.c_str();
    for (ArgsPiece piece = NextArgsPiece(p); piece.kind != ArgsPiece::kEnd;
         piece = NextArgsPiece(p)) {
      if (piece.kind != ArgsPiece::kUnknownBrace) continue;
      warnings.push_back(name + ": \"" + std::string(piece.text, piece.length) +
                         "\" is no placeholder (" + kImagePlaceholder + ", " + kDrivePlaceholder +
                         "; {{ and }} for one brace): it is passed on as written");
    }
  }
}

// The settings reader takes the quotes off a value that begins and ends
// with the same quote mark.
void CheckQuotedArgs(const std::vector<ListedSection>& sections,
                     std::vector<std::string>& warnings) {
  for (const ListedSection& section : sections) {
    if (section.line == 0 || !IsWord(section.name.c_str(), "CustomMount")) continue;
    for (const ListedKey& key : section.keys) {
      const std::string& value = key.value;
      const bool args =
          IsWord(key.name.c_str(), kArgsKeys[0]) || IsWord(key.name.c_str(), kArgsKeys[1]);
      if (!args || value.size() < 2 || (value[0] != '"' && value[0] != '\'') ||
          value.back() != value[0]) {
        continue;
      }
      warnings.push_back("line " + std::to_string(key.line) + ": [CustomMount] " + key.name +
                         " begins and ends with a " + (value[0] == '"' ? "double" : "single") +
                         " quote: the settings reader takes both off, so the tool gets " +
                         value.substr(1, value.size() - 2) +
                         " (put the quotes around the placeholder only, or add a word before "
                         "them)");
    }
    return;  // only a section's first appearance is read
  }
}

}  // namespace

void CheckCustomMount(const PlanInput& input, const std::vector<ListedSection>& sections,
                      std::vector<std::string>& warnings) {
  CheckQuotedArgs(sections, warnings);
  const std::string tool = Read(input, "General", "MountTool");
  if (MountToolNamed(tool.c_str()) != MountTool::kCustom) return;
  CheckExe(input, warnings);
  CheckArgs(input, warnings);
}

void CheckCommandLineRoom(const RunFacts& facts, std::vector<std::string>& warnings) {
  for (const RunFacts::TooLong& line : facts.tooLong) {
    warnings.push_back("the " + line.what + " command line would be " +
                       std::to_string(line.length) + " characters, " +
                       std::to_string(line.length - line.room) + " more than the " +
                       std::to_string(line.room) + " that fit: it is not run");
  }
  for (const std::string& line : facts.refused) warnings.push_back(line);
}

}  // namespace tolvimer::plan
