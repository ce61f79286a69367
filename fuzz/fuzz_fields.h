// Splits a fuzz input into text fields separated by NUL bytes, so that seed
// files stay readable and every field is an ordinary C string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tolvimer::fuzz {

// The first `count` - 1 fields end at a NUL; the last one takes the rest of
// the input, cut at its own first NUL. Missing fields are empty.
inline std::vector<std::string> Fields(const std::uint8_t* data, std::size_t size,
                                       std::size_t count) {
  std::vector<std::string> fields(count);
  std::size_t at = 0;
  for (std::size_t i = 0; i < count && at <= size; ++i) {
    std::size_t end = at;
    while (end < size && data[end] != 0) ++end;
    fields[i].assign(reinterpret_cast<const char*>(data) + at, end - at);
    at = end + 1;
  }
  return fields;
}

// A heap copy of exactly the text and its terminator, so that AddressSanitizer
// reports any read past the end.
inline std::unique_ptr<char[]> ExactCopy(const std::string& text) {
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  for (std::size_t i = 0; i <= text.size(); ++i) copy[i] = text.c_str()[i];
  return copy;
}

}  // namespace tolvimer::fuzz
