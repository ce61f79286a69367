#include "mount/mount_commands.h"

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

const char kImage[] = "D:\\Images\\game.cdi";
const char kDaemon[] =
    "[General]\nMountTool=daemontools\nUnmount=true\n"
    "[DaemonTools]\nExe=C:\\Tools\\mounter.exe\nDevice=0\n";
const char kAlcohol[] =
    "[General]\nMountTool=alcohol120\nUnmount=true\n"
    "[Alcohol120]\nExe=C:\\Tools\\mounter.exe\nDrive=X:\n";

// The launcher at C:\Emu; the emulator shows its window, the mount tool is
// named "tool" in the trace.
void SetUpMachine(FakePlatform& os, const std::string& settings) {
  os.NameProcess("Tolvimer", "emu");
  os.NameProcess("mounter", "tool");
  os.AddWindow("emu", "emu");
  os.settingsText = settings;
}

// The command lines a whole run starts, emulator's included.
Lines StartedCommandLines(const std::string& settings, const std::string& imagePath) {
  FakePlatform os;
  SetUpMachine(os, settings);
  EXPECT_EQ(RunLaunchSequence(os, 1, imagePath.c_str()), 1);
  Lines started;
  for (const std::string& line : os.Lines({"CreateProcess"})) {
    const std::size_t end = line.rfind("\") = ");
    started.push_back(line.substr(15, end - 15));  // between CreateProcess(" and ") = ...
  }
  return started;
}

const char kEmu[] = "Tolvimer_alpha_25.exe";

TEST(MountCommandTest, MountAndUnmountCommandLinesByteForByte) {
  struct Case {
    std::string settings;
    std::string imagePath;
    Lines started;
  } cases[] = {
      {kDaemon,
       kImage,
       {"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,\"D:\\Images\\game.cdi\"", kEmu,
        "\"C:\\Tools\\mounter.exe\" -unmount 0"}},
      {"[General]\nMountTool=DaemonTools\nUnmount=TRUE\n"
       "[DaemonTools]\nExe=C:\\Tools\\mounter.exe\nDevice=0\n",
       kImage,
       {"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,\"D:\\Images\\game.cdi\"", kEmu,
        "\"C:\\Tools\\mounter.exe\" -unmount 0"}},
      {kAlcohol,
       kImage,
       {"\"C:\\Tools\\mounter.exe\" X: /M:\"D:\\Images\\game.cdi\"", kEmu,
        "\"C:\\Tools\\mounter.exe\" X: /U"}},
      // An image path with spaces stays whole inside the template's quotes.
      {kDaemon,
       "D:\\My Images\\Some Game.cdi",
       {"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,\"D:\\My Images\\Some Game.cdi\"", kEmu,
        "\"C:\\Tools\\mounter.exe\" -unmount 0"}},
      // A front end's pair of quotes around the whole path is taken off;
      // other quotes reach the command line unchanged.
      {kAlcohol,
       "\"D:\\My Images\\game.cdi\"",
       {"\"C:\\Tools\\mounter.exe\" X: /M:\"D:\\My Images\\game.cdi\"", kEmu,
        "\"C:\\Tools\\mounter.exe\" X: /U"}},
      {kAlcohol,
       "\"D:\\Images\\game.cdi\" -x \"",
       {"\"C:\\Tools\\mounter.exe\" X: /M:\"\"D:\\Images\\game.cdi\" -x \"\"", kEmu,
        "\"C:\\Tools\\mounter.exe\" X: /U"}},
      // A % in the image path or the values is plain text.
      {"[General]\nMountTool=daemontools\n[DaemonTools]\nExe=C:\\100%s\\m.exe\nDevice=%d\n",
       "D:\\50%s off.cdi",
       {"\"C:\\100%s\\m.exe\" -noicon -mount %d,\"D:\\50%s off.cdi\"", kEmu}},
      // [Alcohol120] takes Drive only: a Device key there is ignored.
      {"[General]\nMountTool=alcohol120\nUnmount=true\n"
       "[Alcohol120]\nExe=C:\\Tools\\mounter.exe\nDevice=0\n",
       kImage,
       {"\"C:\\Tools\\mounter.exe\"  /M:\"D:\\Images\\game.cdi\"", kEmu,
        "\"C:\\Tools\\mounter.exe\"  /U"}},
      // Absent keys leave their places empty; the line is run all the same.
      {"[General]\nMountTool=daemontools\nUnmount=true\n",
       kImage,
       {"\"\" -noicon -mount ,\"D:\\Images\\game.cdi\"", kEmu, "\"\" -unmount "}},
      {"[General]\nMountTool=alcohol120\nUnmount=true\n[Alcohol120]\nDrive=X:\n",
       kImage,
       {"\"\" X: /M:\"D:\\Images\\game.cdi\"", kEmu, "\"\" X: /U"}},
      // Unmount absent, or not "true": mounted and never unmounted.
      {"[General]\nMountTool=daemontools\n[DaemonTools]\nExe=C:\\Tools\\mounter.exe\nDevice=0\n",
       kImage,
       {"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,\"D:\\Images\\game.cdi\"", kEmu}},
      {"[General]\nMountTool=daemontools\nUnmount=yes\n"
       "[DaemonTools]\nExe=C:\\Tools\\mounter.exe\nDevice=0\n",
       kImage,
       {"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,\"D:\\Images\\game.cdi\"", kEmu}},
      // No known tool: nothing at the start or at the end.
      {"[General]\nUnmount=true\n[DaemonTools]\nExe=C:\\Tools\\mounter.exe\nDevice=0\n",
       kImage,
       {kEmu}},
      {"[General]\nMountTool=\nUnmount=TRUE\n[DaemonTools]\nExe=C:\\Tools\\mounter.exe\n",
       kImage,
       {kEmu}},
      {"[General]\nMountTool=daemon tools\nUnmount=true\n"
       "[DaemonTools]\nExe=C:\\Tools\\mounter.exe\nDevice=0\n",
       kImage,
       {kEmu}},
      {"[General]\nMountTool=alcohol\nUnmount=true\n[Alcohol120]\nExe=C:\\Tools\\mounter.exe\n",
       kImage,
       {kEmu}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings + " / " + c.imagePath);
    EXPECT_EQ(StartedCommandLines(c.settings, c.imagePath), c.started);
  }
}

