#include "emulator/menu_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "emulator/emulator_start.h"
#include "settings/settings.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;

std::string Post(unsigned id) {
  return "PostMessage(emu, WM_COMMAND, " + std::to_string(id) + ", 0)";
}

std::string Read(const std::string& section, const std::string& key, const std::string& value) {
  return "GetPrivateProfileString(" + section + ", " + key + ") = \"" + value + "\"";
}

// Starts the fake emulator and finds its window, as the launch sequence does
// before it posts any command.
void FindEmulator(FakePlatform& os) {
  os.NameProcess("Tolvimer", "emu");
  os.AddWindow("emu", "emu");
  os.keyMap[{win::kVkReturn, win::kMapVkToVsc}] = 0x11C;  // low byte 0x1C: the scan code
  char commandLine[] = "Tolvimer.exe";
  ProcessRecord process;
  ASSERT_TRUE(StartEmulator(os, commandLine, process));
  ASSERT_NE(FindEmulatorWindow(os, process.processId), 0u);
}

void WalkRows(FakePlatform& os, const std::string& settingsText, int firstRow, int lastRow) {
  os.settingsText = settingsText;
  Settings settings(os);
  ASSERT_TRUE(settings.Locate());
  PostCommandRows(settings, "Some Game", firstRow, lastRow);
}

const Lines kEnterTap = {"MapVirtualKey(13, 0) = 0x11C", "keybd_event(0x0D, 0x1C, 0, 0)",
                         "keybd_event(0x0D, 0x1C, KEYEVENTF_KEYUP, 0)"};
const Lines kCursorParking = {"GetSystemMetrics(SM_CXSCREEN) = 1024",
                              "GetSystemMetrics(SM_CYSCREEN) = 768", "SetCursorPos(1024, 768)"};

Lines Then(Lines first, const Lines& more) {
  first.insert(first.end(), more.begin(), more.end());
  return first;
}

// Everything the walk does to the emulator: posts, key taps, cursor moves.
const Lines kEffectCalls = {"PostMessage", "MapVirtualKey", "keybd_event", "GetSystemMetrics",
                            "SetCursorPos"};

