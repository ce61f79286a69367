#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/emulator_start.h"
#include "tests/unit/alloc_counter.h"
#include "tests/unit/launch_fixture.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;

// The calls by which the launch sequence starts, finds and closes the emulator.
const Lines kEmulatorCalls = {"CreateProcess", "WaitForInputIdle", "EnumWindows",
                              "GetWindowThreadProcessId", "MessageBox", "SendMessage",
                              "CloseHandle"};

TEST_F(LaunchTest, EmptyCommandLineReturnsZeroAndTouchesNothing) {
  os.files["C:\\Emu\\tolvimer.cfg"] = std::vector<std::uint8_t>(16, 0xAA);
  EXPECT_EQ(Run(""), 0);
  EXPECT_EQ(os.Trace(), "");
  EXPECT_EQ(os.files["C:\\Emu\\tolvimer.cfg"], std::vector<std::uint8_t>(16, 0xAA));
}

TEST_F(LaunchTest, WithoutSettingsFileStartsDefaultEmulatorAndCompletes) {
  os.settingsExist = false;
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(os.Lines(kEmulatorCalls), (Lines{
                                          "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu",
                                          "WaitForInputIdle(emu.process, 5000)",
                                          "EnumWindows",
                                          "GetWindowThreadProcessId(emu) = 1001",
                                          "WaitForInputIdle(emu.process, 5000)",
                                          "SendMessage(emu, WM_CLOSE, 0, 0)",
                                          "CloseHandle(emu.process)",
                                          "CloseHandle(emu.thread)",
                                      }));
}

TEST_F(LaunchTest, EmulatorThatCannotStartReturnsZeroSilently) {
  os.unstartable = {"Tolvimer_alpha_25.exe"};
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(os.Lines(kEmulatorCalls),
            (Lines{"CreateProcess(\"Tolvimer_alpha_25.exe\") = FALSE"}));
}

// The index of the first trace line from `from` on that begins with
// `prefix`; lines.size() when there is none.
std::size_t IndexOf(const Lines& lines, const std::string& prefix, std::size_t from) {
  for (std::size_t i = from; i < lines.size(); ++i) {
    if (lines[i].rfind(prefix, 0) == 0) return i;
  }
  return lines.size();
}

TEST_F(LaunchTest, PreparationRunsItsStepsInTheirFixedOrder) {
  os.settingsText =
      "[General]\nRegion=usa\nDrive=E\nForceFull=true\nScreen=800x600\nMountTool=daemontools\n"
      "Delay=1\n[DaemonTools]\nExe=C:\\Tools\\mount.exe\nDevice=0\n";
  os.files["C:\\Emu\\dc_flash.bin"] = std::vector<std::uint8_t>(131072, 0xFF);
  os.files["C:\\Emu\\tolvimer.cfg"] = std::vector<std::uint8_t>(64, 0xFF);
  os.exitCodes = {0};
  EXPECT_EQ(Run(), 1);
  // The configuration is reset (both bytes written, the file closed) before
  // the desktop mode is touched, and the mode before the mount.
  const char* const steps[] = {
      "WriteFile(file1, 0x31)",
      "WriteFile(file2, 0x65)",
      "SetFilePointer(file3, 12)",
      "WriteFile(file3, 0x00)",
      "SetFilePointer(file3, 13)",
      "WriteFile(file3, 0x00)",
      "CloseHandle(file3)",
      "EnumDisplaySettings",
      "ChangeDisplaySettings(800x600",
      "CreateProcess(\"\"C:\\Tools\\mount.exe\" -noicon -mount",
      "WaitWithAutoPlaySuppressed(1000)",
      "CreateProcess(\"Tolvimer_alpha_25.exe\")",
  };
  const Lines lines = os.Lines();
  std::size_t at = 0;
  for (const char* step : steps) {
    at = IndexOf(lines, step, at);
    ASSERT_LT(at, lines.size()) << "no \"" << step << "\" after the steps before it";
  }
  EXPECT_EQ(IndexOf(lines, "ChangeDisplaySettings", 0),
            IndexOf(lines, "ChangeDisplaySettings(800x600", 0))
      << "no mode change before the reset";
}

