// The emulator command table: for each row, the key it reads, where, and the
// WM_COMMAND id each of its words posts. The launcher posts by it, the
// narration tells ids by it, and the setting catalogue lists its keys and
// words from it.
#pragma once

#include <cstdint>

namespace tolvimer {

// Where a row reads its key.
enum class KeySource {
  kNothing,          // no key: the row always posts
  kGame,             // the game section
  kGeneral,          // [General]
  kGameElseGeneral,  // the game section; [General] only when the game has no value
  kGameElseTolviEx,  // the game section; [TolviEx] only when the game has no value
};

// What follows a row's post, straight away.
enum class AfterPost { kNothing, kTapEnter, kParkCursor };

inline constexpr std::uint16_t kNoCommand = 0;

struct WordCommand {
  const char* word;
  std::uint16_t id;  // kNoCommand: the word posts nothing
};

struct CommandRow {
  KeySource source;
  const char* key;
  // Tested one after another, each on its own; the first null word ends them.
  WordCommand words[5];
  // Posted for a present value that matches none of the words; for the row
  // that reads no key, the id it always posts.
  std::uint16_t anyOtherValue;
  AfterPost then;
};

// The emulator command table, in sending order.
inline constexpr CommandRow kCommandTable[] = {
    // 1
    {KeySource::kNothing, nullptr, {}, 32785, AfterPost::kNothing},
    // 2
    {KeySource::kGameElseGeneral,
     "Screen",
     {{"640x480", 32803},
      {"800x600", 32799},
      {"1024x768", 32807},
      {"1280x1024", 32808},
      {"1600x1200", 32902}},
     kNoCommand,
     AfterPost::kNothing},
    // 3
    {KeySource::kGeneral,
     "Priority",
     {{"normal", 32782}, {"abovenormal", 32783}},
     kNoCommand,
     AfterPost::kNothing},
    // 4 to 6
    {KeySource::kGame, "ZWrite", {{"true", 32792}}, kNoCommand, AfterPost::kNothing},
    {KeySource::kGame, "ZWriteAlpha", {{"true", 32793}}, kNoCommand, AfterPost::kNothing},
    {KeySource::kGame, "CapcomHack", {{"true", 32780}}, kNoCommand, AfterPost::kNothing},
    // 7: every present CableType selects one of the two cables.
    {KeySource::kGame, "CableType", {{"ntsc", 32778}}, 32777, AfterPost::kNothing},
    // 8: any present ShowStats except "true" posts.
    {KeySource::kGeneral, "ShowStats", {{"true", kNoCommand}}, 32796, AfterPost::kNothing},
    // 9
    {KeySource::kGameElseTolviEx,
     "LimitFPS",
     {{"30", 32981}, {"60", 32982}},
     kNoCommand,
     AfterPost::kNothing},
    // 10 to 13
    {KeySource::kGame, "IkarugaLevel2Fix", {{"true", 32570}}, kNoCommand, AfterPost::kNothing},
    {KeySource::kGame, "SCalbrPlyrSelectHack", {{"true", 32555}}, kNoCommand, AfterPost::kTapEnter},
    {KeySource::kGame, "SCalbr2DFix", {{"true", 32556}}, kNoCommand, AfterPost::kNothing},
    {KeySource::kGame, "SegaGTLoading", {{"true", 32557}}, kNoCommand, AfterPost::kNothing},
    // 14
    {KeySource::kGeneral, "FullScreen", {{"true", 32801}}, kNoCommand, AfterPost::kParkCursor},
};

}  // namespace tolvimer
