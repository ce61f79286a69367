// One-byte patches of the emulator's files "dc_flash.bin" and "tolvimer.cfg"
// beside the launcher.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// Writes the region byte (offset 106498) of "dc_flash.bin".
void WriteFlashRegion(Platform& os, std::uint8_t region);
// Writes the drive letter byte (offset 4) of "tolvimer.cfg".
void WriteCdDrive(Platform& os, std::uint8_t letter);
// Clears bytes 12 and 13 of "tolvimer.cfg".
void ResetConfigFlags(Platform& os);
// The words of [General] Region, each with the region byte it writes.
struct RegionWord {
  const char* word;
  std::uint8_t region;
};
inline constexpr RegionWord kRegionWords[] = {{"jap", '0'}, {"usa", '1'}, {"euro", '2'}};
// [General] Region: a word of kRegionWords writes its byte; any other value nothing.
void ApplyRegionSetting(Settings& settings);
// [General] Drive: its first character, A to Z lowered, becomes the drive letter.
void ApplyDriveSetting(Settings& settings);

// What the byte at `offset` of one of the emulator's files ("dc_flash.bin",
// "tolvimer.cfg") means to the launcher; null for a byte it does not write.
const char* PatchMeaning(const char* fileName, std::int32_t offset);

}  // namespace tolvimer
