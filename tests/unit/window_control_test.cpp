#include "emulator/window_control.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "emulator/emulator_start.h"
#include "settings/settings.h"
#include "tests/fake/fake_platform.h"
#include "tests/unit/launch_fixture.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;

std::string Post(unsigned id) {
  return "PostMessage(emu, WM_COMMAND, " + std::to_string(id) + ", 0)";
}

// Scan codes with bits above the low byte, which the taps must drop.
void MapScanCodes(FakePlatform& os) {
  os.keyMap[{win::kVkReturn, win::kMapVkToVsc}] = 0x11C;
  os.keyMap[{win::kVkAdd, win::kMapVkToVsc}] = 0x14E;
  os.keyMap[{win::kVkSubtract, win::kMapVkToVsc}] = 0x14A;
}

Lines Taps(std::uint8_t virtualKey, std::uint32_t count) {
  const bool add = virtualKey == win::kVkAdd;
  const std::string map = add ? "MapVirtualKey(107, 0) = 0x14E" : "MapVirtualKey(109, 0) = 0x14A";
  const std::string key = add ? "0x6B, 0x4E" : "0x6D, 0x4A";
  Lines lines;
  for (std::uint32_t i = 0; i < count; ++i) {
    lines.push_back(map);
    lines.push_back("keybd_event(" + key + ", 0, 0)");
    lines.push_back("keybd_event(" + key + ", KEYEVENTF_KEYUP, 0)");
  }
  return lines;
}

// Starts the fake emulator and finds its window, as the launch sequence does
// before it drives it.
void FindEmulator(FakePlatform& os) {
  os.NameProcess("Tolvimer", "emu");
  os.AddWindow("emu", "emu");
  char commandLine[] = "Tolvimer.exe";
  ProcessRecord process;
  ASSERT_TRUE(StartEmulator(os, commandLine, process));
  ASSERT_NE(FindEmulatorWindow(os, process.processId), 0u);
}

TEST(KeyTapTest, KeyDownThenUpWithTheLowByteOfTheScanCode) {
  FakePlatform os;
  MapScanCodes(os);
  TapVirtualKey(os, win::kVkReturn);
  TapKey(os, 0x41, 0x1E);
  EXPECT_EQ(os.Lines(), (Lines{
                            "MapVirtualKey(13, 0) = 0x11C",
                            "keybd_event(0x0D, 0x1C, 0, 0)",
                            "keybd_event(0x0D, 0x1C, KEYEVENTF_KEYUP, 0)",
                            "keybd_event(0x41, 0x1E, 0, 0)",
                            "keybd_event(0x41, 0x1E, KEYEVENTF_KEYUP, 0)",
                        }));
}

TEST(TakeOverTest, StripsTheWindowAndStretchesItOverTheScreen) {
  const Lines takeover = {
      "SetMenu(emu, NULL)",
      "GetSystemMetrics(SM_CXSCREEN) = 1280",
      "GetSystemMetrics(SM_CYSCREEN) = 1024",
      "SetWindowLong(emu, GWL_STYLE, 8)",
      "SetWindowPos(emu, HWND_TOPMOST, 0, 0, 1280, 1024, 0x44)",
      "SetCursorPos(1280, 1024)",
      "UpdateWindow(emu)",
  };
  struct Case {
    std::string forceFull;
    Lines expected;
  } cases[] = {
      {"true", takeover}, {"TRUE", takeover}, {"yes", {}}, {"", {}}, {"1", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("ForceFull=" + c.forceFull);
    FakePlatform os;
    FindEmulator(os);
    os.screenWidth = 1280;
    os.screenHeight = 1024;
    os.settingsText = "[General]\nForceFull=" + c.forceFull + "\n";
    Settings settings(os);
    settings.Locate();
    TakeOverWindow(settings);
    EXPECT_EQ(os.Lines({"SetMenu", "GetSystemMetrics", "SetWindowLong", "SetWindowPos",
                        "SetCursorPos", "UpdateWindow", "ShowWindow"}),
              c.expected);
  }
}

TEST(CpuSpeedTest, StepsFromOneHundredTowardTheGameValue) {
  struct Case {
    std::string settings;
    std::uint8_t key;
    std::uint32_t taps;
  } cases[] = {
      {"[Some Game]\nCPU=100\n", win::kVkAdd, 0},
      {"[Some Game]\nCPU=150\n", win::kVkAdd, 50},
      {"[Some Game]\nCPU=80\n", win::kVkSubtract, 20},
      {"[Some Game]\nCPU=-10\n", win::kVkSubtract, 110},
      {"[Some Game]\nCPU=120%\n", win::kVkAdd, 20},
      {"[Some Game]\nCPU=+101\n", win::kVkAdd, 1},
      {"[Some Game]\nCPU=99\n", win::kVkSubtract, 1},
      {"[Some Game]\nCPU=0\n", win::kVkSubtract, 100},
      {"[Some Game]\nCPU=abc\n", win::kVkSubtract, 100},
      // No CPU value in the game section: no taps, like 100.
      {"[Some Game]\nCPU=\n", win::kVkAdd, 0},
      {"[Some Game]\nZWrite=true\n", win::kVkAdd, 0},
      {"[General]\nCPU=150\n", win::kVkAdd, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    FakePlatform os;
    MapScanCodes(os);
    os.settingsText = c.settings;
    Settings settings(os);
    settings.Locate();
    StepCpuSpeed(settings, "Some Game");
    // One read, of the game section's CPU only.
    const Lines reads = os.Lines({"GetPrivateProfileString"});
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].rfind("GetPrivateProfileString(Some Game, CPU) = ", 0), 0u);
    EXPECT_EQ(os.Lines({"MapVirtualKey", "keybd_event"}), Taps(c.key, c.taps));
  }
}

