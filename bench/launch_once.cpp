// One whole launch over the fake platform, for instruction counts under
// callgrind: launch_once <game sections> [runs]. The fake is built before
// each run, so collecting inside RunLaunchSequence alone counts the launch.
// Prints the settings reads of one run and its exit code.
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "bench/bench_machine.h"
#include "launch/launch_sequence.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: launch_once <game sections> [runs]\n");
    return 2;
  }
  const int games = std::atoi(argv[1]);
  const int runs = argc > 2 ? std::atoi(argv[2]) : 1;
  const std::string text = tolvimer::bench::SettingsText(games);
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
