// What MapVirtualKeyA answers with a US keyboard layout, for the dry run and
// the recording fake, which have no keyboard of their own.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace tolvimer {

// The scan codes of the keys the launcher taps; the characters of digit,
// letter, keypad, punctuation and a few control keys; 0 for anything else.
inline std::uint32_t UsKeyboardMap(std::uint32_t code, std::uint32_t mapType) {
  if (mapType == win::kMapVkToVsc) {
    switch (code) {
      case win::kVkReturn:
        return 0x1C;
      case win::kVkEscape:
        return 0x01;
      case win::kVkAdd:
        return 0x4E;
      case win::kVkSubtract:
        return 0x4A;
      default:
        return 0;
    }
  }
  if (mapType != win::kMapVkToChar) return 0;
  // Backspace, Tab, Enter, Escape and Space are their own characters.
  if (code == 0x08 || code == 0x09 || code == win::kVkReturn || code == win::kVkEscape ||
      code == 0x20) {
    return code;
  }
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return code;
  if (code >= 0x60 && code <= 0x69) return '0' + (code - 0x60);  // keypad digits
  constexpr struct {
    std::uint32_t vk;
    char character;
  } kOthers[] = {{0x6A, '*'}, {0x6B, '+'},  {0x6D, '-'}, {0x6E, '.'}, {0x6F, '/'}, {0xBA, ';'},
                 {0xBB, '='}, {0xBC, ','},  {0xBD, '-'}, {0xBE, '.'}, {0xBF, '/'}, {0xC0, '`'},
                 {0xDB, '['}, {0xDC, '\\'}, {0xDD, ']'}, {0xDE, '\''}};
  for (const auto& other : kOthers) {
    if (other.vk == code) return static_cast<std::uint8_t>(other.character);
  }
  return 0;
}

}  // namespace tolvimer
