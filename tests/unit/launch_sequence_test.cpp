#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(WindowNotFoundTest, ShowsBoxClosesBothHandlesAndReturnsZero) {
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
