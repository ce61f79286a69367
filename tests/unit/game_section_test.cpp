#include <gtest/gtest.h>

#include <string>

#include "settings/settings.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer {
namespace {

TEST(GameSectionTest, TakesFileNameWithoutDriveDirectoryAndFinalExtension) {
  struct Case {
    std::string image;
    std::string section;
  } cases[] = {
      {"D:\\Images\\Some Game.cdi", "Some Game"},
      {"x.y.gdi", "x.y"},
      {"D:\\Images\\NoDot", "NoDot"},
      {"D:NoSeparator.cdi", "NoSeparator"},
      {"\"D:\\Images\\Some Game.cdi\"", "Some Game"},  // the closing quote falls into the extension
      {"\"D:\\Images\\NoDot\"", "NoDot\""},
      {"D:/Images/Forward.cdi", "Forward"},
      {"D:\\Images/Mixed\\Last.cdi", "Last"},
      {"D:\\Dir.v2\\NoDotName", "NoDotName"},          // a dot in a directory is no extension
      {"D:\\Images\\", ""},
      {".cdi", ""},
      {"C", "C"},
      {"\\\\server\\share\\Game.iso", "Game"},
      {"Some Game.cdi   ", "Some Game"},
  };
  for (const Case& c : cases) {
    testing::FakePlatform os;
    char section[kGameSectionMax + 1];
    GameSectionFromImagePath(os, c.image.c_str(), section);
    EXPECT_EQ(section, c.section) << c.image;
  }
}

TEST(GameSectionTest, DoubleByteCharactersAreTakenWhole) {
  testing::FakePlatform os;
  os.leadBytes[0x83] = true;  // a Shift-JIS lead byte
  os.leadBytes[0x95] = true;
  char section[kGameSectionMax + 1];
  // 0x83 0x5C and 0x95 0x5C end in the byte of '\', which must not cut the name.
  GameSectionFromImagePath(os, "D:\\Images\\\x83\x5C\x95\x5C.cdi", section);
  EXPECT_EQ(std::string(section), "\x83\x5C\x95\x5C");
  // A trail byte equal to '.' is no extension either.
  GameSectionFromImagePath(os, "D:\\\x83.name", section);
  EXPECT_EQ(std::string(section), "\x83.name");
  // A lead byte at the very end stands alone.
  GameSectionFromImagePath(os, "D:\\abc\x83", section);
  EXPECT_EQ(std::string(section), "abc\x83");
}

TEST(GameSectionTest, LongNamesAreCutTo255WithoutSplittingACharacter) {
  testing::FakePlatform os;
  char section[kGameSectionMax + 1];
  const std::string name(300, 'n');
  GameSectionFromImagePath(os, ("D:\\" + name + ".cdi").c_str(), section);
  EXPECT_EQ(std::string(section), std::string(255, 'n'));

  os.leadBytes[0x83] = true;
  std::string wide = std::string(254, 'n') + "\x83\x40" + "tail";
  GameSectionFromImagePath(os, wide.c_str(), section);
  EXPECT_EQ(std::string(section), std::string(254, 'n'));
}

}  // namespace
}  // namespace tolvimer
