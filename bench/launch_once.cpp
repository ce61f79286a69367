// One whole launch over the fake platform, for instruction counts under
// callgrind: launch_once <game sections> [runs] [--log]. The fake is built
// before each run, so collecting inside RunLaunchSequence alone counts the
// launch. --log turns the run log on ([General] Log=true). Prints the
// settings reads of one run and its exit code.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "bench/bench_machine.h"
#include "launch/launch_sequence.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: launch_once <game sections> [runs] [--log]\n");
    return 2;
  }
  const int games = std::atoi(argv[1]);
  const int runs = argc > 2 ? std::atoi(argv[2]) : 1;
  const bool log = argc > 3 && std::strcmp(argv[3], "--log") == 0;
  std::string text = tolvimer::bench::SettingsText(games);
  if (log) text.insert(text.find("\r\n") + 2, "Log=true\r\n");
  const std::string image = tolvimer::bench::ImagePath(games);
  int reads = 0;
  int code = 0;
  for (int i = 0; i < runs; ++i) {
    auto os = std::make_unique<tolvimer::testing::FakePlatform>();
    tolvimer::bench::PrepareMachine(*os, text);
    code = tolvimer::RunLaunchSequence(*os, 0x400000, image.c_str());
    reads = tolvimer::bench::SettingsReads(*os);
  }
  std::printf("sections=%d bytes=%zu reads=%d exit=%d\n", games, text.size(), reads, code);
  return code == 1 ? 0 : 1;
}
