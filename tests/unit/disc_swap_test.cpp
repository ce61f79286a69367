// Disc swaps during play: the next-disc key and combination as the exit
// watch checks them, and a whole run over a playlist.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "exitwatch/exit_watch.h"
#include "exitwatch/gamepads.h"
#include "launch/launch_sequence.h"
#include "launch/program_state.h"
#include "launch/undo_record.h"
#include "settings/settings.h"
#include "tests/fake/fake_pads.h"
#include "tests/fake/fake_platform.h"
#include "tests/unit/launch_fixture.h"
#include "tests/unit/run_scenarios.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr std::int16_t kDownNow = static_cast<std::int16_t>(0x8000);
constexpr std::int16_t kPressed = static_cast<std::int16_t>(0x8001);
constexpr std::int16_t kPressedSince = 0x0001;

// Counts the swaps and notes the watch cycle each came in.
struct SwapLog {
  FakePlatform* os;
  std::vector<std::size_t> atCycle;
};

bool NoteSwap(std::intptr_t param) {
  SwapLog& log = *reinterpret_cast<SwapLog*>(param);
  log.atCycle.push_back(log.os->Lines({"WaitForSingleObject"}).size());
  return true;
}

TEST(DiscSwapWatchTest, SwapsOncePerPressAndNeverWhenPlayEnds) {
  const std::string kKey = "[General]\nNextDisc=78\n";
  const std::string kCombo = "[GamePadNextDisc]\nMapGamePadNextDisc=true\nButton1=true\n";
  // Key states in the order they are asked: each check asks the exit key
  // (27), then the next-disc key (78); after a swap the next-disc key once more.
  struct Case {
    std::string name;
    std::string settings;
    std::vector<std::uint32_t> exitCodes;
    std::vector<std::int16_t> keyStates;
    std::vector<FakePlatform::Pad> pads;
    std::vector<std::size_t> swapsAt;
    std::uint32_t checks;
    bool exitKeyPressed;
  } cases[] = {
      {"a tap between checks", kKey, RunningFor(3), {0, kPressedSince, 0, 0}, {}, {1}, 4, false},
      {"a key held over three checks swaps once",
       kKey,
       RunningFor(4),
       {0, kPressed, kDownNow, 0, kDownNow, 0, kDownNow, 0, 0},
       {},
       {1},
       5,
       false},
      {"released and pressed again swaps again",
       kKey,
       RunningFor(4),
       {0, kPressed, kDownNow, 0, 0, 0, kPressed, 0, 0},
       {},
       {1, 3},
       5,
       false},
      {"a press during the swap is dropped",
       kKey,
       RunningFor(3),
       {0, kPressedSince, kPressedSince, 0, 0},
       {},
       {1},
       4,
       false},
      {"the exit key in the same check ends play without a swap",
       kKey,
       RunningFor(5),
       {kPressed, kPressed},
       {},
       {},
       1,
       true},
      {"the exit key pressed during a swap ends play at the next check",
       kKey,
       RunningFor(5),
       {0, kPressedSince, 0, kPressedSince, 0},
       {},
       {1},
       2,
       true},
      {"the emulator's end in the check of a press: no swap",
       kKey,
       {0},
       {0, kPressed},
       {},
       {},
       1,
       false},
      {"the combination newly held, twice",
       kCombo,
       RunningFor(6),
       {0},
       {Pad(1, {Held({}), Held({1}), Held({1}), Held({}), Held({1, 2}), Held({1})})},
       {2, 5},
       7,
       false},
      {"the wanted input held on two pads is not the combination",
       kCombo,
       RunningFor(3),
       {0},
       {Pad(1, {Held({1})}), Pad(2, {Held({1})})},
       {},
       4,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetProgramState();
    FakePlatform os;
    os.NameProcess("Tolvimer", "emu");
    os.settingsText = c.settings;
    os.exitCodes = c.exitCodes;
    os.asyncKeyStates = c.keyStates;
    os.pads = c.pads;
    char commandLine[] = "Tolvimer.exe";
    ProcessRecord process;
    ASSERT_TRUE(os.CreateProcess(commandLine, process));
    Settings settings(os);
    ASSERT_TRUE(settings.Locate());
    ExitCombo combo = ReadExitCombo(settings);
    SwapKeys keys = ReadSwapKeys(settings);
    SwapLog log{&os, {}};
    keys.swap = NoteSwap;
    keys.param = reinterpret_cast<std::intptr_t>(&log);
    const WatchEnd end = WatchForExit(os, 0x400000, process.process, combo, &keys);
    EXPECT_EQ(log.atCycle, c.swapsAt);
    EXPECT_EQ(end.swaps, c.swapsAt.size());
    EXPECT_EQ(end.checks, c.checks);
    EXPECT_EQ(end.exitKeyPressed, c.exitKeyPressed);
  }
  ResetProgramState();
}

// The launcher at C:\Emu, a game on two discs at D:\Games (or `playlist`);
// the next-disc key pressed at the first check and Escape at the second.
constexpr char kPlaylist[] = "D:\\Games\\Some Game.m3u";
#define MOUNT_KEYS                                                                    \
  "MountTool=custom\nUnmount=true\nNextDisc=78\n[CustomMount]\nExe=C:\\mounter.exe\n" \
  "MountArgs=-m \"{image}\"\nUnmountArgs=-u \"{image}\"\n"
constexpr char kMount[] = "[General]\n" MOUNT_KEYS;

void SetUpRun(FakePlatform& os, const std::string& settings, const std::string& playlist) {
  ResetProgramState();
  EmulatorReady(os);
  os.NameProcess("mounter", "tool");
  os.exitCodes = {259};
  os.asyncKeyStates = {0, kPressed, 0, kPressed, 0};
  os.settingsText = settings;
  os.files[kPlaylist] = std::vector<std::uint8_t>(playlist.begin(), playlist.end());
}

Lines Started(const FakePlatform& os) {
  Lines started;
  for (const std::string& line : os.Lines({"CreateProcess"})) {
    started.push_back(line.substr(15, line.rfind("\") = ") - 15));
  }
  return started;
}

TEST(DiscSwapRunTest, SwapsToTheNextDiscAndUnmountsTheOneMountedAtTheEnd) {
  const std::string kEmu = "Tolvimer_alpha_25.exe";
  const std::string kTwo = "Disc 1.cdi\r\nDisc 2.cdi\r\n";
  const std::string kMount1 = "\"C:\\mounter.exe\" -m \"D:\\Games\\Disc 1.cdi\"";
  const std::string kMount2 = "\"C:\\mounter.exe\" -m \"D:\\Games\\Disc 2.cdi\"";
  const std::string kUnmount1 = "\"C:\\mounter.exe\" -u \"D:\\Games\\Disc 1.cdi\"";
  const std::string kUnmount2 = "\"C:\\mounter.exe\" -u \"D:\\Games\\Disc 2.cdi\"";
  struct Case {
    std::string name;
    std::string settings;
    std::string playlist;
    Lines started;
    std::uint32_t swaps;
  } cases[] = {
      {"two discs", kMount, kTwo, {kMount1, kEmu, kUnmount1, kMount2, kUnmount2}, 1},
      {"one disc: the swap mounts it again",
       kMount,
       "Disc 1.cdi\n",
       {kMount1, kEmu, kUnmount1, kMount1, kUnmount1},
       1},
      {"Unmount off: the key does nothing",
       "[General]\nMountTool=custom\nNextDisc=78\n"
       "[CustomMount]\nExe=C:\\mounter.exe\nMountArgs=-m \"{image}\"\nUnmountArgs=-u\n",
       kTwo,
       {kMount1, kEmu},
       1},
      {"no mount tool: nothing is mounted or swapped", "[General]\nNextDisc=78\n", kTwo, {kEmu}, 1},
      {"a playlist without a disc mounts nothing and reads no swap key",
       kMount,
       "# none\r\n\r\n",
       {kEmu},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform os;
    SetUpRun(os, c.settings, c.playlist);
    EXPECT_EQ(RunLaunchSequence(os, 0x400000, kPlaylist), 1);
    EXPECT_EQ(Started(os), c.started);
    // Escape, the next-disc key, its query after the swap, Escape; without a
    // disc to swap only Escape is polled.
    EXPECT_EQ(os.Lines({"GetAsyncKeyState"}).size(), c.swaps == 1 ? 4u : 2u);
  }
  ResetProgramState();
}

TEST(DiscSwapRunTest, TheOldDiscsUnmountIsWaitedForBeforeTheNextMount) {
  FakePlatform os;
  SetUpRun(os, kMount, "Disc 1.cdi\r\nDisc 2.cdi\r\n");
  ASSERT_EQ(RunLaunchSequence(os, 0x400000, kPlaylist), 1);
  const Lines lines = os.Lines({"CreateProcess", "WaitForSingleObject", "CloseHandle"});
  const auto at = [&lines](const std::string& head) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind(head, 0) == 0) return static_cast<int>(i);
    }
    return -1;
  };
  const int unmount = at("CreateProcess(\"\"C:\\mounter.exe\" -u \"D:\\Games\\Disc 1.cdi\"");
  ASSERT_GE(unmount, 0);
  EXPECT_EQ(lines[unmount + 1], "WaitForSingleObject(tool.process, 10000)");
  EXPECT_GT(at("CreateProcess(\"\"C:\\mounter.exe\" -m \"D:\\Games\\Disc 2.cdi\""), unmount + 1);
  ResetProgramState();
}

