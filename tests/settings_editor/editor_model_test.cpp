// What the editor shows: every key the launcher reads in a section and no
// other as known, the file's other keys kept and shown as unknown, the plan's
// own warnings for the file as edited, the launcher's own game section names.
#include "settings_editor/editor_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/plan/plan.h"

namespace tolvimer::editor {
namespace {

PlanPlace Place() {
  PlanPlace place;
  place.settingsPath = "/emu/tolvimer_launch.ini";
  place.settingsExists = true;
  place.launcherFolder = "/emu/";
  place.lookAt = [](const std::string&) { return plan::FileFacts{true, 1 << 20}; };
  return place;
}

const KeyRow* RowOf(const std::vector<KeyRow>& rows, const std::string& key) {
  for (const KeyRow& row : rows) {
    if (row.key == key) return &row;
  }
  return nullptr;
}

TEST(EditorModelTest, ListsTheLaunchersSectionsThenEachGameOnce) {
  const SettingsDocument document(
      "[general]\r\n[Some Game]\r\n[TOLVIEX]\r\n[Other Game]\r\n[some game]\r\n");
  std::vector<std::string> names;
  std::vector<bool> inFile;
  for (const SectionEntry& entry : SectionList(document)) {
    names.push_back(entry.name);
    inFile.push_back(entry.inFile);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"general", "DaemonTools", "Alcohol120", "CustomMount",
                                             "GamePadExit", "GamePadNextDisc", "TOLVIEX",
                                             "Some Game", "Other Game"}));
  EXPECT_EQ(inFile, (std::vector<bool>{true, false, false, false, false, false, true, true, true}));
}

TEST(EditorModelTest, ShowsEveryKeyReadThereAndKeepsTheOthersAsUnknown) {
  const SettingsDocument document(
      "[General]\r\nregion=usa\r\nZWrite=true\r\nMyNote=hello\r\n[GamePadNextDisc]\r\nUp=true\r\n");
  const std::vector<KeyRow> general = KeyRows(document, "General", {});
  std::size_t count = 0;
  const KnownKey* keys = KnownKeys(count);
  std::size_t known = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (keys[i].section != SectionKind::kGeneral) continue;
    ++known;
    const KeyRow* row = RowOf(general, keys[i].key);
    ASSERT_NE(row, nullptr) << keys[i].key;
    EXPECT_EQ(row->known, &keys[i]);
  }
  ASSERT_EQ(general.size(), known + 2) << "ZWrite and MyNote are not read in [General]";
  const KeyRow* region = RowOf(general, "Region");
  EXPECT_TRUE(region->present);
  EXPECT_EQ(region->value, "usa");
  EXPECT_EQ(region->line, 2);
  const KeyRow* delay = RowOf(general, "Delay");
  EXPECT_FALSE(delay->present);
  EXPECT_EQ(ValueText(*delay), "absent: No wait after the mount.");
  for (const char* unknown : {"ZWrite", "MyNote"}) {
    const KeyRow* row = RowOf(general, unknown);
    ASSERT_NE(row, nullptr) << unknown;
    EXPECT_EQ(row->known, nullptr);
    EXPECT_TRUE(row->present);
  }
  // The next-disc combination reads the inputs of the exit one.
  const std::vector<KeyRow> nextDisc = KeyRows(document, "GamePadNextDisc", {});
  EXPECT_EQ(nextDisc.size(), 17u);
  ASSERT_NE(RowOf(nextDisc, "Up"), nullptr);
  EXPECT_TRUE(RowOf(nextDisc, "Up")->present);
  EXPECT_EQ(RowOf(nextDisc, "MapGamePadExit"), nullptr);
  // A game section: the command table's keys and CPU.
  const std::vector<KeyRow> game = KeyRows(document, "Some Game", {});
  EXPECT_NE(RowOf(game, "CPU"), nullptr);
  EXPECT_NE(RowOf(game, "ZWrite"), nullptr);
  EXPECT_EQ(RowOf(game, "Region"), nullptr);
}

