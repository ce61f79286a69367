// The setting catalogue that the dry run and the run log explain reads by is
// the launcher's own: it names every key the launcher reads, the launcher
// reads every key it names, and each word it lists for a key is one the
// launcher acts on, each differently.
#include "narration/setting_catalogue.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "emulator/menu_commands.h"
#include "exitwatch/exit_watch.h"
#include "launch/program_state.h"
#include "mount/mount_commands.h"
#include "prepare/display_mode.h"
#include "prepare/file_patches.h"
#include "settings/settings.h"
#include "tests/unit/run_scenarios.h"

namespace tolvimer::testing {
namespace {

// Runs the launcher on a settings file over the fake; gives its trace. A
// playlist image is given a playlist of one disc.
std::string TraceOf(const std::string& settingsText,
                    const char* imagePath = "D:\\Images\\Some Game.cdi") {
  FakePlatform os;
  ResetProgramState();
  EmulatorReady(os);
  os.settingsText = settingsText;
  const std::string disc = "disc1.cdi\r\n";
  os.files["D:\\Images\\Some Game.m3u"] = std::vector<std::uint8_t>(disc.begin(), disc.end());
  RunLaunchSequenceForTest(os, imagePath);
  return os.Trace();
}

// What a run did, without its settings reads.
std::vector<std::string> Effects(const std::string& trace) {
  std::vector<std::string> effects;
  std::size_t start = 0;
  while (start < trace.size()) {
    const std::size_t end = trace.find('\n', start);
    const std::string line = trace.substr(start, end - start);
    if (line.rfind("GetPrivateProfileString", 0) != 0) effects.push_back(line);
    start = end + 1;
  }
  return effects;
}

TEST(SettingCatalogueTest, NamesEveryKeyTheLauncherReadsAndNoOther) {
  // Settings that make every read happen: the gamepad keys, the three mount tools
  // (one run each), both fallbacks, the second and third reads, and a wait
  // (CancelAutoPlay is read only when there is one), and a playlist (the
  // swap keys are read only with one).
  const std::string common =
      "ForceFull=true\nUnmount=true\nLog=true\nDelay=1\n[GamePadExit]\nMapGamePadExit=true\n";
  const std::string traces = TraceOf("[General]\nMountTool=daemontools\n" + common) +
                             TraceOf("[General]\nMountTool=alcohol120\n" + common) +
                             TraceOf("[General]\nMountTool=custom\n" + common +
                                     "[CustomMount]\nMountArgs={image}\nUnmountArgs={drive}\n") +
                             TraceOf(
                                 "[General]\nNextDisc=78\n[GamePadNextDisc]\n"
                                 "MapGamePadNextDisc=true\n",
                                 "D:\\Images\\Some Game.m3u");
  static const std::regex kRead("GetPrivateProfileString\\(([^,]+), ([^)]+)\\)");
  std::set<std::pair<SectionKind, std::string>> read;
  for (std::sregex_iterator it(traces.begin(), traces.end(), kRead), end; it != end; ++it) {
    const std::string section = (*it)[1];
    const std::string key = (*it)[2];
    const KnownKey* known = FindKnownKey(SectionKindOf(section.c_str()), key.c_str());
    EXPECT_NE(known, nullptr) << "[" << section << "] " << key << " is read but not catalogued";
    if (known != nullptr) read.insert({known->section, known->key});
  }
  std::size_t count = 0;
  const KnownKey* keys = KnownKeys(count);
  for (std::size_t i = 0; i < count; ++i) {
    EXPECT_EQ(read.count({keys[i].section, keys[i].key}), 1u)
        << SectionKindLabel(keys[i].section) << " " << keys[i].key
        << " is catalogued but never read";
  }
}

TEST(SettingCatalogueTest, EachWordOfAKeyIsOneTheLauncherActsOnInItsOwnWay) {
  std::size_t count = 0;
  const KnownKey* keys = KnownKeys(count);
  for (std::size_t i = 0; i < count; ++i) {
    const KnownKey& key = keys[i];
    if (key.kind != ValueKind::kWords && key.kind != ValueKind::kSelector) continue;
    // [General] Screen picks the desktop mode only with ForceFull.
    const std::string general = key.section == SectionKind::kGeneral ? "ForceFull=true\n" : "";
    const auto effectsOf = [&](const std::string& value) {
      std::string text = "[General]\n" + general;
      if (key.section == SectionKind::kGeneral) {
        text += std::string(key.key) + "=" + value + "\n";
      } else {
        const std::string section = key.section == SectionKind::kGame
                                        ? std::string("[Some Game]")
                                        : SectionKindLabel(key.section);
        text += section + "\n" + key.key + "=" + value + "\n";
      }
      // The mount tools need their program to be told apart.
      text +=
          "[DaemonTools]\nExe=C:\\mounter.exe\n[Alcohol120]\nExe=C:\\mounter.exe\n"
          "[CustomMount]\nExe=C:\\mounter.exe\nMountArgs=-m\n";
      return Effects(TraceOf(text));
    };
    const std::vector<std::string> none = effectsOf("none of its words");
    std::set<std::vector<std::string>> seen;
    for (const char* word : key.words) {
      if (word == nullptr) break;
      const std::vector<std::string> effects = effectsOf(word);
      EXPECT_NE(effects, none) << key.key << " " << word << " does nothing";
      EXPECT_TRUE(seen.insert(effects).second)
          << key.key << " " << word << " acts like another word";
    }
  }
}

// The other way round for the emulator command table: every word a row acts
// on is one the catalogue lists for that key, in every section it is read in,
// so that the plan never warns about a word that works.
TEST(SettingCatalogueTest, ListsEveryWordOfTheCommandTable) {
  std::size_t count = 0;
  const KnownKey* keys = KnownKeys(count);
  int words = 0;
  for (std::uint32_t id = 0; id <= 0xFFFF; ++id) {
    CommandSource source{};
    if (!FindCommand(static_cast<std::uint16_t>(id), source)) continue;
    if (source.how != CommandSource::kWord && source.how != CommandSource::kOtherThan) continue;
    ++words;
    int sections = 0;
    for (std::size_t i = 0; i < count; ++i) {
      const KnownKey& key = keys[i];
      if (!IsWord(key.key, source.key)) continue;
      ++sections;
      bool listed = IsWord(source.word, "true") && key.kind == ValueKind::kSwitch;
      for (const char* word : key.words) listed = listed || (word && IsWord(word, source.word));
      EXPECT_TRUE(listed) << SectionKindLabel(key.section) << " " << key.key << " lacks "
                          << source.word << " (command " << id << ")";
    }
    EXPECT_GT(sections, 0) << source.key << " is not catalogued";
  }
  EXPECT_GE(words, 10);
}

// Whether the catalogue lists `word` for the key as read in that section, so
// that neither the plan nor the run log calls it a word without effect.
::testing::AssertionResult Lists(SectionKind section, const char* key, const char* word) {
  const KnownKey* known = FindKnownKey(section, key);
  if (known == nullptr) {
    return ::testing::AssertionFailure()
           << SectionKindLabel(section) << " " << key << " is not catalogued";
  }
  bool listed = false;
  for (const char* listedWord : known->words)
    listed = listed || (listedWord && IsWord(listedWord, word));
  if (!listed || !IsRecognisedValue(*known, word)) {
    return ::testing::AssertionFailure()
           << SectionKindLabel(section) << " " << key << " lacks " << word;
  }
  return ::testing::AssertionSuccess();
}

TEST(SettingCatalogueTest, ListsEveryWordOfTheRegionTheDesktopModeAndTheMountTool) {
  for (const RegionWord& row : kRegionWords) {
    EXPECT_TRUE(Lists(SectionKind::kGeneral, "Region", row.word));
  }
  for (const ScreenMode& row : kScreenModes) {
    EXPECT_TRUE(Lists(SectionKind::kGeneral, "Screen", row.word));
  }
  for (const MountToolWord& row : kMountToolWords) {
    EXPECT_TRUE(Lists(SectionKind::kGeneral, "MountTool", row.word));
  }
}

// A key of the combination that the catalogue lacked would be reported by
// the plan as a setting the launcher never reads.
TEST(SettingCatalogueTest, CataloguesEveryCombinationKeyAsASwitch) {
  for (const SectionKind section : {SectionKind::kGamePadExit, SectionKind::kGamePadNextDisc}) {
    for (const ComboKey& combo : kComboKeys) {
      const KnownKey* known = FindKnownKey(section, combo.key);
      ASSERT_NE(known, nullptr) << SectionKindLabel(section) << " " << combo.key
                                << " is not catalogued";
      EXPECT_EQ(known->kind, ValueKind::kSwitch) << combo.key;
      EXPECT_TRUE(IsRecognisedValue(*known, "true")) << combo.key;
    }
  }
}


// Every key the launcher reads is explained in one line, with what its absence
// does, and edited as the kind of value it reads.
TEST(SettingCatalogueTest, ExplainsEveryKeyInOneLineAndEditsItAsItsKind) {
  std::size_t count = 0;
  const KnownKey* keys = KnownKeys(count);
  for (std::size_t i = 0; i < count; ++i) {
    const KnownKey& key = keys[i];
    const KeyHelp& help = HelpOf(key);
    const std::string name = std::string(SectionKindLabel(key.section)) + " " + key.key;
    for (const char* line : {help.does, help.absent}) {
      const std::string text = line;
      EXPECT_FALSE(text.empty()) << name;
      EXPECT_EQ(text.find('\n'), std::string::npos) << name;
      EXPECT_LE(text.size(), 120u) << name << ": " << text;
    }
    const bool words = key.kind == ValueKind::kWords || key.kind == ValueKind::kSwitch ||
                       key.kind == ValueKind::kSelector;
    const bool number = help.edit == EditKind::kInteger || help.edit == EditKind::kVirtualKey;
    EXPECT_EQ(words, help.edit == EditKind::kWordList) << name;
    EXPECT_EQ(key.kind == ValueKind::kInteger, number) << name;
    if (number) {
      EXPECT_LT(help.least, help.most) << name;
    } else {
      EXPECT_EQ(help.least, 0) << name;
      EXPECT_EQ(help.most, 0) << name;
    }
  }
  // The keys the same kind of value is read by are told apart by it.
  EXPECT_EQ(HelpOf(*FindKnownKey(SectionKind::kGeneral, "Exit")).edit, EditKind::kVirtualKey);
  EXPECT_EQ(HelpOf(*FindKnownKey(SectionKind::kGeneral, "NextDisc")).edit, EditKind::kVirtualKey);
  EXPECT_EQ(HelpOf(*FindKnownKey(SectionKind::kGeneral, "TolvimerExe")).edit,
            EditKind::kProgramPath);
  EXPECT_EQ(HelpOf(*FindKnownKey(SectionKind::kCustomMount, "Exe")).edit, EditKind::kProgramPath);
  EXPECT_EQ(HelpOf(*FindKnownKey(SectionKind::kGeneral, "Drive")).edit, EditKind::kText);
  // A combination input of either combination is explained as one.
  EXPECT_STREQ(HelpOf(*FindKnownKey(SectionKind::kGamePadNextDisc, "Button3")).does,
               HelpOf(*FindKnownKey(SectionKind::kGamePadExit, "Up")).does);
}

// The ranges said to have an effect are the launcher's: inside, each end acts
// differently from the neutral value; just outside, it acts as that value.
TEST(SettingCatalogueTest, TheEffectiveRangeOfANumberIsTheLaunchersOwn) {
  const KeyHelp& delay = HelpOf(*FindKnownKey(SectionKind::kGeneral, "Delay"));
  const auto delayRun = [](std::int64_t seconds) {
    return Effects(TraceOf("[General]\nDelay=" + std::to_string(seconds) + "\n"));
  };
  EXPECT_EQ(delay.least, 0);
  EXPECT_NE(delayRun(delay.most), delayRun(0));
  EXPECT_NE(delayRun(1), delayRun(0));
  EXPECT_EQ(delayRun(std::int64_t{delay.most} + 1), delayRun(0));
  EXPECT_EQ(delayRun(-1), delayRun(0));
  // CPU 100 changes nothing, as the key's absence does; 99 and 101 do.
  const auto cpuRun = [](const std::string& line) {
    return Effects(TraceOf("[Some Game]\n" + line + "\n"));
  };
  EXPECT_EQ(cpuRun("CPU=100"), cpuRun(""));
  EXPECT_NE(cpuRun("CPU=99"), cpuRun(""));
  EXPECT_NE(cpuRun("CPU=101"), cpuRun(""));
}

}  // namespace
}  // namespace tolvimer::testing
