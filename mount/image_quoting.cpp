#include "mount/image_quoting.h"

#include <cstring>

#include "mount/command_line.h"
#include "settings/settings.h"

namespace tolvimer {
namespace {

// The tools by their program's file name; a name ending in .bat or .cmd is
// run by cmd.exe too.
struct ToolName {
  const char* name;
  ToolSyntax syntax;
};
constexpr ToolName kToolNames[] = {{"powershell.exe", ToolSyntax::kPowerShell},
                                   {"powershell", ToolSyntax::kPowerShell},
                                   {"pwsh.exe", ToolSyntax::kPowerShell},
                                   {"pwsh", ToolSyntax::kPowerShell},
                                   {"cmd.exe", ToolSyntax::kCmd},
                                   {"cmd", ToolSyntax::kCmd}};
constexpr const char* kCmdScriptEndings[] = {".bat", ".cmd"};

// The characters PowerShell takes as quotes, in Windows-1252: ' and the
// typographic single quotes U+201A, U+2018, U+2019; " and U+201E, U+201C,
// U+201D.
constexpr char kPowerShellSingleQuotes[] = "\x27\x82\x91\x92";
constexpr char kPowerShellDoubleQuotes[] = "\x22\x84\x93\x94";

// What each tool does with the image path where it stands. A path holding a
// `refused` character is not put in the line; `doubled` characters are
// written twice and `backticked` ones after a backtick, the tool's own
// escapes there. The double quote is refused everywhere: Windows allows none
// in a path, and it would end or begin an argument.
struct QuotingRule {
  ToolSyntax syntax;
  ImageQuotes quotes;
  const char* refused;
  const char* why;
  const char* doubled;
  const char* backticked;
  bool blankRunsRefused;        // PowerShell joins its arguments with one blank
  bool backslashesBeforeQuote;  // the C runtime halves a backslash run before "
};
constexpr QuotingRule kQuotingRules[] = {
    {ToolSyntax::kProgram, ImageQuotes::kBare, " \"",
     "which splits an argument outside double quotes", "", "", false, false},
    {ToolSyntax::kProgram, ImageQuotes::kDouble, "\"", "which ends the double quotes", "", "",
     false, true},
    {ToolSyntax::kCmd, ImageQuotes::kBare, " \"&|<>^()%!;,=",
     "which cmd.exe reads as its own syntax outside double quotes", "", "", false, false},
    {ToolSyntax::kCmd, ImageQuotes::kDouble, "\"%!",
     "which cmd.exe expands or ends inside double quotes, with no escape there", "", "", false,
     false},
    {ToolSyntax::kPowerShell, ImageQuotes::kBare, " \"'`$(){}[];,&|@#<>\x82\x84\x91\x92\x93\x94",
     "which PowerShell reads as its own syntax outside quotes", "", "", false, false},
    {ToolSyntax::kPowerShell, ImageQuotes::kSingle, "\"", "which ends the double quotes",
     kPowerShellSingleQuotes, "", true, false},
    {ToolSyntax::kPowerShell, ImageQuotes::kDouble, "\"", "which ends the double quotes", "",
     "$`\x84\x93\x94", true, true},
};
constexpr char kBlankRunWhy[] = "twice in a row, which PowerShell's command line joins into one";

bool Holds(const char* set, char c) { return c != '\0' && std::strchr(set, c) != nullptr; }

const QuotingRule& RuleFor(ToolSyntax syntax, ImageQuotes quotes) {
  for (const QuotingRule& rule : kQuotingRules) {
    if (rule.syntax == syntax && rule.quotes == quotes) return rule;
  }
  // Quotes the tool does not know are no quotes to it.
  return RuleFor(syntax, ImageQuotes::kBare);
}

}  // namespace

ToolSyntax ToolSyntaxOf(const char* exe) {
  const char* name = exe;
  for (const char* c = exe; *c; ++c) {
    if (*c == '\\' || *c == '/') name = c + 1;
  }
  for (const ToolName& row : kToolNames) {
    if (IsWord(name, row.name)) return row.syntax;
  }
  const std::size_t length = std::strlen(name);
  for (const char* ending : kCmdScriptEndings) {
    if (length > 4 && IsWord(name + length - 4, ending)) return ToolSyntax::kCmd;
  }
  return ToolSyntax::kProgram;
}

void QuoteScanner::Feed(const char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const char c = text[i];
    if (syntax_ != ToolSyntax::kPowerShell) {
      if (c == '"')
        quotes_ = quotes_ == ImageQuotes::kBare ? ImageQuotes::kDouble : ImageQuotes::kBare;
      continue;
    }
    if (escaped_) {
      escaped_ = false;
    } else if (quotes_ != ImageQuotes::kSingle && c == '`') {
      escaped_ = true;
    } else if (quotes_ == ImageQuotes::kBare) {
      if (Holds(kPowerShellSingleQuotes, c)) quotes_ = ImageQuotes::kSingle;
      if (Holds(kPowerShellDoubleQuotes, c)) quotes_ = ImageQuotes::kDouble;
    } else if (Holds(quotes_ == ImageQuotes::kSingle ? kPowerShellSingleQuotes
                                                     : kPowerShellDoubleQuotes,
                     c)) {
      quotes_ = ImageQuotes::kBare;
    }
  }
}

bool AddImagePath(CommandLineBuilder& line, ToolSyntax syntax, ImageQuotes quotes,
                  const char* image, std::size_t length, char next, ImageRefusal& refusal) {
  const QuotingRule& rule = RuleFor(syntax, quotes);
  for (std::size_t i = 0; i < length; ++i) {
    if (Holds(rule.refused, image[i])) {
      refusal = {static_cast<unsigned char>(image[i]), rule.why};
      return false;
    }
    if (rule.blankRunsRefused && image[i] == ' ' && i + 1 < length && image[i + 1] == ' ') {
      refusal = {' ', kBlankRunWhy};
      return false;
    }
  }
  for (std::size_t i = 0; i < length; ++i) {
    if (Holds(rule.backticked, image[i])) line.Add('`');
    line.Add(image[i]);
    if (Holds(rule.doubled, image[i])) line.Add(image[i]);
  }
  if (rule.backslashesBeforeQuote && next == '"') {
    // 2n backslashes before a quote give n: the path's own run is doubled.
    for (std::size_t i = length; i > 0 && image[i - 1] == '\\'; --i) line.Add('\\');
  }
  return true;
}

void DescribeRefusal(const ImageRefusal& refusal, char* out, std::size_t size) {
  static const char kHex[] = "0123456789ABCDEF";
  const char shown[] = {'\'', static_cast<char>(refusal.character), '\'', '\0'};
  const char byte[] = {kHex[refusal.character >> 4], kHex[refusal.character & 15], '\0'};
  CommandLineBuilder text(out, size);
  text.Add("the image path holds ");
  text.Add(refusal.character == ' ' ? "a blank" : shown);
  text.Add(" (byte 0x");
  text.Add(byte);
  text.Add("), ");
  text.Add(refusal.why != nullptr ? refusal.why : "");
  text.Finish();
}

}  // namespace tolvimer
