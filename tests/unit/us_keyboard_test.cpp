// The key names the fake and the plan give, as a US keyboard's.
#include "platform/us_keyboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace tolvimer {
namespace {

TEST(UsKeyboardTest, NamesEachKindOfKeyAndStopsAtTheRoomGiven) {
  struct Case {
    std::uint32_t vk;
    std::uint32_t size;
    const char* name;
  } const cases[] = {
      {0x22, 32, "Page Down"}, {0x1B, 32, "Esc"},   {'A', 32, "A"},      {'7', 32, "7"},
      {0x60, 32, "Num 0"},     {0x69, 32, "Num 9"}, {0x70, 32, "F1"},    {0x79, 32, "F10"},
      {0x87, 32, "F24"},       {0xBA, 32, ";"},     {0x91, 32, "Scroll Lock"},
      {0x07, 32, ""},          // no key
      {0x22, 5, "Page"},       // four characters and the terminator
      {0x79, 2, "F"},
  };
  for (const Case& c : cases) {
    char out[32];
    std::memset(out, '#', sizeof out);
    const std::uint32_t n = UsKeyName(c.vk, out, c.size);
    EXPECT_EQ(std::string(out), c.name) << "virtual key " << c.vk << ", room " << c.size;
    EXPECT_EQ(n, std::string(c.name).size()) << "virtual key " << c.vk;
  }
}

}  // namespace
}  // namespace tolvimer
