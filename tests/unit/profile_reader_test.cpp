#include "platform/profile_reader.h"

#include <gtest/gtest.h>

#include <string>

namespace tolvimer {
namespace {

std::string Read(const std::string& text, const char* section, const char* key,
                 std::uint32_t size = 255) {
  char out[512];
  const std::uint32_t n = ReadProfileString(text.data(), text.size(), section, key, out, size);
  EXPECT_EQ(n, std::string(out).size());
  return out;
}

TEST(ProfileReaderTest, FollowsTheWindowsProfileRules) {
  struct Case {
    std::string text;
    const char* section;
    const char* key;
    std::string value;
  } cases[] = {
      {"[General]\nRegion=jap\n", "General", "Region", "jap"},
      {"[general]\r\nREGION=jap\r\n", "GENERAL", "region", "jap"},
      {"[ General ]\n  Region  =  jap  \n", "General", "Region", "jap"},
      {"[General]\nRegion=\"usa\"\n", "General", "Region", "usa"},
      {"[General]\nRegion='usa'\n", "General", "Region", "usa"},
      {"[General]\nRegion=\"usa\n", "General", "Region", "\"usa"},
      {"[General]\nRegion=jap\nRegion=usa\n", "General", "Region", "jap"},
      {"[General]\nRegion=jap\n[General]\nDrive=E\n", "General", "Drive", ""},
      {"[General]\n;Region=jap\n", "General", "Region", ""},
      {"[General]\n#Region=jap\n", "General", "#Region", "jap"},
      {"[General]\nRegion\nDrive=E\n", "General", "Drive", "E"},
      {"[General]\nRegion=jap ; comment\n", "General", "Region", "jap ; comment"},
      {"\xEF\xBB\xBF[General]\nRegion=jap\n", "General", "Region", ""},
      {"\xEF\xBB\xBF\n[General]\nRegion=jap\n", "General", "Region", "jap"},
      {std::string("\xFF\xFE[\0G\0]\0\n\0R\0=\0\x01\x01", 16), "g", "r", "a"},
      {"Region=jap\n[General]\n", "", "Region", "jap"},
      {"[General]\n;Region=jap\n", "General", ";Region", "jap"},
      {"[Other]\nRegion=jap\n", "General", "Region", ""},
      {"Region=jap\n[General]\n", "General", "Region", ""},
      {std::string("[General]\nRegion=jap\0usa\n", 22), "General", "Region", "jap"},
      {"[General]\nExe=C:\\a=b.exe\n", "General", "Exe", "C:\\a=b.exe"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Read(c.text, c.section, c.key), c.value) << c.text;
  }
}

TEST(ProfileReaderTest, CutsToTheReadSize) {
  const std::string text = "[General]\nExe=" + std::string(300, 'x') + "\n";
  EXPECT_EQ(Read(text, "General", "Exe"), std::string(254, 'x'));
  EXPECT_EQ(Read(text, "General", "Exe", 4), "xxx");
}

}  // namespace
}  // namespace tolvimer
