// Disc swaps during play: the next-disc key and combination as the exit
// watch checks them, and a whole run over a playlist.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
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
  // The mount tool ends at once, with exit code 0.
  os.signalled.push_back("tool.process");
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

// The run log tells the swap as its own steps, with the unmount's wait and
// exit code. Only an unmount that ended with exit code 0 makes the swap: one
// that failed, or is still running (it may yet unmount), keeps the disc
// mounted now, and the run's end unmounts that one.
TEST(DiscSwapRunTest, TheRunLogTellsEachSwapAndTheUnmountDecidesIt) {
  const std::string kUnmountDisc1 =
      "-> unmount the image, then wait for it to end: \"C:\\mounter.exe\" -u \"D:\\Games\\Disc "
      "1.cdi\"";
  const std::string kStays = ": the disc mounted now stays, and no other disc is mounted";
  struct Case {
    std::string name;
    bool unmountEnds;
    std::uint32_t exitCode;
    std::vector<std::string> told;
  } cases[] = {
      {"the unmount ends with exit code 0",
       true,
       0,
       {"-> wait up to 10000 ms for the unmount to end -- it has ended",
        "-> the unmount's exit code -- 0",
        "-> the disc to mount: disc 2 of 2, D:\\Games\\Disc 2.cdi",
        "-> play ends after 2 checks and 1 disc swap: the exit key 27 (Escape) was pressed",
        "-> unmount the image, starting without waiting for it: \"C:\\mounter.exe\" -u "
        "\"D:\\Games\\Disc 2.cdi\""}},
      {"the unmount outlasts its wait",
       false,
       0,
       {"-> wait up to 10000 ms for the unmount to end -- still running after that time, and it "
        "may yet unmount" +
            kStays,
        "-> play ends after 2 checks (1 swap asked for left the disc as it was): the exit key 27 "
        "(Escape) was pressed",
        "-> unmount the image, starting without waiting for it: \"C:\\mounter.exe\" -u "
        "\"D:\\Games\\Disc 1.cdi\""}},
      {"the unmount fails",
       true,
       3,
       {"-> wait up to 10000 ms for the unmount to end -- it has ended",
        "-> the unmount's exit code -- 3: the unmount failed; the disc mounted now stays, and no "
        "other disc is mounted",
        "-> play ends after 2 checks (1 swap asked for left the disc as it was): the exit key 27 "
        "(Escape) was pressed",
        "-> unmount the image, starting without waiting for it: \"C:\\mounter.exe\" -u "
        "\"D:\\Games\\Disc 1.cdi\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform os;
    SetUpRun(os, "[General]\nLog=true\nRecover=true\n" MOUNT_KEYS, "Disc 1.cdi\r\nDisc 2.cdi\r\n");
    if (!c.unmountEnds) os.signalled.clear();
    os.endedExitCodes["tool.process"] = c.exitCode;
    std::vector<std::string> recorded;
    os.afterCall = [&os, &recorded](const char* line) {
      if (std::string(line).rfind("FlushFileBuffers(new", 0) != 0) return;
      const std::vector<std::uint8_t>& bytes = os.files["C:\\Emu\\tolvimer_launch.undo"];
      UndoRecord record;
      ASSERT_EQ(DecodeUndoRecord(bytes.data(), bytes.size(), record), UndoFileState::kValid);
      recorded.push_back(record.unmountLine);
    };
    ASSERT_EQ(RunLaunchSequence(os, 0x400000, kPlaylist), 1);
    const std::string& log = os.logText;
    std::vector<std::string> told = {"-> read the playlist -- 2 discs",
                                     "-> disc 2: D:\\Games\\Disc 2.cdi",
                                     "-> the next-disc key: 78 (N)", kUnmountDisc1};
    told.insert(told.end(), c.told.begin(), c.told.end());
    std::size_t at = 0;
    for (const std::string& line : told) {
      const std::size_t found = log.find(line, at);
      EXPECT_NE(found, std::string::npos) << "not told in order: " << line << "\n" << log;
      if (found != std::string::npos) at = found;
    }
    const bool swapped = c.unmountEnds && c.exitCode == 0;
    EXPECT_EQ(Started(os).size(), swapped ? 5u : 4u) << "disc 2 mounted only after a good unmount";
    // The record names the disc that is mounted: disc 2 only once it is.
    const std::string kRecord1 = "\"C:\\mounter.exe\" -u \"D:\\Games\\Disc 1.cdi\"";
    const std::string kRecord2 = "\"C:\\mounter.exe\" -u \"D:\\Games\\Disc 2.cdi\"";
    EXPECT_EQ(recorded,
              swapped ? (Lines{kRecord1, kRecord1, kRecord2}) : (Lines{kRecord1, kRecord1}));
  }
  ResetProgramState();
}

// NextDisc is a virtual-key code polled as that key, whatever key it is;
// the log names it as the keyboard layout does. Exit keeps its own rule.
TEST(DiscSwapRunTest, TheNextDiscKeyIsAnyKeyPolledAsItself) {
  struct Case {
    std::string value;
    int polled;  // 0: no key
    std::string told;
  } cases[] = {
      {"34", 34, "-> the next-disc key: 34 (Page Down)"},
      {"116", 116, "-> the next-disc key: 116 (F5)"},
      {"39", 39, "-> the next-disc key: 39 (Right)"},
      {"186", 186, "-> the next-disc key: 186 (;)"},
      {"78", 78, "-> the next-disc key: 78 (N)"},
      {"0", 0, "-> no next-disc key"},
      {"300", 0, "-> no next-disc key"},
      {"abc", 0, "-> no next-disc key"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    FakePlatform os;
    SetUpRun(os,
             "[General]\nLog=true\nMountTool=custom\nUnmount=true\nNextDisc=" + c.value +
                 "\n[CustomMount]\nExe=C:\\mounter.exe\nMountArgs=-m \"{image}\"\n"
                 "UnmountArgs=-u \"{image}\"\n",
             "Disc 1.cdi\r\nDisc 2.cdi\r\n");
    os.asyncKeyStates = {0, kPressed, 0, kPressed, 0};
    ASSERT_EQ(RunLaunchSequence(os, 0x400000, kPlaylist), 1);
    Lines polled;
    for (const std::string& line : os.Lines({"GetAsyncKeyState"})) {
      polled.push_back(line.substr(0, line.find(')') + 1));
    }
    const std::string key = "GetAsyncKeyState(" + std::to_string(c.polled) + ")";
    const Lines none = {"GetAsyncKeyState(27)", "GetAsyncKeyState(27)"};
    const Lines swapped = {"GetAsyncKeyState(27)", key, key, "GetAsyncKeyState(27)"};
    EXPECT_EQ(polled, c.polled == 0 ? none : swapped);
    EXPECT_EQ(os.Lines({"MapVirtualKey"}), Lines{}) << "the key is not read through a character";
    EXPECT_NE(os.logText.find(c.told), std::string::npos) << os.logText;
    EXPECT_EQ(os.logText.find("ends play and never swaps"), std::string::npos);
  }
  // The same key as Exit: the exit key is polled first and ends play.
  FakePlatform same;
  SetUpRun(same, "[General]\nLog=true\nExit=27\nNextDisc=27\n" MOUNT_KEYS,
           "Disc 1.cdi\r\nDisc 2.cdi\r\n");
  ASSERT_EQ(RunLaunchSequence(same, 0x400000, kPlaylist), 1);
  EXPECT_NE(same.logText.find("-> the next-disc key: 27 (Esc) -- warning: the exit key is polled "
                              "first, so this key ends play and never swaps discs"),
            std::string::npos)
      << same.logText;
  ResetProgramState();
}

// A swap's wait during play: the handler registered before play answers
// (no second registration), the game keeps the foreground, the queries of
// the game's time are taken before the new disc's mount, and the run log
// counts every answer once.
TEST(DiscSwapRunTest, TheSwapsWaitLeavesTheGameInFront) {
  FakePlatform os;
  SetUpRun(os, "[General]\nLog=true\nDelay=2\nCancelAutoPlay=true\nDrive=K\n" MOUNT_KEYS,
           "Disc 1.cdi\r\nDisc 2.cdi\r\n");
  AutoPlayAnswers first, duringPlay, swapWait, afterPlay;
  first.count = 1;
  std::memcpy(first.answer[0].root, "K:\\", 4);
  first.answer[0].cancelled = true;
  duringPlay.count = 2;
  std::memcpy(duringPlay.answer[0].root, "F:\\", 4);
  std::memcpy(duringPlay.answer[1].root, "K:\\", 4);
  duringPlay.answer[1].cancelled = true;
  swapWait = first;
  afterPlay.notKept = 3;
  os.handlerAnswers = {first, duringPlay, swapWait, afterPlay};
  ASSERT_EQ(RunLaunchSequence(os, 0x400000, kPlaylist), 1);
  const Lines lines =
      os.Lines({"CreateProcess", "RegisterAutoPlayHandler", "RevokeAutoPlayHandler",
                "WaitWithAutoPlayHelpers", "TakeAutoPlayAnswers", "MessageBox", "RunsElevated"});
  const Lines expected = {
      "CreateProcess(\"\"C:\\mounter.exe\" -m \"D:\\Games\\Disc 1.cdi\"\") = tool",
      "RegisterAutoPlayHandler(K:\\) = cookie 77",
      "RunsElevated() = FALSE",
      "WaitWithAutoPlayHelpers(2000, foreground)",
      "TakeAutoPlayAnswers() = [K:\\ S_FALSE], 0 not kept",
      "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu",
      "CreateProcess(\"\"C:\\mounter.exe\" -u \"D:\\Games\\Disc 1.cdi\"\") = tool",
      "TakeAutoPlayAnswers() = [F:\\ S_OK, K:\\ S_FALSE], 0 not kept",
      "CreateProcess(\"\"C:\\mounter.exe\" -m \"D:\\Games\\Disc 2.cdi\"\") = tool",
      "WaitWithAutoPlayHelpers(2000, during play)",
      "TakeAutoPlayAnswers() = [K:\\ S_FALSE], 0 not kept",
      "CreateProcess(\"\"C:\\mounter.exe\" -u \"D:\\Games\\Disc 2.cdi\"\") = tool",
      "RevokeAutoPlayHandler(cookie 77)",
      "TakeAutoPlayAnswers() = [], 3 not kept",
  };
  EXPECT_EQ(lines, expected);
  const std::string& log = os.logText;
  const auto count = [&log](const std::string& text) {
    std::size_t n = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("the AutoPlay handler answered a query about K:\\"), 3u) << log;
  EXPECT_EQ(count("the AutoPlay handler answered a query about F:\\"), 1u) << log;
  EXPECT_EQ(count("the AutoPlay handler answered 3 more queries than the 8 it keeps"), 1u) << log;
  EXPECT_EQ(count("-> the AutoPlay handler answered 7 queries in all, 3 of them with S_FALSE"), 1u)
      << log;
  EXPECT_EQ(count("a disc swap's wait during play: the game keeps the foreground"), 1u) << log;
  EXPECT_EQ(count("-> revoke the AutoPlay handler from the running object table -- revoked; its "
                  "thread has ended"),
            1u)
      << log;
  ResetProgramState();
}

// The handler's answer about the watched drive ends the swap's wait at once
// when it comes after the new disc's mount was started, even before the
// wait's window exists; one that came during play, before the swap, is
// taken (and told) before that mount and ends nothing.
TEST(DiscSwapRunTest, OnlyAnAnswerAfterTheNewMountEndsTheSwapsWait) {
  struct Case {
    std::string name;
    std::string askAfter;  // the call after which the shell asks about K:
    std::string swapWait;  // how the swap's wait ended, as told
  } cases[] = {
      {"asked as the new disc's mount starts",
       "CreateProcess(\"\"C:\\mounter.exe\" -m \"D:\\Games\\Disc 2.cdi\"",
       "AutoPlay asked about K:\\ and was cancelled by the handler after 0 ms"},
      {"asked during play, before the swap", "WaitForSingleObject(emu.process, 500)",
       "the delay ran out after 2000 ms"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform os;
    SetUpRun(os, "[General]\nLog=true\nDelay=2\nCancelAutoPlay=true\nDrive=K\n" MOUNT_KEYS,
             "Disc 1.cdi\r\nDisc 2.cdi\r\n");
    bool asked = false;
    os.afterCall = [&os, &asked, &c](const char* line) {
      if (asked || std::string(line).rfind(c.askAfter, 0) != 0) return;
      asked = true;
      EXPECT_EQ(os.AskAutoPlayHandler('K'), 1);
    };
    ASSERT_EQ(RunLaunchSequence(os, 0x400000, kPlaylist), 1);
    ASSERT_TRUE(asked);
    const std::string& log = os.logText;
    const std::size_t swapWait = log.find("a disc swap's wait during play");
    ASSERT_NE(swapWait, std::string::npos) << log;
    const std::size_t ended = log.find(c.swapWait, swapWait);
    EXPECT_NE(ended, std::string::npos) << log;
    // Told once, wherever it was taken.
    EXPECT_EQ(log.find("the AutoPlay handler answered a query about K:\\"),
              log.rfind("the AutoPlay handler answered a query about K:\\"))
        << log;
  }
  ResetProgramState();
}

// During play no box can come up: a swap's wait whose window cannot be made
// is only told, even without CancelAutoPlay or WaitForDisc.
TEST(DiscSwapRunTest, ASwapsWaitThatCannotMakeItsWindowShowsNoBox) {
  FakePlatform os;
  SetUpRun(os, "[General]\nLog=true\nDelay=1\n" MOUNT_KEYS, "Disc 1.cdi\r\nDisc 2.cdi\r\n");
  os.Fail("WaitWithAutoPlayHelpers", 0, 1410);  // ERROR_CLASS_ALREADY_EXISTS
  ASSERT_EQ(RunLaunchSequence(os, 0x400000, kPlaylist), 1);
  EXPECT_EQ(
      os.Lines({"WaitWithAutoPlaySuppressed", "WaitWithAutoPlayHelpers"}),
      (Lines{"WaitWithAutoPlaySuppressed(1000)", "WaitWithAutoPlayHelpers(1000, during play)"}));
  EXPECT_NE(os.logText.find("the hidden window could not be made: no box during play, and no wait "
                            "-- failed: error 1410"),
            std::string::npos)
      << os.logText;
  ResetProgramState();
}

}  // namespace
}  // namespace tolvimer::testing
