#include "launch/undo_record.h"

#include <cstring>

namespace tolvimer {
namespace {

constexpr unsigned char kMark[8] = {'T', 'L', 'U', 'N', 'D', 'O', '\r', '\n'};
constexpr std::size_t kChecksumAt = 16;
constexpr std::size_t kLauncherAt = 20;
constexpr std::size_t kFlagsAt = 32;
constexpr std::size_t kEmulatorAt = 36;
constexpr std::size_t kLineAt = 48;
constexpr std::uint32_t kDisplayFlag = 1;
constexpr std::uint32_t kEmulatorFlag = 2;
// After the unmount line's terminator: the tool's environment values follow.
constexpr unsigned char kEnvironmentMark = 1;

void Put32(unsigned char* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

std::uint32_t Get32(const unsigned char* at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= std::uint32_t{at[i]} << (8 * i);
  return value;
}

void PutIdentity(unsigned char* at, const ProcessIdentity& identity) {
  Put32(at, identity.processId);
  Put32(at + 4, static_cast<std::uint32_t>(identity.creationTime));
  Put32(at + 8, static_cast<std::uint32_t>(identity.creationTime >> 32));
}

ProcessIdentity GetIdentity(const unsigned char* at) {
  return ProcessIdentity{Get32(at), (std::uint64_t{Get32(at + 8)} << 32) | Get32(at + 4)};
}

// FNV-1a over everything after the checksum field.
std::uint32_t Checksum(const unsigned char* bytes) {
  std::uint32_t sum = 2166136261u;
  for (std::size_t i = kChecksumAt + 4; i < kUndoRecordSize; ++i)
    sum = (sum ^ bytes[i]) * 16777619u;
  return sum;
}

}  // namespace

bool KeepUnmountEnvironment(UndoRecord& record, const char* imagePath, char drive) {
  char* const line = record.unmountLine;
  const std::size_t at = std::strlen(line) + 1;
  std::memset(line + at, 0, kCustomCommandSize - at);
  if (imagePath == nullptr) return true;
  // The mark, the path, its terminator and the drive; the field's last byte
  // stays 0.
  const std::size_t length = std::strlen(imagePath);
  if (at + 1 + length + 2 >= kCustomCommandSize) {
    std::memset(line, 0, at);
    return false;
  }
  line[at] = static_cast<char>(kEnvironmentMark);
  std::memcpy(line + at + 1, imagePath, length + 1);
  line[at + 1 + length + 1] = drive;
  return true;
}

const char* UnmountEnvironment(const UndoRecord& record, char& drive) {
  const char* const line = record.unmountLine;
  const std::size_t at = std::strlen(line) + 1;
  drive = '\0';
  if (at + 1 >= kCustomCommandSize || static_cast<unsigned char>(line[at]) != kEnvironmentMark)
    return nullptr;
  const char* const image = line + at + 1;
  // The drive's byte, after the path's terminator, lies within the field.
  const std::size_t driveAt = at + 1 + std::strlen(image) + 1;
  if (driveAt >= kCustomCommandSize) return nullptr;
  drive = line[driveAt];
  return image;
}

void EncodeUndoRecord(const UndoRecord& record, unsigned char (&bytes)[kUndoRecordSize]) {
  for (unsigned char& byte : bytes) byte = 0;
  for (std::size_t i = 0; i < sizeof kMark; ++i) bytes[i] = kMark[i];
  Put32(bytes + 8, kUndoVersion);
  Put32(bytes + 12, kUndoRecordSize);
  PutIdentity(bytes + kLauncherAt, record.launcher);
  Put32(bytes + kFlagsAt,
        (record.displaySwitched ? kDisplayFlag : 0) | (record.emulatorStarted ? kEmulatorFlag : 0));
  PutIdentity(bytes + kEmulatorAt, record.emulator);
  // The line's field is copied whole: its text, and what KeepUnmountEnvironment
  // keeps after it; the rest is zero, the field's last byte always.
  for (std::size_t i = 0; i + 1 < kCustomCommandSize; ++i)
    bytes[kLineAt + i] = static_cast<unsigned char>(record.unmountLine[i]);
  Put32(bytes + kChecksumAt, Checksum(bytes));
}

UndoFileState DecodeUndoRecord(const unsigned char* bytes, std::size_t size, UndoRecord& record) {
  record = UndoRecord{};
  for (std::size_t i = 0; i < sizeof kMark && i < size; ++i) {
    if (bytes[i] != kMark[i]) return UndoFileState::kForeign;
  }
  if (size < 12) return UndoFileState::kShort;
  if (Get32(bytes + 8) != kUndoVersion) return UndoFileState::kNewer;
  if (size < kChecksumAt + 4) return UndoFileState::kShort;
  if (Get32(bytes + 12) != kUndoRecordSize) return UndoFileState::kDamaged;
  if (size < kUndoRecordSize) return UndoFileState::kShort;
  if (size > kUndoRecordSize || Get32(bytes + kChecksumAt) != Checksum(bytes))
    return UndoFileState::kDamaged;
  if (bytes[kLineAt + kCustomCommandSize - 1] != 0) return UndoFileState::kDamaged;

  record.launcher = GetIdentity(bytes + kLauncherAt);
  const std::uint32_t flags = Get32(bytes + kFlagsAt);
  record.displaySwitched = (flags & kDisplayFlag) != 0;
  record.emulatorStarted = (flags & kEmulatorFlag) != 0;
  record.emulator = GetIdentity(bytes + kEmulatorAt);
  for (std::size_t i = 0; i < kCustomCommandSize; ++i)
    record.unmountLine[i] = static_cast<char>(bytes[kLineAt + i]);
  return UndoFileState::kValid;
}

const char* UndoFileStateText(UndoFileState state) {
  switch (state) {
    case UndoFileState::kValid:
      return "a whole record";
    case UndoFileState::kForeign:
      return "not an undo record";
    case UndoFileState::kNewer:
      return "written by a newer launcher";
    case UndoFileState::kShort:
      return "cut off";
    case UndoFileState::kDamaged:
      return "damaged";
  }
  return "damaged";
}

}  // namespace tolvimer
