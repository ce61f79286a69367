// The words the dry run and the run log share for what they tell: names of
// virtual keys, a setting's words, why a value read does nothing, and what a
// menu command id or a patched byte means.
#pragma once

#include <cstdint>

#include "narration/setting_catalogue.h"
#include "narration/text.h"

namespace tolvimer {

// "Escape", "A", "keypad plus", "F1", "virtual key 200".
void AddVirtualKeyName(Text& text, std::uint32_t virtualKey);
// "640x480, 800x600, ..."
void AddWordList(Text& text, const KnownKey& key);
// What a read shows beyond its value: why a present value does nothing, as
// " (not \"true\")"; nothing for a value that acts.
void AddValueNote(Text& text, const char* section, const char* key, const char* value);
// The setting a menu command id comes from, as "Screen 800x600"; "not in the
// emulator command table" for any other id.
void AddCommandMeaning(Text& text, std::uint16_t id);

}  // namespace tolvimer
