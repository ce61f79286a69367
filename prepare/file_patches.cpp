#include "prepare/file_patches.h"

namespace tolvimer {
namespace {

constexpr char kFlashFileName[] = "dc_flash.bin";
constexpr char kConfigFileName[] = "tolvimer.cfg";
constexpr std::int32_t kRegionOffset = 106498;  // 0x1A002
constexpr std::int32_t kDriveLetterOffset = 4;
constexpr std::int32_t kResetOffsets[] = {12, 13};

// Opens an existing file beside the launcher for writing. 0 when the file
// cannot be opened, or when its path would not fit its buffer: a cut path
// would name some other file.
OsHandle OpenBesideLauncher(Platform& os, const char* fileName) {
  char directory[kPathBufferSize];
  char path[kPathBufferSize];
  if (!GetLauncherDirectory(os, directory, sizeof directory) ||
      !JoinPath(directory, fileName, path, sizeof path)) {
    return 0;
  }
  return os.OpenFileForWrite(path);
}

// Writes one byte at `offset`; nothing at all when positioning fails.
void WriteByteAt(Platform& os, const char* fileName, std::int32_t offset, std::uint8_t byte) {
  const OsHandle file = OpenBesideLauncher(os, fileName);
  if (file == 0) return;
  if (os.SetFilePointer(file, offset)) os.WriteFileByte(file, byte);
  os.CloseHandle(file);
}

std::uint8_t LowerAsciiLetter(std::uint8_t byte) {
  return (byte >= 'A' && byte <= 'Z') ? static_cast<std::uint8_t>(byte - 'A' + 'a') : byte;
}

}  // namespace

const char* PatchMeaning(const char* fileName, std::int32_t offset) {
  static constexpr struct {
    const char* file;
    std::int32_t offset;
    const char* meaning;
  } kPatches[] = {
      {kFlashFileName, kRegionOffset, "the console region ('0' jap, '1' usa, '2' euro)"},
      {kConfigFileName, kDriveLetterOffset, "the CD drive letter"},
      {kConfigFileName, kResetOffsets[0], "a byte cleared before every start"},
      {kConfigFileName, kResetOffsets[1], "a byte cleared before every start"},
  };
  for (const auto& patch : kPatches) {
    if (IsWord(fileName, patch.file) && offset == patch.offset) return patch.meaning;
  }
  return nullptr;
}

void WriteFlashRegion(Platform& os, std::uint8_t region) {
  WriteByteAt(os, kFlashFileName, kRegionOffset, region);
}

void WriteCdDrive(Platform& os, std::uint8_t letter) {
  WriteByteAt(os, kConfigFileName, kDriveLetterOffset, letter);
}

void ResetConfigFlags(Platform& os) {
  const OsHandle file = OpenBesideLauncher(os, kConfigFileName);
  if (file == 0) return;
  // Both bytes on the one handle; a failed positioning leaves the rest alone.
  for (const std::int32_t offset : kResetOffsets) {
    if (!os.SetFilePointer(file, offset)) break;
    os.WriteFileByte(file, 0x00);
  }
  os.CloseHandle(file);
}

void ApplyRegionSetting(Settings& settings) {
  if (!settings.Read("General", "Region")) return;
  for (const RegionWord& row : kRegionWords) {
    if (IsWord(settings.value(), row.word)) {
      WriteFlashRegion(settings.os(), row.region);
      return;
    }
  }
}

void ApplyDriveSetting(Settings& settings) {
  if (!settings.Read("General", "Drive")) return;
  WriteCdDrive(settings.os(), LowerAsciiLetter(static_cast<std::uint8_t>(settings.value()[0])));
}

}  // namespace tolvimer
