// The mount tool command lines: for every template, a fuzzed Exe, Device or
// Drive and image path give either the template filled in exactly, when that
// fits the 264-byte buffer, or a refusal with the buffer emptied.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_fields.h"
#include "mount/mount_commands.h"

namespace {

std::string FilledIn(const char* format, const std::string* args, std::size_t count) {
  std::string line;
  std::size_t next = 0;
  for (const char* f = format; *f; ++f) {
    if (f[0] == '%' && f[1] == 's' && next < count) {
      line += args[next++];
      ++f;
    } else {
      line += *f;
    }
  }
  return line;
}

void Fail(const char* format, const char* what) {
  std::fprintf(stderr, "template %s: %s\n", format, what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto fields = tolvimer::fuzz::Fields(data, size, 3);
  const auto exe = tolvimer::fuzz::ExactCopy(fields[0]);
  const auto target = tolvimer::fuzz::ExactCopy(fields[1]);
  const auto image = tolvimer::fuzz::ExactCopy(fields[2]);
  const char* const args[] = {exe.get(), target.get(), image.get()};

  struct Template {
    const char* format;
    std::size_t argCount;
  };
  const Template templates[] = {{tolvimer::kDaemonToolsMount, 3},
                                {tolvimer::kDaemonToolsUnmount, 2},
                                {tolvimer::kAlcohol120Mount, 3},
                                {tolvimer::kAlcohol120Unmount, 2}};
  for (const Template& t : templates) {
    const std::string expected = FilledIn(t.format, fields.data(), t.argCount);
    char line[tolvimer::kPathBufferSize];
    std::memset(line, 0x7F, sizeof line);
    const bool made = tolvimer::FormatCommandLine(line, t.format, args, t.argCount);
    if (expected.size() < sizeof line) {
      if (!made) Fail(t.format, "refused a line that fits");
      if (expected != line) Fail(t.format, "not the template filled in");
    } else {
      if (made) Fail(t.format, "made a line that cannot fit");
      if (line[0] != '\0') Fail(t.format, "left a refused line in the buffer");
    }
  }
  return 0;
}
