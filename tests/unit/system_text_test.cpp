// Windows' error texts as the run log tells them: one line, no insert left
// for the reader to puzzle over, no closing full stop.
#include <gtest/gtest.h>

#include <string>

#include "narration/text.h"

namespace tolvimer {
namespace {

TEST(SystemTextTest, GivesOneLineWithoutInserts) {
  struct Case {
    const char* message;
    const char* shown;
  } cases[] = {
      {"The system cannot find the file specified.\r\n",
       "The system cannot find the file specified"},
      {"%1 is not a valid Win32 application.\r\n", "the file is not a valid Win32 application"},
      {"This version of %1 is not compatible.\r\n", "This version of the file is not compatible"},
      {"The %1 and %2 differ.\r\n", "The the file and differ"},
      {"First line\r\nsecond\tline.\r\n", "First line second line"},
      {"Hard%nbreak and 100%% sure.", "Hard break and 100% sure"},
      {"Ends here%0 and not here", "Ends here"},
      {"%12 is insert twelve", "is insert twelve"},
      {"\r\n", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    Text text;
    AddSystemText(text, c.message);
    EXPECT_EQ(std::string(text.c_str()), c.shown) << c.message;
  }
}

}  // namespace
}  // namespace tolvimer
