// A command line built piece by piece in a fixed buffer. A piece that no
// longer fits is counted but not written, so that a refused line still says
// how long it would have been.
#pragma once

#include <cstddef>

namespace tolvimer {

class CommandLineBuilder {
 public:
  CommandLineBuilder(char* buffer, std::size_t size) : buffer_(buffer), size_(size) {}

  void Add(const char* text, std::size_t length);
  void Add(const char* text);
  void Add(char c) { Add(&c, 1); }

  // Ends the line. True when the whole line and its terminator fit; false,
  // with the buffer emptied, when they do not: a cut command line would run
  // a different command, so it is never run.
  bool Finish();
  // The whole line's length in characters, written or not.
  std::size_t length() const { return length_; }

 private:
  char* buffer_;
  std::size_t size_;
  std::size_t length_ = 0;
};

}  // namespace tolvimer
