#include "launch/image_path.h"

#include <cstring>

namespace tolvimer {

const char* ImagePathOf(const char* commandLine, char (&buffer)[kImagePathSize], bool& unquoted) {
  unquoted = false;
  std::size_t length = std::strlen(commandLine);
  // Some front ends put blanks after the closing quote.
  if (commandLine[0] == '"') {
    while (length > 1 && (commandLine[length - 1] == ' ' || commandLine[length - 1] == '\t'))
      --length;
  }
  if (length < 2 || commandLine[0] != '"' || commandLine[length - 1] != '"' ||
      length - 2 >= sizeof buffer) {
    return commandLine;
  }
  if (std::memchr(commandLine + 1, '"', length - 2) != nullptr) return commandLine;
  std::memcpy(buffer, commandLine + 1, length - 2);
  buffer[length - 2] = '\0';
  unquoted = true;
  return buffer;
}

}  // namespace tolvimer