TEST(EditorModelTest, LiveWarningsAreThePlansAndFollowEveryEdit) {
  SettingsDocument document("[General]\r\nRegion=usa\r\n[Some Game]\r\nCPU=100\r\n");
  const PlanPlace place = Place();
  const std::string image = WarningImage(document, "General", place);
  EXPECT_EQ(image, "/emu/Some Game.cdi");
  EXPECT_EQ(LiveWarnings(document, place, image), std::vector<std::string>{});
  ASSERT_TRUE(document.SetValue("General", "Region", "usaa"));
  ASSERT_TRUE(document.SetValue("Some Game", "Zwrite", "ture"));
  const std::vector<std::string> warnings = LiveWarnings(document, place, image);
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_EQ(WarningLine(warnings[0]), 2);
  EXPECT_EQ(WarningLine(warnings[1]), 5);
  EXPECT_TRUE(RowOf(KeyRows(document, "General", warnings), "Region")->warned);
  EXPECT_FALSE(RowOf(KeyRows(document, "General", warnings), "Delay")->warned);
  EXPECT_TRUE(RowOf(KeyRows(document, "Some Game", warnings), "ZWrite")->warned);
  // A warning about the run names its key instead of a line.
  ASSERT_TRUE(document.SetValue("General", "Exit", "112"));
  const std::vector<std::string> exitWarnings = LiveWarnings(document, place, image);
  EXPECT_TRUE(RowOf(KeyRows(document, "General", exitWarnings), "Exit")->warned);
  EXPECT_FALSE(RowOf(KeyRows(document, "General", exitWarnings), "NextDisc")->warned);
  // The same warnings as tolvimer_plan prints for the file.
  const std::string plan = PlanText(document, place, image);
  ASSERT_EQ(exitWarnings.size(), 3u);
  for (const std::string& warning : exitWarnings) {
    EXPECT_NE(plan.find("\n  " + warning + "\n"), std::string::npos) << warning;
  }
  EXPECT_NE(plan.find("Plan of tolvimer_launch for the image: /emu/Some Game.cdi"),
            std::string::npos);
}

TEST(EditorModelTest, ThePlanShownTellsARecordInTheLauncherFolder) {
  SettingsDocument document(std::string("[General]\r\nRecover=true\r\n"));
  PlanPlace place = Place();
  place.readFile = [](const std::string& path, std::string& bytes) {
    bytes = "not a record";
    return path == "/emu/tolvimer_launch.undo";
  };
  const std::string plan = PlanText(document, place, "/emu/Some Game.cdi");
  EXPECT_NE(plan.find("cut-short run:   tolvimer_launch.undo is "), std::string::npos) << plan;
  EXPECT_EQ(plan.find("none pending"), std::string::npos);
}

TEST(EditorModelTest, NamesAGameSectionAsTheLauncherDoes) {
  EXPECT_EQ(GameSectionOf("D:\\Images\\Some Game.cdi"), "Some Game");
  EXPECT_EQ(GameSectionOf("D:\\Games\\Two Discs.m3u"), "Two Discs");
  EXPECT_EQ(GameSectionOf("D:\\v1.2\\name.with.dots.gdi"), "name.with.dots");
  EXPECT_EQ(GameSectionOf("D:noext"), "noext");
}

TEST(EditorModelTest, TellsAVirtualKeyAndWhatTheLauncherPollsForIt) {
  EXPECT_EQ(VirtualKeyText(27), "27 Escape");
  EXPECT_EQ(ExitKeyNote(27, 27), "the launcher polls this key");
  EXPECT_EQ(ExitKeyNote(112, 0), "has no character: the launcher can poll no key for it");
  EXPECT_EQ(ExitKeyNote(65, 97).find("the launcher polls 97"), 0u);
  EXPECT_EQ(WarningLine("line 12: [General] X"), 12);
  EXPECT_EQ(WarningLine("the settings file has no section"), 0);
}

}  // namespace
}  // namespace tolvimer::editor
