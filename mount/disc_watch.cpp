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

DiscWatch NoteDiscBeforeMount(Settings& settings) {
  DiscWatch watch;
  if (!settings.ReadIs("General", "WaitForDisc", "true")) return watch;
  // The letter written into tolvimer.cfg: the first character of Drive.
  if (!settings.Read("General", "Drive")) return watch;
  const char letter = settings.value()[0];
  const bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
  if (!isLetter) return watch;
  watch.root[0] = letter >= 'a' ? static_cast<char>(letter - 'a' + 'A') : letter;
  watch.root[1] = ':';
  watch.root[2] = '\\';
  watch.root[3] = '\0';
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
