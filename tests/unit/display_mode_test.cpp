#include "prepare/display_mode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "launch/launch_sequence.h"
#include "settings/settings.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;

const Lines kModeCalls = {"EnumDisplaySettings", "ChangeDisplaySettings"};
const char kCurrent[] = "EnumDisplaySettings(ENUM_CURRENT_SETTINGS) = 1920x1080 16bpp 75Hz";
const char kRestore[] = "ChangeDisplaySettings(NULL, 0)";

// The launcher at C:\Emu with an emulator that shows its window, on a desktop
// that is at none of the five sizes, so that a switch shows.
void SetUpMachine(FakePlatform& os, const std::string& settings) {
  os.NameProcess("Tolvimer", "emu");
  os.AddWindow("emu", "emu");
  os.currentMode.width = 1920;
  os.currentMode.height = 1080;
  os.currentMode.bitsPerPixel = 16;
  os.currentMode.frequency = 75;
  os.settingsText = settings;
}

int RunGame(FakePlatform& os) { return RunLaunchSequence(os, 1, "D:\\Images\\Some Game.cdi"); }

TEST(DisplayModeTest, ForceFullAndGeneralScreenPickTheDesktopMode) {
  struct Case {
    std::string settings;
    Lines calls;
  } cases[] = {
      {"[General]\nForceFull=TRUE\nScreen=1024X768\n",
       {kCurrent, "ChangeDisplaySettings(1024x768 16bpp 75Hz, 0)", kRestore}},
      {"[General]\nForceFull=true\nScreen=640x480\n",
       {kCurrent, "ChangeDisplaySettings(640x480 16bpp 75Hz, 0)", kRestore}},
      {"[General]\nForceFull=True\nScreen=800x600\n",
       {kCurrent, "ChangeDisplaySettings(800x600 16bpp 75Hz, 0)", kRestore}},
      {"[General]\nForceFull=true\nScreen=1280x1024\n",
       {kCurrent, "ChangeDisplaySettings(1280x1024 16bpp 75Hz, 0)", kRestore}},
      {"[General]\nForceFull=true\nScreen=1600x1200\n",
       {kCurrent, "ChangeDisplaySettings(1600x1200 16bpp 75Hz, 0)", kRestore}},
      // No listed size: no switch, yet the restore is still made.
      {"[General]\nForceFull=true\nScreen=1152x864\n", {kRestore}},
      {"[General]\nForceFull=true\nScreen=640 x 480\n", {kRestore}},
      {"[General]\nForceFull=true\nScreen=\n", {kRestore}},
      {"[General]\nForceFull=true\n", {kRestore}},
      // ForceFull not "true": neither switch nor restore.
      {"[General]\nForceFull=yes\nScreen=800x600\n", {}},
      {"[General]\nForceFull=\nScreen=800x600\n", {}},
      {"[General]\nScreen=800x600\n", {}},
      {"[Some Game]\nForceFull=true\n[General]\nScreen=800x600\n", {}},
      // The game section's Screen never picks the desktop mode.
      {"[General]\nForceFull=true\nScreen=800x600\n[Some Game]\nScreen=640x480\n",
       {kCurrent, "ChangeDisplaySettings(800x600 16bpp 75Hz, 0)", kRestore}},
      {"[General]\nForceFull=true\n[Some Game]\nScreen=640x480\n", {kRestore}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    FakePlatform fake;
    SetUpMachine(fake, c.settings);
    EXPECT_EQ(RunGame(fake), 1);
    EXPECT_EQ(fake.Lines(kModeCalls), c.calls);
  }
}

TEST(DisplayModeTest, SwitchComesBeforeTheMountAndRestoreIsTheLastStep) {
  FakePlatform os;
  SetUpMachine(os,
               "[General]\nForceFull=true\nScreen=800x600\nMountTool=daemontools\nUnmount=true\n"
               "[DaemonTools]\nExe=C:\\Tools\\mounter.exe\nDevice=0\n");
  os.NameProcess("mounter", "tool");
  EXPECT_EQ(RunGame(os), 1);
  const Lines lines = os.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), kRestore);
  EXPECT_EQ(os.Lines({"ChangeDisplaySettings", "CreateProcess"}),
            (Lines{"ChangeDisplaySettings(800x600 16bpp 75Hz, 0)",
                   "CreateProcess(\"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,"
                   "\"D:\\Images\\Some Game.cdi\"\") = tool",
                   "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu",
                   "CreateProcess(\"\"C:\\Tools\\mounter.exe\" -unmount 0\") = tool", kRestore}));
}

