// The platform contract: what the launcher expects of the platform interface,
// checked on the machine of the build it runs in. Natively that is the
// recording fake, which the unit tests trust to behave like Windows; under
// Wine it is the real Win32 platform (i686 and x86_64). A row that passes on
// one and fails on the other marks a place where the fake and Windows part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "tests/contract/contract_machine.h"
#include "tests/profile_cases/case_table.h"

namespace tolvimer::contract {

std::string profileCasesDir;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Pattern(std::size_t length) {
  Bytes bytes(length);
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>('a' + i % 26);
  return bytes;
}

// --- Module path ---

TEST(PlatformContract, ModulePathFitsWithItsTerminatorOrIsCutToTheCapacity) {
  auto machine = MakeContractMachine();
  Platform& os = machine->os();
  char whole[win::kMaxPath + 8] = {};
  const std::uint32_t length = os.GetModuleFileName(whole, win::kMaxPath);
  ASSERT_GT(length, 5u);
  ASSERT_LT(length, win::kMaxPath);
  EXPECT_EQ(std::strlen(whole), length) << "terminated right after the path";
  EXPECT_NE(std::strchr(whole, '\\'), nullptr) << whole << ": a full path";
  EXPECT_EQ(std::strcmp(whole + length - 4, ".exe"), 0) << whole;

  struct Case {
    const char* what;
    std::uint32_t capacity;
  } cases[] = {
      {"room to spare", win::kMaxPath},
      {"exactly the path and its terminator", length + 1},
      {"one short: cut", length},
      {"five: cut", 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    char buffer[win::kMaxPath + 8];
    std::memset(buffer, '#', sizeof buffer);
    const std::uint32_t count = os.GetModuleFileName(buffer, c.capacity);
    EXPECT_EQ(buffer[c.capacity], '#') << "nothing is written past the capacity";
    if (c.capacity > length) {
      EXPECT_EQ(count, length);
      EXPECT_STREQ(buffer, whole);
      continue;
    }
    // Cut: the count is the capacity; the bytes are the path's first ones,
    // and the last is either the path's next byte (no terminator, as Windows
    // XP and Wine do) or a terminator (as later Windows does). The launcher
    // trusts neither: a count equal to the capacity means "cut".
    EXPECT_EQ(count, c.capacity);
    EXPECT_EQ(std::string(buffer, c.capacity - 1), std::string(whole, c.capacity - 1));
    const char last = buffer[c.capacity - 1];
    EXPECT_TRUE(last == whole[c.capacity - 1] || last == '\0') << "last byte " << int(last);
  }
}

// --- Settings reads ---

TEST(PlatformContract, ProfileReadsGiveTheDifferentialTableAnswers) {
  const std::set<std::string> files = {"quotes.ini", "blanks.ini", "comments.ini",
                                       "long_value.ini"};
  const auto cases = profile_cases::LoadCases(profileCasesDir + "/cases.txt");
  int reads = 0;
  for (const std::string& file : files) {
    auto machine = MakeContractMachine();
    const std::string text = profile_cases::ReadWholeFile(profileCasesDir + "/files/" + file);
    ASSERT_FALSE(text.empty()) << file << " in " << profileCasesDir;
    machine->PutFile(kSettingsFileName, Bytes(text.begin(), text.end()));
    const std::string path = machine->FilePath(kSettingsFileName);
    for (const profile_cases::Case& c : cases) {
      if (c.file != file) continue;
      ++reads;
      char out[kPathBufferSize];
      std::memset(out, '#', sizeof out);
      const std::uint32_t count = machine->os().GetProfileString(
          c.section.c_str(), c.key.c_str(), out, kSettingReadSize, path.c_str());
      EXPECT_EQ(profile_cases::Escape(out), profile_cases::Escape(c.expected))
          << file << " [" << profile_cases::Escape(c.section) << "] "
          << profile_cases::Escape(c.key) << " (cases.txt line " << c.line << ")";
      EXPECT_EQ(count, std::strlen(out)) << "count of cases.txt line " << c.line;
    }
  }
  EXPECT_GT(reads, 20) << "the table's rows for these files did not load";
}

TEST(PlatformContract, ProfileReadOfAMissingFileGivesNothing) {
  auto machine = MakeContractMachine();
  char out[kPathBufferSize];
  std::memset(out, '#', sizeof out);
  const std::string path = machine->FilePath(kSettingsFileName);
  EXPECT_EQ(
      machine->os().GetProfileString("General", "Region", out, kSettingReadSize, path.c_str()), 0u);
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(machine->FileExists(kSettingsFileName)) << "a read creates no file";
}

// The launcher's path scans take a lead byte and the byte after it as one
// character. In every code page lead bytes lie above ASCII, so no separator
// ('\\', '/', ':', '.') ever opens a double-byte character.
TEST(PlatformContract, NoAsciiByteOpensADoubleByteCharacter) {
  auto machine = MakeContractMachine();
  for (int byte = 0; byte < 0x80; ++byte) {
    EXPECT_FALSE(machine->os().IsDbcsLeadByte(static_cast<std::uint8_t>(byte))) << byte;
  }
}

// --- Single-byte writes ---

TEST(PlatformContract, OpeningAMissingFileForWritingFailsAndCreatesNothing) {
  auto machine = MakeContractMachine();
  const std::string path = machine->FilePath("dc_flash.bin");
  EXPECT_EQ(machine->os().OpenFileForWrite(path.c_str()), 0u);
  EXPECT_FALSE(machine->FileExists("dc_flash.bin"));
}

TEST(PlatformContract, OneByteWrittenAtAnOffsetChangesThatByteOrLengthensTheFile) {
  struct Case {
    std::size_t length;
    std::int32_t offset;
  } cases[] = {
      {32, 4},       // inside: the drive letter byte
      {32, 31},      // the last byte
      {32, 32},      // right at the end
      {10, 100},     // past the end of a short file
      {0, 5},        // an empty file
      {16, 106498},  // the region byte of a short flash image
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("length " + std::to_string(c.length) + ", offset " + std::to_string(c.offset));
    auto machine = MakeContractMachine();
    Platform& os = machine->os();
    const Bytes before = Pattern(c.length);
    machine->PutFile("data.bin", before);
    const OsHandle file = os.OpenFileForWrite(machine->FilePath("data.bin").c_str());
    ASSERT_NE(file, 0u);
    EXPECT_TRUE(os.SetFilePointer(file, c.offset));
    EXPECT_TRUE(os.WriteFileByte(file, 0x5A));
    EXPECT_TRUE(os.CloseHandle(file));
    const Bytes after = machine->FileBytes("data.bin");
    const std::size_t offset = static_cast<std::size_t>(c.offset);
    ASSERT_EQ(after.size(), std::max(c.length, offset + 1));
    EXPECT_EQ(after[offset], 0x5A);
    for (std::size_t i = 0; i < c.length; ++i) {
      if (i != offset) {
        ASSERT_EQ(after[i], before[i]) << "byte " << i;
      }
    }
  }
}

// --- The run log's file and the error texts ---

TEST(PlatformContract, TheLogFileIsCreatedAnewAndTakesWholeWrites) {
  auto machine = MakeContractMachine();
  Platform& os = machine->os();
  machine->PutFile("tolvimer_launch.log", Pattern(100));
  const OsHandle file = os.CreateLogFile(machine->FilePath("tolvimer_launch.log").c_str());
  ASSERT_NE(file, 0u);
  const char line[] = "      0 ms  tolvimer_launch: run log\r\n";
  EXPECT_TRUE(os.WriteFileBytes(file, line, sizeof line - 1));
  EXPECT_TRUE(os.FlushFileBuffers(file));
  EXPECT_TRUE(os.CloseHandle(file));
  const Bytes bytes = machine->FileBytes("tolvimer_launch.log");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), line) << "the old log is replaced";
}

