#include "mount/image_quoting.h"

#include <cstring>

#include "mount/command_line.h"
#include "mount/tool_environment.h"
#include "settings/settings.h"

namespace tolvimer {
namespace {

// The shells and script hosts by their program's name, with or without
// ".exe"; a file ending in .bat or .cmd is run by cmd.exe too.
struct ShellName {
  const char* name;
  ToolKind kind;
};
constexpr ShellName kShellNames[] = {
    {"powershell", ToolKind::kPowerShell}, {"pwsh", ToolKind::kPowerShell},
    {"cmd", ToolKind::kCmd},               {"wscript", ToolKind::kScriptHost},
    {"cscript", ToolKind::kScriptHost},    {"mshta", ToolKind::kScriptHost},
    {"wsl", ToolKind::kUnixShell},         {"bash", ToolKind::kUnixShell},
    {"sh", ToolKind::kUnixShell}};
constexpr const char* kCmdScriptEndings[] = {".bat", ".cmd"};
constexpr char kProgramEnding[] = ".exe";

// What each kind writes to read the image path, and who it is in words.
struct ShellWords {
  ToolKind kind;
  const char* who;
  const char* reference;
  const char* note;
};
constexpr ShellWords kShellWords[] = {
    {ToolKind::kProgram, "the program", "{image}", ""},
    {ToolKind::kPowerShell, "PowerShell", "$env:TOLVIMER_IMAGE", " (with no quotes around it)"},
    {ToolKind::kCmd, "cmd.exe", "\"%TOLVIMER_IMAGE%\"", ""},
    {ToolKind::kScriptHost, "a script host",
     "CreateObject(\"WScript.Shell\").Environment(\"Process\")(\"TOLVIMER_IMAGE\")", ""},
    {ToolKind::kUnixShell, "a Unix shell", "\"$TOLVIMER_IMAGE\"",
     " (wsl passes it on when WSLENV names TOLVIMER_IMAGE)"},
};

const ShellWords& WordsOf(ToolKind kind) {
  for (const ShellWords& words : kShellWords) {
    if (words.kind == kind) return words;
  }
  return kShellWords[0];
}

bool EndsWith(const char* text, std::size_t length, const char* ending) {
  const std::size_t size = std::strlen(ending);
  return length > size && IsWordOfLength(text + length - size, size, ending);
}

// Characters that end a word of a line as the shells split it; a path's
// '/' also ends one (cmd.exe reads "cmd/c" as "cmd /c").
bool EndsWord(char c) { return c == '\0' || std::strchr(" \t\r\n&|;()<>,={}@/", c) != nullptr; }
// Characters a shell takes out of a word: quotes and escapes.
bool IsQuoteOrEscape(char c) { return c == '"' || c == '\'' || c == '^' || c == '`'; }

// The kind of a program path or of one word of a line (see ToolKindOfLine).
ToolKind ToolKindOfName(const char* name, std::size_t length) {
  // The file name: after the last '\' or '/', without the dots and blanks
  // that Windows drops from a name's end.
  for (std::size_t i = length; i > 0; --i) {
    if (name[i - 1] == '\\' || name[i - 1] == '/') {
      name += i;
      length -= i;
      break;
    }
  }
  while (length > 0 && (name[length - 1] == '.' || name[length - 1] == ' ')) --length;
  for (const char* ending : kCmdScriptEndings) {
    if (EndsWith(name, length, ending)) return ToolKind::kCmd;
  }
  const std::size_t bare = EndsWith(name, length, kProgramEnding)
                               ? length - (sizeof kProgramEnding - 1)
                               : length;
  for (const ShellName& row : kShellNames) {
    if (IsWordOfLength(name, bare, row.name)) return row.kind;
  }
  return ToolKind::kProgram;
}

// The last shell named among the file names of `word`'s pieces: the word
// with its quotes and escapes taken out, and each piece between quotes.
void NoteShells(const char* word, std::size_t length, ToolKind& found) {
  char joined[256];
  std::size_t kept = 0;
  std::size_t pieceStart = 0;
  for (std::size_t i = 0; i <= length; ++i) {
    const bool end = i == length || word[i] == '"' || word[i] == '\'';
    if (end) {
      const ToolKind kind = ToolKindOfName(word + pieceStart, i - pieceStart);
      if (kind != ToolKind::kProgram) found = kind;
      pieceStart = i + 1;
    }
    if (i < length && !IsQuoteOrEscape(word[i]) && kept < sizeof joined) joined[kept++] = word[i];
  }
  // A word longer than the buffer names no shell by its end: take it as one.
  if (kept == sizeof joined) return;
  const ToolKind kind = ToolKindOfName(joined, kept);
  if (kind != ToolKind::kProgram) found = kind;
}

std::size_t TrailingBackslashes(const char* text, std::size_t length) {
  std::size_t count = 0;
  while (count < length && text[length - 1 - count] == '\\') ++count;
  return count;
}

}  // namespace

ToolKind ToolKindOfLine(const char* exe, const char* args) {
  ToolKind found = ToolKindOfName(exe, std::strlen(exe));
  const char* word = args;
  for (const char* c = args;; ++c) {
    if (EndsWord(*c)) {
      if (c > word) NoteShells(word, static_cast<std::size_t>(c - word), found);
      word = c + 1;
    }
    if (*c == '\0') break;
  }
  return found;
}

void ArgumentScanner::Feed(const char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    const char c = text[i];
    if (c == '\\') {
      ++backslashes_;
      quoteJustClosed_ = false;
      continue;
    }
    if (c == '"' && backslashes_ % 2 == 0) {
      if (!inQuotes_ && quoteJustClosed_) unclear_ = true;
      quoteJustClosed_ = inQuotes_;
      inQuotes_ = !inQuotes_;
    } else {
      quoteJustClosed_ = false;  // an escaped quote is a plain character
    }
    backslashes_ = 0;
  }
}

