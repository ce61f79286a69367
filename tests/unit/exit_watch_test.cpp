#include "exitwatch/exit_watch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "exitwatch/gamepads.h"
#include "settings/settings.h"
#include "tests/fake/fake_pads.h"
#include "tests/fake/fake_platform.h"
#include "tests/unit/launch_fixture.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr std::int16_t kDown = static_cast<std::int16_t>(0x8000);

// The exit key and the gamepad table are program-wide: each test starts from
// their values at program start and leaves them so.
void ResetProgramState() {
  exitKey = 27;
  gamePads = GamePadTable{};
}

class ExitWatchTest : public ::testing::Test {
 protected:
  ExitWatchTest() {
    ResetProgramState();
    os.NameProcess("Tolvimer", "emu");
  }
  ~ExitWatchTest() override { ResetProgramState(); }

  // Starts the fake emulator, reads the exit settings and watches.
  void Watch(const std::string& settingsText) {
    os.settingsText = settingsText;
    char commandLine[] = "Tolvimer.exe";
    ASSERT_TRUE(os.CreateProcess(commandLine, process));
    Settings settings(os);
    ASSERT_TRUE(settings.Locate());
    ReadExitKey(settings);
    combo = ReadExitCombo(settings);
    end = WatchForExit(os, 0x400000, process.process, combo);
  }

  std::size_t Cycles() const { return os.Lines({"WaitForSingleObject"}).size(); }

  FakePlatform os;
  ProcessRecord process;
  ExitCombo combo{};
  WatchEnd end;
};