// --- The undo record's file ---

TEST(PlatformContract, AFileWrittenAndFlushedIsReadBackWholeAndDeleted) {
  auto machine = MakeContractMachine();
  Platform& os = machine->os();
  const std::string oldPath = machine->FilePath("record.bin");
  const OsHandle file = os.CreateLogFile(oldPath.c_str());
  ASSERT_NE(file, 0u);
  const Bytes written = Pattern(30);
  EXPECT_TRUE(os.WriteFileBytes(file, reinterpret_cast<const char*>(written.data()), 30));
  EXPECT_TRUE(os.FlushFileBuffers(file));
  EXPECT_TRUE(os.CloseHandle(file));
  EXPECT_EQ(machine->FileBytes("record.bin"), written);

  // Read back with room for more: the count says how much there was.
  const OsHandle reader = os.OpenFileForRead(oldPath.c_str());
  ASSERT_NE(reader, 0u);
  char bytes[64] = {};
  std::uint32_t read = 0;
  EXPECT_TRUE(os.ReadFileBytes(reader, bytes, sizeof bytes, read));
  EXPECT_EQ(read, 30u);
  EXPECT_EQ(Bytes(bytes, bytes + 30), written);
  EXPECT_TRUE(os.CloseHandle(reader));

  EXPECT_TRUE(os.DeleteFile(oldPath.c_str()));
  EXPECT_FALSE(machine->FileExists("record.bin"));
  EXPECT_FALSE(os.DeleteFile(oldPath.c_str()));
  EXPECT_EQ(os.GetLastError(), 2u);  // ERROR_FILE_NOT_FOUND
  EXPECT_EQ(os.OpenFileForRead(oldPath.c_str()), 0u);
}

