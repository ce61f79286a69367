// [General] Recover: the undo record a run keeps, and what the next start
// puts right after a run that was cut short.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch/launch_sequence.h"
#include "launch/undo_record.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

constexpr char kUndoPath[] = "C:\\Emu\\tolvimer_launch.undo";
constexpr char kNewPath[] = "C:\\Emu\\tolvimer_launch.undo.new";
constexpr char kImage[] = "D:\\Images\\Some Game.cdi";
constexpr std::uint32_t kFirstLauncher = 3000;

std::string Settings(bool unmount, const char* more = "") {
  return std::string("[General]\nRecover=TRUE\nForceFull=true\nScreen=640x480\n") +
         "MountTool=daemontools\n" + (unmount ? "Unmount=true\n" : "") + more +
         "[DaemonTools]\nExe=C:\\Tools\\mount.exe\nDevice=0\n";
}

// A launcher started as process `pid`, with the emulator and the mount tool.
void LauncherAt(FakePlatform& os, std::uint32_t pid, const std::string& settings) {
  os.settingsText = settings;
  os.ownProcessId = pid;
  os.ownCreationTime = 0x01DB000000000000ull + pid;
  os.NameProcess("Tolvimer", "emu");
  os.NameProcess("mount.exe", "tool");
  os.AddWindow("emu", "emu");
  // The mount tool ends at once, with exit code 0.
  os.signalled.push_back("tool.process");
}

struct Killed {};

// Runs a first launcher until the first call whose trace line begins with
// `killAt`, where it is killed; gives the files it left.
std::map<std::string, Bytes, std::less<>> KilledRun(const std::string& settings,
                                                    const std::string& killAt) {
  FakePlatform os;
  LauncherAt(os, kFirstLauncher, settings);
  os.afterCall = [&killAt](const char* line) {
    if (std::string(line).rfind(killAt, 0) == 0) throw Killed{};
  };
  EXPECT_THROW(RunLaunchSequence(os, 0x400000, kImage), Killed) << killAt;
  return os.files;
}

// The calls of a start from its read of Recover up to where its own run
// begins (the launcher asks for its own identity, or reads Region), leaving
// out the run log's own writes.
Lines RecoveryCalls(const FakePlatform& os) {
  Lines kept;
  bool in = false;
  for (const std::string& line : os.Lines()) {
    if (line.rfind("GetCurrentProcessId", 0) == 0 ||
        line.rfind("GetPrivateProfileString(General, Region)", 0) == 0) {
      break;
    }
    const bool logged = line.rfind("GetTickCount", 0) == 0 || line.rfind("WriteFile(log", 0) == 0 ||
                        line.rfind("FlushFileBuffers(log", 0) == 0 ||
                        line.rfind("CloseHandle(log)", 0) == 0;
    if (in && !logged) kept.push_back(line);
    if (line.rfind("GetPrivateProfileString(General, Recover)", 0) == 0) in = true;
  }
  return kept;
}

// The read of a whole record: one byte more is asked for, to tell a longer file.
const std::string kReadWholeRecord = "ReadFile(read1, " + std::to_string(kUndoRecordSize + 1) +
                                     ") = " + std::to_string(kUndoRecordSize) + " bytes";

