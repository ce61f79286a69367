#include "launch/disc_changer.h"

#include "mount/autoplay_wait.h"
#include "mount/disc_watch.h"
#include "mount/mount_commands.h"

namespace tolvimer {

const char* DiscChanger::Begin(const char* imagePath) {
  image_ = imagePath;
  playlist_ = IsPlaylistPath(imagePath);
  if (!playlist_) return imagePath;
  Platform& os = settings_.os();
  ReadPlaylist(os, imagePath, discs_);
  os.PlaylistRead(discs_);
  if (discs_.count == 0) return nullptr;
  os.DiscChosen(1, discs_.count, discs_.discs[0]);
  return discs_.discs[0];
}

const char* DiscChanger::Mounted() const {
  if (!playlist_) return image_;
  return discs_.count == 0 ? nullptr : discs_.discs[current_];
}

SwapKeys DiscChanger::ReadKeys() {
  SwapKeys keys;
  if (!playlist_ || discs_.count == 0) return keys;
  settings_.os().BeginStep(Step::kSwapKeys);
  keys = ReadSwapKeys(settings_);
  keys.swap = Swap;
  keys.param = reinterpret_cast<std::intptr_t>(this);
  settings_.os().SwapKeysRead(keys);
  return keys;
}

bool DiscChanger::Swap(std::intptr_t self) {
  DiscChanger& changer = *reinterpret_cast<DiscChanger*>(self);
  Settings& settings = changer.settings_;
  Platform& os = settings.os();
  os.BeginStep(Step::kSwapUnmount);
  const char* const old = changer.discs_.discs[changer.current_];
  // Only an unmount that has ended well makes room: one that failed, or may
  // still land, leaves the disc mounted now, and the record naming it.
  const bool swapped =
      UnmountDiscImageAndWait(settings, old, kSwapUnmountWait) == CommandWait::kEnded;
  if (swapped) {
    changer.current_ = (changer.current_ + 1) % changer.discs_.count;
    const char* const next = changer.discs_.discs[changer.current_];
    os.BeginStep(Step::kSwapMount);
    os.DiscChosen(changer.current_ + 1, changer.discs_.count, next);
    changer.undo_.BeforeMount(settings, next);
    const DiscWatch disc = NoteDiscBeforeMount(settings);
    TakeHandlerAnswers(os, changer.handler_);
    MountDiscImage(settings, next);
    os.BeginStep(Step::kDelay);
    WaitAfterMount(settings, changer.instance_, disc, changer.handler_, true);
  }
  os.BeginStep(Step::kWatch);
  return swapped;
}

}  // namespace tolvimer
