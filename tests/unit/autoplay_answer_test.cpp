// The AutoPlay handler's answer: which drive the shell's path names, and
// whether AutoPlay is cancelled for it.
#include <gtest/gtest.h>

#include <string>

#include "platform/autoplay_answer.h"

namespace tolvimer::testing {
namespace {

TEST(AutoPlayAnswerTest, TheDriveAPathNames) {
  struct Case {
    const wchar_t* path;
    const char* root;  // "" when the path names no drive
  };
  const Case cases[] = {
      {L"E:\\", "E:\\"},
      {L"e:\\", "E:\\"},
      {L"E:", "E:\\"},
      {L"z:/", "Z:\\"},
      {L"F:\\GAME\\1ST_READ.BIN", "F:\\"},
      {L"\\\\?\\e:\\", "E:\\"},
      {L"", ""},
      {L"E", ""},
      {L"EE:\\", ""},
      {L"E:x", ""},
      {L"1:\\", ""},
      {L"\\\\server\\share", ""},
      {L"\\\\?\\Volume{0}\\", ""},
      {L"\x00C4:\\", ""},
  };
  for (const Case& c : cases) {
    char root[4] = {'x', 'x', 'x', '\0'};
    EXPECT_EQ(DriveRootOfPath(c.path, root), c.root[0] != '\0');
    EXPECT_EQ(std::string(root), c.root);
  }
  char root[4] = {'x', 'x', 'x', '\0'};
  EXPECT_FALSE(DriveRootOfPath(nullptr, root));
  EXPECT_EQ(root[0], '\0');
}

TEST(AutoPlayAnswerTest, OnlyTheWatchedDriveIsCancelled) {
  struct Case {
    const wchar_t* path;
    const char* watched;
    bool cancelled;
  };
  const Case cases[] = {
      {L"E:\\", "E:\\", true},
      {L"e:\\", "E:\\", true},
      {L"E:\\", "e:\\", true},
      {L"\\\\?\\E:\\", "E:\\", true},
      {L"F:\\", "E:\\", false},
      {L"D:\\", "E:\\", false},
      {L"", "E:\\", false},
      {nullptr, "E:\\", false},
      {L"\\\\server\\share", "E:\\", false},
      // No drive watched: every query is cancelled, as before.
      {L"F:\\", "", true},
      {L"", "", true},
      {L"F:\\", nullptr, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CancelsAutoPlayFor(c.path, c.watched), c.cancelled)
        << (c.watched ? c.watched : "(none)");
  }
}

}  // namespace
}  // namespace tolvimer::testing
