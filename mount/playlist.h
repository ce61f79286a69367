// A game on several discs: an image path ending in ".m3u" names a playlist,
// a text file with one disc image path a line. The discs are mounted one at
// a time, the first at the start of play, the next at each disc swap.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// The most discs a playlist gives; further disc lines are left out.
constexpr int kMaxDiscs = 8;
constexpr char kPlaylistExtension[] = ".m3u";

struct Playlist {
  enum State : std::uint8_t {
    kRead,         // read to its end; `count` may still be 0
    kUnreadable,   // the file could not be opened or read
    kPathTooLong,  // its own path would not fit the path buffer: not opened
  } state = kRead;
  std::int32_t count = 0;    // discs in `discs`
  std::int32_t ignored = 0;  // disc lines past the eighth
  // Disc lines left out: a path that would not fit, or one holding a NUL byte
  // (which would end it early).
  std::int32_t leftOut = 0;
  // Disc lines left out as no Windows file name: a control character (a CR
  // or tab inside, say) or one of "<>|*?.
  std::int32_t notFileNames = 0;
  std::uint32_t error = 0;   // kUnreadable: GetLastError of the failed call
  char discs[kMaxDiscs][kPathBufferSize] = {};
};

// Whether the image path (a front end's quotes already taken off) ends in
// ".m3u", A to Z folded.
bool IsPlaylistPath(const char* imagePath);

// Reads the playlist the image path names. Its bytes are ANSI (a UTF-8 mark
// at the start is skipped), lines end in CR LF or LF; blank lines and lines
// starting with '#' are skipped, blanks around a path are dropped, and a
// relative path is taken from the playlist's folder. A path that would not
// fit whole, or that holds a NUL byte, is left out, never cut; so is one
// that is no Windows file name (read in the code page's double-byte
// characters, which the platform tells).
void ReadPlaylist(Platform& os, const char* imagePath, Playlist& playlist);

}  // namespace tolvimer
