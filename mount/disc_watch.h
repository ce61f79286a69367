// [General] WaitForDisc: the wait after the mount ends as soon as the drive
// the emulator reads holds a disc it did not hold before the mount.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// What a drive holds.
struct DriveContent {
  bool disc = false;
  std::uint32_t serial = 0;  // the volume serial number of the disc
};

// The drive to watch and what it held just before the mount.
struct DiscWatch {
  bool watching = false;
  char root[4] = {};  // "E:\"
  DriveContent before;
};

// The root ("E:\\", upper case) of the drive that a [General] Drive value
// names: its first character, when that is a letter. False, with `root`
// empty, otherwise.
bool DriveRootOf(const char* driveValue, char (&root)[4]);

// The bit of a volume's unit mask (bit 0 is A:) for a root DriveRootOf
// gave; 0 for an empty root.
std::uint32_t DriveMaskOf(const char* root);

// Looks at the drive with Windows' critical-error boxes off for these calls
// only: a missing drive, or one without a disc, is "no disc". The previous
// error mode is put back.
DriveContent LookAtDrive(Platform& os, const char* root);

// Reads [General] WaitForDisc and, when it is "true" and [General] Drive
// starts with a letter, notes what that drive holds. Called just before the
// mount command is started.
DiscWatch NoteDiscBeforeMount(Settings& settings);

// The disc look of the wait: true once the drive holds a disc that it did not
// hold before (none before, or another serial number). `param` is the
// DiscWatch.
bool NewDiscArrived(Platform& os, std::intptr_t param);

}  // namespace tolvimer
