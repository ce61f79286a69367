// [General] MountTool "custom": the command lines [CustomMount] gives, read
// anew at the unmount; and lines too long for their buffer, custom or
// built-in, never run but told with their length.
#include "mount/custom_mount.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "launch/launch_sequence.h"
#include "launch/program_state.h"
#include "mount/mount_commands.h"
#include "settings/settings.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;

const char kImage[] = "D:\\Images\\Some Game.cdi";
const char kEmu[] = "Tolvimer_alpha_25.exe";
const char kTool[] = "\"C:\\Tools\\mt.exe\" ";

// A custom tool with these [CustomMount] lines after Exe, Unmount "true".
std::string Custom(const std::string& lines, const std::string& general = "") {
  return "[General]\nMountTool=custom\nUnmount=true\n" + general +
         "[CustomMount]\nExe=C:\\Tools\\mt.exe\n" + lines;
}

// The fake, telling also what the launcher reports of refused lines.
class ReportingFake : public FakePlatform {
 public:
  void CommandLineTooLong(std::size_t length, std::size_t room) override {
    reports.push_back("too long: " + std::to_string(length) + " of " + std::to_string(room));
  }
  void QuotedImagePathInForm() override { reports.push_back("quoted image path"); }
  std::vector<std::string> reports;
};

void SetUpMachine(FakePlatform& os, const std::string& settings) {
  ResetProgramState();
  os.NameProcess("Tolvimer", "emu");
  os.NameProcess("mt.exe", "tool");
  os.AddWindow("emu", "emu");
  os.settingsText = settings;
}

Lines Started(const FakePlatform& os) {
  Lines started;
  for (const std::string& line : os.Lines({"CreateProcess"})) {
    started.push_back(line.substr(15, line.rfind("\") = ") - 15));
  }
  return started;
}

// The command lines a whole run starts, the emulator's included.
Lines StartedCommandLines(const std::string& settings, const std::string& imagePath) {
  ReportingFake os;
  SetUpMachine(os, settings);
  EXPECT_EQ(RunLaunchSequence(os, 1, imagePath.c_str()), 1);
  EXPECT_EQ(os.reports, Lines{});
  return Started(os);
}

