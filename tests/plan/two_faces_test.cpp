// The plan and the run log are two faces of one narration: for the same
// settings, the dry run's plan and the log of a run over the fake platform
// name the same steps with the same settings reads and the same actions, and
// differ only in outcomes (the dry run's assumptions against how the calls
// went, and how play ended).
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "launch/program_state.h"
#include "tests/unit/run_scenarios.h"
#include "tools/plan/plan.h"

namespace tolvimer::testing {
namespace {

struct Face {
  std::vector<std::string> reads;
  std::vector<std::string> actions;  // without outcomes
};

constexpr char kDryRunPlayEnd[] = "a dry run takes the exit key as pressed at the first check";
constexpr char kRunPlayEnd[] = "play ends after ";

bool IsPlayEnd(const std::string& action) {
  return action.rfind(kDryRunPlayEnd, 0) == 0 || action.rfind(kRunPlayEnd, 0) == 0;
}

std::vector<Face> PlanFaces(const plan::DryRunResult& run) {
  std::vector<Face> faces;
  for (const plan::PlanStep& step : run.steps) {
    Face face{step.reads, {}};
    for (const plan::PlanAction& action : step.actions) face.actions.push_back(action.text);
    faces.push_back(face);
  }
  return faces;
}

// The steps of a run log: "  N. read", further reads, "-> action -- outcome".
std::vector<Face> LogFaces(const std::string& log) {
  std::vector<Face> faces;
  std::istringstream lines(log);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t stamp = line.find(" ms  ");
    if (stamp == std::string::npos) continue;
    std::string body = line.substr(stamp + 5);
    if (body.empty() || body[0] != ' ') continue;  // the head and the summary
    const std::size_t text = body.find_first_not_of(' ');
    const std::size_t dot = body.find(". ", text);
    const bool head = dot != std::string::npos && body.find_first_not_of("0123456789", text) == dot;
    if (head) {
      faces.emplace_back();
      body = body.substr(dot + 2);
      if (body != "always") faces.back().reads.push_back(body);
      continue;
    }
    body = body.substr(text);
    if (body.rfind("-> ", 0) != 0) {
      faces.back().reads.push_back(body);
      continue;
    }
    body = body.substr(3);
    const std::size_t outcome = body.rfind(" -- ");
    if (outcome != std::string::npos) body = body.substr(0, outcome);
    if (body != "nothing") faces.back().actions.push_back(body);
  }
  return faces;
}

// The same step in both faces: the same reads, the same actions but for how
// play ended.
void ExpectSameStep(const Face& plan, const Face& log, const std::string& where) {
  EXPECT_EQ(plan.reads, log.reads) << where;
  std::vector<std::string> planActions, logActions;
  for (const std::string& action : plan.actions) {
    if (!IsPlayEnd(action)) planActions.push_back(action);
  }
  for (const std::string& action : log.actions) {
    if (!IsPlayEnd(action)) logActions.push_back(action);
  }
  EXPECT_EQ(planActions, logActions) << where;
  EXPECT_EQ(planActions.size() != plan.actions.size(), logActions.size() != log.actions.size())
      << where << ": how play ended is told in both or in neither";
}

TEST(TwoFacesTest, ThePlanAndTheLogNameTheSameStepsWithTheSameSettings) {
  struct Case {
    const char* scenario;
    const char* settingsText;  // instead of the scenario's; null keeps it
    bool ranToTheEnd;
  } cases[] = {
      {"example_settings", nullptr, true},
      // Every key absent, as without a settings file (the log itself needs
      // one that says Log=true).
      {"no_settings_file", "", true},
      {"force_full_with_mount", nullptr, true},
      {"emulator_cannot_start", nullptr, false},
  };
  for (const Case& c : cases) {
    const RunScenario& scenario = Scenario(c.scenario);
    FakePlatform os;
    ResetProgramState();
    scenario.setUp(os);
    if (c.settingsText != nullptr) {
      os.settingsExist = true;
      os.settingsText = c.settingsText;
    }
    AddGeneralLines(os, "Log=true\n");
    const int result = RunLaunchSequenceForTest(os, scenario.imagePath);

    plan::PlanInput input;
    input.imagePath = scenario.imagePath;
    input.settingsPath = "C:\\Emu\\tolvimer_launch.ini";
    input.settingsFound = true;
    input.settingsText = os.settingsText;
    input.launcherFolder = "C:\\Emu\\";
    input.lookAt = [&os](const std::string& path) {
      plan::FileFacts facts;
      const auto found = os.files.find(path);
      if (found != os.files.end()) {
        facts.exists = true;
        facts.size = found->second.size();
      }
      return facts;
    };
    const plan::DryRunResult dryRun = plan::DryRun(input);

    const std::vector<Face> planFaces = PlanFaces(dryRun);
    const std::vector<Face> logFaces = LogFaces(os.logText);
    ASSERT_GE(logFaces.size(), 2u) << c.scenario << "\n" << os.logText;
    if (c.ranToTheEnd) {
      EXPECT_EQ(result, dryRun.result) << c.scenario;
      ASSERT_EQ(planFaces.size(), logFaces.size()) << c.scenario << "\n" << os.logText;
    } else {
      // The dry run assumes every program starts; the run ends early. Up to
      // its end the two agree.
      ASSERT_LT(logFaces.size(), planFaces.size()) << c.scenario;
    }
    // The last step is each run's own result.
    for (std::size_t i = 0; i + 1 < logFaces.size(); ++i) {
      ExpectSameStep(planFaces[i], logFaces[i],
                     std::string(c.scenario) + ", step " + std::to_string(i + 1));
    }
  }
}

}  // namespace
}  // namespace tolvimer::testing
