// Reads the table's values through the launcher's own settings code on the
// Win32 platform, that is through GetPrivateProfileStringA, and compares them
// with the table (with Wine's answer where the table gives one). Run under
// Wine from a folder that holds this program and a copy of one case file
// named "tolvimer_launch.ini":
//   profile_probe.exe TABLE CASE_FILE [--print]
// --print shows what was read instead of comparing. Exit status 0 when every
// read of the case file matches, 1 otherwise, 2 on bad usage.
//   profile_probe.exe --random SEED COUNT
// runs the randomized differential instead (random_differential.h), writing
// its files as the "tolvimer_launch.ini" beside the probe.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "launch/settings.h"
#include "platform/win32_platform.h"
#include "tests/profile_cases/case_table.h"
#include "tests/profile_cases/random_differential.h"

int main(int argc, char** argv) {
  using namespace tolvimer;
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: profile_probe TABLE CASE_FILE [--print]\n"
                 "       profile_probe --random SEED COUNT\n");
    return 2;
  }
  Win32Platform os;
  Settings settings(os);
  if (!settings.Locate()) {
    std::fprintf(stderr, "profile_probe: no settings path\n");
    return 2;
  }
  if (std::strcmp(argv[1], "--random") == 0 && argc == 4) {
    return profile_cases::RunRandomDifferential(settings, std::strtoull(argv[2], nullptr, 10),
                                                std::strtoull(argv[3], nullptr, 10));
  }
  const bool print = argc > 3 && std::strcmp(argv[3], "--print") == 0;
  int reads = 0;
  int mismatches = 0;
  for (const profile_cases::Case& c : profile_cases::LoadCases(argv[1])) {
    if (c.file != argv[2]) continue;
    ++reads;
    settings.Read(c.section.c_str(), c.key.c_str());
    const std::string got = settings.value();
    if (print) {
      std::printf("%s\t%s\t%s\t%s\n", c.file.c_str(), profile_cases::Escape(c.section).c_str(),
                  profile_cases::Escape(c.key).c_str(), profile_cases::Escape(got).c_str());
    } else if (got != c.ExpectedUnderWine()) {
      ++mismatches;
      std::printf("%s line %d: [%s] %s gives \"%s\", the table says \"%s\"\n", c.file.c_str(),
                  c.line, profile_cases::Escape(c.section).c_str(),
                  profile_cases::Escape(c.key).c_str(), profile_cases::Escape(got).c_str(),
                  profile_cases::Escape(c.ExpectedUnderWine()).c_str());
    }
  }
  if (reads == 0) {
    std::fprintf(stderr, "profile_probe: no reads of %s in the table\n", argv[2]);
    return 1;
  }
  return mismatches == 0 ? 0 : 1;
}
