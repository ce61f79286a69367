// The emulator command table: which WM_COMMAND id each setting posts.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "settings/settings.h"

namespace tolvimer {

// Rows of the emulator command table, numbered from 1 in sending order.
constexpr int kFirstCommandRow = 1;
constexpr int kLastCommandRow = 14;

// Posts one menu command to the emulator window: WM_COMMAND with the id in
// the low word (notification code 0) and no control window.
void SendMenuCommand(Platform& os, std::uint16_t id);
// Posts the command when the whole value equals the word, A to Z folded.
void SendMenuCommandIf(Platform& os, const char* value, const char* word, std::uint16_t id);
// Walks rows firstRow to lastRow of the command table in order, each a step
// of its own, reading each row's key from the settings file at that moment
// and posting what it gives.
// Row 11 is followed by an Enter tap, row 14 by the cursor parking.
void PostCommandRows(Settings& settings, const char* gameSection, int firstRow, int lastRow);

// Where a command id comes from in the table, for telling what it means.
struct CommandSource {
  enum How {
    kAlways,     // the row that reads no key
    kWord,       // `key` has the value `word`
    kOtherThan,  // `key` has a value other than `word`
    kNot,        // `key` has a value that is not `word`
  };
  How how;
  const char* key;
  const char* word;
};
// False for an id that is not in the emulator command table.
bool FindCommand(std::uint16_t id, CommandSource& source);

}  // namespace tolvimer