TEST(PlatformContract, AFailedCallLeavesItsErrorCodeWithATextForIt) {
  auto machine = MakeContractMachine();
  Platform& os = machine->os();
  const std::string missingFile = machine->FilePath("dc_flash.bin");
  const std::string logInNoFolder = machine->FilePath("no folder\\tolvimer_launch.log");
  struct Case {
    const char* what;
    bool failed;
    std::uint32_t error;
  };
  // The error code is asked for right after each call, as the run log does.
  Case cases[2];
  cases[0] = {"a missing file opened for writing", os.OpenFileForWrite(missingFile.c_str()) == 0,
              0};
  cases[0].error = os.GetLastError();
  cases[1] = {"a log in a folder that does not exist", os.CreateLogFile(logInNoFolder.c_str()) == 0,
              0};
  cases[1].error = os.GetLastError();
  const std::uint32_t expected[] = {2, 3};  // ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(cases[i].what);
    EXPECT_TRUE(cases[i].failed);
    EXPECT_EQ(cases[i].error, expected[i]);
    char text[256];
    const std::uint32_t length = os.FormatMessage(cases[i].error, text, sizeof text);
    EXPECT_GT(length, 0u) << "Windows has a text for it";
    EXPECT_LT(length, sizeof text);
    const std::string shown(text, length < sizeof text ? length : 0);
    EXPECT_EQ(shown.find_first_of("\r\n"), std::string::npos) << "one line: [" << shown << "]";
  }
  // ERROR_BAD_EXE_FORMAT's text names the file by the insert %1, which is
  // left as it stands: the call has nothing to fill it with.
  char text[256];
  const std::uint32_t length = os.FormatMessage(193, text, sizeof text);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, sizeof text);
  EXPECT_NE(std::string(text, length).find("%1"), std::string::npos) << text;
}

TEST(PlatformContract, FileExistsForAFileButNotForAFolderOrNothing) {
  auto machine = MakeContractMachine();
  Platform& os = machine->os();
  machine->PutFile(kSettingsFileName, Pattern(10));
  EXPECT_TRUE(os.FileExists(machine->FilePath(kSettingsFileName).c_str()));
  EXPECT_FALSE(os.FileExists(machine->FilePath("").c_str())) << "the folder itself";
  EXPECT_FALSE(os.FileExists(machine->FilePath("missing.ini").c_str()));
}

// --- The disc in a drive ---

// A drive letter with nothing behind it holds no disc, and the error mode set
// around a look is given back as it was.
TEST(PlatformContract, ADriveLetterWithNothingBehindItHoldsNoDisc) {
  auto machine = MakeContractMachine();
  Platform& os = machine->os();
  const std::uint32_t previous = os.SetErrorMode(win::kSemFailCriticalErrors);
  EXPECT_EQ(os.GetDriveType("Y:\\"), win::kDriveNoRootDir);
  std::uint32_t serial = 0;
  EXPECT_FALSE(os.GetVolumeSerial("Y:\\", serial));
  EXPECT_EQ(os.SetErrorMode(previous), win::kSemFailCriticalErrors);
}

// --- Processes ---

TEST(PlatformContract, AProgramThatCannotBeStartedGivesFalseAndAZeroedRecord) {
  auto machine = MakeContractMachine();
  std::string commandLine = machine->MissingProgram();
  ProcessRecord record;
  record.process = 0x5151;
  record.thread = 0x5252;
  record.processId = 0x5353;
  record.threadId = 0x5454;
  EXPECT_FALSE(machine->os().CreateProcess(&commandLine[0], record));
  EXPECT_EQ(record.process, 0u);
  EXPECT_EQ(record.thread, 0u);
  EXPECT_EQ(record.processId, 0u);
  EXPECT_EQ(record.threadId, 0u);
}

