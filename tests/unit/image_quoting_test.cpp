// The image path at {image}: one argument to the tool, character for
// character, in the quotes the user wrote and the tool's own syntax, or the
// line is refused with the character that stopped it.
#include "mount/image_quoting.h"

#include <gtest/gtest.h>

#include <string>

#include "mount/custom_mount.h"

namespace tolvimer::testing {
namespace {

const char kPowerShell[] = "C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe";
const char kCmd[] = "C:\\Windows\\System32\\cmd.exe";
const char kProgram[] = "C:\\Tools\\mt.exe";

// The line built, or "refused <byte>: <why in words>".
std::string Built(const char* exe, const char* args, const std::string& image) {
  char line[kCustomCommandSize];
  std::size_t length = 0;
  ImageRefusal refusal;
  if (BuildCustomCommandLine(line, exe, args, image.c_str(), 0, length, refusal)) {
    EXPECT_EQ(refusal.character, 0);
    return line;
  }
  EXPECT_EQ(line[0], '\0');
  char reason[kRefusalTextSize];
  DescribeRefusal(refusal, reason, sizeof reason);
  return "refused: " + std::string(reason);
}

std::string After(const char* exe, const std::string& rest) {
  return "\"" + std::string(exe) + "\" " + rest;
}

TEST(ImageQuotingTest, NamesInEachQuotingOfEachTool) {
  // The example file's PowerShell lines, and the same with other quotes.
  const char single[] = "-Command Mount-DiskImage -ImagePath '{image}'";
  const char typographic[] = "-Command Mount-DiskImage -ImagePath \x91{image}\x92";
  const char dbl[] = "-Command Mount-DiskImage -ImagePath \"{image}\"";
  const char bare[] = "-Command Mount-DiskImage -ImagePath {image}";
  const std::string ps = "-Command Mount-DiskImage -ImagePath ";
  const std::string psRefused = "refused: the image path holds ";
  struct Case {
    const char* exe;
    const char* args;
    std::string image;
    std::string expected;
  } cases[] = {
      // PowerShell, single quotes: its four single quote bytes doubled.
      {kPowerShell, single, "D:\\Images\\Some Game.cdi",
       After(kPowerShell, ps + "'D:\\Images\\Some Game.cdi'")},
      {kPowerShell, single, "D:\\Images\\x';Start-Process calc;'.iso",
       After(kPowerShell, ps + "'D:\\Images\\x'';Start-Process calc;''.iso'")},
      {kPowerShell, single, "D:\\Images\\Tony Hawk\x92s Game.cdi",
       After(kPowerShell, ps + "'D:\\Images\\Tony Hawk\x92\x92s Game.cdi'")},
      {kPowerShell, single, "D:\\\x82\x91x\x92.iso",
       After(kPowerShell, ps + "'D:\\\x82\x82\x91\x91x\x92\x92.iso'")},
      {kPowerShell, single, "D:\\Tom & Jerry $(calc) 100%.iso",
       After(kPowerShell, ps + "'D:\\Tom & Jerry $(calc) 100%.iso'")},
      {kPowerShell, single, "D:\\\x84x\x93y\x94.iso",
       After(kPowerShell, ps + "'D:\\\x84x\x93y\x94.iso'")},
      {kPowerShell, typographic, "D:\\it's.iso",
       After(kPowerShell, ps + "\x91"
                               "D:\\it''s.iso\x92")},
      {kPowerShell, single, "D:\\two  blanks.iso",
       psRefused + "a blank (byte 0x20), twice in a row, which PowerShell's command line joins "
                   "into one"},
      {kPowerShell, single, "D:\\\"x\".iso",
       psRefused + "'\"' (byte 0x22), which ends the double quotes"},
      // PowerShell, double quotes: $, the backtick and its double quotes
      // escaped by a backtick; its single quotes are plain there.
      {kPowerShell, dbl, "D:\\$(calc) `x`.iso",
       After(kPowerShell, ps + "\"D:\\`$(calc) ``x``.iso\"")},
      {kPowerShell, dbl, "D:\\\x84x\x93y\x94 it's.iso",
       After(kPowerShell, ps + "\"D:\\`\x84x`\x93y`\x94 it's.iso\"")},
      {kPowerShell, dbl, "D:\\Tom & Jerry 100%.iso",
       After(kPowerShell, ps + "\"D:\\Tom & Jerry 100%.iso\"")},
      // PowerShell, no quotes: a blank or any of its syntax refuses.
      {kPowerShell, bare, "D:\\Images\\game.cdi", After(kPowerShell, ps + "D:\\Images\\game.cdi")},
      {kPowerShell, bare, "D:\\Some Game.cdi",
       psRefused + "a blank (byte 0x20), which PowerShell reads as its own syntax outside quotes"},
      {kPowerShell, bare, "D:\\x;calc.iso",
       psRefused + "';' (byte 0x3B), which PowerShell reads as its own syntax outside quotes"},
      {kPowerShell, bare, "D:\\$(calc).iso",
       psRefused + "'$' (byte 0x24), which PowerShell reads as its own syntax outside quotes"},
      {kPowerShell, bare, "D:\\Hawk\x92s.iso",
       psRefused + "'\x92' (byte 0x92), which PowerShell reads as its own syntax outside quotes"},
      // A quote opened by a backtick-escaped quote is no quote.
      {kPowerShell, "-Command echo `'{image}", "D:\\a'b.iso",
       psRefused + "''' (byte 0x27), which PowerShell reads as its own syntax outside quotes"},
      // cmd.exe and its scripts: inside double quotes only % and ! expand,
      // with no escape there; outside, its syntax and blanks refuse.
      {kCmd, "/c mount.bat \"{image}\"", "D:\\Tom & Jerry (1).iso",
       After(kCmd, "/c mount.bat \"D:\\Tom & Jerry (1).iso\"")},
      {kCmd, "/c mount.bat \"{image}\"", "D:\\100%PATH%.iso",
       "refused: the image path holds '%' (byte 0x25), which cmd.exe expands or ends inside "
       "double quotes, with no escape there"},
      {kCmd, "/c mount.bat \"{image}\"", "D:\\Yes!.iso",
       "refused: the image path holds '!' (byte 0x21), which cmd.exe expands or ends inside "
       "double quotes, with no escape there"},
      {"D:\\Tools\\Mount.BAT", "'{image}'", "D:\\a&b.iso",
       "refused: the image path holds '&' (byte 0x26), which cmd.exe reads as its own syntax "
       "outside double quotes"},
      {kCmd, "/c mount.bat {image}", "D:\\Images\\game.cdi",
       After(kCmd, "/c mount.bat D:\\Images\\game.cdi")},
      {kCmd, "/c mount.bat {image}", "D:\\Some Game.cdi",
       "refused: the image path holds a blank (byte 0x20), which cmd.exe reads as its own "
       "syntax outside double quotes"},
      // Any other program: inside double quotes nothing expands, and a
      // backslash run before the closing quote is doubled; outside, a blank
      // refuses. Its single quotes are plain characters.
      {kProgram, "-m \"{image}\"", "D:\\Tom & Jerry $(calc) 100%\x92.iso",
       After(kProgram, "-m \"D:\\Tom & Jerry $(calc) 100%\x92.iso\"")},
      {kProgram, "-m \"{image}\"", "D:\\Images\\\\", After(kProgram, "-m \"D:\\Images\\\\\\\\\"")},
      {kProgram, "-m \"{image}\\x\"", "D:\\Images\\", After(kProgram, "-m \"D:\\Images\\\\x\"")},
      {kProgram, "-m {image}", "D:\\a&b$(c)%d%.iso", After(kProgram, "-m D:\\a&b$(c)%d%.iso")},
      {kProgram, "-m '{image}'", "D:\\Some Game.cdi",
       "refused: the image path holds a blank (byte 0x20), which splits an argument outside "
       "double quotes"},
      {kProgram, "-m \"{image}\"", "D:\\\"a\"\\x.cdi",
       "refused: the image path holds '\"' (byte 0x22), which ends the double quotes"},
      // Quotes closed before the placeholder leave it bare.
      {kProgram, "\"-m\" {image}", "D:\\Some Game.cdi",
       "refused: the image path holds a blank (byte 0x20), which splits an argument outside "
       "double quotes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.exe) + " " + c.args + " / " + c.image);
    EXPECT_EQ(Built(c.exe, c.args, c.image), c.expected);
  }
}

TEST(ImageQuotingTest, TheToolIsToldByExesFileName) {
  struct Case {
    const char* exe;
    ToolSyntax syntax;
  } cases[] = {
      {kPowerShell, ToolSyntax::kPowerShell},
      {"PWSH.EXE", ToolSyntax::kPowerShell},
      {"C:/Program Files/PowerShell/7/pwsh", ToolSyntax::kPowerShell},
      {kCmd, ToolSyntax::kCmd},
      {"C:\\Tools\\mount.cmd", ToolSyntax::kCmd},
      {"C:\\Tools\\mount.Bat", ToolSyntax::kCmd},
      {kProgram, ToolSyntax::kProgram},
      {"C:\\cmd.exe\\mt.exe", ToolSyntax::kProgram},
      {"C:\\Tools\\mypowershell.exe", ToolSyntax::kProgram},
      {".bat", ToolSyntax::kProgram},
      {"", ToolSyntax::kProgram},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exe);
    EXPECT_EQ(ToolSyntaxOf(c.exe), c.syntax);
  }
}

}  // namespace
}  // namespace tolvimer::testing