TEST(CustomMountTest, ArgsGiveTheseCommandLines) {
  const std::string tool = kTool;
  struct Case {
    std::string settings;
    std::string imagePath;
    Lines started;
  } cases[] = {
      {Custom("MountArgs=--path \"{image}\"\nUnmountArgs=--eject \"{image}\"\n"),
       kImage,
       {tool + "--path \"D:\\Images\\Some Game.cdi\"", kEmu,
        tool + "--eject \"D:\\Images\\Some Game.cdi\""}},
      // A front end's quotes around the whole path are taken off; a lone
      // quote, or quotes inside, stay.
      {Custom("MountArgs=-p \"{image}\"\n"),
       "\"D:\\Images\\Some Game.cdi\"",
       {tool + "-p \"D:\\Images\\Some Game.cdi\"", kEmu}},
      // The settings reader takes the quotes off a value that begins and
      // ends with one (the plan warns of it).
      {Custom("MountArgs=\"{image}\"\n"), "D:\\Images\\x.cdi", {tool + "\"D:\\Images\\x.cdi\"", kEmu}},
      {Custom("MountArgs=[{image}]\n"), "\"\"", {tool + "[\"\"]", kEmu}},
      // {drive}: the first character of [General] Drive, upper case; empty
      // without one.
      {Custom("MountArgs=-a -f \"{image}\" -m {drive}:\nUnmountArgs=-D -m {drive}:\n",
              "Drive=e:\\\n"),
       kImage,
       {tool + "-a -f \"D:\\Images\\Some Game.cdi\" -m E:", kEmu, tool + "-D -m E:"}},
      {Custom("MountArgs={drive}{drive}\n", "Drive=7z\n"), kImage, {tool + "77", kEmu}},
      {Custom("MountArgs=-m {drive}:\nUnmountArgs=-D -m {drive}:\n"),
       kImage,
       {tool + "-m :", kEmu, tool + "-D -m :"}},
      // Literal braces, and brace text that is no placeholder kept as written.
      {Custom("MountArgs={{image}} }}{{ \"{{{image}}}\"\n"),
       kImage,
       {tool + "{image} }{ \"{D:\\Images\\Some Game.cdi}\"", kEmu}},
      {Custom("MountArgs={Image} {path} { } {drive {image\n"),
       kImage,
       {tool + "{Image} {path} { } {drive {image", kEmu}},
      // Absent keys: no Exe gives empty quotes; no Args value runs nothing.
      {"[General]\nMountTool=custom\nUnmount=true\n[CustomMount]\nMountArgs=-m\nUnmountArgs=-u\n",
       kImage,
       {"\"\" -m", kEmu, "\"\" -u"}},
      {Custom("UnmountArgs=-u\n"), kImage, {kEmu, tool + "-u"}},
      {Custom("MountArgs=-m\n"), kImage, {tool + "-m", kEmu}},
      {Custom("MountArgs=\nUnmountArgs=\n"), kImage, {kEmu}},
      // Unmount not "true": mounted, never unmounted.
      {"[General]\nMountTool=CUSTOM\n[CustomMount]\nExe=C:\\Tools\\mt.exe\nMountArgs=-m\n"
       "UnmountArgs=-u\n",
       kImage,
       {tool + "-m", kEmu}},
      // Other words are no tool; [CustomMount] is then never read.
      {"[General]\nMountTool=customs\nUnmount=true\n[CustomMount]\nExe=C:\\Tools\\mt.exe\n"
       "MountArgs=-m\nUnmountArgs=-u\n",
       kImage,
       {kEmu}},
      {"[General]\nMountTool=custom mount\nUnmount=true\n[CustomMount]\nExe=C:\\Tools\\mt.exe\n"
       "MountArgs=-m\nUnmountArgs=-u\n",
       kImage,
       {kEmu}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings + " / " + c.imagePath);
    EXPECT_EQ(StartedCommandLines(c.settings, c.imagePath), c.started);
  }
}

