// A game on several discs: the playlist's discs, the one mounted now, and
// the swap the exit watch asks for. It sits above mount/ and exitwatch/,
// which do not call each other.
#pragma once

#include <cstdint>

#include "exitwatch/exit_watch.h"
#include "launch/recovery.h"
#include "mount/autoplay_wait.h"
#include "mount/playlist.h"
#include "settings/settings.h"

namespace tolvimer {

// How long a swap waits for the old disc's unmount to end.
constexpr std::uint32_t kSwapUnmountWait = 10000;

class DiscChanger {
 public:
  DiscChanger(Settings& settings, Instance instance, UndoKeeper& undo,
              AutoPlayHandlerHold& handler)
      : settings_(settings), instance_(instance), undo_(undo), handler_(handler) {}

  // Reads the playlist when the image path names one. Gives the image to
  // mount: the image path itself without a playlist, the first disc with
  // one, null for a playlist without a disc (nothing is mounted then).
  const char* Begin(const char* imagePath);
  // The image mounted now: the image path without a playlist, the disc
  // mounted last with one, null when the playlist has no disc.
  const char* Mounted() const;
  // Reads the swap keys, for a playlist with a disc; none otherwise.
  SwapKeys ReadKeys();
  // Unmounts the disc mounted now, waited for, mounts the next one (after
  // the last, the first) and waits after the mount as a swap's wait during
  // play. No unmount line (Unmount off, no tool), or an unmount that could
  // not be started, failed (an exit code other than 0) or did not end in
  // time: the disc mounted now stays, and nothing more is done. True when
  // the next disc was mounted. `self` is the DiscChanger.
  static bool Swap(std::intptr_t self);

 private:
  Settings& settings_;
  const Instance instance_;
  UndoKeeper& undo_;
  AutoPlayHandlerHold& handler_;  // held from the first mount on, kept over swaps
  const char* image_ = nullptr;
  bool playlist_ = false;
  std::int32_t current_ = 0;
  Playlist discs_;
};

}  // namespace tolvimer
