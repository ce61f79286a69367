// The environment a [CustomMount] tool starts with, the names that reach a
// line at all (a playlist's disc lines, a front end's quoted path), and what
// the run log says of both.
#include "mount/tool_environment.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch/image_path.h"
#include "launch/launch_sequence.h"
#include "launch/program_state.h"
#include "launch/undo_record.h"
#include "mount/mount_commands.h"
#include "mount/playlist.h"
#include "settings/settings.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;

// A block's strings, NULs shown as '|'.
std::string Shown(const std::string& block) {
  std::string shown = block;
  for (char& c : shown) c = c == '\0' ? '|' : c;
  return shown;
}

std::string Block(const ToolEnvironment& environment) {
  return std::string(environment.block, environment.length);
}

TEST(ToolEnvironmentTest, TheTwoVariablesJoinTheLaunchersOwnInNameOrder) {
  struct Case {
    const char* what;
    std::string own;
    char drive;
    std::string built;
  } cases[] = {
      {"among others, after the drives' folders", std::string("=C:=C:\\x\0PATH=p\0Windir=w\0", 25),
       'E', std::string("=C:=C:\\x|PATH=p|TOLVIMER_DRIVE=E:|TOLVIMER_IMAGE=D:\\a b.iso|Windir=w||")},
      {"values the launcher inherited are replaced, any case",
       std::string("tolvimer_image=old\0TOLVIMER_DRIVE=Z:\0TOLVIMER_IMAGEX=kept\0", 58), 'E',
       "TOLVIMER_DRIVE=E:|TOLVIMER_IMAGE=D:\\a b.iso|TOLVIMER_IMAGEX=kept||"},
      {"no drive: no TOLVIMER_DRIVE, an inherited one dropped",
       std::string("A=1\0TOLVIMER_DRIVE=Z:\0", 22), '\0', "A=1|TOLVIMER_IMAGE=D:\\a b.iso||"},
      {"an empty environment", "", 'Q', "TOLVIMER_DRIVE=Q:|TOLVIMER_IMAGE=D:\\a b.iso||"},
      {"names after both, and between them",
       std::string("TOLVIMER_E=1\0ZZ=2\0", 18), 'E',
       "TOLVIMER_DRIVE=E:|TOLVIMER_E=1|TOLVIMER_IMAGE=D:\\a b.iso|ZZ=2||"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakePlatform os;
    os.environment = c.own;
    ToolEnvironment environment;
    BuildToolEnvironment(os, "D:\\a b.iso", c.drive, environment);
    EXPECT_EQ(environment.state, ToolEnvironment::kBuilt);
    EXPECT_EQ(Shown(Block(environment)), c.built);
    // The launcher's block is given back.
    EXPECT_EQ(os.Lines({"GetEnvironmentStrings", "FreeEnvironmentStrings"}),
              (Lines{"GetEnvironmentStrings()", "FreeEnvironmentStrings(the block)"}));
    EXPECT_STREQ(EnvironmentValue(environment.block, "tolvimer_image"), "D:\\a b.iso");
  }
}

TEST(ToolEnvironmentTest, ABlockTooLargeOrUnreadableIsNeverUsed) {
  // The most that fits, and one byte more.
  const std::string added = "TOLVIMER_DRIVE=E:|TOLVIMER_IMAGE=D:\\a b.iso|";
  for (const std::size_t extra : {std::size_t{0}, std::size_t{1}}) {
    SCOPED_TRACE(extra);
    FakePlatform os;
    const std::size_t value = kToolEnvironmentSize - 1 - added.size() - 3 + extra;
    os.environment = "A=" + std::string(value, 'v') + std::string(1, '\0');
    ToolEnvironment environment;
    BuildToolEnvironment(os, "D:\\a b.iso", 'E', environment);
    EXPECT_EQ(environment.length, kToolEnvironmentSize + extra);
    EXPECT_EQ(environment.state, extra == 0 ? ToolEnvironment::kBuilt : ToolEnvironment::kTooLarge);
    EXPECT_EQ(os.Lines({"FreeEnvironmentStrings"}).size(), 1u);
  }
  FakePlatform os;
  os.Fail("GetEnvironmentStrings");
  ToolEnvironment environment;
  BuildToolEnvironment(os, "D:\\a b.iso", 'E', environment);
  EXPECT_EQ(environment.state, ToolEnvironment::kUnreadable);
  EXPECT_EQ(os.Lines({"FreeEnvironmentStrings"}), Lines{});
}

// The fake, telling also what the launcher reports of refused lines.
class ReportingFake : public FakePlatform {
 public:
  void CommandLineRefused(const char* reason) override { reports.push_back(reason); }
  std::vector<std::string> reports;
};

const char kCustom[] =
    "[General]\nMountTool=custom\nUnmount=true\nDrive=e\n[CustomMount]\nExe=C:\\Tools\\mt.exe\n"
    "MountArgs=-m \"{image}\"\nUnmountArgs=-u {drive}:\n";

// Every custom line, the mount, the unmount and the swap's waited unmount,
// starts its tool with the two variables; the built-in forms start theirs
// as before, with the launcher's own environment.
TEST(ToolEnvironmentTest, EveryCustomLineStartsWithTheVariables) {
  const char kImage[] = "D:\\Images\\x';calc;'.iso";
  ReportingFake os;
  os.settingsText = kCustom;
  Settings settings(os);
  ASSERT_TRUE(settings.Locate());
  MountDiscImage(settings, kImage);
  UnmountDiscImage(settings, kImage);
  EXPECT_NE(UnmountDiscImageAndWait(settings, "D:\\Images\\disc 2.iso", 700),
            CommandWait::kNotStarted);
  ASSERT_EQ(os.environments.size(), 3u);
  EXPECT_EQ(os.environments[0].commandLine, "\"C:\\Tools\\mt.exe\" -m \"" + std::string(kImage) + "\"");
  EXPECT_EQ(os.environments[1].commandLine, "\"C:\\Tools\\mt.exe\" -u E:");
  const std::string images[] = {kImage, kImage, "D:\\Images\\disc 2.iso"};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(os.EnvironmentValue(i, "TOLVIMER_IMAGE"), images[i]);
    EXPECT_EQ(os.EnvironmentValue(i, "TOLVIMER_DRIVE"), "E:");
    EXPECT_EQ(os.EnvironmentValue(i, "PATH"), "C:\\Windows");
  }
  EXPECT_EQ(os.reports, Lines{});

  FakePlatform builtIn;
  builtIn.settingsText =
      "[General]\nMountTool=daemontools\nUnmount=true\n[DaemonTools]\nExe=C:\\dt.exe\nDevice=0\n";
  Settings builtInSettings(builtIn);
  ASSERT_TRUE(builtInSettings.Locate());
  MountDiscImage(builtInSettings, kImage);
  UnmountDiscImage(builtInSettings, kImage);
  EXPECT_EQ(builtIn.Lines({"CreateProcess"}).size(), 2u);
  EXPECT_EQ(builtIn.environments.size(), 0u);
  EXPECT_EQ(builtIn.Lines({"GetEnvironmentStrings"}), Lines{});
}

