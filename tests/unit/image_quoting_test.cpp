// The image path at {image}: a program's argument holding exactly the name,
// as the C runtime splits the line; a shell's line is refused, saying what
// to write instead, and the tool finds the name in its environment.
#include "mount/image_quoting.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mount/custom_mount.h"
#include "mount/mount_commands.h"
#include "settings/settings.h"
#include "tests/fake/fake_platform.h"
#include "tests/reference/c_runtime_split.h"

namespace tolvimer::testing {
namespace {

using reference::SplitCommandLine;

const char kProgram[] = "C:\\Tools\\mt.exe";

// The names every tool kind and form is tried with: every quote of code
// page 1252 and their Unicode forms in UTF-8, the shells' syntax, runs of
// blanks, CR and LF, a code page 932 name (trail bytes 0x5C '\', 0x7C '|'
// and 0x60 '`') and a UTF-8 name.
struct Name {
  const char* what;
  std::string bytes;
  bool cp932;
};
const Name kNames[] = {
    {"blanks", "D:\\Images\\Some Game.cdi", false},
    {"single quotes", "D:\\Images\\x';calc;'.iso", false},
    {"semicolons", "D:\\Images\\x;Start-Process calc;.iso", false},
    {"subexpression and backticks", "D:\\Images\\$(calc) `x`.iso", false},
    {"cmd variables", "D:\\Images\\100%PATH%!x!.iso", false},
    {"cmd syntax", "D:\\Images\\Tom & Jerry ^(1)|<2>.iso", false},
    {"runs of blanks and a tab", "D:\\Images\\two  blanks\t  three .iso", false},
    {"CR and LF", "D:\\Images\\a\rb\nc.iso", false},
    {"code page 1252 quotes", "D:\\Images\\\x82\x84\x8B\x9B\x91\x92\x93\x94\xAB\xBB\xB4.iso",
     false},
    {"Unicode quotes in UTF-8",
     "D:\\Images\\\xE2\x80\x98\xE2\x80\x99\xE2\x80\x9A\xE2\x80\x9B\xE2\x80\x9C\xE2\x80\x9D"
     "\xE2\x80\x9E\xEF\xBC\x82\xEF\xBC\x87.iso",
     false},
    {"code page 932", "D:\\\x95\x5C\x8E\xA6\\\x83\x7C\x83\x60 \x95\x5C.iso", true},
    {"UTF-8 name", "D:\\Images\\Caf\xC3\xA9 \xE2\x80\x93 \xC5\x8Ckami.iso", false},
    {"a share", "\\\\server\\share\\game.iso", false},
    {"a double quote", "D:\\Images\\a\"b.iso", false},
    {"ends in a backslash", "D:\\Images\\", false},
    {"ends in a trail byte 0x5C", "D:\\Images\\\x95\x5C", true},
};

// A program's Args forms: the argument the name stands in, what the
// argument holds around it, and whether a double quote comes right after it.
struct Form {
  const char* args;
  std::size_t index;  // in argv
  const char* before;
  const char* after;
  std::size_t argc;
  bool quoteAfter;
};
const Form kForms[] = {
    {"-m {image}", 2, "", "", 3, true},
    {"-m \"{image}\"", 2, "", "", 3, true},
    {"/M:\"{image}\"", 1, "/M:", "", 2, true},
    {"-noicon -mount 0,\"{image}\"", 3, "0,", "", 4, true},
    {"\"--path={image}\" -x", 1, "--path=", "", 3, true},
    {"dir\\{image} -x", 1, "dir\\", "", 3, true},
    {"{image}\" -x", 1, "", "", 3, true},
    {"\"{image}\\x\" {drive}:", 1, "", "\\x", 3, false},
    {"-a\t{image}", 2, "", "", 3, true},
};

// No double quote and no control character: the test's own reading.
bool IsFileNameText(const std::string& name) {
  for (const char c : name) {
    if (c == '"' || static_cast<unsigned char>(c) < 0x20) return false;
  }
  return true;
}

// Builds the line of Exe and Args for `image`, drive E.
bool Build(const char* exe, const char* args, const std::string& image, std::string& line,
           ImageRefusal& refusal) {
  char out[kCustomCommandSize];
  std::size_t length = 0;
  const bool built = BuildCustomCommandLine(out, exe, args, image.c_str(), 'E', length, refusal);
  line = out;
  return built;
}

TEST(ImageQuotingTest, AProgramGetsExactlyTheNameAsItsArgument) {
  for (const Form& form : kForms) {
    for (const Name& name : kNames) {
      SCOPED_TRACE(std::string(form.args) + " / " + name.what);
      std::string line;
      ImageRefusal refusal;
      const bool built = Build(kProgram, form.args, name.bytes, line, refusal);
      const bool noName = !IsFileNameText(name.bytes);
      const bool backslashEnd = name.bytes.back() == '\\' && form.quoteAfter;
      if (noName || backslashEnd) {
        EXPECT_FALSE(built);
        EXPECT_EQ(line, "");
        EXPECT_EQ(refusal.reason,
                  noName ? ImageRefusal::kNotAFileName : ImageRefusal::kBackslashEnd);
        continue;
      }
      ASSERT_TRUE(built);
      // Both readings of "" and, for a code page 932 name, both of its
      // trail bytes (as the start-up code and the wide text read them, and
      // byte by byte) agree on every argument.
      for (const bool modern : {true, false}) {
        for (const bool dbcs : {false, true}) {
          if (dbcs && !name.cp932) continue;
          const std::vector<std::string> argv =
              SplitCommandLine(line, modern, dbcs ? reference::Cp932Lead : reference::NoLeadBytes);
          ASSERT_EQ(argv.size(), form.argc) << line;
          EXPECT_EQ(argv[0], kProgram);
          EXPECT_EQ(argv[form.index], form.before + name.bytes + form.after) << line;
          if (form.argc > form.index + 1) {
            EXPECT_TRUE(argv.back() == "-x" || argv.back() == "E:") << line;
          }
        }
      }
    }
  }
}

// The user's own quotes before the placeholder: where programs read them
// two ways, or where the launcher's quote would read as a literal one, the
// line is refused, saying what to write.
TEST(ImageQuotingTest, QuotesThatCannotHoldThePathRefuseTheLine) {
  struct Case {
    const char* args;
    ImageRefusal::Reason reason;
    const char* instead;
  } cases[] = {
      {"\"a \"\" b {image}\"", ImageRefusal::kUnclearQuotes, "write {image} outside any quotes"},
      {"\"\"\"{image}", ImageRefusal::kUnclearQuotes, "write {image} outside any quotes"},
      {"\"-f\"{image}", ImageRefusal::kQuoteBefore, "write a blank before {image}"},
      {"-m \"{image}\\\\\"", ImageRefusal::kNone, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    std::string line;
    ImageRefusal refusal;
    const bool built = Build(kProgram, c.args, "D:\\Images\\game.cdi", line, refusal);
    EXPECT_EQ(built, c.reason == ImageRefusal::kNone);
    EXPECT_EQ(refusal.reason, c.reason);
    if (built) {
      EXPECT_EQ(SplitCommandLine(line, true)[2], "D:\\Images\\game.cdi\\") << line;
      continue;
    }
    char text[kRefusalTextSize];
    DescribeRefusal(refusal, text, sizeof text);
    EXPECT_NE(std::string(text).find(c.instead), std::string::npos) << text;
  }
}

// Shells and script hosts: named by Exe or by any word of Args, the last
// named being who reads {image}.
TEST(ImageQuotingTest, ShellsAreToldByExeOrByAnyWordOfTheLine) {
  struct Case {
    const char* exe;
    const char* args;
    ToolKind kind;
  } cases[] = {
      {"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe", "-Command x",
       ToolKind::kPowerShell},
      {"PWSH.EXE", "", ToolKind::kPowerShell},
      {"C:/Program Files/PowerShell/7/pwsh", "", ToolKind::kPowerShell},
      {"C:\\Windows\\System32\\cmd.exe", "/c x", ToolKind::kCmd},
      {"C:\\Tools\\mount.Bat", "", ToolKind::kCmd},
      {"C:\\Tools\\mount.cmd. ", "", ToolKind::kCmd},
      {"wscript.exe", "", ToolKind::kScriptHost},
      {"C:\\Windows\\System32\\CScript", "", ToolKind::kScriptHost},
      {"mshta.exe", "", ToolKind::kScriptHost},
      {"wsl.exe", "", ToolKind::kUnixShell},
      {"C:\\msys64\\usr\\bin\\bash.exe", "", ToolKind::kUnixShell},
      // A shell the line starts, the last one named reading {image}.
      {"C:\\Windows\\System32\\cmd.exe", "/c powershell -Command \"x '{image}'\"",
       ToolKind::kPowerShell},
      {"cmd.exe", "/c\"\"C:\\Program Files\\PowerShell\\7\\pwsh.exe\" -c x\"",
       ToolKind::kPowerShell},
      {"powershell.exe", "-Command \"& 'C:\\Tools\\mount.bat' {image}\"", ToolKind::kCmd},
      {"C:\\Tools\\runner.exe", "cmd/c mount {image}", ToolKind::kCmd},
      {"C:\\Tools\\runner.exe", "-x po^wer\"shell\" -c", ToolKind::kPowerShell},
      {"C:\\Tools\\runner.exe", "--then=wsl.exe -e", ToolKind::kUnixShell},
      // Programs.
      {"C:\\Tools\\mt.exe", "-m \"{image}\"", ToolKind::kProgram},
      {"C:\\cmd.exe\\mt.exe", "", ToolKind::kProgram},
      {"C:\\Tools\\mypowershell.exe", "--bash-like", ToolKind::kProgram},
      {".bat", "", ToolKind::kProgram},
      {"", "", ToolKind::kProgram},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.exe) + " " + c.args);
    EXPECT_EQ(ToolKindOfLine(c.exe, c.args), c.kind);
  }
}

// Every shell and form with {image}, whatever the name: refused, the line
// never holds the name, and the log and plan say what to write instead.
TEST(ImageQuotingTest, AShellLineWithTheImageIsRefusedSayingWhatToWrite) {
  struct Case {
    const char* exe;
    const char* args;
    const char* instead;
  } cases[] = {
      {"powershell.exe", "-NoProfile -Command \"Mount-DiskImage -ImagePath '{image}'\"",
       "write $env:TOLVIMER_IMAGE in its place"},
      {"powershell.exe", "-Command Mount-DiskImage -ImagePath \"{image}\"",
       "write $env:TOLVIMER_IMAGE in its place"},
      {"pwsh", "-File mount.ps1 {image}", "write $env:TOLVIMER_IMAGE in its place"},
      {"cmd.exe", "/c \"\"C:\\Tools\\mount.exe\" -mount \"{image}\"\"",
       "write \"%TOLVIMER_IMAGE%\" in its place"},
      {"C:\\Tools\\mount.bat", "{image}", "write \"%TOLVIMER_IMAGE%\" in its place"},
      {"cmd.exe", "/c powershell -Command \"Mount-DiskImage '{image}'\"",
       "write $env:TOLVIMER_IMAGE in its place"},
      {"cscript.exe", "//nologo mount.vbs \"{image}\"",
       "write CreateObject(\"WScript.Shell\").Environment(\"Process\")(\"TOLVIMER_IMAGE\")"},
      {"wsl.exe", "mount-image \"{image}\"", "write \"$TOLVIMER_IMAGE\" in its place"},
  };
  for (const Case& c : cases) {
    for (const Name& name : kNames) {
      SCOPED_TRACE(std::string(c.exe) + " " + c.args + " / " + name.what);
      std::string line;
      ImageRefusal refusal;
      EXPECT_FALSE(Build(c.exe, c.args, name.bytes, line, refusal));
      EXPECT_EQ(line, "");
      if (!IsFileNameText(name.bytes)) {
        EXPECT_EQ(refusal.reason, ImageRefusal::kNotAFileName);
        continue;
      }
      EXPECT_EQ(refusal.reason, ImageRefusal::kShell);
      char text[kRefusalTextSize];
      DescribeRefusal(refusal, text, sizeof text);
      EXPECT_NE(std::string(text).find(c.instead), std::string::npos) << text;
      EXPECT_NE(std::string(text).find("TOLVIMER_DRIVE"), std::string::npos) << text;
    }
  }
}

// The example file's PowerShell lines: the line is the same for every name,
// and the tool's environment holds the name exactly, and the drive; a name
// that no file can have is never handed on.
TEST(ImageQuotingTest, AShellGetsTheNameThroughItsEnvironment) {
  const std::string args =
      "-NoProfile -NonInteractive -WindowStyle Hidden -Command Mount-DiskImage -ImagePath "
      "$env:TOLVIMER_IMAGE";
  for (const Name& name : kNames) {
    SCOPED_TRACE(name.what);
    FakePlatform os;
    os.settingsText =
        "[General]\nMountTool=custom\nDrive=f\n[CustomMount]\n"
        "Exe=C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe\nMountArgs=" +
        args + "\n";
    Settings settings(os);
    ASSERT_TRUE(settings.Locate());
    MountDiscImage(settings, name.bytes.c_str());
    // A path no file can have, which cmd.exe's "%TOLVIMER_IMAGE%" would let
    // out of its quotes, reaches no tool.
    if (!IsFileNameText(name.bytes)) {
      EXPECT_EQ(os.environments.size(), 0u);
      continue;
    }
    ASSERT_EQ(os.environments.size(), 1u);
    const std::string line = os.environments[0].commandLine;
    EXPECT_EQ(line,
              "\"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe\" " + args);
    EXPECT_EQ(os.EnvironmentValue(0, "TOLVIMER_IMAGE"), name.bytes);
    EXPECT_EQ(os.EnvironmentValue(0, "TOLVIMER_DRIVE"), "F:");
    // PowerShell joins the words after -Command into its script: the
    // variable's name, never the file's.
    const std::vector<std::string> argv = SplitCommandLine(line, true);
    std::string script;
    for (std::size_t i = 6; i < argv.size(); ++i) script += (i > 6 ? " " : "") + argv[i];
    EXPECT_EQ(script, "Mount-DiskImage -ImagePath $env:TOLVIMER_IMAGE");
  }
}

}  // namespace
}  // namespace tolvimer::testing
