#include "mount/playlist.h"

#include <cstddef>
#include <cstring>

#include "mount/custom_mount.h"

namespace tolvimer {
namespace {

constexpr std::uint32_t kReadChunk = 512;

char FoldAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The characters no Windows file name holds, beside the control characters;
// all below 0x40 but '|', so only '|' can be a double-byte trail byte.
constexpr char kNotInNames[] = "\"<>|*?";

// Whether a disc line can be a Windows file name: no control character and
// none of kNotInNames, read as Windows reads the text (a double-byte
// character's trail byte is part of it; UTF-8 has no such byte below 0x80).
bool IsFileName(Platform& os, const char* path, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const auto byte = static_cast<std::uint8_t>(path[i]);
    if (os.IsDbcsLeadByte(byte) && i + 1 < length) {
      ++i;
    } else if (byte < 0x20 || std::strchr(kNotInNames, path[i]) != nullptr) {
      return false;
    }
  }
  return true;
}

// The playlist's folder: the path up to and with its last '\' or '/', a
// double-byte character's trail byte never taken for one.
std::size_t FolderLength(Platform& os, const char* path, std::size_t length) {
  std::size_t keep = 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (os.IsDbcsLeadByte(static_cast<std::uint8_t>(path[i])) && i + 1 < length) {
      ++i;
    } else if (path[i] == '\\' || path[i] == '/') {
      keep = i + 1;
    }
  }
  return keep;
}

// Takes the lines of the playlist one byte at a time, into the disc table.
class LineReader {
 public:
  LineReader(Platform& os, const char* folder, std::size_t folderLength, Playlist& playlist)
      : os_(os), folder_(folder), folderLength_(folderLength), playlist_(playlist) {}

  void Take(char c) {
    if (c == '\n') {
      EndLine();
      return;
    }
    if (length_ == 0 && IsBlank(c)) return;  // blanks before the path
    if (length_ < sizeof line_ - 1) {
      line_[length_++] = c;
    } else {
      unusable_ = true;
    }
    // A NUL would end the path early: such a line is never used.
    if (c == '\0') unusable_ = true;
  }

  // The end of the file ends the last line, with or without its line end.
  void Finish() { EndLine(); }

 private:
  void EndLine() {
    while (length_ > 0 && (IsBlank(line_[length_ - 1]) || line_[length_ - 1] == '\r')) --length_;
    line_[length_] = '\0';
    const bool disc = (length_ > 0 || unusable_) && line_[0] != '#';
    if (disc) AddDisc();
    length_ = 0;
    unusable_ = false;
  }

  void AddDisc() {
    if (playlist_.count == kMaxDiscs) {
      ++playlist_.ignored;
      return;
    }
    const bool absolute =
        line_[0] == '\\' || line_[0] == '/' || (line_[0] != '\0' && line_[1] == ':');
    const std::size_t head = absolute ? 0 : folderLength_;
    char* const out = playlist_.discs[playlist_.count];
    if (unusable_ || head + length_ + 1 > kPathBufferSize) {
      ++playlist_.leftOut;
      return;
    }
    // Checked before it reaches any command line or tool.
    if (!IsFileName(os_, line_, length_)) {
      ++playlist_.notFileNames;
      return;
    }
    for (std::size_t i = 0; i < head; ++i) out[i] = folder_[i];
    for (std::size_t i = 0; i <= length_; ++i) out[head + i] = line_[i];
    ++playlist_.count;
  }

  Platform& os_;
  const char* const folder_;
  const std::size_t folderLength_;
  Playlist& playlist_;
  char line_[kPathBufferSize] = {};
  std::size_t length_ = 0;
  bool unusable_ = false;
};

}  // namespace

bool IsPlaylistPath(const char* imagePath) {
  const char* const path = imagePath;
  const std::size_t length = std::strlen(path);
  constexpr std::size_t kExtension = sizeof kPlaylistExtension - 1;
  if (length < kExtension) return false;
  for (std::size_t i = 0; i < kExtension; ++i) {
    if (FoldAsciiLetter(path[length - kExtension + i]) != kPlaylistExtension[i]) return false;
  }
  return true;
}

void ReadPlaylist(Platform& os, const char* imagePath, Playlist& playlist) {
  playlist = Playlist{};
  const char* const bare = imagePath;
  const std::size_t length = std::strlen(bare);
  char path[kPathBufferSize];
  if (length + 1 > sizeof path) {
    playlist.state = Playlist::kPathTooLong;
    return;
  }
  for (std::size_t i = 0; i < length; ++i) path[i] = bare[i];
  path[length] = '\0';
  const std::size_t folderLength = FolderLength(os, path, length);

  const OsHandle file = os.OpenFileForRead(path);
  if (file == 0) {
    playlist.state = Playlist::kUnreadable;
    playlist.error = os.GetLastError();
    return;
  }
  LineReader lines(os, path, folderLength, playlist);
  char chunk[kReadChunk];
  bool first = true;
  for (;;) {
    std::uint32_t read = 0;
    if (!os.ReadFileBytes(file, chunk, sizeof chunk, read)) {
      playlist.state = Playlist::kUnreadable;
      playlist.error = os.GetLastError();
      break;
    }
    if (read == 0) break;
    std::uint32_t at = 0;
    // A UTF-8 byte-order mark is taken as no text. A first read shorter
    // than the mark cannot hold one whole.
    if (first && read >= 3 && static_cast<std::uint8_t>(chunk[0]) == 0xEF &&
        static_cast<std::uint8_t>(chunk[1]) == 0xBB &&
        static_cast<std::uint8_t>(chunk[2]) == 0xBF) {
      at = 3;
    }
    first = false;
    for (; at < read; ++at) lines.Take(chunk[at]);
  }
  os.CloseHandle(file);
  if (playlist.state == Playlist::kRead) {
    lines.Finish();
  } else {
    playlist.count = 0;
  }
}

}  // namespace tolvimer
