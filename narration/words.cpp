#include "narration/words.h"

#include "emulator/menu_commands.h"
#include "settings/settings.h"

namespace tolvimer {

void AddVirtualKeyName(Text& text, std::uint32_t vk) {
  static constexpr struct {
    std::uint32_t vk;
    const char* name;
  } kNames[] = {
      {8, "Backspace"},   {9, "Tab"},         {13, "Enter"},         {27, "Escape"},
      {32, "Space"},      {0x6A, "keypad *"}, {0x6B, "keypad plus"}, {0x6D, "keypad minus"},
      {0x6E, "keypad ."}, {0x6F, "keypad /"}};
  for (const auto& known : kNames) {
    if (known.vk == vk) {
      text.Add(known.name);
      return;
    }
  }
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) {
    text.Add(static_cast<char>(vk));
  } else if (vk >= 0x60 && vk <= 0x69) {
    text.Add("keypad ").Number(vk - 0x60);
  } else if (vk >= 0x70 && vk <= 0x87) {
    text.Add("F").Number(vk - 0x70 + 1);
  } else {
    text.Add("virtual key ").Number(vk);
  }
}

void AddWordList(Text& text, const KnownKey& key) {
  bool first = true;
  for (const char* word : key.words) {
    if (word == nullptr) break;
    if (!first) text.Add(", ");
    text.Add(word);
    first = false;
  }
}

void AddValueNote(Text& text, const char* section, const char* key, const char* value) {
  const KnownKey* known = FindKnownKey(SectionKindOf(section), key);
  if (known == nullptr) return;
  switch (known->kind) {
    case ValueKind::kWords:
      if (IsRecognisedValue(*known, value)) return;
      text.Add(" (none of ");
      AddWordList(text, *known);
      text.Add(")");
      return;
    case ValueKind::kSwitch:
      if (!IsWord(value, "true")) text.Add(" (not \"true\")");
      return;
    case ValueKind::kInteger:
      if (!IsRecognisedValue(*known, value)) {
        text.Add(" (reads as ").Number(LeadingInteger(value)).Add(")");
      }
      return;
    case ValueKind::kSelector:
      // The one word that picks the row's first id.
      if (!IsWord(value, known->words[0])) text.Add(" (not \"").Add(known->words[0]).Add("\")");
      return;
    case ValueKind::kText:
      return;
  }
}

void AddCommandMeaning(Text& text, std::uint16_t id) {
  CommandSource source;
  if (!FindCommand(id, source)) {
    text.Add("not in the emulator command table");
    return;
  }
  switch (source.how) {
    case CommandSource::kAlways:
      text.Add("the first command, sent on every run");
      return;
    case CommandSource::kWord:
      text.Add(source.key).Add(" ").Add(source.word);
      return;
    case CommandSource::kOtherThan:
      text.Add(source.key).Add(" other than ").Add(source.word);
      return;
    case CommandSource::kNot:
      text.Add(source.key).Add(" not ").Add(source.word);
      return;
  }
}

}  // namespace tolvimer