// With CancelAutoPlay the handler registered for the first disc stays
// through a swap: one registration, revoked once after the last unmount.
TEST(DiscSwapRunTest, TheAutoPlayHandlerIsHeldOnceOverASwap) {
  FakePlatform os;
  SetUpRun(os, "[General]\nDelay=1\nCancelAutoPlay=true\nDrive=K\n" MOUNT_KEYS,
           "Disc 1.cdi\r\nDisc 2.cdi\r\n");
  ASSERT_EQ(RunLaunchSequence(os, 0x400000, kPlaylist), 1);
  const Lines lines = os.Lines({"CreateProcess", "RegisterAutoPlayHandler",
                                "RevokeAutoPlayHandler", "WaitWithAutoPlayHelpers"});
  std::size_t registered = 0, revoked = 0, waits = 0, lastUnmount = 0, revokedAt = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].rfind("RegisterAutoPlayHandler", 0) == 0) ++registered;
    if (lines[i].rfind("RevokeAutoPlayHandler", 0) == 0) ++revoked, revokedAt = i;
    if (lines[i].rfind("WaitWithAutoPlay", 0) == 0) ++waits;
    if (lines[i].find(" -u ") != std::string::npos) lastUnmount = i;
  }
  EXPECT_EQ(waits, 2u) << "a wait after each mount";
  EXPECT_EQ(registered, 1u);
  EXPECT_EQ(revoked, 1u);
  EXPECT_GT(revokedAt, lastUnmount) << "revoked after the last disc's unmount";
  ResetProgramState();
}