const Lines kReadRecord = {
    "CreateFile(\"C:\\Emu\\tolvimer_launch.undo\", GENERIC_READ) = read1",
    kReadWholeRecord,
    "CloseHandle(read1)",
    "OpenProcess(3000) = NULL",
    "GetLastError() = 87",  // ERROR_INVALID_PARAMETER: no such process
};
const Lines kCloseOldEmulator = {
    "OpenProcess(1002) = oldemu.opened",
    "GetProcessTimes(oldemu.opened) = 0x01DC0000000003EA",
    "GetExitCodeProcess(oldemu.opened) = 259",
    "EnumWindows",
    "GetWindowThreadProcessId(emu) = 4",
    "GetWindowThreadProcessId(oldwin) = 1002",
    "PostMessage(oldwin, WM_CLOSE, 0, 0)",
    "WaitForSingleObject(oldemu.opened, 10000)",
};
// The old unmount is waited for, up to 30 s, before the new run goes on.
const Lines kUnmount = {
    "CreateProcess(\"\"C:\\Tools\\mount.exe\" -unmount 0\") = tool",
    "WaitForSingleObject(tool.process, 30000)",
    "GetExitCodeProcess(tool.process) = 0",
    "CloseHandle(tool.process)",
    "CloseHandle(tool.thread)",
};
const Lines kRestoreAndRemove = {
    "ChangeDisplaySettings(NULL, 0)",
    "DeleteFile(\"C:\\Emu\\tolvimer_launch.undo\")",
};

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(RecoveryTest, ANewStartPutsRightExactlyWhatTheKilledRunHadChanged) {
  const Lines closed = Join(
      {kCloseOldEmulator, {"GetExitCodeProcess(oldemu.opened) = 0", "CloseHandle(oldemu.opened)"}});
  const struct {
    const char* what;
    const char* killAt;
    bool unmount;
    Lines putRight;
  } cases[] = {
      {"after the mode switch", "ChangeDisplaySettings(640x480", true,
       Join({kReadRecord, kRestoreAndRemove})},
      {"after the mount", "CreateProcess(\"\"C:\\Tools\\mount.exe\" -noicon", true,
       Join({kReadRecord, kUnmount, kRestoreAndRemove})},
      {"after the mount, Unmount off", "CreateProcess(\"\"C:\\Tools\\mount.exe\" -noicon", false,
       Join({kReadRecord, kRestoreAndRemove})},
      {"during the watch", "WaitForSingleObject(emu.process, 500)", true,
       Join({kReadRecord, closed, kUnmount, kRestoreAndRemove})},
      {"during the watch, Unmount off", "WaitForSingleObject(emu.process, 500)", false,
       Join({kReadRecord, closed, kRestoreAndRemove})},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform os;
    LauncherAt(os, 3001, Settings(c.unmount));
    os.files = KilledRun(Settings(c.unmount), c.killAt);
    ASSERT_EQ(os.files.count(kUndoPath), 1u);
    // The old emulator, still running, with its window below the new one's.
    os.otherProcesses.push_back({"oldemu", 1002, FakePlatform::StartedCreationTime(1002)});
    os.AddWindow("oldwin", "oldemu");
    EXPECT_EQ(RunLaunchSequence(os, 0x400000, kImage), 1);
    EXPECT_EQ(RecoveryCalls(os), c.putRight);
    // Then the run goes on as usual, and its own record goes at its end.
    const Lines ownSteps = os.Lines({"ChangeDisplaySettings", "DeleteFile"});
    EXPECT_EQ(ownSteps.back(), "DeleteFile(\"C:\\Emu\\tolvimer_launch.undo\")");
    EXPECT_EQ(ownSteps[ownSteps.size() - 2], "ChangeDisplaySettings(NULL, 0)");
    EXPECT_EQ(os.files.count(kUndoPath), 0u);
    EXPECT_EQ(os.files.count(kNewPath), 0u);
  }
}

TEST(RecoveryTest, AnOldEmulatorThatDoesNotCloseIsLeftRunningAndTheRestIsPutRight) {
  FakePlatform os;
  LauncherAt(os, 3001, Settings(true));
  os.files = KilledRun(Settings(true), "WaitForSingleObject(emu.process, 500)");
  os.otherProcesses.push_back({"oldemu", 1002, FakePlatform::StartedCreationTime(1002)});
  os.otherProcesses.back().closesOnWmClose = false;
  os.AddWindow("oldwin", "oldemu");
  EXPECT_EQ(RunLaunchSequence(os, 0x400000, kImage), 1);
  EXPECT_EQ(RecoveryCalls(os),
            Join({kReadRecord,
                  kCloseOldEmulator,
                  {"GetExitCodeProcess(oldemu.opened) = 259", "CloseHandle(oldemu.opened)"},
                  kUnmount,
                  kRestoreAndRemove}));
  EXPECT_TRUE(os.otherProcesses.back().running);
}

