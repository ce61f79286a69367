// The discs read from a playlist file, against a reference that splits the
// whole text into lines first. The input is the file's bytes; the playlist
// is D:\Games\g.m3u, so relative discs are taken from "D:\Games\". An input
// whose first byte is odd is read on code page 932 (Shift-JIS lead bytes),
// where a trail byte of '|' is part of a character and not a '|'.
#include <cstdlib>
#include <string>
#include <vector>

#include "mount/playlist.h"
#include "tests/fake/fake_platform.h"

namespace {

constexpr char kFolder[] = "D:\\Games\\";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsShiftJisLead(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// No control character and none of "<>|*?, a lead byte's trail byte skipped.
bool IsFileName(const std::string& line, bool shiftJis) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (shiftJis && IsShiftJisLead(byte) && i + 1 < line.size()) {
      ++i;
    } else if (byte < 0x20 || std::string("\"<>|*?").find(line[i]) != std::string::npos) {
      return false;
    }
  }
  return true;
}

struct Expected {
  std::vector<std::string> discs;
  int ignored = 0;
  int leftOut = 0;
  int notFileNames = 0;
};

Expected Reference(std::string text, bool shiftJis) {
  Expected expected;
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    std::size_t head = 0;
    while (head < line.size() && IsBlank(line[head])) ++head;
    line.erase(0, head);
    while (!line.empty() && (IsBlank(line.back()) || line.back() == '\r')) line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    if (static_cast<int>(expected.discs.size()) == tolvimer::kMaxDiscs) {
      ++expected.ignored;
      continue;
    }
    const bool absolute = line[0] == '\\' || line[0] == '/' || line[1] == ':';
    const std::string path = absolute ? line : kFolder + line;
    if (path.size() + 1 > tolvimer::kPathBufferSize || line.find('\0') != std::string::npos) {
      ++expected.leftOut;
      continue;
    }
    if (!IsFileName(line, shiftJis)) {
      ++expected.notFileNames;
      continue;
    }
    expected.discs.push_back(path);
  }
  return expected;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const bool shiftJis = size > 0 && (data[0] & 1) != 0;
  tolvimer::testing::FakePlatform os;
  for (int byte = 0; byte < 256; ++byte) os.leadBytes[byte] = shiftJis && IsShiftJisLead(byte);
  os.files["D:\\Games\\g.m3u"] = std::vector<std::uint8_t>(data, data + size);
  tolvimer::Playlist playlist;
  tolvimer::ReadPlaylist(os, "D:\\Games\\g.m3u", playlist);
  const Expected expected = Reference(text, shiftJis);
  if (playlist.state != tolvimer::Playlist::kRead) std::abort();
  if (playlist.count != static_cast<int>(expected.discs.size())) std::abort();
  if (playlist.ignored != expected.ignored || playlist.leftOut != expected.leftOut ||
      playlist.notFileNames != expected.notFileNames) {
    std::abort();
  }
  for (int i = 0; i < playlist.count; ++i) {
    if (expected.discs[i] != playlist.discs[i]) std::abort();
  }
  return 0;
}
