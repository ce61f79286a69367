// How the image path goes into a [CustomMount] line at {image}: read by the
// syntax of the tool that gets the line (told by [CustomMount] Exe's file
// name) in the quotes the user wrote around the placeholder. The path stays
// one argument, character for character, or the line is refused. Paths are
// Windows-1252 (ANSI) bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvimer {

class CommandLineBuilder;

// Who reads the line: PowerShell, cmd.exe (also for a .bat or .cmd file),
// or any other program, which splits it by the C runtime's rules.
enum class ToolSyntax : std::uint8_t { kProgram, kCmd, kPowerShell };
ToolSyntax ToolSyntaxOf(const char* exe);

// Where a placeholder stands in the Args text written so far.
enum class ImageQuotes : std::uint8_t { kBare, kSingle, kDouble };

// Follows the Args text piece by piece, as the tool will read its quotes.
class QuoteScanner {
 public:
  explicit QuoteScanner(ToolSyntax syntax) : syntax_(syntax) {}
  void Feed(const char* text, std::size_t length);
  ImageQuotes quotes() const { return quotes_; }

 private:
  ToolSyntax syntax_;
  ImageQuotes quotes_ = ImageQuotes::kBare;
  bool escaped_ = false;  // PowerShell: the backtick escapes the next character
};

// Why an image path cannot stand in a line: the first character that
// stopped it and the rule, in words.
struct ImageRefusal {
  unsigned char character = 0;
  const char* why = nullptr;
};

// Adds the image path as `syntax` reads it in `quotes`; `next` is the Args
// character after the placeholder. False, with `refusal` filled and nothing
// added, when the path cannot be one argument there.
bool AddImagePath(CommandLineBuilder& line, ToolSyntax syntax, ImageQuotes quotes,
                  const char* image, std::size_t length, char next, ImageRefusal& refusal);

// "the image path holds '$' (byte 0x24), which PowerShell expands inside
// double quotes"; empty when it does not fit `out` (kRefusalTextSize does).
constexpr std::size_t kRefusalTextSize = 160;
void DescribeRefusal(const ImageRefusal& refusal, char* out, std::size_t size);

}  // namespace tolvimer