// A command line that would not fit 263 characters is not run at all: a cut
// one would mount some other path or run some other command.
TEST(MountCommandTest, CommandLineThatDoesNotFitIsNotRun) {
  const std::string head = "\"C:\\Tools\\mounter.exe\" -noicon -mount 0,\"";
  const std::string fitting = "D:\\" + std::string(263 - head.size() - 1 - 3, 'g');
  ASSERT_EQ((head + fitting + "\"").size(), 263u);
  struct Case {
    std::string settings;
    std::string imagePath;
    Lines started;
  } cases[] = {
      {kDaemon, fitting, {head + fitting + "\"", kEmu, "\"C:\\Tools\\mounter.exe\" -unmount 0"}},
      {kDaemon, fitting + "g", {kEmu, "\"C:\\Tools\\mounter.exe\" -unmount 0"}},
      {kAlcohol,
       "D:\\" + std::string(296, 'g') + ".cdi",
       {kEmu, "\"C:\\Tools\\mounter.exe\" X: /U"}},
      // 254 + 254 characters of values: neither line fits.
      {"[General]\nMountTool=daemontools\nUnmount=true\n[DaemonTools]\nExe=" +
           std::string(254, 'e') + "\nDevice=" + std::string(254, 'd') + "\n",
       kImage,
       {kEmu}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.imagePath.size());
    EXPECT_EQ(StartedCommandLines(c.settings, c.imagePath), c.started);
  }
}

