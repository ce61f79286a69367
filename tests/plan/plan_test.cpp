// The dry run over settings files in memory: what the plan tells, and the
// warnings table.
#include "tools/plan/plan.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "launch/undo_record.h"

namespace tolvimer::plan {
namespace {

// A launcher folder /emu/ holding the emulator and both of its files.
class PlanTest : public ::testing::Test {
 protected:
  PlanTest() { PutFilesBack(); }

  void PutFilesBack() {
    files.clear();
    files["/emu/Tolvimer_alpha_25.exe"] = 1000;
    files["/emu/dc_flash.bin"] = 2 * 1024 * 1024;
    files["/emu/tolvimer.cfg"] = 64;
  }

  int Plan(const std::string& settings, const std::string& image = "D:\\Images\\Some Game.cdi") {
    PlanInput input;
    input.imagePath = image;
    input.settingsPath = "/emu/tolvimer_launch.ini";
    input.settingsFound = true;
    input.settingsText = settings;
    input.launcherFolder = "/emu/";
    input.windowsPaths = windowsPaths;
    input.lookAt = [this](const std::string& path) {
      FileFacts facts;
      const auto found = files.find(path);
      if (found != files.end()) {
        facts.exists = true;
        facts.size = found->second;
      }
      return facts;
    };
    input.readFile = [this](const std::string& path, std::string& bytes) {
      const auto found = texts.find(path);
      if (found == texts.end()) return false;
      bytes = found->second;
      return true;
    };
    input.undoFound = undoFound;
    input.undoRecord = undoRecord;
    output.clear();
    return RunPlan(input, output);
  }

  // The lines of the warnings section.
  std::vector<std::string> Warnings() const {
    std::vector<std::string> lines;
    const std::size_t start = output.find("\nWarnings:\n");
    if (start == std::string::npos) return lines;
    std::size_t p = start + 11;
    while (p < output.size()) {
      const std::size_t end = output.find('\n', p);
      lines.push_back(output.substr(p + 2, end - p - 2));
      p = end + 1;
    }
    return lines;
  }

  bool Tells(const std::string& text) const { return output.find(text) != std::string::npos; }

