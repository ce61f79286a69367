// The game section taken from an image path, against a reference that
// splits the path into characters first and then picks the name out.
// The first input byte picks the code page's lead bytes: none, those of a
// Japanese code page, or every byte from 0x81 up.
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_fields.h"
#include "settings/settings.h"
#include "tests/fake/fake_platform.h"

namespace {

using tolvimer::kGameSectionMax;

void SetLeadBytes(std::uint8_t codePage, bool (&lead)[256]) {
  for (int b = 0; b < 256; ++b) {
    switch (codePage % 3) {
      case 0:
        lead[b] = false;
        break;
      case 1:
        lead[b] = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        break;
      default:
        lead[b] = b >= 0x81 && b <= 0xFE;
        break;
    }
  }
}

struct Character {
  std::size_t at;
  std::size_t width;
};

std::string ReferenceSection(const std::string& path, const bool (&lead)[256]) {
  std::size_t begin = (path.size() >= 2 && path[1] == ':') ? 2 : 0;
  std::vector<Character> characters;
  for (std::size_t i = begin; i < path.size();) {
    const bool pair = lead[static_cast<unsigned char>(path[i])] && i + 1 < path.size();
    characters.push_back({i, pair ? 2u : 1u});
    i += pair ? 2 : 1;
  }
  auto single = [&](const Character& c, char wanted) {
    return c.width == 1 && path[c.at] == wanted;
  };
  std::size_t nameStart = begin;
  for (const Character& c : characters) {
    if (single(c, '\\') || single(c, '/')) nameStart = c.at + 1;
  }
  std::size_t nameEnd = path.size();
  for (const Character& c : characters) {
    if (c.at >= nameStart && single(c, '.')) nameEnd = c.at;
  }
  std::string name;
  for (const Character& c : characters) {
    if (c.at < nameStart || c.at >= nameEnd) continue;
    if (name.size() + c.width > kGameSectionMax) break;
    name.append(path, c.at, c.width);
  }
  return name;
}

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "game section: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static tolvimer::testing::FakePlatform os;
  if (size == 0) return 0;
  SetLeadBytes(data[0], os.leadBytes);
  const std::string path = tolvimer::fuzz::Fields(data + 1, size - 1, 1)[0];
  const auto image = tolvimer::fuzz::ExactCopy(path);

  char section[kGameSectionMax + 1];
  std::memset(section, 0x7F, sizeof section);
  tolvimer::GameSectionFromImagePath(os, image.get(), section);

  const std::size_t length = strnlen(section, sizeof section);
  Check(length <= kGameSectionMax, "not terminated within 256 bytes");
  Check(path.find(section) != std::string::npos, "not a substring of the image path");
  Check(section == ReferenceSection(path, os.leadBytes), "differs from the reference");
  if (data[0] % 3 == 0) {
    Check(std::strpbrk(section, "\\/") == nullptr, "holds a path separator");
  }
  return 0;
}