TEST(PlatformContract, ExitCodeIsStillActiveWhileRunningAndTheProgramsOwnOnceEnded) {
  {
    auto machine = MakeContractMachine();
    std::string commandLine = machine->RunningProgram();
    ProcessRecord running;
    ASSERT_TRUE(machine->os().CreateProcess(&commandLine[0], running));
    EXPECT_NE(running.process, 0u);
    EXPECT_NE(running.thread, 0u);
    EXPECT_NE(running.processId, 0u);
    std::uint32_t code = 0;
    EXPECT_TRUE(machine->os().GetExitCodeProcess(running.process, code));
    EXPECT_EQ(code, win::kStillActive);
    machine->EndProgram(running);
  }
  for (const std::uint32_t ownCode : {0u, 7u}) {
    SCOPED_TRACE("exit code " + std::to_string(ownCode));
    auto machine = MakeContractMachine();
    std::string commandLine = machine->EndingProgram(ownCode);
    ProcessRecord ended;
    ASSERT_TRUE(machine->os().CreateProcess(&commandLine[0], ended));
    machine->AwaitEnd(ended);
    std::uint32_t code = win::kStillActive;
    EXPECT_TRUE(machine->os().GetExitCodeProcess(ended.process, code));
    EXPECT_EQ(code, ownCode);
    machine->EndProgram(ended);
  }
}

// The launcher's own environment: NAME=value strings up to an empty one,
// given back once read; a program started with a block built from it runs
// as one started with the launcher's own.
TEST(PlatformContract, TheEnvironmentBlockReadsAndStartsAProgram) {
  auto machine = MakeContractMachine();
  Platform& os = machine->os();
  const char* const own = os.GetEnvironmentStrings();
  ASSERT_NE(own, nullptr);
  std::string block;
  for (const char* entry = own; *entry != '\0'; entry += std::strlen(entry) + 1) {
    EXPECT_NE(std::strchr(entry + 1, '='), nullptr) << entry;
    block.append(entry, std::strlen(entry) + 1);
  }
  EXPECT_TRUE(os.FreeEnvironmentStrings(own));
  block += "TOLVIMER_CONTRACT=1";
  block.append(2, '\0');
  std::string commandLine = machine->EndingProgram(7);
  ProcessRecord ended;
  ASSERT_TRUE(os.CreateProcessWithEnvironment(&commandLine[0], block.c_str(), ended));
  machine->AwaitEnd(ended);
  std::uint32_t code = win::kStillActive;
  EXPECT_TRUE(os.GetExitCodeProcess(ended.process, code));
  EXPECT_EQ(code, 7u);
  machine->EndProgram(ended);
  std::string missing = machine->MissingProgram();
  ProcessRecord none;
  none.process = 0x5151;
  EXPECT_FALSE(os.CreateProcessWithEnvironment(&missing[0], block.c_str(), none));
  EXPECT_EQ(none.process, 0u);
}

// An id that no process has cannot be opened, with ERROR_INVALID_PARAMETER:
// told apart from ERROR_ACCESS_DENIED, another user's process (its id
// reused), which the recovery leaves alone.
TEST(PlatformContract, OpeningAnIdNoProcessHasFailsWithInvalidParameter) {
  auto machine = MakeContractMachine();
  Platform& os = machine->os();
  EXPECT_EQ(os.OpenProcess(0xFFFFFFF0u), 0u);
  EXPECT_EQ(os.GetLastError(), 87u);
}

