#include "exitwatch/gamepads.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/fake/fake_pads.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;

constexpr HResult kInputLost = static_cast<HResult>(0x8007001Eu);  // DIERR_INPUTLOST
constexpr HResult kNoEffect = 1;                                   // DI_NOEFFECT

// A pad named after its number, as DirectInput names a product.
FakePlatform::Pad NumberedPad(std::uint32_t guid, std::vector<JoyState> states = {Held({})}) {
  return Pad(guid, std::move(states), "Pad " + std::to_string(guid));
}

std::string Flags(const GamePadState& state) {
  std::string flags;
  flags += state.up ? 'U' : '-';
  flags += state.right ? 'R' : '-';
  flags += state.down ? 'D' : '-';
  flags += state.left ? 'L' : '-';
  return flags;
}

bool IsZero(const GamePadState& state) {
  const GamePadState zero{};
  return std::memcmp(&state, &zero, sizeof state) == 0;
}

// Every test starts from the table as it is at program start and leaves it so.
class GamePadTest : public ::testing::Test {
 protected:
  GamePadTest() { gamePads = GamePadTable{}; }
  ~GamePadTest() override { gamePads = GamePadTable{}; }

  FakePlatform os;
};

// The whole preparation of two pads, in order, as the trace shows it.
const Lines kPrepareTwoPads = {
    "DirectInputCreate(0x0500) = dinput",
    "EnumDevices(dinput, DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY)",
    "CreateDevice(dinput, {000000A1}) = device1",
    "QueryInterface(device1, IID_IDirectInputDevice2A) = pad1",
    "Release(device1)",
    "GetDesktopWindow() = desktop",
    "SetCooperativeLevel(pad1, desktop, 0xA)",
    "SetDataFormat(pad1, c_dfDIJoystick)",
    "SetProperty(pad1, DIPROP_RANGE, DIPH_BYOFFSET 0, -255, 255)",
    "SetProperty(pad1, DIPROP_RANGE, DIPH_BYOFFSET 4, -255, 255)",
    "Acquire(pad1)",
    "Poll(pad1) = 0x00000000",
    "CreateDevice(dinput, {000000A2}) = device2",
    "QueryInterface(device2, IID_IDirectInputDevice2A) = pad2",
    "Release(device2)",
    "GetDesktopWindow() = desktop",
    "SetCooperativeLevel(pad2, desktop, 0xA)",
    "SetDataFormat(pad2, c_dfDIJoystick)",
    "SetProperty(pad2, DIPROP_RANGE, DIPH_BYOFFSET 0, -255, 255)",
    "SetProperty(pad2, DIPROP_RANGE, DIPH_BYOFFSET 4, -255, 255)",
    "Acquire(pad2)",
    "Poll(pad2) = 0x00000000",
};

TEST_F(GamePadTest, TwoPadsArePreparedInOrderAndReleasedAfterwards) {
  os.pads = {NumberedPad(0xA1), NumberedPad(0xA2)};
  EXPECT_TRUE(InitGamePads(os, 0x400000));
  EXPECT_EQ(GetGamePadCount(), 2);
  ReleaseGamePads(os);
  Lines expected = kPrepareTwoPads;
  for (const char* line : {"Unacquire(pad1)", "Release(pad1)", "Unacquire(pad2)", "Release(pad2)",
                           "Release(dinput)"}) {
    expected.push_back(line);
  }
  EXPECT_EQ(os.Lines(), expected);
}

