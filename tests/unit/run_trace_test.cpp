// Whole-run traces: every platform call of each scenario, compared with the
// trace recorded before the run log existed. With [General] Log and Recover
// absent or not "true" the only calls added are the one read of each, right
// after the settings file has been located; with [General] WaitForDisc and
// CancelAutoPlay off, only their reads.
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

// The trace without the reads that begin with `read`, and where that read
// stood (line index, or -1 when there was none; -2 when there were several).
std::string WithoutRead(const std::string& trace, const std::string& read, int& at) {
  std::istringstream lines(trace);
  std::string line, kept;
  at = -1;
  for (int i = 0; std::getline(lines, line); ++i) {
    if (line.rfind(read, 0) == 0) {
      at = at == -1 ? i : -2;
      continue;
    }
    kept += line + "\n";
  }
  return kept;
}

constexpr char kLogRead[] = "GetPrivateProfileString(General, Log) = \"";
constexpr char kRecoverRead[] = "GetPrivateProfileString(General, Recover) = \"";

// With both off, a run makes today's calls and these reads, each at most once.
constexpr char kWaitForDiscRead[] = "GetPrivateProfileString(General, WaitForDisc) = \"";
constexpr char kCancelAutoPlayRead[] = "GetPrivateProfileString(General, CancelAutoPlay) = \"";

TEST(RunTraceTest, EveryCallOfARunIsTheRecordedOne) {
  const bool update = std::getenv("TOLVIMER_UPDATE_TRACES") != nullptr;
  // The example settings file turns Recover on: each row turns it off (an
  // empty value is absent) ahead of the file's own line.
  for (const char* log : {"Recover=\n", "Log=false\nRecover=false\n", "Log=yes\nRecover=yes\n"}) {
    for (const RunScenario& scenario : RunScenarios()) {
      FakePlatform os;
      const int result = RunScenarioOn(scenario, os, log);
      int at = 0;
      int recoverAt = 0, waitForDiscAt = 0, cancelAutoPlayAt = 0;
      const std::string trace =
          "exit code " + std::to_string(result) + "\n" +
          WithoutRead(WithoutRead(WithoutRead(WithoutRead(os.Trace(), kRecoverRead, recoverAt),
                                              kLogRead, at),
                                  kWaitForDiscRead, waitForDiscAt),
                      kCancelAutoPlayRead, cancelAutoPlayAt);
      if (update) {
        std::ofstream(GoldenPath(scenario), std::ios::binary) << trace;
        continue;
      }
      EXPECT_EQ(trace, ReadFile(GoldenPath(scenario))) << scenario.name << " " << log;
      EXPECT_FALSE(os.logExists) << scenario.name;
      // -2: read more than once.
      EXPECT_NE(waitForDiscAt, -2) << scenario.name;
      EXPECT_NE(cancelAutoPlayAt, -2) << scenario.name;
      if (std::string(scenario.imagePath).empty()) {
        EXPECT_EQ(at, -1) << "an empty command line reads nothing";
        EXPECT_EQ(recoverAt, -1);
      } else {
        // Line 0 is the module path that locates the settings file.
        EXPECT_EQ(at, 1) << scenario.name << " " << log;
        EXPECT_EQ(recoverAt, 2) << scenario.name << " " << log;
      }
    }
  }
}

}  // namespace
}  // namespace tolvimer::testing