bool MayNameAFile(const char* image) {
  for (const char* c = image; *c; ++c) {
    if (*c == '"' || static_cast<unsigned char>(*c) < 0x20) return false;
  }
  return true;
}

bool AddImageArgument(CommandLineBuilder& line, ArgumentScanner& scanner, const char* image,
                      std::size_t length, const char* rest, ImageRefusal& refusal) {
  refusal = ImageRefusal{};
  // The user's own quote right after the placeholder closes its argument.
  const bool quoteAfter = rest[0] == '"';
  const bool opens = !scanner.inQuotes();
  // Whether a double quote follows the path: the launcher's own closing
  // one, or the user's after any backslashes of theirs.
  const char* next = rest;
  while (*next == '\\') ++next;
  const bool quoteFollows = (opens && !quoteAfter) || *next == '"';
  const std::size_t trailing = TrailingBackslashes(image, length);
  if (scanner.unclear()) refusal.reason = ImageRefusal::kUnclearQuotes;
  else if (opens && scanner.quoteJustClosed()) refusal.reason = ImageRefusal::kQuoteBefore;
  else if (trailing > 0 && quoteFollows) refusal.reason = ImageRefusal::kBackslashEnd;
  if (refusal.reason != ImageRefusal::kNone) return false;

  if (opens) {
    // The Args text's own backslashes before the quote stay plain: 2n
    // backslashes before a quote give n.
    for (std::size_t i = 0; i < scanner.backslashes(); ++i) line.Add('\\');
    line.Add('"');
  }
  line.Add(image, length);
  if (opens && !quoteAfter) {
    line.Add('"');
    scanner.Set(false, 0, true);
  } else {
    scanner.Set(true, trailing, false);
  }
  return true;
}

void DescribeRefusal(const ImageRefusal& refusal, char* out, std::size_t size) {
  CommandLineBuilder text(out, size);
  const ShellWords& shell = WordsOf(refusal.shell);
  switch (refusal.reason) {
    case ImageRefusal::kShell:
      text.Add("{image} stands in a line that ");
      text.Add(shell.who);
      text.Add(" reads as script, where a file name could run as code: write ");
      text.Add(shell.reference);
      text.Add(" in its place");
      text.Add(shell.note);
      text.Add("; every mount and unmount tool gets the image path in its environment as ");
      text.Add(kImageVariable);
      text.Add(", and the drive as ");
      text.Add(kDriveVariable);
      break;
    case ImageRefusal::kNotAFileName:
      text.Add("the image path holds a double quote or a control character, which no Windows "
               "file name holds: pass the file's own path");
      break;
    case ImageRefusal::kBackslashEnd:
      text.Add("the image path ends in a backslash (byte 0x5C) right before a double quote, "
               "which would escape the quote: name the image file itself");
      break;
    case ImageRefusal::kUnclearQuotes:
      text.Add("the text before {image} holds \"\" inside double quotes, which programs read in "
               "two ways: write {image} outside any quotes (the launcher quotes it itself)");
      break;
    case ImageRefusal::kQuoteBefore:
      text.Add("{image} comes right after a closing double quote, where the quote the launcher "
               "puts around the path would read as a literal one: write a blank before {image}, "
               "or put {image} inside those quotes");
      break;
    case ImageRefusal::kNone:
      break;
  }
  text.Finish();
}

}  // namespace tolvimer
