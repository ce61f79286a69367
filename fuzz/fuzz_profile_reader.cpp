// The profile reader on fuzzed settings text. The first input byte is the
// read size (0 to 255), then come the section, the key and the text.
// Checked: the answer never exceeds size - 1 characters, is terminated and is
// a piece of the text; a smaller read gives a prefix of a larger one; names
// match regardless of case.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_fields.h"
#include "platform/profile_reader.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "profile reader: %s\n", what);
    std::abort();
  }
}

std::string Upper(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint32_t readSize = data[0];
  const auto names = tolvimer::fuzz::Fields(data + 1, size - 1, 2);
  // The text is what follows the key's NUL, NUL bytes and all.
  std::size_t at = 1 + names[0].size() + 1 + names[1].size() + 1;
  if (at > size) at = size;
  const std::string text(reinterpret_cast<const char*>(data) + at, size - at);
  std::unique_ptr<char[]> file(new char[text.size() + 1]);
  std::memcpy(file.get(), text.data(), text.size());
  const auto section = tolvimer::fuzz::ExactCopy(names[0]);
  const auto key = tolvimer::fuzz::ExactCopy(names[1]);

  // A buffer of exactly the read size: any write past it is reported.
  std::unique_ptr<char[]> out(new char[readSize == 0 ? 1 : readSize]);
  if (readSize == 0) out[0] = 0x7F;
  const std::uint32_t n = tolvimer::ReadProfileString(file.get(), text.size(), section.get(),
                                                      key.get(), out.get(), readSize);
  if (readSize == 0) {
    Check(n == 0 && out[0] == 0x7F, "wrote into a buffer of size 0");
    return 0;
  }
  Check(n <= readSize - 1, "answer longer than size - 1");
  Check(out[n] == '\0', "answer not terminated");
  // A UTF-16LE file is read converted to the ANSI code page; any other file
  // answers with pieces of its own bytes.
  const bool converted = tolvimer::DetectProfileEncoding(file.get(), text.size()) ==
                         tolvimer::ProfileEncoding::kUtf16Le;
  Check(n == 0 || converted || text.find(std::string(out.get(), n)) != std::string::npos,
        "answer is not a piece of the text");

  char whole[4096];
  const std::uint32_t wholeLength = tolvimer::ReadProfileString(
      file.get(), text.size(), section.get(), key.get(), whole, sizeof whole);
  const std::uint32_t expected = wholeLength < readSize - 1 ? wholeLength : readSize - 1;
  // As Windows' reader does, a quoted value whose closing quote falls just
  // past the read size loses one more character.
  Check(n == expected || (expected == readSize - 1 && n + 1 == expected),
        "a smaller read is not cut to its size");
  Check(std::memcmp(out.get(), whole, n) == 0, "a smaller read is not a prefix of a larger one");

  char upper[4096];
  const std::uint32_t upperLength =
      tolvimer::ReadProfileString(file.get(), text.size(), Upper(names[0]).c_str(),
                                  Upper(names[1]).c_str(), upper, sizeof upper);
  Check(upperLength == wholeLength && std::memcmp(upper, whole, wholeLength) == 0,
        "names in upper case read differently");
  return 0;
}