TEST_F(ExitWatchTest, SaysWhyItEnded) {
  const std::string kCombo = "[GamePadExit]\nMapGamePadExit=true\nButton1=true\nButton2=true\n";
  struct Case {
    std::string name;
    std::string settings;
    std::vector<std::uint32_t> exitCodes;
    std::vector<std::int16_t> keyStates;
    std::vector<FakePlatform::Pad> pads;
    std::uint32_t checks;
    bool emulatorEnded;
    std::uint32_t exitCode;
    bool exitKeyPressed;
    bool comboHeld;
    std::vector<std::uint64_t> heldInputs;  // per pad
  } cases[] = {
      {"the emulator ends with 3", "", {259, 259, 3}, {0}, {}, 3, true, 3, false, false, {}},
      {"the exit key", "", RunningFor(10), {0, kDown}, {}, 2, false, 259, true, false, {}},
      {"the combination over two pads",
       kCombo,
       RunningFor(10),
       {0},
       {Pad(1, {Held({}), Held({1})}), Pad(2, {Held({}), Held({2, 3})})},
       2,
       false,
       259,
       false,
       true,
       {0b01, 0b10}},
      {"the emulator ends in the check that finds the combination held",
       kCombo,
       {259, 7},
       {0},
       {Pad(1, {Held({}), Held({1, 2})})},
       2,
       true,
       7,
       false,
       true,
       {0b11}},
      {"held inputs are told only when the combination ends the watch",
       kCombo,
       {259, 0},
       {0},
       {Pad(1, {Held({}), Held({1})})},
       2,
       true,
       0,
       false,
       false,
       {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetProgramState();
    os = FakePlatform();
    os.NameProcess("Tolvimer", "emu");
    os.exitCodes = c.exitCodes;
    os.asyncKeyStates = c.keyStates;
    os.pads = c.pads;
    Watch(c.settings);
    EXPECT_EQ(end.checks, c.checks);
    EXPECT_EQ(end.emulatorEnded, c.emulatorEnded);
    EXPECT_EQ(end.exitCode, c.exitCode);
    EXPECT_EQ(end.exitKeyPressed, c.exitKeyPressed);
    EXPECT_EQ(end.comboHeld, c.comboHeld);
    for (int pad = 0; pad < MAX_GAMEPADS; ++pad) {
      const std::uint64_t held =
          pad < static_cast<int>(c.heldInputs.size()) ? c.heldInputs[pad] : 0;
      EXPECT_EQ(end.heldInputs[pad], held) << "pad " << pad + 1;
    }
  }
}

TEST_F(ExitWatchTest, ExitKeyIsTheCharacterOfTheNamedVirtualKey) {
  struct Case {
    std::string settings;
    Lines mapped;  // MapVirtualKey calls
    std::string polled;
  } cases[] = {
      {"", {}, "GetAsyncKeyState(27)"},
      {"[General]\nExit=\n", {}, "GetAsyncKeyState(27)"},
      {"[General]\nExit=27\n", {"MapVirtualKey(27, 2) = 0x1B"}, "GetAsyncKeyState(27)"},
      {"[General]\nExit=65\n", {"MapVirtualKey(65, 2) = 0x41"}, "GetAsyncKeyState(65)"},
      {"[General]\nExit=Escape\n", {"MapVirtualKey(0, 2) = 0x0"}, "GetAsyncKeyState(0)"},
      {"[General]\nExit=0x1B\n", {"MapVirtualKey(0, 2) = 0x0"}, "GetAsyncKeyState(0)"},
      // A function key has no character.
      {"[General]\nExit=112\n", {"MapVirtualKey(112, 2) = 0x0"}, "GetAsyncKeyState(0)"},
      // The low byte only, taken as signed and widened with its sign.
      {"[General]\nExit=222\n", {"MapVirtualKey(222, 2) = 0x800001E4"}, "GetAsyncKeyState(-28)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    ResetProgramState();
    FakePlatform fake;
    fake.keyMap[{112, 2}] = 0;
    fake.keyMap[{222, 2}] = 0x800001E4;
    fake.settingsText = c.settings;
    Settings settings(fake);
    ASSERT_TRUE(settings.Locate());
    ReadExitKey(settings);
    EXPECT_EQ(fake.Lines({"MapVirtualKey"}), c.mapped);
    ExitCombo combo{};
    WatchForExit(fake, 0x400000, 0, combo);  // the emulator has already ended
    EXPECT_EQ(fake.Lines({"GetAsyncKeyState"}), Lines{c.polled + " = 0x0000"});
  }
}

TEST_F(ExitWatchTest, ComboKeysAreReadOnlyWhenMapGamePadExitIsTrue) {
  const Lines allKeys = {"MapGamePadExit", "Up",      "Right",    "Down",     "Left",    "Button1",
                         "Button2",        "Button3", "Button4",  "Button5",  "Button6", "Button7",
                         "Button8",        "Button9", "Button10", "Button11", "Button12"};
  struct Case {
    std::string section;
    int enabled;
    std::vector<int> wanted;
    bool readsAll;
  } cases[] = {
      {"", 0, {}, false},
      {"MapGamePadExit=false\nButton1=true\n", 0, {}, false},
      {"MapGamePadExit=1\nButton1=true\n", 0, {}, false},
      {"MapGamePadExit=yes\nButton1=true\n", 0, {}, false},
      {"MapGamePadExit=\nButton1=true\n", 0, {}, false},
      {"MapGamePadExit=true\n", 1, {}, true},
      {"MapGamePadExit=TRUE\nUp=True\nRight=true\nDown=yes\nLeft=1\nButton1=TRUE\n"
       "Button12=true\nButton13=true\nButton2=false\n",
       1,
       {32, 33, 0, 11},
       true},
      {"MapGamePadExit=True\nUp=true\nRight=true\nDown=true\nLeft=true\nButton1=true\n"
       "Button2=true\nButton3=true\nButton4=true\nButton5=true\nButton6=true\n"
       "Button7=true\nButton8=true\nButton9=true\nButton10=true\nButton11=true\n"
       "Button12=true\n",
       1,
       {32, 33, 34, 35, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.section);
    FakePlatform fake;
    fake.settingsText = "[GamePadExit]\n" + c.section;
    Settings settings(fake);
    ASSERT_TRUE(settings.Locate());
    const ExitCombo read = ReadExitCombo(settings);
    EXPECT_EQ(read.enabled, c.enabled);
    std::uint8_t wanted[36] = {};
    for (int input : c.wanted) wanted[input] = 1;
    EXPECT_EQ(std::vector<std::uint8_t>(read.wanted, read.wanted + 36),
              std::vector<std::uint8_t>(wanted, wanted + 36));
    EXPECT_EQ(read.wantedCount, static_cast<std::int32_t>(c.wanted.size()));
    Lines keysRead;
    for (const std::string& line : fake.Lines({"GetPrivateProfileString"})) {
      keysRead.push_back(line.substr(37, line.find(')') - 37));  // after "(GamePadExit, "
    }
    EXPECT_EQ(keysRead, c.readsAll ? allKeys : Lines{"MapGamePadExit"});
  }
}

TEST_F(ExitWatchTest, CombinationEndsTheWatchOnlyWhenHeldPairsEqualTheWantedCount) {
  const std::string buttons12 = "[GamePadExit]\nMapGamePadExit=true\nButton1=true\nButton2=true\n";
  struct Case {
    std::string name;
    std::string settings;
    std::vector<FakePlatform::Pad> pads;
    bool initFails;
    std::size_t cycles;  // the exit key, pressed in cycle 4, ends the rest
  } cases[] = {
      {"one pad holding both, from the third poll",
       buttons12,
       {Pad(1, {Held({}), Held({1}), Held({1, 2})})},
       false,
       3},
      {"one pad each holding one wanted button",
       buttons12,
       {Pad(1, {Held({1})}), Pad(2, {Held({}), Held({2})})},
       false,
       2},
      {"two pads each holding Button1",
       buttons12,
       {Pad(1, {Held({1})}), Pad(2, {Held({1})})},
       false,
       1},
      {"3 held pairs against 2 wanted",
       buttons12,
       {Pad(1, {Held({1, 2})}), Pad(2, {Held({1})})},
       false,
       4},
      {"unwanted buttons held as well", buttons12, {Pad(1, {Held({1, 2, 3, 13, 32})})}, false, 1},
      {"buttons 13 to 32 never count", buttons12, {Pad(1, {Held({13, 14})})}, false, 4},
      {"hat at 4500 for Up and Right",
       "[GamePadExit]\nMapGamePadExit=true\nUp=true\nRight=true\n",
       {Pad(1, {Held({}, 0), Held({}, 4500)})},
       false,
       2},
      {"wanted count 0 is met by the first poll",
       "[GamePadExit]\nMapGamePadExit=true\n",
       {},
       false,
       1},
      {"wanted count 0 with failed init never ends by pads",
       "[GamePadExit]\nMapGamePadExit=true\n",
       {},
       true,
       4},
      {"failed init turns the combination off", buttons12, {Pad(1, {Held({1, 2})})}, true, 4},
      {"combination off",
       "[GamePadExit]\nButton1=true\nButton2=true\n",
       {Pad(1, {Held({1, 2})})},
       false,
       4},
      {"no pad attached", buttons12, {}, false, 4},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetProgramState();
    FakePlatform fake;
    fake.pads = c.pads;
    if (c.initFails) fake.Fail("DirectInputCreate");
    fake.exitCodes = RunningFor(10);
    fake.asyncKeyStates = {0, 0, 0, kDown};
    Settings settings(fake);
    ASSERT_TRUE(settings.Locate());
    fake.settingsText = c.settings;
    ExitCombo read = ReadExitCombo(settings);
    const int enabledBefore = read.enabled;
    WatchForExit(fake, 0x400000, 0, read);
    EXPECT_EQ(fake.Lines({"WaitForSingleObject"}).size(), c.cycles);
    EXPECT_EQ(read.enabled, c.initFails ? 0 : enabledBefore);
  }
}

TEST_F(ExitWatchTest, CountSumsHeldWantedPairsOverAllPads) {
  ExitCombo wanted{};
  wanted.enabled = 1;
  wanted.wanted[0] = wanted.wanted[1] = wanted.wanted[32] = wanted.wanted[35] = 1;
  wanted.wantedCount = 4;
  os.pads = {Pad(1, {Held({1, 2, 3}, 31500)}), Pad(2, {Held({2}, 0)}), Pad(3, {Held({})})};
  ASSERT_TRUE(InitGamePads(os, 0x400000));
  EXPECT_EQ(CountComboPresses(wanted), 0);
  PollGamePads(os);
  // Pad 1: buttons 1, 2, Up and Left; pad 2: button 2 and Up; pad 3 nothing.
  EXPECT_EQ(CountComboPresses(wanted), 6);
}

TEST_F(ExitWatchTest, EachCycleWaitsChecksExitCodeAndKeyThenReadsThePads) {
  os.pads = {Pad(1, {Held({})})};
  os.exitCodes = {259, 0};
  Watch("");  // the combination is off: the pad is read all the same
  const Lines lines = os.Lines();
  const auto start = std::find(lines.begin(), lines.end(), "DirectInputCreate(0x0500) = dinput");
  EXPECT_EQ(Lines(start, lines.end()),
            (Lines{"DirectInputCreate(0x0500) = dinput",
                   "EnumDevices(dinput, DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY)",
                   "CreateDevice(dinput, {00000001}) = device1",
                   "QueryInterface(device1, IID_IDirectInputDevice2A) = pad1",
                   "Release(device1)",
                   "GetDesktopWindow() = desktop",
                   "SetCooperativeLevel(pad1, desktop, 0xA)",
                   "SetDataFormat(pad1, c_dfDIJoystick)",
                   "SetProperty(pad1, DIPROP_RANGE, DIPH_BYOFFSET 0, -255, 255)",
                   "SetProperty(pad1, DIPROP_RANGE, DIPH_BYOFFSET 4, -255, 255)",
                   "Acquire(pad1)",
                   "Poll(pad1) = 0x00000000",
                   "WaitForSingleObject(emu.process, 500)",
                   "GetExitCodeProcess(emu.process) = 259",
                   "GetAsyncKeyState(27) = 0x0000",
                   "GetDeviceState(pad1, 80)",
                   "WaitForSingleObject(emu.process, 500)",
                   "GetExitCodeProcess(emu.process) = 0",
                   "GetAsyncKeyState(27) = 0x0000",
                   "GetDeviceState(pad1, 80)",
                   "Unacquire(pad1)",
                   "Release(pad1)",
                   "Release(dinput)"}));
}

TEST_F(ExitWatchTest, EmulatorEndOrExitKeyEndsTheWatch) {
  struct Case {
    std::string name;
    std::vector<std::uint32_t> exitCodes;
    std::vector<std::int16_t> keyStates;
    int failExitCodeQuery;  // the n-th GetExitCodeProcess fails; 0: none; -1: every one
    std::size_t cycles;
  } cases[] = {
      {"emulator ends in the third cycle", {259, 259, 1}, {0}, 0, 3},
      {"exit code 0 is an end too", {259, 0}, {0}, 0, 2},
      {"exit code 259 is still running; key down", RunningFor(10), {0, 0, 0, 0, kDown}, 0, 5},
      {"pressed since the last query: bit 0 alone", RunningFor(10), {0, 0x0001}, 0, 2},
      {"other bits are no press", RunningFor(10), {0x7FFE, 0x4000, 0x7FFE, 0x0001}, 0, 4},
      {"a failed exit-code query keeps the last code", {259, 259, 5}, {0}, 2, 4},
      {"a first query failing is no end", RunningFor(3), {0}, 1, 5},
      {"every query failing: only the key ends it", {0}, {0, 0, 0, kDown}, -1, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResetProgramState();
    FakePlatform fake;
    fake.exitCodes = c.exitCodes;
    fake.asyncKeyStates = c.keyStates;
    if (c.failExitCodeQuery != 0) {
      fake.Fail("GetExitCodeProcess", c.failExitCodeQuery < 0 ? 0 : c.failExitCodeQuery);
    }
    ExitCombo off{};
    WatchForExit(fake, 0x400000, 0, off);
    EXPECT_EQ(fake.Lines({"WaitForSingleObject"}).size(), c.cycles);
    EXPECT_EQ(fake.Lines({"GetAsyncKeyState"}).size(), c.cycles);
    EXPECT_EQ(fake.Lines().back(), "Release(dinput)");
  }
}

TEST_F(ExitWatchTest, PadUnpluggedDuringTheWatchStopsCountingFromTheNextCycle) {
  // Button1 wanted alone: two pads holding it make 2 pairs, which is no end,
  // until pad 1's read fails and, one cycle later, it counts no more.
  os.pads = {Pad(1, {Held({1})}), Pad(2, {Held({1})})};
  os.Fail("GetDeviceState", 3);  // pad 1 in the second cycle
  os.exitCodes = RunningFor(10);
  Watch("[GamePadExit]\nMapGamePadExit=true\nButton1=true\n");
  EXPECT_EQ(Cycles(), 3u);
  EXPECT_EQ(os.Lines({"GetDeviceState"}),
            (Lines{"GetDeviceState(pad1, 80)", "GetDeviceState(pad2, 80)",
                   "GetDeviceState(pad1, 80) = FAILED", "GetDeviceState(pad2, 80)",
                   "GetDeviceState(pad2, 80)"}));
}

class ExitWatchLaunchTest : public LaunchTest {
 protected:
  ExitWatchLaunchTest() { ResetProgramState(); }
  ~ExitWatchLaunchTest() override { ResetProgramState(); }
};

TEST_F(ExitWatchLaunchTest, WatchRunsBetweenTheSecondIdleWaitAndWmClose) {
  os.settingsText =
      "[General]\nShowStats=true\nExit=65\n"
      "[GamePadExit]\nMapGamePadExit=true\nButton1=true\nButton2=true\n";
  os.pads = {Pad(1, {Held({}), Held({}), Held({1, 2})})};
  os.exitCodes = RunningFor(10);
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(os.Lines({"WaitForInputIdle", "DirectInputCreate", "WaitForSingleObject",
                      "GetAsyncKeyState", "Release", "SendMessage"}),
            (Lines{"WaitForInputIdle(emu.process, 5000)", "WaitForInputIdle(emu.process, 5000)",
                   "DirectInputCreate(0x0500) = dinput", "Release(device1)",
                   "WaitForSingleObject(emu.process, 500)", "GetAsyncKeyState(65) = 0x0000",
                   "WaitForSingleObject(emu.process, 500)", "GetAsyncKeyState(65) = 0x0000",
                   "WaitForSingleObject(emu.process, 500)", "GetAsyncKeyState(65) = 0x0000",
                   "Release(pad1)", "Release(dinput)", "SendMessage(emu, WM_CLOSE, 0, 0)"}));
  // The exit settings are read after ShowStats and before LimitFPS.
  Lines keys;
  for (const std::string& line : os.Lines({"GetPrivateProfileString"})) {
    keys.push_back(line.substr(24, line.find(')') - 24));
  }
  const Lines expectedOrder = {"General, ShowStats",          "General, Exit",
                               "GamePadExit, MapGamePadExit", "GamePadExit, Up",
                               "GamePadExit, Right",          "GamePadExit, Down",
                               "GamePadExit, Left",           "GamePadExit, Button1"};
  auto at = std::find(keys.begin(), keys.end(), expectedOrder[0]);
  ASSERT_NE(at, keys.end());
  EXPECT_EQ(Lines(at, at + static_cast<std::ptrdiff_t>(expectedOrder.size())), expectedOrder);
  // MapGamePadExit, then Up to Left and Button1 to Button12, then LimitFPS.
  ASSERT_GT(keys.end() - at, 19);
  EXPECT_EQ(*(at + 19), "Some Game, LimitFPS");
}

// A watch that misses every end (the emulator runs on, no key, no pads)
// never returns; the fake's bounded trace stops it within seconds instead of
// letting it record until memory runs out.
TEST(ExitWatchDeathTest, AWatchThatNeverEndsFailsFast) {
  EXPECT_DEATH(
      {
        FakePlatform fake;
        fake.exitCodes = {259};
        ExitCombo off{};
        WatchForExit(fake, 0x400000, 0, off);
      },
      "the run does not end");
}

}  // namespace
}  // namespace tolvimer::testing