// Each value is read when it is needed, [General] Drive for {drive} and
// the tool's TOLVIMER_DRIVE.
TEST(CustomMountTest, ReadsItsKeysWhenTheyAreNeeded) {
  struct Case {
    std::string settings;
    Lines reads;
  } cases[] = {
      {Custom("MountArgs=-p \"{image}\"\n"),
       {"GetPrivateProfileString(General, MountTool) = \"custom\"",
        "GetPrivateProfileString(CustomMount, Exe) = \"C:\\Tools\\mt.exe\"",
        "GetPrivateProfileString(CustomMount, MountArgs) = \"-p \"{image}\"\"",
        "GetPrivateProfileString(General, Drive) = \"\""}},
      {Custom("MountArgs=-m {drive}\n", "Drive=x\n"),
       {"GetPrivateProfileString(General, MountTool) = \"custom\"",
        "GetPrivateProfileString(CustomMount, Exe) = \"C:\\Tools\\mt.exe\"",
        "GetPrivateProfileString(CustomMount, MountArgs) = \"-m {drive}\"",
        "GetPrivateProfileString(General, Drive) = \"x\""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    FakePlatform os;
    SetUpMachine(os, c.settings);
    Settings settings(os);
    ASSERT_TRUE(settings.Locate());
    MountDiscImage(settings, kImage);
    EXPECT_EQ(os.Lines({"GetPrivateProfileString"}), c.reads);
  }
}

// The unmount follows the file as it reads after play.
TEST(CustomMountTest, TheUnmountLineIsReadAnew) {
  const std::string atEnd =
      "[General]\nMountTool=custom\nUnmount=true\nDrive=q\n[CustomMount]\n"
      "Exe=C:\\Other\\mt.exe\nUnmountArgs=-D -m {drive}: \"{image}\"\n";
  ReportingFake os;
  SetUpMachine(os, Custom("MountArgs=-m \"{image}\"\nUnmountArgs=-u\n", "Drive=e\n"));
  os.afterCall = [&os, &atEnd](const char* line) {
    if (std::strcmp(line, "SendMessage(emu, WM_CLOSE, 0, 0)") == 0) os.settingsText = atEnd;
  };
  EXPECT_EQ(RunLaunchSequence(os, 1, kImage), 1);
  EXPECT_EQ(Started(os), (Lines{std::string(kTool) + "-m \"D:\\Images\\Some Game.cdi\"", kEmu,
                                "\"C:\\Other\\mt.exe\" -D -m Q: \"D:\\Images\\Some Game.cdi\""}));
}

// A line of 2,047 characters runs; one more is not run, and the launcher
// says by how much it was too long. The run goes on as after a tool that
// cannot be started.
TEST(CustomMountTest, TheBufferHoldsALineOf2047CharactersAndNoMore) {
  // "C:\Tools\mt.exe" -m "<image>": 20 characters around the image path.
  const std::string head = std::string(kTool) + "-m \"";
  for (const std::size_t length : {std::size_t{2047}, std::size_t{2048}, std::size_t{4000}}) {
    SCOPED_TRACE(length);
    const std::string image = "D:\\" + std::string(length - head.size() - 1 - 7, 'g') + ".cdi";
    const std::string line = head + image + "\"";
    ASSERT_EQ(line.size(), length);
    ReportingFake os;
    SetUpMachine(os, Custom("MountArgs=-m \"{image}\"\nUnmountArgs=-u \"{image}\"\n"));
    EXPECT_EQ(RunLaunchSequence(os, 1, image.c_str()), 1);
    if (length == 2047) {
      EXPECT_EQ(Started(os), (Lines{line, kEmu, std::string(kTool) + "-u \"" + image + "\""}));
      EXPECT_EQ(os.reports, Lines{});
    } else {
      EXPECT_EQ(Started(os), Lines{kEmu});
      const std::string report = "too long: " + std::to_string(length) + " of 2047";
      EXPECT_EQ(os.reports, (Lines{report, report}));
    }
  }
}

// The builder alone: never past its buffer, and a refused line leaves it
// empty with the length it would have had.
TEST(CustomMountTest, BuilderRefusesWhatDoesNotFitWithItsLength) {
  const std::string exe(254, 'e');
  std::string args;
  while (args.size() + 8 <= 254) args += "{image} ";
  const std::string image(2000, 'i');
  struct {
    char line[kCustomCommandSize];
    char guard[16];
  } out;
  std::memset(out.guard, '#', sizeof out.guard);
  std::size_t length = 0;
  ImageRefusal refusal;
  EXPECT_FALSE(BuildCustomCommandLine(out.line, exe.c_str(), args.c_str(), image.c_str(), 0, length,
                                      refusal));
  // Each {image} in the launcher's quotes, and its blank.
  EXPECT_EQ(length, 2 + 254 + 1 + (254 / 8) * (1 + 2000 + 1 + 1));
  EXPECT_EQ(out.line[0], '\0');
  EXPECT_EQ(std::string(out.guard, sizeof out.guard), std::string(16, '#'));
  EXPECT_EQ(refusal.reason, ImageRefusal::kNone);
  EXPECT_TRUE(BuildCustomCommandLine(out.line, "", "", "", 0, length, refusal));
  EXPECT_STREQ(out.line, "\"\" ");
  EXPECT_EQ(length, 3u);
}

// The built-in forms: a line too long for its 263 characters is told with
// its length too; a quoted image path is told as it goes into the form's
// quotes, which stay as they are.
TEST(CustomMountTest, BuiltInFormsTellALineTooLongAndAQuotedImagePath) {
  const std::string daemon =
      "[General]\nMountTool=daemontools\nUnmount=true\n[DaemonTools]\nExe=C:\\Tools\\mt.exe\n"
      "Device=0\n";
  struct Case {
    std::string imagePath;
    Lines reports;
    std::size_t started;
  } cases[] = {
      {kImage, {}, 3},
      {"\"D:\\Images\\Some Game.cdi\"", {}, 3},
      {"\"D:\\Images\\Some Game.cdi", {"quoted image path"}, 3},
      {"\"D:\\Images\\Some\" Game.cdi\"", {"quoted image path"}, 3},
      // "C:\Tools\mt.exe" -noicon -mount 0," and the closing quote: 37.
      {std::string(263 - 37, 'g'), {}, 3},
      {std::string(264 - 37, 'g'), {"too long: 264 of 263"}, 2},
      {"\"" + std::string(400, 'g') + "\"", {"too long: 437 of 263"}, 2},
      {"\"" + std::string(400, 'g'), {"too long: 438 of 263", "quoted image path"}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.imagePath.size());
    ReportingFake os;
    SetUpMachine(os, daemon);
    EXPECT_EQ(RunLaunchSequence(os, 1, c.imagePath.c_str()), 1);
    EXPECT_EQ(os.reports, c.reports);
    EXPECT_EQ(Started(os).size(), c.started);
  }
}

// The run log shows a custom line whole, however long, and says of one too
// long for its buffer by how much; with a built-in form it warns of a quoted
// image path.
TEST(CustomMountTest, TheRunLogTellsTheLinesAsBuilt) {
  const std::string head = std::string(kTool) + "-m \"";
  const std::string fits = "D:\\" + std::string(2047 - head.size() - 1 - 7, 'g') + ".cdi";
  const std::string daemon =
      "[General]\nLog=true\nMountTool=daemontools\n[DaemonTools]\nExe=C:\\Tools\\mt.exe\n"
      "Device=0\n";
  struct Case {
    std::string settings;
    std::string imagePath;
    std::string told;
  } cases[] = {
      {Custom("MountArgs=-m \"{image}\"\n", "Log=true\n"), fits,
       "-> mount the image, starting without waiting for it: " + head + fits + "\"\r\n"},
      {Custom("MountArgs=-m \"{image}\"\nUnmountArgs=-u \"{image}\"\n", "Log=true\n"), fits + "g",
       "-> the unmount command line would be 2048 characters, 1 more than the 2047 that fit: it "
       "is not run\r\n"},
      {Custom("MountArgs=-m\nUnmountArgs=-u \"{image}\"\n", "Log=true\n"), fits + "g",
       "; the unmount command could not be started\r\n"},
      {Custom("MountArgs=-m \"{image}\"\n", "Log=true\n"), fits + "g",
       "-> the mount command line would be 2048 characters, 1 more than the 2047 that fit: it is "
       "not run\r\n"},
      {daemon, std::string(300, 'g'),
       "-> the mount command line would be 337 characters, 74 more than the 263 that fit: it is "
       "not run\r\n"},
      {daemon, "\"D:\\Images\\Some Game.cdi",
       "-> warning: the image path came in quotes, which the mount form's own quotes double"},
      {daemon, "\"D:\\Images\\Some Game.cdi\"",
       "-> the image path came in one pair of double quotes, taken off: D:\\Images\\Some "
       "Game.cdi\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.imagePath);
    FakePlatform os;
    SetUpMachine(os, c.settings);
    EXPECT_EQ(RunLaunchSequence(os, 1, c.imagePath.c_str()), 1);
    EXPECT_NE(os.logText.find(c.told), std::string::npos) << c.told << "\n" << os.logText;
  }
}

}  // namespace
}  // namespace tolvimer::testing
