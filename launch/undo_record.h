// The undo record, tolvimer_launch.undo beside the launcher ([General]
// Recover "true"): what a run has changed that outlives the emulator, and
// how it is undone. One fixed-size record of plain bytes, little-endian, with
// a mark, a version, its length and a checksum, so that a record cut off or
// garbled is told from a whole one and never acted on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "mount/custom_mount.h"
#include "settings/settings.h"

namespace tolvimer {

constexpr char kUndoFileName[] = "tolvimer_launch.undo";

// A process told from a later one that got the same id.
struct ProcessIdentity {
  std::uint32_t processId = 0;
  std::uint64_t creationTime = 0;  // FILETIME from GetProcessTimes
};

struct UndoRecord {
  ProcessIdentity launcher;      // the run that wrote the record
  bool displaySwitched = false;  // undone by the mode stored in the registry
  bool emulatorStarted = false;
  ProcessIdentity emulator;
  // Empty: nothing to unmount. For a [CustomMount] line, whose tool starts
  // with TOLVIMER_IMAGE and TOLVIMER_DRIVE (tool_environment.h), their
  // values follow its terminator (KeepUnmountEnvironment): a record without
  // them reads as before.
  char unmountLine[kCustomCommandSize] = {};
};

// Clears what follows the unmount line, then keeps the image path and drive
// letter (0 for none) of a [CustomMount] line there; none when `imagePath`
// is null. False, with the line emptied, when they do not fit beside it.
bool KeepUnmountEnvironment(UndoRecord& record, const char* imagePath, char drive);
// The image path kept with the unmount line, `drive` set; null when none.
const char* UnmountEnvironment(const UndoRecord& record, char& drive);

constexpr std::uint32_t kUndoVersion = 1;
// Mark, version, length, checksum; the launcher, the flags, the emulator;
// the unmount command line.
constexpr std::size_t kUndoRecordSize = 8 + 4 + 4 + 4 + 12 + 4 + 12 + kCustomCommandSize;

void EncodeUndoRecord(const UndoRecord& record, unsigned char (&bytes)[kUndoRecordSize]);

enum class UndoFileState {
  kValid,
  kForeign,  // no mark: not an undo record
  kNewer,    // a version this launcher does not know
  kShort,    // cut off before its length
  kDamaged,  // wrong length or checksum, or an unterminated command line
};

// Reads a record from the `size` bytes read from the file.
UndoFileState DecodeUndoRecord(const unsigned char* bytes, std::size_t size, UndoRecord& record);

// Why a file that is not a valid record is not acted on, in a few words.
const char* UndoFileStateText(UndoFileState state);

}  // namespace tolvimer
