#include "mount/custom_mount.h"

#include <cstring>

#include "mount/command_line.h"

namespace tolvimer {
namespace {

bool StartsWith(const char* text, const char* head) {
  return std::strncmp(text, head, std::strlen(head)) == 0;
}

}  // namespace

ArgsPiece NextArgsPiece(const char*& args) {
  const char* const start = args;
  if (*start == '\0') return {ArgsPiece::kEnd, start, 0};
  if ((start[0] == '{' && start[1] == '{') || (start[0] == '}' && start[1] == '}')) {
    args += 2;
    return {ArgsPiece::kText, start, 1};
  }
  if (StartsWith(start, kImagePlaceholder)) {
    args += sizeof kImagePlaceholder - 1;
    return {ArgsPiece::kImage, start, 0};
  }
  if (StartsWith(start, kDrivePlaceholder)) {
    args += sizeof kDrivePlaceholder - 1;
    return {ArgsPiece::kDrive, start, 0};
  }
  if (*start == '{' || *start == '}') {
    // Up to the next closing brace, unless another brace opens first.
    ++args;
    if (*start == '{') {
      while (*args && *args != '{' && *args != '}') ++args;
      if (*args == '}')
        ++args;
      else
        args = start + 1;
    }
    return {ArgsPiece::kUnknownBrace, start, static_cast<std::size_t>(args - start)};
  }
  while (*args && *args != '{' && *args != '}') ++args;
  return {ArgsPiece::kText, start, static_cast<std::size_t>(args - start)};
}

bool HasPiece(const char* args, ArgsPiece::Kind kind) {
  for (ArgsPiece piece = NextArgsPiece(args); piece.kind != ArgsPiece::kEnd;
       piece = NextArgsPiece(args)) {
    if (piece.kind == kind) return true;
  }
  return false;
}

bool BuildCustomCommandLine(char (&line)[kCustomCommandSize], const char* exe, const char* args,
                            const char* imagePath, char driveLetter, std::size_t& length,
                            ImageRefusal& refusal) {
  line[0] = '\0';
  length = 0;
  refusal = ImageRefusal{};
  // The tool gets the path, in its line or its environment, only as a name.
  if (!MayNameAFile(imagePath)) {
    refusal.reason = ImageRefusal::kNotAFileName;
    return false;
  }
  // A shell would read the path as script: it gets it from its environment.
  const ToolKind kind = ToolKindOfLine(exe, args);
  if (kind != ToolKind::kProgram && HasPiece(args, ArgsPiece::kImage)) {
    refusal.reason = ImageRefusal::kShell;
    refusal.shell = kind;
    return false;
  }
  const std::size_t imageLength = std::strlen(imagePath);
  CommandLineBuilder builder(line, sizeof line);
  builder.Add('"');
  builder.Add(exe);
  builder.Add("\" ");
  ArgumentScanner scanner;
  for (ArgsPiece piece = NextArgsPiece(args); piece.kind != ArgsPiece::kEnd;
       piece = NextArgsPiece(args)) {
    if (piece.kind == ArgsPiece::kImage) {
      if (!AddImageArgument(builder, scanner, imagePath, imageLength, args, refusal)) {
        line[0] = '\0';
        return false;
      }
    } else if (piece.kind == ArgsPiece::kDrive) {
      if (driveLetter != '\0') {
        builder.Add(driveLetter);
        scanner.Feed(&driveLetter, 1);
      }
    } else {
      builder.Add(piece.text, piece.length);
      scanner.Feed(piece.text, piece.length);
    }
  }
  length = builder.length();
  return builder.Finish();
}

}  // namespace tolvimer
