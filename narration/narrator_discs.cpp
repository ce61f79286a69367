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
  if (playlist.state == Playlist::kPathTooLong) {
    outcome_.Add("its path is longer than the ")
        .Number(static_cast<std::int64_t>(kPathBufferSize - 1))
        .Add(" characters that fit: it is not opened, and no disc is mounted");
  } else if (playlist.state == Playlist::kUnreadable) {
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

void Narrator::AddKeyNamed(Text& text, std::uint32_t virtualKey) {
  char name[64];
  std::uint32_t n = inner_.GetKeyName(virtualKey, name, sizeof name);
  if (n >= sizeof name) n = sizeof name - 1;
  name[n] = '\0';
  text.Number(virtualKey).Add(" (");
  if (n > 0) {
    text.Shown(name);
  } else {
    text.Add("a key the keyboard layout has no name for");
  }
  text.Add(")");
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
    AddKeyNamed(line_, keys.key);
    if (keys.key == static_cast<std::uint8_t>(exitKey)) {
      outcome_.Add(
          "warning: the exit key is polled first, so this key ends play and never "
          "swaps discs");
    }
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
    outcome_.Add("a dry run takes it as ended with exit code 0");
  } else if (result == win::kWaitObject0) {
    outcome_.Add("it has ended");
  } else if (result == win::kWaitTimeout) {
    outcome_.Add(
        "still running after that time, and it may yet unmount: the disc mounted now stays, "
        "and no other disc is mounted");
  } else {
    Failed();
    outcome_.Add(": the disc mounted now stays, and no other disc is mounted");
  }
  Act();
  return result;
}

void Narrator::TellUnmountExitCode(bool known, std::uint32_t exitCode) {
  if (!Running()) return;
  line_.Add("the unmount's exit code");
  if (!known) {
    Failed();
  } else {
    outcome_.Number(exitCode);
  }
  if (!known || exitCode != 0) {
    outcome_.Add(": the unmount failed; the disc mounted now stays, and no other disc is mounted");
  }
  Act();
}

}  // namespace tolvimer
