// The [CustomMount] command line: a fuzzed Exe, Args value, image path and
// drive letter give either the line filled in exactly, when it fits the
// 2,048-byte buffer, or a refusal with the buffer emptied; either way the
// length told is the whole line's.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_fields.h"
#include "mount/custom_mount.h"

namespace {

bool At(const std::string& text, std::size_t i, const char* what) {
  return text.compare(i, std::strlen(what), what) == 0;
}

// The line as the placeholders describe it, built with std::string;
// `hasImage` tells whether {image} is one of them ("{{image}" is not).
std::string Expected(const std::string& exe, const std::string& args, const std::string& image,
                     char drive, bool& hasImage) {
  hasImage = false;
  std::string line = "\"" + exe + "\" ";
  for (std::size_t i = 0; i < args.size();) {
    if (At(args, i, "{{") || At(args, i, "}}")) {
      line += args[i];
      i += 2;
    } else if (At(args, i, "{image}")) {
      hasImage = true;
      line += image;
      i += 7;
    } else if (At(args, i, "{drive}")) {
      if (drive != '\0') line += drive;
      i += 7;
    } else if (args[i] == '{' && args.find_first_of("{}", i + 1) != std::string::npos &&
               args[args.find_first_of("{}", i + 1)] == '}') {
      const std::size_t close = args.find('}', i + 1);
      line += args.substr(i, close - i + 1);
      i = close + 1;
    } else {
      line += args[i++];
    }
  }
  return line;
}

void Fail(const char* what) {
  std::fprintf(stderr, "custom mount line: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto fields = tolvimer::fuzz::Fields(data, size, 4);
  const auto exe = tolvimer::fuzz::ExactCopy(fields[0]);
  const auto args = tolvimer::fuzz::ExactCopy(fields[1]);
  const auto image = tolvimer::fuzz::ExactCopy(fields[2]);
  const char drive = fields[3].empty() ? '\0' : fields[3][0];

  bool hasImage = false;
  const std::string expected = Expected(fields[0], fields[1], fields[2], drive, hasImage);
  char line[tolvimer::kCustomCommandSize];
  std::memset(line, 0x7F, sizeof line);
  std::size_t length = 0;
  tolvimer::ImageRefusal refusal;
  const bool made = tolvimer::BuildCustomCommandLine(line, exe.get(), args.get(), image.get(),
                                                     drive, length, refusal);
  using tolvimer::ImageRefusal;
  if (refusal.reason != ImageRefusal::kNone) {
    if (made || line[0] != '\0') Fail("left a line refused for its image path");
    if (refusal.reason == ImageRefusal::kNotAFileName && tolvimer::MayNameAFile(image.get()))
      Fail("refused an image path that may name a file");
    if (refusal.reason == ImageRefusal::kBackslashEnd &&
        (fields[2].empty() || fields[2].back() != '\\'))
      Fail("refused the image path for a backslash it does not end in");
    if (refusal.reason != ImageRefusal::kNotAFileName && !hasImage)
      Fail("refused a line without {image}");
    return 0;
  }
  // The path goes in with quotes of the launcher's, which the plain fill
  // does not know: such a line must hold the path whole.
  if (hasImage) {
    if (made && std::strstr(line, image.get()) == nullptr) Fail("left the image path out");
    return 0;
  }
  if (length != expected.size()) Fail("told a length other than the whole line's");
  if (expected.size() < sizeof line) {
    if (!made) Fail("refused a line that fits");
    if (expected != line) Fail("not the placeholders filled in");
  } else {
    if (made) Fail("made a line that cannot fit");
    if (line[0] != '\0') Fail("left a refused line in the buffer");
  }
  return 0;
}