TEST_F(GamePadTest, FailingStepEndsPreparationAndReleaseFreesWhatWasMade) {
  struct Case {
    std::string call;
    int n;
    HResult answer;           // 0: make the call fail with E_FAIL
    std::size_t linesBefore;  // lines of the full preparation before the failing call
    std::string failedLine;
    Lines released;
  } cases[] = {
      {"DirectInputCreate", 1, 0, 0, "DirectInputCreate(0x0500) = 0x80004005", {}},
      {"EnumDevices",
       1,
       0,
       1,
       "EnumDevices(dinput, DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY) = FAILED",
       {"Release(dinput)"}},
      // No first interface: nothing to ask for the second one.
      {"CreateDevice", 1, 0, 2, "CreateDevice(dinput, {000000A1}) = FAILED", {"Release(dinput)"}},
      {"QueryInterface",
       1,
       0,
       3,
       "QueryInterface(device1, IID_IDirectInputDevice2A) = FAILED",
       {"Release(dinput)"}},
      {"SetCooperativeLevel",
       1,
       0,
       6,
       "SetCooperativeLevel(pad1, desktop, 0xA) = FAILED",
       {"Unacquire(pad1)", "Release(pad1)", "Release(dinput)"}},
      {"SetDataFormat",
       1,
       0,
       7,
       "SetDataFormat(pad1, c_dfDIJoystick) = FAILED",
       {"Unacquire(pad1)", "Release(pad1)", "Release(dinput)"}},
      {"Acquire",
       1,
       0,
       10,
       "Acquire(pad1) = FAILED",
       {"Unacquire(pad1)", "Release(pad1)", "Release(dinput)"}},
      {"Poll",
       1,
       kInputLost,
       11,
       "Poll(pad1) = 0x8007001E",
       {"Unacquire(pad1)", "Release(pad1)", "Release(dinput)"}},
      // The second pad: the first one's device is released too.
      {"CreateDevice",
       2,
       0,
       12,
       "CreateDevice(dinput, {000000A2}) = FAILED",
       {"Unacquire(pad1)", "Release(pad1)", "Release(dinput)"}},
      {"QueryInterface",
       2,
       0,
       13,
       "QueryInterface(device2, IID_IDirectInputDevice2A) = FAILED",
       {"Unacquire(pad1)", "Release(pad1)", "Release(dinput)"}},
      {"SetDataFormat",
       2,
       0,
       17,
       "SetDataFormat(pad2, c_dfDIJoystick) = FAILED",
       {"Unacquire(pad1)", "Release(pad1)", "Unacquire(pad2)", "Release(pad2)", "Release(dinput)"}},
      {"Acquire",
       2,
       0,
       20,
       "Acquire(pad2) = FAILED",
       {"Unacquire(pad1)", "Release(pad1)", "Unacquire(pad2)", "Release(pad2)", "Release(dinput)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call + " #" + std::to_string(c.n));
    gamePads = GamePadTable{};
    FakePlatform fake;
    fake.pads = {NumberedPad(0xA1), NumberedPad(0xA2)};
    if (c.answer == 0) {
      fake.Fail(c.call, c.n);
    } else {
      fake.Answer(c.call, c.n, c.answer);
    }
    EXPECT_FALSE(InitGamePads(fake, 0x400000));
    ReleaseGamePads(fake);
    Lines expected(kPrepareTwoPads.begin(),
                   kPrepareTwoPads.begin() + static_cast<std::ptrdiff_t>(c.linesBefore));
    expected.push_back(c.failedLine);
    expected.insert(expected.end(), c.released.begin(), c.released.end());
    EXPECT_EQ(fake.Lines(), expected);
  }
}

TEST_F(GamePadTest, RangeFailuresAndPollSuccessCodesDoNotStopPreparation) {
  os.pads = {NumberedPad(0xA1)};
  os.Fail("SetProperty");
  os.Answer("Poll", 1, kNoEffect);
  EXPECT_TRUE(InitGamePads(os, 0x400000));
  EXPECT_EQ(os.Lines({"SetProperty", "Acquire", "Poll"}),
            (Lines{"SetProperty(pad1, DIPROP_RANGE, DIPH_BYOFFSET 0, -255, 255) = FAILED",
                   "SetProperty(pad1, DIPROP_RANGE, DIPH_BYOFFSET 4, -255, 255) = FAILED",
                   "Acquire(pad1)", "Poll(pad1) = 0x00000001"}));
}

TEST_F(GamePadTest, NoPadAttachedSucceedsAndPollsNothing) {
  EXPECT_TRUE(InitGamePads(os, 0x400000));
  EXPECT_EQ(GetGamePadCount(), 0);
  PollGamePads(os);
  ReleaseGamePads(os);
  EXPECT_EQ(os.Lines(), (Lines{"DirectInputCreate(0x0500) = dinput",
                               "EnumDevices(dinput, DIDEVTYPE_JOYSTICK, DIEDFL_ATTACHEDONLY)",
                               "Release(dinput)"}));
}

TEST_F(GamePadTest, EnumerationRecordsEightPadsAndStopsAtTheNinth) {
  for (std::uint32_t guid = 1; guid <= 9; ++guid) os.pads.push_back(NumberedPad(guid));
  EXPECT_TRUE(InitGamePads(os, 0x400000));
  EXPECT_EQ(GetGamePadCount(), 8);
  for (int i = 0; i < MAX_GAMEPADS; ++i) {
    EXPECT_EQ(gamePads.slots[i].instanceGuid.data1, static_cast<std::uint32_t>(i + 1));
    EXPECT_STREQ(gamePads.slots[i].productName, ("Pad " + std::to_string(i + 1)).c_str());
    EXPECT_EQ(gamePads.slots[i].active, 1);
  }
  EXPECT_EQ(os.Lines({"Poll"}).size(), 8u);  // the ninth is never prepared

  // A ninth device offered to a full table stops the enumeration unrecorded.
  DeviceInstance ninth;
  ninth.guidInstance.data1 = 9;
  const GamePadSlot lastBefore = gamePads.slots[7];
  EXPECT_FALSE(EnumGamePadCallback(ninth, 0));
  EXPECT_EQ(GetGamePadCount(), 8);
  EXPECT_EQ(std::memcmp(&gamePads.slots[7], &lastBefore, sizeof lastBefore), 0);
}

TEST_F(GamePadTest, EnumerationCopiesTheWholeGuidAndAll260NameBytes) {
  DeviceInstance device;
  device.guidInstance = Guid{0x12345678, 0x9ABC, 0xDEF0, {1, 2, 3, 4, 5, 6, 7, 8}};
  for (std::size_t i = 0; i < sizeof device.productName; ++i) {
    device.productName[i] = static_cast<char>('a' + i % 26);
  }
  device.productName[4] = '\0';  // bytes after the terminator are copied as well
  EXPECT_TRUE(EnumGamePadCallback(device, 0));
  EXPECT_EQ(GetGamePadCount(), 1);
  EXPECT_EQ(gamePads.slots[0].active, 1);
  EXPECT_EQ(std::memcmp(&gamePads.slots[0].instanceGuid, &device.guidInstance, sizeof(Guid)), 0);
  EXPECT_EQ(std::memcmp(gamePads.slots[0].productName, device.productName, 260), 0);
}

TEST_F(GamePadTest, AxesAndButtonsTranslateFromTheRawState) {
  JoyState raw;
  raw.lX = -255;
  raw.lY = 0x18000;  // only the low 16 bits are kept
  raw.rgbButtons[0] = 0x80;
  raw.rgbButtons[1] = 32;
  raw.rgbButtons[2] = 33;
  raw.rgbButtons[31] = 0xFF;
  raw.rgdwPOV[0] = kCentred;
  os.pads = {NumberedPad(0xA1, {raw})};
  ASSERT_TRUE(InitGamePads(os, 0x400000));
  PollGamePads(os);
  const GamePadState& state = gamePads.slots[0].state;
  EXPECT_EQ(state.x, -255);
  EXPECT_EQ(state.y, -32768);
  std::uint8_t expected[32] = {};
  expected[0] = 1;  // 0x80
  expected[2] = 1;  // 33
  expected[31] = 1;
  EXPECT_EQ(std::memcmp(state.buttons, expected, sizeof expected), 0);
  EXPECT_EQ(Flags(state), "----");
}

TEST_F(GamePadTest, HatAnglesSetDirectionsAndOtherAnglesLeaveThem) {
  // Polled in this order on one pad; each row's flags follow the poll before.
  struct Row {
    std::uint32_t angle;
    const char* flags;
  } rows[] = {
      {0, "U---"},     {4500, "UR--"},     {9000, "-R--"},  {13500, "-RD-"},    {18000, "--D-"},
      {22500, "--DL"}, {27000, "---L"},    {31500, "U--L"}, {kCentred, "----"}, {1000, "----"},
      {4500, "UR--"},  {1000, "UR--"},     {22500, "--DL"}, {65535, "--DL"},  // not taken as
                                                                              // centred
      {36000, "--DL"}, {kCentred, "----"},
  };
  std::vector<JoyState> states;
  for (const Row& row : rows) states.push_back(Held({}, row.angle));
  os.pads = {NumberedPad(0xA1, states)};
  ASSERT_TRUE(InitGamePads(os, 0x400000));
  for (const Row& row : rows) {
    PollGamePads(os);
    EXPECT_EQ(Flags(gamePads.slots[0].state), row.flags) << "hat at " << row.angle;
  }
}

TEST_F(GamePadTest, FailedReadKeepsThatPollsRecordThenReadsZero) {
  os.pads = {NumberedPad(0xA1, {Held({1, 4}, 9000)}), NumberedPad(0xA2, {Held({2})})};
  ASSERT_TRUE(InitGamePads(os, 0x400000));
  PollGamePads(os);
  os.Fail("GetDeviceState", 3);  // pad 1's read in the second poll
  PollGamePads(os);
  EXPECT_EQ(gamePads.slots[0].active, 0);
  EXPECT_EQ(gamePads.slots[0].state.buttons[0], 1);  // refreshed from the buffer once more
  EXPECT_EQ(gamePads.slots[0].state.buttons[3], 1);
  EXPECT_EQ(Flags(gamePads.slots[0].state), "-R--");
  PollGamePads(os);
  EXPECT_TRUE(IsZero(gamePads.slots[0].state));
  EXPECT_EQ(gamePads.slots[1].state.buttons[1], 1);  // the other pad goes on being read
  EXPECT_EQ(os.Lines({"GetDeviceState"}),
            (Lines{"GetDeviceState(pad1, 80)", "GetDeviceState(pad2, 80)",
                   "GetDeviceState(pad1, 80) = FAILED", "GetDeviceState(pad2, 80)",
                   "GetDeviceState(pad2, 80)"}));
}

TEST_F(GamePadTest, FirstReadFailingRefreshesFromTheUntouchedZeroBuffer) {
  // A zero buffer holds a hat angle of 0, which reads as Up for that one poll.
  os.pads = {NumberedPad(0xA1, {Held({1})})};
  os.Fail("GetDeviceState", 1);
  ASSERT_TRUE(InitGamePads(os, 0x400000));
  PollGamePads(os);
  EXPECT_EQ(Flags(gamePads.slots[0].state), "U---");
  EXPECT_EQ(gamePads.slots[0].state.buttons[0], 0);
  PollGamePads(os);
  EXPECT_TRUE(IsZero(gamePads.slots[0].state));
  EXPECT_EQ(os.Lines({"GetDeviceState"}).size(), 1u);
}

TEST_F(GamePadTest, PadLeftWithoutDeviceByFailedPreparationReadsZero) {
  os.pads = {NumberedPad(0xA1, {Held({1})}), NumberedPad(0xA2, {Held({1})})};
  os.Fail("QueryInterface", 2);
  EXPECT_FALSE(InitGamePads(os, 0x400000));
  EXPECT_EQ(GetGamePadCount(), 2);
  gamePads.slots[1].state.buttons[0] = 1;  // whatever it held is cleared
  PollGamePads(os);
  EXPECT_EQ(gamePads.slots[0].state.buttons[0], 1);
  EXPECT_TRUE(IsZero(gamePads.slots[1].state));
  EXPECT_EQ(os.Lines({"GetDeviceState"}), Lines{"GetDeviceState(pad1, 80)"});
}

}  // namespace
}  // namespace tolvimer::testing
