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

// Waits up to `milliseconds` for a started process, reads its exit code,
// then lets it go.
CommandWait WaitForStarted(Platform& os, const ProcessRecord& process, std::uint32_t milliseconds,
                           std::uint32_t* exitCode) {
  const bool ended = os.WaitForSingleObject(process.process, milliseconds) == win::kWaitObject0;
  std::uint32_t code = win::kStillActive;
  const bool known = ended && os.GetExitCodeProcess(process.process, code);
  os.CloseHandle(process.process);
  os.CloseHandle(process.thread);
  if (exitCode != nullptr) *exitCode = code;
  if (!ended) return CommandWait::kTimedOut;
  return known && code == 0 ? CommandWait::kEnded : CommandWait::kFailed;
}

// Starts a [CustomMount] line with its tool's environment; a block that
// cannot be built is reported, and the line is not run.
bool StartTool(Platform& os, char* commandLine, const char* imagePath, char drive,
               ProcessRecord& process) {
  ToolEnvironment environment;
  BuildToolEnvironment(os, imagePath, drive, environment);
  if (environment.state != ToolEnvironment::kBuilt) {
    char reason[kRefusalTextSize];
    DescribeEnvironmentFailure(environment, reason, sizeof reason);
    os.CommandLineRefused(reason);
    process = ProcessRecord{};
    return false;
  }
  return os.CreateProcessWithEnvironment(commandLine, environment.block, process);
}

// Runs a built line; a line too long for its buffer, or refused for its
// image path, is reported instead.
void RunBuilt(Settings& settings, const BuiltLine& built, char* line, const char* imagePath) {
  if (built.kind == BuiltLine::kBuilt) {
    ProcessRecord process;
    // The launcher keeps no hold on the tool and never waits for it.
    if (StartBuiltLine(settings, built, line, imagePath, process)) {
      settings.os().CloseHandle(process.process);
      settings.os().CloseHandle(process.thread);
    }
  }
  if (built.kind == BuiltLine::kTooLong) settings.os().CommandLineTooLong(built.length, built.room);
  if (built.kind == BuiltLine::kRefused) {
    char reason[kRefusalTextSize];
    DescribeRefusal(built.refusal, reason, sizeof reason);
    settings.os().CommandLineRefused(reason);
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
  if (!os.CreateProcess(commandLine, process)) return false;
  // The launcher keeps no hold on the tool and never waits for it.
  os.CloseHandle(process.process);
  os.CloseHandle(process.thread);
  return true;
}

bool StartBuiltLine(Settings& settings, const BuiltLine& built, char* commandLine,
                    const char* imagePath, ProcessRecord& process) {
  Platform& os = settings.os();
  if (!built.custom) return os.CreateProcess(commandLine, process);
  return StartTool(os, commandLine, imagePath, built.drive, process);
}

CommandWait RunToolLineAndWait(Platform& os, char* commandLine, const char* imagePath, char drive,
                               std::uint32_t milliseconds, std::uint32_t* exitCode) {
  if (exitCode != nullptr) *exitCode = win::kStillActive;
  ProcessRecord process;
  if (!StartTool(os, commandLine, imagePath, drive, process)) return CommandWait::kNotStarted;
  return WaitForStarted(os, process, milliseconds, exitCode);
}

CommandWait RunCommandLineAndWait(Platform& os, char* commandLine, std::uint32_t milliseconds,
                                  std::uint32_t* exitCode) {
  if (exitCode != nullptr) *exitCode = win::kStillActive;
  ProcessRecord process;
  if (!os.CreateProcess(commandLine, process)) return CommandWait::kNotStarted;
  return WaitForStarted(os, process, milliseconds, exitCode);
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
  ProcessRecord process;
  if (!StartBuiltLine(settings, built, commandLine, imagePath, process))
    return CommandWait::kNotStarted;
  return WaitForStarted(settings.os(), process, milliseconds, nullptr);
}

}  // namespace tolvimer