TEST(RecoveryTest, AnEmulatorIdTakenByAnotherProgramIsNotTouched) {
  for (const bool ended : {true, false}) {
    SCOPED_TRACE(ended ? "the old emulator has ended" : "its id now belongs to another program");
    FakePlatform os;
    LauncherAt(os, 3001, Settings(false));
    os.files = KilledRun(Settings(false), "WaitForSingleObject(emu.process, 500)");
    if (!ended) os.otherProcesses.push_back({"stranger", 1002, 0x01DD000000000000ull});
    os.AddWindow("strangerwin", "stranger");
    EXPECT_EQ(RunLaunchSequence(os, 0x400000, kImage), 1);
    const Lines opened = ended ? Lines{"OpenProcess(1002) = NULL", "GetLastError() = 87"}
                               : Lines{"OpenProcess(1002) = stranger.opened",
                                       "GetProcessTimes(stranger.opened) = 0x01DD000000000000",
                                       "CloseHandle(stranger.opened)"};
    EXPECT_EQ(RecoveryCalls(os), Join({kReadRecord, opened, kRestoreAndRemove}));
  }
}

// A writer that still runs (between its end's close of the record and its
// removal) is left alone: its record stays as it is and this run keeps none.
TEST(RecoveryTest, ARecordWhoseLauncherStillRunsIsNeitherActedOnNorReplaced) {
  FakePlatform os;
  LauncherAt(os, 3001, Settings(true, "Log=true\n"));
  os.files = KilledRun(Settings(true), "WaitForSingleObject(emu.process, 500)");
  const Bytes before = os.files[kUndoPath];
  os.otherProcesses.push_back(
      {"first", kFirstLauncher, 0x01DB000000000000ull + kFirstLauncher, true, true, true});
  EXPECT_EQ(RunLaunchSequence(os, 0x400000, kImage), 1);
  EXPECT_EQ(RecoveryCalls(os),
            Join({{"CreateFile(\"C:\\Emu\\tolvimer_launch.undo\", GENERIC_READ) = read1",
                   kReadWholeRecord, "CloseHandle(read1)"},
                  {"OpenProcess(3000) = first.opened",
                   "GetProcessTimes(first.opened) = 0x01DB000000000BB8",
                   "GetExitCodeProcess(first.opened) = 259", "CloseHandle(first.opened)"}}));
  EXPECT_EQ(os.files[kUndoPath], before);
  EXPECT_EQ(os.Lines({"DeleteFile", "GetCurrentProcessId"}), Lines{});
  EXPECT_NE(os.logText.find("(process id 3000) is still running: nothing is touched"),
            std::string::npos)
      << os.logText;
}