TEST(CpuStepsTest, CountsTheWholeThirtyTwoBitRangeWithoutOverflow) {
  struct Case {
    std::int32_t cpu;
    std::uint8_t key;
    std::uint32_t count;
  } cases[] = {
      {100, win::kVkAdd, 0},
      {101, win::kVkAdd, 1},
      {99, win::kVkSubtract, 1},
      {INT32_MAX, win::kVkAdd, 2147483547u},
      {INT32_MIN, win::kVkSubtract, 2147483748u},
      {INT32_MIN + 1, win::kVkSubtract, 2147483747u},
      {LeadingInteger("99999999999"), win::kVkAdd, 2147483547u},
      {LeadingInteger("-2147483648"), win::kVkSubtract, 2147483748u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.cpu);
    const CpuSteps steps = CpuStepsFor(c.cpu);
    EXPECT_EQ(steps.count, c.count);
    if (c.count != 0) {
      EXPECT_EQ(steps.virtualKey, c.key);
    }
  }
}

// The calls by which the launch sequence drives the emulator, from the first
// idle wait to the second.
Lines DrivingCalls(const FakePlatform& os) {
  const Lines lines = os.Lines({"WaitForInputIdle", "ShowWindow", "BringWindowToTop", "PostMessage",
                                "MapVirtualKey", "keybd_event", "GetSystemMetrics", "SetCursorPos",
                                "SetMenu", "SetWindowLong", "SetWindowPos", "UpdateWindow"});
  const auto first = std::find(lines.begin(), lines.end(), "WaitForInputIdle(emu.process, 5000)");
  if (first == lines.end()) return {};
  auto second = std::find(first + 1, lines.end(), "WaitForInputIdle(emu.process, 5000)");
  if (second != lines.end()) ++second;
  return Lines(first + 1, second);
}

// The n lines of the whole trace that follow `line`.
Lines LinesAfter(const FakePlatform& os, const std::string& line, std::size_t n) {
  const Lines lines = os.Lines();
  auto at = std::find(lines.begin(), lines.end(), line);
  if (at == lines.end()) return {};
  ++at;
  return Lines(at, at + static_cast<std::ptrdiff_t>(std::min<std::size_t>(n, lines.end() - at)));
}

class DrivingTest : public LaunchTest {
 protected:
  DrivingTest() { MapScanCodes(os); }
};

