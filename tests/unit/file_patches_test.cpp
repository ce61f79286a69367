#include "prepare/file_patches.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "tests/fake/fake_platform.h"
#include "tests/unit/launch_fixture.h"

namespace tolvimer::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

const char kFlash[] = "C:\\Emu\\dc_flash.bin";
const char kConfig[] = "C:\\Emu\\tolvimer.cfg";
const Lines kFileCalls = {"CreateFile", "SetFilePointer", "WriteFile", "CloseHandle"};

// A flash image and a configuration file of recognisable bytes beside the
// launcher at C:\Emu.
void AddEmulatorFiles(FakePlatform& os) {
  os.files[kFlash] = Bytes(131072, 0xFF);
  os.files[kConfig] = Bytes(64, 0xAA);
}

Bytes With(Bytes bytes, std::size_t at, std::uint8_t value) {
  bytes[at] = value;
  return bytes;
}

TEST(FilePatchTest, RegionWordPicksTheRegionByte) {
  struct Case {
    const char* settings;
    int byte;  // -1: nothing written
  } cases[] = {
      {"[General]\nRegion=jap\n", 0x30}, {"[General]\nRegion=JAP\n", 0x30},
      {"[General]\nRegion=usa\n", 0x31}, {"[General]\nRegion=Euro\n", 0x32},
      {"[General]\nRegion=japan\n", -1}, {"[General]\nRegion=\n", -1},
      {"[General]\nDrive=E\n", -1},      {"[Some Game]\nRegion=jap\n", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    FakePlatform os;
    AddEmulatorFiles(os);
    os.settingsText = c.settings;
    Settings settings(os);
    ASSERT_TRUE(settings.Locate());
    ApplyRegionSetting(settings);
    if (c.byte < 0) {
      EXPECT_EQ(os.Lines(kFileCalls), Lines{});
      EXPECT_EQ(os.files[kFlash], Bytes(131072, 0xFF));
    } else {
      char write[32];
      std::snprintf(write, sizeof write, "WriteFile(file1, 0x%02X)", c.byte);
      EXPECT_EQ(os.Lines(kFileCalls),
                (Lines{"CreateFile(\"C:\\Emu\\dc_flash.bin\") = file1",
                       "SetFilePointer(file1, 106498)", write, "CloseHandle(file1)"}));
      EXPECT_EQ(os.files[kFlash], With(Bytes(131072, 0xFF), 106498, c.byte));
    }
    EXPECT_EQ(os.files[kConfig], Bytes(64, 0xAA));
  }
}

TEST(FilePatchTest, DriveFirstCharacterIsLoweredAsPlainAscii) {
  struct Case {
    std::string value;  // "-" for no Drive key at all
    int byte;           // -1: nothing written
  } cases[] = {
      {"E", 0x65}, {"e:", 0x65}, {"E:\\", 0x65}, {"Z", 0x7A},     {"A", 0x61}, {"1", 0x31},
      {"@", 0x40}, {"[", 0x5B},  {"\xC4", 0xC4}, {"\xE4x", 0xE4}, {"", -1},    {"-", -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    FakePlatform os;
    AddEmulatorFiles(os);
    os.settingsText = c.value == "-" ? "[General]\n" : "[General]\nDrive=" + c.value + "\n";
    Settings settings(os);
    ASSERT_TRUE(settings.Locate());
    ApplyDriveSetting(settings);
    if (c.byte < 0) {
      EXPECT_EQ(os.Lines(kFileCalls), Lines{});
      EXPECT_EQ(os.files[kConfig], Bytes(64, 0xAA));
    } else {
      char write[32];
      std::snprintf(write, sizeof write, "WriteFile(file1, 0x%02X)", c.byte);
      EXPECT_EQ(os.Lines(kFileCalls),
                (Lines{"CreateFile(\"C:\\Emu\\tolvimer.cfg\") = file1", "SetFilePointer(file1, 4)",
                       write, "CloseHandle(file1)"}));
      EXPECT_EQ(os.files[kConfig], With(Bytes(64, 0xAA), 4, c.byte));
    }
    EXPECT_EQ(os.files[kFlash], Bytes(131072, 0xFF));
  }
}

TEST(FilePatchTest, ResetClearsBytes12And13OnOneHandleAndStopsAtAFailedPositioning) {
  struct Case {
    int failingSeek;  // 0: none
    Lines trace;
    Bytes config;
  } cases[] = {
      {0,
       {"CreateFile(\"C:\\Emu\\tolvimer.cfg\") = file1", "SetFilePointer(file1, 12)",
        "WriteFile(file1, 0x00)", "SetFilePointer(file1, 13)", "WriteFile(file1, 0x00)",
        "CloseHandle(file1)"},
       With(With(Bytes(64, 0xAA), 12, 0), 13, 0)},
      {1,
       {"CreateFile(\"C:\\Emu\\tolvimer.cfg\") = file1",
        "SetFilePointer(file1, 12) = INVALID_SET_FILE_POINTER", "CloseHandle(file1)"},
       Bytes(64, 0xAA)},
      {2,
       {"CreateFile(\"C:\\Emu\\tolvimer.cfg\") = file1", "SetFilePointer(file1, 12)",
        "WriteFile(file1, 0x00)", "SetFilePointer(file1, 13) = INVALID_SET_FILE_POINTER",
        "CloseHandle(file1)"},
       With(Bytes(64, 0xAA), 12, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.failingSeek);
    FakePlatform os;
    AddEmulatorFiles(os);
    if (c.failingSeek) os.Fail("SetFilePointer", c.failingSeek);
    ResetConfigFlags(os);
    EXPECT_EQ(os.Lines(kFileCalls), c.trace);
    EXPECT_EQ(os.files[kConfig], c.config);
  }
}

TEST(FilePatchTest, FailedPositioningOfASingleByteWritesNothingAndCloses) {
  FakePlatform os;
  AddEmulatorFiles(os);
  os.Fail("SetFilePointer");
  WriteFlashRegion(os, '1');
  WriteCdDrive(os, 'e');
  EXPECT_EQ(os.Lines(kFileCalls),
            (Lines{"CreateFile(\"C:\\Emu\\dc_flash.bin\") = file1",
                   "SetFilePointer(file1, 106498) = INVALID_SET_FILE_POINTER", "CloseHandle(file1)",
                   "CreateFile(\"C:\\Emu\\tolvimer.cfg\") = file2",
                   "SetFilePointer(file2, 4) = INVALID_SET_FILE_POINTER", "CloseHandle(file2)"}));
  EXPECT_EQ(os.files[kFlash], Bytes(131072, 0xFF));
  EXPECT_EQ(os.files[kConfig], Bytes(64, 0xAA));
}

// A file that cannot be opened, or does not exist, gets nothing: no
// positioning, no write, no close, and no new file.
TEST(FilePatchTest, UnopenableOrMissingFilesAreLeftAloneAndNeverCreated) {
  for (const bool missing : {false, true}) {
    SCOPED_TRACE(missing ? "missing" : "locked");
    FakePlatform os;
    if (missing) {
      os.files.clear();
    } else {
      AddEmulatorFiles(os);
      os.Fail("CreateFile");
    }
    WriteFlashRegion(os, '0');
    WriteCdDrive(os, 'e');
    ResetConfigFlags(os);
    EXPECT_EQ(os.Lines(kFileCalls),
              (Lines{"CreateFile(\"C:\\Emu\\dc_flash.bin\") = INVALID_HANDLE_VALUE",
                     "CreateFile(\"C:\\Emu\\tolvimer.cfg\") = INVALID_HANDLE_VALUE",
                     "CreateFile(\"C:\\Emu\\tolvimer.cfg\") = INVALID_HANDLE_VALUE"}));
    if (missing) {
      EXPECT_TRUE(os.files.empty());
    } else {
      EXPECT_EQ(os.files[kFlash], Bytes(131072, 0xFF));
      EXPECT_EQ(os.files[kConfig], Bytes(64, 0xAA));
    }
  }
}

// The files are found beside the launcher; a directory whose joined path
// would not fit 263 characters patches nothing rather than a cut path.
TEST(FilePatchTest, PathsComeFromTheLauncherDirectoryAndMustFitWhole) {
  struct Case {
    std::string directory;
    bool patched;
  } cases[] = {
      {"E:\\Games\\Emu\\", true},
      {"C:\\" + std::string(247, 'd') + "\\", true},   // 251 + 12 = 263 characters
      {"C:\\" + std::string(248, 'd') + "\\", false},  // one more does not fit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directory.size());
    FakePlatform os;
    os.modulePath = c.directory + "t.exe";
    os.files[c.directory + "dc_flash.bin"] = Bytes(131072, 0xFF);
    os.files[c.directory + "tolvimer.cfg"] = Bytes(64, 0xAA);
    WriteFlashRegion(os, '2');
    WriteCdDrive(os, 'f');
    ResetConfigFlags(os);
    const Lines opened = os.Lines({"CreateFile"});
    if (c.patched) {
      EXPECT_EQ(opened, (Lines{"CreateFile(\"" + c.directory + "dc_flash.bin\") = file1",
                               "CreateFile(\"" + c.directory + "tolvimer.cfg\") = file2",
                               "CreateFile(\"" + c.directory + "tolvimer.cfg\") = file3"}));
      EXPECT_EQ(os.files[c.directory + "dc_flash.bin"][106498], 0x32);
      EXPECT_EQ(os.files[c.directory + "tolvimer.cfg"],
                With(With(With(Bytes(64, 0xAA), 4, 'f'), 12, 0), 13, 0));
    } else {
      EXPECT_EQ(opened, Lines{});
      EXPECT_EQ(os.Lines({"GetModuleFileName"}).size(), 3u);  // each patch looked
    }
  }
}

TEST(FilePatchTest, UnknownLauncherDirectoryPatchesNothing) {
  FakePlatform os;
  AddEmulatorFiles(os);
  os.Fail("GetModuleFileName");
  WriteFlashRegion(os, '0');
  WriteCdDrive(os, 'e');
  ResetConfigFlags(os);
  EXPECT_EQ(os.Lines(kFileCalls), Lines{});
}

TEST_F(LaunchTest, RunPatchesRegionThenDriveThenResetBytes) {
  AddEmulatorFiles(os);
  os.settingsText = "[General]\nRegion=usa\nDrive=E\n";
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(os.Lines({"CreateFile", "WriteFile"}),
            (Lines{"CreateFile(\"C:\\Emu\\dc_flash.bin\") = file1", "WriteFile(file1, 0x31)",
                   "CreateFile(\"C:\\Emu\\tolvimer.cfg\") = file2", "WriteFile(file2, 0x65)",
                   "CreateFile(\"C:\\Emu\\tolvimer.cfg\") = file3", "WriteFile(file3, 0x00)",
                   "WriteFile(file3, 0x00)"}));
  EXPECT_EQ(os.files[kFlash], With(Bytes(131072, 0xFF), 106498, 0x31));
  EXPECT_EQ(os.files[kConfig], With(With(With(Bytes(64, 0xAA), 4, 0x65), 12, 0), 13, 0));
}

TEST_F(LaunchTest, RunWithoutDriveStillClearsTheResetBytes) {
  AddEmulatorFiles(os);
  os.settingsText = "[General]\nRegion=mars\n";
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(os.Lines({"CreateFile"}), Lines{"CreateFile(\"C:\\Emu\\tolvimer.cfg\") = file1"});
  EXPECT_EQ(os.files[kFlash], Bytes(131072, 0xFF));
  EXPECT_EQ(os.files[kConfig], With(With(Bytes(64, 0xAA), 12, 0), 13, 0));
}

TEST_F(LaunchTest, RegionPatchOfAShortFlashImageLengthensItToTheRegionByte) {
  os.files[kFlash] = Bytes(16, 0xAA);
  os.settingsText = "[General]\nRegion=euro\n";
  EXPECT_EQ(Run(), 1);
  const Bytes& flash = os.files[kFlash];
  ASSERT_EQ(flash.size(), 106499u);
  EXPECT_EQ(flash[106498], 0x32);
  EXPECT_EQ(Bytes(flash.begin(), flash.begin() + 16), Bytes(16, 0xAA));
}

TEST_F(LaunchTest, RunGoesOnWhenTheEmulatorFilesCannotBeOpened) {
  AddEmulatorFiles(os);
  os.Fail("CreateFile");
  os.settingsText = "[General]\nRegion=jap\nDrive=D\n";
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(os.Lines({"CreateFile"}).size(), 3u);
  EXPECT_EQ(os.Lines({"SetFilePointer", "WriteFile"}), Lines{});
  EXPECT_EQ(os.Lines({"CreateProcess"}), Lines{"CreateProcess(\"Tolvimer_alpha_25.exe\") = emu"});
  EXPECT_EQ(os.files[kFlash], Bytes(131072, 0xFF));
  EXPECT_EQ(os.files[kConfig], Bytes(64, 0xAA));
}

}  // namespace
}  // namespace tolvimer::testing