TEST_F(LaunchTest, EmulatorThatCannotStartLeavesTheModeSwitchedAndTheImageMounted) {
  os.settingsText =
      "[General]\nForceFull=true\nScreen=640x480\nMountTool=daemontools\nUnmount=true\n"
      "TolvimerExe=missing.exe\n[DaemonTools]\nExe=C:\\Tools\\mount.exe\nDevice=0\n";
  os.unstartable = {"missing.exe"};
  EXPECT_EQ(Run(), 0);
  const Lines lines = os.Lines();
  EXPECT_LT(IndexOf(lines, "ChangeDisplaySettings(640x480", 0), lines.size());
  EXPECT_EQ(os.Lines({"CreateProcess"}),
            (Lines{"CreateProcess(\"\"C:\\Tools\\mount.exe\" -noicon -mount 0,"
                   "\"D:\\Images\\Some Game.cdi\"\") = proc1",
                   "CreateProcess(\"missing.exe\") = FALSE"}));
  // Nothing is undone: no restore of the desktop mode, no unmount, no
  // message; the failed start is the run's last call.
  EXPECT_EQ(IndexOf(lines, "ChangeDisplaySettings(NULL", 0), lines.size());
  EXPECT_EQ(lines.back(), "CreateProcess(\"missing.exe\") = FALSE");
}

TEST(WindowNotFoundTest, ShowsBoxClosesBothHandlesAndReturnsZero) {
  // A search earlier in this process found a window; this run must not.
  windowSearch = WindowSearch{1001, 0x10000};
  FakePlatform other;  // the only top-level window belongs to another program
  other.NameProcess("Tolvimer", "emu");
  other.AddWindow("notepad", "notepad");
  EXPECT_EQ(RunLaunchSequence(other, 0x400000, "D:\\game.cdi"), 0);
  EXPECT_EQ(other.Lines(kEmulatorCalls), (Lines{
                                             "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu",
                                             "WaitForInputIdle(emu.process, 5000)",
                                             "EnumWindows",
                                             "GetWindowThreadProcessId(notepad) = 4",
                                             "MessageBox(NULL, \"Window not found\", \"Error\", 0x30)",
                                             "CloseHandle(emu.process)",
                                             "CloseHandle(emu.thread)",
                                         }));
  // Nothing after the box: no key taps, no posts, no watch.
  const Lines all = other.Lines();
  EXPECT_EQ(all.back(), "CloseHandle(emu.thread)");
}

TEST(WindowDiscoveryTest, TakesFirstWindowOfTheEmulatorInZOrder) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> windows;  // name, owner; top first
    std::string expectedPost;
  } cases[] = {
      {{{"emu", "emu"}}, "emu"},
      {{{"explorer", "explorer"}, {"emu", "emu"}}, "emu"},
      {{{"splash", "emu"}, {"main", "emu"}}, "splash"},  // even a hidden one: no test of it
  };
  for (const Case& c : cases) {
    FakePlatform os;
    os.NameProcess("Tolvimer", "emu");
    for (const auto& [name, owner] : c.windows) os.AddWindow(name, owner);
    EXPECT_EQ(RunLaunchSequence(os, 1, "D:\\game.cdi"), 1);
    EXPECT_EQ(os.Lines({"SendMessage"}), Lines{"SendMessage(" + c.expectedPost + ", WM_CLOSE, 0, 0)"});
    // The enumeration stops at the window found.
    const Lines asked = os.Lines({"GetWindowThreadProcessId"});
    EXPECT_TRUE(asked.back().rfind("GetWindowThreadProcessId(" + c.expectedPost + ")", 0) == 0);
  }
}

TEST(WindowDiscoveryTest, EverySearchStartsFromAClearedRecord) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> windows;  // name, owner
    bool enumerationFails;
  } cases[] = {
      {"no window at all", {}, false},
      {"only another program's window", {{"notepad", "notepad"}}, false},
      {"the enumeration fails", {{"emu", "emu"}}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform os;
    os.NameProcess("Tolvimer", "emu");
    for (const auto& [name, owner] : c.windows) os.AddWindow(name, owner);
    if (c.enumerationFails) os.Fail("EnumWindows");
    char commandLine[] = "Tolvimer.exe";
    ProcessRecord process;
    ASSERT_TRUE(StartEmulator(os, commandLine, process));
    // Left by an earlier search: a window, and the id of the process that
    // owns the foreign window (4).
    windowSearch = WindowSearch{4, 0x10000};
    EXPECT_EQ(FindEmulatorWindow(os, process.processId), 0u);
    EXPECT_EQ(windowSearch.window, 0u);
    EXPECT_EQ(windowSearch.processId, process.processId);
  }
}

