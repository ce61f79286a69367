// [General] WaitForDisc and CancelAutoPlay: the look at the drive before the
// mount and during the wait, the AutoPlay handler in the running object table
// around the wait, and what the run log tells of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch/launch_sequence.h"
#include "launch/program_state.h"
#include "mount/disc_watch.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;
using Drive = FakePlatform::Drive;

constexpr Drive kNoDrive{1, false, 0};
constexpr Drive kEmptyCdDrive{5, false, 0};
Drive Disc(std::uint32_t serial) { return Drive{5, true, serial}; }

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A run of the launcher on game.cdi with `general` in [General] and the log on.
int RunLogged(FakePlatform& os, const std::string& general) {
  ResetProgramState();
  os.NameProcess("Tolvimer", "emu");
  os.AddWindow("emu", "emu");
  os.settingsText = "[General]\nLog=true\n" + general;
  return RunLaunchSequence(os, 1, "D:\\Images\\game.cdi");
}

// Each look sets the error mode that keeps Windows' "no disk" box away and
// puts back the mode it found; only a drive that exists is asked for its
// volume.
TEST(AutoPlayHelpersTest, ALookAtTheDriveKeepsTheErrorBoxesAway) {
  struct Case {
    Drive drive;
    bool disc;
    std::uint32_t serial;
    Lines calls;
  } cases[] = {
      {kNoDrive,
       false,
       0,
       {"SetErrorMode(0x1) = 0x8002", "GetDriveType(E:\\) = 1", "SetErrorMode(0x8002) = 0x1"}},
      {Drive{0, true, 9},
       false,
       0,
       {"SetErrorMode(0x1) = 0x8002", "GetDriveType(E:\\) = 0", "SetErrorMode(0x8002) = 0x1"}},
      {kEmptyCdDrive,
       false,
       0,
       {"SetErrorMode(0x1) = 0x8002", "GetDriveType(E:\\) = 5", "GetVolumeInformation(E:\\) fails",
        "SetErrorMode(0x8002) = 0x1"}},
      {Disc(0x1234ABCD),
       true,
       0x1234ABCD,
       {"SetErrorMode(0x1) = 0x8002", "GetDriveType(E:\\) = 5",
        "GetVolumeInformation(E:\\) = serial 1234ABCD", "SetErrorMode(0x8002) = 0x1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.calls[1]);
    FakePlatform os;
    os.errorMode = 0x8002;
    os.driveLooks = {c.drive};
    const DriveContent content = LookAtDrive(os, "E:\\");
    EXPECT_EQ(content.disc, c.disc);
    EXPECT_EQ(content.serial, c.serial);
    EXPECT_EQ(os.Lines(), c.calls);
    EXPECT_EQ(os.errorMode, 0x8002u);
  }
}

// The wait ends at the first look that finds a disc the drive did not hold
// before the mount; a disc left from before, or none at all, waits the whole
// delay.
TEST(AutoPlayHelpersTest, WaitForDiscEndsTheWaitWhenTheNewDiscIsThere) {
  struct Case {
    const char* name;
    std::vector<Drive> looks;  // the first is the look before the mount
    std::size_t looksMade;
    const char* told;
  } cases[] = {
      {"ready after three looks",
       {kNoDrive, kNoDrive, kEmptyCdDrive, Disc(7)},
       4,
       "the disc became ready in E: after 300 ms"},
      {"another disc than before",
       {Disc(7), Disc(7), Disc(8)},
       3,
       "the disc became ready in E: after 200 ms"},
      {"the same disc as before", {Disc(7)}, 51, "the delay ran out after 5000 ms"},
      {"never ready", {kEmptyCdDrive}, 51, "the delay ran out after 5000 ms"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform os;
    os.driveLooks = c.looks;
    EXPECT_EQ(RunLogged(os, "Drive=e\nWaitForDisc=TRUE\nDelay=5\n"), 1);
    EXPECT_EQ(os.Lines({"GetDriveType"}).size(), c.looksMade);
    EXPECT_EQ(os.Lines({"WaitWithAutoPlayHelpers", "WaitWithAutoPlaySuppressed"}),
              Lines{"WaitWithAutoPlayHelpers(5000, disc looks, arrivals 0x10)"});
    EXPECT_TRUE(Has(os.logText, c.told)) << os.logText;
    EXPECT_FALSE(Has(os.logText, "announced the volume")) << os.logText;
    // The look before the mount comes before the mount tool's reads.
    const Lines order = os.Lines({"GetDriveType", "GetPrivateProfileString"});
    std::size_t mount = 0;
    while (mount < order.size() && order[mount].find("MountTool") == std::string::npos) ++mount;
    ASSERT_GE(mount, 1u);
    ASSERT_LT(mount, order.size());
    EXPECT_EQ(order[mount - 1], "GetDriveType(E:\\) = " + std::to_string(c.looks[0].type));
  }
}

// Without a drive letter, or without a wait, WaitForDisc does nothing more than
// its read (and, with a letter, the look before the mount).
TEST(AutoPlayHelpersTest, WaitForDiscWithoutADriveOrAWaitChangesNothing) {
  struct Case {
    std::string general;
    Lines waits;
    std::size_t looks;
    bool toldNoEffect;
  } cases[] = {
      {"WaitForDisc=true\nDelay=5\n", {"WaitWithAutoPlaySuppressed(5000)"}, 0, true},
      {"WaitForDisc=true\nDrive=\nDelay=5\n", {"WaitWithAutoPlaySuppressed(5000)"}, 0, true},
      {"WaitForDisc=true\nDrive=1:\nDelay=5\n", {"WaitWithAutoPlaySuppressed(5000)"}, 0, true},
      {"WaitForDisc=true\nDrive=E\nDelay=0\n", {"WaitWithAutoPlaySuppressed(0)"}, 1, false},
      {"WaitForDisc=true\nDrive=E\n", {}, 1, false},
      {"WaitForDisc=yes\nDrive=E\nDelay=5\n", {"WaitWithAutoPlaySuppressed(5000)"}, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.general);
    FakePlatform os;
    os.driveLooks = {Disc(3)};
    EXPECT_EQ(RunLogged(os, c.general), 1);
    EXPECT_EQ(os.Lines({"WaitWithAutoPlayHelpers", "WaitWithAutoPlaySuppressed"}), c.waits);
    EXPECT_EQ(os.Lines({"GetDriveType"}).size(), c.looks);
    EXPECT_EQ(Has(os.logText, "WaitForDisc has no effect: [General] Drive names no drive letter"),
              c.toldNoEffect)
        << os.logText;
  }
}

// The handler is registered for the wait and revoked after it, whichever way
// the wait ends; a handler or a foreground that cannot be had leaves the wait
// as it is.
TEST(AutoPlayHelpersTest, CancelAutoPlayRevokesTheHandlerOnEveryWayOut) {
  struct Case {
    const char* name;
    void (*setUp)(FakePlatform& os);
    bool registered;
    const char* told;
  } cases[] = {
      {"delay ran out", [](FakePlatform&) {}, true, "the delay ran out after 3000 ms"},
      {"window asked", [](FakePlatform& os) { os.autoPlayQueryAt = 4; }, true,
       "AutoPlay asked and was cancelled by the window after 400 ms"},
      {"handler asked",
       [](FakePlatform& os) {
         os.autoPlayQueryAt = 2;
         os.queryByHandler = true;
       },
       true, "AutoPlay asked about E:\\ and was cancelled by the handler after 200 ms"},
      {"no window", [](FakePlatform& os) { os.Fail("WaitWithAutoPlayHelpers", 1, 1407); }, true,
       "the hidden window could not be made"},
      {"foreground refused", [](FakePlatform& os) { os.foregroundRefusal = 5; }, true,
       "the hidden window could not take the foreground; the wait goes on without it"},
      {"registration failed",
       [](FakePlatform& os) { os.Fail("RegisterAutoPlayHandler", 1, 0x80040154u); }, false,
       "failed: 0x80040154 (Class not registered); the wait goes on at once without it"},
      {"registration refused: an earlier handler's thread still runs",
       [](FakePlatform& os) {
         os.Fail("RegisterAutoPlayHandler", 1, static_cast<std::uint32_t>(kHandlerThreadLives));
       },
       false,
       "failed: 0x800700AA: the thread of an earlier handler still runs, and no second one is "
       "made; the wait goes on at once without it"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform os;
    c.setUp(os);
    EXPECT_EQ(RunLogged(os, "CancelAutoPlay=True\nDelay=3\n"), 1);
    // The handler stays registered while the emulator runs: revoked at the
    // end of the run.
    // A registration that fails is followed by the wait at once.
    Lines expected = {c.registered ? "RegisterAutoPlayHandler() = cookie 77"
                                   : os.Lines({"RegisterAutoPlayHandler"}).at(0),
                      "RunsElevated() = FALSE", "WaitWithAutoPlayHelpers(3000, foreground)",
                      "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu"};
    if (c.registered) expected.push_back("RevokeAutoPlayHandler(cookie 77)");
    EXPECT_EQ(os.Lines({"RegisterAutoPlayHandler", "WaitWithAutoPlayHelpers",
                        "RevokeAutoPlayHandler", "CreateProcess", "RunsElevated"}),
              expected);
    if (!c.registered) {
      // The launcher's own calls, the run log's writes left out.
      Lines lines;
      for (const std::string& line : os.Lines()) {
        const bool logged =
            line.rfind("GetTickCount", 0) == 0 || line.rfind("WriteFile(log", 0) == 0 ||
            line.rfind("FlushFileBuffers(log", 0) == 0 || line.rfind("FormatMessage", 0) == 0;
        if (!logged) lines.push_back(line);
      }
      std::size_t at = 0;
      while (at < lines.size() && lines[at].rfind("RegisterAutoPlayHandler", 0) != 0) ++at;
      ASSERT_LT(at + 2, lines.size());
      EXPECT_EQ(lines[at + 2], "WaitWithAutoPlayHelpers(3000, foreground)")
          << "nothing between the failed registration and the wait but the elevation query";
    }
    EXPECT_TRUE(Has(os.logText, c.told)) << os.logText;
  }
}

// The revoke's outcome is told as it was: revoked, failed, or a thread that
// did not end in time and is left with what it uses.
TEST(AutoPlayHelpersTest, TheRevokesOutcomeIsTold) {
  struct Case {
    const char* name;
    std::uint32_t error;  // 0: the revoke succeeds
    const char* told;
  } cases[] = {
      {"revoked", 0,
       "-> revoke the AutoPlay handler from the running object table -- revoked; its thread has "
       "ended"},
      {"failed", 0x80004005u,
       "-> revoke the AutoPlay handler from the running object table -- failed: 0x80004005"},
      {"its thread does not end", static_cast<std::uint32_t>(kHandlerThreadLives),
       "-> revoke the AutoPlay handler from the running object table -- its thread has not ended "
       "within 5 s: it is left running with its handles and the watched drive as they are, and "
       "may still answer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform os;
    if (c.error != 0) os.Fail("RevokeAutoPlayHandler", 1, c.error);
    EXPECT_EQ(RunLogged(os, "CancelAutoPlay=true\nDelay=1\n"), 1);
    EXPECT_TRUE(Has(os.logText, c.told)) << os.logText;
    EXPECT_EQ(Has(os.logText, "revoked; its thread has ended"), c.error == 0) << os.logText;
  }
}

// Elevated, the launcher is out of the shell's reach: the log warns.
TEST(AutoPlayHelpersTest, AnElevatedLauncherIsWarnedAbout) {
  for (const bool elevated : {false, true}) {
    SCOPED_TRACE(elevated ? "elevated" : "not elevated");
    FakePlatform os;
    os.elevated = elevated;
    EXPECT_EQ(RunLogged(os, "CancelAutoPlay=true\nDelay=1\n"), 1);
    EXPECT_EQ(Has(os.logText,
                  "warning: the launcher runs elevated: the shell, which is not, cannot reach its "
                  "AutoPlay handler (registered without ROTFLAGS_ALLOWANYCLIENT) nor its hidden "
                  "window"),
              elevated)
        << os.logText;
  }
}

// With no wait the key is not even read, and nothing of COM is touched.
TEST(AutoPlayHelpersTest, CancelAutoPlayWithoutAWaitIsNotRead) {
  for (const char* general : {"CancelAutoPlay=true\n", "CancelAutoPlay=true\nDelay=0\n"}) {
    SCOPED_TRACE(general);
    FakePlatform os;
    EXPECT_EQ(RunLogged(os, general), 1);
    EXPECT_TRUE(os.Lines({"RegisterAutoPlayHandler", "WaitWithAutoPlayHelpers"}).empty());
    EXPECT_FALSE(Has(os.Trace(), "CancelAutoPlay"));
  }
}

// Both helpers at once, as the example settings file has them: the disc look
// and the handler in one wait.
TEST(AutoPlayHelpersTest, BothHelpersShareOneWait) {
  FakePlatform os;
  os.driveLooks = {kNoDrive, kNoDrive, Disc(1)};
  os.volumeAnnounced = true;
  EXPECT_EQ(RunLogged(os, "Drive=E\nWaitForDisc=true\nCancelAutoPlay=true\nDelay=5\n"), 1);
  EXPECT_EQ(
      os.Lines({"RegisterAutoPlayHandler", "WaitWithAutoPlayHelpers", "RevokeAutoPlayHandler"}),
      (Lines{"RegisterAutoPlayHandler(E:\\) = cookie 77",
             "WaitWithAutoPlayHelpers(5000, foreground, disc looks, arrivals 0x10)",
             "RevokeAutoPlayHandler(cookie 77)"}));
  EXPECT_TRUE(Has(os.logText, "the hidden window took the foreground")) << os.logText;
  EXPECT_TRUE(Has(os.logText,
                  "the disc became ready in E: after 200 ms; Windows announced the volume on the "
                  "drive after 195 ms"))
      << os.logText;
}

AutoPlayAnswers Answers(std::vector<AutoPlayAnswer> told, std::uint32_t notKept = 0) {
  AutoPlayAnswers answers;
  for (const AutoPlayAnswer& answer : told) answers.answer[answers.count++] = answer;
  answers.notKept = notKept;
  return answers;
}

// Each query the handler answered is told in the log: those of the wait right
// after it, those of the game's time once the handler is revoked, and a count
// of those past what it keeps.
TEST(AutoPlayHelpersTest, TheLogTellsEachQueryTheHandlerAnswered) {
  FakePlatform os;
  os.handlerAnswers = {
      Answers({{"F:\\", false, 120}, {"E:\\", true, 480}}),
      Answers({{"", false, 9000}}, 3),
  };
  EXPECT_EQ(RunLogged(os, "Drive=E\nCancelAutoPlay=true\nDelay=2\n"), 1);
  EXPECT_EQ(os.Lines({"WaitWithAutoPlayHelpers", "TakeAutoPlayAnswers", "CreateProcess",
                      "RevokeAutoPlayHandler"}),
            (Lines{"WaitWithAutoPlayHelpers(2000, foreground)",
                   "TakeAutoPlayAnswers() = [F:\\ S_OK, E:\\ S_FALSE], 0 not kept",
                   "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu",
                   "RevokeAutoPlayHandler(cookie 77)",
                   "TakeAutoPlayAnswers() = [- S_OK], 3 not kept"}));
  const std::string told[] = {
      "the AutoPlay handler answered a query about F:\\ 120 ms after its registration: S_OK, "
      "AutoPlay goes ahead",
      "the AutoPlay handler answered a query about E:\\ 480 ms after its registration: S_FALSE, "
      "AutoPlay cancelled",
      "revoke the AutoPlay handler",
      "the AutoPlay handler answered a query about a path that names no drive 9000 ms after its "
      "registration: S_OK",
      "the AutoPlay handler answered 3 more queries than the 8 it keeps"};
  std::size_t at = 0;
  for (const std::string& line : told) {
    const std::size_t found = os.logText.find(line, at);
    ASSERT_NE(found, std::string::npos) << line << "\n" << os.logText;
    at = found;
  }
}

// A handler that answered nothing says so; one that could not be registered
// is not asked.
TEST(AutoPlayHelpersTest, AHandlerWithoutQueriesSaysSoAndAFailedOneIsNotAsked) {
  FakePlatform quiet;
  EXPECT_EQ(RunLogged(quiet, "Drive=E\nCancelAutoPlay=true\nDelay=1\n"), 1);
  EXPECT_TRUE(Has(quiet.logText, "has answered no query since its registration")) << quiet.logText;
  EXPECT_TRUE(Has(quiet.logText, "has answered no query since its answers were last told"))
      << quiet.logText;
  FakePlatform failed;
  failed.Fail("RegisterAutoPlayHandler", 1, 0x80040154u);
  EXPECT_EQ(RunLogged(failed, "Drive=E\nCancelAutoPlay=true\nDelay=1\n"), 1);
  EXPECT_TRUE(failed.Lines({"TakeAutoPlayAnswers"}).empty());
}

// The handler answers for the drive the emulator reads, [General] Drive's
// root, watched or not, and stays registered until the image is unmounted, or
// to the end of a run that stops before; the drive's volume arrivals wake the
// look only while the drive is watched.
TEST(AutoPlayHelpersTest, TheHandlerStaysForTheRunAndKnowsTheDrive) {
  struct Case {
    const char* name;
    std::string general;
    void (*setUp)(FakePlatform& os);
    Lines calls;
  };
  const std::string unmounted = "MountTool=custom\nUnmount=true\n";
  const Case cases[] = {
      {"unmounted first", unmounted + "Drive=f\nCancelAutoPlay=true\nDelay=1\n",
       [](FakePlatform&) {},
       {"CreateProcess(\"\"mt.exe\" in\") = proc1", "RegisterAutoPlayHandler(F:\\) = cookie 77",
        "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu", "CreateProcess(\"\"mt.exe\" out\") = proc3",
        "RevokeAutoPlayHandler(cookie 77)"}},
      {"no drive letter", "Drive=1\nCancelAutoPlay=true\nDelay=1\n", [](FakePlatform&) {},
       {"RegisterAutoPlayHandler() = cookie 77", "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu",
        "RevokeAutoPlayHandler(cookie 77)"}},
      {"emulator not started", "Drive=E\nCancelAutoPlay=true\nDelay=1\n",
       [](FakePlatform& os) { os.Fail("CreateProcess", 1, 2); },
       {"RegisterAutoPlayHandler(E:\\) = cookie 77", "CreateProcess(\"Tolvimer_alpha_25.exe\") = FALSE",
        "RevokeAutoPlayHandler(cookie 77)"}},
      {"window not found", "Drive=E\nCancelAutoPlay=true\nDelay=1\n",
       [](FakePlatform&) {},
       {"RegisterAutoPlayHandler(E:\\) = cookie 77", "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu",
        "MessageBox(NULL, \"Window not found\", \"Error\", 0x30)",
        "RevokeAutoPlayHandler(cookie 77)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform os;
    ResetProgramState();
    os.NameProcess("Tolvimer", "emu");
    if (std::string(c.name) != "window not found") os.AddWindow("emu", "emu");
    c.setUp(os);
    os.settingsText =
        "[General]\n" + c.general + "[CustomMount]\nExe=mt.exe\nMountArgs=in\nUnmountArgs=out\n";
    RunLaunchSequence(os, 1, "D:\\Images\\game.cdi");
    EXPECT_EQ(os.Lines({"RegisterAutoPlayHandler", "CreateProcess", "MessageBox",
                        "RevokeAutoPlayHandler"}),
              c.calls);
  }
}

}  // namespace
}  // namespace tolvimer::testing