// ForceFull is read again at the end: the file then decides the restore,
// whatever it said at the start.
TEST(DisplayModeTest, RestoreFollowsForceFullAsTheFileSaysAtTheEnd) {
  struct Case {
    const char* atStart;
    const char* atEnd;
    Lines calls;
  } cases[] = {
      {"[General]\nForceFull=true\nScreen=800x600\n",
       "[General]\nForceFull=false\n",
       {kCurrent, "ChangeDisplaySettings(800x600 16bpp 75Hz, 0)"}},
      {"[General]\nScreen=800x600\n", "[General]\nForceFull=TRUE\n", {kRestore}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.atEnd);
    FakePlatform fake;
    SetUpMachine(fake, c.atStart);
    fake.afterCall = [&fake, &c](const char* line) {
      if (std::strcmp(line, "SendMessage(emu, WM_CLOSE, 0, 0)") == 0) fake.settingsText = c.atEnd;
    };
    EXPECT_EQ(RunGame(fake), 1);
    EXPECT_EQ(fake.Lines(kModeCalls), c.calls);
  }
}

TEST(DisplayModeTest, FailedModeCallsAreIgnoredAndTheRestoreIsStillMade) {
  for (const char* failing : {"EnumDisplaySettings", "ChangeDisplaySettings"}) {
    SCOPED_TRACE(failing);
    FakePlatform fake;
    SetUpMachine(fake, "[General]\nForceFull=true\nScreen=640x480\n");
    fake.Fail(failing, 1);
    EXPECT_EQ(RunGame(fake), 1);
    const Lines calls = fake.Lines(kModeCalls);
    ASSERT_FALSE(calls.empty());
    // No change without a mode read; the restore is the last mode call.
    EXPECT_EQ(calls.size(), std::string(failing) == "EnumDisplaySettings" ? 2u : 3u);
    EXPECT_EQ(calls.back(), kRestore);
    EXPECT_EQ(fake.Lines({"CreateProcess"}),
              Lines{"CreateProcess(\"Tolvimer_alpha_25.exe\") = emu"});
  }
}

// The mode asked for is the current one as read, whole, with only its
// resolution changed: depth, frequency and every other field go back as they
// came.
TEST(SetDisplayModeTest, ChangesOnlyTheResolutionOfTheModeRead) {
  FakePlatform os;
  os.currentMode.width = 1280;
  os.currentMode.height = 720;
  os.currentMode.bitsPerPixel = 24;
  os.currentMode.frequency = 85;
  for (std::size_t i = 0; i < sizeof os.currentMode.native; ++i) {
    os.currentMode.native[i] = static_cast<unsigned char>(i * 7 + 3);
  }
  SetDisplayMode(os, 1600, 1200);
  EXPECT_EQ(os.Lines(), (Lines{"EnumDisplaySettings(ENUM_CURRENT_SETTINGS) = 1280x720 24bpp 85Hz",
                               "ChangeDisplaySettings(1600x1200 24bpp 85Hz, 0)"}));
  EXPECT_EQ(
      std::memcmp(os.lastModeChanged.native, os.currentMode.native, sizeof os.currentMode.native),
      0);
}

TEST(SetDisplayModeTest, UnreadableCurrentModeChangesNothing) {
  FakePlatform os;
  os.Fail("EnumDisplaySettings");
  SetDisplayMode(os, 800, 600);
  EXPECT_EQ(os.Lines(), Lines{"EnumDisplaySettings(ENUM_CURRENT_SETTINGS) = FALSE"});
}

}  // namespace
}  // namespace tolvimer::testing
