#include "prepare/file_patches.h"

namespace tolvimer {

// Filled in with the emulator file patches.
void WriteFlashRegion(Platform&, std::uint8_t) {}
void WriteCdDrive(Platform&, std::uint8_t) {}
void ResetConfigFlags(Platform&) {}
void ApplyRegionSetting(Settings&) {}
void ApplyDriveSetting(Settings&) {}

}  // namespace tolvimer