// The limited query right is granted on every process of the same user, so
// a process Windows will not let this launcher open is another user's: the
// id of the record's launcher or emulator was reused. Neither is touched,
// and the record is put right as after an emulator that ended.
TEST(RecoveryTest, AnIdNowOfAnotherUsersProcessIsLeftAloneAndTheRecordPutRight) {
  const Lines denied = {"OpenProcess(1002) = NULL", "GetLastError() = 5"};
  const struct {
    const char* what;
    bool writerDenied;
    bool emulatorDenied;
    Lines writer;
    std::string told;
  } cases[] = {
      {"the emulator's id",
       false,
       true,
       {"OpenProcess(3000) = NULL", "GetLastError() = 87"},
       "the emulator of that run (process id 1002) is now another user's process (access "
       "denied): its id was reused, so it is not that run's and is left alone"},
      {"the launcher's and the emulator's ids",
       true,
       true,
       {"OpenProcess(3000) = NULL", "GetLastError() = 5"},
       "the launcher that wrote it (process id 3000) is now another user's process (access "
       "denied): its id was reused, so it is not that run's and is left alone"},
  };
  for (const auto& c : cases) {
    for (const bool recoverOnly : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (recoverOnly ? ", --recover" : ""));
      FakePlatform os;
      LauncherAt(os, 3001, Settings(true, "Log=true\n"));
      os.files = KilledRun(Settings(true), "WaitForSingleObject(emu.process, 500)");
      if (c.writerDenied) {
        os.otherProcesses.push_back({"stranger", kFirstLauncher, 1, true, true, false});
      }
      os.otherProcesses.push_back(
          {"oldemu", 1002, FakePlatform::StartedCreationTime(1002), true, true, false});
      os.AddWindow("oldwin", "oldemu");
      // All of it put right: --recover says so.
      EXPECT_EQ(RunLaunchSequence(os, 0x400000, recoverOnly ? "--recover" : kImage), 1);
      EXPECT_EQ(RecoveryCalls(os), Join({{"CreateFile(\"C:\\Emu\\tolvimer_launch.undo\", "
                                          "GENERIC_READ) = read1",
                                          kReadWholeRecord, "CloseHandle(read1)"},
                                         c.writer,
                                         denied,
                                         kUnmount,
                                         kRestoreAndRemove}));
      for (const std::string& line : os.Lines({"PostMessage"}))
        EXPECT_EQ(line.find("oldwin"), std::string::npos) << line;
      EXPECT_TRUE(os.otherProcesses.back().running);
      EXPECT_NE(os.logText.find(c.told), std::string::npos) << os.logText;
      EXPECT_EQ(os.files.count(kUndoPath), 0u);
    }
  }
}

TEST(RecoveryTest, AWriterWhoseIdWasReusedCountsAsEnded) {
  FakePlatform os;
  LauncherAt(os, 3001, Settings(false));
  os.files = KilledRun(Settings(false), "ChangeDisplaySettings(640x480");
  os.otherProcesses.push_back({"reused", kFirstLauncher, 0x01DE000000000000ull});
  EXPECT_EQ(RunLaunchSequence(os, 0x400000, kImage), 1);
  const Lines calls = RecoveryCalls(os);
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2], "ChangeDisplaySettings(NULL, 0)");
}

// A valid record of a killed run, as bytes.
Bytes ValidRecord() {
  UndoRecord record;
  record.launcher = {kFirstLauncher, 0x01DB000000000BB8ull};
  record.displaySwitched = true;
  unsigned char bytes[kUndoRecordSize];
  EncodeUndoRecord(record, bytes);
  return Bytes(bytes, bytes + kUndoRecordSize);
}

