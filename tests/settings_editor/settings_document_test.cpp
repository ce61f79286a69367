// The editor's document: a file's bytes come back as they were, and an edit
// changes exactly the lines it is about, in files of every shape a user
// writes by hand, read by the launcher's rules.
#include "settings_editor/settings_document.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace tolvimer::editor {
namespace {

// A UTF-16LE file with its mark, from text whose characters are all below
// U+0100 but for the ones given as \u escapes in a u16 literal.
std::string Utf16(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

struct EditCase {
  const char* name;
  std::string before;
  std::function<void(SettingsDocument&)> edit;
  std::string after;
};

void Set(SettingsDocument& d, const char* section, const char* key, const char* value) {
  ASSERT_TRUE(d.SetValue(section, key, value)) << section << " " << key << "=" << value;
  std::string read;
  ASSERT_TRUE(d.Read(section, key, read) || *value == '\0');
  EXPECT_EQ(read, value) << "reads back as written";
}

const EditCase kEdits[] = {
    {"comments and blank lines stay",
     "; head\r\n\r\n[General]\r\n; the region\r\nRegion=usa\r\n\r\n[Other]\r\nX=1\r\n",
     [](SettingsDocument& d) { Set(d, "General", "Region", "euro"); },
     "; head\r\n\r\n[General]\r\n; the region\r\nRegion=euro\r\n\r\n[Other]\r\nX=1\r\n"},
    {"a key in odd case keeps its spelling and blanks", "[general]\r\n  rEgIoN =  usa  \r\n",
     [](SettingsDocument& d) { Set(d, "General", "Region", "jap"); },
     "[general]\r\n  rEgIoN =  jap\r\n"},
    {"a key line without '=' gets one", "[General]\r\nLog\r\n",
     [](SettingsDocument& d) { Set(d, "General", "Log", "true"); }, "[General]\r\nLog=true\r\n"},
    {"of duplicate keys the one read changes", "[General]\nDelay=1\nDelay=2\n",
     [](SettingsDocument& d) { Set(d, "General", "Delay", "5"); }, "[General]\nDelay=5\nDelay=2\n"},
    {"removing a duplicate key removes every line of it",
     "[General]\nDelay=1\nRegion=usa\ndelay=2\n",
     [](SettingsDocument& d) { EXPECT_TRUE(d.RemoveKey("General", "Delay")); },
     "[General]\nRegion=usa\n"},
    {"of duplicate sections the first gets a new key, after its last key",
     "[General]\nA=1\n; about B\n\n[Game]\nB=1\n[general]\nDelay=3\n",
     [](SettingsDocument& d) { Set(d, "General", "Delay", "4"); },
     "[General]\nA=1\nDelay=4\n; about B\n\n[Game]\nB=1\n[general]\nDelay=3\n"},
    {"a section without keys gets its key after the header", "[General]\r\n\r\n[Game]\r\n",
     [](SettingsDocument& d) { Set(d, "Game", "CPU", "120"); },
     "[General]\r\n\r\n[Game]\r\nCPU=120\r\n"},
    {"no final line end: an edited last line keeps none", "[General]\r\nRegion=usa",
     [](SettingsDocument& d) { Set(d, "General", "Region", "jap"); }, "[General]\r\nRegion=jap"},
    {"no final line end: a key added at the end has none", "[General]\r\nRegion=usa",
     [](SettingsDocument& d) { Set(d, "General", "Delay", "2"); },
     "[General]\r\nRegion=usa\r\nDelay=2"},
    {"no final line end: a section added at the end has none", "[General]\r\nX=1",
     [](SettingsDocument& d) { EXPECT_TRUE(d.AddSection("Some Game")); },
     "[General]\r\nX=1\r\n\r\n[Some Game]"},
    {"LF and CR LF mixed: each line keeps its own, a new one takes the first",
     "[General]\nRegion=usa\r\n[Game]\r\nCPU=100\r\n",
     [](SettingsDocument& d) {
       Set(d, "Game", "ZWrite", "true");
       Set(d, "General", "Region", "euro");
     },
     "[General]\nRegion=euro\r\n[Game]\r\nCPU=100\r\nZWrite=true\n"},
    {"a lone CR ends a line", "[General]\rRegion=usa\rDelay=1\r",
     [](SettingsDocument& d) { Set(d, "General", "Delay", "9"); },
     "[General]\rRegion=usa\rDelay=9\r"},
    {"UTF-16LE stays so, characters Windows-1252 lacks kept",
     Utf16(u"; caf\u00E9 \u2605\r\n[General]\r\nRegion=usa\r\n[\u2605 Game]\r\nCPU=1\r\n"),
     [](SettingsDocument& d) {
       Set(d, "General", "Region", "euro");
       Set(d, "Jeu \xE9t\xE9", "CPU", "150");
     },
     Utf16(u"; caf\u00E9 \u2605\r\n[General]\r\nRegion=euro\r\n[\u2605 Game]\r\nCPU=1\r\n"
           u"\r\n[Jeu \u00E9t\u00E9]\r\nCPU=150\r\n")},
    {"UTF-16LE with an odd last byte keeps it", Utf16(u"[General]\r\nRegion=usa\r\n") + "\x41",
     [](SettingsDocument& d) { Set(d, "General", "Region", "jap"); },
     Utf16(u"[General]\r\nRegion=jap\r\n") + "\x41"},
    {"an empty file gets the section and the key", "",
     [](SettingsDocument& d) { Set(d, "General", "Region", "usa"); },
     "[General]\r\nRegion=usa\r\n"},
    {"a UTF-8 mark makes line 1 no header, as the launcher reads it",
     "\xEF\xBB\xBF[General]\r\nRegion=usa\r\n",
     [](SettingsDocument& d) { Set(d, "General", "Region", "euro"); },
     "\xEF\xBB\xBF[General]\r\nRegion=usa\r\n\r\n[General]\r\nRegion=euro\r\n"},
    {"a value with blanks or its own quotes gets a pair of quotes",
     "[General]\r\nTolvimerExe=x.exe\r\n[DaemonTools]\r\nDevice=0\r\n",
     [](SettingsDocument& d) {
       Set(d, "General", "TolvimerExe", "\"C:\\Emu dir\\emu.exe\"");
       Set(d, "DaemonTools", "Device", " 1");
     },
     "[General]\r\nTolvimerExe=\"\"C:\\Emu dir\\emu.exe\"\"\r\n[DaemonTools]\r\nDevice=\" 1\"\r\n"},
    {"a comment that looks like the key is not the key", "[General]\n;Region=usa\n",
     [](SettingsDocument& d) { Set(d, "General", "Region", "jap"); },
     "[General]\n;Region=usa\nRegion=jap\n"},
    {"values no line can hold change nothing", "[General]\r\nRegion=usa\r\n",
     [](SettingsDocument& d) {
       EXPECT_FALSE(d.SetValue("General", "Region", "a\r\nDelay=5"));
       EXPECT_FALSE(d.SetValue("General", "Region", std::string(255, 'x')));
       EXPECT_FALSE(d.SetValue("General", " Region", "jap"));
       EXPECT_FALSE(d.SetValue("General", "A=B", "jap"));
       EXPECT_FALSE(d.SetValue("Gen\neral", "Region", "jap"));
       EXPECT_FALSE(d.RemoveKey("General", "Delay"));
       EXPECT_FALSE(d.AddSection("general"));
       EXPECT_FALSE(d.modified());
     },
     "[General]\r\nRegion=usa\r\n"},
};

TEST(SettingsDocumentTest, AnEditChangesExactlyItsLines) {
  for (const EditCase& c : kEdits) {
    SCOPED_TRACE(c.name);
    SettingsDocument document(c.before);
    EXPECT_EQ(document.Bytes(), c.before) << "read and written back unchanged";
    EXPECT_FALSE(document.modified());
    c.edit(document);
    EXPECT_EQ(document.Bytes(), c.after);
    EXPECT_EQ(document.modified(), c.before != c.after);
  }
}

TEST(SettingsDocumentTest, ReadsAsTheLauncherDoes) {
  const SettingsDocument document(
      "[General]\r\nRegion = 'usa' \r\nDelay=\r\n[general]\r\nDelay=4\r\n[Some Game]\r\nCPU=90");
  std::string value;
  EXPECT_TRUE(document.Read("GENERAL", "region", value));
  EXPECT_EQ(value, "usa");
  // An empty value is absent; a second section of the name is never read.
  EXPECT_FALSE(document.Read("General", "Delay", value));
  EXPECT_TRUE(document.Read("Some Game", "CPU", value));
  EXPECT_EQ(value, "90");
  EXPECT_TRUE(document.HasSection("some game"));
  EXPECT_FALSE(document.HasSection("Other"));
}

TEST(SettingsDocumentTest, AMissingFileIsEmptyAndSavedAsAnsiWithCrLf) {
  SettingsDocument document;
  EXPECT_EQ(document.Bytes(), "");
  EXPECT_EQ(document.encoding(), ProfileEncoding::kAnsi);
  EXPECT_TRUE(document.AddSection("Some Game"));
  EXPECT_TRUE(document.SetValue("Some Game", "ZWrite", "true"));
  EXPECT_EQ(document.Bytes(), "[Some Game]\r\nZWrite=true\r\n");
}

}  // namespace
}  // namespace tolvimer::editor
