#include "emulator/menu_commands.h"

#include "emulator/command_table.h"
#include "emulator/emulator_start.h"
#include "emulator/window_control.h"

namespace tolvimer {
namespace {

static_assert(sizeof kCommandTable / sizeof kCommandTable[0] == kLastCommandRow,
              "the command table has rows 1 to 14");

// Reads the row's key into the value buffer; true when a value was read.
bool ReadRowKey(Settings& settings, const CommandRow& row, const char* gameSection) {
  switch (row.source) {
    case KeySource::kNothing:
      return false;
    case KeySource::kGame:
      return settings.Read(gameSection, row.key);
    case KeySource::kGeneral:
      return settings.Read("General", row.key);
    case KeySource::kGameElseGeneral:
      return settings.ReadWithFallback(gameSection, "General", row.key);
    case KeySource::kGameElseTolviEx:
      return settings.ReadWithFallback(gameSection, "TolviEx", row.key);
  }
  return false;
}

std::uint16_t CommandFor(const CommandRow& row, const char* value) {
  for (const WordCommand& command : row.words) {
    if (command.word == nullptr) break;
    if (IsWord(value, command.word)) return command.id;
  }
  return row.anyOtherValue;
}

void PostRow(Settings& settings, const CommandRow& row, const char* gameSection) {
  std::uint16_t id = row.anyOtherValue;
  if (row.source != KeySource::kNothing) {
    if (!ReadRowKey(settings, row, gameSection)) return;
    id = CommandFor(row, settings.value());
  }
  if (id == kNoCommand) return;
  Platform& os = settings.os();
  SendMenuCommand(os, id);
  if (row.then == AfterPost::kTapEnter) TapVirtualKey(os, win::kVkReturn);
  if (row.then == AfterPost::kParkCursor) ParkCursor(os);
}

}  // namespace

void SendMenuCommand(Platform& os, std::uint16_t id) {
  os.PostMessage(EmulatorWindow(), win::kWmCommand, id, 0);
}

void SendMenuCommandIf(Platform& os, const char* value, const char* word, std::uint16_t id) {
  if (IsWord(value, word)) SendMenuCommand(os, id);
}

void PostCommandRows(Settings& settings, const char* gameSection, int firstRow, int lastRow) {
  if (firstRow < kFirstCommandRow) firstRow = kFirstCommandRow;
  if (lastRow > kLastCommandRow) lastRow = kLastCommandRow;
  for (int row = firstRow; row <= lastRow; ++row) {
    settings.os().BeginStep(Step::kCommandRow);
    PostRow(settings, kCommandTable[row - 1], gameSection);
  }
}

bool FindCommand(std::uint16_t id, CommandSource& source) {
  for (const CommandRow& row : kCommandTable) {
    if (row.source == KeySource::kNothing) {
      if (row.anyOtherValue != id) continue;
      source = {CommandSource::kAlways, nullptr, nullptr};
      return true;
    }
    for (const WordCommand& command : row.words) {
      if (command.word == nullptr) break;
      if (command.id == id) {
        source = {CommandSource::kWord, row.key, command.word};
        return true;
      }
    }
    if (row.anyOtherValue != kNoCommand && row.anyOtherValue == id) {
      // A row whose word posts nothing posts for every value that is not it.
      const WordCommand& first = row.words[0];
      source = {first.id == kNoCommand ? CommandSource::kNot : CommandSource::kOtherThan, row.key,
                first.word};
      return true;
    }
  }
  return false;
}

}  // namespace tolvimer