// Two launches in one folder: the first holds its record open for its whole
// run, so a second start, made before or after the first wrote anything,
// cannot open it, leaves it alone and keeps no record of its own.
TEST(RecoveryTest, ASecondLaunchInTheFolderLeavesTheHeldRecordAlone) {
  const std::string held = "C:\\Emu\\tolvimer_launch.undo";
  const struct {
    const char* what;
    bool written;  // the first run has written its record already
    const char* commandLine;
    int result;
  } cases[] = {
      {"before the first run wrote anything", false, kImage, 1},
      {"after the first run wrote its record", true, kImage, 1},
      {"asked only to put things right", true, "--recover", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform os;
    LauncherAt(os, 3001, Settings(true, "Log=true\n"));
    if (c.written) os.files[kUndoPath] = ValidRecord();
    const std::map<std::string, Bytes, std::less<>> before = os.files;
    os.heldByOthers.push_back(held);
    EXPECT_EQ(RunLaunchSequence(os, 0x400000, c.commandLine), c.result);
    const Lines calls = RecoveryCalls(os);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(Lines(calls.begin(), calls.begin() + 2),
              (Lines{"CreateFile(\"" + held + "\", GENERIC_READ) = INVALID_HANDLE_VALUE",
                     "GetLastError() = 32"}));
    EXPECT_EQ(os.files, before);
    EXPECT_EQ(os.Lines({"DeleteFile", "OpenProcess", "GetCurrentProcessId"}),
              Lines{});
    EXPECT_NE(os.logText.find("undo record: tolvimer_launch.undo is held open by a launcher that "
                              "is running: nothing is touched, and this run keeps no record"),
              std::string::npos)
        << os.logText;
  }
}

TEST(RecoveryTest, AFileThatIsNotAWholeRecordIsNeverActedOn) {
  Bytes damaged = ValidRecord();
  damaged[100] ^= 0x20;
  Bytes newer = ValidRecord();
  newer[8] = 2;
  const Bytes valid = ValidRecord();
  const struct {
    const char* what;
    Bytes bytes;
    UndoFileState state;
  } cases[] = {
      {"damaged", damaged, UndoFileState::kDamaged},
      {"cut off", Bytes(valid.begin(), valid.begin() + 200), UndoFileState::kShort},
      {"cut off in its head", Bytes(valid.begin(), valid.begin() + 10), UndoFileState::kShort},
      {"cut off in its mark", Bytes(valid.begin(), valid.begin() + 3), UndoFileState::kShort},
      {"empty", Bytes{}, UndoFileState::kShort},
      {"foreign", Bytes{'h', 'e', 'l', 'l', 'o'}, UndoFileState::kForeign},
      {"newer", newer, UndoFileState::kNewer},
      {"longer",
       [] {
         Bytes b = ValidRecord();
         b.push_back(0);
         return b;
       }(),
       UndoFileState::kDamaged},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    UndoRecord record;
    EXPECT_EQ(DecodeUndoRecord(c.bytes.data(), c.bytes.size(), record), c.state);

    FakePlatform os;
    LauncherAt(os, 3001, Settings(false, "Log=true\n"));
    os.files[kUndoPath] = c.bytes;
    EXPECT_EQ(RunLaunchSequence(os, 0x400000, kImage), 1);
    const Lines calls = RecoveryCalls(os);
    ASSERT_EQ(calls.size(), 3u);  // read and closed, nothing else
    // An empty file is what a run cut short before its first change leaves.
    const std::string told = c.bytes.empty()
                                 ? std::string("undo record: empty: nothing to put right")
                                 : std::string("tolvimer_launch.undo is ") +
                                       UndoFileStateText(c.state) + ": nothing in it is acted on";
    EXPECT_NE(os.logText.find(told), std::string::npos) << os.logText;
    // The run's own record replaced it, and went at the normal end.
    EXPECT_EQ(os.files.count(kUndoPath), 0u);
  }
  UndoRecord record;
  ASSERT_EQ(DecodeUndoRecord(valid.data(), valid.size(), record), UndoFileState::kValid);
  EXPECT_EQ(record.launcher.processId, kFirstLauncher);
  EXPECT_TRUE(record.displaySwitched);
  EXPECT_FALSE(record.emulatorStarted);
}

TEST(RecoveryTest, TheRecordIsWrittenWholeBeforeEachChangeAndRemovedAtTheEnd) {
  FakePlatform os;
  LauncherAt(os, 3001, Settings(true));
  std::vector<UndoRecord> saved;
  std::vector<std::size_t> savedAt;
  os.afterCall = [&os, &saved, &savedAt](const char* line) {
    if (std::string(line).rfind("FlushFileBuffers", 0) != 0) return;
    const Bytes& bytes = os.files[kUndoPath];
    saved.emplace_back();
    EXPECT_EQ(DecodeUndoRecord(bytes.data(), bytes.size(), saved.back()), UndoFileState::kValid);
    savedAt.push_back(os.Lines().size());
  };
  EXPECT_EQ(RunLaunchSequence(os, 0x400000, kImage), 1);
  ASSERT_EQ(saved.size(), 3u);
  const Lines lines = os.Lines();
  const auto at = [&lines](const std::string& prefix) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i].rfind(prefix, 0) == 0) return i + 1;
    }
    return std::size_t{0};
  };
  EXPECT_LT(savedAt[0], at("ChangeDisplaySettings(640x480"));
  EXPECT_LT(savedAt[1], at("CreateProcess(\"\"C:\\Tools\\mount.exe\" -noicon"));
  EXPECT_GT(savedAt[2], at("CreateProcess(\"Tolvimer_alpha_25.exe\")"));
  EXPECT_LT(savedAt[2], at("WaitForInputIdle"));
  for (const UndoRecord& record : saved) {
    EXPECT_EQ(record.launcher.processId, 3001u);
    EXPECT_EQ(record.launcher.creationTime, 0x01DB000000000000ull + 3001);
    EXPECT_TRUE(record.displaySwitched);
  }
  EXPECT_STREQ(saved[0].unmountLine, "");
  EXPECT_STREQ(saved[1].unmountLine, "\"C:\\Tools\\mount.exe\" -unmount 0");
  EXPECT_FALSE(saved[1].emulatorStarted);
  EXPECT_TRUE(saved[2].emulatorStarted);
  // The mount tool was started first, as process 1001.
  EXPECT_EQ(saved[2].emulator.processId, 1002u);
  EXPECT_EQ(saved[2].emulator.creationTime, FakePlatform::StartedCreationTime(1002));
  // The file is created once and held for the whole run; each write goes
  // whole over the one before, from its start, and is flushed.
  const Lines held = os.Lines({"CreateFile", "SetFilePointer", "WriteFile", "FlushFileBuffers"});
  const std::string record = "(new1";
  Lines writes;
  for (const std::string& line : held) {
    if (line.find("tolvimer_launch.undo") != std::string::npos ||
        line.find(record) != std::string::npos)
      writes.push_back(line);
  }
  const std::string size = std::to_string(kUndoRecordSize);
  const Lines once = {"SetFilePointer(new1, 0)", "WriteFile(new1, " + size + " bytes)",
                      "FlushFileBuffers(new1)"};
  EXPECT_EQ(writes, Join({{"CreateFile(\"C:\\Emu\\tolvimer_launch.undo\", GENERIC_READ) = "
                           "INVALID_HANDLE_VALUE",
                           "CreateFile(\"C:\\Emu\\tolvimer_launch.undo\", CREATE_ALWAYS, "
                           "FILE_SHARE_READ) = new1"},
                          once,
                          once,
                          once}));
  EXPECT_EQ(os.files.count(kUndoPath), 0u);
  const Lines lines2 = os.Lines();
  EXPECT_EQ(Lines(lines2.end() - 2, lines2.end()),
            (Lines{"CloseHandle(new1)", "DeleteFile(\"C:\\Emu\\tolvimer_launch.undo\")"}));
}

