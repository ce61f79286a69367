// How the image path goes into a [CustomMount] line at {image}.
//
// A shell or script host reads its line as code, through layers no scan of
// the line can follow: there the path is never written. The tool finds it in
// its environment as TOLVIMER_IMAGE (tool_environment.h), and a line with
// {image} is refused, saying what to write instead.
//
// Any other program splits its command line by the C runtime's rules
// (msvcrt's start-up code, CommandLineToArgvW): the launcher writes the
// double quotes around the path itself, or takes the user's own around the
// placeholder as them, so the program's argument holds the path exactly.
// Only the double quote, the control characters and a backslash (0x5C) right
// before a closing quote are ever looked at; the first are no trail byte of
// any code page, and a last byte 0x5C refuses the line whether it is a
// backslash or a trail byte: the path's other bytes need no decision.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvimer {

class CommandLineBuilder;

// Who reads a line: a program by the C runtime's rules, or one of the shells
// and script hosts, each with its own way to read TOLVIMER_IMAGE.
enum class ToolKind : std::uint8_t { kProgram, kPowerShell, kCmd, kScriptHost, kUnixShell };

// Who reads {image} in the line `"exe" args`: the last shell the line names,
// Exe or any word of Args (`cmd /c powershell ...`), else a program. A shell
// is powershell, pwsh, cmd, wscript, cscript, mshta, wsl, bash or sh (with or
// without ".exe"), or a file ending in ".bat" or ".cmd".
ToolKind ToolKindOfLine(const char* exe, const char* args);

// Follows a program's Args text as the C runtime reads it: inside double
// quotes or not, and the backslashes just before.
class ArgumentScanner {
 public:
  void Feed(const char* text, std::size_t length);
  bool inQuotes() const { return inQuotes_; }
  std::size_t backslashes() const { return backslashes_; }
  // "" inside double quotes: start-up code of different years reads it in
  // two ways (one literal quote, the quotes then open or closed).
  bool unclear() const { return unclear_; }
  // The last character closed the quotes: a quote right after it would be
  // read as "" inside them.
  bool quoteJustClosed() const { return quoteJustClosed_; }
  // The launcher wrote text that leaves the line in this state.
  void Set(bool inQuotes, std::size_t backslashes, bool quoteJustClosed) {
    inQuotes_ = inQuotes;
    backslashes_ = backslashes;
    quoteJustClosed_ = quoteJustClosed;
  }

 private:
  bool inQuotes_ = false;
  bool unclear_ = false;
  bool quoteJustClosed_ = false;  // the last character closed the quotes
  std::size_t backslashes_ = 0;
};

// Why the image path cannot stand at an {image}.
struct ImageRefusal {
  enum Reason : std::uint8_t {
    kNone,
    kShell,            // a shell or script host reads the line: `shell` says which
    kNotAFileName,     // the path holds " or a control character, as no file name does
    kBackslashEnd,     // the path ends in byte 0x5C right before a double quote
    kUnclearQuotes,    // "" inside double quotes before the placeholder
    kQuoteBefore,      // the placeholder right after a closing double quote
  } reason = kNone;
  ToolKind shell = ToolKind::kProgram;
};

// Whether the image path can be a Windows file name as far as a tool's line
// or environment is concerned: no double quote, which would end the quotes
// around a cmd.exe script's "%TOLVIMER_IMAGE%" or a program's argument, and
// no control character. All are below 0x40, so no double-byte character's
// trail byte is one.
bool MayNameAFile(const char* image);

// Adds the image path at an {image} of a program's line, `scanner` holding
// the Args text so far and `rest` the Args text after the placeholder; the
// path is one that MayNameAFile. False, with `refusal` filled and nothing
// added, when the path cannot be written there as the program will read it.
bool AddImageArgument(CommandLineBuilder& line, ArgumentScanner& scanner, const char* image,
                      std::size_t length, const char* rest, ImageRefusal& refusal);

// The refusal in words, with what to write instead; empty when it does not
// fit `out` (kRefusalTextSize does).
constexpr std::size_t kRefusalTextSize = 400;
void DescribeRefusal(const ImageRefusal& refusal, char* out, std::size_t size);

}  // namespace tolvimer
