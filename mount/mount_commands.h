// Mounting and unmounting the disc image with the tool of [General] MountTool.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mount/custom_mount.h"
#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// The command-line templates. Like printf, each %s takes the next argument:
// the tool's Exe, its Device or Drive, and (mount only) the image path.
constexpr char kDaemonToolsMount[] = "\"%s\" -noicon -mount %s,\"%s\"";
constexpr char kDaemonToolsUnmount[] = "\"%s\" -unmount %s";
constexpr char kAlcohol120Mount[] = "\"%s\" %s /M:\"%s\"";
constexpr char kAlcohol120Unmount[] = "\"%s\" %s /U";

// The tools of [General] MountTool, each by its word; any other value mounts nothing.
enum class MountTool { kNone, kDaemonTools, kAlcohol120, kCustom };
struct MountToolWord {
  const char* word;
  MountTool tool;
};
inline constexpr MountToolWord kMountToolWords[] = {{"daemontools", MountTool::kDaemonTools},
                                                    {"alcohol120", MountTool::kAlcohol120},
                                                    {"custom", MountTool::kCustom}};
// The tool a [General] MountTool value names, A to Z folded.
MountTool MountToolNamed(const char* value);

// Fills `commandLine` from a template that holds only %s conversions, with
// every argument inserted character for character. False, with the buffer
// emptied, when the result would not fit whole: a cut command line would run
// a different command, so it is never run. `length`, when given, receives
// the whole line's length, fitting or not.
bool FormatCommandLine(char (&commandLine)[kPathBufferSize], const char* format,
                       const char* const* args, std::size_t argCount,
                       std::size_t* length = nullptr);

// Starts the command line as a new process without waiting for it.
bool RunCommandLine(Platform& os, char* commandLine);
// How a command line that was waited for ended: with exit code 0; with
// another exit code, or one that could not be read; or not within the wait
// (or the wait failed), so that it may still do its work later.
enum class CommandWait : std::uint8_t { kNotStarted, kEnded, kFailed, kTimedOut };
// Starts the command line and waits up to `milliseconds` for its process to
// end; `exitCode`, when given, receives its exit code (STILL_ACTIVE when
// it did not end or could not be read). With `toolImage`, a [CustomMount]
// line: its tool starts with TOLVIMER_IMAGE `toolImage` and TOLVIMER_DRIVE
// `drive` (none when 0) in its environment, and kNotStarted, the line
// reported refused, when that cannot be built.
CommandWait RunCommandLineAndWait(Platform& os, char* commandLine, std::uint32_t milliseconds,
                                  std::uint32_t* exitCode = nullptr,
                                  const char* toolImage = nullptr, char drive = '\0');
// Mounts the image with the configured tool.
void MountDiscImage(Settings& settings, const char* imagePath);
// What a command-line builder made of the settings: nothing to run, a line,
// a line too long for its buffer, or a line refused for its image path.
struct BuiltLine {
  enum Kind { kNone, kBuilt, kTooLong, kRefused } kind = kNone;
  std::size_t length = 0;  // the line's length, also when it did not fit
  std::size_t room = 0;    // the most characters its buffer holds
  ImageRefusal refusal;    // why a refused line was
  // A [CustomMount] line starts with TOLVIMER_IMAGE and TOLVIMER_DRIVE in
  // its environment; `drive` is [General] Drive's letter (0 for none).
  bool custom = false;
  char drive = '\0';
};
// The unmount command line that UnmountDiscImage would run now, read from
// the settings as they stand (the image path is for [CustomMount]
// UnmountArgs). A built-in form keeps its own limit of kPathBufferSize.
BuiltLine BuildUnmountCommandLine(Settings& settings, const char* imagePath,
                                  char (&commandLine)[kCustomCommandSize]);
// With [General] Unmount "true": unmounts with the tool configured now.
void UnmountDiscImage(Settings& settings, const char* imagePath);
// The same unmount, waited for up to `milliseconds`; kNotStarted also when
// there is no line to run.
CommandWait UnmountDiscImageAndWait(Settings& settings, const char* imagePath,
                                    std::uint32_t milliseconds);

}  // namespace tolvimer