// A record that cannot be written changes nothing of the run but a log line
// with the error of the call that failed; with none written, the end removes
// nothing and says nothing of a removal.
TEST(RecoveryTest, AnUnwritableFolderChangesNothingButALogLine) {
  const struct {
    const char* what;
    const char* failing;  // empty: the folder is read-only
    std::uint32_t error;
  } cases[] = {
      {"a read-only folder", "", 5},
      {"the write refused", "WriteNewFile", 112},       // ERROR_DISK_FULL
      {"the flush refused", "FlushFileBuffers", 1117},  // ERROR_IO_DEVICE
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform plain;
    LauncherAt(plain, 3001, Settings(true, "Recover=false\n"));
    FakePlatform os;
    LauncherAt(os, 3001, Settings(true, "Log=true\n"));
    if (c.failing[0] == '\0') os.folderWritable = false;
    if (c.failing[0] != '\0') os.Fail(c.failing, 0, c.error);
    EXPECT_EQ(RunLaunchSequence(plain, 0x400000, kImage), 1);
    EXPECT_EQ(RunLaunchSequence(os, 0x400000, kImage), 1);
    const Lines acts = {"ChangeDisplaySettings", "CreateProcess", "PostMessage", "SendMessage"};
    EXPECT_EQ(os.Lines(acts), plain.Lines(acts));
    const std::string told =
        "tolvimer_launch.undo could not be written: error " + std::to_string(c.error);
    EXPECT_NE(os.logText.find(told), std::string::npos) << os.logText;
    EXPECT_EQ(os.logText.find("could not be removed"), std::string::npos) << os.logText;
    EXPECT_EQ(os.files.count(kUndoPath), 0u);
  }
}

