// Time of one whole launch over the fake platform, and of one settings read
// on its own, for settings files of 1, 100 and 1,000 game sections.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench/bench_machine.h"
#include "launch/launch_sequence.h"
#include "settings/profile_reader.h"

namespace {

using tolvimer::testing::FakePlatform;

void BM_LaunchSequence(benchmark::State& state) {
  const int games = static_cast<int>(state.range(0));
  const std::string text = tolvimer::bench::SettingsText(games);
  const std::string image = tolvimer::bench::ImagePath(games);
  int reads = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto os = std::make_unique<FakePlatform>();
    tolvimer::bench::PrepareMachine(*os, text);
    state.ResumeTiming();
    benchmark::DoNotOptimize(tolvimer::RunLaunchSequence(*os, 0x400000, image.c_str()));
    state.PauseTiming();
    reads = tolvimer::bench::SettingsReads(*os);
    os.reset();
    state.ResumeTiming();
  }
  state.counters["reads"] = reads;
  state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_LaunchSequence)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// One read of a key of the last game section: what the profile reader itself
// costs, the whole file being scanned.
void BM_ProfileReadLastSection(benchmark::State& state) {
  const int games = static_cast<int>(state.range(0));
  const std::string text = tolvimer::bench::SettingsText(games);
  char section[32];
  std::snprintf(section, sizeof section, "Game %04d", games);
  char value[255];
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        tolvimer::ReadProfileString(text.data(), text.size(), section, "CPU", value, sizeof value));
  }
}
BENCHMARK(BM_ProfileReadLastSection)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
