#include "emulator/menu_commands.h"

#include "emulator/emulator_start.h"
#include "emulator/window_control.h"

namespace tolvimer {
namespace {

// Where a row reads its key.
enum class Source {
  kNothing,          // no key: the row always posts
  kGame,             // the game section
  kGeneral,          // [General]
  kGameElseGeneral,  // the game section; [General] only when the game has no value
  kGameElseTolviEx,  // the game section; [TolviEx] only when the game has no value
};

// What follows a row's post, straight away.
enum class Then { kNothing, kTapEnter, kParkCursor };

constexpr std::uint16_t kNoCommand = 0;

struct WordCommand {
  const char* word;
  std::uint16_t id;  // kNoCommand: the word posts nothing
};

struct CommandRow {
  Source source;
  const char* key;
  // Tested one after another, each on its own; the first null word ends them.
  WordCommand words[5];
  // Posted for a present value that matches none of the words; for the row
  // that reads no key, the id it always posts.
  std::uint16_t anyOtherValue;
  Then then;
};

// The emulator command table, in sending order.
constexpr CommandRow kCommandTable[] = {
    // 1
    {Source::kNothing, nullptr, {}, 32785, Then::kNothing},
    // 2
    {Source::kGameElseGeneral,
     "Screen",
     {{"640x480", 32803},
      {"800x600", 32799},
      {"1024x768", 32807},
      {"1280x1024", 32808},
      {"1600x1200", 32902}},
     kNoCommand,
     Then::kNothing},
    // 3
    {Source::kGeneral,
     "Priority",
     {{"normal", 32782}, {"abovenormal", 32783}},
     kNoCommand,
     Then::kNothing},
    // 4 to 6
    {Source::kGame, "ZWrite", {{"true", 32792}}, kNoCommand, Then::kNothing},
    {Source::kGame, "ZWriteAlpha", {{"true", 32793}}, kNoCommand, Then::kNothing},
    {Source::kGame, "CapcomHack", {{"true", 32780}}, kNoCommand, Then::kNothing},
    // 7: every present CableType selects one of the two cables.
    {Source::kGame, "CableType", {{"ntsc", 32778}}, 32777, Then::kNothing},
    // 8: any present ShowStats except "true" posts.
    {Source::kGeneral, "ShowStats", {{"true", kNoCommand}}, 32796, Then::kNothing},
    // 9
    {Source::kGameElseTolviEx,
     "LimitFPS",
     {{"30", 32981}, {"60", 32982}},
     kNoCommand,
     Then::kNothing},
    // 10 to 13
    {Source::kGame, "IkarugaLevel2Fix", {{"true", 32570}}, kNoCommand, Then::kNothing},
    {Source::kGame, "SCalbrPlyrSelectHack", {{"true", 32555}}, kNoCommand, Then::kTapEnter},
    {Source::kGame, "SCalbr2DFix", {{"true", 32556}}, kNoCommand, Then::kNothing},
    {Source::kGame, "SegaGTLoading", {{"true", 32557}}, kNoCommand, Then::kNothing},
    // 14
    {Source::kGeneral, "FullScreen", {{"true", 32801}}, kNoCommand, Then::kParkCursor},
};
static_assert(sizeof kCommandTable / sizeof kCommandTable[0] == kLastCommandRow,
              "the command table has rows 1 to 14");

// Reads the row's key into the value buffer; true when a value was read.
bool ReadRowKey(Settings& settings, const CommandRow& row, const char* gameSection) {
  switch (row.source) {
    case Source::kNothing:
      return false;
    case Source::kGame:
      return settings.Read(gameSection, row.key);
    case Source::kGeneral:
      return settings.Read("General", row.key);
    case Source::kGameElseGeneral:
      return settings.ReadWithFallback(gameSection, "General", row.key);
    case Source::kGameElseTolviEx:
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
  if (row.source != Source::kNothing) {
    if (!ReadRowKey(settings, row, gameSection)) return;
    id = CommandFor(row, settings.value());
  }
  if (id == kNoCommand) return;
  Platform& os = settings.os();
  SendMenuCommand(os, id);
  if (row.then == Then::kTapEnter) TapVirtualKey(os, win::kVkReturn);
  if (row.then == Then::kParkCursor) ParkCursor(os);
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
    if (row.source == Source::kNothing) {
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