  std::map<std::string, std::uint64_t> files;
  // Files the plan can read whole (a playlist), by path.
  std::map<std::string, std::string> texts;
  // tolvimer_launch.undo in the launcher folder.
  bool undoFound = false;
  std::string undoRecord;
  bool windowsPaths = false;
  std::string output;
};

TEST_F(PlanTest, AFileWithNothingAmissHasNoWarnings) {
  EXPECT_EQ(Plan("[General]\nRegion=jap\nScreen=640x480\n[Some Game]\nZWrite=true\n"), 0) << output;
  EXPECT_TRUE(Tells("No warnings.")) << output;
}

TEST_F(PlanTest, TellsEachActionWithTheSettingThatDecidesIt) {
  Plan(
      "[General]\nRegion=euro\nDrive=E:\\\nMountTool=alcohol120\nUnmount=true\n"
      "ForceFull=TRUE\nScreen=800x600\nExit=65\n[Alcohol120]\nExe=C:\\mt.exe\nDrive=X:\n"
      "[Some Game]\nCPU=150\nSCalbrPlyrSelectHack=true\n");
  const char* expected[] = {
      "[General] Region = \"euro\"\n"
      "       -> write 0x32 ('2') at offset 106498 (0x1A002) of dc_flash.bin",
      "-> write 0x65 ('e') at offset 4 of tolvimer.cfg: the CD drive letter",
      "-> write 0x00 at offset 12 of tolvimer.cfg: a byte cleared before every start",
      "[General] ForceFull = \"TRUE\"\n     [General] Screen = \"800x600\"\n"
      "       -> switch the desktop to 800x600",
      "-> mount the image, starting without waiting for it: \"C:\\mt.exe\" X: "
      "/M:\"D:\\Images\\Some Game.cdi\"",
      "-> post command 32555 (0x7F2B) to the emulator window: SCalbrPlyrSelectHack true\n"
      "        -> tap Enter (virtual key 13, scan code 0x1C) once",
      "-> the exit key becomes 65 (A), the character of virtual key 65",
      "-> replace the window's whole style with 8",
      "-> move the window to (0, 0) and size it to 800x600",
      "-> tap keypad plus (virtual key 107, scan code 0x4E) 50 times",
      "the exit key 65 (A) is pressed",
      "-> unmount the image, starting without waiting for it: \"C:\\mt.exe\" X: /U",
      "-> restore the desktop mode stored in the registry",
      "-> the launcher returns 1: a complete run",
  };
  for (const char* text : expected) EXPECT_TRUE(Tells(text)) << text << "\n---\n" << output;
}

TEST_F(PlanTest, TellsTheFallbackSectionAndTheCommandItGives) {
  Plan("[General]\nScreen=1024x768\n[TolviEx]\nLimitFPS=60\n[Some Game]\nScreen=\n");
  EXPECT_TRUE(
      Tells("[Some Game] Screen: absent\n"
            "      [General] Screen = \"1024x768\" (read because [Some Game] has none)\n"
            "        -> post command 32807 (0x8027) to the emulator window: "
            "Screen 1024x768"))
      << output;
  EXPECT_TRUE(
      Tells("[TolviEx] LimitFPS = \"60\" (read because [Some Game] has none)\n"
            "        -> post command 32982 (0x80D6)"))
      << output;
}

TEST_F(PlanTest, AMissingSettingsFileMakesEveryKeyAbsent) {
  PlanInput input;
  input.imagePath = "D:\\x.cdi";
  input.settingsPath = "/emu/tolvimer_launch.ini";
  input.launcherFolder = "/emu/";
  input.lookAt = [](const std::string&) { return FileFacts{}; };
  EXPECT_EQ(RunPlan(input, output), 1);
  EXPECT_TRUE(Tells("[General] Region: absent")) << output;
  EXPECT_TRUE(
      Tells("start the emulator with the command line: Tolvimer_alpha_25.exe (the "
            "default)"))
      << output;
  EXPECT_TRUE(Tells("there is no settings file /emu/tolvimer_launch.ini")) << output;
}

TEST_F(PlanTest, AnEmptyImagePathDoesNothing) {
  EXPECT_EQ(Plan("[General]\nRegion=jap\n", ""), 1);
  EXPECT_FALSE(Tells("dc_flash.bin")) << output;
  EXPECT_TRUE(Tells("the launcher returns 0")) << output;
}

TEST_F(PlanTest, TellsWhetherTheRunWouldWriteItsLog) {
  const struct {
    const char* settings;
    const char* head;
    int status;
  } cases[] = {
      {"[General]\nLog=TRUE\n[Some Game]\nCPU=100\n",
       "  run log:         tolvimer_launch.log in the launcher folder ([General] Log is true)\n",
       0},
      {"[General]\nLog=false\n[Some Game]\nCPU=100\n",
       "  run log:         none ([General] Log is not true)\n", 0},
      {"[General]\nLog=yes\n[Some Game]\nCPU=100\n",
       "  run log:         none ([General] Log is not true)\n", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Plan(c.settings), c.status) << c.settings;
    EXPECT_TRUE(Tells(c.head)) << output;
    // The dry run writes no log, and the read of Log belongs to no step.
    EXPECT_FALSE(Tells("[General] Log = \"")) << output;
    EXPECT_FALSE(Tells("[General] Log: absent")) << output;
  }
  EXPECT_EQ(Warnings(), (std::vector<std::string>{
                            "line 2: [General] Log: \"yes\" is not \"true\" or \"false\": only "
                            "\"true\" switches it on"}));
}

// A file saved as "Unicode" (UTF-16LE) in Notepad: read as the launcher reads
// it, values converted to Windows-1252.
std::string Utf16Le(const std::u16string& units) {
  std::string out = "\xFF\xFE";
  for (const char16_t unit : units) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

TEST_F(PlanTest, ReadsAUtf16LeFileAsTheLauncherDoes) {
  EXPECT_EQ(Plan(Utf16Le(u"[General]\r\nRegion=usa\r\nScreen=800x600\r\n[Some Game]\r\n"
                         "ZWrite=true\r\n")),
            0)
      << output;
  EXPECT_TRUE(
      Tells("[General] Region = \"usa\"\n"
            "       -> write 0x31 ('1') at offset 106498"))
      << output;
  EXPECT_TRUE(
      Tells("[General] Screen = \"800x600\" (read because [Some Game] has none)\n"
            "        -> post command 32799"))
      << output;
  EXPECT_TRUE(Tells("[Some Game] ZWrite = \"true\"\n        -> post command 32792")) << output;
  EXPECT_TRUE(Tells("No warnings.")) << output;
}

TEST_F(PlanTest, AUtf8MarkBeforeAnEmptyLine1CostsNothing) {
  EXPECT_EQ(Plan("\xEF\xBB\xBF\n[General]\nRegion=jap\n[Some Game]\nZWrite=true\n"), 0) << output;
  EXPECT_TRUE(Tells("[General] Region = \"jap\"")) << output;
  EXPECT_EQ(Plan("\xEF\xBB\xBF; settings\n[General]\nRegion=jap\n[Some Game]\nZWrite=true\n"), 0)
      << output;
}

TEST_F(PlanTest, TheKeysBeforeAnyHeaderAreTheGameSectionOfAnImageWithoutAName) {
  EXPECT_EQ(Plan("ZWrite=true\n[General]\nRegion=jap\n", "D:\\.cdi"), 0) << output;
  EXPECT_TRUE(Tells("[] ZWrite = \"true\"\n        -> post command 32792")) << output;
}

TEST_F(PlanTest, PlansTheSameTwiceInOneProcess) {
  // The launcher's program-wide state (the exit key) starts afresh each time.
  Plan("[General]\nExit=65\n");
  Plan("[General]\n");
  EXPECT_TRUE(Tells("the exit key 27 (Escape) is pressed")) << output;
}

struct WarningCase {
  const char* name;
  std::string settings;
  std::string image;
  std::vector<std::string> missingFiles;
  std::vector<std::string> expected;  // each warning, in order
};

TEST_F(PlanTest, WarningsTable) {
  const std::string game = "[Some Game]\nCPU=100\n";
  const WarningCase cases[] = {
      {"a value matching none of its key's words",
       "[General]\nScreen=640 x 480\nMountTool=daemon tools\n" + game +
           "LimitFPS=30fps\n[TolviEx]\nLimitFPS=60\n",
       "",
       {},
       {"line 2: [General] Screen: \"640 x 480\" matches none of 640x480, 800x600, 1024x768, "
        "1280x1024, 1600x1200: it has no effect",
        "line 3: [General] MountTool: \"daemon tools\" matches none of daemontools, alcohol120, "
        "custom: it has no effect",
        "line 6: [Some Game] LimitFPS: \"30fps\" matches none of 30, 60: it has no effect, and "
        "[TolviEx] LimitFPS is not read instead"}},
      {"switches and numbers",
       "[General]\nFullScreen=yes\nShowStats=on\nDelay=2.5\n" + game + "ZWrite=1\n",
       "",
       {},
       {"line 2: [General] FullScreen: \"yes\" is not \"true\" or \"false\": only \"true\" "
        "switches it on",
        "line 3: [General] ShowStats: \"on\" is not \"true\" or \"false\": only \"true\" "
        "switches it on, and any value but \"true\" posts 32796",
        "line 4: [General] Delay: \"2.5\" is not a whole number: it reads as 2",
        "line 7: [Some Game] ZWrite: \"1\" is not \"true\" or \"false\": only \"true\" switches "
        "it on"}},
      {"a game key in [General] and a general key in the game section",
       "[General]\nZWrite=true\n" + game + "Region=usa\n",
       "",
       {},
       {"line 2: [General] ZWrite is read only in the game section: here it has no effect",
        "line 5: [Some Game] Region is read only in [General]: here it has no effect"}},
      {"keys the launcher never reads",
       "[General]\nRegoin=usa\nVolume=10\n[Alcohol120]\nDevice=0\n" + game,
       "",
       {},
       {"line 2: [General] Regoin is a key the launcher never reads (did you mean Region?)",
        "line 3: [General] Volume is a key the launcher never reads",
        "line 5: [Alcohol120] Device is read only in [DaemonTools]: here it has no effect"}},
      {"duplicates and keys outside any section",
       "Region=usa\n[General]\nRegion=jap\nregion=euro\n" + game + "[general]\nDrive=E\n",
       "",
       {},
       {"line 1: Region stands before any section: it is read only as a game key of an image "
        "without a name, such as D:\\.cdi",
        "line 4: [General] region appears a second time in [General]: only the first is read",
        "line 7: [general] appears a second time: only its first appearance is read, so nothing "
        "in this one has an effect"}},
      {"a UTF-8 byte-order mark before the header on line 1",
       "\xEF\xBB\xBF[General]\nRegion=jap\nDrive=E\n" + game,
       "",
       {},
       {"line 1: the file starts with a UTF-8 byte-order mark, which Windows does not "
        "recognise, so [General] on line 1 is not read on Windows and its keys have no effect "
        "(Wine reads such a file, so a trial under Wine does not show this); save the file as "
        "ANSI or as \"Unicode\" (UTF-16 LE) in Notepad, or leave line 1 empty"}},
      {"a UTF-8 byte-order mark before the game section on line 1",
       "\xEF\xBB\xBF[Some Game]\nCPU=100\n[General]\nRegion=jap\n",
       "",
       {},
       {"line 1: the file starts with a UTF-8 byte-order mark, which Windows does not "
        "recognise, so [Some Game] on line 1 is not read on Windows and its keys have no effect "
        "(Wine reads such a file, so a trial under Wine does not show this); save the file as "
        "ANSI or as \"Unicode\" (UTF-16 LE) in Notepad, or leave line 1 empty",
        "the settings file has no section [Some Game]: every game key is absent (it has no game "
        "section at all)"}},
      {"a UTF-8 byte-order mark before a key on line 1",
       "\xEF\xBB\xBFRegion=jap\n[General]\nDrive=E\n" + game,
       "",
       {},
       {"line 1: the file starts with a UTF-8 byte-order mark, which Windows does not "
        "recognise, so the key Region on line 1 is not read on Windows (Wine reads such a "
        "file, so a trial under Wine does not show this); save the file as ANSI or as "
        "\"Unicode\" (UTF-16 LE) in Notepad, or leave line 1 empty"}},
      {"a UTF-16 big-endian byte-order mark",
       std::string("\xFE\xFF\0[\0G\0]\0\n\0R\0=\0x", 16),
       "",
       {},
       {"the file starts with a UTF-16 big-endian byte-order mark, which Windows does not "
        "recognise: it reads the file as plain bytes and finds no setting in it, so every key "
        "is absent (Wine reads such a file, so a trial under Wine does not show this); save the "
        "file as ANSI or as \"Unicode\" (UTF-16 LE) in Notepad"}},
      {"names with characters that Windows-1252 lacks in a UTF-16LE file",
       Utf16Le(u"[General]\nRegion=usa\n\u0100Drive=E\n[Some Game]\nCPU=100\n"
               u"[\u0108afe]\nCPU=100\n"),
       "",
       {},
       {"line 3: [General] ADrive holds characters that Windows-1252 lacks (shown here "
        "converted): the launcher asks for names in Windows-1252, so this key is never read",
        "line 6: [Cafe] holds characters that Windows-1252 lacks (shown here converted): the "
        "launcher asks for names in Windows-1252, so this section is never read"}},
      {"a game section that does not exist",
       "[General]\nRegion=usa\n[Some Gam]\nCPU=100\n[Other Game]\nCPU=100\n",
       "",
       {},
       {"the settings file has no section [Some Game]: every game key is absent; the closest "
        "game section is [Some Gam]"}},
      {"a quoted image path reaching the mount command line",
       "[General]\nMountTool=daemontools\n[DaemonTools]\nExe=C:\\mt.exe\nDevice=0\n"
       "[Some Game]\nCPU=100\n",
       "\"D:\\Images\\Some Game.cdi",
       {},
       {"the image path is in quotes: the launcher keeps them, so the mount command line gets "
        "them doubled: \"C:\\mt.exe\" -noicon -mount 0,\"\"D:\\Images\\Some Game.cdi\""}},
      {"a missing emulator program and emulator files",
       "[General]\nTolvimerExe=\"emu 2.exe\" -fast\n" + game,
       "",
       {"/emu/dc_flash.bin", "/emu/tolvimer.cfg"},
       {"the emulator program emu 2.exe is not in the launcher folder (Windows would still "
        "search the current folder, the system folders and PATH)",
        "the emulator file dc_flash.bin is not in the launcher folder: it is never patched",
        "the emulator file tolvimer.cfg is not in the launcher folder: it is never patched"}},
      {"a gamepad combination with no input, an exit key without a character",
       "[General]\nExit=112\n[GamePadExit]\nMapGamePadExit=true\nButton1=false\n" + game,
       "",
       {},
       {"[GamePadExit] MapGamePadExit is true but no input is switched on: the combination is "
        "met at the first check and play ends after 500 ms",
        "[General] Exit names virtual key 112 (F1), which has no character: the exit key "
        "becomes 0 and no key press ends play"}},
      {"an exit key polled as another key",
       "[General]\nExit=107\n" + game,
       "",
       {},
       {"[General] Exit names virtual key 107 (keypad plus), but the launcher polls the key of "
        "its character, 43 (virtual key 43)"}},
  };
  for (const WarningCase& c : cases) {
    for (const std::string& missing : c.missingFiles) files.erase(missing);
    const int status = c.image.empty() ? Plan(c.settings) : Plan(c.settings, c.image);
    EXPECT_EQ(status, 1) << c.name;
    EXPECT_EQ(Warnings(), c.expected) << c.name << "\n---\n" << output;
    PutFilesBack();
  }
}

// The undo record a killed run left, as its bytes.
std::string KilledRunRecord(bool emulator) {
  UndoRecord record;
  record.launcher = {412, 0x01DB000000000001ull};
  record.displaySwitched = true;
  record.emulatorStarted = emulator;
  record.emulator = {428, 0x01DB000000000002ull};
  const char line[] = "\"C:\\Tools\\mounter.exe\" -unmount 0";
  for (std::size_t i = 0; i < sizeof line; ++i) record.unmountLine[i] = line[i];
  unsigned char bytes[kUndoRecordSize];
  EncodeUndoRecord(record, bytes);
  return std::string(reinterpret_cast<const char*>(bytes), kUndoRecordSize);
}

TEST_F(PlanTest, TellsWhatTheNextLaunchWouldPutRightAfterACutShortRun) {
  const struct {
    const char* what;
    const char* settings;
    bool found;
    std::string record;
    const char* head;  // nullptr: no such line at all
  } cases[] = {
      {"Recover off", "[General]\nRecover=yes\n", true, KilledRunRecord(true), nullptr},
      {"nothing pending", "[General]\nRecover=true\n", false, "",
       "  cut-short run:   none pending (no tolvimer_launch.undo in the launcher folder)\n"},
      {"a killed run", "[General]\nRecover=TRUE\n", true, KilledRunRecord(true),
       "  cut-short run:   pending: a run cut short (launcher process id 412); unless that "
       "launcher still runs, the next launch first closes its emulator (process id 428) if it "
       "still runs, runs the unmount command line \"C:\\Tools\\mounter.exe\" -unmount 0, returns "
       "the desktop to the mode stored in the registry\n"},
      {"killed before the emulator", "[General]\nRecover=true\n", true, KilledRunRecord(false),
       "first runs the unmount command line"},
      {"a damaged file", "[General]\nRecover=true\n", true, KilledRunRecord(true).substr(0, 100),
       "  cut-short run:   tolvimer_launch.undo is cut off: the next launch acts on nothing in "
       "it\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    undoFound = c.found;
    undoRecord = c.record;
    Plan(c.settings);
    if (c.head == nullptr) {
      EXPECT_FALSE(Tells("cut-short run:")) << output;
    } else {
      EXPECT_TRUE(Tells(c.head)) << output;
    }
  }
}

// [General] MountTool custom: the lines the plan shows, and the values that
// would not do what they most likely mean.
TEST_F(PlanTest, ShowsCustomMountLinesAndWarnsOfTheirValues) {
  windowsPaths = true;
  files["C:\\Tools\\mt.exe"] = 1000;
  const std::string game = "[Some Game]\nCPU=100\n";
  const std::string custom = "[General]\nMountTool=custom\nUnmount=true\nDrive=e\n";
  struct Case {
    std::string settings;
    std::string image;
    std::vector<std::string> told;
    std::vector<std::string> expected;
  } cases[] = {
      {custom +
           "[CustomMount]\nExe=C:\\Tools\\mt.exe\nMountArgs=-m \"{image}\"\n"
           "UnmountArgs=-u {drive}:\n" +
           game,
       "\"D:\\Images\\Some Game.cdi\"",
       {"Plan of tolvimer_launch for the image: D:\\Images\\Some Game.cdi (its pair of double "
        "quotes taken off)\n",
        "-> the image path came in one pair of double quotes, taken off: D:\\Images\\Some "
        "Game.cdi\n",
        "-> mount the image, starting without waiting for it: \"C:\\Tools\\mt.exe\" -m "
        "\"D:\\Images\\Some Game.cdi\"\n",
        "[General] Drive = \"e\" (read again)\n"
        "        -> in the tool's environment, beside the launcher's own: TOLVIMER_IMAGE = "
        "D:\\Images\\Some Game.cdi, TOLVIMER_DRIVE = E:\n"
        "        -> unmount the image, starting without waiting for it: \"C:\\Tools\\mt.exe\" "
        "-u E:\n"},
       {}},
      {custom + "[CustomMount]\nExe=C:\\Tools\\other\nMountArgs=-m {path} {Drive}\n" + game,
       "",
       {},
       {"[CustomMount] Exe C:\\Tools\\other.exe does not exist",
        "[CustomMount] MountArgs has no {image} and no TOLVIMER_IMAGE: the tool is not told "
        "which image to mount",
        "[CustomMount] MountArgs: \"{path}\" is no placeholder ({image}, {drive}; {{ and }} for "
        "one brace): it is passed on as written",
        "[CustomMount] MountArgs: \"{Drive}\" is no placeholder ({image}, {drive}; {{ and }} for "
        "one brace): it is passed on as written",
        "[CustomMount] UnmountArgs is absent: nothing is unmounted"}},
      // A script that reads the path from its environment is told it; one
      // that would read {image} as script is not run, saying what to write.
      {custom +
           "[CustomMount]\nExe=C:\\Tools\\mt.exe\nMountArgs=-Command Mount-DiskImage "
           "-ImagePath $env:tolvimer_image\n" +
           game,
       "",
       {"-> mount the image, starting without waiting for it: \"C:\\Tools\\mt.exe\" -Command "
        "Mount-DiskImage -ImagePath $env:tolvimer_image\n"},
       {"[CustomMount] UnmountArgs is absent: nothing is unmounted"}},
      {custom +
           "[CustomMount]\nExe=C:\\Tools\\mt.exe\nMountArgs=/c powershell -Command "
           "\"Mount-DiskImage '{image}'\"\n" +
           game,
       "",
       {},
       {"[CustomMount] UnmountArgs is absent: nothing is unmounted",
        "the mount command line is not run: {image} stands in a line that PowerShell reads as "
        "script, where a file name could run as code: write $env:TOLVIMER_IMAGE in its place "
        "(with no quotes around it); every mount and unmount tool gets the image path in its "
        "environment as TOLVIMER_IMAGE, and the drive as TOLVIMER_DRIVE"}},
      {custom + "[CustomMount]\nMountArgs=\"{image}\"\nUnmountArgs='-u'\n" + game,
       "",
       // With the quotes gone, the launcher's own keep the path one argument.
       {"-> mount the image, starting without waiting for it: \"\" \"D:\\Images\\Some "
        "Game.cdi\"\n"},
       {"line 6: [CustomMount] MountArgs begins and ends with a double quote: the settings "
        "reader takes both off, so the tool gets {image} (put the quotes around the placeholder "
        "only, or add a word before them)",
        "line 7: [CustomMount] UnmountArgs begins and ends with a single quote: the settings "
        "reader takes both off, so the tool gets -u (put the quotes around the placeholder only, "
        "or add a word before them)",
        "[General] MountTool is custom but [CustomMount] has no Exe: the command lines begin "
        "with \"\" and no tool is started"}},
      {custom + "[CustomMount]\nExe=C:\\Tools\\mt.exe\nMountArgs={image}\n" + game,
       "D:\\" + std::string(2040, 'g') + ".cdi",
       {"-> the mount command line would be 2067 characters, 20 more than the 2047 that fit: it "
        "is not run\n"},
       {"the settings file has no section [" + std::string(255, 'g') +
            "]: every game key is absent; the closest game section is [Some Game]",
        "[CustomMount] UnmountArgs is absent: nothing is unmounted",
        "the mount command line would be 2067 characters, 20 more than the 2047 that fit: it is "
        "not run"}},
  };
  for (const Case& c : cases) {
    const int status = c.image.empty() ? Plan(c.settings) : Plan(c.settings, c.image);
    EXPECT_EQ(status, c.expected.empty() ? 0 : 1) << c.settings;
    for (const std::string& text : c.told) EXPECT_TRUE(Tells(text)) << text << "\n---\n" << output;
    EXPECT_EQ(Warnings(), c.expected) << c.settings << "\n---\n" << output;
  }
}

TEST_F(PlanTest, ListsAPlaylistsDiscsAndWarnsOfWhatASwapCannotDo) {
  windowsPaths = true;
  files["D:\\Games\\Disc 1.cdi"] = 1000;
  texts["D:\\Games\\Some Game.m3u"] = "# two discs\r\nDisc 1.cdi\r\nDisc 2.cdi\r\n";
  texts["D:\\Games\\Empty.m3u"] = "# none yet\r\n";
  const std::string mount =
      "[General]\nMountTool=daemontools\nUnmount=true\n[DaemonTools]\nExe=C:\\dt.exe\nDevice=0\n";
  const std::string game = "[Some Game]\nCPU=100\n[Empty]\nCPU=100\n";
  struct Case {
    std::string name;
    std::string settings;
    std::string image;
    std::vector<std::string> told;
    std::vector<std::string> warnings;
  } cases[] = {
      {"two discs, one missing, a key and a combination",
       "[General]\nNextDisc=78\n" + mount.substr(10) +
           "[GamePadNextDisc]\nMapGamePadNextDisc=true\nButton3=true\n" + game,
       "D:\\Games\\Some Game.m3u",
       {"-> read the playlist (2 discs)\n", "-> disc 1: D:\\Games\\Disc 1.cdi\n",
        "-> disc 2: D:\\Games\\Disc 2.cdi\n",
        "-> mount the image, starting without waiting for it: \"C:\\dt.exe\" -noicon -mount "
        "0,\"D:\\Games\\Disc 1.cdi\"\n",
        "-> the next-disc key: 78 (N)\n", "-> the gamepad next-disc combination: Button3\n"},
       {"disc 2 of the playlist, D:\\Games\\Disc 2.cdi, does not exist"}},
      {"swap keys without an unmount",
       "[General]\nMountTool=daemontools\n[DaemonTools]\nExe=C:\\dt.exe\n"
       "[GamePadNextDisc]\nMapGamePadNextDisc=true\n" +
           game,
       "D:\\Games\\Some Game.m3u",
       {"-> no next-disc key\n"},
       {"disc 2 of the playlist, D:\\Games\\Disc 2.cdi, does not exist",
        "a next-disc key or combination is set, but no unmount is run ([General] Unmount is not "
        "true, or no mount tool is set up): a swap does nothing",
        "[GamePadNextDisc] MapGamePadNextDisc is true but no input is switched on: the "
        "combination is met at the first check, and the discs are swapped then"}},
      {"a key without a character: polled as itself",
       "[General]\nNextDisc=34\n" + mount.substr(10) + game,
       "D:\\Games\\Some Game.m3u",
       {"-> the next-disc key: 34 (Page Down)\n"},
       {"disc 2 of the playlist, D:\\Games\\Disc 2.cdi, does not exist"}},
      {"the exit key's own key",
       "[General]\nNextDisc=27\n" + mount.substr(10) + game,
       "D:\\Games\\Some Game.m3u",
       {"-> the next-disc key: 27 (Esc) (warning: the exit key is polled first, so this key ends "
        "play and never swaps discs)\n"},
       {"disc 2 of the playlist, D:\\Games\\Disc 2.cdi, does not exist",
        "[General] NextDisc names virtual key 27 (Esc), the key the exit key polls: a press ends "
        "play and never swaps discs"}},
      {"a playlist path too long for the launcher",
       mount + game,
       "D:\\" + std::string(270, 'g') + ".m3u",
       {"-> read the playlist (its path is longer than the 263 characters that fit: it is not "
        "opened, and no disc is mounted)\n"},
       {"the playlist D:\\" + std::string(270, 'g') +
        ".m3u is a path longer than the 263 characters the launcher holds: no disc is mounted"}},
      {"a playlist without a disc",
       mount + game,
       "D:\\Games\\Empty.m3u",
       {"-> read the playlist (it names no disc: no disc is mounted)\n"},
       {"the playlist D:\\Games\\Empty.m3u cannot be read or names no disc: no disc is mounted"}},
      {"a playlist that is not there",
       mount + game,
       "D:\\Games\\Gone.m3u",
       {"-> read the playlist (it cannot be read: no disc is mounted)\n"},
       {"the playlist D:\\Games\\Gone.m3u cannot be read or names no disc: no disc is mounted"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Plan(c.settings, c.image);
    for (const std::string& told : c.told) EXPECT_TRUE(Tells(told)) << told << output;
    std::vector<std::string> warnings;
    for (const std::string& line : Warnings()) {
      if (line.find("playlist") != std::string::npos || line.find("disc") != std::string::npos) {
        warnings.push_back(line);
      }
    }
    EXPECT_EQ(warnings, c.warnings);
  }
}

}  // namespace
}  // namespace tolvimer::plan
