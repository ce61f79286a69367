// A fake machine with the launcher at C:\Emu and an emulator that starts and
// shows its window, for tests that run the whole launch sequence.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "launch/launch_sequence.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {

class LaunchTest : public ::testing::Test {
 protected:
  LaunchTest() {
    os.NameProcess("Tolvimer", "emu");
    os.AddWindow("emu", "emu");
  }

  int Run(const char* imagePath = "D:\\Images\\Some Game.cdi") {
    return RunLaunchSequence(os, 0x400000, imagePath);
  }

  FakePlatform os;
};

}  // namespace tolvimer::testing
