#include "mount/mount_commands.h"

#include <cstddef>
#include <cstring>

#include "mount/command_line.h"
#include "mount/custom_mount.h"
#include "mount/tool_environment.h"

namespace tolvimer {
namespace {

// The tool's program path and its device or drive are read into buffers of
// this size.
constexpr std::size_t kToolValueSize = 256;

// The tool named by [General] MountTool, read now.
MountTool ReadMountTool(Settings& settings) {
  if (!settings.Read("General", "MountTool")) return MountTool::kNone;
  return MountToolNamed(settings.value());
}

// The tool's `Exe` and its `Device` ([DaemonTools]) or `Drive` ([Alcohol120]).
// An absent key leaves its text empty.
struct ToolValues {
  char exe[kToolValueSize];
  char target[kToolValueSize];
};

void ReadToolValues(const Settings& settings, MountTool tool, ToolValues& values) {
  const bool daemonTools = tool == MountTool::kDaemonTools;
  const char* section = daemonTools ? "DaemonTools" : "Alcohol120";
  settings.ReadInto(section, "Exe", values.exe, sizeof values.exe);
  settings.ReadInto(section, daemonTools ? "Device" : "Drive", values.target, sizeof values.target);
}

// Formats a built-in form into `line`, within the built-in forms' own
// limit of kPathBufferSize.
BuiltLine BuildForm(const char* form, const char* const* args, std::size_t argCount,
                    char (&line)[kCustomCommandSize]) {
  char formLine[kPathBufferSize];
  BuiltLine built;
  built.room = sizeof formLine - 1;
  built.kind = FormatCommandLine(formLine, form, args, argCount, &built.length)
                   ? BuiltLine::kBuilt
                   : BuiltLine::kTooLong;
  line[0] = '\0';
  if (built.kind == BuiltLine::kBuilt) std::memcpy(line, formLine, built.length + 1);
  return built;
}

// [CustomMount]: Exe and `argsKey` read now, and [General] Drive when the
// value holds {drive}. Without the Args value nothing is built: the tool
// alone might open its window or wait for input.
BuiltLine BuildCustom(Settings& settings, const char* argsKey, const char* imagePath,
                      char (&line)[kCustomCommandSize]) {
  char exe[kToolValueSize];
  char args[kToolValueSize];
  line[0] = '\0';
  BuiltLine built;
  built.room = sizeof line - 1;
  settings.ReadInto("CustomMount", "Exe", exe, sizeof exe);
  if (!settings.ReadInto("CustomMount", argsKey, args, sizeof args)) return built;
  // {drive} and TOLVIMER_DRIVE: the first character of [General] Drive.
  built.custom = true;
  if (settings.Read("General", "Drive")) {
    built.drive = settings.value()[0];
    if (built.drive >= 'a' && built.drive <= 'z')
      built.drive = static_cast<char>(built.drive - 'a' + 'A');
  }
  const bool ok =
      BuildCustomCommandLine(line, exe, args, imagePath, built.drive, built.length, built.refusal);
  built.kind = ok                                             ? BuiltLine::kBuilt
               : built.refusal.reason != ImageRefusal::kNone ? BuiltLine::kRefused
                                                              : BuiltLine::kTooLong;
  return built;
}

// The launcher keeps no hold on a process it started.
void LetGo(Platform& os, const ProcessRecord& process) {
  os.CloseHandle(process.process);
  os.CloseHandle(process.thread);
}

// Starts a line without waiting; with `toolImage` a [CustomMount] one, its
// tool's environment built for it: a block that cannot be built is
// reported, and the line is not run.
bool StartLine(Platform& os, char* commandLine, const char* toolImage, char drive,
               ProcessRecord& process) {
  if (toolImage == nullptr) return os.CreateProcess(commandLine, process);
  ToolEnvironment environment;
  BuildToolEnvironment(os, toolImage, drive, environment);
  if (environment.state != ToolEnvironment::kBuilt) {
    char reason[kRefusalTextSize];
    DescribeEnvironmentFailure(environment, reason, sizeof reason);
    os.CommandLineRefused(reason);
    process = ProcessRecord{};
    return false;
  }
  return os.CreateProcessWithEnvironment(commandLine, environment.block, process);
}

// The image a built line's tool gets in its environment: none for a
// built-in form.
const char* ToolImage(const BuiltLine& built, const char* imagePath) {
  return built.custom ? imagePath : nullptr;
}

// Runs a built line; a line too long for its buffer, or refused for its
// image path, is reported instead.
void RunBuilt(Settings& settings, const BuiltLine& built, char* line, const char* imagePath) {
  Platform& os = settings.os();
  if (built.kind == BuiltLine::kBuilt) {
    ProcessRecord process;
    // Never waited for.
    if (StartLine(os, line, ToolImage(built, imagePath), built.drive, process)) LetGo(os, process);
  }
  if (built.kind == BuiltLine::kTooLong) os.CommandLineTooLong(built.length, built.room);
  if (built.kind == BuiltLine::kRefused) {
    char reason[kRefusalTextSize];
    DescribeRefusal(built.refusal, reason, sizeof reason);
    os.CommandLineRefused(reason);
  }
}

}  // namespace

MountTool MountToolNamed(const char* value) {
  for (const MountToolWord& row : kMountToolWords) {
    if (IsWord(value, row.word)) return row.tool;
  }
  return MountTool::kNone;
}

bool FormatCommandLine(char (&commandLine)[kPathBufferSize], const char* format,
                       const char* const* args, std::size_t argCount, std::size_t* length) {
  CommandLineBuilder builder(commandLine, sizeof commandLine);
  std::size_t nextArg = 0;
  for (const char* f = format; *f; ++f) {
    if (f[0] == '%' && f[1] == 's' && nextArg < argCount) {
      builder.Add(args[nextArg++]);
      ++f;
    } else {
      builder.Add(*f);
    }
  }
  if (length != nullptr) *length = builder.length();
  return builder.Finish();
}

bool RunCommandLine(Platform& os, char* commandLine) {
  ProcessRecord process;
  if (!StartLine(os, commandLine, nullptr, '\0', process)) return false;
  LetGo(os, process);
  return true;
}

CommandWait RunCommandLineAndWait(Platform& os, char* commandLine, std::uint32_t milliseconds,
                                  std::uint32_t* exitCode, const char* toolImage, char drive) {
  if (exitCode != nullptr) *exitCode = win::kStillActive;
  ProcessRecord process;
  if (!StartLine(os, commandLine, toolImage, drive, process)) return CommandWait::kNotStarted;
  const bool ended = os.WaitForSingleObject(process.process, milliseconds) == win::kWaitObject0;
  std::uint32_t code = win::kStillActive;
  const bool known = ended && os.GetExitCodeProcess(process.process, code);
  LetGo(os, process);
  if (exitCode != nullptr) *exitCode = code;
  if (!ended) return CommandWait::kTimedOut;
  return known && code == 0 ? CommandWait::kEnded : CommandWait::kFailed;
}

void MountDiscImage(Settings& settings, const char* imagePath) {
  const MountTool tool = ReadMountTool(settings);
  if (tool == MountTool::kNone) return;
  char commandLine[kCustomCommandSize];
  if (tool == MountTool::kCustom) {
    RunBuilt(settings, BuildCustom(settings, "MountArgs", imagePath, commandLine), commandLine,
             imagePath);
    return;
  }
  ToolValues values;
  ReadToolValues(settings, tool, values);
  const char* const args[] = {values.exe, values.target, imagePath};
  RunBuilt(settings,
           BuildForm(tool == MountTool::kDaemonTools ? kDaemonToolsMount : kAlcohol120Mount, args,
                     3, commandLine),
           commandLine, imagePath);
  // The form's own quotes then hold the front end's: the tool gets the path
  // cut at its first blank.
  if (imagePath[0] == '"') settings.os().QuotedImagePathInForm();
}

BuiltLine BuildUnmountCommandLine(Settings& settings, const char* imagePath,
                                  char (&commandLine)[kCustomCommandSize]) {
  commandLine[0] = '\0';
  if (!settings.ReadIs("General", "Unmount", "true")) return BuiltLine{};
  // Everything is read anew: the file may have changed since the mount.
  const MountTool tool = ReadMountTool(settings);
  if (tool == MountTool::kNone) return BuiltLine{};
  if (tool == MountTool::kCustom)
    return BuildCustom(settings, "UnmountArgs", imagePath, commandLine);
  ToolValues values;
  ReadToolValues(settings, tool, values);
  const char* const args[] = {values.exe, values.target};
  return BuildForm(tool == MountTool::kDaemonTools ? kDaemonToolsUnmount : kAlcohol120Unmount, args,
                   2, commandLine);
}

void UnmountDiscImage(Settings& settings, const char* imagePath) {
  char commandLine[kCustomCommandSize];
  RunBuilt(settings, BuildUnmountCommandLine(settings, imagePath, commandLine), commandLine,
           imagePath);
}

CommandWait UnmountDiscImageAndWait(Settings& settings, const char* imagePath,
                                    std::uint32_t milliseconds) {
  char commandLine[kCustomCommandSize];
  const BuiltLine built = BuildUnmountCommandLine(settings, imagePath, commandLine);
  if (built.kind != BuiltLine::kBuilt) {
    RunBuilt(settings, built, commandLine, imagePath);
    return CommandWait::kNotStarted;
  }
  return RunCommandLineAndWait(settings.os(), commandLine, milliseconds, nullptr,
                               ToolImage(built, imagePath), built.drive);
}

}  // namespace tolvimer
