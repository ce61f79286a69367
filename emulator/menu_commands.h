// The emulator command table: which WM_COMMAND id each setting posts.
#pragma once

#include <cstdint>

#include "launch/settings.h"
#include "platform/platform.h"

namespace tolvimer {

// Posts one menu command to the emulator window.
void SendMenuCommand(Platform& os, std::uint16_t id);
// Posts the command when the value equals the word.
void SendMenuCommandIf(Platform& os, const char* value, const char* word, std::uint16_t id);
// Walks rows first to last of the command table, reading each row's key now.
void PostCommandRows(Settings& settings, const char* gameSection, int firstRow, int lastRow);

}  // namespace tolvimer
