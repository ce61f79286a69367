// The narration of a playlist: its discs as read, the next-disc key and
// combination, and each disc swap.
#include "exitwatch/exit_watch.h"
#include "mount/playlist.h"
#include "narration/narrator.h"

namespace tolvimer {

void Narrator::PlaylistRead(const Playlist& playlist) {
  FlushTaps();
  inner_.PlaylistRead(playlist);
  line_.Add("read the playlist");
  if (playlist.state == Playlist::kUnreadable) {
    if (Running()) {
      outcome_.Add("failed: error ").Number(playlist.error);
      AddErrorText(playlist.error);
    } else {
      outcome_.Add("it cannot be read");
    }
    outcome_.Add(": no disc is mounted");
  } else if (playlist.count == 0) {
    outcome_.Add("it names no disc: no disc is mounted");
  } else {
    outcome_.Number(playlist.count).Add(playlist.count == 1 ? " disc" : " discs");
  }
  Act();
  for (int i = 0; i < playlist.count; ++i) {
    line_.Add("disc ").Number(i + 1).Add(": ").Shown(playlist.discs[i]);
    Act();
  }
  if (playlist.ignored > 0) {
    line_.Add("warning: ").Number(playlist.ignored);
    line_.Add(playlist.ignored == 1 ? " disc line" : " disc lines");
    line_.Add(" after the ").Number(kMaxDiscs).Add("th ignored");
    Act();
  }
  if (playlist.leftOut > 0) {
    line_.Add("warning: ").Number(playlist.leftOut);
    line_.Add(playlist.leftOut == 1 ? " disc line" : " disc lines");
    line_.Add(" left out: a path longer than ");
    line_.Number(static_cast<std::int64_t>(kPathBufferSize - 1));
    line_.Add(" characters, or one holding a NUL byte");
    Act();
  }
  if (playlist.notFileNames > 0) {
    line_.Add("warning: ").Number(playlist.notFileNames);
    line_.Add(playlist.notFileNames == 1 ? " disc line" : " disc lines");
    line_.Add(" left out: no Windows file name, holding a control character or one of \"<>|*?");
    Act();
  }
}

void Narrator::DiscChosen(int disc, int count, const char* path) {
  FlushTaps();
  inner_.DiscChosen(disc, count, path);
  line_.Add("the disc to mount: disc ").Number(disc).Add(" of ").Number(count).Add(", ");
  line_.Shown(path);
  Act();
}

void Narrator::SwapKeysRead(const SwapKeys& keys) {
  FlushTaps();
  inner_.SwapKeysRead(keys);
  swapKey_ = keys.key;
  swapComboWanted_ = 0;
  if (keys.combo.enabled) {
    for (int input = 0; input < kComboInputs; ++input) {
      if (keys.combo.wanted[input]) swapComboWanted_ |= std::uint64_t{1} << input;
    }
  }
  if (keys.key != 0) {
    line_.Add("the next-disc key: ");
    AddPolledKey(line_, keys.key);
  } else {
    line_.Add("no next-disc key");
  }
  Act();
  if (keys.combo.enabled) {
    line_.Add("the gamepad next-disc combination: ");
    AddComboInputsOf(line_, swapComboWanted_);
  } else {
    line_.Add("no gamepad next-disc combination");
  }
  Act();
}

std::uint32_t Narrator::TellUnmountWait(OsHandle process, std::uint32_t milliseconds) {
  const std::uint32_t result = inner_.WaitForSingleObject(process, milliseconds);
  line_.Add("wait up to ").Number(milliseconds).Add(" ms for the unmount to end");
  if (!Running()) {
    outcome_.Add("a dry run takes it as ended");
  } else if (result == win::kWaitObject0) {
    outcome_.Add("it has ended");
  } else if (result == win::kWaitTimeout) {
    outcome_.Add("still running after that time: the next disc is mounted all the same");
  } else {
    Failed();
  }
  Act();
  return result;
}

}  // namespace tolvimer