TEST(RecoveryTest, WithRecoverOffAnOldRecordIsNeitherReadNorRemoved) {
  for (const char* recover : {"", "Recover=yes\n", "Recover=\n"}) {
    SCOPED_TRACE(recover);
    FakePlatform os;
    os.NameProcess("Tolvimer", "emu");
    os.AddWindow("emu", "emu");
    os.settingsText = std::string("[General]\n") + recover + "ForceFull=true\nScreen=640x480\n";
    os.files[kUndoPath] = ValidRecord();
    EXPECT_EQ(RunLaunchSequence(os, 0x400000, kImage), 1);
    EXPECT_EQ(os.files[kUndoPath], ValidRecord());
    EXPECT_EQ(os.Lines({"ReadFile", "DeleteFile", "OpenProcess"}), Lines{});
  }
}

// "--recover" returns 1 when there was nothing to put right or all of it
// was put right, 0 when something could not be.
TEST(RecoveryTest, RecoverAloneOnTheCommandLinePutsThingsRightAndStartsNoGame) {
  Bytes damaged = ValidRecord();
  damaged[kUndoRecordSize - 1] ^= 1;
  const Lines noRecord = {
      "CreateFile(\"C:\\Emu\\tolvimer_launch.undo\", GENERIC_READ) = INVALID_HANDLE_VALUE",
      "GetLastError() = 2", "ChangeDisplaySettings(NULL, 0)"};
  const struct {
    const char* what;
    Bytes record;  // none when empty
    bool modeRefused;
    int result;
    Lines calls;  // every call after the read of Recover
  } cases[] = {
      {"a record", ValidRecord(), false, 1, Join({kReadRecord, kRestoreAndRemove})},
      {"no record: the desktop goes back all the same", {}, false, 1, noRecord},
      {"a damaged record, not acted on",
       damaged,
       false,
       0,
       {"CreateFile(\"C:\\Emu\\tolvimer_launch.undo\", GENERIC_READ) = read1", kReadWholeRecord,
        "CloseHandle(read1)", "ChangeDisplaySettings(NULL, 0)"}},
      {"the stored mode refused", ValidRecord(), true, 0,
       Join({kReadRecord,
             {"ChangeDisplaySettings(NULL, 0)"},
             {"DeleteFile(\"C:\\Emu\\tolvimer_launch.undo\")"}})},
      {"no record, the stored mode refused", {}, true, 0, noRecord},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform os;
    LauncherAt(os, 3001, "[General]\nRecover=true\n");
    if (!c.record.empty()) os.files[kUndoPath] = c.record;
    if (c.modeRefused) os.Fail("ChangeDisplaySettings");
    EXPECT_EQ(RunLaunchSequence(os, 0x400000, "--recover"), c.result);
    Lines after;
    bool in = false;
    for (const std::string& line : os.Lines()) {
      if (in) after.push_back(line);
      in = in || line.rfind("GetPrivateProfileString(General, Recover)", 0) == 0;
    }
    EXPECT_EQ(after, c.calls);
  }
  // With Recover off the words are an image path like any other.
  FakePlatform off;
  LauncherAt(off, 3001, "[General]\n");
  EXPECT_EQ(RunLaunchSequence(off, 0x400000, "--recover"), 1);
  EXPECT_EQ(off.Lines({"CreateProcess"}), Lines{"CreateProcess(\"Tolvimer_alpha_25.exe\") = emu"});
}

