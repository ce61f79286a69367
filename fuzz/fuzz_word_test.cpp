// The word test against strcasecmp in the C locale (which folds only A to Z),
// for a fuzzed pair and for every word the settings file knows.
#include <strings.h>

#include <cstdio>
#include <cstdlib>

#include "fuzz_fields.h"
#include "settings/settings.h"

namespace {

const char* const kSettingsWords[] = {"true",        "jap",        "usa",       "euro",
                                      "daemontools", "alcohol120", "640x480",   "800x600",
                                      "1024x768",    "1280x1024",  "1600x1200", "normal",
                                      "abovenormal", "ntsc",       "30",        "60"};

void Expect(const char* value, const char* word) {
  const bool expected = strcasecmp(value, word) == 0;
  if (tolvimer::IsWord(value, word) != expected) {
    std::fprintf(stderr, "IsWord(\"%s\", \"%s\") should be %d\n", value, word, expected);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto fields = tolvimer::fuzz::Fields(data, size, 2);
  const auto value = tolvimer::fuzz::ExactCopy(fields[0]);
  const auto word = tolvimer::fuzz::ExactCopy(fields[1]);

  Expect(value.get(), word.get());
  Expect(word.get(), value.get());
  Expect(value.get(), value.get());
  for (const char* known : kSettingsWords) Expect(value.get(), known);

  // The value in upper case (A to Z only) is still the same word.
  std::string upper = fields[0];
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  if (!tolvimer::IsWord(upper.c_str(), value.get())) {
    std::fprintf(stderr, "IsWord(\"%s\", \"%s\") should hold\n", upper.c_str(), value.get());
    std::abort();
  }
  return 0;
}
