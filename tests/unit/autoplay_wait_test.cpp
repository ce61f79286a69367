#include "mount/autoplay_wait.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch/launch_sequence.h"
#include "settings/settings.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {
namespace {

using Lines = std::vector<std::string>;

// [General] Delay in whole seconds; the call is made whenever the key is
// present, with 0 for anything that gives no sensible wait.
TEST(AutoPlayWaitTest, DelayIsWholeSecondsTimesAThousand) {
  struct Case {
    std::string settings;
    Lines calls;
  } cases[] = {
      {"[General]\n", {}},
      {"[General]\nDelay=\n", {}},
      {"[Some Game]\nDelay=5\n", {}},
      {"[General]\nDelay=0\n", {"WaitWithAutoPlaySuppressed(0)"}},
      {"[General]\nDelay=abc\n", {"WaitWithAutoPlaySuppressed(0)"}},
      {"[General]\nDelay=5\n", {"WaitWithAutoPlaySuppressed(5000)"}},
      {"[General]\nDelay=2.9\n", {"WaitWithAutoPlaySuppressed(2000)"}},
      {"[General]\nDelay=+7s\n", {"WaitWithAutoPlaySuppressed(7000)"}},
      {"[General]\nDelay=-3\n", {"WaitWithAutoPlaySuppressed(0)"}},
      {"[General]\nDelay=-0\n", {"WaitWithAutoPlaySuppressed(0)"}},
      // The largest count whose milliseconds fit a signed 32-bit number, and
      // the first ones beyond it: no wait rather than one of weeks.
      {"[General]\nDelay=2147483\n", {"WaitWithAutoPlaySuppressed(2147483000)"}},
      {"[General]\nDelay=2147484\n", {"WaitWithAutoPlaySuppressed(0)"}},
      {"[General]\nDelay=3000000\n", {"WaitWithAutoPlaySuppressed(0)"}},
      {"[General]\nDelay=99999999999999999999\n", {"WaitWithAutoPlaySuppressed(0)"}},
      {"[General]\nDelay=-2147483648\n", {"WaitWithAutoPlaySuppressed(0)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    FakePlatform os;
    os.settingsText = c.settings;
    Settings settings(os);
    ASSERT_TRUE(settings.Locate());
    AutoPlayHandlerHold handler;
    WaitAfterMount(settings, 0x400000, DiscWatch{}, handler);
    EXPECT_EQ(os.Lines({"WaitWithAutoPlaySuppressed"}), c.calls);
  }
}

// The wait follows the mount and comes before the emulator is started, also
// when no mount tool is configured.
TEST(AutoPlayWaitTest, WaitComesBetweenTheMountAndTheEmulatorStart) {
  struct Case {
    std::string settings;
    Lines calls;
  } cases[] = {
      {"[General]\nDelay=5\nMountTool=daemontools\n[DaemonTools]\nExe=m.exe\nDevice=0\n",
       {"CreateProcess(\"\"m.exe\" -noicon -mount 0,\"D:\\Images\\game.cdi\"\") = proc1",
        "WaitWithAutoPlaySuppressed(5000)", "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu"}},
      {"[General]\nDelay=3\n",
       {"WaitWithAutoPlaySuppressed(3000)", "CreateProcess(\"Tolvimer_alpha_25.exe\") = emu"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.settings);
    FakePlatform os;
    os.NameProcess("Tolvimer", "emu");
    os.AddWindow("emu", "emu");
    os.settingsText = c.settings;
    EXPECT_EQ(RunLaunchSequence(os, 1, "D:\\Images\\game.cdi"), 1);
    EXPECT_EQ(os.Lines({"CreateProcess", "WaitWithAutoPlaySuppressed"}), c.calls);
  }
}

}  // namespace
}  // namespace tolvimer::testing
