// The image path a front end passes as the launcher's whole command line.
#pragma once

#include <cstddef>

#include "mount/custom_mount.h"

namespace tolvimer {

// Room for the longest image path that still fits a mount command line.
constexpr std::size_t kImagePathSize = kCustomCommandSize;

// The image path of `commandLine`. A Windows path holds no double quote, so
// a command line that is one pair of double quotes around text with no other
// double quote, blanks after it aside, names the text inside (most front
// ends quote by default, some add a blank):
// that text is copied into `buffer`, and `unquoted` is set. Any other command
// line is the path as it stands, and so is a quoted one too long for
// `buffer` (no mount line could hold it).
const char* ImagePathOf(const char* commandLine, char (&buffer)[kImagePathSize], bool& unquoted);

}  // namespace tolvimer
