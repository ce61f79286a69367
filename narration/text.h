// A line of narration in a fixed buffer: appended piece by piece, cut (never
// overrun) at its capacity. No heap.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tolvimer {

class Text {
 public:
  // Room for a [CustomMount] command line of 2,047 characters and its words.
  static constexpr std::size_t kCapacity = 2304;

  Text() { text_[0] = '\0'; }

  Text& Add(const char* text);
  Text& Add(const char* text, std::size_t length);
  Text& Add(char c);
  Text& Number(std::int64_t value);
  // Upper-case hexadecimal, at least `digits` digits.
  Text& Hex(std::uint32_t value, int digits);
  // A value as it may be shown: control characters as \xHH.
  Text& Shown(const char* value);
  // As Shown, but only while the text stays within `room` characters; gives
  // where `value` goes on (its end once all of it is shown).
  const char* ShownWithin(const char* value, std::size_t room);
  void Clear();
  // Keeps the first `size` characters.
  void Cut(std::size_t size);

  const char* c_str() const { return text_; }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }

 private:
  char text_[kCapacity];
  std::size_t size_ = 0;
};

// A system error text (FormatMessageA's, inserts not filled in) as one line:
// line breaks as blanks, the insert %1 as "the file", other inserts left
// out, and without the closing full stop.
void AddSystemText(Text& text, const char* message);

// Copies at most size - 1 characters of `text` and a terminator.
void CopyCut(char* out, std::size_t size, const char* text);

}  // namespace tolvimer
