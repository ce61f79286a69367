// [General] MountTool "custom": the user's own mount and unmount command
// lines, [CustomMount] Exe in double quotes, one blank, then MountArgs or
// UnmountArgs with their placeholders filled in.
#pragma once

#include <cstddef>

#include "mount/image_quoting.h"

namespace tolvimer {

// Room for the longest Exe and Args values together with a long image path.
constexpr std::size_t kCustomCommandSize = 2048;

// The placeholders of an Args value.
constexpr char kImagePlaceholder[] = "{image}";
constexpr char kDrivePlaceholder[] = "{drive}";

// One piece of an Args value, in the order they stand.
struct ArgsPiece {
  enum Kind {
    kText,          // copied as it is; "{{" and "}}" give one brace each
    kImage,         // {image}
    kDrive,         // {drive}
    kUnknownBrace,  // any other brace text, copied as written
    kEnd,
  } kind;
  const char* text;  // what a text or unknown brace piece copies
  std::size_t length;
};

// The piece that begins at `args`; `args` moves past it.
ArgsPiece NextArgsPiece(const char*& args);
// Whether `args` holds the placeholder of `kind`.
bool HasPiece(const char* args, ArgsPiece::Kind kind);

// Fills `line` with `"exe" args`, {image} as `imagePath`, one argument by
// the C runtime's rules (image_quoting.h), and {drive} as `driveLetter`
// (nothing when it is 0). False, with `line` empty, when the line does not
// fit (`length` is then the length it would have had), when the path can
// be no file's name, or when it cannot stand at an {image}: a shell reads
// the line, or the quotes around the placeholder do not allow it (`refusal`
// then says why).
bool BuildCustomCommandLine(char (&line)[kCustomCommandSize], const char* exe, const char* args,
                            const char* imagePath, char driveLetter, std::size_t& length,
                            ImageRefusal& refusal);

}  // namespace tolvimer