TEST_F(DrivingTest, EveryRowMatchingDrivesTheEmulatorInOrder) {
  os.settingsText =
      "[General]\nFullScreen=true\nForceFull=true\nPriority=abovenormal\nShowStats=0\n"
      "[TolviEx]\nLimitFPS=30\n"
      "[Some Game]\nScreen=1280x1024\nZWrite=true\nZWriteAlpha=true\nCapcomHack=true\n"
      "CableType=ntsc\nIkarugaLevel2Fix=true\nSCalbrPlyrSelectHack=true\nSCalbr2DFix=true\n"
      "SegaGTLoading=true\nCPU=98\n";
  EXPECT_EQ(Run(), 1);
  Lines expected = {
      "ShowWindow(emu, SW_HIDE)",
      "BringWindowToTop(emu)",
      Post(32785),
      Post(32808),
      Post(32783),
      Post(32792),
      Post(32793),
      Post(32780),
      Post(32778),
      Post(32796),
      Post(32981),
      Post(32570),
      Post(32555),
      "MapVirtualKey(13, 0) = 0x11C",
      "keybd_event(0x0D, 0x1C, 0, 0)",
      "keybd_event(0x0D, 0x1C, KEYEVENTF_KEYUP, 0)",
      Post(32556),
      Post(32557),
      Post(32801),
      "GetSystemMetrics(SM_CXSCREEN) = 1024",
      "GetSystemMetrics(SM_CYSCREEN) = 768",
      "SetCursorPos(1024, 768)",
      "SetMenu(emu, NULL)",
      "GetSystemMetrics(SM_CXSCREEN) = 1024",
      "GetSystemMetrics(SM_CYSCREEN) = 768",
      "SetWindowLong(emu, GWL_STYLE, 8)",
      "SetWindowPos(emu, HWND_TOPMOST, 0, 0, 1024, 768, 0x44)",
      "SetCursorPos(1024, 768)",
      "UpdateWindow(emu)",
      "BringWindowToTop(emu)",
  };
  const Lines cpuTaps = Taps(win::kVkSubtract, 2);
  expected.insert(expected.end(), cpuTaps.begin(), cpuTaps.end());
  expected.push_back("WaitForInputIdle(emu.process, 5000)");
  EXPECT_EQ(DrivingCalls(os), expected);

  // The Enter tap comes before row 12 is even read, the cursor parking before
  // the takeover reads ForceFull.
  EXPECT_EQ(LinesAfter(os, Post(32555), 4),
            (Lines{"MapVirtualKey(13, 0) = 0x11C", "keybd_event(0x0D, 0x1C, 0, 0)",
                   "keybd_event(0x0D, 0x1C, KEYEVENTF_KEYUP, 0)",
                   "GetPrivateProfileString(Some Game, SCalbr2DFix) = \"true\""}));
  EXPECT_EQ(
      LinesAfter(os, Post(32801), 4),
      (Lines{"GetSystemMetrics(SM_CXSCREEN) = 1024", "GetSystemMetrics(SM_CYSCREEN) = 768",
             "SetCursorPos(1024, 768)", "GetPrivateProfileString(General, ForceFull) = \"true\""}));
}

TEST_F(DrivingTest, NoSettingsPostOnlyTheFirstCommand) {
  os.settingsExist = false;
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(DrivingCalls(os), (Lines{"BringWindowToTop(emu)", Post(32785), "BringWindowToTop(emu)",
                                     "WaitForInputIdle(emu.process, 5000)"}));
}

TEST(FullScreenTest, HidesEarlyAndParksTheCursorOnceOrTwice) {
  struct Case {
    std::string general;
    Lines expected;
  } cases[] = {
      {"FullScreen=true\n",
       {"ShowWindow(emu, SW_HIDE)", Post(32785), Post(32801), "SetCursorPos(1024, 768)"}},
      // Hidden first, shown again by the takeover's SetWindowPos.
      {"FullScreen=TRUE\nForceFull=True\n",
       {"ShowWindow(emu, SW_HIDE)", Post(32785), Post(32801), "SetCursorPos(1024, 768)",
        "SetMenu(emu, NULL)", "SetWindowPos(emu, HWND_TOPMOST, 0, 0, 1024, 768, 0x44)",
        "SetCursorPos(1024, 768)"}},
      {"ForceFull=true\n",
       {Post(32785), "SetMenu(emu, NULL)", "SetWindowPos(emu, HWND_TOPMOST, 0, 0, 1024, 768, 0x44)",
        "SetCursorPos(1024, 768)"}},
      {"FullScreen=yes\nForceFull=false\n", {Post(32785)}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.general);
    FakePlatform os;
    os.NameProcess("Tolvimer", "emu");
    os.AddWindow("emu", "emu");
    os.settingsText = "[General]\n" + c.general;
    EXPECT_EQ(RunLaunchSequence(os, 0x400000, "D:\\Images\\Some Game.cdi"), 1);
    EXPECT_EQ(os.Lines({"ShowWindow", "PostMessage", "SetCursorPos", "SetMenu", "SetWindowPos"}),
              c.expected);
  }
}

}  // namespace
}  // namespace tolvimer::testing