// The shell may ask the AutoPlay handler before the wait's hidden window
// exists: the answer is kept until taken, and the wait that follows ends at
// once. Once taken it ends no later wait. No second handler is registered
// while the first one's thread lives; after the revoke one is.
TEST(PlatformContract, AHandlerAnswerKeptUntilTakenEndsTheNextWaitAtOnce) {
  auto machine = MakeContractMachine();
  Platform& os = machine->os();
  std::uint32_t cookie = 0;
  ASSERT_GE(os.RegisterAutoPlayHandler("K:\\", cookie), 0);
  std::uint32_t second = 0;
  const std::uint32_t before = os.GetTickCount();
  EXPECT_EQ(os.RegisterAutoPlayHandler("K:\\", second), kHandlerThreadLives);
  EXPECT_LT(os.GetTickCount() - before, 1000u) << "refused at once, not after a timeout";
  EXPECT_EQ(machine->AskAutoPlayHandler('F'), 0) << "S_OK for another drive";
  EXPECT_EQ(machine->AskAutoPlayHandler('K'), 1) << "S_FALSE for the watched drive";
  const AutoPlayWaitHelpers helpers;  // no foreground, no disc look
  const AutoPlayWaitResult first =
      os.WaitWithAutoPlayHelpers(machine->ModuleInstance(), 10000, helpers);
  EXPECT_EQ(first.end, AutoPlayWaitEnd::kHandlerQuery);
  EXPECT_LT(first.elapsed, 2000u) << "ended at once, not after the 10 s delay";
  EXPECT_STREQ(first.asked, "K:\\");
  const AutoPlayAnswers taken = os.TakeAutoPlayAnswers();
  ASSERT_EQ(taken.count, 2u);
  EXPECT_STREQ(taken.answer[0].root, "F:\\");
  EXPECT_FALSE(taken.answer[0].cancelled);
  EXPECT_STREQ(taken.answer[1].root, "K:\\");
  EXPECT_TRUE(taken.answer[1].cancelled);
  const AutoPlayWaitResult next =
      os.WaitWithAutoPlayHelpers(machine->ModuleInstance(), 300, helpers);
  EXPECT_EQ(next.end, AutoPlayWaitEnd::kDelay) << "a taken answer ends no later wait";
  EXPECT_EQ(os.RevokeAutoPlayHandler(cookie), 0);
  EXPECT_NE(machine->AskAutoPlayHandler('K'), 1) << "revoked: the shell no longer finds it";
  ASSERT_GE(os.RegisterAutoPlayHandler("K:\\", cookie), 0);
  EXPECT_EQ(os.RevokeAutoPlayHandler(cookie), 0);
}

// The next-disc key is named as the keyboard layout names it: a letter or a
// digit by itself, any other key of a keyboard by some name, whose length is
// what the call gives. (The names differ: Windows' US layout says "Page
// Down", Wine says "Next", as X11 does; the fake answers Windows'.)
TEST(PlatformContract, EveryKeyOfAKeyboardHasAName) {
  auto machine = MakeContractMachine();
  const struct {
    std::uint32_t vk;
    const char* name;  // null: any name
  } cases[] = {{'N', "N"},     {'5', "5"},    {27, nullptr}, {34, nullptr},
               {116, nullptr}, {39, nullptr}, {13, nullptr}, {0x6B, nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.vk);
    char name[64];
    std::memset(name, '#', sizeof name);
    const std::uint32_t n = machine->os().GetKeyName(c.vk, name, sizeof name);
    ASSERT_LT(n, sizeof name);
    EXPECT_EQ(name[n], '\0');
    EXPECT_EQ(n, std::strlen(name));
    EXPECT_GT(n, 0u);
    if (c.name != nullptr) {
      EXPECT_STREQ(name, c.name);
    }
  }
}

// The exit watch keeps the previous exit code when a query fails; a query
// that wrote 0 instead would end the watch as if the emulator had ended.
TEST(PlatformContract, AFailingExitCodeQueryLeavesThePreviousValue) {
  for (const std::uint32_t previous : {win::kStillActive, 3u}) {
    auto machine = MakeContractMachine();
    const OsHandle process = machine->UnqueryableProcess();
    std::uint32_t code = previous;
    EXPECT_FALSE(machine->os().GetExitCodeProcess(process, code));
    EXPECT_EQ(code, previous);
  }
}

// --- Windows ---

struct Offers {
  int offered = 0;
  int stopAt = 0;  // 0: never stop
};

bool CountAndMaybeStop(Platform&, WindowHandle window, std::intptr_t param) {
  Offers& offers = *reinterpret_cast<Offers*>(param);
  EXPECT_NE(window, 0u);
  ++offers.offered;
  return offers.offered != offers.stopAt;
}

