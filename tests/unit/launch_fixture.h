// A fake machine with the launcher at C:\Emu and an emulator that starts and
// shows its window, for tests that run the whole launch sequence.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "launch/launch_sequence.h"
#include "tests/fake/fake_platform.h"

namespace tolvimer::testing {

// Exit codes of an emulator that runs for `cycles` cycles and then ends, so
// that a watch that misses its end still stops.
inline std::vector<std::uint32_t> RunningFor(std::size_t cycles) {
  std::vector<std::uint32_t> codes(cycles, 259);
  codes.push_back(0);
  return codes;
}

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
