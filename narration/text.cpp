#include "narration/text.h"

namespace tolvimer {

void CopyCut(char* out, std::size_t size, const char* text) {
  std::size_t n = 0;
  for (; text[n] && n + 1 < size; ++n) out[n] = text[n];
  out[n] = '\0';
}

Text& Text::Add(const char* text) {
  while (*text && size_ + 1 < kCapacity) text_[size_++] = *text++;
  text_[size_] = '\0';
  return *this;
}

Text& Text::Add(const char* text, std::size_t length) {
  for (std::size_t i = 0; i < length && size_ + 1 < kCapacity; ++i) text_[size_++] = text[i];
  text_[size_] = '\0';
  return *this;
}

Text& Text::Add(char c) {
  if (size_ + 1 < kCapacity) text_[size_++] = c;
  text_[size_] = '\0';
  return *this;
}

Text& Text::Number(std::int64_t value) {
  char digits[24];
  int n = 0;
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) Add('-');
  while (n > 0) Add(digits[--n]);
  return *this;
}

Text& Text::Hex(std::uint32_t value, int digits) {
  char out[8];
  int n = 0;
  do {
    out[n++] = "0123456789ABCDEF"[value & 0xF];
    value >>= 4;
  } while (value != 0 && n < 8);
  for (int pad = n; pad < digits; ++pad) Add('0');
  while (n > 0) Add(out[--n]);
  return *this;
}

Text& Text::Shown(const char* value) {
  for (; *value; ++value) {
    const unsigned char b = static_cast<unsigned char>(*value);
    if (b < 0x20 || b == 0x7F) {
      Add("\\x").Hex(b, 2);
    } else {
      Add(*value);
    }
  }
  return *this;
}

void AddSystemText(Text& text, const char* message) {
  const std::size_t start = text.size();
  bool blank = true;  // no blank at the start, none doubled
  const auto addBlank = [&text, &blank] {
    if (!blank) text.Add(' ');
    blank = true;
  };
  for (const char* p = message; *p; ++p) {
    const char c = *p;
    if (c == '\r' || c == '\n' || c == '\t' || c == ' ') {
      addBlank();
    } else if (c == '%' && p[1] >= '1' && p[1] <= '9') {
      // An insert the system would fill in: %1 is the file a call named.
      const bool first = p[1] == '1' && !(p[2] >= '0' && p[2] <= '9');
      while (p[1] >= '0' && p[1] <= '9') ++p;
      if (first) {
        text.Add("the file");
        blank = false;
      }
    } else if (c == '%' && p[1] == '0') {
      break;  // the text ends here
    } else if (c == '%' && (p[1] == 'n' || p[1] == 'r' || p[1] == 't')) {
      ++p;
      addBlank();
    } else if (c == '%' && p[1] != '\0') {
      text.Add(*++p);  // %% %. %! and the like stand for the character
      blank = false;
    } else {
      text.Add(static_cast<unsigned char>(c) < 0x20 ? ' ' : c);
      blank = false;
    }
  }
  // Trailing blanks and the full stop some texts end with.
  std::size_t end = text.size();
  while (end > start && (text.c_str()[end - 1] == ' ' || text.c_str()[end - 1] == '.')) --end;
  text.Cut(end);
}

const char* Text::ShownWithin(const char* value, std::size_t room) {
  if (room > kCapacity - 1) room = kCapacity - 1;
  for (; *value; ++value) {
    const unsigned char b = static_cast<unsigned char>(*value);
    const std::size_t width = (b < 0x20 || b == 0x7F) ? 4 : 1;
    if (size_ + width > room) break;
    const char one[2] = {*value, '\0'};
    Shown(one);
  }
  return value;
}

void Text::Cut(std::size_t size) {
  if (size < size_) size_ = size;
  text_[size_] = '\0';
}

void Text::Clear() {
  size_ = 0;
  text_[0] = '\0';
}

}  // namespace tolvimer
