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

// What GetKeyNameTextA names a virtual key with a US keyboard layout: the
// characters stored in `out` (at most size - 1 and a terminator), 0 for a
// key without a name.
inline std::uint32_t UsKeyName(std::uint32_t vk, char* out, std::uint32_t size) {
  constexpr struct {
    std::uint32_t vk;
    const char* name;
  } kNames[] = {{0x08, "Backspace"}, {0x09, "Tab"},      {0x0D, "Enter"},      {0x10, "Shift"},
                {0x11, "Ctrl"},      {0x12, "Alt"},      {0x13, "Pause"},      {0x14, "Caps Lock"},
                {0x1B, "Esc"},       {0x20, "Space"},    {0x21, "Page Up"},    {0x22, "Page Down"},
                {0x23, "End"},       {0x24, "Home"},     {0x25, "Left"},       {0x26, "Up"},
                {0x27, "Right"},     {0x28, "Down"},     {0x2D, "Insert"},     {0x2E, "Delete"},
                {0x6A, "Num *"},     {0x6B, "Num +"},    {0x6D, "Num -"},      {0x6E, "Num Del"},
                {0x6F, "Num /"},     {0x90, "Num Lock"}, {0x91, "Scroll Lock"}};
  // No printf: this header is built into the small programs too.
  char name[16] = {};
  for (const auto& known : kNames) {
    if (known.vk != vk) continue;
    for (std::uint32_t i = 0; known.name[i] != '\0' && i + 1 < sizeof name; ++i) {
      name[i] = known.name[i];
    }
  }
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
    name[0] = static_cast<char>(vk);
  } else if (vk >= 0x60 && vk <= 0x69) {
    const char numpad[] = {'N', 'u', 'm', ' ', static_cast<char>('0' + vk - 0x60), '\0'};
    for (std::uint32_t i = 0; i < sizeof numpad; ++i) name[i] = numpad[i];
  } else if (vk >= 0x70 && vk <= 0x87) {
    const std::uint32_t number = vk - 0x70 + 1;  // F1 to F24
    std::uint32_t i = 0;
    name[i++] = 'F';
    if (number >= 10) name[i++] = static_cast<char>('0' + number / 10);
    name[i] = static_cast<char>('0' + number % 10);
  } else if (name[0] == '\0') {
    const std::uint32_t character = UsKeyboardMap(vk, win::kMapVkToChar);
    if (character > 0x20) name[0] = static_cast<char>(character);
  }
  std::uint32_t n = 0;
  for (; name[n] && n + 1 < size; ++n) out[n] = name[n];
  if (size > 0) out[n] = '\0';
  return n;
}

}  // namespace tolvimer
