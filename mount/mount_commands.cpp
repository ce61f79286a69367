#include "mount/mount_commands.h"

#include <cstddef>
#include <cstring>

namespace tolvimer {
namespace {

// The tool's program path and its device or drive are read into buffers of
// this size.
constexpr std::size_t kToolValueSize = 256;

enum class MountTool { kNone, kDaemonTools, kAlcohol120 };

// The tool named by [General] MountTool, read now.
MountTool ReadMountTool(Settings& settings) {
  if (!settings.Read("General", "MountTool")) return MountTool::kNone;
  if (IsWord(settings.value(), "daemontools")) return MountTool::kDaemonTools;
  if (IsWord(settings.value(), "alcohol120")) return MountTool::kAlcohol120;
  return MountTool::kNone;
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

bool FormatMount(MountTool tool, const ToolValues& values, const char* imagePath,
                 char (&commandLine)[kPathBufferSize]) {
  const char* const args[] = {values.exe, values.target, imagePath};
  return FormatCommandLine(
      commandLine, tool == MountTool::kDaemonTools ? kDaemonToolsMount : kAlcohol120Mount, args, 3);
}

bool FormatUnmount(MountTool tool, const ToolValues& values, char (&commandLine)[kPathBufferSize]) {
  const char* const args[] = {values.exe, values.target};
  return FormatCommandLine(
      commandLine, tool == MountTool::kDaemonTools ? kDaemonToolsUnmount : kAlcohol120Unmount, args,
      2);
}

}  // namespace

bool FormatCommandLine(char (&commandLine)[kPathBufferSize], const char* format,
                       const char* const* args, std::size_t argCount) {
  std::size_t length = 0;
  std::size_t nextArg = 0;
  for (const char* f = format; *f; ++f) {
    const char* piece = f;
    std::size_t pieceLength = 1;
    if (f[0] == '%' && f[1] == 's' && nextArg < argCount) {
      piece = args[nextArg++];
      pieceLength = std::strlen(piece);
      ++f;
    }
    // Room is needed for the piece and the terminator.
    if (pieceLength >= sizeof commandLine - length) {
      commandLine[0] = '\0';
      return false;
    }
    std::memcpy(commandLine + length, piece, pieceLength);
    length += pieceLength;
  }
  commandLine[length] = '\0';
  return true;
}

bool RunCommandLine(Platform& os, char* commandLine) {
  ProcessRecord process;
  if (!os.CreateProcess(commandLine, process)) return false;
  // The launcher keeps no hold on the tool and never waits for it.
  os.CloseHandle(process.process);
  os.CloseHandle(process.thread);
  return true;
}

void MountDiscImage(Settings& settings, const char* imagePath) {
  const MountTool tool = ReadMountTool(settings);
  if (tool == MountTool::kNone) return;
  ToolValues values;
  ReadToolValues(settings, tool, values);
  char commandLine[kPathBufferSize];
  if (FormatMount(tool, values, imagePath, commandLine)) RunCommandLine(settings.os(), commandLine);
}

bool BuildUnmountCommandLine(Settings& settings, char (&commandLine)[kPathBufferSize]) {
  commandLine[0] = '\0';
  if (!settings.ReadIs("General", "Unmount", "true")) return false;
  // Everything is read anew: the file may have changed since the mount.
  const MountTool tool = ReadMountTool(settings);
  if (tool == MountTool::kNone) return false;
  ToolValues values;
  ReadToolValues(settings, tool, values);
  return FormatUnmount(tool, values, commandLine);
}

void UnmountDiscImage(Settings& settings) {
  char commandLine[kPathBufferSize];
  if (BuildUnmountCommandLine(settings, commandLine)) RunCommandLine(settings.os(), commandLine);
}

}  // namespace tolvimer
