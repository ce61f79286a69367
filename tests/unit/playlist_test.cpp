// Playlist images: the discs read from an .m3u, and what a whole run does
// with them.
#include "mount/playlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mount/mount_commands.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

Lines DiscsOf(const Playlist& playlist) {
  Lines discs;
  for (int i = 0; i < playlist.count; ++i) discs.push_back(playlist.discs[i]);
  return discs;
}

TEST(PlaylistTest, TellsAPlaylistByItsExtension) {
  struct Case {
    const char* path;
    bool playlist;
  } cases[] = {
      {"D:\\Games\\Game.m3u", true},
      {"D:\\Games\\Game.M3U", true},
      {"D:\\My Games\\Game.m3u", true},
      {"Game.m3u", true},
      {".m3u", true},
      {"D:\\Games\\Game.cdi", false},
      {"D:\\Games\\Game.m3u8", false},
      {"D:\\Games\\Game.m3u.cdi", false},
      {"m3u", false},
      {"\"D:\\Games\\Game.m3u", true},
      {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsPlaylistPath(c.path), c.playlist) << c.path;
}

TEST(PlaylistTest, ReadsTheDiscsLineByLine) {
  const std::string longName(300, 'x');
  // With the folder "D:\\Games\\" of 9 characters: a path of 263, the most that fits.
  const std::string nearLimit(kPathBufferSize - 1 - 9, 'y');
  struct Case {
    std::string name;
    std::string text;
    Lines discs;
    int ignored;
    int leftOut;
  } cases[] = {
      {"a mark, a comment, a blank line, CR LF and blanks around names",
       "\xEF\xBB\xBF# Some Game\r\nSome Game (Disc 1).cdi\r\n\r\n  Some Game (Disc 2).cdi \t\r\n",
       {"D:\\Games\\Some Game (Disc 1).cdi", "D:\\Games\\Some Game (Disc 2).cdi"},
       0,
       0},
      {"LF alone, no last line end, absolute paths kept",
       "C:\\Other\\a.cdi\n\\\\server\\share\\b.cdi\nE:c.cdi\n/d.cdi",
       {"C:\\Other\\a.cdi", "\\\\server\\share\\b.cdi", "E:c.cdi", "/d.cdi"},
       0,
       0},
      {"a folder within", "Discs\\one.cdi\r\n", {"D:\\Games\\Discs\\one.cdi"}, 0, 0},
      {"a mark not at the start is text",
       "a.cdi\n\xEF\xBB\xBF"
       "b.cdi\n",
       {"D:\\Games\\a.cdi",
        "D:\\Games\\\xEF\xBB\xBF"
        "b.cdi"},
       0,
       0},
      {"only comments and blanks", "# one\r\n   \r\n\t\r\n#two", {}, 0, 0},
      {"empty", "", {}, 0, 0},
      {"a mark alone", "\xEF\xBB\xBF", {}, 0, 0},
      {"nine discs: the ninth is ignored",
       "1\n2\n3\n4\n5\n6\n7\n8\n9\n",
       {"D:\\Games\\1", "D:\\Games\\2", "D:\\Games\\3", "D:\\Games\\4", "D:\\Games\\5",
        "D:\\Games\\6", "D:\\Games\\7", "D:\\Games\\8"},
       1,
       0},
      {"a line too long for a path is left out, never cut",
       longName + "\r\nb.cdi\r\n",
       {"D:\\Games\\b.cdi"},
       0,
       1},
      {"a relative name that would not fit with the folder is left out",
       nearLimit + "z\nok\n" + nearLimit + "\n",
       {"D:\\Games\\ok", "D:\\Games\\" + nearLimit},
       0,
       1},
      {"a NUL byte would cut the path: the line is left out",
       std::string("a.cdi\0.txt\r\nb.cdi\r\n", 19),
       {"D:\\Games\\b.cdi"},
       0,
       1},
      // Lines across the 512-byte reads.
      {"long comments before the discs",
       "#" + std::string(600, 'c') + "\r\n#" + std::string(505, 'd') + "\r\nlast.cdi\r\n",
       {"D:\\Games\\last.cdi"},
       0,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform os;
    os.files["D:\\Games\\Some Game.m3u"] = BytesOf(c.text);
    Playlist playlist;
    ReadPlaylist(os, "D:\\Games\\Some Game.m3u", playlist);
    EXPECT_EQ(playlist.state, Playlist::kRead);
    EXPECT_EQ(DiscsOf(playlist), c.discs);
    EXPECT_EQ(playlist.ignored, c.ignored);
    EXPECT_EQ(playlist.leftOut, c.leftOut);
    // The file is closed again.
    EXPECT_EQ(os.Lines({"CloseHandle"}).size(), 1u);
  }
}

TEST(PlaylistTest, TakesThePlaylistsFolder) {
  struct Case {
    const char* imagePath;
    const char* file;
    const char* disc;
  } cases[] = {
      {"D:\\My Games\\g.m3u", "D:\\My Games\\g.m3u", "D:\\My Games\\a.cdi"},
      {"D:/Games/g.m3u", "D:/Games/g.m3u", "D:/Games/a.cdi"},
      {"g.m3u", "g.m3u", "a.cdi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.imagePath);
    FakePlatform os;
    os.files[c.file] = BytesOf("a.cdi\r\n");
    Playlist playlist;
    ReadPlaylist(os, c.imagePath, playlist);
    EXPECT_EQ(DiscsOf(playlist), Lines{c.disc});
  }
}

TEST(PlaylistTest, AFolderByteAfterALeadByteIsNoSeparator) {
  FakePlatform os;
  os.leadBytes[0x83] = true;
  // 0x83 0x5C is one double-byte character: the folder ends at "D:\".
  os.files["D:\\\x83\\g.m3u"] = BytesOf("a.cdi\n");
  Playlist playlist;
  ReadPlaylist(os, "D:\\\x83\\g.m3u", playlist);
  EXPECT_EQ(DiscsOf(playlist), Lines{"D:\\a.cdi"});
}

TEST(PlaylistTest, APlaylistThatCannotBeReadGivesNoDisc) {
  struct Case {
    std::string name;
    std::string failing;
    bool exists;
    std::uint32_t error;
  } cases[] = {
      {"missing", "", false, 2},
      {"cannot be opened", "OpenFileForRead", true, 5},
      {"a read fails after the first", "ReadFile", true, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform os;
    if (c.exists) os.files["D:\\g.m3u"] = BytesOf(std::string(600, 'a') + "\nb\n");
    if (!c.failing.empty()) os.Fail(c.failing, c.failing == "ReadFile" ? 2 : 0);
    Playlist playlist;
    ReadPlaylist(os, "D:\\g.m3u", playlist);
    EXPECT_EQ(playlist.state, Playlist::kUnreadable);
    EXPECT_EQ(playlist.count, 0);
    EXPECT_EQ(playlist.error, c.error);
  }
}

TEST(PlaylistTest, APathTooLongForItsBufferIsToldAsSuchAndNotOpened) {
  struct Case {
    std::size_t length;
    Playlist::State state;
  } cases[] = {
      {263, Playlist::kUnreadable}, {264, Playlist::kPathTooLong}, {600, Playlist::kPathTooLong}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    FakePlatform os;
    const std::string path = "D:\\" + std::string(c.length - 7, 'a') + ".m3u";
    ASSERT_EQ(path.size(), c.length);
    Playlist playlist;
    ReadPlaylist(os, path.c_str(), playlist);
    EXPECT_EQ(playlist.state, c.state);
    EXPECT_EQ(playlist.count, 0);
    // The longest path that fits is opened (and is missing); a longer one never is.
    EXPECT_EQ(os.Lines({"CreateFile"}).size(), c.state == Playlist::kUnreadable ? 1u : 0u);
  }
}

TEST(CommandWaitTest, SaysHowAWaitedCommandEnded) {
  const Lines kRun = {"CreateProcess(\"tool.exe -u\") = tool",
                      "WaitForSingleObject(tool.process, 700)"};
  const Lines kClose = {"CloseHandle(tool.process)", "CloseHandle(tool.thread)"};
  struct Case {
    std::string name;
    bool startable;
    bool ends;
    std::uint32_t exitCode;
    std::string failing;
    CommandWait result;
    std::uint32_t exitCodeSeen;
    Lines between;  // the calls between the wait and the handles' close
  } cases[] = {
      {"ends with exit code 0",
       true,
       true,
       0,
       "",
       CommandWait::kEnded,
       0,
       {"GetExitCodeProcess(tool.process) = 0"}},
      {"ends with exit code 3: failed",
       true,
       true,
       3,
       "",
       CommandWait::kFailed,
       3,
       {"GetExitCodeProcess(tool.process) = 3"}},
      {"ends, but its exit code cannot be read: failed",
       true,
       true,
       0,
       "GetExitCodeProcess",
       CommandWait::kFailed,
       win::kStillActive,
       {"GetExitCodeProcess(tool.process) = FALSE"}},
      {"still running: it may yet do its work",
       true,
       false,
       0,
       "",
       CommandWait::kTimedOut,
       win::kStillActive,
       {}},
      {"the wait fails: taken as still running",
       true,
       true,
       0,
       "WaitForSingleObject",
       CommandWait::kTimedOut,
       win::kStillActive,
       {}},
      {"not started", false, false, 0, "", CommandWait::kNotStarted, win::kStillActive, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakePlatform os;
    os.NameProcess("tool", "tool");
    if (!c.startable) os.unstartable.push_back("tool.exe -u");
    if (c.ends) os.signalled.push_back("tool.process");
    os.endedExitCodes["tool.process"] = c.exitCode;
    if (!c.failing.empty()) os.Fail(c.failing);
    char line[] = "tool.exe -u";
    std::uint32_t exitCode = 12345;
    EXPECT_EQ(RunCommandLineAndWait(os, line, 700, &exitCode), c.result);
    EXPECT_EQ(exitCode, c.exitCodeSeen);
    Lines calls = {"CreateProcess(\"tool.exe -u\") = FALSE"};
    if (c.startable) {
      calls = kRun;
      calls.insert(calls.end(), c.between.begin(), c.between.end());
      calls.insert(calls.end(), kClose.begin(), kClose.end());
    }
    EXPECT_EQ(os.Lines(), calls);
  }
}

}  // namespace
}  // namespace tolvimer::testing
