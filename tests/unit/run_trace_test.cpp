// Whole-run traces: every platform call of each scenario, compared with the
// trace recorded before the run log existed. With [General] Log absent the
// only difference allowed is the one read of Log itself.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/unit/run_scenarios.h"

namespace tolvimer::testing {
namespace {

std::string GoldenPath(const RunScenario& scenario) {
  return std::string(TOLVIMER_SOURCE_DIR "/tests/unit/run_traces/") + scenario.name + ".txt";
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(RunTraceTest, EveryCallOfARunIsTheRecordedOne) {
  const bool update = std::getenv("TOLVIMER_UPDATE_TRACES") != nullptr;
  for (const RunScenario& scenario : RunScenarios()) {
    FakePlatform os;
    const int result = RunScenarioOn(scenario, os);
    const std::string trace = "exit code " + std::to_string(result) + "\n" + os.Trace();
    if (update) {
      std::ofstream(GoldenPath(scenario), std::ios::binary) << trace;
      continue;
    }
    EXPECT_EQ(trace, ReadFile(GoldenPath(scenario))) << scenario.name;
  }
}

}  // namespace
}  // namespace tolvimer::testing
