#include "settings/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/fake/fake_platform.h"

namespace tolvimer {
namespace {

using testing::FakePlatform;

TEST(WordTest, MatchesWholeValueFoldingOnlyAsciiLetters) {
  struct Case {
    const char* value;
    const char* word;
    bool equal;
  } cases[] = {
      {"true", "true", true},      {"TRUE", "true", true},          {"True", "true", true},
      {"yes", "true", false},      {"1", "true", false},            {"true1", "true", false},
      {"tru", "true", false},      {"", "true", false},             {" true", "true", false},
      {"1024X768", "1024x768", true}, {"060", "60", false},         {"DaemonTools", "daemontools", true},
      {"\xC4", "\xE4", false},     {"ABOVENORMAL", "abovenormal", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IsWord(c.value, c.word), c.equal) << '"' << c.value << "\" vs \"" << c.word << '"';
  }
}

TEST(LeadingIntegerTest, ReadsLikeAtoiAndSaturates) {
  struct Case {
    const char* value;
    std::int32_t expected;
  } cases[] = {
      {"150", 150},
      {"150%", 150},
      {"  \t42", 42},
      {"+7", 7},
      {"-10", -10},
      {"2.9", 2},
      {"abc", 0},
      {"", 0},
      {"-", 0},
      {"0x1B", 0},
      {"2147483647", INT32_MAX},
      {"2147483648", INT32_MAX},
      {"-2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN},
      {"99999999999999999999999999", INT32_MAX},
      {"-99999999999999999999999999", INT32_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LeadingInteger(c.value), c.expected) << '"' << c.value << '"';
  }
}

TEST(LauncherDirectoryTest, CutsAfterLastBackslashAndRefusesPathsThatDoNotFit) {
  struct Case {
    std::string module;
    bool ok;
    std::string directory;
  } cases[] = {
      {"C:\\Emu\\tolvimer_launch.exe", true, "C:\\Emu\\"},
      {"C:\\tolvimer_launch.exe", true, "C:\\"},
      {"\\\\server\\share\\x\\launch.exe", true, "\\\\server\\share\\x\\"},
      {"launch.exe", true, "launch.exe"},                                  // no backslash: whole
      {"C:\\" + std::string(255, 'd') + "\\l.exe", false, ""},             // cut at 260
      {"C:\\" + std::string(250, 'd') + "\\a.exe", true, "C:\\" + std::string(250, 'd') + "\\"},
      {"", false, ""},                                                      // the call failed
  };
  for (const Case& c : cases) {
    FakePlatform os;
    os.modulePath = c.module;
    char directory[kPathBufferSize];
    EXPECT_EQ(GetLauncherDirectory(os, directory, sizeof directory), c.ok) << c.module;
    EXPECT_EQ(directory, c.directory) << c.module;
  }
}

TEST(LauncherDirectoryTest, TrailByteOfADoubleByteCharacterIsNoBackslash) {
  struct Case {
    std::string module;
    bool leadByte83;  // 0x83 opens a double-byte character (as in code page 932)
    std::string directory;
  } cases[] = {
      {"C:\\Emu\\launch\x83\x5C.exe", true, "C:\\Emu\\"},
      {"C:\\Emu\\\x83\x5C", true, "C:\\Emu\\"},
      {"C:\\Emu\x83\x5C\\launch.exe", true, "C:\\Emu\x83\x5C\\"},
      {"C:\\Emu\\launch\x83", true, "C:\\Emu\\"},  // a lead byte last stays a byte
      {"C:\\Emu\\launch\x83\x5C.exe", false, "C:\\Emu\\launch\x83\x5C"},
  };
  for (const Case& c : cases) {
    FakePlatform os;
    os.modulePath = c.module;
    os.leadBytes[0x83] = c.leadByte83;
    char directory[kPathBufferSize];
    EXPECT_TRUE(GetLauncherDirectory(os, directory, sizeof directory)) << c.module;
    EXPECT_EQ(directory, c.directory) << c.module;
  }
  // The settings file is then the one beside the launcher.
  FakePlatform os;
  os.modulePath = "C:\\Emu\\launch\x83\x5C.exe";
  os.leadBytes[0x83] = true;
  Settings settings(os);
  ASSERT_TRUE(settings.Locate());
  EXPECT_STREQ(settings.path(), "C:\\Emu\\tolvimer_launch.ini");
}

TEST(SettingsTest, PathIsLauncherDirectoryPlusFileNameOrNothingWhenTooLong) {
  FakePlatform os;
  Settings settings(os);
  ASSERT_TRUE(settings.Locate());
  EXPECT_STREQ(settings.path(), "C:\\Emu\\tolvimer_launch.ini");

  // 240 + 19 characters of file name: 263 fit, one more does not.
  const std::string fits = "C:\\" + std::string(240, 'd') + "\\";
  os.modulePath = fits + "x.exe";
  EXPECT_TRUE(settings.Locate());
  EXPECT_EQ(std::string(settings.path()), fits + "tolvimer_launch.ini");
  os.modulePath = "C:\\" + std::string(241, 'd') + "\\x.exe";
  Settings tooLong(os);
  EXPECT_FALSE(tooLong.Locate());
  EXPECT_FALSE(tooLong.Read("General", "Region"));
  // No read reaches the platform without a settings path.
  EXPECT_TRUE(os.Lines({"GetPrivateProfileString"}).empty());
}

TEST(SettingsTest, EmptyValuesAreAbsentAndLongValuesArriveCutTo254) {
  FakePlatform os;
  os.settingsText = "[General]\nRegion=\nDrive=E\nLong=" + std::string(300, 'v') + "\n";
  Settings settings(os);
  ASSERT_TRUE(settings.Locate());
  EXPECT_FALSE(settings.Read("General", "Region"));
  EXPECT_STREQ(settings.value(), "");
  EXPECT_FALSE(settings.Read("General", "Missing"));
  EXPECT_FALSE(settings.Read("Nowhere", "Drive"));
  EXPECT_TRUE(settings.Read("general", "DRIVE"));
  EXPECT_STREQ(settings.value(), "E");
  EXPECT_TRUE(settings.Read("General", "Long"));
  EXPECT_EQ(std::string(settings.value()), std::string(254, 'v'));

  os.settingsExist = false;
  EXPECT_FALSE(settings.Read("General", "Drive"));
}

TEST(SettingsTest, FallbackReadsSecondSectionOnlyWhenFirstIsAbsent) {
  struct Case {
    const char* text;
    bool present;
    const char* value;
    int reads;
  } cases[] = {
      {"[Game]\nScreen=640x480\n[General]\nScreen=800x600\n", true, "640x480", 1},
      {"[Game]\nScreen=\n[General]\nScreen=800x600\n", true, "800x600", 2},
      {"[General]\nScreen=800x600\n", true, "800x600", 2},
      {"[Game]\nScreen=720x480\n[General]\nScreen=800x600\n", true, "720x480", 1},
      {"[Game]\n", false, "", 2},
  };
  for (const Case& c : cases) {
    FakePlatform os;
    os.settingsText = c.text;
    Settings settings(os);
    ASSERT_TRUE(settings.Locate());
    EXPECT_EQ(settings.ReadWithFallback("Game", "General", "Screen"), c.present) << c.text;
    EXPECT_STREQ(settings.value(), c.value) << c.text;
    EXPECT_EQ(os.Lines({"GetPrivateProfileString"}).size(), static_cast<size_t>(c.reads))
        << c.text;
  }
}

TEST(SettingsTest, ReadIntoCallerBufferIsBounded) {
  FakePlatform os;
  os.settingsText = "[DaemonTools]\nExe=" + std::string(400, 'x') + "\n";
  Settings settings(os);
  ASSERT_TRUE(settings.Locate());
  char small[16];
  EXPECT_TRUE(settings.ReadInto("DaemonTools", "Exe", small, sizeof small));
  EXPECT_EQ(std::string(small), std::string(15, 'x'));
  char full[256];
  EXPECT_TRUE(settings.ReadInto("DaemonTools", "Exe", full, sizeof full));
  EXPECT_EQ(std::string(full), std::string(254, 'x'));
}

}  // namespace
}  // namespace tolvimer