// Without its environment a line is not run: the script would read no name.
TEST(ToolEnvironmentTest, ALineWhoseEnvironmentCannotBeBuiltIsNotRun) {
  struct Case {
    const char* what;
    bool fail;
    std::size_t ownSize;
    std::string report;
  } cases[] = {
      {"unreadable", true, 0, "the launcher's own environment cannot be read for the tool"},
      {"too large", false, 40000,
       "the tool's environment (the launcher's own, with TOLVIMER_IMAGE and TOLVIMER_DRIVE) "
       "would be 40043 bytes, more than the 32768 that fit"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ReportingFake os;
    os.settingsText = kCustom;
    if (c.fail) os.Fail("GetEnvironmentStrings");
    if (c.ownSize) os.environment = "A=" + std::string(c.ownSize - 3, 'v') + std::string(1, '\0');
    Settings settings(os);
    ASSERT_TRUE(settings.Locate());
    MountDiscImage(settings, "D:\\a.iso");
    EXPECT_EQ(UnmountDiscImageAndWait(settings, "D:\\a.iso", 700), CommandWait::kNotStarted);
    EXPECT_EQ(os.Lines({"CreateProcess"}), Lines{});
    EXPECT_EQ(os.reports, (Lines{c.report, c.report}));
  }
}

// The run log and the plan say what the tool gets, and of a refused line
// exactly what to write instead.
TEST(ToolEnvironmentTest, TheRunLogTellsTheEnvironmentAndWhatToWriteInstead) {
  struct Case {
    std::string settings;
    Lines told;
  } cases[] = {
      {"[General]\nLog=true\n" + std::string(kCustom).substr(10),
       {"-> in the tool's environment, beside the launcher's own: TOLVIMER_IMAGE = "
        "D:\\Images\\Some Game.cdi, TOLVIMER_DRIVE = E:\r\n",
        "-> mount the image, starting without waiting for it: \"C:\\Tools\\mt.exe\" -m "
        "\"D:\\Images\\Some Game.cdi\"\r\n"}},
      {"[General]\nLog=true\nMountTool=custom\n[CustomMount]\nExe=powershell.exe\n"
       "MountArgs=-Command \"Mount-DiskImage -ImagePath '{image}'\"\n",
       {"-> the mount command line is not run: {image} stands in a line that PowerShell reads "
        "as script, where a file name could run as code: write $env:TOLVIMER_IMAGE in its place "
        "(with no quotes around it); every mount and unmount tool gets the image path in its "
        "environment as TOLVIMER_IMAGE, and the drive as TOLVIMER_DRIVE\r\n"}},
      {"[General]\nLog=true\nMountTool=custom\n[CustomMount]\nExe=C:\\Tools\\mt.exe\n"
       "MountArgs=-m \"{image}\"\n",
       {"-> in the tool's environment, beside the launcher's own: TOLVIMER_IMAGE = "
        "D:\\Images\\Some Game.cdi, TOLVIMER_DRIVE unset\r\n"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    ResetProgramState();
    FakePlatform os;
    os.NameProcess("Tolvimer", "emu");
    os.AddWindow("emu", "emu");
    os.settingsText = c.settings;
    EXPECT_EQ(RunLaunchSequence(os, 1, "D:\\Images\\Some Game.cdi"), 1);
    for (const std::string& text : c.told)
      EXPECT_NE(os.logText.find(text), std::string::npos) << text << "\n" << os.logText;
  }
}

// A disc line that no Windows file name can be never reaches a line: read
// in the code page's double-byte characters, whose trail bytes may be '|'.
TEST(ToolEnvironmentTest, APlaylistLineThatIsNoFileNameIsLeftOutAndSaid) {
  FakePlatform os;
  for (int lead = 0x81; lead <= 0x9F; ++lead) os.leadBytes[lead] = true;
  const std::string text =
      "ok.cdi\r\n"
      "a\rcalc.cdi\r\n"      // a CR inside
      "a\tb.cdi\n"           // a tab inside
      "a|b.cdi\n"
      "a\"b.cdi\n"
      "what?.cdi\n"
      "x<y>.cdi\n"
      "*.cdi\n"
      "\x83\x7C\x83\x60.cdi\n"  // two double-byte characters, trail bytes '|' and '`'
      "x';calc;'$(y)`z%PATH%!a!&^.cdi\n";
  os.files["D:\\Games\\g.m3u"] = std::vector<std::uint8_t>(text.begin(), text.end());
  Playlist playlist;
  ReadPlaylist(os, "D:\\Games\\g.m3u", playlist);
  ASSERT_EQ(playlist.count, 3);
  EXPECT_STREQ(playlist.discs[0], "D:\\Games\\ok.cdi");
  EXPECT_STREQ(playlist.discs[1], "D:\\Games\\\x83\x7C\x83\x60.cdi");
  EXPECT_STREQ(playlist.discs[2], "D:\\Games\\x';calc;'$(y)`z%PATH%!a!&^.cdi");
  EXPECT_EQ(playlist.notFileNames, 7);
  EXPECT_EQ(playlist.leftOut, 0);

  // Without the code page's lead bytes the '|' is taken as one.
  FakePlatform plain;
  plain.files = os.files;
  ReadPlaylist(plain, "D:\\Games\\g.m3u", playlist);
  EXPECT_EQ(playlist.notFileNames, 8);

  // The run log says it, as of a line too long.
  ResetProgramState();
  os.NameProcess("Tolvimer", "emu");
  os.AddWindow("emu", "emu");
  os.settingsText = "[General]\nLog=true\n";
  EXPECT_EQ(RunLaunchSequence(os, 1, "D:\\Games\\g.m3u"), 1);
  EXPECT_NE(os.logText.find("-> warning: 7 disc lines left out: no Windows file name, holding a "
                            "control character or one of \"<>|*?\r\n"),
            std::string::npos)
      << os.logText;
}

// The undo record keeps a [CustomMount] unmount line's environment values
// after the line, where a record without them has zeros: one written before
// reads as it did, and a line that cannot keep them is not kept.
TEST(ToolEnvironmentTest, TheUndoRecordKeepsTheUnmountLinesEnvironment) {
  struct Case {
    const char* what;
    std::string line;
    const char* image;  // null: a built-in form's line
    char drive;
    bool kept;
  } cases[] = {
      {"a custom line", "\"C:\\ps.exe\" -Command Dismount-DiskImage $env:TOLVIMER_IMAGE",
       "D:\\a';b.iso", 'E', true},
      {"no drive", "\"C:\\mt.exe\" -u", "D:\\a.iso", '\0', true},
      {"a built-in form", "\"C:\\dt.exe\" -unmount 0", nullptr, '\0', true},
      {"line and image fill the field", std::string(1000, 'l'), nullptr, 'E', true},
      {"one byte more", std::string(1000, 'l'), nullptr, 'E', false},
  };
  const std::string fills(1043, 'i'), over(1044, 'i');
  cases[3].image = fills.c_str();
  cases[4].image = over.c_str();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    UndoRecord record;
    // What an earlier, longer line left in the field is cleared.
    std::fill(std::begin(record.unmountLine), std::end(record.unmountLine) - 1, '\x01');
    std::copy(c.line.begin(), c.line.end(), record.unmountLine);
    record.unmountLine[c.line.size()] = '\0';
    EXPECT_EQ(KeepUnmountEnvironment(record, c.image, c.drive), c.kept);
    unsigned char bytes[kUndoRecordSize];
    EncodeUndoRecord(record, bytes);
    UndoRecord read;
    ASSERT_EQ(DecodeUndoRecord(bytes, sizeof bytes, read), UndoFileState::kValid);
    EXPECT_EQ(read.unmountLine, c.kept ? c.line : "");
    char drive = 'x';
    const char* const image = UnmountEnvironment(read, drive);
    if (c.kept && c.image != nullptr) {
      ASSERT_NE(image, nullptr);
      EXPECT_EQ(std::string(image), c.image);
      EXPECT_EQ(drive, c.drive);
    } else {
      EXPECT_EQ(image, nullptr);
    }
  }
  // A field whose kept path runs to its end has no room for the drive: not used.
  UndoRecord crafted;
  std::fill(std::begin(crafted.unmountLine), std::end(crafted.unmountLine) - 1, 'i');
  crafted.unmountLine[1] = '\0';
  crafted.unmountLine[2] = '\x01';
  char none = 'x';
  EXPECT_EQ(UnmountEnvironment(crafted, none), nullptr);
  // A record written without them: the line alone.
  UndoRecord old;
  const char line[] = "\"C:\\mt.exe\" -u";
  std::copy(line, line + sizeof line, old.unmountLine);
  char drive = 'x';
  EXPECT_EQ(UnmountEnvironment(old, drive), nullptr);
  EXPECT_EQ(drive, '\0');
}

struct Killed {};

// A run with Recover on is killed right after its mount; the next start puts
// it right, its unmount tool started with the image the killed run mounted.
TEST(ToolEnvironmentTest, TheRecoveryUnmountGetsTheEnvironment) {
  const std::string settings =
      "[General]\nRecover=true\nMountTool=custom\nUnmount=true\nDrive=e\n[CustomMount]\n"
      "Exe=powershell.exe\nMountArgs=-Command Mount-DiskImage $env:TOLVIMER_IMAGE\n"
      "UnmountArgs=-Command Dismount-DiskImage $env:TOLVIMER_IMAGE\n";
  const char kImage[] = "D:\\Images\\x';calc;'.iso";
  FakePlatform killed;
  ResetProgramState();
  killed.settingsText = settings;
  killed.ownProcessId = 3000;
  killed.afterCall = [](const char* line) {
    if (std::string(line).rfind("CreateProcess(", 0) == 0) throw Killed{};
  };
  EXPECT_THROW(RunLaunchSequence(killed, 0x400000, kImage), Killed);

  FakePlatform next;
  ResetProgramState();
  next.files = killed.files;
  next.settingsText = settings;
  next.ownProcessId = 3001;
  RunLaunchSequence(next, 0x400000, "--recover");
  ASSERT_EQ(next.environments.size(), 1u);
  EXPECT_EQ(next.environments[0].commandLine,
            "\"powershell.exe\" -Command Dismount-DiskImage $env:TOLVIMER_IMAGE");
  EXPECT_EQ(next.EnvironmentValue(0, "TOLVIMER_IMAGE"), kImage);
  EXPECT_EQ(next.EnvironmentValue(0, "TOLVIMER_DRIVE"), "E:");
}

TEST(ToolEnvironmentTest, AFrontEndsQuotesComeOffWithBlanksAfterThem) {
  struct Case {
    const char* commandLine;
    const char* path;
    bool unquoted;
  } cases[] = {
      {"\"D:\\Images\\Some Game.cdi\"", "D:\\Images\\Some Game.cdi", true},
      {"\"D:\\Images\\Some Game.cdi\" ", "D:\\Images\\Some Game.cdi", true},
      {"\"D:\\Images\\Some Game.cdi\" \t  ", "D:\\Images\\Some Game.cdi", true},
      {"D:\\Images\\Some Game.cdi ", "D:\\Images\\Some Game.cdi ", false},
      {"\"D:\\Images\\Some Game.cdi ", "\"D:\\Images\\Some Game.cdi ", false},
      {"\"D:\\a\" \"D:\\b\" ", "\"D:\\a\" \"D:\\b\" ", false},
      {"\" ", "\" ", false},
      {"\"\" ", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine);
    char buffer[kImagePathSize];
    bool unquoted = true;
    EXPECT_STREQ(ImagePathOf(c.commandLine, buffer, unquoted), c.path);
    EXPECT_EQ(unquoted, c.unquoted);
  }
}

}  // namespace
}  // namespace tolvimer::testing
