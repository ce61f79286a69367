// A fake machine for the benchmarks: the launcher at C:\Emu with the
// emulator's two files, an emulator that shows its window and has already
// ended when the exit watch first looks, and a settings file that holds the
// general sections and `games` game sections, the image's own one last.
#pragma once

#include <string>

#include "tests/fake/fake_platform.h"

namespace tolvimer::bench {

// The image whose game section is the last of the file.
std::string ImagePath(int games);

// The settings text with `games` game sections.
std::string SettingsText(int games);

// Sets the fake up for one launch with that settings text.
void PrepareMachine(testing::FakePlatform& os, const std::string& settingsText);

// How many settings reads a run made, from the fake's trace.
int SettingsReads(const testing::FakePlatform& os);

}  // namespace tolvimer::bench