// The section of the game is named after the playlist, and with Recover the
// undo record holds the unmount of the disc mounted now.
TEST(DiscSwapRunTest, TheRecordFollowsTheSwapAndTheGameSectionIsThePlaylists) {
  FakePlatform os;
  SetUpRun(os, "[General]\nRecover=true\n" MOUNT_KEYS "[Some Game]\nCPU=1\n",
           "Disc 1.cdi\r\nDisc 2.cdi\r\n");
  std::vector<std::string> unmountLines;
  os.afterCall = [&os, &unmountLines](const char* line) {
    if (std::string(line).rfind("FlushFileBuffers", 0) != 0) return;
    const std::vector<std::uint8_t>& bytes = os.files["C:\\Emu\\tolvimer_launch.undo"];
    UndoRecord record;
    ASSERT_EQ(DecodeUndoRecord(bytes.data(), bytes.size(), record), UndoFileState::kValid);
    unmountLines.push_back(record.unmountLine);
  };
  ASSERT_EQ(RunLaunchSequence(os, 0x400000, kPlaylist), 1);
  const std::string kUnmount1 = "\"C:\\mounter.exe\" -u \"D:\\Games\\Disc 1.cdi\"";
  const std::string kUnmount2 = "\"C:\\mounter.exe\" -u \"D:\\Games\\Disc 2.cdi\"";
  // Before the first mount, once the emulator runs, before the second mount.
  EXPECT_EQ(unmountLines, (Lines{kUnmount1, kUnmount1, kUnmount2}));
  const Lines cpu = os.Lines({"keybd_event"});
  EXPECT_FALSE(cpu.empty()) << "[Some Game] CPU was not applied";
  ResetProgramState();
}

// The run log tells the swap as its own steps, with the unmount's wait.
TEST(DiscSwapRunTest, TheRunLogTellsEachSwap) {
  struct Case {
    std::string name;
    bool unmountEnds;
    std::string waitOutcome;
  } cases[] = {
      {"the unmount ends", true, "-- it has ended"},
      {"the unmount outlasts its wait", false,
       "-- still running after that time: the next disc is mounted all the same"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform os;
    SetUpRun(os, "[General]\nLog=true\n" MOUNT_KEYS, "Disc 1.cdi\r\nDisc 2.cdi\r\n");
    if (c.unmountEnds) os.signalled.push_back("tool.process");
    ASSERT_EQ(RunLaunchSequence(os, 0x400000, kPlaylist), 1);
    const std::string& log = os.logText;
    const std::vector<std::string> told = {
        "-> read the playlist -- 2 discs",
        "-> disc 2: D:\\Games\\Disc 2.cdi",
        "-> the next-disc key: 78 (N)",
        "-> unmount the image, then wait for it to end: \"C:\\mounter.exe\" -u \"D:\\Games\\Disc "
        "1.cdi\"",
        "-> wait up to 10000 ms for the unmount to end " + c.waitOutcome,
        "-> the disc to mount: disc 2 of 2, D:\\Games\\Disc 2.cdi",
        "-> play ends after 2 checks and 1 disc swap: the exit key 27 (Escape) was pressed",
        "-> unmount the image, starting without waiting for it: \"C:\\mounter.exe\" -u "
        "\"D:\\Games\\Disc 2.cdi\""};
    std::size_t at = 0;
    for (const std::string& line : told) {
      const std::size_t found = log.find(line, at);
      EXPECT_NE(found, std::string::npos) << "not told in order: " << line << "\n" << log;
      if (found != std::string::npos) at = found;
    }
  }
  ResetProgramState();
}

}  // namespace
}  // namespace tolvimer::testing