// The mount reads MountTool, then the tool's Exe and its Device or Drive, and
// lets go of the started tool at once.
TEST(MountCommandTest, MountReadsItsKeysInOrderAndClosesTheToolsHandlesAtOnce) {
  struct Case {
    const char* settings;
    Lines trace;
  } cases[] = {
      {kDaemon,
       {"GetPrivateProfileString(General, MountTool) = \"daemontools\"",
        "GetPrivateProfileString(DaemonTools, Exe) = \"C:\\Tools\\mounter.exe\"",
        "GetPrivateProfileString(DaemonTools, Device) = \"0\"",
        "CreateProcess(\"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,\"D:\\Images\\game.cdi\"\") "
        "= tool",
        "CloseHandle(tool.process)", "CloseHandle(tool.thread)"}},
      {kAlcohol,
       {"GetPrivateProfileString(General, MountTool) = \"alcohol120\"",
        "GetPrivateProfileString(Alcohol120, Exe) = \"C:\\Tools\\mounter.exe\"",
        "GetPrivateProfileString(Alcohol120, Drive) = \"X:\"",
        "CreateProcess(\"\"C:\\Tools\\mounter.exe\" X: /M:\"D:\\Images\\game.cdi\"\") = tool",
        "CloseHandle(tool.process)", "CloseHandle(tool.thread)"}},
      {"[General]\nMountTool=other\n[DaemonTools]\nExe=a\n",
       {"GetPrivateProfileString(General, MountTool) = \"other\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    FakePlatform os;
    SetUpMachine(os, c.settings);
    Settings settings(os);
    ASSERT_TRUE(settings.Locate());
    MountDiscImage(settings, kImage);
    EXPECT_EQ(os.Lines({"GetPrivateProfileString", "CreateProcess", "CloseHandle",
                        "WaitForSingleObject", "WaitForInputIdle"}),
              c.trace);
  }
}

TEST(MountCommandTest, UnmountAsksUnmountFirstAndReadsEverythingAnew) {
  struct Case {
    const char* settings;
    Lines trace;
  } cases[] = {
      {kDaemon,
       {"GetPrivateProfileString(General, Unmount) = \"true\"",
        "GetPrivateProfileString(General, MountTool) = \"daemontools\"",
        "GetPrivateProfileString(DaemonTools, Exe) = \"C:\\Tools\\mounter.exe\"",
        "GetPrivateProfileString(DaemonTools, Device) = \"0\"",
        "CreateProcess(\"\"C:\\Tools\\mounter.exe\" -unmount 0\") = tool",
        "CloseHandle(tool.process)", "CloseHandle(tool.thread)"}},
      {"[General]\nMountTool=daemontools\n", {"GetPrivateProfileString(General, Unmount) = \"\""}},
      {"[General]\nUnmount=true\n",
       {"GetPrivateProfileString(General, Unmount) = \"true\"",
        "GetPrivateProfileString(General, MountTool) = \"\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    FakePlatform os;
    SetUpMachine(os, c.settings);
    Settings settings(os);
    ASSERT_TRUE(settings.Locate());
    UnmountDiscImage(settings, kImage);
    EXPECT_EQ(os.Lines({"GetPrivateProfileString", "CreateProcess", "CloseHandle"}), c.trace);
  }
}

// The unmount follows the file as it reads after play, not what was mounted.
TEST(MountCommandTest, SettingsChangedDuringPlayDecideTheUnmount) {
  struct Case {
    std::string atStart;
    std::string atEnd;
    Lines started;
  } cases[] = {
      {kDaemon,
       kAlcohol,
       {"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,\"D:\\Images\\game.cdi\"", kEmu,
        "\"C:\\Tools\\mounter.exe\" X: /U"}},
      {kDaemon,
       "[General]\nMountTool=daemontools\nUnmount=true\n"
       "[DaemonTools]\nExe=C:\\Other\\mounter.exe\nDevice=1\n",
       {"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,\"D:\\Images\\game.cdi\"", kEmu,
        "\"C:\\Other\\mounter.exe\" -unmount 1"}},
      {kDaemon,
       "[General]\nMountTool=daemontools\nUnmount=false\n",
       {"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,\"D:\\Images\\game.cdi\"", kEmu}},
      {"[General]\nMountTool=none\n", kAlcohol, {kEmu, "\"C:\\Tools\\mounter.exe\" X: /U"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.atEnd);
    FakePlatform os;
    SetUpMachine(os, c.atStart);
    os.afterCall = [&os, &c](const char* line) {
      if (std::strcmp(line, "SendMessage(emu, WM_CLOSE, 0, 0)") == 0) os.settingsText = c.atEnd;
    };
    EXPECT_EQ(RunLaunchSequence(os, 1, kImage), 1);
    Lines started;
    for (const std::string& line : os.Lines({"CreateProcess"})) {
      started.push_back(line.substr(15, line.rfind("\") = ") - 15));
    }
    EXPECT_EQ(started, c.started);
  }
}

// A tool that cannot be started is not noticed: no handles to close, and the
// emulator is started all the same.
TEST(MountCommandTest, ToolThatCannotStartChangesNothingElse) {
  FakePlatform os;
  SetUpMachine(os, kDaemon);
  os.unstartable = {"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,\"D:\\Images\\game.cdi\"",
                    "\"C:\\Tools\\mounter.exe\" -unmount 0"};
  EXPECT_EQ(RunLaunchSequence(os, 1, kImage), 1);
  EXPECT_EQ(os.Lines({"CreateProcess", "CloseHandle"}),
            (Lines{"CreateProcess(\"\"C:\\Tools\\mounter.exe\" -noicon -mount 0,"
                   "\"D:\\Images\\game.cdi\"\") = FALSE",
                   "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu",
                   "CreateProcess(\"\"C:\\Tools\\mounter.exe\" -unmount 0\") = FALSE",
                   "CloseHandle(emu.process)", "CloseHandle(emu.thread)"}));
}

TEST(RunCommandLineTest, ReportsWhetherTheProcessStarted) {
  FakePlatform os;
  os.unstartable = {"bad.exe"};
  char good[] = "good.exe -x";
  char bad[] = "bad.exe";
  EXPECT_TRUE(RunCommandLine(os, good));
  EXPECT_FALSE(RunCommandLine(os, bad));
  EXPECT_EQ(os.Lines(),
            (Lines{"CreateProcess(\"good.exe -x\") = proc1", "CloseHandle(proc1.process)",
                   "CloseHandle(proc1.thread)", "CreateProcess(\"bad.exe\") = FALSE"}));
}

}  // namespace
}  // namespace tolvimer::testing
