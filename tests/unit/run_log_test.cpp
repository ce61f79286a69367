// The run log ([General] Log "true"): what it tells of a typical run, of each
// early way out and of a failing call in each subsystem; that it changes
// nothing about the run, also when it cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "launch/program_state.h"
#include "narration/text.h"
#include "tests/unit/alloc_counter.h"
#include "tests/unit/run_scenarios.h"
#include "version.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;

// The log's lines without their time stamps; checks that every line has one.
Lines LogBodies(const std::string& log) {
  static const std::regex kStamped("^ *[0-9]+ ms  (.*)\r$");
  Lines bodies;
  std::istringstream lines(log);
  std::string line;
  std::smatch match;
  while (std::getline(lines, line)) {
    EXPECT_TRUE(std::regex_match(line, match, kStamped)) << "no time stamp: [" << line << "]";
    bodies.push_back(std::regex_match(line, match, kStamped) ? match[1].str() : line);
  }
  return bodies;
}

bool Has(const Lines& lines, const std::string& text) {
  for (const std::string& line : lines) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

// Whether a line ends with `text`: nothing is told after it.
bool HasLineEndingWith(const Lines& lines, const std::string& text) {
  return std::any_of(lines.begin(), lines.end(), [&text](const std::string& line) {
    return line.size() >= text.size() &&
           line.compare(line.size() - text.size(), text.size(), text) == 0;
  });
}

// The run's own calls: the trace without the run log's.
std::string RunCalls(const FakePlatform& os) {
  static const char* const kLogCalls[] = {"GetPrivateProfileString(General, Log)",
                                          "CreateFile(\"C:\\Emu\\tolvimer_launch.log\"",
                                          "WriteFile(log,",
                                          "FlushFileBuffers(",
                                          "GetTickCount(",
                                          "GetCommandLine(",
                                          "GetFileAttributes(",
                                          "IsWindow(",
                                          "GetLastError(",
                                          "FormatMessage(",
                                          "CloseHandle(log)"};
  std::string calls;
  for (const std::string& line : os.Lines()) {
    bool logs = false;
    for (const char* call : kLogCalls) logs = logs || line.rfind(call, 0) == 0;
    if (!logs) calls += line + "\n";
  }
  return calls;
}

std::string RunWithoutLog(const RunScenario& scenario, int& result) {
  FakePlatform os;
  result = RunScenarioOn(scenario, os);
  return RunCalls(os);
}

TEST(RunLogTest, TellsATypicalRunStepByStep) {
  FakePlatform os;
  // The undo record's own lines and flushes are told by the recovery tests.
  EXPECT_EQ(RunScenarioOn(Scenario("example_settings"), os, "Log=true\nRecover=false\n"), 1);
  ASSERT_TRUE(os.logExists);
  const Lines log = LogBodies(os.logText);
  ASSERT_GE(log.size(), 10u);
  // The first line names the tick its times count from: the first one read.
  EXPECT_EQ(log[0], std::string("tolvimer_launch ") + TOLVIMER_VERSION +
                        ": run log, times in ms from tick 100000");
  EXPECT_EQ(log[1], "command line: \"C:\\Emu\\tolvimer_launch.exe\" D:\\Images\\Some Game.cdi");
  EXPECT_EQ(log[2], "launcher folder: C:\\Emu\\");
  EXPECT_EQ(log[3], "settings file: C:\\Emu\\tolvimer_launch.ini (found)");
  EXPECT_EQ(log[4], "game section: [Some Game]");
  EXPECT_EQ(log[5], "  1. [General] Region = \"usa\"");
  EXPECT_EQ(log[6],
            "       -> write 0x31 ('1') at offset 106498 (0x1A002) of dc_flash.bin: the console "
            "region ('0' jap, '1' usa, '2' euro)");
  const char* expected[] = {
      "-> mount the image, starting without waiting for it: \"C:\\Tools\\mounter.exe\" -noicon "
      "-mount 0,\"D:\\Images\\Some Game.cdi\"",
      "-> wait 5000 ms behind the hidden \"DisableAutolaunch\" window",
      "-> post command 32785 (0x8011) to the emulator window: the first command, sent on every run",
      "-> post command 32981 (0x80D5) to the emulator window: LimitFPS 30",
      "-> the gamepad exit combination: Button1 + Button2",
      "-> prepare the gamepads through DirectInput 5 -- pad 1 \"Pad\"",
      "-> play ends after 3 checks: the gamepad combination was held (pad 1 \"Pad\": Button1 + "
      "Button2)",
      "[General] MountTool = \"daemontools\" (read again)",
      "-> unmount the image, starting without waiting for it: \"C:\\Tools\\mounter.exe\" -unmount "
      "0",
      "-> close the emulator's thread handle",
      "-> the launcher returns 1: a complete run",
      "how play ended: the gamepad combination was held (pad 1 \"Pad\": Button1 + Button2)",
      "put back: the emulator handled WM_CLOSE; the unmount command was started",
  };
  for (const char* text : expected) EXPECT_TRUE(Has(log, text)) << text << "\n" << os.logText;
  EXPECT_EQ(log.back(), "exit code: 1");
  // Flushed once, after the last line.
  EXPECT_EQ(os.Lines({"FlushFileBuffers"}).size(), 1u);
  const Lines calls = os.Lines();
  EXPECT_EQ(calls[calls.size() - 2], "FlushFileBuffers(log)");
}

TEST(RunLogTest, TellsALongCommandLineWholeInPieces) {
  FakePlatform os;
  std::string commandLine = "\"C:\\Emu\\tolvimer_launch.exe\" D:\\Images\\";
  for (int i = 0; i < 800; ++i) commandLine += "folder" + std::to_string(i) + "\t\\";
  commandLine += "Some Game.cdi";
  const RunScenario& scenario = Scenario("example_settings");
  ResetProgramState();
  scenario.setUp(os);
  AddGeneralLines(os, "Log=true\n");
  os.commandLine = commandLine;
  EXPECT_EQ(RunLaunchSequenceForTest(os, scenario.imagePath), 1);
  const Lines log = LogBodies(os.logText);
  std::string told;
  std::size_t pieces = 0;
  for (const std::string& line : log) {
    for (const std::string head : {"command line: ", "command line, continued: "}) {
      if (line.rfind(head, 0) != 0) continue;
      told += line.substr(head.size());
      ++pieces;
    }
    EXPECT_LT(line.size(), Text::kCapacity);
  }
  std::string shown;
  for (char c : commandLine) shown += c == '\t' ? std::string("\\x09") : std::string(1, c);
  EXPECT_EQ(told, shown);
  EXPECT_GE(pieces, 4u);
  EXPECT_EQ(log[1 + pieces], "launcher folder: C:\\Emu\\");
}

TEST(RunLogTest, ChangesNothingAboutTheRun) {
  for (const RunScenario& scenario : RunScenarios()) {
    int plainResult = 0;
    const std::string plain = RunWithoutLog(scenario, plainResult);
    for (const char* log : {"Log=true\n", "Log=TRUE\n"}) {
      FakePlatform os;
      EXPECT_EQ(RunScenarioOn(scenario, os, log), plainResult) << scenario.name;
      EXPECT_EQ(RunCalls(os), plain) << scenario.name;
    }
  }
}

TEST(RunLogTest, ALogThatCannotBeWrittenChangesNothing) {
  struct Case {
    const char* name;
    const char* call;
    int n;
    std::uint32_t error;
    std::size_t linesKept;
  } cases[] = {
      {"read-only folder", "CreateLogFile", 0, 5, 0},
      {"locked log", "CreateLogFile", 0, 32, 0},
      {"full disk after two lines", "WriteLogFile", 3, 112, 2},
  };
  int plainResult = 0;
  const std::string plain = RunWithoutLog(Scenario("force_full_with_mount"), plainResult);
  for (const Case& c : cases) {
    FakePlatform os;
    os.Fail(c.call, c.n, c.error);
    EXPECT_EQ(RunScenarioOn(Scenario("force_full_with_mount"), os, "Log=true\n"), plainResult)
        << c.name;
    EXPECT_EQ(RunCalls(os), plain) << c.name;
    EXPECT_EQ(LogBodies(os.logText).size(), c.linesKept) << c.name;
    // Nothing of the log reaches the user.
    EXPECT_TRUE(os.Lines({"MessageBox"}).empty()) << c.name;
  }
}

TEST(RunLogTest, TellsEachEarlyWayOut) {
  struct Case {
    const char* scenario;
    std::vector<std::string> expected;
  } cases[] = {
      {"emulator_cannot_start",
       {"-> start the emulator with the command line: C:\\Emu\\missing.exe -fast -- failed: "
        "error 2 (The system cannot find the file specified)",
        "-> the launcher returns 0 and does nothing more", "how play ended: play never began",
        "put back: nothing: what was done before stays as it is", "exit code: 0"}},
      {"window_not_found",
       {"-> look for the emulator's first top-level window -- none found",
        "-> show the message box \"Window not found\" (caption \"Error\")",
        "-> close the emulator's process handle", "-> close the emulator's thread handle",
        "exit code: 0"}},
  };
  for (const Case& c : cases) {
    FakePlatform os;
    EXPECT_EQ(RunScenarioOn(Scenario(c.scenario), os, "Log=true\n"), 0);
    const Lines log = LogBodies(os.logText);
    for (const std::string& text : c.expected) {
      EXPECT_TRUE(Has(log, text)) << c.scenario << ": " << text << "\n" << os.logText;
    }
  }
  // An empty command line reads nothing, so it writes no log either.
  FakePlatform os;
  EXPECT_EQ(RunScenarioOn(Scenario("empty_command_line"), os), 0);
  EXPECT_FALSE(os.logExists);
}

TEST(RunLogTest, NamesAFailingCallOfEachSubsystemWithItsErrorCode) {
  struct Case {
    const char* name;
    void (*failure)(FakePlatform& os);
    std::string expected;
  } cases[] = {
      {"emulator file locked", [](FakePlatform& os) { os.Fail("CreateFile", 1, 32); },
       "-> dc_flash.bin cannot be opened for writing: nothing is written to it (it is never "
       "created) -- failed: error 32 (The process cannot access the file because it is being "
       "used by another process)"},
      {"mode switch refused", [](FakePlatform& os) { os.Fail("ChangeDisplaySettings", 1); },
       "-> switch the desktop to 1024x768, keeping its colour depth and refresh rate (not stored "
       "in the registry) -- refused: DISP_CHANGE_BADMODE (-2)"},
      {"mount tool missing",
       [](FakePlatform& os) {
         os.unstartable = {"\"C:\\Tools\\mounter.exe\" X: /M:\"D:\\Images\\Some Game.cdi\""};
       },
       "-> mount the image, starting without waiting for it: \"C:\\Tools\\mounter.exe\" X: "
       "/M:\"D:\\Images\\Some Game.cdi\" -- failed: error 2 (The system cannot find the file "
       "specified)"},
      {"emulator window gone", [](FakePlatform& os) { os.Fail("PostMessage", 1, 1400); },
       "-> post command 32785 (0x8011) to the emulator window: the first command, sent on every "
       "run -- failed: error 1400 (Invalid window handle)"},
      {"AutoPlay window refused",
       [](FakePlatform& os) { os.Fail("WaitWithAutoPlaySuppressed", 1, 1407); },
       "-> the hidden window could not be made: an \"Error\" box was shown, and no wait -- "
       "failed: error 1407"},
      {"DirectInput failing",
       [](FakePlatform& os) {
         os.Answer("DirectInputCreate", 1, static_cast<HResult>(0x80040154u));
       },
       "-> prepare the gamepads through DirectInput 5 -- DirectInputCreateA failed: 0x80040154 "
       "(Class not registered): the gamepad exit is off"},
      {"mount tool no program", [](FakePlatform& os) { os.Fail("CreateProcess", 1, 193); },
       "-> mount the image, starting without waiting for it: \"C:\\Tools\\mounter.exe\" X: "
       "/M:\"D:\\Images\\Some Game.cdi\" -- failed: error 193 (the file is not a valid Win32 "
       "application)"},
      {"a text written in two lines", [](FakePlatform& os) { os.Fail("SetCursorPos", 1, 1459); },
       "-> move the mouse cursor to (1024, 768), where it stops in the bottom-right corner -- "
       "failed: error 1459 (This operation requires an interactive window station)"},
      // These two set no error code: the one GetLastError would give is stale.
      {"desktop mode unreadable", [](FakePlatform& os) { os.Fail("EnumDisplaySettings", 1, 5); },
       "-> the current desktop mode cannot be read: nothing is switched -- failed"},
      {"repaint refused", [](FakePlatform& os) { os.Fail("UpdateWindow", 1, 5); },
       "-> repaint the window -- failed"},
  };
  for (const Case& c : cases) {
    FakePlatform os;
    c.failure(os);
    EXPECT_EQ(RunScenarioOn(Scenario("force_full_with_mount"), os, "Log=true\n"), 1) << c.name;
    EXPECT_TRUE(HasLineEndingWith(LogBodies(os.logText), c.expected)) << c.name << "\n"
                                                                      << os.logText;
  }
}

TEST(RunLogTest, SaysWhatCameOfWmClose) {
  struct Case {
    const char* name;
    bool windowGone;
    const char* closeLine;
    const char* putBack;
  } cases[] = {
      {"the emulator still runs", false,
       "-> send WM_CLOSE to the emulator window and go on once the emulator has handled it",
       "put back: the emulator handled WM_CLOSE; the unmount command was started"},
      {"the emulator closed itself", true,
       "-> send WM_CLOSE to the emulator window and go on once the emulator has handled it -- "
       "the window is already gone: the emulator has closed itself",
       "put back: no window to send WM_CLOSE to (the emulator had closed itself); the unmount "
       "command was started"},
  };
  for (const Case& c : cases) {
    FakePlatform os;
    if (c.windowGone) os.Fail("IsWindow");
    EXPECT_EQ(RunScenarioOn(Scenario("example_settings"), os, "Log=true\n"), 1) << c.name;
    const Lines log = LogBodies(os.logText);
    // The whole line: no outcome follows while the window is there.
    EXPECT_TRUE(HasLineEndingWith(log, c.closeLine)) << c.name << "\n" << os.logText;
    EXPECT_TRUE(Has(log, c.putBack)) << c.name << "\n" << os.logText;
  }
}

TEST(RunLogTest, TellsEveryCauseTheWatchReports) {
  // The pads hold the combination at the third check, as the emulator ends.
  FakePlatform os;
  const RunScenario& scenario = Scenario("example_settings");
  ResetProgramState();
  scenario.setUp(os);
  AddGeneralLines(os, "Log=true\n");
  os.exitCodes = {259, 259, 4};
  EXPECT_EQ(RunLaunchSequenceForTest(os, scenario.imagePath), 1);
  const std::string end =
      "the emulator exited with exit code 4; the gamepad combination was held (pad 1 \"Pad\": "
      "Button1 + Button2)";
  const Lines log = LogBodies(os.logText);
  EXPECT_TRUE(HasLineEndingWith(log, "-> play ends after 3 checks: " + end)) << os.logText;
  EXPECT_TRUE(Has(log, "how play ended: " + end)) << os.logText;
}

TEST(RunLogTest, TellsTheFallbackReadsAndTheDefaultTheLauncherReports) {
  // A game whose section is named [TolviEx]: LimitFPS falls back from that
  // section to the same one, which a guess from the reads alone cannot see.
  FakePlatform os;
  ResetProgramState();
  Scenario("example_settings").setUp(os);
  os.settingsText = "[General]\nLog=true\n";
  os.exitCodes = {259, 0};
  EXPECT_EQ(RunLaunchSequenceForTest(os, "D:\\Images\\TolviEx.cdi"), 1);
  const Lines log = LogBodies(os.logText);
  // The first read of the pair is no fallback.
  EXPECT_TRUE(HasLineEndingWith(log, "[TolviEx] LimitFPS: absent")) << os.logText;
  for (const char* text : {"[TolviEx] LimitFPS: absent (read because [TolviEx] has none)",
                           "[General] Screen: absent (read because [TolviEx] has none)",
                           "-> start the emulator with the command line: Tolvimer_alpha_25.exe "
                           "(the default)"}) {
    EXPECT_TRUE(Has(log, text)) << text << "\n" << os.logText;
  }
}

TEST(RunLogTest, AFailingExitCodeQueryIsToldOnceAndEndsNothing) {
  // The pads hold the combination at the third check; the emulator runs on.
  FakePlatform os;
  os.Fail("GetExitCodeProcess", 1, 6);
  EXPECT_EQ(RunScenarioOn(Scenario("example_settings"), os, "Log=true\n"), 1);
  const Lines log = LogBodies(os.logText);
  EXPECT_TRUE(Has(log,
                  "-> ask for the emulator's exit code: it counts as still running -- failed: "
                  "error 6 (The handle is invalid)"))
      << os.logText;
  EXPECT_TRUE(Has(log,
                  "-> play ends after 3 checks: the gamepad combination was held (pad 1 \"Pad\": "
                  "Button1 + Button2) (the exit-code query failed in 1 check)"))
      << os.logText;
  EXPECT_FALSE(Has(log, "exit code 0")) << os.logText;
}

TEST(RunLogTest, AFullRunWithTheLogAllocatesNothingOnTheHeap) {
  for (const char* log : {"", "Log=true\n"}) {
    FakePlatform os;
    int result = 0;
    std::size_t allocations = 0;
    const RunScenario& scenario = Scenario("force_full_with_mount");
    // Set up outside the count: the fake's own preparations allocate.
    scenario.setUp(os);
    AddGeneralLines(os, log);
    ResetProgramState();
    {
      AllocationCounter counter;
      result = RunLaunchSequenceForTest(os, scenario.imagePath);
      allocations = counter.count();
    }
    EXPECT_EQ(result, 1);
    EXPECT_EQ(allocations, 0u) << log;
    EXPECT_EQ(os.logExists, log[0] != '\0');
  }
}

}  // namespace
}  // namespace tolvimer::testing
