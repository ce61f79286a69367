#include "mount/disc_watch.h"

namespace tolvimer {

DriveContent LookAtDrive(Platform& os, const char* root) {
  const std::uint32_t previous = os.SetErrorMode(win::kSemFailCriticalErrors);
  DriveContent content;
  const std::uint32_t type = os.GetDriveType(root);
  // No such drive: Wine may still answer the volume call for it.
  if (type != win::kDriveUnknown && type != win::kDriveNoRootDir) {
    content.disc = os.GetVolumeSerial(root, content.serial);
    if (!content.disc) content.serial = 0;
  }
  os.SetErrorMode(previous);
  return content;
}

std::uint32_t DriveMaskOf(const char* root) {
  if (root[0] < 'A' || root[0] > 'Z') return 0;
  return 1u << (root[0] - 'A');
}

bool DriveRootOf(const char* driveValue, char (&root)[4]) {
  // The letter written into tolvimer.cfg: the first character of Drive.
  const char letter = driveValue[0];
  root[0] = '\0';
  if (letter >= 'a' && letter <= 'z') {
    root[0] = static_cast<char>(letter - 'a' + 'A');
  } else if (letter >= 'A' && letter <= 'Z') {
    root[0] = letter;
  } else {
    return false;
  }
  root[1] = ':';
  root[2] = '\\';
  root[3] = '\0';
  return true;
}

DiscWatch NoteDiscBeforeMount(Settings& settings) {
  DiscWatch watch;
  if (!settings.ReadIs("General", "WaitForDisc", "true")) return watch;
  if (!settings.Read("General", "Drive") || !DriveRootOf(settings.value(), watch.root)) {
    return watch;
  }
  watch.watching = true;
  watch.before = LookAtDrive(settings.os(), watch.root);
  return watch;
}

bool NewDiscArrived(Platform& os, std::intptr_t param) {
  const DiscWatch& watch = *reinterpret_cast<const DiscWatch*>(param);
  const DriveContent now = LookAtDrive(os, watch.root);
  if (!now.disc) return false;
  return !watch.before.disc || now.serial != watch.before.serial;
}

}  // namespace tolvimer
