#include "mount/command_line.h"

#include <cstring>

namespace tolvimer {

void CommandLineBuilder::Add(const char* text, std::size_t length) {
  // Written only while the line so far and the terminator still fit.
  if (length_ + length < size_) std::memcpy(buffer_ + length_, text, length);
  length_ += length;
}

void CommandLineBuilder::Add(const char* text) { Add(text, std::strlen(text)); }

bool CommandLineBuilder::Finish() {
  if (size_ == 0) return false;
  const bool fits = length_ < size_;
  buffer_[fits ? length_ : 0] = '\0';
  return fits;
}

}  // namespace tolvimer