TEST_F(LaunchTest, EmulatorCommandLineComesWholeFromTolvimerExe) {
  struct Case {
    std::string value;
    std::string commandLine;
  } cases[] = {
      {"", "Tolvimer_alpha_25.exe"},
      {"Tolvimer.exe -fast \"a b\"", "Tolvimer.exe -fast \"a b\""},
      {"\"C:\\Program Files\\Tolvimer\\Tolvimer.exe\"", "C:\\Program Files\\Tolvimer\\Tolvimer.exe"},
      {std::string(300, 'T'), std::string(254, 'T')},
  };
  for (const Case& c : cases) {
    FakePlatform fake;
    fake.NameProcess("Tolvimer", "emu");
    fake.NameProcess("TTTT", "emu");
    fake.AddWindow("emu", "emu");
    fake.settingsText = "[General]\nTolvimerExe=" + c.value + "\n";
    EXPECT_EQ(RunLaunchSequence(fake, 1, "D:\\game.cdi"), 1);
    EXPECT_EQ(fake.Lines({"CreateProcess"}),
              Lines{"CreateProcess(\"" + c.commandLine + "\") = emu"});
  }
}

TEST_F(LaunchTest, LauncherDirectoryTooLongReadsNoSettingsAndPatchesNothing) {
  os.modulePath = "C:\\" + std::string(250, 'd') + "\\tolvimer_launch.exe";
  os.settingsPath = "C:\\" + std::string(250, 'd') + "\\tolvimer_launch.ini";
  os.settingsText = "[General]\nTolvimerExe=Other.exe\n";
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(os.Lines({"GetPrivateProfileString", "CreateFile"}).empty());
  EXPECT_EQ(os.Lines({"CreateProcess"}), Lines{"CreateProcess(\"Tolvimer_alpha_25.exe\") = emu"});
}

TEST_F(LaunchTest, SettingsAreReadFromTheLauncherDirectoryOnly) {
  os.modulePath = "E:\\Games\\Emu\\tolvimer_launch.exe";
  os.settingsPath = "E:\\Games\\Emu\\tolvimer_launch.ini";
  os.settingsText = "[General]\nTolvimerExe=Tolvimer_beta.exe\n";
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(os.Lines({"CreateProcess"}), Lines{"CreateProcess(\"Tolvimer_beta.exe\") = emu"});
}

TEST_F(LaunchTest, FullRunAllocatesNothingOnTheHeap) {
  os.settingsText =
      "[General]\nRegion=usa\nDrive=E\nForceFull=true\nScreen=800x600\nMountTool=daemontools\n"
      "Delay=5\nFullScreen=true\nPriority=normal\nShowStats=false\nExit=65\nUnmount=true\n"
      "[DaemonTools]\nExe=C:\\Tools\\mount.exe\nDevice=0\n"
      "[GamePadExit]\nMapGamePadExit=true\nButton1=true\nButton2=true\n"
      "[Some Game]\nZWrite=true\nCableType=ntsc\nLimitFPS=60\nCPU=120\n";
  os.files["C:\\Emu\\dc_flash.bin"] = std::vector<std::uint8_t>(131072, 0xFF);
  os.files["C:\\Emu\\tolvimer.cfg"] = std::vector<std::uint8_t>(64, 0xFF);
  os.exitCodes = {259, 259, 0};
  int result = 0;
  std::size_t allocations = 0;
  {
    AllocationCounter counter;
    result = Run();
    allocations = counter.count();
  }
  EXPECT_EQ(result, 1);
  EXPECT_EQ(allocations, 0u);
  EXPECT_GT(os.Lines().size(), 10u);  // the run did go through the platform
}

}  // namespace
}  // namespace tolvimer::testing