TEST(RecoveryTest, TheRunLogTellsWhatWasFoundAndPutBack) {
  const std::string unmount = "\"C:\\Tools\\mount.exe\" -unmount 0";
  const struct {
    const char* what;
    bool ends;
    std::uint32_t exitCode;
    bool startable;
    std::string told;
  } cases[] = {
      {"the unmount ends", true, 0, true, "undo record: unmount ended: " + unmount},
      {"the unmount fails", true, 1, true,
       "undo record: unmount ended with exit code 1, a failure: " + unmount},
      {"the unmount cannot start", false, 0, false,
       "undo record: unmount could not be started: " + unmount},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform os;
    LauncherAt(os, 3001, Settings(true, "Log=true\n"));
    os.files = KilledRun(Settings(true), "WaitForSingleObject(emu.process, 500)");
    os.otherProcesses.push_back({"oldemu", 1002, FakePlatform::StartedCreationTime(1002)});
    os.AddWindow("oldwin", "oldemu");
    if (!c.ends) os.signalled.clear();
    os.endedExitCodes["tool.process"] = c.exitCode;
    if (!c.startable) os.unstartable.push_back(unmount);
    EXPECT_EQ(RunLaunchSequence(os, 0x400000, kImage), 1);
    for (const std::string& told : {
             std::string("undo record: a run cut short (launcher process id 3000) left changes "
                         "behind"),
             std::string("undo record: the emulator of that run (process id 1002) was still "
                         "running: sent WM_CLOSE, it has ended"),
             c.told,
             std::string("undo record: the desktop returned to the mode stored in the registry"),
         }) {
      EXPECT_NE(os.logText.find(told), std::string::npos) << told << "\n" << os.logText;
    }
    // An unmount that ended, well or not, cannot land later: the run goes on.
    EXPECT_EQ(os.files.count(kUndoPath), 0u);
  }
}

// An old unmount still running after 30 s could land after this run's mount
// and take its disc: no game is started, and the record stays for the next
// start, which tries the unmount again.
TEST(RecoveryTest, AnOldUnmountStillRunningStopsTheRunAndKeepsTheRecord) {
  const std::string unmount = "\"C:\\Tools\\mount.exe\" -unmount 0";
  for (const bool recoverOnly : {false, true}) {
    SCOPED_TRACE(recoverOnly ? "--recover" : "a game");
    FakePlatform os;
    LauncherAt(os, 3001, Settings(true, "Log=true\n"));
    os.files = KilledRun(Settings(true), "WaitForSingleObject(emu.process, 500)");
    const Bytes before = os.files[kUndoPath];
    os.signalled.clear();
    EXPECT_EQ(RunLaunchSequence(os, 0x400000, recoverOnly ? "--recover" : kImage), 0);
    EXPECT_EQ(RecoveryCalls(os),
              Join({kReadRecord,
                    {"OpenProcess(1002) = NULL", "GetLastError() = 87",
                     "CreateProcess(\"\"C:\\Tools\\mount.exe\" -unmount 0\") = tool",
                     "WaitForSingleObject(tool.process, 30000)", "CloseHandle(tool.process)",
                     "CloseHandle(tool.thread)", "ChangeDisplaySettings(NULL, 0)"}}));
    EXPECT_EQ(os.Lines({"CreateProcess"}).size(), 1u) << "nothing but the old unmount is started";
    EXPECT_EQ(os.Lines({"DeleteFile", "GetCurrentProcessId"}), Lines{});
    EXPECT_EQ(os.files[kUndoPath], before);
    const std::string told =
        "undo record: unmount still runs after 30 s: it could yet take the disc this run mounts, "
        "so no game is started; the record is kept for the next start: " +
        unmount;
    EXPECT_NE(os.logText.find(told), std::string::npos) << os.logText;
    if (!recoverOnly) {
      EXPECT_NE(os.logText.find("no game was started: the unmount of a cut-short run still runs"),
                std::string::npos)
          << os.logText;
    }
  }
}

}  // namespace
}  // namespace tolvimer::testing