TEST(CommandTableTest, EachRowReadsItsKeyAndPostsItsIds) {
  struct Case {
    int row;
    std::string settings;
    Lines reads;    // the row's reads of the settings file, in order
    Lines effects;  // what reaches the emulator, in order
  } cases[] = {
      // Row 1 reads nothing and always posts.
      {1, "", {}, {Post(32785)}},
      {1, "[General]\nScreen=640x480\n", {}, {Post(32785)}},

      // Row 2: the game section's Screen, else [General]'s.
      {2, "[Some Game]\nScreen=640x480\n", {Read("Some Game", "Screen", "640x480")}, {Post(32803)}},
      {2, "[Some Game]\nScreen=800x600\n", {Read("Some Game", "Screen", "800x600")}, {Post(32799)}},
      {2,
       "[Some Game]\nScreen=1024X768\n",
       {Read("Some Game", "Screen", "1024X768")},
       {Post(32807)}},
      {2,
       "[Some Game]\nScreen=1280x1024\n",
       {Read("Some Game", "Screen", "1280x1024")},
       {Post(32808)}},
      {2,
       "[Some Game]\nScreen=1600x1200\n",
       {Read("Some Game", "Screen", "1600x1200")},
       {Post(32902)}},
      {2,
       "[Some Game]\nScreen=720x480\n[General]\nScreen=800x600\n",
       {Read("Some Game", "Screen", "720x480")},
       {}},
      {2, "[Some Game]\nScreen=640 x 480\n", {Read("Some Game", "Screen", "640 x 480")}, {}},
      {2,
       "[Some Game]\nScreen=\n[General]\nScreen=800x600\n",
       {Read("Some Game", "Screen", ""), Read("General", "Screen", "800x600")},
       {Post(32799)}},
      {2,
       "[General]\nScreen=1600x1200\n",
       {Read("Some Game", "Screen", ""), Read("General", "Screen", "1600x1200")},
       {Post(32902)}},
      {2,
       "[General]\nScreen=720x480\n",
       {Read("Some Game", "Screen", ""), Read("General", "Screen", "720x480")},
       {}},
      {2, "", {Read("Some Game", "Screen", ""), Read("General", "Screen", "")}, {}},

      // Row 3: [General] Priority only.
      {3, "[General]\nPriority=normal\n", {Read("General", "Priority", "normal")}, {Post(32782)}},
      {3,
       "[General]\nPriority=AboveNormal\n",
       {Read("General", "Priority", "AboveNormal")},
       {Post(32783)}},
      {3, "[General]\nPriority=high\n", {Read("General", "Priority", "high")}, {}},
      {3, "[Some Game]\nPriority=normal\n", {Read("General", "Priority", "")}, {}},

      // Rows 4 to 6: game-section switches, "true" in any case of letters.
      {4, "[Some Game]\nZWrite=true\n", {Read("Some Game", "ZWrite", "true")}, {Post(32792)}},
      {4, "[Some Game]\nZWrite=TRUE\n", {Read("Some Game", "ZWrite", "TRUE")}, {Post(32792)}},
      {4, "[Some Game]\nZWrite=yes\n", {Read("Some Game", "ZWrite", "yes")}, {}},
      {4, "[General]\nZWrite=true\n", {Read("Some Game", "ZWrite", "")}, {}},
      {5,
       "[Some Game]\nZWriteAlpha=True\n",
       {Read("Some Game", "ZWriteAlpha", "True")},
       {Post(32793)}},
      {5, "[Some Game]\nZWriteAlpha=1\n", {Read("Some Game", "ZWriteAlpha", "1")}, {}},
      {6,
       "[Some Game]\nCapcomHack=true\n",
       {Read("Some Game", "CapcomHack", "true")},
       {Post(32780)}},
      {6, "[Some Game]\nCapcomHack=true1\n", {Read("Some Game", "CapcomHack", "true1")}, {}},

      // Row 7: "ntsc" picks one cable, every other present value the other.
      {7, "[Some Game]\nCableType=ntsc\n", {Read("Some Game", "CableType", "ntsc")}, {Post(32778)}},
      {7, "[Some Game]\nCableType=NTSC\n", {Read("Some Game", "CableType", "NTSC")}, {Post(32778)}},
      {7, "[Some Game]\nCableType=PAL\n", {Read("Some Game", "CableType", "PAL")}, {Post(32777)}},
      {7,
       "[Some Game]\nCableType=ntsc2\n",
       {Read("Some Game", "CableType", "ntsc2")},
       {Post(32777)}},
      {7, "[Some Game]\nCableType=\n", {Read("Some Game", "CableType", "")}, {}},
      {7, "", {Read("Some Game", "CableType", "")}, {}},

      // Row 8: any present ShowStats except "true".
      {8, "[General]\nShowStats=false\n", {Read("General", "ShowStats", "false")}, {Post(32796)}},
      {8, "[General]\nShowStats=no\n", {Read("General", "ShowStats", "no")}, {Post(32796)}},
      {8, "[General]\nShowStats=0\n", {Read("General", "ShowStats", "0")}, {Post(32796)}},
      {8, "[General]\nShowStats=TRUE\n", {Read("General", "ShowStats", "TRUE")}, {}},
      {8, "[General]\nShowStats=\n", {Read("General", "ShowStats", "")}, {}},
      {8, "[Some Game]\nShowStats=false\n", {Read("General", "ShowStats", "")}, {}},

      // Row 9: the game section's LimitFPS, else [TolviEx]'s; never [General]'s.
      {9, "[Some Game]\nLimitFPS=30\n", {Read("Some Game", "LimitFPS", "30")}, {Post(32981)}},
      {9, "[Some Game]\nLimitFPS=60\n", {Read("Some Game", "LimitFPS", "60")}, {Post(32982)}},
      {9,
       "[Some Game]\nLimitFPS=060\n[TolviEx]\nLimitFPS=60\n",
       {Read("Some Game", "LimitFPS", "060")},
       {}},
      {9,
       "[Some Game]\nLimitFPS=45\n[TolviEx]\nLimitFPS=30\n",
       {Read("Some Game", "LimitFPS", "45")},
       {}},
      {9, "[Some Game]\nLimitFPS=30fps\n", {Read("Some Game", "LimitFPS", "30fps")}, {}},
      {9,
       "[TolviEx]\nLimitFPS=60\n[General]\nLimitFPS=30\n",
       {Read("Some Game", "LimitFPS", ""), Read("TolviEx", "LimitFPS", "60")},
       {Post(32982)}},
      {9,
       "[Some Game]\nLimitFPS=\n[TolviEx]\nLimitFPS=30\n",
       {Read("Some Game", "LimitFPS", ""), Read("TolviEx", "LimitFPS", "30")},
       {Post(32981)}},
      {9,
       "[General]\nLimitFPS=60\n",
       {Read("Some Game", "LimitFPS", ""), Read("TolviEx", "LimitFPS", "")},
       {}},

      // Rows 10 to 13; row 11 is followed by one Enter tap.
      {10,
       "[Some Game]\nIkarugaLevel2Fix=true\n",
       {Read("Some Game", "IkarugaLevel2Fix", "true")},
       {Post(32570)}},
      {10,
       "[Some Game]\nIkarugaLevel2Fix=false\n",
       {Read("Some Game", "IkarugaLevel2Fix", "false")},
       {}},
      {11,
       "[Some Game]\nSCalbrPlyrSelectHack=TRUE\n",
       {Read("Some Game", "SCalbrPlyrSelectHack", "TRUE")},
       Then({Post(32555)}, kEnterTap)},
      {11,
       "[Some Game]\nSCalbrPlyrSelectHack=no\n",
       {Read("Some Game", "SCalbrPlyrSelectHack", "no")},
       {}},
      {12,
       "[Some Game]\nSCalbr2DFix=true\n",
       {Read("Some Game", "SCalbr2DFix", "true")},
       {Post(32556)}},
      {12, "[General]\nSCalbr2DFix=true\n", {Read("Some Game", "SCalbr2DFix", "")}, {}},
      {13,
       "[Some Game]\nSegaGTLoading=True\n",
       {Read("Some Game", "SegaGTLoading", "True")},
       {Post(32557)}},
      {13, "[Some Game]\nSegaGTLoading=tru\n", {Read("Some Game", "SegaGTLoading", "tru")}, {}},

      // Row 14: [General] FullScreen, followed by the cursor parking.
      {14,
       "[General]\nFullScreen=true\n",
       {Read("General", "FullScreen", "true")},
       Then({Post(32801)}, kCursorParking)},
      {14, "[General]\nFullScreen=false\n", {Read("General", "FullScreen", "false")}, {}},
      {14, "[Some Game]\nFullScreen=true\n", {Read("General", "FullScreen", "")}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("row " + std::to_string(c.row) + " with settings:\n" + c.settings);
    FakePlatform os;
    FindEmulator(os);
    WalkRows(os, c.settings, c.row, c.row);
    EXPECT_EQ(os.Lines({"GetPrivateProfileString"}), c.reads);
    EXPECT_EQ(os.Lines(kEffectCalls), c.effects);
  }
}

const char kEveryRowMatching[] =
    "[General]\nPriority=normal\nShowStats=false\nFullScreen=true\n"
    "[Some Game]\nScreen=800x600\nZWrite=true\nZWriteAlpha=true\nCapcomHack=true\n"
    "CableType=pal\nLimitFPS=60\nIkarugaLevel2Fix=true\nSCalbrPlyrSelectHack=true\n"
    "SCalbr2DFix=true\nSegaGTLoading=true\n";

TEST(CommandTableTest, WholeTablePostsInTableOrder) {
  FakePlatform os;
  FindEmulator(os);
  WalkRows(os, kEveryRowMatching, kFirstCommandRow, kLastCommandRow);
  const Lines expected =
      Then(Then(Then({Post(32785), Post(32799), Post(32782), Post(32792), Post(32793), Post(32780),
                      Post(32777), Post(32796), Post(32982), Post(32570), Post(32555)},
                     kEnterTap),
                {Post(32556), Post(32557), Post(32801)}),
           kCursorParking);
  EXPECT_EQ(os.Lines(kEffectCalls), expected);
}

TEST(CommandTableTest, RowsOutsideTheTableAreSkipped) {
  FakePlatform os;
  FindEmulator(os);
  WalkRows(os, "[General]\nPriority=normal\n[Some Game]\nSegaGTLoading=true\n", -5, 99);
  EXPECT_EQ(os.Lines({"PostMessage"}), (Lines{Post(32785), Post(32782), Post(32557)}));
}

TEST(CommandTableTest, FailedPostsDoNotStopThePass) {
  FakePlatform os;
  FindEmulator(os);
  os.Fail("PostMessage");  // e.g. the window is already gone
  WalkRows(os, kEveryRowMatching, kFirstCommandRow, kLastCommandRow);
  EXPECT_EQ(os.Lines({"PostMessage"}).size(), 14u);
  EXPECT_EQ(os.Lines({"keybd_event"}).size(), 2u);
  EXPECT_EQ(os.Lines({"SetCursorPos"}), Lines{"SetCursorPos(1024, 768)"});
}

TEST(SendMenuCommandTest, PostsTheIdAloneInTheWordParameter) {
  FakePlatform os;
  FindEmulator(os);
  SendMenuCommand(os, 0x8011);
  SendMenuCommand(os, 0x7F2B);
  SendMenuCommandIf(os, "TRUE", "true", 32792);
  SendMenuCommandIf(os, "true ", "true", 32793);
  SendMenuCommandIf(os, "", "true", 32780);
  SendMenuCommandIf(os, "060", "60", 32982);
  EXPECT_EQ(os.Lines({"PostMessage"}), (Lines{Post(32785), Post(32555), Post(32792)}));
}

}  // namespace
}  // namespace tolvimer::testing