TEST(PlatformContract, WindowEnumerationStopsWhenTheCallbackSaysStop) {
  auto machine = MakeContractMachine();
  machine->AddTopLevelWindows(3);
  Offers all;
  EXPECT_TRUE(machine->os().EnumWindows(CountAndMaybeStop, reinterpret_cast<std::intptr_t>(&all)));
  ASSERT_GE(all.offered, 3);
  for (const int stopAt : {1, 2}) {
    Offers some;
    some.stopAt = stopAt;
    EXPECT_FALSE(
        machine->os().EnumWindows(CountAndMaybeStop, reinterpret_cast<std::intptr_t>(&some)));
    EXPECT_EQ(some.offered, stopAt);
  }
}

struct OwnedWindows {
  std::uint32_t processId = 0;
  std::vector<std::pair<WindowHandle, std::uint32_t>> found;  // window, its thread id
};

bool CollectOwnedWindows(Platform& os, WindowHandle window, std::intptr_t param) {
  OwnedWindows& owned = *reinterpret_cast<OwnedWindows*>(param);
  std::uint32_t processId = 0;
  const std::uint32_t threadId = os.GetWindowThreadProcessId(window, processId);
  if (processId == owned.processId) owned.found.emplace_back(window, threadId);
  return true;
}

// The emulator's window is found by the process id that the start gives.
TEST(PlatformContract, AStartedProgramsWindowIsOwnedByTheIdsItsStartGave) {
  auto machine = MakeContractMachine();
  Platform& os = machine->os();
  std::string commandLine = machine->WindowProgram();
  ProcessRecord program;
  ASSERT_TRUE(os.CreateProcess(&commandLine[0], program));
  os.WaitForInputIdle(program.process, 5000);
  // The child here is a console program, for which the idle wait returns at
  // once: give its window up to 10 s to appear.
  OwnedWindows owned;
  owned.processId = program.processId;
  for (int tries = 0; tries < 100 && owned.found.empty(); ++tries) {
    if (tries > 0) os.WaitForSingleObject(program.process, 100);
    os.EnumWindows(CollectOwnedWindows, reinterpret_cast<std::intptr_t>(&owned));
  }
  // Its own window, and perhaps windows the system makes for the thread
  // (Wine adds an input method window).
  ASSERT_GE(owned.found.size(), 1u);
  for (const auto& [window, threadId] : owned.found) {
    EXPECT_EQ(threadId, program.threadId) << "made by the program's first thread";
    EXPECT_TRUE(os.IsWindow(window)) << "a window of a running program exists";
  }
  // A program that ends takes its windows along (the run log's WM_CLOSE line
  // tells an emulator that closed itself by this).
  const WindowHandle window = owned.found.begin()->first;
  machine->EndProgram(program);  // returns once the program has ended
  EXPECT_FALSE(os.IsWindow(window)) << "the window of an ended program is gone";
}

// --- Keys ---

TEST(PlatformContract, MapVirtualKeyGivesTheScanCodesAndCharactersOfTheLaunchersKeys) {
  struct Case {
    std::uint32_t code;
    std::uint32_t mapType;
    std::uint32_t expected;
  } cases[] = {
      // The scan codes of the taps: Enter, keypad plus, keypad minus.
      {win::kVkReturn, win::kMapVkToVsc, 0x1C},
      {win::kVkAdd, win::kMapVkToVsc, 0x4E},
      {win::kVkSubtract, win::kMapVkToVsc, 0x4A},
      {win::kVkEscape, win::kMapVkToVsc, 0x01},
      // The exit key's character: the same number for Escape, Enter, Space,
      // Backspace, Tab, digits and letters; nothing for a key without one.
      {win::kVkEscape, win::kMapVkToChar, 0x1B},
      {win::kVkReturn, win::kMapVkToChar, 0x0D},
      {0x20, win::kMapVkToChar, 0x20},
      {0x08, win::kMapVkToChar, 0x08},  // Backspace
      {0x09, win::kMapVkToChar, 0x09},  // Tab
      {'0', win::kMapVkToChar, '0'},
      {'9', win::kMapVkToChar, '9'},
      {'A', win::kMapVkToChar, 'A'},
      {'Z', win::kMapVkToChar, 'Z'},
      {0x70, win::kMapVkToChar, 0},  // F1
      {0, win::kMapVkToChar, 0},     // what a value without digits names
  };
  auto machine = MakeContractMachine();
  for (const Case& c : cases) {
    EXPECT_EQ(machine->os().MapVirtualKey(c.code, c.mapType), c.expected)
        << "MapVirtualKey(" << c.code << ", " << c.mapType << ")";
  }
}

}  // namespace
}  // namespace tolvimer::contract
